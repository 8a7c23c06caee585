// The score's sections, scene by scene: their chords, their lead phrases and
// how drums, bass, pad and arpeggio play under them. Key: A minor.
#include "partition_interne.h"

namespace {

// Lead phrases, four bars each. Steps are sixteenth notes: a note name starts
// a note, "." holds it (over the bar line too), "-" releases it. The tune
// leans on the chords: suspensions held over the change and resolved (a D
// over F falling to C, an A over G falling to G, a C over G falling to B),
// neighbour and passing notes between the chord tones, notes pushed onto the
// second and fourth sixteenth. Every theme's call opens on the hook, A C E D
// C, turning on B back to C and falling to A, in a 2-1-3-2-2-1-3 rhythm.
const std::vector<std::string> kThemeA = {
    "a4 . c5 e5 . . d5 . c5 . b4 c5 . . a4 .",  // Am: the hook
    "d5 . . . c5 . . . . . a4 . c5 . . .",      // F: the sixth leans on the fifth
    "e5 . g5 e5 . . d5 . c5 . d5 e5 . . g5 .",  // C: up again
    "a5 . . . . . g5 . . . d5 . . . b4 .",      // G: the ninth falls to the root, a pickup
};
// The answer: the hook again, then the line turns the other way, stays on
// the tonic and closes on the dominant, a half close.
const std::vector<std::string> kThemeA2 = {
    "a4 . c5 e5 . . d5 . c5 . b4 c5 . . a4 .",  // Am: the hook
    "c5 . a4 c5 . . f5 . . . e5 . f5 . a5 .",   // F
    "g5 . . . . . e5 . . . c5 . d5 . e5 .",     // Am7: the tonic's seventh
    "c5 . . . . . b4 . . . . . . . . .",        // E7: the sixth falls to the fifth
};
// The drop's hook, the figure the whole piece comes back to: a beat of
// rest, a sixteenth's pickup that leaps the octave, a line falling on the
// off-beats, then the major seventh of F held and let go for a bar's rest.
const std::string kAccroche1 = "- . . a4 a5 . . . . g5 . e5 . . d5 .";  // Am
const std::string kAccroche2 = "e5 . . c5 . . . . . . - . . . . .";     // Fmaj7
// The drop's own phrase: the hook, then a run in eighths down to the dominant.
const std::vector<std::string> kThemeD = {
    kAccroche1, kAccroche2,
    "g4 . g5 . e5 . d5 . . . c5 d5 . e5 . .",  // C
    "d5 . . . . . . . . . . . b4 . . .",       // G
};
// The hook again when the claps come in, turning to the minor's second half.
const std::vector<std::string> kThemeDRetour = {
    kAccroche1, kAccroche2,
    "f5 . . e5 . . d5 . . a4 . . d5 . f5 .",  // Dm
    "g#5 . . . . . . e5 . . b4 . . - . .",    // E7
};
// The television's answer: the hook's rhythm a third lower, on C's fifth,
// in the relative major.
const std::vector<std::string> kReponseTele = {
    "- . . g4 g5 . . . . f5 . e5 . . d5 .",   // C
    "e5 . . c5 . . . . . . - . . . . .",      // Fmaj7
    "f5 . . a5 . . g5 . . f5 . e5 . . d5 .",  // Dm
    "d5 . . . . . b4 . . . . . - . . .",      // G
};
// Over the logo's zoom the bell foreshadows the theme: its first notes, A C
// then A C E, each time turning away before the hook is heard whole.
const std::vector<std::string> kMotifLogo = {
    "a4 . . . c5 . . . d5 . . . . . . .",  // Dm
    "b4 . . . . . . . g#4 . . . . . . .",  // E7
    "a4 . . . c5 . . . e5 . . . . . . .",  // Am
    "d5 . . . . . . . b4 . . . . . . .",   // G
};
// Under water the bubbles ping on the bell, high, where the drop's tune
// holds a note or rests (each ping let go before the next, so that it
// strikes rather than slides).
const std::vector<std::string> kBulles = {
    ". . . . . . . . e6 . . . . - a6 .",  // Am
    ". . . . . . . . . e6 . . . . . -",   // Fmaj7
    ". . . . . . . . g6 . . . . . - e6",  // C
    ". . . - b6 . . . - d6 . . . . . -",  // G
    ". . . . . . . . . . . . . . . .",    // F
    ". . . . . . . . . . . . . . . .",    // G
    ". . . . . . . . . . . . . . . .",    // Em
    ". . . . . . . . . . . . . . . .",    // Am
    ". . . . . . . . . . . . . . . .",    // Dm
    ". . . . . . . . . . . e6 . - a6 .",  // Am
    ". . . . . . . . . . . . . . . -",    // F
    ". . . . . . . . . . . . . . b6 .",   // E7
};
// The drop's answer: over F-G-Em-Am the line climbs by leaps through the
// chords to the high E, held, and turns down into the theme's second half.
const std::vector<std::string> kThemeMontee = {
    "c5 . . f5 . . a5 . . . . g5 . a5 . .",  // F
    "b5 . . . . . g5 . . d5 . . g5 . b5 .",  // G
    "c6 . . . b5 . . . g5 . . b5 . . d6 .",  // Em: the sixth leans on the fifth
    "e6 . . . . . . . . . . . d6 . c6 .",    // Am: the summit held
};
// The answer again in the television, varied: the hook, then the line an
// eighth late and higher, through the ninth, to a new close on C.
const std::vector<std::string> kThemeA2Varie = {
    kAccroche1, kAccroche2,
    "g5 . . d6 . . c6 . . . g5 . . e5 . .",  // Cadd9
    "d5 . . . . . b4 . . . . . c5 . . .",    // G: closing on C
};
// The bell's counter-line over it, in the gaps the lead leaves.
const std::vector<std::string> kClocheTele = {
    ". . . . . . . . . . . . . . . .",     // Am
    ". . . . . . . . . . . . a5 . c6 .",   // Fmaj7
    ". . . . . . . . . . . . e6 . d6 .",   // Cadd9
    "b5 . . . . . . . g5 . . . e5 . . .",  // G
};
const std::vector<std::string> kThemeB = {
    "f5 . . e5 . . d5 . . a4 . . d5 . f5 .",  // Dm
    "e5 . . . . . c5 . . a4 . . . . . .",     // Am
    "c5 . . d5 . . e5 . . f5 . . e5 . c5 .",  // F
    "g#5 . . . . . . e5 . . b4 . . - . .",    // E
};
// The reprise's climb, in the lead's middle register: the hook, then up to
// the fifth over the sixth and back down.
const std::vector<std::string> kThemeAReprise = {
    kAccroche1, kAccroche2,
    "g5 . . e5 . . c5 . . d5 . . e5 . g5 .",  // C
    "d5 . . . . . b4 . . g4 . . d5 . - .",    // G
};
// The reprise's last statement: the second half, its third bar climbing to
// a high note held over the bar line.
const std::vector<std::string> kThemeB2Fin = {
    "a5 . . f5 . . d5 . . f5 . . e5 . d5 .",  // Dm
    "c5 . . e5 . . a5 . . . . . g5 . e5 .",   // Am
    "f5 . . a5 . . c6 . . . . . . . . .",     // F: the high note held
    "e5 . . . . . . g#4 . . b4 . . d5 . .",   // E
};
// An answer to the second half, lower, in the television's last phrase.
const std::vector<std::string> kThemeB3 = {
    "d5 . . f5 . . a5 . . g5 . . f5 . e5 .",  // Dm
    "e5 . . . . . c5 . . e5 . . a5 . . .",    // Am
    "a5 . . g5 . . f5 . . c5 . . f5 . a5 .",  // F
    "g#5 . . . . . . e5 . . b4 . . - . .",    // E
};
// The television scene's middle eight, over a progression of its own.
const std::vector<std::string> kThemeC = {
    "e5 . . . . . g5 . . . . . c6 . . .",  // C
    "b5 . . . . . g5 . . . . . e5 . . .",  // C
    "a5 . . . . . f5 . . . . . c5 . . .",  // Fmaj7
    "e5 . . . . . . . . . . . - . . .",    // Fmaj7
};
// Its second half turns darker, through the flat second: Dm, Am, then B flat
// falling by a semitone onto the dominant.
const std::vector<std::string> kThemeC2 = {
    "d5 . . f5 . . a5 . . . . g5 . f5 e5 .",  // Dm
    "e5 . . . . . c5 . . e5 . . a5 . . .",    // Am
    "a#5 . . . . . f5 . . d5 . . . . f5 .",   // Bb: the flat second
    "e5 . . . . . d5 . . b4 . . g#4 . . .",   // E
};
// The hook laid bare in the television's breakdown, then on to the dominant.
const std::vector<std::string> kThemeANu = {
    kAccroche1, kAccroche2,
    "e5 . g5 e5 . . d5 . c5 . d5 e5 . . g5 .",  // C
    "a5 . . . . . g5 . . . d5 . . . b4 .",      // G
};
// Long notes pushed a sixteenth ahead of the next chord.
const std::vector<std::string> kPont = {
    "a4 . . . . . . . . . . c5 . . . b4",  // F
    ". . . . . . . . d5 . . . . . . g4",   // G
    ". . . . . . . . b4 . . . . . . e5",   // Em
    ". . . . . . . . . . . . - . . .",     // Am
};
// The title's hook ends on the subdominant and the dominant before the stop.
const std::vector<std::string> kFinTitre = {
    "d5 . . f5 . . a5 . . . . . g5 . f5 .",  // Dm
    "e5 . . . . . . . g#4 . . b4 . . . .",   // E
};
// The reprise's counter-melody, on the pad's voice: long notes between the pad
// and the lead, over the eight-bar round.
const std::vector<std::string> kContre = {
    "c5 . . . . . . . . . . . b4 . . .",   // Am
    "a4 . . . . . . . . . . . c5 . . .",   // F
    "g4 . . . . . . . . . . . e5 . . .",   // C
    "d5 . . . . . . . . . . . b4 . . .",   // G
    "f5 . . . . . . . . . . . d5 . . .",   // Dm
    "e5 . . . . . . . . . . . c5 . . .",   // Am
    "c5 . . . . . . . . . . . a4 . . .",   // F
    "b4 . . . . . . . . . . . g#4 . . .",  // E
};
// Under the hook's return a second voice sings with it, a third or a sixth
// below, on the pad's voice, then under the line that answers it.
const std::vector<std::string> kTierceAccroche = {
    "- . . c4 c5 . . . . e5 . c5 . . b4 .",  // Am
    "c5 . . a4 . . . . . . - . . . . .",     // Fmaj7
};
const std::vector<std::string> kTierceBulles = {
    kTierceAccroche[0],
    kTierceAccroche[1],
    "d5 . . c5 . . a4 . . f4 . . a4 . d5 .",  // Dm
    "e5 . . . . . . b4 . . g#4 . . - . .",    // E7
    "- . . . . . . . . . . . . . . .",        // the roll into the television
};
const std::vector<std::string> kTierceTele = {
    kTierceAccroche[0], kTierceAccroche[1],
    "e5 . . g5 . . e5 . . . d5 . . c5 . .",  // Cadd9
    "b4 . . . . . g4 . . . . . e4 . . .",    // G
};
// From the key change on the counter-melody moves more: it answers the
// hook in its rests and walks between the chord tones under the lead.
const std::vector<std::string> kContreSommet = {
    "e5 . . . . . . . c5 . . . b4 . a4 .",  // Am
    "a4 . . . . . c5 . . . e5 . . . f5 .",  // Fmaj7
    "c5 . . . . . g4 . . . . . a4 . b4 .",  // Cadd9
    "b4 . . . . . . . d5 . . . . . g4 .",   // G
    "a4 . . . . . f4 . . . a4 . . . d5 .",  // Dm
    "e4 . . . . . a4 . . . . . c5 . . .",   // Am
    "c5 . . . . . a4 . . . . . f4 . a4 .",  // F
    "g#4 . . . . . b4 . . . . . e5 . . .",  // E
};
// The television's middle eight gets a counter-line of its own, low under
// the lead, answering it on the off-beat of the third beat; it comes back
// over the section's last phrase.
const std::vector<std::string> kContreTele = {
    "e4 . . . . . . . . . g4 . . . . .",   // C
    "g4 . . . . . . . c5 . . . . . . .",   // C
    "a4 . . . . . . . . . c5 . . . . .",   // Fmaj7
    "c5 . . . . . . . e5 . . . . . . .",   // Fmaj7
    "f4 . . . . . . . . . a4 . . . . .",   // Dm
    "e4 . . . . . . . a4 . . . . . . .",   // Am
    "d5 . . . . . . . . . a#4 . . . . .",  // Bb
    "b4 . . . . . . . g#4 . . . . . . .",  // E
    "c5 . . . . . . . . . e5 . . . . .",   // Am
    "c5 . . . . . . . . . a4 . . . . .",   // F
    "e4 . . . . . . . . . g4 . . . . .",   // C
    "d5 . . . . . . . b4 . . . . . . .",   // G
    "a4 . . . . . . . . . f4 . . . . .",   // Dm
    "c5 . . . . . . . e5 . . . . . . .",   // Am
    "a4 . . . . . . . . . d5 . . . . .",   // Dm
    "f4 . . . . . . . a4 . . . . . . .",   // Dm
};
// Over the credits the bell recalls the hook softly in the lead's long
// notes: its pickup and leap on F, then on E.
const std::vector<std::string> kClocheGeneriques = {
    ". . . c5 c6 . . . . a5 . g5 . . . .",   // Fadd9
    ". . . . . . . . . . . . b5 . a5 .",     // Gadd9
    ". . . b4 b5 . . . . a5 . g5 . . e5 .",  // Em7
};
const std::vector<std::string> kRemontee = {
    "d5 . - f5 . - a5 . . . . . c6 . . .",   // Dm
    "g5 . - b5 . - d6 . . . . . b5 . d6 .",  // G
};

std::vector<std::string> Enchaine(std::initializer_list<const std::vector<std::string>*> phrases) {
    std::vector<std::string> mesures;
    for (const auto* p : phrases) mesures.insert(mesures.end(), p->begin(), p->end());
    return mesures;
}

}  // namespace

