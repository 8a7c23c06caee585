#include "reglage_mikmod.h"

bool DemarreMikmod(unsigned frequence, std::string* erreur) {
    CHAR* liste = MikMod_InfoDriver();
    if (liste) {
        MikMod_free(liste);
    } else {
        MikMod_RegisterDriver(&drv_nos);
    }
    liste = MikMod_InfoLoader();
    if (liste) {
        MikMod_free(liste);
    } else {
        MikMod_RegisterAllLoaders();
    }
    md_mode = DMODE_16BITS | DMODE_STEREO;
    md_mixfreq = static_cast<UWORD>(frequence);
    md_device = 0;
    md_volume = 96;
    md_musicvolume = 128;
    md_sndfxvolume = 128;
    md_pansep = 128;
    md_reverb = 0;
    md_mode |= DMODE_HQMIXER | DMODE_SOFT_MUSIC | DMODE_SURROUND;
    if (MikMod_Init("")) {
        *erreur = std::string("libmikmod cannot start: ") + MikMod_strerror(MikMod_errno);
        return false;
    }
    return true;
}

void LanceModule(MODULE* module) {
    module->extspd = 1;
    module->panflag = 1;
    module->wrap = 0;
    module->loop = 1;
    module->fadeout = 0;
    module->initvolume = 128;
    Player_Start(module);
    Player_SetVolume(128);
    Player_SetPosition(0);
}
