#include "registry/KeyStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QScopeGuard>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>

using namespace Qt::StringLiterals;

namespace quill {

namespace {

// Marks the file as a key store (application_id), so a foreign database is never written to.
constexpr int applicationId = 0x51424B53; // "QBKS"
constexpr int schemaVersion = 1;
// Another running copy may hold the write lock while it creates keys: look again this often,
// within the store's waiting budget.
constexpr int busyStepMs = 20;

// One prepared statement, finalized when it goes out of scope.
struct Statement {
    sqlite3_stmt* handle = nullptr;
    int status = SQLITE_OK;

    Statement(sqlite3* db, const char* sql) {
        status = sqlite3_prepare_v2(db, sql, -1, &handle, nullptr);
    }
    ~Statement() { sqlite3_finalize(handle); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return status == SQLITE_OK && handle != nullptr; }
    void bind(int index, qint64 value) {
        if (status == SQLITE_OK)
            status = sqlite3_bind_int64(handle, index, value);
    }
    void bind(int index, QStringView text) {
        const QByteArray utf8 = text.toUtf8();
        if (status == SQLITE_OK)
            status = sqlite3_bind_text(handle, index, utf8.constData(), int(utf8.size()),
                                       SQLITE_TRANSIENT);
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return ok() ? sqlite3_step(handle) : status; }
    qint64 integer(int column) const { return sqlite3_column_int64(handle, column); }
    QString text(int column) const {
        const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(handle, column));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(handle, column));
    }
};

struct Levels {
    KeyStore::Status status = KeyStore::Status::Ok;
    QList<QStringView> names;
};

// Splits a key path at backslashes the way the registry reads it: one trailing backslash is
// ignored, any other empty level (a leading backslash, two in a row) makes the path invalid.
Levels splitLevels(QStringView path) {
    Levels levels;
    if (path.isEmpty())
        return levels;
    if (path.endsWith(u'\\'))
        path.chop(1);
    for (QStringView level : path.split(u'\\')) {
        if (level.isEmpty() || level.contains(QChar(u'\0'))) {
            levels.status = KeyStore::Status::BadName;
            return levels;
        }
        if (level.size() > KeyStore::maxLevelLength) {
            levels.status = KeyStore::Status::NameTooLong;
            return levels;
        }
        levels.names.append(level);
    }
    return levels;
}

KeyStore::Cause causeOf(int result, int systemError) {
    switch (result & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return KeyStore::Cause::Locked;
    case SQLITE_CORRUPT:
        return KeyStore::Cause::Damaged;
    case SQLITE_NOTADB:
        return KeyStore::Cause::NotKeyStore;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        return KeyStore::Cause::AccessDenied;
    case SQLITE_FULL:
        return KeyStore::Cause::NoSpace;
    case SQLITE_IOERR:
        // A full device shows as an I/O error when it refuses a sync or a journal.
        return systemError == ENOSPC ? KeyStore::Cause::NoSpace : KeyStore::Cause::Unknown;
    default:
        return KeyStore::Cause::Unknown;
    }
}

} // namespace

KeyStore::KeyStore(QString databasePath) : path_(std::move(databasePath)) {}

KeyStore::~KeyStore() {
    close();
}

QString KeyStore::defaultPath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + u"/.config"_s;
    return base + u"/Quillbook/registry.sqlite3"_s;
}

