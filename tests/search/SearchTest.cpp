#include "search/PairSearch.h"

#include <gtest/gtest.h>

#include <random>

namespace quill {
namespace {

using namespace Qt::StringLiterals;
using Mode = SearchPattern::Mode;

struct MatchCase {
    const char* name;
    QByteArray entry;
    QString text;
    Mode mode;
    bool expected;
};

void PrintTo(const MatchCase& c, std::ostream* os) {
    *os << c.name;
}

class Matching : public ::testing::TestWithParam<MatchCase> {
protected:
    FoldingTable loose{FoldingTable::Marks::Dropped};
    FoldingTable caseless{FoldingTable::Marks::Kept};
};

// The entry alone, and scanned amid other entries of one block, where the fast pass reads raw
// bytes across entry boundaries.
TEST_P(Matching, entryAloneAndInAStretch) {
    const MatchCase& c = GetParam();
    const SearchPattern pattern(c.text, c.mode == Mode::Equals ? caseless : loose, c.mode);
    EXPECT_EQ(pattern.matches(c.entry), c.expected);
    EntryList list;
    for (const char* entry : {"----------------", "", "--", c.entry.constData(), "-", "--------"})
        list.append(entry == c.entry.constData() ? QByteArrayView(c.entry) : entry);
    std::uint64_t bits = 0;
    for (qsizetype i = 0; i < list.size();) {
        const EntryList::Stretch stretch = list.stretchAt(i, list.size());
        pattern.scan(stretch, &bits, 0);
        i += stretch.count;
    }
    EXPECT_EQ(bits, c.expected ? std::uint64_t(1) << 3 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Matching,
    ::testing::Values(
        MatchCase{"case", "Hello World", u"hELLO"_s, Mode::Contains, true},
        MatchCase{"inside", "a phrase in a long entry of many words", u"ENTRY OF"_s, Mode::Contains,
                  true},
        MatchCase{"missing", "Hello", u"help"_s, Mode::Contains, false},
        MatchCase{"accentInEntry", "Caf\xC3\xA9", u"cafe"_s, Mode::Contains, true},
        MatchCase{"accentInText", "cafe", u"CAF\u00C9"_s, Mode::Contains, true},
        MatchCase{"decomposedAccent", "Cafe\xCC\x81 noir", u"caf\u00E9 NOIR"_s, Mode::Contains,
                  true},
        MatchCase{"sharpS",
                  "Stra\xC3\x9F"
                  "e",
                  u"STRASSE"_s, Mode::Contains, true},
        MatchCase{"sharpSInText", "STRASSE", u"stra\u00DFe"_s, Mode::Contains, true},
        MatchCase{"kelvinSign",
                  "\xE2\x84\xAA"
                  "elvin",
                  u"kelvin"_s, Mode::Contains, true},
        MatchCase{"cyrillic",
                  "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xD0\xBC\xD0\xB8"
                  "\xD1\x80",
                  u"\u041C\u0418\u0420"_s, Mode::Contains, true},
        MatchCase{"latin1BytesKeepAsciiAround", "caf\xE9 noir", u"NOIR"_s, Mode::Contains, true},
        MatchCase{"latin1ByteIsNoAccent", "caf\xE9", u"caf\u00E9"_s, Mode::Contains, false},
        MatchCase{"byteZeroShownAsSign", QByteArray("a\0b", 3), u"A\u2400B"_s, Mode::Contains,
                  true},
        MatchCase{"byteZeroIsNoGap", QByteArray("a\0b", 3), u"ab"_s, Mode::Contains, false},
        MatchCase{"equalsTrimmed", "  Apple \t", u" apple"_s, Mode::Equals, true},
        MatchCase{"equalsWholeEntry", "Apple pie", u"apple"_s, Mode::Equals, false},
        MatchCase{"equalsAccentsCount", "\xC3\x84pfel", u"apfel"_s, Mode::Equals, false},
        MatchCase{"equalsFullFolding", "STRASSE", u"Stra\u00DFe"_s, Mode::Equals, true},
        MatchCase{"equalsFoldedEntry",
                  " Stra\xC3\x9F"
                  "e",
                  u"STRASSE"_s, Mode::Equals, true},
        MatchCase{"equalsOtherHead",
                  "Stro\xC3\x9F"
                  "e",
                  u"strasse"_s, Mode::Equals, false},
        MatchCase{"equalsTrimsNoBreakSpace", "apple\xC2\xA0", u"APPLE"_s, Mode::Equals, true}));

// The same entries a block apart, ten times, through removals that cut the list into stretches.
EntryList mixedList(std::mt19937& random, qsizetype count) {
    const char* pieces[] = {"cafe",
                            "Caf\xC3\xA9",
                            "STRASSE",
                            "stra\xC3\x9F"
                            "e",
                            "tea",
                            "\xE9t\xE9",
                            "x",
                            "",
                            " ",
                            "\xD0\xBC\xD0\xB8\xD1\x80",
                            "TE"};
    EntryList list;
    for (qsizetype i = 0; i < count; ++i) {
        QByteArray entry;
        for (int words = int(random() % 4); words > 0; --words)
            entry += QByteArray(pieces[random() % std::size(pieces)]) + (random() % 2 ? " " : "");
        if (random() % 50 == 0)
            entry += '\0';
        list.append(entry);
    }
    for (int i = 0; i < 10; ++i)
        list.remove(qsizetype(random() % list.size()));
    return list;
}

TEST(PairSearch, runsOverChunksAgreeWithEntryByEntryMatching) {
    std::mt19937 random(29);
    const EntryList words = mixedList(random, 150000);
    const EntryList meanings = mixedList(random, 140000);
    PairSearch search(2);
    struct Row {
        QString text;
        SearchScope scope;
    };
    for (const Row& row :
         {Row{u"caf\u00E9"_s, SearchScope::BothFields}, Row{u"Strasse T"_s, SearchScope::Field1},
          Row{u"\u041C\u0418"_s, SearchScope::Field2}, Row{u"\u00E9"_s, {}},
          Row{u"ea x"_s, SearchScope::BothFields}}) {
        const std::shared_ptr<SearchRun> run = search.start(words, meanings, row.text, row.scope);
        run->wait();
        ASSERT_TRUE(run->finished());
        ASSERT_EQ(run->settled(), words.size());
        const SearchPattern pattern(row.text, search.looseFolding(), Mode::Contains);
        std::vector<qsizetype> expected;
        for (qsizetype i = 0; i < run->pairCount(); ++i) {
            const bool inWord = row.scope != SearchScope::Field2 && i < words.size() &&
                                pattern.matches(words.at(i));
            const bool inMeaning = row.scope != SearchScope::Field1 && i < meanings.size() &&
                                   pattern.matches(meanings.at(i));
            if (inWord || inMeaning)
                expected.push_back(i);
        }
        ASSERT_EQ(run->settledCount(), qsizetype(expected.size())) << row.text.toStdString();
        ASSERT_GT(expected.size(), 2u);
        for (qsizetype r = 0; r < qsizetype(expected.size()); ++r)
            ASSERT_EQ(run->pairAt(r), expected[std::size_t(r)]) << r;
        EXPECT_EQ(run->nextMatch(-1), expected.front());
        EXPECT_EQ(run->nextMatch(expected[1] - 1), expected[1]);
        EXPECT_EQ(run->nextMatch(expected.back()), -1);
        EXPECT_EQ(run->previousMatch(expected[1]), expected.front());
        EXPECT_EQ(run->previousMatch(run->pairCount()), expected.back());
        EXPECT_EQ(run->previousMatch(expected.front()), -1);
    }
}

TEST(PairSearch, cancelStopsTheWorkersWithTheSettledPairsKept) {
    std::mt19937 random(3);
    const EntryList words = mixedList(random, 12 * SearchRun::ChunkPairs);
    PairSearch search(2);
    std::atomic<SearchRun*> started{nullptr};
    // Cancelled as soon as the first pairs are settled, as the next key would.
    const std::shared_ptr<SearchRun> run =
        search.start(words, EntryList(), u"tea"_s, SearchScope::BothFields, [&started] {
            SearchRun* run = nullptr;
            while (!(run = started.load()))
                ;
            if (run->settled() > 0)
                run->cancel();
        });
    started = run.get();
    run->wait();
    EXPECT_FALSE(run->finished());
    ASSERT_GT(run->settled(), 0);
    EXPECT_LT(run->settled(), run->pairCount());
    const SearchPattern pattern(u"tea"_s, search.looseFolding(), Mode::Contains);
    qsizetype expected = 0;
    for (qsizetype i = 0; i < run->settled(); ++i)
        expected += pattern.matches(words.at(i));
    EXPECT_EQ(run->settledCount(), expected);
}

struct CollectedCase {
    const char* name;
    QString word;
    std::vector<qsizetype> first;
    qsizetype count;
};

void PrintTo(const CollectedCase& c, std::ostream* os) {
    *os << c.name;
}

class Collected : public ::testing::TestWithParam<CollectedCase> {};

TEST_P(Collected, findsEqualWordsIgnoringCaseAndBlanks) {
    EntryList words;
    for (const char* entry : {"apple", " Apple ", "apple pie", "\xC3\xA4pple", "APPLE", "Apple",
                              "Stra\xC3\x9F"
                              "e",
                              "pineapple"})
        words.append(entry);
    PairSearch search(2);
    const PairSearch::Collected found = search.collected(words, GetParam().word, 3);
    EXPECT_EQ(found.first, GetParam().first);
    EXPECT_EQ(found.count, GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Collected,
    ::testing::Values(CollectedCase{"caseAndBlanks", u" aPPle"_s, {0, 1, 4}, 4},
                      CollectedCase{"accentsCount", u"\u00C4PPLE"_s, {3}, 1},
                      CollectedCase{"fullFolding", u"STRASSE"_s, {6}, 1},
                      CollectedCase{"none", u"pear"_s, {}, 0}));

} // namespace
} // namespace quill