// Columns: scene; chords (one a bar, round and round); chord of the last full
// bar; chord of a shorter last bar; lead; lead of the last full bar; lead of
// a shorter last bar; drums; bass; arpeggio; pad level; lead doubled an
// octave lower; transition into the next scene; pad swells; hook;
// counter-melody; open hi-hats; level of the accompaniment; bar from which
// the section moves a tone up; free tempo; the bars' changes of layers; the
// lead's level.
const std::vector<Arrangement>& Arrangements() {
    using B = Batterie;
    using L = Ligne;
    using A = Arpege;
    using F = Fin;
    // clang-format off
    static const std::vector<Arrangement> arrangements = {
        // The start-up pause: the pad alone swells on the tonic.
        {"pause", {"Am"}, "", "", {}, "", "",
         B::kAucune, L::kAucune, A::kAucun, 44, false, F::kSuite, true, {}, {}, false, 100, -1, true, ""},
        // The film countdown: a ticking hi-hat and a held bass under the pad,
        // a crash riser into the logo.
        {"countdown", {"Am", "F"}, "E", "", {}, "", "",
         B::kTictac, L::kTenue, A::kAucun, 48, false, F::kMontee, false, {}, {}, false, 100, -1, true, ""},
        // The group logo: the build starts on i-VI-iv-V, in half time (the
        // kick on the first beat, the snare on the third), a slow arpeggio in
        // front, the bell's motif over the zoom, a tom fill over the last
        // full bar landing on a bar of two beats and a half held on the
        // dominant, the bell's pickup climbing to the hook over it.
        {"logo", {"Am", "Fmaj7", "Dm", "E7"}, "G", "E", {}, "", "",
         B::kMontee, L::kTenue, A::kLent, 48, false, F::kToms, false, {2, kMotifLogo}, {}, false, 84, -1, false, "",
         64, "e4 . g#4 . b4 . d5 . c5 b4 . . . . . .", 64, true},
        // The title: the backbeat comes in, the bass gets moving, the
        // arpeggio runs under the hook, muffled, then opens in the second
        // half; the theme with its riff from the first bar; the drums thicken
        // and a crash swells over the last bars, a roll, then the band stops
        // for the drop.
        {"title", {"Am", "F", "C", "G", "Am", "Fmaj7", "Am7", "E7", "F", "G", "Em", "Am", "Dm"}, "E7", "",
         {}, "", "",
         B::kMarche, L::kSyncopee, A::kMontant, 40, false, F::kArret, false,
         {0, Enchaine({&kThemeA, &kThemeA2, &kPont, &kFinTitre})}, {}, false, 68, -1, false, "ssssssss"},
        // The bubbles: the drop, full band and crash, the drop's own phrase,
        // its climbing answer and the theme's second half, claps on the
        // backbeat from the third phrase; the open hi-hats and the fuller pad
        // are kept for the reprise.
        {"bubbles", {"Am", "Fmaj7", "C", "G", "F", "G", "Em", "Am", "Am", "Fmaj7", "Dm", "E7"}, "F", "",
         Enchaine({&kThemeD, &kThemeMontee, &kThemeDRetour}), "a4 . c5 e5 . . d5 . c5 . . . . . . .", "",
         B::kPleine, L::kCroches, A::kOndulant, 50, false, F::kRoulement, false, {0, kBulles},
         {8, kTierceBulles}, false, 134, -1, false, "", 64, "", 32},
        // The television sets: the theme's second half first (the drop has
        // just played its hook), then the hook and its variations, the arpeggio
        // muffled under the second phrase, the middle eight on chords of its
        // own in half time then in full with a counter-line, two bars
        // stripped to the pad and the lead, a bar where the band builds up
        // again, the theme with an answer and the counter-line over the whole
        // band, and a stop into the breakdown.
        {"television", {"C", "Fmaj7", "Dm", "G", "Am", "Fmaj7", "Cadd9", "G", "C", "C", "Fmaj7", "Fmaj7",
                        "Dm", "Am", "A#", "E", "Am", "Fmaj7", "C", "G", "Dm", "Am", "F", "E"}, "Dm", "",
         Enchaine({&kReponseTele, &kThemeA2Varie, &kThemeC, &kThemeC2, &kThemeANu, &kThemeB3}),
         "d5 . . . . . . a4 . . . . f4 . . .", "",
         B::kPleineDoubles, L::kCroches, A::kMontant, 34, false, F::kArret, false, {4, kClocheTele},
         {4, Enchaine({&kTierceTele, &kContreTele})}, false, 100, -1, false, "t...mmmmddddccccxxr.kkkk", 64,
         "", 34},
        // The credits: the breakdown, the drums out but for a ticking hat, a
        // soft bass holding each chord's root, the pad swells on
        // added ninths and a seventh under long lead notes, the bell recalling
        // the hook between them; flams over a bar of three beats and a half bring
        // the band back.
        {"credits", {"Fadd9", "Gadd9", "Em7", "Am"}, "", "Am", kPont, "", kPont[3],
         B::kTictac, L::kTenue, A::kLent, 32, false, F::kFla, true, {0, kClocheGeneriques}, {}, false, 66, -1, false, "",
         40, "", 28},
        // The greetings: everything climbs back, a snare roll over the last
        // full bar landing on a bar of two beats and a half held on the
        // dominant, the lead on the leading tone, the drums silent but for
        // the riser until the reprise.
        {"greetings", {"Dm", "G"}, "", "E", kRemontee, "", "g#5 . . . . . . . . . . . . . . .",
         B::kRoulement, L::kPulsee, A::kMontant, 46, false, F::kRoulement, false, {}, {}, false, 100, -1, false, ""},
        // The text crawl: the reprise and the peak of the piece, the lead
        // doubled an octave lower, the counter-melody throughout, claps, the
        // band growing to the key change, sixteenth hi-hats from the second
        // phrase, open hi-hats, a crash on every phrase, its second half a tone up
        // (from the new key's dominant), back home on the dominant, and a
        // fill down the toms with an open hi-hat into the switch-off.
        {"crawl", {"Am", "Fmaj7", "C", "G", "Dm", "Am", "F", "E7", "Am", "Fmaj7", "Cadd9", "G", "Dm", "Am", "F", "E"}, "E", "",
         Enchaine({&kThemeD, &kThemeB, &kThemeAReprise, &kThemeB2Fin}),
         "b5 . . . . . . . . . . . g#5 . . .", "",
         B::kApogee, L::kSyncopee, A::kOndulant, 58, true, F::kOuvert, false,
         {}, {0, Enchaine({&kContre, &kContreSommet})}, true, 130, 7, false, ""},
        // The television switch-off: the leading tone resolves, the tonic chord
        // is struck with a crash, the pad glides into it, then everything falls
        // in pitch and dies like a set powering down.
        {"finale", {"Am"}, "", "", {"a5 . . . . . . . . . . . . . . ."}, "", "",
         B::kFinale, L::kTenue, A::kCoda, 44, true, F::kSuite, false, {}, {}, false, 100, -1, true, ""},
        // After the end: every voice let go.
        {"coda", {"Am"}, "", "", {"- . . . . . . . . . . . . . . ."}, "", "",
         B::kCoda, L::kCoda, A::kAucun, 44, true, F::kSuite, false, {}, {}, false, 100, -1, true, ""},
    };
    // clang-format on
    return arrangements;
}
