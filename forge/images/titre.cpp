// Title pictures: the ramp the title logo rides and its exact silhouette, the
// title logo KAZZMOT, the stage and the six chrome letters that fall onto it.
// Palette: night violet sky, cyan-to-magenta chrome.
#include <algorithm>
#include <cmath>
#include <string>

#include "forge_images.h"

namespace forge {

namespace {

// Exact top edge of the ramp (fractional row): high at the right, sloping down
// to the left like a ski jump.
double CourbeRampe(double x) {
    const double u = 1.0 - x / 639.0;
    return 150.0 + 250.0 * std::pow(u, 1.5) + 6.0 * std::sin(x / 640.0 * 2 * M_PI);
}

const Couleur kCielBas = Rvb(60, 24, 90);
// The stage colour behind the falling letters.
const Couleur kScene = Rvb(40, 20, 72);

// Chrome palette of the title.
const Couleur kChromeHaut = Rvb(40, 200, 255);
const Couleur kChromeHorizon = Rvb(255, 255, 255);
const Couleur kChromeBas = Rvb(230, 40, 170);
const Couleur kContour = Rvb(16, 2, 40);

// The title's lettering as a mask: the word stretched into its box, the O
// drawn as a ring of our own, the two Zs joined by their bars into one
// sign, and a slit cut across every letter at the chrome's horizon.
struct MotTitre {
    const char* texte;
    double x, y, l, h;
};

// Rows where the stroke crossing column x starts and ends, going down from
// the top of the canvas (the first run of inked pixels).
void PremierTrait(cairo_surface_t* s, int x, int* debut, int* fin) {
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int pas = cairo_image_surface_get_stride(s);
    const int h = cairo_image_surface_get_height(s);
    *debut = *fin = -1;
    for (int y = 0; y < h; ++y) {
        const bool encre = data[size_t(y) * pas + x] >= 128;
        if (encre && *debut < 0) *debut = y;
        if (!encre && *debut >= 0) {
            *fin = y;
            return;
        }
    }
    if (*debut >= 0) *fin = h;
}

// The face's K, A and M read as H, n and III at a distance: they are cut
// here in its weight instead, inside the box the face gives them. K: a stem
// and two diagonals meeting at its middle; A: two slanted legs under a flat
// top, a crossbar high above the slit; M: two stems and a V down to the
// middle.
void TraceLettrePropre(cairo_t* cr, char lettre, const Glyphe& b, double trait) {
    const double x0 = b.x0, x1 = b.x1, y0 = b.y0, y1 = b.y1;
    const double cx = (x0 + x1) / 2, h = y1 - y0;
    cairo_save(cr);
    cairo_rectangle(cr, x0, y0, x1 - x0, h);
    cairo_clip(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    auto trace = [&](double ax, double ay, double bx, double by, double l) {
        // Carried well past both ends, so the box's edges cut them flat.
        const double dx = bx - ax, dy = by - ay, n = std::hypot(dx, dy);
        cairo_move_to(cr, ax - dx / n * l, ay - dy / n * l);
        cairo_line_to(cr, bx + dx / n * l, by + dy / n * l);
        cairo_set_line_width(cr, l);
        cairo_stroke(cr);
    };
    if (lettre == 'K') {
        cairo_rectangle(cr, x0, y0, trait, h);
        cairo_fill(cr);
        const double ym = y0 + h * 0.52;
        trace(x0 + trait * 0.9, ym, x1 - trait * 0.55, y0, trait * 1.05);
        trace(x0 + trait * 1.6, ym - trait * 0.3, x1 - trait * 0.55, y1, trait * 1.1);
    } else if (lettre == 'A') {
        trace(x0 + trait * 0.55, y1, cx - trait * 0.35, y0, trait * 1.05);
        trace(x1 - trait * 0.55, y1, cx + trait * 0.35, y0, trait * 1.05);
        cairo_rectangle(cr, cx - trait * 0.9, y0, trait * 1.8, trait);
        cairo_rectangle(cr, x0, y0 + h * 0.4, x1 - x0, trait * 0.7);
        cairo_fill(cr);
    } else if (lettre == 'M') {
        cairo_rectangle(cr, x0, y0, trait, h);
        cairo_rectangle(cr, x1 - trait, y0, trait, h);
        cairo_fill(cr);
        // The V as one filled band with a sharp point, ending just above
        // the slit so that the slit never leaves a stub of it below.
        const double fond = y0 + h * 0.5, ax = x0 + trait * 0.4;
        const double pente = std::atan2(fond - y0, cx - ax);
        const double dv = trait * 0.9 / std::cos(pente), dx = dv / std::tan(pente);
        cairo_move_to(cr, ax, y0);
        cairo_line_to(cr, cx, fond);
        cairo_line_to(cr, x1 - (ax - x0), y0);
        cairo_line_to(cr, x1 - (ax - x0) - dx, y0);
        cairo_line_to(cr, cx, fond - dv);
        cairo_line_to(cr, ax + dx, y0);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    cairo_restore(cr);
}

void DessinMotTitre(cairo_t* cr, void* donnees) {
    const MotTitre* m = static_cast<const MotTitre*>(donnees);
    const std::string texte = m->texte;
    const int o = int(texte.find('O'));
    std::vector<int> propres = {o};
    for (size_t i = 0; i < texte.size(); ++i)
        if (texte[i] == 'K' || texte[i] == 'A' || texte[i] == 'M') propres.push_back(int(i));
    const std::vector<Glyphe> g =
        CheminMotSauf(cr, Police(kPoliceTitre), m->texte, m->x, m->y, m->l, m->h, true, propres);
    cairo_fill(cr);
    cairo_surface_t* cible = cairo_get_target(cr);
    // The face's stroke is about a sixth of its height.
    const double trait = m->h * 0.165;
    for (size_t i = 0; i < texte.size(); ++i) TraceLettrePropre(cr, texte[i], g[i], trait);
    int debut = 0, fin = 0;
    if (o >= 0) {
        // A squarish ring, its counter left clear.
        const Glyphe b = g[size_t(o)];
        CheminAnneau(cr, b, trait * 1.05, 0.62);
        cairo_fill(cr);
    }
    // The two Zs share their top and bottom bars.
    const size_t zz = texte.find("ZZ");
    if (zz != std::string::npos) {
        const Glyphe& a = g[zz];
        const Glyphe& b = g[zz + 1];
        PremierTrait(cible, int((a.x0 + a.x1) / 2), &debut, &fin);
        const double barre = fin - debut;
        cairo_rectangle(cr, a.x1 - barre, a.y0, b.x0 - a.x1 + 2 * barre, barre);
        cairo_rectangle(cr, a.x1 - barre, a.y1 - barre, b.x0 - a.x1 + 2 * barre, barre);
        cairo_fill(cr);
    }
    // The slit: a thin cut across the letters, rising a little to the right.
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    const double yf = m->y + m->h * 0.54, pente = m->h * 0.05 / m->l;
    const double ep = std::max(1.6, m->h * 0.028);
    cairo_move_to(cr, 0, yf);
    cairo_line_to(cr, m->x + m->l + 20, yf - pente * (m->l + 20));
    cairo_line_to(cr, m->x + m->l + 20, yf - pente * (m->l + 20) + ep);
    cairo_line_to(cr, 0, yf + ep);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
}

// The title's chrome: sky cyan above the horizon, magenta below, and a
// violet extrusion.
Matiere MatiereTitre(double y0, double y1, double relief, int eclats) {
    Matiere m;
    const Couleur clair = Melange(kChromeHaut, {1, 1, 1}, 0.55);
    m.reflets = {Melange(kChromeHaut, Rvb(20, 40, 120), 0.35),
                 kChromeHaut,
                 clair,
                 kChromeHorizon,
                 Melange(kChromeBas, {0, 0, 0}, 0.5),
                 kChromeBas,
                 Melange(kChromeBas, Rvb(255, 200, 120), 0.5)};
    m.y0 = y0;
    m.y1 = y1;
    m.biseau = 4.5;
    m.lissage = 1.3;
    m.relief = relief;
    m.flanc = Rvb(120, 40, 170);
    m.contour = kContour;
    m.epaisseur = 2;
    m.eclats = eclats;
    m.eclat = 16;
    return m;
}

// The box of a falling letter inside its picture. The letters land at a
// fixed pitch, so each is shifted inside its own picture to even out the
// gaps the eye sees between them (the O's and the M's upright sides need
// more air than the open sides of K, A, Z and T). The box stops short of
// the picture's bottom, leaving rows for the shadow at its foot.
MotTitre BoiteLettre(const char* lettre) {
    const EntreeCatalogue* e = TrouveEntree(lettre);
    const struct {
        char lettre;
        double decalage;
    } approche[] = {{'K', 3}, {'A', 1}, {'Z', 1}, {'M', -1}, {'O', 4}, {'T', 3}};
    double dx = 0;
    for (const auto& a : approche)
        if (a.lettre == lettre[0]) dx = a.decalage;
    return {lettre, 4 + dx, 9, e->largeur - 18.0, e->hauteur - 20.0};
}

// The shadow a letter casts on the floor round its foot, so that it stands
// on the stage instead of hanging over it: a flat dark ellipse under the
// lowest rows of ink, laid only where the picture is still clear. The
// letters are keyed on black, so the shadow is opaque: a smooth gradient,
// near black under the foot and easing out to the near floor's own violet at
// its rim, so that it reads as a shadow on the floor and on the road alike.
void OmbrePied(Toile* toile) {
    cairo_surface_flush(toile->surface);
    unsigned char* data = cairo_image_surface_get_data(toile->surface);
    const int pas = cairo_image_surface_get_stride(toile->surface);
    const int l = toile->largeur, h = toile->hauteur;
    const auto pixel = [&](int x, int y) -> uint32_t& {
        return reinterpret_cast<uint32_t*>(data + size_t(y) * pas)[x];
    };
    int pied = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < l; ++x)
            if ((pixel(x, y) >> 24) >= 128) pied = y;
    if (pied < 0) return;
    int gauche = l, droite = -1;
    for (int y = std::max(0, pied - 16); y <= pied; ++y)
        for (int x = 0; x < l; ++x)
            if ((pixel(x, y) >> 24) >= 128) {
                gauche = std::min(gauche, x);
                droite = std::max(droite, x);
            }
    const double cx = (gauche + droite + 1) / 2.0, rx = (droite + 1 - gauche) / 2.0 + 9;
    const double cy = pied + 1, ry = 7;
    for (int y = std::max(0, pied - 8); y < h; ++y)
        for (int x = 0; x < l; ++x) {
            uint32_t& p = pixel(x, y);
            if ((p >> 24) != 0) continue;
            const double u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry, q = u * u + v * v;
            if (q >= 1) continue;
            // Darkest under the foot, nearer the floor's own violet outward.
            const Couleur c = Melange(Rvb(4, 1, 10), Rvb(17, 5, 34), std::pow(q, 1.6));
            p = 0xFF000000u | (uint32_t(c.r * 255 + 0.5) << 16) | (uint32_t(c.g * 255 + 0.5) << 8) |
                uint32_t(c.b * 255 + 0.5);
        }
    cairo_surface_mark_dirty(toile->surface);
}

void DessineLettre(Recueil* recueil, const char* lettre) {
    const EntreeCatalogue* e = TrouveEntree(lettre);
    Toile toile(e->largeur, e->hauteur);
    MotTitre mot = BoiteLettre(lettre);
    const Masque m = MasqueDessine(e->largeur, e->hauteur, DessinMotTitre, &mot);
    // A glint on three letters only, each at its own spot, as fractions of
    // the letter's box: the A's left leg, the M's inner stem, the O's lower right.
    Matiere mat = MatiereTitre(mot.y, mot.y + mot.h, 4, 0);
    const struct {
        char lettre;
        double u, v;
    } eclats[] = {{'A', 0.1, 0.6}, {'M', 0.9, 0.8}, {'O', 0.82, 0.72}};
    for (const auto& e : eclats)
        if (e.lettre == lettre[0]) {
            mat.eclats = 1;
            mat.eclatX = mot.x + e.u * mot.l;
            mat.eclatY = mot.y + e.v * mot.h;
        }
    PeintMatiere(&toile, m, mat);
    OmbrePied(&toile);
    Finition f;
    f.cle = Cle::Noir;
    f.fond = kScene;
    recueil->images.push_back(Finit(toile, lettre, f));
}

void DessineKazzmot(Recueil* recueil) {
    Toile toile(578, 112);
    MotTitre mot{"KAZZMOT", 4, 5, 562, 94};
    const Masque m = MasqueDessine(578, 112, DessinMotTitre, &mot);
    PeintMatiere(&toile, m, MatiereTitre(mot.y, mot.y + mot.h, 6, 3));
    Finition f;
    f.cle = Cle::Noir;
    f.fond = kCielBas;
    recueil->images.push_back(Finit(toile, "Kazzmot", f));
}

// The sky of the title's world, down to the horizon: night violet paling
// to a sunset glow along the horizon, stars, and the sun hanging high over
// column 320 with its lower half cut by slits that widen downward. Its disc
// stays clear above the landed word, framed between the stars.
void PeintCielTitre(cairo_t* cr) {
    const double horizon = kHorizonScene, sx = 320, sy = kSoleilHaut, r = kSoleilRayon;
    DegradeVertical(cr, 640, int(horizon) + 1,
                    {Rvb(8, 4, 28), Rvb(28, 12, 60), kScene, Rvb(90, 30, 105)});
    Alea alea(GraineDe("Support2"));
    // Stars, none in the sun's glare and none in the top rows: when the
    // title drains away, the falling strips smear those rows down the lower
    // half of the screen, where a star would leave a dotted trail.
    cairo_save(cr);
    cairo_rectangle(cr, 0, 20, 640, horizon - 20);
    cairo_arc_negative(cr, sx, sy, r + 48, 2 * M_PI, 0);
    cairo_clip(cr);
    Etoiles(cr, &alea, 0, 0, 640, horizon - 40, 90, Rvb(190, 170, 255), 0.8);
    cairo_restore(cr);
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, 640, horizon);
    cairo_clip(cr);
    // The sunset's glow along the horizon, then the sun's own halo.
    cairo_save(cr);
    cairo_translate(cr, sx, horizon);
    cairo_scale(cr, 1.0, 0.45);
    cairo_pattern_t* couchant = cairo_pattern_create_radial(0, 0, 10, 0, 0, 340);
    cairo_pattern_add_color_stop_rgba(couchant, 0, 1, 0.4, 0.7, 0.5);
    cairo_pattern_add_color_stop_rgba(couchant, 1, 0.5, 0.1, 0.6, 0);
    cairo_set_source(cr, couchant);
    cairo_paint(cr);
    cairo_pattern_destroy(couchant);
    cairo_restore(cr);
    cairo_pattern_t* halo = cairo_pattern_create_radial(sx, sy, r, sx, sy, r + 70);
    cairo_pattern_add_color_stop_rgba(halo, 0, 1, 0.45, 0.6, 0.45);
    cairo_pattern_add_color_stop_rgba(halo, 0.35, 0.9, 0.25, 0.6, 0.18);
    cairo_pattern_add_color_stop_rgba(halo, 1, 0.5, 0.1, 0.6, 0);
    cairo_set_source(cr, halo);
    cairo_paint(cr);
    cairo_pattern_destroy(halo);
    cairo_push_group(cr);
    cairo_pattern_t* soleil = cairo_pattern_create_linear(0, sy - r, 0, sy + r);
    cairo_pattern_add_color_stop_rgb(soleil, 0, 1.0, 0.92, 0.5);
    cairo_pattern_add_color_stop_rgb(soleil, 0.5, 1.0, 0.62, 0.3);
    cairo_pattern_add_color_stop_rgb(soleil, 1, 0.95, 0.25, 0.55);
    cairo_set_source(cr, soleil);
    cairo_arc(cr, sx, sy, r, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(soleil);
    // The slits, clipped to the disc so that none reaches the sky.
    cairo_arc(cr, sx, sy, r, 0, 2 * M_PI);
    cairo_clip(cr);
    for (int i = 0; i < 5; ++i) {
        const double y = sy + 5 + i * 7.5 + i * i * 0.6;
        cairo_rectangle(cr, 0, y, 640, 1.5 + i * 0.8);
    }
    const Couleur fente = Melange(kScene, Rvb(120, 30, 110), 0.35);
    cairo_set_source_rgb(cr, fente.r, fente.g, fente.b);
    cairo_fill(cr);
    cairo_pop_group_to_source(cr);
    cairo_paint(cr);
    cairo_restore(cr);
}

// Colour of the ramp body at depth d rows under its top edge, column x: a
// neon road of dark glossy violet, ruled by glowing rails parallel to its
// edge that spread apart toward the viewer like the floor's cross lines,
// cyan near the crest and magenta lower down, under a diagonal sheen.
Couleur CouleurRampe(int x, double d) {
    if (d < 3) return Rvb(250, 245, 255);  // bright rim along the top edge
    const double profondeur = std::min(1.0, d / 240.0);
    Couleur c = Melange(Rvb(70, 44, 150), Rvb(18, 6, 44), std::pow(profondeur, 0.6));
    // Rail k lies at 6 + 7 (1.32^k - 1) rows: t is the rail index, its
    // distance to the nearest rail turned back into rows.
    const double t = d < 6 ? 0.0 : std::log(1 + (d - 6) / 7.0) / std::log(1.32);
    const double ecart = std::abs(t - std::round(t)) * 7 * std::log(1.32) * std::pow(1.32, t);
    const Couleur neon = Melange(Rvb(90, 230, 255), Rvb(255, 70, 200), std::min(1.0, t / 7.0));
    c = Melange(c, neon, 0.35 * std::exp(-ecart * ecart / 16.0));
    c = Melange(c, neon, 0.7 * std::exp(-ecart * ecart / 3.0));
    // A glossy streak of the sunset's light lying along the rails a little
    // below the crest, swelling and thinning along the ramp; the rails
    // inside it run hot, nearly white.
    const double bande = std::exp(-std::pow((t - 4.2) / 1.1, 2)) *
                         (0.55 + 0.45 * std::sin(x / 640.0 * 1.3 * M_PI + 0.4));
    c = Melange(c, Rvb(255, 150, 230), 0.28 * bande);
    c = Melange(c, Rvb(255, 235, 250), 0.6 * bande * std::exp(-ecart * ecart / 2.0));
    // A faint diagonal sheen sliding along the ramp.
    const double reflet = std::exp(-std::pow((std::fmod(x + d * 1.5, 260.0) - 130) / 30.0, 2));
    return Melange(c, Rvb(255, 255, 255), 0.22 * reflet * (1 - profondeur));
}

// The floor's lines across, at equal steps of depth from far away down to
// row bas, at the given opacity.
void LignesTravers(cairo_t* cr, double bas, double opacite) {
    const double horizon = kHorizonScene, bord = 256, profondeur = bord - horizon;
    for (double z = 60; horizon + profondeur * 4 / z < bas; z /= 1.22) {
        const double y = std::floor(horizon + profondeur * 4 / z) + 0.5;
        const double force = std::min(1.0, 1.6 * (y - horizon) / profondeur + 0.25);
        cairo_set_line_width(cr, y > bord ? 2 : 1);
        cairo_set_source_rgba(cr, 0.86, 0.26, 0.7, (y > bord ? 0.75 : 0.9) * force * opacite);
        cairo_move_to(cr, 0, y);
        cairo_line_to(cr, 640, y);
        cairo_stroke(cr);
    }
}

// The floor of the title's world from the horizon down to row bas: a dark
// plane ruled by a grid in perspective (cross lines at equal steps of depth,
// lines along it running to the vanishing point under the sun). Painted the
// same on the stage and on the ramp's picture, so that below the stage the
// floor goes on down to the screen's bottom. Even where two lines cross it
// stays darker than the ramp's rim, which marks the ramp's edge.
void PeintSol(cairo_t* cr, double bas) {
    const double horizon = kHorizonScene, bord = 256, profondeur = bord - horizon;
    cairo_pattern_t* sol = cairo_pattern_create_linear(0, horizon, 0, bord);
    cairo_pattern_add_color_stop_rgb(sol, 0, 0.22, 0.06, 0.3);
    cairo_pattern_add_color_stop_rgb(sol, 0.25, 0.08, 0.02, 0.16);
    // The near floor on a colour of the 5-6-5 grid: flat, no dither noise.
    cairo_pattern_add_color_stop_rgb(sol, 1, 16 / 255.0, 4 / 255.0, 32 / 255.0);
    cairo_set_source(cr, sol);
    cairo_rectangle(cr, 0, horizon, 640, bas - horizon);
    cairo_fill(cr);
    cairo_pattern_destroy(sol);
    cairo_set_line_width(cr, 1);
    LignesTravers(cr, bas, 1.0);
    cairo_set_line_width(cr, 1.4);
    // Lines along: toward the vanishing point, fading near the horizon.
    for (int i = -40; i <= 40; ++i) {
        const double xb = 320 + i * 64.0;
        const double x0 = 320 + (xb - 320) * 0.04;
        // Brightest at the stage's front edge, dimmer again toward the viewer.
        const double f = profondeur / std::max(profondeur, bas - horizon);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, horizon, 0, std::max(bord, bas));
        cairo_pattern_add_color_stop_rgba(p, 0, 0.86, 0.26, 0.7, 0.0);
        cairo_pattern_add_color_stop_rgba(p, 0.3 * f, 0.86, 0.26, 0.7, 0.5);
        cairo_pattern_add_color_stop_rgba(p, f, 0.86, 0.34, 0.74, 0.9);
        cairo_pattern_add_color_stop_rgba(p, 1, 0.86, 0.34, 0.74, f < 1 ? 0.4 : 0.9);
        cairo_set_source(cr, p);
        cairo_move_to(cr, x0, horizon);
        cairo_line_to(cr, x0 + (xb - x0) * (bas - horizon) / profondeur, bas);
        cairo_stroke(cr);
        cairo_pattern_destroy(p);
    }
}

void DessineRampes(Recueil* recueil) {
    Toile toile(640, 480);
    cairo_t* cr = toile.cr;
    // The same sky and sun as the stage's, so that nothing changes above
    // the horizon when the stage is laid over the ramp.
    PeintCielTitre(cr);
    // The floor, down to the bottom, with the horizon's glow; below the
    // stage its lines are softened a little, so they read as light rather
    // than as a hard pattern.
    {
        cairo_surface_t* sol = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 640, 480);
        cairo_t* c = cairo_create(sol);
        PeintSol(c, 480);
        cairo_destroy(c);
        FlouSurface(sol, 1);
        cairo_set_source_surface(cr, sol, 0, 0);
        cairo_rectangle(cr, 0, kHorizonScene, 640, 480 - kHorizonScene);
        cairo_fill(cr);
        cairo_surface_destroy(sol);
    }
    cairo_rectangle(cr, 0, kHorizonScene - 0.5, 640, 1.5);
    cairo_set_source_rgba(cr, 1.0, 0.6, 0.9, 0.6);
    cairo_fill(cr);

