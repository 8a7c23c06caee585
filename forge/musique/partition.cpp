// The score laid out: each scene's section placed in rows and tempo so that
// its downbeat falls on its scene change, every bar composed part by part,
// the switch-off, then the patterns, the order list and the tempo commands.
// The sections themselves are in arrangements.cpp.
#include "partition.h"

#include <algorithm>
#include <cmath>

#include "partition_interne.h"
#include "synthese.h"

std::vector<SectionPlacee> PlaceSections(const std::vector<RepereScene>& reperes,
                                         std::string* erreur) {
    const auto& arrangements = Arrangements();
    // Every scene the score has music for, then the end of the production.
    if (reperes.size() != arrangements.size()) {
        *erreur = "scene table has " + std::to_string(reperes.size()) + " entries, expected " +
                  std::to_string(arrangements.size());
        return {};
    }
    std::vector<SectionPlacee> sections;
    for (size_t i = 0; i < reperes.size(); ++i) {
        const std::string attendu = i + 1 < arrangements.size() ? arrangements[i].scene : "end";
        if (reperes[i].scene != attendu) {
            *erreur = "scene table entry " + std::to_string(i) + " is '" + reperes[i].scene +
                      "', expected '" + attendu + "'";
            return {};
        }
        if (!std::isfinite(reperes[i].debut) || reperes[i].debut < 0.0 ||
            reperes[i].debut > 1000.0) {
            *erreur = "scene '" + reperes[i].scene + "' starts at an impossible time";
            return {};
        }
        SectionPlacee s;
        s.scene = i + 1 < reperes.size() ? reperes[i].scene : "coda";
        sections.push_back(s);
        if (i > 0 && reperes[i].debut <= reperes[i - 1].debut) {
            *erreur = "scene '" + reperes[i].scene + "' starts before the scene before it ends";
            return {};
        }
    }
    if (reperes[0].debut != 0.0) {
        *erreur = "the first scene must start with the music, at 0 s";
        return {};
    }
    // Each section in turn, from where the previous one really ended, so that
    // rounding never adds up from one section to the next.
    int ligne = 0;
    long trames = 0;
    for (size_t i = 0; i + 1 < sections.size(); ++i) {
        SectionPlacee& s = sections[i];
        const double duree = reperes[i + 1].debut - trames / 44100.0;
        // The number of rows, in whole eighth notes, whose tempo is nearest to
        // the groove: a grooved section keeps within a beat or two per minute
        // of it and ends on a shorter bar if it must (written as such: 2, 2½,
        // 3 or 3½ beats), a section of free tempo (the pause, the countdown,
        // the switch-off) keeps to whole bars and lets its tempo go.
        const bool libre = arrangements[i].tempoLibre;
        int lignes = 0;
        double cout = 1e9;
        for (int n = 8; n <= 16 * 128; n += 2) {
            const double bpm = 60.0 * n / kLignesParTemps / duree;
            const int reste = n % kLignesParMesure;
            const double c = (libre ? 0.2 : 1.0) * std::fabs(bpm - kBpm) +
                             (reste ? (libre ? 3.0 : 0.6) : 0.0) + (reste && reste < 8 ? 5.0 : 0.0);
            if (bpm >= kTempoMin && bpm < kTempoMax && c < cout) cout = c, lignes = n;
        }
        if (lignes == 0) {
            *erreur = "scene '" + s.scene + "' lasts " + std::to_string(duree) +
                      " s: too short for two beats of music";
            return {};
        }
        s.premiereLigne = ligne;
        s.lignes = lignes;
        s.debut = trames / 44100.0;
        // The first rows at the tempo just under the ideal one, the rest one beat
        // per minute faster, as many of each as lands nearest to the scene change.
        s.tempo = static_cast<int>(std::floor(60.0 * lignes / kLignesParTemps / duree));
        const long voulu = std::lround(reperes[i + 1].debut * 44100.0) - trames;
        const long lent = kTicksParLigne * TramesParTick(s.tempo),
                   vif = kTicksParLigne * TramesParTick(s.tempo + 1);
        long ecart = -1;
        for (int k = 0; k <= s.lignes; ++k) {
            const long e = std::labs(k * lent + (s.lignes - k) * vif - voulu);
            if (ecart < 0 || e < ecart) ecart = e, s.lignesTempo = k;
        }
        ligne += s.lignes;
        trames += s.lignesTempo * lent + (s.lignes - s.lignesTempo) * vif;
    }
    // The ending after the production keeps the finale's tempo.
    SectionPlacee& coda = sections.back();
    coda.premiereLigne = ligne;
    coda.lignes = kLignesCoda;
    coda.tempo = sections[sections.size() - 2].tempo + 1;
    coda.lignesTempo = coda.lignes;
    coda.debut = trames / 44100.0;
    return sections;
}

