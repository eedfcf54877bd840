#include "registry/KeyStore.h"

#include "core/ByteText.h"
#include "support/EnvironmentGuard.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using quill::KeyStore;
using quill::test::EnvironmentGuard;

namespace {

// Runs the function in a forked child and gives its exit code, or -1 when it did not exit.
int runInChild(const std::function<int()>& function) {
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0)
        _exit(function());
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Every file below the folder, as relative paths.
QStringList filesBelow(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

QString integrityCheck(const QString& path) {
    sqlite3* db = nullptr;
    QString result;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* check = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
        while (check && sqlite3_step(check) == SQLITE_ROW)
            result +=
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)));
        sqlite3_finalize(check);
    }
    sqlite3_close(db);
    return result;
}

class KeyStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.path() + u"/Quillbook/registry.sqlite3"_s;
    }

    // Makes the temporary folders usable by the unprivileged user.
    void openFoldersToEveryone() {
        QDir().mkpath(dir_.path() + u"/Quillbook"_s);
        chmod(QFile::encodeName(dir_.path()).constData(), 0777);
        chmod(QFile::encodeName(dir_.path() + u"/Quillbook"_s).constData(), 0777);
    }

    QTemporaryDir dir_;
    QString path_;
};

TEST_F(KeyStoreTest, createNestedPath_createsEveryLevelWithItsSpelling) {
    KeyStore store(path_);
    const KeyStore::Result created = store.createKey(KeyStore::rootKey, u"Alpha\\beta\\Gamma");
    ASSERT_TRUE(created.ok()) << store.lastError().toStdString();

    EXPECT_EQ(store.subkeyNames(KeyStore::rootKey), QStringList{u"Alpha"_s});
    const auto alpha = store.findKey(KeyStore::rootKey, u"alpha");
    ASSERT_TRUE(alpha);
    EXPECT_EQ(store.subkeyNames(*alpha), QStringList{u"beta"_s});
    EXPECT_EQ(store.findKey(*alpha, u"BETA\\gamma"), created.key);
    EXPECT_EQ(store.keyCount(), 3);
}

TEST_F(KeyStoreTest, createBelowAKey_isRelativeToThatKey) {
    KeyStore store(path_);
    const auto base = store.createKey(KeyStore::rootKey, u"Quillbook");
    ASSERT_TRUE(base.ok());
    ASSERT_TRUE(store.createKey(base.key, u"a\\b").ok());
    EXPECT_EQ(store.subkeyNames(KeyStore::rootKey), QStringList{u"Quillbook"_s});
    EXPECT_TRUE(store.findKey(KeyStore::rootKey, u"Quillbook\\a\\b"));
}

TEST_F(KeyStoreTest, createSamePathTwice_givesSameKeyAndAddsNothing) {
    KeyStore store(path_);
    const auto first = store.createKey(KeyStore::rootKey, u"a\\b\\c");
    const auto second = store.createKey(KeyStore::rootKey, u"a\\b\\c");
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(first.key, second.key);
    EXPECT_EQ(store.keyCount(), 3);
}

struct CasePair {
    const char16_t* first;
    const char16_t* second;
    bool sameKey;
};

// The registry compares names by simple (one-to-one) case folding: ß stays apart from SS.
TEST_F(KeyStoreTest, namesDifferingInCase_shareOneKeyWithFirstSpelling) {
    const CasePair pairs[] = {
        {u"apple", u"APPLE", true},     {u"Ärger", u"äRGER", true}, {u"ΣΊΣΥΦΟΣ", u"σίσυφος", true},
        {u"σίσυφος", u"σίσυφοσ", true}, // final sigma folds to sigma
        {u"Привет", u"пРИВЕТ", true},   {u"ǅemal", u"ǆEMAL", true}, {u"Straße", u"STRASSE", false},
        {u"apple", u"Apfel", false},    {u"é", u"e\u0301", false}, // no normalisation, as in the
                                                                   // registry
    };
    for (const CasePair& pair : pairs) {
        SCOPED_TRACE(QString::fromUtf16(pair.first).toStdString());
        QFile::remove(path_);
        KeyStore store(path_);
        const auto first = store.createKey(KeyStore::rootKey, QStringView(pair.first));
        const auto second = store.createKey(KeyStore::rootKey, QStringView(pair.second));
        ASSERT_TRUE(first.ok());
        ASSERT_TRUE(second.ok());
        EXPECT_EQ(first.key == second.key, pair.sameKey);
        if (pair.sameKey)
            EXPECT_EQ(store.subkeyNames(KeyStore::rootKey),
                      QStringList{QString::fromUtf16(pair.first)});
        else
            EXPECT_EQ(store.keyCount(), 2);
    }
}

