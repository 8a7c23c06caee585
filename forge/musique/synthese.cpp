// The instruments: tonal voices synthesised by adding harmonics whose cycles
// fit a whole number of times into the loop, so every loop joins without a
// click; drums recorded, read from the sound font.
#include "synthese.h"

#include "police.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDo4 = 261.6255653005986;  // middle C, A-4 = 440 Hz
// The tonal instruments' samples stop short of full scale: the drums stand
// out of the band, and the stacked layers keep their headroom in every player.
// The whole mix's level: every sample scales with it. xmp mixes the same
// module about 3 dB hotter than libmikmod and openmpt, so its loudest
// moments (the reprise's kick, snare, lead and arpeggio striking together)
// set how high the mix can go under -1 dBFS.
constexpr double kNiveauMix = 1.0;
constexpr double kReserve = 0.80 * kNiveauMix;
// The drums' strokes stand over the band, the lead over everything.
constexpr double kReserveTambours = 0.85 * kNiveauMix;
constexpr double kReserveSolo = 0.90 * kNiveauMix;

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

// Drives a signal into a soft clip, as a tracker musician compresses a
// sample before loading it: scaled to a peak of 1, then through tanh with
// `gain`; louder for the same peak, its attack kept.
std::vector<double> Sature(std::vector<double> signal, double gain) {
    double maximum = 0.0;
    for (double v : signal) maximum = std::max(maximum, std::fabs(v));
    if (maximum > 0.0)
        for (double& v : signal) v = std::tanh(gain * v / maximum);
    return signal;
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
// `poids(h, i)` at frame i (a filter that moves), the ones above the
// fundamental brighter at the attack by `eclat`, which fades with time
// constant `tau` seconds.
template <typename Poids>
std::vector<double> RendVoix(int longueurBoucle, int blocs, double tau, double eclat,
                             int harmoniques, const std::vector<Voix>& voix, Poids poids) {
    const int total = (blocs + 1) * longueurBoucle;
    const int debutBoucle = blocs * longueurBoucle;
    std::vector<double> signal(total, 0.0);
    // Every harmonic's weight at every frame, worked out once for all voices.
    const size_t rangs = size_t(harmoniques) + 1;
    std::vector<double> table(size_t(total) * rangs, 0.0);
    for (int i = 0; i < total; ++i)
        for (int h = 1; h <= harmoniques; ++h) table[size_t(i) * rangs + size_t(h)] = poids(h, i);
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
                const double a =
                    table[size_t(i) * rangs + size_t(h)] * (h > 1 ? 1.0 + attaque : 1.0) / h;
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
constexpr int kCyclesNappe = 680;          // 2.6 s: one sweep of the pad's brightness
constexpr int kCyclesSolo = 200;           // voices at 199, 200 and 201 cycles
constexpr double kToneAigu = kDo4 * 2.0;   // C-5
constexpr int kCyclesArpege = 4;

// White noise from a fixed generator, the same on every build.
double Bruit(uint32_t* etat);

// A recorded drum of the sound font made ready for the tracker: the silence
// before its stroke taken away, cut at `duree` seconds with a fade over its
// last `fondu` seconds so that it dies out before its sample ends, driven
// into a soft clip by `gain` (1 leaves it clean) and normalised to kReserveTambours of
// full scale (the drums' strokes make the mix's peaks). C-4 plays it at its
// recorded rate. `clic` adds a short bright transient at the stroke, at
// that share of the drum's peak; `corps` a sine body under the recording,
// at that share of its peak, falling from 170 Hz to `grave` Hz and ringing
// for about a beat's third, so a short drum has weight; `eclat` lifts its
// top by adding that share of its slope (+6 dB an octave), for hi-hats
// that shine. The body starts at `haut` Hz and dies with time constant
// `tenue` seconds, swelling in over `gonfle` seconds: a snare's is tuned
// high and short, a skin that booms just after the stick's crack, so it adds
// weight without stacking on the stroke's peak; `queue` lays a tail of noise under 8 kHz at that
// share of the peak, the wires rattling on after the stroke.
bool Percussion(const char* nom, int programme, int touche, double duree, double fondu, double gain,
                InstrumentXM* in, std::string* erreur, double clic = 0.0, double corps = 0.0,
                double grave = 100.0, double eclat = 0.0, double haut = 170.0, double tenue = 0.14,
                double queue = 0.0, double gonfle = 0.002) {
    SonEnregistre son;
    if (!LitSonDePolice(KAZZMOT_POLICE_SONORE, 128, programme, touche, 127, &son, erreur))
        return false;
    if (son.frequence != kFrequenceRendu) {
        *erreur = std::string(KAZZMOT_POLICE_SONORE) + ": the sample '" + son.nom +
                  "' is recorded at " + std::to_string(son.frequence) + " Hz, expected " +
                  std::to_string(kFrequenceRendu);
        return false;
    }
    size_t debut = 0;
    while (debut < son.mono.size() && std::abs(son.mono[debut]) < 64) ++debut;
    const size_t n = std::min(son.mono.size() - debut, size_t(duree * kFrequenceRendu));
    const size_t fondus = std::min(n, size_t(fondu * kFrequenceRendu));
    std::vector<double> s(n);
    for (size_t i = 0; i < n; ++i) {
        double gain = 1.0;
        if (i + fondus >= n) {
            // A raised cosine down to nothing on the last frame.
            const double x = double(n - 1 - i) / std::max<size_t>(1, fondus);
            gain = 0.5 - 0.5 * std::cos(kPi * x);
        }
        s[i] = son.mono[debut + i] * gain;
    }
    double crete = 0.0;
    for (double v : s) crete = std::max(crete, std::fabs(v));
    // The body, laid in phase with the recording's own tone in its first
    // 30 ms, so the two add up rather than cancel.
    std::vector<double> peau(corps > 0.0 ? n : 0);
    double phase = 0.0, accord = 0.0;
    for (size_t i = 0; i < peau.size(); ++i) {
        const double t = double(i) / kFrequenceRendu;
        phase += 2 * kPi * (grave + (haut - grave) * std::exp(-t / 0.03)) / kFrequenceRendu;
        const double fin = i + fondus >= n ? double(n - 1 - i) / std::max<size_t>(1, fondus) : 1.0;
        peau[i] = corps * crete * std::min(1.0, t / gonfle) * std::exp(-t / tenue) * fin * fin *
                  std::sin(phase);
        if (t < 0.03) accord += peau[i] * s[i];
    }
    for (size_t i = 0; i < peau.size(); ++i) s[i] += accord < 0.0 ? -peau[i] : peau[i];
    // The wires' tail: noise through a wide band round 4 kHz (the top above
    // 10 kHz stays the recording's), swelling in over 5 ms and dying away
    // over about a seventh of a second.
    uint32_t grain = 0x51554555;
    double bas = 0.0, bande = 0.0;
    const double fq = 2.0 * std::sin(kPi * 4000.0 / kFrequenceRendu);
    for (size_t i = 0; queue > 0.0 && i < n; ++i) {
        const double t = double(i) / kFrequenceRendu;
        const double haute = Bruit(&grain) - bas - 0.6 * bande;
        bande += fq * haute;
        bas += fq * bande;
        const double fin = i + fondus >= n ? double(n - 1 - i) / std::max<size_t>(1, fondus) : 1.0;
        s[i] += queue * crete * std::min(1.0, t / 0.005) * std::exp(-t / 0.05) * fin * fin * bande;
    }
    for (size_t i = n; eclat > 0.0 && i-- > 1;) s[i] += eclat * (s[i] - s[i - 1]);
    if (gain > 1.0) s = Sature(s, gain);
    // The beater's click, laid over the driven drum so the soft clip does not
    // flatten it: two high partials and a burst of bright noise dying within
    // a few milliseconds. The drum under it swells in over those milliseconds
    // (the beater strikes before the skin booms), so the click stands out
    // without raising the peak.
    crete = 0.0;
    for (double v : s) crete = std::max(crete, std::fabs(v));
    uint32_t etat = 0x434C4943;
    double avant = 0.0;
    const size_t frappe = size_t(0.007 * kFrequenceRendu);
    for (size_t i = 0; clic > 0.0 && i < std::min(n, size_t(0.008 * kFrequenceRendu)); ++i) {
        const double t = double(i) / kFrequenceRendu;
        if (i < frappe) s[i] *= 0.1 + 0.45 * (1.0 - std::cos(kPi * double(i) / frappe));
        const double bruit = Bruit(&etat), eclair = bruit - avant;
        avant = bruit;
        s[i] += clic * crete * std::exp(-t / 0.0025) *
                (0.45 * std::sin(2 * kPi * 3100 * t) + 0.3 * std::sin(2 * kPi * 5300 * t) +
                 0.25 * eclair);
    }
    in->nom = nom;
    in->echantillon = Normalise(s, kReserveTambours);
    return true;
}

// The drums: the electronic kit's kick (a click over a short body), the
// standard kit's snare (shell and wires, a natural tail), the drum machine
// kit's closed and open hi-hats (bright, left clean: driven, their noise
// turns to grit; the open one rings long enough to wash over an off-beat),
// the standard kit's first crash, a mid tom, and its second ride, the
// brighter one, whose wash opens the top of the full band.
bool Percussions(std::vector<InstrumentXM>* instruments, std::string* erreur) {
    InstrumentXM grosse, caisse, charleston, ouvert, cymbale, tom, clap, ride;
    if (!Percussion("grosse caisse", 24, 36, 0.45, 0.15, 4.0, &grosse, erreur, 1.1, 0.55, 90.0) ||
        !Percussion("caisse claire", 0, 38, 0.47, 0.08, 3.0, &caisse, erreur, 0, 0.4, 190.0, 0,
                    240.0, 0.04, 0.35, 0.008) ||
        // The closed hat's top lifted hard and driven a little more: its
        // 8-16 kHz air sounds louder at the same peak.
        !Percussion("charleston", 25, 42, 0.14, 0.07, 3.6, &charleston, erreur, 0, 0, 0, 1.0) ||
        !Percussion("charleston ouvert", 25, 46, 0.7, 0.45, 1.0, &ouvert, erreur, 0, 0, 0, 0.6) ||
        !Percussion("cymbale", 0, 49, 2.6, 1.6, 1.0, &cymbale, erreur) ||
        !Percussion("tom", 0, 48, 0.4, 0.25, 1.5, &tom, erreur) ||
        !Percussion("clap", 0, 39, 0.3, 0.12, 1.5, &clap, erreur) ||
        !Percussion("ride", 0, 59, 1.4, 0.9, 1.0, &ride, erreur, 0, 0, 0, 0.4))
        return false;
    grosse.volume = 64;
    caisse.volume = 64;
    // Panned far out, a hat rings louder in its ear: its volume is held back.
    charleston.volume = 56;
    charleston.panoramique = 224;
    ouvert.volume = 52;
    ouvert.panoramique = 24;
    cymbale.volume = 44;
    cymbale.panoramique = 196;
    tom.volume = 50;
    tom.panoramique = 104;
    (*instruments)[kGrosseCaisse - 1] = grosse;
    (*instruments)[kCaisseClaire - 1] = caisse;
    (*instruments)[kCharleston - 1] = charleston;
    (*instruments)[kCharlestonOuvert - 1] = ouvert;
    (*instruments)[kCymbale - 1] = cymbale;
    (*instruments)[kTom - 1] = tom;
    clap.volume = 40;
    clap.panoramique = 100;
    (*instruments)[kClap - 1] = clap;
    ride.volume = 40;
    ride.panoramique = 72;
    (*instruments)[kRide - 1] = ride;
    return true;
}

InstrumentXM Basse() {
    InstrumentXM in;
    in.nom = "basse";
    const int longueur = LongueurBoucle(kCyclesBasse, kToneBasse);
    const int blocs = 12;
    std::vector<Partiel> corps, dents;
    // The body: a sawtooth whose upper harmonics close down after the pluck,
    // over a sine sub.
    for (int h = 1; h <= 28; ++h) {
        const double brillant = 1.0 / h;
        const double sombre = brillant * std::exp(-(h - 1) / 5.0);
        corps.push_back({kCyclesBasse * h, brillant, sombre, 0.0});
    }
    corps.push_back({kCyclesBasse, 0.4, 0.4, 0.0});
    // The edge: the sawtooth's upper harmonics (to 4 kHz on C-2, 6 kHz on
    // the A-2 the drop mostly plays), driven into a soft clip so they growl,
    // over the body that keeps the fundamental round.
    for (int h = 3; h <= 60; ++h)
        dents.push_back({kCyclesBasse * h, 1.4 / h, std::exp(-(h - 3) / 30.0) / h, 0.0});
    const std::vector<double> corpsRendu = RendAdditif(longueur, blocs, 0.045, corps);
    const std::vector<double> dentsRendues = Sature(RendAdditif(longueur, blocs, 0.08, dents), 2.5);
    double crete = 0.0;
    for (double v : corpsRendu) crete = std::max(crete, std::fabs(v));
    std::vector<double> signal(corpsRendu.size());
    for (size_t i = 0; i < signal.size(); ++i)
        signal[i] = corpsRendu[i] + 0.4 * crete * dentsRendues[i];
    in.echantillon = Normalise(Sature(signal, 1.3), kReserve);
    Boucle(&in, longueur, blocs);
    in.enveloppe = {{0, 64}, {4, 50}, {24, 40}};
    in.pointTenu = 2;
    in.fondu = 2400;
    in.volume = 58;
    return in;
}

// A loop of white noise made brighter than `coupure` Hz by a two-pole high
// pass run twice round the loop: the second pass starts from the state the
// first ended in, so the noise joins its loop without a step.
std::vector<double> SouffleBoucle(int longueur, double coupure, uint32_t graine);

// The pad, sitting at `panoramique`: a supersaw of seven voices a few cents
// apart whose brightness opens and closes once per loop, as a low-pass filter
// swept by hand, with a breath of air that opens with it. Each side draws
// its voices' phases from its own `graine` and sweeps at its own point of the loop (`balayage`, in
// turns), so left and right never move together and the chord spreads across the stereo picture.
InstrumentXM Nappe(const char* nom, uint8_t panoramique, double graine, double balayage) {
    InstrumentXM in;
    in.nom = nom;
    in.panoramique = panoramique;
    const int longueur = LongueurBoucle(kCyclesNappe, kDo4);
    const double frequence = FrequenceBoucle(kCyclesNappe, longueur);
    // Cycles apart from the middle voice: one cycle per loop is 2.5 cents.
    const int ecarts[] = {-7, -3, -1, 0, 1, 3, 7};
    const int harmoniques = 38;  // up to 10 kHz on C-4, under Nyquist an octave up
    // The cutoff at every frame: from 700 Hz to 7 kHz and back, on a raised
    // cosine that starts and ends the loop at the same point.
    std::vector<double> coupure(size_t(longueur), 0.0);
    for (int i = 0; i < longueur; ++i) {
        const double x = 0.5 - 0.5 * std::cos(2.0 * kPi * (double(i) / longueur + balayage));
        coupure[size_t(i)] = 700.0 * std::pow(10.0, x);
    }
    std::vector<double> signal(size_t(longueur), 0.0);
    std::vector<double> phases(7), pas(7), amplitudes(7), gains(size_t(harmoniques) + 1);
    for (int v = 0; v < 7; ++v) {
        phases[size_t(v)] = 2.0 * kPi * std::fmod(graine * (v + 1) * 7.31 + 0.137 * v * v, 1.0);
        pas[size_t(v)] = 2.0 * kPi * (kCyclesNappe + ecarts[v]) / longueur;
        amplitudes[size_t(v)] = ecarts[v] == 0 ? 1.0 : 0.62;
    }
    for (int i = 0; i < longueur; ++i) {
        for (int h = 1; h <= harmoniques; ++h) {
            const double r = h * frequence / coupure[size_t(i)];
            // A two-pole low pass with a little resonance at its cutoff.
            gains[size_t(h)] = (1.0 / std::sqrt(1.0 + r * r * r * r) +
                                0.35 * std::exp(-8.0 * (r - 1.0) * (r - 1.0))) /
                               h;
        }
        double x = 0.0;
        for (size_t v = 0; v < 7; ++v) {
            // sin(h t) by the recurrence sin((h+1)t) = 2 cos t sin(ht) - sin((h-1)t).
            const double theta = pas[v] * i + phases[v];
            const double c2 = 2.0 * std::cos(theta);
            double avant = 0.0, courant = std::sin(theta), somme = 0.0;
            for (int h = 1; h <= harmoniques; ++h) {
                somme += gains[size_t(h)] * courant;
                const double suivant = c2 * courant - avant;
                avant = courant, courant = suivant;
            }
            x += amplitudes[v] * somme;
        }
        signal[size_t(i)] = x;
    }
    // Air: the noise's level follows the cutoff, loudest where the sweep is open.
    const std::vector<double> souffle =
        SouffleBoucle(longueur, 7000.0, 0x4E415050u + uint32_t(graine * 1000));
    for (int i = 0; i < longueur; ++i)
        signal[size_t(i)] += 0.25 * souffle[size_t(i)] * (coupure[size_t(i)] / 7000.0);
    // Seven voices in random phases peak high over their body: a soft clip
    // brings the rare peaks in, and the chord sits as loud in the band as a
    // plainer pad held at full reserve.
    in.echantillon = Normalise(Sature(signal, 3.6), kReserve * 0.62);
    Boucle(&in, longueur, 0);
    // Held at one level: the score fades each chord in with the volume
    // column; a released chord dies over a couple of seconds.
    in.enveloppe = {{0, 64}, {8, 64}};
    in.pointTenu = 1;
    in.fondu = 600;
    in.volume = 25;
    return in;
}

// The lead's tone; `sombre` closes its top down, as a low-pass filter
// would, for the echo that sits behind it.
std::vector<double> RendSolo(bool sombre) {
    const int longueur = LongueurBoucle(kCyclesSolo, kToneAigu);
    // A pulse whose width swings once per loop (about 2.6 Hz) over a little
    // sawtooth, in three voices slightly apart whose swings are a third of a
    // turn apart: reedy and moving, never static. Two plain sawtooths a few
    // cents either side thicken it, as a second oscillator detuned.
    std::vector<Voix> voix;
    for (int v = 0; v < 3; ++v)
        voix.push_back({kCyclesSolo - 1 + v, v == 1 ? 1.0 : 0.55, 0.3, 1.0, 0.32, v / 3.0});
    voix.push_back({kCyclesSolo - 3, 0.3, 1.0, 0.0, 0.0, 0.21});
    voix.push_back({kCyclesSolo + 3, 0.3, 1.0, 0.0, 0.0, 0.64});
    if (sombre)
        return RendVoix(longueur, 1, 0.06, 0.5, 20, voix,
                        [](int h, int) { return std::exp(-(h - 1) / 2.5); });
    // The lead's signature: a resonant low-pass, as on a small analogue
    // monosynth, whose cutoff swings once per loop between 1.4 and 4.2 kHz on
    // a raised cosine (the loop ends where it starts). Every note strikes it
    // wide open, its resonance squealing, and it snaps shut within a tenth of
    // a second, a little acid "yow"; held notes then wah with the swing. A
    // formant lifts 2 to 4 kHz so the lead cuts through the pad and the
    // arpeggio; brighter still at the attack.
    const double qualite = 2.5;  // the resonance's lift at the cutoff
    const int debutBoucle = longueur;
    return RendVoix(longueur, 1, 0.06, 0.5, 20, voix, [=](int h, int i) {
        const int j = i % longueur;
        const double x = 0.5 - 0.5 * std::cos(2.0 * kPi * j / longueur);
        double coupure = 1400.0 * std::pow(4200.0 / 1400.0, x);
        // The strike: the cutoff starts three octaves up and falls back onto
        // the swing, reaching it exactly where the loop starts.
        if (i < debutBoucle)
            coupure *= std::pow(
                8.0, std::exp(-i / (0.035 * kFrequenceRendu)) * (1.0 - double(i) / debutBoucle));
        const double f = h * kToneAigu, r = f / coupure;
        const double filtre =
            1.0 / std::sqrt((1.0 - r * r) * (1.0 - r * r) + r * r / (qualite * qualite));
        return (1.0 + 1.0 * std::exp(-std::pow((f - 2900.0) / 1100.0, 2.0))) * filtre;
    });
}

InstrumentXM Solo() {
    InstrumentXM in;
    in.nom = "solo";
    // Driven a little into a soft clip: the lead stands in front without
    // raising its peak, at full scale over the band held back; a shade under
    // it, as its resonant strike lines up with the hats' peaks in xmp.
    in.echantillon = Normalise(Sature(RendSolo(false), 2.6), 0.93 * kReserveSolo);
    Boucle(&in, LongueurBoucle(kCyclesSolo, kToneAigu), 1);
    in.enveloppe = {{0, 0}, {2, 64}, {10, 56}, {40, 52}};
    in.pointTenu = 3;
    in.fondu = 1800;
    in.volume = 64;
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
    // The same tone with its top closed down: the repeat sits behind the lead.
    in.echantillon = Normalise(Sature(RendSolo(true), 1.8), 0.7 * kNiveauMix);
    in.volume = 20;
    in.panoramique = 252;
    return in;
}

// The arpeggio's pluck; `sourd` closes it down, as a filter would, for the
// bars where it steps back.
InstrumentXM Arpege(bool sourd) {
    InstrumentXM in;
    in.nom = sourd ? "arpege sourd" : "arpege";
    const int longueur = LongueurBoucle(kCyclesArpege, kToneAigu);
    std::vector<Partiel> partiels;
    // A narrow pulse that mellows into a rounder tone.
    for (int h = 1; h <= (sourd ? 16 : 24); ++h) {
        const double impulsion = std::fabs(std::sin(kPi * h * 0.25)) / h;
        const double rond = impulsion * std::exp(-(h - 1) / (sourd ? 0.8 : 5.0));
        partiels.push_back({kCyclesArpege * h,
                            sourd ? impulsion * std::exp(-(h - 1) / 1.5) : impulsion, rond, 0.0});
    }
    const int blocs = 60;
    in.echantillon = Normalise(RendAdditif(longueur, blocs, 0.05, partiels), kReserve);
    Boucle(&in, longueur, blocs);
    in.enveloppe = {{0, 64}, {5, 34}, {14, 14}, {30, 0}};
    in.fondu = 3000;
    in.volume = 28;
    in.panoramique = 20;
    return in;
}

// The lead's second colour: a struck bell (partials out of tune with each
// other ringing out over a second) over a soft tone that holds in the loop.
InstrumentXM Cloche() {
    InstrumentXM in;
    in.nom = "cloche";
    const int longueur = LongueurBoucle(kCyclesSolo, kToneAigu);
    // Whole cycles per loop for every partial, so the loop joins; the
    // inharmonic ones have died out by the time it starts.
    const std::vector<Partiel> partiels = {
        {kCyclesSolo, 1.0, 0.8, 0.0},
        {2 * kCyclesSolo, 0.45, 0.18, 0.3},
        {3 * kCyclesSolo, 0.2, 0.06, 0.7},
        {kCyclesSolo * 276 / 100, 0.5, 0.0, 0.1},
        {kCyclesSolo * 540 / 100, 0.3, 0.0, 0.9},
        {kCyclesSolo * 893 / 100, 0.12, 0.0, 0.5},
    };
    const int blocs = 3;
    in.echantillon = Normalise(RendAdditif(longueur, blocs, 0.22, partiels), kReserve);
    Boucle(&in, longueur, blocs);
    in.enveloppe = {{0, 64}, {6, 46}, {30, 32}, {90, 24}};
    in.pointTenu = 3;
    in.fondu = 1400;
    in.volume = 60;
    in.panoramique = 112;
    return in;
}

double Bruit(uint32_t* etat) {
    *etat = *etat * 1664525u + 1013904223u;
    return static_cast<double>(*etat >> 8) / double(1u << 23) - 1.0;
}

std::vector<double> SouffleBoucle(int longueur, double coupure, uint32_t graine) {
    const size_t n = static_cast<size_t>(longueur);
    std::vector<double> bruit(n), sortie(n);
    for (double& b : bruit) b = Bruit(&graine);
    const double f = 2.0 * std::sin(kPi * coupure / kFrequenceRendu), q = 0.9;
    double bas = 0.0, bande = 0.0;
    for (int passe = 0; passe < 2; ++passe)
        for (int i = 0; i < longueur; ++i) {
            const double haut = bruit[size_t(i)] - bas - q * bande;
            bande += f * haut;
            bas += f * bande;
            sortie[size_t(i)] = haut;
        }
    double maximum = 0.0;
    for (double v : sortie) maximum = std::max(maximum, std::fabs(v));
    for (double& v : sortie) v /= maximum;
    return sortie;
}

// The riser: noise through a resonant band whose centre climbs from 300 Hz
// to 9 kHz over a bar at the groove, swelling from nothing; it ends on its
// loudest, cut by a fade of a few milliseconds.
InstrumentXM Montee() {
    InstrumentXM in;
    in.nom = "montee";
    const int n = static_cast<int>(kLignesMontee * 6 * 2.5 / 124.0 * kFrequenceRendu);
    std::vector<double> s(size_t(n), 0.0);
    uint32_t etat = 0x4B415A5A;
    double bas = 0.0, bande = 0.0;
    for (int i = 0; i < n; ++i) {
        const double x = double(i) / n;
        const double centre = 300.0 * std::pow(30.0, x);
        const double f = 2.0 * std::sin(kPi * centre / kFrequenceRendu), q = 0.35;
        // A state-variable filter's band output.
        const double haut = Bruit(&etat) - bas - q * bande;
        bande += f * haut;
        bas += f * bande;
        const double fin = std::min(1.0, (n - 1 - i) / (0.004 * kFrequenceRendu));
        s[size_t(i)] = bande * std::pow(x, 2.2) * fin;
    }
    in.echantillon = Normalise(s, kReserve * 0.8);
    in.volume = 36;
    in.panoramique = 128;
    return in;
}

// The countdown's blip: a sine with a touch of its third, struck and gone in
// a tenth of a second.
InstrumentXM Bip() {
    InstrumentXM in;
    in.nom = "bip";
    const int n = kFrequenceRendu / 8;
    std::vector<double> s(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kFrequenceRendu;
        const double fin = std::min(1.0, (n - 1 - i) / (0.01 * kFrequenceRendu));
        s[size_t(i)] =
            (std::sin(2 * kPi * kToneAigu * t) + 0.15 * std::sin(6 * kPi * kToneAigu * t)) *
            std::min(1.0, i / 40.0) * fin;
    }
    in.echantillon = Normalise(s, kReserve * 0.9);
    in.volume = 30;
    return in;
}

// The projector's rattle: a film frame's clack 24 times a second, each a
// burst of noise in a band round 2.5 kHz, over a faint hiss; half a second
// loops (its ends are between two clacks, where only the hiss sounds).
InstrumentXM Projecteur() {
    InstrumentXM in;
    in.nom = "projecteur";
    const int n = kFrequenceRendu / 2, periode = kFrequenceRendu / 24;
    std::vector<double> s(static_cast<size_t>(n));
    uint32_t etat = 0x50524F4A;
    double bas = 0.0, bande = 0.0;
    const double f = 2.0 * std::sin(kPi * 2500.0 / kFrequenceRendu);
    for (int i = 0; i < n; ++i) {
        const double haut = Bruit(&etat) - bas - 0.5 * bande;
        bande += f * haut;
        bas += f * bande;
        const int j = (i + periode / 2) % periode;
        const double clac =
            std::exp(-j / (0.004 * kFrequenceRendu)) * ((i / periode) % 2 ? 0.7 : 1.0);
        s[size_t(i)] = bande * (0.12 + clac);
    }
    in.echantillon = Normalise(s, kReserve * 0.8);
    in.boucleDebut = 0;
    in.boucleLongueur = static_cast<uint32_t>(n);
    in.enveloppe = {{0, 64}, {4, 64}};
    in.pointTenu = 1;
    in.fondu = 3000;
    in.volume = 16;
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
        case kEchoGauche:
        case kCloche:
            return FrequenceBoucle(kCyclesSolo, LongueurBoucle(kCyclesSolo, kToneAigu));
        case kArpege:
        case kArpegeSourd:
            return FrequenceBoucle(kCyclesArpege, LongueurBoucle(kCyclesArpege, kToneAigu));
        case kBip:
            return kToneAigu;
        default:
            return kDo4;
    }
}

bool SynthetiseInstruments(std::vector<InstrumentXM>* instruments, std::string* erreur) {
    std::vector<InstrumentXM> liste(kNombreInstruments);
    liste[kBasse - 1] = Basse();
    // Amiga-style width: the kick, the snare, the bass and the lead hold the
    // centre; the pad's outer voices, the echoes, the arpeggio and the hats
    // sit out at the sides, the pad's middle voice a little left of centre.
    liste[kNappe - 1] = Nappe("nappe", 104, 0.0, 0.0);
    liste[kSolo - 1] = Solo();
    liste[kEcho - 1] = Echo();
    liste[kArpege - 1] = Arpege(false);
    liste[kArpegeSourd - 1] = Arpege(true);
    liste[kCloche - 1] = Cloche();
    liste[kEchoGauche - 1] = Echo();
    liste[kEchoGauche - 1].nom = "echo gauche";
    liste[kEchoGauche - 1].panoramique = 4;
    liste[kMontee - 1] = Montee();
    liste[kBip - 1] = Bip();
    liste[kProjecteur - 1] = Projecteur();
    liste[kNappeGauche - 1] = Nappe("nappe gauche", 0x00, 0.61, 0.33);
    liste[kNappeDroite - 1] = Nappe("nappe droite", 0xFF, 1.37, 0.67);
    if (!Percussions(&liste, erreur)) return false;
    // The names a tracker shows in its instrument list, read down as the
    // module's credits and greetings; each starts with the sound it holds.
    const char* const noms[kNombreInstruments] = {
        "kick   KAZZMOT",         // kGrosseCaisse
        "snare  an ORBO demo",    // kCaisseClaire
        "hat    2001",            // kCharleston
        "crash  ----------",      // kCymbale
        "bass   music: DOLO",     // kBasse
        "pad    code: KABO",      // kNappe
        "lead   all made in",     // kSolo
        "echo   our own forge",   // kEcho
        "arp    -- greets --",    // kArpege
        "ohat   WOZZ",            // kCharlestonOuvert
        "pad L  SLIK",            // kNappeGauche
        "pad R  BRENN",           // kNappeDroite
        "tom    thanks for the",  // kTom
        "arp2   sleepless",       // kArpegeSourd
        "bell   nights and the",  // kCloche
        "echo2  cold coffee",     // kEchoGauche
        "clap   ----------",      // kClap
        "riser  see you at",      // kMontee
        "blip   the next party",  // kBip
        "film   ----------",      // kProjecteur
        "ride   ----------",      // kRide
    };
    for (size_t i = 0; i < liste.size(); ++i) liste[i].nom = noms[i];
    for (size_t i = 0; i < liste.size(); ++i)
        AccordeInstrument(&liste[i], FrequenceEnregistree(static_cast<NumeroInstrument>(i + 1)));
    // The pad's sides a few cents apart, flat on the left and sharp on the
    // right: together they beat slowly, a chorus across the stereo picture.
    const double ecart = std::pow(2.0, 4.0 / 1200.0);
    AccordeInstrument(&liste[kNappeGauche - 1], FrequenceEnregistree(kNappeGauche) * ecart);
    AccordeInstrument(&liste[kNappeDroite - 1], FrequenceEnregistree(kNappeDroite) / ecart);
    *instruments = std::move(liste);
    return true;
}
