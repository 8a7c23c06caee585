// The refracting bubble on small synthetic screens: where each displaced pixel
// is fetched from, what the bubble leaves alone, its clipping at the top, and
// that a bubble hanging over any edge touches nothing outside the screen
// (this last group is meant to run under the sanitizer build too).
#include <gtest/gtest.h>

#include <vector>

#include "effets.h"
#include "outils_tests.h"

namespace {

constexpr int kW = 40, kH = 30;

// A 5-6-5 picture whose pixels are exactly width x height words on the heap,
// with no row padding or slack after them, so that the sanitizer build sees a
// read or write one word outside it.
struct ImageSerree {
    ImageSerree(int w, int h, Uint16 fill = 0) : pixels(static_cast<size_t>(w) * h, fill) {
        image.surface = SDL_CreateRGBSurfaceFrom(pixels.data(), w, h, 16, w * 2, 0, 0, 0, 0);
        image.width = static_cast<Uint16>(w);
        image.height = static_cast<Uint16>(h);
        image.depth = 2;
        image.rect = SDL_Rect{0, 0, image.width, image.height};
    }
    ~ImageSerree() { SDL_FreeSurface(image.surface); }
    ImageSerree(const ImageSerree&) = delete;
    ImageSerree& operator=(const ImageSerree&) = delete;
    StructImage_t* get() { return &image; }

    std::vector<Uint16> pixels;
    StructImage_t image{};
};

// A bubble pixel that belongs to the bubble (red set) with blue field v, and
// the displacement it gives its left-hand neighbour: half the blue value SDL
// reads from it.
Uint16 Carte(int v) {
    return static_cast<Uint16>(0x8000 | v);
}
int D(StructImage_t* bulle, int v) {
    Uint8 r, g, b;
    SDL_GetRGB(Carte(v), bulle->surface->format, &r, &g, &b);
    return b / 2;
}

class Bulle : public testing::Test {
  protected:
    void SetUp() override {
        RemplitMotif(ecran_.get());
        original_.assign(Pixels(ecran_.get()), Pixels(ecran_.get()) + kW * kH);
    }
    Uint16 Orig(int x, int y) const { return original_[y * kW + x]; }
    Uint16 Ecr(int x, int y) { return Pixel(ecran_.get(), x, y); }
    // Whether every screen pixel outside the rectangle kept its value.
    bool IntactHors(int x0, int y0, int x1, int y1) {
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const bool dedans = x >= x0 && x < x1 && y >= y0 && y < y1;
                if (!dedans && Ecr(x, y) != Orig(x, y)) return false;
            }
        }
        return true;
    }
    bool Intact() { return IntactHors(0, 0, 0, 0); }

    ImageSerree ecran_{kW, kH};
    std::vector<Uint16> original_;
};

TEST_F(Bulle, AnAllBlackBubbleChangesNothing) {
    ImageSerree bulle(8, 6, 0);
    DessineBulle(5, 5, bulle.get(), ecran_.get());
    EXPECT_TRUE(Intact());
}

TEST_F(Bulle, BlueBelowTwoKeepsThePixel) {
    // Bubble pixels without blue: every displacement is 0.
    ImageSerree bulle(8, 6, 0xF800);
    FixePixel(bulle.get(), 3, 2, 0x07E0);
    ASSERT_EQ(D(bulle.get(), 0), 0);
    DessineBulle(5, 5, bulle.get(), ecran_.get());
    EXPECT_TRUE(Intact());
}

