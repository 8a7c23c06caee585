// The score: sections on the production's scene changes, the module's length
// following the scene table, variation between phrases, a deterministic file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sys/wait.h>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "partition.h"
#include "synthese.h"
#include "xm.h"

namespace {

ModuleXM Compose(const std::vector<RepereScene>& reperes) {
    ModuleXM m;
    std::string erreur;
    EXPECT_TRUE(ComposeModule(reperes, &m, &erreur)) << erreur;
    return m;
}

// Rows of the song, flattened over the order list.
std::vector<CaseXM> Deroule(const ModuleXM& m) {
    std::vector<CaseXM> cases;
    for (uint8_t o : m.ordre)
        cases.insert(cases.end(), m.motifs[o].cases.begin(), m.motifs[o].cases.end());
    return cases;
}

}  // namespace

TEST(MusiquePartition, EverySectionLandsOnItsSceneInWholeBars) {
    // The production's scene table, and tables where scenes get longer or
    // shorter by odd amounts.
    std::vector<std::vector<RepereScene>> tables(4, ReperesProduction());
    for (size_t i = 6; i < tables[1].size(); ++i) tables[1][i].debut += 7.3;
    for (size_t i = 3; i < tables[2].size(); ++i) tables[2][i].debut -= 1.111;
    for (size_t i = 8; i < tables[3].size(); ++i) tables[3][i].debut += 0.37;
    for (const std::vector<RepereScene>& reperes : tables) {
        std::string erreur;
        const std::vector<SectionPlacee> sections = PlaceSections(reperes, &erreur);
        ASSERT_EQ(reperes.size(), sections.size()) << erreur;
        EXPECT_EQ("coda", sections.back().scene);
        const ModuleXM m = Compose(reperes);
        const std::vector<double> instants = InstantsDesLignes(m);
        // Bars in playing order: rows of each pattern over the order list.
        std::vector<int> mesures;
        for (uint8_t o : m.ordre) mesures.push_back(m.motifs[o].lignes);
        size_t mesure = 0;
        int ligne = 0;
        for (size_t i = 0; i < sections.size(); ++i) {
            const SectionPlacee& s = sections[i];
            // The downbeat, as the player times the rows with their tempo
            // commands, is on the scene change.
            ASSERT_LT(size_t(s.premiereLigne), instants.size()) << s.scene;
            EXPECT_NEAR(reperes[i].debut, instants[s.premiereLigne], 0.020) << s.scene;
            EXPECT_DOUBLE_EQ(s.debut, instants[s.premiereLigne]) << s.scene;
            if (i + 1 < sections.size()) {
                EXPECT_EQ(sections[i + 1].premiereLigne, s.premiereLigne + s.lignes);
            }
            // Whole bars of 4 beats, only the last of a section may be shorter,
            // of 2 to 3½ beats (the ending after the production: its few rows).
            EXPECT_EQ(ligne, s.premiereLigne) << s.scene;
            while (ligne < s.premiereLigne + s.lignes) {
                ASSERT_LT(mesure, mesures.size()) << s.scene;
                const bool derniere = ligne + mesures[mesure] == s.premiereLigne + s.lignes;
                if (!derniere) {
                    EXPECT_EQ(kLignesParMesure, mesures[mesure]) << s.scene << " bar " << mesure;
                }
                EXPECT_TRUE(s.scene == "coda" ||
                            (mesures[mesure] % 2 == 0 && mesures[mesure] >= 8 &&
                             mesures[mesure] <= kLignesParMesure))
                    << s.scene << " bar " << mesure << ": " << mesures[mesure] << " rows";
                ligne += mesures[mesure++];
            }
        }
        EXPECT_EQ(mesures.size(), mesure);
        // Every tempo the sections take stays near the score's own.
        for (const MotifXM& motif : m.motifs)
            for (const CaseXM& c : motif.cases)
                if (c.effet == kEffetVitesse) {
                    EXPECT_GE(c.parametre, kTempoMin);
                    EXPECT_LE(c.parametre, kTempoMax);
                }
        EXPECT_GE(m.bpm, kTempoMin);
        EXPECT_LE(m.bpm, kTempoMax);
    }
}

