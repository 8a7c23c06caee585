// Countdown pictures: the film-leader background, the dirt in the gate and the six
// leader digits, in the warm sepia of an old reel.
#include <cmath>
#include <string>

#include "forge_images.h"

namespace forge {

namespace {

// The warm grey the digits and the ring are seen over (centre of the leader).
const Couleur kPapier = Rvb(178, 166, 142);
const Couleur kEncre = Rvb(34, 28, 24);
// Width of the perforated strips along the leader's sides.
constexpr double kBandePerforee = 28;

void DessineCinema(Recueil* recueil) {
    Toile toile(640, 480);
    cairo_t* cr = toile.cr;
    const double cx = 320, cy = 240;
    // Warm paper with a strong vignette.
    cairo_pattern_t* fond = cairo_pattern_create_radial(cx, cy, 30, cx, cy, 420);
    cairo_pattern_add_color_stop_rgb(fond, 0.0, 0.76, 0.71, 0.61);
    cairo_pattern_add_color_stop_rgb(fond, 0.45, kPapier.r, kPapier.g, kPapier.b);
    cairo_pattern_add_color_stop_rgb(fond, 0.8, 0.45, 0.39, 0.31);
    cairo_pattern_add_color_stop_rgb(fond, 1.0, 0.2, 0.16, 0.12);
    cairo_set_source(cr, fond);
    cairo_paint(cr);
    cairo_pattern_destroy(fond);

    // The sweep: one quarter of the dial a shade darker, as on a running leader.
    cairo_move_to(cr, cx, cy);
    cairo_arc(cr, cx, cy, 600, -M_PI / 2, 0.35);
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, 0.22, 0.14, 0.07, 0.34);
    cairo_fill(cr);

    // Cross-hair and rings.
    cairo_set_source_rgba(cr, kEncre.r, kEncre.g, kEncre.b, 0.85);
    cairo_set_line_width(cr, 3);
    cairo_move_to(cr, 0, cy);
    cairo_line_to(cr, 640, cy);
    cairo_move_to(cr, cx, 0);
    cairo_line_to(cr, cx, 480);
    cairo_stroke(cr);
    const double rayons[] = {178, 200};
    for (double r : rayons) {
        cairo_set_line_width(cr, r == 178 ? 5 : 2.5);
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        cairo_stroke(cr);
    }
    // Ticks around the outer ring.
    for (int i = 0; i < 60; ++i) {
        const double a = i * M_PI / 30;
        const double r0 = i % 5 == 0 ? 204 : 206, r1 = i % 5 == 0 ? 226 : 214;
        cairo_set_line_width(cr, i % 5 == 0 ? 3 : 1.5);
        cairo_move_to(cr, cx + r0 * std::cos(a), cy + r0 * std::sin(a));
        cairo_line_to(cr, cx + r1 * std::cos(a), cy + r1 * std::sin(a));
        cairo_stroke(cr);
    }

