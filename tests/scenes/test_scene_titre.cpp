// The title scene on the virtual machine: the ramp dropping in (and put in
// place when a key cuts the drop), the letters landing on their baseline at
// the pitch of the K, and the shakes working through the screen's rect.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "catalogue.h"
#include "effets.h"
#include "fixtures_scenes.h"
#include "outils_tests.h"
#include "scenes.h"

namespace {

struct Production : ProductionTest {
    explicit Production(const ConfigMachine& config = ConfigMachine()) : ProductionTest(config) {
        // As the logo scene leaves it: black.
        SDL_FillRect(ecran->surface, &ecran->rect, 0);
    }
};

Uint16 Px(StructImage_t* image, int x, int y) {
    return static_cast<const Uint16*>(image->surface->pixels)[y * image->width + x];
}

// The hash of every refresh, and a few pictures saved to look at.
struct Releve {
    std::vector<std::uint64_t> hashes;
    explicit Releve(const std::string& nom) {
        ObserveTrames([this, nom](std::uint64_t index, const Uint16* pixels, int w, int h) {
            hashes.push_back(HashTrame(pixels, w, h));
            if (index == 80 || index == 300 || index == 620) {
                SauvePixelsPNG(DossierTrames() + "/" + nom + "_" + std::to_string(index) + ".png",
                               pixels, w, h);
            }
        });
    }
    ~Releve() { ObserveTrames(nullptr); }
    // The first refresh that shows exactly this picture (-1 when none).
    long Premier(std::uint64_t hash) const {
        for (size_t i = 0; i < hashes.size(); ++i) {
            if (hashes[i] == hash) return static_cast<long>(i);
        }
        return -1;
    }
};

}  // namespace

TEST(SceneTitre, LettersLandOnRow233AtThePitchOfTheK) {
    Production p;
    Releve r("titre");
    SceneTitre(p.ecran, &p.catalogue);
    TermineMachine();
    SauveTrameTest("titre_fin");

    // The ramp's last drop frame is the whole picture at y 0: the 161st.
    StructImage_t* rampe = p[Im::RampeTotal];
    EXPECT_EQ(r.Premier(HashTrame(static_cast<Uint16*>(rampe->surface->pixels), 640, 480)), 161);

    // The letters as they should lie: in order, each keyed on black, letter k
    // at x0 + k x pitch with its lowest row on screen row 233.
    const std::array<Im, 7> lettres{Im::K, Im::A, Im::Z, Im::Z, Im::M, Im::O, Im::T};
    const int x0 = (640 - p[Im::Kazzmot]->width) / 2 - 5;
    const int pas = p[Im::K]->width;
    std::vector<int> attendu(640 * 480, -1);
    for (size_t k = 0; k < lettres.size(); ++k) {
        StructImage_t* l = p[lettres[k]];
        const int x = x0 + static_cast<int>(k) * pas, y = 234 - l->height;
        for (int j = 0; j < l->height; ++j) {
            for (int i = 0; i < l->width; ++i) {
                const Uint16 v = Px(l, i, j);
                if (v != 0 && x + i < 640) attendu[(y + j) * 640 + x + i] = v;
            }
        }
    }
    const std::vector<Uint16>& affiche = ImageAffichee();
    int vus = 0, faux = 0;
    for (size_t i = 0; i < attendu.size(); ++i) {
        if (attendu[i] < 0) continue;
        ++vus;
        faux += affiche[i] != attendu[i];
    }
    EXPECT_GT(vus, 7 * 500);
    EXPECT_EQ(faux, 0);

    // The shakes work on the support's area (the screen's rect after the
    // support is drawn): its four bottom rows repeat the four above them.
    StructImage_t* support = p[Im::Support2];
    const int bas = support->height;
    for (int x = 0; x < 640; x += 7) {
        for (int j = 1; j <= 4; ++j) {
            ASSERT_EQ(affiche[(bas - j) * 640 + x], Px(support, x, bas - j - 4)) << x << "," << j;
        }
        if (x < x0 || x >= x0 + 7 * pas) {
            ASSERT_EQ(affiche[100 * 640 + x], Px(support, x, 100)) << x;
        }
    }
    EXPECT_EQ(p.ecran->rect.h, bas);
}