TEST(MusiquePartition, LengthIsTheProductionPlusTheEnding) {
    const auto& reperes = ReperesProduction();
    const ModuleXM m = Compose(reperes);
    const double fin = reperes.back().debut;
    const double duree = DureeModule(m);
    // The ending dies with the switch-off: the module ends soon after the
    // production does.
    EXPECT_GT(duree, fin);
    EXPECT_LE(duree, fin + 1.5);
    std::string erreur;
    std::vector<uint8_t> f;
    ASSERT_TRUE(EcritModuleXM(&m, &f, &erreur)) << erreur;
    ResumeXM r;
    ASSERT_TRUE(LitModuleXM(f.data(), f.size(), &r, &erreur)) << erreur;
    EXPECT_EQ(InstantsDesLignes(m).size(), r.lignesJouees + 1);
}

TEST(MusiquePartition, MovingASceneMovesItsSectionAndTheLength) {
    std::vector<RepereScene> reperes = ReperesProduction();
    const double avant = DureeModule(Compose(reperes));
    // The television scene runs 7.3 s longer: everything after it moves.
    size_t tele = 0;
    while (reperes[tele].scene != "television") ++tele;
    for (size_t i = tele + 1; i < reperes.size(); ++i) reperes[i].debut += 7.3;
    const ModuleXM m = Compose(reperes);
    // Both ends land on their scenes: the length moves with them.
    EXPECT_NEAR(DureeModule(m), avant + 7.3, 0.040);
    std::string erreur;
    const auto sections = PlaceSections(reperes, &erreur);
    ASSERT_FALSE(sections.empty()) << erreur;
    EXPECT_NEAR(sections[tele + 1].debut, reperes[tele + 1].debut, 0.020);
    std::vector<uint8_t> f;
    ResumeXM r;
    ASSERT_TRUE(EcritModuleXM(&m, &f, &erreur)) << erreur;
    EXPECT_TRUE(LitModuleXM(f.data(), f.size(), &r, &erreur)) << erreur;
}

TEST(MusiquePartition, SceneTablesTheScoreCannotFollowAreRefused) {
    auto refuse = [](const char* quoi, auto changement) {
        std::vector<RepereScene> reperes = ReperesProduction();
        changement(&reperes);
        std::string erreur;
        ModuleXM m;
        EXPECT_FALSE(ComposeModule(reperes, &m, &erreur)) << quoi;
        EXPECT_FALSE(erreur.empty()) << quoi;
    };
    refuse("scenes out of order", [](auto* r) { std::swap((*r)[3].debut, (*r)[4].debut); });
    refuse("a scene shorter than a beat", [](auto* r) { (*r)[5].debut = (*r)[4].debut + 0.1; });
    refuse("a missing scene", [](auto* r) { r->erase(r->begin() + 6); });
    refuse("a renamed scene", [](auto* r) { (*r)[2].scene = "logos"; });
    refuse("music not starting at 0", [](auto* r) { (*r)[0].debut = 1.0; });
    refuse("an impossible time", [](auto* r) { (*r)[7].debut = NAN; });
}

TEST(MusiquePartition, NoFourBarPhraseRepeatsMoreThanTwiceInARow) {
    const ModuleXM m = Compose(ReperesProduction());
    // Bars in playing order, compared by content.
    std::vector<const MotifXM*> mesures;
    for (uint8_t o : m.ordre) mesures.push_back(&m.motifs[o]);
    auto memePhrase = [&](size_t a, size_t b) {
        for (size_t k = 0; k < 4; ++k)
            if (!(mesures[a + k]->lignes == mesures[b + k]->lignes &&
                  mesures[a + k]->cases == mesures[b + k]->cases))
                return false;
        return true;
    };
    int pire = 1;
    for (size_t debut = 0; debut + 4 <= mesures.size(); ++debut) {
        int fois = 1;
        while (debut + 4 * (fois + 1) <= mesures.size() && memePhrase(debut, debut + 4 * fois))
            ++fois;
        pire = std::max(pire, fois);
    }
    EXPECT_LE(pire, 2);
    // The score is written out bar by bar: far more distinct bars than a loop.
    EXPECT_GE(m.motifs.size(), m.ordre.size() * 3 / 4);
}

