// Television pictures: the set, the four programmes (copper bars, scroll text,
// the devil's face, a harbour by day and by night) and the closing frame.
// Palette: silver sets in a warm amber room; saturated raster colours on screen.
#include <algorithm>
#include <cmath>
#include <string>

#include "forge_images.h"

namespace forge {

namespace {

// Colour the sets are seen over (the room's violet wall).
const Couleur kMur = Rvb(44, 18, 68);

void ChemineArrondi(cairo_t* cr, double x, double y, double l, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + l - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + l - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}

// The title's chrome on a path: cyan sky, a white horizon, magenta ground.
void ChromeTitre(cairo_t* cr, double y0, double y1) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgb(p, 0.0, 0.75, 0.95, 1.0);
    cairo_pattern_add_color_stop_rgb(p, 0.45, palette::kCyan.r * 0.7, palette::kCyan.g * 0.7,
                                     palette::kCyan.b * 0.8);
    cairo_pattern_add_color_stop_rgb(p, 0.5, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(p, 0.55, 0.3, 0.04, 0.3);
    cairo_pattern_add_color_stop_rgb(p, 1.0, palette::kMagenta.r, palette::kMagenta.g,
                                     palette::kMagenta.b);
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
}

// The set: a cabinet of glossy graphite-violet plastic, a chrome bezel in the
// title's colours round a deep recess, and a control strip with a speaker
// grille, the brand, two knurled knobs and the amber power light.
void DessineTV(Recueil* recueil) {
    Toile toile(290, 230);
    cairo_t* cr = toile.cr;
    // Cabinet: three tones from the lit top to the shaded foot.
    ChemineArrondi(cr, 1, 1, 288, 228, 22);
    cairo_pattern_t* coque = cairo_pattern_create_linear(0, 0, 0, 230);
    cairo_pattern_add_color_stop_rgb(coque, 0, 0.36, 0.3, 0.46);
    cairo_pattern_add_color_stop_rgb(coque, 0.08, 0.24, 0.19, 0.33);
    cairo_pattern_add_color_stop_rgb(coque, 0.7, 0.15, 0.11, 0.22);
    cairo_pattern_add_color_stop_rgb(coque, 1, 0.08, 0.05, 0.13);
    cairo_set_source(cr, coque);
    cairo_fill(cr);
    cairo_pattern_destroy(coque);
    {
        // The plastic's fine grain, and the light caught on its rounded edge.
        AccesPixels px(&toile);
        for (int y = 0; y < 230; ++y) {
            for (int x = 0; x < 290; ++x) {
                const double a = px.Alpha(x, y);
                if (a <= 0) continue;
                Couleur c = px.Lit(x, y);
                c = Melange(c, Rvb(0, 0, 0), 0.1 * Bruit(x / 1.2, y / 1.2, 301));
                px.Ecrit(x, y, c, a);
            }
        }
    }
    ChemineArrondi(cr, 2.5, 2.5, 285, 225, 20.5);
    cairo_pattern_t* arete = cairo_pattern_create_linear(0, 0, 290, 230);
    cairo_pattern_add_color_stop_rgba(arete, 0, 0.85, 0.95, 1, 0.9);
    cairo_pattern_add_color_stop_rgba(arete, 0.45, 0.6, 0.5, 0.8, 0.3);
    cairo_pattern_add_color_stop_rgba(arete, 1, 0.02, 0, 0.05, 0.9);
    cairo_set_source(cr, arete);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    // A gloss band along the top.
    ChemineArrondi(cr, 14, 3.5, 262, 3, 1.5);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
    cairo_fill(cr);
    // The bezel: chrome ring, then the dark recess round the glass.
    ChemineArrondi(cr, 9, 6, 272, 199, 14);
    ChromeTitre(cr, 6, 205);
    cairo_new_path(cr);
    ChemineArrondi(cr, 12, 9, 266, 193, 11);
    cairo_pattern_t* creux = cairo_pattern_create_linear(0, 9, 0, 202);
    cairo_pattern_add_color_stop_rgb(creux, 0, 0.05, 0.03, 0.09);
    cairo_pattern_add_color_stop_rgb(creux, 1, 0.2, 0.15, 0.28);
    cairo_set_source(cr, creux);
    cairo_fill(cr);
    cairo_pattern_destroy(creux);
    // The recess's inner lip catches the light at the bottom, its shadow at the top.
    ChemineArrondi(cr, 18.5, 14.5, 256, 183, 5);
    cairo_set_source_rgba(cr, 0.7, 0.6, 0.9, 0.5);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // The glass (covered by the programme).
    cairo_rectangle(cr, 21, 17, 250, 177);
    cairo_set_source_rgb(cr, 0.06, 0.08, 0.1);
    cairo_fill(cr);
    // Control strip: an accent line, the speaker grille, brand, knobs, light.
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, 14, 206.5);
    cairo_line_to(cr, 140, 206.5);
    cairo_set_source_rgb(cr, palette::kMagenta.r, palette::kMagenta.g, palette::kMagenta.b);
    cairo_stroke(cr);
    cairo_move_to(cr, 140, 206.5);
    cairo_line_to(cr, 276, 206.5);
    cairo_set_source_rgb(cr, palette::kCyan.r, palette::kCyan.g, palette::kCyan.b);
    cairo_stroke(cr);
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 14; ++i) {
            const double x = 20 + i * 4.5 + (j % 2) * 2.25, y = 211.5 + j * 4;
            cairo_arc(cr, x, y, 1.3, 0, 2 * M_PI);
            cairo_set_source_rgb(cr, 0.03, 0.02, 0.06);
            cairo_fill(cr);
            cairo_arc(cr, x + 0.4, y + 0.6, 0.6, 0, M_PI);
            cairo_set_source_rgba(cr, 0.7, 0.6, 0.9, 0.6);
            cairo_fill(cr);
        }
    }
    cairo_font_face_t* police = Police(kPoliceTitre);
    CheminTexteCentre(cr, police, 10, "ORBOVISION", 148, 216.5);
    cairo_set_source_rgb(cr, 0.04, 0.02, 0.08);
    cairo_set_line_width(cr, 2);
    cairo_stroke_preserve(cr);
    ChromeTitre(cr, 211, 222);
    cairo_new_path(cr);
    for (int i = 0; i < 2; ++i) {
        const double x = 222 + i * 22, y = 216;
        cairo_arc(cr, x + 1, y + 1.5, 8, 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 0, 0, 0.02, 0.6);
        cairo_fill(cr);
        // Knurled rim: ridges round the knob.
        for (int k = 0; k < 24; ++k) {
            const double a = k * M_PI / 12;
            cairo_move_to(cr, x + 6.2 * std::cos(a), y + 6.2 * std::sin(a));
            cairo_line_to(cr, x + 7.8 * std::cos(a), y + 7.8 * std::sin(a));
        }
        cairo_set_source_rgb(cr, 0.45, 0.42, 0.55);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
        cairo_pattern_t* b = cairo_pattern_create_radial(x - 2, y - 3, 0.5, x, y, 7);
        cairo_pattern_add_color_stop_rgb(b, 0, 0.98, 0.98, 1);
        cairo_pattern_add_color_stop_rgb(b, 0.4, 0.6, 0.58, 0.7);
        cairo_pattern_add_color_stop_rgb(b, 1, 0.18, 0.15, 0.26);
        cairo_set_source(cr, b);
        cairo_arc(cr, x, y, 6.2, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(b);
        cairo_set_source_rgb(cr, palette::kMagenta.r, palette::kMagenta.g, palette::kMagenta.b);
        cairo_set_line_width(cr, 1.6);
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + 5 * std::cos(-1.0 - i), y + 5 * std::sin(-1.0 - i));
        cairo_stroke(cr);
    }
    cairo_pattern_t* led = cairo_pattern_create_radial(268, 215, 0, 268, 215, 6);
    cairo_pattern_add_color_stop_rgb(led, 0, 1, 0.95, 0.75);
    cairo_pattern_add_color_stop_rgb(led, 0.35, palette::kAmbre.r, palette::kAmbre.g,
                                     palette::kAmbre.b);
    cairo_pattern_add_color_stop_rgba(led, 1, 0.6, 0.3, 0, 0);
    cairo_set_source(cr, led);
    cairo_arc(cr, 268, 215, 6, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(led);
    Finition f;
    f.cle = Cle::Noir;
    f.fond = kMur;
    f.grain = 1.5;
    recueil->images.push_back(Finit(toile, "TV", f));
}

