#pragma once

#include "dialogs/Dialogs.h"

#include <QGuiApplication>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

namespace quill::test {

// Answers the commands' questions from a script and records what was asked.
class ScriptedDialogs : public Dialogs {
public:
    struct Prompt {
        QString caption, label, text;
    };
    struct Report {
        QString text, title;
    };

    // Queue the next prompt answer: a text means OK with it, nullopt means Cancel.
    void answerOk(const QString& text) { answers.push_back({true, text}); }
    void answerCancel() { answers.push_back({false, QString()}); }

    std::optional<QString> prompt(const QString& caption, const QString& label,
                                  const QString& text) override {
        prompts.push_back({caption, label, text});
        if (answers.empty())
            return std::nullopt; // an unscripted prompt is cancelled
        const Answer reply = answers.front();
        answers.pop_front();
        if (!reply.ok)
            return std::nullopt;
        return reply.text;
    }
    bool askOkCancel(const QString& text, const QString& title) override {
        questions.push_back({text, title});
        return okAnswer;
    }
    void beep() override { ++beeps; }
    void reportFailure(const QString& text, const QString& title) override {
        failures.push_back({text, title});
    }
    // Long work: records the updates and answers Cancel at update number cancelProgressAt
    // (counted from 1; 0 never cancels), or at the first update that reports at least
    // cancelProgressFrom steps done (when not negative).
    std::unique_ptr<Progress> startProgress(const QString& caption, qint64) override {
        progressCaptions.append(caption);
        class Scripted : public Progress {
        public:
            explicit Scripted(ScriptedDialogs& owner) : owner_(owner) {}
            bool update(qint64 done) override {
                owner_.progressUpdates.push_back(done);
                owner_.busyAtUpdates.push_back(QGuiApplication::overrideCursor() != nullptr);
                if (owner_.cancelProgressFrom >= 0 && done >= owner_.cancelProgressFrom)
                    return false;
                return owner_.cancelProgressAt == 0 ||
                       qsizetype(owner_.progressUpdates.size()) < owner_.cancelProgressAt;
            }

        private:
            ScriptedDialogs& owner_;
        };
        progressUpdates.clear();
        busyAtUpdates.clear();
        return std::make_unique<Scripted>(*this);
    }

    // File dialogs: queue the next answers; an unscripted showing is cancelled. Each showing is
    // recorded with what the dialog started with.
    void answerFile(const QString& path, int filterIndex = 1) {
        fileAnswers.push_back(FileChoice{path, filterIndex});
    }
    void answerFileCancel() { fileAnswers.push_back(std::nullopt); }
    std::optional<FileChoice> openFileName(const FileDialog& dialog) override {
        return nextFile(dialog);
    }
    std::optional<FileChoice> saveFileName(const FileDialog& dialog) override {
        return nextFile(dialog);
    }
    std::optional<FileChoice> nextFile(const FileDialog& dialog) {
        fileShowings.push_back({dialog.name, dialog.fileName, dialog.filterIndex});
        if (fileAnswers.empty())
            return std::nullopt;
        const std::optional<FileChoice> reply = fileAnswers.front();
        fileAnswers.pop_front();
        return reply;
    }
    struct FileShowing {
        QString dialog, startName;
        int startFilter;
    };
    std::deque<std::optional<FileChoice>> fileAnswers;
    std::vector<FileShowing> fileShowings;

    struct Answer {
        bool ok;
        QString text;
    };
    std::deque<Answer> answers;
    std::vector<Prompt> prompts;
    std::vector<Report> questions;
    std::vector<Report> failures;
    // The texts of the failure reports shown, in order.
    QStringList failureTexts() const {
        QStringList texts;
        for (const Report& report : failures)
            texts.append(report.text);
        return texts;
    }
    bool okAnswer = true;
    int beeps = 0;
    int cancelProgressAt = 0;
    qint64 cancelProgressFrom = -1;
    QStringList progressCaptions;
    std::vector<qint64> progressUpdates;
    // Whether the busy cursor was shown at each update.
    std::vector<bool> busyAtUpdates;
};

} // namespace quill::test