    // Frame marks: the frame lines of the film and the perforated edges.
    // The strips are no wider than the cue ring's margin in its picture,
    // so that wherever the ring lands it stays on the picture area.
    cairo_set_source_rgb(cr, 0.09, 0.07, 0.05);
    cairo_rectangle(cr, 0, 0, kBandePerforee, 480);
    cairo_rectangle(cr, 640 - kBandePerforee, 0, kBandePerforee, 480);
    cairo_fill(cr);
    for (int y = -10; y < 480; y += 40) {
        for (double x : {6.0, 640 - kBandePerforee + 6.0}) {
            cairo_new_sub_path(cr);
            cairo_arc(cr, x + 3, y + 3, 3, M_PI, 1.5 * M_PI);
            cairo_arc(cr, x + 13, y + 3, 3, 1.5 * M_PI, 2 * M_PI);
            cairo_arc(cr, x + 13, y + 20, 3, 0, 0.5 * M_PI);
            cairo_arc(cr, x + 3, y + 20, 3, 0.5 * M_PI, M_PI);
            cairo_close_path(cr);
        }
    }
    cairo_set_source_rgb(cr, 0.62, 0.56, 0.46);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, 0.08, 0.06, 0.04, 0.9);
    cairo_set_line_width(cr, 4);
    cairo_rectangle(cr, 52, 14, 536, 452);
    cairo_stroke(cr);
    // Corner brackets of the projection frame.
    cairo_set_line_width(cr, 2);
    for (int i = 0; i < 4; ++i) {
        const double x = i % 2 ? 572 : 68, y = i / 2 ? 450 : 30;
        const double sx = i % 2 ? -1 : 1, sy = i / 2 ? -1 : 1;
        cairo_move_to(cr, x, y + sy * 24);
        cairo_line_to(cr, x, y);
        cairo_line_to(cr, x + sx * 24, y);
        cairo_stroke(cr);
    }
    // Leader lettering in the margins.
    cairo_font_face_t* affiche = Police(kPoliceAffiche);
    cairo_set_source_rgba(cr, 0.1, 0.08, 0.06, 0.8);
    // Each starts (or ends) 8 pixels past the end of its bracket's arm, on
    // the arm's row, so the two never touch.
    auto etiquette = [&](double taille, const char* texte, double bord, double cy) {
        double largeur = 0;
        cairo_fill(cr);  // the labels before it
        CheminTexteCentre(cr, affiche, taille, texte, 0, cy, &largeur);
        cairo_new_path(cr);
        const double cx = bord < 320 ? bord + largeur / 2 : bord - largeur / 2;
        CheminTexteCentre(cr, affiche, taille, texte, cx, cy);
    };
    etiquette(22, "SAFETY FILM", 68 + 24 + 8, 451);
    etiquette(22, "ORBO LAB - REEL 1", 572 - 24 - 8, 451);
    etiquette(18, "35 MM", 68 + 24 + 8, 31);
    etiquette(18, "KZM-01", 572 - 24 - 8, 31);
    cairo_fill(cr);

    // Dust, hairs and scratches: the wear of a reel run many times.
    Alea alea(GraineDe("Cinema"));
    for (int i = 0; i < 260; ++i) {
        const double x = alea.Entre(40, 600), y = alea.Entre(0, 480);
        const bool clair = alea.Uniforme() < 0.35;
        cairo_set_source_rgba(cr, clair ? 0.95 : 0.08, clair ? 0.92 : 0.06, clair ? 0.85 : 0.04,
                              alea.Entre(0.2, 0.7));
        cairo_arc(cr, x, y, alea.Entre(0.4, 1.8), 0, 2 * M_PI);
        cairo_fill(cr);
    }
    cairo_set_line_width(cr, 0.9);
    for (int i = 0; i < 7; ++i) {
        double x = alea.Entre(60, 580), y = alea.Entre(20, 460);
        cairo_move_to(cr, x, y);
        cairo_curve_to(cr, x + alea.Entre(-20, 20), y + alea.Entre(-20, 20),
                       x + alea.Entre(-30, 30), y + alea.Entre(-30, 30), x + alea.Entre(-25, 25),
                       y + alea.Entre(-25, 25));
        cairo_set_source_rgba(cr, 0.1, 0.08, 0.05, 0.6);
        cairo_stroke(cr);
    }
    for (int i = 0; i < 3; ++i) {
        const double x = alea.Entre(80, 560);
        cairo_move_to(cr, x, 0);
        cairo_line_to(cr, x + alea.Entre(-4, 4), 480);
        cairo_set_source_rgba(cr, 0.95, 0.92, 0.84, 0.25);
        cairo_stroke(cr);
    }
    Finition f;
    f.grain = 7.0;
    recueil->images.push_back(Finit(toile, "Cinema", f));
}

