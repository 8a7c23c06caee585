// How the pictures are drawn: the finishing step's arithmetic, and placement
// properties of the art that the scenes make visible.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "test_images_commun.h"

using forge_test::Image;
using forge_test::Pixel;

namespace {

// Ink box (shown pixels) of a keyed picture.
struct Boite {
    int x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
};
Boite Encre(const forge::ImageForgee& im) {
    Boite b;
    for (int y = 0; y < im.hauteur; ++y)
        for (int x = 0; x < im.largeur; ++x)
            if (im.forme[size_t(y) * im.largeur + x]) {
                b.x0 = std::min(b.x0, x);
                b.y0 = std::min(b.y0, y);
                b.x1 = std::max(b.x1, x);
                b.y1 = std::max(b.y1, y);
            }
    return b;
}

double Ecart(const forge::ImageForgee& a, const forge::ImageForgee& b) {
    double s = 0;
    for (size_t i = 0; i < a.rvb.size(); ++i) s += std::abs(int(a.rvb[i]) - int(b.rvb[i]));
    return s / a.rvb.size();
}

}  // namespace

TEST(ImagesDessins, Every565ValueSurvivesTheRoundTripThroughEightBits) {
    std::vector<uint16_t> tous(65536);
    for (int v = 0; v < 65536; ++v) tous[v] = uint16_t(v);
    const forge::ImageForgee im = forge::ImageDepuis565("tous", 256, 256, forge::Cle::Aucune, tous);
    for (int v = 0; v < 65536; ++v) {
        ASSERT_EQ(forge::Valeur565(im, v % 256, v / 256), v);
        // Truncating the 8-bit channels gives back the 5-6-5 value, as the
        // display conversion does.
        const forge_test::Rvb8 p = Pixel(im, v % 256, v / 256);
        ASSERT_EQ(((p.r >> 3) << 11) | ((p.g >> 2) << 5) | (p.b >> 3), v);
    }
}

TEST(ImagesDessins, DitherThresholdsAreSixtyFourDistinctLevelsCentredOnAHalf) {
    std::set<double> niveaux;
    double somme = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const double t = forge::SeuilTrame(x, y);
            EXPECT_GT(t, 0.0);
            EXPECT_LT(t, 1.0);
            EXPECT_EQ(t, forge::SeuilTrame(x + 8, y + 16)) << "the matrix repeats every 8";
            niveaux.insert(t);
            somme += t;
        }
    EXPECT_EQ(niveaux.size(), 64u);
    EXPECT_NEAR(somme / 64, 0.5, 1e-9);
}

TEST(ImagesDessins, EdgesAreBlendedWithTheColourThePictureIsSeenOver) {
    // A half-covered white square edge over a red matte gives pink.
    forge::Toile toile(8, 8);
    cairo_rectangle(toile.cr, 0, 0, 4.5, 8);
    cairo_set_source_rgb(toile.cr, 1, 1, 1);
    cairo_fill(toile.cr);
    forge::Finition f;
    f.cle = forge::Cle::Noir;
    f.fond = forge::Rvb(255, 0, 0);
    const forge::ImageForgee im = forge::Finit(toile, "bord", f);
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(Pixel(im, 0, y).r, 255);
        EXPECT_EQ(Pixel(im, 0, y).g, 255);
        const forge_test::Rvb8 bord = Pixel(im, 4, y);
        EXPECT_EQ(bord.r, 255) << "row " << y;
        EXPECT_NEAR(bord.g, 128, 8) << "row " << y;
        EXPECT_TRUE(forge_test::EstNoir(Pixel(im, 6, y))) << "row " << y;
    }
}

TEST(ImagesDessins, RandomNumbersAreFixedByTheSeed) {
    forge::Alea a(forge::GraineDe("Cinema")), b(forge::GraineDe("Cinema"));
    forge::Alea c(forge::GraineDe("Cercle"));
    int pareils = 0;
    for (int i = 0; i < 1000; ++i) {
        const uint32_t x = a.Suivant();
        ASSERT_EQ(x, b.Suivant());
        if (x == c.Suivant()) ++pareils;
    }
    EXPECT_LT(pareils, 5) << "two pictures share their grain";
    double somme = 0;
    for (int i = 0; i < 10000; ++i) {
        const double u = a.Uniforme();
        ASSERT_GE(u, 0.0);
        ASSERT_LT(u, 1.0);
        somme += u;
    }
    EXPECT_NEAR(somme / 10000, 0.5, 0.02);
}

TEST(ImagesDessins, CountdownDigitsAreCentredInTheirPictures) {
    for (int c = 0; c <= 5; ++c) {
        const std::string nom = "Decompte" + std::to_string(c);
        const forge::ImageForgee& im = Image(nom.c_str());
        const Boite b = Encre(im);
        ASSERT_GE(b.x1, 0) << nom << " is empty";
        EXPECT_NEAR((b.x0 + b.x1) / 2.0, im.largeur / 2.0, 12) << nom;
        EXPECT_NEAR((b.y0 + b.y1) / 2.0, im.hauteur / 2.0, 12) << nom;
        EXPECT_GT(b.y1 - b.y0, im.hauteur * 3 / 4) << nom << " is too small to read";
    }
    // What lands somewhere new on every frame is dirt in the gate, not a
    // second sight beside the leader's fixed cross-hair: no ring of ink
    // runs round the middle of its picture.
    const forge::ImageForgee& sale = Image("Cercle");
    int anneau = 0;
    for (int i = 0; i < 360; ++i)
        for (const double r : {15.0, 19.0, 23.0}) {
            const int x = int(60 + r * std::cos(i * M_PI / 180));
            const int y = int(60 + r * std::sin(i * M_PI / 180));
            anneau += sale.forme[size_t(y) * sale.largeur + x];
        }
    EXPECT_LT(anneau, 200) << "a ring jumps about the leader";
}

