// The underwater picture the bubbles rise over: the surface's bright ripples,
// shafts of light, water falling from cyan into the production's violet,
// three depths of neon-rimmed rock and kelp fading into it, a sandy floor
// under a caustic net, reef life in the production's magenta and amber,
// rim-lit fish with their fins. Everything at every depth has light and
// texture for the bubbles to bend.
#include <algorithm>
#include <cmath>
#include <vector>

#include "forge_images.h"

namespace forge {

namespace {

constexpr int kL = 640, kH = 480;
const Couleur kLumiere = Rvb(215, 255, 245);  // the light of the surface

// The water's colour at a screen row: the cyan of the bright surface falling
// quickly into a blue violet, the production's magenta violet in the middle
// depth and night violet on the floor. The steep fall under the surface is
// what the bubbles' lenses show: they fetch darker water from below.
Couleur Eau(double y) {
    const Couleur haut = Rvb(92, 226, 250), bleu = Rvb(58, 118, 214);
    const Couleur violet = Rvb(84, 42, 164), bas = Rvb(54, 16, 102), fond = Rvb(22, 4, 44);
    const double t = std::clamp(y / kH, 0.0, 1.0);
    if (t < 0.26) return Melange(haut, bleu, t / 0.26);
    if (t < 0.55) return Melange(bleu, violet, (t - 0.26) / 0.29);
    if (t < 0.78) return Melange(violet, bas, (t - 0.55) / 0.23);
    return Melange(bas, fond, (t - 0.78) / 0.22);
}

// The light the surface throws on what it reaches: cyan white near the top,
// turning magenta in the deep, like the caustics of the title's sky.
Couleur LumiereA(double y) {
    return Melange(kLumiere, Rvb(255, 120, 230), std::clamp((y - 140) / 260.0, 0.0, 0.85));
}

// A colour seen through the water: the farther, the more it takes the
// water's own colour at its row.
Couleur Brume(Couleur c, double y, double brume) {
    return Melange(c, Eau(y), brume);
}

void PeintEau(Toile* toile) {
    AccesPixels px(toile);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kL; ++x) {
            Couleur c = Eau(y + 30 * (Fractal(x / 120.0, y / 70.0, 3, 11) - 0.5));
            // The underside of the surface: bright ribbons of the waves and
            // the sky's window, fading in the first rows.
            if (y < 60) {
                const double vague = Bruit(x / 38.0 + 0.9 * std::sin(y / 7.0), y / 5.0, 21) * 0.7 +
                                     Bruit(x / 13.0, y / 3.0, 22) * 0.3;
                const double ruban = std::pow(std::clamp((vague - 0.42) * 3.2, 0.0, 1.0), 1.3);
                const double fondu = 1.0 - y / 60.0;
                c = Melange(c, kLumiere, std::min(1.0, (0.4 + 0.8 * ruban) * fondu * fondu));
            }
            // A net of caustics through the upper water: the lines the
            // bubbles' lenses bend, sharp and bright under the surface and
            // fading fast with depth. The cells between the bright lines hold
            // the deeper water's blue, so the net stands out strongly where
            // the large bubbles rise.
            const double att = std::exp(-y / 120.0);
            const double net = Caustique(x, y * 1.3, 46, 31);
            const double cellule = std::clamp(1.0 - net * 2.2, 0.0, 1.0);
            c = Melange(c, Eau(y + 110), cellule * 0.4 * std::exp(-y / 200.0));
            c = Melange(c, kLumiere, std::min(1.0, net * 0.85 * att));
            // Lower down the net turns magenta and wider, fading into the deep.
            const double bas = std::clamp((y - 150) / 160.0, 0.0, 1.0) * (1.0 - y / (kH * 1.15));
            c = Melange(c, Rvb(250, 90, 220), Caustique(x, y * 1.5, 64, 33) * 0.16 * bas);
            px.Ecrit(x, y, c);
        }
    }
}

void PeintRayons(cairo_t* cr, Alea* alea) {
    for (int i = 0; i < 8; ++i) {
        const double x = alea->Entre(-60, 600), l = alea->Entre(14, 46);
        const double dx = alea->Entre(70, 170);
        cairo_move_to(cr, x, 0);
        cairo_line_to(cr, x + l, 0);
        cairo_line_to(cr, x + l + dx + 50, kH);
        cairo_line_to(cr, x + dx - 30, kH);
        cairo_close_path(cr);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, kH);
        const double a = alea->Entre(0.07, 0.17);
        cairo_pattern_add_color_stop_rgba(p, 0, 0.85, 1, 0.96, a);
        cairo_pattern_add_color_stop_rgba(p, 0.45, 0.7, 0.95, 1, a * 0.45);
        cairo_pattern_add_color_stop_rgba(p, 0.85, 0.6, 0.9, 1, 0);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
}

// A ridge of rocks standing on the floor, its top line rough.
void CheminCrete(cairo_t* cr, double x0, double x1, double base, double hauteur, double echelle,
                 uint32_t graine) {
    cairo_move_to(cr, x0, kH + 2);
    for (double x = x0; x <= x1; x += 3) {
        const double t = (x - x0) / (x1 - x0);
        const double bosse = std::sin(t * M_PI);
        const double h =
            hauteur * std::pow(bosse, 0.6) * (0.55 + 0.9 * Fractal(x / echelle, 0.5, 4, graine));
        cairo_line_to(cr, x, base - h);
    }
    cairo_line_to(cr, x1, kH + 2);
    cairo_close_path(cr);
}

