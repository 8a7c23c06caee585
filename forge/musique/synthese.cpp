// Sample synthesis: drums from noise and swept sines, tonal voices by adding
// harmonics whose cycles fit a whole number of times into the loop, so every
// loop joins without a click.
#include "synthese.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDo4 = 261.6255653005986;  // middle C, A-4 = 440 Hz

// A small deterministic noise source (xorshift), so every build writes the same bytes.
struct Bruit {
    uint32_t etat;
    double Suivant() {
        etat ^= etat << 13;
        etat ^= etat >> 17;
        etat ^= etat << 5;
        return static_cast<double>(etat) / 2147483648.0 - 1.0;
    }
};

// Scales a signal so that its peak reaches `crete` of full scale, then rounds it to 16 bits.
std::vector<int16_t> Normalise(const std::vector<double>& signal, double crete) {
    double maximum = 0.0;
    for (double v : signal) maximum = std::max(maximum, std::fabs(v));
    const double gain = maximum > 0.0 ? crete * 32767.0 / maximum : 0.0;
    std::vector<int16_t> sortie(signal.size());
    for (size_t i = 0; i < signal.size(); ++i)
        sortie[i] =
            static_cast<int16_t>(std::lround(std::clamp(signal[i] * gain, -32767.0, 32767.0)));
    return sortie;
}

// One partial of a looped voice: `cycles` whole periods per loop, its amplitude
// moving from `debut` (at the attack) toward `fin` (held in the loop).
struct Partiel {
    int cycles;
    double debut;
    double fin;
    double phase;
};

// Renders `blocs` loop lengths of attack, where each partial's amplitude glides
// from its start value to its held value with time constant `tau` seconds,
// followed by one loop length at the held values. The loop is the last block.
std::vector<double> RendAdditif(int longueurBoucle, int blocs, double tau,
                                const std::vector<Partiel>& partiels) {
    const int total = (blocs + 1) * longueurBoucle;
    const int debutBoucle = blocs * longueurBoucle;
    std::vector<double> signal(total, 0.0);
    for (const Partiel& p : partiels) {
        const double pas = 2.0 * kPi * p.cycles / longueurBoucle;
        for (int i = 0; i < total; ++i) {
            const double glissement =
                i < debutBoucle ? std::exp(-i / (tau * kFrequenceRendu)) : 0.0;
            const double amplitude = p.fin + (p.debut - p.fin) * glissement;
            signal[i] += amplitude * std::sin(pas * (i % longueurBoucle) + p.phase);
        }
    }
    return signal;
}

// One voice of a looped synthesiser tone: `cycles` whole periods per loop, a
// sawtooth blended with a pulse whose width swings around one half once per
// loop (the pulse's harmonics change weight as the width moves, so the tone
// breathes), `brillance` harmonics falling off as exp(-(h-1)/brillance).
struct Voix {
    int cycles;
    double amplitude;
    double dent;       // weight of the sawtooth
    double impulsion;  // weight of the moving pulse
    double largeur;    // the pulse width's swing around one half (0 to 0.45)
    double phase;      // where in the loop the swing starts, in turns
};

// Renders `blocs` loop lengths of attack and one loop length held, like
// RendAdditif: harmonics 1 to `harmoniques` of every voice, weighted by
// `poids(h)`, the ones above the fundamental brighter at the attack by
// `eclat`, which fades with time constant `tau` seconds.
template <typename Poids>
std::vector<double> RendVoix(int longueurBoucle, int blocs, double tau, double eclat,
                             int harmoniques, const std::vector<Voix>& voix, Poids poids) {
    const int total = (blocs + 1) * longueurBoucle;
    const int debutBoucle = blocs * longueurBoucle;
    std::vector<double> signal(total, 0.0);
    for (const Voix& v : voix) {
        const double pas = 2.0 * kPi * v.cycles / longueurBoucle;
        for (int i = 0; i < total; ++i) {
            const int j = i % longueurBoucle;
            // The width and the sawtooth both repeat with the loop, so the loop joins.
            const double largeur =
                0.5 + v.largeur * std::sin(2.0 * kPi * (double(j) / longueurBoucle + v.phase));
            const double attaque =
                i < debutBoucle ? eclat * std::exp(-i / (tau * kFrequenceRendu)) : 0.0;
            const double theta = pas * j + 2.0 * kPi * v.phase * v.cycles;
            double x = 0.0;
            for (int h = 1; h <= harmoniques; ++h) {
                const double a = poids(h) * (h > 1 ? 1.0 + attaque : 1.0) / h;
                x += a *
                     (v.dent * std::sin(h * theta) + v.impulsion * std::sin(kPi * h * largeur) *
                                                         std::cos(h * theta - kPi * h * largeur));
            }
            signal[i] += v.amplitude * x;
        }
    }
    return signal;
}