TEST_F(Bulle, EachPixelIsFetchedDRowsDownAndDColumnsRightOfItsNeighboursBlue) {
    // Row 0: A B C, row 1: D E F. Each pixel takes its displacement from the
    // one after it in memory: C from D, and F, the last, has none.
    ImageSerree bulle(3, 2);
    const int vA = 3, vB = 1, vC = 2, vD = 4, vE = 1, vF = 3;
    FixePixel(bulle.get(), 0, 0, Carte(vA));
    FixePixel(bulle.get(), 1, 0, Carte(vB));
    FixePixel(bulle.get(), 2, 0, Carte(vC));
    FixePixel(bulle.get(), 0, 1, Carte(vD));
    FixePixel(bulle.get(), 1, 1, Carte(vE));
    FixePixel(bulle.get(), 2, 1, Carte(vF));
    const int dA = D(bulle.get(), vB), dB = D(bulle.get(), vC), dC = D(bulle.get(), vD);
    const int dD = D(bulle.get(), vE), dE = D(bulle.get(), vF);
    ASSERT_GT(dA, 0);
    ASSERT_NE(dA, dB);
    ASSERT_NE(dC, dB);

    const int x = 4, y = 2;
    DessineBulle(x, y, bulle.get(), ecran_.get());
    EXPECT_EQ(Ecr(x + 0, y + 0), Orig(x + 0 + dA, y + 0 + dA));
    EXPECT_EQ(Ecr(x + 1, y + 0), Orig(x + 1 + dB, y + 0 + dB));
    EXPECT_EQ(Ecr(x + 2, y + 0), Orig(x + 2 + dC, y + 0 + dC));
    EXPECT_EQ(Ecr(x + 0, y + 1), Orig(x + 0 + dD, y + 1 + dD));
    EXPECT_EQ(Ecr(x + 1, y + 1), Orig(x + 1 + dE, y + 1 + dE));
    EXPECT_EQ(Ecr(x + 2, y + 1), Orig(x + 2, y + 1));  // the last pixel stays put
    EXPECT_TRUE(IntactHors(x, y, x + 3, y + 2));
}

TEST_F(Bulle, BlackPixelsOfTheBubbleLeaveTheScreenAlone) {
    ImageSerree bulle(4, 1, Carte(2));
    FixePixel(bulle.get(), 1, 0, 0);
    DessineBulle(3, 3, bulle.get(), ecran_.get());
    const int d = D(bulle.get(), 2);
    EXPECT_EQ(Ecr(3, 3), Orig(3, 3));  // its neighbour is black: no blue
    EXPECT_EQ(Ecr(4, 3), Orig(4, 3));  // black itself
    EXPECT_EQ(Ecr(5, 3), Orig(5 + d, 3 + d));
}

TEST_F(Bulle, WholeBubbleReadsTheScreenBeforeItChangesIt) {
    // A uniform bubble bigger than its displacement: sources inside the bubble
    // area are fetched before their own turn comes.
    ImageSerree bulle(12, 10, Carte(1));
    const int d = D(bulle.get(), 1);
    ASSERT_LT(d, 10);
    DessineBulle(2, 1, bulle.get(), ecran_.get());
    for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 12; ++c) {
            const bool dernier = r == 9 && c == 11;
            const int dd = dernier ? 0 : d;
            ASSERT_EQ(Ecr(2 + c, 1 + r), Orig(2 + c + dd, 1 + r + dd)) << c << "," << r;
        }
    }
}

TEST_F(Bulle, NegativeYCutsOffTheTopRows) {
    // Rows 0-9 displace by one amount, rows 10-19 by another: screen row 0
    // shows which bubble row was drawn there.
    ImageSerree bulle(4, 20);
    for (int r = 0; r < 20; ++r) {
        for (int c = 0; c < 4; ++c) FixePixel(bulle.get(), c, r, Carte(r < 10 ? 2 : 1));
    }
    const int dHaut = D(bulle.get(), 2), dBas = D(bulle.get(), 1);
    DessineBulle(6, -10, bulle.get(), ecran_.get());
    for (int sy = 0; sy < 10; ++sy) {
        EXPECT_EQ(Ecr(6, sy), Orig(6 + dBas, sy + dBas)) << "row " << sy;
    }
    EXPECT_NE(Ecr(6, 0), Orig(6 + dHaut, dHaut));
    EXPECT_TRUE(IntactHors(6, 0, 10, 10));
}

TEST_F(Bulle, BubbleWhollyAboveTheScreenDrawsNothing) {
    ImageSerree bulle(4, 20, Carte(1));
    DessineBulle(6, -20, bulle.get(), ecran_.get());
    EXPECT_TRUE(Intact());
    DessineBulle(6, -32768, bulle.get(), ecran_.get());
    EXPECT_TRUE(Intact());
    // One row lower, its last row reaches screen row 0.
    DessineBulle(6, -19, bulle.get(), ecran_.get());
    EXPECT_FALSE(Intact());
    EXPECT_TRUE(IntactHors(6, 0, 10, 1));
}

