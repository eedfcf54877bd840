#include "registry/KeyStore.h"
#include "support/EnvironmentGuard.h"
#include "window/FormFixture.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>

#include <sqlite3.h>

namespace quill::test {
namespace {

using namespace Qt::StringLiterals;

class RegistryCommands : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        ASSERT_TRUE(config.isValid());
        storePath = config.path() + u"/Quillbook/registry.sqlite3"_s;
        services.registryStorePath = storePath;
    }

    void setTexts(QByteArrayView first, QByteArrayView second) {
        form->ComboBox1->setEditBytes(first);
        form->ComboBox2->setEditBytes(second);
    }
    std::pair<QByteArray, QByteArray> texts() const {
        return {form->ComboBox1->editBytes(), form->ComboBox2->editBytes()};
    }
    // The subkeys of a key given by its path below the root, or {"<missing>"}.
    QStringList keys(QStringView path) {
        KeyStore store(storePath);
        const auto key = store.findKey(KeyStore::rootKey, path);
        return key ? store.subkeyNames(*key) : QStringList{u"<missing>"_s};
    }
    qint64 keyCount() { return KeyStore(storePath).keyCount(); }

    QTemporaryDir config;
    QString storePath;
};

TEST_F(RegistryCommands, readBeforeAnyWrite_emptiesEditTextsAndCreatesStoreKey) {
    {
        KeyStore earlierRun(storePath);
        ASSERT_TRUE(earlierRun.createKey(KeyStore::rootKey, u"Other\\old").ok());
    }
    makeForm();
    fill(*form->ComboBox1, {u"one"_s, u"two"_s});
    setTexts("typed", "meaning");
    trigger("ReadDatasFromRegistryDatabase1");
    EXPECT_EQ(texts(), std::make_pair(QByteArray(), QByteArray()));
    EXPECT_EQ(FormFixture::texts(*form->ComboBox1), (QStringList{u"one"_s, u"two"_s}));
    EXPECT_EQ(keys(u""), (QStringList{u"Other"_s, u"Quillbook"_s}));
    EXPECT_EQ(keys(u"Quillbook"), QStringList{});
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(RegistryCommands, writeThenEditThenRead_bringsBackTheWrittenPair) {
    makeForm();
    fill(*form->ComboBox2, {u"kept"_s});
    QTest::keyClicks(form->ComboBox1->findChild<QLineEdit*>(), u"apple"_s);
    form->ComboBox2->setEditBytes("Apfel");
    trigger("WriteDatasFromRegistryDatabase1");
    EXPECT_EQ(keys(u"Quillbook"), (QStringList{u"Apfel"_s, u"apple"_s}));

    setTexts("pear", "Birne");
    trigger("ReadDatasFromRegistryDatabase1");
    EXPECT_EQ(texts(), std::make_pair(QByteArray("apple"), QByteArray("Apfel")));
    EXPECT_EQ(FormFixture::texts(*form->ComboBox2), QStringList{u"kept"_s});
    EXPECT_TRUE(form->ComboBox1->entries().empty());
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(RegistryCommands, backslashTexts_giveNestedKeysAndKeysBelowTheRoot) {
    makeForm();
    setTexts("a\\b\\c", "\\Notes\\x");
    trigger("WriteDatasFromRegistryDatabase1");
    EXPECT_EQ(keys(u"Quillbook"), QStringList{u"a"_s});
    EXPECT_EQ(keys(u"Quillbook\\a"), QStringList{u"b"_s});
    EXPECT_EQ(keys(u"Quillbook\\a\\b"), QStringList{u"c"_s});
    EXPECT_EQ(keys(u""), (QStringList{u"Notes"_s, u"Quillbook"_s}));
    EXPECT_EQ(keys(u"Notes"), QStringList{u"x"_s});
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(RegistryCommands, emptyTexts_createNothingButAreRemembered) {
    makeForm();
    setTexts("apple", "Apfel");
    trigger("WriteDatasFromRegistryDatabase1");
    setTexts("", "");
    trigger("WriteDatasFromRegistryDatabase1");
    setTexts("typed", "again");
    trigger("ReadDatasFromRegistryDatabase1");
    EXPECT_EQ(texts(), std::make_pair(QByteArray(), QByteArray()));
    EXPECT_EQ(keyCount(), 3);
    EXPECT_TRUE(dialogs.failures.empty());
}

TEST_F(RegistryCommands, writingTwiceAndInOtherCase_addsNoKeys) {
    makeForm();
    setTexts("Übung", "exercise");
    trigger("WriteDatasFromRegistryDatabase1");
    trigger("WriteDatasFromRegistryDatabase1");
    setTexts("üBUNG", "EXERCISE");
    trigger("WriteDatasFromRegistryDatabase1");
    EXPECT_EQ(keys(u"Quillbook"), (QStringList{u"exercise"_s, u"Übung"_s}));
    EXPECT_EQ(keyCount(), 3);
}

TEST_F(RegistryCommands, failingFirstText_skipsSecondAndKeepsOldPair) {
    makeForm();
    setTexts("apple", "Apfel");
    trigger("WriteDatasFromRegistryDatabase1");
    const QByteArray tooLong = "\\" + QByteArray(256, 'k');
    setTexts(tooLong, "second");
    trigger("WriteDatasFromRegistryDatabase1");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].text, u"Failed to create key "_s + displayText(tooLong) + u"."_s);
    EXPECT_EQ(keys(u"Quillbook"), (QStringList{u"Apfel"_s, u"apple"_s}));
    EXPECT_EQ(texts(), std::make_pair(tooLong, QByteArray("second")));

    trigger("ReadDatasFromRegistryDatabase1");
    EXPECT_EQ(texts(), std::make_pair(QByteArray("apple"), QByteArray("Apfel")));
}

TEST_F(RegistryCommands, failingSecondText_keepsFirstKeyAndOldPair) {
    makeForm();
    setTexts("first", "a\\\\b");
    trigger("WriteDatasFromRegistryDatabase1");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].text, u"Failed to create key a\\\\b."_s);
    EXPECT_EQ(keys(u"Quillbook"), QStringList{u"first"_s});
    trigger("ReadDatasFromRegistryDatabase1");
    EXPECT_EQ(texts(), std::make_pair(QByteArray(), QByteArray()));
}

