// RGB scanlines: the red, green, blue row order, the strength of the blend,
// and what a picture's own rectangle does to the covered area.
#include <gtest/gtest.h>

#include "effets.h"
#include "outils_tests.h"

namespace {

int Rouge(Uint16 p) {
    return p >> 11;
}
int Vert(Uint16 p) {
    return (p >> 5) & 63;
}
int Bleu(Uint16 p) {
    return p & 31;
}

class TrameTest : public ::testing::Test {
  protected:
    void SetUp() override { ecran_ = OuvreEcranTest(); }
    void TearDown() override { FermeEcranTest(ecran_); }

    // Every pixel of row y has the same value; returns it.
    static Uint16 LigneUniforme(StructImage_t* image, int y) {
        const Uint16 premier = Pixel(image, 0, y);
        for (int x = 1; x < image->width; ++x) {
            EXPECT_EQ(Pixel(image, x, y), premier) << "row " << y << " column " << x;
        }
        return premier;
    }

    // Over black, row y carries only the channel of its place in the group.
    static void VerifieOrdreSurNoir(StructImage_t* image) {
        for (int y = 0; y < image->height; ++y) {
            const Uint16 p = LigneUniforme(image, y);
            const int canaux[3] = {Rouge(p), Vert(p), Bleu(p)};
            for (int c = 0; c < 3; ++c) {
                if (c == y % 3) {
                    EXPECT_GT(canaux[c], 0) << "row " << y << " lacks its tint";
                } else {
                    EXPECT_EQ(canaux[c], 0) << "row " << y << " carries channel " << c;
                }
            }
        }
    }
    Ecran* ecran_ = nullptr;
};

TEST_F(TrameTest, FullScreenRowsRunRedGreenBlue) {
    Remplit(ecran_, 0);
    TrameRVB(ecran_);
    VerifieOrdreSurNoir(ecran_);
    EXPECT_GT(Rouge(Pixel(ecran_, 0, 477)), 0);
    EXPECT_GT(Vert(Pixel(ecran_, 0, 478)), 0);
    EXPECT_GT(Bleu(Pixel(ecran_, 0, 479)), 0);
}

TEST_F(TrameTest, MonitorPictureGetsFiftyNineWholeGroups) {
    ImageTest moniteur = CreeImageTest(250, 177);
    TrameRVB(moniteur.get());
    VerifieOrdreSurNoir(moniteur.get());
    EXPECT_GT(Bleu(Pixel(moniteur.get(), 249, 176)), 0) << "last row closes the 59th group";
}

TEST_F(TrameTest, HeightOutsideWholeGroupsEndsOnItsOwnRow) {
    ImageTest image = CreeImageTest(64, 100);
    TrameRVB(image.get());
    VerifieOrdreSurNoir(image.get());
}

TEST_F(TrameTest, BlendKeepsAboutFiveSixthsOfThePicture) {
    // Alpha 40 of 255: over white a red row keeps its red and loses about 16 %
    // of green and blue; over black it gains about 16 % of red.
    ImageTest blanc = CreeImageTest(32, 6, 0xFFFF);
    TrameRVB(blanc.get());
    const Uint16 rougeSurBlanc = Pixel(blanc.get(), 0, 0);
    EXPECT_EQ(Rouge(rougeSurBlanc), 31);
    EXPECT_GE(Vert(rougeSurBlanc), 51);
    EXPECT_LE(Vert(rougeSurBlanc), 55);
    EXPECT_GE(Bleu(rougeSurBlanc), 25);
    EXPECT_LE(Bleu(rougeSurBlanc), 27);

    ImageTest noir = CreeImageTest(32, 6);
    TrameRVB(noir.get());
    EXPECT_GE(Rouge(Pixel(noir.get(), 0, 0)), 4);
    EXPECT_LE(Rouge(Pixel(noir.get(), 0, 0)), 5);
    EXPECT_GE(Vert(Pixel(noir.get(), 0, 1)), 9);
    EXPECT_LE(Vert(Pixel(noir.get(), 0, 1)), 10);
}

TEST_F(TrameTest, SecondCallBlendsThePatternInAgain) {
    ImageTest image = CreeImageTest(30, 9);
    TrameRVB(image.get());
    const Uint16 une[3] = {Pixel(image.get(), 5, 3), Pixel(image.get(), 5, 4),
                           Pixel(image.get(), 5, 5)};
    TrameRVB(image.get());
    EXPECT_GT(Rouge(Pixel(image.get(), 5, 3)), Rouge(une[0]));
    EXPECT_GT(Vert(Pixel(image.get(), 5, 4)), Vert(une[1]));
    EXPECT_GT(Bleu(Pixel(image.get(), 5, 5)), Bleu(une[2]));
    // Still a faint tint: two layers of 16 % stay well under half.
    EXPECT_LT(Rouge(Pixel(image.get(), 5, 3)), 16);
    VerifieOrdreSurNoir(image.get());
}

TEST_F(TrameTest, OnlyThePictureRectangleIsCovered) {
    // A picture blitted into a monitor leaves the monitor's rectangle at its
    // own size; the scanlines then cover that part only.
    ImageTest moniteur = CreeImageTest(250, 177, 0x0841);
    moniteur->rect = SDL_Rect{0, 0, 100, 50};
    TrameRVB(moniteur.get());
    EXPECT_NE(Pixel(moniteur.get(), 99, 49), 0x0841);
    EXPECT_EQ(Pixel(moniteur.get(), 100, 49), 0x0841);
    EXPECT_EQ(Pixel(moniteur.get(), 99, 50), 0x0841);
    EXPECT_EQ(Pixel(moniteur.get(), 249, 176), 0x0841);
}

}  // namespace
