// Television pictures: the set, the four programmes (copper bars, scroll text,
// the devil's face, a harbour by day and by night) and the closing frame.
// Palette: silver sets in a warm amber room; saturated raster colours on screen.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "forge_images.h"

namespace forge {

namespace {

// Colour the sets are seen over (the room's violet wall).
const Couleur kMur = Rvb(44, 18, 68);

// Rows of a set's monitor.
constexpr int kHauteurMoniteurTV = 177;

// The title's chrome on a path: cyan sky, a white horizon, magenta ground.
void ChromeTitre(cairo_t* cr, double y0, double y1) {
    cairo_pattern_t* p = MotifBandes(y0, y1,
                                     {{0.2, Rvb(190, 242, 255)},
                                      {0.45, Rvb(28, 150, 210)},
                                      {0.52, Rvb(255, 255, 255)},
                                      {0.6, Rvb(90, 10, 90)},
                                      {0.84, palette::kMagenta},
                                      {1.0, Rvb(255, 130, 214)}});
    cairo_set_source(cr, p);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
}

// The house palette the programmes are broadcast in: every pixel keeps only
// its brightness and whether it leans warm or cool, and is redrawn from one
// of two short ramps that share their night-violet shadows: a cool one
// through violet and cyan, a warm one through plum, magenta and amber. The
// ramps' steps are dithered against each other, flat enough for the
// scanlines laid over the monitors, so that every picture reads as made for
// these sets and not as a stock illustration.
const std::vector<Couleur> kRampeFroide = {Rvb(14, 6, 36), Rvb(46, 22, 104), Rvb(72, 70, 190),
                                           Rvb(40, 188, 250), Rvb(206, 248, 255)};
const std::vector<Couleur> kRampeChaude = {Rvb(14, 6, 36), Rvb(96, 18, 84), Rvb(214, 40, 150),
                                           Rvb(255, 150, 60), Rvb(255, 238, 196)};

void EnPaletteMaison(Toile* toile) {
    AccesPixels px(toile);
    for (int y = 0; y < toile->hauteur; ++y) {
        for (int x = 0; x < toile->largeur; ++x) {
            const Couleur c = px.Lit(x, y);
            const double lum = 0.3 * c.r + 0.55 * c.g + 0.15 * c.b;
            const double chaleur =
                std::clamp(0.5 + 2.2 * (c.r - c.b) + 0.6 * (c.g - c.b), 0.0, 1.0);
            const bool chaud =
                SeuilTrame(x + 3, y + 5) < std::clamp((chaleur - 0.5) * 4 + 0.5, 0.0, 1.0);
            const double s = std::pow(std::clamp(lum, 0.0, 1.0), 0.85);
            px.Ecrit(x, y, Teinte(chaud ? kRampeChaude : kRampeFroide, s, x, y));
        }
    }
}

// A rim of light along a shape's edge on the side the light comes from:
// the shape (traced by trace) less itself moved by (dx, dy) away from the
// light, filled with the light's colour. It takes the place of an outline.
template <typename Trace>
void Lisere(cairo_t* cr, Trace trace, double dx, double dy, Couleur c, double opacite) {
    cairo_save(cr);
    cairo_new_path(cr);
    trace();
    cairo_clip(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, -10, -10, 400, 300);
    cairo_translate(cr, dx, dy);
    trace();
    cairo_set_source_rgba(cr, c.r, c.g, c.b, opacite);
    cairo_fill(cr);
    cairo_restore(cr);
}

// The set: a cabinet of glossy graphite-violet plastic, a chrome bezel in the
// title's colours round a deep recess, and a control strip with a speaker
// grille, the brand, two knurled knobs and the amber power light.
// The monitor's curved glass over a programme picture: its corners darken,
// a soft sheen lies across the upper left and a thin bright reflection of
// the room's light along the top, so the picture reads as behind glass.
void VerreEcran(cairo_t* cr, double l, double h) {
    cairo_pattern_t* coins =
        cairo_pattern_create_radial(l / 2, h / 2, h * 0.45, l / 2, h / 2, l * 0.72);
    cairo_pattern_add_color_stop_rgba(coins, 0, 0.02, 0, 0.06, 0);
    cairo_pattern_add_color_stop_rgba(coins, 1, 0.02, 0, 0.06, 0.55);
    cairo_set_source(cr, coins);
    cairo_paint(cr);
    cairo_pattern_destroy(coins);
    cairo_save(cr);
    cairo_move_to(cr, 0, h * 0.05);
    cairo_curve_to(cr, l * 0.2, h * 0.02, l * 0.45, 0, l * 0.62, 0);
    cairo_line_to(cr, l * 0.3, h * 0.48);
    cairo_curve_to(cr, l * 0.18, h * 0.5, l * 0.06, h * 0.55, 0, h * 0.6);
    cairo_close_path(cr);
    cairo_pattern_t* voile = cairo_pattern_create_linear(0, 0, l * 0.35, h * 0.5);
    cairo_pattern_add_color_stop_rgba(voile, 0, 1, 1, 1, 0.2);
    cairo_pattern_add_color_stop_rgba(voile, 1, 0.8, 0.9, 1, 0.0);
    cairo_set_source(cr, voile);
    cairo_fill(cr);
    cairo_pattern_destroy(voile);
    cairo_restore(cr);
    cairo_move_to(cr, l * 0.12, 3.5);
    cairo_curve_to(cr, l * 0.35, 2, l * 0.65, 2, l * 0.88, 3.5);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
}

// Signed distance from (px, py) to a rounded rectangle (negative inside),
// and the outward direction of its nearest edge in (*nx, *ny).
double DistanceArrondi(double px, double py, double x0, double y0, double x1, double y1, double r,
                       double* nx, double* ny) {
    const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    const double sx = px < cx ? -1 : 1, sy = py < cy ? -1 : 1;
    const double qx = std::abs(px - cx) - ((x1 - x0) / 2 - r);
    const double qy = std::abs(py - cy) - ((y1 - y0) / 2 - r);
    if (qx > 0 && qy > 0) {
        const double l = std::hypot(qx, qy);
        *nx = sx * qx / l;
        *ny = sy * qy / l;
        return l - r;
    }
    *nx = qx > qy ? sx : 0;
    *ny = qx > qy ? 0 : sy;
    return std::max(qx, qy) - r;
}

// The bezel's outer edge, and the glass's edge inside it (the programme
// covers the glass from (21,17) on, 250x177; round it a thin border of bare
// glass stays seen).
constexpr double kBiseauExt[5] = {14, 11.5, 277, 200.5, 10};
constexpr double kVerreBord[5] = {18.5, 14.5, 273, 196.5, 5};

// What the chrome reflects, by how far up the reflected ray points: the
// room's dark floor, the magenta neon's glow, a pale horizon, then the
// ceiling's cyan light, paler as it rises. The stops are far enough apart that the
// colour turns over two or three pixels, never in one step.
Couleur RefletChrome(double haut) {
    static const std::pair<double, Couleur> kCiel[] = {
        {-0.75, {0.09, 0.04, 0.15}}, {-0.35, {0.62, 0.1, 0.5}}, {-0.1, {0.98, 0.42, 0.78}},
        {0.02, {0.96, 0.86, 0.96}},  {0.16, {0.24, 0.6, 0.9}},  {0.45, {0.4, 0.78, 0.98}},
        {0.85, {0.74, 0.9, 1.0}}};
    if (haut <= kCiel[0].first) return kCiel[0].second;
    for (size_t i = 1; i < std::size(kCiel); ++i) {
        if (haut <= kCiel[i].first) {
            const double u = (haut - kCiel[i - 1].first) / (kCiel[i].first - kCiel[i - 1].first);
            return Melange(kCiel[i - 1].second, kCiel[i].second, u * u * (3 - 2 * u));
        }
    }
    return kCiel[std::size(kCiel) - 1].second;
}

// The bezel as a rounded chrome frame: across its width it rolls over like a
// moulding, almost flat by the glass and turning away toward its outer edge,
// so each point's normal is worked out and the room it reflects looked up; the ceiling's light
// gives one hot highlight where the curve faces it (the upper left corner), the frame darkens
// toward the bottom, and the sides' lower halves take a little of the neon sign's pink. Then the
// bare glass round the programme: dark, in the bezel's soft shadow, crossed
// by a faint diagonal glare. Every pixel is sampled 4x4 so that the edges
// and the inner lip are smooth.
void BiseauChrome(Toile* toile) {
    const double* e = kBiseauExt;
    const double* v = kVerreBord;
    const double lx = -0.55, ly = -0.65, lz = 0.55;
    const double ln = std::sqrt(lx * lx + ly * ly + lz * lz);
    double hx = lx / ln, hy = ly / ln, hz = lz / ln + 1;
    const double hn = std::sqrt(hx * hx + hy * hy + hz * hz);
    hx /= hn, hy /= hn, hz /= hn;
    AccesPixels px(toile);
    double chaud = 0;
    int chaudX = 0, chaudY = 0;
    for (int y = int(e[1]); y <= int(e[3]); ++y) {
        for (int x = int(e[0]); x <= int(e[2]); ++x) {
            const bool programme = x >= 21 && x < 271 && y >= 17 && y < 194;
            double r = 0, g = 0, b = 0, pic = 0;
            int anneau = 0, verre = 0;
            double vr = 0, vg = 0, vb = 0;
            for (int j = 0; j < 4; ++j) {
                for (int i = 0; i < 4; ++i) {
                    const double sx = x + (i + 0.5) / 4, sy = y + (j + 0.5) / 4;
                    double ox, oy, ix, iy;
                    const double de =
                        DistanceArrondi(sx, sy, e[0], e[1], e[2], e[3], e[4], &ox, &oy);
                    const double dv =
                        DistanceArrondi(sx, sy, v[0], v[1], v[2], v[3], v[4], &ix, &iy);
                    const double yn = (sy - e[1]) / (e[3] - e[1]);
                    if (de < 0 && dv >= 0) {
                        // Across the frame: -1 on the glass's side, +1 outside.
                        const double t = (dv + de) / (dv - de);
                        double nx = ox + ix, ny = oy + iy;
                        const double l = std::hypot(nx, ny);
                        nx /= l, ny /= l;
                        const double s = t > 0 ? 0.85 * t : 0.2 * t;
                        const double nz = std::sqrt(1 - s * s);
                        nx *= s, ny *= s;
                        // The reflected ray's height, and along the frame
                        // the upper part sees more of the ceiling.
                        const double haut = -2 * nz * ny + 0.45 * (0.38 - yn);
                        Couleur c = RefletChrome(haut);
                        const double ombre = (0.5 + 0.5 * nz) * (1 - 0.42 * yn);
                        c = {c.r * ombre, c.g * ombre, c.b * ombre};
                        // The neon's spill on the sides' outer halves.
                        const double rose = std::max(0.0, std::abs(nx)) *
                                            std::clamp((yn - 0.35) * 2, 0.0, 1.0) * 0.55;
                        c = Melange(c, Rvb(255, 70, 190), rose);
                        // The inner lip: a clean fine edge, in shadow at the
                        // top and catching the light at the bottom.
                        if (dv < 0.8)
                            c = Melange(Rvb(30, 16, 52), Rvb(226, 214, 255), 0.15 + 0.75 * yn);
                        const double eclat =
                            std::pow(std::max(0.0, nx * hx + ny * hy + nz * hz), 80) * 1.6;
                        pic += eclat;
                        r += std::min(1.0, c.r + eclat), g += std::min(1.0, c.g + eclat),
                            b += std::min(1.0, c.b + eclat);
                        ++anneau;
                    } else if (dv < 0 && !programme) {
                        // Bare glass: the bezel's shadow falls on its edge,
                        // deeper under the top, and a faint diagonal glare.
                        const double bord = -dv;
                        const double jour =
                            (1 - std::exp(-bord / (0.9 + 0.8 * (1 - yn)))) * (0.55 + 0.45 * yn);
                        Couleur c = Melange(Rvb(10, 8, 22), Rvb(46, 50, 78), jour);
                        const double u = sx + 0.6 * sy;
                        const double reflet = 0.5 * std::exp(-std::pow((u - 92) / 9, 2)) +
                                              0.35 * std::exp(-std::pow((u - 118) / 4, 2));
                        c = Melange(c, Rvb(220, 236, 255), reflet * jour);
                        vr += c.r, vg += c.g, vb += c.b;
                        ++verre;
                    }
                }
            }
            if (anneau + verre == 0) continue;
            const Couleur avant = px.Lit(x, y);
            const double a = (anneau + verre) / 16.0;
            const Couleur m = {(r + vr) / (anneau + verre), (g + vg) / (anneau + verre),
                               (b + vb) / (anneau + verre)};
            px.Ecrit(x, y, Melange(avant, m, a), std::max(a, px.Alpha(x, y)));
            if (anneau && pic / anneau > chaud) chaud = pic / anneau, chaudX = x, chaudY = y;
        }
    }
    // The hot highlight blooms a little over the frame and the cabinet.
    for (int y = chaudY - 6; y <= chaudY + 6; ++y) {
        for (int x = chaudX - 6; x <= chaudX + 6; ++x) {
            const double d = std::hypot(x - chaudX, y - chaudY);
            if (d > 6 || px.Alpha(x, y) <= 0 || (x >= 21 && y >= 17)) continue;
            px.Pose(x, y, Rvb(255, 250, 255), 0.7 * std::exp(-d * d / 8));
        }
    }
    // and glints: a short four-pointed star on the hottest pixel.
    for (int i = -8; i <= 8; ++i) {
        const double o = 0.9 * (1 - std::abs(i) / 9.0);
        if (px.Alpha(chaudX + i, chaudY) > 0) px.Pose(chaudX + i, chaudY, Rvb(255, 255, 255), o);
        if (px.Alpha(chaudX, chaudY + i) > 0 && std::abs(i) < 6)
            px.Pose(chaudX, chaudY + i, Rvb(255, 255, 255), o);
    }
}

void DessineTV(Recueil* recueil) {
    Toile toile(290, 230);
    cairo_t* cr = toile.cr;
    const Cadre k = kCaissonTV;
    const double x0 = k.x, y0 = k.y, x1 = k.x + k.largeur, y1 = k.y + k.hauteur;
    // The feet first, under the cabinet: two short chrome blocks, lit on
    // their upper half, shaded down to the row the set stands on.
    for (int pied : kPiedsTV) {
        cairo_move_to(cr, pied, y1 - 4);
        cairo_line_to(cr, pied + kLargeurPiedTV, y1 - 4);
        cairo_line_to(cr, pied + kLargeurPiedTV - 3, kBasPiedsTV);
        cairo_line_to(cr, pied + 3, kBasPiedsTV);
        cairo_close_path(cr);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, y1, 0, kBasPiedsTV);
        cairo_pattern_add_color_stop_rgb(p, 0, 0.5, 0.46, 0.62);
        cairo_pattern_add_color_stop_rgb(p, 0.35, 0.85, 0.9, 1.0);
        cairo_pattern_add_color_stop_rgb(p, 0.55, 0.36, 0.3, 0.5);
        cairo_pattern_add_color_stop_rgb(p, 1, 0.1, 0.07, 0.16);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    // Cabinet: three tones from the lit top to the shaded foot. It stops
    // well inside the picture, so the wall shows round each set.
    CheminArrondi(cr, x0, y0, k.largeur, k.hauteur, 14);
    cairo_pattern_t* coque = cairo_pattern_create_linear(0, y0, 0, y1);
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
    CheminArrondi(cr, x0 + 1.5, y0 + 1.5, k.largeur - 3, k.hauteur - 3, 12.5);
    cairo_pattern_t* arete = cairo_pattern_create_linear(x0, y0, x1, y1);
    cairo_pattern_add_color_stop_rgba(arete, 0, 0.85, 0.95, 1, 0.9);
    cairo_pattern_add_color_stop_rgba(arete, 0.45, 0.6, 0.5, 0.8, 0.3);
    cairo_pattern_add_color_stop_rgba(arete, 1, 0.02, 0, 0.05, 0.9);
    cairo_set_source(cr, arete);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    // A gloss band along the top.
    CheminArrondi(cr, x0 + 14, y0 + 1.5, k.largeur - 28, 2.2, 1.1);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.35);
    cairo_fill(cr);
    {
        // The cabinet's rounded edge, four pixels deep: its top and left
        // faces take the ceiling tube's pink light, its right and lower faces
        // turn away into shadow, and low on both sides the neon sign's spill.
        AccesPixels px(&toile);
        for (int y = int(y0); y <= int(y1); ++y) {
            for (int x = int(x0); x <= int(x1); ++x) {
                if (px.Alpha(x, y) <= 0) continue;
                double nx, ny;
                const double d = -DistanceArrondi(x + 0.5, y + 0.5, x0, y0, x1, y1, 14, &nx, &ny);
                if (d < 0 || d > 4) continue;
                const double bord = 1 - d / 4;
                const double face = -0.35 * nx - 0.94 * ny;
                const double yn = (y - y0) / k.hauteur;
                Couleur c = px.Lit(x, y);
                if (face > 0)
                    c = Melange(c, Rvb(236, 170, 230), 0.5 * face * bord * bord);
                else
                    c = Melange(c, Rvb(6, 2, 14), -0.6 * face * bord);
                c = Melange(c, Rvb(255, 60, 180),
                            0.4 * std::abs(nx) * bord * std::clamp((yn - 0.3) * 1.6, 0.0, 1.0));
                px.Ecrit(x, y, c, px.Alpha(x, y));
            }
        }
    }
    // The bezel stands proud of the cabinet: its soft shadow down and to the
    // right, then the chrome frame and the bare glass inside it.
    for (int i = 0; i < 3; ++i) {
        const double d = 0.6 + i * 0.7;
        CheminArrondi(cr, kBiseauExt[0] + d * 0.6, kBiseauExt[1] + d, kBiseauExt[2] - kBiseauExt[0],
                      kBiseauExt[3] - kBiseauExt[1], kBiseauExt[4]);
        cairo_set_source_rgba(cr, 0.02, 0, 0.05, 0.3 - i * 0.08);
        cairo_fill(cr);
    }
    BiseauChrome(&toile);
    // The glass (covered by the programme).
    cairo_rectangle(cr, 21, 17, 250, 177);
    cairo_set_source_rgb(cr, 0.06, 0.08, 0.1);
    cairo_fill(cr);
    // Control strip: an accent line, the speaker grille, brand, knobs, light.
    const double bande = 202.5, milieu = 208;
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, 22, bande);
    cairo_line_to(cr, 140, bande);
    cairo_set_source_rgb(cr, palette::kMagenta.r, palette::kMagenta.g, palette::kMagenta.b);
    cairo_stroke(cr);
    cairo_move_to(cr, 140, bande);
    cairo_line_to(cr, 268, bande);
    cairo_set_source_rgb(cr, palette::kCyan.r, palette::kCyan.g, palette::kCyan.b);
    cairo_stroke(cr);
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 13; ++i) {
            const double x = 26 + i * 4.5 + (j % 2) * 2.25, y = 205.2 + j * 3.2;
            cairo_arc(cr, x, y, 1.2, 0, 2 * M_PI);
            cairo_set_source_rgb(cr, 0.03, 0.02, 0.06);
            cairo_fill(cr);
            cairo_arc(cr, x + 0.4, y + 0.6, 0.55, 0, M_PI);
            cairo_set_source_rgba(cr, 0.7, 0.6, 0.9, 0.6);
            cairo_fill(cr);
        }
    }
    cairo_font_face_t* police = Police(kPoliceTitre);
    // The badge's name in plain pale cyan: at this size the chrome's bands
    // only blur it.
    CheminTexteCentre(cr, police, 9, "ORBOVISION", 148, milieu);
    cairo_set_source_rgb(cr, 0.04, 0.02, 0.08);
    cairo_set_line_width(cr, 2);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgb(cr, 0.78, 0.95, 1.0);
    cairo_fill_preserve(cr);
    cairo_new_path(cr);
    for (int i = 0; i < 2; ++i) {
        const double x = 220 + i * 18, y = milieu;
        cairo_arc(cr, x + 1, y + 1.2, 6, 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 0, 0, 0.02, 0.6);
        cairo_fill(cr);
        // Knurled rim: ridges round the knob.
        for (int k = 0; k < 20; ++k) {
            const double a = k * M_PI / 10;
            cairo_move_to(cr, x + 4.6 * std::cos(a), y + 4.6 * std::sin(a));
            cairo_line_to(cr, x + 5.9 * std::cos(a), y + 5.9 * std::sin(a));
        }
        cairo_set_source_rgb(cr, 0.45, 0.42, 0.55);
        cairo_set_line_width(cr, 1.1);
        cairo_stroke(cr);
        cairo_pattern_t* b = cairo_pattern_create_radial(x - 1.5, y - 2, 0.5, x, y, 5);
        cairo_pattern_add_color_stop_rgb(b, 0, 0.98, 0.98, 1);
        cairo_pattern_add_color_stop_rgb(b, 0.4, 0.6, 0.58, 0.7);
        cairo_pattern_add_color_stop_rgb(b, 1, 0.18, 0.15, 0.26);
        cairo_set_source(cr, b);
        cairo_arc(cr, x, y, 4.6, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(b);
        cairo_set_source_rgb(cr, palette::kMagenta.r, palette::kMagenta.g, palette::kMagenta.b);
        cairo_set_line_width(cr, 1.4);
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x + 3.8 * std::cos(-1.0 - i), y + 3.8 * std::sin(-1.0 - i));
        cairo_stroke(cr);
    }
    cairo_pattern_t* led = cairo_pattern_create_radial(261, milieu, 0, 261, milieu, 5);
    cairo_pattern_add_color_stop_rgb(led, 0, 1, 0.95, 0.75);
    cairo_pattern_add_color_stop_rgb(led, 0.35, palette::kAmbre.r, palette::kAmbre.g,
                                     palette::kAmbre.b);
    cairo_pattern_add_color_stop_rgba(led, 1, 0.6, 0.3, 0, 0);
    cairo_set_source(cr, led);
    cairo_arc(cr, 261, milieu, 5, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(led);
    Finition f;
    f.cle = Cle::Noir;
    f.fond = kMur;
    f.grain = 1.5;
    recueil->images.push_back(Finit(toile, "TV", f));
}

