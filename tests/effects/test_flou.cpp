// Smearing blur: the band's result, its darker edges, its trail to the right,
// exact pixels on a known picture, and a band that starts past column 0.
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

TEST_F(FlouTest, KnownPictureGivesTheseExactPixels) {
    // The credits' own call over a black band holding two pixels at the start
    // of row 400: (8, 58, 11) and (27, 48, 28), read as (64, 232, 88) and
    // (216, 192, 224). Column 0: (0 + 64 + 216) / 3 = 93 -> 11, (0 + 232 + 192)
    // / 3 = 141 -> 35, (0 + 88 + 224) / 3 = 104 -> 13, read back (88, 140, 104);
    // column 1: (88 + 216 + 0) / 3 = 101 -> 12, (140 + 192) / 3 = 110 -> 27,
    // (104 + 224) / 3 = 109 -> 13; then the trail over black: (96, 108, 104)
    // / 3 -> (4, 9, 4), (32, 36, 32) / 3 -> (1, 3, 1), (8, 12, 8) / 3 -> green 1.
    RemplitBande(350, 130, 0);
    FixePixel(ecran_, 0, 400, Rvb565(8, 58, 11));
    FixePixel(ecran_, 1, 400, Rvb565(27, 48, 28));
    EXPECT_EQ(Flou(ecran_, 0, 350, 640, 130, 1), 1);
    const Uint16 attendus[] = {Rvb565(11, 35, 13), Rvb565(12, 27, 13), Rvb565(4, 9, 4),
                               Rvb565(1, 3, 1),    Rvb565(0, 1, 0),    0};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(Pixel(ecran_, c, 400), attendus[c]) << "column " << c;
    EXPECT_EQ(Pixel(ecran_, 0, 399), 0);
    EXPECT_EQ(Pixel(ecran_, 0, 401), 0);
}

TEST_F(FlouTest, BandStartingPastColumnZeroAveragesEachPixelWithItsOwnColour) {
    // A band at x = 8 of rows 16 words long: row 1 is words 24 to 39, and its
    // column 15 (word 31) is the last of a row, whose right neighbour counts
    // as black. The pixel after it keeps its own colour as its centre term.
    Uint16* mots = Pixels(ecran_);
    Remplit(ecran_, 0);
    for (int i = 0; i < 64; ++i) mots[i] = 0xFFFF;
    EXPECT_EQ(Flou(ecran_, 8, 1, 16, 1, 1), 1);
    for (int i = 23; i <= 30; ++i) EXPECT_EQ(mots[i], 0xFFFF) << "word " << i;
    // Word 31: (248 + 248 + 0) / 3 = 165 -> 20, (252 + 252) / 3 = 168 -> 42.
    EXPECT_EQ(mots[31], Rvb565(20, 42, 20));
    // Word 32: (160 + 248 + 248) / 3 = 218 -> 27, (168 + 252 + 252) / 3 = 224 -> 56.
    EXPECT_EQ(mots[32], Rvb565(27, 56, 27));
    EXPECT_EQ(mots[33], Rvb565(29, 60, 29));
    for (int i = 34; i <= 39; ++i) EXPECT_EQ(mots[i], Rvb565(30, 62, 30)) << "word " << i;
    EXPECT_EQ(mots[40], 0xFFFF) << "the right neighbour of the band is read, not blurred";
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