TEST(MusiquePartition, EveryPartPlaysAndTheEndingLetsGo) {
    const ModuleXM m = Compose(ReperesProduction());
    const std::vector<CaseXM> cases = Deroule(m);
    const size_t lignes = cases.size() / m.canaux;
    std::vector<int> notes(m.canaux, 0);
    std::vector<bool> instruments(kNombreInstruments + 1, false);
    for (size_t i = 0; i < cases.size(); ++i) {
        if (cases[i].note && cases[i].note != kNoteRelache) ++notes[i % m.canaux];
        instruments[cases[i].instrument] = true;
    }
    for (int c = 0; c < m.canaux; ++c) EXPECT_GT(notes[c], 0) << "channel " << c;
    // The arpeggio rests from its sixteenths (four in a row) in at least 30 % of the bars.
    int bars = 0, seizes = 0;
    for (uint8_t o : m.ordre) {
        int suite = 0, plus = 0;
        for (size_t l = 0; l < m.motifs[o].lignes; ++l) {
            const uint8_t n = m.motifs[o].cases[l * m.canaux + kCanalArpege].note;
            suite = n && n != kNoteRelache ? suite + 1 : 0;
            plus = std::max(plus, suite);
        }
        ++bars, seizes += plus >= 4;
    }
    EXPECT_LE(seizes * 10, bars * 7) << seizes << " of " << bars << " bars";
    for (int i = 1; i <= kNombreInstruments; ++i) EXPECT_TRUE(instruments[i]) << "instrument " << i;

    // The ending after the production strikes nothing: the final chord was
    // struck before and every held voice (bass, pad, lead) is let go.
    std::string erreur;
    const size_t derniereMesure =
        size_t(PlaceSections(ReperesProduction(), &erreur).back().premiereLigne);
    ASSERT_GT(lignes, derniereMesure);
    for (size_t l = derniereMesure; l < lignes; ++l)
        for (int c = 0; c < m.canaux; ++c) {
            const CaseXM& cas = cases[l * m.canaux + c];
            EXPECT_TRUE(cas.note == 0 || cas.note == kNoteRelache)
                << "row " << l << " channel " << c;
        }
    for (int c : {kCanalBasse, kCanalNappe1, kCanalNappe2, kCanalNappe3, kCanalSolo}) {
        int derniere = 0;
        for (size_t l = 0; l < lignes; ++l)
            if (cases[l * m.canaux + c].note) derniere = cases[l * m.canaux + c].note;
        EXPECT_EQ(kNoteRelache, derniere) << "channel " << c;
    }
}

