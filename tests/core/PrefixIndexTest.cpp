#include "core/PrefixIndex.h"

#include "core/ByteText.h"
#include "core/EntryList.h"
#include "generators/FixedSeedClock.h"
#include "generators/OrdinalCharacters.h"
#include "generators/OrdinalNumbers.h"
#include "generators/RandomSource.h"
#include "generators/RandomWords.h"
#include "generators/WebAddresses.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <optional>

namespace quill {
namespace {

using namespace Qt::StringLiterals;

// Pieces of entries: letters whose case partners differ in length or are ASCII (the long s,
// the Kelvin sign, sharp s, final sigma, dotted and dotless i), letters outside the BMP, bytes
// that are not UTF-8, a NUL, and plain ASCII.
const QByteArray pieces[] = {"a",
                             "A",
                             "b",
                             "B",
                             "s",
                             "S",
                             "k",
                             "K",
                             "i",
                             "I",
                             "-",
                             "#",
                             "\xC5\xBF",
                             "\xE2\x84\xAA",
                             "\xC3\x9F",
                             "\xE1\xBA\x9E",
                             "\xCF\x83",
                             "\xCE\xA3",
                             "\xCF\x82",
                             "\xC4\xB0",
                             "\xC4\xB1",
                             "\xC3\xA9",
                             "\xC3\x89",
                             "\xD0\x94",
                             "\xD0\xB4",
                             "\xF0\x90\x90\x80",
                             "\xF0\x90\x90\xA8",
                             "\xFF",
                             "\xC3",
                             "\x80",
                             "\xEF\x9E\x80",
                             QByteArray("\0", 1),
                             "http://www."};

// Runs of one entry, of a few, and of more than one block of sorted positions.
class PrefixIndexProperty : public ::testing::TestWithParam<qsizetype> {
protected:
    QByteArray randomEntry() {
        QByteArray entry;
        const int count = int(random_.bounded(6));
        for (int i = 0; i < count; ++i)
            entry += pieces[random_.bounded(int(std::size(pieces)))];
        return entry;
    }

    // A typed text: the start of an entry in another letter case, or random pieces.
    QString randomPrefix() {
        QString text = displayText(randomEntry());
        if (!list_.empty() && random_.bounded(3) != 0) {
            text = displayText(list_.at(random_.bounded(list_.size())));
            // Short starts match many entries, long ones few.
            text.truncate(1 + random_.bounded(random_.bounded(2) == 0 ? 2 : int(text.size()) + 1));
        }
        switch (random_.bounded(3)) {
        case 0:
            return text.toUpper();
        case 1:
            return text.toLower();
        default:
            return text;
        }
    }

    void append(const EntryList& batch) {
        for (qsizetype i = 0; i < batch.size(); ++i)
            ASSERT_TRUE(list_.append(batch.at(i)));
        index_.appended(batch.size());
    }

    void sortRuns(int runs) {
        for (int i = 0; i < runs; ++i) {
            std::optional<PrefixIndex::Job> job = index_.nextJob(list_);
            if (!job)
                return;
            index_.install(PrefixIndex::sortRun(*job));
        }
    }

    void expectSameAnswersAsScan(const char* step) {
        for (int i = 0; i < 25; ++i) {
            const QString prefix = randomPrefix();
            ASSERT_EQ(index_.findPrefix(list_, prefix), list_.findPrefix(prefix))
                << step << " prefix " << prefix.toStdString() << " entries " << list_.size();
        }
    }