void Boucle(InstrumentXM* in, int longueurBoucle, int blocs) {
    in->boucleDebut = static_cast<uint32_t>(blocs * longueurBoucle);
    in->boucleLongueur = static_cast<uint32_t>(longueurBoucle);
}

// Loop length holding `cycles` periods of a tone near `frequence`.
int LongueurBoucle(int cycles, double frequence) {
    return static_cast<int>(std::lround(cycles * kFrequenceRendu / frequence));
}

double FrequenceBoucle(int cycles, int longueur) {
    return static_cast<double>(cycles) * kFrequenceRendu / longueur;
}

// Loop geometry of the tonal voices: cycles of the fundamental per loop and the
// tone they approximate.
constexpr int kCyclesBasse = 4;
constexpr double kToneBasse = kDo4 / 4.0;  // C-2
constexpr int kCyclesNappe = 196;          // voices at 195, 196 and 197 cycles beat slowly
constexpr int kCyclesSolo = 200;           // voices at 199, 200 and 201 cycles
constexpr double kToneAigu = kDo4 * 2.0;   // C-5
constexpr int kCyclesArpege = 4;

InstrumentXM GrosseCaisse() {
    InstrumentXM in;
    in.nom = "grosse caisse";
    const int n = kFrequenceRendu * 32 / 100;
    std::vector<double> s(n);
    Bruit bruit{0x1234567u};
    double phase = 0.0, bas = 0.0, haut = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kFrequenceRendu;
        // The pitched body: a sine falling from about 180 Hz onto 46 Hz, and its
        // octave, which dies fast, for the knock of the beater on the skin.
        const double frequence = 46.0 + 134.0 * std::exp(-t / 0.025);
        phase += 2.0 * kPi * frequence / kFrequenceRendu;
        const double attaque = std::min(1.0, t / 0.0008);
        // A short tail: the bass's roots have the low end to themselves.
        const double corps = attaque * (std::exp(-t / 0.085) * std::sin(phase) +
                                        0.35 * std::exp(-t / 0.018) * std::sin(2.0 * phase));
        // The click: noise between about 1.5 and 7 kHz for 3 ms, and a 2.2 kHz blip.
        const double x = bruit.Suivant();
        haut += 0.63 * (x - haut);
        bas += 0.2 * (x - bas);
        const double clic =
            std::exp(-t / 0.003) * (0.9 * (haut - bas) + 0.3 * std::sin(2.0 * kPi * 2200.0 * t));
        s[i] = std::tanh(2.6 * (corps + clic));
    }
    in.echantillon = Normalise(s, 0.97);
    in.volume = 55;
    return in;
}

InstrumentXM CaisseClaire() {
    InstrumentXM in;
    in.nom = "caisse claire";
    const int n = kFrequenceRendu * 32 / 100;
    std::vector<double> s(n);
    Bruit bruit{0x2468ACEu};
    double phase1 = 0.0, phase2 = 0.0, bas = 0.0, haut = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kFrequenceRendu;
        // The shell's tone: two modes (about 185 and 330 Hz), a quarter higher
        // at the very stroke.
        const double tendu = 1.0 + 0.25 * std::exp(-t / 0.012);
        phase1 += 2.0 * kPi * 185.0 * tendu / kFrequenceRendu;
        phase2 += 2.0 * kPi * 330.0 * tendu / kFrequenceRendu;
        const double ton =
            std::exp(-t / 0.05) * std::sin(phase1) + 0.6 * std::exp(-t / 0.03) * std::sin(phase2);
        // The wires: noise band-passed between two one-pole filters (about
        // 900 Hz and 7 kHz), ringing longer than the tone; the stick's crack
        // on top, the raw noise for two milliseconds.
        const double x = bruit.Suivant();
        haut += 0.63 * (x - haut);
        bas += 0.12 * (x - bas);
        const double timbre = (haut - bas) * std::exp(-t / 0.13);
        const double baguette = 0.5 * x * std::exp(-t / 0.002);
        // Driven into a soft clip: a dense crack that stands level with the kick.
        s[i] = std::tanh(2.4 * (0.8 * ton + 1.4 * timbre + baguette));
    }
    in.echantillon = Normalise(s, 0.97);
    in.volume = 56;
    return in;
}

