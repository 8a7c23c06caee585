// Greetings pictures: a wooden television of the sixties whose black screen
// shows the page behind it, the heading and the three greeted names.
// Palette: walnut and brass with the production's magenta, cyan and amber as
// accents, around neon lettering in the same three colours.
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

// The screen opening: a rounded, slightly bulging rectangle.
void CheminEcran(cairo_t* cr) {
    const double x0 = 64, y0 = 34, x1 = 576, y1 = 384, r = 46, b = 8;
    cairo_new_path(cr);
    cairo_move_to(cr, x0 + r, y0);
    cairo_curve_to(cr, 250, y0 - b, 390, y0 - b, x1 - r, y0);
    cairo_curve_to(cr, x1 - r / 3, y0, x1, y0 + r / 3, x1, y0 + r);
    cairo_curve_to(cr, x1 + b, 160, x1 + b, 260, x1, y1 - r);
    cairo_curve_to(cr, x1, y1 - r / 3, x1 - r / 3, y1, x1 - r, y1);
    cairo_curve_to(cr, 390, y1 + b, 250, y1 + b, x0 + r, y1);
    cairo_curve_to(cr, x0 + r / 3, y1, x0, y1 - r / 3, x0, y1 - r);
    cairo_curve_to(cr, x0 - b, 260, x0 - b, 160, x0, y0 + r);
    cairo_curve_to(cr, x0, y0 + r / 3, x0 + r / 3, y0, x0 + r, y0);
    cairo_close_path(cr);
}

