#include "ecoute.h"

#include <mikmod.h>

namespace {

constexpr int kFrequence = 44100;
constexpr int kTrame = 441;  // frames mixed per step: the length is known to 10 ms

}  // namespace

bool RendAvecMikmod(const std::vector<uint8_t>& module, double limiteSecondes, RenduMikmod* rendu,
                    std::string* erreur) {
    // The settings SDL_mixer gives libmikmod for a 44100 Hz stereo 16-bit device.
    MikMod_RegisterDriver(&drv_nos);
    MikMod_RegisterLoader(&load_xm);
    md_mode = DMODE_16BITS | DMODE_STEREO | DMODE_SOFT_MUSIC | DMODE_HQMIXER | DMODE_SURROUND;
    md_mixfreq = kFrequence;
    md_device = 0;
    md_volume = 96;
    md_musicvolume = 128;
    md_sndfxvolume = 128;
    md_pansep = 128;
    md_reverb = 0;
    if (MikMod_Init("") != 0) {
        *erreur = std::string("libmikmod does not start: ") + MikMod_strerror(MikMod_errno);
        return false;
    }
    MODULE* m = Player_LoadMem(reinterpret_cast<const char*>(module.data()),
                               static_cast<int>(module.size()), 64, 0);
    if (!m) {
        *erreur =
            std::string("libmikmod does not load the module: ") + MikMod_strerror(MikMod_errno);
        MikMod_Exit();
        return false;
    }
    m->extspd = 1;
    m->panflag = 1;
    m->wrap = 0;
    m->loop = 0;
    Player_Start(m);
    rendu->stereo.clear();
    const long limite = static_cast<long>(limiteSecondes * kFrequence);
    long trames = 0;
    std::vector<int16_t> tampon(kTrame * 2);
    while (Player_Active() && trames < limite) {
        VC_WriteBytes(reinterpret_cast<SBYTE*>(tampon.data()), kTrame * 4);
        rendu->stereo.insert(rendu->stereo.end(), tampon.begin(), tampon.end());
        trames += kTrame;
    }
    rendu->termine = !Player_Active();
    rendu->secondes = static_cast<double>(trames) / kFrequence;
    Player_Stop();
    Player_Free(m);
    MikMod_Exit();
    return true;
}