// Noise through two band-pass sections centred on 8.1 kHz (6 to 11 kHz): the
// "tss" of a hi-hat, without the fizz above it.
std::vector<double> BruitMetallique(int n, uint32_t graine, double declin) {
    std::vector<double> s(n);
    Bruit bruit{graine};
    const double w = 2.0 * kPi * 8124.0 / kFrequenceRendu, q = 1.7;
    const double alpha = std::sin(w) / (2.0 * q), a0 = 1.0 + alpha;
    const double b0 = alpha / a0, a1 = -2.0 * std::cos(w) / a0, a2 = (1.0 - alpha) / a0;
    double x1[2] = {0, 0}, x2[2] = {0, 0}, y1[2] = {0, 0}, y2[2] = {0, 0};
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kFrequenceRendu;
        double x = bruit.Suivant();
        for (int k = 0; k < 2; ++k) {
            const double y = b0 * x - b0 * x2[k] - a1 * y1[k] - a2 * y2[k];
            x2[k] = x1[k];
            x1[k] = x;
            y2[k] = y1[k];
            y1[k] = y;
            x = y;
        }
        s[i] = x * std::exp(-t / declin) * std::min(1.0, t / 0.0005);
    }
    return s;
}

InstrumentXM Charleston() {
    InstrumentXM in;
    in.nom = "charleston";
    in.echantillon = Normalise(BruitMetallique(kFrequenceRendu * 12 / 100, 0x13579BDu, 0.028), 0.9);
    in.volume = 34;
    in.panoramique = 176;
    return in;
}

InstrumentXM CharlestonOuvert() {
    InstrumentXM in;
    in.nom = "charleston ouvert";
    in.echantillon = Normalise(BruitMetallique(kFrequenceRendu * 45 / 100, 0x2B3C4D5u, 0.13), 0.9);
    in.volume = 30;
    in.panoramique = 72;
    return in;
}

InstrumentXM Cymbale() {
    InstrumentXM in;
    in.nom = "cymbale";
    const int n = kFrequenceRendu * 24 / 10;
    std::vector<double> s(n);
    Bruit bruit{0x0BADCAFEu};
    double avant = 0.0;
    // Inharmonic square partials give the metal; high-passed noise the wash.
    const double metal[] = {587.0, 845.0, 1253.0, 1619.0, 2311.0, 3137.0};
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kFrequenceRendu;
        const double x = bruit.Suivant();
        const double souffle = x - avant;
        avant = x;
        double m = 0.0;
        for (double f : metal) m += std::sin(2.0 * kPi * f * t) > 0.0 ? 1.0 : -1.0;
        const double enveloppe = std::exp(-t / 0.7) * std::min(1.0, t / 0.002);
        s[i] = enveloppe * (souffle + 0.08 * m * std::exp(-t / 0.25));
    }
    in.echantillon = Normalise(s, 0.9);
    in.volume = 50;
    in.panoramique = 172;
    return in;
}

InstrumentXM Basse() {
    InstrumentXM in;
    in.nom = "basse";
    const int longueur = LongueurBoucle(kCyclesBasse, kToneBasse);
    std::vector<Partiel> partiels;
    // A sawtooth whose upper harmonics close down after the pluck, over a sine sub.
    for (int h = 1; h <= 28; ++h) {
        const double brillant = 1.0 / h;
        const double sombre = brillant * std::exp(-(h - 1) / 5.0);
        partiels.push_back({kCyclesBasse * h, brillant, sombre, 0.0});
    }
    partiels.push_back({kCyclesBasse, 0.4, 0.4, 0.0});
    const int blocs = 12;
    in.echantillon = Normalise(RendAdditif(longueur, blocs, 0.045, partiels), 0.95);
    Boucle(&in, longueur, blocs);
    in.enveloppe = {{0, 64}, {4, 50}, {24, 40}};
    in.pointTenu = 2;
    in.fondu = 2400;
    in.volume = 58;
    return in;
}

// The pad, sitting at `panoramique`; each side draws its partials' phases
// from its own `graine`, so the two sides' voices beat differently.
InstrumentXM Nappe(const char* nom, uint8_t panoramique, double graine) {
    InstrumentXM in;
    in.nom = nom;
    in.panoramique = panoramique;
    const int longueur = LongueurBoucle(kCyclesNappe, kDo4);
    // Three detuned voices, each a sawtooth under a pulse whose width swings
    // once per loop (about 1.3 Hz), each voice's swing a third of a turn from
    // the next; soft in the top, as strings in a hall.
    std::vector<Voix> voix;
    for (int v = 0; v < 3; ++v)
        voix.push_back({kCyclesNappe - 1 + v, v == 1 ? 1.0 : 0.8, 0.65, 0.55, 0.3,
                        v / 3.0 + graine * (v + 1)});
    const std::vector<double> signal = RendVoix(longueur, 0, 1.0, 0.0, 18, voix, [](int h) {
        return std::pow(h, -0.4) * std::exp(-(h - 1) / 10.0);
    });
    in.echantillon = Normalise(signal, 0.95);
    Boucle(&in, longueur, 0);
    in.enveloppe = {{0, 0}, {25, 40}, {60, 64}, {90, 56}};
    in.pointTenu = 3;
    in.fondu = 600;
    in.volume = 35;
    return in;
}