namespace {

// How much the pad comes forward on the crawl's new key.
constexpr double kSommetTonal = 1.8;

// The switch-off: the final chord is struck with the crash and rings as a
// chord for more than half the scene, heard as the arrival home; then the
// held voices (pad, bass, lead and the lines around it) sigh down in pitch
// and fade, like a set powering down, the gesture ending as the production
// lets the music go. The drums and the crash are left to ring out by
// themselves: nothing cuts them.
void EteintLePoste(Grille* g, const SectionPlacee& finale, const SectionPlacee& coda) {
    // A slow fall that gathers speed over the scene's last rows.
    static const uint8_t chutes[] = {0x04, 0x08, 0x0C};
    static const uint8_t fondus[] = {2, 5, 10};
    static const int frappees[] = {kCanalGrosseCaisse, kCanalCaisseClaire, kCanalCharleston,
                                   kCanalCymbale,      kCanalOuvert,       kCanalClap,
                                   kCanalEffets};
    auto frappee = [&](int canal) {
        return std::count(std::begin(frappees), std::end(frappees), canal) > 0;
    };
    const int tenue = std::max(1, finale.lignes - 3);
    for (int k = 0; k < 3 && tenue + k < finale.lignes; ++k) {
        const int ligne = finale.premiereLigne + tenue + k;
        // Nothing strikes during the fall (the echo and the arpeggio would).
        for (int canal = 0; canal < kNombreCanaux; ++canal) {
            CaseXM* c = g->Case(ligne, canal);
            if (frappee(canal)) {
                if (c->note) *c = CaseXM{};
                continue;
            }
            *c = CaseXM{};
            c->effet = kEffetPortamentoBas, c->parametre = chutes[k];
            c->volume = kColonneGlisseBas + fondus[k];
        }
    }
    for (int canal = 0; canal < kNombreCanaux; ++canal) {
        // After the release the drums' tails fade gently, so the module played
        // alone does not end on a click.
        if (frappee(canal)) {
            for (int l = 0; l < coda.lignes; ++l)
                PoseColonne(g, coda.premiereLigne + l, canal, kColonneGlisseBas + 3);
            continue;
        }
        CaseXM* c = g->Case(coda.premiereLigne, canal);
        *c = CaseXM{};
        c->note = kNoteRelache;
        c->effet = kEffetEtendu, c->parametre = kEtenduCoupe;
    }
}

// The film countdown: the projector rattles under it, and a blip marks each
// number from 5 to 1 as the picture shows it, one a second from the scene's
// start, placed to the tick (a note delay within its row); the last, an
// octave higher.
void PoseDecompte(Grille* g, const SectionPlacee& s) {
    Pose(g, s.premiereLigne, kCanalClap, kNoteDo4, kProjecteur, 64);
    Pose(g, s.premiereLigne + s.lignes, kCanalClap, kNoteRelache, 0, 0);
    for (int chiffre = 0; chiffre < 5; ++chiffre) {
        const long voulu = long(chiffre) * 44100;
        long trames = 0;
        for (int r = 0; r < s.lignes; ++r) {
            const long tick = TramesParTick(r < s.lignesTempo ? s.tempo : s.tempo + 1);
            if (trames + kTicksParLigne * tick <= voulu) {
                trames += kTicksParLigne * tick;
                continue;
            }
            const int retard = static_cast<int>(std::lround(double(voulu - trames) / tick));
            const int ligne = s.premiereLigne + r + (retard >= kTicksParLigne ? 1 : 0);
            Pose(g, ligne, kCanalEffets, NoteNommee(chiffre == 4 ? "a6" : "a5"), kBip, 64);
            if (retard % kTicksParLigne)
                PoseEffet(g, ligne, kCanalEffets, kEffetEtendu,
                          static_cast<uint8_t>(kEtenduRetard + retard % kTicksParLigne));
            break;
        }
    }
}

}  // namespace

