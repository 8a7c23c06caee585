// Television snow: the exact noise of the shift register, the state carried
// from call to call, pictures larger than a 16-bit count.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "effets.h"
#include "outils_tests.h"

namespace {

class NeigeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ecran_ = OuvreEcranTest();
        GraineNeige = 0x12345;
    }
    void TearDown() override { FermeEcranTest(ecran_); }
    Ecran* ecran_ = nullptr;
};

std::vector<Uint16> Copie(StructImage_t* image) {
    const Uint16* p = Pixels(image);
    return std::vector<Uint16>(p, p + static_cast<size_t>(image->width) * image->height);
}

TEST_F(NeigeTest, FirstPixelsFromTheInitialStateAreTheKnownNoise) {
    ImageTest image = CreeImageTest(6, 1);
    Neige(image->surface, image->rect);
    const Uint16 attendus[6] = {0xB2D6, 0x59EB, 0x3CE5, 0x9E72, 0xCF39, 0xE39C};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Pixel(image.get(), i, 0), attendus[i]) << "pixel " << i;
    // Six steps of the register from 0x12345 leave this state behind.
    Uint32 etat = 0x12345;
    for (int i = 0; i < 6; ++i) {
        const Uint32 t = ((etat & 0xFFFF) >> 3) ^ (etat & 0xFFFF);
        etat = (etat >> 1) | ((t & 1) << 30);
    }
    EXPECT_EQ(GraineNeige, etat);
}

TEST_F(NeigeTest, StateCarriesOverSoTwoCallsDifferAndContinueOneStream) {
    ImageTest image = CreeImageTest(40, 30);
    Neige(image->surface, image->rect);
    const std::vector<Uint16> premiere = Copie(image.get());
    Neige(image->surface, image->rect);
    const std::vector<Uint16> seconde = Copie(image.get());
    EXPECT_NE(premiere, seconde);

    // The two calls are the first and second halves of one call on a picture
    // twice as tall.
    GraineNeige = 0x12345;
    ImageTest double_ = CreeImageTest(40, 60);
    Neige(double_->surface, double_->rect);
    const std::vector<Uint16> tout = Copie(double_.get());
    EXPECT_TRUE(std::equal(premiere.begin(), premiere.end(), tout.begin()));
    EXPECT_TRUE(std::equal(seconde.begin(), seconde.end(), tout.begin() + 1200));
}

// The register stepped one bit at a time, as the noise is defined.
std::vector<Uint16> NeigeDeReference(Uint32* etat, size_t n) {
    std::vector<Uint16> pixels(n);
    for (size_t i = 0; i < n; ++i) {
        const Uint16 s = static_cast<Uint16>(*etat);
        const Uint16 t = static_cast<Uint16>((s >> 3) ^ s);
        *etat = (*etat >> 1) | (static_cast<Uint32>(t & 1) << 30);
        const Uint32 g = (t >> 1) & 255;
        pixels[i] = static_cast<Uint16>((g << 11) | (g << 5) | g);
    }
    return pixels;
}

TEST_F(NeigeTest, EveryLengthAndStateGivesTheOneStepNoise) {
    // Lengths around whole blocks of sixteen pixels, from the initial state,
    // from a state that has run a while, and from one with bit 31 set.
    const Uint32 etats[3] = {0x12345, 0x5A5A1234, 0x80000001};
    for (Uint32 depart : etats) {
        for (int n : {1, 15, 16, 17, 31, 32, 33, 250, 1000}) {
            GraineNeige = depart;
            Uint32 attendu = depart;
            ImageTest image = CreeImageTest(n, 1);
            Neige(image->surface, image->rect);
            EXPECT_EQ(Copie(image.get()), NeigeDeReference(&attendu, n))
                << "from " << std::hex << depart << std::dec << ", " << n << " pixels";
            EXPECT_EQ(GraineNeige, attendu)
                << "from " << std::hex << depart << std::dec << ", " << n << " pixels";
        }
    }
}

TEST_F(NeigeTest, EmptyPictureLeavesPixelsAndStateAlone) {
    ImageTest image = CreeImageTest(4, 4, 0x1234);
    SDL_Rect sansLargeur{0, 0, 0, 4};
    SDL_Rect sansHauteur{0, 0, 4, 0};
    Neige(image->surface, sansLargeur);
    Neige(image->surface, sansHauteur);
    EXPECT_EQ(GraineNeige, 0x12345u);
    for (Uint16 p : Copie(image.get())) EXPECT_EQ(p, 0x1234);
}

TEST_F(NeigeTest, RectanglePositionIsIgnored) {
    ImageTest a = CreeImageTest(16, 8);
    ImageTest b = CreeImageTest(16, 8);
    Neige(a->surface, a->rect);
    GraineNeige = 0x12345;
    Neige(b->surface, SDL_Rect{7, 3, 16, 8});
    EXPECT_EQ(Copie(a.get()), Copie(b.get()));
}

TEST_F(NeigeTest, WholeScreenBeyondSixteenBitCountIsFilledAsOneStream) {
    // 307 200 pixels: a 16-bit pixel count would never end. 0x0001 cannot be
    // produced by the noise (a set bit 0 always comes with bit 5), so every
    // pixel that still holds it was skipped.
    ImageTest ecran = CreeImageTest(640, 480, 0x0001);
    Neige(ecran->surface, ecran->rect);
    const std::vector<Uint16> tout = Copie(ecran.get());
    size_t sautes = 0;
    for (Uint16 p : tout) sautes += p == 0x0001;
    EXPECT_EQ(sautes, 0u);
    EXPECT_LT(GraineNeige, 1u << 31) << "the register holds 31 bits";

    // The same stream, drawn in strips of 64 000 pixels, gives the same screen.
    GraineNeige = 0x12345;
    ImageTest bande = CreeImageTest(640, 100);
    for (size_t debut = 0; debut < tout.size(); debut += 64000) {
        Neige(bande->surface, bande->rect);
        const std::vector<Uint16> morceau = Copie(bande.get());
        const size_t n = std::min(morceau.size(), tout.size() - debut);
        ASSERT_TRUE(std::equal(morceau.begin(), morceau.begin() + n, tout.begin() + debut))
            << "strip from pixel " << debut;
    }
}

}  // namespace
