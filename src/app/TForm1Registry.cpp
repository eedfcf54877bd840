#include "app/TForm1.h"
#include "core/ByteText.h"
#include "fields/FieldCombo.h"
#include "storage/KeyStore.h"
#include "storage/RegistryAccessor.h"

#include <QGuiApplication>

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

QString TForm1::registryStorePath() const {
    return services_.registryStorePath.isEmpty() ? KeyStore::defaultPath()
                                                 : services_.registryStorePath;
}

// Each field text becomes a key below "Quillbook"; the pair is remembered only when both keys
// were created. Without the store key nothing is written: the names would land outside it. The
// accessor is released when it goes out of scope, also after a failure.
void TForm1::WriteDatasFromRegistryDatabase1Click() {
    BusyCursor cursor;
    RegistryAccessor registry(registryStorePath(),
                              cursor.waitShowingMe(services_.registryLockWaitMs));
    registry.requireStoreKey();
    registry.createSubkey(displayText(ComboBox1->editBytes()));
    registry.createSubkey(displayText(ComboBox2->editBytes()));
    lastWrittenFirst_ = ComboBox1->editBytes();
    lastWrittenSecond_ = ComboBox2->editBytes();
}

// Puts back the pair of the last write of this run; nothing is read from the store.
void TForm1::ReadDatasFromRegistryDatabase1Click() {
    BusyCursor cursor;
    RegistryAccessor registry(registryStorePath(),
                              cursor.waitShowingMe(services_.registryLockWaitMs));
    registry.openStoreKey();
    ComboBox1->setEditBytes(lastWrittenFirst_);
    ComboBox2->setEditBytes(lastWrittenSecond_);
}

} // namespace quill
