#pragma once

#include "app/ProductionServices.h"
#include "core/ByteText.h"
#include "fields/FieldCombo.h"
#include "launcher/RecordingStarter.h"
#include "support/TestSupport.h"
#include "window/ScriptedDialogs.h"
#include "window/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace quill::test {

// A main window working in a fresh temporary folder, with scripted dialogs.
class FormFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        cwd = std::make_unique<CurrentDirGuard>(dir.path());
        services = productionServices(dialogs);
        // Nothing a window test does may start a program of the machine's desktop.
        services.starter = std::make_shared<RecordingStarter>();
    }
    void TearDown() override {
        form.reset();
        cwd.reset();
    }

    // Builds the window (after the test has prepared its files and services).
    TForm1& makeForm() {
        form = std::make_unique<TForm1>(services);
        return *form;
    }
    void trigger(const char* actionName) {
        QAction* action = form->findChild<QAction*>(QLatin1StringView(actionName));
        ASSERT_NE(action, nullptr) << actionName;
        action->trigger();
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QByteArray file(const QString& name) const { return fileBytes(path(name)); }

    static QStringList texts(const FieldCombo& field) {
        QStringList list;
        for (qsizetype i = 0; i < field.entries().size(); ++i)
            list.append(displayText(field.entries().at(i)));
        return list;
    }
    static void fill(FieldCombo& field, const QStringList& entries) {
        for (const QString& entry : entries)
            field.addEntry(storedBytes(entry));
    }

    // Answers the real modal prompts that the next command shows, as a user would: types each
    // reply and presses Return; a null reply presses Esc. The counter tells how many were met.
    static std::shared_ptr<int> answerRealPrompts(QStringList replies) {
        auto answered = std::make_shared<int>(0);
        auto next = std::make_shared<std::function<void()>>();
        *next = [answered, replies, next] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog || !dialog->isVisible()) {
                QTimer::singleShot(10, *next);
                return;
            }
            auto* edit = dialog->findChild<QLineEdit*>();
            const QString reply = replies[*answered];
            ++*answered;
            if (reply.isNull() || !edit) {
                QTest::keyClick(dialog, Qt::Key_Escape);
            } else {
                QTest::keyClicks(edit, reply);
                QTest::keyClick(edit, Qt::Key_Return);
            }
            if (*answered < replies.size())
                QTimer::singleShot(10, *next);
            else
                *next = nullptr; // breaks the cycle once all replies are given
        };
        QTimer::singleShot(10, *next);
        return answered;
    }

    QTemporaryDir dir;
    std::unique_ptr<CurrentDirGuard> cwd;
    ScriptedDialogs dialogs;
    FormServices services;
    std::unique_ptr<TForm1> form;
};

} // namespace quill::test