TEST(MusiquePartition, TheCutsVaryTheirTransitionsAndTheFinaleResolves) {
    const ModuleXM m = Compose(ReperesProduction());
    const std::vector<CaseXM> cases = Deroule(m);
    auto cell = [&](int ligne, int canal) { return cases[size_t(ligne) * m.canaux + canal]; };
    auto frappe = [](const CaseXM& c) { return c.note && c.note != kNoteRelache; };
    std::string erreur;
    const std::vector<SectionPlacee> sections = PlaceSections(ReperesProduction(), &erreur);
    std::map<std::string, int> genres;
    // Every scene change from the countdown's end to the switch-off, told
    // apart by what its last two beats play.
    for (size_t s = 2; s + 1 < sections.size(); ++s) {
        const int coupe = sections[s].premiereLigne;
        const std::string qui = "into " + sections[s].scene;
        bool batterie = false, fla = false, toms = false, montee = false, ouvert = false,
             tenu = false, coup = false;
        int caisses = 0;  // snare strokes over the last two beats: a roll strikes nearly every row
        for (int l = coupe - 2 * kLignesParTemps; l < coupe; ++l) {
            const bool dernierTemps = l >= coupe - kLignesParTemps;
            for (int c = kCanalGrosseCaisse; c <= kCanalCymbale; ++c) {
                const CaseXM x = cell(l, c);
                batterie = batterie || (dernierTemps && frappe(x));
                coup = coup || (l == coupe - 2 * kLignesParTemps && frappe(x));
                fla = fla || (x.effet == kEffetEtendu && (x.parametre & 0xF0) == kEtenduRetard);
                montee = montee || (x.effet == kEffetGlisseVolume && x.parametre >= 0x10);
            }
            caisses += frappe(cell(l, kCanalCaisseClaire));
            toms = toms || (frappe(cell(l, kCanalGrosseCaisse)) &&
                            cell(l, kCanalGrosseCaisse).note > kNoteDo4);
            ouvert = ouvert || (dernierTemps && frappe(cell(l, kCanalOuvert)));
        }
        // A stop: the drums silent over the last beat while the pad still
        // holds its chord (nothing lets it go), and everything comes in on the cut.
        if (!batterie) {
            tenu = true;
            for (int l = coupe - kLignesParTemps; l < coupe; ++l)
                tenu = tenu && cell(l, kCanalNappe1).note != kNoteRelache;
            EXPECT_TRUE(tenu) << qui << ": a stop leaves the pad ringing";
            EXPECT_TRUE(frappe(cell(coupe, kCanalGrosseCaisse)) || frappe(cell(coupe, kCanalSolo)))
                << qui;
        }
        // A stop strikes its stab two beats before the cut; a held shorter
        // bar is silent over both (its fill landed on its downbeat), so the
        // shorter bar has no stroke to count its half beat by.
        const std::string genre = !batterie && coup ? "stop"
                                  : !batterie       ? "held chord"
                                  : toms            ? "toms"
                                  : caisses >= 6    ? "roll"
                                  : fla             ? "flams"
                                  : montee          ? "riser"
                                  : ouvert          ? "open hat"
                                                    : "plain";
        EXPECT_NE("plain", genre) << qui;
        ++genres[genre];
    }
    EXPECT_GE(genres.size(), 5u);
    // The logo's and the greetings' shorter bars are held, their fill in the bar before.
    EXPECT_EQ(2, genres["held chord"]);
    for (const auto& [genre, fois] : genres) EXPECT_LE(fois, 2) << genre;
    // A backbeat drives the logo (half time: the snare on the third beat)
    // and the title (on the second and the fourth) in every bar before the
    // one that leads into the cut.
    for (const auto& [scene, temps] :
         std::vector<std::pair<std::string, std::vector<int>>>{{"logo", {2}}, {"title", {1, 3}}})
        for (const SectionPlacee& s : sections) {
            if (s.scene != scene) continue;
            int mesures = 0;
            for (int l = s.premiereLigne; l + 2 * kLignesParMesure <= s.premiereLigne + s.lignes;
                 l += kLignesParMesure, ++mesures)
                for (int t : temps)
                    EXPECT_TRUE(frappe(cell(l + t * kLignesParTemps, kCanalCaisseClaire)))
                        << scene << " row " << l << " beat " << t + 1;
            EXPECT_GE(mesures, 5) << scene;
        }
    // The drop into the bubbles comes after a stop, on the kick and a crash.
    size_t bulles = 0;
    while (sections[bulles].scene != "bubbles") ++bulles;
    const int chute = sections[bulles].premiereLigne;
    for (int c = kCanalGrosseCaisse; c <= kCanalCymbale; ++c)
        EXPECT_FALSE(frappe(cell(chute - 1, c))) << "channel " << c;
    EXPECT_TRUE(frappe(cell(chute, kCanalGrosseCaisse)) && frappe(cell(chute, kCanalCymbale)));
    // The countdown's numbers 5 to 1, one a second from its scene, each
    // marked by a blip within a tick of its time (a note delay in its row).
    const std::vector<double> instants = InstantsDesLignes(m);
    std::vector<double> bips;
    for (size_t l = 0; l + 1 < instants.size(); ++l) {
        const CaseXM x = cell(int(l), kCanalEffets);
        if (x.instrument != kBip) continue;
        const int retard = x.effet == kEffetEtendu ? x.parametre - kEtenduRetard : 0;
        bips.push_back(instants[l] + retard * (instants[l + 1] - instants[l]) / kTicksParLigne);
    }
    ASSERT_EQ(5u, bips.size());
    for (size_t k = 0; k < bips.size(); ++k)
        EXPECT_NEAR(ReperesProduction()[1].debut + double(k), bips[k], 0.012) << "number " << 5 - k;
    // The lead holds the leading tone G#5 into the switch-off, where A5 sounds.
    const int finale = sections[sections.size() - 2].premiereLigne;
    int avant = 0;
    for (int l = 0; l < finale; ++l)
        if (cell(l, kCanalSolo).note) avant = cell(l, kCanalSolo).note;
    EXPECT_EQ(1 + 12 * 5 + 8, avant);
    EXPECT_EQ(1 + 12 * 5 + 9, cell(finale, kCanalSolo).note);
}

