// Credits pictures: the role labels and names in chrome, two halftone
// portraits, and 21 frames of a shaded torus turning on itself.
// Palette: gold chrome on black; duotone portraits (cyan, tangerine).
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "forge_images.h"

namespace forge {

namespace {

uint32_t Argb(Couleur c) {
    auto v = [](double x) { return uint32_t(std::clamp(x, 0.0, 1.0) * 255 + 0.5); };
    return 0xFF000000u | (v(c.r) << 16) | (v(c.g) << 8) | v(c.b);
}

// A word of the credits' band with one glyph of its own.
enum class Forme {
    ZeroBarre,  // an O crossed by a slash, as coders write zero
    Croix,      // an X of two blades, one cut short
    Note,       // an I drawn as a note's stem with its head
    Anneau,     // a squarish ring round a bead
    Disque,     // a round ring round a spindle dot, like a record
};

struct MotBande {
    const char* texte;
    const char* police;
    int largeur, hauteur;
    int sauf;  // the glyph drawn by hand
    Forme forme;
    double penche;   // the face's slant (x moved per row up)
    bool etiquette;  // a role's label, smaller than a name, over the blurred band
    double haut = 0, bas = 0;
};

// The rows of a label above the band that the scene blurs (the label is
// blitted at row 345, the blur starts at row 350).
constexpr int kHorsFlou = 5;

void DessinMotBande(cairo_t* cr, void* donnees) {
    MotBande* m = static_cast<MotBande*>(donnees);
    // The word fills its picture but for room for the outline, the bevel's
    // depth and the glints, so that it reads as large as the band allows.
    const double marge = 5;
    // The face's G reads as a B or a C: drawn by hand as well.
    std::vector<int> sauf{m->sauf}, lettresG;
    for (int i = 0; m->texte[i]; ++i)
        if (m->texte[i] == 'G') lettresG.push_back(i);
    sauf.insert(sauf.end(), lettresG.begin(), lettresG.end());
    // A label's top rows lie above the band the scene blurs away: they are
    // left empty, or they would stay on screen under the frame as slivers
    // once the rest has gone.
    const double haut = m->etiquette ? kHorsFlou + 4.5 : marge - 1;
    const std::vector<Glyphe> g =
        CheminMotSauf(cr, Police(m->police), m->texte, marge, haut, m->largeur - 2 * marge - 4,
                      m->hauteur - haut - marge - 1, true, sauf);
    // The face's strokes thickened, the labels' more, so that the smaller
    // words stand as bold as the names and the names' bevels leave a broad
    // bright face.
    {
        cairo_set_line_width(cr, m->etiquette ? 3.2 : 3.0);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    cairo_fill(cr);
    const Glyphe b = g[size_t(m->sauf)];
    m->haut = b.y0;
    m->bas = b.y1;
    const double h = b.y1 - b.y0, w = b.x1 - b.x0;
    const double trait = h * (m->etiquette ? 0.22 : 0.17);
    // The hand-drawn glyph shares the face's slant about its middle row.
    cairo_save(cr);
    const double cy = (b.y0 + b.y1) / 2;
    const cairo_matrix_t biais = {1, 0, -m->penche, 1, m->penche * cy, 0};
    cairo_transform(cr, &biais);
    for (int i : lettresG) DessineG(cr, g[size_t(i)], trait, 0.35);
    switch (m->forme) {
        case Forme::ZeroBarre:
            CheminAnneau(cr, b, trait, 0.9);
            cairo_fill(cr);
            cairo_move_to(cr, b.x0 + w * 0.2, b.y1 - trait * 0.6);
            cairo_line_to(cr, b.x1 - w * 0.2 - trait * 0.7, b.y0 + trait * 0.6);
            cairo_line_to(cr, b.x1 - w * 0.2, b.y0 + trait * 0.6);
            cairo_line_to(cr, b.x0 + w * 0.2 + trait * 0.7, b.y1 - trait * 0.6);
            cairo_close_path(cr);
            cairo_fill(cr);
            break;
        case Forme::Croix:
            cairo_move_to(cr, b.x0, b.y0);
            cairo_line_to(cr, b.x0 + trait * 1.6, b.y0);
            cairo_line_to(cr, b.x1, b.y1);
            cairo_line_to(cr, b.x1 - trait * 1.6, b.y1);
            cairo_close_path(cr);
            cairo_move_to(cr, b.x1 + trait * 0.4, b.y0);
            cairo_line_to(cr, b.x1 - trait * 1.2, b.y0);
            cairo_line_to(cr, b.x0 + w * 0.18, b.y1 - h * 0.12);
            cairo_line_to(cr, b.x0 + w * 0.18 + trait * 1.6, b.y1 - h * 0.12);
            cairo_close_path(cr);
            cairo_fill(cr);
            break;
        case Forme::Note: {
            const double x = (b.x0 + b.x1) / 2 + trait * 0.3;
            cairo_rectangle(cr, x - trait * 0.45, b.y0, trait * 0.9, h - trait * 0.8);
            cairo_fill(cr);
            cairo_save(cr);
            cairo_translate(cr, x - trait * 0.9, b.y1 - trait * 0.75);
            cairo_rotate(cr, -0.45);
            cairo_scale(cr, trait * 1.3, trait * 0.8);
            cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(cr);
            cairo_fill(cr);
            // The flag.
            cairo_move_to(cr, x + trait * 0.45, b.y0);
            cairo_curve_to(cr, x + trait * 1.6, b.y0 + h * 0.15, x + trait * 2.0, b.y0 + h * 0.3,
                           x + trait * 1.2, b.y0 + h * 0.5);
            cairo_curve_to(cr, x + trait * 1.4, b.y0 + h * 0.32, x + trait * 1.0, b.y0 + h * 0.25,
                           x + trait * 0.45, b.y0 + h * 0.22);
            cairo_close_path(cr);
            cairo_fill(cr);
            break;
        }
        case Forme::Anneau:
            CheminAnneau(cr, b, trait * 1.05, 0.62);
            cairo_fill(cr);
            cairo_arc(cr, (b.x0 + b.x1) / 2, cy, std::min(trait * 0.7, w / 2 - trait * 1.6), 0,
                      2 * M_PI);
            cairo_fill(cr);
            break;
        case Forme::Disque: {
            const double r = std::min(w, h) / 2;
            const double cx = (b.x0 + b.x1) / 2;
            cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
            cairo_arc_negative(cr, cx, cy, r * 0.42, 2 * M_PI, 0);
            cairo_fill(cr);
            cairo_arc(cr, cx, cy, r * 0.16, 0, 2 * M_PI);
            cairo_fill(cr);
            // Grooves cut into the record.
            cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
            cairo_set_line_width(cr, 1.0);
            cairo_arc(cr, cx, cy, r * 0.72, -2.6, -0.9);
            cairo_stroke(cr);
            cairo_arc(cr, cx, cy, r * 0.72, 0.6, 2.2);
            cairo_stroke(cr);
            cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
            break;
        }
    }
    cairo_restore(cr);
}

// The band's chrome, bright all over: a lilac sky over a pink-white horizon,
// hot magenta below and a rose at the foot, lit in pale pink. The blur
// drops a channel one step a pass wherever it is, so a word lasts as long as
// its red and blue stay near full: no tone of the face goes dark, and the
// horizon is drawn by a change of hue rather than by a dark band. Every
// tone keeps its green under half its red or blue: the 6-bit green falls
// one step a pass too, that is half as fast in light, so such tones darken
// through their own hues and lose their green no later than their red and
// blue, instead of leaving a green smear behind.
Matiere MatiereBande(double y0, double y1, bool nom) {
    Matiere m;
    if (nom) {
        m.reflets = {Rvb(140, 96, 255), Rvb(180, 112, 255), Rvb(255, 112, 255), Rvb(255, 100, 240),
                     Rvb(240, 36, 190), Rvb(255, 64, 210),  Rvb(255, 108, 170)};
    } else {
        m.reflets = {Rvb(255, 104, 56), Rvb(255, 112, 84), Rvb(255, 108, 180), Rvb(255, 104, 245),
                     Rvb(235, 36, 160), Rvb(255, 56, 200), Rvb(255, 100, 235)};
    }
    m.y0 = y0;
    m.y1 = y1;
    m.biseau = nom ? 3 : 2;
    m.relief = nom ? 4 : 2;
    m.flanc = Rvb(110, 30, 150);
    m.contour = Rvb(30, 8, 50);
    m.epaisseur = nom ? 2 : 1.5;
    m.eclats = nom ? 2 : 1;
    m.eclat = nom ? 16 : 11;
    m.lumiere = Rvb(255, 116, 255);
    return m;
}

// The shine along the top of a name's first letter: one row of pure white,
// at least 12 pixels long. A run of full green that long is what keeps the
// band's blur going for its 63 passes in every block (one step a pass), and
// the credits' timing and the music laid on it count on that length.
void LigneEclat(Toile* toile, const Masque& m) {
    const std::vector<float> dedans = DistanceBord(m, true);
    for (int y = 0; y < m.hauteur; ++y) {
        int debut = -1;
        for (int x = 0; x <= m.largeur; ++x) {
            const bool plein = x < m.largeur && dedans[size_t(y) * m.largeur + x] >= 2.5f;
            if (plein && debut < 0) debut = x;
            if (plein || debut < 0) continue;
            if (x - debut >= 22) {
                AccesPixels px(toile);
                for (int k = debut + 3; k < x - 3; ++k) px.Ecrit(k, y, {1, 1, 1});
                return;
            }
            debut = -1;
        }
    }
}

void DessineMot(Recueil* recueil, const char* nom, MotBande mot, bool estNom) {
    const EntreeCatalogue* e = TrouveEntree(nom);
    mot.largeur = e->largeur;
    mot.hauteur = e->hauteur;
    Toile toile(e->largeur, e->hauteur);
    const Masque m = MasqueDessine(e->largeur, e->hauteur, DessinMotBande, &mot);
    PeintMatiere(&toile, m, MatiereBande(mot.haut, mot.bas, estNom));
    if (estNom) LigneEclat(&toile, m);
    Finition f;
    f.cle = Cle::Noir;
    recueil->images.push_back(Finit(toile, nom, f));
}

// Makes the figure read at a glance against its sunburst: the ground sinks
// into the person's dark colour away from the sun, the figure's values are
// pulled apart, a crisp rim of the sun's light runs along the outline on the
// sun's side (in the rim light's colour) and a thin dark line round the rest
// of it.
// The ground's tone for a colour at pixel (x, y): the nearest of its ramp
// once moved by the ordered dither's threshold, so the sunburst reads as
// dithered bands of a few tones, as the figure does.
Couleur TonFond(const std::vector<Couleur>& rampe, Couleur c, int x, int y) {
    const double d = (SeuilTrame(x, y) - 0.5) * 0.14;
    c = {c.r + d, c.g + d, c.b + d};
    double meilleur = 1e9;
    Couleur choix = c;
    for (const Couleur& t : rampe) {
        const double r = c.r - t.r, g = c.g - t.g, b = c.b - t.b;
        const double e = 3 * r * r + 4 * g * g + 2 * b * b;
        if (e < meilleur) {
            meilleur = e;
            choix = t;
        }
    }
    return choix;
}

void DetacheFigure(Toile* toile, const Masque& sil, double sx, double sy, Couleur clair,
                   Couleur fonce, const std::vector<Couleur>& fond) {
    const int l = toile->largeur, h = toile->hauteur;
    const std::vector<float> dedans = DistanceBord(sil, true);
    const std::vector<float> dehors = DistanceBord(sil, false);
    auto D = [&](int x, int y) {
        x = std::clamp(x, 0, l - 1);
        y = std::clamp(y, 0, h - 1);
        const size_t i = size_t(y) * l + x;
        return double(dedans[i]) - double(dehors[i]);
    };
    const Couleur rim = Melange(clair, {1, 1, 1}, 0.35);
    const Couleur ombre = Melange(fonce, {0, 0, 0}, 0.6);
    AccesPixels px(toile);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < l; ++x) {
            const size_t i = size_t(y) * l + x;
            Couleur c = px.Lit(x, y);
            const double a = sil.v[i];
            // Toward the sun, in the picture's plane.
            const double vx = sx - x, vy = sy - y, vn = std::hypot(vx, vy) + 1e-9;
            if (a < 0.5) {
                // The ground: darker the further from the sun, painted in its
                // ramp up to the figure's edge, so the outline is a crisp
                // row of dark pixels rather than a blend.
                const double loin = std::clamp(vn / 520.0, 0.0, 1.0);
                c = Melange(c, ombre, 0.55 * loin * loin);
                if (dehors[i] < 1.5) c = Melange(c, ombre, 0.7 * (1.5 - dehors[i]) / 1.5);
                px.Ecrit(x, y, TonFond(fond, c, x, y));
                continue;
            }
            // The figure keeps its painted palette; the rim is laid over it
            // as a hand would, in flat pixels: within 2 pixels of the outline
            // where it faces the sun, the inner row only where it faces it
            // squarely.
            Couleur f = c;
            const double d = dedans[i];
            if (d < 2.5) {
                const double nx = D(x - 2, y) - D(x + 2, y), ny = D(x, y - 2) - D(x, y + 2);
                const double nn = std::hypot(nx, ny);
                if (nn > 0) {
                    const double face = (nx * vx + ny * vy) / (nn * vn);
                    if (face > (d < 1.2 ? 0.25 : 0.6)) f = rim;
                }
            }
            px.Ecrit(x, y, Melange(c, f, std::min(1.0, a)));
        }
}

// A portrait: the sunburst in the person's two colours on the side of the
// screen, its light drawn out in rays behind the figure, then the bust at
// its computer traced over it; the name is shown in the band under it.
void DessinePortrait(Recueil* recueil, const char* nom, bool musicien, Couleur clair, Couleur fonce,
                     Couleur contre) {
    Toile toile(640, 340);
    cairo_t* cr = toile.cr;
    const double sx = musicien ? 110 : 530, sy = 70;
    const Couleur milieu = Melange(fonce, clair, 0.4);
    cairo_pattern_t* fond = cairo_pattern_create_radial(sx, sy, 10, sx, sy, 620);
    cairo_pattern_add_color_stop_rgb(fond, 0, clair.r, clair.g, clair.b);
    cairo_pattern_add_color_stop_rgb(fond, 0.3, milieu.r, milieu.g, milieu.b);
    cairo_pattern_add_color_stop_rgb(fond, 1, fonce.r * 0.5, fonce.g * 0.5, fonce.b * 0.5);
    cairo_set_source(cr, fond);
    cairo_paint(cr);
    cairo_pattern_destroy(fond);
    // Rays of two widths, fading with the distance from the sun.
    for (int i = 0; i < 32; i += 2) {
        const double a0 = i * M_PI / 16 + 0.05, a1 = (i + (i % 4 ? 0.7 : 1.2)) * M_PI / 16;
        cairo_move_to(cr, sx, sy);
        cairo_line_to(cr, sx + 900 * std::cos(a0), sy + 900 * std::sin(a0));
        cairo_line_to(cr, sx + 900 * std::cos(a1), sy + 900 * std::sin(a1));
        cairo_close_path(cr);
    }
    cairo_pattern_t* rais = cairo_pattern_create_radial(sx, sy, 0, sx, sy, 600);
    cairo_pattern_add_color_stop_rgba(rais, 0, clair.r, clair.g, clair.b, 0.5);
    cairo_pattern_add_color_stop_rgba(rais, 1, clair.r, clair.g, clair.b, 0.0);
    cairo_set_source(cr, rais);
    cairo_fill(cr);
    cairo_pattern_destroy(rais);
    // The sun's white core.
    cairo_pattern_t* coeur = cairo_pattern_create_radial(sx, sy, 0, sx, sy, 70);
    cairo_pattern_add_color_stop_rgba(coeur, 0, 1, 1, 1, 0.9);
    cairo_pattern_add_color_stop_rgba(coeur, 1, clair.r, clair.g, clair.b, 0);
    cairo_set_source(cr, coeur);
    cairo_paint(cr);
    cairo_pattern_destroy(coeur);
    Masque silhouette;
    DessineBuste(&toile, musicien, &silhouette);
    // The ground's ramp: the person's dark colour sinking toward black, up
    // through the sun's colour to its white core; each tone on the screen's
    // 5-6-5 steps.
    std::vector<Couleur> fondTons;
    for (const double k : {0.25, 0.5, 0.8})
        fondTons.push_back({fonce.r * k, fonce.g * k, fonce.b * k});
    for (const double k : {0.25, 0.5, 0.75, 1.0}) fondTons.push_back(Melange(fonce, clair, k));
    fondTons.push_back(Melange(clair, {1, 1, 1}, 0.6));
    fondTons.push_back({1, 1, 1});
    for (Couleur& t : fondTons) {
        const auto pas = [](double v, int n) {
            const int k = int(std::lround(std::clamp(v, 0.0, 1.0) * n));
            return (n == 31 ? Etend5(k) : Etend6(k)) / 255.0;
        };
        t = {pas(t.r, 31), pas(t.g, 63), pas(t.b, 31)};
    }
    DetacheFigure(&toile, silhouette, sx, sy, contre, fonce, fondTons);
    Finition f;
    recueil->images.push_back(Finit(toile, nom, f));
}

// The turning torus, traced pixel by pixel: smooth shading with a specular
// highlight and a rim light, casting a soft shadow on the grid floor under
// a horizon glow.
void DessineMolkar(Recueil* recueil, int image) {
    char nom[16];
    std::snprintf(nom, sizeof nom, "Molkar%02d", image);
    Toile toile(640, 340);
    cairo_t* cr = toile.cr;
    DegradeVertical(cr, 640, 340, {Rvb(6, 2, 20), Rvb(30, 8, 50), Rvb(120, 30, 80)});
    // Floor grid scrolling toward the viewer, one step per frame.
    cairo_rectangle(cr, 0, 250, 640, 90);
    cairo_set_source_rgb(cr, 0.05, 0.0, 0.1);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, 1.0, 0.4, 0.9, 0.8);
    cairo_set_line_width(cr, 1.2);
    for (int i = -24; i <= 24; ++i) {
        cairo_move_to(cr, 320 + i * 16, 250);
        cairo_line_to(cr, 320 + i * 90, 340);
    }
    const double decalage = (image - 1) / 21.0;
    for (int k = 0; k < 8; ++k) {
        const double z = (k + decalage) / 8.0;
        const double y = 250 + 90 * z * z;
        cairo_move_to(cr, 0, y);
        cairo_line_to(cr, 640, y);
    }
    cairo_stroke(cr);
    cairo_pattern_t* halo = cairo_pattern_create_linear(0, 220, 0, 252);
    cairo_pattern_add_color_stop_rgba(halo, 0, 1, 0.5, 0.8, 0);
    cairo_pattern_add_color_stop_rgba(halo, 1, 1, 0.6, 0.9, 0.7);
    cairo_set_source(cr, halo);
    cairo_rectangle(cr, 0, 220, 640, 32);
    cairo_fill(cr);
    cairo_pattern_destroy(halo);
    // The ring's own light thrown down on the grid: a wide pool of pink
    // under it, in which its shadow then sits.
    cairo_save(cr);
    cairo_rectangle(cr, 0, 250, 640, 90);
    cairo_clip(cr);
    cairo_translate(cr, 350, 305);
    cairo_scale(cr, 1, 0.2);
    cairo_pattern_t* flaque = cairo_pattern_create_radial(0, 0, 0, 0, 0, 250);
    cairo_pattern_add_color_stop_rgba(flaque, 0, 1, 0.55, 0.85, 0.5);
    cairo_pattern_add_color_stop_rgba(flaque, 0.55, 1, 0.4, 0.8, 0.22);
    cairo_pattern_add_color_stop_rgba(flaque, 1, 1, 0.4, 0.8, 0);
    cairo_set_source(cr, flaque);
    cairo_arc(cr, 0, 0, 250, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(flaque);
    cairo_restore(cr);
    // The torus, turned about two axes; 21 frames make one whole loop.
    // The ring spins on its own axis by two 28ths of a turn per loop and
    // rocks gently, so that frame 21 leads back into frame 1; its mirror
    // shows the rocking as the sky and the grid sliding over it.
    const int nu = 28;
    const double phase = 2 * M_PI * (image - 1) / 21.0;
    const double spin = 2 * (2 * M_PI * 4 / nu) * (image - 1) / 21.0;
    const double ax = 1.15 + 0.22 * std::sin(phase), ay = 0.35 * std::sin(phase + 1.0);
    // Small enough that the ring's top clears the frame's window by more
    // than a dozen rows at the highest point of its tumble.
    const double R = 0.95, r = 0.4;
    struct V {
        double x, y, z;
    };
    auto plus = [](V a, V b) { return V{a.x + b.x, a.y + b.y, a.z + b.z}; };
    auto fois = [](V a, double k) { return V{a.x * k, a.y * k, a.z * k}; };
    auto scal = [](V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; };
    auto unit = [&](V a) { return fois(a, 1.0 / std::sqrt(scal(a, a))); };
    // The ring's frame: spin about its axis, tilt about X, rock about Y; the
    // columns of the turn map the ring's coordinates to the world's.
    const double cs = std::cos(spin), ss = std::sin(spin), cx = std::cos(ax), sx = std::sin(ax);
    const double cy = std::cos(ay), sy = std::sin(ay);
    auto monde = [&](V p) {
        const V o{p.x * cs - p.y * ss, p.x * ss + p.y * cs, p.z};
        const V q{o.x, o.y * cx - o.z * sx, o.y * sx + o.z * cx};
        return V{q.x * cy + q.z * sy, q.y, -q.x * sy + q.z * cy};
    };
    auto local = [&](V p) {
        const V q{p.x * cy - p.z * sy, p.y, p.x * sy + p.z * cy};
        const V o{q.x, q.y * cx + q.z * sx, -q.y * sx + q.z * cx};
        return V{o.x * cs + o.y * ss, -o.x * ss + o.y * cs, o.z};
    };
    auto distance = [&](V p) {
        const V q = local(p);
        const double a = std::sqrt(q.x * q.x + q.y * q.y) - R;
        return std::sqrt(a * a + q.z * q.z) - r;
    };
    // The eye 4.2 in front of the ring's centre, seen at row 158; 108
    // pixels per unit there.
    const V oeil{0, 0, -4.2};
    const double centre = 158;
    auto rayon = [&](double px, double py) {
        return unit(V{(px - 320) / 453.6, (py - centre) / 453.6, 1.0});
    };
    // Toward the light: high above, a little to the left and in front.
    const V lumiere = unit(V{-0.35, -1.0, -0.15});
    // Where a ray meets the ring (false when it misses).
    auto touche = [&](V o, V d, double* t) {
        double s = 2.0;
        for (int k = 0; k < 64 && s < 8.0; ++k) {
            const double e = distance(plus(o, fois(d, s)));
            if (e < 1e-4) {
                *t = s;
                return true;
            }
            s += e;
        }
        return false;
    };
    cairo_surface_flush(toile.surface);
    unsigned char* data = cairo_image_surface_get_data(toile.surface);
    const int pas = cairo_image_surface_get_stride(toile.surface);
    auto lit = [&](int x, int y) {
        const uint32_t p = reinterpret_cast<uint32_t*>(data + size_t(y) * pas)[x];
        return Couleur{((p >> 16) & 255) / 255.0, ((p >> 8) & 255) / 255.0, (p & 255) / 255.0};
    };
    // The floor: the plane 1.5 below the ring's centre; its pixels darken
    // where the ring stands between them and the light (a soft shadow).
    for (int y = 250; y < 340; ++y) {
        const double ty = 1.5 / ((y + 0.5 - centre) / 453.6);
        for (int x = 0; x < 640; ++x) {
            const V d = rayon(x + 0.5, y + 0.5);
            const V sol = plus(oeil, fois(d, ty / d.z * 1.0));
            double ombre = 1.0, s = 0.05;
            for (int k = 0; k < 40 && s < 6; ++k) {
                const double e = distance(plus(sol, fois(lumiere, s)));
                if (e < 1e-3) {
                    ombre = 0;
                    break;
                }
                ombre = std::min(ombre, 6.0 * e / s);
                s += std::max(e, 0.02);
            }
            ombre = std::clamp(ombre, 0.0, 1.0);
            if (ombre >= 1.0) continue;
            const Couleur c = Melange(Rvb(6, 0, 14), lit(x, y), 0.12 + 0.88 * ombre);
            reinterpret_cast<uint32_t*>(data + size_t(y) * pas)[x] = Argb(c);
        }
    }
    // The ring in chrome, four rays a pixel: each ray bounces off the ring
    // and picks up what the mirror sees. Upward, the sky from deep blue at
    // the top through cyan to a magenta horizon; downward, the sunset's gold
    // glow on the horizon falling to the magenta floor and its grid; and a
    // hot white-gold highlight where the light itself is reflected. The
    // horizon's magenta lies between the cyan and the gold, so that no
    // blend of the two turns green.
    auto ciel = [&](V r) {
        const double h = std::clamp(-r.y, 0.0, 1.0);
        if (h < 0.25) return Melange(Rvb(255, 80, 200), Rvb(90, 210, 255), h / 0.25);
        return Melange(Rvb(90, 210, 255), Rvb(40, 50, 190), std::min(1.0, (h - 0.25) / 0.75));
    };
    auto sol = [&](V p, V r) {
        const double h = std::clamp(r.y, 0.0, 1.0);
        Couleur c = Melange(Rvb(255, 190, 70), Rvb(150, 20, 120), std::min(1.0, h / 0.35));
        // The grid's lines where the bounced ray meets the floor.
        if (r.y > 0.02) {
            const double t = (1.5 - p.y) / r.y;
            const double gx = p.x + r.x * t, gz = p.z + r.z * t + decalage * 0.6;
            const double lx = std::abs(gx * 1.6 - std::round(gx * 1.6));
            const double lz = std::abs(gz * 1.6 - std::round(gz * 1.6));
            const double trait = std::min(lx, lz) < 0.07 ? std::max(0.0, 1.0 - t / 7.0) : 0.0;
            c = Melange(c, Rvb(255, 110, 235), trait);
        }
        return Melange(Rvb(255, 80, 200), c, std::min(1.0, h / 0.06));
    };
    for (int y = 0; y < 290; ++y) {
        for (int x = 120; x < 520; ++x) {
            Couleur somme{0, 0, 0};
            int touches = 0;
            for (int e = 0; e < 4; ++e) {
                const V d = rayon(x + 0.25 + 0.5 * (e & 1), y + 0.25 + 0.5 * (e >> 1));
                double t = 0;
                if (!touche(oeil, d, &t)) continue;
                ++touches;
                const V p = plus(oeil, fois(d, t));
                const V q = local(p);
                const double rq = std::sqrt(q.x * q.x + q.y * q.y);
                const V centre{q.x / rq * R, q.y / rq * R, 0};
                const V n = unit(monde(V{q.x - centre.x, q.y - centre.y, q.z}));
                const V r = plus(d, fois(n, -2 * scal(d, n)));
                // Inside the hole the ring mostly sees itself: darker.
                double ouvert = 1.0, s = 0.05;
                for (int k = 0; k < 24 && s < 3; ++k) {
                    const double e2 = distance(plus(p, fois(r, s)));
                    if (e2 < 1e-3) {
                        ouvert = 0.35;
                        break;
                    }
                    s += std::max(e2, 0.02);
                }
                Couleur c = r.y < 0 ? ciel(r) : sol(p, r);
                c = Melange(Rvb(30, 8, 50), c, ouvert * 0.92);
                const double reflet = std::pow(std::max(0.0, scal(r, lumiere)), 40.0);
                c = Melange(c, Rvb(255, 240, 200), std::min(1.0, reflet * 1.5));
                somme = {somme.r + c.r, somme.g + c.g, somme.b + c.b};
            }
            if (touches == 0) continue;
            const Couleur fond = lit(x, y);
            const double k = touches / 4.0;
            const Couleur c{somme.r / touches, somme.g / touches, somme.b / touches};
            reinterpret_cast<uint32_t*>(data + size_t(y) * pas)[x] = Argb(Melange(fond, c, k));
        }
    }
    cairo_surface_mark_dirty(toile.surface);
    Finition f;
    f.grain = 1.5;
    recueil->images.push_back(Finit(toile, nom, f));
}

}  // namespace

void DessineGenerique(Recueil* recueil) {
    // Labels and names in one slanted face, so the credits read as one
    // family: the labels only smaller and drawn with a heavier stroke.
    DessineMot(recueil, "Code", {"CODE", kPoliceTexte, 0, 0, 1, Forme::ZeroBarre, 0.2, true},
               false);
    DessineMot(recueil, "Gfx", {"GFX", kPoliceTexte, 0, 0, 2, Forme::Croix, 0.2, true}, false);
    DessineMot(recueil, "Zic", {"ZIC", kPoliceTexte, 0, 0, 1, Forme::Note, 0.2, true}, false);
    DessineMot(recueil, "Kabo", {"KABO", kPoliceTexte, 0, 0, 3, Forme::Anneau, 0.2, false}, true);
    DessineMot(recueil, "Dolo", {"DOLO", kPoliceTexte, 0, 0, 1, Forme::Disque, 0.2, false}, true);
    // The musician's rim in the amber of her sunburst, the coder's in
    // magenta against his cyan one.
    DessinePortrait(recueil, "ImgDolo", true, Rvb(255, 190, 110), Rvb(90, 20, 60),
                    Rvb(255, 190, 110));
    DessinePortrait(recueil, "ImgKabo", false, Rvb(150, 240, 255), Rvb(20, 30, 90),
                    Rvb(255, 110, 210));
    for (int i = 1; i <= 21; ++i) DessineMolkar(recueil, i);
}

}  // namespace forge