TEST(ImagesDessins, TitleLogoAndLettersFillTheirBoxes) {
    // The logo spans its width so that the letter row lines up under it; each
    // letter fills its pitch so that the row reads as one word.
    const Boite logo = Encre(Image("Kazzmot"));
    EXPECT_LE(logo.x0, 10);
    EXPECT_GE(logo.x1, Image("Kazzmot").largeur - 10);
    for (const char* l : {"K", "A", "Z", "M", "O", "T"}) {
        const forge::ImageForgee& im = Image(l);
        const Boite b = Encre(im);
        EXPECT_GT(b.x1 - b.x0, im.largeur * 3 / 4) << l;
        // The letter stands on the bottom of its picture (it lands on row 233),
        // on a dark shadow that spreads under and beside its foot there.
        EXPECT_GE(b.y1, im.hauteur - 6) << l;
        int ombre = 0;
        for (int y = im.hauteur - 4; y < im.hauteur; ++y)
            for (int x = 0; x < im.largeur; ++x) {
                const forge_test::Rvb8 p = Pixel(im, x, y);
                ombre += im.forme[size_t(y) * im.largeur + x] && p.r + p.g + p.b < 30;
            }
        EXPECT_GT(ombre, im.largeur) << l << " casts no shadow at its foot";
        // The shadow is opaque and whole: along each of its rows no keyed
        // pixel is left between its first and last dark pixels.
        int trous = 0;
        for (int y = im.hauteur - 4; y < im.hauteur; ++y) {
            int premier = -1, dernier = -1, cles = 0;
            for (int x = 0; x < im.largeur; ++x)
                if (im.forme[size_t(y) * im.largeur + x]) {
                    if (premier < 0) premier = x;
                    dernier = x;
                }
            for (int x = std::max(0, premier); x < dernier; ++x)
                cles += !im.forme[size_t(y) * im.largeur + x];
            trous += cles;
        }
        EXPECT_EQ(trous, 0) << l << ": the shadow at its foot is dithered into the key";
        // The light runs along the slanted bevels as a line, not as a chain
        // of dots: hardly a pixel is a lone bright dot, 30 levels over both
        // its neighbours across and both above and below.
        const auto luma = [&](int x, int y) {
            const forge_test::Rvb8 p = Pixel(im, x, y);
            return (299 * p.r + 587 * p.g + 114 * p.b) / 1000;
        };
        int points = 0;
        for (int y = 1; y + 1 < im.hauteur; ++y)
            for (int x = 1; x + 1 < im.largeur; ++x) {
                const int v = luma(x, y) - 30;
                points += v > std::max(luma(x - 1, y), luma(x + 1, y)) &&
                          v > std::max(luma(x, y - 1), luma(x, y + 1));
            }
        EXPECT_LT(points, 3) << l << ": dotted highlights along its bevels";
    }
}

TEST(ImagesDessins, ScrollTextEntersFromTheRightAndCrawlFromTheBottom) {
    const forge::ImageForgee& texte = Image("ScrollText");
    const Boite b = Encre(texte);
    EXPECT_GE(b.x0, 250) << "the first frame would start in the middle of the text";
    EXPECT_GT(b.x1, texte.largeur - 330) << "the strip ends long before its last frame";
    const forge::ImageForgee& crawl = Image("GenSW");
    const Boite c = Encre(crawl);
    EXPECT_GE(c.y0, 480) << "text visible in the first crawl frame";
    EXPECT_GT(c.y1, crawl.hauteur - 600) << "the crawl ends on a long empty stretch";
    // The crawl's body lines, runs of inked rows between 16 and 60 rows tall
    // (lifted accents and the comma's tail stand apart below 16, headings above
    // 60), all share one height, so that a farther line is never the larger;
    // and every accent, a run under 16 rows, stands clear of its capital.
    // An accent sits just over its letter: at most 2 clear rows under it.
    // On the far rows the crawl keeps one column in 4.5 (the top row's 142 of
    // 640): there the body lines' letters, drawn squat and spaced out, still
    // stand apart: the middle rows of the lines keep 19 runs of ink in 20
    // of those they show whole, and in runs 4 samples wide on average, not
    // slivers. Yet a word space stays near twice the gap between letters:
    // in a line's middle row the widest gap is under 3.2 times the median.
    std::vector<int> corps;
    int accents = 0, ecartAccent = 0, finAccent = -1, entieres = 0, serrees = 0, largeur = 0;
    double ecartMots = 0;
    const auto encreEn = [&](int y) {
        for (int x = 0; x < crawl.largeur; ++x)
            if (crawl.forme[size_t(y) * crawl.largeur + x]) return true;
        return false;
    };
    for (int y = 0, debut = -1; y < crawl.hauteur; ++y) {
        const bool encre = encreEn(y);
        if (encre && debut < 0) {
            debut = y;
            if (finAccent >= 0) ecartAccent = std::max(ecartAccent, y - finAccent);
            finAccent = -1;
        }
        if (encre || debut < 0) continue;
        const int hauteur = y - debut, milieu = (debut + y) / 2;
        debut = -1;
        // The accents lifted over a heading's capitals are not a line.
        int suite = y;
        while (suite < crawl.hauteur && !encreEn(suite)) ++suite;
        int fin = suite;
        while (fin < crawl.hauteur && encreEn(fin)) ++fin;
        const bool surTitre = suite - y <= 2 && fin - suite > 60;
        if (hauteur >= 16 && hauteur <= 60 && !surTitre) {
            corps.push_back(hauteur);
            const uint8_t* ligne = &crawl.forme[size_t(milieu) * crawl.largeur];
            for (int x = 0; x < crawl.largeur; ++x) entieres += ligne[x] && (!x || !ligne[x - 1]);
            std::vector<int> trous;
            for (int x = 1, bord = -1; x < crawl.largeur; ++x) {
                if (!ligne[x] && ligne[x - 1]) bord = x;
                if (ligne[x] && !ligne[x - 1] && bord >= 0) trous.push_back(x - bord);
            }
            if (trous.size() >= 6) {
                std::sort(trous.begin(), trous.end());
                ecartMots = std::max(ecartMots, double(trous.back()) / trous[trous.size() / 2]);
            }
            const long long pas = (640LL * 65536) / 142;
            for (int k = 0, avant = 0; k < 142; ++k) {
                const int v = ligne[((k + 1) * pas) >> 16] != 0;
                serrees += v && !avant;
                largeur += v;
                avant = v;
            }
        }
        if (hauteur >= 4 && hauteur < 16) ++accents, finAccent = y;
    }
    ASSERT_GE(corps.size(), 30u) << "body lines run together";
    const auto [bas, haut] = std::minmax_element(corps.begin(), corps.end());
    EXPECT_LE(*haut - *bas, 5) << "body lines set at different sizes";
    EXPECT_GE(accents, 15) << "accents touching their capitals";
    EXPECT_LE(ecartAccent, 2) << "an accent floats over its letter";
    EXPECT_GE(serrees * 20, entieres * 19) << "letters run together on the far rows";
    EXPECT_GE(largeur, 4 * serrees) << "stems break into slivers on the far rows";
    EXPECT_LE(ecartMots, 3.2) << "the words fall apart";
}

