#include "storage/ListPairSync.h"
#include "core/Failure.h"
#include "storage/ListFile.h"
#include "storage/SafeFile.h"
#include "storage/SaveStamp.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace quill {
namespace {

using namespace Qt::StringLiterals;
using Names = std::vector<std::string>;

// Every pair is "<name>" / "m:<name>".
ListPair pairsOf(const Names& names) {
    ListPair lists;
    for (const std::string& name : names) {
        lists.first.append(QByteArrayView(name.data(), qsizetype(name.size())));
        lists.second.append(QByteArray("m:") + QByteArray::fromStdString(name));
    }
    return lists;
}

// The pairs in the files, sorted; a misaligned pair fails the test.
Names pairsOnDisk() {
    const EntryList first = readListFile(QStringLiteral("Phrase.log"));
    const EntryList second = readListFile(QStringLiteral("Mean.log"));
    EXPECT_EQ(first.size(), second.size());
    Names names;
    for (qsizetype i = 0; i < std::min(first.size(), second.size()); ++i) {
        names.push_back(first.at(i).toByteArray().toStdString());
        EXPECT_EQ(second.at(i).toByteArray(), "m:" + first.at(i).toByteArray());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Another machine's version put in place by a sync engine, both files with one time, no copy.
void engineDelivers(const Names& names) {
    const ListPair lists = pairsOf(names);
    writeListFilePair(QStringLiteral("Phrase.log"), lists.first, QStringLiteral("Mean.log"),
                      lists.second);
    const timespec times[2] = {{0, UTIME_OMIT}, {1'700'000'000, 0}};
    for (const char* name : {"Phrase.log", "Mean.log"})
        ::utimensat(AT_FDCWD, name, times, 0);
}

struct Step {
    Names ours;   // the window's lists at its save
    Names theirs; // what the engine put in place before that save; empty for nothing
};

struct Case {
    const char* name;
    std::vector<Step> steps;
    Names expected;
};

class ListPairSyncTest : public testing::TestWithParam<Case> {};

TEST_P(ListPairSyncTest, engineVersions_dropOnlyPairsTheOtherSideHeld) {
    QTemporaryDir dir;
    const test::CurrentDirGuard inDir(dir.path());
    ListPairSync sync(QStringLiteral("Phrase.log"), QStringLiteral("Mean.log"));
    sync.load();
    for (const Step& step : GetParam().steps) {
        if (!step.theirs.empty())
            engineDelivers(step.theirs);
        const ListPair ours = pairsOf(step.ours);
        sync.save(ours.view(), {});
    }
    EXPECT_EQ(pairsOnDisk(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListPairSyncTest,
    testing::Values(
        // The engine resolved a conflict silently: the other machine never saw a1.
        Case{"neverSeen",
             {{{"a1"}, {"b1"}}, {{"a1", "b1", "a2"}, {"b1", "b2"}}},
             {"a1", "a2", "b1", "b2"}},
        // a1 reached the other machine, which then deleted it; a3 it never saw.
        Case{"seenThenDeleted",
             {{{"a1", "a2"}, {}},
              {{"a1", "a2", "a3"}, {"a1", "a2", "b1"}},
              {{"a1", "a2", "a3", "b1", "a4"}, {"a2", "b1"}}},
             {"a2", "a3", "a4", "b1"}},
        // A pair the other machine added and later deleted is deleted.
        Case{"theirsDeletesItsOwn",
             {{{"a1"}, {"b1", "b2"}}, {{"a1", "b1", "b2", "a2"}, {"a1", "b2"}}},
             {"a1", "a2", "b2"}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// What a window does with the result of its save.
void takeIn(ListPair& lists, std::optional<MergedPair> merged) {
    if (merged && merged->appendsToOurs) {
        lists.first.appendRange(merged->lists.first, 0, merged->lists.first.size());
        lists.second.appendRange(merged->lists.second, 0, merged->lists.second.size());
    } else if (merged) {
        lists = std::move(merged->lists);
    }
}

// Another machine's version whose two files an engine brings in one at a time, each with the
// stamp of that machine's save.
void engineDeliversOne(const char* name, const EntryList& entries, const timespec& stamp) {
    SafeFile file(QString::fromLatin1(name));
    file.write(listText(entries));
    file.setModificationTime(stamp);
    file.commit();
}

// A window that saved {a1} with a short wait for the engine; `waits` counts the times a save
// told the window it started waiting (the window then shows the busy cursor).
class ListPairSyncHalfDelivery : public testing::Test {
protected:
    void SetUp() override {
        sync.load();
        sync.save(pairsOf({"a1"}).view(), {}, waiting);
    }
    QTemporaryDir dir;
    const test::CurrentDirGuard inDir{dir.path()};
    ListPairSync sync{QStringLiteral("Phrase.log"), QStringLiteral("Mean.log"),
                      std::chrono::milliseconds(200)};
    int waits = 0;
    const ListPairSync::Waiting waiting = [this] {
        ++waits;
    };
};

TEST_F(ListPairSyncHalfDelivery, saveWaitsForThePartnerOfAStampedFileThenMergesAligned) {
    struct stat written {};
    ASSERT_EQ(::stat("Phrase.log", &written), 0);
    EXPECT_TRUE(isSaveStamp(written.st_mtim.tv_sec, written.st_mtim.tv_nsec));

    // The other machine saved {a1, b1}; only its first file has come in.
    const ListPair theirs = pairsOf({"a1", "b1"});
    const timespec stamp = saveStamp();
    EXPECT_EQ(waits, 0);
    engineDeliversOne("Phrase.log", theirs.first, stamp);
    ListPair ours = pairsOf({"a1", "a2"});
    EXPECT_THROW(sync.save(ours.view(), {}, waiting), Failure);
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(readListFile(QStringLiteral("Mean.log")).size(), 1);

    // Another program's file bears no stamp: it is merged at once, like the rest of the pair.
    engineDeliversOne("Mean.log", theirs.second, stamp);
    std::optional<MergedPair> merged = sync.save(ours.view(), {}, waiting);
    EXPECT_TRUE(merged);
    takeIn(ours, std::move(merged));
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(pairsOnDisk(), (Names{"a1", "a2", "b1"}));
    const timespec times[2] = {{0, UTIME_OMIT}, {1'700'000'000, 123}};
    test::writeBytes(u"Phrase.log"_s, test::fileBytes(u"Phrase.log"_s) + "c1\r\n");
    ::utimensat(AT_FDCWD, "Phrase.log", times, 0);
    test::writeBytes(u"Mean.log"_s, test::fileBytes(u"Mean.log"_s) + "m:c1\r\n");
    EXPECT_TRUE(sync.save(ours.view(), {}, waiting));
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(pairsOnDisk(), (Names{"a1", "a2", "b1", "c1"}));
}

TEST_F(ListPairSyncHalfDelivery,
       copiesOfAnotherSave_waitForTheirPartnerAndOwnSetAsideWriteAddsNothing) {
    // The engine set the window's last write aside (a rename keeps the file) and put the other
    // machine's version {b1} in place; of the other machine's set-aside {b0} only the first
    // file has come in.
    ASSERT_TRUE(
        QFile::rename(u"Phrase.log"_s, u"Phrase.sync-conflict-20261209-101500-ABCDEFG.log"_s));
    ASSERT_TRUE(QFile::rename(u"Mean.log"_s, u"Mean.sync-conflict-20261209-101500-ABCDEFG.log"_s));
    const ListPair b1 = pairsOf({"b1"});
    writeListFilePair(u"Phrase.log"_s, b1.first, u"Mean.log"_s, b1.second);
    const ListPair b0 = pairsOf({"b0", "b00"});
    const timespec stamp = saveStamp();
    engineDeliversOne("Phrase.sync-conflict-20261209-101501-HIJKLMN.log", b0.first, stamp);
    const ListPair ours = pairsOf({"a2"}); // a1 deleted since
    EXPECT_THROW(sync.save(ours.view(), {}), Failure);

    engineDeliversOne("Mean.sync-conflict-20261209-101502-HIJKLMN.log", b0.second, stamp);
    EXPECT_TRUE(sync.save(ours.view(), {}));
    EXPECT_EQ(pairsOnDisk(), (Names{"a2", "b0", "b00", "b1"}));
    EXPECT_EQ(QDir().entryList(QDir::Files), (QStringList{u"Mean.log"_s, u"Phrase.log"_s}));
}

// The lists of both files as they are on disk.
ListPair listsOnDisk() {
    return {readListFile(u"Phrase.log"_s), readListFile(u"Mean.log"_s)};
}

// Lists with their missing entries as empty ones, as a pair each.
std::vector<std::pair<QByteArray, QByteArray>> padded(const ListPair& lists) {
    std::vector<std::pair<QByteArray, QByteArray>> pairs;
    const auto entry = [](const EntryList& list, qsizetype i) {
        return i < list.size() ? list.at(i).toByteArray() : QByteArray("");
    };
    for (qsizetype i = 0; i < lists.view().size(); ++i)
        pairs.emplace_back(entry(lists.first, i), entry(lists.second, i));
    return pairs;
}

// Another program appends a line. Its write bears no save stamp; the one time in ten thousand
// that passes for one by chance (the file would pass for half of a save a sync engine is still
// bringing in, for a minute) is moved by a nanosecond, so the histories stay as drawn.
void appendLine(const char* name, const QByteArray& entry) {
    {
        QFile file(QString::fromLatin1(name));
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(entry + "\r\n");
    }
    struct stat written {};
    ASSERT_EQ(::stat(name, &written), 0);
    if (isSaveStamp(written.st_mtim.tv_sec, written.st_mtim.tv_nsec)) {
        timespec times[2] = {{0, UTIME_OMIT}, written.st_mtim};
        times[1].tv_nsec = (times[1].tv_nsec + 1) % 1'000'000'000;
        ASSERT_EQ(::utimensat(AT_FDCWD, name, times, 0), 0);
    }
}

struct Writers {
    const char* name;
    bool oneSided;    // the window also adds a word or a meaning alone
    bool otherWindow; // a second window takes pairs
    bool script;      // a program appends a word, later its meaning ("Y<n>")
    bool importer;    // a command appends whole pairs, as an import does ("I<n>")
};

class ListPairSyncHistories : public testing::TestWithParam<Writers> {};

// Random turns of a window taking pairs ("A<n>") and other writers. Once the program has
// appended every meaning and the windows have saved, every pair is in the files once and in line
// (the window's own pairs only while its lists are even: a lone entry of its own shifts them).
// Each trial starts from files no save wrote, so nothing but what the window saw tells a pair
// half written at first.
TEST_P(ListPairSyncHistories, randomTurnsOfWriters_keepEveryPairOnceAndInLine) {
    const Writers writers = GetParam();
    std::mt19937 random(20270114);
    for (int trial = 0; trial < 20; ++trial) {
        QTemporaryDir dir;
        const test::CurrentDirGuard inDir(dir.path());
        test::writeBytes(u"Phrase.log"_s, "b0\r\nb1\r\n");
        test::writeBytes(u"Mean.log"_s, "m:b0\r\nm:b1\r\n");
        struct Window {
            ListPairSync sync{u"Phrase.log"_s, u"Mean.log"_s};
            ListPair lists;
        } windows[2];
        for (Window& window : windows) {
            ListPairSync::Loaded loaded = window.sync.load();
            window.lists = {std::move(*loaded.first), std::move(*loaded.second)};
        }
        std::vector<QByteArray> created; // every entry any writer made
        std::vector<QByteArray> pending; // words the program has appended alone
        int fresh = 0;
        for (int step = 0; step < 24; ++step) {
            const QByteArray n = QByteArray::number(++fresh);
            const unsigned turn = random() % 6;
            Window& window = windows[turn == 1 && writers.otherWindow ? 1 : 0];
            if (turn <= 1) {
                const QByteArray word = (&window == windows ? "A" : "B") + n;
                window.lists.first.append(word);
                window.lists.second.append("m:" + word);
                created.insert(created.end(), {word, "m:" + word});
            } else if (turn == 2 && writers.oneSided) {
                const QByteArray lone = random() % 2 ? "L" + n : "m:L" + n;
                (lone.startsWith("m:") ? window.lists.second : window.lists.first).append(lone);
                created.push_back(lone);
            } else if (turn == 3 && writers.script) {
                if (pending.size() < 2 && (pending.empty() || random() % 2)) {
                    pending.push_back("Y" + n);
                    appendLine("Phrase.log", pending.back());
                } else {
                    appendLine("Mean.log", "m:" + pending.front());
                    created.insert(created.end(), {pending.front(), "m:" + pending.front()});
                    pending.erase(pending.begin());
                }
                continue;
            } else if (turn == 4 && writers.importer) {
                ListPairSync command(u"Phrase.log"_s, u"Mean.log"_s);
                ListPairSync::Loaded loaded =
                    command.loadForCommand(ListPairSync::Unexplained::Held);
                ListPair lists{std::move(*loaded.first), std::move(*loaded.second)};
                while (lists.first.size() != lists.second.size())
                    (lists.first.size() < lists.second.size() ? lists.first : lists.second)
                        .append({});
                lists.first.append("I" + n);
                lists.second.append("m:I" + n);
                command.save(lists.view(), {});
                created.insert(created.end(), {"I" + n, "m:I" + n});
                continue;
            }
            takeIn(window.lists, window.sync.save(window.lists.view(), {}));
        }
        for (const QByteArray& word : pending) {
            appendLine("Mean.log", "m:" + word);
            created.insert(created.end(), {word, "m:" + word});
        }
        for (Window* window : {&windows[1], &windows[0]})
            takeIn(window->lists, window->sync.save(window->lists.view(), {}));

        const auto files = padded(listsOnDisk());
        EXPECT_EQ(files, padded(windows[0].lists)) << writers.name << trial;
        std::vector<QByteArray> entries{"b0", "b1", "m:b0", "m:b1"};
        created.insert(created.end(), entries.begin(), entries.end());
        entries.clear();
        for (const auto& [word, meaning] : files) {
            for (const QByteArray& entry : {word, meaning}) {
                if (!entry.isEmpty())
                    entries.push_back(entry);
            }
            const bool ownShifted = writers.oneSided && (word.startsWith('A') || word.isEmpty());
            if (!word.startsWith('L') && !ownShifted) {
                EXPECT_EQ(meaning, "m:" + word) << writers.name << trial;
            }
        }
        std::sort(entries.begin(), entries.end());
        std::sort(created.begin(), created.end());
        EXPECT_EQ(entries, created) << writers.name << trial;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListPairSyncHistories,
    testing::Values(Writers{"scriptHalves", false, false, true, false},
                    Writers{"scriptHalvesTwoWindows", false, true, true, false},
                    Writers{"scriptHalvesAndImports", false, false, true, true},
                    Writers{"unevenWindowAndImports", true, false, false, true}),
    [](const testing::TestParamInfo<Writers>& info) { return std::string(info.param.name); });

// The window read {a, b, c}; then it changes its lists to `ours` and another program adds
// bytes to the files (or replaces the first entry) before the window saves again. A save that
// reads only what was appended must give what merging the whole files gives, and remember the
// result as its base: an outside deletion afterwards is then merged as one.
// (Files the window read rather than wrote, so no pair of its own waits for confirmation.)
TEST(ListPairSyncAppend, savesAsAMergeOfTheWholeFilesWould) {
    const struct {
        const char* name;
        Names ours;
        QByteArray phrases, meanings; // appended to the files
        const char* deleted;          // the pair the other program deletes afterwards
        bool rewriteHead = false;     // the other program also replaced "a" with "z"
        bool rewritten = true;        // whether the save writes the files
        qsizetype half = 0; // appended words without meanings: they wait at the end of the file
    } rows[] = {
        {"outsideOnly", {"a", "b", "c"}, "d\r\n", "m:d\r\n", "d", false, false},
        {"both", {"a", "b", "c", "n"}, "d\r\n", "m:d\r\n", "d"},
        {"samePair", {"a", "b", "c", "d"}, "d\r\n", "m:d\r\n", "d"},
        {"reordered", {"a", "b", "c", "p", "y"}, "x\r\np\r\n", "m:x\r\nm:p\r\n", "x"},
        {"firstFileOnly", {"a", "b", "c", "n"}, "d\r\ne\r\n", "", "b", false, true, 2},
        {"otherLineBreaks", {"a", "b", "c"}, "d\ne\r", "m:d\rm:e", "d", false, false},
        {"touchedOnly", {"a", "b", "c"}, "", "", "c", false, false},
        {"headRewritten", {"a", "b", "c", "n"}, "d\r\n", "m:d\r\n", "d", true},
        {"windowReplacedLast", {"a", "b", "n"}, "d\r\n", "m:d\r\n", "d"},
    };
    for (const auto& row : rows) {
        QTemporaryDir dir;
        const test::CurrentDirGuard inDir(dir.path());
        const ListPair base = pairsOf({"a", "b", "c"});
        writeListFilePair(u"Phrase.log"_s, base.first, u"Mean.log"_s, base.second);
        ListPairSync sync(u"Phrase.log"_s, u"Mean.log"_s);
        sync.load();
        QByteArray phrases = test::fileBytes(u"Phrase.log"_s) + row.phrases;
        if (row.rewriteHead)
            phrases[0] = 'z';
        test::writeBytes(u"Phrase.log"_s, phrases);
        test::writeBytes(u"Mean.log"_s, test::fileBytes(u"Mean.log"_s) + row.meanings);
        const timespec times[2] = {{0, UTIME_OMIT}, {1'700'000'000, 42}};
        for (const char* name : {"Phrase.log", "Mean.log"})
            ::utimensat(AT_FDCWD, name, times, 0);
        struct stat before {};
        ::stat("Phrase.log", &before);

        ListPair ours = pairsOf(row.ours);
        ListPair theirs = listsOnDisk();
        EntryList half;
        half.appendRange(theirs.first, theirs.first.size() - row.half, theirs.first.size());
        for (qsizetype i = 0; i < row.half; ++i)
            theirs.first.remove(theirs.first.size() - 1);
        ListPair expected =
            mergeListPairs(pairHashes(base.view()), ours.view(), theirs.view()).lists;
        takeIn(ours, sync.save(ours.view(), {}));
        EXPECT_EQ(ours.first, expected.first) << row.name;
        EXPECT_EQ(ours.second, expected.second) << row.name;
        expected.first.appendRange(half, 0, half.size());
        const ListPair onDisk = listsOnDisk();
        EXPECT_TRUE(onDisk.first == expected.first && onDisk.second == expected.second) << row.name;
        struct stat after {};
        ::stat("Phrase.log", &after);
        EXPECT_EQ(after.st_ino != before.st_ino, row.rewritten) << row.name;

        // Another program deletes a pair it held: only that pair goes.
        ListPair rest;
        for (qsizetype i = 0; i < onDisk.view().size(); ++i) {
            if (onDisk.first.at(i) == row.deleted)
                continue;
            rest.first.append(onDisk.first.at(i));
            if (i < onDisk.second.size())
                rest.second.append(onDisk.second.at(i));
        }
        test::writeBytes(u"Phrase.log"_s, listText(rest.first));
        test::writeBytes(u"Mean.log"_s, listText(rest.second));
        sync.save(ours.view(), {});
        const ListPair last = listsOnDisk();
        EXPECT_TRUE(last.first == rest.first && last.second == rest.second) << row.name;
    }
}

TEST(SaveStamp, stampsPassTheCheckAndOtherTimesRarelyDo) {
    for (int i = 0; i < 1000; ++i) {
        const timespec stamp = saveStamp();
        ASSERT_TRUE(isSaveStamp(stamp.tv_sec, stamp.tv_nsec));
    }
    std::mt19937_64 random(7);
    int passed = 0;
    for (int i = 0; i < 100'000; ++i)
        passed += isSaveStamp(1'700'000'000 + i, qint64(random() % 1'000'000'000));
    EXPECT_LT(passed, 40); // about 10 expected
}

} // namespace
} // namespace quill
