#include "storage/RemovalHistory.h"
#include "core/Failure.h"
#include "storage/ListFile.h"
#include "storage/ListPairSync.h"
#include "storage/RemovalRecorder.h"
#include "support/EnvironmentGuard.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quill {
namespace {

using namespace Qt::StringLiterals;

// "word/meaning", the form the tables use.
using Pairs = std::vector<std::string>;

ListPair listsOf(const Pairs& pairs) {
    ListPair lists;
    for (const std::string& pair : pairs) {
        const QByteArray bytes = QByteArray::fromStdString(pair);
        lists.first.append(bytes.left(bytes.indexOf('/')));
        lists.second.append(bytes.mid(bytes.indexOf('/') + 1));
    }
    return lists;
}

struct Kept {
    Pairs pairs;
    QStringList causes; // one per pair
    std::vector<qint64> times;
};

std::string pairAt(const ListPair& lists, qsizetype i) {
    return (lists.first.at(i).toByteArray() + '/' + lists.second.at(i).toByteArray()).toStdString();
}

Kept kept(const RemovalHistory& history) {
    Kept all;
    history.read([&all](RemovalBlock&& block) {
        for (qsizetype i = 0; i < block.pairs.first.size(); ++i) {
            all.pairs.push_back(pairAt(block.pairs, i));
            all.causes.append(block.cause);
            all.times.push_back(block.time);
        }
    });
    return all;
}

// A folder of list files and a state folder of its own.
class RemovalHistoryTest : public testing::Test {
protected:
    void SetUp() override { qputenv("XDG_STATE_HOME", QFile::encodeName(state.path())); }
    void writeLists(const Pairs& pairs) {
        const ListPair lists = listsOf(pairs);
        writeListFilePair(u"Phrase.log"_s, lists.first, u"Mean.log"_s, lists.second);
    }
    RemovalHistory history() const { return RemovalHistory(folder.path()); }
    void record(qint64 time, const Pairs& pairs, qint64 limit = RemovalHistory::DefaultLimit) {
        const ListPair lists = listsOf(pairs);
        RemovalRecorder recorder(history(), limit);
        recorder.record(lists.view(), {{0, lists.view().size()}}, u"test"_s, time);
        recorder.sync();
        recorder.commit();
    }