TEST(MusiquePartition, TheHookComesEarlyAndTheLeadSlidesAndSings) {
    const ModuleXM m = Compose(ReperesProduction());
    const std::vector<CaseXM> cases = Deroule(m);
    const int lignes = int(cases.size() / m.canaux);
    auto cell = [&](int ligne, int canal) { return cases[size_t(ligne) * m.canaux + canal]; };
    std::string erreur;
    const std::vector<SectionPlacee> sections = PlaceSections(ReperesProduction(), &erreur);
    auto debut = [&](const std::string& scene) {
        for (const SectionPlacee& s : sections)
            if (s.scene == scene) return s.premiereLigne;
        return -1;
    };
    // The theme's head (A C E D C) is first heard during the title, before the lead enters.
    const int tete[] = {9, 0, 4, 2, 0};
    int premiere = lignes;
    for (int c = kCanalSolo; c < m.canaux; ++c) {
        std::vector<std::pair<int, int>> notes;
        for (int l = 0; l < lignes; ++l)
            if (cell(l, c).note && cell(l, c).note != kNoteRelache)
                notes.push_back({l, (cell(l, c).note - 1) % 12});
        for (size_t i = 0; i + 5 <= notes.size(); ++i)
            if (std::equal(tete, tete + 5, notes.begin() + i,
                           [](int a, const std::pair<int, int>& b) { return a == b.second; }))
                premiere = std::min(premiere, notes[i].first);
    }
    EXPECT_GE(premiere, debut("title"));
    EXPECT_LT(premiere, debut("bubbles"));
    // A riff people hum: a bar of the tune (the lead, or the hook where the
    // lead rests), the same notes at the same steps, heard at least four
    // times, and a two-bar figure heard as often.
    std::map<std::vector<std::pair<int, int>>, int> figures, paires;
    std::vector<std::pair<int, int>> avant;
    int ligne = 0, plus = 0, plusPaire = 0;
    for (uint8_t o : m.ordre) {
        std::vector<std::pair<int, int>> figure;
        for (int canal : {kCanalSolo, kCanalDoublure}) {
            for (int l = 0; l < m.motifs[o].lignes; ++l) {
                const CaseXM& c = cell(ligne + l, canal);
                if (c.note && c.note != kNoteRelache) figure.push_back({l, c.note});
            }
            if (!figure.empty()) break;
        }
        if (figure.size() >= 4) plus = std::max(plus, ++figures[figure]);
        if (figure.size() >= 2 && avant.size() >= 4) {
            std::vector<std::pair<int, int>> paire = avant;
            for (const auto& [l, note] : figure) paire.push_back({l + kLignesParMesure, note});
            plusPaire = std::max(plusPaire, ++paires[paire]);
        }
        avant = figure;
        ligne += m.motifs[o].lignes;
    }
    EXPECT_GE(plus, 4);
    EXPECT_GE(plusPaire, 4);

    // The lead's instrument has its own vibrato.
    EXPECT_GT(m.instruments[kSolo - 1].vibratoProfondeur, 0);
    EXPECT_GT(m.instruments[kSolo - 1].vibratoVitesse, 0);
    // On the lead: slides only into leaps of a major third or more from a
    // held note, each going on over the next row; vibrato on every note held
    // two beats (but the last, which the switch-off bends down), never on a
    // note shorter than a dotted quarter, not the same everywhere; fades on
    // the long notes.
    const int finale = debut("finale");
    int glisses = 0, longues = 0, fondus = 0;
    int precedente = 0, debutNote = -1;
    std::set<int> vibratos;
    for (int l = 0; l <= lignes; ++l) {
        const CaseXM c = l < lignes ? cell(l, kCanalSolo) : CaseXM{kNoteRelache};
        if (c.effet == kEffetVibrato) vibratos.insert(c.parametre);
        if (!c.note) continue;
        if (debutNote >= 0 && l - debutNote < 6) {
            for (int k = debutNote; k < l; ++k)
                EXPECT_NE(kEffetVibrato, cell(k, kCanalSolo).effet) << "short note at row " << k;
        }
        if (debutNote >= 0 && debutNote < finale && l - debutNote >= 2 * kLignesParTemps) {
            ++longues;
            bool vibrato = false;
            for (int k = debutNote + 1; k < l; ++k)
                vibrato = vibrato || cell(k, kCanalSolo).effet == kEffetVibrato;
            EXPECT_TRUE(vibrato) << "note held from row " << debutNote;
            for (int k = debutNote + 1; k < l; ++k)
                fondus += cell(k, kCanalSolo).volume >= kColonneGlisseBas &&
                          cell(k, kCanalSolo).volume < kColonneGlisseHaut;
        }
        if (c.effet == kEffetPortamentoNote) {
            ++glisses;
            EXPECT_NE(0, precedente) << "slide from nothing at row " << l;
            EXPECT_GE(std::abs(c.note - precedente), 4) << "row " << l;
            EXPECT_EQ(0, c.instrument) << "a slide does not strike again, row " << l;
            EXPECT_GT(c.parametre, 0) << "row " << l;
            EXPECT_EQ(kEffetPortamentoNote, cell(l + 1, kCanalSolo).effet) << "row " << l;
        }
        precedente = c.note == kNoteRelache ? 0 : c.note;
        debutNote = c.note == kNoteRelache ? -1 : l;
    }
    EXPECT_GT(glisses, 10);
    EXPECT_GE(vibratos.size(), 3u);
    EXPECT_GT(longues, 5);
    EXPECT_GE(fondus, longues);
    // The pad swells in the start-up pause: its volume slides up.
    int gonfle = 0;
    for (int l = 0; l < debut("countdown"); ++l)
        gonfle += cell(l, kCanalNappe1).volume >= kColonneGlisseHaut &&
                  cell(l, kCanalNappe1).volume < kColonneGlisseHaut + 0x10;
    EXPECT_GT(gonfle, 2);
    // The pad's three voices sit left, centre and right, each by its own
    // instrument, and no channel is sent the pan position it already has.
    std::vector<int> panoramiques;
    for (int c : {kCanalNappe1, kCanalNappe2, kCanalNappe3})
        for (int l = 0; l < lignes; ++l)
            if (cell(l, c).instrument) {
                panoramiques.push_back(m.instruments[cell(l, c).instrument - 1].panoramique);
                break;
            }
    ASSERT_EQ(3u, panoramiques.size());
    EXPECT_LT(panoramiques[0], 96);
    EXPECT_GT(panoramiques[2], 160);
    // The echo's struck notes go from one side to the other.
    int droite = 0, gauche = 0;
    for (int l = 0; l < lignes; ++l) {
        const int i = cell(l, kCanalEcho).instrument;
        if (!i) continue;
        droite += m.instruments[i - 1].panoramique > 160;
        gauche += m.instruments[i - 1].panoramique < 96;
    }
    EXPECT_GT(gauche, 50);
    EXPECT_NEAR(gauche, droite, (gauche + droite) / 5);
    for (int c = 0; c < m.canaux; ++c) {
        int place = -1;
        for (int l = 0; l < lignes; ++l) {
            if (cell(l, c).effet != kEffetPanoramique) continue;
            EXPECT_NE(place, cell(l, c).parametre) << "row " << l << " channel " << c;
            place = cell(l, c).parametre;
        }
    }
}

