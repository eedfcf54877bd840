#include "fields/FieldCombo.h"
#include "window/FormServices.h"
#include "window/NotesCommands.h"
#include "window/TForm1.h"

#include <QAction>
#include <QTextEdit>

namespace quill {

using namespace Qt::StringLiterals;

void TForm1::buildNotes() {
    RichEdit1 = NotesCommands::makePane(client_);
    setTabOrder(ComboBox2, RichEdit1);
    controls_.push_back(RichEdit1);
    RichEdit1->installEventFilter(this);
    CloseEditor1 = findChild<QAction*>(u"CloseEditor1"_s);
    notes_ = std::make_unique<NotesCommands>(*services_.dialogs, *RichEdit1, *CloseEditor1,
                                             services_.notesMemoryBudget);
}

void TForm1::OpenAs1Click() {
    notes_->openAs();
}

void TForm1::SaveAs1Click() {
    notes_->saveAs();
}

void TForm1::CloseEditor1Click() {
    notes_->closeEditor();
}

} // namespace quill