// A copper bar: a lit tube of one of the production's colours, dark at its
// edges, a white-hot line along its middle.
void DessineCoper(Recueil* recueil, const char* nom, Couleur c) {
    Toile toile(250, 22);
    cairo_t* cr = toile.cr;
    const Couleur sombre = Melange(c, Rvb(8, 0, 20), 0.82);
    const Couleur clair = Melange(c, {1, 1, 1}, 0.6);
    DegradeVertical(cr, 250, 22,
                    {sombre,
                     Melange(sombre, c, 0.6),
                     c,
                     clair,
                     {1, 1, 1},
                     clair,
                     c,
                     Melange(sombre, c, 0.45),
                     sombre});
    Finition f;
    recueil->images.push_back(Finit(toile, nom, f));
}

const char kTexteDefilant[] =
    "ORBO PRESENTS KAZZMOT ... FOUR TELLIES, ONE PARTY ... HI TO WOZZ, SLIK AND BRENN ... "
    "STAY TUNED!";

// The scroll text: giant letters that fill the monitor, the two copies the
// scene draws at y and 2y stacked like a wobbling extrusion. Each letter has
// a thick violet outline that parts the front copy from the one behind, the
// title's chrome, and a cyan light on its upper edges.
void DessineScrollText(Recueil* recueil) {
    const int l = 4800, h = kHauteurDefilant;
    Toile toile(l, h);
    cairo_t* cr = toile.cr;
    cairo_font_face_t* police = Police(kPoliceAffiche);
    // The strip starts and ends empty so that the text enters and leaves the monitor.
    const double debut = 256, fin = l - 260;
    const double taille = TailleAjustee(cr, police, kTexteDefilant, fin - debut, h - 10);
    cairo_set_font_face(cr, police);
    cairo_set_font_size(cr, taille);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, kTexteDefilant, &ext);
    cairo_move_to(cr, debut - ext.x_bearing, h / 2.0 - ext.height / 2 - ext.y_bearing);
    cairo_text_path(cr, kTexteDefilant);
    const double y0 = h / 2.0 - ext.height / 2, y1 = y0 + ext.height;
    cairo_set_source_rgb(cr, 0.14, 0.03, 0.24);
    cairo_set_line_width(cr, 10);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgb(cr, 0.42, 0.16, 0.62);
    cairo_set_line_width(cr, 4);
    cairo_stroke_preserve(cr);
    ChromeTitre(cr, y0, y1);
    cairo_path_t* chemin = cairo_copy_path(cr);
    cairo_save(cr);
    cairo_clip(cr);
    cairo_translate(cr, 1.5, 3);
    cairo_append_path(cr, chemin);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.7);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    cairo_restore(cr);
    cairo_path_destroy(chemin);
    cairo_new_path(cr);
    Finition f;
    f.cle = Cle::Noir;
    recueil->images.push_back(Finit(toile, "ScrollText", f));
}

