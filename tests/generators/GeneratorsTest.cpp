#include "core/EntryList.h"
#include "generators/OrdinalCharacters.h"
#include "generators/OrdinalNumbers.h"
#include "generators/RandomSource.h"
#include "generators/RandomWords.h"
#include "generators/WebAddresses.h"

#include "FixedSeedClock.h"
#include "support/ReferenceDraws.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace quill {
namespace {

using test::drawsFrom;

QByteArray lettersOf(const std::vector<quint32>& draws, std::initializer_list<int> pick) {
    QByteArray word;
    for (const int n : pick)
        word += char(quint8(draws[size_t(n - 1)] + 97));
    return word;
}

std::vector<QByteArray> entriesOf(const EntryList& list) {
    std::vector<QByteArray> result;
    for (qsizetype i = 0; i < list.size(); ++i)
        result.push_back(list.at(i).toByteArray());
    return result;
}

class GeneratorsTest : public ::testing::Test {
protected:
    void SetUp() override { clock.counterValue = 12345; }

    // One word from the fixed seed 12345.
    QByteArray oneWord(const WordRecipe& recipe) {
        RandomWords words(source, recipe, 1);
        EntryList list;
        EXPECT_TRUE(words.run(list, 10));
        EXPECT_EQ(list.size(), 1);
        return list.empty() ? QByteArray() : list.at(0).toByteArray();
    }

    // A seed whose draws below `bound` give `value` at draw number `at` (1-based) and not before.
    static quint32 seedGiving(quint32 value, int at, qint32 bound) {
        for (quint32 seed = 0;; ++seed) {
            const std::vector<quint32> d = drawsFrom(seed, at, bound);
            if (d.back() == value && std::find(d.begin(), d.end() - 1, value) == d.end() - 1)
                return seed;
        }
    }