// A copper bar as the raster chips drew them: one flat colour per row, in
// steps from the colour's shade at the edges through the colour to a
// white-hot middle, so that the bar is lit over its whole height and reads
// crisp under the scanlines.
void DessineCoper(Recueil* recueil, const char* nom, Couleur c) {
    const int l = 250, h = 22;
    Toile toile(l, h);
    cairo_t* cr = toile.cr;
    const Couleur ombre = Melange(c, Rvb(20, 4, 40), 0.55);
    const Couleur clair = Melange(c, {1, 1, 1}, 0.55);
    for (int y = 0; y < h; ++y) {
        const double t = std::fabs(y + 0.5 - h / 2.0) / (h / 2.0);  // 0 middle, 1 edge
        Couleur r;
        if (t < 0.12) {
            r = {1, 1, 1};
        } else if (t < 0.4) {
            r = Melange(clair, {1, 1, 1}, (0.4 - t) / 0.28 * 0.6);
        } else if (t < 0.7) {
            r = Melange(c, clair, (0.7 - t) / 0.3);
        } else {
            r = Melange(ombre, c, (1 - t) / 0.3);
        }
        // The upper half a touch brighter: lit from above.
        if (y < h / 2) r = Melange(r, {1, 1, 1}, 0.08);
        r = Sur565(r);
        cairo_rectangle(cr, 0, y, l, 1);
        cairo_set_source_rgb(cr, r.r, r.g, r.b);
        cairo_fill(cr);
    }
    Finition f;
    recueil->images.push_back(Finit(toile, nom, f));
}