TEST(ImagesDessins, AnimationLoopsWithoutAJump) {
    // The closing frame's window over the animation opens at this row.
    const forge::ImageForgee& fin = Image("Fin");
    int fenetre = 0;
    while (fenetre < fin.hauteur && fin.forme[size_t(fenetre) * 640 + 320]) ++fenetre;
    double pire = 0;
    char a[16], b[16];
    for (int i = 1; i <= 21; ++i) {
        std::snprintf(a, sizeof a, "Molkar%02d", i);
        std::snprintf(b, sizeof b, "Molkar%02d", i % 21 + 1);
        if (i < 21) pire = std::max(pire, Ecart(Image(a), Image(b)));
        // The ring is whole in every frame: the sky (one tone a row, give or
        // take the grain and a few stars) shows for at least 10 rows inside the window above
        // it, and its first row is a narrow cap, not a straight cut.
        const forge::ImageForgee& im = Image(a);
        int haut = -1, largeurHaut = 0, largeurMax = 0;
        for (int y = 0; y < 250; ++y) {
            const forge_test::Rvb8 ciel = Pixel(im, 4, y);
            // Runs of 4 pixels off the sky's tone: the ring, not a star.
            int x0 = 640, x1 = -1, suite = 0;
            for (int x = 0; x < 640; ++x) {
                const forge_test::Rvb8 p = Pixel(im, x, y);
                const bool ecart =
                    std::abs(p.r - ciel.r) + std::abs(p.g - ciel.g) + std::abs(p.b - ciel.b) >= 40;
                suite = ecart ? suite + 1 : 0;
                if (suite < 4) continue;
                x0 = std::min(x0, x - 3);
                x1 = std::max(x1, x);
            }
            if (x1 < 0) continue;
            if (haut < 0) {
                haut = y;
                largeurHaut = x1 - x0 + 1;
            }
            largeurMax = std::max(largeurMax, x1 - x0 + 1);
        }
        ASSERT_GE(haut, 0) << a << " shows no ring";
        // No rim mixes with the amber into a green fringe, and the ring
        // throws a pool of light on the grid beside its shadow: the floor
        // there is lighter than at the picture's edge on the same rows.
        // The ring is chrome: it mirrors the cyan sky on its upper half and
        // the sunset's gold under it, and shows a hot highlight.
        int verts = 0, cyans = 0, ors = 0, chauds = 0;
        double flaque = 0, bordSol = 0;
        for (int y = 0; y < im.hauteur; ++y)
            for (int x = 0; x < 640; ++x) {
                const forge_test::Rvb8 p = Pixel(im, x, y);
                verts += p.g > std::max(p.r, p.b) + 12;
                if (y < 250 && x >= 120 && x < 520) {
                    cyans += p.b > 200 && p.g > 150 && p.r < 150;
                    ors += p.r > 220 && p.g > 140 && p.b < 140;
                    chauds += p.r > 240 && p.g > 225 && p.b > 180;
                }
                if (y < 295 || y >= 315) continue;
                if (x >= 110 && x < 190) flaque += p.r + p.g + p.b;
                if (x < 40) bordSol += p.r + p.g + p.b;
            }
        EXPECT_EQ(verts, 0) << a << ": green pixels on the ring";
        EXPECT_GE(cyans, 1500) << a << ": the ring mirrors no sky";
        EXPECT_GE(ors, 150) << a << ": the ring mirrors no sunset";
        EXPECT_GE(chauds, 20) << a << ": the ring has no highlight";
        EXPECT_GT(flaque / 80, 1.25 * bordSol / 40) << a << ": no light under the ring";
        EXPECT_GE(haut - fenetre, 10) << a << ": the ring touches the top of the window";
        EXPECT_LT(largeurHaut * 4, largeurMax) << a << ": the ring's top is cut flat";
    }
    const double boucle = Ecart(Image("Molkar21"), Image("Molkar01"));
    EXPECT_GT(boucle, 0.0);
    EXPECT_LE(boucle, pire * 1.5) << "frame 21 does not lead back into frame 1";
}

