#include "storage/SaveLeftovers.h"

#include "storage/FolderLock.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

TEST(SaveLeftoverNames, recogniseTheNamesSavesGive) {
    const QByteArray target(250, 'n');
    const quint64 tenDigits = 101559956668416; // 36 to the 9th
    for (const quint64 random : {tenDigits, quint64(1234567890123456789), ~quint64(0)}) {
        EXPECT_TRUE(isTemporaryFileName(temporaryFileName("Phrase.log", random)));
        EXPECT_TRUE(isTemporaryFileName(temporaryFileName(target, random)));
    }
    EXPECT_FALSE(isTemporaryFileName(temporaryFileName("Phrase.log", tenDigits - 1)));
    EXPECT_EQ(temporaryFileName("Mean.log", 35), QByteArray(".Mean.log.z.tmp"));
    EXPECT_EQ(temporaryFileName(target, 0), '.' + target.left(200) + ".0.tmp");
}

class SaveLeftoversTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
    QStringList names() const {
        return QDir(dir_.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }
    // A moment after every file made so far: file times tick in steps of a few milliseconds.
    static qint64 momentAfterFiles() {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return fileClockNow();
    }
    QTemporaryDir dir_;
};

const char* const leftovers[] = {
    ".Phrase.log.1a2b3c4d5e6f.tmp", ".Mean.log.1000000000.tmp",
    ".notes.rtf.3w5e11264sgsf.tmp", // the largest random part
    ".my list.log.zzzzzzzzzz.tmp",  ".a.b.c.kq7u8d1nt1yj.tmp",
};

// Names that look like leftovers, or files that are not leftovers of this program.
const char* const lookAlikes[] = {
    "Phrase.log",
    ".Phrase.log.tmp",                // no random part
    ".Phrase.old.tmp",                // too short for a random part
    ".Phrase.log.zzzzzzzzz.tmp",      // as short random parts are rare, a person's name
    "Phrase.log.1a2b3c4d5e6f.tmp",    // not hidden
    ".Phrase.log.1A2B3C4D5E6F.tmp",   // upper case
    ".Phrase.log.01a2b3c4d5e6.tmp",   // a leading zero
    ".Phrase.log.3w5e11264sgsg.tmp",  // beyond 64 bits
    ".Phrase.log.1a2b3c4d5e6f7g.tmp", // too long
    ".Phrase.log.1a2b3c4d5e6f.tmp.bak",
    ".Phrase.log.1a2b3c-d5e6f.tmp",
    "..1a2b3c4d5e6f.tmp", // no target name
    ".Phrase.log.1a2b3c4d5e6f.TMP",
    ".Phrase.log.1a2b3c4d5e6f.tmp~",
};

TEST_F(SaveLeftoversTest, removesOldLeftoversOnlyAndNeverALookAlike) {
    for (const char* name : leftovers)
        test::writeBytes(path(name), "x");
    for (const char* name : lookAlikes)
        test::writeBytes(path(name), "x");
    const QByteArray tooLong = '.' + QByteArray(201, 'n') + ".1a2b3c4d5e6f.tmp";
    test::writeBytes(path(tooLong.constData()), "x");
    ASSERT_TRUE(QDir(dir_.path()).mkdir(u".folder.1a2b3c4d5e6f.tmp"_s));
    ASSERT_TRUE(QFile::link(path("Phrase.log"), path(".link.1a2b3c4d5e6f.tmp")));
    ASSERT_EQ(::link(QFile::encodeName(path("Phrase.log")).constData(),
                     QFile::encodeName(path(".linked.1a2b3c4d5e6f.tmp")).constData()),
              0);
    const qint64 start = momentAfterFiles();
    test::writeBytes(path(".Phrase.log.newnewnew1.tmp"),
                     "x"); // another window's save, after our start

    QStringList expected = names();
    for (const char* name : leftovers)
        expected.removeOne(QString::fromUtf8(name));
    EXPECT_EQ(removeSaveLeftovers(dir_.path(), start), int(std::size(leftovers)));
    EXPECT_EQ(names().join(u'\n').toStdString(), expected.join(u'\n').toStdString());
    EXPECT_EQ(names().size(), int(std::size(lookAlikes)) + 5);
}

TEST_F(SaveLeftoversTest, folderLockedByAnotherWindow_removesNothing) {
    test::writeBytes(path(".Phrase.log.1a2b3c4d5e6f.tmp"), "x");
    const qint64 start = momentAfterFiles();
    {
        FolderLock other(dir_.path());
        EXPECT_EQ(removeSaveLeftovers(dir_.path(), start), 0);
        EXPECT_EQ(names(), QStringList{u".Phrase.log.1a2b3c4d5e6f.tmp"_s});
    }
    EXPECT_EQ(removeSaveLeftovers(dir_.path(), start), 1);
    EXPECT_TRUE(names().isEmpty());
}

} // namespace
} // namespace quill
