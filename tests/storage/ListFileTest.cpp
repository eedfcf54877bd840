#include "storage/ListFile.h"
#include "core/Failure.h"
#include "storage/SafeFile.h"
#include "storage/TextBuffer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace quill {
namespace {

QString goldenPath(const QString& name) {
    return QStringLiteral(QUILLBOOK_LISTFILE_DATA "/") + name;
}

// The expected entries of a golden case: one per LF-terminated line, each in brackets.
std::vector<QByteArray> expectedEntries(const QString& caseName) {
    const QByteArray text = test::fileBytes(goldenPath(caseName + u".entries"_s));
    std::vector<QByteArray> entries;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype end = text.indexOf('\n', start);
        EXPECT_GE(end, start + 2) << "malformed golden file for " << caseName.toStdString();
        if (end < start + 2)
            break;
        entries.push_back(text.mid(start + 1, end - start - 2));
        start = end + 1;
    }
    return entries;
}

std::vector<QByteArray> entriesOf(const EntryList& list) {
    std::vector<QByteArray> entries;
    for (qsizetype i = 0; i < list.size(); ++i)
        entries.push_back(list.at(i).toByteArray());
    return entries;
}

EntryList listOf(const std::vector<QByteArray>& entries) {
    EntryList list;
    for (const QByteArray& entry : entries)
        EXPECT_TRUE(list.append(entry));
    return list;
}

std::string messageOf(const auto& call) {
    try {
        call();
    } catch (const Failure& failure) {
        return failure.message().toStdString();
    }
    return "(no failure)";
}

class ListFileGolden : public ::testing::TestWithParam<const char*> {};

TEST_P(ListFileGolden, loadGivesExpectedEntries_andSaveWritesCrLf) {
    const QString name = QString::fromLatin1(GetParam());
    const EntryList loaded = readListFile(goldenPath(name + u".in"_s));
    EXPECT_EQ(entriesOf(loaded), expectedEntries(name));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString saved = dir.filePath(u"saved.log"_s);
    writeListFile(saved, loaded);
    const QByteArray expectedBytes = test::fileBytes(goldenPath(name + u".out"_s));
    EXPECT_EQ(test::fileBytes(saved), expectedBytes);
    EXPECT_EQ(listText(loaded), expectedBytes);
    // What a save writes loads back as the same entries.
    EXPECT_EQ(readListFile(saved), loaded);
}

INSTANTIATE_TEST_SUITE_P(Cases, ListFileGolden,
                         ::testing::Values("crlf", "cr_only", "lf_only", "lf_cr", "no_final_break",
                                           "two_final_breaks", "nul_in_middle", "nul_first",
                                           "empty", "mixed_breaks", "only_breaks", "blanks_kept",
                                           "eight_bit"));

class ListFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path(const QString& name) const { return dir_.filePath(name); }

    QTemporaryDir dir_;
};

// Watched writes of lists and of the composing buffer: the watcher sees the bytes grow to the
// file's size; one that throws ends the writing with the old file whole and no temporary left.
TEST_F(ListFileTest, watchedWrites_reportUpToTheSize_andAThrowKeepsTheOldFile) {
    struct Stop {};
    for (const int count : {1, 1000, 300'000}) {
        EntryList entries;
        for (int i = 0; i < count; ++i)
            entries.append(QByteArray("entry ") + QByteArray::number(i));
        // Both lists composed in one text, the work seen as it grows.
        std::vector<qint64> composed;
        const QByteArray twice = listText({&entries, &entries}, [&](qint64 done, qint64 total) {
            EXPECT_EQ(total, 2 * listText(entries).size());
            composed.push_back(done);
        });
        EXPECT_EQ(twice, listText(entries) + listText(entries));
        EXPECT_TRUE(std::is_sorted(composed.begin(), composed.end()));
        EXPECT_EQ(composed.back(), twice.size());
        EXPECT_GE(composed.size(), std::size_t(twice.size() >> 20));
        TextBuffer buffer;
        buffer.setText(listText(entries));
        const std::function<void(const QString&, const WriteWatcher&)> writers[] = {
            [&](const QString& file, const WriteWatcher& watch) {
                writeListFile(file, entries, watch);
            },
            [&](const QString& file, const WriteWatcher& watch) {
                buffer.writeToFile(file, watch);
            }};
        for (const auto& write : writers) {
            const QString file = path(u"watched.log"_s);
            test::writeBytes(file, "old\r\n");
            std::vector<qint64> seen;
            write(file, [&](qint64 written, qint64 total) {
                EXPECT_EQ(total, listText(entries).size());
                seen.push_back(written);
            });
            EXPECT_EQ(test::fileBytes(file), listText(entries)) << count;
            ASSERT_FALSE(seen.empty());
            EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
            EXPECT_EQ(seen.back(), listText(entries).size());
            EXPECT_GE(seen.size(), std::size_t(listText(entries).size() >> 20)) << count;

            test::writeBytes(file, "old\r\n");
            EXPECT_THROW(write(file, [](qint64, qint64) { throw Stop{}; }), Stop);
            EXPECT_EQ(test::fileBytes(file), "old\r\n");
            EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{u"watched.log"_s});
        }
    }
}

