#include "window/TForm1.h"
#include "window/UndoCommands.h"

namespace quill {

void TForm1::Undo1Click() {
    undo_->undo();
}

void TForm1::Redo1Click() {
    undo_->redo();
}

} // namespace quill