TEST(ImagesDessins, HarbourPicturesShowOnePlaceByDayAndByNight) {
    const forge::ImageForgee& jour = Image("Tableau1");
    const forge::ImageForgee& nuit = Image("Tableau2");
    double lumJour = 0, lumNuit = 0;
    for (int y = 0; y < 177; ++y)
        for (int x = 0; x < 250; ++x) {
            const forge_test::Rvb8 p = Pixel(jour, x, y), q = Pixel(nuit, x, y);
            lumJour += p.r + p.g + p.b;
            lumNuit += q.r + q.g + q.b;
        }
    EXPECT_GT(lumJour, 2 * lumNuit) << "the night is not darker than the day";
    // Same lighthouse lantern in both, lit at night.
    const forge_test::Rvb8 lanterne = Pixel(nuit, 213, 65);
    EXPECT_GT(lanterne.r + lanterne.g, 400);
    // The lighthouse's tower is turned round under the sun (or the moon) on
    // its left: its left third is brighter than its right one, in each.
    for (const forge::ImageForgee* im : {&jour, &nuit}) {
        double gauche = 0, droite = 0;
        for (int y = 74; y < 116; ++y)
            for (int x = 0; x < 4; ++x) {
                const forge_test::Rvb8 p = Pixel(*im, 208 + x, y), q = Pixel(*im, 215 + x, y);
                gauche += p.r + p.g + p.b;
                droite += q.r + q.g + q.b;
            }
        EXPECT_GT(gauche, 1.2 * droite) << (im == &jour ? "day" : "night");
    }
    // The programmes are in the house palette: violet to cyan, plum to
    // magenta and amber, both sides in each (the devil's cyan rim light);
    // nothing of a stock picture's grass green.
    for (const char* nom : {"Tableau1", "Tableau2", "DiableTV"}) {
        const forge::ImageForgee& im = Image(nom);
        int verts = 0, froids = 0, chauds = 0;
        for (int y = 0; y < im.hauteur; ++y)
            for (int x = 0; x < im.largeur; ++x) {
                const forge_test::Rvb8 p = Pixel(im, x, y);
                verts += p.g > std::max(p.r, p.b) + 24;
                froids += p.b > p.r + 60 && p.g > 120;
                chauds += p.r > p.b + 60 && p.r > 180;
            }
        EXPECT_EQ(verts, 0) << nom;
        EXPECT_GT(froids, 150) << nom << ": no cyan light";
        EXPECT_GT(chauds, 150) << nom << ": no warm light";
    }
}