// A boulder: a lumpy blob round (cx, cy).
void CheminRocher(cairo_t* cr, double cx, double cy, double rx, double ry, uint32_t graine) {
    const int n = 72;
    for (int k = 0; k <= n; ++k) {
        const double a = 2 * M_PI * k / n;
        const double r =
            0.78 + 0.34 * Fractal(std::cos(a) * 1.6 + 4, std::sin(a) * 1.6 + 4, 3, graine);
        double x = cx + rx * r * std::cos(a), y = cy + ry * r * std::sin(a);
        if (y > cy + ry * 0.55) y = cy + ry * 0.55 + (y - cy - ry * 0.55) * 0.25;  // sits flat
        k == 0 ? cairo_move_to(cr, x, y) : cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
}

// A tone from a ramp of colours (dark to light), blended smoothly: stone
// painted in soft gradients like the fish, with no pattern of its own.
Couleur RampeDouce(const std::vector<Couleur>& rampe, double s) {
    const int n = int(rampe.size());
    const double p = std::clamp(s, 0.0, 1.0) * (n - 1);
    const int i = std::min(n - 2, int(p));
    return Melange(rampe[i], rampe[i + 1], p - i);
}

// Paints the current path as smooth stone lit from the surface, in the
// fish's manner: a rounded mass with a few broad lumps (bosse: their size in
// pixels), soft shading from the light to the dark underside, a sheen on the
// crowns, a bright rim along the lit top edge, a neon rim round the rest of
// the edge (no dark outline) and a few meandering cracks; caustics on the
// faces turned up. brume fades it into the distance, and the rims and cracks
// with it.
void PeintPierre(Toile* toile, const std::vector<Couleur>& rampe, double brume, double bosse,
                 uint32_t graine, bool caustiques) {
    cairo_t* cr = toile->cr;
    const Couverture masque = CouvertureDuChemin(cr, 4);
    cairo_new_path(cr);
    const int l = masque.largeur, h = masque.hauteur;
    const Couverture dome = Adoucit(masque, std::max(3, std::min(l, h) / 7));
    const Couverture bord = Adoucit(masque, 2), liseret = Adoucit(masque, 5);
    // The whole stone's roundness, so its top faces the light and its
    // flanks turn away from it, rather than a flat face with soft edges.
    const Couverture masse = Adoucit(masque, std::max(4, std::min(l, h) / 3));
    // Height: the rounded mass with broad lumps rising out of it.
    std::vector<double> hauteur(size_t(l) * h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < l; ++x) {
            const double d = dome.a[size_t(y) * l + x];
            const double gx = masque.x0 + x, gy = masque.y0 + y;
            hauteur[size_t(y) * l + x] =
                0.6 * d + 0.9 * masse.a[size_t(y) * l + x] +
                0.2 * std::min(1.0, d * 3) * Fractal(gx / bosse, gy / bosse, 2, graine);
        }
    }
    auto H = [&](int x, int y) {
        x = std::clamp(x, 0, l - 1);
        y = std::clamp(y, 0, h - 1);
        return hauteur[size_t(y) * l + x];
    };
    const double lx = -0.4, ly = -0.8, lz = 0.45;
    const double ln = std::sqrt(lx * lx + ly * ly + lz * lz);
    // Half way between the light and the eye, for the sheen.
    const double hx = lx / ln, hy = ly / ln, hz = lz / ln + 1;
    const double hn = std::sqrt(hx * hx + hy * hy + hz * hz);
    const double pente = std::min(l, h) * 0.2;
    const double net = std::clamp(1.0 - brume * 1.6, 0.0, 1.0);  // rims and cracks
    const Couleur trait = Melange(rampe[0], palette::kNuit, 0.5);
    AccesPixels px(toile);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < l; ++x) {
            const double a = masque.a[size_t(y) * l + x];
            if (a <= 0.0) continue;
            const int gx = masque.x0 + x, gy = masque.y0 + y;
            if (gx < 0 || gy < 0 || gx >= toile->largeur || gy >= toile->hauteur) continue;
            const double dx = (H(x + 2, y) - H(x - 2, y)) * pente / 2;
            const double dy = (H(x, y + 2) - H(x, y - 2)) * pente / 2;
            const double nn = std::sqrt(dx * dx + dy * dy + 1);
            const double nx = -dx / nn, ny = -dy / nn, nz = 1 / nn;
            const double lambert = std::max(0.0, (nx * lx + ny * ly + nz * lz) / ln);
            double s =
                -0.02 + 1.2 * lambert + 0.06 * (Fractal(gx / 24.0, gy / 24.0, 2, graine + 3) - 0.5);
            // The core shadow: the darkest band where the stone turns away
            // from the light, before the light thrown back from the floor.
            const double tourne = (lambert - 0.12) / 0.14;
            s -= 0.2 * std::exp(-tourne * tourne);
            // The underside, in the shadow of the stone itself, and its foot.
            s -= 0.3 * std::clamp((gy - (masque.y0 + h * 0.5)) / (h * 0.5), 0.0, 1.0);
            s -= 0.2 * (1.0 - std::min(1.0, double(dome.a[size_t(y) * l + x]) * 2.5));
            Couleur c = RampeDouce(rampe, s);
            const double haut = std::max(0.0, -ny);
            // Light thrown back from the lit sand onto the faces turned down
            // and away from the surface: a dim warm violet, never as bright
            // as the lit top.
            const double renvoi = std::max(0.0, ny) * std::clamp(1.0 - lambert * 3, 0.0, 1.0);
            c = Melange(c, Melange(rampe[2], Rvb(200, 110, 170), 0.45), 0.45 * renvoi * net);
            if (caustiques) {
                c = Melange(c, LumiereA(gy), Caustique(gx, gy, 26, graine + 5) * haut * 0.45);
            }
            // Sheen on the crowns facing the light.
            const double reflet = std::pow(std::max(0.0, (nx * hx + ny * hy + nz * hz) / hn), 18);
            c = Melange(c, LumiereA(gy), 0.45 * reflet * (0.4 + 0.6 * net));
            // Cracks: thin dark lines meandering over the stone, of an even
            // width (the noise's distance to its mid level over its slope).
            const double f0 = Fractal(gx / 46.0, gy / 30.0, 2, graine + 7) - 0.5;
            const double fgx = Fractal((gx + 1) / 46.0, gy / 30.0, 2, graine + 7) - 0.5 - f0;
            const double fgy = Fractal(gx / 46.0, (gy + 1) / 30.0, 2, graine + 7) - 0.5 - f0;
            const double fente = std::abs(f0) / std::max(1e-4, std::hypot(fgx, fgy));
            // Only in places, so the cracks run out rather than close in rings.
            const double place =
                std::clamp((Fractal(gx / 60.0, gy / 60.0, 2, graine + 11) - 0.56) * 8, 0.0, 1.0);
            const double creux = std::clamp(1.4 - fente, 0.0, 1.0) * place;
            c = Melange(c, trait,
                        0.4 * net * creux * std::min(1.0, double(dome.a[size_t(y) * l + x]) * 4));
            // Below the crack, the lip it casts catches the light.
            if (place > 0 && fente > 1.4 && fente < 2.6 && f0 * fgy < 0)
                c = Melange(
                    c, LumiereA(gy),
                    0.25 * place * net * std::min(1.0, double(dome.a[size_t(y) * l + x]) * 4));
            // Rim light just inside the top edge; round the rest of the edge
            // a neon rim, cyan where the stone turns to the light and magenta
            // on its flanks and in the shade, glowing on the edge itself.
            const double b2 = bord.a[size_t(y) * l + x], b5 = liseret.a[size_t(y) * l + x];
            const double rim = std::clamp((0.85 - b5) / 0.2, 0.0, 1.0) * std::sqrt(haut);
            c = Melange(c, Melange(Rvb(120, 240, 255), Rvb(255, 255, 255), 0.35), 0.8 * net * rim);
            const double bordure = std::clamp((0.8 - b2) / 0.3, 0.0, 1.0);
            const double halo = std::pow(std::clamp((0.75 - b5) / 0.55, 0.0, 1.0), 1.5);
            const double cote = std::clamp(0.5 + 0.9 * (nx * 0.6 - ny * 0.8), 0.0, 1.0);
            const Couleur neon = Melange(Rvb(255, 70, 200), Rvb(110, 240, 255), cote);
            c = Melange(c, neon, net * std::max(0.6 * bordure, 0.2 * halo) * (1 - 0.6 * rim));
            px.Pose(gx, gy, Brume(c, gy, brume), a);
        }
    }
}

// The tones of a kelp frond at a row: the shaded side in the violet shade,
// the body, the lit side and a streak of light, brighter near the surface.
// rose: 0 for the amber kelp, 1 for the rose one.
struct TonsVarech {
    Couleur ombre, corps, clair, eclat;
};

TonsVarech TonsDuVarech(double y, double brume, double rose) {
    const double lumiere = std::clamp(1.15 - y / 420.0, 0.0, 1.0);
    auto ton = [&](Couleur ambreSombre, Couleur ambreVif, Couleur roseSombre, Couleur roseVif) {
        return Brume(Melange(Melange(ambreSombre, roseSombre, rose),
                             Melange(ambreVif, roseVif, rose), lumiere),
                     y, brume);
    };
    TonsVarech t;
    t.ombre = ton(Rvb(50, 14, 56), Rvb(120, 50, 70), Rvb(46, 10, 60), Rvb(110, 30, 96));
    t.corps = ton(Rvb(120, 70, 50), Rvb(206, 130, 40), Rvb(120, 40, 100), Rvb(226, 80, 150));
    t.clair = ton(Rvb(170, 120, 70), Rvb(250, 196, 80), Rvb(170, 90, 150), Rvb(255, 160, 200));
    t.eclat = Melange(t.clair, Brume(Rvb(255, 248, 200), y, brume), 0.55);
    return t;
}

// A frond along a centre line (cx, cy) with its half-width offsets (ox, oy):
// no outline, four tones from the shaded half to the lit one, a streak of
// light along the lit half. (bx, by) is its root, (px, py) its tip.
void PeintFronde(cairo_t* cr, const std::vector<double>& cx, const std::vector<double>& cy,
                 const std::vector<double>& ox, const std::vector<double>& oy, const TonsVarech& t,
                 double echelle) {
    const int m = int(cx.size()) - 1;
    const double bx = cx[0], by = cy[0], px = cx[m], py = cy[m];
    auto bande = [&](double de, double a, Couleur pied, Couleur bout) {
        cairo_new_path(cr);
        for (int k = 0; k <= m; ++k) cairo_line_to(cr, cx[k] + de * ox[k], cy[k] + de * oy[k]);
        for (int k = m; k >= 0; --k) cairo_line_to(cr, cx[k] + a * ox[k], cy[k] + a * oy[k]);
        cairo_close_path(cr);
        cairo_pattern_t* p = cairo_pattern_create_linear(bx, by, px, py);
        cairo_pattern_add_color_stop_rgb(p, 0, pied.r, pied.g, pied.b);
        cairo_pattern_add_color_stop_rgb(p, 1, bout.r, bout.g, bout.b);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    };
    // The half turned to the surface is lit, the other in the frond's shade.
    const double haut = oy[m / 2] < 0 ? 1.0 : -1.0;
    bande(-haut, 0.0, t.ombre, t.corps);
    bande(-haut * 0.35, 0.0, Melange(t.ombre, t.corps, 0.6), Melange(t.corps, t.clair, 0.4));
    bande(0.0, haut, t.corps, t.clair);
    bande(haut * 0.25, haut * 0.7, Melange(t.corps, t.clair, 0.6), Melange(t.clair, t.eclat, 0.5));
    cairo_new_path(cr);
    for (int k = m / 6; k <= m * 0.65; ++k)
        cairo_line_to(cr, cx[k] + haut * ox[k] * 0.45, cy[k] + haut * oy[k] * 0.45);
    cairo_set_source_rgba(cr, t.eclat.r, t.eclat.g, t.eclat.b, 0.8);
    cairo_set_line_width(cr, 0.7 * echelle);
    cairo_stroke(cr);
}