void DessineDiable(Recueil* recueil) {
    Toile toile(250, 177);
    cairo_t* cr = toile.cr;
    // Hellfire background.
    cairo_pattern_t* fond = cairo_pattern_create_radial(125, 100, 10, 125, 100, 160);
    cairo_pattern_add_color_stop_rgb(fond, 0, 0.55, 0.1, 0.02);
    cairo_pattern_add_color_stop_rgb(fond, 1, 0.12, 0.0, 0.02);
    cairo_set_source(cr, fond);
    cairo_paint(cr);
    cairo_pattern_destroy(fond);
    Alea alea(GraineDe("DiableTV"));
    for (int i = 0; i < 26; ++i) {
        const double x = alea.Entre(-10, 260), h = alea.Entre(30, 80), l = alea.Entre(10, 26);
        cairo_move_to(cr, x - l, 177);
        cairo_curve_to(cr, x - l, 177 - h * 0.5, x + l * 0.6, 177 - h * 0.6, x, 177 - h);
        cairo_curve_to(cr, x + l * 0.3, 177 - h * 0.5, x + l, 177 - h * 0.4, x + l, 177);
        cairo_close_path(cr);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 177 - h, 0, 177);
        cairo_pattern_add_color_stop_rgba(p, 0, 1, 0.85, 0.2, 0.9);
        cairo_pattern_add_color_stop_rgba(p, 1, 0.9, 0.2, 0.0, 0.6);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    // Horns.
    for (int s = -1; s <= 1; s += 2) {
        cairo_move_to(cr, 125 + s * 30, 50);
        cairo_curve_to(cr, 125 + s * 55, 40, 125 + s * 78, 20, 125 + s * 72, 2);
        cairo_curve_to(cr, 125 + s * 92, 26, 125 + s * 80, 58, 125 + s * 48, 72);
        cairo_close_path(cr);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 2, 0, 72);
        cairo_pattern_add_color_stop_rgb(p, 0, 0.2, 0.15, 0.1);
        cairo_pattern_add_color_stop_rgb(p, 0.5, 0.9, 0.85, 0.7);
        cairo_pattern_add_color_stop_rgb(p, 1, 0.6, 0.5, 0.4);
        cairo_set_source(cr, p);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(p);
        cairo_set_source_rgb(cr, 0.2, 0.05, 0.02);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
    // Head: a pointed chin, shaded like a lit sphere.
    cairo_move_to(cr, 125, 172);
    cairo_curve_to(cr, 85, 160, 62, 120, 66, 80);
    cairo_curve_to(cr, 70, 40, 100, 28, 125, 28);
    cairo_curve_to(cr, 150, 28, 180, 40, 184, 80);
    cairo_curve_to(cr, 188, 120, 165, 160, 125, 172);
    cairo_close_path(cr);
    cairo_pattern_t* tete = cairo_pattern_create_radial(110, 70, 5, 125, 100, 95);
    cairo_pattern_add_color_stop_rgb(tete, 0, 1.0, 0.45, 0.35);
    cairo_pattern_add_color_stop_rgb(tete, 0.5, 0.85, 0.1, 0.08);
    cairo_pattern_add_color_stop_rgb(tete, 1, 0.3, 0.0, 0.02);
    cairo_set_source(cr, tete);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(tete);
    cairo_set_source_rgb(cr, 0.2, 0.0, 0.02);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    // Eyes: yellow with slit pupils under angry brows.
    for (int s = -1; s <= 1; s += 2) {
        cairo_save(cr);
        cairo_translate(cr, 125 + s * 24, 84);
        cairo_rotate(cr, s * 0.25);
        cairo_scale(cr, 1.0, 0.62);
        cairo_arc(cr, 0, 0, 14, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_pattern_t* oeil =
            cairo_pattern_create_radial(125 + s * 24, 84, 1, 125 + s * 24, 84, 14);
        cairo_pattern_add_color_stop_rgb(oeil, 0, 1, 1, 0.6);
        cairo_pattern_add_color_stop_rgb(oeil, 1, 1, 0.6, 0.0);
        cairo_set_source(cr, oeil);
        cairo_fill(cr);
        cairo_pattern_destroy(oeil);
        cairo_save(cr);
        cairo_translate(cr, 125 + s * 22, 84);
        cairo_scale(cr, 0.35, 1.0);
        cairo_arc(cr, 0, 0, 7, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_set_source_rgb(cr, 0.1, 0.0, 0.0);
        cairo_fill(cr);
        cairo_move_to(cr, 125 + s * 6, 76);
        cairo_line_to(cr, 125 + s * 42, 62);
        cairo_line_to(cr, 125 + s * 40, 70);
        cairo_line_to(cr, 125 + s * 8, 82);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 0.18, 0.0, 0.02);
        cairo_fill(cr);
    }
    // The grin with its teeth, and the goatee.
    cairo_move_to(cr, 88, 118);
    cairo_curve_to(cr, 105, 128, 145, 128, 162, 118);
    cairo_curve_to(cr, 152, 142, 98, 142, 88, 118);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.15, 0.0, 0.02);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.98, 0.95, 0.85);
    for (int i = 0; i < 6; ++i) {
        const double x = 99 + i * 9.5;
        cairo_move_to(cr, x, 122 + (i == 0 || i == 5 ? -2 : 0));
        cairo_line_to(cr, x + 8, 123);
        cairo_line_to(cr, x + 4, 131);
        cairo_close_path(cr);
    }
    cairo_fill(cr);
    cairo_move_to(cr, 112, 150);
    cairo_curve_to(cr, 118, 165, 122, 172, 125, 176);
    cairo_curve_to(cr, 128, 172, 132, 165, 138, 150);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.15, 0.02, 0.02);
    cairo_fill(cr);
    Finition f;
    f.grain = 2.0;
    recueil->images.push_back(Finit(toile, "DiableTV", f));
}

