// The closing text crawl on the virtual machine: frame counts for the text
// picture's height, every row's span and samples, the background showing
// through black text, a key press, Escape, and frames of the real pictures.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "effets.h"
#include "outils_tests.h"
#include "scenes.h"

namespace {

constexpr Uint16 kCouleurFond = 0x2945;

// Inset of screen row r: a closed form of the crawl's falling line.
int Marge(int r) {
    return 250 - (250 * (r + 1) + 239) / 480;
}

struct GeneriqueTest : testing::Test {
    Ecran* ecran = nullptr;
    ImageTest fond = CreeImageTest(640, 480, kCouleurFond);
    ImageTest texte;
    Catalogue catalogue;
    std::vector<std::vector<Uint16>> trames;

    void Prepare(int hauteurTexte, const ConfigMachine& config = ConfigMachine()) {
        ecran = OuvreEcranTest(config);
        texte = CreeImageTest(640, hauteurTexte);
        RemplitMotif(texte.get());
        catalogue.images[static_cast<size_t>(Im::GenSW)] = texte.get();
        catalogue.images[static_cast<size_t>(Im::FondSW)] = fond.get();
        ObserveTrames([this](std::uint64_t, const Uint16* p, int w, int h) {
            trames.emplace_back(p, p + static_cast<size_t>(w) * h);
        });
    }
    void TearDown() override {
        ObserveTrames(nullptr);
        if (ecran) FermeEcranTest(ecran);
    }

    // What a crawl frame at `decalage` must show: the background, each row's
    // span sampled from its text row (black left out), then the scanlines.
    std::vector<Uint16> Attendu(Uint32 decalage) {
        ImageTest image = CreeImageTest(640, 480);
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) FixePixel(image.get(), x, y, Pixel(fond.get(), x, y));
        }
        const Uint16* source = Pixels(texte.get());
        for (int r = 0; r < 480; ++r) {
            const int marge = Marge(r), n = 640 - 2 * marge;
            const long long pas = (640LL * 65536) / n;
            for (int k = 0; k < n; ++k) {
                const long long colonne = ((k + 1) * pas) >> 16;
                const Uint16 v = source[(r + decalage) * 640 + colonne];
                if (v != 0) FixePixel(image.get(), marge + k, r, v);
            }
        }
        TrameRVB(image.get());
        return std::vector<Uint16>(Pixels(image.get()), Pixels(image.get()) + 640 * 480);
    }
};

TEST_F(GeneriqueTest, FrameCountFollowsTheTextHeight) {
    const struct {
        int hauteur;
        unsigned trames;
    } cas[] = {{480, 0}, {481, 1}, {482, 1}, {483, 1}, {484, 2}, {600, 40}, {300, 0}};
    for (const auto& c : cas) {
        SCOPED_TRACE(c.hauteur);
        trames.clear();
        Prepare(c.hauteur);
        SceneGenerique(ecran, &catalogue);
        EXPECT_EQ(NombrePresentations(), c.trames);
        // Each frame takes one refresh, then the closing wait of a second.
        EXPECT_EQ(TempsVirtuelMs(), c.trames * 1000 / 60 + 1000) << "with " << c.trames;
        FermeEcranTest(ecran);
        ecran = nullptr;
    }
}

TEST_F(GeneriqueTest, FramesShowEveryRowSqueezedIntoItsSpanOverTheBackground) {
    Prepare(490);
    // Black pixels scattered through the text: the background shows there.
    for (int y = 0; y < 490; ++y) {
        for (int x = y % 5; x < 640; x += 5) FixePixel(texte.get(), x, y, 0);
    }
    SceneGenerique(ecran, &catalogue);
    ASSERT_EQ(NombrePresentations(), 4u);  // offsets 0, 3, 6, 9
    ASSERT_GE(trames.size(), 5u);
    for (Uint32 k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        const std::vector<Uint16> attendu = Attendu(3 * k);
        for (size_t i = 0; i < attendu.size(); ++i) {
            ASSERT_EQ(trames[k + 1][i], attendu[i]) << "column " << i % 640 << " row " << i / 640;
        }
    }
    // The last frame stays up during the closing wait.
    EXPECT_TRUE(ImageAffichee() == trames[4]);
}