// Half-width offsets along a sampled centre line: largeur at the widest,
// tapered to the root and the tip (pied: how blunt the root stays), the
// edge ruffled.
void Epaisseurs(const std::vector<double>& cx, const std::vector<double>& cy, double largeur,
                double pied, double fronce, std::vector<double>* ox, std::vector<double>* oy) {
    const int m = int(cx.size()) - 1;
    ox->assign(m + 1, 0);
    oy->assign(m + 1, 0);
    for (int k = 0; k <= m; ++k) {
        const int k0 = std::max(0, k - 1), k1 = std::min(m, k + 1);
        const double tx = cx[k1] - cx[k0], ty = cy[k1] - cy[k0];
        const double tn = std::max(1e-6, std::hypot(tx, ty));
        const double u = double(k) / m;
        const double forme = std::sin(std::pow(u, 0.6) * M_PI * (1 - pied) + pied * M_PI / 2);
        const double w =
            largeur * 0.5 * std::max(0.0, forme) *
            (1 + fronce * std::sin(u * 23 + fronce * 40) + 0.5 * fronce * std::sin(u * 51 + 1.3));
        (*ox)[k] = -ty / tn * w;
        (*oy)[k] = tx / tn * w;
    }
}

// Kelp: each stalk has its own build and one of two kinds. Giant kelp is a
// stem curving up from the floor, bent by the current at its top, with leaf
// blades of every size along it, each on a little float; ribbon kelp is a
// tuft of long ruffled straps, waving up from one foot and streaming the way
// the current goes. Both are backlit where the surface is near, in amber or,
// now and then, in the production's rose.
void DessineVarech(cairo_t* cr, Alea* alea, double x0, double y0, double hauteur, double brume,
                   double echelle, bool geant = false) {
    const double phase = alea->Entre(0, 6.28), ampleur = alea->Entre(14, 36) * echelle;
    const double frequence = alea->Entre(2.2, 5.0);
    const double penche = alea->Entre(-0.25, 0.25) * hauteur;
    const double courbe = alea->Entre(-0.35, 0.4) * hauteur;
    const double espacement = alea->Entre(12, 24), pied = alea->Entre(0.02, 0.1);
    const double feuille = alea->Entre(0.8, 1.5);
    const double rose = alea->Entre(0, 1) < 0.3 ? 1.0 : 0.0;
    const bool ruban = alea->Entre(0, 1) < 0.3 && !geant;
    // The fronds stream the way the top is carried.
    const double courant = courbe + penche >= 0 ? 1.0 : -1.0;
    // The stem sways in a long S: a wave growing from the foot, the lean and
    // the current's bend at the top.
    auto point = [&](double t, double* x, double* y) {
        *x = x0 + ampleur * (std::sin(t * frequence + phase) - std::sin(phase)) * std::sqrt(t) +
             penche * t + courbe * t * t;
        *y = y0 - hauteur * t * (1 - 0.04 * std::sin(t * frequence * 2 + phase));
    };
    if (ruban) {
        const int n = 2 + int(alea->Entre(0, 3));
        for (int i = 0; i < n; ++i) {
            const double l = hauteur * alea->Entre(0.4, 0.75);
            const double w = echelle * std::sqrt(feuille) * alea->Entre(11, 19);
            const double ecart = alea->Entre(-0.35, 0.35) + (i - (n - 1) / 2.0) * 0.18;
            const double ph = alea->Entre(0, 6.28), fr = alea->Entre(2.0, 4.0);
            const double amp = alea->Entre(0.04, 0.1) * l;
            const double plie = courant * alea->Entre(0.1, 0.45) * l;
            const int m = 40;
            std::vector<double> cx(m + 1), cy(m + 1), ox, oy;
            for (int k = 0; k <= m; ++k) {
                const double u = double(k) / m;
                cx[k] = x0 + ecart * l * u + amp * std::sin(u * fr * M_PI + ph) * u + plie * u * u;
                cy[k] = y0 - l * u * (1 - 0.25 * u * u * std::abs(plie) / l);
            }
            Epaisseurs(cx, cy, w, 0.2, 0.22, &ox, &oy);
            PeintFronde(cr, cx, cy, ox, oy, TonsDuVarech(y0 - l / 2, brume, rose), echelle);
        }
        return;
    }
    // Stem: a round stalk, thick at the holdfast and tapering to the top,
    // shaded across: dark on the side away from the sun, the body, a lit
    // edge towards the sun on the right.
    {
        const int m = 60;
        std::vector<double> cx(m + 1), cy(m + 1), nx(m + 1), ny(m + 1), w(m + 1);
        for (int k = 0; k <= m; ++k) point(double(k) / m, &cx[k], &cy[k]);
        for (int k = 0; k <= m; ++k) {
            const int k0 = std::max(0, k - 1), k1 = std::min(m, k + 1);
            const double tx = cx[k1] - cx[k0], ty = cy[k1] - cy[k0];
            const double tn = std::max(1e-6, std::hypot(tx, ty));
            // The normal turned to the right (the sun's side).
            nx[k] = -ty / tn;
            ny[k] = tx / tn;
            if (nx[k] < 0) {
                nx[k] = -nx[k];
                ny[k] = -ny[k];
            }
            const double u = double(k) / m;
            w[k] = echelle * (0.7 + 2.6 * std::pow(1 - u, 1.4) + 1.6 * std::exp(-u * 30));
        }
        auto bande = [&](double de, double a, Couleur bas, Couleur haut) {
            cairo_new_path(cr);
            for (int k = 0; k <= m; ++k)
                cairo_line_to(cr, cx[k] + de * w[k] * nx[k], cy[k] + de * w[k] * ny[k]);
            for (int k = m; k >= 0; --k)
                cairo_line_to(cr, cx[k] + a * w[k] * nx[k], cy[k] + a * w[k] * ny[k]);
            cairo_close_path(cr);
            cairo_pattern_t* p = cairo_pattern_create_linear(0, cy[0], 0, cy[m]);
            cairo_pattern_add_color_stop_rgb(p, 0, bas.r, bas.g, bas.b);
            cairo_pattern_add_color_stop_rgb(p, 1, haut.r, haut.g, haut.b);
            cairo_set_source(cr, p);
            cairo_fill(cr);
            cairo_pattern_destroy(p);
        };
        const TonsVarech pied0 = TonsDuVarech(y0, brume, rose);
        const TonsVarech bout = TonsDuVarech(y0 - hauteur, brume, rose);
        const Couleur nuit = palette::kNuit;
        bande(-1.0, 1.0, Melange(pied0.ombre, nuit, 0.35), Melange(bout.ombre, nuit, 0.2));
        bande(-0.45, 0.8, Melange(pied0.ombre, pied0.corps, 0.5), bout.corps);
        bande(0.25, 0.75, pied0.corps, bout.clair);
        bande(0.5, 0.68, Melange(pied0.corps, pied0.clair, 0.6), bout.eclat);
    }
    // Blades, mostly alternating sides, of every size: a few long streaming
    // ones among short young ones, longer on the middle of the stem.
    const int n = std::max(2, int(hauteur * (1 - pied) / (espacement * echelle)));
    double cote = alea->Entre(0, 1) < 0.5 ? 1.0 : -1.0;
    for (int i = 1; i <= n; ++i) {
        const double t = pied + (1 - pied) * (i - 0.4 + alea->Entre(-0.3, 0.3)) / n;
        double bx, by;
        point(t, &bx, &by);
        if (alea->Entre(0, 1) < 0.8) cote = -cote;
        const double taille = 0.35 + 1.45 * std::pow(alea->Uniforme(), 1.8);
        const double longueur =
            echelle * feuille * taille * alea->Entre(26, 44) * (0.6 + 0.5 * std::sin(t * M_PI));
        const double largeur = echelle * std::sqrt(feuille * taille) * alea->Entre(4.5, 8.0) *
                               (taille > 1.2 ? 1.2 : 1);
        // A blade set against the current leaves the stem steeply, so that
        // it turns downstream without hooking back over the stem.
        const double depart =
            -M_PI / 2 + cote * alea->Entre(0.6, 1.3) * (cote == courant ? 1.0 : 0.45);
        // Long blades are carried further by the current and droop at the tip.
        const double pointe =
            -M_PI / 2 + courant * (0.45 + 0.3 * std::min(1.0, taille) + alea->Entre(-0.25, 0.25));
        const double p1x = bx + std::cos(depart) * longueur * 0.4;
        const double p1y = by + std::sin(depart) * longueur * 0.4;
        const double p2x = p1x + std::cos(pointe) * longueur * 0.45;
        const double p2y = p1y + std::sin(pointe) * longueur * 0.45;
        const double p3x = p2x + courant * longueur * 0.35;
        const double p3y = p2y + longueur * (0.1 * taille - 0.12);
        const int m = 20;
        std::vector<double> cx(m + 1), cy(m + 1), ox, oy;
        for (int k = 0; k <= m; ++k) {
            const double u = double(k) / m, v = 1 - u;
            cx[k] = v * v * v * bx + 3 * u * v * v * p1x + 3 * u * u * v * p2x + u * u * u * p3x;
            cy[k] = v * v * v * by + 3 * u * v * v * p1y + 3 * u * u * v * p2y + u * u * u * p3y;
        }
        Epaisseurs(cx, cy, largeur, 0.0, 0.08 + 0.06 * taille, &ox, &oy);
        const TonsVarech tons = TonsDuVarech(by, brume, rose);
        PeintFronde(cr, cx, cy, ox, oy, tons, echelle);
        // The float at its foot, with a glint.
        const double r = 2.0 * echelle;
        const double fx = bx + std::cos(depart) * r, fy = by + std::sin(depart) * r;
        cairo_arc(cr, fx, fy, r, 0, 2 * M_PI);
        cairo_pattern_t* f =
            cairo_pattern_create_radial(fx - r * 0.4, fy - r * 0.4, 0.2, fx, fy, r);
        cairo_pattern_add_color_stop_rgb(f, 0, tons.eclat.r, tons.eclat.g, tons.eclat.b);
        cairo_pattern_add_color_stop_rgb(f, 0.5, tons.corps.r, tons.corps.g, tons.corps.b);
        cairo_pattern_add_color_stop_rgb(f, 1, tons.ombre.r, tons.ombre.g, tons.ombre.b);
        cairo_set_source(cr, f);
        cairo_fill(cr);
        cairo_pattern_destroy(f);
    }
}

