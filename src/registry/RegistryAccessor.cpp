#include "registry/RegistryAccessor.h"

#include "core/Failure.h"

using namespace Qt::StringLiterals;

namespace quill {

namespace {

QString causeText(KeyStore::Cause cause) {
    switch (cause) {
    case KeyStore::Cause::Locked:
        return u"the key store is locked by another program"_s;
    case KeyStore::Cause::Damaged:
        return u"the key store is damaged"_s;
    case KeyStore::Cause::NotKeyStore:
        return u"the file is not a key store"_s;
    case KeyStore::Cause::AccessDenied:
        return u"the key store may not be written"_s;
    case KeyStore::Cause::NoSpace:
        return u"no space left on the device"_s;
    case KeyStore::Cause::Unknown:
        break;
    }
    return {};
}

} // namespace

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

void RegistryAccessor::requireStoreKey() {
    if (!openStoreKey())
        throw Failure(failureMessage(storeKeyName));
}

void RegistryAccessor::createSubkey(QStringView name) {
    QStringView relative = name;
    KeyStore::KeyId base = currentKey_.value_or(KeyStore::rootKey);
    if (relative.startsWith(u'\\')) {
        relative = relative.sliced(1);
        base = KeyStore::rootKey;
    }
    if (!store_.createKey(base, relative).ok())
        throw Failure(failureMessage(name));
}

QString RegistryAccessor::failureMessage(QStringView name) const {
    QString message = u"Failed to create key %1"_s.arg(name);
    const QString cause = causeText(store_.lastCause());
    if (!cause.isEmpty())
        message += u": "_s + cause;
    return message;
}

void RegistryAccessor::release() {
    currentKey_.reset();
    currentPath_.clear();
    store_.close();
}

} // namespace quill
