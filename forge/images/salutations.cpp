// Greetings pictures: a wooden television of the sixties whose black screen
// shows the page behind it, the heading and the three greeted names.
// Palette: walnut and brass around cool neon lettering.
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
    cairo_set_source_rgb(cr, 0.16, 0.14, 0.12);
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
    cairo_font_face_t* police = Police(kPoliceTexte);
    cairo_set_source_rgb(cr, 0.95, 0.82, 0.5);
    CheminTexteCentre(cr, police, 16, "ORBOPHONE", 210, 433);
    cairo_fill(cr);
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
        cairo_set_source_rgb(cr, 0.95, 0.82, 0.5);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
    Finition f;
    f.cle = Cle::Noir;
    f.fond = {0, 0, 0};
    f.grain = 2.0;
    recueil->images.push_back(Finit(toile, "OldTV", f));
}

void DessineNeon(Recueil* recueil, const char* nom, const char* texte, Couleur teinte,
                 bool chrome) {
    const EntreeCatalogue* e = TrouveEntree(nom);
    Toile toile(e->largeur, e->hauteur);
    cairo_t* cr = toile.cr;
    cairo_font_face_t* police = Police(chrome ? kPoliceLogo : kPoliceTitre);
    const double t = TailleAjustee(cr, police, texte, e->largeur - 20, e->hauteur - 14);
    CheminTexteCentre(cr, police, t, texte, e->largeur / 2.0, e->hauteur / 2.0);
    if (chrome) {
        PeintChrome(cr, 7, e->hauteur - 7, Rvb(60, 255, 200), Rvb(255, 255, 255), Rvb(20, 120, 200),
                    Rvb(0, 20, 30), 2.5);
    } else {
        // Neon tube: a coloured core with a white-hot centre line.
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_source_rgb(cr, teinte.r * 0.35, teinte.g * 0.35, teinte.b * 0.35);
        cairo_set_line_width(cr, 6);
        cairo_stroke_preserve(cr);
        cairo_set_source_rgb(cr, teinte.r, teinte.g, teinte.b);
        cairo_fill_preserve(cr);
        const Couleur coeur = Melange(teinte, {1, 1, 1}, 0.75);
        cairo_set_source_rgb(cr, coeur.r, coeur.g, coeur.b);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
    }
    cairo_new_path(cr);
    Finition f;
    f.cle = Cle::Noir;
    recueil->images.push_back(Finit(toile, nom, f));
}

}  // namespace

void DessineSalutations(Recueil* recueil) {
    DessineVieilleTV(recueil);
    DessineNeon(recueil, "Greets", "GREETINGS", {}, true);
    DessineNeon(recueil, "Wozz", "WOZZ", Rvb(255, 70, 190), false);
    DessineNeon(recueil, "Slik", "SLIK", Rvb(255, 170, 40), false);
    DessineNeon(recueil, "Brenn", "BRENN", Rvb(120, 140, 255), false);
}

}  // namespace forge
