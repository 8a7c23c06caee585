// The production's module rendered offline with libmikmod, set up as SDL_mixer
// sets it up when it plays a module (so the captured sound is the sound the
// production plays), and the WAV files the capture writes.
#include <mikmod.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "capture.h"
#include "reglage_mikmod.h"

namespace {

constexpr size_t kPairesParBloc = kPairesParBlocMikmod;

void EcritMot16(FILE* f, std::uint16_t v) {
    const unsigned char o[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
    std::fwrite(o, 1, 2, f);
}

void EcritMot32(FILE* f, std::uint32_t v) {
    const unsigned char o[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v >> 16),
                                static_cast<unsigned char>(v >> 24)};
    std::fwrite(o, 1, 4, f);
}

std::uint32_t Mot32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

bool OuvreModule(const std::string& chemin, LecteurModule* lecteur, std::string* erreur) {
    FILE* essai = std::fopen(chemin.c_str(), "rb");
    if (!essai) {
        *erreur = chemin +
                  ": cannot open the music module (expected an XM module here; "
                  "--no-music captures without it)";
        return false;
    }
    std::fclose(essai);
    if (!DemarreMikmod(kFrequenceAudio, erreur)) return false;
    MODULE* module = Player_Load(chemin.c_str(), 64, 0);
    if (!module) {
        *erreur =
            chemin + ": not a module libmikmod can play (" + MikMod_strerror(MikMod_errno) + ")";
        MikMod_Exit();
        return false;
    }
    LanceModule(module);
    lecteur->module = module;
    lecteur->fini = false;
    lecteur->bloc.assign(kPairesParBloc * 2, 0);
    lecteur->lu = kPairesParBloc;
    return true;
}

void RendModule(LecteurModule* lecteur, std::uint64_t paires, std::vector<Sint16>* sortie) {
    sortie->reserve(sortie->size() + paires * 2);
    while (paires > 0) {
        if (lecteur->lu == kPairesParBloc) {
            // A new block: SDL_mixer halts a module that is no longer active
            // before mixing, and plays silence from then on.
            if (!lecteur->module || lecteur->fini || !Player_Active()) {
                lecteur->fini = true;
                std::fill(lecteur->bloc.begin(), lecteur->bloc.end(), 0);
            } else {
                VC_WriteBytes(reinterpret_cast<SBYTE*>(lecteur->bloc.data()),
                              static_cast<ULONG>(kPairesParBloc * 4));
            }
            lecteur->lu = 0;
        }
        const std::uint64_t n = std::min<std::uint64_t>(paires, kPairesParBloc - lecteur->lu);
        const Sint16* debut = lecteur->bloc.data() + lecteur->lu * 2;
        sortie->insert(sortie->end(), debut, debut + n * 2);
        lecteur->lu += static_cast<size_t>(n);
        paires -= n;
    }
}

void FermeModule(LecteurModule* lecteur) {
    if (lecteur->module) {
        Player_Stop();
        Player_Free(static_cast<MODULE*>(lecteur->module));
        lecteur->module = nullptr;
        MikMod_Exit();
    }
}

std::vector<Sint16> SonDesTrames(LecteurModule* lecteur, std::uint64_t debut, std::uint64_t trames,
                                 std::uint32_t fpsNum, std::uint32_t fpsDen, bool musiqueLancee,
                                 std::uint64_t msMusique) {
    return SonEntre(lecteur, EchantillonsAvant(debut, fpsNum, fpsDen),
                    EchantillonsAvant(debut + trames, fpsNum, fpsDen), musiqueLancee, msMusique);
}

std::vector<Sint16> SonEntre(LecteurModule* lecteur, std::uint64_t s0, std::uint64_t s1,
                             bool musiqueLancee, std::uint64_t msMusique) {
    // The module's first sample, counted from the start of the run.
    const std::uint64_t m = musiqueLancee ? msMusique * kFrequenceAudio / 1000 : UINT64_MAX;
    std::vector<Sint16> son((std::min(s1, std::max(s0, m)) - s0) * 2, 0);
    if (m >= s1) return son;
    // A range that starts after the music: the module is rendered from its
    // start and the part before the range is dropped, so that the sound is
    // the same as in a capture of the whole run.
    std::vector<Sint16> jete;
    for (std::uint64_t saut = s0 > m ? s0 - m : 0; saut > 0;) {
        const std::uint64_t n = std::min<std::uint64_t>(saut, 1 << 20);
        jete.clear();
        RendModule(lecteur, n, &jete);
        saut -= n;
    }
    RendModule(lecteur, s1 - std::max(s0, m), &son);
    return son;
}

bool EcritWav(const std::string& chemin, const std::vector<Sint16>& echantillons) {
    FILE* f = std::fopen(chemin.c_str(), "wb");
    if (!f) return false;
    const std::uint32_t octets = static_cast<std::uint32_t>(echantillons.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    EcritMot32(f, 36 + octets);
    std::fwrite("WAVEfmt ", 1, 8, f);
    EcritMot32(f, 16);
    EcritMot16(f, 1);  // PCM
    EcritMot16(f, 2);  // stereo
    EcritMot32(f, kFrequenceAudio);
    EcritMot32(f, kFrequenceAudio * 4);
    EcritMot16(f, 4);
    EcritMot16(f, 16);
    std::fwrite("data", 1, 4, f);
    EcritMot32(f, octets);
    for (Sint16 s : echantillons) EcritMot16(f, static_cast<std::uint16_t>(s));
    const bool ok = !std::ferror(f);
    return std::fclose(f) == 0 && ok;
}

bool LitWav(const std::string& chemin, std::vector<Sint16>* echantillons) {
    FILE* f = std::fopen(chemin.c_str(), "rb");
    if (!f) return false;
    std::vector<unsigned char> tout;
    unsigned char tampon[65536];
    size_t n;
    while ((n = std::fread(tampon, 1, sizeof tampon, f)) > 0)
        tout.insert(tout.end(), tampon, tampon + n);
    std::fclose(f);
    if (tout.size() < 12 || std::memcmp(tout.data(), "RIFF", 4) ||
        std::memcmp(&tout[8], "WAVE", 4)) {
        return false;
    }
    size_t p = 12;
    bool formatVu = false;
    while (p + 8 <= tout.size()) {
        const std::uint32_t taille = Mot32(&tout[p + 4]);
        if (!std::memcmp(&tout[p], "fmt ", 4) && p + 8 + 16 <= tout.size()) {
            const unsigned char* fmt = &tout[p + 8];
            formatVu = (fmt[0] | fmt[1] << 8) == 1 && (fmt[2] | fmt[3] << 8) == 2 &&
                       Mot32(fmt + 4) == kFrequenceAudio && (fmt[14] | fmt[15] << 8) == 16;
        } else if (!std::memcmp(&tout[p], "data", 4)) {
            if (!formatVu || p + 8 + taille > tout.size()) return false;
            echantillons->resize(taille / 2);
            for (size_t i = 0; i < taille / 2; ++i) {
                (*echantillons)[i] =
                    static_cast<Sint16>(tout[p + 8 + 2 * i] | (tout[p + 9 + 2 * i] << 8));
            }
            return true;
        }
        p += 8 + taille + (taille & 1);
    }
    return false;
}
