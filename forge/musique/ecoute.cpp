#include "ecoute.h"

#include <mikmod.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>

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

namespace {

double Decibels(double carreMoyen) {
    return 10.0 * std::log10(carreMoyen + 1e-20);
}

double CarreMoyen(const std::vector<int16_t>& stereo, size_t debut, size_t fin) {
    double somme = 0.0;
    for (size_t i = debut; i < fin; ++i) {
        const double v = stereo[i] / 32768.0;
        somme += v * v;
    }
    return fin > debut ? somme / static_cast<double>(fin - debut) : 0.0;
}

}  // namespace

double CreteDbfs(const std::vector<int16_t>& stereo) {
    int crete = 0;
    for (int16_t v : stereo) crete = std::max(crete, std::abs(static_cast<int>(v)));
    return 20.0 * std::log10(crete / 32768.0 + 1e-12);
}

std::vector<double> RmsParFenetres(const std::vector<int16_t>& stereo, double secondes) {
    const size_t fenetre = static_cast<size_t>(secondes * kFrequence) * 2;
    std::vector<double> niveaux;
    for (size_t debut = 0; debut < stereo.size(); debut += fenetre)
        niveaux.push_back(
            Decibels(CarreMoyen(stereo, debut, std::min(stereo.size(), debut + fenetre))));
    return niveaux;
}

double PlusLongSilence(const std::vector<int16_t>& stereo, double seuilDbfs, double jusqua) {
    const size_t bloc = kFrequence / 20 * 2;
    const size_t limite = std::min(stereo.size(), static_cast<size_t>(jusqua * kFrequence) * 2);
    double plusLong = 0.0, courant = 0.0;
    for (size_t debut = 0; debut < stereo.size(); debut += bloc) {
        const double niveau =
            Decibels(CarreMoyen(stereo, debut, std::min(stereo.size(), debut + bloc)));
        if (niveau < seuilDbfs) {
            if (courant > 0.0 || debut < limite) courant += 0.05;
        } else {
            courant = 0.0;
        }
        plusLong = std::max(plusLong, courant);
    }
    return plusLong;
}

double HauteurMesuree(const std::vector<int16_t>& stereo, double debut, double duree,
                      double attendue) {
    const size_t premier = static_cast<size_t>(debut * kFrequence);
    const size_t nombre = static_cast<size_t>(duree * kFrequence);
    const double periode = kFrequence / attendue;
    const int lagMin = static_cast<int>(periode / 1.5);
    const int lagMax = static_cast<int>(periode * 1.5) + 2;
    // The correlation is taken one lag either side of the searched range.
    const size_t etendue = nombre + lagMax + 1;
    if ((premier + etendue) * 2 > stereo.size() || lagMin < 2) return 0.0;
    std::vector<double> x(etendue);
    for (size_t i = 0; i < x.size(); ++i)
        x[i] = stereo[(premier + i) * 2] + static_cast<double>(stereo[(premier + i) * 2 + 1]);
    auto correlation = [&](int lag) {
        double xy = 0.0, xx = 0.0, yy = 0.0;
        for (size_t i = 0; i < nombre; ++i) {
            xy += x[i] * x[i + lag];
            xx += x[i] * x[i];
            yy += x[i + lag] * x[i + lag];
        }
        return xx > 0.0 && yy > 0.0 ? xy / std::sqrt(xx * yy) : 0.0;
    };
    std::vector<double> r(lagMax + 2, 0.0);
    for (int lag = lagMin - 1; lag <= lagMax + 1; ++lag) r[lag] = correlation(lag);
    int meilleur = lagMin;
    for (int lag = lagMin; lag <= lagMax; ++lag)
        if (r[lag] > r[meilleur]) meilleur = lag;
    if (r[meilleur] < 0.5) return 0.0;
    // A parabola through the peak and its neighbours places it between frames.
    const double a = r[meilleur - 1], b = r[meilleur], c = r[meilleur + 1];
    const double courbure = a - 2.0 * b + c;
    const double decalage = courbure < 0.0 ? 0.5 * (a - c) / courbure : 0.0;
    return kFrequence / (meilleur + decalage);
}

double RmsEntre(const std::vector<int16_t>& stereo, double debut, double fin) {
    const size_t a =
        std::min(stereo.size(), static_cast<size_t>(std::max(0.0, debut) * kFrequence) * 2);
    const size_t b =
        std::min(stereo.size(), static_cast<size_t>(std::max(0.0, fin) * kFrequence) * 2);
    return Decibels(CarreMoyen(stereo, a, b));
}

