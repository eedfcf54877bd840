#include "fields/FieldLineEdit.h"

#include "fields/EditKey.h"
#include "fields/SingleLineValidator.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

namespace quill {
namespace {

// Sets a flag for the lifetime of the scope.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

} // namespace

FieldLineEdit::FieldLineEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new SingleLineValidator(this));
    // Whatever moves the caret or the text while the field is not focused (a command) is what
    // the next command must see.
    connect(this, &QLineEdit::textChanged, this, &FieldLineEdit::remember);
    connect(this, &QLineEdit::cursorPositionChanged, this, &FieldLineEdit::remember);
    connect(this, &QLineEdit::selectionChanged, this, &FieldLineEdit::remember);
}

FieldLineEdit::Selection FieldLineEdit::liveSelection() const {
    if (hasSelectedText())
        return {selectionStart(), selectionLength()};
    return {cursorPosition(), 0};
}

FieldLineEdit::Selection FieldLineEdit::keptSelection() const {
    return hasFocus() ? liveSelection() : kept_;
}

void FieldLineEdit::restoreSelection(Selection selection) {
    if (hasFocus()) {
        if (selection.length > 0)
            setSelection(selection.start, selection.length);
        else
            setCursorPosition(selection.start);
        return;
    }
    setCursorPosition(selection.start + selection.length);
    kept_ = selection;
}

void FieldLineEdit::remember() {
    if (!hasFocus() && !leaving_)
        kept_ = liveSelection();
}

bool FieldLineEdit::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (editKey(*key)) {
        case EditKey::Undo:
            key->setAccepted(!isReadOnly() && isUndoAvailable());
            return true;
        case EditKey::Redo:
            key->setAccepted(!isReadOnly() && isRedoAvailable());
            return true;
        case EditKey::None:
            break;
        }
    }
    return QLineEdit::event(event);
}

void FieldLineEdit::keyPressEvent(QKeyEvent* event) {
    // The usual keys this desktop does not bind to undo and redo.
    if (const EditKey key = editKey(*event); key != EditKey::None && !desktopEditKey(*event)) {
        if (!isReadOnly())
            key == EditKey::Undo ? undo() : redo();
        return;
    }
    const QString text = event->text();
    const bool printable = !text.isEmpty() && text.at(0).isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
    if (!printable) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    FlagScope scope(typing_);
    QLineEdit::keyPressEvent(event);
}

void FieldLineEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    FlagScope scope(typing_);
    QLineEdit::inputMethodEvent(event);
}

void FieldLineEdit::focusOutEvent(QFocusEvent* event) {
    // The edit line drops its highlight when it loses the focus; keep what the user left.
    kept_ = liveSelection();
    FlagScope scope(leaving_);
    if (event->reason() == Qt::MenuBarFocusReason) {
        // The menu bar takes the focus only while the user goes through the menus from the
        // keyboard, and gives it back: keep the highlight and caret, as an opened menu does.
        QFocusEvent throughMenu(QEvent::FocusOut, Qt::PopupFocusReason);
        QLineEdit::focusOutEvent(&throughMenu);
        return;
    }
    QLineEdit::focusOutEvent(event);
}

} // namespace quill