const char kTexteDefilant[] =
    "ORBO PRESENTS KAZZMOT ... FOUR TELLIES, ONE PARTY, NO SLEEP TILL THE COMPO ... "
    "CODE BY KABO, MUSIC BY DOLO ... HI TO WOZZ, SLIK AND BRENN ... STAY TUNED!";

// The scroll text: letters about 70 pixels tall, spaced out to run from the
// strip's start to its end, so that the monitor is never left empty before
// the last frame. Each letter has a thick violet outline, the title's chrome
// and a white light on its upper edges. The scene draws the strip twice, at
// y and 2y: a black curtain rising from each letter (shown black on the black
// monitor) hides the copy behind, so the line reads once, wobbling.
void DessineScrollText(Recueil* recueil) {
    const int l = 4800, h = kHauteurDefilant;
    Toile toile(l, h);
    cairo_t* cr = toile.cr;
    cairo_font_face_t* police = Police(kPoliceAffiche);
    // The strip starts and ends empty so that the text enters and leaves the monitor.
    const double debut = 260, fin = l - 260, encre = 64;
    cairo_set_font_face(cr, police);
    cairo_set_font_size(cr, 100);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, kTexteDefilant, &ext);
    double taille = 100 * encre / ext.height;
    const int n = int(sizeof kTexteDefilant) - 1;
    // Spacing between the letters that makes the line reach the end; a
    // line too long at this size is made smaller instead.
    double espace = (fin - debut - ext.width * taille / 100) / (n - 1);
    if (espace < 0) {
        taille *= (fin - debut) / (ext.width * taille / 100);
        espace = 0;
    }
    cairo_set_font_size(cr, taille);
    cairo_scaled_font_t* fonte = cairo_get_scaled_font(cr);
    cairo_glyph_t* glyphes = nullptr;
    int nombre = 0;
    cairo_text_extents(cr, kTexteDefilant, &ext);
    // The copy behind lies 4 to ecartMax rows above the front one; the
    // letters, outline included, start that far down the strip so that the
    // curtain over them reaches its top.
    // The face is thickened by a stroke of the chrome itself, gras wide,
    // its outline and lip widened as much, for a heavy letter in the title's
    // chrome rather than a thin condensed one.
    const double gras = 6, contourLarge = 10 + gras;
    const int ecartMax = 10 + (kHauteurMoniteurTV - h) / 4;
    const double y0 = ecartMax + contourLarge / 2 + 1, y1 = y0 + ext.height;
    cairo_scaled_font_text_to_glyphs(fonte, debut - ext.x_bearing, y0 - ext.y_bearing,
                                     kTexteDefilant, -1, &glyphes, &nombre, nullptr, nullptr,
                                     nullptr);
    for (int i = 0; i < nombre; ++i) glyphes[i].x += i * espace;
    cairo_glyph_path(cr, glyphes, nombre);
    cairo_glyph_free(glyphes);
    {
        cairo_path_t* lettres = cairo_copy_path(cr);
        cairo_new_path(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_set_line_width(cr, contourLarge + 1);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        for (int d = 3; d <= ecartMax; d += 3) {
            cairo_save(cr);
            cairo_translate(cr, 0, -d);
            cairo_append_path(cr, lettres);
            cairo_stroke_preserve(cr);
            cairo_fill(cr);
            cairo_restore(cr);
        }
        cairo_append_path(cr, lettres);
        cairo_path_destroy(lettres);
    }
    const Couleur contour = Sur565(Rvb(36, 8, 62)), lisere = Sur565(Rvb(108, 40, 158));
    cairo_set_source_rgb(cr, contour.r, contour.g, contour.b);
    cairo_set_line_width(cr, contourLarge);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgb(cr, lisere.r, lisere.g, lisere.b);
    cairo_set_line_width(cr, 4 + gras);
    cairo_stroke_preserve(cr);
    ChromeTitre(cr, y0 - gras / 2, y1 + gras / 2);
    cairo_set_line_width(cr, gras);
    cairo_stroke_preserve(cr);
    cairo_path_t* chemin = cairo_copy_path(cr);
    cairo_save(cr);
    cairo_clip(cr);
    cairo_translate(cr, 1.5, 3);
    cairo_append_path(cr, chemin);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_restore(cr);
    cairo_path_destroy(chemin);
    cairo_new_path(cr);
    Finition f;
    f.cle = Cle::Noir;
    recueil->images.push_back(Finit(toile, "ScrollText", f));
}

