// The forged pictures meet what the production's scenes rely on: catalogue
// order and sizes, and the layouts that follow from the sizes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "test_images_commun.h"

using forge_test::Image;
using forge_test::Recueil;

TEST(ImagesCatalogue, AllPicturesForgedInSlotOrderWithTheirTableSizesAndEvenWidths) {
    const forge::Recueil& r = Recueil();
    ASSERT_EQ(r.images.size(), size_t(forge::kNombreImages));
    const forge::EntreeCatalogue* cat = forge::Catalogue();
    for (int i = 0; i < forge::kNombreImages; ++i) {
        const forge::ImageForgee& im = r.images[i];
        EXPECT_EQ(im.nom, cat[i].nom) << "slot " << i + 1;
        EXPECT_EQ(im.largeur, cat[i].largeur) << im.nom;
        EXPECT_EQ(im.hauteur, cat[i].hauteur) << im.nom;
        EXPECT_EQ(im.cle, cat[i].cle) << im.nom;
        EXPECT_EQ(im.largeur % 2, 0) << im.nom << " rows are read as words of the width";
        EXPECT_EQ(im.rvb.size(), size_t(im.largeur) * im.hauteur * 3) << im.nom;
    }
    // A few slots whose place the loader relies on.
    EXPECT_STREQ(cat[0].nom, "Orbo");
    EXPECT_STREQ(cat[13].nom, "Cinema");
    EXPECT_STREQ(cat[46].nom, "Molkar01");
    EXPECT_STREQ(cat[66].nom, "Molkar21");
    EXPECT_STREQ(cat[73].nom, "FondSW");
    EXPECT_EQ(cat[14].cle, forge::Cle::Blanc);  // Cercle
    EXPECT_EQ(cat[28].cle, forge::Cle::Noir);   // TV
    EXPECT_EQ(cat[38].cle, forge::Cle::Blanc);  // Fin
}

TEST(ImagesCatalogue, ScreenSizedPicturesAreScreenSized) {
    for (const char* nom : {"Orbo", "DisparitionTourbillon", "Fond", "Bulles", "Cinema",
                            "RampeTotal", "Fin", "OldTV", "FondSW"}) {
        EXPECT_EQ(Image(nom).largeur, 640) << nom;
        EXPECT_EQ(Image(nom).hauteur, 480) << nom;
    }
}

TEST(ImagesCatalogue, CountdownDigitsShareTheSizeOfTheFiveAndFitTheScreen) {
    const forge::ImageForgee& cinq = Image("Decompte5");
    for (int c = 0; c <= 4; ++c) {
        const std::string nom = "Decompte" + std::to_string(c);
        EXPECT_EQ(Image(nom.c_str()).largeur, cinq.largeur) << nom;
        EXPECT_EQ(Image(nom.c_str()).hauteur, cinq.hauteur) << nom;
    }
    EXPECT_LE(cinq.largeur, 640);
    EXPECT_LE(cinq.hauteur, 480);
    EXPECT_LT(Image("Cercle").largeur, 640);
    EXPECT_LT(Image("Cercle").hauteur, 480);
    // The ring lands anywhere from the screen's left edge to its right one:
    // even there its ink stays off the leader's perforated strips (columns
    // dark from top to bottom but for their holes).
    const forge::ImageForgee& fond = Image("Cinema");
    const forge::ImageForgee& cercle = Image("Cercle");
    std::vector<bool> sombre(640), bande(640);
    for (int x = 0; x < 640; ++x) {
        int n = 0;
        for (int y = 0; y < 480; ++y) {
            const forge_test::Rvb8 p = forge_test::Pixel(fond, x, y);
            n += p.r + p.g + p.b < 150;
        }
        sombre[size_t(x)] = n > 240;
    }
    for (int x = 0; x < 640 && sombre[size_t(x)]; ++x) bande[size_t(x)] = true;
    for (int x = 639; x >= 0 && sombre[size_t(x)]; --x) bande[size_t(x)] = true;
    EXPECT_TRUE(bande[0] && bande[639]) << "no strips";
    // The sweep over the upper right quarter reads clearly darker than the
    // same place mirrored on the left.
    double balaye = 0, miroir = 0;
    for (double a = -1.3; a < -0.2; a += 0.01)
        for (int r = 60; r < 170; r += 3) {
            const int x = int(320 + r * std::cos(a)), y = int(240 + r * std::sin(a));
            const forge_test::Rvb8 p = forge_test::Pixel(fond, x, y);
            const forge_test::Rvb8 q = forge_test::Pixel(fond, 640 - x, y);
            balaye += p.r + p.g + p.b;
            miroir += q.r + q.g + q.b;
        }
    EXPECT_LT(balaye, miroir * 0.82) << "sweep too faint";
    for (const int gauche : {0, 640 - cercle.largeur})
        for (int y = 0; y < cercle.hauteur; ++y)
            for (int x = 0; x < cercle.largeur; ++x) {
                const bool encre = !forge_test::EstBlanc(forge_test::Pixel(cercle, x, y));
                ASSERT_FALSE(encre && bande[size_t(gauche + x)])
                    << "ring on the strip at " << gauche + x;
            }
}

