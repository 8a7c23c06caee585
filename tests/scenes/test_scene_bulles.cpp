// The bubbles scene on the virtual machine with the production's pictures:
// flash, drain onto the underwater picture, the two shake loops and their
// time limits, the bubbles' first frames and how much of the screen they bend,
// a key in the bubble loop, and the swirl that leaves the background the next
// scene is laid on.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "catalogue.h"
#include "effets.h"
#include "fixtures_scenes.h"
#include "outils_tests.h"
#include "scenes.h"

namespace {

constexpr double kRafraichissementMs = 1000.0 / 60.0;

using Production = ProductionTest;

std::vector<Uint16> Copie(StructImage_t* image) {
    const Uint16* p = Pixels(image);
    return std::vector<Uint16>(p, p + static_cast<size_t>(image->width) * image->height);
}

std::uint64_t Hash(const std::vector<Uint16>& pixels) {
    return HashTrame(pixels.data(), 640, 480);
}

// The screen as the title scene leaves it: its stage drawn last through the
// screen's rect, which keeps the stage's size (640 x 256).
void PoseTitre(const Production& p) {
    StructImage_t* rampe = p[Im::RampeTotal];
    StructImage_t* support = p[Im::Support2];
    SDL_BlitSurface(rampe->surface, &rampe->rect, p.ecran->surface, &p.ecran->rect);
    SDL_BlitSurface(support->surface, &support->rect, p.ecran->surface, &p.ecran->rect);
    StructImage_t* titre = p[Im::Kazzmot];
    SDL_Rect ou{31, 120, 0, 0};
    SDL_BlitSurface(titre->surface, nullptr, p.ecran->surface, &ou);
}

// A bubble frame rebuilt: the underwater picture with the six bubbles at the
// wobble offset and rows given.
std::vector<Uint16> ImageBulles(const Production& p, int decalage, int montee) {
    struct B {
        Im sprite;
        int k, y;
    };
    const B bulles[] = {{Im::SpriteBullesPetit, 5, 380},  {Im::SpriteBullesPetit, 570, 270},
                        {Im::SpriteBullesMoyen, 340, 95}, {Im::SpriteBullesMoyen, 50, 30},
                        {Im::SpriteBullesGros, 110, 200}, {Im::SpriteBullesGros, 355, 210}};
    ImageTest image = CreeImageTest(640, 480);
    SDL_BlitSurface(p[Im::Bulles]->surface, nullptr, image->surface, nullptr);
    for (const B& b : bulles) {
        DessineBulle(static_cast<Sint16>(b.k + decalage), static_cast<Sint16>(b.y - montee),
                     p[b.sprite], image.get());
    }
    return Copie(image.get());
}

// How much a frame differs from the underwater picture, as a viewer sees it:
// the pixels that changed and, over them, the largest of the three channel
// steps in 8 bits (the 5- and 6-bit fields widened as the pictures' files
// are): its median and how many pixels changed by 24 or more.
struct Ecarts {
    int changes = 0;
    int mediane = 0;
    int forts = 0;  // changed by 24 or more
};

Ecarts MesureEcarts(const Uint16* trame, const std::vector<Uint16>& fond) {
    auto canaux = [](Uint16 p) {
        const int r = p >> 11, g = (p >> 5) & 63, b = p & 31;
        return std::array<int, 3>{(r << 3) | (r >> 2), (g << 2) | (g >> 4), (b << 3) | (b >> 2)};
    };
    std::array<int, 256> nombre{};
    Ecarts e;
    for (size_t i = 0; i < fond.size(); ++i) {
        if (trame[i] == fond[i]) continue;
        const std::array<int, 3> a = canaux(trame[i]), b = canaux(fond[i]);
        int pas = 0;
        for (int k = 0; k < 3; ++k) pas = std::max(pas, std::abs(a[k] - b[k]));
        ++nombre[pas];
        ++e.changes;
        e.forts += pas >= 24;
    }
    int cumul = 0;
    for (int v = 1; v < 256; ++v) {
        cumul += nombre[v];
        if (e.mediane == 0 && 2 * cumul >= e.changes) e.mediane = v;
    }
    return e;
}

// Records what the display shows as runs of identical refreshes, classifies
// the runs against the underwater picture, and keeps a few of them whole.
struct Releve {
    struct Serie {
        std::uint64_t hash;
        std::uint64_t debut;  // first refresh
        std::uint64_t longueur = 1;
        // 'B' the underwater picture, 'D' it shifted 5 rows down, 'U' back in
        // place but with its bottom rows doubled by the shakes, 'O' other.
        char classe;
    };
    std::vector<Serie> series;
    std::map<size_t, std::vector<Uint16>> gardees;  // run index -> picture
    std::vector<Uint16> bulles;
    std::uint64_t hashBulles;
    std::uint64_t hashPremiere;  // the first bubble frame
    size_t premiereBulles = SIZE_MAX;
    std::vector<Ecarts> ecarts;   // each run's picture against the underwater one
    std::vector<size_t> longues;  // runs that lasted a second or more
    std::uint64_t debutDissolution = 0;
    bool dissolutionGardee = false;
    size_t milieuDissolution = SIZE_MAX;