// A bump of the height field: a soft round hill (or a dent, haut < 0).
struct Bosse {
    double x, y, rx, ry, haut;
};

// The devil: a sculpted head lit from the upper left and from the fire
// below, ridged horns, glowing eyes under the brows, a grin of fangs, over a
// wall of flames.
void DessineDiable(Recueil* recueil) {
    const int L = 250, H = 177;
    Toile toile(L, H);
    cairo_t* cr = toile.cr;
    {
        // Hellfire: tongues of heat rising from the bottom, smoke in the
        // production's magenta above them.
        const std::vector<Couleur> feu = {Rvb(34, 0, 14),    Rvb(96, 4, 20),    Rvb(170, 20, 10),
                                          Rvb(236, 84, 16),  Rvb(255, 170, 40), Rvb(255, 232, 140),
                                          Rvb(255, 252, 220)};
        AccesPixels px(&toile);
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < L; ++x) {
                const double montee = double(y) / H;
                const double langue = Fractal(x / 16.0, y / 34.0 + x / 90.0, 4, 401);
                const double chaleur = std::pow(montee, 1.6) * 1.25 + (langue - 0.5) * 0.9 - 0.12;
                Couleur c = Teinte(feu, chaleur, x, y);
                const double fumee =
                    std::clamp(0.5 - chaleur, 0.0, 0.5) * Fractal(x / 30.0, y / 22.0, 3, 402);
                c = Melange(c, Melange(palette::kMagenta, Rvb(20, 0, 30), 0.55), fumee);
                px.Ecrit(x, y, c);
            }
        }
    }
    // Horns, behind the head: each a curved cone with rings, lit on its
    // upper edge, ivory at the tip and dark at the root.
    for (int s = -1; s <= 1; s += 2) {
        auto corne = [&]() {
            cairo_new_path(cr);
            cairo_move_to(cr, 125 + s * 26, 52);
            cairo_curve_to(cr, 125 + s * 52, 42, 125 + s * 76, 22, 125 + s * 72, 2);
            cairo_curve_to(cr, 125 + s * 94, 24, 125 + s * 84, 60, 125 + s * 50, 76);
            cairo_close_path(cr);
        };
        corne();
        cairo_pattern_t* p = cairo_pattern_create_linear(125 + s * 40, 70, 125 + s * 80, 4);
        cairo_pattern_add_color_stop_rgb(p, 0, 0.18, 0.08, 0.06);
        cairo_pattern_add_color_stop_rgb(p, 0.45, 0.55, 0.42, 0.3);
        cairo_pattern_add_color_stop_rgb(p, 0.8, 0.9, 0.84, 0.66);
        cairo_pattern_add_color_stop_rgb(p, 1, 1, 0.97, 0.86);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
        cairo_save(cr);
        corne();
        cairo_clip(cr);
        // The shaded underside, then the rings.
        cairo_move_to(cr, 125 + s * 50, 80);
        cairo_curve_to(cr, 125 + s * 84, 64, 125 + s * 96, 28, 125 + s * 72, 0);
        cairo_set_source_rgba(cr, 0.12, 0.02, 0.04, 0.65);
        cairo_set_line_width(cr, 12);
        cairo_stroke(cr);
        for (int k = 0; k < 7; ++k) {
            const double t = 0.12 + k * 0.12;
            const double cx = 125 + s * (36 + 44 * t), cy = 66 - 58 * t;
            cairo_move_to(cr, cx - s * 12, cy - 12 + 4 * t);
            cairo_curve_to(cr, cx - s * 2, cy - 4, cx + s * 4, cy + 6, cx + s * 14, cy + 12);
        }
        cairo_set_source_rgba(cr, 0.2, 0.08, 0.04, 0.7);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
        cairo_move_to(cr, 125 + s * 28, 50);
        cairo_curve_to(cr, 125 + s * 52, 40, 125 + s * 74, 22, 125 + s * 72, 4);
        cairo_set_source_rgba(cr, 1, 0.95, 0.8, 0.8);
        cairo_set_line_width(cr, 1.6);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    // The head with its pointed ears, sculpted pixel by pixel: a rounded
    // mass with brows, cheekbones, nose and chin raised and the eye sockets
    // sunk, lit warm from the upper left with the fire's glow from below.
    auto tete = [cr]() {
        cairo_move_to(cr, 125, 174);
        cairo_curve_to(cr, 86, 162, 64, 124, 64, 96);
        cairo_curve_to(cr, 52, 92, 40, 74, 36, 60);
        cairo_curve_to(cr, 50, 64, 62, 70, 67, 74);
        cairo_curve_to(cr, 72, 40, 100, 28, 125, 28);
        cairo_curve_to(cr, 150, 28, 178, 40, 183, 74);
        cairo_curve_to(cr, 188, 70, 200, 64, 214, 60);
        cairo_curve_to(cr, 210, 74, 198, 92, 186, 96);
        cairo_curve_to(cr, 186, 124, 164, 162, 125, 174);
        cairo_close_path(cr);
    };
    cairo_new_path(cr);
    tete();
    {
        const Couverture masque = CouvertureDuChemin(cr, 6);
        cairo_new_path(cr);
        const Couverture dome = Adoucit(masque, 9);
        const Bosse bosses[] = {
            {101, 74, 18, 7, 0.35},  {149, 74, 18, 7, 0.35},    // brows
            {101, 86, 11, 7, -0.4},  {149, 86, 11, 7, -0.4},    // eye sockets
            {88, 110, 14, 10, 0.3},  {162, 110, 14, 10, 0.3},   // cheekbones
            {125, 98, 6, 16, 0.3},   {125, 112, 10, 6, 0.35},   // nose
            {125, 150, 18, 14, 0.3}, {125, 128, 30, 8, -0.15},  // chin, under the nose
            {125, 52, 26, 14, 0.2},                             // forehead
        };
        const std::vector<Couleur> peau = {Rvb(36, 0, 8),     Rvb(96, 6, 14),   Rvb(154, 16, 20),
                                           Rvb(206, 40, 32),  Rvb(240, 92, 64), Rvb(255, 160, 128),
                                           Rvb(255, 222, 200)};
        const int l = masque.largeur, h = masque.hauteur;
        auto hauteur = [&](int x, int y) {
            x = std::clamp(x, 0, l - 1);
            y = std::clamp(y, 0, h - 1);
            const double gx = masque.x0 + x, gy = masque.y0 + y;
            double v = dome.a[size_t(y) * l + x] * 1.6;
            for (const Bosse& b : bosses) {
                const double dx = (gx - b.x) / b.rx, dy = (gy - b.y) / b.ry;
                v += b.haut * std::exp(-(dx * dx + dy * dy));
            }
            return v + 0.012 * Bruit(gx / 1.5, gy / 1.5, 411);
        };
        const double lx = -0.5, ly = -0.6, lz = 0.62;
        AccesPixels px(&toile);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < l; ++x) {
                const double a = masque.a[size_t(y) * l + x];
                if (a <= 0) continue;
                const int gx = masque.x0 + x, gy = masque.y0 + y;
                if (gx < 0 || gy < 0 || gx >= L || gy >= H) continue;
                const double dx = (hauteur(x + 1, y) - hauteur(x - 1, y)) * 9;
                const double dy = (hauteur(x, y + 1) - hauteur(x, y - 1)) * 9;
                const double nn = std::sqrt(dx * dx + dy * dy + 1);
                const double nx = -dx / nn, ny = -dy / nn, nz = 1 / nn;
                const double cle = std::max(0.0, nx * lx + ny * ly + nz * lz);
                const double feu = std::max(0.0, ny * 0.8 + nz * 0.2);  // from below
                double s = 0.12 + 0.72 * cle;
                Couleur c = Teinte(peau, s, gx, gy);
                c = Melange(c, Rvb(255, 150, 40), 0.45 * feu * feu);
                // The key light's sheen on the forehead, nose and cheeks.
                const double hx = lx, hy = ly, hz = lz + 1;
                const double hn = std::sqrt(hx * hx + hy * hy + hz * hz);
                const double brillance =
                    std::pow(std::max(0.0, (nx * hx + ny * hy + nz * hz) / hn), 30);
                c = Melange(c, Rvb(255, 230, 220), 0.8 * brillance);
                px.Pose(gx, gy, c, a);
            }
        }
    }
    // Eyes: glowing almonds with slit pupils under heavy brows.
    for (int s = -1; s <= 1; s += 2) {
        const double ex = 125 + s * 24, ey = 87;
        cairo_save(cr);
        cairo_translate(cr, ex, ey);
        cairo_rotate(cr, s * 0.28);
        cairo_scale(cr, 1.0, 0.5);
        cairo_arc(cr, 0, 0, 12, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_pattern_t* oeil = cairo_pattern_create_radial(ex, ey, 1, ex, ey, 12);
        cairo_pattern_add_color_stop_rgb(oeil, 0, 1, 1, 0.75);
        cairo_pattern_add_color_stop_rgb(oeil, 0.55, 1, 0.78, 0.1);
        cairo_pattern_add_color_stop_rgb(oeil, 1, 0.85, 0.3, 0.0);
        cairo_set_source(cr, oeil);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(oeil);
        cairo_set_source_rgb(cr, 0.2, 0.0, 0.02);
        cairo_set_line_width(cr, 1.4);
        cairo_stroke(cr);
        cairo_save(cr);
        cairo_translate(cr, ex - s * 1.5, ey);
        cairo_scale(cr, 0.3, 1.0);
        cairo_arc(cr, 0, 0, 5.5, 0, 2 * M_PI);
        cairo_restore(cr);
        cairo_set_source_rgb(cr, 0.08, 0.0, 0.0);
        cairo_fill(cr);
        cairo_arc(cr, ex - s * 4 - 1, ey - 2, 1.3, 0, 2 * M_PI);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
        // The brow: a dark hooked wedge with a lit upper edge.
        cairo_move_to(cr, 125 + s * 5, 80);
        cairo_curve_to(cr, 125 + s * 18, 72, 125 + s * 32, 64, 125 + s * 46, 62);
        cairo_line_to(cr, 125 + s * 42, 71);
        cairo_curve_to(cr, 125 + s * 30, 74, 125 + s * 18, 80, 125 + s * 8, 86);
        cairo_close_path(cr);
        cairo_pattern_t* sourcil = cairo_pattern_create_linear(0, 62, 0, 86);
        cairo_pattern_add_color_stop_rgb(sourcil, 0, 0.45, 0.05, 0.08);
        cairo_pattern_add_color_stop_rgb(sourcil, 0.4, 0.15, 0.0, 0.03);
        cairo_pattern_add_color_stop_rgb(sourcil, 1, 0.05, 0.0, 0.01);
        cairo_set_source(cr, sourcil);
        cairo_fill(cr);
        cairo_pattern_destroy(sourcil);
    }
    // The grin: dark mouth, a tongue, ivory teeth shaded at their roots,
    // two fangs, and the lips' lit edge.
    cairo_move_to(cr, 86, 120);
    cairo_curve_to(cr, 104, 132, 146, 132, 164, 120);
    cairo_curve_to(cr, 154, 146, 96, 146, 86, 120);
    cairo_close_path(cr);
    cairo_pattern_t* bouche = cairo_pattern_create_linear(0, 120, 0, 144);
    cairo_pattern_add_color_stop_rgb(bouche, 0, 0.08, 0.0, 0.02);
    cairo_pattern_add_color_stop_rgb(bouche, 1, 0.3, 0.02, 0.06);
    cairo_set_source(cr, bouche);
    cairo_fill(cr);
    cairo_pattern_destroy(bouche);
    cairo_arc(cr, 125, 146, 13, M_PI * 1.15, M_PI * 1.85);
    cairo_set_source_rgb(cr, 0.75, 0.15, 0.25);
    cairo_set_line_width(cr, 5);
    cairo_stroke(cr);
    for (int i = 0; i < 7; ++i) {
        const double x = 96 + i * 8.4;
        const bool croc = i == 0 || i == 6;
        const double bas = croc ? 139 : 132 - std::fabs(i - 3) * 0.6;
        cairo_move_to(cr, x, 124.5 + std::fabs(i - 3) * 0.5);
        cairo_line_to(cr, x + 7.6, 124.5 + std::fabs(i - 2.2) * 0.5);
        cairo_line_to(cr, x + 3.8, bas);
        cairo_close_path(cr);
        cairo_pattern_t* dent = cairo_pattern_create_linear(x, 0, x + 7.6, 0);
        cairo_pattern_add_color_stop_rgb(dent, 0, 1, 0.98, 0.9);
        cairo_pattern_add_color_stop_rgb(dent, 0.6, 0.9, 0.84, 0.7);
        cairo_pattern_add_color_stop_rgb(dent, 1, 0.55, 0.45, 0.38);
        cairo_set_source(cr, dent);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(dent);
        cairo_set_source_rgba(cr, 0.3, 0.1, 0.08, 0.8);
        cairo_set_line_width(cr, 0.7);
        cairo_stroke(cr);
    }
    cairo_move_to(cr, 84, 118);
    cairo_curve_to(cr, 104, 131, 146, 131, 166, 118);
    cairo_set_source_rgb(cr, 0.2, 0.0, 0.03);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    cairo_move_to(cr, 98, 145);
    cairo_curve_to(cr, 112, 152, 138, 152, 152, 145);
    cairo_set_source_rgba(cr, 1, 0.6, 0.45, 0.6);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    // The goatee: dark strands to a point, a few lit hairs.
    cairo_move_to(cr, 110, 152);
    cairo_curve_to(cr, 116, 166, 121, 172, 125, 177);
    cairo_curve_to(cr, 129, 172, 134, 166, 140, 152);
    cairo_curve_to(cr, 132, 156, 118, 156, 110, 152);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.1, 0.0, 0.03);
    cairo_fill(cr);
    for (int k = -2; k <= 2; ++k) {
        cairo_move_to(cr, 125 + k * 5, 155);
        cairo_curve_to(cr, 125 + k * 4, 163, 125 + k * 2, 170, 125 + k * 0.5, 175);
    }
    cairo_set_source_rgba(cr, 0.7, 0.25, 0.35, 0.7);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
    // Sparks rising from the fire.
    Alea alea(GraineDe("DiableTV"));
    for (int i = 0; i < 30; ++i) {
        const double x = alea.Entre(0, L), y = alea.Entre(40, H);
        if (x > 60 && x < 190 && y > 30) continue;
        cairo_arc(cr, x, y, alea.Entre(0.5, 1.3), 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 1, 0.9, 0.5, alea.Entre(0.5, 1));
        cairo_fill(cr);
    }
    // Into the house palette, then a cyan back light from the upper right
    // rims the head and the horns where an outline was.
    EnPaletteMaison(&toile);
    for (int s = -1; s <= 1; s += 2) {
        auto corne = [cr, s]() {
            cairo_move_to(cr, 125 + s * 26, 52);
            cairo_curve_to(cr, 125 + s * 52, 42, 125 + s * 76, 22, 125 + s * 72, 2);
            cairo_curve_to(cr, 125 + s * 94, 24, 125 + s * 84, 60, 125 + s * 50, 76);
            cairo_close_path(cr);
        };
        Lisere(cr, corne, -2, 2, palette::kCyan, 0.9);
    }
    Lisere(cr, tete, -2.5, 1.5, palette::kCyan, 0.9);
    Lisere(cr, tete, -1.2, 0.8, Rvb(220, 250, 255), 0.9);
    VerreEcran(cr, toile.largeur, toile.hauteur);
    Finition f;
    f.grain = 2.0;
    recueil->images.push_back(Finit(toile, "DiableTV", f));
}

