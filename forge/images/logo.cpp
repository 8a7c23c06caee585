// Group logo pictures: ORBO in chrome over raster bars and stars, and the
// caption that announces the production.
#include <algorithm>
#include <cmath>
#include <vector>

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

// The group's word, lettered on one construction: stems and bars of one
// stroke width, every curve a half circle. The first O is an orb (a ring
// round a ball), the last one the same ring, open; R and B have round bowls
// on a full stem, the R's leg drawn out into a blade under the rest of the
// word. The word is parted between R and B so that the screen's centre,
// where the logo opens from, lies in the dark gap between the two halves.
struct MotOrbo {
    double haut = 0, bas = 0;
};

// Half the gap added between R and B.
constexpr double kEcartOrbo = 10;

// A bowl on a stem: flat at the left (x0), round at the right (x1), from
// row ya to row yb, its counter the same shape a stroke inside.
void Panse(cairo_t* cr, double x0, double x1, double ya, double yb, double trait) {
    auto forme = [&](double g, double d, double a, double b) {
        const double r = (b - a) / 2;
        const double xc = std::max(g, d - r);
        cairo_move_to(cr, g, a);
        cairo_line_to(cr, xc, a);
        cairo_arc(cr, xc, a + r, r, -M_PI / 2, M_PI / 2);
        cairo_line_to(cr, g, b);
        cairo_close_path(cr);
    };
    cairo_save(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    forme(x0, x1, ya, yb);
    forme(x0 + trait * 0.5, x1 - trait, ya + trait, yb - trait);
    cairo_fill(cr);
    cairo_restore(cr);
}

void DessinMotOrbo(cairo_t* cr, void* donnees) {
    MotOrbo* mot = static_cast<MotOrbo*>(donnees);
    cairo_font_face_t* police = Police(kPoliceLogo);
    const double l = 520, h = 140, y = 240 - h / 2 - 4;
    // The face only places the letters: laid out once to find the gap
    // between R and B and centre it on column 320, then again with O and R
    // moved left, B and O moved right; the letters are drawn in its boxes.
    std::vector<Glyphe> g = CheminMot(cr, police, "ORBO", 60, y, l, h, false, 0);
    cairo_new_path(cr);
    const double x = 60 + 320 - (g[1].x1 + g[2].x0) / 2;
    g = CheminMot(cr, police, "ORBO", x - kEcartOrbo, y, l, h, false, -1);
    cairo_new_path(cr);
    const std::vector<Glyphe> droite =
        CheminMot(cr, police, "ORBO", x + kEcartOrbo, y, l, h, false, -1);
    cairo_new_path(cr);
    g[2] = droite[2];
    g[3] = droite[3];
    mot->haut = g[1].y0;
    mot->bas = g[1].y1;
    const double y0 = g[1].y0, y1 = g[1].y1, hl = y1 - y0;
    const double trait = hl * 0.2;
    // The two Os: one ring each, the same size, the first with its ball.
    const double r = hl / 2, cy = (y0 + y1) / 2, finO = g[3].x0 + 2 * r;
    for (int i : {0, 3}) {
        const double cx = i == 0 ? g[0].x1 - r : g[3].x0 + r;
        cairo_save(cr);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        cairo_new_sub_path(cr);
        cairo_arc(cr, cx, cy, r - trait, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_restore(cr);
        if (i == 0) {
            cairo_arc(cr, cx, cy, r - trait - std::max(4.0, trait * 0.35), 0, 2 * M_PI);
            cairo_fill(cr);
        }
    }
    // R: stem, bowl over the upper 56 %, and a leg from the bowl's foot to
    // the baseline at the box's right edge.
    const Glyphe& rr = g[1];
    cairo_rectangle(cr, rr.x0, y0, trait, hl);
    cairo_fill(cr);
    const double pied = y0 + hl * 0.56;
    Panse(cr, rr.x0 + trait * 0.5, rr.x1, y0, pied, trait);
    cairo_save(cr);
    cairo_rectangle(cr, rr.x0, y0, rr.x1 - rr.x0, hl);
    cairo_clip(cr);
    const double jx0 = rr.x0 + trait * 1.7, jy0 = pied - trait * 0.5;
    const double jx1 = rr.x1 - trait * 0.55, jy1 = y1;
    const double jl = std::hypot(jx1 - jx0, jy1 - jy0);
    cairo_move_to(cr, jx0, jy0);
    cairo_line_to(cr, jx1 + (jx1 - jx0) / jl * trait, jy1 + (jy1 - jy0) / jl * trait);
    cairo_set_line_width(cr, trait * 1.1);
    cairo_stroke(cr);
    cairo_restore(cr);
    // B: stem and two bowls, the upper one a little narrower.
    const Glyphe& b = g[2];
    cairo_rectangle(cr, b.x0, y0, trait, hl);
    cairo_fill(cr);
    const double milieu = y0 + hl * 0.47;
    Panse(cr, b.x0 + trait * 0.5, b.x1 - (b.x1 - b.x0) * 0.08, y0, milieu + trait / 2, trait);
    Panse(cr, b.x0 + trait * 0.5, b.x1, milieu - trait / 2, y1, trait);
    // The R's leg drawn out into a blade along the baseline, under the whole
    // word from the first O to the last.
    const double e = trait * 0.55;
    const double depart = g[0].x1 - 2 * r + e;
    cairo_move_to(cr, depart, y1);
    cairo_line_to(cr, finO, y1);
    cairo_line_to(cr, finO - e, y1 + e);
    cairo_line_to(cr, depart - e, y1 + e);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// The logo's chrome band, top to bottom, finely sampled so that its
// horizon stays hard: a deep blue sky paling to white, then a hard dark
// line, a thin bright line under it, and the ground rising from brown to
// gold.
std::vector<Couleur> ChromeOrbo() {
    const Couleur ciel[] = {Rvb(20, 40, 140), Rvb(40, 110, 230), Rvb(150, 200, 255),
                            Rvb(250, 250, 255)};
    const Couleur sol[] = {Rvb(90, 45, 20), Rvb(180, 100, 30), Rvb(240, 160, 45),
                           Rvb(255, 225, 160)};
    // Each edge between the sky, the dark line, the cream thread and the
    // ground is eased over about a pixel and a half, so that where the bevel
    // bends the band the line stays whole instead of breaking into steps.
    std::vector<Couleur> bande;
    const int n = 320;
    const double horizon = 0.52, ligne = 0.035, clair = 0.03, doux = 0.014;
    const auto marche = [&](double t, double bord) {
        const double u = std::clamp((t - bord) / doux + 0.5, 0.0, 1.0);
        return u * u * (3 - 2 * u);
    };
    for (int i = 0; i < n; ++i) {
        const double t = i / (n - 1.0);
        const Couleur haut =
            DegradeEn({ciel[0], ciel[1], ciel[2], ciel[3]}, std::min(1.0, t / horizon));
        const double u =
            std::max(0.0, (t - horizon - ligne - clair) / (1 - horizon - ligne - clair));
        const Couleur bas = DegradeEn({sol[0], sol[1], sol[2], sol[3]}, u);
        Couleur c = Melange(haut, Rvb(40, 16, 30), marche(t, horizon));
        c = Melange(c, Rvb(255, 240, 210), marche(t, horizon + ligne));
        c = Melange(c, bas, marche(t, horizon + ligne + clair));
        bande.push_back(c);
    }
    return bande;
}

// The logo's extrusion toward the lower right, drawn under the chrome face:
// a light violet at the top of the word shading down to a deep navy under
// it, each layer further back a little darker, with a dark edge round it.
void ExtrusionOrbo(Toile* toile, const Masque& m, int relief, double haut, double bas) {
    cairo_surface_flush(toile->surface);
    unsigned char* data = cairo_image_surface_get_data(toile->surface);
    const int pas = cairo_image_surface_get_stride(toile->surface);
    const Couleur clair = Rvb(160, 150, 245), sombre = Rvb(14, 10, 56), bord = Rvb(8, 6, 30);
    for (int y = 0; y < toile->hauteur; ++y) {
        uint32_t* ligne = reinterpret_cast<uint32_t*>(data + size_t(y) * pas);
        for (int x = 0; x < toile->largeur; ++x) {
            double a = 0, contour = 0;
            int proche = 0;
            for (int k = 1; k <= relief; ++k) {
                const double v = m.A(x - k, y - k);
                if (v > 0.5 && proche == 0) proche = k;
                a = std::max(a, v);
            }
            for (int k = 1; k <= relief + 2; ++k)
                for (int d = -1; d <= 1; ++d)
                    contour = std::max<double>(contour, m.A(x - k + d, y - k - d));
            if (contour <= 0) continue;
            const double t = std::clamp((y - haut) / (bas - haut + relief), 0.0, 1.0);
            Couleur c = Melange(clair, sombre, std::pow(t, 0.8));
            if (proche > 0) c = Melange(c, {0, 0, 0}, 0.4 * (proche - 1.0) / (relief - 1.0));
            // Its near edge, along the face, catches a thread of light.
            if (proche == 1) c = Melange(c, clair, 0.35);
            c = Melange(bord, c, a);
            const uint32_t p = ligne[x];
            const Couleur ici = {((p >> 16) & 255) / 255.0, ((p >> 8) & 255) / 255.0,
                                 (p & 255) / 255.0};
            const Couleur f = Melange(ici, c, contour);
            ligne[x] = 0xFF000000u | (uint32_t(f.r * 255 + 0.5) << 16) |
                       (uint32_t(f.g * 255 + 0.5) << 8) | uint32_t(f.b * 255 + 0.5);
        }
    }
    cairo_surface_mark_dirty(toile->surface);
}

void DessineOrbo(Recueil* recueil) {
    Toile toile(640, 480);
    cairo_t* cr = toile.cr;
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    Alea alea(GraineDe("Orbo"));
    // Stars, none round the credit line, where one would read as a stray
    // full stop.
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, 640, 480);
    cairo_rectangle(cr, 640, 322, -640, 38);
    cairo_clip(cr);
    Etoiles(cr, &alea, 0, 0, 640, 480, 140, Rvb(170, 190, 255), 0.9);
    cairo_restore(cr);

    // Raster bars above and below the middle, mirrored about a dark band
    // at the logo's horizon, fading out toward the screen edges.
    cairo_push_group(cr);
    const Couleur teintes[] = {Rvb(40, 60, 220), Rvb(120, 40, 210), Rvb(220, 40, 150),
                               Rvb(250, 110, 40), Rvb(250, 200, 40)};
    for (int i = 0; i < 5; ++i) {
        BarreRaster(cr, 0, 640, 150 + i * 16, 16, teintes[i]);
        BarreRaster(cr, 0, 640, 314 - i * 16, 16, teintes[i]);
    }
    cairo_pop_group_to_source(cr);
    cairo_pattern_t* fondu = cairo_pattern_create_linear(0, 0, 640, 0);
    cairo_pattern_add_color_stop_rgba(fondu, 0.0, 0, 0, 0, 0.0);
    cairo_pattern_add_color_stop_rgba(fondu, 0.25, 0, 0, 0, 1.0);
    cairo_pattern_add_color_stop_rgba(fondu, 0.75, 0, 0, 0, 1.0);
    cairo_pattern_add_color_stop_rgba(fondu, 1.0, 0, 0, 0, 0.0);
    cairo_mask(cr, fondu);
    cairo_pattern_destroy(fondu);

    // The logo: a solid chrome word with a deep extrusion and a soft shadow.
    MotOrbo mot;
    const Masque m = MasqueDessine(640, 480, DessinMotOrbo, &mot);
    cairo_surface_t* ombre = cairo_image_surface_create(CAIRO_FORMAT_A8, 640, 480);
    {
        unsigned char* d = cairo_image_surface_get_data(ombre);
        const int pas = cairo_image_surface_get_stride(ombre);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const float a = m.A(x - 12, y - 14);
                d[size_t(y) * pas + x] = uint8_t(a * 255);
            }
        cairo_surface_mark_dirty(ombre);
        FlouSurface(ombre, 7);
    }
    cairo_set_source_rgba(cr, 0, 0, 0, 0.85);
    cairo_mask_surface(cr, ombre, 0, 0);
    cairo_surface_destroy(ombre);
    ExtrusionOrbo(&toile, m, 8, mot.haut, mot.bas);
    Matiere chrome;
    chrome.reflets = ChromeOrbo();
    chrome.y0 = mot.haut;
    chrome.y1 = mot.bas;
    chrome.biseau = 3;
    chrome.lissage = 2;
    chrome.relief = 0;
    chrome.flanc = Rvb(70, 60, 170);
    chrome.contour = Rvb(10, 8, 40);
    chrome.epaisseur = 2.5;
    chrome.eclats = 3;
    chrome.eclat = 26;
    PeintMatiere(&toile, m, chrome);
    // Small credit line under the bars.
    cairo_font_face_t* texte = Police(kPoliceTexte);
    cairo_set_source_rgb(cr, 0.55, 0.6, 0.9);
    CheminTexteCentre(cr, texte, 16, "DEMO DIVISION - EST. 1999", 320, 340);
    cairo_fill(cr);
    Finition f;
    recueil->images.push_back(Finit(toile, "Orbo", f));
}

// The caption: the poster face's capitals, with an accent of our own on the
// E: a slanted blade.
void DessinPresente(cairo_t* cr, void*) {
    const std::vector<Glyphe> g =
        CheminMot(cr, Police(kPoliceAffiche), "PRESENTE", 55, 23, 250, 57, true);
    cairo_fill(cr);
    const Glyphe& e = g[2];
    const double cx = (e.x0 + e.x1) / 2;
    cairo_move_to(cr, cx - 5, e.y0 - 3);
    cairo_line_to(cr, cx + 6, e.y0 - 13);
    cairo_line_to(cr, cx + 11, e.y0 - 13);
    cairo_line_to(cr, cx + 1, e.y0 - 3);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void DessinePresente(Recueil* recueil) {
    Toile toile(360, 96);
    cairo_t* cr = toile.cr;
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    // A faint violet haze behind the word, fading before the picture's
    // edges so that it melts into the black it slides over.
    cairo_pattern_t* brume = cairo_pattern_create_radial(180, 50, 10, 180, 50, 150);
    cairo_pattern_add_color_stop_rgba(brume, 0, 0.35, 0.1, 0.45, 0.55);
    cairo_pattern_add_color_stop_rgba(brume, 1, 0.35, 0.1, 0.45, 0);
    cairo_save(cr);
    cairo_translate(cr, 0, 50);
    cairo_scale(cr, 1, 0.28);
    cairo_translate(cr, 0, -50);
    cairo_set_source(cr, brume);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_pattern_destroy(brume);
    // Rules on both sides of the word, cyan into magenta, each ending on a
    // small diamond.
    for (int cote = 0; cote < 2; ++cote) {
        const double x0 = cote ? 316 : 8, x1 = cote ? 352 : 44;
        cairo_pattern_t* p = cairo_pattern_create_linear(x0, 0, x1, 0);
        const Couleur pres = palette::kMagenta, loin = palette::kCyan;
        cairo_pattern_add_color_stop_rgba(p, 0, cote ? pres.r : loin.r, cote ? pres.g : loin.g,
                                          cote ? pres.b : loin.b, cote ? 1.0 : 0.0);
        cairo_pattern_add_color_stop_rgba(p, 1, cote ? loin.r : pres.r, cote ? loin.g : pres.g,
                                          cote ? loin.b : pres.b, cote ? 0.0 : 1.0);
        cairo_set_source(cr, p);
        cairo_rectangle(cr, x0, 51, x1 - x0, 2);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        const double dx = cote ? 310 : 50;
        cairo_move_to(cr, dx, 48);
        cairo_line_to(cr, dx + 4, 52);
        cairo_line_to(cr, dx, 56);
        cairo_line_to(cr, dx - 4, 52);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 1, 0.85, 0.95);
        cairo_fill(cr);
    }
    const Masque m = MasqueDessine(360, 96, DessinPresente, nullptr);
    // A glow behind the letters: magenta spread wide, amber close in.
    for (int passe = 0; passe < 2; ++passe) {
        cairo_surface_t* lueur = cairo_image_surface_create(CAIRO_FORMAT_A8, 360, 96);
        unsigned char* d = cairo_image_surface_get_data(lueur);
        const int pas = cairo_image_surface_get_stride(lueur);
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 360; ++x) d[size_t(y) * pas + x] = uint8_t(m.A(x, y) * 255);
        cairo_surface_mark_dirty(lueur);
        FlouSurface(lueur, passe == 0 ? 9 : 4);
        const Couleur c = passe == 0 ? palette::kMagenta : palette::kAmbre;
        cairo_set_source_rgba(cr, c.r, c.g, c.b, passe == 0 ? 0.9 : 0.7);
        cairo_mask_surface(cr, lueur, 0, 0);
        cairo_surface_destroy(lueur);
    }
    // A streak of light along the horizon, behind the word: it shows in the
    // gaps between the letters and never crosses them.
    cairo_pattern_t* trait = cairo_pattern_create_linear(40, 0, 320, 0);
    cairo_pattern_add_color_stop_rgba(trait, 0, 1, 1, 1, 0);
    cairo_pattern_add_color_stop_rgba(trait, 0.5, 1, 1, 1, 0.55);
    cairo_pattern_add_color_stop_rgba(trait, 1, 1, 1, 1, 0);
    cairo_set_source(cr, trait);
    cairo_rectangle(cr, 40, 49.5, 280, 1.5);
    cairo_fill(cr);
    cairo_pattern_destroy(trait);
    // The group logo's chrome: a blue sky over a white horizon, amber below.
    Matiere chrome;
    chrome.reflets = {Rvb(20, 40, 140), Rvb(40, 110, 230), Rvb(150, 200, 255), Rvb(250, 250, 255),
                      Rvb(110, 60, 20), Rvb(240, 150, 40), Rvb(255, 220, 150)};
    chrome.y0 = 17;
    chrome.y1 = 80;
    chrome.biseau = 2.5;
    chrome.lissage = 0.9;
    chrome.relief = 3;
    chrome.flanc = Rvb(70, 60, 170);
    chrome.contour = Rvb(10, 8, 40);
    chrome.epaisseur = 1.5;
    chrome.eclats = 2;
    chrome.eclat = 16;
    PeintMatiere(&toile, m, chrome);
    Finition f;
    recueil->images.push_back(Finit(toile, "Presente", f));
}

}  // namespace

void DessineLogo(Recueil* recueil) {
    DessineOrbo(recueil);
    DessinePresente(recueil);
}

}  // namespace forge