double CreteCourte(const std::vector<int16_t>& stereo, double secondes) {
    const size_t fenetre = static_cast<size_t>(secondes * kFrequence) * 2;
    const size_t pas = kFrequence / 100 * 2;
    double crete = Decibels(0.0);
    for (size_t debut = 0; debut + fenetre <= stereo.size(); debut += pas)
        crete = std::max(crete, Decibels(CarreMoyen(stereo, debut, debut + fenetre)));
    return crete;
}

double CoteSurMilieu(const std::vector<int16_t>& stereo) {
    double milieu = 0.0, cote = 0.0;
    for (size_t i = 0; i + 1 < stereo.size(); i += 2) {
        const double m = (stereo[i] + static_cast<double>(stereo[i + 1])) / 2.0;
        const double s = (stereo[i] - static_cast<double>(stereo[i + 1])) / 2.0;
        milieu += m * m;
        cote += s * s;
    }
    return Decibels(cote) - Decibels(milieu);
}

namespace {

// In-place radix-2 transform of a power-of-two length.
void Transformee(std::vector<std::complex<double>>* x) {
    const size_t n = x->size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap((*x)[i], (*x)[j]);
    }
    for (size_t longueur = 2; longueur <= n; longueur <<= 1) {
        const double angle = -2.0 * 3.14159265358979323846 / static_cast<double>(longueur);
        const std::complex<double> racine(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += longueur) {
            std::complex<double> w(1.0, 0.0);
            for (size_t k = 0; k < longueur / 2; ++k) {
                const std::complex<double> u = (*x)[i + k], v = (*x)[i + k + longueur / 2] * w;
                (*x)[i + k] = u + v;
                (*x)[i + k + longueur / 2] = u - v;
                w *= racine;
            }
        }
    }
}

}  // namespace

namespace {

constexpr size_t kTailleSpectre = 8192;

// Power of both channels in each frequency bin (44100 / 8192 Hz wide),
// summed over Hann windows of 8192 frames.
std::vector<double> Spectre(const std::vector<int16_t>& stereo) {
    const size_t trames = stereo.size() / 2;
    std::vector<double> puissance(kTailleSpectre / 2, 0.0);
    std::vector<std::complex<double>> x(kTailleSpectre);
    for (size_t debut = 0; debut + kTailleSpectre <= trames; debut += kTailleSpectre)
        for (int canal = 0; canal < 2; ++canal) {
            for (size_t i = 0; i < kTailleSpectre; ++i) {
                const double hann =
                    0.5 - 0.5 * std::cos(2.0 * 3.14159265358979323846 * i / kTailleSpectre);
                x[i] = hann * stereo[(debut + i) * 2 + canal];
            }
            Transformee(&x);
            for (size_t k = 1; k < kTailleSpectre / 2; ++k) puissance[k] += std::norm(x[k]);
        }
    return puissance;
}

double Frequence(size_t k) {
    return static_cast<double>(k) * kFrequence / kTailleSpectre;
}

}  // namespace

double EnergieBande(const std::vector<int16_t>& stereo, double fMin, double fMax) {
    const std::vector<double> puissance = Spectre(stereo);
    double bande = 0.0, totale = 0.0;
    for (size_t k = 1; k < puissance.size(); ++k) {
        totale += puissance[k];
        if (Frequence(k) >= fMin && Frequence(k) < fMax) bande += puissance[k];
    }
    return Decibels(bande) - Decibels(totale);
}

namespace {

// A biquad section in direct form I, coefficients already divided by a0.
struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double Filtre(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1, x1 = x, y2 = y1, y1 = y;
        return y;
    }
};

// The two stages of the K weighting at 44100 Hz: a shelf lifting the top by
// 4 dB (the head's effect) and a high pass near 38 Hz.
void FiltresK(Biquad* plateau, Biquad* passeHaut) {
    const double pi = 3.14159265358979323846;
    {
        const double f0 = 1681.974450955533, gain = 3.999843853973347, q = 0.7071752369554196;
        const double k = std::tan(pi * f0 / kFrequence);
        const double vh = std::pow(10.0, gain / 20.0), vb = std::pow(vh, 0.4996667741545416);
        const double a0 = 1.0 + k / q + k * k;
        *plateau = {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0,
                    (vh - vb * k / q + k * k) / a0, 2.0 * (k * k - 1.0) / a0,
                    (1.0 - k / q + k * k) / a0};
    }
    {
        const double f0 = 38.13547087602444, q = 0.5003270373238773;
        const double k = std::tan(pi * f0 / kFrequence);
        const double a0 = 1.0 + k / q + k * k;
        *passeHaut = {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    }
}

}  // namespace

