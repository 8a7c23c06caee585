// Drawing tools shared by the picture families: canvases, random numbers, the
// finishing step (edge blending, key cut, grain, dithered 5-6-5 quantisation),
// lettering through FreeType, chrome, soft shadows and starfields.
#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "forge_images.h"

namespace forge {

Couleur Rvb(int r, int g, int b) {
    return {r / 255.0, g / 255.0, b / 255.0};
}

Couleur Melange(Couleur a, Couleur b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Toile::Toile(int l, int h) : largeur(l), hauteur(h) {
    surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, l, h);
    cr = cairo_create(surface);
}

Toile::~Toile() {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

Alea::Alea(uint32_t graine) : etat(graine ? graine : 0x9E3779B9u) {}

uint32_t Alea::Suivant() {
    uint32_t x = etat;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    etat = x;
    return x;
}

double Alea::Uniforme() {
    return (Suivant() >> 8) / 16777216.0;
}

double Alea::Entre(double a, double b) {
    return a + (b - a) * Uniforme();
}

double Alea::Gauss() {
    double s = 0;
    for (int i = 0; i < 4; ++i) s += Uniforme();
    return (s - 2.0) * 1.7320508;
}

uint32_t GraineDe(const char* nom) {
    uint32_t h = 2166136261u;
    for (const char* p = nom; *p; ++p) h = (h ^ uint8_t(*p)) * 16777619u;
    return h ? h : 1;
}

double SeuilTrame(int x, int y) {
    static const int kBayer[8][8] = {
        {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
        {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
        {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
        {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
    return (kBayer[y & 7][x & 7] + 0.5) / 64.0;
}

namespace {

// Quantises an 8-bit-scale value to 0..maximum with the dither threshold t.
inline int Quantifie(float v, float echelle, float t, int maximum) {
    const float q = v * echelle + t;
    if (q <= 0) return 0;
    const int n = int(q);
    return n > maximum ? maximum : n;
}

// A table of normally distributed grain values, drawn once.
const std::vector<float>& TableGrain() {
    static const std::vector<float> table = [] {
        std::vector<float> t(4096);
        Alea alea(0x6a09e667u);
        for (float& v : t) v = float(alea.Gauss());
        return t;
    }();
    return table;
}

}  // namespace

ImageForgee Finit(const Toile& toile, const char* nom, const Finition& f) {
    cairo_surface_flush(toile.surface);
    const int l = toile.largeur, h = toile.hauteur;
    const unsigned char* data = cairo_image_surface_get_data(toile.surface);
    const int pas = cairo_image_surface_get_stride(toile.surface);
    ImageForgee image;
    image.nom = nom;
    image.largeur = l;
    image.hauteur = h;
    image.cle = f.cle;
    image.rvb.resize(size_t(l) * h * 3);
    image.forme.resize(size_t(l) * h);
    Alea alea(GraineDe(nom) ^ 0x5bd1e995u);
    const std::vector<float>& grain = TableGrain();
    const uint8_t cle = f.cle == Cle::Blanc ? 255 : 0;
    const float fr = float(f.fond.r * 255), fg = float(f.fond.g * 255), fb = float(f.fond.b * 255);
    const float amplitude = float(f.grain);
    const float seuil = float(f.seuil);
    float trame[64];
    for (int i = 0; i < 64; ++i) trame[i] = float(SeuilTrame(i % 8, i / 8));
    for (int y = 0; y < h; ++y) {
        const uint32_t* ligne = reinterpret_cast<const uint32_t*>(data + size_t(y) * pas);
        uint8_t* o = &image.rvb[size_t(y) * l * 3];
        uint8_t* forme = &image.forme[size_t(y) * l];
        for (int x = 0; x < l; ++x, o += 3) {
            const uint32_t p = ligne[x];
            const float a = float(p >> 24) * (1.0f / 255);
            if (f.cle != Cle::Aucune && a < seuil) {
                o[0] = o[1] = o[2] = cle;
                forme[x] = 0;
                continue;
            }
            forme[x] = 1;
            const float bruit = amplitude > 0 ? amplitude * grain[alea.Suivant() >> 20] : 0.0f;
            // Premultiplied colour laid over the colour it will be seen on.
            const float reste = 1.0f - a;
            const float r = float((p >> 16) & 255) + reste * fr + bruit;
            const float g = float((p >> 8) & 255) + reste * fg + bruit;
            const float b = float(p & 255) + reste * fb + bruit;
            const float t = trame[(y & 7) * 8 + (x & 7)];
            const int r5 = Quantifie(r, 31.0f / 255, t, 31);
            const int g6 = Quantifie(g, 63.0f / 255, t, 63);
            const int b5 = Quantifie(b, 31.0f / 255, t, 31);
            o[0] = Etend5(r5);
            o[1] = Etend6(g6);
            o[2] = Etend5(b5);
            // A shown pixel never takes the key colour: nudge green by one step.
            if (f.cle == Cle::Noir && r5 == 0 && g6 == 0 && b5 == 0) o[1] = Etend6(1);
            if (f.cle == Cle::Blanc && r5 == 31 && g6 == 63 && b5 == 31) o[1] = Etend6(62);
        }
    }
    return image;
}

ImageForgee ImageDepuis565(const char* nom, int l, int h, Cle cle,
                           const std::vector<uint16_t>& pixels) {
    ImageForgee image;
    image.nom = nom;
    image.largeur = l;
    image.hauteur = h;
    image.cle = cle;
    image.rvb.resize(size_t(l) * h * 3);
    image.forme.assign(size_t(l) * h, 1);
    const uint16_t k = cle == Cle::Blanc ? 0xFFFF : 0;
    for (size_t i = 0; i < size_t(l) * h; ++i) {
        const uint16_t v = pixels[i];
        image.rvb[i * 3 + 0] = Etend5(v >> 11);
        image.rvb[i * 3 + 1] = Etend6((v >> 5) & 63);
        image.rvb[i * 3 + 2] = Etend5(v & 31);
        if (cle != Cle::Aucune && v == k) image.forme[i] = 0;
    }
    return image;
}

uint16_t Valeur565(const ImageForgee& image, int x, int y) {
    const uint8_t* p = &image.rvb[(size_t(y) * image.largeur + x) * 3];
    return uint16_t(((p[0] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[2] >> 3));
}

// ---------------------------------------------------------------------------
// Lettering.

cairo_font_face_t* Police(const char* fichier) {
    static FT_Library bibliotheque = nullptr;
    static std::map<std::string, cairo_font_face_t*> faces;
    auto it = faces.find(fichier);
    if (it != faces.end()) return it->second;
    if (!bibliotheque && FT_Init_FreeType(&bibliotheque) != 0) {
        std::fprintf(stderr, "kazzmot-forge-images: FreeType cannot be started\n");
        std::exit(1);
    }
    FT_Face face = nullptr;
    if (FT_New_Face(bibliotheque, fichier, 0, &face) != 0) {
        std::fprintf(stderr,
                     "kazzmot-forge-images: %s: expected a TrueType font (install the Debian "
                     "font packages with scripts/install-deps)\n",
                     fichier);
        std::exit(1);
    }
    cairo_font_face_t* cf = cairo_ft_font_face_create_for_ft_face(face, 0);
    faces[fichier] = cf;
    return cf;
}

namespace {

void ChoisitPolice(cairo_t* cr, cairo_font_face_t* police, double taille) {
    cairo_set_font_face(cr, police);
    cairo_set_font_size(cr, taille);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

}  // namespace

void CheminTexteCentre(cairo_t* cr, cairo_font_face_t* police, double taille, const char* texte,
                       double cx, double cy, double* largeur, double* hauteur) {
    ChoisitPolice(cr, police, taille);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, texte, &ext);
    cairo_move_to(cr, cx - ext.width / 2 - ext.x_bearing, cy - ext.height / 2 - ext.y_bearing);
    cairo_text_path(cr, texte);
    if (largeur) *largeur = ext.width;
    if (hauteur) *hauteur = ext.height;
}

double TailleAjustee(cairo_t* cr, cairo_font_face_t* police, const char* texte, double largeur,
                     double hauteur) {
    ChoisitPolice(cr, police, 100.0);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, texte, &ext);
    // The size grows with the box: the smaller of the two ratios wins.
    double t = 1000.0;
    if (ext.width > 0) t = std::min(t, 100.0 * largeur / ext.width);
    if (ext.height > 0) t = std::min(t, 100.0 * hauteur / ext.height);
    return t;
}

void PeintChrome(cairo_t* cr, double y0, double y1, Couleur haut, Couleur horizon, Couleur bas,
                 Couleur contour, double epaisseur) {
    cairo_save(cr);
    if (epaisseur > 0) {
        cairo_set_source_rgb(cr, contour.r, contour.g, contour.b);
        cairo_set_line_width(cr, epaisseur * 2);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    const Couleur clair = Melange(haut, {1, 1, 1}, 0.6);
    cairo_pattern_add_color_stop_rgb(p, 0.0, haut.r, haut.g, haut.b);
    cairo_pattern_add_color_stop_rgb(p, 0.30, clair.r, clair.g, clair.b);
    cairo_pattern_add_color_stop_rgb(p, 0.52, horizon.r, horizon.g, horizon.b);
    cairo_pattern_add_color_stop_rgb(p, 0.56, bas.r * 0.55, bas.g * 0.55, bas.b * 0.55);
    cairo_pattern_add_color_stop_rgb(p, 0.80, bas.r, bas.g, bas.b);
    const Couleur reflet = Melange(bas, {1, 1, 1}, 0.45);
    cairo_pattern_add_color_stop_rgb(p, 1.0, reflet.r, reflet.g, reflet.b);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    // A thin light edge just inside the outline.
    cairo_clip_preserve(cr);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.55);
    cairo_set_line_width(cr, std::max(1.0, epaisseur * 0.6));
    cairo_translate(cr, -0.6, -0.8);
    cairo_stroke_preserve(cr);
    cairo_restore(cr);
}

void FlouSurface(cairo_surface_t* surface, int rayon) {
    if (rayon <= 0) return;
    cairo_surface_flush(surface);
    const int l = cairo_image_surface_get_width(surface);
    const int h = cairo_image_surface_get_height(surface);
    const int pas = cairo_image_surface_get_stride(surface);
    const bool a8 = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_A8;
    const int canaux = a8 ? 1 : 4;
    unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<int> tampon(size_t(std::max(l, h)));
    auto passe = [&](unsigned char* base, int n, int saut) {
        int somme = 0;
        const int fenetre = 2 * rayon + 1;
        for (int i = -rayon; i <= rayon; ++i) somme += base[size_t(std::clamp(i, 0, n - 1)) * saut];
        for (int i = 0; i < n; ++i) {
            tampon[i] = somme / fenetre;
            const int sort = std::clamp(i - rayon, 0, n - 1);
            const int entre = std::clamp(i + rayon + 1, 0, n - 1);
            somme += base[size_t(entre) * saut] - base[size_t(sort) * saut];
        }
        for (int i = 0; i < n; ++i) base[size_t(i) * saut] = uint8_t(tampon[i]);
    };
    for (int tour = 0; tour < 3; ++tour) {
        for (int c = 0; c < canaux; ++c) {
            for (int y = 0; y < h; ++y) passe(data + size_t(y) * pas + c, l, canaux);
            for (int x = 0; x < l; ++x) passe(data + size_t(x) * canaux + c, h, pas);
        }
    }
    cairo_surface_mark_dirty(surface);
}

void OmbreDouce(cairo_t* cr, int largeur, int hauteur, double dx, double dy, int rayon,
                Couleur couleur, double opacite) {
    cairo_surface_t* masque = cairo_image_surface_create(CAIRO_FORMAT_A8, largeur, hauteur);
    cairo_t* m = cairo_create(masque);
    cairo_path_t* chemin = cairo_copy_path(cr);
    cairo_matrix_t mat;
    cairo_get_matrix(cr, &mat);
    cairo_set_matrix(m, &mat);
    cairo_translate(m, dx, dy);
    cairo_append_path(m, chemin);
    cairo_set_source_rgba(m, 0, 0, 0, 1);
    cairo_fill(m);
    cairo_destroy(m);
    FlouSurface(masque, rayon);
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_new_path(cr);
    cairo_set_source_rgba(cr, couleur.r, couleur.g, couleur.b, opacite);
    cairo_mask_surface(cr, masque, 0, 0);
    cairo_restore(cr);
    cairo_new_path(cr);
    cairo_append_path(cr, chemin);
    cairo_path_destroy(chemin);
    cairo_surface_destroy(masque);
}

void DegradeVertical(cairo_t* cr, int largeur, int hauteur, const std::vector<Couleur>& teintes) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, hauteur);
    const size_t n = teintes.size();
    for (size_t i = 0; i < n; ++i) {
        cairo_pattern_add_color_stop_rgb(p, n > 1 ? double(i) / (n - 1) : 0, teintes[i].r,
                                         teintes[i].g, teintes[i].b);
    }
    cairo_set_source(cr, p);
    cairo_rectangle(cr, 0, 0, largeur, hauteur);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void Etoiles(cairo_t* cr, Alea* alea, double x, double y, double largeur, double hauteur,
             int nombre, Couleur teinte, double eclat) {
    cairo_save(cr);
    for (int i = 0; i < nombre; ++i) {
        const double sx = x + alea->Uniforme() * largeur;
        const double sy = y + alea->Uniforme() * hauteur;
        const double e = std::pow(alea->Uniforme(), 3.0);
        const double rayon = 0.6 + 1.6 * e;
        const double a = eclat * (0.25 + 0.75 * alea->Uniforme());
        cairo_pattern_t* p = cairo_pattern_create_radial(sx, sy, 0, sx, sy, rayon * 2.2);
        cairo_pattern_add_color_stop_rgba(p, 0, 1, 1, 1, a);
        cairo_pattern_add_color_stop_rgba(p, 0.35, teinte.r, teinte.g, teinte.b, a * 0.8);
        cairo_pattern_add_color_stop_rgba(p, 1, teinte.r, teinte.g, teinte.b, 0);
        cairo_set_source(cr, p);
        cairo_arc(cr, sx, sy, rayon * 2.2, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        if (e > 0.6) {
            // The brightest stars get a small cross flare.
            cairo_set_source_rgba(cr, teinte.r, teinte.g, teinte.b, a * 0.5);
            cairo_set_line_width(cr, 0.8);
            cairo_move_to(cr, sx - rayon * 5, sy);
            cairo_line_to(cr, sx + rayon * 5, sy);
            cairo_move_to(cr, sx, sy - rayon * 5);
            cairo_line_to(cr, sx, sy + rayon * 5);
            cairo_stroke(cr);
        }
    }
    cairo_restore(cr);
}

void CheminArrondi(cairo_t* cr, double x, double y, double l, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + l - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + l - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}

}  // namespace forge