TEST_F(ListFileTest, watchedRead_seesTheFileAndAThrowEndsIt) {
    struct Stop {};
    test::writeBytes(path(u"a.log"_s), "x\r\ny\r\n");
    qint64 seenSize = 0;
    const EntryList entries =
        readListFile(path(u"a.log"_s),
                     [&](QByteArrayView soFar, qint64 size) { seenSize = soFar.size() + size; });
    EXPECT_EQ(entries.size(), 2);
    EXPECT_EQ(seenSize, 12);
    EXPECT_THROW(readListFile(path(u"a.log"_s), [](QByteArrayView, qint64) { throw Stop{}; }),
                 Stop);
}

TEST_F(ListFileTest, saveEmptyList_givesZeroBytes_andLoadsEmpty) {
    test::writeBytes(path(u"Phrase.log"_s), "old\r\n");
    writeListFile(path(u"Phrase.log"_s), EntryList());
    const QByteArray bytes = test::fileBytes(path(u"Phrase.log"_s));
    EXPECT_FALSE(bytes.isNull());
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_TRUE(readListFile(path(u"Phrase.log"_s)).empty());
}

TEST_F(ListFileTest, everyByteButBreaks_loadsAndSavesBackExactly) {
    QByteArray original;
    QByteArray allInOne;
    for (int value = 0; value < 256; ++value) {
        if (value == '\r' || value == '\n')
            continue;
        original += char(value);
        original += "\r\n";
        allInOne += char(value);
    }
    // Overlong, truncated and surrogate sequences: none of them is valid UTF-8.
    original += allInOne + "\r\n\xc0\xaf\r\n\xe2\x82\r\n\xed\xa0\x80\r\n\xf8\x88\x80\x80\x80\r\n";
    test::writeBytes(path(u"bytes.log"_s), original);

    const EntryList loaded = readListFile(path(u"bytes.log"_s));
    ASSERT_EQ(loaded.size(), 254 + 1 + 4);
    EXPECT_EQ(loaded.at(0), QByteArrayView("\0", 1));
    EXPECT_EQ(loaded.at(253), QByteArrayView("\xff"));
    EXPECT_EQ(loaded.at(254), allInOne);
    writeListFile(path(u"copy.log"_s), loaded);
    EXPECT_EQ(test::fileBytes(path(u"copy.log"_s)), original);
}

TEST_F(ListFileTest, randomEntries_surviveTextFormAndSplit) {
    QRandomGenerator random(20261208);
    for (int round = 0; round < 300; ++round) {
        std::vector<QByteArray> entries(random.bounded(12));
        for (QByteArray& entry : entries) {
            entry.resize(random.bounded(9));
            for (char& c : entry) {
                do {
                    c = char(random.bounded(256));
                } while (c == '\r' || c == '\n');
            }
        }
        const EntryList list = listOf(entries);
        EXPECT_EQ(entriesOf(splitListText(listText(list))), entries) << "round " << round;
    }
}

// Lines of every length from 0 to 40 bytes, so that each kind of break falls on every position
// of the steps in which long texts are split; byte 0 and high bytes are ordinary bytes.
TEST_F(ListFileTest, breaksAtEveryPositionOfALongText_endTheirLines) {
    struct Row {
        QByteArrayView separator;
        int emptyLinesBehindEach;
        bool finalBreak;
    };
    const Row rows[] = {{"\r\n", 0, true},
                        {"\r", 0, true},
                        {"\n", 0, false},
                        {"\r\r", 1, true},
                        {"\r\r\n", 1, true}};
    for (const Row& row : rows) {
        QByteArray text;
        std::vector<QByteArray> expected;
        const int lines = 200;
        for (int i = 0; i < lines; ++i) {
            QByteArray line;
            for (int k = 0; k < (i * 7) % 41; ++k) {
                const char c = char((i * 31 + k * 7) & 0xFF);
                line += (c == '\r' || c == '\n') ? '\0' : c;
            }
            text += line;
            expected.push_back(line);
            if (i + 1 == lines && !row.finalBreak)
                break;
            text += row.separator;
            expected.insert(expected.end(), size_t(row.emptyLinesBehindEach), QByteArray());
        }
        EXPECT_EQ(entriesOf(splitListText(text)), expected) << text.left(40).toHex().constData();
    }
}

