// The greetings on the virtual machine: the production's catalogue with the
// pictures the checks read replaced by plain ones of known sizes and colours,
// so that the stacking of the names and the scanlines can be measured.
#include <gtest/gtest.h>

#include <vector>

#include "catalogue.h"
#include "effets.h"
#include "fixtures_scenes.h"
#include "outils_tests.h"
#include "scenes.h"

namespace {

constexpr Uint16 kBordTele = 0x001F;
constexpr Uint16 kEntete = 0xF800;
constexpr Uint16 kWozz = 0x07E0;
constexpr Uint16 kSlik = 0xFFE0;
constexpr Uint16 kBrenn = 0x07FF;

class SceneGreetingsTest : public SceneTest {
  protected:
    // Puts a plain picture, keyed black, in a slot; the loaded one is put back
    // at the end.
    StructImage_t* Remplace(Im slot, int w, int h, Uint16 couleur) {
        return SceneTest::Remplace(slot, w, h, couleur, 0);
    }

    // A television frame: an 8-pixel border, black (transparent) inside; the
    // heading and names of the given heights.
    void PicturesDeTest(int hEntete, int hWozz, int hSlik, int hBrenn) {
        StructImage_t* tele = Remplace(Im::OldTV, 640, 480, 0);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                if (x < 8 || x >= 632 || y < 8 || y >= 472) FixePixel(tele, x, y, kBordTele);
        Remplace(Im::Greets, 420, hEntete, kEntete);
        Remplace(Im::Wozz, 400, hWozz, kWozz);
        Remplace(Im::Slik, 300, hSlik, kSlik);
        Remplace(Im::Brenn, 200, hBrenn, kBrenn);
    }

    void Lance() {
        SDL_FillRect(ecran_->surface, &ecran_->rect, 0x1234);
        Enregistre();
        SceneGreetings(ecran_, &catalogue_);
        TermineMachine();
        ObserveTrames(nullptr);
    }

    // A colour as it shows on row y once the scanlines are laid over it.
    static Uint16 Tramee(Uint16 couleur, int y) {
        ImageTest essai = CreeImageTest(4, 3, couleur);
        TrameRVB(essai.get());
        return Pixel(essai.get(), 0, y % 3);
    }
    Uint16 At(size_t i, int x, int y) const { return images_[i][y * 640 + x]; }
    // First row from the top in column x that shows the colour.
    int PremiereLigne(size_t i, int x, Uint16 couleur) const {
        for (int y = 0; y < 480; ++y)
            if (At(i, x, y) == Tramee(couleur, y)) return y;
        return -1;
    }
};

TEST_F(SceneGreetingsTest, NamesStackByTheirOwnHeightsAndPagesLastFiveSeconds) {
    Ouvre();
    // Heading taller than Wozz, Wozz taller than Slik by more than 10 (Slik
    // overlaps it), Brenn taller than Slik (a gap wider than 10 opens).
    PicturesDeTest(70, 64, 30, 50);
    Lance();
    ASSERT_EQ(images_.size(), 6u) << "empty set, four pages, closing picture";

    // Columns where only one name lies: Wozz alone at 125, Slik over Wozz at
    // 175, Brenn at 225 (the pictures are centred: x = (640 - width) >> 1).
    const int yWozz = 55 + 64 + 10, ySlik = yWozz + 30 + 10, yBrenn = ySlik + 50 + 10;
    for (size_t page = 1; page <= 4; ++page) {
        EXPECT_EQ(PremiereLigne(page, 320, kEntete), 55) << "page " << page;
        EXPECT_EQ(PremiereLigne(page, 110, kEntete), 55) << "page " << page;
        EXPECT_EQ(PremiereLigne(page, 109, kEntete), -1) << "page " << page;
    }
    EXPECT_EQ(PremiereLigne(1, 125, kWozz), -1);
    EXPECT_EQ(PremiereLigne(2, 125, kWozz), yWozz);
    EXPECT_EQ(PremiereLigne(2, 119, kWozz), -1);
    EXPECT_EQ(PremiereLigne(2, 175, kSlik), -1);
    EXPECT_EQ(PremiereLigne(3, 175, kSlik), ySlik);
    EXPECT_EQ(At(3, 175, ySlik - 1), Tramee(kWozz, ySlik - 1)) << "Slik's top lies inside Wozz";
    EXPECT_EQ(At(3, 175, yWozz + 63), Tramee(kSlik, yWozz + 63)) << "Slik over Wozz's last row";
    EXPECT_EQ(PremiereLigne(3, 225, kBrenn), -1);
    EXPECT_EQ(PremiereLigne(4, 225, kBrenn), yBrenn);
    EXPECT_EQ(At(4, 225, yBrenn - 1), Tramee(0, yBrenn - 1)) << "the gap above Brenn is black";
    EXPECT_EQ(PremiereLigne(4, 125, kWozz), yWozz);
    EXPECT_EQ(PremiereLigne(4, 175, kSlik), ySlik);

    // The frame lies over the scanlines; the closing picture is black with
    // scanlines inside the frame.
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(At(i, 2, 200), kBordTele) << "picture " << i;
        EXPECT_EQ(At(i, 320, 5), kBordTele) << "picture " << i;
    }
    EXPECT_EQ(At(0, 320, 240), 0) << "the empty set has no scanlines yet";
    for (int y = 230; y < 236; ++y) EXPECT_EQ(At(5, 320, y), Tramee(0, y)) << "row " << y;