TEST(ImagesCatalogue, TitleLettersRowIsCentredUnderTheLogoAndLandsOnTheStage) {
    const int pas = Image("K").largeur;
    for (const char* l : {"A", "Z", "M", "O", "T"}) {
        EXPECT_EQ(Image(l).largeur, pas) << l;
        // Fall from -h to 234 - h: the letter must fit above row 234.
        EXPECT_LE(Image(l).hauteur, 234) << l;
    }
    const int logo = Image("Kazzmot").largeur;
    const int x0 = (640 - logo) / 2 - 5;
    // The row spans x0 .. x0 + 7 pitches; its middle is the screen's middle.
    EXPECT_LE(std::abs(2 * x0 + 7 * pas - 640), 2) << "logo " << logo << ", pitch " << pas;
    EXPECT_GE(x0, 0);
    EXPECT_LE(x0 + 7 * pas, 640);
    // The mask is at least as wide as the screen and as the logo.
    EXPECT_GE(Image("RampeMasque").largeur, 640);
    EXPECT_GE(Image("RampeMasque").largeur, logo);
    // The stage covers the landing row but leaves the ramp visible below it.
    const forge::ImageForgee& scene = Image("Support2");
    EXPECT_GT(scene.hauteur, 233);
    EXPECT_LT(scene.hauteur, 480);
    EXPECT_EQ(scene.largeur, 640);
}

TEST(ImagesCatalogue, TelevisionProgrammesFitTheMonitors) {
    EXPECT_EQ(Image("TV").largeur, 290);
    EXPECT_EQ(Image("TV").hauteur, 230);
    for (const char* nom : {"Coper1", "Coper2", "Coper3", "Coper4"}) {
        EXPECT_EQ(Image(nom).largeur, 250) << nom;
        EXPECT_LT(Image(nom).hauteur, 177 / 4) << nom;
    }
    for (const char* nom : {"DiableTV", "Tableau1", "Tableau2"}) {
        EXPECT_EQ(Image(nom).largeur, 250) << nom;
        EXPECT_EQ(Image(nom).hauteur, 177) << nom;
    }
    // Scroll text: the loop draws width / 2 frames, about 40 s at 60 per second.
    const forge::ImageForgee& texte = Image("ScrollText");
    const int images = (texte.largeur + 1) / 2;
    EXPECT_GE(images, 38 * 60);
    EXPECT_LE(images, 42 * 60);
    // Both copies, at y and 2y with y = 10 sin + (177 - h) / 4, stay inside the
    // monitor for every phase. The letters (the lit pixels; the black that
    // hides the copy behind is not lettering) are about 70 rows tall, a size
    // the monitor holds with room round it, in the middle of the strip, so
    // the front copy stays in the monitor's middle rows.
    const int hs = texte.hauteur, ls = texte.largeur;
    const auto allume = [&](int x, int y) {
        const forge_test::Rvb8 p = forge_test::Pixel(texte, x, y);
        return texte.forme[size_t(y) * ls + x] && p.r + p.g + p.b > 24;
    };
    int haut = hs, bas = 0;
    for (int y = 0; y < hs; ++y)
        for (int x = 0; x < ls; ++x)
            if (allume(x, y)) {
                haut = std::min(haut, y);
                bas = std::max(bas, y);
            }
    EXPECT_GE(bas - haut + 1, 60) << "the letters are too small to read";
    EXPECT_LE(bas - haut + 1, 90) << "the letters are too big for the monitor";
    EXPECT_NEAR((haut + bas) / 2.0, hs / 2.0, 6);
    const int base = (177 - hs) / 4;
    int premiere = 177, derniere = 0;
    for (double phase = 0; phase < 2 * M_PI; phase += 0.01) {
        const int y = int(10 * std::sin(phase) + base);
        EXPECT_GE(y, 0);
        EXPECT_LE(2 * y + hs, 177) << "phase " << phase;
        premiere = std::min(premiere, y + haut);
        derniere = std::max(derniere, 2 * y + bas);
    }
    EXPECT_GE(premiere, 8) << "the letters touch the top of the monitor";
    EXPECT_LE(derniere, 177 - 8) << "the letters touch the bottom of the monitor";
    // The line reads once: at every offset the front copy's shown pixels
    // cover each lit pixel of the copy behind, over the text's columns.
    for (int y = int(base - 10); y <= int(base + 10); ++y) {
        int fantomes = 0, lettres = 0;
        for (int r = y; r < y + hs; ++r)
            for (int x = 0; x < ls; x += 2) {
                if (!allume(x, r - y)) continue;
                ++lettres;
                const int devant = r - 2 * y;
                if (devant < 0 || !texte.forme[size_t(devant) * ls + x]) ++fantomes;
            }
        ASSERT_GT(lettres, 0);
        EXPECT_LE(fantomes, lettres / 1000) << "the copy behind shows above the line at y " << y;
    }
}

