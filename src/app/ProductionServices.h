#pragma once

#include "window/FormServices.h"

namespace quill {

// The main window's services as the program runs them: the machine's clock, the application
// locale's conventions and the desktop's own way of starting programs (GIO).
FormServices productionServices(Dialogs& dialogs);

} // namespace quill
