// Greetings pictures: one of the television room's ORBOVISION sets, seen
// close on its stand, whose black screen shows the page behind it, the
// heading and the three greeted names. Palette: graphite-violet plastic and
// the title's chrome with the production's magenta, cyan and amber as
// accents, around neon lettering in the same three colours.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "forge_images.h"

namespace forge {

namespace {

uint32_t Argb(Couleur c) {
    auto v = [](double x) { return uint32_t(std::clamp(x, 0.0, 1.0) * 255 + 0.5); };
    return 0xFF000000u | (v(c.r) << 16) | (v(c.g) << 8) | v(c.b);
}

// The screen opening: a rounded, slightly bulging rectangle, its foot just
// below the last name so that no empty black band is left under it.
constexpr double kEcranX0 = 64, kEcranY0 = 30, kEcranX1 = 576, kEcranY1 = 362;

void CheminEcran(cairo_t* cr) {
    const double x0 = kEcranX0, y0 = kEcranY0, x1 = kEcranX1, y1 = kEcranY1, r = 40, b = 7;
    const double ya = y0 + (y1 - y0) * 0.37, yb = y0 + (y1 - y0) * 0.63;
    cairo_new_path(cr);
    cairo_move_to(cr, x0 + r, y0);
    cairo_curve_to(cr, 250, y0 - b, 390, y0 - b, x1 - r, y0);
    cairo_curve_to(cr, x1 - r / 3, y0, x1, y0 + r / 3, x1, y0 + r);
    cairo_curve_to(cr, x1 + b, ya, x1 + b, yb, x1, y1 - r);
    cairo_curve_to(cr, x1, y1 - r / 3, x1 - r / 3, y1, x1 - r, y1);
    cairo_curve_to(cr, 390, y1 + b, 250, y1 + b, x0 + r, y1);
    cairo_curve_to(cr, x0 + r / 3, y1, x0, y1 - r / 3, x0, y1 - r);
    cairo_curve_to(cr, x0 - b, yb, x0 - b, ya, x0, y0 + r);
    cairo_curve_to(cr, x0, y0 + r / 3, x0 + r / 3, y0, x0 + r, y0);
    cairo_close_path(cr);
}

// The tube's glass, from top to bottom: the bulge catches the room's light
// along the opening's edge (brighter at the upper left, where the lamp is),
// a faint sheen rises toward the edges like a vignette turned to light, and
// the reflection of a window lies across the lower corners. The page shows
// through the glass's black: the glass stays clear of the box where the
// heading and the names stack (from row 55 down to row 341, 420 wide),
// fading out before it.
void VerreEcran(Toile* toile) {
    const int l = toile->largeur, h = toile->hauteur;
    CheminEcran(toile->cr);
    const Masque m = MasqueDuChemin(toile->cr, l, h);
    cairo_new_path(toile->cr);
    const std::vector<float> dedans = DistanceBord(m, true);
    const double nx0 = 110, nx1 = 530, ny0 = 55, ny1 = 341;
    const Couleur reflet = Rvb(150, 190, 230), lampe = Rvb(255, 236, 200);
    AccesPixels px(toile);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < l; ++x) {
            const size_t i = size_t(y) * l + x;
            if (m.v[i] < 1.0f) continue;
            // Distance to the names' box: the glass fades out 12 pixels before it.
            const double ex = std::max({nx0 - x, x - nx1, 0.0});
            const double ey = std::max({ny0 - y, y - ny1, 0.0});
            const double libre = std::clamp((std::hypot(ex, ey) - 2) / 12.0, 0.0, 1.0);
            if (libre <= 0) continue;
            const double d = dedans[i];
            // Light from the upper left: the edge's side facing it.
            const double cote =
                std::clamp(0.5 + 0.5 * ((320 - x) / 256.0 + (209 - y) / 175.0) * 0.7, 0.15, 1.0);
            double a = 0.22 * std::exp(-d / 7.0);  // the sheen toward the edges
            a += 0.75 * cote * std::exp(-std::pow((d - 3.0) / 1.3, 2));  // the rim
            // The window: two soft panes across the lower corners, tilted
            // with the glass's curve.
            const double u = (x - 0.55 * (y - 330)) / 40.0;
            const double vitre =
                std::exp(-std::pow((y - (kEcranY1 - 12)) / 7.0, 2)) *
                (std::exp(-std::pow(u - 3.0, 2) * 0.8) + std::exp(-std::pow(u - 11.5, 2) * 0.5));
            a += 0.45 * vitre;
            a *= libre;
            if (a < 0.012) continue;
            const Couleur c = Melange(reflet, lampe, std::clamp(cote - 0.3, 0.0, 1.0) * 0.6);
            px.Ecrit(x, y, {c.r * a, c.g * a, c.b * a});
        }
}

// The set of the television room, seen close: a cabinet of glossy
// graphite-violet plastic, a chrome bezel in the title's colours round a
// deep recess, a control strip with the speaker grille, the ORBOVISION
// badge, knurled knobs and the amber light; it stands on a low stand on a
// lacquered shelf, against the room's violet wall, and the neon on its
// screen lights the shelf and shows in its gloss.
void DessineVieilleTV(Recueil* recueil) {
    Toile toile(640, 480);
    cairo_t* cr = toile.cr;
    const Couleur mur = Rvb(44, 18, 68);
    // The wall: violet panels in the corners, darker towards the floor.
    {
        AccesPixels px(&toile);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                Couleur c = Melange(mur, Rvb(16, 6, 28), std::clamp(y / 520.0, 0.0, 1.0));
                c = Melange(c, Rvb(0, 0, 0), 0.12 * Bruit(x / 1.5, y / 1.5, 311));
                if (x % 80 == 0) c = Melange(c, Rvb(8, 2, 16), 0.5);
                px.Ecrit(x, y, c);
            }
    }
    // The shelf: a lacquered board from row 436 down, its front edge lit.
    const double etagere = 436;
    cairo_rectangle(cr, 0, etagere, 640, 480 - etagere);
    cairo_pattern_t* plateau = cairo_pattern_create_linear(0, etagere, 0, 480);
    cairo_pattern_add_color_stop_rgb(plateau, 0, 0.2, 0.1, 0.2);
    cairo_pattern_add_color_stop_rgb(plateau, 0.55, 0.1, 0.05, 0.12);
    cairo_pattern_add_color_stop_rgb(plateau, 0.6, 0.55, 0.4, 0.6);
    cairo_pattern_add_color_stop_rgb(plateau, 0.66, 0.16, 0.08, 0.2);
    cairo_pattern_add_color_stop_rgb(plateau, 1, 0.05, 0.02, 0.07);
    cairo_set_source(cr, plateau);
    cairo_fill(cr);
    cairo_pattern_destroy(plateau);
    // The set's glow on the wall round the cabinet.
    CheminArrondi(cr, 30, 6, 580, 418, 30);
    OmbreDouce(cr, 640, 480, 0, 0, 14, Melange(palette::kMagenta, palette::kViolet, 0.5), 0.7);
    cairo_new_path(cr);
    // The stand: a dark plinth with chrome feet, its shadow on the shelf.
    cairo_rectangle(cr, 170, 416, 300, 24);
    OmbreDouce(cr, 640, 480, 0, 5, 6, Rvb(0, 0, 0), 0.8);
    cairo_rectangle(cr, 170, 416, 300, 24);
    cairo_pattern_t* socle = cairo_pattern_create_linear(0, 416, 0, 440);
    cairo_pattern_add_color_stop_rgb(socle, 0, 0.3, 0.25, 0.4);
    cairo_pattern_add_color_stop_rgb(socle, 0.3, 0.24, 0.19, 0.33);
    cairo_pattern_add_color_stop_rgb(socle, 0.8, 0.14, 0.1, 0.2);
    cairo_pattern_add_color_stop_rgb(socle, 0.88, 0.7, 0.55, 0.85);
    cairo_pattern_add_color_stop_rgb(socle, 1, 0.1, 0.06, 0.14);
    cairo_set_source(cr, socle);
    cairo_fill(cr);
    cairo_pattern_destroy(socle);
    for (int i = 0; i < 2; ++i) {
        const double x = i ? 440 : 180;
        cairo_rectangle(cr, x, 436, 20, 6);
        cairo_pattern_t* pied = cairo_pattern_create_linear(x, 0, x + 20, 0);
        cairo_pattern_add_color_stop_rgb(pied, 0, 0.35, 0.6, 0.8);
        cairo_pattern_add_color_stop_rgb(pied, 0.4, 1, 1, 1);
        cairo_pattern_add_color_stop_rgb(pied, 1, 0.6, 0.15, 0.5);
        cairo_set_source(cr, pied);
        cairo_fill(cr);
        cairo_pattern_destroy(pied);
    }
    // The cabinet: three tones from the lit top to the shaded foot, with the
    // plastic's fine grain.
    CheminArrondi(cr, 30, 6, 580, 414, 30);
    OmbreDouce(cr, 640, 480, 0, 6, 8, Rvb(0, 0, 0), 0.85);
    CheminArrondi(cr, 30, 6, 580, 414, 30);
    cairo_pattern_t* coque = cairo_pattern_create_linear(0, 6, 0, 420);
    cairo_pattern_add_color_stop_rgb(coque, 0, 0.36, 0.3, 0.46);
    cairo_pattern_add_color_stop_rgb(coque, 0.06, 0.24, 0.19, 0.33);
    cairo_pattern_add_color_stop_rgb(coque, 0.75, 0.15, 0.11, 0.22);
    cairo_pattern_add_color_stop_rgb(coque, 1, 0.08, 0.05, 0.13);
    cairo_set_source(cr, coque);
    cairo_fill(cr);
    cairo_pattern_destroy(coque);
    {
        AccesPixels px(&toile);
        for (int y = 6; y < 420; ++y)
            for (int x = 30; x < 610; ++x) {
                if (x > 40 && x < 600 && y > 16 && y < 410) {
                    Couleur c = px.Lit(x, y);
                    px.Ecrit(x, y, Melange(c, Rvb(0, 0, 0), 0.1 * Bruit(x / 1.2, y / 1.2, 301)));
                }
            }
    }
    CheminArrondi(cr, 31.5, 7.5, 577, 411, 28.5);
    cairo_pattern_t* arete = cairo_pattern_create_linear(30, 6, 610, 420);
    cairo_pattern_add_color_stop_rgba(arete, 0, 0.85, 0.95, 1, 0.9);
    cairo_pattern_add_color_stop_rgba(arete, 0.45, 0.6, 0.5, 0.8, 0.3);
    cairo_pattern_add_color_stop_rgba(arete, 1, 0.02, 0, 0.05, 0.9);
    cairo_set_source(cr, arete);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    // A gloss band along the top.
    CheminArrondi(cr, 70, 8, 500, 3, 1.5);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
    cairo_fill(cr);

