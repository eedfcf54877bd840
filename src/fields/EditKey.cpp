#include "fields/EditKey.h"

#include <QKeyEvent>
#include <QKeySequence>

namespace quill {

namespace {

bool among(const QKeyEvent& event, const char* keys) {
    const QKeySequence pressed(event.keyCombination());
    return QKeySequence::listFromString(QLatin1StringView(keys), QKeySequence::PortableText)
        .contains(pressed);
}

} // namespace

EditKey editKey(const QKeyEvent& event) {
    if (event.matches(QKeySequence::Undo) || among(event, UsualUndoKeys))
        return EditKey::Undo;
    if (event.matches(QKeySequence::Redo) || among(event, UsualRedoKeys))
        return EditKey::Redo;
    return EditKey::None;
}

bool desktopEditKey(const QKeyEvent& event) {
    return event.matches(QKeySequence::Undo) || event.matches(QKeySequence::Redo);
}

} // namespace quill
