// The production's sound in a build on the cached libraries that has no sound
// of its own: the device never opens, so the production plays silently, as it
// does on a machine without a sound card.
#include <cstdio>

#include "plateforme.h"

StructAudio_t* InitAudio() {
    if (g_observeAppel) g_observeAppel("InitAudio");
    std::fprintf(stderr, "Ouverture impossible de la carte son\n%s\n",
                 "this build has no sound output");
    return nullptr;
}

StructAudio_t* ChargeMusique(StructAudio_t* /*settings*/, const char* /*name*/) {
    if (g_observeAppel) g_observeAppel("ChargeMusique");
    return nullptr;
}

void JoueMusique(StructAudio_t* /*music*/) {
    if (g_observeAppel) g_observeAppel("JoueMusique");
}

void LibereMusique(StructAudio_t* /*music*/) {
    if (g_observeAppel) g_observeAppel("LibereMusique");
}

void FermeAudio(StructAudio_t* /*settings*/) {
    if (g_observeAppel) g_observeAppel("FermeAudio");
}