    Releve(const Production& p, std::uint64_t premiere)
        : bulles(Copie(p[Im::Bulles])), hashBulles(Hash(bulles)), hashPremiere(premiere) {
        ObserveTrames([this](std::uint64_t index, const Uint16* px, int, int) {
            const std::uint64_t h = HashTrame(px, 640, 480);
            if (!series.empty() && series.back().hash == h) {
                if (++series.back().longueur == 60) {
                    longues.push_back(series.size() - 1);
                    gardees[series.size() - 1].assign(px, px + 640 * 480);
                }
                return;
            }
            series.push_back(Serie{h, index, 1, Classe(px, h)});
            ecarts.push_back(MesureEcarts(px, bulles));
            const size_t i = series.size() - 1;
            if (h == hashPremiere && premiereBulles == SIZE_MAX) premiereBulles = i;
            const bool apresBulles = premiereBulles != SIZE_MAX;
            // The dissolve starts with the first new picture after the
            // bubbles' last frame has stood for a second.
            if (apresBulles && !longues.empty() && longues.back() > premiereBulles &&
                i == longues.back() + 1) {
                debutDissolution = index;
            }
            const bool dissolutionMiTemps =
                debutDissolution != 0 && index >= debutDissolution + 60 && !dissolutionGardee;
            if (i == 1 || i == 20 || i == 40 || (apresBulles && i == premiereBulles + 40) ||
                dissolutionMiTemps) {
                gardees[i].assign(px, px + 640 * 480);
                if (dissolutionMiTemps) {
                    dissolutionGardee = true;
                    milieuDissolution = i;
                }
            }
        });
    }
    ~Releve() { ObserveTrames(nullptr); }

