#include "window/RegistryCommands.h"

#include "core/ByteText.h"
#include "fields/FieldCombo.h"
#include "registry/KeyStore.h"
#include "registry/RegistryAccessor.h"

#include <QGuiApplication>

#include <utility>

namespace quill {

namespace {

// The busy cursor, from the first wait for another program's lock on the key store to the end
// of the command.
class BusyCursor {
public:
    BusyCursor() = default;
    ~BusyCursor() {
        if (shown_)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    KeyStore::BusyWait waitShowingMe(int budgetMs) {
        KeyStore::BusyWait wait;
        wait.budgetMs = budgetMs;
        wait.started = [this] {
            if (!shown_)
                QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            shown_ = true;
        };
        return wait;
    }

private:
    bool shown_ = false;
};

} // namespace

RegistryCommands::RegistryCommands(FieldCombo& first, FieldCombo& second, QString storePath,
                                   int lockWaitMs)
    : first_(first), second_(second), storePath_(std::move(storePath)), lockWaitMs_(lockWaitMs) {}

QString RegistryCommands::storePath() const {
    return storePath_.isEmpty() ? KeyStore::defaultPath() : storePath_;
}

// Each field text becomes a key below "Quillbook"; the pair is remembered only when both keys
// were created. Without the store key nothing is written: the names would land outside it. The
// accessor is released when it goes out of scope, also after a failure.
void RegistryCommands::write() {
    BusyCursor cursor;
    RegistryAccessor registry(storePath(), cursor.waitShowingMe(lockWaitMs_));
    registry.requireStoreKey();
    registry.createSubkey(displayText(first_.editBytes()));
    registry.createSubkey(displayText(second_.editBytes()));
    lastWrittenFirst_ = first_.editBytes();
    lastWrittenSecond_ = second_.editBytes();
}

// Puts back the pair of the last write of this run; nothing is read from the store.
void RegistryCommands::read() {
    BusyCursor cursor;
    RegistryAccessor registry(storePath(), cursor.waitShowingMe(lockWaitMs_));
    registry.openStoreKey();
    first_.setEditBytes(lastWrittenFirst_);
    second_.setEditBytes(lastWrittenSecond_);
}

} // namespace quill