TEST(ImagesDessins, CrawlRestsOnItsFarewellOverAPlanetWhoseRingPassesBehindIt) {
    // The crawl draws ceil((h - 480) / 3) frames, 3 rows apart, and holds the
    // last: the farewell, the text's last line, lies whole in that frame,
    // below its top hundred rows where the span is too narrow to read.
    const forge::ImageForgee& texte = Image("GenSW");
    const int dernier = 3 * ((texte.hauteur - 480 + 2) / 3 - 1);
    int fin = -1, debut = -1;
    for (int y = texte.hauteur - 1; y >= 0; --y) {
        bool encre = false;
        for (int x = 0; x < texte.largeur && !encre; ++x)
            encre = texte.forme[size_t(y) * texte.largeur + x] != 0;
        if (encre && fin < 0) fin = y;
        if (encre) debut = y;
        if (!encre && fin >= 0 && debut - y > 40) break;
    }
    ASSERT_GE(fin, 0);
    EXPECT_GE(debut, dernier + 100) << "the farewell is cut off or squeezed at the top";
    EXPECT_LE(fin, dernier + 440) << "the farewell is cut off at the bottom";
    EXPECT_GE(fin - debut, 60) << "the farewell is too small";
    // Its pieces, 4-connected, inked and clear: the A and the two bowls of the
    // B (in the first third) and the O (in the last) keep open counters, no two letters close a gap
    // between them, and the grave accent, the leftmost piece standing over the cap line, runs down
    // to the right at least 1.5 columns a row so that it still leans on the crawl's narrowed rows.
    {
        const int l = texte.largeur, y0 = debut - 1, h = fin - debut + 3;
        std::vector<int> piece(size_t(l) * h, -1);
        std::vector<std::vector<int>> pieces;
        for (int depart = 0; depart < l * h; ++depart) {
            if (piece[depart] >= 0) continue;
            const uint8_t sorte = texte.forme[size_t(y0 + depart / l) * l + depart % l];
            const int n = int(pieces.size());
            pieces.emplace_back();
            std::vector<int> pile{depart};
            piece[depart] = n;
            while (!pile.empty()) {
                const int i = pile.back();
                pile.pop_back();
                pieces[n].push_back(i);
                const int x = i % l, y = i / l;
                for (const int j : {x > 0 ? i - 1 : -1, x + 1 < l ? i + 1 : -1, y > 0 ? i - l : -1,
                                    y + 1 < h ? i + l : -1})
                    if (j >= 0 && piece[j] < 0 &&
                        texte.forme[size_t(y0 + j / l) * l + j % l] == sorte) {
                        piece[j] = n;
                        pile.push_back(j);
                    }
            }
        }
        int contrepoincons = 0, gauche = 0, droite = 0, grave = -1, graveX = l;
        size_t plusPetit = size_t(l) * h;
        for (const std::vector<int>& p : pieces) {
            const bool encre = texte.forme[size_t(y0 + p[0] / l) * l + p[0] % l] != 0;
            int x0 = l, x1 = 0, ya = h, yb = 0;
            for (const int i : p) {
                x0 = std::min(x0, i % l), x1 = std::max(x1, i % l);
                ya = std::min(ya, i / l), yb = std::max(yb, i / l);
            }
            if (!encre && x0 > 0 && x1 < l - 1 && ya > 0 && yb < h - 1 && p.size() >= 20) {
                ++contrepoincons;
                gauche += 3 * x1 < l;
                droite += 3 * x0 > 2 * l;
                plusPetit = std::min(plusPetit, p.size());
            }
            if (encre && yb < (fin - debut) * 0.3 && p.size() >= 100 && x0 < graveX) {
                graveX = x0;
                grave = int(&p - pieces.data());
            }
        }
        EXPECT_EQ(contrepoincons, 4) << "counters missing, or letters joined round a gap";
        EXPECT_EQ(gauche, 3) << "the A's and the B's counters";
        EXPECT_EQ(droite, 1) << "the O's counter";
        EXPECT_GE(plusPetit, 150u) << "a counter closed up to a notch";
        ASSERT_GE(grave, 0) << "no accent over the farewell";
        double haut[3] = {0, 0, 0}, bas[3] = {0, 0, 0};  // count, sum of x, sum of y
        int ya = h, yb = 0;
        for (const int i : pieces[grave]) ya = std::min(ya, i / l), yb = std::max(yb, i / l);
        for (const int i : pieces[grave]) {
            double* t = i / l < ya + (yb - ya) / 3   ? haut
                        : i / l > yb - (yb - ya) / 3 ? bas
                                                     : nullptr;
            if (!t) continue;
            t[0] += 1, t[1] += i % l, t[2] += i / l;
        }
        const double pente =
            (bas[1] / bas[0] - haut[1] / haut[0]) / (bas[2] / bas[0] - haut[2] / haut[0]);
        EXPECT_GE(pente, 1.5) << "the grave accent stands upright";
    }

    // The ring's far arc passes behind the planet: drawn without its ring, the
    // background differs nowhere on the disc above its centre, but below it
    // (the near arc crosses the face) and on both sides of the disc.
    const forge::ImageForgee& fond = Image("FondSW");
    const forge::ImageForgee sans = forge::EspaceDefilement(false);
    const forge::Disque p = forge::PlaneteEspace();
    int dessus = 0, dessous = 0, gauche = 0, droite = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            if (forge::Valeur565(fond, x, y) == forge::Valeur565(sans, x, y)) continue;
            const double dx = x + 0.5 - p.x, dy = y + 0.5 - p.y;
            if (std::hypot(dx, dy) <= p.rayon - 1) {  // wholly on the disc
                (dy < 0 ? dessus : dessous)++;
            } else {
                (dx < 0 ? gauche : droite)++;
            }
        }
    }
    EXPECT_EQ(dessus, 0) << "ring pixels on the planet's upper face";
    EXPECT_GT(dessous, 300);
    EXPECT_GT(gauche, 1000);
    EXPECT_GT(droite, 1000);
    // No line of the crawl ever crosses the planet or its ring: screen row r
    // shows text rows r to r + dernier, squeezed into its span, and their ink
    // ends left of the planet's leftmost pixel on that row. The sky round
    // the planet glows magenta and violet, not brown: over the upper right
    // quarter, red and blue both outweigh green.
    {
        std::vector<int> droiteTexte(size_t(texte.hauteur), -1);
        for (int y = 0; y < texte.hauteur; ++y)
            for (int x = 0; x < texte.largeur; ++x)
                if (texte.forme[size_t(y) * texte.largeur + x]) droiteTexte[size_t(y)] = x;
        int croisements = 0;
        double somme[3] = {0, 0, 0};
        for (int r = 0; r < 480; ++r) {
            int bord = 640;
            for (int x = 0; x < 640; ++x)
                if (forge::Valeur565(fond, x, r) != forge::Valeur565(sans, x, r) ||
                    std::hypot(x + 0.5 - p.x, r + 0.5 - p.y) <= p.rayon + 1) {
                    bord = std::min(bord, x);
                } else if (x >= 320 && r < 240) {
                    const forge_test::Rvb8 c = Pixel(fond, x, r);
                    somme[0] += c.r, somme[1] += c.g, somme[2] += c.b;
                }
            if (bord == 640) continue;
            int loin = -1;
            for (int y = r; y <= r + dernier && y < texte.hauteur; ++y)
                loin = std::max(loin, droiteTexte[size_t(y)]);
            const int marge = 250 - (250 * (r + 1) + 239) / 480;
            croisements += loin >= 0 && marge + (loin + 1) * (640 - 2 * marge) / 640 >= bord;
        }
        EXPECT_EQ(croisements, 0) << "rows where the crawl's text runs over the planet";
        EXPECT_GT(somme[0], 2 * somme[1]) << "the sky round the planet is not magenta";
        EXPECT_GT(somme[2], 2 * somme[1]) << "the sky round the planet is not violet";
    }
    // Lit from the right: a terminator leaves the left of the disc in the dark.
    double lumiere[2] = {0, 0};
    for (int y = int(p.y - p.rayon / 2); y < p.y; ++y)
        for (int k = 0; k < 2; ++k)
            for (int x = int(p.x + (k ? 0.3 : -0.9) * p.rayon);
                 x < p.x + (k ? 0.9 : -0.3) * p.rayon; ++x) {
                const forge_test::Rvb8 c = Pixel(sans, x, y);
                lumiere[k] += c.r + c.g + c.b;
            }
    EXPECT_GT(lumiere[1], 3 * lumiere[0]) << "no night side";
}

