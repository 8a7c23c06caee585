// The sound font is a RIFF file: a list of sample data ("sdta", its "smpl"
// chunk of 16-bit frames) and a list of tables ("pdta") that lead from a
// preset, through its zones and their instruments' zones, to the samples a
// key plays. Only the tables and the few samples wanted are read.
#include "police.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

uint32_t Long(const uint8_t* o) {
    return o[0] | (o[1] << 8) | (o[2] << 16) | (uint32_t(o[3]) << 24);
}
uint16_t Mot(const uint8_t* o) {
    return uint16_t(o[0] | (o[1] << 8));
}

// One of the font's tables: fixed-size records.
struct Table {
    const uint8_t* octets = nullptr;
    size_t nombre = 0;
    const uint8_t* operator[](size_t i) const { return octets + i * taille; }
    size_t taille = 0;
};

// A zone's generators that matter here: key and velocity ranges, and the
// instrument (in a preset) or the sample (in an instrument) it plays.
struct Zone {
    int toucheMin = 0, toucheMax = 127, velociteMin = 0, velociteMax = 127;
    int cible = -1;
    bool Joue(int touche, int velocite) const {
        return touche >= toucheMin && touche <= toucheMax && velocite >= velociteMin &&
               velocite <= velociteMax;
    }
};

// The zones from bag `premier` to bag `dernier` (excluded); `terminal` is the
// generator that names what a zone plays (41 instrument, 53 sample).
bool Zones(const Table& sacs, const Table& generateurs, size_t premier, size_t dernier,
           int terminal, std::vector<Zone>* zones) {
    if (dernier >= sacs.nombre || premier > dernier) return false;
    for (size_t b = premier; b < dernier; ++b) {
        const size_t g0 = Mot(sacs[b]), g1 = Mot(sacs[b + 1]);
        if (g1 > generateurs.nombre || g0 > g1) return false;
        Zone z;
        for (size_t g = g0; g < g1; ++g) {
            const int operateur = Mot(generateurs[g]);
            const uint8_t* valeur = generateurs[g] + 2;
            if (operateur == 43) z.toucheMin = valeur[0], z.toucheMax = valeur[1];
            if (operateur == 44) z.velociteMin = valeur[0], z.velociteMax = valeur[1];
            if (operateur == terminal) z.cible = Mot(valeur);
        }
        zones->push_back(z);
    }
    return true;
}

}  // namespace

