#include "window/LauncherCommands.h"
#include "window/TForm1.h"

namespace quill {

void TForm1::RunAKnowFile1Click() {
    launcher_->runKnownFile();
}

void TForm1::RunaFiles1Click() {
    launcher_->runSystemProgram();
}

void TForm1::Other2Click() {
    launcher_->runObject();
}

} // namespace quill
