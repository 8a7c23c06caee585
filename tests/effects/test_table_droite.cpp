// The line table: entry counts, values and the branch taken for each shape of line.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "effets.h"

namespace {

constexpr Sint16 kVide = -999;  // marks entries the table must not reach

std::vector<Sint16> Table(Sint16 a0, Sint16 b0, Sint16 a1, Sint16 b1, size_t place = 600) {
    std::vector<Sint16> table(place, kVide);
    TableDroite(table.data(), a0, b0, a1, b1);
    return table;
}

size_t Remplies(const std::vector<Sint16>& table) {
    size_t n = 0;
    while (n < table.size() && table[n] != kVide) ++n;
    return n;
}

TEST(TableDroite, CrawlInsetsFallFrom249To0OverTheScreenRows) {
    const std::vector<Sint16> table = Table(250, 0, 0, 480);
    ASSERT_EQ(Remplies(table), 480u);
    EXPECT_EQ(table[0], 249);
    EXPECT_EQ(table[1], 249);
    EXPECT_EQ(table[2], 248);
    EXPECT_EQ(table[3], 248);
    EXPECT_EQ(table[239], 125);
    EXPECT_EQ(table[240], 124);
    EXPECT_EQ(table[476], 2);
    EXPECT_EQ(table[477], 1);
    EXPECT_EQ(table[478], 1);
    EXPECT_EQ(table[479], 0);
    for (int r = 0; r < 480; ++r) {
        // The closed form of the same walk.
        ASSERT_EQ(table[r], 250 - (250 * (r + 1) + 239) / 480) << r;
        if (r > 0) {
            ASSERT_TRUE(table[r - 1] - table[r] == 0 || table[r - 1] - table[r] == 1) << r;
        }
    }
}

TEST(TableDroite, ShortLinesOnEitherAxis) {
    const std::vector<Sint16> a = Table(0, 0, 5, 2);
    ASSERT_EQ(Remplies(a), 5u);
    EXPECT_EQ((std::vector<Sint16>(a.begin(), a.begin() + 5)),
              (std::vector<Sint16>{1, 2, 3, 4, 5}));

    const std::vector<Sint16> b = Table(0, 0, 2, 5);
    ASSERT_EQ(Remplies(b), 5u);
    EXPECT_EQ((std::vector<Sint16>(b.begin(), b.begin() + 5)),
              (std::vector<Sint16>{0, 1, 1, 1, 2}));
}

TEST(TableDroite, EqualPointsWriteNothing) {
    EXPECT_EQ(Remplies(Table(7, 7, 7, 7)), 0u);
    EXPECT_EQ(Remplies(Table(-3, 100, -3, 100)), 0u);
}

TEST(TableDroite, DiagonalTakesTheSecondBranchAndStepsEveryEntry) {
    const std::vector<Sint16> table = Table(10, 0, 4, 6);
    ASSERT_EQ(Remplies(table), 6u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(table[i], 9 - i) << i;
}

TEST(TableDroite, DescendingAlongTheLongerAxis) {
    // a is the longer axis, walking down: every entry one lower, ending on a1.
    const std::vector<Sint16> table = Table(5, 3, -5, 0);
    ASSERT_EQ(Remplies(table), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(table[i], 4 - i) << i;
}

}  // namespace