bool LitSonDePolice(const std::string& chemin, int banque, int programme, int touche, int velocite,
                    SonEnregistre* son, std::string* erreur) {
    std::ifstream f(chemin, std::ios::binary);
    if (!f) {
        *erreur = chemin + ": cannot open the sound font (Debian package fluid-soundfont-gm)";
        return false;
    }
    f.seekg(0, std::ios::end);
    const uint64_t taille = static_cast<uint64_t>(f.tellg());
    uint8_t tete[12];
    f.seekg(0);
    if (!f.read(reinterpret_cast<char*>(tete), 12) || std::memcmp(tete, "RIFF", 4) ||
        std::memcmp(tete + 8, "sfbk", 4)) {
        *erreur = chemin + ": not a SoundFont 2 file (expected RIFF sfbk)";
        return false;
    }
    // The top-level lists: where the sample data lies, and the tables.
    uint64_t debutSamples = 0, octetsSamples = 0;
    std::vector<uint8_t> tables;
    for (uint64_t o = 12; o + 12 <= taille;) {
        uint8_t entete[12];
        f.seekg(static_cast<std::streamoff>(o));
        if (!f.read(reinterpret_cast<char*>(entete), 12)) break;
        const uint64_t longueur = Long(entete + 4);
        if (o + 8 + longueur > taille) break;
        if (!std::memcmp(entete, "LIST", 4) && !std::memcmp(entete + 8, "sdta", 4)) {
            for (uint64_t p = o + 12; p + 8 <= o + 8 + longueur;) {
                uint8_t sous[8];
                f.seekg(static_cast<std::streamoff>(p));
                if (!f.read(reinterpret_cast<char*>(sous), 8)) break;
                if (!std::memcmp(sous, "smpl", 4))
                    debutSamples = p + 8, octetsSamples = Long(sous + 4);
                p += 8 + Long(sous + 4) + (Long(sous + 4) & 1);
            }
        }
        if (!std::memcmp(entete, "LIST", 4) && !std::memcmp(entete + 8, "pdta", 4) &&
            longueur < (64u << 20)) {
            tables.resize(size_t(longueur - 4));
            f.read(reinterpret_cast<char*>(tables.data()), std::streamsize(tables.size()));
        }
        o += 8 + longueur + (longueur & 1);
    }
    // The nine tables by name.
    const char* noms[] = {"phdr", "pbag", "pgen", "inst", "ibag", "igen", "shdr"};
    const size_t tailles[] = {38, 4, 4, 22, 4, 4, 46};
    Table t[7];
    for (size_t p = 0; p + 8 <= tables.size();) {
        const size_t longueur = Long(&tables[p + 4]);
        if (p + 8 + longueur > tables.size()) break;
        for (int i = 0; i < 7; ++i)
            if (!std::memcmp(&tables[p], noms[i], 4))
                t[i] = {&tables[p + 8], longueur / tailles[i], tailles[i]};
        p += 8 + longueur + (longueur & 1);
    }
    for (int i = 0; i < 7; ++i)
        if (t[i].nombre < 2 || !octetsSamples) {
            *erreur = chemin + ": a sound font without its sample data or its " +
                      std::string(noms[i]) + " table";
            return false;
        }
    const Table &presets = t[0], &pSacs = t[1], &pGens = t[2], &instruments = t[3], &iSacs = t[4],
                &iGens = t[5], &echantillons = t[6];
    const std::string quoi = chemin + ": bank " + std::to_string(banque) + " preset " +
                             std::to_string(programme) + " key " + std::to_string(touche);
    // The preset, its zones for the key, their instruments' zones, their samples.
    std::vector<int> lus;
    for (size_t p = 0; p + 1 < presets.nombre; ++p) {
        if (Mot(presets[p] + 20) != programme || Mot(presets[p] + 22) != banque) continue;
        std::vector<Zone> zones;
        if (!Zones(pSacs, pGens, Mot(presets[p] + 24), Mot(presets[p + 1] + 24), 41, &zones)) {
            *erreur = quoi + ": the preset's zones run past their table";
            return false;
        }
        for (const Zone& z : zones) {
            if (z.cible < 0 || !z.Joue(touche, velocite)) continue;
            if (size_t(z.cible) + 1 >= instruments.nombre) {
                *erreur = quoi + ": a zone names a missing instrument";
                return false;
            }
            std::vector<Zone> sous;
            if (!Zones(iSacs, iGens, Mot(instruments[z.cible] + 20),
                       Mot(instruments[z.cible + 1] + 20), 53, &sous)) {
                *erreur = quoi + ": the instrument's zones run past their table";
                return false;
            }
            for (const Zone& y : sous)
                if (y.cible >= 0 && y.Joue(touche, velocite)) lus.push_back(y.cible);
        }
        break;
    }
    if (lus.empty()) {
        *erreur = quoi + ": no sample for it";
        return false;
    }
    // Left and right (at most two samples) averaged into one.
    son->mono.clear();
    for (size_t i = 0; i < std::min<size_t>(2, lus.size()); ++i) {
        if (size_t(lus[i]) >= echantillons.nombre) {
            *erreur = quoi + ": a zone names a missing sample";
            return false;
        }
        const uint8_t* e = echantillons[lus[i]];
        const uint64_t debut = Long(e + 20), fin = Long(e + 24);
        if (fin <= debut || fin * 2 > octetsSamples || fin - debut > (16u << 20)) {
            *erreur = quoi + ": a sample lies outside the sample data";
            return false;
        }
        std::vector<uint8_t> brut(size_t(fin - debut) * 2);
        f.clear();
        f.seekg(static_cast<std::streamoff>(debutSamples + debut * 2));
        if (!f.read(reinterpret_cast<char*>(brut.data()), std::streamsize(brut.size()))) {
            *erreur = quoi + ": the sample data is cut short";
            return false;
        }
        if (son->mono.size() < brut.size() / 2) son->mono.resize(brut.size() / 2, 0);
        const int parts = std::min<int>(2, int(lus.size()));
        for (size_t k = 0; k < brut.size() / 2; ++k)
            son->mono[k] = int16_t(son->mono[k] + int16_t(Mot(&brut[k * 2])) / parts);
        if (i == 0) {
            son->nom.assign(reinterpret_cast<const char*>(e),
                            strnlen(reinterpret_cast<const char*>(e), 20));
            son->frequence = int(Long(e + 36));
        }
    }
    return true;
}