// The harbour: sky, sea, hills, houses and a lighthouse, by day or by night.
void DessinePaysage(Recueil* recueil, const char* nom, bool nuit) {
    Toile toile(250, 177);
    cairo_t* cr = toile.cr;
    if (nuit) {
        DegradeVertical(cr, 250, 110, {Rvb(4, 6, 30), Rvb(20, 24, 80), Rvb(60, 40, 110)});
        Alea alea(GraineDe("Tableau2"));
        Etoiles(cr, &alea, 0, 0, 250, 95, 60, Rvb(220, 220, 255), 0.9);
        cairo_pattern_t* lune = cairo_pattern_create_radial(190, 32, 8, 190, 32, 34);
        cairo_pattern_add_color_stop_rgba(lune, 0, 0.9, 0.95, 1, 0.5);
        cairo_pattern_add_color_stop_rgba(lune, 1, 0.5, 0.6, 1, 0);
        cairo_set_source(cr, lune);
        cairo_paint(cr);
        cairo_pattern_destroy(lune);
        cairo_set_source_rgb(cr, 0.97, 0.97, 0.88);
        cairo_arc(cr, 190, 32, 11, 0, 2 * M_PI);
        cairo_fill(cr);
    } else {
        DegradeVertical(cr, 250, 110, {Rvb(40, 110, 220), Rvb(120, 190, 245), Rvb(230, 235, 240)});
        cairo_pattern_t* soleil = cairo_pattern_create_radial(190, 32, 8, 190, 32, 50);
        cairo_pattern_add_color_stop_rgba(soleil, 0, 1, 1, 0.8, 0.9);
        cairo_pattern_add_color_stop_rgba(soleil, 1, 1, 0.9, 0.5, 0);
        cairo_set_source(cr, soleil);
        cairo_paint(cr);
        cairo_pattern_destroy(soleil);
        cairo_set_source_rgb(cr, 1, 0.97, 0.75);
        cairo_arc(cr, 190, 32, 12, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.85);
        for (double x : {40.0, 120.0}) {
            cairo_arc(cr, x, 30, 10, 0, 2 * M_PI);
            cairo_arc(cr, x + 12, 25, 13, 0, 2 * M_PI);
            cairo_arc(cr, x + 26, 31, 9, 0, 2 * M_PI);
            cairo_fill(cr);
        }
    }
    // Sea.
    const Couleur merHaut = nuit ? Rvb(14, 20, 60) : Rvb(40, 120, 190);
    const Couleur merBas = nuit ? Rvb(4, 6, 24) : Rvb(10, 60, 120);
    cairo_pattern_t* mer = cairo_pattern_create_linear(0, 108, 0, 177);
    cairo_pattern_add_color_stop_rgb(mer, 0, merHaut.r, merHaut.g, merHaut.b);
    cairo_pattern_add_color_stop_rgb(mer, 1, merBas.r, merBas.g, merBas.b);
    cairo_set_source(cr, mer);
    cairo_rectangle(cr, 0, 108, 250, 69);
    cairo_fill(cr);
    cairo_pattern_destroy(mer);
    // Glitter of the sun or the moon on the water.
    Alea vagues(GraineDe("vagues"));
    for (int i = 0; i < 40; ++i) {
        const double y = 110 + vagues.Uniforme() * 65;
        const double x = 190 + vagues.Gauss() * (4 + (y - 108) * 0.25);
        cairo_rectangle(cr, x - 4, y, 8 + vagues.Entre(0, 6), 1);
    }
    cairo_set_source_rgba(cr, 1, 1, nuit ? 1 : 0.8, nuit ? 0.55 : 0.8);
    cairo_fill(cr);
    // Hills with the village.
    cairo_move_to(cr, 0, 120);
    cairo_curve_to(cr, 30, 70, 80, 64, 120, 96);
    cairo_curve_to(cr, 135, 108, 140, 112, 150, 118);
    cairo_line_to(cr, 150, 130);
    cairo_line_to(cr, 0, 130);
    cairo_close_path(cr);
    const Couleur colline = nuit ? Rvb(12, 20, 30) : Rvb(70, 140, 60);
    cairo_set_source_rgb(cr, colline.r, colline.g, colline.b);
    cairo_fill(cr);
    const Couleur murs[] = {Rvb(240, 220, 180), Rvb(230, 160, 120), Rvb(250, 240, 220),
                            Rvb(200, 200, 230), Rvb(240, 200, 140)};
    for (int i = 0; i < 5; ++i) {
        const double x = 18 + i * 22, y = 96 - 14 * std::sin(i * 0.7 + 0.8);
        Couleur m = nuit ? Melange(murs[i], Rvb(20, 24, 60), 0.8) : murs[i];
        cairo_set_source_rgb(cr, m.r, m.g, m.b);
        cairo_rectangle(cr, x, y, 16, 14);
        cairo_fill(cr);
        const Couleur toit = nuit ? Rvb(40, 20, 30) : Rvb(190, 70, 40);
        cairo_set_source_rgb(cr, toit.r, toit.g, toit.b);
        cairo_move_to(cr, x - 2, y);
        cairo_line_to(cr, x + 8, y - 8);
        cairo_line_to(cr, x + 18, y);
        cairo_close_path(cr);
        cairo_fill(cr);
        const Couleur fenetre = nuit ? Rvb(255, 210, 90) : Rvb(60, 80, 120);
        cairo_set_source_rgb(cr, fenetre.r, fenetre.g, fenetre.b);
        cairo_rectangle(cr, x + 3, y + 4, 4, 4);
        cairo_rectangle(cr, x + 10, y + 4, 3, 6);
        cairo_fill(cr);
    }
    // Jetty and lighthouse.
    const Couleur pierre = nuit ? Rvb(30, 30, 44) : Rvb(130, 120, 110);
    cairo_set_source_rgb(cr, pierre.r, pierre.g, pierre.b);
    cairo_rectangle(cr, 120, 124, 100, 6);
    cairo_fill(cr);
    cairo_move_to(cr, 204, 124);
    cairo_line_to(cr, 208, 70);
    cairo_line_to(cr, 218, 70);
    cairo_line_to(cr, 222, 124);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, nuit ? 0.3 : 0.95, nuit ? 0.3 : 0.95, nuit ? 0.36 : 0.95);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, nuit ? 0.35 : 0.85, nuit ? 0.08 : 0.15, nuit ? 0.1 : 0.15);
    cairo_rectangle(cr, 206, 84, 14, 8);
    cairo_rectangle(cr, 205, 104, 16, 8);
    cairo_fill(cr);
    cairo_rectangle(cr, 206, 60, 14, 10);
    cairo_set_source_rgb(cr, nuit ? 1.0 : 0.6, nuit ? 0.95 : 0.75, nuit ? 0.6 : 0.85);
    cairo_fill(cr);
    if (nuit) {
        // The beam sweeping over the sea.
        cairo_move_to(cr, 213, 65);
        cairo_line_to(cr, 20, 40);
        cairo_line_to(cr, 20, 78);
        cairo_close_path(cr);
        cairo_pattern_t* faisceau = cairo_pattern_create_linear(213, 0, 20, 0);
        cairo_pattern_add_color_stop_rgba(faisceau, 0, 1, 0.95, 0.7, 0.55);
        cairo_pattern_add_color_stop_rgba(faisceau, 1, 1, 0.95, 0.7, 0);
        cairo_set_source(cr, faisceau);
        cairo_fill(cr);
        cairo_pattern_destroy(faisceau);
    }
    // A sailing boat.
    cairo_move_to(cr, 60, 150);
    cairo_line_to(cr, 96, 150);
    cairo_line_to(cr, 90, 158);
    cairo_line_to(cr, 66, 158);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, nuit ? 0.1 : 0.5, nuit ? 0.08 : 0.2, nuit ? 0.1 : 0.1);
    cairo_fill(cr);
    cairo_move_to(cr, 78, 148);
    cairo_line_to(cr, 78, 118);
    cairo_line_to(cr, 94, 146);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, nuit ? 0.35 : 1.0, nuit ? 0.35 : 1.0, nuit ? 0.45 : 0.95);
    cairo_fill(cr);
    Finition f;
    f.grain = 2.0;
    recueil->images.push_back(Finit(toile, nom, f));
}