void KeyStore::close() {
    if (db_ != nullptr) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

// SQLite asks this whenever the file is locked: wait a step and try again (1) while the budget
// lasts, else give up (0). The budget is shared by all operations of the store, so a command
// that creates several keys waits no longer in all than one.
int KeyStore::onBusy(void* context, int /*attempts*/) {
    auto* store = static_cast<KeyStore*>(context);
    const int left = store->busyWait_.budgetMs - store->waitedMs_;
    if (left <= 0)
        return 0;
    if (!store->waitStarted_) {
        store->waitStarted_ = true;
        if (store->busyWait_.started)
            store->busyWait_.started();
    }
    const int step = std::min(left, busyStepMs);
    if (store->busyWait_.sleep)
        store->busyWait_.sleep(step);
    else
        sqlite3_sleep(step);
    store->waitedMs_ += step;
    return 1;
}

bool KeyStore::fail(const QString& what) {
    return fail(what, db_ != nullptr
                          ? causeOf(sqlite3_extended_errcode(db_), sqlite3_system_errno(db_))
                          : Cause::Unknown);
}

bool KeyStore::fail(const QString& what, Cause cause) {
    lastError_ = what;
    lastCause_ = cause;
    if (db_ != nullptr)
        lastError_ += u": "_s + QString::fromUtf8(sqlite3_errmsg(db_));
    return false;
}

bool KeyStore::open() {
    if (db_ != nullptr)
        return true;
    lastError_.clear();
    lastCause_ = Cause::Unknown;
    const QFileInfo file(path_);
    if (!QDir().mkpath(file.absolutePath()))
        return fail(u"Cannot create folder "_s + file.absolutePath(), Cause::AccessDenied);
    const QByteArray name = QFile::encodeName(file.absoluteFilePath());
    const int status = sqlite3_open_v2(name.constData(), &db_,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (status != SQLITE_OK) {
        fail(u"Cannot open "_s + path_);
        close();
        return false;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_handler(db_, &KeyStore::onBusy, this);
    // The file may have been edited by hand: run no code from its schema.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    // Every key needs write access, as with full access rights on the registry.
    if (sqlite3_db_readonly(db_, "main") == 1 || !prepareSchema()) {
        if (lastError_.isEmpty())
            fail(u"Read-only "_s + path_, Cause::AccessDenied);
        close();
        return false;
    }
    return true;
}

// Creates the table in a new (empty) file; checks an existing one. A file that is not a key
// store, or is damaged, is refused and left exactly as it is.
bool KeyStore::prepareSchema() {
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail(u"Cannot lock "_s + path_);
    auto rollback =
        qScopeGuard([this] { sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr); });

    Statement id(db_, "PRAGMA application_id");
    if (id.step() != SQLITE_ROW)
        return fail(u"Cannot read "_s + path_);
    const qint64 storedId = id.integer(0);
    if (storedId == applicationId) {
        Statement version(db_, "PRAGMA user_version");
        if (version.step() != SQLITE_ROW || version.integer(0) != schemaVersion)
            return fail(u"Unknown key store version in "_s + path_, Cause::Unknown);
        Statement check(db_, "PRAGMA quick_check");
        if (check.step() != SQLITE_ROW || check.text(0) != u"ok"_s)
            return fail(u"Damaged key store "_s + path_, Cause::Damaged);
    } else {
        Statement tables(db_, "SELECT count(*) FROM sqlite_master");
        if (tables.step() != SQLITE_ROW)
            return fail(u"Cannot read "_s + path_);
        if (storedId != 0 || tables.integer(0) != 0)
            return fail(u"Not a key store: "_s + path_, Cause::NotKeyStore);
        const QByteArray create = "CREATE TABLE keys(id INTEGER PRIMARY KEY, "
                                  "parent INTEGER NOT NULL, name TEXT NOT NULL, "
                                  "folded TEXT NOT NULL);"
                                  "CREATE UNIQUE INDEX keys_parent_folded ON keys(parent, folded);"
                                  "PRAGMA application_id = " +
                                  QByteArray::number(applicationId) +
                                  ";"
                                  "PRAGMA user_version = " +
                                  QByteArray::number(schemaVersion) + ";";
        if (sqlite3_exec(db_, create.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            return fail(u"Cannot create the key table in "_s + path_);
    }
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail(u"Cannot write "_s + path_);
    rollback.dismiss();
    return true;
}

bool KeyStore::lookUp(KeyId parent, const QString& folded, std::optional<KeyId>& found) {
    Statement select(db_, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2");
    select.bind(1, parent);
    select.bind(2, folded);
    const int status = select.step();
    found.reset();
    if (status == SQLITE_ROW)
        found = select.integer(0);
    else if (status != SQLITE_DONE)
        return fail(u"Cannot read "_s + path_);
    return true;
}

std::optional<KeyStore::KeyId> KeyStore::insert(KeyId parent, QStringView name,
                                                const QString& folded) {
    Statement add(db_, "INSERT INTO keys(parent, name, folded) VALUES(?1, ?2, ?3)");
    add.bind(1, parent);
    add.bind(2, name);
    add.bind(3, folded);
    if (add.step() != SQLITE_DONE) {
        fail(u"Cannot write "_s + path_);
        return std::nullopt;
    }
    return sqlite3_last_insert_rowid(db_);
}

bool KeyStore::keyExists(KeyId key) {
    if (key == rootKey)
        return true;
    Statement select(db_, "SELECT 1 FROM keys WHERE id = ?1");
    select.bind(1, key);
    return select.step() == SQLITE_ROW;
}

KeyStore::Result KeyStore::createKey(KeyId base, QStringView path) {
    lastCause_ = Cause::Unknown;
    const Levels levels = splitLevels(path);
    if (levels.status != Status::Ok)
        return {levels.status, -1};
    if (levels.names.isEmpty())
        return {Status::Ok, base};
    if (!open())
        return {Status::Unavailable, -1};

    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail(u"Cannot lock "_s + path_);
        return {Status::Unavailable, -1};
    }
    auto rollback =
        qScopeGuard([this] { sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr); });
    if (!keyExists(base)) {
        fail(u"No key "_s + QString::number(base), Cause::Unknown);
        return {Status::Unavailable, -1};
    }
    KeyId key = base;
    for (QStringView name : levels.names) {
        const QString folded = name.toString().toCaseFolded();
        std::optional<KeyId> next;
        if (!lookUp(key, folded, next))
            return {Status::Unavailable, -1};
        if (!next)
            next = insert(key, name, folded);
        if (!next)
            return {Status::Unavailable, -1};
        key = *next;
    }
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail(u"Cannot write "_s + path_);
        return {Status::Unavailable, -1};
    }
    rollback.dismiss();
    return {Status::Ok, key};
}

std::optional<KeyStore::KeyId> KeyStore::findKey(KeyId base, QStringView path) {
    const Levels levels = splitLevels(path);
    if (levels.status != Status::Ok || !open())
        return std::nullopt;
    KeyId key = base;
    for (QStringView name : levels.names) {
        std::optional<KeyId> next;
        if (!lookUp(key, name.toString().toCaseFolded(), next) || !next)
            return std::nullopt;
        key = *next;
    }
    return key;
}

QStringList KeyStore::subkeyNames(KeyId key) {
    QStringList names;
    if (!open())
        return names;
    Statement select(db_, "SELECT name FROM keys WHERE parent = ?1 ORDER BY folded");
    select.bind(1, key);
    while (select.step() == SQLITE_ROW)
        names.append(select.text(0));
    return names;
}

qint64 KeyStore::keyCount() {
    if (!open())
        return -1;
    Statement count(db_, "SELECT count(*) FROM keys");
    return count.step() == SQLITE_ROW ? count.integer(0) : -1;
}

} // namespace quill
