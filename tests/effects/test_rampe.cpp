// The ramp: the height table made from a mask, and the logo's journey along
// it, column by column, frame by frame.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "effets.h"
#include "outils_tests.h"

namespace {

// A logo whose pixel (x, y) holds 0x8000 | (y << 8) | x.
ImageTest LogoCode(int w, int h) {
    ImageTest image = CreeImageTest(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) FixePixel(image.get(), x, y, 0x8000 | (y << 8) | x);
    }
    return image;
}

// A mask whose column i is black down to row premiere[i] and white below.
ImageTest Masque(const std::vector<int>& premiere, int h = 480) {
    ImageTest mask = CreeImageTest(static_cast<int>(premiere.size()), h, 0);
    for (size_t i = 0; i < premiere.size(); ++i) {
        for (int y = premiere[i]; y < h; ++y) FixePixel(mask.get(), static_cast<int>(i), y, 0xFFFF);
    }
    return mask;
}

struct LibereTable {
    void operator()(Uint16* t) const { std::free(t); }
};

// For every refresh after the first: the leftmost screen column of `ligne`
// that shows the logo, and the logo column it shows (-1, -1 when none).
struct Releve {
    std::vector<std::pair<int, int>> vues;
    explicit Releve(int ligne) {
        ObserveTrames([this, ligne](std::uint64_t index, const Uint16* pixels, int w, int) {
            if (index == 0) return;
            std::pair<int, int> v{-1, -1};
            for (int x = 0; x < w; ++x) {
                const Uint16 p = pixels[ligne * w + x];
                if (p & 0x8000) {
                    v = {x, p & 0xFF};
                    break;
                }
            }
            vues.push_back(v);
        });
    }
    ~Releve() { ObserveTrames(nullptr); }
};

}  // namespace

TEST(ProfilRampe, EntryIsTheRowAboveTheFirstNonBlackPixel) {
    Ecran* ecran = OuvreEcranTest();
    std::vector<int> premiere(640, 100);
    premiere[0] = 0;    // top row: wraps to 65535
    premiere[1] = 480;  // nothing non-black in this column
    premiere[2] = 10;
    premiere[639] = 479;
    ImageTest mask = Masque(premiere);
    // A nearly black pixel is still non-black.
    FixePixel(mask.get(), 3, 7, 0x0001);
    std::unique_ptr<Uint16, LibereTable> table(ProfilRampe(mask.get()));
    ASSERT_TRUE(table);
    const Uint16* t = table.get();
    EXPECT_EQ(t[0], 65535);
    EXPECT_EQ(t[1], 0);
    EXPECT_EQ(t[2], 9);
    EXPECT_EQ(t[3], 6);
    EXPECT_EQ(t[4], 99);
    EXPECT_EQ(t[639], 478);
    EXPECT_EQ(t[640], 0);  // the extra entry
    FermeEcranTest(ecran);
}

TEST(GlisseRampe, LogoEntersFromTheRightIn213FramesThenLeavesLeft) {
    Ecran* ecran = OuvreEcranTest();
    Remplit(ecran, 0);
    ImageTest mask = Masque(std::vector<int>(640, 300));
    ImageTest logo = LogoCode(30, 20);
    // The logo's lowest row stands two rows above the ramp: rows 279 to 298.
    Releve r(290);
    GlisseRampe(logo.get(), ecran, mask.get(), 3);

    std::vector<std::pair<int, int>> attendu;
    for (int pos = 640; pos >= 3; pos -= 3) {
        attendu.push_back(pos < 640 ? std::pair<int, int>{pos, 0} : std::pair<int, int>{-1, -1});
    }
    ASSERT_EQ(attendu.size(), 213u);
    // Leaving: the logo's left edge at -3 - (30 - pos), cut at column 0.
    for (int pos = 30; pos >= 3; pos -= 3) {
        const int colonne = 3 + 30 - pos;
        attendu.push_back(colonne < 30 ? std::pair<int, int>{0, colonne}
                                       : std::pair<int, int>{-1, -1});
    }
    EXPECT_EQ(r.vues, attendu);
    EXPECT_EQ(NombrePresentations(), 213u + 10u);
    FermeEcranTest(ecran);
}