bool ComposeModule(const std::vector<RepereScene>& reperes, ModuleXM* module, std::string* erreur) {
    const std::vector<SectionPlacee> sections = PlaceSections(reperes, erreur);
    if (sections.empty()) return false;
    const auto& arrangements = Arrangements();

    Grille g;
    std::vector<InstrumentXM> instruments;
    if (!SynthetiseInstruments(&instruments, erreur)) return false;
    g.niveaux.push_back(0);
    for (const InstrumentXM& in : instruments) g.niveaux.push_back(in.volume);
    g.lignes = sections.back().premiereLigne + sections.back().lignes;
    g.cases.assign(size_t(g.lignes) * kNombreCanaux, CaseXM{});

    // Bars of every section: the patterns follow them.
    std::vector<int> coupures;
    Accord precedent;
    bool nappeTenue = false;
    for (size_t s = 0; s < sections.size(); ++s) {
        const Arrangement& a = arrangements[s];
        const SectionPlacee& place = sections[s];
        if (s > 0) RelacheAuChangement(&g, place.premiereLigne, arrangements[s - 1], a);
        g.accompagnement = a.niveau / 100.0;
        const int completes = place.lignes / kLignesParMesure;
        const int reste = place.lignes % kLignesParMesure;
        const int nombre = completes + (reste ? 1 : 0);
        for (int n = 0; n < nombre; ++n) {
            // A section that moves a tone up builds toward it: its band
            // grows bar by bar and reaches its level on the new key.
            if (a.modulation > 0)
                g.accompagnement =
                    a.niveau / 100.0 * (n < a.modulation ? 0.8 + 0.2 * n / a.modulation : 1.0);
            // The backbeat's section builds: from its second phrase on, the
            // band grows bar by bar up to the stop, a layer joining it every
            // phrase (the bass moving, then the arpeggio open with the reed).
            if (a.batterie == Batterie::kMarche && completes > 5)
                g.accompagnement =
                    a.niveau / 100.0 *
                    (1.0 + 0.03 * std::clamp(n - 4, 0, completes - 5) / (completes - 5));
            Mesure m;
            m.arrangement = &a;
            m.numero = n;
            m.completes = completes;
            m.reste = reste;
            m.premiereLigne = place.premiereLigne + n * kLignesParMesure;
            m.lignes = n < completes ? kLignesParMesure : reste;
            m.finSection = place.premiereLigne + place.lignes;
            m.derniere = n == completes - 1;
            // A section of a single short bar plays it as its own bar.
            m.queue = n == completes && completes > 0;
            m.coupe = n == nombre - 1;
            m.ton = a.modulation >= 0 && n >= a.modulation && !m.coupe ? 2 : 0;
            m.finPhrase = n % 4 == 3 && n < completes - 2;
            // The chord of bar `k` of the section, moved up with it.
            auto accordDe = [&](int k, const Accord& avant, Accord* accord) {
                std::string nom = a.accords[k % a.accords.size()];
                if (k == completes - 1 && !a.cadence.empty()) nom = a.cadence;
                if (k == completes && completes > 0)
                    nom = !a.accordQueue.empty() ? a.accordQueue : "";
                if (nom.empty()) {
                    *accord = avant;
                    return true;
                }
                if (!LitAccord(nom, accord)) {
                    *erreur = a.scene + ": '" + nom + "' is not a chord";
                    return false;
                }
                const int ton = a.modulation >= 0 && k >= a.modulation && k != nombre - 1 ? 2 : 0;
                accord->fondamentale = (accord->fondamentale + ton) % 12;
                return true;
            };
            if (!accordDe(n, precedent, &m.accord)) return false;
            m.suivant = m.accord;
            if (n + 1 < nombre && !accordDe(n + 1, m.accord, &m.suivant)) return false;
            coupures.push_back(m.premiereLigne);
            g.accords.push_back({m.premiereLigne, m.accord});
            ComposeBatterie(&g, m);
            ComposeBasse(&g, m);
            // On the new key the pad comes forward over the drums: the summit
            // stands above the drop on its chords, not its strokes (the
            // arpeggio stays, its beats sit on the kick's). It gets there
            // over two bars, so the key change's crash and chord do not
            // pile up on the louder pad.
            ComposeArpege(&g, m);
            const double bande = g.accompagnement;
            if (m.ton > 0)
                g.accompagnement *=
                    1.0 + (kSommetTonal - 1.0) * std::min(1.0, (n - a.modulation + 1) / 2.0);
            nappeTenue = ComposeNappe(&g, m, nappeTenue ? &precedent : nullptr);
            if (!ComposeSolo(&g, m, erreur)) return false;
            Pompe(&g, m);
            g.accompagnement = bande;
            precedent = m.accord;
        }
    }
    for (const SectionPlacee& s : sections)
        if (s.scene == "countdown") PoseDecompte(&g, s);
    for (int canal : {kCanalSolo, kCanalDoublure, kCanalContre}) Anime(&g, canal);
    ComposeEcho(&g);
    EteintLePoste(&g, sections[sections.size() - 2], sections.back());
    coupures.push_back(g.lignes);

    ModuleXM mod;
    mod.nom = kTitreModule;
    mod.canaux = kNombreCanaux;
    mod.vitesse = kTicksParLigne;
    // Each section's tempo, sent where it changes.
    mod.bpm =
        static_cast<uint16_t>(sections[0].lignesTempo ? sections[0].tempo : sections[0].tempo + 1);
    int tempo = mod.bpm;
    for (const SectionPlacee& s : sections)
        for (int partie = 0; partie < 2; ++partie) {
            const int ligne = s.premiereLigne + (partie ? s.lignesTempo : 0);
            const int voulu = s.tempo + partie;
            if ((partie ? s.lignes - s.lignesTempo : s.lignesTempo) == 0 || voulu == tempo)
                continue;
            if (!PoseTempo(&g, ligne, voulu)) {
                *erreur = s.scene + ": no free effect column for the tempo at row " +
                          std::to_string(ligne);
                return false;
            }
            tempo = voulu;
        }
    mod.instruments = std::move(instruments);
    // One pattern a bar; a bar equal to one already written plays that pattern again.
    for (size_t i = 0; i + 1 < coupures.size(); ++i) {
        MotifXM motif;
        motif.lignes = static_cast<uint16_t>(coupures[i + 1] - coupures[i]);
        motif.cases.assign(g.cases.begin() + size_t(coupures[i]) * kNombreCanaux,
                           g.cases.begin() + size_t(coupures[i + 1]) * kNombreCanaux);
        size_t numero = 0;
        while (numero < mod.motifs.size() && !(mod.motifs[numero].lignes == motif.lignes &&
                                               mod.motifs[numero].cases == motif.cases))
            ++numero;
        if (numero == mod.motifs.size()) mod.motifs.push_back(motif);
        if (numero > 255 || mod.ordre.size() >= 256) {
            *erreur = "the score needs more than 256 patterns or order entries";
            return false;
        }
        mod.ordre.push_back(static_cast<uint8_t>(numero));
    }
    *module = std::move(mod);
    return true;
}

