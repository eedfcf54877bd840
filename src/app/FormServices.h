#pragma once

namespace quill {

class Dialogs;

// What the main window is given from outside, so tests can replace each piece.
struct FormServices {
    Dialogs* dialogs = nullptr;
};

} // namespace quill
