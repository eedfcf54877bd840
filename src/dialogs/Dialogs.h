#pragma once

#include "dialogs/FileDialog.h"

#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

namespace quill {

// Everything a command asks of the user goes through here, so tests can answer.
class Dialogs {
public:
    // Progress of long work, with a Cancel button.
    class Progress {
    public:
        virtual ~Progress() = default;
        // Reports how many of the steps are done; false once the user has cancelled.
        virtual bool update(qint64 done) = 0;
    };

    virtual ~Dialogs() = default;

    // The prompt dialog: the answer when confirmed, nothing when cancelled.
    virtual std::optional<QString> prompt(const QString& caption, const QString& label,
                                          const QString& text) = 0;
    // A question with OK and Cancel and the question icon; true for OK.
    virtual bool askOkCancel(const QString& text, const QString& title) = 0;
    // The platform's beep.
    virtual void beep() = 0;
    // The failure report: OK button, stop icon.
    virtual void reportFailure(const QString& text, const QString& title) = 0;
    // Progress of `total` steps; the window appears only when the work takes a while (about half
    // a second) and goes away with the returned object.
    virtual std::unique_ptr<Progress> startProgress(const QString& caption, qint64 total) = 0;
    // The open and save file dialogs: `dialog` says which one is shown and what it starts with
    // (its remembered name and filter entry). The chosen path and filter entry when confirmed,
    // nothing when cancelled (as every showing is by default). Commands go through
    // showFileDialog(), which keeps the memory.
    virtual std::optional<FileChoice> openFileName(const FileDialog& dialog) {
        Q_UNUSED(dialog);
        return std::nullopt;
    }
    virtual std::optional<FileChoice> saveFileName(const FileDialog& dialog) {
        Q_UNUSED(dialog);
        return std::nullopt;
    }
};

// Shows the dialog through `dialogs`. On confirmation the dialog remembers the chosen full path
// and filter entry, and the process's working directory moves to the chosen file's folder (the
// fixed list files follow it); the full path is returned. A cancelled showing changes nothing.
std::optional<QString> showFileDialog(Dialogs& dialogs, FileDialog& dialog);

} // namespace quill