TEST(SceneTitre, KeyDuringTheRampDropIsMadeGoodByTheRedraw) {
    // The drop shows a frame per refresh from y -480; a key at 100 ms cuts it
    // after six frames, with the ramp still high above its place.
    ConfigMachine config;
    config.evenements.push_back({100, ToucheEnfoncee()});
    Production p(config);
    Releve r("titre_touche");
    SceneTitre(p.ecran, &p.catalogue);
    TermineMachine();
    // The logo's ride starts on the ramp at its place: its first frame (the
    // logo not yet on the screen) is the whole ramp picture.
    StructImage_t* rampe = p[Im::RampeTotal];
    EXPECT_EQ(r.Premier(HashTrame(static_cast<Uint16*>(rampe->surface->pixels), 640, 480)), 7);
    // The rest of the scene still ran: the last letter is in place.
    StructImage_t* t = p[Im::T];
    const int x = (640 - p[Im::Kazzmot]->width) / 2 - 5 + 6 * p[Im::K]->width;
    int faux = 0, vus = 0;
    for (int j = 0; j < t->height; ++j) {
        for (int i = 0; i < t->width && x + i < 640; ++i) {
            const Uint16 v = Px(t, i, j);
            if (v == 0) continue;
            ++vus;
            faux += ImageAffichee()[(234 - t->height + j) * 640 + x + i] != v;
        }
    }
    EXPECT_GT(vus, 500);
    EXPECT_EQ(faux, 0);
}

TEST(SceneTitre, LettersOfOtherSizesKeepThePitchOfTheKAndTheBaseline) {
    Production p;
    // An A narrower and shorter than the K, an M wider and shorter still.
    ImageTest a = CreeImageTest(40, 100, 0x07E0);
    ImageTest m = CreeImageTest(120, 60, 0x001F);
    SDL_SetColorKey(a->surface, SDL_SRCCOLORKEY, 0);
    SDL_SetColorKey(m->surface, SDL_SRCCOLORKEY, 0);
    const size_t ia = static_cast<size_t>(Im::A), im = static_cast<size_t>(Im::M);
    StructImage_t* vraiA = p.catalogue.images[ia];
    StructImage_t* vraiM = p.catalogue.images[im];
    p.catalogue.images[ia] = a.get();
    p.catalogue.images[im] = m.get();
    SceneTitre(p.ecran, &p.catalogue);
    p.catalogue.images[ia] = vraiA;
    p.catalogue.images[im] = vraiM;

    const int x0 = (640 - p[Im::Kazzmot]->width) / 2 - 5;
    const int pas = p[Im::K]->width;
    const std::vector<Uint16>& affiche = ImageAffichee();
    // Letter 1 (A) and letter 4 (M): whole flat rectangles, bottom row 233.
    const struct {
        int k, w, h;
        Uint16 v;
    } cas[] = {{1, 40, 100, 0x07E0}, {4, 120, 60, 0x001F}};
    for (const auto& c : cas) {
        const int x = x0 + c.k * pas;
        for (int y = 234 - c.h; y <= 233; ++y) {
            // The next letter (drawn later) may cover the M's right part.
            for (int i = 0; i < (c.k == 4 ? pas : c.w); ++i) {
                ASSERT_EQ(affiche[y * 640 + x + i], c.v) << c.k << ": " << x + i << "," << y;
            }
        }
        EXPECT_NE(affiche[(234 - c.h - 1) * 640 + x], c.v) << c.k;
        EXPECT_NE(affiche[234 * 640 + x], c.v) << c.k;
        EXPECT_NE(affiche[233 * 640 + x - 1], c.v) << c.k;
    }
}
