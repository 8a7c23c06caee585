// The PNG reader: the same libpng transformations as SDL_image 1.2, in the
// same order, so that the surface (and any colour key computed on it) is the
// one that library gives.
#include "charge_png.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#ifdef KAZZMOT_SDL_DU_CACHE
// Built on the cached libraries: their SDL 1.2.15 headers must win over any
// other SDL headers on the path (emcc brings its own).
static_assert(SDL_MAJOR_VERSION == 1 && SDL_MINOR_VERSION == 2 && SDL_PATCHLEVEL == 15,
              "the SDL headers are not those of the cached SDL 1.2.15");
#endif

namespace {

void LitDonnees(png_structp png, png_bytep zone, png_size_t taille) {
    SDL_RWops* src = static_cast<SDL_RWops*>(png_get_io_ptr(png));
    if (SDL_RWread(src, zone, taille, 1) != 1) png_error(png, "file ends too early");
}

void ErreurPNG(png_structp png, png_const_charp message) {
    SDL_SetError("PNG: %s", message);
    std::longjmp(png_jmpbuf(png), 1);
}

void AvertissementPNG(png_structp, png_const_charp) {}

// Everything a longjmp out of libpng must find again.
struct Lecture {
    png_structp png = nullptr;
    png_infop info = nullptr;
    SDL_Surface* surface = nullptr;
    png_bytep* lignes = nullptr;
};

// The body of the reader, apart so that nothing with a destructor lives in
// the frame that setjmp marks.
bool Lit(Lecture* l, SDL_RWops* src) {
    if (setjmp(png_jmpbuf(l->png))) return false;
    png_set_read_fn(l->png, src, LitDonnees);
    png_read_info(l->png, l->info);

    png_uint_32 largeur, hauteur;
    int profondeur, typeCouleur, entrelacement;
    png_get_IHDR(l->png, l->info, &largeur, &hauteur, &profondeur, &typeCouleur, &entrelacement,
                 nullptr, nullptr);

    // 16-bit channels lose their low byte; 1, 2 and 4-bit pixels get a byte
    // each; grey levels below 8 bits are scaled to 0..255.
    png_set_strip_16(l->png);
    png_set_packing(l->png);
    if (typeCouleur == PNG_COLOR_TYPE_GRAY) png_set_expand(l->png);

    // One fully transparent palette entry (all others opaque) becomes the
    // colour key; any other transparency becomes an alpha channel. A
    // transparent colour in a picture without palette is keyed too.
    int cle = -1;
    png_color_16p transparente = nullptr;
    if (png_get_valid(l->png, l->info, PNG_INFO_tRNS)) {
        png_bytep alphas = nullptr;
        int nombre = 0;
        png_get_tRNS(l->png, l->info, &alphas, &nombre, &transparente);
        if (typeCouleur == PNG_COLOR_TYPE_PALETTE) {
            int t = -1;
            int i = 0;
            for (; i < nombre; ++i) {
                if (alphas[i] == 0) {
                    if (t >= 0) break;
                    t = i;
                } else if (alphas[i] != 255) {
                    break;
                }
            }
            if (i == nombre) {
                cle = t;
            } else {
                png_set_expand(l->png);
            }
        } else {
            cle = 0;  // its pixel value is known once the surface exists
        }
    }
    if (typeCouleur == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(l->png);

    png_read_update_info(l->png, l->info);
    png_get_IHDR(l->png, l->info, &largeur, &hauteur, &profondeur, &typeCouleur, &entrelacement,
                 nullptr, nullptr);

    const int canaux = png_get_channels(l->png, l->info);
    Uint32 r = 0, v = 0, b = 0, a = 0;
    if (typeCouleur != PNG_COLOR_TYPE_PALETTE) {
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
        r = 0x000000FF;
        v = 0x0000FF00;
        b = 0x00FF0000;
        a = (canaux == 4) ? 0xFF000000 : 0;
#else
        const int decalage = (canaux == 4) ? 0 : 8;
        r = 0xFF000000 >> decalage;
        v = 0x00FF0000 >> decalage;
        b = 0x0000FF00 >> decalage;
        a = (canaux == 4) ? 0x000000FF : 0;
#endif
    }
    l->surface = SDL_AllocSurface(SDL_SWSURFACE, static_cast<int>(largeur),
                                  static_cast<int>(hauteur), profondeur * canaux, r, v, b, a);
    if (!l->surface) {
        SDL_SetError("PNG: out of memory for a %ux%u picture", largeur, hauteur);
        return false;
    }
    if (cle != -1) {
        if (typeCouleur != PNG_COLOR_TYPE_PALETTE) {
            cle =
                static_cast<int>(SDL_MapRGB(l->surface->format, Uint8(transparente->red),
                                            Uint8(transparente->green), Uint8(transparente->blue)));
        }
        SDL_SetColorKey(l->surface, SDL_SRCCOLORKEY, static_cast<Uint32>(cle));
    }

    l->lignes = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * hauteur));
    if (!l->lignes) {
        SDL_SetError("PNG: out of memory for %u rows", hauteur);
        return false;
    }
    for (png_uint_32 y = 0; y < hauteur; ++y) {
        l->lignes[y] = static_cast<png_bytep>(l->surface->pixels) + y * l->surface->pitch;
    }
    png_read_image(l->png, l->lignes);

    SDL_Palette* palette = l->surface->format->palette;
    if (palette) {
        if (typeCouleur == PNG_COLOR_TYPE_GRAY) {
            palette->ncolors = 256;
            for (int i = 0; i < 256; ++i) {
                palette->colors[i].r = Uint8(i);
                palette->colors[i].g = Uint8(i);
                palette->colors[i].b = Uint8(i);
            }
        } else {
            png_colorp couleurs = nullptr;
            int nombre = 0;
            if (png_get_PLTE(l->png, l->info, &couleurs, &nombre) && nombre > 0) {
                palette->ncolors = nombre;
                for (int i = 0; i < nombre; ++i) {
                    palette->colors[i].b = couleurs[i].blue;
                    palette->colors[i].g = couleurs[i].green;
                    palette->colors[i].r = couleurs[i].red;
                }
            }
        }
    }
    return true;
}

}  // namespace

SDL_Surface* ChargePNG_RW(SDL_RWops* src, int libere) {
    if (!src) return nullptr;  // the opener has said why
    Lecture l;
    bool ok = false;
    png_byte signature[8];
    const int debut = SDL_RWtell(src);
    if (SDL_RWread(src, signature, 1, 8) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        SDL_SetError("not a PNG file (no PNG signature)");
    } else if (SDL_RWseek(src, debut, RW_SEEK_SET) < 0) {
        SDL_SetError("PNG: cannot seek back to the start");
    } else if (!(l.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErreurPNG,
                                                AvertissementPNG))) {
        SDL_SetError("PNG: cannot create the read structure");
    } else if (!(l.info = png_create_info_struct(l.png))) {
        SDL_SetError("PNG: cannot create the information structure");
    } else {
        ok = Lit(&l, src);
    }
    if (l.png) png_destroy_read_struct(&l.png, l.info ? &l.info : nullptr, nullptr);
    std::free(l.lignes);
    if (!ok && l.surface) {
        SDL_FreeSurface(l.surface);
        l.surface = nullptr;
    }
    if (libere) SDL_RWclose(src);
    return ok ? l.surface : nullptr;
}

SDL_Surface* ChargePNG(const char* path) {
    SDL_RWops* src = SDL_RWFromFile(path, "rb");
    if (!src) {
        SDL_SetError("Couldn't open %s", path);
        return nullptr;
    }
    return ChargePNG_RW(src, 1);
}