    test::FixedSeedClock clock;
    RandomSource source{clock};
};

TEST_F(GeneratorsTest, plainWordFromSeed12345_isKhco) {
    EXPECT_EQ(oneWord(WordRecipe::plainLetters(4)), QByteArray("khco"));
}

TEST_F(GeneratorsTest, plainWords_haveOneLetterPerDraw) {
    const std::vector<quint32> d = drawsFrom(12345, 12, 26);
    for (int letters = 3; letters <= 12; ++letters) {
        QByteArray expected;
        for (int i = 0; i < letters; ++i)
            expected += char(d[size_t(i)] + 97);
        EXPECT_EQ(oneWord(WordRecipe::plainLetters(letters)), expected) << letters;
        // The seed shows how many draws the word made.
        EXPECT_EQ(source.seed(), test::seedAfter(12345, letters));
    }
}

TEST_F(GeneratorsTest, otherMethodWords_dropTheFourthDraw) {
    const std::vector<quint32> d = drawsFrom(12345, 6, 26);
    EXPECT_EQ(oneWord(WordRecipe::firstTextAndLetters("b", 3, 0b111)),
              "b" + lettersOf(d, {1, 2, 3}));
    EXPECT_EQ(oneWord(WordRecipe::firstTextAndLetters("b", 5, 0b10111)),
              "b" + lettersOf(d, {1, 2, 3, 5}));
    EXPECT_EQ(source.seed(), test::seedAfter(12345, 5));
    EXPECT_EQ(oneWord(WordRecipe::firstTextAndLetters("b", 6, 0b110111)),
              "b" + lettersOf(d, {1, 2, 3, 5, 6}));
}

TEST_F(GeneratorsTest, firstText_emptyOrLong_startsEveryWord) {
    const std::vector<quint32> d = drawsFrom(12345, 3, 26);
    EXPECT_EQ(oneWord(WordRecipe::firstTextAndLetters("", 3, 0b111)), lettersOf(d, {1, 2, 3}));
    EXPECT_EQ(oneWord(WordRecipe::firstTextAndLetters("abc", 3, 0b111)),
              "abc" + lettersOf(d, {1, 2, 3}));
    EXPECT_EQ(oneWord(WordRecipe::firstTextAndLetters("\xc3\xa9t\xc3\xa9", 3, 0b111)),
              "\xc3\xa9t\xc3\xa9" + lettersOf(d, {1, 2, 3}));
}

TEST_F(GeneratorsTest, variationWithDefaults_isEightCharacters) {
    EXPECT_EQ(oneWord(WordRecipe::variation("b", 26, ".")), QByteArray("b.k.h.c."));
    EXPECT_EQ(oneWord(WordRecipe::variation("", 26, "")), QByteArray("khc"));
    EXPECT_EQ(oneWord(WordRecipe::variation("b", 26, "--")), QByteArray("b--k--h--c--"));
}

TEST_F(GeneratorsTest, variationMultiplierZeroOrOne_givesOnlyA) {
    for (const quint64 counter : {0ull, 12345ull, 0xFFFFFFFFull, 987654321ull}) {
        clock.counterValue = counter;
        EXPECT_EQ(oneWord(WordRecipe::variation("b", 0, ".")), QByteArray("b.a.a.a."));
        EXPECT_EQ(oneWord(WordRecipe::variation("b", 1, ".")), QByteArray("b.a.a.a."));
    }
}

TEST_F(GeneratorsTest, variationMultiplier159_neverPassesCode255) {
    clock.counterStep = 7919;
    RandomWords words(source, WordRecipe::variation("", 159, ""), 3000);
    EntryList list;
    ASSERT_TRUE(words.run(list, 3000));
    bool sawTop = false;
    for (const QByteArray& word : entriesOf(list)) {
        ASSERT_EQ(word.size(), 3);
        for (const char c : word) {
            EXPECT_GE(quint8(c), 97);
            sawTop = sawTop || quint8(c) == 255;
        }
    }
    EXPECT_TRUE(sawTop);
}

TEST_F(GeneratorsTest, variationMultiplier160_drawOf159CutsTheEntry) {
    clock.counterValue = seedGiving(159, 1, 160);
    EXPECT_EQ(oneWord(WordRecipe::variation("b", 160, ".")), QByteArray("b."));
    clock.counterValue = seedGiving(159, 2, 160);
    const std::vector<quint32> d = drawsFrom(quint32(*clock.counterValue), 1, 160);
    EXPECT_EQ(oneWord(WordRecipe::variation("b", 160, ".")),
              QByteArray("b.") + char(quint8(d[0] + 97)) + '.');
}

TEST_F(GeneratorsTest, variationDrawOf160_givesCodeOne) {
    clock.counterValue = seedGiving(160, 1, 200);
    const QByteArray word = oneWord(WordRecipe::variation("", 200, ""));
    ASSERT_EQ(word.size(), 3);
    EXPECT_EQ(word[0], '\x01');
}

TEST_F(GeneratorsTest, variationNegativeMultiplier_matchesUnsignedBound) {
    clock.counterStep = 104729;
    RandomWords words(source, WordRecipe::variation("", -1, ""), 500);
    EntryList list;
    ASSERT_TRUE(words.run(list, 500));
    quint32 seed = 12345;
    bool sawHighByte = false;
    for (const QByteArray& word : entriesOf(list)) {
        QByteArray expected;
        for (const quint32 d : drawsFrom(seed, 3, -1))
            expected += char(quint8(d + 97));
        expected.truncate(expected.indexOf('\0') < 0 ? 3 : expected.indexOf('\0'));
        EXPECT_EQ(word, expected);
        for (const char c : word)
            sawHighByte = sawHighByte || quint8(c) >= 128;
        seed += 104729;
    }
    EXPECT_TRUE(sawHighByte);
}

TEST_F(GeneratorsTest, everyWordReseeds_fixedClockRepeatsTheWord) {
    RandomWords words(source, WordRecipe::plainLetters(4), 5);
    EntryList list;
    ASSERT_TRUE(words.run(list, 100));
    EXPECT_EQ(entriesOf(list), std::vector<QByteArray>(5, "khco"));
    EXPECT_EQ(clock.reads, 5);
}

TEST_F(GeneratorsTest, movingClock_wordsAreLowercaseLettersAndVary) {
    class MovingClock : public SeedClock {
    public:
        std::optional<quint64> counter() override { return value += 1000003; }
        quint32 tick() override { return 0; }
        quint64 value = 0;
    } moving;
    RandomSource realSource(moving);
    RandomWords words(realSource, WordRecipe::plainLetters(8), 1000);
    EntryList list;
    ASSERT_TRUE(words.run(list, 1000));
    std::set<QByteArray> distinct;
    for (const QByteArray& word : entriesOf(list)) {
        ASSERT_EQ(word.size(), 8);
        for (const char c : word)
            ASSERT_TRUE(c >= 'a' && c <= 'z') << word.constData();
        distinct.insert(word);
    }
    EXPECT_GT(distinct.size(), 990u);
}

TEST_F(GeneratorsTest, runInChunks_givesSameEntriesAsOneRun) {
    clock.counterStep = 31337;
    RandomWords whole(source, WordRecipe::variation("x", 26, "."), 100);
    EntryList all;
    ASSERT_TRUE(whole.run(all, 1000));
    clock.counterValue = 12345;
    RandomWords chunked(source, WordRecipe::variation("x", 26, "."), 100);
    EntryList pieces;
    int runs = 0;
    while (!chunked.finished()) {
        ASSERT_TRUE(chunked.run(pieces, 7));
        ++runs;
    }
    EXPECT_EQ(runs, 15);
    EXPECT_EQ(pieces, all);
    EXPECT_EQ(chunked.doneSteps(), 100);
}

TEST(EntryGenerator, countRule_isNPlusOneForRandomCommands) {
    EXPECT_EQ(EntryGenerator::stepsFromCount(-1), 0);
    EXPECT_EQ(EntryGenerator::stepsFromCount(-2147483647 - 1), 0);
    EXPECT_EQ(EntryGenerator::stepsFromCount(0), 1);
    EXPECT_EQ(EntryGenerator::stepsFromCount(128), 129);
    EXPECT_EQ(EntryGenerator::stepsFromCount(2147483647), 2147483648LL);
}

TEST_F(GeneratorsTest, fullList_stopsAndKeepsEarlierWords) {
    EntryList list;
    // Room for exactly three four-letter words (4 bytes + 4 bytes of offset each).
    list.setFootprintLimit(3 * 8 + 5);
    RandomWords words(source, WordRecipe::plainLetters(4), 10);
    EXPECT_FALSE(words.run(list, 10));
    EXPECT_EQ(list.size(), 3);
    EXPECT_EQ(words.doneSteps(), 3);
    EXPECT_FALSE(words.finished());
}

TEST_F(GeneratorsTest, webGroupFromSeed12345_hasTenAddressesInOrder) {
    WebAddresses web(source, 1);
    EntryList list;
    ASSERT_TRUE(web.run(list, 5));
    EXPECT_EQ(
        entriesOf(list),
        (std::vector<QByteArray>{"http://www.khco.com", "http://www.khco.edu",
                                 "http://www.khco.net", "http://www.khco.fr", "http://www.khco.ch",
                                 "http://www.khco.nl", "http://www.khco.hu", "http://www.khco.gb",
                                 "http://www.khco.khc", "http://www.khco.kh"}));
}

TEST_F(GeneratorsTest, webGroups_reseedPerGroupAndShareOneWord) {
    clock.counterStep = 99991;
    WebAddresses web(source, 50);
    EntryList list;
    ASSERT_TRUE(web.run(list, 50));
    ASSERT_EQ(list.size(), 500);
    EXPECT_EQ(clock.reads, 50);
    quint32 seed = 12345;
    for (qsizetype g = 0; g < 50; ++g, seed += 99991) {
        const QByteArray word = lettersOf(drawsFrom(seed, 4, 26), {1, 2, 3, 4});
        for (qsizetype k = 0; k < 10; ++k) {
            const QByteArray entry = list.at(g * 10 + k).toByteArray();
            EXPECT_TRUE(entry.startsWith("http://www." + word + '.')) << entry.constData();
            EXPECT_EQ(entry.size(), (k < 3 || k == 8) ? 19 : 18) << entry.constData();
        }
        EXPECT_TRUE(list.at(g * 10 + 8).endsWith("." + word.left(3)));
        EXPECT_TRUE(list.at(g * 10 + 9).endsWith("." + word.left(2)));
    }
}

TEST_F(GeneratorsTest, webFullList_keepsPartOfLastGroup) {
    EntryList list;
    list.setFootprintLimit(15 * (19 + 4));
    WebAddresses web(source, 3);
    EXPECT_FALSE(web.run(list, 3));
    EXPECT_GE(list.size(), 10);
    EXPECT_LT(list.size(), 20);
    EXPECT_EQ(web.doneSteps(), 1);
}

TEST(OrdinalNumbers, default128_givesOneToOneHundredTwentyEight) {
    OrdinalNumbers numbers(128);
    EntryList list;
    ASSERT_TRUE(numbers.run(list, 1000));
    ASSERT_EQ(list.size(), 128);
    for (qsizetype i = 0; i < 128; ++i)
        EXPECT_EQ(list.at(i).toByteArray(), QByteArray::number(i + 1) + '.');
}

TEST(OrdinalNumbers, countsAtOrBelowZero_giveNothing_oneGivesOne) {
    for (const qint32 count : {0, -5, -2147483647 - 1}) {
        OrdinalNumbers numbers(count);
        EXPECT_TRUE(numbers.finished()) << count;
    }
    OrdinalNumbers one(1);
    EntryList list;
    ASSERT_TRUE(one.run(list, 10));
    EXPECT_EQ(entriesOf(list), std::vector<QByteArray>{"1."});
}

TEST(OrdinalNumbers, largestCount_endsWithItsOwnNumber) {
    OrdinalNumbers numbers(2147483647);
    EXPECT_EQ(numbers.totalSteps(), 2147483647);
    EntryList list;
    ASSERT_TRUE(numbers.run(list, 3));
    EXPECT_EQ(entriesOf(list), (std::vector<QByteArray>{"1.", "2.", "3."}));
}

TEST(OrdinalCharacters, appendsAlphabetWithCommas) {
    EntryList list;
    list.append("keep");
    ASSERT_TRUE(appendOrdinalCharacters(list));
    ASSERT_EQ(list.size(), 27);
    EXPECT_EQ(list.at(0), QByteArrayView("keep"));
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(list.at(i + 1).toByteArray(), QByteArray(1, char('a' + i)) + ',');
}

TEST(OrdinalCharacters, fullList_keepsLettersBefore) {
    EntryList list;
    list.setFootprintLimit(5 * 6);
    EXPECT_FALSE(appendOrdinalCharacters(list));
    EXPECT_EQ(entriesOf(list), (std::vector<QByteArray>{"a,", "b,", "c,", "d,", "e,"}));
}

} // namespace
} // namespace quill
