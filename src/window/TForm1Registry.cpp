#include "window/RegistryCommands.h"
#include "window/TForm1.h"

namespace quill {

void TForm1::WriteDatasFromRegistryDatabase1Click() {
    registry_->write();
}

void TForm1::ReadDatasFromRegistryDatabase1Click() {
    registry_->read();
}

} // namespace quill
