// Writing the pictures: 8-bit RGB PNG files through libpng, and the contact
// sheet that shows every picture over a checkerboard.
#include <png.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "forge_images.h"

namespace forge {

namespace {

struct FichierPng {
    FILE* f = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~FichierPng() {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
        if (f) std::fclose(f);
    }
};

bool EcritRvb(const std::string& chemin, int l, int h, const uint8_t* rvb, std::string* erreur) {
    FichierPng fp;
    fp.f = std::fopen(chemin.c_str(), "wb");
    if (!fp.f) {
        *erreur = chemin + ": cannot be written (" + std::strerror(errno) + ")";
        return false;
    }
    fp.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (fp.png) fp.info = png_create_info_struct(fp.png);
    if (!fp.png || !fp.info) {
        *erreur = chemin + ": libpng could not start";
        return false;
    }
    if (setjmp(png_jmpbuf(fp.png))) {
        *erreur = chemin + ": libpng failed while writing";
        return false;
    }
    png_init_io(fp.png, fp.f);
    // zlib's usual compression and no row filter: the pictures are dithered
    // on the 5-6-5 grid, whose grain a filter only turns into more noise, so
    // unfiltered rows compress best (to little more than half the size of
    // the fastest compression with the "up" filter, which the download and
    // the zips feel) and decode fastest (less to inflate, nothing to undo).
    // The strongest level saves 3 % more for twice the forge's time.
    png_set_compression_level(fp.png, 6);
    png_set_filter(fp.png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(fp.png, fp.info, png_uint_32(l), png_uint_32(h), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(fp.png, fp.info);
    for (int y = 0; y < h; ++y) {
        png_write_row(fp.png, const_cast<png_bytep>(rvb + size_t(y) * l * 3));
    }
    png_write_end(fp.png, nullptr);
    if (std::fflush(fp.f) != 0) {
        *erreur = chemin + ": cannot be written (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
}

bool CreeDossier(const std::string& chemin, std::string* erreur) {
    if (mkdir(chemin.c_str(), 0755) == 0 || errno == EEXIST) return true;
    *erreur = chemin + ": cannot create the folder (" + std::strerror(errno) + ")";
    return false;
}

}  // namespace

bool EcritPng(const ImageForgee& image, const std::string& chemin, std::string* erreur) {
    return EcritRvb(chemin, image.largeur, image.hauteur, image.rvb.data(), erreur);
}

bool EcritRecueil(const Recueil& recueil, const std::string& dossier, std::string* erreur) {
    if (!CreeDossier(dossier, erreur)) return false;
    const std::string images = dossier + "/Images";
    if (!CreeDossier(images, erreur)) return false;
    for (const ImageForgee& image : recueil.images) {
        if (!EcritPng(image, images + "/" + image.nom + ".png", erreur)) return false;
    }
    return true;
}

bool EcritPlanche(const Recueil& recueil, const std::string& chemin, std::string* erreur) {
    const int colonnes = 10;
    const int cl = 176, ch = 164, marge = 8, legende = 20;
    const int n = int(recueil.images.size());
    const int lignes = (n + colonnes - 1) / colonnes;
    const int l = colonnes * cl, h = lignes * ch + 40;
    Toile toile(l, h);
    cairo_t* cr = toile.cr;
    DegradeVertical(cr, l, h, {Rvb(20, 18, 36), Rvb(8, 8, 16)});
    cairo_font_face_t* police = Police(kPoliceTexte);
    cairo_set_source_rgb(cr, 0.95, 0.8, 0.3);
    CheminTexteCentre(cr, police, 22, "KAZZMOT - THE 74 PICTURES OF THE FORGE", l / 2.0, 20);
    cairo_fill(cr);
    for (int i = 0; i < n; ++i) {
        const ImageForgee& im = recueil.images[i];
        const int cx = (i % colonnes) * cl, cy = 40 + (i / colonnes) * ch;
        const int zl = cl - 2 * marge, zh = ch - 2 * marge - legende;
        // The picture as ARGB with its key colour made transparent.
        cairo_surface_t* s =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, im.largeur, im.hauteur);
        unsigned char* d = cairo_image_surface_get_data(s);
        const int pas = cairo_image_surface_get_stride(s);
        for (int y = 0; y < im.hauteur; ++y) {
            uint32_t* ligne = reinterpret_cast<uint32_t*>(d + size_t(y) * pas);
            for (int x = 0; x < im.largeur; ++x) {
                const uint8_t* p = &im.rvb[(size_t(y) * im.largeur + x) * 3];
                const bool transparent = im.forme[size_t(y) * im.largeur + x] == 0;
                ligne[x] =
                    transparent
                        ? 0u
                        : (0xFF000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2]);
            }
        }
        cairo_surface_mark_dirty(s);
        // Long strips are shown by their first stretch of ink at a readable
        // scale rather than shrunk to a line.
        double echelle = std::min({double(zl) / im.largeur, double(zh) / im.hauteur, 1.0});
        double sx = 0, sy = 0, vl = im.largeur, vh = im.hauteur;
        if (im.largeur > 20 * im.hauteur || im.hauteur > 6 * im.largeur) {
            const bool large = im.largeur > im.hauteur;
            echelle = large ? std::min(1.0, double(zh) / im.hauteur) : double(zl) / im.largeur;
            int debut = 0;
            const int n = large ? im.largeur : im.hauteur;
            for (bool trouve = false; debut < n && !trouve; ++debut) {
                for (int k = 0; k < (large ? im.hauteur : im.largeur) && !trouve; ++k) {
                    const size_t i =
                        large ? size_t(k) * im.largeur + debut : size_t(debut) * im.largeur + k;
                    trouve = im.forme[i] && (im.rvb[i * 3] | im.rvb[i * 3 + 1] | im.rvb[i * 3 + 2]);
                }
            }
            debut = std::max(0, debut - 8);
            if (large) {
                vl = std::min(double(im.largeur - debut), zl / echelle);
                sx = debut;
            } else {
                vh = std::min(double(im.hauteur - debut), zh / echelle);
                sy = debut;
            }
        }
        const double dl = vl * echelle, dh = vh * echelle;
        const double ox = cx + marge + (zl - dl) / 2, oy = cy + marge + (zh - dh) / 2;
        // Checkerboard under the picture.
        for (int ty = 0; ty * 8 < std::ceil(dh); ++ty) {
            for (int tx = 0; tx * 8 < std::ceil(dl); ++tx) {
                const double g = ((tx + ty) & 1) ? 0.55 : 0.8;
                cairo_set_source_rgb(cr, g, g, g);
                cairo_rectangle(cr, ox + tx * 8, oy + ty * 8, std::min(8.0, dl - tx * 8),
                                std::min(8.0, dh - ty * 8));
                cairo_fill(cr);
            }
        }
        cairo_save(cr);
        cairo_translate(cr, ox, oy);
        cairo_scale(cr, echelle, echelle);
        cairo_set_source_surface(cr, s, -sx, -sy);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_rectangle(cr, 0, 0, vl, vh);
        cairo_fill(cr);
        cairo_restore(cr);
        cairo_surface_destroy(s);
        cairo_set_source_rgb(cr, 0.85, 0.88, 1.0);
        const std::string texte =
            im.nom + " " + std::to_string(im.largeur) + "x" + std::to_string(im.hauteur);
        double t = std::min(12.0, TailleAjustee(cr, police, texte.c_str(), cl - 8, 12));
        CheminTexteCentre(cr, police, t, texte.c_str(), cx + cl / 2.0, cy + ch - marge - 8);
        cairo_fill(cr);
    }
    Finition f;
    ImageForgee planche = Finit(toile, "planche", f);
    return EcritPng(planche, chemin, erreur);
}

}  // namespace forge
