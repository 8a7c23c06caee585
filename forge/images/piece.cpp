// The room the four television sets stand in: a night-violet wall under a
// magenta neon tube, a shelf with a cyan light strip for the upper sets, the
// floor for the lower ones, each set's feet on them with a contact shadow.
// Seen whole for two seconds, then round the sets and through the column
// between them and the strip between the two rows: the party poster hangs in
// that column above the shelf, the group's neon sign, its letters stacked,
// below it, and the shelf's edge runs across the strip.
#include <algorithm>
#include <cmath>
#include <vector>

#include "forge_images.h"

namespace forge {

namespace {

constexpr int kL = 640, kH = 480;
// The shelf the upper sets stand on (its top face from the row under their
// feet), the skirting board and the floor line; the lower sets' feet touch
// the floor further down, at row 250 + kBasPiedsTV.
constexpr int kEtagere = kBasPiedsTV, kEtagereBas = kEtagere + 21, kPlinthe = 440, kSol = 452;
// Where the sets stand on the screen: top left, top right, bottom left and right.
constexpr int kPostes[4][2] = {{0, 0}, {350, 0}, {0, 250}, {350, 250}};
// The poster, inside the column between the sets (columns 290 to 349).
constexpr Cadre kAffiche = {298, 30, 44, 186};

const Couleur kMurSombre = Rvb(22, 8, 40), kMurClair = Rvb(74, 34, 104);

// The wall: violet wallpaper in broad stripes with a small diamond, the
// paper's grain, darker towards the corners.
void PeintMur(Toile* toile) {
    AccesPixels px(toile);
    for (int y = 0; y < kSol; ++y) {
        for (int x = 0; x < kL; ++x) {
            const double coin = std::hypot((x - 320) / 420.0, (y - 150) / 380.0);
            double s = 0.75 - 0.45 * coin;
            const int bande = (x + 8) % 40;
            if (bande < 18) s -= 0.07;
            if (bande == 18 || bande == 39) s += 0.05;
            // Diamonds between the stripes.
            const double mx = std::fabs(((x + 8) % 40) - 29.0), my = std::fabs((y % 36) - 18.0);
            if (mx / 5 + my / 7 < 1.0) s += 0.08;
            s += 0.06 * (Bruit(x / 1.5, y / 1.5, 201) - 0.5) +
                 0.06 * (Fractal(x / 40.0, y / 40.0, 3, 202) - 0.5);
            Couleur c = Melange(kMurSombre, kMurClair, std::clamp(s, 0.0, 1.0));
            // Under the neon tube the wall takes its magenta.
            c = Melange(c, palette::kMagenta, 0.35 * std::exp(-y / 28.0));
            px.Ecrit(x, y, c);
        }
    }
}

// Light laid over the canvas: a soft elliptical pool of colour.
void Halo(cairo_t* cr, double x, double y, double rx, double ry, Couleur c, double opacite) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, rx, ry);
    cairo_pattern_t* p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
    cairo_pattern_add_color_stop_rgba(p, 0, c.r, c.g, c.b, opacite);
    cairo_pattern_add_color_stop_rgba(p, 0.4, c.r, c.g, c.b, opacite * 0.45);
    cairo_pattern_add_color_stop_rgba(p, 1, c.r, c.g, c.b, 0);
    cairo_set_source(cr, p);
    cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_pattern_destroy(p);
    cairo_restore(cr);
}

// Wood with its grain along x, shaded through a ramp of tones.
void PeintBois(Toile* toile, int x0, int y0, int x1, int y1, double clair, double sombre,
               uint32_t graine) {
    const std::vector<Couleur> rampe = {Rvb(40, 16, 10), Rvb(86, 40, 20), Rvb(140, 74, 34),
                                        Rvb(196, 120, 56), Rvb(246, 182, 96)};
    AccesPixels px(toile);
    for (int y = std::max(0, y0); y < std::min(kH, y1); ++y) {
        const double t = y1 > y0 + 1 ? double(y - y0) / (y1 - y0 - 1) : 0;
        for (int x = std::max(0, x0); x < std::min(kL, x1); ++x) {
            const double veine = Fractal(x / 90.0, y / 2.2, 3, graine);
            const double noeud = std::sin(veine * 18 + x / 60.0);
            const double s = clair + (sombre - clair) * t + 0.09 * noeud +
                             0.05 * (Bruit(x / 1.3, y / 1.3, graine + 1) - 0.5);
            px.Ecrit(x, y, Teinte(rampe, s, x, y));
        }
    }
}