TEST(ImagesCatalogue, CrawlTextIsScreenWideAndLastsAboutThirtySeconds) {
    const forge::ImageForgee& texte = Image("GenSW");
    EXPECT_EQ(texte.largeur, 640);
    ASSERT_GE(texte.hauteur, 480);
    const int images = (texte.hauteur - 480 + 2) / 3;
    EXPECT_GE(images, 28 * 60);
    EXPECT_LE(images, 32 * 60);
}

TEST(ImagesCatalogue, CreditsLabelsAndNamesShowThroughTheClosingFrame) {
    const forge::ImageForgee& fin = Image("Fin");
    for (const char* nom : {"ImgKabo", "ImgDolo"}) {
        EXPECT_LE(Image(nom).hauteur, 345) << nom;
        EXPECT_LE(Image(nom).largeur, 640) << nom;
    }
    for (int i = 1; i <= 21; ++i) {
        char nom[16];
        std::snprintf(nom, sizeof nom, "Molkar%02d", i);
        EXPECT_EQ(Image(nom).largeur, Image("ImgKabo").largeur) << nom;
        EXPECT_EQ(Image(nom).hauteur, Image("ImgKabo").hauteur) << nom;
    }
    EXPECT_EQ(Image("ImgDolo").largeur, Image("ImgKabo").largeur);
    EXPECT_EQ(Image("ImgDolo").hauteur, Image("ImgKabo").hauteur);
    // Every shown pixel of a label at (10, 345) and of a name at (label width +
    // 30, 390) lies on the screen where the frame is clear.
    for (const char* label : {"Code", "Zic", "Gfx"}) {
        const forge::ImageForgee& l = Image(label);
        for (const char* nom : {"Kabo", "Dolo"}) {
            const forge::ImageForgee& n = Image(nom);
            const struct {
                const forge::ImageForgee* im;
                int x, y;
            } poses[] = {{&l, 10, 345}, {&n, l.largeur + 30, 390}};
            for (const auto& p : poses) {
                ASSERT_LE(p.x + p.im->largeur, 640) << p.im->nom;
                ASSERT_LE(p.y + p.im->hauteur, 480) << p.im->nom;
                int caches = 0;
                for (int y = 0; y < p.im->hauteur; ++y)
                    for (int x = 0; x < p.im->largeur; ++x)
                        if (p.im->forme[size_t(y) * p.im->largeur + x] &&
                            fin.forme[size_t(p.y + y) * 640 + p.x + x])
                            ++caches;
                EXPECT_EQ(caches, 0) << p.im->nom << " pixels hidden by the frame";
            }
        }
    }
    // The band's blur drops each channel one step a pass: green (6 bits)
    // twice as slowly in light as red and blue. Labels and names keep their
    // green under half their red or blue, so the band fades through its own
    // hues, but for one row of at least 12 white pixels in each name, which
    // holds the blur to its 63 passes in every block. Each word fills its
    // picture, nine tenths of its height and more of its width, so that it
    // reads large before the smear; a label from row 5 down only, as its
    // rows above the blurred band (350) would stay on screen as slivers.
    // The words are bright: a word's red or blue lasts a pass per step, so
    // a good share of its pixels starts near full.
    const int horsFlou = 350 - 345;
    for (const char* nom : {"Code", "Zic", "Gfx", "Kabo", "Dolo"}) {
        const forge::ImageForgee& im = Image(nom);
        const bool estNom = std::string(nom) == "Kabo" || std::string(nom) == "Dolo";
        int verts = 0, montres = 0, plusLongue = 0, clairs = 0;
        int x0 = im.largeur, x1 = -1, y0 = im.hauteur, y1 = -1;
        for (int y = 0; y < im.hauteur; ++y) {
            int suite = 0;
            for (int x = 0; x < im.largeur; ++x) {
                const size_t i = size_t(y) * im.largeur + x;
                const forge_test::Rvb8 p = forge_test::Pixel(im, x, y);
                suite = im.forme[i] && p.g >= 252 ? suite + 1 : 0;
                plusLongue = std::max(plusLongue, suite);
                if (!im.forme[i]) continue;
                ++montres;
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
                verts += p.g > std::max(p.r, p.b) * 0.5 + 8;
                clairs += std::max(p.r, p.b) >= 200;
            }
        }
        EXPECT_LT(verts, montres / 50) << nom << " would leave a green smear";
        EXPECT_GE(x1 - x0 + 1, im.largeur * 0.93) << nom << " is narrower than its picture allows";
        const int libres = estNom ? 0 : horsFlou;
        EXPECT_GE(y0, libres) << nom << " would leave slivers above the blurred band";
        EXPECT_GE(y1 - y0 + 1, (im.hauteur - libres) * 0.88)
            << nom << " is shorter than its picture allows";
        EXPECT_GE(clairs, montres * (estNom ? 0.55 : 0.35)) << nom << " is too dark to last";
        if (estNom)
            EXPECT_GE(plusLongue, 12) << nom << ": the blur would end early";
        else
            EXPECT_LT(plusLongue, 12) << nom;
    }
}

