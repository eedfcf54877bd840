#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>

struct sqlite3;

namespace quill {

// The current user's key tree: keys below one root, each with a name and subkeys, no values.
// It lives in one SQLite database file; every key is a row (id, parent, name, folded), the root
// is parent 0. Names compare ignoring letter case (Unicode simple case folding, as the registry
// compares) and keep the spelling they were first created with.
//
// Key names are data: they are only ever bound as SQL parameters, and nothing but the database
// file (and SQLite's transient journal beside it) is written.
class KeyStore {
public:
    using KeyId = qint64;
    static constexpr KeyId rootKey = 0;
    // A level may have at most this many characters (UTF-16 code units, as the registry counts).
    static constexpr qsizetype maxLevelLength = 255;

    enum class Status {
        Ok,
        BadName,     // an empty level (two backslashes in a row, a leading one) or a NUL
        NameTooLong, // a level longer than maxLevelLength
        Unavailable, // the file cannot be created or written, is read-only, full or corrupt
    };
    // Why the store was unavailable, as far as it can tell.
    enum class Cause {
        Unknown,
        Locked,       // another program held the file's lock beyond the waiting budget
        Damaged,      // a key store whose content is corrupt
        NotKeyStore,  // a foreign database, or a file that is no database at all
        AccessDenied, // the file or its folder may not be written
        NoSpace,      // the device is full
    };
    struct Result {
        Status status = Status::Unavailable;
        KeyId key = -1;
        bool ok() const { return status == Status::Ok; }
    };

    // How long the operations of one store may wait, in all, while another program holds the
    // file's lock, before they give up as Unavailable. started runs once, when the first wait
    // begins (the window shows the busy cursor); sleep waits that many milliseconds (the thread
    // sleeps when it is empty).
    struct BusyWait {
        int budgetMs = 2000;
        std::function<void()> started;
        std::function<void(int milliseconds)> sleep;
    };

    // The database is opened, and created with its folder, when it is first needed.
    explicit KeyStore(QString databasePath);
    ~KeyStore();
    KeyStore(const KeyStore&) = delete;
    KeyStore& operator=(const KeyStore&) = delete;

    // "$XDG_CONFIG_HOME/Quillbook/registry.sqlite3", or below "~/.config" when XDG_CONFIG_HOME
    // is unset or not an absolute path.
    static QString defaultPath();

    const QString& databasePath() const { return path_; }

    // Opens the key that the backslash-separated path names below base, creating every missing
    // level in one transaction: all of them or none. An empty path gives base itself and
    // touches nothing; one trailing backslash is ignored.
    Result createKey(KeyId base, QStringView path);

    // Looks a path up below base without creating a key (the file is still opened, and made a
    // key store when it is new, like every other operation).
    std::optional<KeyId> findKey(KeyId base, QStringView path);
    // The names of the direct subkeys of a key as first spelled, sorted ignoring case.
    QStringList subkeyNames(KeyId key);
    // The number of keys below the root, at any depth.
    qint64 keyCount();

    // Why the last operation failed, for diagnostics.
    const QString& lastError() const { return lastError_; }
    // Why the last operation found the store unavailable.
    Cause lastCause() const { return lastCause_; }

    // Closes the database; the next operation opens it again.
    void close();

    void setBusyWait(BusyWait wait) { busyWait_ = std::move(wait); }

private:
    bool open();
    bool prepareSchema();
    // Records the failure; the cause comes from SQLite's last result unless it is given.
    bool fail(const QString& what);
    bool fail(const QString& what, Cause cause);
    // False when the database cannot be read; found is empty when there is no such key.
    bool lookUp(KeyId parent, const QString& folded, std::optional<KeyId>& found);
    std::optional<KeyId> insert(KeyId parent, QStringView name, const QString& folded);
    bool keyExists(KeyId key);

    static int onBusy(void* store, int attempts);

    QString path_;
    sqlite3* db_ = nullptr;
    QString lastError_;
    Cause lastCause_ = Cause::Unknown;
    BusyWait busyWait_;
    int waitedMs_ = 0;
    bool waitStarted_ = false;
};

} // namespace quill
