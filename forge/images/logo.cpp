// Group logo pictures: ORBO in chrome over raster bars and stars, and the
// caption that announces the production.
#include <cmath>

#include "forge_images.h"

namespace forge {

namespace {

// One raster bar: dark edges, bright core, a white glint in the middle.
void BarreRaster(cairo_t* cr, double x0, double x1, double y, double h, Couleur c) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y, 0, y + h);
    const Couleur sombre = Melange(c, {0, 0, 0}, 0.75);
    const Couleur clair = Melange(c, {1, 1, 1}, 0.55);
    cairo_pattern_add_color_stop_rgb(p, 0.0, sombre.r, sombre.g, sombre.b);
    cairo_pattern_add_color_stop_rgb(p, 0.35, c.r, c.g, c.b);
    cairo_pattern_add_color_stop_rgb(p, 0.5, clair.r, clair.g, clair.b);
    cairo_pattern_add_color_stop_rgb(p, 0.65, c.r, c.g, c.b);
    cairo_pattern_add_color_stop_rgb(p, 1.0, sombre.r, sombre.g, sombre.b);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, x0, y, x1 - x0, h);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

void DessineOrbo(Recueil* recueil) {
    Toile toile(640, 480);
    cairo_t* cr = toile.cr;
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    Alea alea(GraineDe("Orbo"));
    Etoiles(cr, &alea, 0, 0, 640, 480, 140, Rvb(170, 190, 255), 0.9);

    // Raster bars across the middle, fading out toward the screen edges.
    cairo_push_group(cr);
    const Couleur teintes[] = {Rvb(40, 60, 220),  Rvb(120, 40, 210), Rvb(220, 40, 150),
                               Rvb(250, 110, 40), Rvb(250, 200, 40), Rvb(250, 110, 40),
                               Rvb(220, 40, 150), Rvb(120, 40, 210), Rvb(40, 60, 220)};
    for (int i = 0; i < 9; ++i) BarreRaster(cr, 0, 640, 168 + i * 16, 16, teintes[i]);
    cairo_pop_group_to_source(cr);
    cairo_pattern_t* fondu = cairo_pattern_create_linear(0, 0, 640, 0);
    cairo_pattern_add_color_stop_rgba(fondu, 0.0, 0, 0, 0, 0.0);
    cairo_pattern_add_color_stop_rgba(fondu, 0.25, 0, 0, 0, 1.0);
    cairo_pattern_add_color_stop_rgba(fondu, 0.75, 0, 0, 0, 1.0);
    cairo_pattern_add_color_stop_rgba(fondu, 1.0, 0, 0, 0, 0.0);
    cairo_mask(cr, fondu);
    cairo_pattern_destroy(fondu);

    // The logo: chrome letters with a deep outline and a soft shadow.
    cairo_font_face_t* police = Police(kPoliceLogo);
    const double taille = TailleAjustee(cr, police, "ORBO", 520, 150);
    CheminTexteCentre(cr, police, taille, "ORBO", 320, 236);
    OmbreDouce(cr, 640, 480, 8, 10, 7, {0, 0, 0}, 0.9);
    PeintChrome(cr, 236 - 75, 236 + 75, Rvb(40, 110, 230), Rvb(250, 250, 255), Rvb(240, 150, 40),
                Rvb(10, 8, 40), 4);
    cairo_new_path(cr);
    // A glint on the first O.
    cairo_pattern_t* eclat = cairo_pattern_create_radial(150, 185, 0, 150, 185, 22);
    cairo_pattern_add_color_stop_rgba(eclat, 0, 1, 1, 1, 1);
    cairo_pattern_add_color_stop_rgba(eclat, 1, 1, 1, 1, 0);
    cairo_set_source(cr, eclat);
    cairo_paint(cr);
    cairo_pattern_destroy(eclat);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.8);
    cairo_set_line_width(cr, 1.2);
    cairo_move_to(cr, 110, 185);
    cairo_line_to(cr, 190, 185);
    cairo_move_to(cr, 150, 150);
    cairo_line_to(cr, 150, 220);
    cairo_stroke(cr);

    // Small credit line under the bars.
    cairo_font_face_t* texte = Police(kPoliceTexte);
    cairo_set_source_rgb(cr, 0.55, 0.6, 0.9);
    CheminTexteCentre(cr, texte, 16, "DEMO DIVISION - EST. 1999", 320, 340);
    cairo_fill(cr);
    Finition f;
    recueil->images.push_back(Finit(toile, "Orbo", f));
}

void DessinePresente(Recueil* recueil) {
    Toile toile(360, 96);
    cairo_t* cr = toile.cr;
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_font_face_t* police = Police(kPoliceAffiche);
    // Fine rules on both sides of the word.
    for (int cote = 0; cote < 2; ++cote) {
        const double x0 = cote ? 290 : 12, x1 = cote ? 348 : 70;
        cairo_pattern_t* p = cairo_pattern_create_linear(x0, 0, x1, 0);
        cairo_pattern_add_color_stop_rgba(p, 0, 0.9, 0.7, 0.3, cote ? 1.0 : 0.0);
        cairo_pattern_add_color_stop_rgba(p, 1, 0.9, 0.7, 0.3, cote ? 0.0 : 1.0);
        cairo_set_source(cr, p);
        cairo_rectangle(cr, x0, 51, x1 - x0, 2);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    CheminTexteCentre(cr, police, 64, "PR\xC3\x89SENTE", 180, 48);
    // A warm glow behind the letters.
    OmbreDouce(cr, 360, 96, 0, 0, 6, Rvb(255, 120, 30), 0.8);
    PeintChrome(cr, 22, 74, Rvb(255, 190, 60), Rvb(255, 250, 220), Rvb(200, 90, 20), Rvb(40, 10, 0),
                1.5);
    cairo_new_path(cr);
    Finition f;
    recueil->images.push_back(Finit(toile, "Presente", f));
}

}  // namespace

void DessineLogo(Recueil* recueil) {
    DessineOrbo(recueil);
    DessinePresente(recueil);
}

}  // namespace forge