TEST(GlisseRampe, EveryColumnStandsOnItsOwnRampHeight) {
    Ecran* ecran = OuvreEcranTest();
    RemplitMotif(ecran);
    ImageTest fond = CreeImageTest(640, 480);
    RemplitMotif(fond.get());
    // A slope: column i's ramp starts at row 200 + i / 4; column 50 has no
    // ramp and column 60 starts at the top row.
    std::vector<int> premiere(640);
    for (int i = 0; i < 640; ++i) premiere[i] = 200 + i / 4;
    premiere[50] = 480;
    premiere[60] = 0;
    ImageTest mask = Masque(premiere);
    ImageTest logo = LogoCode(100, 20);
    // The first frame of the exit (pos = logo width): logo column k is drawn
    // at screen column k - 3 and stands on the ramp height of column k.
    // Entry frame 150 (pos = 640 - 149 x 3 = 193): logo column k at screen
    // column 193 + k, standing on that screen column's ramp height.
    std::vector<Uint16> trame, entree;
    ObserveTrames([&](std::uint64_t index, const Uint16* pixels, int w, int h) {
        if (index == 150) entree.assign(pixels, pixels + w * h);
        if (index == 214) trame.assign(pixels, pixels + w * h);
    });
    GlisseRampe(logo.get(), ecran, mask.get(), 3);
    ObserveTrames(nullptr);
    ASSERT_EQ(entree.size(), 640u * 480u);
    for (int k = 0; k < 100; ++k) {
        const int x = 193 + k;
        const int haut = premiere[x] - 1 - 20;
        for (int y = 0; y < 480; ++y) {
            const bool logoIci = y >= haut && y < haut + 20;
            const Uint16 attendu = logoIci ? static_cast<Uint16>(0x8000 | ((y - haut) << 8) | k)
                                           : Pixel(fond.get(), x, y);
            ASSERT_EQ(entree[y * 640 + x], attendu) << x << "," << y;
        }
    }
    ASSERT_EQ(trame.size(), 640u * 480u);
    for (int x = 0; x < 97; ++x) {
        const int k = x + 3;
        const int haut = premiere[k] - 1 - 20;
        // No ramp, or a ramp from the top row: the column is above the screen.
        const bool visible = premiere[k] != 480 && premiere[k] != 0;
        for (int y = 0; y < 480; ++y) {
            const bool logoIci = visible && y >= haut && y < haut + 20;
            const Uint16 attendu = logoIci ? static_cast<Uint16>(0x8000 | ((y - haut) << 8) | k)
                                           : Pixel(fond.get(), x, y);
            ASSERT_EQ(trame[y * 640 + x], attendu) << x << "," << y;
        }
    }
    // Right of the logo, the background only.
    for (int y = 0; y < 480; ++y) ASSERT_EQ(trame[y * 640 + 300], Pixel(fond.get(), 300, y));
    FermeEcranTest(ecran);
}

TEST(GlisseRampe, LogoNarrowerThanTheStepHasNoExit) {
    Ecran* ecran = OuvreEcranTest();
    ImageTest mask = Masque(std::vector<int>(640, 300));
    ImageTest logo = LogoCode(2, 20);
    GlisseRampe(logo.get(), ecran, mask.get(), 3);
    EXPECT_EQ(NombrePresentations(), 213u);
    FermeEcranTest(ecran);
}

TEST(GlisseRampe, KeyEndsEitherPhaseBeforeTheFrameIsShown) {
    ImageTest logo = LogoCode(30, 20);
    {
        ConfigMachine config;
        config.evenements.push_back({0, ToucheEnfoncee()});
        Ecran* ecran = OuvreEcranTest(config);
        ImageTest mask = Masque(std::vector<int>(640, 300));
        GlisseRampe(logo.get(), ecran, mask.get(), 3);
        EXPECT_EQ(NombrePresentations(), 0u);  // nor does the exit run
        FermeEcranTest(ecran);
    }
    {
        // The entry's 213 frames end at 3550 ms; this key is seen by the
        // second frame of the exit, which is then not shown.
        ConfigMachine config;
        config.evenements.push_back({3560, ToucheEnfoncee()});
        Ecran* ecran = OuvreEcranTest(config);
        ImageTest mask = Masque(std::vector<int>(640, 300));
        GlisseRampe(logo.get(), ecran, mask.get(), 3);
        EXPECT_EQ(NombrePresentations(), 214u);
        FermeEcranTest(ecran);
    }
}