    // The bezel: a chrome ring in the title's colours, then the dark recess
    // and the tube's lip.
    cairo_save(cr);
    cairo_translate(cr, 320, 196);
    cairo_scale(cr, 1.06, 1.09);
    cairo_translate(cr, -320, -196);
    CheminEcran(cr);
    cairo_restore(cr);
    OmbreDouce(cr, 640, 480, 0, 3, 5, Rvb(6, 0, 14), 0.8);
    cairo_save(cr);
    cairo_translate(cr, 320, 196);
    cairo_scale(cr, 1.06, 1.09);
    cairo_translate(cr, -320, -196);
    CheminEcran(cr);
    cairo_restore(cr);
    cairo_pattern_t* chrome = MotifBandes(12, 380,
                                          {{0.2, Rvb(190, 242, 255)},
                                           {0.45, Rvb(28, 150, 210)},
                                           {0.52, Rvb(255, 255, 255)},
                                           {0.6, Rvb(90, 10, 90)},
                                           {0.84, palette::kMagenta},
                                           {1.0, Rvb(255, 130, 214)}});
    cairo_set_source(cr, chrome);
    cairo_fill(cr);
    cairo_pattern_destroy(chrome);
    cairo_save(cr);
    cairo_translate(cr, 320, 196);
    cairo_scale(cr, 1.035, 1.05);
    cairo_translate(cr, -320, -196);
    CheminEcran(cr);
    cairo_restore(cr);
    cairo_pattern_t* creux = cairo_pattern_create_linear(0, 20, 0, 375);
    cairo_pattern_add_color_stop_rgb(creux, 0, 0.05, 0.03, 0.09);
    cairo_pattern_add_color_stop_rgb(creux, 1, 0.22, 0.16, 0.3);
    cairo_set_source(cr, creux);
    cairo_fill(cr);
    cairo_pattern_destroy(creux);
    cairo_save(cr);
    cairo_translate(cr, 320, 196);
    cairo_scale(cr, 1.012, 1.018);
    cairo_translate(cr, -320, -196);
    CheminEcran(cr);
    cairo_restore(cr);
    cairo_set_source_rgba(cr, 0.7, 0.6, 0.9, 0.5);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // The screen itself: pure black, the page shows through it.
    CheminEcran(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    VerreEcran(&toile);

    // Control strip: the accent line in magenta and cyan, the speaker
    // grille, the badge, two knurled knobs and the amber power light.
    const double ligne = 386.5;
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, 48, ligne);
    cairo_line_to(cr, 320, ligne);
    cairo_set_source_rgb(cr, palette::kMagenta.r, palette::kMagenta.g, palette::kMagenta.b);
    cairo_stroke(cr);
    cairo_move_to(cr, 320, ligne);
    cairo_line_to(cr, 592, ligne);
    cairo_set_source_rgb(cr, palette::kCyan.r, palette::kCyan.g, palette::kCyan.b);
    cairo_stroke(cr);
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 29; ++i) {
            const double x = 56 + i * 6 + (j % 2) * 3, y = 392 + j * 5.5;
            cairo_arc(cr, x, y, 1.7, 0, 2 * M_PI);
            cairo_set_source_rgb(cr, 0.03, 0.02, 0.06);
            cairo_fill(cr);
            cairo_arc(cr, x + 0.5, y + 0.8, 0.8, 0, M_PI);
            cairo_set_source_rgba(cr, 0.7, 0.6, 0.9, 0.6);
            cairo_fill(cr);
        }
    // The badge: a chrome-rimmed plate with the brand in pale cyan.
    CheminArrondi(cr, 240, 389, 170, 22, 5);
    cairo_set_source_rgb(cr, 0.06, 0.03, 0.1);
    cairo_fill_preserve(cr);
    cairo_pattern_t* cadre = MotifBandes(389, 411,
                                         {{0.3, Rvb(190, 242, 255)},
                                          {0.5, Rvb(255, 255, 255)},
                                          {0.6, Rvb(90, 10, 90)},
                                          {1.0, palette::kMagenta}});
    cairo_set_source(cr, cadre);
    cairo_set_line_width(cr, 1.6);
    cairo_stroke(cr);
    cairo_pattern_destroy(cadre);
    CheminTexteCentre(cr, Police(kPoliceTitre), 14, "ORBOVISION", 325, 400);
    OmbreDouce(cr, 640, 480, 0, 0, 2, palette::kCyan, 0.8);
    CheminTexteCentre(cr, Police(kPoliceTitre), 14, "ORBOVISION", 325, 400);
    cairo_set_source_rgb(cr, 0.78, 0.95, 1.0);
    cairo_fill(cr);
    for (int i = 0; i < 2; ++i) {
        const double x = 470 + i * 40, y = 400;
        cairo_arc(cr, x + 1, y + 2, 12, 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 0, 0, 0.02, 0.6);
        cairo_fill(cr);
        for (int k = 0; k < 32; ++k) {
            const double a = k * M_PI / 16;
            cairo_move_to(cr, x + 9.5 * std::cos(a), y + 9.5 * std::sin(a));
            cairo_line_to(cr, x + 12 * std::cos(a), y + 12 * std::sin(a));
        }
        cairo_set_source_rgb(cr, 0.45, 0.42, 0.55);
        cairo_set_line_width(cr, 1.4);
        cairo_stroke(cr);
        cairo_pattern_t* b = cairo_pattern_create_radial(x - 3, y - 4, 0.5, x, y, 10);
        cairo_pattern_add_color_stop_rgb(b, 0, 0.98, 0.98, 1);
        cairo_pattern_add_color_stop_rgb(b, 0.4, 0.6, 0.58, 0.7);
        cairo_pattern_add_color_stop_rgb(b, 1, 0.18, 0.15, 0.26);
        cairo_set_source(cr, b);
        cairo_arc(cr, x, y, 9.5, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(b);
        cairo_set_source_rgb(cr, palette::kMagenta.r, palette::kMagenta.g, palette::kMagenta.b);
        cairo_set_line_width(cr, 2);
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + 8 * std::cos(-1.0 - i), y + 8 * std::sin(-1.0 - i));
        cairo_stroke(cr);
    }
    cairo_pattern_t* led = cairo_pattern_create_radial(568, 400, 0, 568, 400, 8);
    cairo_pattern_add_color_stop_rgb(led, 0, 1, 0.95, 0.75);
    cairo_pattern_add_color_stop_rgb(led, 0.35, palette::kAmbre.r, palette::kAmbre.g,
                                     palette::kAmbre.b);
    cairo_pattern_add_color_stop_rgba(led, 1, 0.6, 0.3, 0, 0);
    cairo_set_source(cr, led);
    cairo_arc(cr, 568, 400, 8, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(led);
    // The set's reflection in the lacquer, faint and fading down.
    {
        AccesPixels px(&toile);
        for (int y = int(etagere) + 8; y < 480; ++y) {
            const int source = 2 * 418 - y + 16;
            const double a = 0.22 * (1 - (y - etagere) / (480 - etagere));
            if (source < 0 || a <= 0) continue;
            for (int x = 0; x < 640; ++x) {
                const Couleur c = px.Lit(x, y), r = px.Lit(x, source);
                px.Ecrit(x, y, Melange(c, r, a));
            }
        }
    }
    // The neon's light pooled on the lacquer under the set, in the names'
    // three colours, over the reflection.
    const Couleur neons[3] = {palette::kMagenta, palette::kAmbre, palette::kCyan};
    cairo_save(cr);
    cairo_rectangle(cr, 0, etagere, 640, 480 - etagere);
    cairo_clip(cr);
    for (int i = 0; i < 3; ++i) {
        const double x = 170 + i * 150, y = etagere + 4;
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, 5.0, 1.0);
        cairo_pattern_t* flaque = cairo_pattern_create_radial(0, 0, 0, 0, 0, 24);
        const Couleur n = neons[i];
        cairo_pattern_add_color_stop_rgba(flaque, 0, n.r, n.g, n.b, 0.7);
        cairo_pattern_add_color_stop_rgba(flaque, 0.4, n.r, n.g, n.b, 0.3);
        cairo_pattern_add_color_stop_rgba(flaque, 1, n.r, n.g, n.b, 0);
        cairo_set_source(cr, flaque);
        cairo_arc(cr, 0, 0, 24, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(flaque);
        cairo_restore(cr);
    }
    cairo_restore(cr);
    Finition f;
    f.cle = Cle::Noir;
    f.fond = {0, 0, 0};
    f.grain = 1.5;
    recueil->images.push_back(Finit(toile, "OldTV", f));
}

