#pragma once

#include "dialogs/Dialogs.h"

#include <QString>

#include <memory>
#include <optional>

namespace quill::bench {

// Answers at once and never cancels: every prompt with `answer`, every file dialog with `path`;
// counts the failure reports so a benchmark can tell that its command failed.
class AnsweringDialogs : public Dialogs {
public:
    QString answer;
    QString path;
    int failures = 0;

    std::optional<QString> prompt(const QString&, const QString&, const QString&) override {
        return answer;
    }
    bool askOkCancel(const QString&, const QString&) override { return true; }
    void beep() override {}
    void reportFailure(const QString&, const QString&) override { ++failures; }
    std::unique_ptr<Progress> startProgress(const QString&, qint64) override {
        struct Running : Progress {
            bool update(qint64) override { return true; }
        };
        return std::make_unique<Running>();
    }
    std::optional<FileChoice> openFileName(const FileDialog&) override {
        return FileChoice{path, 1};
    }
    std::optional<FileChoice> saveFileName(const FileDialog&) override {
        return FileChoice{path, 1};
    }
};

} // namespace quill::bench