struct Livree {
    Couleur dos, flanc, ventre, raie, nageoire;
    Couleur liseret;  // the rim the water's glow draws on the shaded side
};

// A fish seen from the side, heading towards sens (+1 right, -1 left), lit
// from the surface: the back dark, the flank catching the light under a soft
// gloss, the belly pale; no outline, the shaded underside edged by a rim of
// the water's neon glow (cyan or magenta); soft stripes, translucent fins
// shading from their root to the tip with fine rays, a soft gill fold and a
// bright eye.
void DessinePoisson(cairo_t* cr, double cx, double cy, double longueur, double sens,
                    const Livree& l, double brume, double inclinaison = 0) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    // Nose up for a positive tilt, whichever way the fish faces.
    cairo_rotate(cr, -sens * inclinaison);
    cairo_scale(cr, sens * longueur / 100.0, longueur / 100.0);
    auto source = [&](Couleur c, double a) {
        const Couleur b = Brume(c, cy, brume);
        cairo_set_source_rgba(cr, b.r, b.g, b.b, a);
    };
    auto arret = [&](cairo_pattern_t* p, double t, Couleur c, double a) {
        const Couleur b = Brume(c, cy, brume);
        cairo_pattern_add_color_stop_rgba(p, t, b.r, b.g, b.b, a);
    };
    // Fins behind the body: tail, dorsal, anal. Each translucent, paler at
    // its root, with the rim's glow along its lower edge.
    auto nageoire = [&](std::initializer_list<double> pts, double rx0, double ry0) {
        const double* p = pts.begin();
        const size_t n = pts.size();
        auto chemin = [&]() {
            cairo_new_path(cr);
            cairo_move_to(cr, p[0], p[1]);
            for (size_t i = 2; i + 6 <= n; i += 6)
                cairo_curve_to(cr, p[i], p[i + 1], p[i + 2], p[i + 3], p[i + 4], p[i + 5]);
            cairo_close_path(cr);
        };
        chemin();
        {
            cairo_pattern_t* g = cairo_pattern_create_radial(rx0, ry0, 2, rx0, ry0, 40);
            arret(g, 0, Melange(l.nageoire, Rvb(255, 255, 255), 0.3), 0.92);
            arret(g, 0.6, l.nageoire, 0.72);
            arret(g, 1, Melange(l.nageoire, l.dos, 0.5), 0.5);
            cairo_set_source(cr, g);
            cairo_fill(cr);
            cairo_pattern_destroy(g);
        }
        double mx = 0, my = 0;
        for (size_t i = 0; i + 1 < n; i += 2) {
            mx += p[i];
            my += p[i + 1];
        }
        const double angle = std::atan2(my / (n / 2) - ry0, mx / (n / 2) - rx0);
        cairo_save(cr);
        chemin();
        cairo_clip(cr);
        // Rays fanning from the root towards the far edge, light on shade.
        for (int passe = 0; passe < 2; ++passe) {
            source(passe ? Melange(l.nageoire, Rvb(255, 255, 255), 0.5)
                         : Melange(l.nageoire, l.dos, 0.6),
                   passe ? 0.35 : 0.4);
            cairo_set_line_width(cr, passe ? 0.8 : 1.6);
            for (int k = -6; k <= 6; ++k) {
                const double a = angle + k * 0.15;
                cairo_move_to(cr, rx0 - passe * 0.8, ry0 - passe * 0.8);
                cairo_line_to(cr, rx0 + 200 * std::cos(a), ry0 + 200 * std::sin(a));
            }
            cairo_stroke(cr);
        }
        // The glow on the lower edge.
        cairo_pattern_t* bas = cairo_pattern_create_linear(0, ry0 - 6, 0, ry0 + 30);
        arret(bas, 0, l.liseret, 0.0);
        arret(bas, 1, l.liseret, 0.85);
        chemin();
        cairo_set_source(cr, bas);
        cairo_set_line_width(cr, 3.2);
        cairo_stroke(cr);
        cairo_pattern_destroy(bas);
        cairo_restore(cr);
    };
    nageoire({-36, -4,  -48, -10, -62, -24, -72, -30, -68, -14, -62, -6,  -60,
              0,   -62, 6,   -68, 14,  -72, 30,  -62, 24,  -48, 10,  -36, 4},
             -38, 0);
    nageoire({-20, -18, -14, -34, 6, -40, 20, -36, 14, -30, 12, -24, 14, -20}, -2, -14);
    nageoire({-16, 14, -14, 24, -4, 30, 8, 26, 6, 22, 4, 18, 2, 14}, -4, 12);
    // Body: back, lit flank, pale belly, blended softly.
    auto corpsChemin = [&]() {
        cairo_new_path(cr);
        cairo_move_to(cr, 50, 0);
        cairo_curve_to(cr, 44, -18, 14, -26, -10, -22);
        cairo_curve_to(cr, -26, -19, -36, -8, -40, 0);
        cairo_curve_to(cr, -36, 8, -26, 18, -10, 20);
        cairo_curve_to(cr, 14, 24, 44, 16, 50, 0);
        cairo_close_path(cr);
    };
    corpsChemin();
    cairo_pattern_t* corps = cairo_pattern_create_linear(0, -24, 0, 22);
    arret(corps, 0.0, l.dos, 1);
    arret(corps, 0.3, l.flanc, 1);
    arret(corps, 0.5, Melange(l.flanc, Rvb(255, 255, 255), 0.3), 1);
    arret(corps, 0.72, Melange(l.flanc, l.ventre, 0.6), 1);
    arret(corps, 1.0, Melange(l.ventre, l.dos, 0.25), 1);
    cairo_set_source(cr, corps);
    cairo_fill(cr);
    cairo_pattern_destroy(corps);
    cairo_save(cr);
    corpsChemin();
    cairo_clip(cr);
    // Stripes with soft sides.
    for (double x : {18.0, -8.0}) {
        cairo_new_path(cr);
        cairo_move_to(cr, x, -30);
        cairo_curve_to(cr, x - 6, -10, x - 6, 10, x, 30);
        cairo_line_to(cr, x - 9, 30);
        cairo_curve_to(cr, x - 15, 10, x - 15, -10, x - 9, -30);
        cairo_close_path(cr);
        cairo_pattern_t* r = cairo_pattern_create_linear(x - 13, 0, x - 1, 0);
        arret(r, 0, l.raie, 0.0);
        arret(r, 0.5, l.raie, 0.6);
        arret(r, 1, l.raie, 0.0);
        cairo_set_source(cr, r);
        cairo_fill(cr);
        cairo_pattern_destroy(r);
    }
    // Soft shading: the tail end and the underside turn away from the light.
    cairo_pattern_t* ombre = cairo_pattern_create_linear(50, -20, -40, 22);
    arret(ombre, 0.0, l.dos, 0.0);
    arret(ombre, 0.55, l.dos, 0.0);
    arret(ombre, 1.0, l.dos, 0.55);
    corpsChemin();
    cairo_set_source(cr, ombre);
    cairo_fill(cr);
    cairo_pattern_destroy(ombre);
    // A gloss on the back behind the head, where the surface's light falls.
    cairo_save(cr);
    cairo_translate(cr, 16, -11);
    cairo_scale(cr, 1, 0.45);
    cairo_pattern_t* lustre = cairo_pattern_create_radial(0, 0, 0, 0, 0, 22);
    arret(lustre, 0, Rvb(255, 255, 255), 0.75);
    arret(lustre, 0.4, Melange(l.flanc, Rvb(255, 255, 255), 0.6), 0.35);
    arret(lustre, 1, l.flanc, 0.0);
    cairo_set_source(cr, lustre);
    cairo_paint(cr);
    cairo_pattern_destroy(lustre);
    cairo_restore(cr);
    // The rim: the underside's edge glowing in the water's neon.
    cairo_pattern_t* rim = cairo_pattern_create_linear(0, -2, 0, 22);
    arret(rim, 0, l.liseret, 0.0);
    arret(rim, 0.55, l.liseret, 0.55);
    arret(rim, 1, Melange(l.liseret, Rvb(255, 255, 255), 0.3), 1.0);
    corpsChemin();
    cairo_set_source(cr, rim);
    cairo_set_line_width(cr, 7);
    cairo_stroke(cr);
    cairo_pattern_destroy(rim);
    // Gill fold: a soft shade behind a lit edge.
    cairo_move_to(cr, 27, -15);
    cairo_curve_to(cr, 21, -6, 21, 6, 27, 13);
    source(l.dos, 0.3);
    cairo_set_line_width(cr, 3.5);
    cairo_stroke(cr);
    cairo_move_to(cr, 29, -14);
    cairo_curve_to(cr, 23.5, -6, 23.5, 6, 29, 12);
    source(Melange(l.flanc, Rvb(255, 255, 255), 0.6), 0.45);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    cairo_restore(cr);
    // Pectoral fin, eye and mouth.
    cairo_move_to(cr, 20, 4);
    cairo_curve_to(cr, 10, 0, 2, 4, -2, 12);
    cairo_curve_to(cr, 6, 14, 14, 12, 20, 4);
    {
        cairo_pattern_t* g = cairo_pattern_create_linear(20, 4, -2, 12);
        arret(g, 0, Melange(l.nageoire, Rvb(255, 255, 255), 0.4), 0.85);
        arret(g, 1, l.nageoire, 0.5);
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
    }
    cairo_arc(cr, 36, -5, 6.5, 0, 2 * M_PI);
    {
        cairo_pattern_t* g = cairo_pattern_create_radial(36, -5, 3, 36, -5, 6.5);
        arret(g, 0, Rvb(250, 236, 180), 1);
        arret(g, 1, Melange(Rvb(250, 236, 180), l.dos, 0.4), 1);
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
    }
    cairo_arc(cr, 37, -5, 3.8, 0, 2 * M_PI);
    source(Rvb(10, 8, 16), 1);
    cairo_fill(cr);
    cairo_arc(cr, 37.5, -3.5, 3.0, 0.1, M_PI * 0.9);
    source(l.liseret, 0.8);
    cairo_set_line_width(cr, 0.9);
    cairo_stroke(cr);
    cairo_arc(cr, 35.5, -7, 1.6, 0, 2 * M_PI);
    source(Rvb(255, 255, 255), 1);
    cairo_fill(cr);
    cairo_move_to(cr, 50, 2);
    cairo_line_to(cr, 45, 3.5);
    source(Melange(l.dos, l.flanc, 0.3), 0.6);
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
    cairo_restore(cr);
}