// The heading, in the poster face.
struct Entete {
    double haut = 0, bas = 0;
};

void DessinEntete(cairo_t* cr, void* donnees) {
    Entete* e = static_cast<Entete*>(donnees);
    // The poster face, widened to the heading's box: an open G with its
    // spur and an S of round bowls, which read at a glance.
    const std::vector<Glyphe> g =
        CheminMot(cr, Police(kPoliceAffiche), "GREETINGS", 30, 16, 360, 38, true, -1);
    cairo_fill(cr);
    e->haut = g[0].y0;
    e->bas = g[0].y1;
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
    // The glow deepens to a sea blue over the last few pixels before the
    // letters, so their dark outline melts into it instead of being cut out
    // of it.
    Lueur(&toile, m, 3, Rvb(14, 56, 110), 0.85);
    Matiere chrome;
    // The title's chrome: cyan sky to a white horizon, a dark split, then
    // magenta below, outlined in deep navy so that the heading stands clear
    // of its own cyan glow.
    chrome.reflets = {Rvb(33, 144, 207), Rvb(40, 200, 255), Rvb(158, 230, 255), Rvb(255, 255, 255),
                      Rvb(115, 20, 85),  Rvb(230, 40, 170), Rvb(242, 120, 145)};
    chrome.y0 = entete.haut;
    chrome.y1 = entete.bas;
    chrome.biseau = 3.5;
    chrome.relief = 3;
    chrome.flanc = Rvb(120, 40, 170);
    chrome.contour = Rvb(0, 16, 44);
    chrome.epaisseur = 1.5;
    chrome.eclats = 2;
    chrome.eclat = 14;
    PeintMatiere(&toile, m, chrome);
    Finition f;
    f.cle = Cle::Noir;
    f.seuil = 0.1;
    recueil->images.push_back(Finit(toile, "Greets", f));
}