TEST(ImagesDessins, RoomPosterHangsInTheColumnBetweenTheSetsWithItsLetteringOnIt) {
    // The sets cover the room but for the column between them: the poster
    // lies wholly inside it, and its lettering (the room drawn without it
    // differs only there) stays on the paper, clear of its edges.
    const forge::ImageForgee& fond = Image("Fond");
    const forge::ImageForgee sans = forge::PieceTelevisions(false);
    const forge::Cadre a = forge::AffichePiece();
    const int tv = Image("TV").largeur;
    EXPECT_GE(a.x, tv);
    EXPECT_LE(a.x + a.largeur, 640 - tv);
    EXPECT_GE(a.y, 0);
    EXPECT_LE(a.y + a.hauteur, Image("TV").hauteur) << "the poster reaches below the upper sets";
    int dedans = 0, dehors = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            if (forge::Valeur565(fond, x, y) == forge::Valeur565(sans, x, y)) continue;
            const bool papier =
                x >= a.x + 2 && x < a.x + a.largeur - 2 && y >= a.y + 2 && y < a.y + a.hauteur - 2;
            (papier ? dedans : dehors)++;
        }
    EXPECT_EQ(dehors, 0) << "lettering off the poster or on its edge";
    EXPECT_GT(dedans, 400) << "the poster has hardly any lettering";
    // Each set casts its contact shadow where its feet touch the shelf or
    // the floor: darker there than the same rows out in the column.
    for (int haut : {0, 250}) {
        const int sol = haut + forge::kBasPiedsTV;
        for (int gauche : {0, 350}) {
            double ombre = 0, libre = 0;
            for (int y = sol; y < sol + 2; ++y)
                for (int x = 0; x < forge::kLargeurPiedTV; ++x) {
                    const forge_test::Rvb8 p = Pixel(fond, gauche + forge::kPiedsTV[0] + x, y);
                    const forge_test::Rvb8 q = Pixel(fond, 306 + x, y);
                    ombre += p.r + p.g + p.b;
                    libre += q.r + q.g + q.b;
                }
            EXPECT_LT(ombre, 0.5 * libre) << "no shadow under the set at " << gauche << "," << haut;
        }
    }
    // The group's neon sign lies in the column below the shelf, where it
    // shows between the lower sets (the tube along the ceiling aside).
    int neon = 0;
    for (int y = 16; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const forge_test::Rvb8 p = Pixel(fond, x, y);
            if (p.r < 200 || p.b < 150 || p.g > 150) continue;
            const bool colonne = x >= tv && x < 640 - tv;
            EXPECT_TRUE(colonne) << "neon sign behind a set at " << x << "," << y;
            neon += colonne && y > forge::EtagerePiece();
        }
    EXPECT_GT(neon, 300) << "no neon sign between the sets";
    // The sign's magenta spills onto the floor in front of it (blue over
    // green there, against the plain boards at the room's ends), and the
    // corners, far from every light, lie darker than the wall by the sign.
    const auto moyenne = [&](int x0, int y0, bool magenta) {
        double s = 0;
        for (int y = y0; y < y0 + 10; ++y)
            for (int x = x0; x < x0 + 20; ++x) {
                const forge_test::Rvb8 p = Pixel(fond, x, y);
                s += magenta ? p.b - p.g : p.r + p.g + p.b;
            }
        return s / 200;
    };
    EXPECT_GT(moyenne(310, 458, true), moyenne(0, 458, true) + 25) << "no spill on the floor";
    for (int x : {0, 620})
        for (int y : {14, 470})
            EXPECT_LT(moyenne(x, y, false), 0.6 * moyenne(345, 330, false))
                << "a corner as light as the wall by the sign at " << x << "," << y;
}

namespace {

int Luminance(forge_test::Rvb8 p) {
    return p.r + p.g + p.b;
}

}  // namespace

TEST(ImagesDessins, GreetedNamesGlowRoundTheirLettersOnAScreenThatStaysDark) {
    // The tubes (the brightest pixels) light the screen 4 to 7 pixels round
    // them; further out the glow fades out before the picture's edge, where
    // the key lets the page's black show.
    for (const char* nom : {"Greets", "Wozz", "Slik", "Brenn"}) {
        const forge::ImageForgee& im = Image(nom);
        const int l = im.largeur, h = im.hauteur;
        std::vector<uint8_t> tube(size_t(l) * h, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < l; ++x) {
                const forge_test::Rvb8 p = Pixel(im, x, y);
                tube[size_t(y) * l + x] = std::max({p.r, p.g, p.b}) >= 200;
            }
        int anneau = 0, sombres = 0, bordure = 0, cleBordure = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < l; ++x) {
                int d2 = 1 << 20;
                for (int dy = -10; dy <= 10; ++dy)
                    for (int dx = -10; dx <= 10; ++dx) {
                        const int u = x + dx, v = y + dy;
                        if (u >= 0 && v >= 0 && u < l && v < h && tube[size_t(v) * l + u])
                            d2 = std::min(d2, dx * dx + dy * dy);
                    }
                if (x == 0 || y == 0 || x == l - 1 || y == h - 1) {
                    ++bordure;
                    cleBordure += !im.forme[size_t(y) * l + x];
                }
                if (d2 < 16 || d2 > 49) continue;
                ++anneau;
                if (!im.forme[size_t(y) * l + x] || Luminance(Pixel(im, x, y)) < 40) ++sombres;
            }
        EXPECT_GT(anneau, l * 4) << nom << " has almost no lit tube";
        // The names' tubes have a white-hot core, and their letters stand at
        // least 32 pixels tall on the set, every one a capital whose tube
        // reaches the same top row (each run of lit columns is a letter or,
        // past a stem's gap, part of one).
        if (std::string(nom) != "Greets") {
            int haut = h, bas = -1;
            std::vector<int> sommet(size_t(l), h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < l; ++x) {
                    const forge_test::Rvb8 p = Pixel(im, x, y);
                    if (std::min({p.r, p.g, p.b}) < 235) continue;
                    haut = std::min(haut, y);
                    bas = std::max(bas, y);
                }
            // Columns lit over 3 pixels at least: stray glow pixels aside.
            for (int x = 0; x < l; ++x) {
                int n = 0;
                for (int y = 0; y < h; ++y) n += tube[size_t(y) * l + x];
                for (int y = 0; y < h && n >= 3; ++y)
                    if (tube[size_t(y) * l + x]) {
                        sommet[size_t(x)] = y;
                        break;
                    }
            }
            const int cime = *std::min_element(sommet.begin(), sommet.end());
            EXPECT_GE(bas - haut + 1, 32) << nom << "'s lettering is too small to read";
            int lettre = h, lettres = 0, debut = 0;
            for (int x = 0; x <= l; ++x) {
                if (x < l && sommet[size_t(x)] < h) {
                    if (lettre == h) debut = x;
                    lettre = std::min(lettre, sommet[size_t(x)]);
                    continue;
                }
                if (lettre == h || x - debut < 4) {
                    lettre = h;
                    continue;
                }
                ++lettres;
                EXPECT_LE(lettre - cime, 2) << nom << ": letter " << lettres << " stands short";
                lettre = h;
            }
            EXPECT_GE(lettres, int(std::strlen(nom))) << nom;
        }
        EXPECT_EQ(sombres, 0) << nom << ": pixels 4 to 7 px from a tube left black";
        EXPECT_GT(cleBordure, bordure * 3 / 4) << nom << "'s glow is cut by its picture's edge";
    }
}