TEST_F(GeneriqueTest, SpansNarrowFromTheBottomRowToTheTop) {
    Prepare(481);
    Remplit(texte.get(), 0xFFFF);
    Remplit(fond.get(), 0x0000);
    SceneGenerique(ecran, &catalogue);
    ASSERT_EQ(NombrePresentations(), 1u);
    const std::vector<Uint16> noir = [] {
        ImageTest image = CreeImageTest(640, 480, 0);
        TrameRVB(image.get());
        return std::vector<Uint16>(Pixels(image.get()), Pixels(image.get()) + 640 * 480);
    }();
    // The text's columns in a row: those that differ from the bare background.
    auto span = [&](int r) {
        int premier = -1, dernier = -1, n = 0;
        for (int x = 0; x < 640; ++x) {
            if (ImageAffichee()[x + r * 640] != noir[x + r * 640]) {
                if (premier < 0) premier = x;
                dernier = x;
                ++n;
            }
        }
        EXPECT_EQ(n, dernier - premier + 1) << "row " << r << " is one span";
        return std::make_pair(premier, n);
    };
    EXPECT_EQ(span(0), std::make_pair(249, 142));
    EXPECT_EQ(span(240), std::make_pair(124, 392));
    EXPECT_EQ(span(479), std::make_pair(0, 640));
    for (int r = 0; r < 480; ++r) {
        ASSERT_EQ(span(r), std::make_pair(Marge(r), 640 - 2 * Marge(r))) << r;
    }
}

TEST_F(GeneriqueTest, BottomRowEndsOnTheFirstPixelOfTheNextTextRow) {
    Prepare(484);
    // Second frame (offset 3): screen row 479 shows text row 482, whose last
    // sample falls on the first pixel of row 483.
    for (int x = 0; x < 640; ++x) {
        FixePixel(texte.get(), x, 482, 0x07E0);
        FixePixel(texte.get(), x, 483, 0xF81F);
    }
    FixePixel(texte.get(), 0, 482, 0x001F);  // never sampled: the start point
    SceneGenerique(ecran, &catalogue);
    ASSERT_EQ(NombrePresentations(), 2u);
    const Uint16* rangee = ImageAffichee().data() + 479 * 640;
    for (int c = 1; c < 639; ++c) ASSERT_EQ(rangee[c], rangee[0]) << c;
    EXPECT_NE(rangee[639], rangee[0]);
    // The same two colours under the scanlines of row 479.
    ImageTest attendu = CreeImageTest(640, 480, 0x07E0);
    FixePixel(attendu.get(), 639, 479, 0xF81F);
    TrameRVB(attendu.get());
    EXPECT_EQ(rangee[0], Pixel(attendu.get(), 0, 479));
    EXPECT_EQ(rangee[639], Pixel(attendu.get(), 639, 479));
}

TEST_F(GeneriqueTest, KeyPressStopsTheTextAndASecondCutsTheClosingWait) {
    ConfigMachine config;
    config.evenements = {{100, ToucheEnfoncee()}, {400, ToucheEnfoncee()}};
    Prepare(2000, config);
    SceneGenerique(ecran, &catalogue);
    // Frames at 16.7 ... 100 ms: the key is found after the sixth.
    EXPECT_EQ(NombrePresentations(), 6u);
    EXPECT_EQ(TempsVirtuelMs(), 400u);
    EXPECT_TRUE(ImageAffichee() == Attendu(15));
}

TEST_F(GeneriqueTest, EscapeHeldDuringTheCrawlEndsTheProgram) {
    EXPECT_EXIT(
        {
            ConfigMachine config;
            config.echapDes = 200;
            Prepare(2000, config);
            SceneGenerique(ecran, &catalogue);
            std::exit(3);
        },
        testing::ExitedWithCode(0), "");
}

TEST(GeneriqueReel, CrawlOfTheProductionPictures) {
    Ecran* ecran = OuvreEcranTest();
    Catalogue catalogue;
    ChargeCatalogue(&catalogue);
    const int hauteur = Img(&catalogue, Im::GenSW)->height;
    const unsigned attendues = (hauteur - 480 + 2) / 3;
    const std::vector<unsigned> aGarder = {1, attendues / 4, attendues / 2, attendues};
    ObserveTrames([&](std::uint64_t index, const Uint16* p, int w, int h) {
        for (unsigned k : aGarder) {
            if (index == k) {
                char nom[64];
                std::snprintf(nom, sizeof nom, "/generique_%04u.png", k);
                SauvePixelsPNG(DossierTrames() + nom, p, w, h);
            }
        }
    });
    SceneGenerique(ecran, &catalogue);
    TermineMachine();
    ObserveTrames(nullptr);
    EXPECT_EQ(NombrePresentations(), attendues);
    std::printf("crawl: %u frames for a text picture of %d rows, %llu ms\n", attendues, hauteur,
                static_cast<unsigned long long>(TempsVirtuelMs()));
    LibereCatalogue(&catalogue);
    FermeEcranTest(ecran);
}

}  // namespace
