// Loading pictures: display format, colour keys, the catalogue and its
// requirements, and every way a picture can be missing or unfit.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <SDL_image.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
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
    // The installed data folder from the program's folder, whatever the depth
    // of the program's folder under the prefix.
    struct Cas {
        const char *programme, *bindir, *datadir, *donnees;
    };
    const Cas kInstalles[] = {
        {"/usr/games/", "games", "share/games/kazzmot", "/usr/share/games/kazzmot/"},
        {"/opt/k/lib/kazzmot/bin/", "lib/kazzmot/bin", "share/kazzmot", "/opt/k/share/kazzmot/"},
        {"/opt/k/lib/kazzmot/bin/", "./lib//kazzmot/bin/", "share/kazzmot/",
         "/opt/k/share/kazzmot/"},
        {"/home/u/jeu/", "", "donnees", "/home/u/donnees/"},
        {"/home/u/jeu/", "games", "/srv/kazzmot", "/srv/kazzmot/"},
        {"", "games", "share/games/kazzmot", ""},
    };
    for (const Cas& c : kInstalles) {
        SCOPED_TRACE(std::string(c.programme) + " " + c.bindir);
        EXPECT_EQ(DossierInstalle(c.programme, c.bindir, c.datadir), c.donnees);
    }
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

// Announced pictures are decoded ahead while others load: a picture
// rewritten after that (even in place, its times put back), or loaded again
// in a later run, is loaded as the file is when asked.
TEST_F(Images, APictureIsLoadedAsItsFileIsWhenAskedFor) {
    DonneesTemporaires donnees(false);
    EcritImage(donnees, "A.png", 1, 1, {0xFFFF});
    EcritImage(donnees, "B.png", 1, 1, {0xF800});
    const char* const noms[] = {"A.png", "B.png"};
    struct Cas {
        Uint16 couleur;
        bool tempsRemis;  // modification time put back after the rewrite
    };
    for (const Cas& cas : {Cas{0x001F, false}, Cas{0x07E0, true}, Cas{0x001F, true}}) {
        SCOPED_TRACE(cas.couleur);
        AnnonceImages(noms, 2);
        StructImage_t* a = ChargeImage("A.png", 0, 0, 0, 0);
        usleep(100000);  // time for B to be decoded ahead
        struct stat avant;
        ASSERT_EQ(stat(donnees.Chemin("Images/B.png").c_str(), &avant), 0);
        EcritImage(donnees, "B.png", 1, 1, {cas.couleur});
        if (cas.tempsRemis) {
            struct stat apres;
            ASSERT_EQ(stat(donnees.Chemin("Images/B.png").c_str(), &apres), 0);
            // Same file, same size: only the status change time tells.
            ASSERT_EQ(apres.st_ino, avant.st_ino);
            ASSERT_EQ(apres.st_size, avant.st_size);
            const struct timespec temps[2] = {avant.st_atim, avant.st_mtim};
            ASSERT_EQ(utimensat(AT_FDCWD, donnees.Chemin("Images/B.png").c_str(), temps, 0), 0);
        }
        StructImage_t* b = ChargeImage("B.png", 0, 0, 0, 0);
        EXPECT_EQ(Pixel(b, 0, 0), cas.couleur);
        for (StructImage_t* i : {a, b}) {
            LibereImage(i);
            std::free(i);
        }
    }
}

