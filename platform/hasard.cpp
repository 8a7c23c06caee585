#include "hasard.h"

#include <cstdint>

namespace {

constexpr int kDegre = 31;
constexpr int kEcart = 3;

struct Hasard {
    std::int32_t etat[kDegre];
    int avant;    // the term added to
    int arriere;  // the term it is added from
    bool seme = false;
};

Hasard g_hasard;

void Seme(Hasard* h, unsigned graine) {
    std::int32_t mot = graine == 0 ? 1 : static_cast<std::int32_t>(graine);
    h->etat[0] = mot;
    for (int i = 1; i < kDegre; ++i) {
        // 16807 × mot mod (2^31 − 1) without overflowing 31 bits (Schrage).
        const std::int32_t haut = mot / 127773;
        const std::int32_t bas = mot % 127773;
        mot = 16807 * bas - 2836 * haut;
        if (mot < 0) mot += 2147483647;
        h->etat[i] = mot;
    }
    h->avant = kEcart;
    h->arriere = 0;
    h->seme = true;
    for (int i = 0; i < kDegre * 10; ++i) TirageHasard();
}

}  // namespace

void GraineHasard(unsigned graine) {
    Seme(&g_hasard, graine);
}

int TirageHasard() {
    Hasard* h = &g_hasard;
    if (!h->seme) Seme(h, 1);
    const std::uint32_t somme = static_cast<std::uint32_t>(h->etat[h->avant]) +
                                static_cast<std::uint32_t>(h->etat[h->arriere]);
    h->etat[h->avant] = static_cast<std::int32_t>(somme);
    h->avant = (h->avant + 1) % kDegre;
    h->arriere = (h->arriere + 1) % kDegre;
    return static_cast<int>(somme >> 1);
}
