#include "registry/RegistryAccessor.h"

#include "core/Failure.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <sqlite3.h>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using quill::KeyStore;
using quill::RegistryAccessor;

namespace {

class RegistryAccessorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        path_ = dir_.path() + u"/Quillbook/registry.sqlite3"_s;
    }

    QStringList keysBelow(QStringView path) {
        KeyStore store(path_);
        const auto key = store.findKey(KeyStore::rootKey, path);
        return key ? store.subkeyNames(*key) : QStringList{u"<missing>"_s};
    }

    // The message of the failure createSubkey raises, or an empty text when it succeeds.
    static QString failureOf(RegistryAccessor& accessor, QStringView name) {
        try {
            accessor.createSubkey(name);
        } catch (const quill::Failure& failure) {
            return failure.message();
        }
        return {};
    }

    QTemporaryDir dir_;
    QString path_;
};

TEST_F(RegistryAccessorTest, openStoreKey_createsQuillbookBelowTheRoot) {
    RegistryAccessor accessor(path_);
    EXPECT_FALSE(accessor.hasCurrentKey());
    EXPECT_TRUE(accessor.openStoreKey());
    EXPECT_TRUE(accessor.hasCurrentKey());
    EXPECT_EQ(accessor.currentPath(), u"Quillbook"_s);
    accessor.release();
    EXPECT_FALSE(accessor.hasCurrentKey());
    EXPECT_EQ(keysBelow(u""), QStringList{u"Quillbook"_s});
}

struct SubkeyCase {
    QString name;
    QString parent;       // the key that must hold the new subkeys
    QStringList subkeys;  // its subkeys afterwards
    QStringList rootKeys; // the keys below the root afterwards
};

TEST_F(RegistryAccessorTest, createSubkey_placesNamesLikeTheRegistry) {
    const SubkeyCase cases[] = {
        {u"apple"_s, u"Quillbook"_s, {u"apple"_s}, {u"Quillbook"_s}},
        {u"a\\b\\c"_s, u"Quillbook\\a\\b"_s, {u"c"_s}, {u"Quillbook"_s}},
        {u"\\Notes\\x"_s, u"Notes"_s, {u"x"_s}, {u"Notes"_s, u"Quillbook"_s}},
        {u"\\"_s, u"Quillbook"_s, {}, {u"Quillbook"_s}},
        {u""_s, u"Quillbook"_s, {}, {u"Quillbook"_s}},
        {u"trailing\\"_s, u"Quillbook"_s, {u"trailing"_s}, {u"Quillbook"_s}},
    };
    for (const SubkeyCase& row : cases) {
        SCOPED_TRACE(row.name.toStdString());
        QFile::remove(path_);
        {
            RegistryAccessor accessor(path_);
            ASSERT_TRUE(accessor.openStoreKey());
            accessor.createSubkey(row.name);
            EXPECT_EQ(accessor.currentPath(), u"Quillbook"_s);
        }
        EXPECT_EQ(keysBelow(row.parent), row.subkeys);
        EXPECT_EQ(keysBelow(u""), row.rootKeys);
    }
}

TEST_F(RegistryAccessorTest, twoFieldTexts_becomeTwoSubkeysOfTheStoreKey) {
    for (int write = 0; write < 2; ++write) {
        RegistryAccessor accessor(path_);
        accessor.openStoreKey();
        accessor.createSubkey(u"apple");
        accessor.createSubkey(u"Apfel");
    }
    EXPECT_EQ(keysBelow(u"Quillbook"), (QStringList{u"Apfel"_s, u"apple"_s}));
    KeyStore store(path_);
    EXPECT_EQ(store.keyCount(), 3);
}

TEST_F(RegistryAccessorTest, withoutStoreKey_relativeNamesGoBelowTheRoot) {
    {
        RegistryAccessor accessor(path_);
        accessor.createSubkey(u"loose\\leaf");
    }
    EXPECT_EQ(keysBelow(u""), QStringList{u"loose"_s});
    EXPECT_EQ(keysBelow(u"loose"), QStringList{u"leaf"_s});
}

TEST_F(RegistryAccessorTest, invalidNames_failWithTheUnchangedText) {
    const QString names[] = {
        QString(256, u'k'), u"\\"_s + QString(256, u'k'),          u"\\\\double"_s,
        u"a\\\\b"_s,        u"ok\\%1 %s\\"_s + QString(300, u'ü'),
    };
    RegistryAccessor accessor(path_);
    ASSERT_TRUE(accessor.openStoreKey());
    for (const QString& name : names)
        EXPECT_EQ(failureOf(accessor, name), u"Failed to create key "_s + name);
    EXPECT_TRUE(accessor.hasCurrentKey());
    accessor.release();
    EXPECT_EQ(keysBelow(u""), QStringList{u"Quillbook"_s});
    EXPECT_EQ(keysBelow(u"Quillbook"), QStringList{});
}