// ---------------------------------------------------------------------------
// The greeted names as neon signs: every letter bent from one to three runs
// of tube, as a sign maker bends glass, rather than traced round a face's
// outline (whose narrow counters close up at this size).

// Adds the runs of tube of one capital to the path, in a box l wide (in
// units of the letter's height, the box's top left at the origin, y down);
// each run is a sub-path of its own, open at both ends.
void TubesLettre(cairo_t* cr, char c, double l) {
    auto ligne = [cr](std::initializer_list<std::array<double, 2>> points) {
        bool premier = true;
        for (const auto& p : points) {
            if (premier) {
                cairo_move_to(cr, p[0], p[1]);
            } else {
                cairo_line_to(cr, p[0], p[1]);
            }
            premier = false;
        }
    };
    // A bowl from the stem's side (x0, ya) round to (x0, yb), l wide.
    auto boucle = [cr, l](double x0, double ya, double yb) {
        const double r = (yb - ya) / 2, xb = l - r;
        cairo_move_to(cr, x0, ya);
        cairo_line_to(cr, xb, ya);
        cairo_curve_to(cr, xb + r * 1.33, ya, xb + r * 1.33, yb, xb, yb);
        cairo_line_to(cr, x0, yb);
    };
    const double pied = 0.13;  // the gap between a stem and the runs beside it
    switch (c) {
        case 'W':
            ligne({{0, 0}, {l * 0.24, 1}, {l * 0.5, 0.32}, {l * 0.76, 1}, {l, 0}});
            break;
        case 'O': {
            // A capital O as tall as its neighbours: a box with round
            // corners whose two ends meet at the foot, electrode to
            // electrode.
            const double r = 0.3, k = r * 0.45;
            cairo_move_to(cr, l * 0.42, 1);
            cairo_line_to(cr, r, 1);
            cairo_curve_to(cr, r - (r - k), 1, 0, 1 - k, 0, 1 - r);
            cairo_line_to(cr, 0, r);
            cairo_curve_to(cr, 0, k, k, 0, r, 0);
            cairo_line_to(cr, l - r, 0);
            cairo_curve_to(cr, l - k, 0, l, k, l, r);
            cairo_line_to(cr, l, 1 - r);
            cairo_curve_to(cr, l, 1 - k, l - k, 1, l - r, 1);
            cairo_line_to(cr, l * 0.58, 1);
            break;
        }
        case 'Z':
            ligne({{0, 0}, {l, 0}, {0, 1}, {l, 1}});
            break;
        case 'S':
            cairo_move_to(cr, l * 0.96, 0.16);
            cairo_curve_to(cr, l * 0.86, 0.04, l * 0.72, 0, l * 0.5, 0);
            cairo_curve_to(cr, l * 0.18, 0, 0, 0.1, 0, 0.25);
            cairo_curve_to(cr, 0, 0.42, l * 0.2, 0.47, l * 0.5, 0.5);
            cairo_curve_to(cr, l * 0.8, 0.53, l, 0.6, l, 0.75);
            cairo_curve_to(cr, l, 0.9, l * 0.82, 1, l * 0.5, 1);
            cairo_curve_to(cr, l * 0.28, 1, l * 0.12, 0.96, l * 0.03, 0.85);
            break;
        case 'L':
            ligne({{0, 0}, {0, 1}, {l, 1}});
            break;
        case 'I':
            ligne({{0, 0}, {0, 1}});
            break;
        case 'K':
            ligne({{0, 0}, {0, 1}});
            ligne({{l, 0}, {pied, 0.52}, {l, 1}});
            break;
        case 'B':
            ligne({{0, 1}, {0, 0}});
            boucle(pied, 0, 0.44);
            boucle(pied, 0.56, 1);
            break;
        case 'R':
            ligne({{0, 1}, {0, 0}});
            boucle(pied, 0, 0.5);
            ligne({{l * 0.42, 0.62}, {l, 1}});
            break;
        case 'E':
            ligne({{l, 0}, {0, 0}, {0, 1}, {l, 1}});
            ligne({{pied, 0.5}, {l * 0.8, 0.5}});
            break;
        case 'N':
            ligne({{0, 1}, {0, 0}, {l, 1}, {l, 0}});
            break;
        default:
            break;
    }
}

