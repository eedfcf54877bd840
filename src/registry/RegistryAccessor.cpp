#include "registry/RegistryAccessor.h"

#include "core/Failure.h"

using namespace Qt::StringLiterals;

namespace quill {

RegistryAccessor::RegistryAccessor(const QString& storePath, KeyStore::BusyWait wait)
    : store_(storePath) {
    store_.setBusyWait(std::move(wait));
}

RegistryAccessor::~RegistryAccessor() {
    release();
}

bool RegistryAccessor::openStoreKey() {
    const KeyStore::Result opened = store_.createKey(KeyStore::rootKey, storeKeyName);
    if (!opened.ok())
        return false;
    currentKey_ = opened.key;
    currentPath_ = storeKeyName.toString();
    return true;
}

void RegistryAccessor::createSubkey(QStringView name) {
    QStringView relative = name;
    KeyStore::KeyId base = currentKey_.value_or(KeyStore::rootKey);
    if (relative.startsWith(u'\\')) {
        relative = relative.sliced(1);
        base = KeyStore::rootKey;
    }
    if (!store_.createKey(base, relative).ok())
        throw Failure(u"Failed to create key %1"_s.arg(name));
}

void RegistryAccessor::release() {
    currentKey_.reset();
    currentPath_.clear();
    store_.close();
}

} // namespace quill
