#include "generators/RandomSource.h"

#include "FixedSeedClock.h"
#include "support/ReferenceDraws.h"

#include <gtest/gtest.h>

#include <vector>

namespace quill {
namespace {

class RandomSourceTest : public ::testing::Test {
protected:
    std::vector<quint32> draws(int count, qint32 bound) {
        std::vector<quint32> result;
        for (int i = 0; i < count; ++i)
            result.push_back(source.drawBelow(bound));
        return result;
    }

    test::FixedSeedClock clock;
    RandomSource source{clock};
};

TEST_F(RandomSourceTest, startsAtSeedZero_firstDrawsBelow26AreKnown) {
    EXPECT_EQ(source.seed(), 0u);
    EXPECT_EQ(draws(4, 26), (std::vector<quint32>{0, 0, 22, 5}));
}

TEST_F(RandomSourceTest, seed12345_firstDrawsBelow26AreKnown) {
    source.setSeed(12345);
    EXPECT_EQ(draws(4, 26), (std::vector<quint32>{10, 7, 2, 14}));
}

TEST_F(RandomSourceTest, eachDrawAdvancesOneLinearCongruentialStep) {
    quint32 expected = 777;
    source.setSeed(expected);
    for (const qint32 bound : {26, 0, 1, -1, -2147483647 - 1, 2147483647}) {
        source.drawBelow(bound);
        expected = test::nextSeed(expected);
        EXPECT_EQ(source.seed(), expected) << "bound " << bound;
    }
}

TEST_F(RandomSourceTest, boundsZeroAndOne_alwaysGiveZero) {
    source.setSeed(0xDEADBEEF);
    for (const quint32 d : draws(200, 0))
        EXPECT_EQ(d, 0u);
    for (const quint32 d : draws(200, 1))
        EXPECT_EQ(d, 0u);
}

TEST_F(RandomSourceTest, resultScalesNewStateNotRemainder) {
    // State after one step from 0 is 1; the next is 134775814.
    EXPECT_EQ(source.drawBelow(2147483647), 0u);
    EXPECT_EQ(source.drawBelow(-1), 134775813u); // bound 2^32 - 1
}

TEST_F(RandomSourceTest, negativeBound_takenAsUnsigned) {
    source.setSeed(0xFFFFFFFEu);
    const quint32 d = source.drawBelow(-2); // bound 2^32 - 2
    EXPECT_EQ(d, test::drawsFrom(0xFFFFFFFEu, 1, -2).front());
    bool above2Pow31 = false;
    source.setSeed(1);
    for (const quint32 v : draws(64, -1))
        above2Pow31 = above2Pow31 || v >= 0x80000000u;
    EXPECT_TRUE(above2Pow31);
}

TEST_F(RandomSourceTest, reseed_takesLowBitsOfCounter) {
    clock.counterValue = (quint64(0xABCD) << 32) | 12345u;
    source.reseed();
    EXPECT_EQ(source.seed(), 12345u);
}

TEST_F(RandomSourceTest, reseedWithoutCounter_takesTick) {
    clock.counterValue.reset();
    clock.tickValue = 4242;
    source.reseed();
    EXPECT_EQ(source.seed(), 4242u);
}

TEST_F(RandomSourceTest, twoReseedsReadingSameValue_giveSameDraws) {
    clock.counterValue.reset();
    clock.tickValue = 99;
    source.reseed();
    const std::vector<quint32> first = draws(12, 26);
    source.reseed();
    EXPECT_EQ(draws(12, 26), first);
}

} // namespace
} // namespace quill
