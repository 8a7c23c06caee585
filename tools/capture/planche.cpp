// Pictures of the capture: upscaled frames, thumbnails, and the storyboard
// sheet drawn with Cairo.
#include <cairo.h>

#include <cstring>

#include "capture.h"

namespace {

// 5-6-5 channels widened to 8 bits by repeating their top bits, as the PNG
// frames of the virtual machine are written.
inline void Canaux(Uint16 p, int* r, int* g, int* b) {
    const int r5 = (p >> 11) & 31, g6 = (p >> 5) & 63, b5 = p & 31;
    *r = (r5 << 3) | (r5 >> 2);
    *g = (g6 << 2) | (g6 >> 4);
    *b = (b5 << 3) | (b5 >> 2);
}

constexpr int kMarge = 8;
constexpr int kHauteurLegende = 18;
constexpr int kHauteurTitre = 30;

}  // namespace

void AgranditTrame(const Uint16* source, int largeur, int hauteur, int facteur,
                   std::vector<Uint16>* cible) {
    const size_t l = static_cast<size_t>(largeur) * facteur;
    cible->resize(l * static_cast<size_t>(hauteur) * facteur);
    for (int y = 0; y < hauteur; ++y) {
        Uint16* ligne = cible->data() + static_cast<size_t>(y) * facteur * l;
        const Uint16* src = source + static_cast<size_t>(y) * largeur;
        for (int x = 0; x < largeur; ++x) {
            for (int i = 0; i < facteur; ++i) ligne[static_cast<size_t>(x) * facteur + i] = src[x];
        }
        for (int i = 1; i < facteur; ++i) std::memcpy(ligne + i * l, ligne, l * sizeof(Uint16));
    }
}

Vignette FaitVignette(const Uint16* pixels, int largeur, int hauteur, const std::string& legende,
                      bool changementScene) {
    Vignette v;
    v.legende = legende;
    v.changementScene = changementScene;
    v.pixels.assign(static_cast<size_t>(kLargeurVignette) * kHauteurVignette, 0);
    for (int ty = 0; ty < kHauteurVignette; ++ty) {
        const int y0 = ty * hauteur / kHauteurVignette;
        const int y1 = std::max(y0 + 1, (ty + 1) * hauteur / kHauteurVignette);
        for (int tx = 0; tx < kLargeurVignette; ++tx) {
            const int x0 = tx * largeur / kLargeurVignette;
            const int x1 = std::max(x0 + 1, (tx + 1) * largeur / kLargeurVignette);
            int sr = 0, sg = 0, sb = 0, n = 0;
            for (int y = y0; y < y1 && y < hauteur; ++y) {
                for (int x = x0; x < x1 && x < largeur; ++x) {
                    int r, g, b;
                    Canaux(pixels[static_cast<size_t>(y) * largeur + x], &r, &g, &b);
                    sr += r;
                    sg += g;
                    sb += b;
                    ++n;
                }
            }
            if (n == 0) continue;
            v.pixels[static_cast<size_t>(ty) * kLargeurVignette + tx] = static_cast<std::uint32_t>(
                ((sr + n / 2) / n) << 16 | ((sg + n / 2) / n) << 8 | ((sb + n / 2) / n));
        }
    }
    return v;
}

bool EcritPlanche(const std::string& chemin, const std::string& titre,
                  const std::vector<Vignette>& vignettes) {
    const int colonnes = kColonnesPlanche;
    const int lignes =
        std::max<int>(1, (static_cast<int>(vignettes.size()) + colonnes - 1) / colonnes);
    const int caseL = kLargeurVignette + kMarge;
    const int caseH = kHauteurVignette + kHauteurLegende + kMarge;
    const int largeur = kMarge + colonnes * caseL;
    const int hauteur = kHauteurTitre + kMarge + lignes * caseH;
    cairo_surface_t* feuille = cairo_image_surface_create(CAIRO_FORMAT_RGB24, largeur, hauteur);
    cairo_t* cr = cairo_create(feuille);
    cairo_set_source_rgb(cr, 0.11, 0.11, 0.13);
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 15);
    cairo_set_source_rgb(cr, 0.95, 0.95, 0.95);
    cairo_move_to(cr, kMarge, 21);
    cairo_show_text(cr, titre.c_str());
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 11);
    for (size_t i = 0; i < vignettes.size(); ++i) {
        const Vignette& v = vignettes[i];
        const int x = kMarge + static_cast<int>(i % colonnes) * caseL;
        const int y = kHauteurTitre + kMarge + static_cast<int>(i / colonnes) * caseH;
        cairo_surface_t* image = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(v.pixels.data())),
            CAIRO_FORMAT_RGB24, kLargeurVignette, kHauteurVignette, kLargeurVignette * 4);
        cairo_set_source_surface(cr, image, x, y);
        cairo_paint(cr);
        cairo_surface_destroy(image);
        // A scene change is framed and labelled in amber, the regular
        // thumbnails in grey.
        if (v.changementScene) {
            cairo_set_source_rgb(cr, 0.98, 0.72, 0.15);
            cairo_set_line_width(cr, 2);
            cairo_rectangle(cr, x - 1, y - 1, kLargeurVignette + 2, kHauteurVignette + 2);
            cairo_stroke(cr);
        } else {
            cairo_set_source_rgb(cr, 0.75, 0.75, 0.78);
        }
        cairo_move_to(cr, x + 1, y + kHauteurVignette + 13);
        cairo_show_text(cr, v.legende.c_str());
    }
    cairo_destroy(cr);
    cairo_surface_flush(feuille);
    const bool ok = cairo_surface_write_to_png(feuille, chemin.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(feuille);
    return ok;
}