TEST(ImagesDessins, TitleStageSlitsStayInTheSunAndTheFloorRecedes) {
    const forge::ImageForgee& scene = Image("Support2");
    const int horizon = forge::kHorizonScene;
    // Round the sun's disc the sky has no dark bands: no pixel there is much
    // darker than the sky 5 and 7 rows above and below it (a star may
    // brighten one of those, not all four).
    int bandes = 0;
    const auto dehors = [&](int x, int y) {
        const double r = std::hypot(x - 320 + 0.5, y - forge::kSoleilHaut + 0.5);
        return r >= forge::kSoleilRayon + 2 && r <= forge::kSoleilRayon + 30;
    };
    for (int y = 7; y < horizon - 7; ++y)
        for (int x = 0; x < 640; ++x) {
            if (!dehors(x, y) || !dehors(x, y - 7) || !dehors(x, y + 7)) continue;
            int autour = 1 << 20;
            for (int dy : {-7, -5, 5, 7})
                autour = std::min(autour, Luminance(Pixel(scene, x, y + dy)));
            if (Luminance(Pixel(scene, x, y)) < autour - 45) ++bandes;
        }
    EXPECT_EQ(bandes, 0) << "slit pixels outside the sun";
    // Inside it the slits cut the lower half.
    const int sy = int(forge::kSoleilHaut), sr = int(forge::kSoleilRayon);
    int coupes = 0;
    for (int y = sy; y < sy + sr - 2; ++y)
        if (Luminance(Pixel(scene, 320, y)) < Luminance(Pixel(scene, 320, sy - sr / 2)) / 2)
            ++coupes;
    EXPECT_GE(coupes, 6) << "the sun has no slits";
    // The sun hangs over the landed word, its disc clear of the letters:
    // across its middle row it is warm and over 80 columns wide, and from
    // 3 rows above the highest letter's top down to the horizon's glowing
    // line no pixel has the disc's red anywhere across the sky.
    int cime = 1 << 20;
    for (const char* l : {"K", "A", "Z", "M", "O", "T"})
        cime = std::min(cime, 235 - Image(l).hauteur + Encre(Image(l)).y0);
    int disque = 0;
    for (int x = 0; x < 640; ++x) {
        const forge_test::Rvb8 p = Pixel(scene, x, sy);
        disque += p.r > 200 && p.g > 120 && p.b < 150;
    }
    EXPECT_GT(disque, 80) << "the sun is too small to hold the sky";
    int cache = 0;
    for (int y = cime - 3; y < horizon - 1; ++y)
        for (int x = 0; x < 640; ++x) cache += Pixel(scene, x, y).r > 200;
    EXPECT_EQ(cache, 0) << "the word covers part of the sun";
    // The floor: at least 60 rows deep, its cross lines (rows brighter than
    // both neighbours across the width) further apart toward the viewer.
    EXPECT_LE(horizon, scene.hauteur - 60);
    std::vector<double> lignes;
    std::vector<double> moyenne(scene.hauteur, 0);
    for (int y = 0; y < scene.hauteur; ++y)
        for (int x = 0; x < 640; ++x) moyenne[y] += Luminance(Pixel(scene, x, y)) / 640.0;
    for (int y = horizon + 2; y < scene.hauteur - 9; ++y)
        if (moyenne[y] > moyenne[y - 1] + 8 && moyenne[y] > moyenne[y + 1] + 8) lignes.push_back(y);
    ASSERT_GE(lignes.size(), 5u) << "no grid on the floor";
    for (size_t i = 2; i < lignes.size(); ++i)
        EXPECT_GE(lignes[i] - lignes[i - 1] + 1, lignes[i - 1] - lignes[i - 2])
            << "cross line at row " << lignes[i] << " breaks the perspective";
    // Over the ramp the stage's floor goes on as the ramp's road: no row
    // across it is a bright band (the ramp's rim is drawn along its edge,
    // not across the floor).
    for (int y = horizon + 2; y < scene.hauteur; ++y) {
        double somme = 0;
        int n = 0;
        for (int x = 0; x < 640; ++x)
            if (forge::HautRampe(x) < scene.hauteur - 6) {
                somme += Luminance(Pixel(scene, x, y));
                ++n;
            }
        ASSERT_GT(n, 100);
        EXPECT_LT(somme / n, 420) << "a bright band across the road at row " << y;
        // The road's bright rim runs unbroken from the stage's front edge up
        // to the sun, and the floor's cross lines stop at it: none shows on
        // the road's opaque body beside the rim (below the horizon's haze,
        // where the rails lie almost level).
        int rebord = 250;
        while (rebord < 420 && Luminance(Pixel(scene, rebord, y)) < 560) ++rebord;
        ASSERT_LT(rebord, 420) << "the road's rim breaks off at row " << y;
        const int x = rebord + 14;
        if (y > horizon + 20 && y + 1 < scene.hauteur &&
            std::find(lignes.begin(), lignes.end(), double(y)) != lignes.end()) {
            EXPECT_LT(
                Luminance(Pixel(scene, x, y)),
                std::max(Luminance(Pixel(scene, x, y - 1)), Luminance(Pixel(scene, x, y + 1))) + 20)
                << "a floor line across the road at row " << y;
        }
    }
}