TEST(MusiquePartition, TheModuleIsTheSameBytesEveryTime) {
    std::string erreur;
    std::vector<uint8_t> a, b;
    ModuleXM m1 = Compose(ReperesProduction()), m2 = Compose(ReperesProduction());
    ASSERT_TRUE(EcritModuleXM(&m1, &a, &erreur)) << erreur;
    ASSERT_TRUE(EcritModuleXM(&m2, &b, &erreur)) << erreur;
    EXPECT_EQ(a, b);
}

TEST(MusiquePartition, EveryPitchedNoteIsInItsKey) {
    // A natural minor with the raised seventh of its dominant chord (G# in A
    // minor): A minor everywhere but in the crawl's second half, a tone up in
    // B minor, from its eighth bar to the one before its last; its flat
    // second (B flat) only where the pad holds that chord.
    const bool dansLaTonalite[12] = {true,  false, true, false, true,  true,
                                     false, true,  true, true,  false, true};
    const ModuleXM m = Compose(ReperesProduction());
    const std::vector<CaseXM> cases = Deroule(m);
    std::string erreur;
    int montee = 0, fin = 0;
    for (const SectionPlacee& s : PlaceSections(ReperesProduction(), &erreur))
        if (s.scene == "crawl")
            montee = s.premiereLigne + 7 * kLignesParMesure,
            fin = s.premiereLigne + s.lignes - kLignesParMesure;
    ASSERT_GT(fin, montee);
    int notes = 0, horsDeLa = 0, napolitaines = 0;
    auto sousLaNappe = [&](int l) {
        std::set<int> c;
        for (int canal : {kCanalNappe1, kCanalNappe2, kCanalNappe3}) {
            int n = 0;
            for (int k = l; k >= 0 && !n; --k) n = cases[size_t(k) * m.canaux + canal].note;
            if (n && n != kNoteRelache) c.insert((n - 1) % 12);
        }
        return c;
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const int canal = int(i % m.canaux), ligne = int(i / m.canaux);
        const CaseXM& c = cases[i];
        if (canal <= kCanalCymbale || canal == kCanalOuvert || canal == kCanalClap || c.note == 0 ||
            c.note == kNoteRelache)
            continue;
        ++notes;
        // The echo plays the lead three rows late.
        const int source = canal == kCanalEcho ? ligne - 3 : ligne;
        const int ton = source >= montee && source < fin ? 2 : 0;
        if (!ton && (c.note - 1) % 12 == 10 && sousLaNappe(ligne) == std::set<int>{10, 2, 5}) {
            ++napolitaines;
            continue;
        }
        EXPECT_TRUE(dansLaTonalite[(c.note - 1 - ton + 12) % 12])
            << "row " << ligne << " channel " << canal << " note " << int(c.note);
        horsDeLa += ton && !dansLaTonalite[(c.note - 1) % 12];
    }
    EXPECT_GT(notes, 1000);
    // The raised half really leaves A minor (F#, C#); the television's
    // middle eight turns through B flat.
    EXPECT_GT(horsDeLa, 20);
    EXPECT_GE(napolitaines, 3);

    // The harmony each bar's parts follow, read from the pad's three voices
    // where they sound; the echo never starts a note over a chord it is
    // foreign to after the lead played it over another; the pad goes from
    // chord to chord without striking again (a slide, no instrument), so no
    // chord cuts the one before.
    std::vector<int> debuts;
    int ligne = 0;
    for (uint8_t o : m.ordre) debuts.push_back(ligne), ligne += m.motifs[o].lignes;
    auto note = [&](int l, int canal) { return cases[size_t(l) * m.canaux + canal].note; };
    auto classes = [&](int l) {
        std::set<int> c;
        for (int canal : {kCanalNappe1, kCanalNappe2, kCanalNappe3}) {
            int n = 0;
            for (int k = l; k >= 0 && !n; --k) n = note(k, canal);
            if (n && n != kNoteRelache) c.insert((n - 1) % 12);
        }
        return c;
    };
    int echos = 0, enchaines = 0;
    for (size_t b = 1; b < debuts.size(); ++b) {
        const int d = debuts[b];
        for (int l = d; l < d + 3 && l < ligne; ++l) {
            const int n = note(l, kCanalEcho);
            if (!n || n == kNoteRelache || classes(d) == classes(d - 1)) continue;
            ++echos;
            EXPECT_EQ(1u, classes(d).count((n - 1) % 12)) << "echo at row " << l;
        }
        for (int canal : {kCanalNappe1, kCanalNappe2, kCanalNappe3}) {
            const CaseXM& c = cases[size_t(d) * m.canaux + canal];
            int avant = 0;
            for (int k = d - 1; k >= 0 && !avant; --k) avant = note(k, canal);
            if (!c.note || c.note == kNoteRelache || !avant || avant == kNoteRelache) continue;
            ++enchaines;
            EXPECT_EQ(0, c.instrument) << "pad struck again at row " << d;
            EXPECT_EQ(kEffetPortamentoNote, c.effet) << "row " << d;
        }
    }
    EXPECT_GT(echos, 5);
    EXPECT_GT(enchaines, 60);
    // The key's stock loops (Am-F-C-G, Am-F-Dm-E, or a turn of either) held
    // by the pad in plain triads four bars running cover under a quarter of
    // the bars: the pad colours them (sevenths, ninths) or the harmony moves on.
    const std::vector<std::set<int>> triades = {{9, 0, 4},  {5, 9, 0}, {0, 4, 7},
                                                {7, 11, 2}, {2, 5, 9}, {4, 8, 11}};
    const int boucles[2][4] = {{0, 1, 2, 3}, {0, 1, 4, 5}};
    std::vector<bool> rebattues(debuts.size(), false);
    for (size_t b = 0; b + 4 <= debuts.size(); ++b)
        for (const auto& boucle : boucles)
            for (int tour = 0; tour < 4; ++tour) {
                bool pareil = true;
                for (int k = 0; k < 4; ++k)
                    pareil = pareil && classes(debuts[b + k]) == triades[boucle[(tour + k) % 4]];
                for (int k = 0; k < 4 && pareil; ++k) rebattues[b + k] = true;
            }
    EXPECT_LE(std::count(rebattues.begin(), rebattues.end(), true) * 4, long(debuts.size()));
}