// A school far off: small dark shapes streaming along a shallow arc, all
// heading the same way (sens: +1 to the right), each trailing a faint smear
// of its own speed.
void DessineBanc(cairo_t* cr, Alea* alea, double cx, double cy, int nombre, double brume,
                 double sens = 1) {
    for (int i = 0; i < nombre; ++i) {
        const double a = alea->Entre(0, 2 * M_PI), r = std::sqrt(alea->Uniforme());
        const double u = std::cos(a) * r;
        const double x = cx + u * 70, y = cy + std::sin(a) * r * 22 - 14 * u * u + 8 * u;
        const double s = alea->Entre(3.5, 5.5);
        // Along the arc the fish climb towards its ends.
        const double pente = sens * (-28 * u + 8) / 70;
        const Couleur c = Brume(Rvb(30, 60, 80), y, brume);
        const Couleur v = Brume(Rvb(150, 200, 210), y, brume);
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_rotate(cr, std::atan(pente));
        cairo_scale(cr, sens, 1);
        auto corps = [&](double dx) {
            cairo_move_to(cr, dx, 0);
            cairo_curve_to(cr, dx + s, -s * 0.55, dx + 2 * s, -s * 0.3, dx + 2.6 * s, 0);
            cairo_curve_to(cr, dx + 2 * s, s * 0.3, dx + s, s * 0.55, dx, 0);
            cairo_move_to(cr, dx + 0.2 * s, 0);
            cairo_line_to(cr, dx - 0.8 * s, -s * 0.5);
            cairo_line_to(cr, dx - 0.8 * s, s * 0.5);
            cairo_close_path(cr);
        };
        // The smear: fainter copies left behind.
        for (int k = 4; k >= 1; --k) {
            corps(-k * 0.45 * s);
            cairo_set_source_rgba(cr, c.r, c.g, c.b, 0.09 * (5 - k));
            cairo_fill(cr);
        }
        corps(0);
        cairo_set_source_rgb(cr, c.r, c.g, c.b);
        cairo_fill(cr);
        cairo_move_to(cr, 0.6 * s, 0.15 * s);
        cairo_line_to(cr, 2.2 * s, 0.1 * s);
        cairo_set_source_rgba(cr, v.r, v.g, v.b, 0.8);
        cairo_set_line_width(cr, 0.8);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
}

// The sandy floor: ripples, speckles and the caustic net, brightest where
// the sand faces up.
void PeintSable(Toile* toile) {
    cairo_t* cr = toile->cr;
    cairo_move_to(cr, 0, kH);
    for (int x = 0; x <= kL; x += 4) {
        cairo_line_to(cr, x, 430 - 12 * std::sin(x * 0.013 + 0.6) - 6 * std::sin(x * 0.05 + 2));
    }
    cairo_line_to(cr, kL, kH);
    cairo_close_path(cr);
    const Couverture m = CouvertureDuChemin(cr, 0);
    cairo_new_path(cr);
    const std::vector<Couleur> rampe = {Rvb(36, 20, 58), Rvb(90, 60, 100), Rvb(150, 112, 136),
                                        Rvb(206, 170, 170), Rvb(246, 224, 210)};
    AccesPixels px(toile);
    for (int y = std::max(0, m.y0); y < kH; ++y) {
        for (int x = 0; x < kL; ++x) {
            const double a = m.A(x, y);
            if (a <= 0) continue;
            const double ride =
                std::sin(x * 0.21 + 5 * Fractal(x / 60.0, y / 20.0, 2, 41) + y * 0.35);
            const double profondeur = (y - 415) / 65.0;
            double s =
                0.55 - 0.35 * profondeur + 0.1 * ride + 0.06 * (Bruit(x / 1.7, y / 1.7, 43) - 0.5);
            const double caustique = Caustique(x, y * 2.1, 30, 47) * (1.0 - 0.5 * profondeur);
            s += 0.3 * caustique;
            const Couleur c = Melange(RampeDouce(rampe, s), LumiereA(y), 0.3 * caustique);
            px.Pose(x, y, Brume(c, y, 0.22), a);
        }
    }
}

// A sea anemone: a stubby column crowned with curling tentacles.
void DessineAnemone(cairo_t* cr, Alea* alea, double x, double y, double taille, Couleur teinte,
                    double brume) {
    const Couleur sombre = Brume(Melange(teinte, Rvb(20, 0, 30), 0.55), y, brume);
    const Couleur clair = Brume(Melange(teinte, Rvb(255, 230, 250), 0.5), y, brume);
    const Couleur milieu = Brume(teinte, y, brume);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int passe = 0; passe < 3; ++passe) {
        Alea a(alea->etat);
        for (int i = 0; i < 15; ++i) {
            const double angle = -M_PI / 2 + (i - 7) * 0.19 + a.Entre(-0.08, 0.08);
            const double l = taille * a.Entre(0.7, 1.0);
            const double bx = x + (i - 7) * taille * 0.05;
            cairo_move_to(cr, bx, y);
            cairo_curve_to(cr, bx + std::cos(angle) * l * 0.5, y + std::sin(angle) * l * 0.5,
                           bx + std::cos(angle + 0.5) * l, y + std::sin(angle + 0.5) * l * 0.9,
                           bx + std::cos(angle + 0.9) * l * 0.9, y + std::sin(angle) * l);
            const Couleur c = passe == 0 ? sombre : passe == 1 ? milieu : clair;
            cairo_set_source_rgb(cr, c.r, c.g, c.b);
            cairo_set_line_width(cr, taille * (passe == 0 ? 0.13 : passe == 1 ? 0.08 : 0.03));
            cairo_stroke(cr);
        }
    }
    alea->Suivant();
    // The column.
    cairo_move_to(cr, x - taille * 0.38, y + taille * 0.5);
    cairo_curve_to(cr, x - taille * 0.4, y, x - taille * 0.3, y - taille * 0.05, x,
                   y - taille * 0.05);
    cairo_curve_to(cr, x + taille * 0.3, y - taille * 0.05, x + taille * 0.4, y, x + taille * 0.38,
                   y + taille * 0.5);
    cairo_close_path(cr);
    cairo_pattern_t* p = cairo_pattern_create_linear(x - taille * 0.4, 0, x + taille * 0.4, 0);
    cairo_pattern_add_color_stop_rgb(p, 0, clair.r, clair.g, clair.b);
    cairo_pattern_add_color_stop_rgb(p, 0.4, milieu.r, milieu.g, milieu.b);
    cairo_pattern_add_color_stop_rgb(p, 1, sombre.r, sombre.g, sombre.b);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// A fan coral: branches forking up from a foot, each a little curved and
// thinner than the one it grows from, ending in a round polyp knob.
struct Rameau {
    double x0, y0, xc, yc, x1, y1, w;
    int niveau;
};

void BrancheCorail(Alea* alea, double x, double y, double angle, double l, double w, int niveau,
                   std::vector<Rameau>* rameaux) {
    const double x1 = x + std::cos(angle) * l, y1 = y + std::sin(angle) * l;
    const double plie = alea->Entre(-0.18, 0.18) * l;
    const double xc = (x + x1) / 2 - std::sin(angle) * plie;
    const double yc = (y + y1) / 2 + std::cos(angle) * plie;
    rameaux->push_back({x, y, xc, yc, x1, y1, w, niveau});
    if (niveau == 0) return;
    for (double s : {-1.0, 1.0}) {
        BrancheCorail(alea, x1, y1, angle + s * alea->Entre(0.25, 0.5), l * alea->Entre(0.62, 0.8),
                      w * 0.7, niveau - 1, rameaux);
    }
}

// The coral has body: a dark shadow side, the flesh, a lit ridge towards the
// sun and a pale glint along it, darker towards the foot, the knobs bright.
void DessineCorail(cairo_t* cr, Alea* alea, double x, double y, double taille, Couleur teinte,
                   double brume) {
    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    std::vector<Rameau> rameaux;
    BrancheCorail(alea, x, y, -M_PI / 2, taille * 0.36, taille * 0.13, 4, &rameaux);
    const Couleur ombre = Brume(Melange(teinte, Rvb(20, 0, 40), 0.62), y, brume);
    const Couleur chair = Brume(teinte, y, brume);
    const Couleur clair = Brume(Melange(teinte, Rvb(255, 220, 240), 0.45), y, brume);
    const Couleur eclat = Brume(Rvb(255, 240, 250), y, brume);
    auto trace = [&](const Rameau& r, double dx, double dy) {
        cairo_move_to(cr, r.x0 + dx, r.y0 + dy);
        cairo_curve_to(cr, (r.x0 + 2 * r.xc) / 3 + dx, (r.y0 + 2 * r.yc) / 3 + dy,
                       (r.x1 + 2 * r.xc) / 3 + dx, (r.y1 + 2 * r.yc) / 3 + dy, r.x1 + dx,
                       r.y1 + dy);
    };
    // Passes from the shadow out to the glint, each narrower and shifted
    // towards the light (up and to the right).
    const double largeurs[] = {1.0, 0.78, 0.42, 0.16};
    const double decalages[] = {0.0, 0.1, 0.24, 0.32};
    for (int passe = 0; passe < 4; ++passe) {
        for (const Rameau& r : rameaux) {
            // Darker towards the foot.
            const double pied = 0.45 * r.niveau / 4.0;
            const Couleur tons[] = {Melange(ombre, palette::kNuit, 0.3 * pied / 0.45),
                                    Melange(chair, ombre, pied), Melange(clair, chair, pied),
                                    eclat};
            const Couleur c = tons[passe];
            const double d = r.w * decalages[passe];
            trace(r, d * 0.6, -d * 0.8);
            cairo_set_source_rgba(cr, c.r, c.g, c.b, passe == 3 ? 0.7 : 1.0);
            cairo_set_line_width(cr, r.w * largeurs[passe] + (passe == 0 ? 1.2 : 0));
            cairo_stroke(cr);
        }
    }
    for (const Rameau& r : rameaux) {
        if (r.niveau != 0) continue;
        const double k = r.w * 0.85 + 0.8;
        cairo_arc(cr, r.x1, r.y1, k, 0, 2 * M_PI);
        cairo_pattern_t* p =
            cairo_pattern_create_radial(r.x1 + k * 0.3, r.y1 - k * 0.4, 0.1, r.x1, r.y1, k);
        cairo_pattern_add_color_stop_rgb(p, 0, eclat.r, eclat.g, eclat.b);
        cairo_pattern_add_color_stop_rgb(p, 0.45, clair.r, clair.g, clair.b);
        cairo_pattern_add_color_stop_rgb(p, 1, chair.r, chair.g, chair.b);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    cairo_restore(cr);
}

// A starfish lying on the sand, in amber, seen a little from above.
void DessineEtoileDeMer(cairo_t* cr, double x, double y, double r, double rotation) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, 1, 0.55);
    cairo_rotate(cr, rotation);
    cairo_new_path(cr);
    for (int k = 0; k < 10; ++k) {
        const double a = -M_PI / 2 + k * M_PI / 5;
        const double rr = k % 2 ? r * 0.36 : r;
        cairo_line_to(cr, rr * std::cos(a), rr * std::sin(a));
    }
    cairo_close_path(cr);
    cairo_pattern_t* p = cairo_pattern_create_radial(-r * 0.2, -r * 0.3, 0, 0, 0, r);
    cairo_pattern_add_color_stop_rgb(p, 0, 1.0, 0.86, 0.46);
    cairo_pattern_add_color_stop_rgb(p, 0.45, 0.95, 0.58, 0.16);
    cairo_pattern_add_color_stop_rgb(p, 1, 0.55, 0.24, 0.08);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    // Bumps along the arms.
    cairo_set_source_rgb(cr, 1.0, 0.92, 0.7);
    for (int k = 0; k < 5; ++k) {
        const double a = -M_PI / 2 + k * 2 * M_PI / 5;
        for (double t = 0.25; t < 0.8; t += 0.18) {
            cairo_arc(cr, r * t * std::cos(a), r * t * std::sin(a), 0.9, 0, 2 * M_PI);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
}

// Small bubbles rising from the floor: a bright rim and a glint, over the
// faint wavering wake the column leaves in the water.
void DessinePerles(cairo_t* cr, Alea* alea, double x, double y, int nombre) {
    {
        Alea sillage(uint32_t(x * 131 + y * 7));
        double wx = x, wy = y;
        cairo_move_to(cr, wx, wy);
        for (int i = 0; i < nombre + 2; ++i) {
            const double nx = wx + sillage.Entre(-4, 4), ny = wy - sillage.Entre(14, 22);
            cairo_curve_to(cr, wx + 3, wy - 6, nx - 3, ny + 6, nx, ny);
            wx = nx;
            wy = ny;
        }
        cairo_pattern_t* g = cairo_pattern_create_linear(0, y, 0, wy);
        cairo_pattern_add_color_stop_rgba(g, 0, 0.8, 1, 1, 0.28);
        cairo_pattern_add_color_stop_rgba(g, 1, 0.8, 1, 1, 0.0);
        cairo_set_source(cr, g);
        cairo_set_line_width(cr, 2.2);
        cairo_stroke(cr);
        cairo_pattern_destroy(g);
    }
    for (int i = 0; i < nombre; ++i) {
        const double r = alea->Entre(1.2, 3.2) * (1 + i * 0.05);
        x += alea->Entre(-5, 5);
        y -= alea->Entre(9, 22);
        cairo_arc(cr, x, y, r, 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 0.75, 1, 1, 0.18);
        cairo_fill_preserve(cr);
        cairo_set_source_rgba(cr, 0.85, 1, 1, 0.8);
        cairo_set_line_width(cr, 0.8);
        cairo_stroke(cr);
        cairo_arc(cr, x - r * 0.35, y - r * 0.35, r * 0.3, 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.95);
        cairo_fill(cr);
    }
}

// Shafts of sunlight fanning down from the sun's glare under the surface,
// over everything: soft-edged, brightest near the surface and gone by the
// floor, so the kelp and fish stand in the light.
void PeintFaisceaux(Toile* toile, Alea* alea) {
    // The sun stands to the right, off the large bubbles' way up, so they
    // rise through the shafts rather than through its glare.
    const double sx = 590, sy = -140;
    cairo_surface_t* masque = cairo_image_surface_create(CAIRO_FORMAT_A8, kL, kH);
    cairo_t* m = cairo_create(masque);
    for (int i = 0; i < 14; ++i) {
        const double a = -1.1 + i * 0.11 + alea->Entre(-0.03, 0.03);
        const double l = alea->Entre(0.025, 0.06);
        const double force = alea->Entre(0.45, 1.0);
        const double portee = 700;
        cairo_move_to(m, sx, sy);
        cairo_line_to(m, sx + portee * std::sin(a - l), sy + portee * std::cos(a - l));
        cairo_line_to(m, sx + portee * std::sin(a + l), sy + portee * std::cos(a + l));
        cairo_close_path(m);
        cairo_set_source_rgba(m, 0, 0, 0, force);
        cairo_fill(m);
    }
    cairo_destroy(m);
    FlouSurface(masque, 3);
    cairo_t* cr = toile->cr;
    cairo_pattern_t* lumiere = cairo_pattern_create_linear(0, 0, 0, kH);
    cairo_pattern_add_color_stop_rgba(lumiere, 0, kLumiere.r, kLumiere.g, kLumiere.b, 0.55);
    cairo_pattern_add_color_stop_rgba(lumiere, 0.45, kLumiere.r, kLumiere.g, kLumiere.b, 0.32);
    cairo_pattern_add_color_stop_rgba(lumiere, 0.85, kLumiere.r, kLumiere.g, kLumiere.b, 0.0);
    cairo_set_source(cr, lumiere);
    cairo_mask_surface(cr, masque, 0, 0);
    cairo_pattern_destroy(lumiere);
    cairo_surface_destroy(masque);
    // The sun's glare through the surface.
    cairo_pattern_t* eclat = cairo_pattern_create_radial(sx, 0, 0, sx, 0, 150);
    cairo_pattern_add_color_stop_rgba(eclat, 0, 1, 1, 0.96, 0.75);
    cairo_pattern_add_color_stop_rgba(eclat, 0.3, kLumiere.r, kLumiere.g, kLumiere.b, 0.3);
    cairo_pattern_add_color_stop_rgba(eclat, 1, kLumiere.r, kLumiere.g, kLumiere.b, 0);
    cairo_set_source(cr, eclat);
    cairo_paint(cr);
    cairo_pattern_destroy(eclat);
}

// Plankton drifting through the water: soft specks, most of them tiny, each
// drawn out a little along the way the current carries it, a few with a
// brighter core and a faint tail; rose ones among the pale green. Round and
// soft, never a cross of light.
void PeintPlancton(cairo_t* cr, Alea* alea) {
    cairo_save(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = 0; i < 210; ++i) {
        const double x = alea->Entre(0, kL), y = alea->Entre(10, 420);
        const double e = std::pow(alea->Uniforme(), 2.5);
        const double r = 0.5 + 1.4 * e;
        const double a = (0.25 + 0.45 * alea->Uniforme()) * (1.0 - 0.4 * y / 420.0);
        const Couleur c = alea->Uniforme() < 0.18 ? Rvb(255, 170, 230) : Rvb(200, 255, 235);
        // The drift: down and to the left, as the current runs.
        const double d = alea->Entre(0.5, 3.5) * (0.6 + e), ang = alea->Entre(2.0, 2.6);
        const double dx = std::cos(ang) * d, dy = std::sin(ang) * d;
        cairo_move_to(cr, x - dx, y - dy);
        cairo_line_to(cr, x + dx, y + dy);
        cairo_set_source_rgba(cr, c.r, c.g, c.b, a * 0.45);
        cairo_set_line_width(cr, r * 2.2);
        cairo_stroke(cr);
        cairo_move_to(cr, x - dx * 0.4, y - dy * 0.4);
        cairo_line_to(cr, x + dx * 0.4, y + dy * 0.4);
        cairo_set_source_rgba(cr, c.r, c.g, c.b, a);
        cairo_set_line_width(cr, r);
        cairo_stroke(cr);
        if (e > 0.45) {
            // A larger mote: a bright core and the faint tail it leaves.
            cairo_arc(cr, x + dx, y + dy, r * 0.6, 0, 2 * M_PI);
            cairo_set_source_rgba(cr, 1, 1, 1, a);
            cairo_fill(cr);
            cairo_move_to(cr, x - dx, y - dy);
            cairo_line_to(cr, x - dx * 4, y - dy * 4 - 2);
            cairo_set_source_rgba(cr, c.r, c.g, c.b, a * 0.2);
            cairo_set_line_width(cr, r * 0.8);
            cairo_stroke(cr);
        }
    }
    cairo_restore(cr);
}

// Drifting specks in the light: fine dots and, close to the eye, a few
// large out-of-focus discs with a brighter edge.
void PeintParticules(cairo_t* cr, Alea* alea) {
    for (int i = 0; i < 26; ++i) {
        const double x = alea->Entre(0, kL), y = alea->Entre(20, 400);
        const double r = alea->Entre(4, 11), a = alea->Entre(0.06, 0.14);
        cairo_arc(cr, x, y, r, 0, 2 * M_PI);
        cairo_set_source_rgba(cr, 0.8, 1, 0.96, a);
        cairo_fill_preserve(cr);
        cairo_set_source_rgba(cr, 0.9, 1, 1, a * 1.6);
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
    }
}

// A glass bubble: clear body tinted by the water, a bright rim thicker at
// the bottom where the light gathers, a faint inner reflection of the
// surface and a sharp white highlight.
void DessineBulleVerre(cairo_t* cr, double x, double y, double r) {
    cairo_pattern_t* corps = cairo_pattern_create_radial(x, y, r * 0.2, x, y, r);
    cairo_pattern_add_color_stop_rgba(corps, 0, 0.7, 1, 1, 0.04);
    cairo_pattern_add_color_stop_rgba(corps, 0.75, 0.7, 1, 1, 0.12);
    cairo_pattern_add_color_stop_rgba(corps, 1, 0.85, 1, 1, 0.5);
    cairo_set_source(cr, corps);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(corps);
    cairo_set_line_width(cr, std::max(0.8, r * 0.1));
    cairo_set_source_rgba(cr, 0.9, 1, 1, 0.85);
    cairo_arc(cr, x, y, r * 0.95, 0.2, M_PI - 0.2);
    cairo_stroke(cr);
    cairo_set_source_rgba(cr, 0.9, 1, 1, 0.35);
    cairo_arc(cr, x, y, r * 0.72, M_PI * 1.15, M_PI * 1.55);
    cairo_stroke(cr);
    cairo_arc(cr, x - r * 0.38, y - r * 0.4, r * 0.22, 0, 2 * M_PI);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.95);
    cairo_fill(cr);
    cairo_arc(cr, x + r * 0.4, y + r * 0.45, r * 0.08, 0, 2 * M_PI);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.7);
    cairo_fill(cr);
}