    QTemporaryDir folder;
    QTemporaryDir state;
    const test::CurrentDirGuard inFolder{folder.path()};
    const test::EnvironmentGuard restoreState{"XDG_STATE_HOME"};
};

TEST_F(RemovalHistoryTest, saveThatRemovesPairs_keepsEachWithTheCommandFirst) {
    const struct {
        const char* name;
        Pairs before;
        std::function<void(ListPair&)> change;
        Pairs kept;
    } rows[] = {
        {"clearAll", {"a/A", "b/B", "c/C"}, [](ListPair& l) { l = {}; }, {"a/A", "b/B", "c/C"}},
        {"middle",
         {"a/A", "b/B", "c/C", "d/D"},
         [](ListPair& l) {
             l.first.remove(1);
             l.second.remove(1);
         },
         {"b/B"}},
        {"firstAndLast",
         {"a/A", "b/B", "c/C", "d/D"},
         [](ListPair& l) {
             for (EntryList* list : {&l.first, &l.second}) {
                 list->remove(3);
                 list->remove(0);
             }
         },
         {"a/A", "d/D"}},
        {"newListsEqualHead",
         {"a/A", "b/B", "c/C"},
         [](ListPair& l) {
             l = listsOf({"a/A", "c/C", "x/X"});
         },
         {"b/B"}},
        {"oneOfTwin",
         {"a/A", "b/B", "a/A"},
         [](ListPair& l) {
             l = listsOf({"b/B", "a/A"});
         },
         {"a/A"}},
        {"moved",
         {"a/A", "b/B", "c/C"},
         [](ListPair& l) {
             l = listsOf({"c/C", "a/A", "b/B"});
         },
         {}},
        {"added",
         {"a/A"},
         [](ListPair& l) {
             l = listsOf({"a/A", "b/B"});
         },
         {}},
        // A one-sided clear leaves the words paired with nothing.
        {"meaningsCleared", {"a/A", "b/B"}, [](ListPair& l) { l.second.clear(); }, {"a/A", "b/B"}},
    };
    for (const auto& row : rows) {
        QDir(state.path()).removeRecursively();
        writeLists(row.before);
        ListPairSync sync(u"Phrase.log"_s, u"Mean.log"_s);
        ListPairSync::Loaded loaded = sync.load();
        ListPair lists{std::move(*loaded.first), std::move(*loaded.second)};
        row.change(lists);
        EXPECT_FALSE(sync.save(lists.view(), {}, {}, u"Clear All Fields"_s)) << row.name;
        const Kept history = kept(this->history());
        EXPECT_EQ(history.pairs, row.kept) << row.name;
        EXPECT_EQ(history.causes, QStringList(qsizetype(row.kept.size()), u"Clear All Fields"_s))
            << row.name;
    }
}

TEST_F(RemovalHistoryTest, mergeTakingOutAnotherWritersRemoval_keepsItAsMerged) {
    const struct {
        const char* name;
        std::function<void(ListPair&)> ours;
        Pairs theirs;
        Pairs kept; // in the order kept
        QStringList causes;
    } rows[] = {
        {"both removed",
         [](ListPair& l) {
             l.first.remove(3);
             l.second.remove(3);
         },
         {"a/A", "c/C", "d/D", "x/X"},
         {"d/D", "b/B"},
         {u"Delete"_s, u"merged"_s}},
        {"theirs only",
         [](ListPair& l) {
             l.first.append("n");
             l.second.append("N");
         },
         {"a/A", "c/C", "d/D"},
         {"b/B"},
         {u"merged"_s}},
    };
    for (const auto& row : rows) {
        QDir(state.path()).removeRecursively();
        writeLists({"a/A", "b/B", "c/C", "d/D"});
        ListPairSync sync(u"Phrase.log"_s, u"Mean.log"_s);
        ListPairSync::Loaded loaded = sync.load();
        ListPair lists{std::move(*loaded.first), std::move(*loaded.second)};
        row.ours(lists);
        // Another program's version, a moment later.
        writeLists(row.theirs);
        const timespec times[2] = {{0, UTIME_OMIT}, {1'700'000'000, 7}};
        for (const char* name : {"Phrase.log", "Mean.log"})
            ::utimensat(AT_FDCWD, name, times, 0);
        EXPECT_TRUE(sync.save(lists.view(), {}, {}, u"Delete"_s)) << row.name;
        const Kept history = kept(this->history());
        EXPECT_EQ(history.pairs, row.kept) << row.name;
        EXPECT_EQ(history.causes, row.causes) << row.name;
    }
}

// Histories outlive program versions: the bytes of a block stay as they are.
TEST(RemovalBlock, bytesOfABlock_stayAsTheyAre) {
    ListPair pairs;
    pairs.first.append("w\xE9\0rd"_ba);
    pairs.second.append("");
    pairs.first.append("two");
    QByteArray block;
    EXPECT_EQ(appendRemovalBlock(block, pairs.view(), 0, 2, 1'765'271'700'000, u"merged"_s, true,
                                 1 << 20),
              2);
    EXPECT_EQ(block.toHex(' ').toStdString(),
              // Mark, content length, checksum of the content.
              "51 62 52 6d 22 00 00 00 3f da 2c 5f f8 63 80 f5 "
              // Version, "continues", time in milliseconds, cause, pair count.
              "01 01 20 82 64 02 9b 01 00 00 06 00 6d 65 72 67 65 64 02 00 00 00 "
              // Each entry after its length.
              "05 77 e9 00 72 64 00 03 74 77 6f 00 "
              // Content length, mark.
              "22 00 00 00 6d 52 62 51");
    std::vector<RemovalBlock> read;
    EXPECT_EQ(readRemovalBlocks(block, [&read](RemovalBlock&& b) { read.push_back(b); }),
              block.size());
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].time, 1'765'271'700'000);
    EXPECT_EQ(read[0].cause, u"merged"_s);
    EXPECT_TRUE(read[0].continues);
    EXPECT_EQ(pairAt(read[0].pairs, 0), std::string("w\xE9\0rd/", 6));
    EXPECT_EQ(pairAt(read[0].pairs, 1), "two/");
}

TEST_F(RemovalHistoryTest, blockCutShort_isPassedOverAndTheNextRecordFollowsTheWholeOnes) {
    QByteArray third;
    const ListPair lists = listsOf({"cut/short", "x/y"});
    appendRemovalBlock(third, lists.view(), 0, 2, 3, u"torn"_s, false, 1 << 20);
    const struct {
        const char* name;
        QByteArray tail;
    } rows[] = {
        {"inHeader", third.left(5)},
        {"inContent", third.left(RemovalHeaderSize + 7)},
        {"inTrailer", third.chopped(3)},
        {"damaged", QByteArray(third).replace("short", "shirt")},
    };
    for (const auto& row : rows) {
        QDir(state.path()).removeRecursively();
        record(1, {"a/A"});
        record(2, {"b/B"});
        const QString file = history().files().last();
        const qint64 whole = QFileInfo(file).size();
        QFile torn(file);
        ASSERT_TRUE(torn.open(QIODevice::Append));
        torn.write(row.tail);
        torn.close();
        EXPECT_EQ(kept(history()).times, (std::vector<qint64>{1, 2})) << row.name;
        record(4, {"c/C"});
        EXPECT_EQ(kept(history()).pairs, (Pairs{"a/A", "b/B", "c/C"})) << row.name;
        EXPECT_EQ(readRemovalBlocks(test::fileBytes(file)), QFileInfo(file).size()) << row.name;
        EXPECT_GT(QFileInfo(file).size(), whole) << row.name;
    }
}

TEST_F(RemovalHistoryTest, writerKilledMidRecord_leavesWholeBlocksAndTheHistoryWritable) {
    Pairs many;
    for (int i = 0; i < 200'000; ++i)
        many.push_back(std::to_string(i) + "/meaning of " + std::to_string(i));
    const ListPair lists = listsOf(many);
    QRandomGenerator random(11);
    for (int round = 0; round < 3; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (qint64 time = 0;; ++time) {
                RemovalRecorder recorder(history());
                recorder.record(lists.view(), {{0, lists.view().size()}}, u"kill"_s, time);
                recorder.sync();
                recorder.commit();
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + random.bounded(200)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        // Every block read back is whole: its pairs are those written, in order.
        bool aligned = true;
        qsizetype count = 0;
        history().read([&](RemovalBlock&& block) {
            for (qsizetype i = 0; i < block.pairs.first.size(); ++i, ++count) {
                const qsizetype at = count % qsizetype(many.size());
                aligned = aligned && many[size_t(at)] == pairAt(block.pairs, i);
            }
        });
        EXPECT_TRUE(aligned) << "round " << round;
        record(-1, {"after/kill"});
        EXPECT_EQ(kept(history()).pairs.back(), "after/kill") << "round " << round;
        QDir(state.path()).removeRecursively();
    }
}

TEST_F(RemovalHistoryTest, fullDevice_failsTheSaveAndLeavesListsAndHistoryAsTheyWere) {
    Pairs many;
    for (int i = 0; i < 20'000; ++i)
        many.push_back("word number " + std::to_string(i) + "/its meaning");
    writeLists(many);
    const QByteArray phrases = test::fileBytes(u"Phrase.log"_s);
    const QByteArray meanings = test::fileBytes(u"Mean.log"_s);
    enum { Passed, NoFailure, WrongMessage, ListsChanged, HistoryChanged };
    const int result = test::runOnSmallDevice(state.path(), 128 * 1024, [&] {
        ListPairSync sync(u"Phrase.log"_s, u"Mean.log"_s);
        ListPairSync::Loaded loaded = sync.load();
        ListPair lists{std::move(*loaded.first), std::move(*loaded.second)};
        lists.first.remove(0); // a small removal fits
        lists.second.remove(0);
        sync.save(lists.view(), {}, {}, u"Delete"_s);
        const QByteArray shortened[2] = {test::fileBytes(u"Phrase.log"_s),
                                         test::fileBytes(u"Mean.log"_s)};
        const QString file = history().files().value(0);
        const QByteArray before = test::fileBytes(file);
        try {
            sync.save(ListPair().view(), {}, {}, u"Clear All Fields"_s);
            return int(NoFailure);
        } catch (const NoSpaceFailure& failure) {
            if (!failure.message().contains(history().folder()) ||
                !failure.message().endsWith(u"no space left on the device"_s))
                return int(WrongMessage);
        }
        if (test::fileBytes(u"Phrase.log"_s) != shortened[0] ||
            test::fileBytes(u"Mean.log"_s) != shortened[1])
            return int(ListsChanged);
        const bool same = history().files() == QStringList{file} && test::fileBytes(file) == before;
        return int(same && kept(history()).pairs == Pairs{many.front()} ? Passed : HistoryChanged);
    });
    EXPECT_EQ(result, Passed);
    EXPECT_EQ(test::fileBytes(u"Phrase.log"_s).size(), phrases.size() - 15);
    EXPECT_EQ(test::fileBytes(u"Mean.log"_s).size(), meanings.size() - 13);
}

TEST_F(RemovalHistoryTest, historyPastItsLimit_dropsTheOldestRecords) {
    constexpr qint64 limit = 16 * 1024;
    for (qint64 time = 1; time <= 100; ++time) {
        Pairs pairs;
        for (int i = 0; i < 10; ++i)
            pairs.push_back("word " + std::to_string(time * 100 + i) + "/meaning");
        record(time, pairs, limit);
    }
    qint64 bytes = 0;
    for (const QString& file : history().files())
        bytes += QFileInfo(file).size();
    EXPECT_LE(bytes, limit);
    EXPECT_GT(bytes, limit - RemovalHistory::fileSize(limit) * 2);
    const std::vector<qint64> times = kept(history()).times;
    ASSERT_FALSE(times.empty());
    EXPECT_GT(times.front(), 1);
    EXPECT_EQ(times.back(), 100);
    EXPECT_EQ(qsizetype(times.size()), (100 - times.front() + 1) * 10); // the newest, whole
}

} // namespace
} // namespace quill