TEST_F(ListFileTest, millionEntries_splitIntoOneCompactList) {
    QByteArray text;
    text.reserve(10'000'000);
    for (int i = 0; i < 1'000'000; ++i) {
        text += QByteArray::number(i % 100000).rightJustified(8, 'w');
        text += "\r\n";
    }
    const EntryList list = splitListText(text);
    ASSERT_EQ(list.size(), 1'000'000);
    EXPECT_EQ(list.byteSize(), 8'000'000);
    EXPECT_EQ(list.at(0), QByteArrayView("wwwwwww0"));
    EXPECT_EQ(list.at(999'999), QByteArrayView("www99999"));
    EXPECT_EQ(listText(list), text);
}

TEST_F(ListFileTest, oneLineOf50Megabytes_loadsAsOneEntry) {
    const qsizetype length = 50 * 1024 * 1024;
    QByteArray line(length, 'x');
    line[length / 2] = 'y';
    test::writeBytes(path(u"long.log"_s), line + "\r\n");
    const EntryList loaded = readListFile(path(u"long.log"_s));
    ASSERT_EQ(loaded.size(), 1);
    EXPECT_EQ(loaded.at(0), line);
    // Saving writes such an entry in one piece, not through the small write buffer.
    writeListFile(path(u"copy.log"_s), loaded);
    EXPECT_EQ(test::fileBytes(path(u"copy.log"_s)), line + "\r\n");
}

TEST_F(ListFileTest, missingFile_isOpenFailureWithFullPath) {
    const test::CurrentDirGuard guard(dir_.path());
    EXPECT_THROW(readListFile(u"Phrase.log"_s), OpenFailure);
    const std::string expected = "Cannot open file \"" +
                                 QDir(dir_.path()).absoluteFilePath(u"Phrase.log"_s).toStdString() +
                                 "\". No such file or directory";
    EXPECT_EQ(messageOf([] { readListFile(u"Phrase.log"_s); }), expected);
    EXPECT_EQ(messageOf([] { readListFile(u"sub/../Phrase.log"_s); }), expected);
    EXPECT_THROW(readListFile(u"missing/Phrase.log"_s), OpenFailure);
}

TEST_F(ListFileTest, fifoFolderAndDevice_areRefusedWithoutBlocking) {
    const QString fifo = path(u"fifo.log"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    ASSERT_TRUE(QDir(dir_.path()).mkdir(u"folder.log"_s));
    const struct {
        QString path;
        std::string text;
    } rows[] = {
        {fifo, "Not a regular file"},
        {path(u"folder.log"_s), "Is a directory"},
        {u"/dev/zero"_s, "Not a regular file"},
    };
    for (const auto& row : rows) {
        EXPECT_THROW(readListFile(row.path), OpenFailure) << row.path.toStdString();
        EXPECT_EQ(messageOf([&] { readListFile(row.path); }),
                  "Cannot open file \"" + row.path.toStdString() + "\". " + row.text);
    }
}

TEST_F(ListFileTest, fileLargerThanAListHolds_isReportedNotDroppedAsOpenFailure) {
    // A sparse file: its size is what counts, nothing is read.
    const QString big = path(u"big.log"_s);
    test::writeBytes(big, "x");
    ASSERT_EQ(::truncate(QFile::encodeName(big).constData(), off_t(5) << 30), 0);
    const std::string expected = "Cannot open file \"" + big.toStdString() + "\". File too large";
    try {
        readListFile(big);
        ADD_FAILURE() << "no failure";
    } catch (const OpenFailure&) {
        ADD_FAILURE() << "a file too large must not be dropped like a missing one";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.message().toStdString(), expected);
    }
    test::writeBytes(path(u"small.log"_s), "12345");
    EXPECT_EQ(readWholeFile(path(u"small.log"_s), 5), QByteArray("12345"));
    EXPECT_EQ(messageOf([&] { readWholeFile(path(u"small.log"_s), 4); }),
              "Cannot open file \"" + path(u"small.log"_s).toStdString() + "\". File too large");
}

TEST_F(ListFileTest, fileWhoseSizeIsUnknown_isReadToItsEndWithinTheLimit) {
    // Files under /proc report size 0 and still have content, like a file that grew.
    const QString status = u"/proc/self/status"_s;
    const QByteArray bytes = readWholeFile(status, 1 << 20);
    EXPECT_TRUE(bytes.startsWith("Name:")) << bytes.left(40).toStdString();
    EXPECT_TRUE(bytes.contains("\nPid:"));
    EXPECT_EQ(messageOf([&] { readWholeFile(status, 10); }),
              "Cannot open file \"" + status.toStdString() + "\". File too large");
}

// A head with an entry longer than a write chunk, so the checksum spans both ways of writing.
EntryList digestHead() {
    EntryList head;
    head.append("a");
    head.append(QByteArray(3 << 20, 'x'));
    head.append("b");
    return head;
}

TEST_F(ListFileTest, appendedEntries_areReadOnlyWhileTheFileBeginsAsKnownAndAsTheList) {
    const struct {
        const char* name;
        QByteArray appended;
        qsizetype changedByte = -1; // in the file's head
        bool listChanged = false;
        std::vector<QByteArray> expected = {};
        bool found = true;
    } rows[] = {
        {"appended", "c\r\nd", -1, false, {"c", "d"}},
        {"nothingAppended", ""},
        {"fileHeadChanged", "c\r\n", 5, false, {}, false},
        {"fileEndChanged", "c\r\n", (3 << 20) + 7, false, {}, false},
        {"listChanged", "c\r\n", -1, true, {}, false},
    };
    const QString file = path(u"Phrase.log"_s);
    for (const auto& row : rows) {
        const EntryList head = digestHead();
        const EntryList empty;
        const ListFileDigest known =
            writeListFilePair(file, {&head, &empty}, path(u"Mean.log"_s), {&empty}).digests[0];
        ListFileDigest read;
        readListFileIfPresent(file, &read);
        EXPECT_TRUE(read.size == known.size && read.entries == 3 && read.checksum == known.checksum)
            << row.name;
        QByteArray bytes = test::fileBytes(file) + row.appended;
        if (row.changedByte >= 0)
            bytes[row.changedByte] = '!';
        test::writeBytes(file, bytes);
        EntryList ours = digestHead();
        if (row.listChanged)
            ours.remove(0);
        ours.append("mine"); // entries behind the known ones do not matter
        ListFileDigest now;
        const std::optional<EntryList> appended = readAppendedEntries(file, known, ours, now);
        ASSERT_EQ(appended.has_value(), row.found) << row.name;
        if (!appended)
            continue;
        std::vector<QByteArray> entries;
        for (qsizetype i = 0; i < appended->size(); ++i)
            entries.push_back(appended->at(i).toByteArray());
        EXPECT_EQ(entries, row.expected) << row.name;
        readListFileIfPresent(file, &read);
        EXPECT_TRUE(read.size == now.size && read.entries == now.entries &&
                    read.checksum == now.checksum)
            << row.name;
    }
}

TEST_F(ListFileTest, pairWrite_tellsWhetherEachFileKeptTheKnownHead) {
    const EntryList head = digestHead();
    const EntryList more = splitListText("c\r\n");
    const ListFileDigests known =
        writeListFilePair(path(u"Phrase.log"_s), head, path(u"Mean.log"_s), more).digests;
    EntryList changed = digestHead();
    changed.remove(2);
    changed.append("B");
    const WrittenPair written = writeListFilePair(path(u"Phrase.log"_s), {&head, &more},
                                                  path(u"Mean.log"_s), {&changed}, &known);
    EXPECT_EQ(written.extendsKnown, (std::array<bool, 2>{true, false}));
}

TEST_F(ListFileTest, errorText_dropsTrailingBlanksAndPeriods) {
    EXPECT_EQ(errorText(ENOENT), u"No such file or directory"_s);
    EXPECT_EQ(errorText(EACCES), u"Permission denied"_s);
    for (int number = 1; number < 134; ++number) {
        const QString text = errorText(number);
        ASSERT_FALSE(text.isEmpty()) << number;
        EXPECT_FALSE(text.endsWith(u'.') || text.endsWith(u' ')) << text.toStdString();
    }
}

} // namespace
} // namespace quill
