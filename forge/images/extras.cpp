// The three pictures that are loaded but shown by no scene, finished all the
// same: a rainbow chrome arch, a woman's profile in gradient light, and a
// townhouse facade drawn on white.
#include <cmath>

#include "forge_images.h"

namespace forge {

namespace {

void DessineArc(Recueil* recueil) {
    Toile toile(192, 192);
    cairo_t* cr = toile.cr;
    const Couleur bandes[] = {Rvb(255, 60, 80),  Rvb(255, 150, 40), Rvb(255, 230, 60),
                              Rvb(80, 230, 100), Rvb(60, 170, 255), Rvb(150, 90, 255)};
    for (int i = 0; i < 6; ++i) {
        const double r = 84 - i * 10;
        cairo_new_path(cr);
        cairo_arc(cr, 96, 150, r, M_PI, 2 * M_PI);
        cairo_arc_negative(cr, 96, 150, r - 9, 2 * M_PI, M_PI);
        cairo_close_path(cr);
        cairo_pattern_t* p = cairo_pattern_create_radial(96, 150, r - 9, 96, 150, r);
        const Couleur c = bandes[i];
        const Couleur clair = Melange(c, {1, 1, 1}, 0.6);
        const Couleur sombre = Melange(c, {0, 0, 0}, 0.5);
        cairo_pattern_add_color_stop_rgb(p, 0, sombre.r, sombre.g, sombre.b);
        cairo_pattern_add_color_stop_rgb(p, 0.5, clair.r, clair.g, clair.b);
        cairo_pattern_add_color_stop_rgb(p, 1, c.r, c.g, c.b);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    // Chrome pillars under both ends.
    for (double x : {8.0, 160.0}) {
        cairo_rectangle(cr, x, 150, 24, 36);
        PeintChrome(cr, 150, 186, Rvb(120, 180, 255), Rvb(255, 255, 255), Rvb(90, 60, 160),
                    Rvb(10, 10, 40), 1.5);
        cairo_new_path(cr);
    }
    Finition f;
    f.cle = Cle::Noir;
    recueil->images.push_back(Finit(toile, "Arc", f));
}

void DessineFemme(Recueil* recueil) {
    Toile toile(192, 192);
    cairo_t* cr = toile.cr;
    // A profile looking right, with long hair flowing back.
    cairo_move_to(cr, 70, 190);
    cairo_curve_to(cr, 80, 160, 96, 150, 104, 140);
    cairo_curve_to(cr, 110, 132, 120, 130, 124, 120);  // chin
    cairo_curve_to(cr, 118, 116, 122, 112, 126, 110);  // lips
    cairo_curve_to(cr, 122, 106, 128, 104, 130, 100);
    cairo_curve_to(cr, 128, 94, 138, 90, 134, 84);  // nose
    cairo_curve_to(cr, 128, 74, 132, 60, 126, 46);  // brow
    cairo_curve_to(cr, 118, 22, 90, 14, 70, 20);
    cairo_curve_to(cr, 30, 30, 20, 80, 30, 120);  // hair back
    cairo_curve_to(cr, 36, 150, 10, 170, 20, 190);
    cairo_close_path(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(20, 20, 140, 190);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.3, 0.1, 0.6);
    cairo_pattern_add_color_stop_rgb(p, 0.5, 0.95, 0.35, 0.6);
    cairo_pattern_add_color_stop_rgb(p, 1, 1.0, 0.8, 0.4);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_set_source_rgb(cr, 1.0, 0.9, 0.95);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    // Strands of hair in light lines, and an eye.
    cairo_set_source_rgba(cr, 1, 0.85, 0.95, 0.7);
    cairo_set_line_width(cr, 1.2);
    for (int i = 0; i < 6; ++i) {
        cairo_move_to(cr, 80 - i * 6, 24 + i * 3);
        cairo_curve_to(cr, 40 - i * 2, 50 + i * 6, 50 - i * 4, 120, 30 - i * 2, 180);
    }
    cairo_stroke(cr);
    cairo_move_to(cr, 112, 70);
    cairo_curve_to(cr, 118, 66, 124, 68, 126, 72);
    cairo_set_source_rgb(cr, 0.2, 0.02, 0.2);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    Finition f;
    f.cle = Cle::Noir;
    recueil->images.push_back(Finit(toile, "Woman", f));
}

void DessineFacade(Recueil* recueil) {
    Toile toile(192, 192);
    cairo_t* cr = toile.cr;
    // The house: gabled front, shuttered windows, a door with a fanlight.
    cairo_move_to(cr, 26, 186);
    cairo_line_to(cr, 26, 70);
    cairo_line_to(cr, 96, 14);
    cairo_line_to(cr, 166, 70);
    cairo_line_to(cr, 166, 186);
    cairo_close_path(cr);
    cairo_pattern_t* mur = cairo_pattern_create_linear(0, 14, 0, 186);
    cairo_pattern_add_color_stop_rgb(mur, 0, 0.95, 0.78, 0.55);
    cairo_pattern_add_color_stop_rgb(mur, 1, 0.75, 0.5, 0.35);
    cairo_set_source(cr, mur);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(mur);
    cairo_set_source_rgb(cr, 0.3, 0.15, 0.1);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_move_to(cr, 18, 74);
    cairo_line_to(cr, 96, 8);
    cairo_line_to(cr, 174, 74);
    cairo_set_source_rgb(cr, 0.6, 0.2, 0.15);
    cairo_set_line_width(cr, 8);
    cairo_stroke(cr);
    for (int rangee = 0; rangee < 2; ++rangee) {
        for (int col = 0; col < 3; ++col) {
            if (rangee == 1 && col == 1) continue;
            const double x = 40 + col * 42, y = 80 + rangee * 52;
            cairo_rectangle(cr, x, y, 28, 36);
            cairo_set_source_rgb(cr, 0.25, 0.4, 0.6);
            cairo_fill(cr);
            cairo_rectangle(cr, x - 7, y, 6, 36);
            cairo_rectangle(cr, x + 29, y, 6, 36);
            cairo_set_source_rgb(cr, 0.2, 0.5, 0.35);
            cairo_fill(cr);
            cairo_set_source_rgb(cr, 0.95, 0.92, 0.85);
            cairo_set_line_width(cr, 2);
            cairo_move_to(cr, x + 14, y);
            cairo_line_to(cr, x + 14, y + 36);
            cairo_move_to(cr, x, y + 16);
            cairo_line_to(cr, x + 28, y + 16);
            cairo_stroke(cr);
        }
    }
    cairo_arc(cr, 96, 146, 14, M_PI, 2 * M_PI);
    cairo_line_to(cr, 110, 186);
    cairo_line_to(cr, 82, 186);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.45, 0.15, 0.12);
    cairo_fill(cr);
    cairo_arc(cr, 96, 40, 9, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 0.35, 0.5, 0.7);
    cairo_fill(cr);
    Finition f;
    f.cle = Cle::Blanc;
    f.fond = Rvb(200, 200, 200);
    recueil->images.push_back(Finit(toile, "Facade", f));
}

}  // namespace

void DessineExtras(Recueil* recueil) {
    DessineArc(recueil);
    DessineFemme(recueil);
    DessineFacade(recueil);
}

}  // namespace forge