TEST_F(RegistryAccessorTest, readOnlyStore_opensNothingAndFailsEveryCreate) {
    {
        RegistryAccessor accessor(path_);
        accessor.openStoreKey();
        accessor.createSubkey(u"old");
    }
    chmod(QFile::encodeName(dir_.path()).constData(), 0777);
    chmod(QFile::encodeName(dir_.path() + u"/Quillbook"_s).constData(), 0777);
    chmod(QFile::encodeName(path_).constData(), 0444);
    const QByteArray before = quill::test::fileBytes(path_);

    const int result = quill::test::runAsUnprivileged([this] {
        RegistryAccessor accessor(path_);
        if (accessor.openStoreKey() || accessor.hasCurrentKey())
            return 1;
        try {
            accessor.createSubkey(u"\\Quillbook\\old");
            return 2;
        } catch (const quill::Failure& failure) {
            if (failure.message() !=
                u"Failed to create key \\Quillbook\\old: the key store may not be written"_s)
                return 3;
        }
        accessor.createSubkey(u""); // nothing to create: no failure
        return 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(quill::test::fileBytes(path_), before);
}

} // namespace

namespace {

TEST_F(RegistryAccessorTest, storeLockedByAnotherProgram_waitsTwoSecondsInAllThenFails) {
    {
        KeyStore store(path_);
        ASSERT_TRUE(store.createKey(KeyStore::rootKey, u"Quillbook").ok());
    }
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path_).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    int waitsBegun = 0;
    int waitedMs = 0;
    KeyStore::BusyWait wait;
    wait.started = [&] {
        ++waitsBegun;
    };
    wait.sleep = [&](int ms) {
        waitedMs += ms;
    };
    EXPECT_EQ(wait.budgetMs, 2000);
    {
        // The write command's steps: the store key, then two subkeys.
        RegistryAccessor accessor(path_, wait);
        accessor.openStoreKey();
        const QString cause = u": the key store is locked by another program"_s;
        EXPECT_EQ(failureOf(accessor, u"first"), u"Failed to create key first"_s + cause);
        EXPECT_EQ(failureOf(accessor, u"second"), u"Failed to create key second"_s + cause);
        EXPECT_EQ(waitsBegun, 1); // the busy cursor is shown once
        EXPECT_EQ(waitedMs, 2000);

        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        EXPECT_EQ(failureOf(accessor, u"later"), QString()); // a free store needs no waiting
    }
    sqlite3_close(other);
}

// Another connection in the middle of a write transaction, a damaged store, a foreign database
// and a text file: each refusal names its cause, nothing is created anywhere and the file stays.
TEST_F(RegistryAccessorTest, refusedStore_namesTheCauseAndCreatesNothing) {
    // A store with the store key and `keys` more keys, written in one transaction.
    const auto makeStore = [this](int keys) {
        QFile::remove(path_);
        KeyStore(path_).createKey(KeyStore::rootKey, u"Quillbook");
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(path_).constData(), &db);
        const QByteArray fill = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                "WHERE i < " +
                                QByteArray::number(keys) +
                                ") INSERT INTO keys(parent, name, folded) "
                                "SELECT 0, 'key ' || i, 'key ' || i FROM n";
        sqlite3_exec(db, fill.constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
    sqlite3* other = nullptr;
    const auto holdWriteTransaction = [&] {
        makeStore(1);
        sqlite3_open(QFile::encodeName(path_).constData(), &other);
        sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    };
    const auto damage = [&] {
        makeStore(200);
        QByteArray bytes = quill::test::fileBytes(path_);
        ASSERT_GT(bytes.size(), 3 * 4096);
        bytes.replace(4096, 600, QByteArray(600, char(0xA5)));
        quill::test::writeBytes(path_, bytes);
    };
    const auto foreignDatabase = [&] {
        QFile::remove(path_);
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(path_).constData(), &db);
        sqlite3_exec(db, "CREATE TABLE notes(text)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
    const auto textFile = [&] {
        quill::test::writeBytes(path_, "Quillbook=apple\n");
    };
    const struct {
        const char* name;
        std::function<void()> prepare;
        QString cause;
    } rows[] = {
        {"write transaction", holdWriteTransaction,
         u"the key store is locked by another program"_s},
        {"damaged", damage, u"the key store is damaged"_s},
        {"foreign database", foreignDatabase, u"the file is not a key store"_s},
        {"text file", textFile, u"the file is not a key store"_s},
    };
    QDir().mkpath(dir_.path() + u"/Quillbook"_s);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.prepare();
        const QByteArray before = quill::test::fileBytes(path_);
        {
            RegistryAccessor accessor(path_, {40, {}, [](int) {
                                              }});
            try {
                accessor.requireStoreKey();
                ADD_FAILURE() << "store key opened";
            } catch (const quill::Failure& failure) {
                EXPECT_EQ(failure.message(), u"Failed to create key Quillbook: "_s + row.cause);
            }
            EXPECT_FALSE(accessor.hasCurrentKey());
            EXPECT_EQ(failureOf(accessor, u"banana"),
                      u"Failed to create key banana: "_s + row.cause);
        }
        sqlite3_close(other); // ends the other connection's transaction without writing
        other = nullptr;
        EXPECT_EQ(quill::test::fileBytes(path_), before);
    }
}

} // namespace
