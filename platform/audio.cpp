// Sound: opens the device with fixed settings and plays the one module once.
// A device that cannot be opened only silences the production.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "plateforme.h"

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
    Mix_CloseAudio();
}