// The harbour: one place by day and by night, drawn from the same shapes.
// Sky with shaded clouds (or stars and the moon), the far shore in the haze,
// the sea's waves growing towards the viewer with the glitter of the sun or
// the moon, the island's hill with its grass and bushes, houses with a lit
// front, a shaded side and tiled roofs, the jetty's stones, the round
// lighthouse and a sailing boat with its reflection.
void DessinePaysage(Recueil* recueil, const char* nom, bool nuit) {
    const int L = 250, H = 177, horizon = 104;
    Toile toile(L, H);
    cairo_t* cr = toile.cr;
    auto jourNuit = [&](Couleur j, Couleur n) { return nuit ? n : j; };
    auto source = [&](Couleur c) { cairo_set_source_rgb(cr, c.r, c.g, c.b); };
    // Sky.
    if (nuit) {
        DegradeVertical(cr, L, horizon,
                        {Rvb(6, 4, 28), Rvb(26, 16, 72), Rvb(72, 26, 96), Rvb(120, 40, 110)});
        Alea alea(GraineDe("Tableau2"));
        Etoiles(cr, &alea, 0, 0, L, 80, 70, Rvb(220, 220, 255), 0.9);
    } else {
        DegradeVertical(
            cr, L, horizon,
            {Rvb(36, 96, 204), Rvb(96, 166, 238), Rvb(186, 218, 246), Rvb(255, 226, 190)});
    }
    const double ax = 190, ay = 30;  // sun or moon
    cairo_pattern_t* halo = cairo_pattern_create_radial(ax, ay, 6, ax, ay, nuit ? 40 : 60);
    const Couleur h = jourNuit(Rvb(255, 250, 200), Rvb(160, 220, 255));
    cairo_pattern_add_color_stop_rgba(halo, 0, h.r, h.g, h.b, nuit ? 0.45 : 0.9);
    cairo_pattern_add_color_stop_rgba(halo, 1, h.r, h.g, h.b, 0);
    cairo_set_source(cr, halo);
    cairo_paint(cr);
    cairo_pattern_destroy(halo);
    cairo_arc(cr, ax, ay, nuit ? 10 : 11, 0, 2 * M_PI);
    cairo_pattern_t* disque = cairo_pattern_create_radial(ax - 3, ay - 3, 1, ax, ay, 11);
    cairo_pattern_add_color_stop_rgb(disque, 0, 1, 1, nuit ? 1 : 0.92);
    cairo_pattern_add_color_stop_rgb(disque, 1, nuit ? 0.72 : 1, nuit ? 0.78 : 0.88,
                                     nuit ? 0.9 : 0.5);
    cairo_set_source(cr, disque);
    cairo_fill(cr);
    cairo_pattern_destroy(disque);
    if (nuit) {
        // The moon's seas.
        cairo_set_source_rgba(cr, 0.45, 0.5, 0.65, 0.55);
        cairo_arc(cr, ax + 3, ay - 2, 3, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_arc(cr, ax - 3, ay + 4, 2.2, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_arc(cr, ax + 4, ay + 5, 1.4, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    // The far shore across the bay, in the haze.
    cairo_move_to(cr, 0, horizon);
    for (int x = 0; x <= L; x += 5) {
        cairo_line_to(cr, x,
                      horizon - 6 - 7 * Fractal(x / 40.0, 1.5, 3, 430) - 4 * std::sin(x / 30.0));
    }
    cairo_line_to(cr, L, horizon);
    cairo_close_path(cr);
    source(jourNuit(Rvb(120, 150, 190), Rvb(40, 24, 70)));
    cairo_fill(cr);
    // The sea: waves in rows growing towards the viewer.
    {
        const std::vector<Couleur> mer =
            nuit ? std::vector<Couleur>{Rvb(4, 4, 22), Rvb(14, 16, 52), Rvb(30, 36, 90),
                                        Rvb(70, 90, 150)}
                 : std::vector<Couleur>{Rvb(8, 56, 116), Rvb(30, 104, 170), Rvb(70, 150, 206),
                                        Rvb(170, 214, 240)};
        AccesPixels px(&toile);
        for (int y = horizon; y < H; ++y) {
            const double p = double(y - horizon) / (H - horizon);
            for (int x = 0; x < L; ++x) {
                const double vague =
                    std::sin(x / (3 + 9 * p) + 4 * Fractal(x / 30.0, y / 3.0, 2, 440) + y * 1.7);
                double s = 0.62 - 0.35 * p + 0.18 * vague * (0.3 + p);
                // The glitter under the sun or the moon.
                const double colonne =
                    std::exp(-std::pow((x - ax) / (5 + 30 * p), 2)) * std::min(1.0, p * 4);
                s += colonne * std::max(0.0, vague) * (nuit ? 0.6 : 0.9);
                px.Ecrit(x, y, Teinte(mer, s, x, y));
            }
        }
    }
    // The island's hill, shaded on its slopes, with grass and bushes.
    cairo_move_to(cr, -2, 124);
    cairo_curve_to(cr, 24, 74, 80, 62, 118, 92);
    cairo_curve_to(cr, 134, 104, 142, 112, 156, 120);
    cairo_line_to(cr, 156, 132);
    cairo_line_to(cr, -2, 132);
    cairo_close_path(cr);
    {
        const Couverture m = CouvertureDuChemin(cr, 2);
        cairo_new_path(cr);
        const Couverture dome = Adoucit(m, 8);
        const std::vector<Couleur> herbe =
            nuit ? std::vector<Couleur>{Rvb(4, 8, 18), Rvb(10, 20, 34), Rvb(20, 36, 54),
                                        Rvb(40, 64, 90)}
                 : std::vector<Couleur>{Rvb(24, 60, 30), Rvb(52, 110, 44), Rvb(98, 158, 60),
                                        Rvb(170, 206, 96)};
        AccesPixels px(&toile);
        for (int y = std::max(0, m.y0); y < std::min(H, m.y0 + m.hauteur); ++y) {
            for (int x = std::max(0, m.x0); x < std::min(L, m.x0 + m.largeur); ++x) {
                const double a = m.A(x, y);
                if (a <= 0) continue;
                const double pente = dome.A(x - 2, y) - dome.A(x + 2, y) +
                                     1.5 * (dome.A(x, y - 2) - dome.A(x, y + 2));
                const double s =
                    0.55 - 2.2 * pente + 0.22 * (Fractal(x / 3.0, y / 2.0, 3, 450) - 0.5);
                px.Pose(x, y, Teinte(herbe, s, x, y), a);
            }
        }
    }
    // The light from the sun (or the moon) on the ridge, behind the houses:
    // a pale rim in colours the house palette turns to cream or cyan.
    auto colline = [cr]() {
        cairo_move_to(cr, -2, 124);
        cairo_curve_to(cr, 24, 74, 80, 62, 118, 92);
        cairo_curve_to(cr, 134, 104, 142, 112, 156, 120);
        cairo_line_to(cr, 156, 132);
        cairo_line_to(cr, -2, 132);
        cairo_close_path(cr);
    };
    Lisere(cr, colline, 0, 2.2, jourNuit(Rvb(255, 236, 180), Rvb(120, 224, 255)), 0.9);
    Alea buissons(GraineDe("buissons"));
    for (int i = 0; i < 16; ++i) {
        const double x = buissons.Entre(6, 140);
        const double y =
            128 - (x < 118 ? 48 * std::sin((x + 10) / 135.0 * M_PI) : 10) + buissons.Entre(4, 14);
        if (y > 126) continue;
        const double r = buissons.Entre(2.5, 4.5);
        const Couleur tons[] = {jourNuit(Rvb(20, 50, 24), Rvb(2, 6, 12)),
                                jourNuit(Rvb(50, 110, 40), Rvb(10, 22, 30)),
                                jourNuit(Rvb(130, 190, 80), Rvb(30, 54, 70))};
        for (int t = 0; t < 3; ++t) {
            cairo_arc(cr, x + t * 0.6, y - t * 0.8, r * (1.0 - t * 0.3), 0, 2 * M_PI);
            source(tons[t]);
            cairo_fill(cr);
        }
    }
    // Foam along the island's shore.
    cairo_set_source_rgba(cr, 1, 1, 1, nuit ? 0.25 : 0.7);
    for (int x = 0; x < 156; x += 3) cairo_rectangle(cr, x, 131 + (x / 3) % 2, 2, 1);
    cairo_fill(cr);
    // Houses: lit front, shaded side, tiled roof, windows (lit at night).
    const Couleur murs[] = {Rvb(244, 224, 186), Rvb(236, 168, 128), Rvb(250, 242, 224),
                            Rvb(206, 206, 236), Rvb(246, 206, 146)};
    for (int i = 0; i < 5; ++i) {
        const double x = 16 + i * 22, y = 94 - 14 * std::sin(i * 0.7 + 0.8);
        const Couleur face = nuit ? Melange(murs[i], Rvb(24, 22, 64), 0.82) : murs[i];
        const Couleur cote = Melange(face, jourNuit(Rvb(60, 40, 90), Rvb(4, 2, 16)), 0.45);
        source(cote);
        cairo_move_to(cr, x, y);
        cairo_line_to(cr, x - 4, y - 3);
        cairo_line_to(cr, x - 4, y + 11);
        cairo_line_to(cr, x, y + 14);
        cairo_close_path(cr);
        cairo_fill(cr);
        source(face);
        cairo_rectangle(cr, x, y, 16, 14);
        cairo_fill(cr);
        source(Melange(face, Rvb(0, 0, 0), 0.25));
        cairo_rectangle(cr, x, y + 12, 16, 2);
        cairo_fill(cr);
        // The roof and its rows of tiles.
        const Couleur tuile = jourNuit(Rvb(200, 76, 44), Rvb(54, 22, 40));
        const Couleur tuileOmbre = Melange(tuile, Rvb(0, 0, 0), 0.4);
        cairo_move_to(cr, x - 6, y + 0.5);
        cairo_line_to(cr, x + 5, y - 9);
        cairo_line_to(cr, x + 19, y - 9);
        cairo_line_to(cr, x + 18, y + 0.5);
        cairo_close_path(cr);
        source(tuile);
        cairo_fill(cr);
        source(tuileOmbre);
        cairo_set_line_width(cr, 0.8);
        for (int r = 0; r < 3; ++r) {
            const double ry = y - 6.5 + r * 3;
            cairo_move_to(cr, x + 4 - r * 3.3, ry);
            cairo_line_to(cr, x + 19, ry);
        }
        cairo_stroke(cr);
        source(Melange(tuile, Rvb(255, 230, 200), 0.5));
        cairo_move_to(cr, x + 5, y - 9);
        cairo_line_to(cr, x + 19, y - 9);
        cairo_stroke(cr);
        source(Melange(tuile, Rvb(0, 0, 0), 0.3));
        cairo_rectangle(cr, x + 13, y - 13, 3, 5);
        cairo_fill(cr);
        // Windows and door.
        const Couleur fenetre = jourNuit(Rvb(60, 90, 140), Rvb(255, 196, 80));
        source(fenetre);
        cairo_rectangle(cr, x + 2, y + 3, 4, 4);
        cairo_rectangle(cr, x + 10, y + 3, 4, 4);
        cairo_fill(cr);
        if (nuit) {
            for (double fx : {x + 4.0, x + 12.0}) {
                cairo_pattern_t* l = cairo_pattern_create_radial(fx, y + 5, 0, fx, y + 5, 7);
                cairo_pattern_add_color_stop_rgba(l, 0, 1, 0.75, 0.3, 0.45);
                cairo_pattern_add_color_stop_rgba(l, 1, 1, 0.75, 0.3, 0);
                cairo_set_source(cr, l);
                cairo_arc(cr, fx, y + 5, 7, 0, 2 * M_PI);
                cairo_fill(cr);
                cairo_pattern_destroy(l);
            }
        } else {
            cairo_set_source_rgba(cr, 1, 1, 1, 0.7);
            cairo_rectangle(cr, x + 2, y + 3, 1.5, 1.5);
            cairo_rectangle(cr, x + 10, y + 3, 1.5, 1.5);
            cairo_fill(cr);
        }
        source(jourNuit(Rvb(110, 60, 40), Rvb(30, 16, 24)));
        cairo_rectangle(cr, x + 6.5, y + 8, 3, 6);
        cairo_fill(cr);
    }
    // The jetty: a row of dressed stones.
    for (int k = 0; k < 17; ++k) {
        const double x = 118 + k * 6;
        const Couleur pierre = jourNuit(Rvb(150, 140, 128), Rvb(40, 38, 60));
        source(Melange(pierre, Rvb(0, 0, 0), 0.45));
        cairo_rectangle(cr, x, 123, 6, 7);
        cairo_fill(cr);
        source(pierre);
        cairo_rectangle(cr, x + 0.5, 123, 5, 5);
        cairo_fill(cr);
        source(Melange(pierre, Rvb(255, 255, 240), 0.4));
        cairo_rectangle(cr, x + 0.5, 123, 5, 1);
        cairo_fill(cr);
    }
    if (nuit) {
        // The beam sweeping over the sea, and the lantern's glow.
        cairo_move_to(cr, 213, 65);
        cairo_line_to(cr, 10, 38);
        cairo_line_to(cr, 10, 80);
        cairo_close_path(cr);
        cairo_pattern_t* faisceau = cairo_pattern_create_linear(213, 0, 10, 0);
        cairo_pattern_add_color_stop_rgba(faisceau, 0, 1, 0.95, 0.7, 0.55);
        cairo_pattern_add_color_stop_rgba(faisceau, 1, 0.6, 0.9, 1, 0);
        cairo_set_source(cr, faisceau);
        cairo_fill(cr);
        cairo_pattern_destroy(faisceau);
        cairo_pattern_t* lueur = cairo_pattern_create_radial(213, 65, 2, 213, 65, 18);
        cairo_pattern_add_color_stop_rgba(lueur, 0, 1, 0.95, 0.7, 0.8);
        cairo_pattern_add_color_stop_rgba(lueur, 1, 1, 0.8, 0.4, 0);
        cairo_set_source(cr, lueur);
        cairo_arc(cr, 213, 65, 18, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(lueur);
        // Its reflection on the water.
        cairo_set_source_rgba(cr, 1, 0.85, 0.45, 0.5);
        for (int k = 0; k < 9; ++k)
            cairo_rectangle(cr, 210 + (k % 3) - 1, 132 + k * 4, 6 - k * 0.3, 1);
        cairo_fill(cr);
    }
    // The boat: a shaded hull, a lit sail and a dark one, its reflection.
    cairo_set_source_rgba(cr, 0, 0, 0.1, 0.3);
    cairo_rectangle(cr, 64, 159, 26, 3);
    cairo_fill(cr);
    cairo_move_to(cr, 58, 150);
    cairo_line_to(cr, 98, 150);
    cairo_line_to(cr, 91, 159);
    cairo_line_to(cr, 65, 159);
    cairo_close_path(cr);
    cairo_pattern_t* coque = cairo_pattern_create_linear(0, 150, 0, 159);
    const Couleur bois = jourNuit(Rvb(150, 60, 30), Rvb(40, 16, 24));
    cairo_pattern_add_color_stop_rgb(coque, 0, Melange(bois, Rvb(255, 220, 180), 0.4).r,
                                     Melange(bois, Rvb(255, 220, 180), 0.4).g,
                                     Melange(bois, Rvb(255, 220, 180), 0.4).b);
    cairo_pattern_add_color_stop_rgb(coque, 0.3, bois.r, bois.g, bois.b);
    cairo_pattern_add_color_stop_rgb(coque, 1, bois.r * 0.4, bois.g * 0.4, bois.b * 0.4);
    cairo_set_source(cr, coque);
    cairo_fill(cr);
    cairo_pattern_destroy(coque);
    source(jourNuit(Rvb(60, 40, 30), Rvb(10, 6, 12)));
    cairo_rectangle(cr, 77.5, 116, 1.2, 34);
    cairo_fill(cr);
    cairo_move_to(cr, 79.5, 118);
    cairo_line_to(cr, 96, 147);
    cairo_line_to(cr, 79.5, 147);
    cairo_close_path(cr);
    source(jourNuit(Rvb(255, 252, 240), Rvb(110, 110, 150)));
    cairo_fill(cr);
    cairo_move_to(cr, 76, 122);
    cairo_line_to(cr, 76, 147);
    cairo_line_to(cr, 63, 147);
    cairo_close_path(cr);
    source(jourNuit(Rvb(206, 200, 196), Rvb(60, 56, 90)));
    cairo_fill(cr);
    source(jourNuit(palette::kMagenta, Rvb(110, 30, 80)));
    cairo_move_to(cr, 78, 116);
    cairo_line_to(cr, 84, 118);
    cairo_line_to(cr, 78, 120);
    cairo_close_path(cr);
    cairo_fill(cr);
    if (!nuit) {
        // Gulls.
        cairo_set_source_rgb(cr, 0.2, 0.22, 0.3);
        cairo_set_line_width(cr, 0.9);
        const double mouettes[2][2] = {{120, 46}, {132, 40}};
        for (const auto& g : mouettes) {
            cairo_move_to(cr, g[0] - 3, g[1] - 1);
            cairo_curve_to(cr, g[0] - 2, g[1] - 2, g[0] - 1, g[1] - 1, g[0], g[1]);
            cairo_curve_to(cr, g[0] + 1, g[1] - 1, g[0] + 2, g[1] - 2, g[0] + 3, g[1] - 1);
            cairo_stroke(cr);
        }
    }
    // Into the house palette.
    EnPaletteMaison(&toile);
    // The clouds and the lighthouse are drawn straight in the house ramps'
    // own colours, in clean clusters.
    // Clouds: cumulus heads of many lumps over a flat base, lit from the sun
    // (or the moon) above right in three flat steps, a bright rim on the
    // lumps' lit edges and a darker band along the base, the steps meeting
    // on a checker.
    Alea nuages(GraineDe("nuages"));
    for (int k = 0; k < 4; ++k) {
        const double cx = 14 + k * 44 + nuages.Entre(-4, 4),
                     base = 34 + (k % 2) * 14 - 4 * (k == 3);
        const double w = k == 3 ? 0.6 : 1.0 - 0.12 * k, large = 44 * w;
        cairo_new_path(cr);
        for (int b = 0; b < 7; ++b) {
            const double f = (b + 0.5) / 7,
                         r = (4 + 9 * std::sin(f * M_PI)) * w * nuages.Entre(0.8, 1.15);
            cairo_new_sub_path(cr);
            cairo_arc(cr, cx + f * large, base - r * 0.75 - 2, r, 0, 2 * M_PI);
        }
        cairo_new_sub_path(cr);
        cairo_rectangle(cr, cx + 2, base - 6 * w, large - 4, 6 * w);
        const Couverture m = CouvertureDuChemin(cr, 1);
        cairo_new_path(cr);
        const auto& F = kRampeFroide;
        const std::vector<Couleur> tons =
            nuit ? std::vector<Couleur>{F[0], F[1], F[2], F[3]}
                 : std::vector<Couleur>{F[2], F[3], F[4], kRampeChaude[4]};
        AccesPixels px(&toile);
        for (int y = m.y0; y < m.y0 + m.hauteur; ++y) {
            for (int x = m.x0; x < m.x0 + m.largeur; ++x) {
                const double a = m.A(x, y);
                if (a < 0.5 || x < 0 || y < 0 || x >= L || y >= H) continue;
                const double haut = 1.0 - double(y - m.y0) / m.hauteur;
                double s = 0.42 + 0.5 * haut + 0.35 * (m.A(x + 2, y - 2) < 0.5 ? 1 : 0) +
                           0.2 * (m.A(x + 4, y - 4) - m.A(x - 3, y + 3));
                if (y >= base - 2)
                    s = std::min(s, 0.2);
                else if (y >= base - 5)
                    s = std::min(s, 0.5);
                double q = std::floor(std::clamp(s, 0.0, 0.999) * 3);
                if (std::clamp(s, 0.0, 0.999) * 3 - q > 0.85 && (x + y) % 2 == 0) q += 1;
                px.Ecrit(
                    x, y,
                    Teinte(tons, std::min(1.0, q / 3.0 + (m.A(x + 1, y - 1) < 0.5 ? 1 : 0)), x, y));
            }
        }
    }
    // The lighthouse, pixel by pixel: a tapered tower turned round under the
    // sun (or the moon) on its left, in four flat steps of white and of red
    // with a single dithered row between them, a cool rim on its far edge; a
    // stone plinth, a door and two slit windows; the gallery's deck and its
    // railing posts; the lantern's glass between two mullions; the domed cap.
    {
        AccesPixels px(&toile);
        const auto &F = kRampeFroide, &C = kRampeChaude;
        const std::vector<Couleur> blanc = nuit ? std::vector<Couleur>{F[0], F[1], F[1], F[2]}
                                                : std::vector<Couleur>{F[1], F[2], F[3], F[4]};
        const std::vector<Couleur> rouge = nuit ? std::vector<Couleur>{F[0], C[1], C[1], C[2]}
                                                : std::vector<Couleur>{C[0], C[1], C[2], C[3]};
        const std::vector<Couleur> pierre = nuit ? std::vector<Couleur>{F[0], F[0], F[1], F[2]}
                                                 : std::vector<Couleur>{F[0], F[1], F[2], F[3]};
        // Lit by a cylinder's cosine, the light from the left and above.
        auto tour = [&](double u) {
            const double n = 2 * u - 1;
            const double c = -0.75 * n + 0.45 * std::sqrt(std::max(0.0, 1 - n * n));
            return std::clamp(0.12 + 0.95 * c, 0.0, 1.0);
        };
        // Four flat steps; a pixel within 0.06 of a step's edge takes the
        // next one on a checker, the one dithered seam between them.
        auto marche = [](double s, int x, int y) {
            double q = std::floor(s * 4);
            const double reste = s * 4 - q;
            if (reste > 0.85 && (x + y) % 2 == 0) q += 1;
            return std::clamp(q / 3.0, 0.0, 1.0);
        };
        for (int y = 72; y < 124; ++y) {
            const double t = (y + 0.5 - 72) / 52;
            const double x0 = 207.5 - 3.5 * t, x1 = 218.5 + 3.5 * t;
            const bool bande = (y >= 84 && y < 92) || (y >= 104 && y < 112);
            for (int x = int(std::floor(x0)); x <= int(std::ceil(x1)); ++x) {
                const double gauche = std::clamp(x + 1 - x0, 0.0, 1.0),
                             droite = std::clamp(x1 - x, 0.0, 1.0);
                const double a = std::min(gauche, droite);
                if (a <= 0.05) continue;
                const double u = (x + 0.5 - x0) / (x1 - x0);
                // A band's top row is lit, its bottom row in shadow: the
                // bands stand round the tower as rings.
                double s = tour(u);
                if (bande && (y == 84 || y == 104)) s += 0.2;
                if (bande && (y == 91 || y == 111)) s -= 0.25;
                px.Pose(x, y, Teinte(bande ? rouge : blanc, marche(s, x, y), x, y), a);
            }
        }
        // The cool rim down the far edge.
        const Couleur rim = jourNuit(F[4], F[3]);
        for (int y = 73; y < 118; ++y) {
            const double x1 = 218.5 + 3.5 * (y + 0.5 - 72) / 52;
            px.Ecrit(int(std::floor(x1)) - 1, y, rim);
        }
        // The plinth: dressed stones, lit on the left and along the top.
        for (int y = 117; y < 125; ++y)
            for (int x = 201; x < 226; ++x) {
                double s = tour((x + 0.5 - 201) / 25.0) * 0.8 + (y == 117 ? 0.35 : 0);
                if ((x - 201 + (y > 120 ? 4 : 0)) % 8 == 0 || y == 121) s -= 0.3;
                px.Ecrit(x, y, Teinte(pierre, marche(s, x, y), x, y));
            }
        // Door and slit windows.
        const Couleur trou = F[0];
        for (int y = 111; y < 117; ++y)
            for (int x = 211; x < 215; ++x)
                if (y > 111 || (x > 211 && x < 214)) px.Ecrit(x, y, trou);
        for (int y : {77, 78, 79, 96, 97, 98}) px.Ecrit(y < 90 ? 212 : 213, y, trou);
        // The gallery: a deck wider than the tower, its shadow under it, and
        // a railing of posts under a lit handrail.
        for (int x = 203; x < 224; ++x) {
            px.Ecrit(x, 70,
                     Teinte(pierre, marche(tour((x + 0.5 - 203) / 21.0) + 0.2, x, 70), x, 70));
            px.Ecrit(x, 71, Teinte(pierre, 0.0, x, 71));
            if (x > 206 && x < 220) px.Ecrit(x, 72, blanc[0]);
            px.Ecrit(x, 66,
                     Teinte(blanc, marche(tour((x + 0.5 - 203) / 21.0) + 0.1, x, 66), x, 66));
            if (x % 2 == 1) {
                px.Ecrit(x, 67, Teinte(pierre, 0.34, x, 67));
                px.Ecrit(x, 68, Teinte(pierre, 0.34, x, 68));
                px.Ecrit(x, 69, Teinte(pierre, 0.34, x, 69));
            }
        }
        // The lantern: glass between two mullions, lit from inside at night,
        // at day the sky in it with a glint.
        const Couleur verre = jourNuit(F[3], C[3]), verreHaut = jourNuit(F[4], C[4]);
        for (int y = 59; y < 66; ++y)
            for (int x = 207; x < 220; ++x) {
                if (x == 207 || x == 219 || x == 210 || x == 216) {
                    px.Ecrit(x, y, Teinte(pierre, 0.0, x, y));
                    continue;
                }
                const bool clair = nuit ? (x > 210 && x < 216) : (x == 208 || x == 211);
                px.Ecrit(x, y, clair ? verreHaut : verre);
            }
        // The cap: a red dome shaded round, a ball on its top.
        for (int y = 52; y < 59; ++y) {
            const double d = (59 - y) / 7.0;
            const double demi = 7.5 * std::sqrt(std::max(0.0, 1 - d * d)) + (y == 58 ? 0.5 : 0);
            for (int x = int(213.5 - demi); x < int(213.5 + demi); ++x) {
                const double u = (x + 0.5 - (213.5 - demi)) / (2 * demi);
                const double s = tour(u) + 0.25 * (1 - d);
                px.Ecrit(x, y, Teinte(rouge, marche(s, x, y), x, y));
            }
        }
        px.Ecrit(213, 51, Teinte(pierre, 0.34, 213, 51));
        px.Ecrit(212, 51, Teinte(pierre, 1.0, 212, 51));
    }
    VerreEcran(cr, toile.largeur, toile.hauteur);
    Finition f;
    f.grain = 2.0;
    recueil->images.push_back(Finit(toile, nom, f));
}

// The closing frame: a chrome border round the portrait area ending in a
// riveted divider that carries the footer. Everything under the divider is
// clear (white) from row 345: the credits' band smears rows 350 and below while the
// portraits show, so anything drawn there would come and go with the pictures;
// keeping it clear gives the frame one shape over portraits and animation.
void DessineFin(Recueil* recueil) {
    Toile toile(640, 480);
    cairo_t* cr = toile.cr;
    // Frame body: the top part of the screen except the portrait window.
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, 0, 0, 640, 345);
    CheminArrondi(cr, 14, 14, 612, 318, 18);
    cairo_pattern_t* metal = cairo_pattern_create_linear(0, 0, 0, 345);
    const Couleur bandes[] = {Rvb(200, 210, 240), Rvb(90, 80, 140),   Rvb(230, 200, 255),
                              Rvb(60, 30, 100),   Rvb(210, 110, 240), Rvb(90, 40, 130)};
    for (int i = 0; i < 6; ++i) {
        cairo_pattern_add_color_stop_rgb(metal, i / 5.0, bandes[i].r, bandes[i].g, bandes[i].b);
    }
    cairo_set_source(cr, metal);
    cairo_fill(cr);
    cairo_pattern_destroy(metal);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    // Bevel lines: the window's inner edge, its lit lip, the outer edge and
    // the divider's shaded underside.
    cairo_set_line_width(cr, 1.5);
    CheminArrondi(cr, 14, 14, 612, 318, 18);
    cairo_set_source_rgb(cr, 0.1, 0.06, 0.2);
    cairo_stroke(cr);
    CheminArrondi(cr, 11, 11, 618, 324, 20);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.6);
    cairo_stroke(cr);
    cairo_move_to(cr, 1, 343.5);
    cairo_line_to(cr, 1, 1);
    cairo_line_to(cr, 639, 1);
    cairo_line_to(cr, 639, 343.5);
    cairo_set_source_rgb(cr, 0.12, 0.08, 0.24);
    cairo_stroke(cr);
    cairo_move_to(cr, 0, 343.75);
    cairo_line_to(cr, 640, 343.75);
    cairo_set_source_rgb(cr, 0.1, 0.06, 0.2);
    cairo_stroke(cr);
    // The footer engraved in the middle of the divider, rivets either side.
    cairo_font_face_t* police = Police(kPoliceTexte);
    CheminTexteCentre(cr, police, 9, "ORBO  -  KAZZMOT  -  2001", 320, 341);
    cairo_set_source_rgb(cr, 0.06, 0.02, 0.12);
    cairo_set_line_width(cr, 2);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgb(cr, 0.84, 0.74, 0.98);
    cairo_fill(cr);
    for (int x = 40; x < 640; x += 80) {
        if (x > 220 && x < 420) {
            continue;
        }
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
