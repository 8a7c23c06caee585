// The application icon: the title's chrome K standing in front of the sunset
// of the title stage, on a rounded square, drawn from the forged pictures at
// every size of the desktop's hicolor theme.
#include <cmath>
#include <algorithm>
#include <filesystem>
#include <string>

#include "forge_images.h"

namespace forge {

namespace {

// A forged picture as a premultiplied ARGB surface; its key colour becomes
// transparent.
cairo_surface_t* SurfaceDe(const ImageForgee& im) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, im.largeur, im.hauteur);
    unsigned char* d = cairo_image_surface_get_data(s);
    const int pas = cairo_image_surface_get_stride(s);
    for (int y = 0; y < im.hauteur; ++y) {
        uint32_t* ligne = reinterpret_cast<uint32_t*>(d + size_t(y) * pas);
        for (int x = 0; x < im.largeur; ++x) {
            const size_t i = size_t(y) * im.largeur + x;
            const uint8_t* p = &im.rvb[i * 3];
            ligne[x] = im.forme[i] == 0
                           ? 0u
                           : (0xFF000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2]);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

}  // namespace

bool DessineIcone(const Recueil& recueil, int cote, cairo_surface_t** icone, std::string* erreur) {
    const ImageForgee* scene = TrouveImage(recueil, "Support2");
    const ImageForgee* lettre = TrouveImage(recueil, "K");
    if (!scene || !lettre) {
        *erreur = "the icon is drawn from the pictures Support2 and K, which were not forged";
        return false;
    }
    *icone = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cote, cote);
    cairo_t* cr = cairo_create(*icone);
    // Background: the middle of the stage, a square as tall as the picture,
    // the setting sun in its centre.
    const double marge = std::max(1.0, cote / 32.0);
    const double carre = cote - 2 * marge;
    CheminArrondi(cr, marge, marge, carre, carre, carre * 0.18);
    cairo_save(cr);
    cairo_clip_preserve(cr);
    cairo_surface_t* fond = SurfaceDe(*scene);
    const double e = carre / scene->hauteur;
    cairo_translate(cr, marge, marge);
    cairo_scale(cr, e, e);
    cairo_set_source_surface(cr, fond, -(scene->largeur - scene->hauteur) / 2.0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(fond);
    // A thin dark rim keeps the square readable on light panels.
    cairo_set_source_rgba(cr, 0.05, 0.02, 0.12, 0.85);
    cairo_set_line_width(cr, std::max(1.0, cote / 48.0));
    cairo_stroke(cr);
    // The letter, 80 % of the square's height, centred.
    cairo_surface_t* k = SurfaceDe(*lettre);
    const double ek = carre * 0.8 / lettre->hauteur;
    cairo_translate(cr, cote / 2.0 - lettre->largeur * ek / 2.0,
                    cote / 2.0 - lettre->hauteur * ek / 2.0);
    cairo_scale(cr, ek, ek);
    cairo_set_source_surface(cr, k, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_surface_destroy(k);
    cairo_destroy(cr);
    cairo_surface_flush(*icone);
    return true;
}

bool EcritIcones(const Recueil& recueil, const std::string& dossier, std::string* erreur) {
    for (int cote : kTaillesIcones) {
        const std::string taille = std::to_string(cote) + "x" + std::to_string(cote);
        const std::string rep = dossier + "/hicolor/" + taille + "/apps";
        std::error_code ec;
        std::filesystem::create_directories(rep, ec);
        if (ec) {
            *erreur = rep + ": cannot create the folder (" + ec.message() + ")";
            return false;
        }
        cairo_surface_t* icone = nullptr;
        if (!DessineIcone(recueil, cote, &icone, erreur)) return false;
        const std::string chemin = rep + "/kazzmot.png";
        const cairo_status_t etat = cairo_surface_write_to_png(icone, chemin.c_str());
        cairo_surface_destroy(icone);
        if (etat != CAIRO_STATUS_SUCCESS) {
            *erreur = "cannot write the icon " + chemin + ": " + cairo_status_to_string(etat);
            return false;
        }
    }
    return true;
}

}  // namespace forge
