// Smearing blur: the band's result, its darker edges, its trail to the right,
// and the same pixels as converting every term through SDL.
#include <gtest/gtest.h>

#include <vector>

#include "effets.h"
#include "outils_tests.h"

namespace {

class FlouTest : public ::testing::Test {
  protected:
    void SetUp() override { ecran_ = OuvreEcranTest(); }
    void TearDown() override { FermeEcranTest(ecran_); }
    static Uint16 Rvb565(int r, int g, int b) { return static_cast<Uint16>(r << 11 | g << 5 | b); }
    void RemplitBande(int y, int h, Uint16 couleur) {
        for (int r = y; r < y + h; ++r)
            for (int c = 0; c < 640; ++c) FixePixel(ecran_, c, r, couleur);
    }
    unsigned Rouge8(Uint16 p) {
        Uint8 r, g, b;
        SDL_GetRGB(p, ecran_->surface->format, &r, &g, &b);
        return r;
    }
    Ecran* ecran_ = nullptr;
};

TEST_F(FlouTest, BlackBandReturnsZeroAfterOnePassAndLeavesTheRestAlone) {
    RemplitMotif(ecran_);
    RemplitBande(350, 130, 0);
    const Uint16 dessus = Pixel(ecran_, 17, 349);
    EXPECT_EQ(Flou(ecran_, 0, 350, 640, 130, 1), 0);
    for (int r = 350; r < 480; r += 7)
        for (int c = 0; c < 640; c += 13) ASSERT_EQ(Pixel(ecran_, c, r), 0);
    EXPECT_EQ(Pixel(ecran_, 17, 349), dessus) << "the row above the band is not blurred";
}

TEST_F(FlouTest, NoPassChangesNothingAndReportsTheBandNotBlack) {
    RemplitBande(350, 130, 0);
    EXPECT_EQ(Flou(ecran_, 0, 350, 640, 130, 0), 1);
    RemplitMotif(ecran_);
    const std::vector<Uint16> avant(Pixels(ecran_), Pixels(ecran_) + 640 * 480);
    EXPECT_EQ(Flou(ecran_, 0, 350, 640, 130, 0), 1);
    EXPECT_TRUE(std::equal(avant.begin(), avant.end(), Pixels(ecran_)));
}

TEST_F(FlouTest, ScreenEdgeColumnsAverageWithBlackAndDarkenFaster) {
    RemplitBande(350, 130, 0xFFFF);
    EXPECT_EQ(Flou(ecran_, 0, 350, 640, 130, 1), 1);
    // White reads 248 red and blue, 252 green. The first column averages two
    // whites and black; the loss of truncation runs on along the row, one step
    // below white; the last column averages that with white and black.
    for (int r = 350; r < 480; r += 43) {
        EXPECT_EQ(Pixel(ecran_, 0, r), Rvb565(20, 42, 20)) << "row " << r;
        EXPECT_EQ(Pixel(ecran_, 1, r), Rvb565(27, 56, 27)) << "row " << r;
        EXPECT_EQ(Pixel(ecran_, 320, r), Rvb565(30, 62, 30)) << "row " << r;
        EXPECT_EQ(Pixel(ecran_, 639, r), Rvb565(20, 41, 20)) << "row " << r;
    }
    EXPECT_EQ(Flou(ecran_, 0, 350, 640, 130, 3), 1);
    EXPECT_LT(Rouge8(Pixel(ecran_, 0, 400)), Rouge8(Pixel(ecran_, 320, 400)));
    EXPECT_LT(Rouge8(Pixel(ecran_, 639, 400)), Rouge8(Pixel(ecran_, 320, 400)));
}

TEST_F(FlouTest, BrightSpotLeavesAFadingTrailToItsRightUntilTheBandIsBlack) {
    RemplitBande(350, 130, 0);
    FixePixel(ecran_, 100, 400, 0xFFFF);
    EXPECT_EQ(Flou(ecran_, 0, 350, 640, 130, 1), 1);
    // In one pass the spot's light runs on to the right through the blurred
    // left neighbours, fading at every column; on its left only the next
    // column, which sees the spot unblurred, lights up.
    EXPECT_EQ(Pixel(ecran_, 98, 400), 0);
    EXPECT_NE(Pixel(ecran_, 99, 400), 0);
    unsigned precedent = Rouge8(Pixel(ecran_, 100, 400));
    for (int c = 101; c <= 102; ++c) {
        const unsigned r = Rouge8(Pixel(ecran_, c, 400));
        EXPECT_GT(r, 0u) << "column " << c;
        EXPECT_LT(r, precedent) << "column " << c;
        precedent = r;
    }
    EXPECT_EQ(Pixel(ecran_, 100, 399), 0) << "rows do not mix";
    EXPECT_EQ(Pixel(ecran_, 100, 401), 0);
    int appels = 1;
    while (Flou(ecran_, 0, 350, 640, 130, 1) == 1 && appels < 100) ++appels;
    EXPECT_LT(appels, 100) << "the trail fades out to black";
    for (int c = 0; c < 640; ++c) ASSERT_EQ(Pixel(ecran_, c, 400), 0);
}

TEST_F(FlouTest, AnyFullWidthBandIsFoundBlackWithinSixtyFourPasses) {
    // White, the brightest band, and a band of every value: each pass lowers
    // every channel's maximum, so the credits' wait for black always ends.
    RemplitBande(350, 130, 0xFFFF);
    int passes = 1;
    while (Flou(ecran_, 0, 350, 640, 130, 1) == 1 && passes < 100) ++passes;
    // Green has 63 steps above black: 63 passes make the band black, the
    // averages of the 64th are all 0.
    EXPECT_EQ(passes, 64);

    RemplitMotif(ecran_);
    for (int r = 350; r < 480; ++r)
        for (int c = 0; c < 640; ++c) FixePixel(ecran_, c, r, static_cast<Uint16>(rand()));
    passes = 1;
    while (Flou(ecran_, 0, 350, 640, 130, 1) == 1 && passes < 100) ++passes;
    EXPECT_LE(passes, 64);
    EXPECT_EQ(Flou(ecran_, 0, 350, 640, 130, 4), 0) << "several passes in one call";
}

TEST_F(FlouTest, BandReachingPastTheScreenStopsAtItsLastRow) {
    RemplitMotif(ecran_);
    RemplitBande(400, 80, 0);
    EXPECT_EQ(Flou(ecran_, 0, 400, 640, 130, 1), 0);
    RemplitBande(400, 80, 0xFFFF);
    EXPECT_EQ(Flou(ecran_, 0, 400, 640, 130, 1), 1);
    EXPECT_EQ(Pixel(ecran_, 0, 479), Rvb565(20, 42, 20));
}

}  // namespace