    // 1000, 1000, 1000 and 2000 ms, and none before page 1 or after the close.
    EXPECT_LT(ms_[1] - ms_[0], 17.0);
    const double attentes[4] = {1000, 1000, 1000, 2000};
    for (int i = 0; i < 4; ++i) {
        EXPECT_GE(ms_[i + 2] - ms_[i + 1], attentes[i]) << "page " << i + 1;
        EXPECT_LT(ms_[i + 2] - ms_[i + 1], attentes[i] + 34) << "page " << i + 1;
    }
    EXPECT_LT(TempsVirtuelMs() - ms_[5], 1.0) << "the crawl starts at once";
}

TEST_F(SceneGreetingsTest, NamesOfOneHeightSitAtEqualSteps) {
    Ouvre();
    PicturesDeTest(90, 40, 40, 40);
    Lance();
    ASSERT_EQ(images_.size(), 6u);
    EXPECT_EQ(PremiereLigne(4, 125, kWozz), 55 + 50) << "the heading's height does not count";
    EXPECT_EQ(PremiereLigne(4, 175, kSlik), 55 + 100);
    EXPECT_EQ(PremiereLigne(4, 225, kBrenn), 55 + 150);
}

TEST_F(SceneGreetingsTest, PictureWiderThanTheScreenStartsLeftOfIt) {
    Ouvre();
    PicturesDeTest(70, 64, 30, 50);
    // Width 641: x = -1, so the picture's column 9 shows in screen column 8,
    // the first one inside the frame's border.
    StructImage_t* large = Remplace(Im::Greets, 641, 70, kEntete);
    // An odd width pads the surface's rows: address them by the pitch.
    Uint16* pixels = static_cast<Uint16*>(large->surface->pixels);
    for (int y = 0; y < 70; ++y) pixels[y * (large->surface->pitch / 2) + 9] = kWozz;
    Lance();
    ASSERT_EQ(images_.size(), 6u);
    EXPECT_EQ(At(1, 8, 60), Tramee(kWozz, 60));
    EXPECT_EQ(At(1, 9, 60), Tramee(kEntete, 60));
    EXPECT_EQ(At(1, 631, 60), Tramee(kEntete, 60));
}

TEST_F(SceneGreetingsTest, OddWidthNameIsLoadedAndDrawnInItsPlace) {
    // A 301 x 40 Wozz.png in a copy of the data: its rows are padded in the
    // surface, and only blits read it.
    DonneesTemporaires donnees;
    const std::vector<Uint16> wozz(301 * 40, kWozz);
    ASSERT_TRUE(SauvePixelsPNG(donnees.Chemin("Images/Wozz.png"), wozz.data(), 301, 40));
    Ouvre();
    StructImage_t* charge = Img(&catalogue_, Im::Wozz);
    ASSERT_EQ(charge->width, 301);
    PicturesDeTest(70, 40, 30, 50);
    catalogue_.images[static_cast<int>(Im::Wozz)] = charge;
    Lance();
    ASSERT_EQ(images_.size(), 6u);
    // Centred: x = (640 - 301) >> 1 = 169, columns 169 to 469; top row 55 + 40 + 10.
    for (size_t page = 2; page <= 4; ++page) {
        EXPECT_EQ(PremiereLigne(page, 169, kWozz), 105) << "page " << page;
        EXPECT_EQ(PremiereLigne(page, 469, kWozz), 105) << "page " << page;
        EXPECT_EQ(PremiereLigne(page, 168, kWozz), -1) << "page " << page;
        EXPECT_EQ(PremiereLigne(page, 470, kWozz), -1) << "page " << page;
    }
    EXPECT_EQ(At(2, 300, 144), Tramee(kWozz, 144)) << "its last row";
    EXPECT_EQ(At(2, 300, 145), Tramee(0, 145));
}

TEST_F(SceneGreetingsTest, KeysEndWaitsButEveryPageIsDrawn) {
    ConfigMachine config;
    config.evenements.push_back({200, ToucheEnfoncee()});
    config.evenements.push_back({1300, ToucheEnfoncee()});
    Ouvre(config);
    PicturesDeTest(70, 64, 30, 50);
    Lance();
    ASSERT_EQ(images_.size(), 6u);
    EXPECT_LT(ms_[2], 217.0) << "page 2 follows the key";
    EXPECT_GE(ms_[3] - ms_[2], 1000.0) << "page 2's wait is whole";
    EXPECT_LT(ms_[4], 1317.0) << "page 4 follows the second key";
    EXPECT_GE(ms_[5] - ms_[4], 2000.0);
    EXPECT_EQ(PremiereLigne(4, 225, kBrenn), 55 + 74 + 40 + 60);
}

TEST_F(SceneGreetingsTest, FramesToLookAt) {
    // The pictures as they show at 17, 500, 1500, 2500 and 3500 ms: the empty
    // set and the four pages; then the closing picture.
    Ouvre();
    const std::pair<std::uint64_t, const char*> vues[5] = {{1, "greetings_tele"},
                                                           {30, "greetings_page1"},
                                                           {90, "greetings_page2"},
                                                           {150, "greetings_page3"},
                                                           {210, "greetings_page4"}};
    int sauvees = 0;
    ObserveTrames([&](std::uint64_t index, const Uint16* pixels, int w, int h) {
        for (const auto& [i, nom] : vues) {
            if (i == index) {
                sauvees += SauvePixelsPNG(DossierTrames() + "/" + nom + ".png", pixels, w, h);
            }
        }
    });
    SceneGreetings(ecran_, &catalogue_);
    ObserveTrames(nullptr);
    EXPECT_EQ(sauvees, 5);
    EXPECT_TRUE(SauveTrameTest("greetings_fin"));
}

}  // namespace