TEST(ImagesDessins, GroupLogoOpensOnDetailRoundItsCentre) {
    // The centre zoom shows a window of the logo `a` rows tall, growing by 2
    // rows a frame from the single centre pixel, black at first: within a
    // few frames the window must show several colours, not one flat field.
    const forge::ImageForgee& logo = Image("Orbo");
    for (int a = 14; a <= 40; a += 2) {
        const int c = int(640 - a * (640.0 / 480)) >> 1;
        const int pasColonne = ((639 - c) - c) * 256 / 640, pasLigne = a * 256 / 480;
        std::set<uint16_t> couleurs;
        int ligne = ((480 - a) >> 1) * 256;
        for (int i = 0; i < 480; ++i, ligne += pasLigne) {
            int pos = ((ligne >> 8) * 640 + c) * 256;
            for (int j = 0; j < 640; j += 1, pos += pasColonne)
                couleurs.insert(forge::Valeur565(logo, (pos >> 8) % 640, (pos >> 8) / 640));
        }
        EXPECT_GE(couleurs.size(), 3u) << "window " << a << " rows tall";
    }
    // The chrome's horizon is hard: down many columns of the word a dark
    // line lies between the white sky just above it and a bright line just
    // under it, within three rows either side.
    const auto somme = [&](int x, int y) {
        const forge_test::Rvb8 p = Pixel(logo, x, y);
        return p.r + p.g + p.b;
    };
    int horizons = 0;
    for (int x = 40; x < 600; ++x)
        for (int y = 190; y < 290; ++y)
            if (somme(x, y) < 200 &&
                std::max({somme(x, y - 1), somme(x, y - 2), somme(x, y - 3)}) > 600 &&
                std::max({somme(x, y + 1), somme(x, y + 2), somme(x, y + 3)}) > 600) {
                ++horizons;
                break;
            }
    EXPECT_GT(horizons, 120) << "the chrome's horizon is a soft blend";
    // The gold underline runs under the whole word, not from the middle.
    int barre = 0;
    for (int y = 270; y < 340; ++y)
        for (int x = 0, suite = 0; x < 640; ++x) {
            const forge_test::Rvb8 p = Pixel(logo, x, y);
            suite = p.r > 200 && p.g > 140 ? suite + 1 : 0;
            barre = std::max(barre, suite);
        }
    EXPECT_GT(barre, 440) << "the underline stops short of the word";
}

TEST(ImagesDessins, PortraitsTraceWholeBustsRimLitOnTheSunburstSide) {
    // Each bust traced alone: a whole figure standing in the closing frame's
    // window (its top from row 15), no ray slipping through a solid, painted
    // in a palette of 16 to 32 tones, and its outline lit in the rim's colour on the side of
    // the screen and the sunburst: magenta (red and blue over green) on the
    // coder's right, amber (red over blue) on the musician's left. The key
    // light falls from that side too: the face's half toward the sunburst
    // is the brighter.
    for (const bool musicien : {false, true}) {
        forge::Toile toile(640, 340);
        forge::Masque m;
        forge::DessineBuste(&toile, musicien, &m);
        ASSERT_EQ(m.v.size(), size_t(640 * 340));
        cairo_surface_flush(toile.surface);
        const unsigned char* data = cairo_image_surface_get_data(toile.surface);
        const int pas = cairo_image_surface_get_stride(toile.surface);
        const auto pixel = [&](int x, int y) {
            return reinterpret_cast<const uint32_t*>(data + size_t(y) * pas)[x];
        };
        int couverts = 0, trous = 0, haut = 340;
        std::set<uint32_t> tons;
        for (int y = 0; y < 340; ++y)
            for (int x = 0; x < 640; ++x) {
                const float a = m.A(x, y);
                if (a >= 0.5f) {
                    ++couverts;
                    haut = std::min(haut, y);
                }
                if (a >= 0.99f) tons.insert(pixel(x, y) & 0xFFFFFFu);
                if (a >= 0.5f || x == 0 || y == 0 || x == 639 || y == 339) continue;
                bool entoure = true;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (m.A(x + dx, y + dy) < 0.99f && (dx || dy)) entoure = false;
                trous += entoure;
            }
        const char* qui = musicien ? "musician" : "coder";
        EXPECT_GT(couverts, 640 * 340 / 4) << qui;
        EXPECT_LT(couverts, 640 * 340 * 3 / 4) << qui;
        EXPECT_EQ(trous, 0) << qui << ": rays slip through the solids";
        EXPECT_GE(haut, 15) << qui << "'s head is cut by the frame";
        // Painted in a palette of its own: enough tones for its ramps, few
        // enough to read as drawn pixel by pixel.
        EXPECT_GE(tons.size(), 16u) << qui << " is shaded flat";
        EXPECT_LE(tons.size(), 32u) << qui << " is not painted in a palette";
        // The outline's outermost pixels in the head's rows: the screen's
        // side against the other.
        double ecart = 0;
        int lignes = 0;
        for (int y = haut + 4; y < haut + 50; ++y) {
            int x0 = -1, x1 = -1;
            for (int x = 0; x < 640; ++x)
                if (m.A(x, y) >= 0.99f) {
                    if (x0 < 0) x0 = x;
                    x1 = x;
                }
            if (x0 < 0) continue;
            const auto teinte = [&](int x) {
                const uint32_t p = pixel(x, y);
                const int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
                return double(musicien ? r - b : (r + b) / 2 - g);
            };
            ecart += musicien ? teinte(x0) - teinte(x1) : teinte(x1) - teinte(x0);
            ++lignes;
        }
        ASSERT_GT(lignes, 30) << qui;
        EXPECT_GT(ecart / lignes, 40) << qui << ": no rim of the sunburst's colour on its side";
        // The face's rows: the middle half of the head's span (taken above
        // the monitor, clear of the hair's and the headphones' sides)
        // halved, the sunburst's half against the other.
        int x0 = -1, x1 = -1;
        for (int x = 0; x < 640; ++x)
            if (m.A(x, haut + 40) >= 0.99f) {
                if (x0 < 0) x0 = x;
                x1 = x;
            }
        ASSERT_GT(x1 - x0, 60) << qui;
        double soleil = 0, autre = 0;
        for (int y = haut + 70; y < haut + 110; ++y) {
            const int quart = (x1 - x0) / 4;
            for (int x = x0 + quart; x <= x1 - quart; ++x) {
                if (m.A(x, y) < 0.99f) continue;
                const uint32_t p = pixel(x, y);
                const double v = ((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255);
                ((x > (x0 + x1) / 2) != musicien ? soleil : autre) += v;
            }
        }
        EXPECT_GT(soleil, autre * 1.15) << qui << " is lit from the side away from the sunburst";
    }
}
