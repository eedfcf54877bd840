#include "core/EntryList.h"
#include "core/ByteText.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

namespace quill {
namespace {

EntryList listOf(std::initializer_list<const char*> entries) {
    EntryList list;
    for (const char* e : entries)
        EXPECT_TRUE(list.append(QByteArrayView(e)));
    return list;
}

std::vector<QByteArray> contents(const EntryList& list) {
    std::vector<QByteArray> out;
    for (qsizetype i = 0; i < list.size(); ++i)
        out.push_back(list.at(i).toByteArray());
    return out;
}

// Entries [from, to) read stretch by stretch, as a scan reads them.
std::vector<QByteArray> stretchContents(const EntryList& list, qsizetype from, qsizetype to) {
    std::vector<QByteArray> out;
    for (qsizetype i = from; i < to;) {
        const EntryList::Stretch stretch = list.stretchAt(i, to);
        EXPECT_EQ(stretch.first, i);
        EXPECT_GT(stretch.count, 0);
        for (qsizetype k = 0; k < stretch.count; ++k) {
            const qsizetype begin = k == 0 ? stretch.begin : qsizetype(stretch.ends[k - 1]);
            out.emplace_back(stretch.bytes + begin, qsizetype(stretch.ends[k]) - begin);
        }
        i += std::max<qsizetype>(stretch.count, 1);
    }
    return out;
}

TEST(EntryList, appendKeepsOrderDuplicatesAndEmptyEntries) {
    const EntryList list = listOf({"one", "", "one", "two"});
    EXPECT_EQ(contents(list), (std::vector<QByteArray>{"one", "", "one", "two"}));
    EXPECT_EQ(list.byteSize(), 9);
    EXPECT_EQ(list.footprint(), 9 + 4 * qsizetype(sizeof(EntryList::Offset)));
}

TEST(EntryList, appendKeepsAnyBytes) {
    EntryList list;
    const QByteArray raw("a\0b\r\n\xFF", 6);
    ASSERT_TRUE(list.append(raw));
    EXPECT_EQ(list.at(0).toByteArray(), raw);
}

TEST(EntryList, removeMovesLaterEntriesUp) {
    EntryList list = listOf({"alpha", "be", "gamma", "d"});
    list.remove(1);
    EXPECT_EQ(contents(list), (std::vector<QByteArray>{"alpha", "gamma", "d"}));
    list.remove(0);
    EXPECT_EQ(contents(list), (std::vector<QByteArray>{"gamma", "d"}));
    list.remove(1);
    EXPECT_EQ(contents(list), (std::vector<QByteArray>{"gamma"}));
    EXPECT_EQ(list.byteSize(), 5);
}

TEST(EntryList, removeOutOfRange_changesNothing) {
    EntryList list = listOf({"a", "b"});
    list.remove(-1);
    list.remove(2);
    EXPECT_EQ(contents(list), (std::vector<QByteArray>{"a", "b"}));
}

TEST(EntryList, clearThenAppend_startsAfresh) {
    EntryList list = listOf({"a", "b"});
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.byteSize(), 0);
    ASSERT_TRUE(list.append("c"));
    EXPECT_EQ(contents(list), (std::vector<QByteArray>{"c"}));
}

TEST(EntryList, footprintLimit_refusesTheEntryThatPassesItAndKeepsTheRest) {
    EntryList list;
    const qsizetype offset = sizeof(EntryList::Offset);
    list.setFootprintLimit(3 + offset + 2 + offset);
    EXPECT_TRUE(list.append("abc"));
    EXPECT_FALSE(list.append("xyz"));
    EXPECT_TRUE(list.append("xy"));
    EXPECT_FALSE(list.append(""));
    EXPECT_EQ(contents(list), (std::vector<QByteArray>{"abc", "xy"}));
    EXPECT_FALSE(list.canTake(0));
}

TEST(EntryList, canTake_countsOneOffsetPerEntry) {
    EntryList list;
    const qsizetype offset = sizeof(EntryList::Offset);
    list.setFootprintLimit(10 + 3 * offset);
    EXPECT_TRUE(list.canTake(10, 3));
    EXPECT_FALSE(list.canTake(10, 4));
    EXPECT_FALSE(list.canTake(11, 3));
}

TEST(EntryList, appendRange_copiesThoseEntriesOrRefusesThemAll) {
    const EntryList source = listOf({"one", "", "three", "four"});
    EntryList list = listOf({"x"});
    EXPECT_TRUE(list.appendRange(source, 1, 3));
    EXPECT_TRUE(list.appendRange(source, 2, 2));
    EXPECT_TRUE(list.appendRange(source, 0, 1));
    EXPECT_EQ(contents(list), (std::vector<QByteArray>{"x", "", "three", "one"}));
    EXPECT_EQ(source.rangeBytes(1, 4), 9);

    const qsizetype offset = sizeof(EntryList::Offset);
    EntryList limited = listOf({"x"});
    limited.setFootprintLimit(1 + offset + 9 + 2 * offset);
    EXPECT_FALSE(limited.appendRange(source, 1, 4));
    EXPECT_TRUE(limited.appendRange(source, 2, 4));
    EXPECT_EQ(contents(limited), (std::vector<QByteArray>{"x", "three", "four"}));
}

TEST(EntryList, equalListsCompareEqual) {
    EXPECT_EQ(listOf({"a", "bc"}), listOf({"a", "bc"}));
    EXPECT_FALSE(listOf({"ab", "c"}) == listOf({"a", "bc"}));
}

TEST(EntryList, copiesShareTheEntriesAndChangeApart) {
    EntryList original = listOf({"a", "b", "c"});
    EntryList copy = original;
    EXPECT_TRUE(copy.sharesAll(original));
    ASSERT_TRUE(copy.append("d"));     // written behind what the original holds
    ASSERT_TRUE(original.append("x")); // the block is taken: a block of its own
    copy.remove(0);
    EXPECT_EQ(contents(original), (std::vector<QByteArray>{"a", "b", "c", "x"}));
    EXPECT_EQ(contents(copy), (std::vector<QByteArray>{"b", "c", "d"}));
    EXPECT_EQ(original.sharedHead(copy), 0);
    EntryList head = original;
    head.remove(3);
    EXPECT_EQ(original.sharedHead(head), 3);
    EXPECT_FALSE(original.sharesAll(head));
}

TEST(EntryList, sharedTailCountsTheSameLastEntries) {
    EntryList big;
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(big.append(QByteArray::number(i)));
    const struct {
        const char* name;
        std::function<void(EntryList&)> change;
        qsizetype tail;
    } rows[] = {
        {"unchanged", [](EntryList&) {}, 100},
        {"middleRemoved", [](EntryList& list) { list.remove(40); }, 59},
        {"firstRemoved", [](EntryList& list) { list.remove(0); }, 99},
        {"lastRemoved", [](EntryList& list) { list.remove(99); }, 0},
        {"appended", [](EntryList& list) { list.append("x"); }, 0},
        {"equalButCopied", [](EntryList& list) { list.shrinkToFit(); }, 0},
    };
    for (const auto& row : rows) {
        EntryList changed = big;
        row.change(changed);
        EXPECT_EQ(changed.sharedTail(big), row.tail) << row.name;
        EXPECT_EQ(big.sharedTail(changed), row.tail) << row.name;
    }
}

TEST(EntryList, largeStretchesAreSharedSmallOnesCopied) {
    EntryList big;
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(big.append(QByteArray::number(i)));
    big.shrinkToFit(); // one block of exactly these entries
    EntryList shared;
    ASSERT_TRUE(shared.appendRange(big, 0, 900));
    EXPECT_EQ(shared.sharedHead(big), 900);
    EntryList copied;
    ASSERT_TRUE(copied.appendRange(big, 0, 10));
    EXPECT_EQ(copied.sharedHead(big), 0);
    EXPECT_EQ(contents(copied),
              (std::vector<QByteArray>{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
}

// Random edits of several lists that copy from and into each other, checked against plain
// vectors: sharing never lets an edit of one list show in another.
TEST(EntryList, randomEditsOfSharingLists_matchIndependentVectors) {
    std::mt19937 random(20261209);
    constexpr int Lists = 4;
    EntryList lists[Lists];
    std::vector<QByteArray> models[Lists];
    int fresh = 0;
    for (int step = 0; step < 40000; ++step) {
        const int a = int(random() % Lists);
        const int b = int(random() % Lists);
        EntryList& list = lists[a];
        std::vector<QByteArray>& model = models[a];
        switch (random() % 16) {
        case 0:
            lists[a] = lists[b];
            models[a] = models[b];
            break;
        case 1:
        case 2: {
            if (models[a].size() + models[b].size() > 3000)
                break; // copies of copies would grow without bound
            const qsizetype n = qsizetype(models[b].size());
            const qsizetype from = n ? qsizetype(random() % n) : 0;
            const qsizetype to = from + (n ? qsizetype(random() % (n - from + 1)) : 0);
            const std::vector<QByteArray> taken(models[b].begin() + from, models[b].begin() + to);
            ASSERT_TRUE(list.appendRange(lists[b], from, to));
            model.insert(model.end(), taken.begin(), taken.end());
            break;
        }
        case 3:
        case 4:
            if (!model.empty()) {
                const qsizetype at = qsizetype(random() % model.size());
                list.remove(at);
                model.erase(model.begin() + at);
            }
            break;
        case 5:
            if (random() % 8 == 0) {
                list.clear();
                model.clear();
            } else {
                list.shrinkToFit();
            }
            break;
        default: {
            const QByteArray entry = QByteArray::number(fresh++).repeated(int(random() % 4));
            ASSERT_TRUE(list.append(entry));
            model.push_back(entry);
        }
        }
        if (step % 97 == 0 || step == 39999) {
            for (int k = 0; k < Lists; ++k) {
                ASSERT_EQ(contents(lists[k]), models[k]) << "step " << step << " list " << k;
                const qsizetype n = qsizetype(models[k].size());
                ASSERT_EQ(
                    stretchContents(lists[k], n / 3, n - n / 4),
                    std::vector<QByteArray>(models[k].begin() + n / 3, models[k].end() - n / 4));
                qsizetype bytes = 0;
                for (const QByteArray& entry : models[k])
                    bytes += entry.size();
                ASSERT_EQ(lists[k].byteSize(), bytes);
                ASSERT_EQ(lists[k].rangeBytes(0, lists[k].size()), bytes);
            }
        }
    }
}

struct PrefixCase {
    const char* name;
    std::vector<QByteArray> entries;
    QString prefix;
    qsizetype expected;
};

void PrintTo(const PrefixCase& c, std::ostream* os) {
    *os << c.name;
}

class FindPrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(FindPrefix, givesFirstEntryInListOrderIgnoringCase) {
    const PrefixCase& c = GetParam();
    EntryList list;
    for (const QByteArray& e : c.entries)
        ASSERT_TRUE(list.append(e));
    EXPECT_EQ(list.findPrefix(c.prefix), c.expected) << c.name;
}

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindPrefix,
    ::testing::Values(
        PrefixCase{"emptyPrefix", {"x", "y"}, QString(), 0},
        PrefixCase{"emptyPrefixEmptyList", {}, QString(), -1},
        PrefixCase{"exactCase", {"zebra", "apple", "apricot"}, u8("ap"), 1},
        PrefixCase{"upperTypedLowerEntry", {"zebra", "apple"}, u8("APP"), 1},
        PrefixCase{"lowerTypedUpperEntry", {"Zebra", "APPLE"}, u8("apple"), 1},
        PrefixCase{"firstInListOrderNotSorted", {"apz", "apa", "APB"}, u8("ap"), 0},
        PrefixCase{"wholeEntry", {"ab", "abc"}, u8("ABC"), 1},
        PrefixCase{"prefixLongerThanEntries", {"ab", "a"}, u8("abc"), -1},
        PrefixCase{"noMatch", {"one", "two"}, u8("three"), -1},
        PrefixCase{"nonLetterMustMatchExactly", {"a-b", "a_b"}, u8("a_"), 1},
        PrefixCase{"atAndBacktickAreNotLetters", {"@x", "`x"}, u8("`"), 1},
        PrefixCase{"accentedLowerTypedUpperEntry",
                   {"eclair", "\xC3\x89"
                              "clair"},
                   u8("\xC3\xA9"),
                   1},
        PrefixCase{"accentNotEqualPlainLetter", {"\xC3\xA9t\xC3\xA9"}, u8("e"), -1},
        PrefixCase{"cyrillic",
                   {"\xD0\xBC\xD0\xB8\xD1\x80", "\xD0\x9F\xD0\xA0\xD0\x98\xD0\x92\xD0\x95\xD0\xA2"},
                   u8("\xD0\xBF\xD1\x80\xD0\xB8"),
                   1},
        PrefixCase{"mixedAsciiThenAccent", {"cafe", "CAF\xC3\x89 noir"}, u8("caf\xC3\xA9"), 1},
        PrefixCase{"fourByteCharacter",
                   {"a\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80x"},
                   u8("\xF0\x9F\x98\x80"),
                   1},
        PrefixCase{"invalidByteTypedBack",
                   {"\xC3", "\xE9t\xE9"},
                   QString(QChar(char16_t(0xF7E9))) + u8("T"),
                   1},
        PrefixCase{"kelvinSignEntryForTypedK",
                   {"x", "\xE2\x84\xAA"
                         "elvin"},
                   u8("ke"),
                   1},
        PrefixCase{"longSEntryForTypedS",
                   {"\xC5\xBF"
                    "un"},
                   u8("SU"),
                   0},
        PrefixCase{"kelvinSignTypedForAsciiEntry",
                   {"kelvin"},
                   u8("\xE2\x84\xAA"
                      "el"),
                   0},
        PrefixCase{"manyKelvinSignsForLongTypedPrefix",
                   {QByteArray("\xE2\x84\xAA").repeated(12) + "\xC3\xA9"},
                   u8("kkkkkkkkkkkk\xC3\x89"),
                   0}),
    [](const ::testing::TestParamInfo<PrefixCase>& info) { return std::string(info.param.name); });

TEST(EntryList, onlyLongSAndKelvinSignFoldToAsciiLetters) {
    // findPrefix relies on this to compare ASCII prefixes byte by byte.
    for (char32_t cp = 0x80; cp <= 0xFFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        const QString ch = QString::fromUcs4(&cp, 1);
        for (char16_t c = u'A'; c <= u'z'; ++c) {
            if (ch.compare(QString(QChar(c)), Qt::CaseInsensitive) == 0) {
                EXPECT_TRUE(cp == 0x017F || cp == 0x212A) << unsigned(cp);
            }
        }
    }
}

} // namespace
} // namespace quill