    QRandomGenerator random_{20261208};
    EntryList list_;
    PrefixIndex index_{GetParam()};
    test::FixedSeedClock clock_;
    RandomSource source_{clock_};
};

TEST_P(PrefixIndexProperty, givesTheScansAnswerAfterEveryChange) {
    clock_.counterStep = 977;
    // A sorted run taken before a change and installed after it.
    std::optional<PrefixIndex::Order> late;
    for (int round = 0; round < 600; ++round) {
        const char* step = "";
        EntryList batch;
        switch (random_.bounded(11)) {
        case 0:
        case 1:
        case 2:
            step = "add";
            batch.append(randomEntry());
            break;
        case 3: {
            // Many entries with the same start make matches that span whole blocks.
            step = "append many";
            const QByteArray lead = pieces[random_.bounded(int(std::size(pieces)))];
            for (int i = int(random_.bounded(3 * GetParam() + 20)); i > 0; --i)
                batch.append(lead + randomEntry());
            break;
        }
        case 4:
        case 5:
            step = "delete";
            if (!list_.empty()) {
                const qsizetype at = random_.bounded(list_.size());
                list_.remove(at);
                index_.removed(at);
            }
            break;
        case 6:
            step = random_.bounded(4) == 0 ? "clear" : "replace all";
            list_.clear();
            if (step[0] == 'r') {
                for (int i = int(random_.bounded(3 * GetParam() + 40)); i > 0; --i)
                    ASSERT_TRUE(list_.append(randomEntry()));
            }
            index_.reset(list_.size());
            break;
        case 7: {
            step = "generators";
            RandomWords(source_, WordRecipe::variation("Ab", 256, "\xC3"), 6).run(batch, 6);
            RandomWords(source_, WordRecipe::plainLetters(3), 5).run(batch, 5);
            WebAddresses(source_, 1).run(batch, 1);
            OrdinalNumbers(4).run(batch, 4);
            appendOrdinalCharacters(batch);
            break;
        }
        case 8:
            step = "sort one run";
            sortRuns(1);
            break;
        case 9:
            step = "sort a run that changes meanwhile";
            if (std::optional<PrefixIndex::Job> job = index_.nextJob(list_))
                late = PrefixIndex::sortRun(*job);
            break;
        default:
            step = "install late";
            if (late)
                index_.install(std::move(*late));
            late.reset();
            break;
        }
        append(batch);
        expectSameAnswersAsScan(step);
        if (round % 50 == 49) {
            sortRuns(1 << 20);
            EXPECT_TRUE(index_.complete());
            expectSameAnswersAsScan("all runs sorted");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(RunSizes, PrefixIndexProperty, ::testing::Values(1, 7, 300));

// A whole block of sorted positions must count only when every one of them matches, and a
// removal must renew the blocks' smallest positions.
TEST(PrefixIndex, blockEdgesAndRemovalGiveTheFirstMatch) {
    EntryList list;
    ASSERT_TRUE(list.append("c"));
    for (int i = 1; i < 64; ++i)
        ASSERT_TRUE(list.append("b" + QByteArray::number(i)));
    for (int i = 64; i < 200; ++i)
        ASSERT_TRUE(list.append((i % 2 ? "e" : "d") + QByteArray::number(i)));
    PrefixIndex index(256);
    index.reset(list.size());
    index.install(PrefixIndex::sortRun(*index.nextJob(list)));
    ASSERT_TRUE(index.complete());
    EXPECT_EQ(index.findPrefix(list, u"B"), 1);
    EXPECT_EQ(index.findPrefix(list, u"E"), 65);
    for (const qsizetype removed : {qsizetype(64), qsizetype(0), qsizetype(0)}) {
        list.remove(removed);
        index.removed(removed);
        for (const QString& prefix : {u"b"_s, u"d"_s, u"e"_s})
            EXPECT_EQ(index.findPrefix(list, prefix), list.findPrefix(prefix)) << removed;
    }
}

TEST(PrefixIndex, coversAppendedEntriesOnlyOnceTheirRunIsSorted) {
    EntryList list;
    PrefixIndex index(2);
    for (const char* entry : {"b", "a", "c"})
        ASSERT_TRUE(list.append(entry));
    index.appended(3);
    EXPECT_FALSE(index.complete());
    while (std::optional<PrefixIndex::Job> job = index.nextJob(list))
        index.install(PrefixIndex::sortRun(*job));
    EXPECT_TRUE(index.complete());
    ASSERT_TRUE(list.append("A"));
    index.appended(1);
    EXPECT_FALSE(index.complete());
    EXPECT_EQ(index.findPrefix(list, u"a"), 1);
    list.remove(1);
    index.removed(1);
    EXPECT_EQ(index.findPrefix(list, u"a"), 2);
}

} // namespace
} // namespace quill
