// Crawl pictures: the closing text in yellow on black, centred paragraphs that
// enter from the bottom of the screen, and the deep-space background.
#include <algorithm>
#include <cmath>
#include <vector>

#include "forge_images.h"

namespace forge {

namespace {

uint32_t Argb(Couleur c) {
    auto v = [](double x) { return uint32_t(std::clamp(x, 0.0, 1.0) * 255 + 0.5); };
    return 0xFF000000u | (v(c.r) << 16) | (v(c.g) << 8) | v(c.b);
}

// The closing text; an empty line separates paragraphs, "#" marks a heading.
const char* const kTexte[] = {
    "#KAZZMOT",
    "",
    "IL Y A BIEN LONGTEMPS,",
    "DANS UNE SALLE DES F\xC3\x8ATES",
    "PAS SI LOINTAINE,",
    "UNE POIGN\xC3\x89\x45 DE MACHINES",
    "RONRONNAIT SOUS LES TABLES.",
    "",
    "LES RALLONGES COURAIENT",
    "ENTRE LES SACS DE COUCHAGE,",
    "LES \xC3\x89\x43RANS VEILLAIENT",
    "ET LA MUSIQUE NE S'ARR\xC3\x8ATAIT",
    "QU'AU LEVER DU JOUR.",
    "",
    "C'EST L\xC3\x80 QUE QUATRE",
    "T\xC3\x89L\xC3\x89VISEURS, UNE RAMPE",
    "ET QUELQUES BULLES",
    "ONT D\xC3\x89\x43ID\xC3\x89 DE TENIR T\xC3\x8ATE",
    "\xC3\x80 LA NUIT.",
    "",
    "CHAQUE IMAGE EST SORTIE",
    "DE NOTRE PROPRE FORGE,",
    "PIXEL APR\xC3\x88S PIXEL,",
    "CHAQUE NOTE DE NOTRE",
    "PROPRE TRACKER,",
    "LIGNE APR\xC3\x88S LIGNE.",
    "",
    "#ORBO",
    "",
    "KABO",
    "CODE ET GRAPHISMES",
    "",
    "DOLO",
    "MUSIQUE",
    "",
    "MERCI \xC3\x80 WOZZ, SLIK ET BRENN",
    "POUR LES NUITS BLANCHES,",
    "LE CAF\xC3\x89 FROID,",
    "LES DISQUETTES PR\xC3\x8AT\xC3\x89\x45S",
    "ET LES C\xC3\x82\x42LES JAMAIS RENDUS.",
    "",
    "SALUT AUSSI \xC3\x80 TOUS CEUX",
    "QUI ONT PORT\xC3\x89 UN \xC3\x89\x43RAN",
    "\xC3\x80 BOUT DE BRAS",
    "JUSQU'\xC3\x80 LA SALLE,",
    "ET \xC3\x80 CEUX QUI ONT VOT\xC3\x89",
    "\xC3\x80 QUATRE HEURES DU MATIN.",
    "",
    "MERCI \xC3\x80 VOUS",
    "D'AVOIR REGARD\xC3\x89",
    "JUSQU'AU BOUT.",
    "",
    "LA SC\xC3\x88NE NE MEURT JAMAIS :",
    "ELLE CHANGE DE MACHINE.",
    "",
    "#\xC3\x80 BIENT\xC3\x94T",
};

void DessineTexteFinal(Recueil* recueil) {
    const int l = 640, h = 5880;
    Toile toile(l, h);
    cairo_t* cr = toile.cr;
    cairo_font_face_t* police = Police(kPoliceAffiche);
    // Lay the lines out from just below the first screenful to well before the
    // end, so that the text rises in from the bottom and the last line passes
    // the middle of the screen before the crawl ends.
    const int n = int(sizeof kTexte / sizeof kTexte[0]);
    const double debut = 520, fin = h - 420;
    double unites = 0;
    for (int i = 0; i < n; ++i) unites += kTexte[i][0] == '#' ? 2.2 : (kTexte[i][0] ? 1.0 : 0.9);
    const double pas = (fin - debut) / unites;
    double y = debut;
    for (int i = 0; i < n; ++i) {
        const bool titre = kTexte[i][0] == '#';
        const char* ligne = titre ? kTexte[i] + 1 : kTexte[i];
        const double hauteurLigne = titre ? 2.2 * pas : (ligne[0] ? pas : 0.9 * pas);
        if (ligne[0]) {
            const double taille = titre ? std::min(130.0, pas * 1.7) : std::min(64.0, pas * 0.78);
            double largeur = 0;
            CheminTexteCentre(cr, police, taille, ligne, l / 2.0, y + hauteurLigne / 2, &largeur);
            if (largeur > l - 40) {
                cairo_new_path(cr);
                const double t = TailleAjustee(cr, police, ligne, l - 40, taille);
                CheminTexteCentre(cr, police, t, ligne, l / 2.0, y + hauteurLigne / 2);
            }
            const double y0 = y + hauteurLigne * 0.15, y1 = y + hauteurLigne * 0.85;
            cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
            cairo_pattern_add_color_stop_rgb(p, 0, 1.0, 0.95, 0.55);
            cairo_pattern_add_color_stop_rgb(p, 0.5, 1.0, 0.85, 0.15);
            cairo_pattern_add_color_stop_rgb(p, 1, 0.95, 0.62, 0.05);
            cairo_set_source(cr, p);
            cairo_fill(cr);
            cairo_pattern_destroy(p);
        }
        y += hauteurLigne;
    }
    Finition f;
    f.cle = Cle::Noir;
    recueil->images.push_back(Finit(toile, "GenSW", f));
}

// Smooth value noise for the nebula.
double Bruit(const std::vector<double>& grille, int n, double x, double y) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    auto g = [&](int i, int j) {
        return grille[size_t(((j % n) + n) % n) * n + ((i % n) + n) % n];
    };
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = g(x0, y0) + (g(x0 + 1, y0) - g(x0, y0)) * sx;
    const double b = g(x0, y0 + 1) + (g(x0 + 1, y0 + 1) - g(x0, y0 + 1)) * sx;
    return a + (b - a) * sy;
}

void DessineEspace(Recueil* recueil) {
    Toile toile(640, 480);
    cairo_t* cr = toile.cr;
    Alea alea(GraineDe("FondSW"));
    const int n = 64;
    std::vector<double> grille(size_t(n) * n);
    for (double& v : grille) v = alea.Uniforme();
    cairo_surface_flush(toile.surface);
    unsigned char* data = cairo_image_surface_get_data(toile.surface);
    const int pas = cairo_image_surface_get_stride(toile.surface);
    for (int y = 0; y < 480; ++y) {
        uint32_t* ligne = reinterpret_cast<uint32_t*>(data + size_t(y) * pas);
        for (int x = 0; x < 640; ++x) {
            double v = 0, amp = 0.5, freq = 1.0 / 80;
            for (int o = 0; o < 5; ++o) {
                v += amp * Bruit(grille, n, x * freq + o * 7.3, y * freq + o * 3.1);
                amp *= 0.5;
                freq *= 2;
            }
            // A band of nebula across the upper right, fading into black space.
            const double bande = std::exp(-std::pow((y - 0.45 * x + 40) / 130.0, 2));
            const double d = std::pow(std::clamp((v - 0.35) * 1.8, 0.0, 1.0), 2.0) * bande;
            Couleur c = Melange(Rvb(2, 2, 10), Rvb(70, 30, 110), d);
            c = Melange(c, Rvb(40, 90, 160), d * d * 0.8);
            ligne[x] = Argb(c);
        }
    }
    cairo_surface_mark_dirty(toile.surface);
    Etoiles(cr, &alea, 0, 0, 640, 480, 420, Rvb(200, 210, 255), 0.9);
    // A ringed planet low on the left.
    cairo_pattern_t* planete = cairo_pattern_create_radial(70, 420, 10, 100, 450, 110);
    cairo_pattern_add_color_stop_rgb(planete, 0, 0.85, 0.55, 0.35);
    cairo_pattern_add_color_stop_rgb(planete, 0.7, 0.35, 0.12, 0.15);
    cairo_pattern_add_color_stop_rgb(planete, 1, 0.05, 0.02, 0.05);
    cairo_set_source(cr, planete);
    cairo_arc(cr, 100, 450, 90, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(planete);
    cairo_save(cr);
    cairo_translate(cr, 100, 450);
    cairo_rotate(cr, -0.35);
    cairo_scale(cr, 1.0, 0.22);
    cairo_arc(cr, 0, 0, 150, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_set_source_rgba(cr, 0.95, 0.8, 0.6, 0.6);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    Finition f;
    f.grain = 1.5;
    recueil->images.push_back(Finit(toile, "FondSW", f));
}

}  // namespace

void DessineDefilement(Recueil* recueil) {
    DessineTexteFinal(recueil);
    DessineEspace(recueil);
}

}  // namespace forge
