#pragma once

#include "app/TForm1.h"
#include "core/ByteText.h"
#include "fields/FieldCombo.h"
#include "support/TestSupport.h"
#include "ui/ScriptedDialogs.h"

#include <QAction>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace quill::test {

// A main window working in a fresh temporary folder, with scripted dialogs.
class FormFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        cwd = std::make_unique<CurrentDirGuard>(dir.path());
        services.dialogs = &dialogs;
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

    QTemporaryDir dir;
    std::unique_ptr<CurrentDirGuard> cwd;
    ScriptedDialogs dialogs;
    FormServices services;
    std::unique_ptr<TForm1> form;
};

} // namespace quill::test