    // The ramp body, pixel by pixel, so that its edge is exactly the mask's.
    cairo_surface_flush(toile.surface);
    unsigned char* data = cairo_image_surface_get_data(toile.surface);
    const int pas = cairo_image_surface_get_stride(toile.surface);
    std::vector<uint16_t> masque(640 * 480, 0);
    for (int x = 0; x < 640; ++x) {
        const double yt = CourbeRampe(x);
        const int haut = HautRampe(x);
        for (int y = std::max(0, haut - 1); y < 480; ++y) {
            uint32_t* p = reinterpret_cast<uint32_t*>(data + size_t(y) * pas) + x;
            if (y == haut - 1) {
                // Soft edge: a touch of the rim on the sky row above it.
                const Couleur ciel = {((*p >> 16) & 255) / 255.0, ((*p >> 8) & 255) / 255.0,
                                      (*p & 255) / 255.0};
                // Never as bright as the rim itself, also over a floor line.
                const double somme = ciel.r + ciel.g + ciel.b, rebord = 750 / 255.0;
                const double part = std::clamp(
                    std::min(haut - yt, (510 / 255.0 - somme) / (rebord - somme)), 0.0, 1.0);
                const Couleur c = Melange(ciel, Rvb(250, 245, 255), part);
                *p = 0xFF000000u | (uint32_t(c.r * 255) << 16) | (uint32_t(c.g * 255) << 8) |
                     uint32_t(c.b * 255);
                continue;
            }
            // Four samples down the pixel at their exact depth under the
            // curve: the rim's lower edge and the rails come out smooth
            // instead of stepping from one row to the next.
            Couleur c = {0, 0, 0};
            for (int k = 0; k < 4; ++k) {
                const Couleur e = CouleurRampe(x, std::max(0.0, y + (k + 0.5) / 4 - yt));
                c = {c.r + e.r / 4, c.g + e.g / 4, c.b + e.b / 4};
            }
            *p = 0xFF000000u | (uint32_t(c.r * 255 + 0.5) << 16) |
                 (uint32_t(c.g * 255 + 0.5) << 8) | uint32_t(c.b * 255 + 0.5);
            // The silhouette: a grey that lightens with depth, never black.
            const int g = std::min(31, 8 + (y - haut) / 12);
            masque[size_t(y) * 640 + x] = uint16_t((g << 11) | ((g * 2) << 5) | g);
        }
    }
    cairo_surface_mark_dirty(toile.surface);
    // Hardly any grain: the floor lies flat on a colour of the 5-6-5 grid.
    Finition f;
    f.grain = 0.5;
    recueil->images.push_back(Finit(toile, "RampeTotal", f));
    recueil->images.push_back(ImageDepuis565("RampeMasque", 640, 480, Cle::Aucune, masque));
}

// Where the ramp reaches the stage's front edge it goes on as a road laid on
// the floor, running straight to the setting sun: each point of the edge
// (row bas, column u) is carried toward the vanishing point at the horizon,
// so the rim and the neon rails that cross the edge on the ramp's picture
// go on as lines converging under the sun, and the road melts into the
// horizon's haze. Each pixel averages the ramp's colours over the stretch
// of the edge it stands for, so the far rails thin out instead of breaking.
// How far right the road has turned at row y: none at the stage's front
// edge, then bending away at the rate that makes its edge leave the ramp's
// rim along the rim's own direction, and easing toward the horizon, so the
// ramp flows into the road without a corner.
double VirageRoute(double bas, int entree, double y) {
    const double horizon = kHorizonScene, d = std::max(0.0, bas - y);
    const double pente = (CourbeRampe(entree + 1) - CourbeRampe(entree - 1)) / 2;
    const double taux = -1 / pente - (320 - entree) / (bas - horizon);
    const double portee = 22;
    return std::max(0.0, taux) * portee * (1 - std::exp(-d / portee));
}

void PeintRoute(Toile* toile, double bas) {
    const double horizon = kHorizonScene;
    // Column where the ramp's top edge crosses the stage's front edge.
    int entree = 639;
    while (entree > 0 && HautRampe(entree - 1) < bas) --entree;
    // Depth under the rim, in the ramp's rows, of the point of the edge at
    // column u; past the picture's right edge it keeps deepening, so the
    // rails go on spreading toward the viewer.
    const double fin = bas - CourbeRampe(639);
    const auto profondeur = [&](double u) {
        return u <= 639 ? bas - CourbeRampe(u) : fin + 0.3 * (u - 639);
    };
    // Width of the rim across the edge, in columns: as on the ramp where it
    // meets the stage, and never thinner than two pixels on screen,
    // so that it runs unbroken up to the sun.
    const double pente = std::abs(CourbeRampe(entree + 1) - CourbeRampe(entree - 1)) / 2;
    const double rebord = 3 / std::max(0.2, pente);
    // The road's far side, just past the screen's right edge at the stage's
    // front edge, so that it meets the ramp there; further up it closes in
    // toward the sun and the floor's grid comes back beside it. Its kerb,
    // lying almost level, is 9 pixels across so it stays a line.
    const double loin = 700;
    cairo_surface_flush(toile->surface);
    unsigned char* data = cairo_image_surface_get_data(toile->surface);
    const int pas = cairo_image_surface_get_stride(toile->surface);
    const Couleur brume = Rvb(70, 26, 90), blanc = Rvb(250, 245, 255);
    for (int y = int(horizon) + 1; y < int(bas); ++y) {
        const double t = (y + 0.5 - horizon) / (bas - horizon);
        const int n = std::min(48, int(std::ceil(2 / t)));
        const double virage = VirageRoute(bas, entree, y + 0.5);
        const double largeurRebord = std::max(rebord, 2.2 / t);
        for (int x = 0; x < 640; ++x) {
            double r = 0, g = 0, b = 0, couverture = 0;
            for (int k = 0; k < n; ++k) {
                const double u = 320 + (x - virage + (k + 0.5) / n - 320) / t;
                if (u < entree || u > loin) continue;
                // The rim along the road's edge, then its dark body ruled
                // by the ramp's rails, hazier toward the horizon, and a
                // neon kerb along its far side.
                Couleur c;
                if (u - entree < largeurRebord)
                    c = Melange(blanc, Rvb(255, 200, 240), 0.5 * std::pow(1 - t, 3));
                else if (loin - u < 9 / t)
                    c = Melange(Rvb(255, 120, 220), brume, 0.4 * std::pow(1 - t, 3));
                else
                    c = Melange(CouleurRampe(std::min(639, int(u)), std::max(3.0, profondeur(u))),
                                brume, 0.7 * std::pow(1 - t, 3));
                r += c.r;
                g += c.g;
                b += c.b;
                couverture += 1.0 / n;
            }
            if (couverture <= 0) continue;
            uint32_t* p = reinterpret_cast<uint32_t*>(data + size_t(y) * pas) + x;
            const Couleur ici = {((*p >> 16) & 255) / 255.0, ((*p >> 8) & 255) / 255.0,
                                 (*p & 255) / 255.0};
            const double somme = couverture * n;
            // Opaque: the floor and its grid never show through the road.
            const Couleur c = Melange(ici, {r / somme, g / somme, b / somme}, couverture);
            *p = 0xFF000000u | (uint32_t(std::clamp(c.r, 0.0, 1.0) * 255 + 0.5) << 16) |
                 (uint32_t(std::clamp(c.g, 0.0, 1.0) * 255 + 0.5) << 8) |
                 uint32_t(std::clamp(c.b, 0.0, 1.0) * 255 + 0.5);
        }
    }
    cairo_surface_mark_dirty(toile->surface);
}

void DessineSupport(Recueil* recueil) {
    Toile toile(640, 256);
    cairo_t* cr = toile.cr;
    const double horizon = kHorizonScene;
    PeintCielTitre(cr);

    // The floor the letters stand on.
    const double bas = 256;
    PeintSol(cr, bas);
    PeintRoute(&toile, bas);
    // The sun mirrored on the floor, broken into a streak.
    cairo_save(cr);
    cairo_rectangle(cr, 0, horizon, 640, bas - horizon);
    cairo_clip(cr);
    cairo_translate(cr, 320, horizon + 3);
    cairo_scale(cr, 1.0, 0.16);
    cairo_pattern_t* miroir = cairo_pattern_create_radial(0, 0, 0, 0, 0, 130);
    cairo_pattern_add_color_stop_rgba(miroir, 0, 1, 0.5, 0.6, 0.6);
    cairo_pattern_add_color_stop_rgba(miroir, 1, 1, 0.3, 0.6, 0);
    cairo_set_source(cr, miroir);
    cairo_arc(cr, 0, 0, 130, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(miroir);
    cairo_restore(cr);
    // Under it the sun's light runs down the glossy floor toward the
    // viewer, a soft column of its warm colours fading with depth.
    cairo_save(cr);
    cairo_rectangle(cr, 0, horizon, 640, bas - horizon);
    cairo_clip(cr);
    cairo_translate(cr, 320, horizon);
    cairo_scale(cr, 1.0, 58 / 105.0);
    cairo_pattern_t* colonne = cairo_pattern_create_radial(0, 0, 0, 0, 0, 105);
    cairo_pattern_add_color_stop_rgba(colonne, 0, 1, 0.62, 0.4, 0.4);
    cairo_pattern_add_color_stop_rgba(colonne, 0.5, 1, 0.35, 0.55, 0.18);
    cairo_pattern_add_color_stop_rgba(colonne, 1, 0.9, 0.2, 0.6, 0);
    cairo_set_source(cr, colonne);
    cairo_paint(cr);
    cairo_pattern_destroy(colonne);
    cairo_restore(cr);
    // The horizon line glowing where the sun sets.
    cairo_pattern_t* ligne = cairo_pattern_create_linear(0, 0, 640, 0);
    cairo_pattern_add_color_stop_rgba(ligne, 0, 1.0, 0.5, 0.9, 0.35);
    cairo_pattern_add_color_stop_rgba(ligne, 0.5, 1.0, 0.9, 0.95, 1.0);
    cairo_pattern_add_color_stop_rgba(ligne, 1, 1.0, 0.5, 0.9, 0.35);
    cairo_set_source(cr, ligne);
    cairo_rectangle(cr, 0, horizon - 0.5, 640, 1.5);
    cairo_fill(cr);
    cairo_pattern_destroy(ligne);

    Finition f;
    f.grain = 1.5;
    recueil->images.push_back(Finit(toile, "Support2", f));
}

}  // namespace

int HautRampe(int x) {
    return int(std::ceil(CourbeRampe(x)));
}

void DessineTitre(Recueil* recueil) {
    for (const char* l : {"K", "A", "Z", "M", "O", "T"}) DessineLettre(recueil, l);
    DessineKazzmot(recueil);
    DessineRampes(recueil);
    DessineSupport(recueil);
}

}  // namespace forge
