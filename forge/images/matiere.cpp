// Lettering with a material: a coverage mask raised into a bevelled solid that
// mirrors its surroundings and is lit from the top left, extruded toward the
// lower right, with star glints where the light catches the bevel; and neon
// tubes laid along a lettering's outline with their glow.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "forge_images.h"

namespace forge {

namespace {

// Squared distance transform of one line (lower envelope of parabolas).
void Distance1D(const float* f, int n, float* d, std::vector<int>* v, std::vector<float>* z) {
    const float inf = std::numeric_limits<float>::infinity();
    int k = 0;
    (*v)[0] = 0;
    (*z)[0] = -inf;
    (*z)[1] = inf;
    for (int q = 1; q < n; ++q) {
        if (f[q] == inf) continue;
        for (;;) {
            const int p = (*v)[k];
            if (f[p] == inf) {
                // Only unreachable cells so far: this one starts the envelope.
                (*v)[k] = q;
                (*z)[k] = -inf;
                (*z)[k + 1] = inf;
                break;
            }
            const float s = ((f[q] + float(q) * q) - (f[p] + float(p) * p)) / (2.0f * (q - p));
            if (s <= (*z)[k] && k > 0) {
                --k;
                continue;
            }
            ++k;
            (*v)[k] = q;
            (*z)[k] = s;
            (*z)[k + 1] = inf;
            break;
        }
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while ((*z)[k + 1] < q) ++k;
        const int p = (*v)[k];
        d[q] = f[p] == inf ? inf : (float(q) - p) * (float(q) - p) + f[p];
    }
}

uint32_t Premultiplie(Couleur c, double a) {
    auto v = [](double x) { return uint32_t(std::clamp(x, 0.0, 1.0) * 255 + 0.5); };
    return (v(a) << 24) | (v(c.r * a) << 16) | (v(c.g * a) << 8) | v(c.b * a);
}

// A star glint: a soft core with four long thin rays and two short ones.
void DessineEclat(cairo_t* cr, double x, double y, double taille, double force, Couleur c) {
    cairo_save(cr);
    cairo_pattern_t* coeur = cairo_pattern_create_radial(x, y, 0, x, y, taille * 0.45);
    cairo_pattern_add_color_stop_rgba(coeur, 0, c.r, c.g, c.b, force);
    cairo_pattern_add_color_stop_rgba(coeur, 0.3, c.r, c.g, c.b, 0.7 * force);
    cairo_pattern_add_color_stop_rgba(coeur, 1, c.r, c.g, c.b, 0);
    cairo_set_source(cr, coeur);
    cairo_arc(cr, x, y, taille * 0.45, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(coeur);
    for (int k = 0; k < 4; ++k) {
        const double angle = k * M_PI / 4 + M_PI / 2;
        const double l = (k % 2 ? 0.45 : 1.0) * taille;
        const double dx = std::cos(angle) * l, dy = std::sin(angle) * l;
        const double ex = -std::sin(angle) * 0.9, ey = std::cos(angle) * 0.9;
        cairo_pattern_t* rai = cairo_pattern_create_radial(x, y, 0, x, y, l);
        cairo_pattern_add_color_stop_rgba(rai, 0, c.r, c.g, c.b, force);
        cairo_pattern_add_color_stop_rgba(rai, 1, c.r, c.g, c.b, 0);
        cairo_set_source(cr, rai);
        cairo_move_to(cr, x - dx, y - dy);
        cairo_line_to(cr, x + ex, y + ey);
        cairo_line_to(cr, x + dx, y + dy);
        cairo_line_to(cr, x - ex, y - ey);
        cairo_close_path(cr);
        cairo_fill(cr);
        cairo_pattern_destroy(rai);
    }
    cairo_restore(cr);
}

}  // namespace

float Masque::A(int x, int y) const {
    if (x < 0 || y < 0 || x >= largeur || y >= hauteur) return 0.0f;
    return v[size_t(y) * largeur + x];
}

Masque MasqueDuChemin(cairo_t* cr, int largeur, int hauteur) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, largeur, hauteur);
    cairo_t* m = cairo_create(s);
    cairo_matrix_t mat;
    cairo_get_matrix(cr, &mat);
    cairo_set_matrix(m, &mat);
    cairo_path_t* chemin = cairo_copy_path(cr);
    cairo_append_path(m, chemin);
    cairo_path_destroy(chemin);
    cairo_set_fill_rule(m, cairo_get_fill_rule(cr));
    cairo_fill(m);
    cairo_destroy(m);
    cairo_surface_flush(s);
    Masque masque;
    masque.largeur = largeur;
    masque.hauteur = hauteur;
    masque.v.resize(size_t(largeur) * hauteur);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int pas = cairo_image_surface_get_stride(s);
    for (int y = 0; y < hauteur; ++y)
        for (int x = 0; x < largeur; ++x)
            masque.v[size_t(y) * largeur + x] = data[size_t(y) * pas + x] / 255.0f;
    cairo_surface_destroy(s);
    return masque;
}