struct PathCase {
    QString path;
    KeyStore::Status status;
    QStringList topLevel; // keys below the root afterwards
};

TEST_F(KeyStoreTest, pathShapesAndLevelLengths_followTheRegistry) {
    const QString x255(255, u'x');
    const QString umlauts255(255, u'ä');
    QString emoji127;
    QString emoji128;
    for (int i = 0; i < 127; ++i)
        emoji127 += u"😀"_s;
    emoji128 = emoji127 + u"😀"_s; // 256 UTF-16 code units
    const PathCase cases[] = {
        {u"a\\"_s, KeyStore::Status::Ok, {u"a"_s}},
        {u"a\\\\b"_s, KeyStore::Status::BadName, {}},
        {u"\\a"_s, KeyStore::Status::BadName, {}},
        {u"a\\b\\\\"_s, KeyStore::Status::BadName, {}},
        {u"a\u0000b"_s, KeyStore::Status::BadName, {}},
        {x255, KeyStore::Status::Ok, {x255}},
        {x255 + u"y"_s, KeyStore::Status::NameTooLong, {}},
        {umlauts255, KeyStore::Status::Ok, {umlauts255}},
        {emoji127, KeyStore::Status::Ok, {emoji127}},
        {emoji128, KeyStore::Status::NameTooLong, {}},
        {u"top\\"_s + x255 + u"\\"_s + x255, KeyStore::Status::Ok, {u"top"_s}},
        {u"top\\ok\\"_s + x255 + u"z"_s, KeyStore::Status::NameTooLong, {}},
    };
    for (const PathCase& row : cases) {
        SCOPED_TRACE(row.path.left(40).toStdString());
        QFile::remove(path_);
        KeyStore store(path_);
        EXPECT_EQ(store.createKey(KeyStore::rootKey, row.path).status, row.status);
        EXPECT_EQ(store.subkeyNames(KeyStore::rootKey), row.topLevel);
    }
}

TEST_F(KeyStoreTest, emptyPath_givesBaseAndLeavesNoFile) {
    KeyStore store(path_);
    const auto created = store.createKey(KeyStore::rootKey, u"");
    EXPECT_TRUE(created.ok());
    EXPECT_EQ(created.key, KeyStore::rootKey);
    EXPECT_FALSE(QFile::exists(path_));
}

TEST_F(KeyStoreTest, keysSurviveReopening_withFirstSpelling) {
    {
        KeyStore store(path_);
        ASSERT_TRUE(store.createKey(KeyStore::rootKey, u"Quillbook\\Zürich").ok());
    }
    KeyStore store(path_);
    ASSERT_TRUE(store.createKey(KeyStore::rootKey, u"QUILLBOOK\\zÜRICH").ok());
    const auto quillbook = store.findKey(KeyStore::rootKey, u"quillbook");
    ASSERT_TRUE(quillbook);
    EXPECT_EQ(store.subkeyNames(KeyStore::rootKey), QStringList{u"Quillbook"_s});
    EXPECT_EQ(store.subkeyNames(*quillbook), QStringList{u"Zürich"_s});
}