TEST(ImagesCatalogue, GreetingsStackInsideTheTelevisionScreen) {
    const forge::ImageForgee& tv = Image("OldTV");
    int y = 55;
    const char* pages[] = {"Greets", "Wozz", "Slik", "Brenn"};
    for (int i = 0; i < 4; ++i) {
        const forge::ImageForgee& im = Image(pages[i]);
        if (i > 0) y += im.hauteur + 10;
        const int x = (640 - im.largeur) >> 1;
        ASSERT_GE(x, 0) << pages[i];
        ASSERT_LE(y + im.hauteur, 480) << pages[i];
        int caches = 0;
        for (int j = 0; j < im.hauteur; ++j)
            for (int k = 0; k < im.largeur; ++k)
                if (im.forme[size_t(j) * im.largeur + k] && tv.forme[size_t(y + j) * 640 + x + k])
                    ++caches;
        EXPECT_EQ(caches, 0) << pages[i] << " pixels covered by the television frame";
        if (i == 3) y += im.hauteur;
    }
    // The heading does not reach into the first name.
    EXPECT_LE(Image("Greets").hauteur, Image("Wozz").hauteur + 10);
    // The screen ends at most 26 rows under the last name: below, the set's
    // controls, its stand and the shelf fill the screen (no keyed pixel), and
    // the shelf along the bottom 40 rows takes the neon's magenta, amber and
    // cyan.
    int cles = 0, teintes[3] = {0, 0, 0};
    for (int j = y + 26; j < 480; ++j)
        for (int k = 0; k < 640; ++k) {
            cles += !tv.forme[size_t(j) * 640 + k];
            const forge_test::Rvb8 c = forge_test::Pixel(tv, k, j);
            if (j < 440) continue;
            teintes[0] += c.r > c.g + 60 && c.b > c.g + 60;
            teintes[1] += c.r > c.b + 80 && c.g > c.b + 40;
            teintes[2] += c.b > c.r + 60 && c.g > c.r + 40;
        }
    EXPECT_EQ(cles, 0) << "an empty band of screen under the names";
    for (int t = 0; t < 3; ++t)
        EXPECT_GE(teintes[t], 200) << "neon colour " << t << " off the shelf";
}

TEST(ImagesCatalogue, AnimationFramesAllDifferAndLoop) {
    for (int i = 1; i <= 21; ++i) {
        char a[16], b[16];
        std::snprintf(a, sizeof a, "Molkar%02d", i);
        std::snprintf(b, sizeof b, "Molkar%02d", i % 21 + 1);
        EXPECT_NE(Image(a).rvb, Image(b).rvb) << a << " and " << b << " are the same frame";
    }
}