void DessineVieilleTV(Recueil* recueil) {
    Toile toile(640, 480);
    cairo_t* cr = toile.cr;
    // Walnut veneer: wavy grain from our own noise loop.
    cairo_surface_flush(toile.surface);
    unsigned char* data = cairo_image_surface_get_data(toile.surface);
    const int pas = cairo_image_surface_get_stride(toile.surface);
    Alea alea(GraineDe("OldTV"));
    std::vector<double> fibres(480);
    for (double& f : fibres) f = alea.Entre(-0.5, 0.5);
    for (int y = 0; y < 480; ++y) {
        uint32_t* ligne = reinterpret_cast<uint32_t*>(data + size_t(y) * pas);
        for (int x = 0; x < 640; ++x) {
            // Long horizontal grain, gently waving, with a few knots' ripples.
            const double w =
                y * 0.12 + 1.6 * std::sin(x * 0.006 + 0.8 * std::sin(y * 0.015)) +
                0.5 * std::sin(x * 0.027 + y * 0.021) +
                2.5 * std::exp(-(std::pow(x - 140, 2) + std::pow(y - 420, 2)) / 900.0) +
                2.0 * std::exp(-(std::pow(x - 560, 2) + std::pow(y - 60, 2)) / 700.0);
            const double veine = 0.5 + 0.5 * std::sin(w * 1.7);
            const double fin = 0.5 + 0.5 * std::sin(w * 11.0 + 3.0 * fibres[size_t(y)]);
            Couleur c = Melange(Rvb(78, 40, 18), Rvb(140, 80, 38), 0.6 * veine + 0.4 * fin);
            ligne[x] = Argb(c);
        }
    }
    cairo_surface_mark_dirty(toile.surface);
    // Varnish: a light sheen from the top and darker edges.
    cairo_pattern_t* vernis = cairo_pattern_create_radial(320, 120, 50, 320, 240, 480);
    cairo_pattern_add_color_stop_rgba(vernis, 0, 1, 0.9, 0.7, 0.18);
    cairo_pattern_add_color_stop_rgba(vernis, 0.6, 0, 0, 0, 0.0);
    cairo_pattern_add_color_stop_rgba(vernis, 1, 0.1, 0.03, 0, 0.55);
    cairo_set_source(cr, vernis);
    cairo_paint(cr);
    cairo_pattern_destroy(vernis);

    // Brass trim round the screen, in two bevels.
    CheminEcran(cr);
    OmbreDouce(cr, 640, 480, 0, 4, 6, Rvb(20, 8, 0), 0.8);
    cairo_save(cr);
    cairo_translate(cr, 320, 209);
    cairo_scale(cr, 1.045, 1.06);
    cairo_translate(cr, -320, -209);
    CheminEcran(cr);
    cairo_restore(cr);
    cairo_pattern_t* laiton = cairo_pattern_create_linear(0, 10, 0, 410);
    cairo_pattern_add_color_stop_rgb(laiton, 0, 1.0, 0.92, 0.6);
    cairo_pattern_add_color_stop_rgb(laiton, 0.45, 0.72, 0.52, 0.2);
    cairo_pattern_add_color_stop_rgb(laiton, 0.55, 0.45, 0.3, 0.1);
    cairo_pattern_add_color_stop_rgb(laiton, 1, 0.95, 0.8, 0.45);
    cairo_set_source(cr, laiton);
    cairo_fill(cr);
    cairo_pattern_destroy(laiton);
    // The dark inner lip of the tube, then the screen itself: pure black.
    cairo_save(cr);
    cairo_translate(cr, 320, 209);
    cairo_scale(cr, 1.015, 1.02);
    cairo_translate(cr, -320, -209);
    CheminEcran(cr);
    cairo_restore(cr);
    cairo_set_source_rgb(cr, palette::kViolet.r * 0.5, palette::kViolet.g * 0.5,
                         palette::kViolet.b * 0.5);
    cairo_fill(cr);
    CheminEcran(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);

    // Control panel: speaker cloth on the left, brass plate, two knobs on the right.
    cairo_rectangle(cr, 60, 404, 300, 58);
    cairo_set_source_rgb(cr, 0.22, 0.17, 0.12);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1);
    for (int x = 62; x < 360; x += 3) {
        cairo_move_to(cr, x + 0.5, 406);
        cairo_line_to(cr, x + 0.5, 460);
    }
    cairo_set_source_rgba(cr, 0.55, 0.45, 0.3, 0.5);
    cairo_stroke(cr);
    cairo_rectangle(cr, 60, 404, 300, 58);
    cairo_set_source_rgb(cr, 0.8, 0.62, 0.3);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    // The maker's plate lettered in the production's cyan, glowing softly.
    cairo_font_face_t* police = Police(kPoliceTexte);
    CheminTexteCentre(cr, police, 16, "ORBOPHONE", 210, 433);
    OmbreDouce(cr, 640, 480, 0, 0, 3, palette::kCyan, 0.9);
    const Couleur plaque = Melange(palette::kCyan, {1, 1, 1}, 0.45);
    cairo_set_source_rgb(cr, plaque.r, plaque.g, plaque.b);
    cairo_fill(cr);
    // A magenta pilot light between the knobs, and a magenta inlay thread
    // round the cabinet.
    cairo_pattern_t* voyant = cairo_pattern_create_radial(475, 418, 0, 475, 418, 12);
    cairo_pattern_add_color_stop_rgba(voyant, 0, 1, 0.9, 1, 1);
    cairo_pattern_add_color_stop_rgba(voyant, 0.3, palette::kMagenta.r, palette::kMagenta.g,
                                      palette::kMagenta.b, 1);
    cairo_pattern_add_color_stop_rgba(voyant, 1, palette::kMagenta.r, palette::kMagenta.g,
                                      palette::kMagenta.b, 0);
    cairo_set_source(cr, voyant);
    cairo_arc(cr, 475, 418, 12, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(voyant);
    cairo_rectangle(cr, 14.5, 14.5, 611, 451);
    cairo_set_source_rgba(cr, palette::kMagenta.r, palette::kMagenta.g, palette::kMagenta.b, 0.8);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_rectangle(cr, 17.5, 17.5, 605, 445);
    cairo_set_source_rgba(cr, 1, 0.85, 0.55, 0.35);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    for (int i = 0; i < 2; ++i) {
        const double x = 430 + i * 90, y = 433;
        cairo_pattern_t* b = cairo_pattern_create_radial(x - 8, y - 10, 2, x, y, 30);
        cairo_pattern_add_color_stop_rgb(b, 0, 1.0, 0.95, 0.8);
        cairo_pattern_add_color_stop_rgb(b, 0.5, 0.75, 0.55, 0.25);
        cairo_pattern_add_color_stop_rgb(b, 1, 0.3, 0.18, 0.06);
        cairo_set_source(cr, b);
        cairo_arc(cr, x, y, 27, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(b);
        cairo_set_source_rgb(cr, 0.25, 0.14, 0.05);
        cairo_set_line_width(cr, 4);
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + 20 * std::cos(-2.0 + i * 1.3), y + 20 * std::sin(-2.0 + i * 1.3));
        cairo_stroke(cr);
        for (int k = 0; k < 9; ++k) {
            const double a = -M_PI * 1.25 + k * M_PI / 6;
            cairo_move_to(cr, x + 32 * std::cos(a), y + 32 * std::sin(a));
            cairo_line_to(cr, x + 36 * std::cos(a), y + 36 * std::sin(a));
        }
        cairo_set_source_rgb(cr, palette::kAmbre.r, palette::kAmbre.g, palette::kAmbre.b);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
    Finition f;
    f.cle = Cle::Noir;
    f.fond = {0, 0, 0};
    f.grain = 2.0;
    recueil->images.push_back(Finit(toile, "OldTV", f));
}

// The heading: the title face's capitals with an R of our own, whose bowl
// is a clear closed loop over a straight leg.
void CheminR(cairo_t* cr, Glyphe b, double trait) {
    const double w = b.x1 - b.x0, h = b.y1 - b.y0;
    const double bas = b.y0 + h * 0.56;  // bottom of the bowl
    const double r = std::min(h * 0.28, w * 0.45);
    // The stem.
    cairo_rectangle(cr, b.x0, b.y0, trait, h);
    cairo_fill(cr);
    // The bowl: a rounded ring from the stem to the right side.
    cairo_new_sub_path(cr);
    cairo_move_to(cr, b.x0, b.y0);
    cairo_line_to(cr, b.x1 - r, b.y0);
    cairo_arc(cr, b.x1 - r, b.y0 + r, r, -M_PI / 2, 0);
    cairo_line_to(cr, b.x1, bas - r);
    cairo_arc(cr, b.x1 - r, bas - r, r, 0, M_PI / 2);
    cairo_line_to(cr, b.x0, bas);
    cairo_close_path(cr);
    const double ri = std::max(1.0, r - trait);
    cairo_new_sub_path(cr);
    cairo_move_to(cr, b.x0 + trait, b.y0 + trait);
    cairo_line_to(cr, b.x0 + trait, bas - trait * 0.85);
    cairo_line_to(cr, b.x1 - trait - ri, bas - trait * 0.85);
    cairo_arc_negative(cr, b.x1 - trait - ri, bas - trait * 0.85 - ri, ri, M_PI / 2, 0);
    cairo_line_to(cr, b.x1 - trait, b.y0 + trait + ri);
    cairo_arc_negative(cr, b.x1 - trait - ri, b.y0 + trait + ri, ri, 0, -M_PI / 2);
    cairo_close_path(cr);
    cairo_fill(cr);
    // The leg, from the bowl's middle to the lower right corner.
    cairo_move_to(cr, b.x0 + w * 0.38, bas - trait * 0.5);
    cairo_line_to(cr, b.x0 + w * 0.38 + trait * 1.1, bas - trait * 0.5);
    cairo_line_to(cr, b.x1, b.y1);
    cairo_line_to(cr, b.x1 - trait * 1.15, b.y1);
    cairo_close_path(cr);
    cairo_fill(cr);
}

struct Entete {
    double haut = 0, bas = 0;
};

void DessinEntete(cairo_t* cr, void* donnees) {
    Entete* e = static_cast<Entete*>(donnees);
    const std::vector<Glyphe> g =
        CheminMot(cr, Police(kPoliceTitre), "GREETINGS", 18, 16, 384, 38, true, 1);
    cairo_fill(cr);
    e->haut = g[0].y0;
    e->bas = g[0].y1;
    CheminR(cr, g[1], (g[1].y1 - g[1].y0) * 0.2);
}

// A glow of the given colour round a mask, spread about rayon pixels.
void Lueur(Toile* toile, const Masque& m, int rayon, Couleur c, double opacite) {
    cairo_surface_t* lueur =
        cairo_image_surface_create(CAIRO_FORMAT_A8, toile->largeur, toile->hauteur);
    unsigned char* d = cairo_image_surface_get_data(lueur);
    const int pas = cairo_image_surface_get_stride(lueur);
    // The shape grown by a few pixels first, so the glow stays strong near it.
    const std::vector<float> dehors = DistanceBord(m, false);
    for (int y = 0; y < toile->hauteur; ++y)
        for (int x = 0; x < toile->largeur; ++x) {
            const float dist = dehors[size_t(y) * toile->largeur + x];
            d[size_t(y) * pas + x] = uint8_t(255 * std::clamp(rayon * 0.8f - dist, 0.0f, 1.0f));
        }
    cairo_surface_mark_dirty(lueur);
    FlouSurface(lueur, rayon);
    cairo_set_source_rgba(toile->cr, c.r, c.g, c.b, opacite);
    cairo_mask_surface(toile->cr, lueur, 0, 0);
    cairo_surface_destroy(lueur);
}

void DessineGreets(Recueil* recueil) {
    Toile toile(420, 70);
    Entete entete;
    const Masque m = MasqueDessine(420, 70, DessinEntete, &entete);
    Lueur(&toile, m, 7, palette::kCyan, 0.95);
    Matiere chrome;
    chrome.reflets = {Rvb(50, 100, 150), Rvb(40, 200, 255), Rvb(170, 240, 255), Rvb(255, 255, 255),
                      Rvb(50, 90, 140),  Rvb(30, 140, 210), Rvb(150, 230, 255)};
    chrome.y0 = entete.haut;
    chrome.y1 = entete.bas;
    chrome.biseau = 3.5;
    chrome.relief = 3;
    chrome.flanc = Rvb(50, 120, 180);
    chrome.contour = Rvb(0, 50, 80);
    chrome.epaisseur = 1.5;
    chrome.eclats = 2;
    chrome.eclat = 14;
    PeintMatiere(&toile, m, chrome);
    Finition f;
    f.cle = Cle::Noir;
    f.seuil = 0.1;
    recueil->images.push_back(Finit(toile, "Greets", f));
}

// A greeted name as a neon sign: tubes along the letters' outlines.
void DessineNeon(Recueil* recueil, const char* nom, const char* texte, Couleur teinte,
                 double depart) {
    const EntreeCatalogue* e = TrouveEntree(nom);
    Toile toile(e->largeur, e->hauteur);
    cairo_t* cr = toile.cr;
    CheminMot(cr, Police(kPoliceTitre), texte, 26, 18, e->largeur - 52, e->hauteur - 36, false);
    Neon neon;
    neon.teinte = teinte;
    neon.tube = 5.5;
    neon.halo = 6;
    neon.troncon = 64;
    neon.depart = depart;
    PeintNeon(&toile, neon);
    Finition f;
    f.cle = Cle::Noir;
    f.seuil = 0.1;
    recueil->images.push_back(Finit(toile, nom, f));
}

}  // namespace

void DessineSalutations(Recueil* recueil) {
    DessineVieilleTV(recueil);
    DessineGreets(recueil);
    DessineNeon(recueil, "Wozz", "WOZZ", palette::kMagenta, 12);
    DessineNeon(recueil, "Slik", "SLIK", palette::kAmbre, 30);
    DessineNeon(recueil, "Brenn", "BRENN", palette::kCyan, 48);
}

}  // namespace forge