// Width of a capital's box in units of its height (0 for a single stroke).
double LargeurLettre(char c) {
    switch (c) {
        case 'W':
            return 1.3;
        case 'O':
            return 0.9;
        case 'I':
            return 0.0;
        case 'L':
            return 0.68;
        case 'E':
            return 0.72;
        default:
            return 0.8;
    }
}

double Lisse(double a, double b, double x) {
    const double u = std::clamp((x - a) / (b - a), 0.0, 1.0);
    return u * u * (3 - 2 * u);
}

// Opacity of the glow at d pixels from a tube: a tight halo and a haze
// that falls off as a bell, nearly dark by 10 pixels and nothing by 12 (the
// room there is above the letters), so that it sinks into the screen's black
// without an edge.
double Halo(double d) {
    const double a = 0.9 * std::exp(-d / 2.5) + 0.42 * std::exp(-(d / 8.0) * (d / 8.0));
    return std::min(1.0, a) * Lisse(12.5, 8.0, d);
}

// How much of the neon's light the brick wall behind the signs sends back
// at (x, y): bricks 24 by 9 pixels in courses offset by half a brick, each
// with its own shade and grain and a lit upper edge, in sunken mortar joints.
double Brique(int x, int y) {
    const int rang = y / 9, dx = (rang % 2) * 12;
    const int bx = (x + dx) / 24, u = (x + dx) % 24, v = y % 9;
    if (u == 0 || v == 0) return 0.8;  // the joint
    const double teinte = 0.84 + 0.16 * Bruit(bx * 1.7, rang * 2.3, 91);
    const double grain = 0.9 + 0.1 * Bruit(x / 2.0, y / 2.0, 92);
    const double arete = v == 1 ? 1.0 : 0.93;
    return teinte * grain * arete;
}