    bool Decale(const Uint16* px, int dy) const {
        for (int y = 50; y < 470; y += 50) {
            for (int x = 0; x < 640; ++x) {
                if (px[y * 640 + x] != bulles[(y - dy) * 640 + x]) return false;
            }
        }
        return true;
    }
    char Classe(const Uint16* px, std::uint64_t h) const {
        if (h == hashBulles) return 'B';
        if (Decale(px, 5)) return 'D';
        if (Decale(px, 0)) return 'U';
        return 'O';
    }
    // The first run at or after `depuis` that lasted a second or more.
    size_t LongueApres(size_t depuis) const {
        for (size_t l : longues) {
            if (l >= depuis) return l;
        }
        return SIZE_MAX;
    }
    void Sauve(size_t run, const std::string& nom) const {
        auto it = gardees.find(run);
        ASSERT_NE(it, gardees.end()) << nom;
        EXPECT_TRUE(
            SauvePixelsPNG(DossierTrames() + "/" + nom + ".png", it->second.data(), 640, 480));
    }
};

int ProcheDuVoile(int v, int o, int c) {
    return std::abs(v - (o + c) / 2) <= 1;
}

TEST(SceneBulles, FlashDrainShakesBubblesAndSwirlInTurn) {
    Production p;
    PoseTitre(p);
    const std::vector<Uint16> titre = Copie(p.ecran);
    const std::vector<Uint16> premiere = ImageBulles(p, 0, 0);
    Releve r(p, Hash(premiere));
    SceneBulles(p.ecran, &p.catalogue);
    TermineMachine();
    const auto& s = r.series;
    ASSERT_GT(s.size(), 14u);

    // Six white flashes over the area the title left in the screen's rect
    // (its top 256 rows): veil, title, veil, title...
    for (size_t i = 1; i <= 12; ++i) {
        if (i % 2 == 0) {
            EXPECT_EQ(s[i].hash, Hash(titre)) << "run " << i;
        } else {
            EXPECT_EQ(s[i].hash, s[1].hash) << "run " << i;
        }
    }
    const std::vector<Uint16>& voile = r.gardees.at(1);
    int faux = 0;
    for (int i = 0; i < 640 * 480; ++i) {
        const int v = voile[i], o = titre[i];
        if (i < 640 * 256) {
            faux += !ProcheDuVoile(v >> 11, o >> 11, 31) ||
                    !ProcheDuVoile((v >> 5) & 63, (o >> 5) & 63, 63) ||
                    !ProcheDuVoile(v & 31, o & 31, 31);
        } else {
            faux += v != o;
        }
    }
    EXPECT_EQ(faux, 0);

    // The drain uncovers the underwater picture in the same area: by the time
    // its last frame stands for the one-second wait, only that picture is
    // left there.
    const size_t finEcoulement = r.LongueApres(13);
    ASSERT_NE(finEcoulement, SIZE_MAX);
    const std::vector<Uint16>& egoutte = r.gardees.at(finEcoulement);
    EXPECT_TRUE(std::equal(egoutte.begin(), egoutte.begin() + 640 * 256, r.bulles.begin()));
    // The drain's last frames are alike and stand with the wait: at least
    // 193 frames and the second.
    EXPECT_GE(s[finEcoulement].debut + s[finEcoulement].longueur - s[13].debut, 193u + 60);
    // Mid-drain: strips of the title hang over the uncovered picture.
    const std::vector<Uint16>& milieu = r.gardees.at(20);
    int decouverts = 0, pendants = 0;
    for (int x = 0; x < 640; ++x) decouverts += milieu[x] == r.bulles[x];
    for (int k = 0; k < 640 * 256; ++k) pendants += milieu[k] != r.bulles[k];
    EXPECT_GT(decouverts, 600);
    EXPECT_GT(pendants, 640 * 100);

    // The shakes: the whole picture, then pairs of a jolt down and one up,
    // four refreshes a pair, until both loops' time (1000 then 3500 ms) is up;
    // each loop may run one pair past its limit.
    const size_t debutSecousses = finEcoulement + 1;
    EXPECT_EQ(s[debutSecousses].classe, 'B');
    size_t i = debutSecousses + 1;
    int paires = 0;
    while (i + 1 < s.size() && s[i].classe == 'D' && s[i + 1].classe == 'U') {
        ++paires;
        i += 2;
    }
    ASSERT_EQ(i, r.premiereBulles) << "the bubbles follow the last shake";
    const std::uint64_t refreshes = s[i].debut - s[debutSecousses].debut;
    EXPECT_EQ(refreshes, 4u * paires);
    const double duree = refreshes * kRafraichissementMs;
    EXPECT_GE(duree + kRafraichissementMs, 4500.0);
    EXPECT_LT(duree, 4500.0 + 2 * 4 * kRafraichissementMs + kRafraichissementMs + 2);

    // The bubbles: every bubble at its x centre in the first frame, then all
    // moved by the same wobble (trunc(10 sin 0.8) = 7) and 6 rows up.
    const size_t b = r.premiereBulles;
    EXPECT_EQ(s[b + 1].hash, Hash(ImageBulles(p, 7, 6)));
    EXPECT_NE(s[b].hash, r.hashBulles);
    // Ten seconds of frames, then the last one stands for a second.
    const size_t finBulles = r.LongueApres(b);
    ASSERT_NE(finBulles, SIZE_MAX);
    const double dureeBulles = (s[finBulles].debut - s[b].debut) * kRafraichissementMs;
    EXPECT_GE(dureeBulles, 10000.0 - 2 * kRafraichissementMs);
    EXPECT_LE(dureeBulles, 10000.0);
    EXPECT_EQ(finBulles - b, s[finBulles].debut - s[b].debut);  // a new picture every refresh
    // A viewer sees the bubbles at a glance: in every frame at least half the
    // pixels they change move by 24 or more (8-bit) in some channel, and in
    // nine frames of ten they change 5 % of the screen or more, among them
    // the 44th frame, the one the whole production shows at 60.17 s.
    const int cinqPourCent = 640 * 480 / 20;
    int grandes = 0;
    for (size_t k = b; k < finBulles; ++k) {
        const Ecarts& e = r.ecarts[k];
        EXPECT_GE(2 * e.forts, e.changes) << "bubble frame " << k - b << ", median " << e.mediane;
        grandes += e.changes >= cinqPourCent;
    }
    EXPECT_GE(10 * grandes, 9 * static_cast<int>(finBulles - b));
    const Ecarts& e = r.ecarts[b + 43];
    EXPECT_GE(e.changes, cinqPourCent);
    EXPECT_GE(2 * e.forts, e.changes);

    // The swirl: the screen ends on the background wherever the mask's value
    // was reached (at most 65500), the last bubble frame elsewhere, and stands
    // for two seconds.
    const Uint16* masque = Pixels(p[Im::DisparitionTourbillon]);
    const Uint16* fond = Pixels(p[Im::Fond]);
    const std::vector<Uint16>& derniereBulles = r.gardees.at(finBulles);
    const Uint16* ecran = Pixels(p.ecran);
    int mauvais = 0, atteints = 0;
    for (int k = 0; k < 640 * 480; ++k) {
        const bool atteint = masque[k] <= 65500;
        atteints += atteint;
        mauvais += ecran[k] != (atteint ? fond[k] : derniereBulles[k]);
    }
    EXPECT_GT(atteints, 640 * 400);
    EXPECT_EQ(mauvais, 0);
    EXPECT_EQ(Hash(std::vector<Uint16>(ecran, ecran + 640 * 480)), s.back().hash);
    EXPECT_GE(s.back().longueur, 120u);

    r.Sauve(40, "bulles_ecoulement");
    EXPECT_TRUE(
        SauvePixelsPNG(DossierTrames() + "/bulles_premiere.png", premiere.data(), 640, 480));
    r.Sauve(b + 40, "bulles_refraction");
    r.Sauve(r.milieuDissolution, "bulles_tourbillon");
}

TEST(SceneBulles, KeyInTheBubbleLoopEndsItAfterThatFrameAndTheSceneGoesOn) {
    // 15 s lies inside the bubble loop (it starts after about 9 to 11 s).
    ConfigMachine config;
    config.evenements = {{15000, ToucheEnfoncee()}};
    Production p(config);
    PoseTitre(p);
    Releve r(p, Hash(ImageBulles(p, 0, 0)));
    SceneBulles(p.ecran, &p.catalogue);
    TermineMachine();
    const auto& s = r.series;
    ASSERT_NE(r.premiereBulles, SIZE_MAX);
    ASSERT_LT(s[r.premiereBulles].debut * kRafraichissementMs, 15000.0);
    // The frame shown at 15 s (refresh 900) is the last one: it stands for the
    // one-second wait, and the frame before it was a bubble frame too.
    const size_t fin = r.LongueApres(r.premiereBulles);
    ASSERT_NE(fin, SIZE_MAX);
    EXPECT_EQ(s[fin].debut, 900u);
    EXPECT_EQ(s[fin - 1].debut, 899u);
    EXPECT_GE(s[fin].longueur, 60u);
    // The dissolve and the last wait follow: the background shows where the
    // mask starts dark.
    const Uint16* masque = Pixels(p[Im::DisparitionTourbillon]);
    int atteints = 0, mauvais = 0;
    for (int k = 0; k < 640 * 480; ++k) {
        if (masque[k] > 65500) continue;
        ++atteints;
        mauvais += Pixels(p.ecran)[k] != Pixels(p[Im::Fond])[k];
    }
    EXPECT_GT(atteints, 0);
    EXPECT_EQ(mauvais, 0);
    EXPECT_GE(s.back().longueur, 120u);
}

TEST(SceneBulles, ShakeLoopsEndOnceTheirTimeHasPassed) {
    // On a machine refreshed every millisecond a shake pair lasts 4 ms, so
    // each loop can overrun its limit by less than 4 ms: the two loops
    // together last 4500 ms and at most two pairs more.
    ConfigMachine config;
    config.frequenceNum = 1000;
    Production p(config);
    PoseTitre(p);
    const Uint16* bulles = Pixels(p[Im::Bulles]);
    const std::vector<Uint16> premiere = ImageBulles(p, 0, 0);
    auto rang = [](const Uint16* px, int y) { return px + y * 640; };
    auto memeRang = [](const Uint16* a, const Uint16* b) { return std::equal(a, a + 640, b); };
    std::uint64_t debutSecousses = 0, premiereBulles = 0, descentes = 0;
    ObserveTrames([&](std::uint64_t index, const Uint16* px, int, int) {
        if (premiereBulles != 0) return;
        if (debutSecousses == 0) {
            // The whole underwater picture: the first frame of the first shake.
            if (std::equal(px, px + 640 * 480, bulles)) debutSecousses = index;
            return;
        }
        if (memeRang(rang(px, 105), rang(bulles, 100)) &&
            memeRang(rang(px, 305), rang(bulles, 300))) {
            ++descentes;
        } else if (std::equal(px, px + 640 * 480, premiere.data())) {
            premiereBulles = index;
        }
    });
    SceneBulles(p.ecran, &p.catalogue);
    ObserveTrames(nullptr);
    ASSERT_NE(debutSecousses, 0u);
    ASSERT_NE(premiereBulles, 0u);
    // Each pair shows the picture 5 rows down for two of its four refreshes.
    const std::uint64_t paires = descentes / 2;
    EXPECT_GE(4 * paires, 4500u);
    EXPECT_LT(4 * paires, 4500u + 2 * 4);
    // Between the shakes only the loops' clock reads pass (1 ms each here).
    const std::uint64_t duree = premiereBulles - debutSecousses;
    EXPECT_GE(duree, 4 * paires);
    EXPECT_LE(duree, 4 * paires + 4);
}

TEST(SceneBulles, KeyDuringTheDrainEndsOnlyTheDrain) {
    // The flash is over after about 0.7 s and the drain lasts at least 3.2 s.
    ConfigMachine config;
    config.evenements = {{1500, ToucheEnfoncee()}};
    Production p(config);
    PoseTitre(p);
    Releve r(p, Hash(ImageBulles(p, 0, 0)));
    SceneBulles(p.ecran, &p.catalogue);
    TermineMachine();
    const auto& s = r.series;
    // The drain's last frame is the first shown at or after the key, and it
    // stands for the one-second wait: strips of the title still hang there.
    const size_t fin = r.LongueApres(13);
    ASSERT_NE(fin, SIZE_MAX);
    EXPECT_EQ(s[fin].debut, 90u);  // 1500 ms
    EXPECT_FALSE(std::equal(r.gardees.at(fin).begin(), r.gardees.at(fin).begin() + 640 * 256,
                            r.bulles.begin()));
    // The whole underwater picture is drawn before the shakes all the same,
    // and the rest of the scene plays.
    EXPECT_EQ(s[fin + 1].classe, 'B');
    EXPECT_NE(r.premiereBulles, SIZE_MAX);
    EXPECT_GE(s.back().longueur, 120u);
}

}  // namespace