void PeintEtagere(Toile* toile) {
    cairo_t* cr = toile->cr;
    // The shelf's shadow on the wall below it.
    cairo_pattern_t* ombre = cairo_pattern_create_linear(0, kEtagereBas, 0, kEtagereBas + 26);
    cairo_pattern_add_color_stop_rgba(ombre, 0, 0.02, 0, 0.05, 0.75);
    cairo_pattern_add_color_stop_rgba(ombre, 1, 0.02, 0, 0.05, 0);
    cairo_set_source(cr, ombre);
    cairo_rectangle(cr, 0, kEtagereBas, kL, 26);
    cairo_fill(cr);
    cairo_pattern_destroy(ombre);
    // Top face, lit; front edge; the dark lip under it.
    PeintBois(toile, 0, kEtagere, kL, kEtagere + 6, 0.85, 0.7, 211);
    PeintBois(toile, 0, kEtagere + 6, kL, kEtagereBas - 2, 0.62, 0.35, 212);
    cairo_set_source_rgb(cr, 0.12, 0.05, 0.04);
    cairo_rectangle(cr, 0, kEtagereBas - 2, kL, 2);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, 1, 0.9, 0.7, 0.6);
    cairo_rectangle(cr, 0, kEtagere, kL, 1);
    cairo_fill(cr);
    // The cyan light strip under the front edge, and its glow on the wall.
    cairo_set_source_rgb(cr, 0.75, 1, 1);
    cairo_rectangle(cr, 0, kEtagereBas, kL, 1);
    cairo_fill(cr);
    cairo_pattern_t* lueur = cairo_pattern_create_linear(0, kEtagereBas, 0, kEtagereBas + 44);
    cairo_pattern_add_color_stop_rgba(lueur, 0, palette::kCyan.r, palette::kCyan.g,
                                      palette::kCyan.b, 0.32);
    cairo_pattern_add_color_stop_rgba(lueur, 1, palette::kCyan.r, palette::kCyan.g,
                                      palette::kCyan.b, 0);
    cairo_set_source(cr, lueur);
    cairo_set_operator(cr, CAIRO_OPERATOR_ADD);
    cairo_rectangle(cr, 0, kEtagereBas + 1, kL, 44);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_pattern_destroy(lueur);
    // Iron brackets, one in the column between the sets.
    for (double x : {150.0, 490.0}) {
        cairo_move_to(cr, x - 14, kEtagereBas);
        cairo_line_to(cr, x + 14, kEtagereBas);
        cairo_line_to(cr, x + 14, kEtagereBas + 4);
        cairo_curve_to(cr, x + 4, kEtagereBas + 8, x - 2, kEtagereBas + 16, x - 2,
                       kEtagereBas + 30);
        cairo_line_to(cr, x - 6, kEtagereBas + 30);
        cairo_curve_to(cr, x - 6, kEtagereBas + 14, x - 10, kEtagereBas + 6, x - 14,
                       kEtagereBas + 4);
        cairo_close_path(cr);
        cairo_pattern_t* fer = cairo_pattern_create_linear(x - 14, 0, x + 14, 0);
        cairo_pattern_add_color_stop_rgb(fer, 0, 0.55, 0.85, 0.95);
        cairo_pattern_add_color_stop_rgb(fer, 0.3, 0.25, 0.22, 0.34);
        cairo_pattern_add_color_stop_rgb(fer, 1, 0.08, 0.05, 0.12);
        cairo_set_source(cr, fer);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(fer);
        cairo_set_source_rgb(cr, 0.05, 0.02, 0.08);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        for (double vy : {kEtagereBas + 2.5, kEtagereBas + 24.0}) {
            cairo_arc(cr, x - 4, vy, 1.3, 0, 2 * M_PI);
            cairo_set_source_rgb(cr, 0.85, 0.95, 1);
            cairo_fill(cr);
        }
    }
}

void PeintSol(Toile* toile) {
    cairo_t* cr = toile->cr;
    PeintBois(toile, 0, kPlinthe, kL, kSol, 0.55, 0.3, 221);
    cairo_set_source_rgba(cr, 1, 0.85, 0.6, 0.5);
    cairo_rectangle(cr, 0, kPlinthe, kL, 1);
    cairo_fill(cr);
    PeintBois(toile, 0, kSol, kL, kH, 0.5, 0.28, 222);
    // Boards in perspective towards the middle of the room.
    cairo_set_line_width(cr, 1);
    for (int i = -14; i <= 14; ++i) {
        cairo_move_to(cr, 320 + i * 30, kSol);
        cairo_line_to(cr, 320 + i * 52, kH);
    }
    cairo_set_source_rgba(cr, 0.08, 0.03, 0.02, 0.7);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 0.06, 0.02, 0.02, 0.85);
    cairo_rectangle(cr, 0, kSol, kL, 2);
    cairo_fill(cr);
}

