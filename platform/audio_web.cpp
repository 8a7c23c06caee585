// The sound of the browser build: the module played by libmikmod, set up as
// SDL_mixer sets it up (the same samples as the native production), and fed to
// the page in blocks of 4096 samples, SDL_mixer's block, from the moment the
// production starts its music. The music always runs: the page plays the
// blocks when its audio output runs and drops them, at the pace of its clock,
// when it does not, so that an output that starts late joins the music where
// the pictures are. Built natively it has no sound card: the production then
// runs silently, as on a machine without one.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "navigateur.h"
#include "plateforme.h"
#include "reglage_mikmod.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// The page's side (kazzmot-page.js): how many samples it lacks, and a block of
// interleaved stereo samples.
EM_JS(int, kazz_son_manque, (), { return Module.kazzSonManque ? Module.kazzSonManque() : 0; });
EM_JS(void, kazz_son_bloc, (const void* echantillons, int paires),
      { Module.kazzSonBloc(echantillons, paires); });
// The test mode of the page, like the capture, has no sound card.
static bool SortiePrete() {
    return !ModeVirtuel();
}
#else
static bool SortiePrete() {
    return false;
}
static int kazz_son_manque() {
    return 0;
}
static void kazz_son_bloc(const void*, int) {}
#endif

// libmikmod's MODULE, behind the production's music record.
struct _Mix_Music {
    MODULE* module;
};

namespace {

constexpr int kFrequence = 44100;
MODULE* g_enCours = nullptr;  // the module playing, from JoueMusique on
std::vector<SWORD> g_bloc(kPairesParBlocMikmod * 2);

}  // namespace

void AlimenteSon() {
    if (!g_enCours) return;
    for (int manque = kazz_son_manque(); manque > 0; manque -= kPairesParBlocMikmod) {
        // As SDL_mixer: a module that has ended leaves silence.
        if (Player_Active()) {
            VC_WriteBytes(reinterpret_cast<SBYTE*>(g_bloc.data()), kPairesParBlocMikmod * 4);
        } else {
            std::fill(g_bloc.begin(), g_bloc.end(), 0);
        }
        kazz_son_bloc(g_bloc.data(), kPairesParBlocMikmod);
    }
}

StructAudio_t* InitAudio() {
    if (g_observeAppel) g_observeAppel("InitAudio");
    StructAudio_t* settings = static_cast<StructAudio_t*>(std::malloc(sizeof(StructAudio_t)));
    if (!settings) {
        std::perror("Impossible d'allouer la structure StructAudio_t\n");
        return nullptr;
    }
    settings->frequency = kFrequence;
    settings->channels = 2;
    settings->chunksize = kPairesParBlocMikmod;
    settings->format = AUDIO_S16LSB;
    settings->loops = 1;
    settings->music = nullptr;
    std::string erreur = "pas de sortie son";
    if (!SortiePrete() || !DemarreMikmod(kFrequence, &erreur)) {
        std::fprintf(stderr, "Ouverture de la carte son impossible : %s\n", erreur.c_str());
        std::free(settings);
        return nullptr;
    }
    return settings;
}

StructAudio_t* ChargeMusique(StructAudio_t* settings, const char* name) {
    if (g_observeAppel) g_observeAppel("ChargeMusique");
    if (!settings) return nullptr;
    StructAudio_t* music = static_cast<StructAudio_t*>(std::malloc(sizeof(StructAudio_t)));
    if (!music) return nullptr;
    *music = *settings;
    music->loops = 0;
    music->music = nullptr;
    const std::string path = CheminDonnees("Datas\\Sons\\", name);
    MODULE* module = Player_Load(path.c_str(), 64, 0);
    if (!module) {
        ArretFatal("Impossible de charger <%s>\n(module XM attendu : %s)\n", path.c_str(),
                   MikMod_strerror(MikMod_errno));
    }
    music->music = new Mix_Music{module};
    return music;
}

void JoueMusique(StructAudio_t* music) {
    if (g_observeAppel) g_observeAppel("JoueMusique");
    if (!music || !music->music) return;
    LanceModule(music->music->module);
    g_enCours = music->music->module;
    AlimenteSon();
}

void LibereMusique(StructAudio_t* music) {
    if (g_observeAppel) g_observeAppel("LibereMusique");
    if (!music) return;
    if (music->music) {
        if (g_enCours == music->music->module) {
            Player_Stop();
            g_enCours = nullptr;
        }
        Player_Free(music->music->module);
        delete music->music;
    }
    std::free(music);
}

void FermeAudio(StructAudio_t* settings) {
    if (g_observeAppel) g_observeAppel("FermeAudio");
    if (settings) MikMod_Exit();
}
