#pragma once

#include "registry/KeyStore.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace quill {

// One registry command's access to the current user's keys: the root key, and at most one open
// current key with its path. A command creates it at its start; it is released at the end in
// every case (the destructor releases it too).
class RegistryAccessor {
public:
    // The store key below the root that the registry commands work in.
    static constexpr QStringView storeKeyName = u"Quillbook";

    // The wait settles how long the command may wait for another program's lock on the store.
    explicit RegistryAccessor(const QString& storePath, KeyStore::BusyWait wait = {});
    ~RegistryAccessor();
    RegistryAccessor(const RegistryAccessor&) = delete;
    RegistryAccessor& operator=(const RegistryAccessor&) = delete;

    // Opens "Quillbook" below the root, creating it when missing, and makes it the current key.
    // When that fails nothing changes and false is returned; the commands go on without it.
    bool openStoreKey();
    // The same for a command that must not go on without the store key: names would otherwise
    // land outside it. Throws Failure "Failed to create key Quillbook", with the cause.
    void requireStoreKey();

    // Opens the key the name gives, creating every missing level, and closes it at once; the
    // current key does not change. A name with a leading backslash is taken below the root
    // (without that backslash), any other below the current key, or below the root when no key
    // is open. An empty name creates nothing.
    // Throws Failure "Failed to create key <name>" with the name as given; when the store itself
    // refused, the cause follows ("...: the key store is locked by another program").
    void createSubkey(QStringView name);

    bool hasCurrentKey() const { return currentKey_.has_value(); }
    const QString& currentPath() const { return currentPath_; }

    // Closes the current key and the store.
    void release();

private:
    QString failureMessage(QStringView name) const;

    KeyStore store_;
    std::optional<KeyStore::KeyId> currentKey_;
    QString currentPath_;
};

} // namespace quill
