#include "storage/ListPairMerge.h"
#include "storage/SequenceDiff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>

namespace quill {
namespace {

// A writer's lists; every pair is "<name>" / "m:<name>", so alignment is visible in the bytes.
// "~<name>" is the word without its meaning, "^<name>" the meaning without its word; empty entries
// at the end of a list are left out, so such a version has uneven lists.
ListPair pairsOf(const std::vector<std::string>& names) {
    std::vector<QByteArray> first, second;
    for (const std::string& name : names) {
        const QByteArray bare =
            QByteArray::fromStdString(name.substr(name[0] == '~' || name[0] == '^'));
        first.push_back(name[0] == '^' ? QByteArray() : bare);
        second.push_back(name[0] == '~' ? QByteArray() : "m:" + bare);
    }
    ListPair lists;
    for (auto [from, to] : {std::pair(&first, &lists.first), std::pair(&second, &lists.second)}) {
        while (!from->empty() && from->back().isEmpty())
            from->pop_back();
        for (const QByteArray& entry : *from)
            EXPECT_TRUE(to->append(entry));
    }
    return lists;
}

// The names of merged lists, which must be even (uneven versions count as padded with empty
// entries); "!" marks a pair out of line.
std::vector<std::string> namesOf(const ListPair& lists) {
    std::vector<std::string> names;
    EXPECT_EQ(lists.first.size(), lists.second.size());
    for (qsizetype i = 0; i < std::min(lists.first.size(), lists.second.size()); ++i) {
        const QByteArray first = lists.first.at(i).toByteArray();
        const QByteArray second = lists.second.at(i).toByteArray();
        QByteArray name;
        if (second.isEmpty())
            name = '~' + first;
        else if (first.isEmpty() && second.startsWith("m:"))
            name = '^' + second.mid(2);
        else if (second == "m:" + first)
            name = first;
        else
            name = '!' + first + '|' + second;
        names.push_back(name.toStdString());
    }
    return names;
}

// One writer's history: adds at the end, inserts, deletes, clears and replace-all; with `lone`,
// also a word or a meaning alone at the end (a one-sided command, or a one-sided append).
std::vector<std::string> edit(std::vector<std::string> names, const std::string& writer,
                              std::mt19937& random, bool lone) {
    const int steps = int(random() % 12);
    for (int step = 0; step < steps; ++step) {
        std::string fresh(writer);
        fresh.append(std::to_string(step));
        const unsigned kind = random() % 20;
        if (lone && kind >= 17) {
            names.push_back((kind == 19 ? "^" : "~") + fresh);
            continue;
        }
        switch (kind) {
        case 0:
            names.clear();
            break;
        case 1:
            names.assign(1 + random() % 3, fresh);
            for (size_t i = 0; i < names.size(); ++i)
                names[i].append(".").append(std::to_string(i));
            break;
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:
            if (!names.empty())
                names.erase(names.begin() + long(random() % names.size()));
            break;
        case 7:
        case 8:
        case 9:
        case 10:
        case 11:
            names.insert(names.begin() + long(random() % (names.size() + 1)), fresh);
            break;
        default:
            names.push_back(fresh);
        }
    }
    return names;
}

struct Shape {
    const char* name;
    bool loneBase, loneOurs, loneTheirs; // whose versions may hold words or meanings alone
    int rounds = 1000;
};

class ListPairMergeHistories : public testing::TestWithParam<Shape> {};

TEST_P(ListPairMergeHistories, randomHistoriesOfTwoWriters_keepEveryPairEitherSideHolds) {
    const Shape shape = GetParam();
    std::mt19937 random(20261209);
    for (int round = 0; round < shape.rounds; ++round) {
        std::vector<std::string> base;
        const size_t baseSize = round % 300 == 0 ? 3000 : random() % 15;
        for (size_t i = 0; i < baseSize; ++i)
            base.push_back(std::string("b").append(std::to_string(i)));
        if (shape.loneBase && random() % 2)
            base.push_back(random() % 2 ? "~bl" : "^bl");
        const std::vector<std::string> ours = edit(base, "o", random, shape.loneOurs);
        const std::vector<std::string> theirs = edit(base, "t", random, shape.loneTheirs);
        const ListPair oursPair = pairsOf(ours);
        const ListPair theirsPair = pairsOf(theirs);
        const MergedPair merged =
            mergeListPairs(pairHashes(pairsOf(base).view()), oursPair.view(), theirsPair.view());
        EXPECT_EQ(merged.hashes, pairHashes(merged.lists.view()));
        // Hashes the caller already has change nothing.
        const PairHashes ourHashes = pairHashes(oursPair.view());
        const PairHashes theirHashes = pairHashes(theirsPair.view());
        EXPECT_EQ(mergeListPairs(pairHashes(pairsOf(base).view()), oursPair.view(),
                                 theirsPair.view(), {}, {&ourHashes, &theirHashes})
                      .lists.first,
                  merged.lists.first);
        std::map<std::string, int> count;
        for (const std::string& name : namesOf(merged.lists))
            ++count[name];
        const auto holds = [](const std::vector<std::string>& side, const std::string& name) {
            return std::find(side.begin(), side.end(), name) != side.end();
        };
        for (const auto& side : {ours, theirs}) {
            for (const std::string& name : side) {
                // A base pair the other side deleted may go; everything else stays, once.
                const bool deletedByOther =
                    holds(base, name) && !(holds(ours, name) && holds(theirs, name));
                if (!deletedByOther) {
                    EXPECT_EQ(count[name], 1) << round << " " << name;
                }
            }
        }
        for (const auto& [name, times] : count) {
            EXPECT_EQ(times, 1) << round << " " << name;
            EXPECT_TRUE(holds(ours, name) || holds(theirs, name)) << round << " " << name;
        }
        // Merging a side with itself, or against an unchanged base, gives that side.
        EXPECT_EQ(namesOf(mergeListPairs(pairHashes(pairsOf(base).view()), oursPair.view(),
                                         oursPair.view())
                              .lists),
                  ours);
        EXPECT_EQ(namesOf(mergeListPairs(pairHashes(pairsOf(base).view()), oursPair.view(),
                                         pairsOf(base).view())
                              .lists),
                  ours);
        EXPECT_EQ(namesOf(uniteListPairs(oursPair.view(), oursPair.view()).lists), ours);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, ListPairMergeHistories,
                         testing::Values(Shape{"even", false, false, false, 3000},
                                         // The window's lists after a one-sided command.
                                         Shape{"unevenOurs", false, true, false},
                                         // Another writer's uneven files.
                                         Shape{"unevenTheirs", false, false, true},
                                         Shape{"unevenAll", true, true, true}),
                         [](const testing::TestParamInfo<Shape>& info) {
                             return std::string(info.param.name);
                         });

TEST(ListPairMergeTest, sameStretchChangedOnBothSides_keepsBothOursFirst) {
    const std::vector<std::string> base{"a", "b", "c"};
    const MergedPair merged =
        mergeListPairs(pairHashes(pairsOf(base).view()), pairsOf({"a", "b", "c", "ours"}).view(),
                       pairsOf({"a", "b", "c", "theirs"}).view());
    EXPECT_EQ(namesOf(merged.lists), (std::vector<std::string>{"a", "b", "c", "ours", "theirs"}));
}

TEST(ListPairMergeTest, unitingVersionsOfUnknownDescent_dropsNothing) {
    const MergedPair merged = uniteListPairs(pairsOf({"a", "x", "c", "d"}).view(),
                                             pairsOf({"a", "c", "y", "d", "z"}).view());
    EXPECT_EQ(namesOf(merged.lists), (std::vector<std::string>{"a", "x", "c", "y", "d", "z"}));
}

TEST(ListPairMergeTest, unitingVersionsInAnotherOrder_keepsEveryPairOnce) {
    // A sync engine's conflict copy holds the same pairs as ours in another order.
    const MergedPair merged =
        uniteListPairs(pairsOf({"a", "b", "c", "d"}).view(), pairsOf({"c", "a", "e", "b"}).view());
    std::vector<std::string> names = namesOf(merged.lists);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c", "d", "e"}));
}

TEST(ListPairMergeTest, pairBothSidesAddedAtOtherPlaces_isKeptOnce) {
    // Both folded in the same conflict copy, each at its own place.
    const std::vector<std::string> base{"a", "b", "c", "d"};
    const MergedPair merged = mergeListPairs(pairHashes(pairsOf(base).view()),
                                             pairsOf({"a", "x", "b", "c", "d", "o"}).view(),
                                             pairsOf({"a", "b", "c", "x", "d"}).view());
    EXPECT_EQ(namesOf(merged.lists), (std::vector<std::string>{"a", "x", "b", "c", "d", "o"}));
}

TEST(ListPairMergeTest, followedEntry_movesWithItsPairOrIsGone) {
    const std::vector<std::string> base{"a", "b", "c"};
    const MergedPair merged = mergeListPairs(pairHashes(pairsOf(base).view()), pairsOf(base).view(),
                                             pairsOf({"new", "a", "c"}).view(), Followed{2, 1});
    EXPECT_EQ(merged.followed.first, 2);   // "c"
    EXPECT_EQ(merged.followed.second, -1); // "b" was deleted by theirs
}

TEST(ListPairMergeTest, pairsWithMissingHalf_keepTheirBytes) {
    ListPair theirs = pairsOf({"a", "b"});
    ASSERT_TRUE(theirs.first.append("lone"));
    const MergedPair merged = mergeListPairs(pairHashes(pairsOf({"a"}).view()),
                                             pairsOf({"a", "c"}).view(), theirs.view());
    EXPECT_EQ(merged.lists.first.size(), 4);
    EXPECT_EQ(merged.lists.second.size(), 4); // the missing half counts as an empty entry
    EXPECT_EQ(merged.lists.first.at(3).toByteArray(), "lone");
    EXPECT_TRUE(merged.lists.second.at(3).isEmpty());
}

TEST(SequenceDiffTest, editsPastTheBudget_giveNothing) {
    const std::vector<std::uint64_t> a{1, 2, 3, 4, 5, 6};
    const std::vector<std::uint64_t> b{7, 8, 9, 10, 11, 12};
    EXPECT_FALSE(matchSequences(a, b, 4));
    const auto match = matchSequences(a, std::vector<std::uint64_t>{2, 9, 4, 6}, 8);
    ASSERT_TRUE(match);
    EXPECT_EQ(*match, (std::vector<qsizetype>{-1, 0, -1, 2, -1, 3}));
}

} // namespace
} // namespace quill