double Lufs(const std::vector<int16_t>& stereo, double debut, double fin) {
    const long trames = static_cast<long>(stereo.size() / 2);
    const long a = std::clamp(static_cast<long>(debut * kFrequence), 0L, trames);
    const long b = std::clamp(static_cast<long>(fin * kFrequence), a, trames);
    // The filters settle over half a second before the stretch.
    const long chauffe = std::max(0L, a - kFrequence / 2);
    std::vector<double> carres(size_t(b - a), 0.0);
    for (int canal = 0; canal < 2; ++canal) {
        Biquad plateau, passeHaut;
        FiltresK(&plateau, &passeHaut);
        for (long i = chauffe; i < b; ++i) {
            const double y =
                passeHaut.Filtre(plateau.Filtre(stereo[size_t(i) * 2 + canal] / 32768.0));
            if (i >= a) carres[size_t(i - a)] += y * y;
        }
    }
    const long bloc = kFrequence * 4 / 10, pas = bloc / 4;
    std::vector<double> blocs;
    for (long i = 0; i + bloc <= b - a; i += pas) {
        double somme = 0;
        for (long j = i; j < i + bloc; ++j) somme += carres[size_t(j)];
        blocs.push_back(somme / bloc);
    }
    auto sonie = [](double carre) { return -0.691 + 10.0 * std::log10(carre + 1e-20); };
    double total = 0;
    int nombre = 0;
    for (double z : blocs)
        if (sonie(z) > -70.0) total += z, ++nombre;
    if (!nombre) return -200.0;
    const double seuil = sonie(total / nombre) - 10.0;
    total = 0, nombre = 0;
    for (double z : blocs)
        if (sonie(z) > -70.0 && sonie(z) > seuil) total += z, ++nombre;
    return nombre ? sonie(total / nombre) : -200.0;
}

bool EcritWav(const std::string& chemin, const std::vector<int16_t>& stereo) {
    FILE* f = std::fopen(chemin.c_str(), "wb");
    if (!f) return false;
    const uint32_t octets = static_cast<uint32_t>(stereo.size() * 2);
    auto mot32 = [&](uint32_t v) {
        const uint8_t o[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        std::fwrite(o, 1, 4, f);
    };
    auto mot16 = [&](uint16_t v) {
        const uint8_t o[2] = {uint8_t(v), uint8_t(v >> 8)};
        std::fwrite(o, 1, 2, f);
    };
    std::fwrite("RIFF", 1, 4, f);
    mot32(36 + octets);
    std::fwrite("WAVEfmt ", 1, 8, f);
    mot32(16);
    mot16(1), mot16(2), mot32(kFrequence), mot32(kFrequence * 4), mot16(4), mot16(16);
    std::fwrite("data", 1, 4, f);
    mot32(octets);
    for (int16_t v : stereo) mot16(static_cast<uint16_t>(v));
    return std::fclose(f) == 0;
}

std::vector<double> Attaques(const std::vector<int16_t>& stereo, double debut, double fin,
                             double sautDb, double ecart) {
    std::vector<double> attaques;
    for (double t = std::max(0.01, debut); t < fin; t += 0.001) {
        const double apres = RmsEntre(stereo, t, t + 0.005);
        if (apres < -60.0 || apres - RmsEntre(stereo, t - 0.01, t - 0.005) <= sautDb) continue;
        if (!attaques.empty() && t - attaques.back() < ecart) continue;
        attaques.push_back(t);
    }
    return attaques;
}

double FrequenceMediane(const std::vector<int16_t>& stereo, double fMin, double fMax) {
    const std::vector<double> puissance = Spectre(stereo);
    double total = 0.0;
    for (size_t k = 1; k < puissance.size(); ++k)
        if (Frequence(k) >= fMin && Frequence(k) < fMax) total += puissance[k];
    double cumul = 0.0;
    for (size_t k = 1; k < puissance.size(); ++k) {
        if (Frequence(k) < fMin || Frequence(k) >= fMax) continue;
        cumul += puissance[k];
        if (cumul >= total / 2) return Frequence(k);
    }
    return fMax;
}