// Bubbles over the edges. Nothing may be read or written outside the screen:
// columns off the screen are dropped (not wrapped onto the rows beside), and
// sources past the right or bottom edge leave their destination alone.
TEST_F(Bulle, ColumnsLeftOfTheScreenAreDropped) {
    ImageSerree bulle(8, 6, Carte(1));
    const int d = D(bulle.get(), 1);
    DessineBulle(-5, 10, bulle.get(), ecran_.get());
    // Columns 5-7 of the bubble land on screen columns 0-2.
    for (int r = 0; r < 6; ++r) {
        for (int sx = 0; sx < 3; ++sx) {
            const int dd = (r == 5 && sx == 2) ? 0 : d;
            EXPECT_EQ(Ecr(sx, 10 + r), Orig(sx + dd, 10 + r + dd));
        }
    }
    // Nothing wrapped onto the right end of the rows above.
    EXPECT_TRUE(IntactHors(0, 10, 3, 16));
}

TEST_F(Bulle, BubbleLeftOfTheScreenOnItsFirstRowTouchesNothing) {
    // At the top-left corner the dropped columns would fall before the first
    // pixel of the screen.
    ImageSerree bulle(8, 6, Carte(1));
    DessineBulle(-5, -3, bulle.get(), ecran_.get());
    EXPECT_TRUE(IntactHors(0, 0, 3, 3));
    DessineBulle(-8, 0, bulle.get(), ecran_.get());
    DessineBulle(-300, 5, bulle.get(), ecran_.get());
    EXPECT_TRUE(IntactHors(0, 0, 3, 3));
}

TEST_F(Bulle, ColumnsAndSourcesPastTheRightEdgeAreDropped) {
    ImageSerree bulle(8, 6, Carte(1));
    const int d = D(bulle.get(), 1);
    const int x = kW - 5;  // bubble columns 5-7 hang past the edge
    DessineBulle(x, 10, bulle.get(), ecran_.get());
    for (int r = 0; r < 6; ++r) {
        for (int sx = x; sx < kW; ++sx) {
            const bool dansEcran = sx + d < kW;
            EXPECT_EQ(Ecr(sx, 10 + r), dansEcran ? Orig(sx + d, 10 + r + d) : Orig(sx, 10 + r))
                << sx << "," << 10 + r;
        }
    }
    EXPECT_TRUE(IntactHors(x, 10, kW, 16));
    DessineBulle(kW, 10, bulle.get(), ecran_.get());
    DessineBulle(32767, 10, bulle.get(), ecran_.get());
    EXPECT_TRUE(IntactHors(x, 10, kW, 16));
}

TEST_F(Bulle, RowsAndSourcesBelowTheBottomEdgeAreDropped) {
    // The largest displacement (blue 31) from rows near the bottom.
    ImageSerree bulle(8, 6, Carte(31));
    ASSERT_GT(D(bulle.get(), 31), kH);
    DessineBulle(10, kH - 3, bulle.get(), ecran_.get());
    // Every source lies below the screen, except the last bubble pixel's,
    // which is itself and lies below the screen too: nothing changes.
    EXPECT_TRUE(Intact());
    DessineBulle(kW - 4, kH - 1, bulle.get(), ecran_.get());
    DessineBulle(0, kH, bulle.get(), ecran_.get());
    DessineBulle(-4, 32767, bulle.get(), ecran_.get());
    EXPECT_TRUE(Intact());
}

TEST_F(Bulle, BubbleLargerThanTheScreenStaysInside) {
    ImageSerree bulle(kW + 20, kH + 20, Carte(1));
    const int d = D(bulle.get(), 1);
    DessineBulle(-10, -10, bulle.get(), ecran_.get());
    EXPECT_EQ(Ecr(0, 0), Orig(d, d));
    EXPECT_EQ(Ecr(kW - 1, kH - 1), Orig(kW - 1, kH - 1));
    EXPECT_EQ(Ecr(kW - 1 - d, kH - 1 - d), Orig(kW - 1, kH - 1));
}

}  // namespace
