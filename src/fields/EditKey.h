#pragma once

class QKeyEvent;

namespace quill {

// Undo and redo keys, as the fields' edit boxes, the notes pane and the window's "&Edit" menu
// take them: the desktop's own, and on every desktop Ctrl+Z to undo, Ctrl+Shift+Z and Ctrl+Y to
// redo, which users of other systems bring along.
enum class EditKey { None, Undo, Redo };

inline constexpr const char* UsualUndoKeys = "Ctrl+Z";
inline constexpr const char* UsualRedoKeys = "Ctrl+Shift+Z; Ctrl+Y";

EditKey editKey(const QKeyEvent& event);
// Whether the toolkit's edit boxes know the key as undo or redo on this desktop.
bool desktopEditKey(const QKeyEvent& event);

} // namespace quill
