#include "dialogs/QtDialogs.h"

#include "dialogs/PromptDialog.h"
#include "dialogs/QtFileDialog.h"
#include "dialogs/QtProgress.h"

#include <QApplication>
#include <QMessageBox>

namespace quill {

QtDialogs::QtDialogs(QWidget* owner) : owner_(owner) {}

QtDialogs::~QtDialogs() = default;

std::optional<QString> QtDialogs::prompt(const QString& caption, const QString& label,
                                         const QString& text) {
    return PromptDialog::ask(owner_, caption, label, text);
}

bool QtDialogs::askOkCancel(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                    owner_);
    // Texts hold folder names and the like: "<b>" is shown as typed, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void QtDialogs::beep() {
    QApplication::beep();
}

void QtDialogs::reportFailure(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, owner_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

std::unique_ptr<Dialogs::Progress> QtDialogs::startProgress(const QString& caption, qint64 total) {
    return std::make_unique<QtProgress>(owner_, caption, total);
}

QtFileDialog& QtDialogs::fileDialog(const FileDialog& dialog) {
    std::unique_ptr<QtFileDialog>& shown = fileDialogs_[&dialog];
    if (!shown || !shown->alive())
        shown = std::make_unique<QtFileDialog>(dialog, owner_);
    return *shown;
}

std::optional<FileChoice> QtDialogs::openFileName(const FileDialog& dialog) {
    return fileDialog(dialog).exec(dialog);
}

std::optional<FileChoice> QtDialogs::saveFileName(const FileDialog& dialog) {
    return fileDialog(dialog).exec(dialog);
}

} // namespace quill