std::vector<double> RendSolo() {
    const int longueur = LongueurBoucle(kCyclesSolo, kToneAigu);
    // A pulse whose width swings once per loop (about 2.6 Hz) over a little
    // sawtooth, in three voices slightly apart whose swings are a third of a
    // turn apart: reedy and moving, never static. A formant lifts 2 to 4 kHz
    // so the lead cuts through the pad and the arpeggio; brighter still at
    // the attack.
    std::vector<Voix> voix;
    for (int v = 0; v < 3; ++v)
        voix.push_back({kCyclesSolo - 1 + v, v == 1 ? 1.0 : 0.55, 0.3, 1.0, 0.32, v / 3.0});
    return RendVoix(longueur, 1, 0.06, 0.5, 16, voix, [](int h) {
        const double f = h * kToneAigu;
        return (1.0 + 2.2 * std::exp(-std::pow((f - 2900.0) / 1100.0, 2.0))) *
               std::exp(-(h - 1) / 12.0);
    });
}

InstrumentXM Solo() {
    InstrumentXM in;
    in.nom = "solo";
    in.echantillon = Normalise(RendSolo(), 0.95);
    Boucle(&in, LongueurBoucle(kCyclesSolo, kToneAigu), 1);
    in.enveloppe = {{0, 0}, {2, 64}, {10, 50}, {40, 44}};
    in.pointTenu = 3;
    in.fondu = 1800;
    in.volume = 58;
    in.panoramique = 128;
    // A singer's vibrato that blooms on held notes: sine, reaching full depth
    // after 36 ticks, about 5 Hz.
    in.vibratoForme = 0;
    in.vibratoMontee = 36;
    in.vibratoProfondeur = 3;
    in.vibratoVitesse = 26;
    return in;
}

InstrumentXM Echo() {
    InstrumentXM in = Solo();
    in.nom = "echo";
    in.volume = 20;
    in.panoramique = 208;
    return in;
}

InstrumentXM Arpege() {
    InstrumentXM in;
    in.nom = "arpege";
    const int longueur = LongueurBoucle(kCyclesArpege, kToneAigu);
    std::vector<Partiel> partiels;
    // A narrow pulse that mellows into a rounder tone.
    for (int h = 1; h <= 16; ++h) {
        const double impulsion = std::fabs(std::sin(kPi * h * 0.25)) / h;
        const double rond = impulsion * std::exp(-(h - 1) / 2.0);
        partiels.push_back({kCyclesArpege * h, impulsion, rond, 0.0});
    }
    const int blocs = 60;
    in.echantillon = Normalise(RendAdditif(longueur, blocs, 0.05, partiels), 0.95);
    Boucle(&in, longueur, blocs);
    in.enveloppe = {{0, 64}, {5, 34}, {14, 14}, {30, 0}};
    in.fondu = 3000;
    in.volume = 24;
    in.panoramique = 76;
    return in;
}

}  // namespace

double FrequenceEnregistree(NumeroInstrument numero) {
    switch (numero) {
        case kBasse:
            return FrequenceBoucle(kCyclesBasse, LongueurBoucle(kCyclesBasse, kToneBasse));
        case kNappe:
        case kNappeGauche:
        case kNappeDroite:
            return FrequenceBoucle(kCyclesNappe, LongueurBoucle(kCyclesNappe, kDo4));
        case kSolo:
        case kEcho:
            return FrequenceBoucle(kCyclesSolo, LongueurBoucle(kCyclesSolo, kToneAigu));
        case kArpege:
            return FrequenceBoucle(kCyclesArpege, LongueurBoucle(kCyclesArpege, kToneAigu));
        default:
            return kDo4;
    }
}

std::vector<InstrumentXM> SynthetiseInstruments() {
    std::vector<InstrumentXM> instruments = {GrosseCaisse(),
                                             CaisseClaire(),
                                             Charleston(),
                                             Cymbale(),
                                             Basse(),
                                             Nappe("nappe", 128, 0.0),
                                             Solo(),
                                             Echo(),
                                             Arpege(),
                                             CharlestonOuvert(),
                                             Nappe("nappe gauche", 0x18, 0.61),
                                             Nappe("nappe droite", 0xE8, 1.37)};
    for (size_t i = 0; i < instruments.size(); ++i)
        AccordeInstrument(&instruments[i],
                          FrequenceEnregistree(static_cast<NumeroInstrument>(i + 1)));
    return instruments;
}