// The near foreground in the lower corners, between the eye and the scene:
// boulders and kelp in silhouette, deep violet black, with only a thin edge
// of the surface's light along their tops. They give the picture its
// darkest values and its depth.
void PeintPremierPlan(cairo_t* cr) {
    const Couleur nuit = Rvb(14, 4, 26), ourlet = Rvb(70, 56, 130);
    auto remplit = [&](Couleur c) {
        cairo_set_source_rgb(cr, c.r, c.g, c.b);
        cairo_fill(cr);
    };
    // Kelp: tapering stems bending with the current, blades along them.
    const double tiges[][4] = {{14, 180, 0.35, 1},
                               {52, 120, -0.25, 2},
                               {606, 210, -0.3, 3},
                               {640, 150, 0.2, 4},
                               {580, 96, 0.4, 5}};
    for (const auto& t : tiges) {
        const double x0 = t[0], hauteur = t[1], penche = t[2];
        const int n = 24;
        std::vector<double> cx(n + 1), cy(n + 1);
        for (int k = 0; k <= n; ++k) {
            const double u = double(k) / n;
            cx[k] = x0 + penche * hauteur * u * u + 10 * std::sin(u * 5 + t[3]) * u;
            cy[k] = kH + 4 - hauteur * u;
        }
        for (int passe = 0; passe < 2; ++passe) {
            // The rim first, shifted towards the light, then the body over it.
            const double ox = passe == 0 ? 1.5 : 0, oy = passe == 0 ? -1.5 : 0;
            for (int k = 0; k <= n; ++k) {
                const double w = 4.5 * (1 - 0.8 * k / n);
                cairo_line_to(cr, cx[k] - w + ox, cy[k] + oy);
            }
            for (int k = n; k >= 0; --k) {
                const double w = 4.5 * (1 - 0.8 * k / n);
                cairo_line_to(cr, cx[k] + w + ox, cy[k] + oy);
            }
            cairo_close_path(cr);
            remplit(passe == 0 ? ourlet : nuit);
            Alea feuilles(uint32_t(t[3] * 97));
            for (int k = 3; k < n; k += 2) {
                const double cote = (k / 2) % 2 ? 1 : -1;
                const double l = feuilles.Entre(22, 40) * (1 - 0.5 * k / n), ang = cote * 0.9;
                cairo_save(cr);
                cairo_translate(cr, cx[k] + ox, cy[k] + oy);
                cairo_rotate(cr, ang + feuilles.Entre(-0.2, 0.2));
                cairo_move_to(cr, 0, 0);
                cairo_curve_to(cr, 8, -l * 0.3, 8, -l * 0.8, 0, -l);
                cairo_curve_to(cr, -6, -l * 0.7, -6, -l * 0.3, 0, 0);
                cairo_restore(cr);
                remplit(passe == 0 ? ourlet : nuit);
            }
        }
    }
    // Boulders: the same, their lit edge along the top.
    const double blocs[][5] = {{-10, 484, 160, 84, 81},
                               {110, 500, 84, 38, 82},
                               {662, 480, 140, 90, 83},
                               {540, 502, 76, 34, 84}};
    for (const auto& b : blocs) {
        CheminRocher(cr, b[0] + 2, b[1] - 3, b[2], b[3], uint32_t(b[4]));
        remplit(ourlet);
        CheminRocher(cr, b[0], b[1], b[2], b[3], uint32_t(b[4]));
        cairo_pattern_t* p = cairo_pattern_create_linear(0, b[1] - b[3], 0, b[1] + b[3] * 0.5);
        cairo_pattern_add_color_stop_rgb(p, 0, 0.1, 0.03, 0.19);
        cairo_pattern_add_color_stop_rgb(p, 1, 0.02, 0.0, 0.05);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
}

}  // namespace