TEST_F(KeyStoreTest, namesLikePathsOrSql_areStoredLiterallyInsideTheFile) {
    const QString names[] = {
        u"'; DROP TABLE keys; --"_s,
        u"x' OR '1'='1"_s,
        u".."_s,
        u"../../outside"_s,
        u"/etc/passwd"_s,
        u"C:/Windows"_s,
        u"%s%n%1%%"_s,
        u"\"quoted\" *?<>|"_s,
        u"~"_s,
        u" leading and trailing "_s,
        u"\u0001\t\r\n"_s,
        quill::displayText("\xff\xfe raw bytes"),
    };
    KeyStore store(path_);
    for (const QString& name : names)
        ASSERT_TRUE(store.createKey(KeyStore::rootKey, name).ok()) << name.toStdString();

    QStringList expected(std::begin(names), std::end(names));
    expected.sort(Qt::CaseInsensitive);
    QStringList stored = store.subkeyNames(KeyStore::rootKey);
    stored.sort(Qt::CaseInsensitive);
    EXPECT_EQ(stored, expected);
    store.close();
    EXPECT_EQ(filesBelow(dir_.path()), QStringList{u"Quillbook/registry.sqlite3"_s});
}

TEST_F(KeyStoreTest, defaultPath_followsXdgConfigHome) {
    const EnvironmentGuard restore("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path()));
    EXPECT_EQ(KeyStore::defaultPath(), dir_.path() + u"/Quillbook/registry.sqlite3"_s);
    qputenv("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(KeyStore::defaultPath(), QDir::homePath() + u"/.config/Quillbook/registry.sqlite3"_s);
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(KeyStore::defaultPath(), QDir::homePath() + u"/.config/Quillbook/registry.sqlite3"_s);
}

TEST_F(KeyStoreTest, emptyFile_becomesAKeyStore) {
    QDir().mkpath(dir_.path() + u"/Quillbook"_s);
    quill::test::writeBytes(path_, "");
    KeyStore store(path_);
    EXPECT_TRUE(store.createKey(KeyStore::rootKey, u"a").ok()) << store.lastError().toStdString();
}

// A damaged or foreign file is refused and left byte for byte as it was.
TEST_F(KeyStoreTest, corruptOrForeignFile_isRefusedAndUnchanged) {
    QByteArray damaged;
    {
        KeyStore store(path_);
        for (int i = 0; i < 200; ++i)
            ASSERT_TRUE(store.createKey(KeyStore::rootKey, u"key %1\\sub"_s.arg(i)).ok());
    }
    damaged = quill::test::fileBytes(path_);
    ASSERT_GT(damaged.size(), 4 * 4096);
    for (qsizetype i = 4096; i < 4096 + 600; ++i)
        damaged[i] = char(0xA5);

    QByteArray foreign;
    {
        const QString other = dir_.path() + u"/other.sqlite3"_s;
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(other).constData(), &db);
        sqlite3_exec(db, "CREATE TABLE notes(text); INSERT INTO notes VALUES('x');", nullptr,
                     nullptr, nullptr);
        sqlite3_close(db);
        foreign = quill::test::fileBytes(other);
    }

    const QByteArray files[] = {
        QByteArray("This is not a database, only some text.\n"),
        QByteArray("SQLite format 3\0garbage", 23),
        damaged,
        damaged.left(3 * 4096 + 17),
        foreign,
    };
    for (const QByteArray& bytes : files) {
        SCOPED_TRACE(bytes.left(16).toStdString());
        quill::test::writeBytes(path_, bytes);
        KeyStore store(path_);
        EXPECT_EQ(store.createKey(KeyStore::rootKey, u"new").status, KeyStore::Status::Unavailable);
        store.close();
        EXPECT_EQ(quill::test::fileBytes(path_), bytes);
    }
}

TEST_F(KeyStoreTest, readOnlyFile_refusesEveryKeyAsUnprivilegedUser) {
    {
        KeyStore store(path_);
        ASSERT_TRUE(store.createKey(KeyStore::rootKey, u"old").ok());
    }
    openFoldersToEveryone();
    chmod(QFile::encodeName(path_).constData(), 0444);
    const QByteArray before = quill::test::fileBytes(path_);

    const int result = quill::test::runAsUnprivileged([this] {
        KeyStore store(path_);
        const bool newRefused =
            store.createKey(KeyStore::rootKey, u"new").status == KeyStore::Status::Unavailable;
        const bool oldRefused =
            store.createKey(KeyStore::rootKey, u"old").status == KeyStore::Status::Unavailable;
        return newRefused && oldRefused ? 0 : 1;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(quill::test::fileBytes(path_), before);
}

TEST_F(KeyStoreTest, readOnlyFolder_refusesToCreateTheFile) {
    QDir().mkpath(dir_.path() + u"/Quillbook"_s);
    chmod(QFile::encodeName(dir_.path()).constData(), 0777);
    chmod(QFile::encodeName(dir_.path() + u"/Quillbook"_s).constData(), 0555);
    const int result = quill::test::runAsUnprivileged([this] {
        KeyStore store(path_);
        return store.createKey(KeyStore::rootKey, u"a").status == KeyStore::Status::Unavailable ? 0
                                                                                                : 1;
    });
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(QFile::exists(path_));
}

// A full disk is simulated with a file size limit in a child process.
TEST_F(KeyStoreTest, fullDisk_createsNoLevelAndKeepsTheFileSound) {
    {
        KeyStore store(path_);
        ASSERT_TRUE(store.createKey(KeyStore::rootKey, u"old").ok());
    }
    const qint64 size = QFileInfo(path_).size();
    const QString path = path_;
    const int result = runInChild([path, size] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t(size + 8192), rlim_t(size + 8192)};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
        QString deep = u"deep"_s;
        for (int i = 0; i < 60; ++i)
            deep += u"\\"_s + QString(200, QChar(u'a' + i % 26));
        KeyStore store(path);
        return store.createKey(KeyStore::rootKey, deep).status == KeyStore::Status::Unavailable ? 0
                                                                                                : 1;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(integrityCheck(path_), u"ok"_s);
    KeyStore store(path_);
    EXPECT_EQ(store.subkeyNames(KeyStore::rootKey), QStringList{u"old"_s});
    EXPECT_TRUE(store.createKey(KeyStore::rootKey, u"after").ok());
}

TEST_F(KeyStoreTest, twoProcessesWritingAtOnce_loseNoKey) {
    constexpr int keysEach = 100;
    const QString path = path_;
    auto writer = [path](int copy) {
        KeyStore store(path);
        // One store waits 2 s in all by default, enough for one command, not for 200 keys.
        store.setBusyWait({60'000, {}, {}});
        for (int i = 0; i < keysEach; ++i) {
            if (!store.createKey(KeyStore::rootKey, u"shared\\%1"_s.arg(i)).ok())
                return 1;
            if (!store.createKey(KeyStore::rootKey, u"copy%1\\%2\\leaf"_s.arg(copy).arg(i)).ok())
                return 1;
        }
        return 0;
    };
    pid_t children[2];
    for (int copy = 0; copy < 2; ++copy) {
        children[copy] = fork();
        ASSERT_GE(children[copy], 0);
        if (children[copy] == 0)
            _exit(writer(copy));
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    KeyStore store(path_);
    EXPECT_EQ(store.subkeyNames(KeyStore::rootKey),
              (QStringList{u"copy0"_s, u"copy1"_s, u"shared"_s}));
    EXPECT_EQ(store.keyCount(), 3 + keysEach + 2 * 2 * keysEach);
    EXPECT_EQ(integrityCheck(path_), u"ok"_s);
}

// A copy killed in the middle of writing leaves every key whole: all of its levels or none.
TEST_F(KeyStoreTest, killDuringWrites_leavesConsistentDatabase) {
    const QString path = path_;
    for (int round = 0; round < 4; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            KeyStore store(path);
            for (int i = 0;; ++i) {
                if (!store.createKey(KeyStore::rootKey, u"r%1k%2\\a\\b\\c\\d"_s.arg(round).arg(i))
                         .ok())
                    _exit(1);
                if (i == 0 && write(ready[1], "x", 1) != 1)
                    _exit(1);
            }
        }
        close(ready[1]);
        char byte = 0;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        usleep(useconds_t(3000 + round * 7000));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        KeyStore store(path_);
        const QStringList top = store.subkeyNames(KeyStore::rootKey);
        ASSERT_FALSE(top.isEmpty()) << store.lastError().toStdString();
        for (const QString& name : top)
            EXPECT_TRUE(store.findKey(KeyStore::rootKey, name + u"\\a\\b\\c\\d"_s))
                << name.toStdString();
        EXPECT_EQ(store.keyCount(), 5 * top.size());
        store.close();
        EXPECT_EQ(integrityCheck(path_), u"ok"_s);
    }
}

} // namespace