// A neon sign of the word, its letters h pixels tall, centred on the canvas:
// the glow on the screen behind, the runs joined letter to letter by
// blacked-out tube, the lit tubes with a white-hot core, an electrode at
// each end of a run and clips holding the tubes to the screen.
void EnseigneNeon(Toile* toile, const char* texte, Couleur t, double h) {
    cairo_t* cr = toile->cr;
    const int l = toile->largeur, ht = toile->hauteur;
    const double tube = 5.5, espace = 0.4;
    double total = 0;
    for (const char* c = texte; *c; ++c) total += LargeurLettre(*c) * h + (c[1] ? espace * h : 0);
    // A little above the middle: the light falls further below the tubes.
    const double x0 = (l - total) / 2, y0 = (ht - h) / 2 - 3;
    // Every letter's runs, and where each letter's tube starts and ends.
    std::vector<cairo_path_t*> lettres;
    double x = x0;
    for (const char* c = texte; *c; ++c) {
        cairo_new_path(cr);
        cairo_save(cr);
        cairo_translate(cr, x, y0);
        cairo_scale(cr, h, h);
        TubesLettre(cr, *c, LargeurLettre(*c));
        cairo_restore(cr);
        lettres.push_back(cairo_copy_path_flat(cr));
        x += (LargeurLettre(*c) + espace) * h;
    }
    cairo_new_path(cr);
    // Each run as a polyline of points.
    struct Troncon {
        std::vector<std::array<double, 2>> p;
        size_t lettre;
    };
    std::vector<Troncon> troncons;
    for (size_t i = 0; i < lettres.size(); ++i) {
        const cairo_path_t* chemin = lettres[i];
        for (int k = 0; k < chemin->num_data; k += chemin->data[k].header.length) {
            const cairo_path_data_t* d = &chemin->data[k];
            if (d->header.type == CAIRO_PATH_MOVE_TO) troncons.push_back({{}, i});
            if (d->header.type == CAIRO_PATH_MOVE_TO || d->header.type == CAIRO_PATH_LINE_TO)
                troncons.back().p.push_back({d[1].point.x, d[1].point.y});
        }
        cairo_path_destroy(lettres[i]);
    }
    auto trace = [&](const Troncon& r) {
        cairo_new_path(cr);
        for (size_t k = 0; k < r.p.size(); ++k) {
            if (k == 0) {
                cairo_move_to(cr, r.p[k][0], r.p[k][1]);
            } else {
                cairo_line_to(cr, r.p[k][0], r.p[k][1]);
            }
        }
    };
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    // The glow, from each pixel's distance to the nearest tube.
    {
        Toile masque(l, ht);
        cairo_set_source_rgb(masque.cr, 1, 1, 1);
        cairo_set_line_width(masque.cr, tube);
        cairo_set_line_join(masque.cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_cap(masque.cr, CAIRO_LINE_CAP_ROUND);
        for (const Troncon& r : troncons) {
            cairo_new_path(masque.cr);
            for (size_t k = 0; k < r.p.size(); ++k) {
                if (k == 0) {
                    cairo_move_to(masque.cr, r.p[k][0], r.p[k][1]);
                } else {
                    cairo_line_to(masque.cr, r.p[k][0], r.p[k][1]);
                }
            }
            cairo_stroke(masque.cr);
        }
        cairo_surface_flush(masque.surface);
        Masque m;
        m.largeur = l;
        m.hauteur = ht;
        m.v.resize(size_t(l) * ht);
        const unsigned char* src = cairo_image_surface_get_data(masque.surface);
        const int ps = cairo_image_surface_get_stride(masque.surface);
        for (int y = 0; y < ht; ++y)
            for (int xx = 0; xx < l; ++xx)
                m.v[size_t(y) * l + xx] = src[size_t(y) * ps + xx * 4 + 3] / 255.0f;
        const std::vector<float> dehors = DistanceBord(m, false);
        // The tubes moved 4 pixels down: the light they throw on the glass
        // under them.
        Masque bas = m;
        for (int y = ht - 1; y >= 0; --y)
            for (int xx = 0; xx < l; ++xx)
                bas.v[size_t(y) * l + xx] = y >= 4 ? m.v[size_t(y - 4) * l + xx] : 0.0f;
        const std::vector<float> dessous = DistanceBord(bas, false);
        cairo_surface_flush(toile->surface);
        unsigned char* data = cairo_image_surface_get_data(toile->surface);
        const int pas = cairo_image_surface_get_stride(toile->surface);
        for (int y = 0; y < ht; ++y)
            for (int xx = 0; xx < l; ++xx) {
                const double d = dessous[size_t(y) * l + xx];
                double a = std::max(Halo(dehors[size_t(y) * l + xx]),
                                    0.5 * std::exp(-(d / 4.5) * (d / 4.5)) * Lisse(11.0, 6.0, d));
                // The faintest light is dithered between black and its
                // darkest true tint (its main channel two 5-6-5 steps up):
                // below that the steps of red, green and blue fall apart and
                // the glow turns green on one row, magenta on the next.
                const double plancher = 0.07;
                if (a < plancher) a = a / plancher > SeuilTrame(xx, y) ? plancher : 0.0;
                // The bricks show where the light is strong; in its faint
                // edge the wall is a dim even tint.
                const double k = 1 - 0.8 * (1 - Brique(xx, y)) * std::min(1.0, a / 0.2);
                // The brick's own warm red mixes a little into the light.
                const Couleur c = Melange(t, Rvb(255, 150, 120), 0.12);
                reinterpret_cast<uint32_t*>(data + size_t(y) * pas)[xx] =
                    (Argb(Couleur{c.r * a * k, c.g * a * k, c.b * a * k}) & 0x00FFFFFFu) |
                    (uint32_t(a * 255 + 0.5) << 24);
            }
        cairo_surface_mark_dirty(toile->surface);
    }
    // The jumpers from one letter to the next, painted black, behind: from
    // the lowest end of a letter's runs to the lowest of the next one's.
    cairo_set_source_rgba(cr, 0.05, 0.02, 0.07, 0.62);
    cairo_set_line_width(cr, 1.6);
    for (size_t i = 0; i + 1 < lettres.size(); ++i) {
        std::array<double, 2> a{0, -1e9}, b{0, -1e9};
        for (const Troncon& r : troncons)
            for (const auto& p : {r.p.front(), r.p.back()}) {
                if (r.lettre == i && (p[1] > a[1] + 0.5 || (p[1] > a[1] - 0.5 && p[0] > a[0])))
                    a = p;
                if (r.lettre == i + 1 && (p[1] > b[1] + 0.5 || (p[1] > b[1] - 0.5 && p[0] < b[0])))
                    b = p;
            }
        const double creux = std::max(a[1], b[1]) + h * 0.1;
        cairo_new_path(cr);
        cairo_move_to(cr, a[0], a[1]);
        cairo_curve_to(cr, a[0] + (b[0] - a[0]) * 0.3, creux, a[0] + (b[0] - a[0]) * 0.7, creux,
                       b[0], b[1]);
        cairo_stroke(cr);
    }
    // The tubes: a coloured glass wall, a brighter line and a white-hot core.
    const Couleur verre = Melange(t, {0, 0, 0}, 0.3), vif = Melange(t, {1, 1, 1}, 0.55);
    const struct {
        Couleur c;
        double largeur;
    } couches[] = {{verre, tube + 1.0},
                   {t, tube - 0.8},
                   {vif, tube * 0.5},
                   {{1, 1, 1}, std::max(1.0, tube * 0.22)}};
    for (const auto& couche : couches) {
        cairo_set_source_rgb(cr, couche.c.r, couche.c.g, couche.c.b);
        cairo_set_line_width(cr, couche.largeur);
        for (const Troncon& r : troncons) {
            trace(r);
            cairo_stroke(cr);
        }
    }
    // Electrodes: the last few pixels of every run, unlit and dark; those of
    // an I are bent behind the panel, where a dark cap on its lone stroke
    // would read as the dot of an i.
    const Couleur electrode = Melange(t, {0.1, 0.08, 0.12}, 0.7);
    for (const Troncon& r : troncons) {
        for (int bout = 0; bout < 2 && texte[r.lettre] != 'I'; ++bout) {
            const auto& p = bout ? r.p.back() : r.p.front();
            // The run's direction over its last few pixels.
            std::array<double, 2> q = p;
            for (size_t k = 1; k < r.p.size(); ++k) {
                q = bout ? r.p[r.p.size() - 1 - k] : r.p[k];
                if (std::hypot(q[0] - p[0], q[1] - p[1]) > 3.5) break;
            }
            const double lq = std::max(1e-6, std::hypot(q[0] - p[0], q[1] - p[1]));
            const double ux = (q[0] - p[0]) / lq, uy = (q[1] - p[1]) / lq;
            cairo_new_path(cr);
            cairo_move_to(cr, p[0], p[1]);
            // About as long as the tube is wide, over its rounded end.
            cairo_line_to(cr, p[0] + ux * 2.5, p[1] + uy * 2.5);
            cairo_set_source_rgb(cr, electrode.r, electrode.g, electrode.b);
            cairo_set_line_width(cr, tube);
            cairo_stroke(cr);
        }
    }
    // Clips across the tubes, one every 70 pixels of tube or so, never
    // within 9 pixels of a run's end (where one would read as a dot over a
    // short stroke, an I turned into an i).
    double parcouru = 0, prochain = 24;
    for (const Troncon& r : troncons) {
        double longueur = 0;
        for (size_t k = 1; k < r.p.size(); ++k)
            longueur += std::hypot(r.p[k][0] - r.p[k - 1][0], r.p[k][1] - r.p[k - 1][1]);
        const double debut = parcouru, fin = parcouru + longueur - 9;
        prochain = std::max(prochain, debut + 9);
        for (size_t k = 1; k < r.p.size(); ++k) {
            const double ax = r.p[k - 1][0], ay = r.p[k - 1][1];
            const double seg = std::hypot(r.p[k][0] - ax, r.p[k][1] - ay);
            while (seg > 0 && parcouru + seg >= prochain && prochain <= fin) {
                const double u = (prochain - parcouru) / seg;
                const double ux = (r.p[k][0] - ax) / seg, uy = (r.p[k][1] - ay) / seg;
                cairo_save(cr);
                cairo_translate(cr, ax + (r.p[k][0] - ax) * u, ay + (r.p[k][1] - ay) * u);
                const cairo_matrix_t sens = {ux, uy, -uy, ux, 0, 0};
                cairo_transform(cr, &sens);
                cairo_rectangle(cr, -1.1, -tube * 0.62, 2.2, tube * 1.24);
                cairo_restore(cr);
                cairo_set_source_rgb(cr, 0.6, 0.6, 0.66);
                cairo_fill_preserve(cr);
                cairo_set_source_rgb(cr, 0.15, 0.15, 0.2);
                cairo_set_line_width(cr, 0.5);
                cairo_stroke(cr);
                prochain += 70;
            }
            parcouru += seg;
        }
    }
    cairo_new_path(cr);
}

// A greeted name as a neon sign on the television's dark screen.
void DessineNeon(Recueil* recueil, const char* nom, const char* texte, Couleur teinte) {
    const EntreeCatalogue* e = TrouveEntree(nom);
    Toile toile(e->largeur, e->hauteur);
    EnseigneNeon(&toile, texte, teinte, 34);
    Finition f;
    f.cle = Cle::Noir;
    f.seuil = 0.05;  // under the darkest tint: the dithered glow is whole or keyed
    recueil->images.push_back(Finit(toile, nom, f));
}

}  // namespace

void DessineSalutations(Recueil* recueil) {
    DessineVieilleTV(recueil);
    DessineGreets(recueil);
    DessineNeon(recueil, "Wozz", "WOZZ", palette::kMagenta);
    DessineNeon(recueil, "Slik", "SLIK", palette::kAmbre);
    DessineNeon(recueil, "Brenn", "BRENN", palette::kCyan);
}

}  // namespace forge
