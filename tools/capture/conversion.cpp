// 5-6-5 frames to the planar 4:2:0 luma and chroma the delivery encoder takes
// as they come: BT.709 coefficients, video range (luma 16 to 235, chroma 16
// to 240), which is what the delivery file says it holds. Each chroma sample
// is the average of the 2 x 2 pixels it covers. Done here, on the capture's
// own sending thread, it costs a fraction of what ffmpeg's generic scaler
// spends on the same picture in its single main thread.
#include <cstdint>

#include "capture.h"

namespace {

// Fixed point: 16 fraction bits. The coefficients of 8-bit R, G and B in Y,
// Cb and Cr, scaled to video range.
constexpr double kKr = 0.2126, kKb = 0.0722, kKg = 1.0 - kKr - kKb;
constexpr int kBits = 16;
constexpr std::int32_t Fixe(double v) {
    return static_cast<std::int32_t>(v * (1 << kBits) + (v < 0 ? -0.5 : 0.5));
}
constexpr double kEchelleY = 219.0 / 255.0, kEchelleC = 224.0 / 255.0;
constexpr std::int32_t kYr = Fixe(kEchelleY * kKr), kYg = Fixe(kEchelleY * kKg),
                       kYb = Fixe(kEchelleY * kKb);
constexpr std::int32_t kUr = Fixe(kEchelleC * -kKr / (2 * (1 - kKb))),
                       kUg = Fixe(kEchelleC * -kKg / (2 * (1 - kKb))), kUb = Fixe(kEchelleC * 0.5);
constexpr std::int32_t kVr = Fixe(kEchelleC * 0.5), kVg = Fixe(kEchelleC * -kKg / (2 * (1 - kKr))),
                       kVb = Fixe(kEchelleC * -kKb / (2 * (1 - kKr)));

// The components widened to 8 bits as a screen shows them.
inline std::int32_t Rouge(Uint16 p) {
    const std::int32_t r = p >> 11;
    return (r << 3) | (r >> 2);
}
inline std::int32_t Vert(Uint16 p) {
    const std::int32_t g = (p >> 5) & 63;
    return (g << 2) | (g >> 4);
}
inline std::int32_t Bleu(Uint16 p) {
    const std::int32_t b = p & 31;
    return (b << 3) | (b >> 2);
}

// Written as plain loops over whole rows, which the compiler turns into
// vector code.
__attribute__((target_clones("avx2", "default"))) void LigneLuma(const Uint16* ligne, int largeur,
                                                                 Uint8* sortie) {
    for (int x = 0; x < largeur; ++x) {
        const Uint16 p = ligne[x];
        const std::int32_t v = kYr * Rouge(p) + kYg * Vert(p) + kYb * Bleu(p);
        sortie[x] = static_cast<Uint8>(16 + ((v + (1 << (kBits - 1))) >> kBits));
    }
}

// Cb and Cr of `n` blocks of 2 x 2 pixels from two rows.
__attribute__((target_clones("avx2", "default"))) void LigneChroma(const Uint16* haut,
                                                                   const Uint16* bas, int n,
                                                                   Uint8* u, Uint8* v) {
    for (int x = 0; x < n; ++x) {
        const Uint16 a = haut[2 * x], b = haut[2 * x + 1], c = bas[2 * x], d = bas[2 * x + 1];
        const std::int32_t r = Rouge(a) + Rouge(b) + Rouge(c) + Rouge(d);
        const std::int32_t g = Vert(a) + Vert(b) + Vert(c) + Vert(d);
        const std::int32_t bl = Bleu(a) + Bleu(b) + Bleu(c) + Bleu(d);
        // The sum of four, averaged and rounded, around 128.
        const std::int32_t su = kUr * r + kUg * g + kUb * bl;
        const std::int32_t sv = kVr * r + kVg * g + kVb * bl;
        u[x] = static_cast<Uint8>(128 + ((su + (1 << (kBits + 1))) >> (kBits + 2)));
        v[x] = static_cast<Uint8>(128 + ((sv + (1 << (kBits + 1))) >> (kBits + 2)));
    }
}

}  // namespace

size_t TailleYuv420(int largeur, int hauteur) {
    const size_t lc = static_cast<size_t>(largeur + 1) / 2;
    const size_t hc = static_cast<size_t>(hauteur + 1) / 2;
    return static_cast<size_t>(largeur) * hauteur + 2 * lc * hc;
}

void ConvertitYuv420(const Uint16* pixels, int largeur, int hauteur, Uint8* sortie) {
    const int lc = (largeur + 1) / 2, hc = (hauteur + 1) / 2;
    Uint8* planY = sortie;
    Uint8* planU = planY + static_cast<size_t>(largeur) * hauteur;
    Uint8* planV = planU + static_cast<size_t>(lc) * hc;
    for (int y = 0; y < hauteur; ++y) {
        LigneLuma(pixels + static_cast<size_t>(y) * largeur, largeur,
                  planY + static_cast<size_t>(y) * largeur);
    }
    for (int cy = 0; cy < hc; ++cy) {
        // An odd last row or column counts its pixels twice.
        const Uint16* haut = pixels + static_cast<size_t>(2 * cy) * largeur;
        const Uint16* bas = 2 * cy + 1 < hauteur ? haut + largeur : haut;
        Uint8* u = planU + static_cast<size_t>(cy) * lc;
        Uint8* v = planV + static_cast<size_t>(cy) * lc;
        LigneChroma(haut, bas, largeur / 2, u, v);
        if (largeur % 2) {
            const Uint16 bord[4] = {haut[largeur - 1], haut[largeur - 1], bas[largeur - 1],
                                    bas[largeur - 1]};
            LigneChroma(bord, bord + 2, 1, u + lc - 1, v + lc - 1);
        }
    }
}