std::vector<float> DistanceBord(const Masque& m, bool dedans) {
    const int l = m.largeur, h = m.hauteur;
    const float inf = std::numeric_limits<float>::infinity();
    std::vector<float> g(size_t(l) * h);
    // Seeds: the pixels on the other side of the edge.
    for (size_t i = 0; i < g.size(); ++i) {
        const bool interieur = m.v[i] >= 0.5f;
        g[i] = (interieur != dedans) ? 0.0f : inf;
    }
    const int n = std::max(l, h);
    std::vector<float> f(n), d(n), zz(n + 1);
    std::vector<int> vv(n);
    for (int x = 0; x < l; ++x) {
        for (int y = 0; y < h; ++y) f[y] = g[size_t(y) * l + x];
        Distance1D(f.data(), h, d.data(), &vv, &zz);
        for (int y = 0; y < h; ++y) g[size_t(y) * l + x] = d[y];
    }
    for (int y = 0; y < h; ++y) {
        Distance1D(&g[size_t(y) * l], l, d.data(), &vv, &zz);
        for (int x = 0; x < l; ++x) g[size_t(y) * l + x] = d[x];
    }
    // Distances in pixels, measured to the edge between the two sides; a
    // pixel beyond every seed (an empty mask) gets a large finite distance.
    for (size_t i = 0; i < g.size(); ++i)
        g[i] = g[i] == inf ? 1e6f : std::max(0.0f, std::sqrt(g[i]) - 0.5f);
    return g;
}

Couleur DegradeEn(const std::vector<Couleur>& teintes, double t) {
    if (teintes.empty()) return {0, 0, 0};
    if (teintes.size() == 1) return teintes[0];
    t = std::clamp(t, 0.0, 1.0) * (teintes.size() - 1);
    const size_t i = std::min(teintes.size() - 2, size_t(t));
    return Melange(teintes[i], teintes[i + 1], t - i);
}

