// The credits' portraits: a bust in three-quarter view at the computer it
// works on, modelled as smooth solids (distance fields) and traced pixel by
// pixel. A warm key light models the face from one side, the screen throws
// its colour on the other and the sunburst behind lays a coloured rim round
// the figure; every material is lit through a short ramp of tones, dithered
// only where two tones meet, as a pixel artist would shade it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "forge_images.h"

namespace forge {

namespace {

// ---------------------------------------------------------------------------
// Vectors and turns.

struct V {
    double x, y, z;
};
inline V operator+(V a, V b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline V operator-(V a, V b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V operator*(V a, double k) {
    return {a.x * k, a.y * k, a.z * k};
}
inline double Scal(V a, V b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline double Long(V a) {
    return std::sqrt(Scal(a, a));
}
inline V Unit(V a) {
    const double l = Long(a);
    return l > 0 ? a * (1.0 / l) : V{0, 0, 1};
}
inline double Lisse(double a, double b, double x) {
    const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// A solid's own axes in world coordinates: x to its left hand as seen from
// the front, y up, z the way it faces.
struct Repere {
    V x, y, z;
    V Local(V p) const { return {Scal(x, p), Scal(y, p), Scal(z, p)}; }
    V Monde(V p) const { return x * p.x + y * p.y + z * p.z; }
};

// Turned by lacet about the vertical (positive faces the viewer's right),
// then nodding down by tangage and leaning by roulis.
Repere Tourne(double lacet, double tangage, double roulis) {
    const V z0{std::sin(lacet), 0, std::cos(lacet)};
    const V x0{std::cos(lacet), 0, -std::sin(lacet)};
    const V y0{0, 1, 0};
    const V z1 = z0 * std::cos(tangage) - y0 * std::sin(tangage);
    const V y1 = y0 * std::cos(tangage) + z0 * std::sin(tangage);
    const V x2 = x0 * std::cos(roulis) + y1 * std::sin(roulis);
    const V y2 = y1 * std::cos(roulis) - x0 * std::sin(roulis);
    return {x2, y2, z1};
}

// ---------------------------------------------------------------------------
// Distances to simple solids.

double Sphere(V p, double r) {
    return Long(p) - r;
}
double Ellipsoide(V p, V r) {
    const double k0 = Long({p.x / r.x, p.y / r.y, p.z / r.z});
    const double k1 = Long({p.x / (r.x * r.x), p.y / (r.y * r.y), p.z / (r.z * r.z)});
    return k1 > 0 ? k0 * (k0 - 1) / k1 : -std::min({r.x, r.y, r.z});
}
double Capsule(V p, V a, V b, double r) {
    const V pa = p - a, ba = b - a;
    const double h = std::clamp(Scal(pa, ba) / Scal(ba, ba), 0.0, 1.0);
    return Long(pa - ba * h) - r;
}
double BoiteRonde(V p, V b, double r) {
    const V q{std::abs(p.x) - b.x, std::abs(p.y) - b.y, std::abs(p.z) - b.z};
    const V e{std::max(q.x, 0.0), std::max(q.y, 0.0), std::max(q.z, 0.0)};
    return Long(e) + std::min(std::max({q.x, q.y, q.z}), 0.0) - r;
}
// A ring about the local x axis (a wheel standing sideways).
double ToreX(V p, double grand, double petit) {
    const double q = std::sqrt(p.y * p.y + p.z * p.z) - grand;
    return std::sqrt(q * q + p.x * p.x) - petit;
}
// A ring about the local y axis (lying flat).
double ToreY(V p, double grand, double petit) {
    const double q = std::sqrt(p.x * p.x + p.z * p.z) - grand;
    return std::sqrt(q * q + p.y * p.y) - petit;
}
// A ring about the local z axis (standing, facing forward).
double ToreZ(V p, double grand, double petit) {
    const double q = std::sqrt(p.x * p.x + p.y * p.y) - grand;
    return std::sqrt(q * q + p.z * p.z) - petit;
}
// A short rounded cylinder along the local x axis.
double DisqueX(V p, double r, double demi, double arrondi) {
    const double dr = std::sqrt(p.y * p.y + p.z * p.z) - r + arrondi;
    const double dx = std::abs(p.x) - demi + arrondi;
    return std::min(std::max(dr, dx), 0.0) + std::hypot(std::max(dr, 0.0), std::max(dx, 0.0)) -
           arrondi;
}
double SMin(double a, double b, double k) {
    if (k <= 0) return std::min(a, b);
    const double h = std::max(k - std::abs(a - b), 0.0) / k;
    return std::min(a, b) - h * h * k * 0.25;
}
double SMax(double a, double b, double k) {
    return -SMin(-a, -b, k);
}

// ---------------------------------------------------------------------------
// The scene.

enum Mat {
    kVide,
    kPeau,
    kLevres,
    kOeil,
    kPaupiere,
    kCheveux,
    kHabit,
    kCote,
    kCordon,
    kMonture,
    kVerre,
    kCasque,
    kCoussin,
    kCable,
    kBoitier,
    kEcran,
    kTouche,
    kToucheNoire,
    kSocle,
};

// A distance and the material of the nearest solid.
struct Tir {
    double d = 1e9;
    int mat = kVide;
};
inline void Joint(Tir* t, double d, int mat, double k = 0) {
    if (d < t->d) t->mat = mat;
    t->d = SMin(t->d, d, k);
}

// A fold or crease of cloth: a ridge along a segment of the body's front
// (x, y), raised (positive) or sunk (negative), w wide.
struct Pli {
    double x0, y0, x1, y1, haut, w;
};

// Everything that differs between the two portraits.
struct Buste {
    bool musicien;
    double cote;  // +1: the screen and the sunburst on the right, -1 on the left
    V tete;
    Repere axesTete;
    V corps;
    Repere axesCorps;
    V regard;  // where the eyes look, in the head's axes
    V ecran;
    Repere axesEcran;
    V clavier;
    Repere axesClavier;
    V lumiere, contre;  // toward the key light and the rim light
    Couleur teinteEcran, teinteContre;
    Couleur teinteCle;  // the sunburst's light on the lit side of the skin
    std::vector<Couleur> peau, levres, cheveux, habit, boitier, plastique, touches;
    std::vector<Pli> plis;
    // The screen's picture, rows of colours.
    int texL = 0, texH = 0;
    std::vector<Couleur> tex;
};

// Hairline height round the head: pairs (angle from the front, height).
double Racine(const double (*table)[2], int n, double angle) {
    angle = std::abs(angle);
    if (angle <= table[0][0]) return table[0][1];
    for (int i = 1; i < n; ++i)
        if (angle <= table[i][0]) {
            const double t = (angle - table[i - 1][0]) / (table[i][0] - table[i - 1][0]);
            return table[i - 1][1] + (table[i][1] - table[i - 1][1]) * Lisse(0, 1, t);
        }
    return table[n - 1][1];
}

const double kRacineCourte[][2] = {{0.3, 0.6},   {0.9, 0.45}, {1.25, 0.2}, {1.4, -0.18},
                                   {1.55, -0.2}, {1.7, 0.12}, {2.1, 0.05}, {2.6, -0.5}};
const double kRacineLongue[][2] = {{0.0, 0.72}, {0.35, 0.52}, {0.75, 0.42},
                                   {1.1, 0.15}, {1.5, -0.5},  {2.2, -1.3}};

// Where a point of the coder's hair lies across its locks: 0 and 1 at the
// clefts either side of a lock, 0.5 along its ridge. The locks fan out from
// the crown, twisting a little as they fall.
double Meche(V q) {
    const double a = std::atan2(q.x, q.z + 0.2);
    const double u = a * 3.6 + 1.1 * q.y + 0.18 * std::sin(q.y * 6 + a * 3);
    return u - std::floor(u);
}
// Which lock a point of the coder's hair lies in.
int NumeroMeche(V q) {
    const double a = std::atan2(q.x, q.z + 0.2);
    return int(std::floor(a * 3.6 + 1.1 * q.y + 0.18 * std::sin(q.y * 6 + a * 3))) + 20;
}

// The eyes' centres in the head's axes (the left one first as seen).
const V kYeux[2] = {{-0.27, 0.0, 0.53}, {0.27, 0.0, 0.53}};
constexpr double kRayonOeil = 0.165;
// How much the mouth's corners lift.
constexpr double kSourire = 0.6;

// The head, hair and what is worn on it, in the head's axes.
void Tete(const Buste& b, V q0, Tir* t) {
    // The face below the eyes is drawn a little shorter than life.
    V q{q0.x, q0.y < 0 ? q0.y * 1.1 : q0.y, q0.z};
    // The face's features all lie in a box before it: well away from the
    // box, only the skull counts (the box's distance bounds the rest).
    const double boiteFace = BoiteRonde(q0 - V{0, -0.25, 0.62}, {0.62, 0.7, 0.42}, 0);
    const bool face = boiteFace < 0.4;
    // Skull, face and jaw.
    double d = Ellipsoide(q - V{0, 0.24, -0.1}, {0.73, 0.86, 0.86});
    // The musician's jaw narrower, the chin finer.
    const double machoire = b.musicien ? 0.84 : 1.0;
    d = SMin(d, Ellipsoide(q - V{0, -0.3, 0.06}, {0.57 * machoire, 0.6, 0.6}), 0.3);
    for (int s = -1; s <= 1; s += 2) {
        d = SMin(d,
                 Capsule(q, {s * 0.5 * machoire, -0.38, -0.12}, {s * 0.17 * machoire, -0.82, 0.45},
                         0.15 * machoire),
                 0.25);
        // Cheekbones; the musician's lower, so the far one does not bulge
        // past the face's outline.
        if (face)
            d = SMin(d,
                     b.musicien ? Ellipsoide(q - V{s * 0.34, -0.14, 0.4}, {0.15, 0.11, 0.16})
                                : Ellipsoide(q - V{s * 0.38, -0.12, 0.42}, {0.2, 0.14, 0.2}),
                     0.15);
    }
    // The chin, standing forward.
    d = SMin(d, Ellipsoide(q - V{0, -0.84, 0.56}, {0.19, 0.14, 0.14}), 0.15);
    double levres = 1e9;
    if (face) {
        // The muzzle round the mouth, under the nose.
        d = SMin(d, Ellipsoide(q - V{0, -0.5, 0.5}, {0.28, 0.22, 0.18}), 0.15);
        // The brow ridge over both eyes.
        d = SMin(d, Capsule(q, {-0.36, 0.17, 0.57}, {0.36, 0.17, 0.57}, 0.11), 0.2);
        // Eye sockets, shallow.
        for (const V& e : kYeux)
            d = SMax(d, -Ellipsoide(q - e - V{0, 0.0, 0.24}, {0.18, 0.12, 0.12}), 0.08);
        // The nose: bridge, tip and wings, its nostrils sunk; the
        // musician's small, short and a little upturned.
        const double bout = b.musicien ? -0.22 : -0.27, avance = b.musicien ? 0.77 : 0.87;
        const double k = b.musicien ? 0.8 : 1.0;
        double nez = Capsule(q, {0, 0.05, 0.68}, {0, bout + 0.03, avance}, 0.06 * k);
        nez = SMin(nez, Sphere(q - V{0, bout, avance - 0.03}, 0.09 * k), 0.08 * k);
        for (int s = -1; s <= 1; s += 2)
            nez = SMin(nez,
                       Ellipsoide(q - V{s * 0.095 * k, -0.34, 0.79 - (1 - k) * 0.35},
                                  V{0.075, 0.065, 0.07} * k),
                       0.06 * k);
        d = SMin(d, nez, 0.07);
        for (int s = -1; s <= 1; s += 2)
            d = SMax(d, -Sphere(q - V{s * 0.055, -0.4, 0.85}, 0.032), 0.02);
        // The mouth, relaxed: two lips lying flat on the muzzle rather than
        // pushed out, wide enough to reach under the nose's wings, a slit
        // between them and a small dent at each corner. The corners lift in
        // a faint smile.
        const V m{q.x, q.y - kSourire * q.x * q.x, q.z};
        levres = Ellipsoide(m - V{0, -0.53, 0.655}, {0.21, 0.036, 0.05});
        levres = SMin(levres, Ellipsoide(m - V{0, -0.6, 0.64}, {0.18, 0.046, 0.05}), 0.035);
        levres = SMax(levres, -Ellipsoide(m - V{0, -0.565, 0.7}, {0.24, 0.007, 0.1}), 0.01);
        for (int s = -1; s <= 1; s += 2)
            d = SMax(d, -Sphere(m - V{s * 0.215, -0.565, 0.6}, 0.028), 0.02);
    }
    // Ears.
    for (int s = -1; s <= 1; s += 2) {
        if (q.x * s < 0.4) continue;
        const V c = q - V{s * 0.75, -0.13, -0.12};
        // The ear flares out backward from the side of the head.
        const V r{c.x * 0.94 + s * c.z * 0.34, c.y, c.z * 0.94 - s * c.x * 0.34};
        double o = Ellipsoide(r, {0.07, 0.25, 0.16});
        o = SMax(o, -Ellipsoide(r - V{s * 0.06, 0.02, 0.02}, {0.045, 0.16, 0.1}), 0.02);
        d = SMin(d, o, 0.06);
    }
    if (!face) d = std::min(d, boiteFace);
    // The lips take their colour a little under the skin as well, so that a
    // flat mouth still reads as a mouth.
    if (levres < d + 0.015 && std::min(d, levres) < t->d) {
        t->mat = kLevres;
    } else if (d < t->d) {
        t->mat = kPeau;
    }
    d = SMin(d, levres, 0.05);
    t->d = std::min(t->d, d);
    // Eyeballs and lids.
    q = q0;
    for (const V& e : kYeux) {
        if (!face) break;
        Joint(t, Sphere(q - e, kRayonOeil), kOeil);
        const V qe = q - e;
        // The upper lid covers the eye down to a line tilting with the
        // head, the lower one rises a little over it.
        const double haut = SMax(Sphere(qe, kRayonOeil + 0.018), 0.06 - qe.y, 0.01);
        const double bas = SMax(Sphere(qe, kRayonOeil + 0.012), qe.y + 0.085, 0.01);
        Joint(t, SMax(std::min(haut, bas), -qe.z, 0.02), kPaupiere, 0.03);
    }
    // The hair: a mass round the skull, cut at the hairline, in clumps.
    const double angle = std::atan2(q.x, q.z);
    double cheveux;
    if (!b.musicien) {
        cheveux = Ellipsoide(q - V{0, 0.3, -0.1}, {0.82, 0.95, 0.96});
        // Short tufts standing up and forward on the crown, a fringe
        // pushed up over the forehead.
        if (q.y > 0.3) {
            const double touffes = std::pow(std::abs(std::sin(angle * 5.0 + q.y * 4.0)), 0.6);
            cheveux -= 0.13 * touffes * Lisse(0.3, 0.9, q.y);
        }
        cheveux -= 0.07 * Lisse(0.5, 1.0, q.y + q.z * 0.5);
        cheveux = SMin(cheveux, Ellipsoide(q - V{0.1, 0.85, 0.42}, {0.4, 0.18, 0.3}), 0.12);
        // Spikes breaking the outline: locks pointing up, back and out,
        // thick at the root and thinning to their points.
        static const std::vector<std::pair<V, V>> kMeches = [] {
            std::vector<std::pair<V, V>> m;
            for (int i = 0; i < 9; ++i) {
                const double a = -1.3 + i * 0.42, h = 0.55 + 0.35 * std::cos(a * 0.8);
                const V racine{0.7 * std::sin(a), h + 0.25, 0.7 * std::cos(a) - 0.25};
                const V pointe = racine + V{0.35 * std::sin(a), 0.32 - 0.1 * std::abs(a), -0.12} *
                                              (0.7 + 0.2 * std::sin(i * 2.7));
                m.push_back({racine, pointe});
            }
            return m;
        }();
        for (size_t i = 0; i < kMeches.size() && q.y > 0.2; ++i) {
            const V& r = kMeches[i].first;
            const V& p = kMeches[i].second;
            const V pr = q - r, ba = p - r;
            const double h = std::clamp(Scal(pr, ba) / Scal(ba, ba), 0.0, 1.0);
            const double meche = Long(pr - ba * h) - 0.11 + 0.06 * h;
            cheveux = SMin(cheveux, meche, 0.12);
        }
        // Clefts between the locks, sunk along their fall.
        const double u = Meche(q);
        cheveux += 0.045 * Lisse(0.16, 0.0, std::min(u, 1 - u));
        cheveux = SMax(cheveux, Racine(kRacineCourte, 8, angle) - q.y, 0.04);
    } else {
        cheveux = Ellipsoide(q - V{0, 0.3, -0.08}, {0.82, 0.93, 0.95});
        // Long hair parted in the middle, falling behind the ears down to
        // the shoulders, wider as it falls.
        cheveux = SMin(cheveux, Capsule(q, {0, 0.2, -0.4}, {0, -1.1, -0.5}, 0.52), 0.3);
        for (int s = -1; s <= 1; s += 2)
            cheveux = SMin(cheveux,
                           Capsule(q, {s * 0.58, 0.1, -0.22}, {s * 0.78, -1.15, -0.3}, 0.2), 0.3);
        // Locks: waves round the head, a groove at the parting.
        const double meches = std::sin(angle * 11.0 + std::sin(q.y * 3.0) * 2.0);
        cheveux -= 0.03 * meches;
        cheveux += 0.05 * Lisse(0.12, 0.0, std::abs(q.x)) * Lisse(0.3, 0.7, q.z);
        cheveux = SMax(cheveux, Racine(kRacineLongue, 6, angle) - q.y, 0.05);
    }
    // The long hair's waves bend its distance more steeply than a true
    // distance: the rays step through it at three quarters of a stride, so
    // that none slips between two locks at its edge.
    Joint(t, b.musicien ? cheveux * 0.75 : cheveux, kCheveux, 0.02);
    if (!b.musicien) {
        // Glasses: two rims before the eyes, a bridge and the arms.
        for (int s = -1; s <= 1 && face; s += 2) {
            const V c{s * 0.28, 0.01, 0.8};
            const V l = q - c;
            // The rim as a flat rounded frame facing forward, turned outward.
            const double a = s * 0.18;
            const V r{l.x * std::cos(a) - l.z * std::sin(a), l.y,
                      l.x * std::sin(a) + l.z * std::cos(a)};
            const double exterieur = BoiteRonde({r.x, r.y, 0}, {0.15, 0.085, 0}, 0.03);
            const double cadre =
                std::max(std::abs(exterieur + 0.012) - 0.016, std::abs(r.z) - 0.018);
            Joint(t, cadre, kMonture);
            // The lens, a thin pane set in the rim.
            Joint(t, std::max(exterieur + 0.012, std::abs(r.z) - 0.005), kVerre);
        }
        if (face) Joint(t, Capsule(q, {-0.1, 0.06, 0.83}, {0.1, 0.06, 0.83}, 0.018), kMonture);
        // The arms leave the rims' outer corners and run back into the
        // temples, under the skin of the cheek's side, to come out again
        // over the ears: seen from the front only the hinges show.
        for (int s = -1; s <= 1; s += 2) {
            Joint(t, Capsule(q, {s * 0.43, 0.05, 0.75}, {s * 0.52, 0.06, 0.4}, 0.018), kMonture);
            Joint(t, Capsule(q, {s * 0.52, 0.06, 0.4}, {s * 0.76, 0.08, -0.14}, 0.018), kMonture);
        }
    } else {
        // Headphones: a band over the head, two cups on the ears.
        const V c0 = q - V{0, 0.0, -0.1};
        Joint(t, std::max(ToreZ({c0.x, c0.y * 0.76, c0.z}, 0.93, 0.065), 0.12 - q.y), kCasque);
        for (int s = -1; s <= 1; s += 2) {
            const V c = q - V{s * 0.86, -0.16, -0.1};
            Joint(t, DisqueX(c - V{s * 0.05, 0, 0}, 0.29, 0.1, 0.06), kCasque, 0.02);
            Joint(t, ToreX(c + V{s * 0.07, 0, 0}, 0.22, 0.075), kCoussin, 0.02);
            // The yoke from the band down to the cup.
            Joint(t, Capsule(q, {s * 0.92, 0.2, -0.1}, {s * 0.9, 0.0, -0.1}, 0.045), kCasque, 0.02);
        }
    }
}

// Neck, shoulders and clothes, in the body's axes (origin at the pit of the
// neck).
void Corps(const Buste& b, V q, Tir* t) {
    // The necks slim under the jaw, the musician's slimmer still.
    const double cou = Capsule(q, {0, 0.25, -0.05}, {0, 1.1, -0.02}, b.musicien ? 0.26 : 0.35);
    // High up, inside the head, only the neck reaches.
    if (q.y > 1.15) {
        Joint(t, cou, kPeau);
        return;
    }
    double torse = Capsule(q, {-1.4, -0.15, -0.12}, {1.4, -0.15, -0.12}, 0.42);
    torse = SMin(torse, Ellipsoide(q - V{0, -0.95, 0.02}, {1.45, 1.05, 0.66}), 0.4);
    for (int s = -1; s <= 1; s += 2) {
        torse = SMin(torse, Capsule(q, {s * 1.5, -0.3, -0.12}, {s * 1.75, -2.3, 0.05}, 0.42), 0.2);
        // The slope of the shoulders up to the neck.
        torse = SMin(torse, Capsule(q, {s * 0.2, 0.5, -0.18}, {s * 1.1, 0.0, -0.15}, 0.24), 0.3);
    }
    // Folds of the cloth, strongest on the front.
    const double devant = Lisse(-0.2, 0.3, q.z);
    double pli = 0;
    for (const Pli& p : b.plis) {
        if (devant <= 0 || torse > 0.3) break;
        const V a{p.x0, p.y0, 0}, c{p.x1, p.y1, 0};
        const V pa{q.x - a.x, q.y - a.y, 0}, ba = c - a;
        const double h = std::clamp(Scal(pa, ba) / Scal(ba, ba), 0.0, 1.0);
        const double dist = Long(pa - ba * h);
        const double bout = std::sin(M_PI * h);
        pli += p.haut * std::exp(-dist * dist / (p.w * p.w)) * (0.3 + 0.7 * bout);
    }
    torse -= pli * devant;
    // The neckline: skin above it, cloth below, with a ribbed band.
    const double encolure = 0.2 - 0.18 * Lisse(0.0, 0.36, q.z) + 0.1 * Lisse(0.0, -0.3, q.z);
    const double peau = std::max(cou, encolure - q.y);
    const double habit = SMax(SMin(torse, cou, 0.45), q.y - encolure, 0.02);
    Joint(t, peau, kPeau);
    Joint(t, habit, kHabit);
    // The band round the neckline.
    const V r{q.x, q.y - encolure, q.z};
    const double bandeCol =
        std::max(std::abs(std::sqrt(r.x * r.x + r.z * r.z) - 0.38) - 0.05, std::abs(r.y) - 0.05) -
        0.015;
    Joint(t, bandeCol, kCote, 0.02);
    if (!b.musicien) {
        // The hood bunched behind the neck, and its two drawstrings.
        const V h = q - V{0, 0.12, -0.22};
        const double capuche =
            Long(h) > 2.0 ? Long(h) - 0.8
                          : SMax(ToreY({h.x, h.y + 0.25 * h.z, h.z}, 0.58, 0.2), h.z - 0.25, 0.1);
        Joint(t, capuche, kHabit, 0.1);
        for (int s = -1; s <= 1 && q.z > 0.2 && std::abs(q.x) < 0.6 && q.y > -1.2; s += 2) {
            Joint(t, Capsule(q, {s * 0.16, 0.05, 0.45}, {s * 0.2, -0.75, 0.62}, 0.028), kCordon,
                  0.01);
            Joint(t, Capsule(q, {s * 0.2, -0.75, 0.62}, {s * 0.205, -0.88, 0.63}, 0.036), kMonture,
                  0.01);
        }
    } else {
        // The headphones' lead, from the near cup down the chest.
        const double s = -b.cote;
        V prec{s * 0.62, 1.1, 0.2};
        const bool pres = q.x * s > -0.2 && q.x * s < 0.9 && q.y > -1.3 && q.z > 0;
        for (int i = 1; i <= 6 && pres; ++i) {
            const double u = i / 6.0;
            const V p{s * (0.62 - 0.45 * u + 0.08 * std::sin(u * 5)), 1.1 - 2.2 * u,
                      0.2 + 0.45 * Lisse(0, 0.5, u)};
            Joint(t, Capsule(q, prec, p, 0.03), kCable, 0.01);
            prec = p;
        }
    }
}

// A cathode-ray monitor, its screen on the side facing forward.
void Moniteur(V q, Tir* t) {
    double boite = BoiteRonde(q - V{0, 0, 0.55}, {1.22, 1.0, 0.22}, 0.07);
    // The tube's back, narrowing.
    const double fond = BoiteRonde(q - V{0, -0.05, -0.35}, {0.95 - 0.1, 0.8 - 0.1, 0.65}, 0.2);
    boite = SMin(boite, fond, 0.15);
    // The foot.
    boite = SMin(boite, BoiteRonde(q - V{0, -1.15, 0.0}, {0.55, 0.07, 0.5}, 0.04), 0.1);
    // The screen's well, and the glass in it, slightly bulging.
    const V e = q - V{0, 0.05, 0.78};
    boite = SMax(boite, -BoiteRonde(e, {1.0, 0.8, 0.12}, 0.06), 0.03);
    Joint(t, boite, kBoitier);
    const double bombe = 0.04 * (1 - (e.x * e.x) / 1.1) * (1 - (e.y * e.y) / 0.7);
    Joint(t, BoiteRonde(e + V{0, 0, 0.1 - bombe}, {1.0, 0.8, 0.02}, 0.05), kEcran);
}

// A computer keyboard: a plastic tray and five rows of keys.
void ClavierOrdi(V q, Tir* t) {
    Joint(t, BoiteRonde(q, {2.0, 0.06, 0.62}, 0.05), kSocle);
    // The keys lie above the tray: below it the tray is the nearest.
    if (q.y < -0.05) return;
    if (q.y > 1.2) {
        t->d = std::min(t->d, q.y - 0.2);
        return;
    }
    const double pas = 0.21;
    const double r = std::clamp(std::round((q.z + 0.42) / pas), 0.0, 4.0);
    const double decale = (r == 1 || r == 3) ? pas * 0.5 : r == 2 ? pas * 0.25 : 0;
    const double c = std::clamp(std::round((q.x - decale) / pas), -8.0, 8.0);
    const V k = q - V{c * pas + decale, 0.12, r * pas - 0.42};
    const bool noire = c <= -7 || c >= 7 || (r == 4 && std::abs(c) > 3);
    Joint(t, BoiteRonde(k, {0.07, 0.04, 0.07}, 0.022), noire ? kToucheNoire : kTouche);
}

// A music keyboard: white keys and the black ones in twos and threes.
void ClavierMusique(V q, Tir* t) {
    Joint(t, BoiteRonde(q - V{0, 0, -0.12}, {2.1, 0.08, 0.62}, 0.05), kSocle);
    if (q.y < -0.05) return;
    if (q.y > 1.25) {
        t->d = std::min(t->d, q.y - 0.25);
        return;
    }
    const double pas = 0.155;
    const double i = std::clamp(std::floor(q.x / pas), -13.0, 12.0);
    const V k = q - V{(i + 0.5) * pas, 0.12, 0.12};
    Joint(t, BoiteRonde(k, {0.068, 0.04, 0.36}, 0.012), kTouche);
    // Black keys sit over the gaps after the 1st, 2nd, 4th, 5th and 6th
    // white key of each octave.
    const double j = std::clamp(std::round(q.x / pas), -12.0, 12.0);
    const int n = ((int(j) - 1) % 7 + 7) % 7;
    if (n != 2 && n != 6) {
        const V kn = q - V{j * pas, 0.19, -0.05};
        Joint(t, BoiteRonde(kn, {0.038, 0.05, 0.22}, 0.012), kToucheNoire);
    }
    // Knobs along the back panel.
    const double kx = std::clamp(std::round(q.x / 0.3), -6.0, 6.0);
    Joint(t, Capsule(q, {kx * 0.3, 0.1, -0.55}, {kx * 0.3, 0.17, -0.55}, 0.06), kCasque);
}

Tir Champ(const Buste& b, V p) {
    // Each group is skipped while the point is well clear of its bounds (by
    // 0.7 at least, so that the soft shadows, which read the distances near
    // a surface, never mistake a bound for a solid).
    constexpr double kMarge = 0.7;
    Tir t;
    const V ht = p - b.tete;
    const double rt = Long(ht) - 1.75;
    if (rt > kMarge) {
        t.d = rt;
    } else {
        Tete(b, b.axesTete.Local(ht), &t);
    }
    const V c = b.axesCorps.Local(p - b.corps);
    const double rc = BoiteRonde(c - V{0, -1.0, -0.1}, {2.0, 2.5, 0.8}, 0.2);
    if (rc > kMarge) {
        t.d = std::min(t.d, rc);
    } else {
        Corps(b, c, &t);
    }
    const V m = b.axesEcran.Local(p - b.ecran);
    const double rm = BoiteRonde(m - V{0, -0.1, -0.1}, {1.3, 1.25, 1.1}, 0);
    if (rm > kMarge) {
        t.d = std::min(t.d, rm);
    } else {
        Moniteur(m, &t);
    }
    const V k = b.axesClavier.Local(p - b.clavier);
    const double rk = BoiteRonde(k - V{0, 0.05, -0.1}, {2.2, 0.25, 0.8}, 0);
    if (rk > kMarge) {
        t.d = std::min(t.d, rk);
    } else if (b.musicien) {
        ClavierMusique(k, &t);
    } else {
        ClavierOrdi(k, &t);
    }
    return t;
}

V Normale(const Buste& b, V p) {
    const double e = 0.0015;
    const V k1{1, -1, -1}, k2{-1, -1, 1}, k3{-1, 1, -1}, k4{1, 1, 1};
    return Unit(k1 * Champ(b, p + k1 * e).d + k2 * Champ(b, p + k2 * e).d +
                k3 * Champ(b, p + k3 * e).d + k4 * Champ(b, p + k4 * e).d);
}

// ---------------------------------------------------------------------------
// The camera: 12 units in front, 80 pixels a unit at the figure's depth.

constexpr double kFocale = 960;
const V kOeilCamera{0, -0.16, 12};

V Rayon(double px, double py) {
    return Unit({(px - 320) / kFocale, -(py - 170) / kFocale, -1});
}

// Where a ray (in a solid's axes) enters and leaves a box of half sizes h
// about c; false when it misses.
bool Traverse(V o, V d, V c, V h, double* entree, double* sortie) {
    double t0 = -1e9, t1 = 1e9;
    const double oc[3] = {o.x - c.x, o.y - c.y, o.z - c.z}, dd[3] = {d.x, d.y, d.z};
    const double hh[3] = {h.x, h.y, h.z};
    for (int i = 0; i < 3; ++i) {
        if (std::abs(dd[i]) < 1e-12) {
            if (std::abs(oc[i]) > hh[i]) return false;
            continue;
        }
        double a = (-hh[i] - oc[i]) / dd[i], b = (hh[i] - oc[i]) / dd[i];
        if (a > b) std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
    }
    *entree = t0;
    *sortie = t1;
    return t0 <= t1 && t1 > 0;
}

bool Touche(const Buste& b, V o, V d, double* t, double depart = 0) {
    // The stretch of the ray that crosses the groups' bounds, grown by a
    // little: outside it the ray meets nothing.
    double debut = 1e9, fin = -1e9;
    const struct {
        V centre;
        const Repere* axes;
        V c, h;
    } boites[] = {
        {b.tete, &b.axesTete, {0, 0, 0}, {1.8, 1.8, 1.8}},
        {b.corps, &b.axesCorps, {0, -1.0, -0.1}, {2.3, 2.8, 1.1}},
        {b.ecran, &b.axesEcran, {0, -0.1, -0.1}, {1.4, 1.35, 1.2}},
        {b.clavier, &b.axesClavier, {0, 0.05, -0.1}, {2.3, 0.35, 0.9}},
    };
    for (const auto& g : boites) {
        double e = 0, s = 0;
        if (Traverse(g.axes->Local(o - g.centre), g.axes->Local(d), g.c, g.h, &e, &s)) {
            debut = std::min(debut, e);
            fin = std::max(fin, s);
        }
    }
    if (debut > fin) return false;
    double s = std::max({0.0, debut, depart});
    for (int k = 0; k < 220 && s < fin; ++k) {
        const double e = Champ(b, o + d * s).d;
        if (e < 0.0008) {
            *t = s;
            return true;
        }
        s += e > 0.1 ? e * 0.95 : e * 0.8;
    }
    return false;
}

double OmbreDouce(const Buste& b, V p, V l) {
    double ombre = 1.0, s = 0.06;
    for (int k = 0; k < 24 && s < 3; ++k) {
        const double e = Champ(b, p + l * s).d;
        if (e < 0.0005) return 0;
        ombre = std::min(ombre, 6.0 * e / s);
        s += std::clamp(e, 0.02, 0.4);
    }
    return Lisse(0.0, 1.0, ombre);
}

double Occlusion(const Buste& b, V p, V n) {
    double occ = 0, poids = 1;
    for (int i = 1; i <= 4; ++i) {
        const double h = 0.02 + 0.06 * i;
        occ += (h - Champ(b, p + n * h).d) * poids;
        poids *= 0.7;
    }
    return std::clamp(1.0 - 2.2 * occ, 0.0, 1.0);
}

// The music keyboard's black keys.
const std::vector<Couleur> kEbene = {Rvb(6, 4, 8), Rvb(16, 12, 18), Rvb(34, 28, 38),
                                     Rvb(70, 64, 76), Rvb(150, 144, 156)};

// The tone of a ramp at level v (0..1): flat tones, dithered in a checker
// only in a narrow band where two tones meet; or, for skin (doux), blended
// smoothly from one tone to the next so cheeks and neck turn without bands.
Couleur Ton(const std::vector<Couleur>& rampe, double v, int x, int y, bool doux = false) {
    const double n = rampe.size() - 1;
    const double i = std::clamp(v, 0.0, 1.0) * n;
    const int bas = std::min(int(n) - 1, int(std::floor(i)));
    const double f = i - bas;
    if (doux) return Melange(rampe[size_t(bas)], rampe[size_t(bas + 1)], f);
    const double seuil = ((x + y) & 1) ? 0.58 : 0.42;
    return rampe[size_t(bas + (f > seuil ? 1 : 0))];
}

// Where a point of a lens lies on it, in the head's axes: across (-1 at the
// nose's side to 1 at the temple) and up (-1 to 1).
void SurVerre(V q, double* u, double* v) {
    const double s = q.x < 0 ? -1 : 1;
    const V l = q - V{s * 0.28, 0.01, 0.8};
    const double a = s * 0.18;
    *u = s * (l.x * std::cos(a) - l.z * std::sin(a)) / 0.18;
    *v = l.y / 0.115;
}

// Brow and lash marks painted over the skin, in the head's axes.
bool Sourcil(V q) {
    for (int s = -1; s <= 1; s += 2) {
        const V e = kYeux[s < 0 ? 0 : 1];
        const double u = (q.x - e.x) * s;  // outward from the nose
        if (u < -0.13 || u > 0.2 || q.z < 0.35) continue;
        const double milieu =
            e.y + 0.2 + 0.035 * std::cos((u - 0.02) * 7) - 0.05 * Lisse(0.1, 0.2, u);
        const double epais = 0.032 - 0.05 * std::max(0.0, u) + 0.006 * std::sin(u * 60);
        if (std::abs(q.y - milieu) < std::max(0.008, epais)) return true;
    }
    return false;
}

// Skin painted over its ramp, as a hand would: the sunburst's light
// colouring the lit side and the shade going cool and violet, blood in the
// cheeks and at the nose's tip, and the jaw's soft shadow on the neck. q is
// the point in the head's axes, v its light level, cle its key light.
void Carnation(const Buste& b, V q, double v, double cle, Couleur* c) {
    const Couleur base = *c;
    Couleur k = Melange(base, b.teinteCle, 0.2);
    k = Melange(base, k, std::min(1.0, cle * 0.8));
    const Couleur froid{k.r * 0.8, k.g * 0.78, std::min(1.0, k.b * 1.12 + 0.03)};
    k = Melange(k, froid, 0.65 * Lisse(0.55, 0.12, v));
    const Couleur sang{std::min(1.0, k.r * 1.04 + 0.03), k.g * 0.8, k.b * 0.82};
    auto tache = [&](V centre, double r2) {
        const V e = q - centre;
        return std::exp(-Scal(e, e) / r2);
    };
    double joues = 0;
    for (int s = -1; s <= 1; s += 2) joues += tache({s * 0.36, -0.3, 0.46}, 0.022);
    const double bout = b.musicien ? -0.22 : -0.27, avance = b.musicien ? 0.77 : 0.87;
    const double nez = tache({0, bout, avance}, 0.006);
    k = Melange(k, sang, std::min(1.0, 0.45 * joues + 0.4 * nez));
    // Under the chin, on the neck.
    const double machoire =
        Lisse(-0.8, -0.98, q.y) * Lisse(-1.75, -1.2, q.y) * Lisse(0.5, 0.3, q.z);
    k = Melange(k, {k.r * 0.5, k.g * 0.4, k.b * 0.6}, 0.55 * machoire);
    *c = k;
}

// A pixel of the traced figure: its colour and how much of it the figure
// covers.
struct Rendu {
    Couleur c;
    double a;
};

Couleur Texture(const Buste& b, double u, double v) {
    const double fx = std::clamp(u, 0.0, 1.0) * (b.texL - 1),
                 fy = std::clamp(v, 0.0, 1.0) * (b.texH - 1);
    const int x0 = int(fx), y0 = int(fy);
    const int x1 = std::min(x0 + 1, b.texL - 1), y1 = std::min(y0 + 1, b.texH - 1);
    const double tx = fx - x0, ty = fy - y0;
    auto at = [&](int x, int y) { return b.tex[size_t(y) * b.texL + x]; };
    return Melange(Melange(at(x0, y0), at(x1, y0), tx), Melange(at(x0, y1), at(x1, y1), tx), ty);
}

Couleur Plus(Couleur a, Couleur b, double k) {
    return {a.r + b.r * k, a.g + b.g * k, a.b + b.b * k};
}

// A point met by a ray: where, which way it faces, its material, and how
// much of the key light and of the open room reach it.
struct Point {
    V p, n;
    int mat = kVide;
    double t = 0, ombre = 1, ao = 1;
};

// The shadow and the occlusion of a point.
void Ombres(const Buste& b, Point* s) {
    // Surfaces turned from the key light need no shadow ray.
    s->ombre = Scal(s->n, b.lumiere) > -0.25 ? OmbreDouce(b, s->p + s->n * 0.03, b.lumiere) : 0.0;
    s->ao = Occlusion(b, s->p, s->n);
}

Point Rencontre(const Buste& b, V d, double t) {
    Point s;
    s.t = t;
    s.p = kOeilCamera + d * t;
    s.n = Normale(b, s.p);
    s.mat = Champ(b, s.p).mat;
    return s;
}

// The colour of the surface at a point seen along d, in pixel (x, y).
Couleur Eclaire(const Buste& b, const Point& s, V d, int x, int y) {
    const V p = s.p, n = s.n;
    const int mat = s.mat;
    const double ombre = s.ombre, ao = s.ao;
    const V vue = d * -1.0;
    const double cle = std::max(0.0, (Scal(n, b.lumiere) + 0.25) / 1.25) * (0.25 + 0.75 * ombre);
    const double ciel = 0.5 + 0.5 * n.y;
    // The screen's light, from its glass toward the point.
    const V versEcran = Unit(b.ecran + b.axesEcran.z * 0.8 - p);
    const double ecran = std::max(0.0, Scal(n, versEcran)) * ao;
    double rim = std::pow(1.0 - std::max(0.0, Scal(n, vue)), 1.8) *
                 Lisse(-0.1, 0.5, Scal(n, b.contre)) * (0.4 + 0.6 * ao);
    const V demi = Unit(b.lumiere + vue);
    const double eclat = std::pow(std::max(0.0, Scal(n, demi)), 40.0) * ombre;
    const V qt = b.axesTete.Local(p - b.tete);
    const std::vector<Couleur>* rampe = &b.peau;
    double brillance = 0.1, niveau = 0;
    bool doux = mat == kPeau || mat == kLevres || mat == kPaupiere;
    Couleur c;
    switch (mat) {
        case kOeil: {
            const V qe = Unit((qt - kYeux[qt.x < 0 ? 0 : 1]));
            const double g = Scal(qe, Unit(b.regard));
            const Couleur iris =
                b.musicien ? b.cheveux[3] : Melange(b.teinteEcran, {0, 0, 0}, 0.55);
            if (g > 0.985) {
                c = Rvb(12, 8, 14);
            } else if (g > 0.935) {
                const double bord = Lisse(0.935, 0.95, g);
                c = Melange(Melange(iris, {0, 0, 0}, 0.5), iris, bord);
                c = Melange(c, Melange(iris, {1, 1, 1}, 0.3), Lisse(0.95, 0.985, g) * 0.5);
            } else {
                c = Rvb(230, 222, 225);
            }
            // The lid's shadow on the eyeball's top.
            const double sous = Lisse(0.02, -0.06, qe.y);
            c = Melange(c, Melange(c, Rvb(60, 30, 50), 0.6), 1 - sous);
            const double lum = 0.3 + 0.7 * cle * ao;
            c = {c.r * lum, c.g * lum, c.b * lum};
            // The catchlight, placed by hand: a small white cluster on the
            // iris toward the key light, the same in both eyes.
            const V lampe = b.axesTete.Local(b.lumiere);
            const V reflet = Unit(Unit(b.regard) + V{lampe.x, lampe.y, 0} * 0.2);
            if (Scal(qe, reflet) > 0.993) return {1, 1, 1};
            return Plus(c, b.teinteEcran, 0.25 * ecran);
        }
        case kPaupiere: {
            const V qe = qt - kYeux[qt.x < 0 ? 0 : 1];
            if (qe.y > 0 && qe.y < 0.09) return Rvb(24, 10, 16);
            if (qe.y < 0 && qe.y > -0.1) {
                rampe = &b.peau;
                niveau = -0.12;
            }
            break;
        }
        case kPeau:
            if (Sourcil(qt)) {
                rampe = &b.cheveux;
                niveau = -0.1;
                brillance = 0;
                doux = false;
            }
            break;
        case kLevres: {
            rampe = &b.levres;
            brillance = 0.3;
            // The line where the lips meet.
            const double y = qt.y * 1.1 - kSourire * qt.x * qt.x + 0.565;
            // The upper lip lighter, the lower one darker, the line between
            // them darker still.
            niveau = y > 0 ? 0.08 : -0.1;
            if (std::abs(y) < 0.012 && qt.z > 0.6) niveau = -0.35;
            break;
        }
        case kCheveux: {
            rampe = &b.cheveux;
            // Strands: streaks along the hair's fall, a highlight band across.
            const double angle = std::atan2(qt.x, qt.z);
            const double fil = std::sin(angle * 38 + std::sin(qt.y * 6) * 2) *
                               std::sin(angle * 17 - qt.y * 3 + 1.0);
            // Fine dark lines between the strands, drawn as single pixels.
            // The strands' streaks show in the light; the shaded mass stays
            // calm, so no stray clumps of light sprinkle it.
            niveau = 0.06 * fil * Lisse(0.1, 0.45, cle) - (fil < -0.55 ? 0.12 : 0);
            if (!b.musicien && qt.y > -0.3) {
                // The coder's locks: each a shade of its own, dark in the
                // clefts, lighter along the ridge, with a fine strand grain.
                const double u = Meche(qt);
                const double bord = std::min(u, 1 - u);
                const int k = NumeroMeche(qt);
                niveau = 0.07 * fil - (fil < -0.55 ? 0.12 : 0) + 0.06 * std::sin(k * 2.4) -
                         0.3 * Lisse(0.14, 0.0, bord) + 0.08 * Lisse(0.2, 0.5, bord) +
                         (Lisse(0.25, 0.5, bord) * std::max(0.0, Scal(n, b.lumiere)) * ombre > 0.45
                              ? 0.22
                              : 0);
            }
            const V axe = Unit(qt - V{0, 1.0, -0.3});
            const V brin = b.axesTete.Monde(
                Unit(axe - Unit(b.axesTete.Local(n)) * Scal(axe, Unit(b.axesTete.Local(n)))));
            const double th = Scal(brin, demi);
            brillance = 0;
            // The sheen across the fall, broken into strands: clusters of
            // light in two flat steps where the strands catch it, none
            // between them.
            const double lustre = std::pow(std::sqrt(std::max(0.0, 1 - th * th)), 30.0) * ombre *
                                  (0.5 + 0.5 * fil) * Lisse(0.15, 0.4, cle);
            niveau += lustre > 0.5 ? 0.3 : lustre > 0.25 ? 0.14 : 0;
            break;
        }
        case kHabit:
        case kCote:
            rampe = &b.habit;
            brillance = 0.02;
            if (mat == kCote) niveau = 0.03 * std::sin(std::atan2(p.x - b.corps.x, p.z) * 90);
            break;
        case kCordon:
            rampe = &b.boitier;
            brillance = 0.2;
            break;
        case kToucheNoire:
            if (b.musicien) {
                // Ebony keys: deep, smooth tones and a sheen, no rim.
                rampe = &kEbene;
                brillance = 0.6;
                niveau = -0.15;
                doux = true;
                rim = 0;
                break;
            }
            [[fallthrough]];
        case kMonture:
        case kCasque:
        case kCable:
            rampe = &b.plastique;
            brillance = 0.7;
            doux = mat == kMonture;
            break;
        case kCoussin:
            rampe = &b.plastique;
            niveau = -0.1;
            brillance = 0.1;
            break;
        case kTouche:
            rampe = &b.touches;
            brillance = 0.45;
            // The music keyboard's ivory keys turn smoothly and stay light.
            if (b.musicien) {
                doux = true;
                niveau = 0.12;
                rim = 0;
            }
            break;
        case kBoitier:
        case kSocle:
            rampe = &b.boitier;
            brillance = 0.45;
            // The sunburst's rim only grazes the computer's plastic.
            rim *= 0.5;
            break;
        case kVerre: {
            // What lies behind the lens, seen through it a little cooler,
            // darker toward the rim (the pane's thickness), with the sky
            // mirrored on its upper half, a bar of light slanting across it
            // and the lamp's glint.
            Couleur derriere = Rvb(20, 24, 40);
            double t2 = 0;
            if (Touche(b, kOeilCamera, d, &t2, s.t + 0.03)) {
                Point s2 = Rencontre(b, d, t2);
                if (s2.mat != kVerre) {
                    Ombres(b, &s2);
                    derriere = Eclaire(b, s2, d, x, y);
                }
            }
            double u = 0, w = 0;
            SurVerre(qt, &u, &w);
            const double bord = Lisse(0.6, 1.0, std::max(std::abs(u), std::abs(w)));
            c = Melange(derriere, Rvb(60, 110, 150), 0.18 + 0.3 * bord);
            c = Plus(c, b.teinteContre, 0.18 * Lisse(0.0, 0.9, w));
            const double barre = std::exp(-std::pow((u + w * 0.8 - 0.15) / 0.22, 2));
            c = Plus(c, {1, 1, 1}, 0.35 * barre);
            const double glint = std::pow(std::max(0.0, Scal(n, demi)), 80.0);
            return Plus(c, {1, 1, 1}, 0.9 * glint);
        }
        case kEcran: {
            const V l = b.axesEcran.Local(p - b.ecran);
            Couleur e = Texture(b, (l.x + 1.0) / 2.0, (0.85 - l.y) / 1.7);
            // Scanlines and the glass's dark corners.
            const double coin =
                Lisse(0.75, 1.05, std::max(std::abs(l.x) / 1.0, std::abs(l.y - 0.05) / 0.8));
            e = Melange(e, {0, 0, 0}, 0.25 * (y & 1) + 0.6 * coin);
            // The room's reflection in the glass.
            const double reflet = std::pow(std::max(0.0, Scal(n, demi)), 12.0);
            return Plus(e, {1, 1, 1}, 0.35 * reflet);
        }
        default:
            break;
    }
    // The rim light stays on the head's sides: the face's front (nose,
    // brows, lips) takes none of it, or it runs across the features like
    // a crack.
    if (mat == kPeau || mat == kLevres || mat == kPaupiere)
        rim *= 1 - Lisse(0.2, 0.45, qt.z) * Lisse(-1.3, -1.0, qt.y);
    // One ramp carries all the light: the key light, the sky, and the
    // screen's, which also tints the tones it reaches toward its colour.
    // A low fill from the other side and in front, so the shaded half keeps
    // its features in the cool middle tones instead of sinking into black.
    const V ailleurs = Unit({-b.lumiere.x, 0.2, 0.7});
    const double fill = 0.16 * std::max(0.0, Scal(n, ailleurs)) * ao;
    const double v = 0.06 + 0.8 * cle * (0.55 + 0.45 * ao) + 0.08 * ciel * ao + 0.3 * ecran + fill +
                     niveau + brillance * 1.2 * eclat;
    // Skin's values spread a little further apart about the middle, so the
    // smooth ramp keeps the flat ramps' modelling.
    c = Ton(*rampe, doux ? 0.52 + (v - 0.5) * 1.2 : v, x, y, doux);
    if (rampe == &b.peau) Carnation(b, qt, v, cle, &c);
    const Couleur teinte{c.r * (0.4 + b.teinteEcran.r), c.g * (0.4 + b.teinteEcran.g),
                         c.b * (0.4 + b.teinteEcran.b)};
    c = Melange(c, teinte, 0.7 * ecran);
    // The rim in two flat steps; on skin a smooth rise.
    const double pasRim = doux         ? 0.9 * Lisse(0.15, 0.55, rim)
                          : rim > 0.45 ? 0.9
                          : rim > 0.2  ? 0.5
                                       : 0;
    c = Melange(c, b.teinteContre, pasRim);
    return c;
}

// A tone snapped to the screen's 5-6-5 steps, so it stays one tone on screen.
Couleur Pas565(Couleur c) {
    const auto p = [](double v, int n) {
        const int k = int(std::lround(std::clamp(v, 0.0, 1.0) * n));
        return (n == 31 ? Etend5(k) : Etend6(k)) / 255.0;
    };
    return {p(c.r, 31), p(c.g, 63), p(c.b, 31)};
}

// The figure's palette: its ramps (the hair's also serving the black
// plastic), two of the lips' tones, the ivory of the music keys, the rim's
// colour and its half step, the screen's tint and the catchlights' white;
// no more than 32 tones.
std::vector<Couleur> Palette(const Buste& b) {
    std::vector<Couleur> tons;
    auto ajoute = [&](Couleur c) {
        c = Pas565(c);
        for (const Couleur& t : tons)
            if (std::abs(t.r - c.r) + std::abs(t.g - c.g) + std::abs(t.b - c.b) < 0.02) return;
        tons.push_back(c);
    };
    for (const auto* rampe : {&b.peau, &b.cheveux, &b.habit, &b.boitier})
        for (const Couleur& c : *rampe) ajoute(c);
    ajoute(b.levres[1]);
    ajoute(b.levres[3]);
    if (b.musicien) ajoute(b.touches[3]);  // the ivory
    ajoute(b.teinteContre);
    ajoute(Melange(b.teinteContre, b.habit[1], 0.5));
    ajoute(b.teinteEcran);
    if (!b.musicien) ajoute(Melange(b.teinteEcran, {0, 0, 0}, 0.55));  // the irises
    ajoute({1, 1, 1});
    return tons;
}

// The palette's tone for a colour at pixel (x, y): the colour moved up or
// down by an ordered dither's threshold, then the nearest tone (weighted
// as the eye weighs the channels).
Couleur Peint(const std::vector<Couleur>& tons, Couleur c, int x, int y) {
    // A 4x4 matrix: its patterns are few and crisp, no lone specks.
    static const int kQuatre[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    const double d = ((kQuatre[y & 3][x & 3] + 0.5) / 16.0 - 0.5) * 0.1;
    c = {c.r + d, c.g + d, c.b + d};
    double meilleur = 1e9;
    Couleur choix = c;
    for (const Couleur& t : tons) {
        const double r = c.r - t.r, g = c.g - t.g, bl = c.b - t.b;
        const double e = 3 * r * r + 4 * g * g + 2 * bl * bl;
        if (e < meilleur) {
            meilleur = e;
            choix = t;
        }
    }
    return choix;
}

// Traces the figure and its props into an ARGB canvas (transparent where no
// solid is met), four rays a pixel where the edge of a solid crosses it.
void Trace(const Buste& b, Toile* toile) {
    const int l = toile->largeur, h = toile->hauteur;
    std::vector<int> mats(size_t(l) * h, kVide);
    std::vector<double> prof(size_t(l) * h, 0);
    std::vector<Rendu> rendus(size_t(l) * h, {{0, 0, 0}, 0});
    // A first pass every fourth pixel of every fourth row: the rays between
    // them start a little before the nearest of the four around them (or
    // from the start when one of those met nothing).
    const int gl = (l + 3) / 4 + 1, gh = (h + 3) / 4 + 1;
    std::vector<double> grille(size_t(gl) * gh, -1);
    for (int j = 0; j < gh; ++j)
        for (int i = 0; i < gl; ++i) {
            double t = 0;
            if (Touche(b, kOeilCamera, Rayon(i * 4 + 0.5, j * 4 + 0.5), &t))
                grille[size_t(j) * gl + i] = t;
        }
    std::vector<Point> points(size_t(l) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < l; ++x) {
            const V d = Rayon(x + 0.5, y + 0.5);
            double depart = 1e9;
            for (int k = 0; k < 4; ++k) {
                const double g = grille[size_t(y / 4 + (k >> 1)) * gl + x / 4 + (k & 1)];
                depart = g < 0 ? 0 : std::min(depart, g - 0.8);
                if (g < 0) break;
            }
            double t = 0;
            if (!Touche(b, kOeilCamera, d, &t, depart)) continue;
            const size_t i = size_t(y) * l + x;
            points[i] = Rencontre(b, d, t);
            mats[i] = points[i].mat;
            prof[i] = t;
        }
    // Shadows and occlusion vary slowly: traced on every other pixel of
    // every other row, and between those taken from the traced neighbours
    // on the same surface when they agree.
    for (int y = 0; y < h; y += 2)
        for (int x = 0; x < l; x += 2)
            if (mats[size_t(y) * l + x] != kVide) Ombres(b, &points[size_t(y) * l + x]);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < l; ++x) {
            const size_t i = size_t(y) * l + x;
            if (mats[i] == kVide || ((x | y) & 1) == 0) continue;
            Point& s = points[i];
            double o0 = 2, o1 = -1, a0 = 2, a1 = -1, so = 0, sa = 0;
            int n = 0;
            for (int k = 0; k < 4; ++k) {
                const int u = (x & ~1) + 2 * (k & 1), v = (y & ~1) + 2 * (k >> 1);
                if (u >= l || v >= h) continue;
                const Point& q = points[size_t(v) * l + u];
                if (q.mat != s.mat || std::abs(q.t - s.t) > 0.03 || Scal(q.n, s.n) < 0.95) continue;
                o0 = std::min(o0, q.ombre);
                o1 = std::max(o1, q.ombre);
                a0 = std::min(a0, q.ao);
                a1 = std::max(a1, q.ao);
                so += q.ombre;
                sa += q.ao;
                ++n;
            }
            if (n >= 2 && o1 - o0 < 0.1 && a1 - a0 < 0.1) {
                s.ombre = so / n;
                s.ao = sa / n;
            } else {
                Ombres(b, &s);
            }
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < l; ++x) {
            const size_t i = size_t(y) * l + x;
            if (mats[i] != kVide)
                rendus[i] = {Eclaire(b, points[i], Rayon(x + 0.5, y + 0.5), x, y), 1.0};
        }
    // Outlines: pixels on the edge of a solid against the background or
    // against a much deeper one get four rays; edges inside a surface stay
    // crisp, as drawn by hand.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < l; ++x) {
            const size_t i = size_t(y) * l + x;
            bool bord = false;
            for (int k = 0; k < 4 && !bord; ++k) {
                const int u = x + (k == 0) - (k == 1), v = y + (k == 2) - (k == 3);
                if (u < 0 || v < 0 || u >= l || v >= h) continue;
                const size_t j = size_t(v) * l + u;
                if (mats[j] == kVide && mats[i] == kVide) continue;
                bord = mats[j] == kVide || mats[i] == kVide || std::abs(prof[j] - prof[i]) > 0.15;
            }
            if (!bord) continue;
            // The rays across the edge start before the nearest surface
            // round the pixel.
            double depart = 1e9;
            for (int v = std::max(0, y - 1); v <= std::min(h - 1, y + 1); ++v)
                for (int u = std::max(0, x - 1); u <= std::min(l - 1, x + 1); ++u)
                    if (mats[size_t(v) * l + u] != kVide)
                        depart = std::min(depart, prof[size_t(v) * l + u] - 0.5);
            const Couleur centre = rendus[i].c;
            Couleur s{0, 0, 0};
            double a = 0;
            const double dx[4] = {0.375, 0.875, 0.125, 0.625}, dy[4] = {0.125, 0.375, 0.625, 0.875};
            for (int e = 0; e < 4; ++e) {
                const V d = Rayon(x + dx[e], y + dy[e]);
                double t = 0;
                if (!Touche(b, kOeilCamera, d, &t, depart)) continue;
                const int mat = Champ(b, kOeilCamera + d * t).mat;
                // A ray landing on the centre's surface takes the centre's
                // colour; only the other side of the edge is lit anew.
                const bool pareil = mat == mats[i] && std::abs(t - prof[i]) < 0.05;
                Couleur c = centre;
                if (!pareil) {
                    Point s = Rencontre(b, d, t);
                    Ombres(b, &s);
                    c = Eclaire(b, s, d, x, y);
                }
                s = Plus(s, c, 1);
                a += 0.25;
            }
            rendus[i] = {a > 0 ? Couleur{s.r / (a * 4), s.g / (a * 4), s.b / (a * 4)} : s, a};
        }
    // Painted down to the figure's palette in an ordered dither: every
    // pixel one of its few tones, the shading in crisp patterns.
    const std::vector<Couleur> tons = Palette(b);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < l; ++x) {
            Rendu& r = rendus[size_t(y) * l + x];
            if (r.a <= 0) continue;
            // Values pulled apart about the middle grey, a little more
            // colour, so the figure reads at a glance on its sunburst.
            auto e = [](double v) {
                return std::clamp(0.5 + (v - 0.5) * (v > 0.5 ? 1.3 : 1.1), 0.0, 1.0);
            };
            Couleur c = {e(r.c.r), e(r.c.g), e(r.c.b)};
            const double gris = (c.r + c.g + c.b) / 3;
            r.c = Peint(tons, Melange({gris, gris, gris}, c, 1.15), x, y);
        }
    cairo_surface_flush(toile->surface);
    unsigned char* data = cairo_image_surface_get_data(toile->surface);
    const int pas = cairo_image_surface_get_stride(toile->surface);
    auto v8 = [](double x) { return uint32_t(std::clamp(x, 0.0, 1.0) * 255 + 0.5); };
    for (int y = 0; y < h; ++y) {
        uint32_t* ligne = reinterpret_cast<uint32_t*>(data + size_t(y) * pas);
        for (int x = 0; x < l; ++x) {
            const Rendu& r = rendus[size_t(y) * l + x];
            ligne[x] = (v8(r.a) << 24) | (v8(r.c.r * r.a) << 16) | (v8(r.c.g * r.a) << 8) |
                       v8(r.c.b * r.a);
        }
    }
    cairo_surface_mark_dirty(toile->surface);
}

// ---------------------------------------------------------------------------
// The screens' pictures.

void TexteEcran(Buste* b) {
    b->texL = 320;
    b->texH = 256;
    Toile t(b->texL, b->texH);
    cairo_t* cr = t.cr;
    cairo_set_source_rgb(cr, 0.02, 0.03, 0.08);
    cairo_paint(cr);
    cairo_set_font_face(cr, Police("/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"));
    // Unhinted outlines: the same pixels whatever the machine's settings.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    if (!b->musicien) {
        // A listing in the production's cyan, its comment dimmer, the
        // loop's label in white, the cursor on the last line.
        static const char* kLignes[] = {"; plasma, 4 sines a pixel",
                                        "boucle: mov  si, [phase]",
                                        "        add  al, [sinus+si]",
                                        "        add  al, [sinus+bx]",
                                        "        shr  al, 2",
                                        "        stosb",
                                        "        inc  bx",
                                        "        dec  cx",
                                        "        jnz  boucle",
                                        "        add  [phase], 3",
                                        "        ret",
                                        "",
                                        "palette:",
                                        "        out  dx, al",
                                        "        loop palette",
                                        "_"};
        cairo_set_font_size(cr, 14);
        double y = 22;
        for (const char* ligne : kLignes) {
            const bool commentaire = ligne[0] == ';';
            const Couleur c = commentaire ? Rvb(90, 130, 200) : palette::kCyan;
            cairo_set_source_rgb(cr, c.r, c.g, c.b);
            cairo_move_to(cr, 14, y);
            cairo_show_text(cr, ligne);
            y += 15.5;
        }
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_move_to(cr, 14, 22 + 15.5 * 1);
        cairo_show_text(cr, "boucle:");
        cairo_rectangle(cr, 14, 22 + 15.5 * 14 - 11, 9, 13);
        cairo_fill(cr);
    } else {
        // A tracker's pattern: row numbers, four channels of notes, the
        // playing row under a bar, level meters on top.
        cairo_set_font_size(cr, 12);
        const Couleur ambre = palette::kAmbre;
        for (int c = 0; c < 4; ++c) {
            const double h = 10 + 26 * std::abs(std::sin(c * 1.7 + 0.5));
            cairo_rectangle(cr, 44 + c * 68, 30 - h, 50, h);
        }
        cairo_set_source_rgb(cr, palette::kMagenta.r, palette::kMagenta.g, palette::kMagenta.b);
        cairo_fill(cr);
        cairo_rectangle(cr, 0, 120, 320, 15);
        cairo_set_source_rgb(cr, 0.45, 0.22, 0.05);
        cairo_fill(cr);
        static const char* kNotes[] = {"C-4", "---", "D#4", "---", "G-4", "---", "A#4", "---"};
        for (int r = 0; r < 14; ++r) {
            const double y = 46 + r * 15.5;
            char num[8];
            std::snprintf(num, sizeof num, "%02X", r + 8);
            cairo_set_source_rgb(cr, 0.6, 0.45, 0.3);
            cairo_move_to(cr, 8, y);
            cairo_show_text(cr, num);
            for (int c = 0; c < 4; ++c) {
                const char* note = kNotes[(r * (c + 1) + c * 3) % 8];
                const Couleur k = (r == 5) ? Couleur{1, 1, 1} : ambre;
                cairo_set_source_rgb(cr, k.r, k.g, k.b);
                char cel[16];
                std::snprintf(cel, sizeof cel, "%s%02d", note, note[0] == '-' ? 0 : c + 1);
                cairo_move_to(cr, 40 + c * 68, y);
                cairo_show_text(cr, note[0] == '-' ? "--- .." : cel);
            }
        }
    }
    cairo_surface_flush(t.surface);
    const unsigned char* data = cairo_image_surface_get_data(t.surface);
    const int pas = cairo_image_surface_get_stride(t.surface);
    b->tex.resize(size_t(b->texL) * b->texH);
    for (int y = 0; y < b->texH; ++y)
        for (int x = 0; x < b->texL; ++x) {
            const uint32_t p = reinterpret_cast<const uint32_t*>(data + size_t(y) * pas)[x];
            b->tex[size_t(y) * b->texL + x] = {((p >> 16) & 255) / 255.0, ((p >> 8) & 255) / 255.0,
                                               (p & 255) / 255.0};
        }
}

Buste Modele(bool musicien) {
    Buste b;
    b.musicien = musicien;
    const double s = musicien ? -1 : 1;
    b.cote = s;
    // The coder sits a little lower, under his spikes of hair, his head
    // over the middle of his shoulders on a short neck; the musician's head
    // is upright, her eyes level.
    const double assis = musicien ? 0 : -0.1;
    b.tete = {(musicien ? -1.35 : -1.5) * s, 0.32 + assis, 0};
    // The musician faces us, barely turned toward her screen, so that her
    // face reads symmetric: both eyes at one size and level, either side of
    // a straight nose.
    b.axesTete = Tourne((musicien ? 0.1 : 0.6) * s, 0.06, musicien ? 0.0 : -0.05 * s);
    b.corps = {-1.3 * s, (musicien ? -1.32 : -1.16) + assis, -0.15};
    b.axesCorps = Tourne(0.25 * s, 0, 0);
    b.regard = {0.12 * s, -0.08, 1};
    b.ecran = {2.45 * s, -0.55, -0.7};
    b.axesEcran = Tourne(-0.7 * s, 0, 0);
    b.clavier = {0.7 * s, -2.02, 1.8};
    b.axesClavier = Tourne(-0.2 * s, 0.75, 0);
    // The key light falls from the sunburst's side, high and in front; the
    // rim light from behind on the same side.
    b.lumiere = Unit({0.8 * s, 0.6, 0.32});
    b.contre = Unit({0.9 * s, 0.25, -0.35});
    if (!musicien) {
        b.teinteEcran = palette::kCyan;
        b.teinteContre = Melange(palette::kMagenta, {1, 1, 1}, 0.3);
        b.teinteCle = Rvb(200, 236, 255);
        b.peau = {Rvb(36, 20, 44),    Rvb(78, 40, 58),    Rvb(124, 66, 70),  Rvb(170, 98, 86),
                  Rvb(208, 136, 108), Rvb(234, 176, 140), Rvb(252, 218, 186)};
        b.levres = {Rvb(44, 18, 40), Rvb(92, 40, 58), Rvb(140, 68, 76), Rvb(180, 98, 94),
                    Rvb(214, 138, 126)};
        b.cheveux = {Rvb(8, 6, 18),    Rvb(26, 16, 44),   Rvb(50, 30, 80),
                     Rvb(84, 52, 120), Rvb(120, 92, 166), Rvb(180, 170, 232)};
        b.habit = {Rvb(12, 14, 34), Rvb(24, 30, 62), Rvb(40, 50, 96), Rvb(60, 78, 134),
                   Rvb(92, 116, 172)};
        b.boitier = {Rvb(46, 38, 50), Rvb(96, 86, 84), Rvb(150, 140, 126), Rvb(196, 186, 164),
                     Rvb(230, 224, 204)};
        b.plastique = {Rvb(6, 6, 12), Rvb(20, 20, 32), Rvb(44, 46, 64), Rvb(90, 96, 120),
                       Rvb(180, 190, 210)};
        b.touches = b.boitier;
        b.plis = {{-0.95, -0.25, -0.35, -0.95, 0.125, 0.09}, {-1.0, -0.55, -0.45, -1.3, -0.1, 0.08},
                  {0.95, -0.3, 0.4, -1.0, 0.125, 0.09},      {1.0, -0.6, 0.5, -1.35, -0.1, 0.08},
                  {-0.6, -1.1, -0.1, -1.6, 0.1, 0.1},        {0.55, -1.2, 0.1, -1.65, 0.1, 0.1}};
    } else {
        b.teinteEcran = palette::kAmbre;
        b.teinteContre = Melange(palette::kAmbre, {1, 1, 1}, 0.15);
        b.teinteCle = Rvb(255, 226, 180);
        b.peau = {Rvb(34, 16, 30),   Rvb(70, 34, 40),    Rvb(110, 58, 50),  Rvb(150, 88, 64),
                  Rvb(188, 122, 84), Rvb(220, 162, 116), Rvb(244, 204, 156)};
        b.levres = {Rvb(48, 10, 30), Rvb(104, 30, 52), Rvb(160, 56, 72), Rvb(204, 88, 96),
                    Rvb(236, 136, 134)};
        b.cheveux = {Rvb(18, 6, 10),   Rvb(44, 14, 16),  Rvb(78, 28, 22),
                     Rvb(118, 48, 30), Rvb(166, 82, 44), Rvb(220, 140, 80)};
        b.habit = {Rvb(26, 6, 26),    Rvb(56, 14, 50),   Rvb(92, 24, 78),
                   Rvb(134, 40, 108), Rvb(180, 68, 140), Rvb(220, 112, 170)};
        b.boitier = {Rvb(10, 8, 14), Rvb(28, 24, 34), Rvb(54, 48, 62), Rvb(96, 88, 100),
                     Rvb(160, 150, 160)};
        b.plastique = {Rvb(8, 6, 10), Rvb(26, 22, 30), Rvb(56, 50, 60), Rvb(110, 104, 112),
                       Rvb(210, 206, 210)};
        b.touches = {Rvb(40, 30, 40), Rvb(110, 96, 100), Rvb(180, 168, 164), Rvb(226, 218, 206),
                     Rvb(252, 248, 236)};
        b.plis = {{-0.95, -0.3, -0.3, -1.0, 0.125, 0.09},
                  {-1.0, -0.65, -0.5, -1.35, -0.1, 0.08},
                  {0.95, -0.25, 0.35, -0.95, 0.125, 0.09},
                  {1.0, -0.6, 0.45, -1.3, -0.1, 0.08},
                  {0.0, -0.5, 0.05, -1.5, 0.075, 0.1}};
    }
    TexteEcran(&b);
    return b;
}

}  // namespace

void DessineBuste(Toile* toile, bool musicien, Masque* silhouette) {
    const Buste b = Modele(musicien);
    Toile figure(toile->largeur, toile->hauteur);
    Trace(b, &figure);
    // A soft glow of the rim's colour round the figure, on the sunburst.
    cairo_surface_t* halo =
        cairo_image_surface_create(CAIRO_FORMAT_A8, toile->largeur, toile->hauteur);
    cairo_t* h = cairo_create(halo);
    cairo_set_source_surface(h, figure.surface, 0, 0);
    cairo_paint(h);
    cairo_destroy(h);
    FlouSurface(halo, 6);
    cairo_set_source_rgba(toile->cr, b.teinteContre.r, b.teinteContre.g, b.teinteContre.b, 0.45);
    cairo_mask_surface(toile->cr, halo, 0, 0);
    cairo_surface_destroy(halo);
    cairo_set_source_surface(toile->cr, figure.surface, 0, 0);
    cairo_paint(toile->cr);
    if (silhouette) {
        cairo_surface_flush(figure.surface);
        const unsigned char* data = cairo_image_surface_get_data(figure.surface);
        const int pas = cairo_image_surface_get_stride(figure.surface);
        silhouette->largeur = toile->largeur;
        silhouette->hauteur = toile->hauteur;
        silhouette->v.resize(size_t(toile->largeur) * toile->hauteur);
        for (int y = 0; y < toile->hauteur; ++y)
            for (int x = 0; x < toile->largeur; ++x)
                silhouette->v[size_t(y) * toile->largeur + x] =
                    (reinterpret_cast<const uint32_t*>(data + size_t(y) * pas)[x] >> 24) / 255.0f;
    }
}

}  // namespace forge
