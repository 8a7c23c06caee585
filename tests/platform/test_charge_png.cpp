// The PNG reader of the builds without SDL_image against the real SDL_image:
// every picture of the production and one PNG of each other kind give the
// same surface, byte for byte, with the same format, palette and key.
#include <gtest/gtest.h>
#include <png.h>

#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "charge_png.h"
#include "outils_tests.h"

namespace {

namespace fs = std::filesystem;

// A PNG of the given kind, its samples a pattern that uses every bit.
struct Sorte {
    const char* nom;
    int type;
    int profondeur;
    int transparence;  // 0 none, 1 one keyed entry or colour, 2 several alphas
    bool entrelace;
};

std::string EcritPNG(const std::string& dossier, const Sorte& s) {
    const int w = 13, h = 7;
    const std::string chemin = dossier + "/" + s.nom + ".png";
    FILE* f = std::fopen(chemin.c_str(), "wb");
    if (!f) return chemin;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, w, h, s.profondeur, s.type,
                 s.entrelace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const int entrees = 1 << std::min(s.profondeur, 8);
    if (s.type == PNG_COLOR_TYPE_PALETTE) {
        std::vector<png_color> couleurs(entrees);
        for (int i = 0; i < entrees; ++i) {
            couleurs[i] = {png_byte(i * 37), png_byte(255 - i * 11), png_byte(i * i)};
        }
        png_set_PLTE(png, info, couleurs.data(), entrees);
        std::vector<png_byte> alphas(entrees, 255);
        if (s.transparence >= 1) alphas[entrees / 2] = 0;
        if (s.transparence == 2) alphas[1] = 128;
        if (s.transparence) png_set_tRNS(png, info, alphas.data(), entrees, nullptr);
    } else if (s.transparence) {
        png_color_16 cle{};
        cle.red = cle.gray = png_uint_16(((1 << s.profondeur) - 1) / 3);
        cle.green = 200;
        cle.blue = 7;
        png_set_tRNS(png, info, nullptr, 0, &cle);
    }
    png_write_info(png, info);
    const int echantillons = png_get_channels(png, info) * w;
    const int octetsLigne = (echantillons * s.profondeur + 7) / 8;
    std::vector<png_byte> ligne(octetsLigne);
    const int passes = png_set_interlace_handling(png);
    for (int p = 0; p < passes; ++p) {
        for (int y = 0; y < h; ++y) {
            for (int i = 0; i < octetsLigne; ++i) ligne[i] = png_byte(y * 71 + i * 29 + 5);
            png_write_row(png, ligne.data());
        }
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return chemin;
}

// Compares every field of the surfaces a caller can see, and every pixel.
void CompareSurfaces(const std::string& chemin) {
    SCOPED_TRACE(chemin);
    SDL_Surface* attendue = IMG_Load(chemin.c_str());
    SDL_Surface* lue = ChargePNG(chemin.c_str());
    ASSERT_NE(attendue, nullptr) << IMG_GetError();
    ASSERT_NE(lue, nullptr) << SDL_GetError();
    const SDL_PixelFormat* a = attendue->format;
    const SDL_PixelFormat* l = lue->format;
    EXPECT_EQ(lue->flags, attendue->flags);
    EXPECT_EQ(lue->w, attendue->w);
    EXPECT_EQ(lue->h, attendue->h);
    EXPECT_EQ(lue->pitch, attendue->pitch);
    EXPECT_EQ(l->BitsPerPixel, a->BitsPerPixel);
    EXPECT_EQ(l->BytesPerPixel, a->BytesPerPixel);
    EXPECT_EQ(l->Rmask, a->Rmask);
    EXPECT_EQ(l->Gmask, a->Gmask);
    EXPECT_EQ(l->Bmask, a->Bmask);
    EXPECT_EQ(l->Amask, a->Amask);
    EXPECT_EQ(l->colorkey, a->colorkey);
    EXPECT_EQ(l->alpha, a->alpha);
    ASSERT_EQ(l->palette == nullptr, a->palette == nullptr);
    if (a->palette) {
        ASSERT_EQ(l->palette->ncolors, a->palette->ncolors);
        for (int i = 0; i < a->palette->ncolors; ++i) {
            const SDL_Color& ca = a->palette->colors[i];
            const SDL_Color& cl = l->palette->colors[i];
            EXPECT_TRUE(ca.r == cl.r && ca.g == cl.g && ca.b == cl.b) << "palette entry " << i;
        }
    }
    if (lue->pitch == attendue->pitch && lue->h == attendue->h) {
        const int octets = attendue->w * a->BytesPerPixel;
        int lignesFausses = 0;
        for (int y = 0; y < attendue->h; ++y) {
            const Uint8* pa = static_cast<const Uint8*>(attendue->pixels) + y * attendue->pitch;
            const Uint8* pl = static_cast<const Uint8*>(lue->pixels) + y * lue->pitch;
            if (std::memcmp(pa, pl, octets) != 0) ++lignesFausses;
        }
        EXPECT_EQ(lignesFausses, 0);
    }
    SDL_FreeSurface(attendue);
    SDL_FreeSurface(lue);
}

TEST(ChargePNG, GivesTheSurfacesOfSdlImage) {
    int images = 0;
    for (const auto& e : fs::directory_iterator(std::string(KAZZMOT_TEST_DATAS) + "/Images")) {
        if (e.path().extension() != ".png") continue;
        CompareSurfaces(e.path().string());
        ++images;
    }
    EXPECT_EQ(images, 74);

    DonneesTemporaires donnees(false);
    const std::string dossier = donnees.Chemin("Images");
    const Sorte sortes[] = {
        {"rvb", PNG_COLOR_TYPE_RGB, 8, 0, false},
        {"rvb-entrelace", PNG_COLOR_TYPE_RGB, 8, 0, true},
        {"rvb16-cle", PNG_COLOR_TYPE_RGB, 16, 1, false},
        {"rvba", PNG_COLOR_TYPE_RGB_ALPHA, 8, 0, false},
        {"rvba16", PNG_COLOR_TYPE_RGB_ALPHA, 16, 0, false},
        {"palette4", PNG_COLOR_TYPE_PALETTE, 4, 0, false},
        {"palette8-cle", PNG_COLOR_TYPE_PALETTE, 8, 1, false},
        {"palette2-alphas", PNG_COLOR_TYPE_PALETTE, 2, 2, false},
        {"gris1", PNG_COLOR_TYPE_GRAY, 1, 0, false},
        {"gris8", PNG_COLOR_TYPE_GRAY, 8, 0, false},
        {"gris4-cle", PNG_COLOR_TYPE_GRAY, 4, 1, false},
        {"gris-alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8, 0, false},
    };
    for (const Sorte& s : sortes) CompareSurfaces(EcritPNG(dossier, s));
}

TEST(ChargePNG, RefusesWhatIsNotAWholePng) {
    DonneesTemporaires donnees(true);
    std::string entier;
    {
        FILE* f = std::fopen(donnees.Chemin("Images/Cinema.png").c_str(), "rb");
        ASSERT_NE(f, nullptr);
        char bloc[4096];
        for (size_t n; (n = std::fread(bloc, 1, sizeof bloc, f)) > 0;) entier.append(bloc, n);
        std::fclose(f);
    }
    const struct {
        const char* nom;
        std::string contenu;
        const char* message;
    } cas[] = {
        {"vide.png", "", "not a PNG"},
        {"texte.png", "GIF89a, not at all a PNG file", "not a PNG"},
        {"coupe.png", entier.substr(0, entier.size() / 2), "PNG"},
        {"entete.png", entier.substr(0, 40), "PNG"},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.nom);
        donnees.Ecrit(std::string("Images/") + c.nom, c.contenu);
        SDL_SetError("none");
        EXPECT_EQ(ChargePNG(donnees.Chemin(std::string("Images/") + c.nom).c_str()), nullptr);
        EXPECT_NE(std::string(SDL_GetError()).find(c.message), std::string::npos) << SDL_GetError();
    }
    EXPECT_EQ(ChargePNG(donnees.Chemin("Images/absente.png").c_str()), nullptr);
    EXPECT_NE(std::string(SDL_GetError()).find("absente.png"), std::string::npos);
}

}  // namespace