void DessineCercle(Recueil* recueil) {
    Toile toile(120, 120);
    cairo_t* cr = toile.cr;
    // Dirt caught in the gate: a curled hair and a few specks of dust, the
    // kind of wear that shows in a new place on every frame of an old print
    // (the leader's own cross-hair stays put on the background). Each
    // stroke sits in a soft darker halo as if burnt into the film. Kept a
    // strip's width inside the picture's edges (the countdown may put the
    // picture against the screen's edge), and clear at the very middle.
    const double bord = 60 - kBandePerforee - 6;
    auto cheveu = [&]() {
        cairo_new_path(cr);
        cairo_move_to(cr, 60 - bord + 2, 60 + 10);
        cairo_curve_to(cr, 60 - 14, 60 - 16, 60 + 4, 60 - 24, 60 + 10, 60 - 10);
        cairo_curve_to(cr, 60 + 15, 60 + 2, 60 + 2, 60 + 12, 60 - 3, 60 + 3);
        cairo_curve_to(cr, 60 - 7, 60 - 5, 60 + 8, 60 - 4, 60 + 14, 60 + 8);
        cairo_curve_to(cr, 60 + 19, 60 + 17, 60 + bord - 6, 60 + 16, 60 + bord - 2, 60 + 22);
    };
    const struct {
        double x, y, r;
    } poussieres[] = {{-18, -20, 1.8}, {20, -17, 1.2}, {-9, 21, 1.4}, {23, -2, 0.9}};
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    const struct {
        double largeur, r, g, b, a;
    } passes[] = {{5, 0.42, 0.3, 0.18, 0.22},
                  {3, 0.3, 0.2, 0.12, 0.35},
                  {1.4, kEncre.r, kEncre.g, kEncre.b, 1}};
    for (const auto& p : passes) {
        cairo_set_source_rgba(cr, p.r, p.g, p.b, p.a);
        cairo_set_line_width(cr, p.largeur);
        cheveu();
        cairo_stroke(cr);
        for (const auto& d : poussieres) {
            cairo_arc(cr, 60 + d.x, 60 + d.y, d.r + (p.largeur - 1.4) / 2, 0, 2 * M_PI);
            cairo_fill(cr);
        }
    }
    Finition f;
    f.cle = Cle::Blanc;
    f.fond = kPapier;
    recueil->images.push_back(Finit(toile, "Cercle", f));
}

void DessineChiffre(Recueil* recueil, int chiffre) {
    const std::string nom = "Decompte" + std::to_string(chiffre);
    Toile toile(260, 300);
    cairo_t* cr = toile.cr;
    const std::string texte = std::to_string(chiffre);
    cairo_font_face_t* police = Police(kPoliceAffiche);
    // A fixed size for every digit so that they match from one second to the next.
    CheminTexteCentre(cr, police, 385, texte.c_str(), 127, 147);
    OmbreDouce(cr, 260, 300, 5, 6, 4, Rvb(60, 40, 20), 0.9);
    // Ink with a faint sheen from top to bottom.
    cairo_pattern_t* p = cairo_pattern_create_linear(0, 20, 0, 280);
    cairo_pattern_add_color_stop_rgb(p, 0, 0.22, 0.18, 0.15);
    cairo_pattern_add_color_stop_rgb(p, 0.5, kEncre.r, kEncre.g, kEncre.b);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.08, 0.06, 0.05);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    cairo_set_source_rgba(cr, 0.93, 0.86, 0.72, 0.35);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    Finition f;
    f.cle = Cle::Blanc;
    f.fond = kPapier;
    f.grain = 4.0;
    recueil->images.push_back(Finit(toile, nom.c_str(), f));
}

}  // namespace

void DessineDecompte(Recueil* recueil) {
    DessineCinema(recueil);
    DessineCercle(recueil);
    for (int c = 5; c >= 0; --c) DessineChiffre(recueil, c);
}

}  // namespace forge
