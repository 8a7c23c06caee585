// The three pictures that are loaded but shown by no scene, finished all the
// same: an arch of neon tubes on a sunset window, a woman's profile in
// portrait light, and a brick townhouse at dusk drawn on white.
#include <cmath>
#include <initializer_list>

#include "forge_images.h"

namespace forge {

namespace {

// A filled path lit from the top left: a linear ramp of the given tones
// across the box (x0, y0)-(x1, y1).
void Rampe(cairo_t* cr, double x0, double y0, double x1, double y1,
           std::initializer_list<Couleur> teintes, bool garde = false) {
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
    const size_t n = teintes.size();
    size_t i = 0;
    for (const Couleur& c : teintes)
        cairo_pattern_add_color_stop_rgb(p, double(i++) / (n - 1), c.r, c.g, c.b);
    cairo_set_source(cr, p);
    if (garde)
        cairo_fill_preserve(cr);
    else
        cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// The arch: a round window on a dusk sky, spanned by three bevelled tubes of
// the production's magenta, amber and cyan standing on chrome pillars.
void DessineArc(Recueil* recueil) {
    Toile toile(192, 192);
    cairo_t* cr = toile.cr;
    Alea alea(GraineDe("Arc"));
    // The sky disc: night above, a banded sunset at the horizon.
    cairo_arc(cr, 96, 96, 92, 0, 2 * M_PI);
    cairo_save(cr);
    cairo_clip_preserve(cr);
    Rampe(cr, 0, 4, 0, 160,
          {palette::kNuit, Rvb(70, 20, 110), Rvb(200, 50, 150), Rvb(255, 150, 60),
           Rvb(255, 220, 140)});
    Etoiles(cr, &alea, 10, 8, 172, 70, 40, Rvb(220, 230, 255), 0.8);
    // Sun bands cut by the horizon, and a dark sea under it.
    cairo_arc(cr, 96, 150, 40, M_PI, 2 * M_PI);
    Rampe(cr, 0, 110, 0, 150, {Rvb(255, 240, 150), Rvb(255, 120, 60), Rvb(230, 40, 120)});
    for (int i = 0; i < 5; ++i) {
        cairo_rectangle(cr, 40, 126 + i * 5, 112, 1.2 + i * 0.5);
        cairo_set_source_rgb(cr, 0.78, 0.2, 0.5);
        cairo_fill(cr);
    }
    cairo_rectangle(cr, 0, 150, 192, 50);
    Rampe(cr, 0, 150, 0, 192, {Rvb(40, 10, 70), Rvb(12, 4, 30)});
    for (int i = 0; i < 9; ++i) {
        const double y = 154 + i * 4.2, w = 70 - i * 5;
        cairo_rectangle(cr, 96 - w / 2 + alea.Entre(-4, 4), y, w, 1.2);
        cairo_set_source_rgba(cr, 1, 0.6, 0.3, 0.6 - i * 0.05);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    // The tubes: dark underside, a bright crown, a white glint line.
    const Couleur tubes[] = {palette::kMagenta, palette::kAmbre, palette::kCyan};
    for (int i = 0; i < 3; ++i) {
        const double r = 78 - i * 15, e = 11;
        const Couleur c = tubes[i];
        cairo_new_path(cr);
        cairo_arc(cr, 96, 150, r, M_PI, 2 * M_PI);
        cairo_arc_negative(cr, 96, 150, r - e, 2 * M_PI, M_PI);
        cairo_close_path(cr);
        cairo_pattern_t* p = cairo_pattern_create_radial(96, 150, r - e, 96, 150, r);
        const Couleur sombre = Melange(c, palette::kNuit, 0.6);
        const Couleur clair = Melange(c, Rvb(255, 255, 255), 0.55);
        cairo_pattern_add_color_stop_rgb(p, 0, sombre.r, sombre.g, sombre.b);
        cairo_pattern_add_color_stop_rgb(p, 0.35, c.r, c.g, c.b);
        cairo_pattern_add_color_stop_rgb(p, 0.7, clair.r, clair.g, clair.b);
        cairo_pattern_add_color_stop_rgb(p, 1, c.r * 0.8, c.g * 0.8, c.b * 0.8);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        cairo_arc(cr, 96, 150, r - e * 0.3, M_PI * 1.08, M_PI * 1.45);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.85);
        cairo_set_line_width(cr, 1.3);
        cairo_stroke(cr);
    }
    // Chrome pillars with a bevel and a dark joint.
    for (double x : {12.0, 154.0}) {
        cairo_rectangle(cr, x, 150, 26, 34);
        PeintChrome(cr, 150, 184, Rvb(120, 200, 255), Rvb(255, 255, 255), Rvb(200, 60, 160),
                    Rvb(20, 8, 50), 1.5);
        cairo_new_path(cr);
        cairo_rectangle(cr, x, 150, 26, 3);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.8);
        cairo_fill(cr);
        cairo_rectangle(cr, x + 22, 150, 4, 34);
        cairo_set_source_rgba(cr, 0.05, 0.02, 0.15, 0.5);
        cairo_fill(cr);
    }
    // The window's rim.
    cairo_arc(cr, 96, 96, 91, 0, 2 * M_PI);
    cairo_set_line_width(cr, 2.5);
    cairo_pattern_t* rim = cairo_pattern_create_linear(20, 20, 172, 172);
    cairo_pattern_add_color_stop_rgb(rim, 0, 0.85, 0.95, 1);
    cairo_pattern_add_color_stop_rgb(rim, 0.5, 0.9, 0.3, 0.7);
    cairo_pattern_add_color_stop_rgb(rim, 1, 0.25, 0.08, 0.4);
    cairo_set_source(cr, rim);
    cairo_stroke(cr);
    cairo_pattern_destroy(rim);
    Finition f;
    f.cle = Cle::Noir;
    f.grain = 3;
    recueil->images.push_back(Finit(toile, "Arc", f));
}

// The profile's outline, looking right.
void CheminProfil(cairo_t* cr) {
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
}

// A woman's profile lit like the production's portraits: warm amber key light
// on the face, magenta shadow, a cyan rim along the back of the hair.
void DessineFemme(Recueil* recueil) {
    Toile toile(192, 192);
    cairo_t* cr = toile.cr;
    CheminProfil(cr);
    cairo_save(cr);
    cairo_clip(cr);
    // Skin: shadow at the back and under the jaw, lit towards the face.
    cairo_rectangle(cr, 0, 0, 192, 192);
    Rampe(cr, 60, 0, 138, 0,
          {Rvb(90, 20, 80), Rvb(190, 70, 110), Rvb(240, 150, 120), Rvb(255, 214, 160)});
    // The neck falls into shadow under the jaw.
    cairo_move_to(cr, 60, 132);
    cairo_curve_to(cr, 90, 136, 110, 128, 130, 118);
    cairo_line_to(cr, 130, 192);
    cairo_line_to(cr, 60, 192);
    cairo_close_path(cr);
    Rampe(cr, 0, 120, 0, 192, {Rvb(120, 30, 90), Rvb(60, 12, 60)});
    // Cheek glow.
    cairo_pattern_t* joue = cairo_pattern_create_radial(112, 100, 2, 112, 100, 18);
    cairo_pattern_add_color_stop_rgba(joue, 0, 1, 0.45, 0.55, 0.5);
    cairo_pattern_add_color_stop_rgba(joue, 1, 1, 0.45, 0.55, 0);
    cairo_set_source(cr, joue);
    cairo_paint(cr);
    cairo_pattern_destroy(joue);
    // Hair: a mass over the back of the head in deep violet, strands in three
    // tones, lighter where the light catches the crown.
    cairo_move_to(cr, 126, 46);
    cairo_curve_to(cr, 120, 30, 100, 30, 96, 50);
    cairo_curve_to(cr, 92, 70, 84, 90, 86, 120);
    cairo_curve_to(cr, 88, 150, 70, 170, 76, 192);
    cairo_line_to(cr, 0, 192);
    cairo_line_to(cr, 0, 0);
    cairo_line_to(cr, 130, 0);
    cairo_close_path(cr);
    Rampe(cr, 20, 20, 100, 180, {Rvb(70, 20, 120), Rvb(40, 8, 80), Rvb(18, 4, 40)});
    Alea alea(GraineDe("Woman"));
    const Couleur meches[] = {Rvb(120, 50, 170), Rvb(200, 80, 200), Rvb(90, 200, 255)};
    for (int i = 0; i < 34; ++i) {
        const double t = alea.Entre(0, 1);
        const double x0 = 118 - t * 70, y0 = 26 + t * 10;
        cairo_move_to(cr, x0, y0);
        cairo_curve_to(cr, x0 - 16 - 10 * t, y0 + 40, x0 - 4 - 20 * t, 120, x0 - 30 * t - 6, 190);
        const Couleur c = meches[i % 3 == 2 && t < 0.6 ? 2 : i % 2];
        cairo_set_source_rgba(cr, c.r, c.g, c.b, alea.Entre(0.25, 0.6));
        cairo_set_line_width(cr, alea.Entre(0.7, 1.8));
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    // Rim lights: amber down the face, cyan along the back of the hair.
    CheminProfil(cr);
    cairo_save(cr);
    cairo_clip(cr);
    cairo_set_line_width(cr, 4);
    CheminProfil(cr);
    cairo_pattern_t* bord = cairo_pattern_create_linear(30, 0, 136, 0);
    cairo_pattern_add_color_stop_rgba(bord, 0, 0.5, 0.9, 1, 0.9);
    cairo_pattern_add_color_stop_rgba(bord, 0.35, 0.5, 0.9, 1, 0);
    cairo_pattern_add_color_stop_rgba(bord, 0.75, 1, 0.8, 0.5, 0);
    cairo_pattern_add_color_stop_rgba(bord, 1, 1, 0.92, 0.7, 0.9);
    cairo_set_source(cr, bord);
    cairo_stroke(cr);
    cairo_pattern_destroy(bord);
    cairo_restore(cr);
    // Eye with lashes, brow, lips.
    cairo_move_to(cr, 113, 71);
    cairo_curve_to(cr, 118, 67, 124, 68, 127, 72);
    cairo_set_source_rgb(cr, 0.15, 0.02, 0.15);
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
    for (int i = 0; i < 3; ++i) {
        cairo_move_to(cr, 116 + i * 3.5, 69);
        cairo_line_to(cr, 114 + i * 3.5, 65);
    }
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_move_to(cr, 112, 61);
    cairo_curve_to(cr, 118, 57, 125, 58, 129, 62);
    cairo_set_source_rgba(cr, 0.3, 0.08, 0.3, 0.8);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    cairo_move_to(cr, 120, 108);
    cairo_curve_to(cr, 123, 110, 125, 111, 127, 111);
    cairo_curve_to(cr, 124, 114, 121, 114, 119, 113);
    cairo_set_source_rgb(cr, 0.85, 0.15, 0.45);
    cairo_fill(cr);
    Finition f;
    f.cle = Cle::Noir;
    f.grain = 3;
    recueil->images.push_back(Finit(toile, "Woman", f));
}

// A townhouse at dusk: brick front with tones per brick, a tiled gable, lit
// windows with magenta curtains, the sky caught cyan in the upper panes, a
// panelled door under a glowing fanlight.
void DessineFacade(Recueil* recueil) {
    Toile toile(192, 192);
    cairo_t* cr = toile.cr;
    Alea alea(GraineDe("Facade"));
    auto chemin = [&]() {
        cairo_new_path(cr);
        cairo_move_to(cr, 26, 186);
        cairo_line_to(cr, 26, 70);
        cairo_line_to(cr, 96, 14);
        cairo_line_to(cr, 166, 70);
        cairo_line_to(cr, 166, 186);
        cairo_close_path(cr);
    };
    chemin();
    cairo_save(cr);
    cairo_clip(cr);
    cairo_rectangle(cr, 0, 0, 192, 192);
    Rampe(cr, 20, 14, 170, 186, {Rvb(200, 110, 90), Rvb(150, 60, 70), Rvb(80, 28, 60)});
    // Bricks: a tone each, mortar lines darker.
    for (int rang = 0; rang < 30; ++rang) {
        const double y = 14 + rang * 6;
        for (double x = 26 - (rang % 2) * 7; x < 166; x += 14) {
            const double t = alea.Entre(-0.12, 0.12);
            cairo_rectangle(cr, x + 0.5, y + 0.5, 13, 5);
            cairo_set_source_rgba(cr, t > 0 ? 1 : 0.2, t > 0 ? 0.7 : 0.05, t > 0 ? 0.5 : 0.2,
                                  std::fabs(t) * 1.6);
            cairo_fill(cr);
        }
        cairo_rectangle(cr, 0, y, 192, 0.9);
        cairo_set_source_rgba(cr, 0.15, 0.04, 0.12, 0.45);
        cairo_fill(cr);
    }
    // Dusk light from the top left across the front.
    cairo_rectangle(cr, 0, 0, 192, 192);
    cairo_pattern_t* jour = cairo_pattern_create_linear(20, 20, 170, 180);
    cairo_pattern_add_color_stop_rgba(jour, 0, 1, 0.75, 0.4, 0.3);
    cairo_pattern_add_color_stop_rgba(jour, 1, 0.1, 0.02, 0.2, 0.35);
    cairo_set_source(cr, jour);
    cairo_fill(cr);
    cairo_pattern_destroy(jour);
    cairo_restore(cr);
    // Tiled gable edge.
    cairo_move_to(cr, 16, 76);
    cairo_line_to(cr, 96, 8);
    cairo_line_to(cr, 176, 76);
    cairo_line_to(cr, 166, 80);
    cairo_line_to(cr, 96, 20);
    cairo_line_to(cr, 26, 80);
    cairo_close_path(cr);
    Rampe(cr, 0, 8, 0, 80, {Rvb(120, 60, 160), Rvb(70, 24, 100), Rvb(30, 8, 50)});
    for (int i = 1; i < 12; ++i) {
        const double t = i / 12.0;
        cairo_move_to(cr, 96 - 80 * t, 8 + 68 * t);
        cairo_line_to(cr, 96 - 70 * t, 20 + 60 * t);
        cairo_move_to(cr, 96 + 80 * t, 8 + 68 * t);
        cairo_line_to(cr, 96 + 70 * t, 20 + 60 * t);
    }
    cairo_set_source_rgba(cr, 0.9, 0.6, 1, 0.45);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // Windows.
    for (int rangee = 0; rangee < 2; ++rangee) {
        for (int col = 0; col < 3; ++col) {
            if (rangee == 1 && col == 1) continue;
            const double x = 40 + col * 42, y = 86 + rangee * 48;
            // Stone lintel and sill.
            cairo_rectangle(cr, x - 3, y - 5, 34, 5);
            cairo_rectangle(cr, x - 3, y + 36, 34, 4);
            Rampe(cr, 0, y - 5, 0, y + 40,
                  {Rvb(240, 220, 200), Rvb(170, 140, 150), Rvb(90, 60, 90)});
            // Lit room: amber glow, magenta curtains, cyan sky in the top panes.
            cairo_rectangle(cr, x, y, 28, 36);
            Rampe(cr, 0, y, 0, y + 36, {Rvb(255, 230, 150), Rvb(255, 176, 48), Rvb(200, 90, 40)});
            cairo_rectangle(cr, x, y, 28, 15);
            Rampe(cr, x, y, x + 28, y + 15,
                  {Rvb(140, 230, 255), Rvb(40, 140, 220), Rvb(30, 40, 120)});
            for (double cx : {x, x + 21.0}) {
                cairo_rectangle(cr, cx, y + 15, 7, 21);
                Rampe(cr, cx, 0, cx + 7, 0,
                      {Rvb(120, 10, 80), Rvb(230, 40, 170), Rvb(140, 20, 100)});
            }
            cairo_set_source_rgb(cr, 0.95, 0.9, 0.88);
            cairo_set_line_width(cr, 1.6);
            cairo_rectangle(cr, x, y, 28, 36);
            cairo_move_to(cr, x + 14, y);
            cairo_line_to(cr, x + 14, y + 36);
            cairo_move_to(cr, x, y + 15);
            cairo_line_to(cr, x + 28, y + 15);
            cairo_stroke(cr);
            cairo_move_to(cr, x + 3, y + 12);
            cairo_line_to(cr, x + 10, y + 3);
            cairo_set_source_rgba(cr, 1, 1, 1, 0.7);
            cairo_set_line_width(cr, 1.2);
            cairo_stroke(cr);
        }
    }
    // Door: panelled wood, brass knob, glowing fanlight.
    cairo_arc(cr, 96, 146, 15, M_PI, 2 * M_PI);
    cairo_line_to(cr, 111, 186);
    cairo_line_to(cr, 81, 186);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.92, 0.86, 0.8);
    cairo_set_line_width(cr, 3);
    cairo_stroke_preserve(cr);
    Rampe(cr, 81, 0, 111, 0, {Rvb(110, 40, 40), Rvb(70, 20, 40), Rvb(36, 8, 30)});
    cairo_arc(cr, 96, 146, 12, M_PI, 2 * M_PI);
    cairo_close_path(cr);
    Rampe(cr, 0, 134, 0, 146, {Rvb(255, 240, 170), Rvb(255, 150, 50)});
    for (double py : {150.0, 168.0}) {
        for (double px : {85.0, 98.0}) {
            cairo_rectangle(cr, px, py, 9, 14);
            cairo_set_source_rgba(cr, 0.05, 0, 0.08, 0.45);
            cairo_set_line_width(cr, 1);
            cairo_stroke(cr);
        }
    }
    cairo_arc(cr, 106, 168, 1.8, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 1, 0.8, 0.3);
    cairo_fill(cr);
    // Round attic window catching the sky.
    cairo_arc(cr, 96, 44, 9, 0, 2 * M_PI);
    Rampe(cr, 88, 36, 104, 52, {Rvb(160, 240, 255), Rvb(40, 150, 230), Rvb(30, 30, 110)}, true);
    cairo_set_source_rgb(cr, 0.95, 0.9, 0.88);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
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