// The closing frame: a chrome border round the portrait area and thin rails
// round the caption area, clear (white) wherever the credits' labels, names,
// portraits and animation show.
void DessineFin(Recueil* recueil) {
    Toile toile(640, 480);
    cairo_t* cr = toile.cr;
    // Frame body: everything except the two windows.
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, 0, 0, 640, 480);
    ChemineArrondi(cr, 14, 14, 612, 318, 18);
    cairo_rectangle(cr, 6, 345, 628, 122);
    cairo_pattern_t* metal = cairo_pattern_create_linear(0, 0, 0, 480);
    const Couleur bandes[] = {Rvb(200, 210, 240), Rvb(90, 80, 140),   Rvb(230, 200, 255),
                              Rvb(60, 40, 100),   Rvb(200, 170, 240), Rvb(80, 60, 120)};
    for (int i = 0; i < 6; ++i) {
        cairo_pattern_add_color_stop_rgb(metal, i / 5.0, bandes[i].r, bandes[i].g, bandes[i].b);
    }
    cairo_set_source(cr, metal);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    // Bevel lines.
    cairo_set_line_width(cr, 1.5);
    ChemineArrondi(cr, 14, 14, 612, 318, 18);
    cairo_set_source_rgb(cr, 0.1, 0.06, 0.2);
    cairo_stroke(cr);
    ChemineArrondi(cr, 11, 11, 618, 324, 20);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.6);
    cairo_stroke(cr);
    cairo_rectangle(cr, 6, 345, 628, 122);
    cairo_set_source_rgb(cr, 0.1, 0.06, 0.2);
    cairo_stroke(cr);
    cairo_rectangle(cr, 1, 1, 638, 478);
    cairo_set_source_rgb(cr, 0.12, 0.08, 0.24);
    cairo_stroke(cr);
    // Rivets along the divider and an engraved line on the bottom rail.
    for (int x = 40; x < 640; x += 80) {
        cairo_pattern_t* r = cairo_pattern_create_radial(x - 1, 337, 0.5, x, 338, 3.5);
        cairo_pattern_add_color_stop_rgb(r, 0, 1, 1, 1);
        cairo_pattern_add_color_stop_rgb(r, 1, 0.3, 0.25, 0.45);
        cairo_set_source(cr, r);
        cairo_arc(cr, x, 338, 3.5, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(r);
    }
    // Star glints on the corners of the portrait window.
    for (int c = 0; c < 4; ++c) {
        const double x = c % 2 ? 620 : 20, y = c / 2 ? 326 : 20;
        cairo_pattern_t* g = cairo_pattern_create_radial(x, y, 0, x, y, 9);
        cairo_pattern_add_color_stop_rgba(g, 0, 1, 0.98, 1, 0.95);
        cairo_pattern_add_color_stop_rgba(g, 1, 0.9, 0.8, 1, 0);
        cairo_set_source(cr, g);
        cairo_arc(cr, x, y, 9, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
    }
    cairo_font_face_t* police = Police(kPoliceTexte);
    cairo_set_source_rgb(cr, 0.2, 0.12, 0.35);
    CheminTexteCentre(cr, police, 9, "ORBO  -  KAZZMOT  -  2001", 320, 474);
    cairo_fill(cr);
    Finition f;
    f.cle = Cle::Blanc;
    f.fond = Rvb(20, 16, 30);
    recueil->images.push_back(Finit(toile, "Fin", f));
}

}  // namespace

void DessineTelevision(Recueil* recueil) {
    DessineTV(recueil);
    DessineCoper(recueil, "Coper1", palette::kMagenta);
    DessineCoper(recueil, "Coper2", palette::kCyan);
    DessineCoper(recueil, "Coper3", Rvb(120, 70, 255));
    DessineCoper(recueil, "Coper4", palette::kAmbre);
    DessineScrollText(recueil);
    DessineDiable(recueil);
    DessinePaysage(recueil, "Tableau1", false);
    DessinePaysage(recueil, "Tableau2", true);
    DessineFin(recueil);
}

}  // namespace forge