// A picture decoded ahead is handed over already in the screen's layout; it
// must give the same words as SDL's own conversion of the file loaded when
// asked for, every channel byte's low bits included.
TEST_F(Images, APictureDecodedAheadHasTheWordsOfOneLoadedWhenAskedFor) {
    DonneesTemporaires donnees(false);
    const int w = 256, h = 4;
    {
        FILE* f = std::fopen(donnees.Chemin("Images/Octets.png").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_init_io(png, f);
        png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<png_byte> ligne(w * 3);
        for (int y = 0; y < h; ++y) {
            // Rows: each channel alone through every byte, then all three mixed.
            for (int x = 0; x < w; ++x) {
                for (int c = 0; c < 3; ++c) {
                    ligne[x * 3 + c] =
                        static_cast<png_byte>(y == c   ? x
                                              : y == 3 ? (x * (37 + 60 * c) + 11 * c) & 255
                                                       : 0);
                }
            }
            png_write_row(png, ligne.data());
        }
        png_write_end(png, info);
        png_destroy_write_struct(&png, &info);
        ASSERT_EQ(std::fclose(f), 0);
    }
    StructImage_t* demandee = ChargeImage("Octets.png", 0, 0, 0, 0);
    const char* const noms[] = {"Octets.png"};
    AnnonceImages(noms, 1);
    usleep(200000);  // time for it to be decoded ahead
    StructImage_t* avance = ChargeImage("Octets.png", 0, 0, 0, 0);
    AnnonceImages(noms, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            ASSERT_EQ(Pixel(avance, x, y), Pixel(demandee, x, y)) << x << "," << y;
        }
    }
    EXPECT_EQ(Pixel(avance, 255, 0), 0xF800);
    EXPECT_EQ(Pixel(avance, 7, 0), 0x0000);  // top bits kept, not rounded
    EXPECT_EQ(Pixel(avance, 8, 0), 0x0800);
    for (StructImage_t* i : {demandee, avance}) {
        LibereImage(i);
        std::free(i);
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

// Each way a picture can fail ends the program with status 1 and one message
// that names the file and says what was expected. `Abime` spoils the private
// copy of the data, then the whole catalogue is loaded; it ends with status 0
// when the catalogue loads and nobody holds the named pipe Images/zz.png open
// (only the catalogue's files are read). A hang ends it by its alarm.
template <typename Abime>
void ChargeCatalogueAbime(Abime abime) {
    alarm(120);
    DonneesTemporaires donnees;
    abime(donnees);
    OuvreEcranTest();
    Catalogue catalogue;
    ChargeCatalogue(&catalogue);
    const int tube = open(donnees.Chemin("Images/zz.png").c_str(), O_WRONLY | O_NONBLOCK);
    if (tube >= 0) {
        std::fprintf(stderr, "zz.png is being read\n");
        close(tube);
        std::_Exit(5);
    }
    std::exit(0);
}

// A plain picture of the given size, to put in place of a catalogue picture.
void Remplace(const DonneesTemporaires& donnees, const std::string& nom, int w, int h) {
    EcritImage(donnees, nom, w, h, std::vector<Uint16>(static_cast<size_t>(w) * h, 0x1234));
}

// How many lines of `texte` hold `motif`.
int Lignes(const std::string& texte, const std::string& motif) {
    std::istringstream lignes(texte);
    int n = 0;
    for (std::string l; std::getline(lignes, l);) n += l.find(motif) != std::string::npos;
    return n;
}

// One message per failure: one line names a picture, and libpng's error
// (after its warnings) comes at most once.
testing::Matcher<const std::string&> UnSeulMessage(const std::string& message) {
    return testing::Truly([message](const std::string& sortie) {
        return Lignes(sortie, message) == 1 && Lignes(sortie, "Datas/Images/") == 1 &&
               Lignes(sortie, "libpng error") <= 1;
    });
}

const char kCorrompu[] = "\x89PNG\r\n\x1a\nnot really a picture";

TEST(ImagesFatales, EachUnfitPictureStopsTheProgramNamingItsFile) {
    namespace fs = std::filesystem;
    using Abime = void (*)(const DonneesTemporaires&);
    struct Cas {
        const char* nom;
        Abime abime;
        int statut;
        const char* message;  // for status 0: what must not be said
    };
    const Cas kCas[] = {
        {"missing", [](const DonneesTemporaires& d) { fs::remove(d.Chemin("Images/Arc.png")); }, 1,
         "Impossible de charger l'image Datas/Images//Arc.png: "},
        {"corrupt, libpng's error said once",
         [](const DonneesTemporaires& d) { d.Ecrit("Images/Woman.png", kCorrompu); }, 1,
         "Impossible de charger l'image Datas/Images//Woman.png"},
        {"corrupt, asked for first, before any thread decoded it",
         [](const DonneesTemporaires& d) { d.Ecrit("Images/Orbo.png", kCorrompu); }, 1,
         "Impossible de charger l'image Datas/Images//Orbo.png"},
        {"a named pipe in its place, never opened",
         [](const DonneesTemporaires& d) {
             fs::remove(d.Chemin("Images/Cinema.png"));
             mkfifo(d.Chemin("Images/Cinema.png").c_str(), 0600);
         },
         1,
         "Impossible de charger l'image Datas/Images//Cinema.png: ce n'est pas un fichier "
         "ordinaire"},
        {"files the production does not use: a pipe and a corrupt picture",
         [](const DonneesTemporaires& d) {
             mkfifo(d.Chemin("Images/zz.png").c_str(), 0600);
             d.Ecrit("Images/Aaa.png", kCorrompu);
         },
         0, "png"},
#if defined(__GLIBC__)
        // No thread can be made (a process limit): every picture is decoded
        // on the loading thread, and the loading ends as usual.
        {"no thread to be had",
         [](const DonneesTemporaires&) {
             pthread_attr_t attr;
             pthread_attr_init(&attr);
             pthread_attr_setstacksize(&attr, size_t{1} << 46);
             pthread_setattr_default_np(&attr);
         },
         0, "terminate"},
#endif
        {"wrongly sized", [](const DonneesTemporaires& d) { Remplace(d, "Orbo.png", 320, 200); }, 1,
         "Orbo.png : taille 640x480 attendue, 320x200 trouvee"},
        {"odd width",
         [](const DonneesTemporaires& d) { Remplace(d, "SpriteBullesPetit.png", 33, 10); }, 1,
         "SpriteBullesPetit.png : largeur paire attendue, 33 trouvee"},
        {"ramp mask narrower than the title logo",
         [](const DonneesTemporaires& d) { Remplace(d, "Kazzmot.png", 700, 10); }, 1,
         "RampeMasque.png : largeur d'au moins 700 attendue (celle de Kazzmot.png)"},
        {"ramp mask narrower than the screen",
         [](const DonneesTemporaires& d) { Remplace(d, "RampeMasque.png", 600, 480); }, 1,
         "RampeMasque.png : largeur d'au moins 640 attendue, 600 trouvee"},
        // Blitted through the screen's rectangle: they must cover the screen.
        {"ramp one row short",
         [](const DonneesTemporaires& d) { Remplace(d, "RampeTotal.png", 640, 479); }, 1,
         "RampeTotal.png : hauteur d'au moins 480 attendue, 479 trouvee"},
        {"film frame one column short",
         [](const DonneesTemporaires& d) { Remplace(d, "Cinema.png", 639, 480); }, 1,
         "Cinema.png : largeur d'au moins 640 attendue, 639 trouvee"},
        {"old set of one pixel",
         [](const DonneesTemporaires& d) { Remplace(d, "OldTV.png", 1, 1); }, 1,
         "OldTV.png : largeur d'au moins 640 attendue, 1 trouvee"},
        {"end frame a quarter of the screen",
         [](const DonneesTemporaires& d) { Remplace(d, "Fin.png", 320, 240); }, 1,
         "Fin.png : largeur d'au moins 640 attendue, 320 trouvee"},
        {"title support of one pixel",
         [](const DonneesTemporaires& d) { Remplace(d, "Support2.png", 1, 1); }, 1,
         "Support2.png : largeur d'au moins 640 attendue, 1 trouvee"},
        {"title support shorter than the letters' band",
         [](const DonneesTemporaires& d) { Remplace(d, "Support2.png", 640, 239); }, 1,
         "Support2.png : hauteur d'au moins 240 attendue, 239 trouvee"},
    };
    for (const Cas& c : kCas) {
        SCOPED_TRACE(c.nom);
        if (c.statut == 0) {
            EXPECT_EXIT(ChargeCatalogueAbime(c.abime), ExitedWithCode(0),
                        testing::Not(HasSubstr(c.message)));
        } else {
            EXPECT_EXIT(ChargeCatalogueAbime(c.abime), ExitedWithCode(c.statut),
                        UnSeulMessage(c.message));
        }
    }
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
