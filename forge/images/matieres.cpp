// Materials painted pixel by pixel: direct access to a canvas's pixels,
// lattice noise and its fractal sums, and the cellular distances that draw
// caustic nets, stone grain and scales.
#include <algorithm>
#include <cmath>

#include "forge_images.h"

namespace forge {

AccesPixels::AccesPixels(Toile* toile) : toile_(toile) {
    cairo_surface_flush(toile->surface);
    data_ = cairo_image_surface_get_data(toile->surface);
    pas_ = cairo_image_surface_get_stride(toile->surface);
}

AccesPixels::~AccesPixels() {
    cairo_surface_mark_dirty(toile_->surface);
}

uint32_t* AccesPixels::Ligne(int y) const {
    return reinterpret_cast<uint32_t*>(data_ + size_t(y) * pas_);
}

Couleur AccesPixels::Lit(int x, int y) const {
    const uint32_t p = Ligne(y)[x];
    const double a = (p >> 24) / 255.0;
    if (a <= 0) return {0, 0, 0};
    return {((p >> 16) & 255) / 255.0 / a, ((p >> 8) & 255) / 255.0 / a, (p & 255) / 255.0 / a};
}

double AccesPixels::Alpha(int x, int y) const {
    return (Ligne(y)[x] >> 24) / 255.0;
}

void AccesPixels::Ecrit(int x, int y, Couleur c, double alpha) {
    auto v = [](double t) { return uint32_t(std::clamp(t, 0.0, 1.0) * 255 + 0.5); };
    const double a = std::clamp(alpha, 0.0, 1.0);
    Ligne(y)[x] = (v(a) << 24) | (v(c.r * a) << 16) | (v(c.g * a) << 8) | v(c.b * a);
}

void AccesPixels::Pose(int x, int y, Couleur c, double opacite) {
    if (x < 0 || y < 0 || x >= toile_->largeur || y >= toile_->hauteur || opacite <= 0) return;
    const double o = std::min(opacite, 1.0);
    const double a = Alpha(x, y);
    const Couleur d = Lit(x, y);
    const double sortie = o + a * (1 - o);
    if (sortie <= 0) return;
    const Couleur m = {(c.r * o + d.r * a * (1 - o)) / sortie,
                       (c.g * o + d.g * a * (1 - o)) / sortie,
                       (c.b * o + d.b * a * (1 - o)) / sortie};
    Ecrit(x, y, m, sortie);
}

namespace {

// A well-mixed 32-bit hash of a lattice point and a seed.
uint32_t Hache(int x, int y, uint32_t graine) {
    uint32_t h = graine ^ (uint32_t(x) * 0x8da6b343u) ^ (uint32_t(y) * 0xd8163841u);
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

double Unite(uint32_t h) {
    return (h >> 8) / 16777216.0;
}

}  // namespace

double Bruit(double x, double y, uint32_t graine) {
    const double fx0 = std::floor(x), fy0 = std::floor(y);
    const int x0 = int(fx0), y0 = int(fy0);
    const double fx = x - fx0, fy = y - fy0;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = Unite(Hache(x0, y0, graine)), b = Unite(Hache(x0 + 1, y0, graine));
    const double c = Unite(Hache(x0, y0 + 1, graine)), d = Unite(Hache(x0 + 1, y0 + 1, graine));
    const double haut = a + (b - a) * sx, bas = c + (d - c) * sx;
    return haut + (bas - haut) * sy;
}

double Fractal(double x, double y, int octaves, uint32_t graine) {
    double somme = 0, poids = 0, amplitude = 1;
    for (int o = 0; o < octaves; ++o) {
        somme += amplitude * Bruit(x, y, graine + uint32_t(o) * 0x9e3779b9u);
        poids += amplitude;
        amplitude *= 0.5;
        x = x * 2.03 + 17.1;
        y = y * 2.03 + 5.3;
    }
    return somme / poids;
}

void Cellules(double x, double y, uint32_t graine, double* f1, double* f2, uint32_t* id) {
    const int cx = int(std::floor(x)), cy = int(std::floor(y));
    double d1 = 1e9, d2 = 1e9;
    for (int j = -1; j <= 1; ++j) {
        for (int i = -1; i <= 1; ++i) {
            const uint32_t h = Hache(cx + i, cy + j, graine);
            const double px = cx + i + 0.1 + 0.8 * Unite(h);
            const double py = cy + j + 0.1 + 0.8 * Unite(h * 0x9e3779b9u + 1);
            const double d = std::hypot(x - px, y - py);
            if (d < d1) {
                d2 = d1;
                d1 = d;
                if (id) *id = h;
            } else if (d < d2) {
                d2 = d;
            }
        }
    }
    *f1 = d1;
    *f2 = d2;
}

double Caustique(double x, double y, double echelle, uint32_t graine) {
    // Two nets, one slightly warped against the other, multiplied: where the
    // cell borders of both meet the light gathers into bright knots.
    double a1, a2, b1, b2;
    const double u = x / echelle, v = y / echelle;
    const double gx = 0.35 * (Bruit(u * 0.7, v * 0.7, graine + 7) - 0.5);
    const double gy = 0.35 * (Bruit(u * 0.7 + 9, v * 0.7, graine + 8) - 0.5);
    Cellules(u + gx, v + gy, graine, &a1, &a2);
    Cellules(u * 1.3 + 3.1 - gy, v * 1.3 + 1.7 + gx, graine + 1, &b1, &b2);
    const double l1 = std::exp(-(a2 - a1) * 9.0), l2 = std::exp(-(b2 - b1) * 7.0);
    return std::clamp(0.75 * l1 + 0.45 * l2 + 0.6 * l1 * l2, 0.0, 1.0);
}

Couverture CouvertureDuChemin(cairo_t* cr, int marge) {
    double ex0, ey0, ex1, ey1;
    cairo_path_extents(cr, &ex0, &ey0, &ex1, &ey1);
    Couverture m;
    m.x0 = int(std::floor(ex0)) - 1 - marge;
    m.y0 = int(std::floor(ey0)) - 1 - marge;
    m.largeur = std::max(1, int(std::ceil(ex1)) + 2 + marge - m.x0);
    m.hauteur = std::max(1, int(std::ceil(ey1)) + 2 + marge - m.y0);
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, m.largeur, m.hauteur);
    cairo_t* c = cairo_create(s);
    cairo_path_t* chemin = cairo_copy_path(cr);
    cairo_translate(c, -m.x0, -m.y0);
    cairo_append_path(c, chemin);
    cairo_set_fill_rule(c, cairo_get_fill_rule(cr));
    cairo_fill(c);
    cairo_path_destroy(chemin);
    cairo_destroy(c);
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int pas = cairo_image_surface_get_stride(s);
    m.a.resize(size_t(m.largeur) * m.hauteur);
    for (int y = 0; y < m.hauteur; ++y)
        for (int x = 0; x < m.largeur; ++x)
            m.a[size_t(y) * m.largeur + x] = data[size_t(y) * pas + x] / 255.0f;
    cairo_surface_destroy(s);
    return m;
}

Couverture Adoucit(const Couverture& masque, int rayon) {
    Couverture m = masque;
    if (rayon <= 0) return m;
    const int l = m.largeur, h = m.hauteur;
    std::vector<float> tampon(size_t(std::max(l, h)));
    auto passe = [&](float* base, int n, int saut) {
        const float fenetre = 2.0f * rayon + 1;
        float somme = 0;
        auto v = [&](int i) { return i < 0 || i >= n ? 0.0f : base[size_t(i) * saut]; };
        for (int i = -rayon; i <= rayon; ++i) somme += v(i);
        for (int i = 0; i < n; ++i) {
            tampon[i] = somme / fenetre;
            somme += v(i + rayon + 1) - v(i - rayon);
        }
        for (int i = 0; i < n; ++i) base[size_t(i) * saut] = tampon[i];
    };
    for (int tour = 0; tour < 3; ++tour) {
        for (int y = 0; y < h; ++y) passe(&m.a[size_t(y) * l], l, 1);
        for (int x = 0; x < l; ++x) passe(&m.a[x], h, l);
    }
    return m;
}

Couleur Teinte(const std::vector<Couleur>& rampe, double s, int x, int y) {
    const int n = int(rampe.size());
    const double p = std::clamp(s, 0.0, 1.0) * (n - 1);
    const int i = std::min(n - 2, int(p));
    const double f = std::clamp((p - i - 0.5) * 3.5 + 0.5, 0.0, 1.0);
    return SeuilTrame(x, y) < f ? rampe[i + 1] : rampe[i];
}

Couleur Sur565(Couleur c) {
    auto q = [](double v, int n) { return std::round(std::clamp(v, 0.0, 1.0) * n) / n; };
    return {q(c.r, 31), q(c.g, 63), q(c.b, 31)};
}

cairo_pattern_t* MotifBandes(double y0, double y1, const std::vector<Bande>& bandes) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    double debut = 0;
    for (const Bande& b : bandes) {
        const Couleur c = Sur565(b.couleur);
        cairo_pattern_add_color_stop_rgb(p, debut, c.r, c.g, c.b);
        cairo_pattern_add_color_stop_rgb(p, b.fin, c.r, c.g, c.b);
        debut = b.fin;
    }
    return p;
}

}  // namespace forge