void PeintMatiere(Toile* toile, const Masque& m, const Matiere& mat) {
    const int l = toile->largeur, h = toile->hauteur;
    const std::vector<float> dedans = DistanceBord(m, true);
    const int relief = int(std::lround(mat.relief));

    // The extrusion: the face's shape repeated toward the lower right; each
    // pixel shows its nearest layer. Sides facing down are darker than sides
    // facing right.
    Masque flancs;
    flancs.largeur = l;
    flancs.hauteur = h;
    flancs.v.assign(size_t(l) * h, 0.0f);
    std::vector<uint8_t> couche(size_t(l) * h, 0);
    for (int k = relief; k >= 1; --k) {
        for (int y = k; y < h; ++y)
            for (int x = k; x < l; ++x) {
                const float a = m.v[size_t(y - k) * l + (x - k)];
                if (a <= 0) continue;
                const size_t i = size_t(y) * l + x;
                if (a >= flancs.v[i] || a >= 0.5f) couche[i] = uint8_t(k);
                flancs.v[i] = std::max(flancs.v[i], a);
            }
    }
    // The outline round the whole solid.
    Masque tout = flancs;
    for (size_t i = 0; i < tout.v.size(); ++i) tout.v[i] = std::max(tout.v[i], m.v[i]);
    const std::vector<float> dehors = DistanceBord(tout, false);

    // Height of the bevel (a quarter-round profile) and its slopes.
    const float biseau = float(mat.biseau);
    std::vector<float> haut(size_t(l) * h);
    for (size_t i = 0; i < haut.size(); ++i) {
        const float t = std::min(1.0f, dedans[i] / biseau);
        haut[i] = m.v[i] <= 0 ? 0.0f : biseau * (1.0f - (1 - t) * (1 - t));
    }
    // Smoothed, the slope no longer follows the pixel steps of a shallow
    // edge, which would line the bevel with small teeth.
    if (mat.lissage > 0) {
        const int n = int(std::ceil(mat.lissage * 2.5));
        std::vector<float> noyau(size_t(2 * n + 1));
        float somme = 0;
        for (int k = -n; k <= n; ++k)
            somme += noyau[size_t(k + n)] =
                float(std::exp(-0.5 * k * k / (mat.lissage * mat.lissage)));
        for (float& v : noyau) v /= somme;
        std::vector<float> tampon(haut.size());
        for (int passe = 0; passe < 2; ++passe) {
            const int dx = passe == 0 ? 1 : 0, dy = 1 - dx;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < l; ++x) {
                    float v = 0;
                    for (int k = -n; k <= n; ++k) {
                        const int sx = std::clamp(x + k * dx, 0, l - 1);
                        const int sy = std::clamp(y + k * dy, 0, h - 1);
                        v += noyau[size_t(k + n)] * haut[size_t(sy) * l + sx];
                    }
                    tampon[size_t(y) * l + x] = v;
                }
            haut.swap(tampon);
        }
    }
    auto H = [&](int x, int y) {
        x = std::clamp(x, 0, l - 1);
        y = std::clamp(y, 0, h - 1);
        return haut[size_t(y) * l + x];
    };
    // Toward the light: up and to the left, in front.
    const double lx = -0.55, ly = -0.62, lz = 0.56;
    const double ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    const double Lx = lx / ll, Ly = ly / ll, Lz = lz / ll;
    double Hx = Lx, Hy = Ly, Hz = Lz + 1;
    const double hl = std::sqrt(Hx * Hx + Hy * Hy + Hz * Hz);
    Hx /= hl, Hy /= hl, Hz /= hl;

    cairo_surface_t* calque = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, l, h);
    cairo_surface_flush(calque);
    unsigned char* data = cairo_image_surface_get_data(calque);
    const int pas = cairo_image_surface_get_stride(calque);
    std::vector<float> brillance(size_t(l) * h, 0.0f);
    const double hauteurReflet = std::max(1.0, mat.y1 - mat.y0);
    for (int y = 0; y < h; ++y) {
        uint32_t* ligne = reinterpret_cast<uint32_t*>(data + size_t(y) * pas);
        for (int x = 0; x < l; ++x) {
            const size_t i = size_t(y) * l + x;
            // Layers from the back: outline, sides, face.
            Couleur c = mat.contour;
            double a = std::clamp(mat.epaisseur + 0.5 - dehors[i], 0.0, 1.0);
            if (flancs.v[i] > 0 && couche[i] > 0) {
                const int k = couche[i];
                const int sx = x - k, sy = y - k;
                // Direction the side faces: away from the face's inside.
                const double gx = m.A(sx + 1, sy) - m.A(sx - 1, sy);
                const double gy = m.A(sx, sy + 1) - m.A(sx, sy - 1);
                const double gn = std::hypot(gx, gy);
                const double versBas = gn > 0 ? -gy / gn : 0.5;
                const double profondeur = relief > 1 ? (k - 1.0) / (relief - 1.0) : 0.0;
                Couleur f = Melange(mat.flanc, {0, 0, 0}, 0.25 + 0.35 * versBas);
                f = Melange(f, {0, 0, 0}, 0.45 * profondeur);
                // A light thread along the side's near edge.
                if (k == 1) f = Melange(f, mat.flanc, 0.5);
                const double fa = flancs.v[i];
                c = Melange(c, f, fa / std::max(fa, a));
                a = std::max(a, fa);
            }
            const float couverture = m.v[i];
            if (couverture > 0) {
                const double gx = (H(x + 1, y) - H(x - 1, y)) * 0.5;
                const double gy = (H(x, y + 1) - H(x, y - 1)) * 0.5;
                double nx = -gx, ny = -gy, nz = 1.0;
                const double nl = std::sqrt(nx * nx + ny * ny + nz * nz);
                nx /= nl, ny /= nl, nz /= nl;
                // The face mirrors its colour band: a bevel facing up mirrors
                // the band's top, one facing down its bottom.
                const double ty = (y - mat.y0) / hauteurReflet + 0.55 * ny + 0.08 * nx;
                Couleur f = DegradeEn(mat.reflets, ty);
                const double ndl = nx * Lx + ny * Ly + nz * Lz;
                if (ndl >= Lz) {
                    f = Melange(f, mat.lumiere, 0.75 * (ndl - Lz) / (1 - Lz));
                } else {
                    f = Melange(f, {0, 0, 0}, 0.7 * std::min(1.0, (Lz - ndl) / Lz));
                }
                const double reflet = std::pow(std::max(0.0, nx * Hx + ny * Hy + nz * Hz), 48.0);
                f = Melange(f, mat.lumiere, std::min(1.0, reflet));
                brillance[i] = float(reflet * couverture);
                c = Melange(c, f, couverture / std::max<double>(couverture, a));
                a = std::max<double>(a, couverture);
                if (couverture < 1) {
                    // The face's anti-aliased edge lies over the outline.
                    const double dessous = std::clamp(mat.epaisseur + 0.5 - dehors[i], 0.0, 1.0);
                    a = couverture + (1 - couverture) * std::max(dessous, double(flancs.v[i]));
                }
            }
            ligne[x] = a > 0 ? Premultiplie(c, a) : 0u;
        }
    }
    cairo_surface_mark_dirty(calque);
    cairo_t* cr = toile->cr;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_source_surface(cr, calque, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(calque);

    // Glints where the light catches the bevel hardest, spread over the word.
    std::vector<std::pair<float, int>> candidats;
    for (int y = 2; y < h - 2; ++y)
        for (int x = 2; x < l - 2; ++x) {
            const size_t i = size_t(y) * l + x;
            if (brillance[i] > 0.35f && m.v[i] >= 1.0f) candidats.push_back({brillance[i], int(i)});
        }
    // Near the chosen spot first, when there is one.
    if (mat.eclatX >= 0)
        for (auto& c : candidats)
            c.first = -float(std::hypot(c.second % l - mat.eclatX, c.second / l - mat.eclatY));
    std::stable_sort(candidats.begin(), candidats.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::pair<int, int>> choisis;
    const double ecart = double(l) / (mat.eclats + 1);
    for (const auto& c : candidats) {
        if (int(choisis.size()) >= mat.eclats) break;
        const int x = c.second % l, y = c.second / l;
        bool loin = true;
        for (const auto& p : choisis)
            if (std::hypot(p.first - x, p.second - y) < ecart) loin = false;
        if (loin) choisis.push_back({x, y});
    }
    for (const auto& p : choisis)
        DessineEclat(cr, p.first + 0.5, p.second + 0.5, mat.eclat, 1.0, mat.lumiere);
    cairo_restore(cr);
}

void PeintNeon(Toile* toile, const Neon& neon) {
    cairo_t* cr = toile->cr;
    const int l = toile->largeur, h = toile->hauteur;
    cairo_path_t* chemin = cairo_copy_path(cr);
    const Couleur t = neon.teinte;
    auto refait = [&] {
        cairo_new_path(cr);
        cairo_append_path(cr, chemin);
    };
    // Glow on the wall behind: a wide faint haze and a tighter halo round
    // the tubes, both of the tube's colour.
    for (int passe = 0; passe < 2; ++passe) {
        cairo_surface_t* lueur = cairo_image_surface_create(CAIRO_FORMAT_A8, l, h);
        cairo_t* m = cairo_create(lueur);
        cairo_matrix_t mat;
        cairo_get_matrix(cr, &mat);
        cairo_set_matrix(m, &mat);
        cairo_append_path(m, chemin);
        cairo_set_line_join(m, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_width(m, passe == 0 ? neon.tube * 3.2 : neon.tube * 2.2);
        cairo_set_source_rgba(m, 0, 0, 0, 1);
        if (passe == 0) cairo_fill_preserve(m);
        cairo_stroke(m);
        cairo_destroy(m);
        FlouSurface(lueur, passe == 0 ? int(neon.halo) : int(neon.halo / 3));
        cairo_save(cr);
        cairo_identity_matrix(cr);
        const Couleur c = passe == 0 ? Melange(t, {0, 0, 0}, 0.15) : Melange(t, {1, 1, 1}, 0.1);
        cairo_set_source_rgba(cr, c.r, c.g, c.b, passe == 0 ? 1.0 : 0.9);
        cairo_mask_surface(cr, lueur, 0, 0);
        cairo_restore(cr);
        cairo_surface_destroy(lueur);
    }
    // The letters' insides: dark, with the tube's light on them.
    refait();
    const Couleur interieur = Melange(t, {0, 0, 0}, 0.8);
    cairo_set_source_rgb(cr, interieur.r, interieur.g, interieur.b);
    cairo_fill(cr);
    // The tubes: a coloured glass wall, a brighter line and a white-hot core,
    // broken into lengths whose dark ends are the electrodes.
    const double longueurs[] = {neon.troncon, neon.tube * 0.9};
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    refait();
    cairo_set_dash(cr, longueurs, 2, neon.depart);
    const Couleur verre = Melange(t, {0, 0, 0}, 0.3);
    cairo_set_source_rgb(cr, verre.r, verre.g, verre.b);
    cairo_set_line_width(cr, neon.tube + 1.0);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgb(cr, t.r, t.g, t.b);
    cairo_set_line_width(cr, neon.tube - 0.8);
    cairo_stroke_preserve(cr);
    const Couleur vif = Melange(t, {1, 1, 1}, 0.55);
    cairo_set_source_rgb(cr, vif.r, vif.g, vif.b);
    cairo_set_line_width(cr, neon.tube * 0.5);
    cairo_stroke_preserve(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_set_line_width(cr, std::max(1.0, neon.tube * 0.22));
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    // Mounting clips: small metal brackets across the tube at every n-th
    // length, where a tube is held to the wall.
    cairo_path_t* plat = nullptr;
    refait();
    plat = cairo_copy_path_flat(cr);
    cairo_new_path(cr);
    double parcouru = 0, prochain = neon.troncon * 0.5;
    double px = 0, py = 0, debutX = 0, debutY = 0;
    for (int i = 0; i < plat->num_data; i += plat->data[i].header.length) {
        const cairo_path_data_t* d = &plat->data[i];
        double x = px, y = py;
        if (d->header.type == CAIRO_PATH_MOVE_TO) {
            px = debutX = d[1].point.x;
            py = debutY = d[1].point.y;
            continue;
        }
        if (d->header.type == CAIRO_PATH_LINE_TO) {
            x = d[1].point.x;
            y = d[1].point.y;
        } else if (d->header.type == CAIRO_PATH_CLOSE_PATH) {
            x = debutX;
            y = debutY;
        } else {
            continue;
        }
        const double seg = std::hypot(x - px, y - py);
        while (seg > 0 && parcouru + seg >= prochain) {
            const double u = (prochain - parcouru) / seg;
            const double cx = px + (x - px) * u, cy = py + (y - py) * u;
            const double ux = (x - px) / seg, uy = (y - py) / seg;
            const double e = neon.tube * 0.65;
            cairo_save(cr);
            cairo_translate(cr, cx, cy);
            const cairo_matrix_t sens = {ux, uy, -uy, ux, 0, 0};
            cairo_transform(cr, &sens);
            cairo_rectangle(cr, -1.2, -e, 2.4, 2 * e);
            cairo_restore(cr);
            cairo_set_source_rgb(cr, 0.55, 0.55, 0.6);
            cairo_fill_preserve(cr);
            cairo_set_source_rgb(cr, 0.15, 0.15, 0.2);
            cairo_set_line_width(cr, 0.6);
            cairo_stroke(cr);
            prochain += neon.troncon * 2.4;
        }
        parcouru += seg;
        px = x;
        py = y;
    }
    cairo_path_destroy(plat);
    cairo_path_destroy(chemin);
    cairo_new_path(cr);
}

Masque MasqueDessine(int largeur, int hauteur, void (*dessin)(cairo_t*, void*), void* donnees) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, largeur, hauteur);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    dessin(cr, donnees);
    cairo_destroy(cr);
    cairo_surface_flush(s);
    Masque masque;
    masque.largeur = largeur;
    masque.hauteur = hauteur;
    masque.v.resize(size_t(largeur) * hauteur);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int pas = cairo_image_surface_get_stride(s);
    for (int y = 0; y < hauteur; ++y)
        for (int x = 0; x < largeur; ++x)
            masque.v[size_t(y) * largeur + x] = data[size_t(y) * pas + x] / 255.0f;
    cairo_surface_destroy(s);
    return masque;
}

std::vector<Glyphe> CheminMot(cairo_t* cr, cairo_font_face_t* police, const char* texte, double x,
                              double y, double l, double h, bool etire, int sauf) {
    return CheminMotSauf(cr, police, texte, x, y, l, h, etire, std::vector<int>{sauf});
}

std::vector<Glyphe> CheminMotSauf(cairo_t* cr, cairo_font_face_t* police, const char* texte,
                                  double x, double y, double l, double h, bool etire,
                                  const std::vector<int>& sauf) {
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_set_font_face(cr, police);
    cairo_set_font_size(cr, 100);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_scaled_font_t* fonte = cairo_get_scaled_font(cr);
    cairo_glyph_t* glyphes = nullptr;
    int nombre = 0;
    cairo_scaled_font_text_to_glyphs(fonte, 0, 0, texte, -1, &glyphes, &nombre, nullptr, nullptr,
                                     nullptr);
    cairo_text_extents_t ext;
    cairo_glyph_extents(cr, glyphes, nombre, &ext);
    const double sx = l / ext.width, sy = h / ext.height;
    const double s = std::min(sx, sy);
    cairo_translate(cr, x, y);
    if (etire) {
        cairo_scale(cr, sx, sy);
    } else {
        cairo_translate(cr, (l - ext.width * s) / 2, (h - ext.height * s) / 2);
        cairo_scale(cr, s, s);
    }
    cairo_translate(cr, -ext.x_bearing, -ext.y_bearing);
    std::vector<Glyphe> boites;
    for (int i = 0; i < nombre; ++i) {
        cairo_text_extents_t e;
        cairo_glyph_extents(cr, &glyphes[i], 1, &e);
        double x0 = glyphes[i].x + e.x_bearing, y0 = glyphes[i].y + e.y_bearing;
        double x1 = x0 + e.width, y1 = y0 + e.height;
        cairo_user_to_device(cr, &x0, &y0);
        cairo_user_to_device(cr, &x1, &y1);
        boites.push_back({x0, y0, x1, y1});
        if (std::find(sauf.begin(), sauf.end(), i) == sauf.end())
            cairo_glyph_path(cr, &glyphes[i], 1);
    }
    cairo_glyph_free(glyphes);
    cairo_restore(cr);
    return boites;
}

void CheminAnneau(cairo_t* cr, Glyphe b, double epaisseur, double arrondi) {
    auto rectangle = [cr](double x0, double y0, double x1, double y1, double r, bool direct) {
        r = std::min(r, std::min(x1 - x0, y1 - y0) / 2);
        const double k = 0.5523 * r;
        cairo_new_sub_path(cr);
        if (direct) {
            cairo_move_to(cr, x0 + r, y0);
            cairo_line_to(cr, x1 - r, y0);
            cairo_curve_to(cr, x1 - r + k, y0, x1, y0 + r - k, x1, y0 + r);
            cairo_line_to(cr, x1, y1 - r);
            cairo_curve_to(cr, x1, y1 - r + k, x1 - r + k, y1, x1 - r, y1);
            cairo_line_to(cr, x0 + r, y1);
            cairo_curve_to(cr, x0 + r - k, y1, x0, y1 - r + k, x0, y1 - r);
            cairo_line_to(cr, x0, y0 + r);
            cairo_curve_to(cr, x0, y0 + r - k, x0 + r - k, y0, x0 + r, y0);
        } else {
            cairo_move_to(cr, x0 + r, y0);
            cairo_curve_to(cr, x0 + r - k, y0, x0, y0 + r - k, x0, y0 + r);
            cairo_line_to(cr, x0, y1 - r);
            cairo_curve_to(cr, x0, y1 - r + k, x0 + r - k, y1, x0 + r, y1);
            cairo_line_to(cr, x1 - r, y1);
            cairo_curve_to(cr, x1 - r + k, y1, x1, y1 - r + k, x1, y1 - r);
            cairo_line_to(cr, x1, y0 + r);
            cairo_curve_to(cr, x1, y0 + r - k, x1 - r + k, y0, x1 - r, y0);
        }
        cairo_close_path(cr);
    };
    const double demi = std::min(b.x1 - b.x0, b.y1 - b.y0) / 2;
    rectangle(b.x0, b.y0, b.x1, b.y1, demi * arrondi, true);
    rectangle(b.x0 + epaisseur, b.y0 + epaisseur, b.x1 - epaisseur, b.y1 - epaisseur,
              std::max(0.0, demi * arrondi - epaisseur), false);
}

void DessineG(cairo_t* cr, Glyphe b, double epaisseur, double arrondi) {
    const double h = b.y1 - b.y0, w = b.x1 - b.x0;
    const double bouche = b.y0 + h * 0.3, machoire = b.y0 + h * 0.47;
    CheminAnneau(cr, b, epaisseur, arrondi);
    cairo_fill(cr);
    // The mouth: the right side opened between the upper arm and the jaw.
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_rectangle(cr, b.x1 - epaisseur * 1.5, bouche, epaisseur * 1.5 + 2, machoire - bouche);
    cairo_fill(cr);
    cairo_restore(cr);
    // The jaw: a full-weight bar from the middle to the right side.
    cairo_rectangle(cr, b.x0 + w * 0.46, machoire, b.x1 - b.x0 - w * 0.46, epaisseur);
    cairo_fill(cr);
}

}  // namespace forge
