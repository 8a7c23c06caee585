// Loading pictures: display format, colour keys, the catalogue and its
// requirements, and every way a picture can be missing or unfit.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <SDL_image.h>

#include <cstdio>
#include <filesystem>

#include <unistd.h>

#include "catalogue.h"
#include "outils_tests.h"

namespace {

using testing::ExitedWithCode;
using testing::HasSubstr;

class Images : public testing::Test {
  protected:
    void SetUp() override { ecran_ = OuvreEcranTest(); }
    void TearDown() override { FermeEcranTest(ecran_); }
    Ecran* ecran_ = nullptr;
};

// Writes a picture of the given 5-6-5 words as an RGB PNG in the data copy.
void EcritImage(const DonneesTemporaires& donnees, const std::string& nom, int w, int h,
                const std::vector<Uint16>& pixels) {
    ASSERT_TRUE(SauvePixelsPNG(donnees.Chemin("Images/" + nom), pixels.data(), w, h));
}

TEST(Chemins, DataPathUsesTheWorkingDirectoryAndForwardSlashes) {
    DonneesTemporaires donnees(false);
    EXPECT_EQ(CheminDonnees("Datas\\Images\\", "Cinema.png"), "Datas/Images//Cinema.png");
    EXPECT_EQ(CheminDonnees("Datas\\Sons\\", "RADUDIZ1.XM"), "Datas/Sons//RADUDIZ1.XM");
    // Any length of name fits: there is no fixed-size buffer.
    const std::string longue(2000, 'x');
    EXPECT_EQ(CheminDonnees("Datas\\Images\\", longue.c_str()), "Datas/Images//" + longue);
}

TEST_F(Images, OpaquePictureHasItsSizeDepthAndNoKey) {
    StructImage_t* image = ChargeImage("Cinema.png", 0, 0, 0, 0);
    EXPECT_EQ(image->width, 640);
    EXPECT_EQ(image->height, 480);
    EXPECT_EQ(image->depth, 2);
    EXPECT_EQ(image->rect.x, 0);
    EXPECT_EQ(image->rect.y, 0);
    EXPECT_EQ(image->rect.w, 640);
    EXPECT_EQ(image->rect.h, 480);
    EXPECT_EQ(image->surface->format->BitsPerPixel, 16);
    EXPECT_EQ(image->surface->format->Rmask, 0xF800u);
    EXPECT_EQ(image->surface->format->Gmask, 0x07E0u);
    EXPECT_EQ(image->surface->format->Bmask, 0x001Fu);
    EXPECT_EQ(image->surface->pitch, 640 * 2);
    EXPECT_EQ(image->surface->flags & SDL_SRCCOLORKEY, 0u);
    LibereImage(image);
    std::free(image);
}

// Key flag 1 makes the keyed colour transparent, key flag 2 or 0 keeps
// every pixel opaque, whatever the colour passed.
TEST_F(Images, KeyFlagOneKeysOutTheColourOtherFlagsDoNot) {
    DonneesTemporaires donnees(false);
    // 2 x 1: one white pixel, one red.
    EcritImage(donnees, "Cle.png", 2, 1, {0xFFFF, 0xF800});
    for (int keyflag : {1, 2, 0}) {
        SCOPED_TRACE(keyflag);
        StructImage_t* image = ChargeImage("Cle.png", keyflag, 255, 255, 255);
        EXPECT_EQ(Pixel(image, 0, 0), 0xFFFF);  // the keyed pixel is still copied
        EXPECT_EQ(Pixel(image, 1, 0), 0xF800);
        Remplit(ecran_, 0x07E0);
        SDL_Rect dst = {0, 0, 2, 1};
        SDL_BlitSurface(image->surface, &image->rect, ecran_->surface, &dst);
        EXPECT_EQ(Pixel(ecran_, 0, 0), keyflag == 1 ? 0x07E0 : 0xFFFF);
        EXPECT_EQ(Pixel(ecran_, 1, 0), 0xF800);
        LibereImage(image);
        std::free(image);
    }
}

// Pictures are decoded ahead while others load: a picture rewritten after
// that, or loaded again in a later run, is loaded as the file is when asked.
TEST_F(Images, APictureIsLoadedAsItsFileIsWhenAskedFor) {
    DonneesTemporaires donnees(false);
    EcritImage(donnees, "A.png", 1, 1, {0xFFFF});
    EcritImage(donnees, "B.png", 1, 1, {0xF800});
    for (Uint16 couleur : {0x001F, 0x07E0}) {
        StructImage_t* a = ChargeImage("A.png", 0, 0, 0, 0);
        usleep(100000);  // time for B to be decoded ahead
        EcritImage(donnees, "B.png", 1, 1, {couleur});
        StructImage_t* b = ChargeImage("B.png", 0, 0, 0, 0);
        EXPECT_EQ(Pixel(b, 0, 0), couleur);
        for (StructImage_t* i : {a, b}) {
            LibereImage(i);
            std::free(i);
        }
    }
}

TEST_F(Images, BlackKeyOfTheCatalogueVanishes) {
    DonneesTemporaires donnees(false);
    EcritImage(donnees, "Noir.png", 2, 1, {0x0000, 0x001F});
    StructImage_t* image = ChargeImage("Noir.png", 1, 0, 0, 0);
    Remplit(ecran_, 0x1234);
    SDL_BlitSurface(image->surface, &image->rect, ecran_->surface, &ecran_->rect);
    EXPECT_EQ(Pixel(ecran_, 0, 0), 0x1234);
    EXPECT_EQ(Pixel(ecran_, 1, 0), 0x001F);
    // The blit wrote the clipped rectangle back into the screen's rect.
    EXPECT_EQ(ecran_->rect.w, 2);
    EXPECT_EQ(ecran_->rect.h, 1);
    LibereImage(image);
    std::free(image);
}

TEST_F(Images, WholeCatalogueLoadsAndMeetsItsRequirements) {
    Catalogue catalogue;
    ChargeCatalogue(&catalogue);
    for (int i = 0; i < kNombreImages; ++i) {
        SCOPED_TRACE(kCatalogue[i].fichier);
        StructImage_t* image = catalogue.images[i];
        ASSERT_NE(image, nullptr);
        SDL_Surface* png =
            IMG_Load(CheminDonnees("Datas\\Images\\", kCatalogue[i].fichier).c_str());
        ASSERT_NE(png, nullptr);
        EXPECT_EQ(image->width, png->w);
        EXPECT_EQ(image->height, png->h);
        EXPECT_EQ(image->rect.w, png->w);
        EXPECT_EQ(image->depth, 2);
        EXPECT_EQ((image->surface->flags & SDL_SRCCOLORKEY) != 0, kCatalogue[i].cle != Cle::Aucune);
        SDL_FreeSurface(png);
    }
    LibereCatalogue(&catalogue);
    for (StructImage_t* image : catalogue.images) std::free(image);
}

// Each way a picture can fail ends the program with status 1 and a message
// that names the file and says what was expected. `Abime` spoils the private
// copy of the data, then the whole catalogue is loaded.
template <typename Abime>
void ChargeCatalogueAbime(Abime abime) {
    DonneesTemporaires donnees;
    abime(donnees);
    OuvreEcranTest();
    Catalogue catalogue;
    ChargeCatalogue(&catalogue);
    std::exit(0);
}

// A plain picture of the given size, to put in place of a catalogue picture.
void Remplace(const DonneesTemporaires& donnees, const std::string& nom, int w, int h) {
    EcritImage(donnees, nom, w, h, std::vector<Uint16>(static_cast<size_t>(w) * h, 0x1234));
}

TEST(ImagesFatales, MissingPictureNamesTheFile) {
    EXPECT_EXIT(ChargeCatalogueAbime([](const DonneesTemporaires& d) {
                    std::filesystem::remove(d.Chemin("Images/Arc.png"));
                }),
                ExitedWithCode(1),
                HasSubstr("Impossible de charger l'image Datas/Images//Arc.png: "));
}

TEST(ImagesFatales, CorruptPictureNamesTheFile) {
    EXPECT_EXIT(ChargeCatalogueAbime([](const DonneesTemporaires& d) {
                    d.Ecrit("Images/Woman.png", "\x89PNG\r\n\x1a\nnot really a picture");
                }),
                ExitedWithCode(1),
                HasSubstr("Impossible de charger l'image Datas/Images//Woman.png"));
}

TEST(ImagesFatales, WronglySizedPictureSaysWhatWasExpected) {
    EXPECT_EXIT(ChargeCatalogueAbime(
                    [](const DonneesTemporaires& d) { Remplace(d, "Orbo.png", 320, 200); }),
                ExitedWithCode(1),
                HasSubstr("Orbo.png : taille 640x480 attendue, 320x200 trouvee"));
}

TEST(ImagesFatales, OddWidthIsRefused) {
    EXPECT_EXIT(ChargeCatalogueAbime([](const DonneesTemporaires& d) {
                    Remplace(d, "SpriteBullesPetit.png", 33, 10);
                }),
                ExitedWithCode(1),
                HasSubstr("SpriteBullesPetit.png : largeur paire attendue, 33 trouvee"));
}

TEST(ImagesFatales, RampMaskNarrowerThanTheTitleLogoIsRefused) {
    EXPECT_EXIT(
        ChargeCatalogueAbime(
            [](const DonneesTemporaires& d) { Remplace(d, "Kazzmot.png", 700, 10); }),
        ExitedWithCode(1),
        HasSubstr("RampeMasque.png : largeur d'au moins 700 attendue (celle de Kazzmot.png)"));
}

TEST(ImagesFatales, NoVideoModeEndsWithItsMessage) {
    EXPECT_EXIT(
        {
            setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
            OuvreEcranTest();
            std::exit(0);
        },
        ExitedWithCode(1), HasSubstr("Erreur d'initialisation SDL: "));
}

}  // namespace
