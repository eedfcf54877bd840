#pragma once

#include "dialogs/Dialogs.h"

#include <map>
#include <memory>

class QWidget;

namespace quill {

class QtFileDialog;

// The real dialogs: the prompt dialog, message boxes, file dialogs and the platform beep.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* owner = nullptr);
    ~QtDialogs() override;
    void setOwner(QWidget* owner) { owner_ = owner; }

    std::optional<QString> prompt(const QString& caption, const QString& label,
                                  const QString& text) override;
    bool askOkCancel(const QString& text, const QString& title) override;
    void beep() override;
    void reportFailure(const QString& text, const QString& title) override;
    std::unique_ptr<Progress> startProgress(const QString& caption, qint64 total) override;
    std::optional<FileChoice> openFileName(const FileDialog& dialog) override;
    std::optional<FileChoice> saveFileName(const FileDialog& dialog) override;

private:
    QtFileDialog& fileDialog(const FileDialog& dialog);

    QWidget* owner_;
    // Each file dialog of the window is made at its first showing and kept for the run.
    std::map<const FileDialog*, std::unique_ptr<QtFileDialog>> fileDialogs_;
};

} // namespace quill
