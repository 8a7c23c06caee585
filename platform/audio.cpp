// Sound: opens the device with fixed settings and plays the one module once.
// A device that cannot be opened only silences the production.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "plateforme.h"

namespace {

// The sound the device has been given since it was opened, in frames, and
// its rate: counted on SDL's audio thread after each mix. The pacing tells by
// it whether a pause of the program stopped the whole process (the music
// stopped with it) or only the drawing (the music went on).
std::atomic<std::int64_t> g_tramesSon{0};
std::atomic<int> g_frequenceSon{0};
static_assert(std::atomic<std::int64_t>::is_always_lock_free,
              "the sound counter must be lock-free");

void CompteSon(void*, Uint8*, int octets) {
    g_tramesSon.fetch_add(octets / 4, std::memory_order_relaxed);  // stereo 16-bit frames
}

}  // namespace

std::int64_t SonJoueNs() {
    const int frequence = g_frequenceSon.load();
    if (frequence <= 0) return -1;
    return g_tramesSon.load(std::memory_order_relaxed) * 1000000000 / frequence;
}

StructAudio_t* InitAudio() {
    if (g_observeAppel) g_observeAppel("InitAudio");
    StructAudio_t* settings = static_cast<StructAudio_t*>(std::malloc(sizeof(StructAudio_t)));
    if (!settings) {
        std::perror("Impossible d'allouer la structure StructAudio_t\n");
        return nullptr;
    }
    settings->frequency = 44100;
    settings->channels = 2;
    settings->chunksize = 4096;
    settings->format = AUDIO_S16LSB;
    settings->loops = 1;
    settings->music = nullptr;

    if (SDL_Init(SDL_INIT_AUDIO) < 0) {
        std::fprintf(stderr, "Ouverture impossible de la carte son\n%s\n", SDL_GetError());
        return nullptr;
    }
    if (Mix_OpenAudio(settings->frequency, settings->format, settings->channels,
                      settings->chunksize) < 0) {
        std::fprintf(stderr, "Ouverture de la carte son impossible : %s\n", SDL_GetError());
        return nullptr;
    }
    int frequence = 0, canaux = 0;
    Uint16 format = 0;
    if (Mix_QuerySpec(&frequence, &format, &canaux) && canaux == 2 &&
        (format == AUDIO_S16LSB || format == AUDIO_S16MSB)) {
        g_tramesSon = 0;
        Mix_SetPostMix(CompteSon, nullptr);
        g_frequenceSon = frequence;
    }
    return settings;
}

StructAudio_t* ChargeMusique(StructAudio_t* settings, const char* name) {
    if (g_observeAppel) g_observeAppel("ChargeMusique");
    if (!settings) return nullptr;
    StructAudio_t* music = static_cast<StructAudio_t*>(std::malloc(sizeof(StructAudio_t)));
    if (!music) return nullptr;
    music->frequency = settings->frequency;
    music->channels = settings->channels;
    music->chunksize = settings->chunksize;
    music->format = settings->format;
    music->loops = 0;
    music->music = nullptr;

    const std::string path = CheminDonnees("Datas\\Sons\\", name);
    music->music = Mix_LoadMUS(path.c_str());
    if (!music->music) {
        ArretFatal("Impossible de charger <%s>\n(module XM attendu : %s)\n", path.c_str(),
                   Mix_GetError());
    }
    return music;
}

void JoueMusique(StructAudio_t* music) {
    if (g_observeAppel) g_observeAppel("JoueMusique");
    if (music) Mix_PlayMusic(music->music, music->loops);
}

void LibereMusique(StructAudio_t* music) {
    if (g_observeAppel) g_observeAppel("LibereMusique");
    if (music) {
        Mix_FreeMusic(music->music);
        std::free(music);
    }
}

void FermeAudio(StructAudio_t* /*settings*/) {
    if (g_observeAppel) g_observeAppel("FermeAudio");
    g_frequenceSon = 0;
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
}
