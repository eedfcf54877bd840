#pragma once

#include <QLineEdit>

namespace quill {

// The edit line of a field. It tells whether the edit in progress comes from a typed character
// (which completes) or from another key, and it remembers the caret and the highlighted part when
// the field loses the focus, so a command can still replace them while the other field has it.
// Its undo and redo keys are its own only while it has typing to undo or redo; otherwise they go
// to the window, which undoes its commands.
class FieldLineEdit : public QLineEdit {
    Q_OBJECT
public:
    struct Selection {
        int start = 0;  // first highlighted character, or the caret when nothing is highlighted
        int length = 0; // highlighted characters
    };

    explicit FieldLineEdit(QWidget* parent = nullptr);

    // True while the edit line handles a key or input method event that types text.
    bool typing() const { return typing_; }
    // The highlighted part and caret as the user left them; live while the field has the focus.
    Selection keptSelection() const;
    // Puts the caret and highlight back; on an unfocused field only the kept ones, so nothing
    // is shown highlighted there.
    void restoreSelection(Selection selection);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    Selection liveSelection() const;
    void remember();

    Selection kept_;
    bool typing_ = false;
    bool leaving_ = false;
};

} // namespace quill