// The neon tube along the top of the wall: a white core in a magenta tube.
void PeintNeon(cairo_t* cr) {
    cairo_set_source_rgba(cr, palette::kMagenta.r, palette::kMagenta.g, palette::kMagenta.b, 0.5);
    cairo_rectangle(cr, 0, 2, kL, 8);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, palette::kMagenta.r, palette::kMagenta.g, palette::kMagenta.b);
    cairo_rectangle(cr, 0, 3, kL, 5);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 1, 0.8, 0.95);
    cairo_rectangle(cr, 0, 4, kL, 2);
    cairo_fill(cr);
    for (int x = 100; x < kL; x += 220) {
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.26);
        cairo_rectangle(cr, x, 1, 6, 9);
        cairo_fill(cr);
        cairo_set_source_rgb(cr, 0.6, 0.6, 0.7);
        cairo_rectangle(cr, x + 1, 1, 2, 9);
        cairo_fill(cr);
    }
}

// The group's name in neon on the wall between the lower sets, its letters
// stacked one under the other in magenta tubes, framed by a cyan tube, so
// that it shows through the column all the while the sets play.
void PeintEnseigne(Toile* toile) {
    cairo_t* cr = toile->cr;
    // Each letter one bent tube, 32 wide and 34 tall, drawn along its middle.
    const double haut = 262, pas = 44, g = 304, d = 336;
    auto lettres = [haut, pas, g, d](cairo_t* cr) {
        for (int i = 0; i < 4; ++i) {
            const double h = haut + i * pas, b = h + 34, m = h + 16;
            cairo_new_sub_path(cr);
            if (i == 0 || i == 3) {
                CheminArrondi(cr, g, h, d - g, b - h, 13);
            } else if (i == 1) {
                cairo_move_to(cr, g, b);
                cairo_line_to(cr, g, h);
                cairo_line_to(cr, d - 12, h);
                cairo_curve_to(cr, d + 1, h, d + 1, m, d - 12, m);
                cairo_line_to(cr, g, m);
                cairo_move_to(cr, d - 14, m);
                cairo_line_to(cr, d, b);
            } else {
                cairo_move_to(cr, g, b);
                cairo_line_to(cr, g, h);
                cairo_line_to(cr, d - 13, h);
                cairo_curve_to(cr, d - 1, h, d - 1, m, d - 13, m);
                cairo_line_to(cr, g, m);
                cairo_move_to(cr, d - 13, m);
                cairo_curve_to(cr, d + 1, m, d + 1, b, d - 13, b);
                cairo_line_to(cr, g, b);
            }
        }
    };
    // Glow on the wall, the tube's glass, its colour and its white core.
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    {
        cairo_surface_t* lueur = cairo_image_surface_create(CAIRO_FORMAT_A8, kL, kH);
        cairo_t* m = cairo_create(lueur);
        lettres(m);
        cairo_set_line_width(m, 9);
        cairo_set_line_join(m, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke(m);
        cairo_destroy(m);
        FlouSurface(lueur, 6);
        cairo_set_source_rgba(cr, palette::kMagenta.r, palette::kMagenta.g, palette::kMagenta.b,
                              0.8);
        cairo_mask_surface(cr, lueur, 0, 0);
        cairo_surface_destroy(lueur);
    }
    const struct {
        double largeur;
        Couleur c;
        double a;
    } passes[] = {{12, palette::kMagenta, 0.18},
                  {5.5, Melange(palette::kMagenta, Rvb(0, 0, 0), 0.35), 1},
                  {3.6, palette::kMagenta, 1},
                  {2, Melange(palette::kMagenta, Rvb(255, 255, 255), 0.55), 1},
                  {0.9, Rvb(255, 240, 250), 1}};
    for (const auto& p : passes) {
        lettres(cr);
        cairo_set_source_rgba(cr, p.c.r, p.c.g, p.c.b, p.a);
        cairo_set_line_width(cr, p.largeur);
        cairo_stroke(cr);
    }
    // The clips holding each letter to the wall.
    for (int i = 0; i < 4; ++i) {
        cairo_rectangle(cr, g - 3, haut + i * pas + 24, 6, 3);
        cairo_rectangle(cr, d - 3, haut + i * pas + 6, 6, 3);
    }
    cairo_set_source_rgb(cr, 0.55, 0.55, 0.65);
    cairo_fill(cr);
    // The frame: a thin cyan tube, its glow, its white core.
    for (int passe = 0; passe < 3; ++passe) {
        CheminArrondi(cr, 296.5, haut - 10.5, 47, 4 * pas + 7, 9);
        const Couleur c = passe == 2 ? Rvb(225, 250, 255) : palette::kCyan;
        cairo_set_source_rgba(cr, c.r, c.g, c.b, passe == 0 ? 0.22 : 1);
        cairo_set_line_width(cr, passe == 0 ? 7 : passe == 1 ? 2.2 : 0.8);
        cairo_stroke(cr);
    }
}

// Where the sets stand, a dark contact shadow under each, on the shelf's
// top face or on the floor, darkest under the feet. Kept tight to the
// support: the room is seen empty before the sets come, and the wall behind
// them carries no shadow that would show them before they are there.
void OmbresContact(cairo_t* cr) {
    const Cadre k = kCaissonTV;
    for (const auto& p : kPostes) {
        const double sol = p[1] + kBasPiedsTV;
        cairo_save(cr);
        cairo_translate(cr, p[0] + k.x + k.largeur / 2.0 + 2, sol + 1);
        cairo_scale(cr, k.largeur / 2.0 + 6, 5);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        OmbreDouce(cr, kL, kH, 0, 0, 3, Rvb(4, 0, 10), 1.0);
        cairo_new_path(cr);
        for (int pied : kPiedsTV) {
            cairo_rectangle(cr, p[0] + pied - 1, sol, kLargeurPiedTV + 4, 3);
            OmbreDouce(cr, kL, kH, 1, 0, 1, Rvb(2, 0, 6), 1.0);
            cairo_new_path(cr);
        }
    }
}

// The party flyer: a sunset over a grid in the title's colours, then its
// lines of lettering, each fitted inside the paper with a margin.
void PeintAffiche(cairo_t* cr, bool avecTexte) {
    const Cadre a = kAffiche;
    // Its shadow on the wall, then the paper.
    cairo_set_source_rgba(cr, 0.02, 0, 0.05, 0.55);
    cairo_rectangle(cr, a.x + 3, a.y + 4, a.largeur, a.hauteur);
    cairo_fill(cr);
    cairo_rectangle(cr, a.x, a.y, a.largeur, a.hauteur);
    cairo_pattern_t* papier = cairo_pattern_create_linear(0, a.y, 0, a.y + a.hauteur);
    cairo_pattern_add_color_stop_rgb(papier, 0, 0.06, 0.02, 0.16);
    cairo_pattern_add_color_stop_rgb(papier, 0.45, 0.3, 0.05, 0.36);
    cairo_pattern_add_color_stop_rgb(papier, 0.5, 0.85, 0.2, 0.55);
    cairo_pattern_add_color_stop_rgb(papier, 1, 0.1, 0.02, 0.2);
    cairo_set_source(cr, papier);
    cairo_fill(cr);
    cairo_pattern_destroy(papier);
    // The sun, striped, on the horizon; the grid below it.
    const double sx = a.x + a.largeur / 2.0, sy = a.y + 90;
    cairo_save(cr);
    cairo_rectangle(cr, a.x, a.y, a.largeur, a.hauteur);
    cairo_clip(cr);
    cairo_arc(cr, sx, sy, 17, M_PI, 2 * M_PI);
    cairo_close_path(cr);
    cairo_pattern_t* soleil = cairo_pattern_create_linear(0, sy - 17, 0, sy);
    cairo_pattern_add_color_stop_rgb(soleil, 0, 1, 0.9, 0.35);
    cairo_pattern_add_color_stop_rgb(soleil, 1, 1, 0.3, 0.55);
    cairo_set_source(cr, soleil);
    cairo_fill(cr);
    cairo_pattern_destroy(soleil);
    cairo_set_source_rgb(cr, 0.3, 0.05, 0.36);
    for (int k = 0; k < 4; ++k) cairo_rectangle(cr, sx - 18, sy - 9 + k * 2.5, 36, 1 + k * 0.3);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, palette::kCyan.r, palette::kCyan.g, palette::kCyan.b, 0.8);
    cairo_set_line_width(cr, 0.8);
    for (int k = 0; k < 5; ++k) {
        const double y = sy + 2 + k * k * 1.6;
        cairo_move_to(cr, a.x, y);
        cairo_line_to(cr, a.x + a.largeur, y);
    }
    for (int k = -4; k <= 4; ++k) {
        cairo_move_to(cr, sx + k * 3, sy);
        cairo_line_to(cr, sx + k * 14, sy + 40);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
    // Edge of the paper, the tape at its corners.
    cairo_rectangle(cr, a.x + 0.5, a.y + 0.5, a.largeur - 1, a.hauteur - 1);
    cairo_set_source_rgba(cr, 1, 0.8, 0.95, 0.5);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    for (int c = 0; c < 4; ++c) {
        const double x = c % 2 ? a.x + a.largeur - 5 : a.x - 3,
                     y = c / 2 ? a.y + a.hauteur - 4 : a.y - 3;
        cairo_rectangle(cr, x, y, 8, 7);
        cairo_set_source_rgba(cr, 0.95, 0.92, 0.8, 0.7);
        cairo_fill(cr);
    }
    if (!avecTexte) return;
    // The lettering: each line's ink box fitted into the paper less a margin.
    cairo_font_face_t* affiche = Police(kPoliceAffiche);
    struct Ligne {
        const char* texte;
        int milieu;
        double hauteur;
        Couleur couleur;
    };
    const Ligne lignes[] = {
        {"PARTY", a.y + 20, 18, palette::kAmbre},     {"2001", a.y + 50, 26, Rvb(220, 250, 255)},
        {"BRING", a.y + 142, 11, palette::kAmbre},    {"YOUR", a.y + 156, 11, palette::kAmbre},
        {"COMPUTER", a.y + 170, 11, palette::kAmbre},
    };
    const double marge = 5;
    for (const Ligne& l : lignes) {
        const double taille = TailleAjustee(cr, affiche, l.texte, a.largeur - 2 * marge, l.hauteur);
        CheminTexteCentre(cr, affiche, taille, l.texte, sx, l.milieu);
        cairo_set_source_rgba(cr, 0.1, 0.0, 0.15, 0.9);
        cairo_set_line_width(cr, 2);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
        cairo_set_source_rgb(cr, l.couleur.r, l.couleur.g, l.couleur.b);
        cairo_fill(cr);
    }
}

// The light the room gets from its own sources: the neon sign's magenta
// spills onto the wall round it, the shelf's edge above it and the floor
// below, each screen's cool glow onto the wall, shelf and floor round its set;
// then the corners, far from every source, sink into shadow.
void PeintReflets(cairo_t* cr) {
    Halo(cr, 320, 350, 120, 150, palette::kMagenta, 0.3);
    Halo(cr, 320, kEtagere + 8, 110, 22, palette::kMagenta, 0.22);
    Halo(cr, 320, kSol + 10, 170, 36, palette::kMagenta, 0.5);
    const Couleur ecran = Rvb(70, 150, 255);
    for (const auto& p : kPostes) {
        const double cx = p[0] + 145, cy = p[1] + 105;
        Halo(cr, cx, cy, 230, 170, ecran, 0.14);
        // Under the set, on the shelf's face or the floor in front of it.
        Halo(cr, cx, p[1] + kBasPiedsTV + 14, 170, 26, ecran, 0.16);
    }
    cairo_pattern_t* coins = cairo_pattern_create_radial(320, 230, 180, 320, 230, 470);
    cairo_pattern_add_color_stop_rgba(coins, 0, 0.03, 0.0, 0.06, 0);
    cairo_pattern_add_color_stop_rgba(coins, 0.6, 0.03, 0.0, 0.06, 0.35);
    cairo_pattern_add_color_stop_rgba(coins, 1, 0.03, 0.0, 0.06, 0.75);
    cairo_set_source(cr, coins);
    cairo_paint(cr);
    cairo_pattern_destroy(coins);
}

ImageForgee DessinePiece(bool avecTexte) {
    Toile toile(kL, kH);
    cairo_t* cr = toile.cr;
    PeintMur(&toile);
    // A warm lamp glow in the middle of the room.
    Halo(cr, 320, 150, 360, 260, Rvb(150, 70, 40), 0.35);
    PeintNeon(cr);
    PeintEnseigne(&toile);
    PeintEtagere(&toile);
    PeintSol(&toile);
    PeintReflets(cr);
    OmbresContact(cr);
    // A spot of amber light from above on the poster.
    Halo(cr, kAffiche.x + kAffiche.largeur / 2.0, kAffiche.y + 60, 40, 110, palette::kAmbre, 0.25);
    PeintAffiche(cr, avecTexte);
    Finition f;
    return Finit(toile, "Fond", f);
}

}  // namespace

Cadre AffichePiece() {
    return kAffiche;
}

int EtagerePiece() {
    return kEtagere;
}

ImageForgee PieceTelevisions(bool avecTexte) {
    return DessinePiece(avecTexte);
}

void DessinePieceTelevisions(Recueil* recueil) {
    recueil->images.push_back(DessinePiece(true));
}

}  // namespace forge
