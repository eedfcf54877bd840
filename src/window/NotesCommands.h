#pragma once

#include "dialogs/FileDialog.h"

#include <QString>
#include <QtGlobal>

class QAction;
class QTextEdit;
class QWidget;

namespace quill {

class Dialogs;

// The notes pane's commands: it opens a notes file (rich or plain text) into the pane, saves the
// pane as rich text and closes it again. The pane itself and its two file dialogs are made here.
class NotesCommands {
public:
    // `memoryBudget` is the most memory a notes file may take as it loads and becomes the
    // pane's document, in bytes; 0 gives it a share of the memory available when the command
    // runs.
    NotesCommands(Dialogs& dialogs, QTextEdit& pane, QAction& closeEditor, qint64 memoryBudget);

    // The notes pane, hidden, with its look: centred paragraphs, a selection shown only while
    // it has the focus.
    static QTextEdit* makePane(QWidget* parent);

    void openAs();
    void saveAs();
    void closeEditor();

    FileDialog OpenDialog2;
    FileDialog SaveDialog2;

private:
    void showPane();

    Dialogs& dialogs_;
    QTextEdit& pane_;
    QAction& closeEditor_;
    qint64 memoryBudget_;
};

} // namespace quill