int TramesParTick(int bpm) {
    return bpm > 0 ? 44100 * 5 / (2 * bpm) : 0;
}

std::vector<double> InstantsDesLignes(const ModuleXM& module) {
    std::vector<double> instants;
    int vitesse = module.vitesse, bpm = module.bpm;
    long trames = 0;
    for (uint8_t o : module.ordre) {
        if (o >= module.motifs.size()) break;
        const MotifXM& motif = module.motifs[o];
        for (size_t l = 0; l < motif.lignes; ++l) {
            for (size_t k = 0; k < module.canaux; ++k) {
                const CaseXM& c = motif.cases[l * module.canaux + k];
                if (c.effet != kEffetVitesse || c.parametre == 0) continue;
                if (c.parametre < 32)
                    vitesse = c.parametre;
                else
                    bpm = c.parametre;
            }
            instants.push_back(trames / 44100.0);
            trames += long(vitesse) * TramesParTick(bpm);
        }
    }
    instants.push_back(trames / 44100.0);
    return instants;
}

double DureeModule(const ModuleXM& module) {
    return InstantsDesLignes(module).back();
}

const std::vector<Couche>& Couches() {
    static const std::vector<Couche> couches = {
        {"kick", {kCanalGrosseCaisse}},
        {"snare", {kCanalCaisseClaire, kCanalClap}},
        {"hats", {kCanalCharleston, kCanalOuvert}},
        {"cymbal", {kCanalCymbale, kCanalEffets}},
        {"bass", {kCanalBasse}},
        {"pads", {kCanalNappe1, kCanalNappe2, kCanalNappe3}},
        {"lead", {kCanalSolo, kCanalDoublure}},
        {"echo", {kCanalEcho}},
        {"arpeggio", {kCanalArpege}},
        {"counter", {kCanalContre}},
    };
    return couches;
}

ModuleXM CanauxSeuls(ModuleXM m, const std::vector<int>& canaux, bool sauf) {
    for (MotifXM& motif : m.motifs)
        for (size_t i = 0; i < motif.cases.size(); ++i) {
            CaseXM& c = motif.cases[i];
            const bool garde =
                std::count(canaux.begin(), canaux.end(), int(i % m.canaux)) != (sauf ? 1 : 0);
            if (garde) continue;
            if (c.effet != kEffetVitesse) c.effet = c.parametre = 0;
            c.volume = c.note && c.note != kNoteRelache ? VolumeColonne(0) : 0;
        }
    return m;
}