#ifdef KAZZMOT_MODULE_ECRIT
TEST(MusiquePartition, TheBuildWroteTheModuleOfTheScore) {
    std::ifstream f(KAZZMOT_MODULE_ECRIT, std::ios::binary);
    ASSERT_TRUE(f.good()) << KAZZMOT_MODULE_ECRIT << " is missing";
    const std::vector<uint8_t> ecrit((std::istreambuf_iterator<char>(f)), {});
    ModuleXM m = Compose(ReperesProduction());
    std::vector<uint8_t> compose;
    std::string erreur;
    ASSERT_TRUE(EcritModuleXM(&m, &compose, &erreur)) << erreur;
    EXPECT_TRUE(ecrit == compose) << KAZZMOT_MODULE_ECRIT << " differs from the score";
}
#endif

#ifdef KAZZMOT_FORGE_MUSIQUE
TEST(MusiquePartition, TheForgeProgramReportsWhatItCannotDo) {
    auto lance = [](const std::string& arguments, std::string* sortie) {
        const std::string commande =
            std::string("'") + KAZZMOT_FORGE_MUSIQUE + "' " + arguments + " 2>&1";
        FILE* p = popen(commande.c_str(), "r");
        char tampon[512];
        while (p && fgets(tampon, sizeof tampon, p)) *sortie += tampon;
        const int statut = p ? pclose(p) : -1;
        return WIFEXITED(statut) ? WEXITSTATUS(statut) : -1;
    };
    std::string sortie;
    EXPECT_EQ(1, lance("", &sortie));
    EXPECT_NE(std::string::npos, sortie.find("usage")) << sortie;
    // A folder inside a regular file can be neither created nor written.
    sortie.clear();
    EXPECT_EQ(1, lance("/dev/null/Datas", &sortie));
    EXPECT_NE(std::string::npos, sortie.find("/dev/null/Datas/Sons")) << sortie;
}
#endif
