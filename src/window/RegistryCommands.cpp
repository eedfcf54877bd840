#include "window/RegistryCommands.h"
#include "window/WaitCursor.h"

#include "core/ByteText.h"
#include "fields/FieldCombo.h"
#include "registry/KeyStore.h"
#include "registry/RegistryAccessor.h"

#include <utility>

namespace quill {

namespace {

// The key store's wait for another program's lock shows the busy cursor until the command ends.
KeyStore::BusyWait showingBusy(WaitCursor& cursor, int budgetMs) {
    KeyStore::BusyWait wait;
    wait.budgetMs = budgetMs;
    wait.started = [&cursor] {
        cursor.show();
    };
    return wait;
}

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
    WaitCursor cursor(false);
    RegistryAccessor registry(storePath(), showingBusy(cursor, lockWaitMs_));
    registry.requireStoreKey();
    registry.createSubkey(displayText(first_.editBytes()));
    registry.createSubkey(displayText(second_.editBytes()));
    lastWrittenFirst_ = first_.editBytes();
    lastWrittenSecond_ = second_.editBytes();
}

// Puts back the pair of the last write of this run; nothing is read from the store.
void RegistryCommands::read() {
    WaitCursor cursor(false);
    RegistryAccessor registry(storePath(), showingBusy(cursor, lockWaitMs_));
    registry.openStoreKey();
    first_.setEditBytes(lastWrittenFirst_);
    second_.setEditBytes(lastWrittenSecond_);
}

} // namespace quill