void DessineFondMarin(Recueil* recueil) {
    Toile toile(kL, kH);
    cairo_t* cr = toile.cr;
    Alea alea(GraineDe("Bulles"));
    PeintEau(&toile);
    PeintRayons(cr, &alea);

    // Far: ridges and kelp barely out of the blue.
    const std::vector<Couleur> rocheLoin = {Rvb(30, 22, 78), Rvb(54, 48, 118), Rvb(84, 92, 160),
                                            Rvb(116, 144, 192)};
    CheminCrete(cr, -40, 700, 420, 130, 90, 51);
    PeintPierre(&toile, rocheLoin, 0.72, 60, 52, false);
    DessineBanc(cr, &alea, 470, 150, 45, 0.55, -1);
    for (int i = 0; i < 10; ++i) {
        DessineVarech(cr, &alea, alea.Entre(-20, 660), 400, alea.Entre(120, 360), 0.62, 0.8);
    }

    // Middle: a ridge with an arch of rock, more kelp.
    const std::vector<Couleur> roche = {Rvb(12, 6, 30), Rvb(40, 26, 72), Rvb(80, 62, 116),
                                        Rvb(136, 120, 166), Rvb(200, 196, 228)};
    CheminCrete(cr, 300, 700, 440, 150, 60, 61);
    PeintPierre(&toile, roche, 0.45, 50, 62, true);
    CheminCrete(cr, -60, 260, 445, 110, 50, 63);
    PeintPierre(&toile, roche, 0.42, 50, 64, true);
    for (int i = 0; i < 6; ++i) {
        DessineVarech(cr, &alea, alea.Entre(10, 630), 430, alea.Entre(130, 330), 0.4, 1.0);
    }
    DessineBanc(cr, &alea, 200, 110, 30, 0.4);
    // Tall stalks standing up into the bright water where the large bubbles
    // rise: dark stems and blades against the surface's light, for their
    // lenses to bend.
    for (double x : {120.0, 200.0, 380.0, 450.0}) {
        DessineVarech(cr, &alea, x, 436, alea.Entre(380, 420), 0.3, 1.0, true);
    }

    // The floor, then the near boulders with their reef life.
    PeintSable(&toile);
    const std::vector<Couleur> rocheProche = {Rvb(10, 4, 22), Rvb(32, 14, 56), Rvb(68, 38, 100),
                                              Rvb(128, 100, 160), Rvb(214, 206, 236)};
    CheminRocher(cr, 70, 440, 110, 62, 71);
    PeintPierre(&toile, rocheProche, 0.06, 40, 72, true);
    CheminRocher(cr, 585, 452, 95, 50, 73);
    PeintPierre(&toile, rocheProche, 0.06, 40, 74, true);
    CheminRocher(cr, 330, 468, 60, 26, 75);
    PeintPierre(&toile, rocheProche, 0.1, 30, 76, true);
    DessineCorail(cr, &alea, 560, 412, 70, palette::kMagenta, 0.05);
    DessineCorail(cr, &alea, 120, 392, 56, Rvb(170, 60, 220), 0.05);
    DessineAnemone(cr, &alea, 52, 388, 26, palette::kMagenta, 0.05);
    DessineAnemone(cr, &alea, 612, 410, 20, Rvb(255, 120, 200), 0.05);
    DessineAnemone(cr, &alea, 318, 446, 18, palette::kAmbre, 0.05);
    DessineEtoileDeMer(cr, 420, 462, 12, 0.3);
    DessineEtoileDeMer(cr, 216, 472, 9, 1.1);

    // Near kelp, framing the scene: the outer stalks cut by the frame's
    // sides, one running out of the top.
    const double proches[][2] = {{28, 330}, {236, 520}, {470, 250}, {634, 400}};
    for (const auto& v : proches) {
        DessineVarech(cr, &alea, v[0] + alea.Entre(-8, 8), 478, v[1], 0.0, 1.2, true);
    }

    // Fish: two striped amber ones, a magenta one, a cyan one, each rimmed in
    // the neon that sets it off.
    const Couleur cyanNeon = Rvb(90, 240, 255), magentaNeon = Rvb(255, 80, 210);
    const Livree ambre = {Rvb(120, 50, 10),   Rvb(255, 168, 40), Rvb(255, 232, 170),
                          Rvb(250, 250, 240), Rvb(255, 130, 30), magentaNeon};
    DessinePoisson(cr, 380, 250, 46, -1, ambre, 0.1, 0.2);
    DessinePoisson(cr, 300, 300, 30, -1, ambre, 0.2, -0.14);
    DessinePoisson(cr, 120, 190, 38, 1,
                   {Rvb(90, 10, 70), Rvb(230, 50, 170), Rvb(255, 190, 230), Rvb(60, 10, 60),
                    Rvb(255, 110, 200), cyanNeon},
                   0.15, 0.3);
    DessinePoisson(cr, 540, 330, 34, -1,
                   {Rvb(10, 60, 100), Rvb(50, 190, 240), Rvb(210, 245, 255), Rvb(20, 40, 90),
                    Rvb(120, 220, 255), magentaNeon},
                   0.12, -0.22);
    // The largest fish, close to the viewer: a magenta and amber wrasse.
    DessinePoisson(cr, 188, 352, 78, 1,
                   {Rvb(80, 10, 80), Rvb(236, 60, 170), Rvb(255, 214, 140), Rvb(255, 176, 48),
                    Rvb(255, 150, 60), cyanNeon},
                   0.0, 0.1);
    DessineBanc(cr, &alea, 560, 230, 14, 0.3);
    // Breath from the large fish's gills, rising.
    DessinePerles(cr, &alea, 214, 338, 4);
    // Plankton and rising bubbles.
    PeintPlancton(cr, &alea);
    DessinePerles(cr, &alea, 330, 445, 7);
    DessinePerles(cr, &alea, 598, 420, 5);
    DessinePerles(cr, &alea, 52, 380, 6);
    // A few larger glass bubbles rising through the open water.
    const double verres[][3] = {{96, 250, 9}, {108, 214, 6}, {92, 184, 4.5}, {452, 120, 7},
                                {462, 92, 5}, {606, 250, 8}, {598, 218, 5}};
    for (const auto& v : verres) DessineBulleVerre(cr, v[0], v[1], v[2]);
    PeintParticules(cr, &alea);
    PeintFaisceaux(&toile, &alea);
    PeintPremierPlan(cr);
    // The deep closes in at the corners.
    cairo_pattern_t* vignette = cairo_pattern_create_radial(320, 200, 200, 320, 240, 470);
    cairo_pattern_add_color_stop_rgba(vignette, 0, 0.02, 0.04, 0.12, 0);
    cairo_pattern_add_color_stop_rgba(vignette, 1, 0.02, 0.04, 0.12, 0.55);
    cairo_set_source(cr, vignette);
    cairo_paint(cr);
    cairo_pattern_destroy(vignette);
    Finition f;
    recueil->images.push_back(Finit(toile, "Bulles", f));
}

}  // namespace forge