// A damaged store is reported and left as it is; reading still works from memory.
TEST_F(RegistryCommands, damagedStore_failsTheWriteAndStaysUntouched) {
    makeForm();
    setTexts("apple", "Apfel");
    trigger("WriteDatasFromRegistryDatabase1");
    const QByteArray garbage = "not a database at all\n";
    writeBytes(storePath, garbage);
    setTexts("pear", "Birne");
    trigger("WriteDatasFromRegistryDatabase1");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].text,
              u"Failed to create key Quillbook: the file is not a key store."_s);
    EXPECT_EQ(fileBytes(storePath), garbage);

    trigger("ReadDatasFromRegistryDatabase1");
    EXPECT_EQ(texts(), std::make_pair(QByteArray("apple"), QByteArray("Apfel")));
    EXPECT_EQ(dialogs.failures.size(), 1u);
}

// Another program in the middle of a write when the store key is opened: the write is refused
// with its cause, no key is created anywhere, and the last written pair stays.
TEST_F(RegistryCommands, storeHeldByAnotherConnection_writesNothingAndKeepsThePair) {
    services.registryLockWaitMs = 60;
    makeForm();
    setTexts("apple", "Apfel");
    trigger("WriteDatasFromRegistryDatabase1");
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(storePath).constData(), &other), SQLITE_OK);
    const auto closeOther = qScopeGuard([other] { sqlite3_close(other); });
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

    setTexts("pear", "Birne");
    trigger("WriteDatasFromRegistryDatabase1");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].text,
              u"Failed to create key Quillbook: the key store is locked by another program."_s);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    EXPECT_EQ(keys(u""), QStringList{u"Quillbook"_s});
    EXPECT_EQ(keys(u"Quillbook"), (QStringList{u"Apfel"_s, u"apple"_s}));
    trigger("ReadDatasFromRegistryDatabase1");
    EXPECT_EQ(texts(), std::make_pair(QByteArray("apple"), QByteArray("Apfel")));
}

TEST_F(RegistryCommands, bytesThatAreNotUtf8_surviveTheRoundTrip) {
    makeForm();
    setTexts("caf\xe9", "\xff%s'; DROP TABLE keys; --");
    trigger("WriteDatasFromRegistryDatabase1");
    EXPECT_TRUE(dialogs.failures.empty());
    EXPECT_EQ(keys(u"Quillbook").size(), 2);
    EXPECT_NE(keys(u"Quillbook").indexOf(displayText("caf\xe9")), -1);
    setTexts("", "");
    trigger("ReadDatasFromRegistryDatabase1");
    EXPECT_EQ(texts(),
              std::make_pair(QByteArray("caf\xe9"), QByteArray("\xff%s'; DROP TABLE keys; --")));
}

TEST_F(RegistryCommands, defaultStore_isBelowXdgConfigHome) {
    const EnvironmentGuard restore("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path() + u"/xdg"_s));
    services.registryStorePath.clear();
    makeForm();
    setTexts("apple", "Apfel");
    trigger("WriteDatasFromRegistryDatabase1");
    storePath = config.path() + u"/xdg/Quillbook/registry.sqlite3"_s;
    EXPECT_EQ(keys(u"Quillbook"), (QStringList{u"Apfel"_s, u"apple"_s}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
}

} // namespace
} // namespace quill::test
