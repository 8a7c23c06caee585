// The extended-module (XM) file as the forge builds it: records for the song,
// its patterns and its instruments, the writer that lays them out byte by byte
// in little-endian order, and a reader that walks a written file back and checks
// that every size adds up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Pattern note values: 1 is C-0, 49 is C-4, 96 is B-7; 97 releases the note.
constexpr uint8_t kNoteAucune = 0;
constexpr uint8_t kNoteRelache = 97;
constexpr uint8_t kNoteDo4 = 49;

// Volume column: 0x10 + v sets the channel volume to v (0..64); 0 leaves it.
constexpr uint8_t VolumeColonne(int v) {
    return static_cast<uint8_t>(0x10 + (v < 0 ? 0 : v > 64 ? 64 : v));
}

// One cell of a pattern: note, instrument (1-based, 0 none), volume column,
// effect and its parameter.
struct CaseXM {
    uint8_t note = 0;
    uint8_t instrument = 0;
    uint8_t volume = 0;
    uint8_t effet = 0;
    uint8_t parametre = 0;
};

inline bool operator==(const CaseXM& a, const CaseXM& b) {
    return a.note == b.note && a.instrument == b.instrument && a.volume == b.volume &&
           a.effet == b.effet && a.parametre == b.parametre;
}

// A pattern: `lignes` rows of `canaux` cells, row after row.
struct MotifXM {
    uint16_t lignes = 0;
    std::vector<CaseXM> cases;
};

struct PointEnveloppe {
    uint16_t tick = 0;    // position in ticks from the note's start
    uint16_t niveau = 0;  // 0..64
};

// An instrument with one 16-bit sample playing on every note.
struct InstrumentXM {
    std::string nom;
    std::vector<PointEnveloppe> enveloppe;  // volume envelope, at most 12 points, empty for none
    int pointTenu = -1;                     // envelope point held until release, -1 for none
    uint16_t fondu = 0;                     // fade-out after release, per tick out of 65536
    std::vector<int16_t> echantillon;       // signed 16-bit sample frames
    uint32_t boucleDebut = 0;               // forward loop, in frames; length 0 for no loop
    uint32_t boucleLongueur = 0;
    uint8_t volume = 64;        // default volume 0..64
    int8_t accordFin = 0;       // finetune in 1/128 semitone
    int8_t noteRelative = 0;    // semitones added to every note
    uint8_t panoramique = 128;  // 0 left .. 255 right
    // Automatic vibrato on every note: waveform (0 sine, 1 square, 2 and 3
    // ramps), ticks before it reaches full depth, depth (0..15) and speed
    // (0..63, added to a 256-step cycle every tick). Depth 0 turns it off.
    uint8_t vibratoForme = 0;
    uint8_t vibratoMontee = 0;
    uint8_t vibratoProfondeur = 0;
    uint8_t vibratoVitesse = 0;
};

// Effect commands of the effect column (FastTracker 2 numbering).
constexpr uint8_t kEffetPortamentoBas = 0x02;   // the pitch falls by the parameter every tick
constexpr uint8_t kEffetPortamentoNote = 0x03;  // slide to the cell's note, speed in the parameter
constexpr uint8_t kEffetVibrato = 0x04;         // speed in the high digit, depth in the low one
constexpr uint8_t kEffetPanoramique = 0x08;     // 0 left .. 255 right
constexpr uint8_t kEffetGlisseVolume =
    0x0A;                                // up by the high digit or down by the low one, per tick
constexpr uint8_t kEffetVitesse = 0x0F;  // ticks per row (1..31) or tempo (32..255)
constexpr uint8_t kEffetArpege =
    0x00;  // the note, + high digit, + low digit semitones, tick by tick
constexpr uint8_t kEffetEtendu = 0x0E;        // the high digit of the parameter picks the command:
constexpr uint8_t kEtenduCoupe = 0xC0;        // + ticks: the note is cut silent after them
constexpr uint8_t kEtenduRetard = 0xD0;       // + ticks: the note starts that late in its row
constexpr uint8_t kEtenduRedeclenche = 0x90;  // + ticks: the note strikes again every so many
// Volume column commands besides setting the volume.
constexpr uint8_t kColonneGlisseBas = 0x60;   // + speed: volume slide down every tick
constexpr uint8_t kColonneGlisseHaut = 0x70;  // + speed: volume slide up every tick
constexpr uint8_t kColonneBaisseFine = 0x80;  // + steps: the volume down once, first tick
constexpr uint8_t kColonneHausseFine = 0x90;  // + steps: the volume up once, first tick

// Says why a cell's effect or volume column holds a command the players do
// not share (an unassigned effect number, a speed of 0 that stops some
// players, a volume byte outside the defined ranges); true when it is sound.
bool CommandeValide(const CaseXM& c, std::string* pourquoi);

struct ModuleXM {
    std::string nom;
    uint16_t canaux = 0;
    uint16_t vitesse = 6;  // ticks per row
    uint16_t bpm = 125;    // a tick lasts 2.5 / bpm seconds
    std::vector<uint8_t> ordre;
    std::vector<MotifXM> motifs;
    std::vector<InstrumentXM> instruments;
};

// Lays the module out as an XM file (linear frequency table). Returns false and
// says why in *erreur when a field cannot be written (too many channels, rows,
// patterns, envelope points, an order naming a missing pattern...).
bool EcritModuleXM(const ModuleXM* module, std::vector<uint8_t>* fichier, std::string* erreur);

// What the reader found in a file.
struct ResumeXM {
    uint16_t canaux = 0, motifs = 0, instruments = 0, longueurOrdre = 0;
    uint16_t vitesse = 0, bpm = 0;
    std::vector<uint8_t> ordre;
    std::vector<uint16_t> lignes;                 // rows of each pattern
    std::vector<uint32_t> longueursEchantillons;  // bytes of sample data, every sample in turn
    uint32_t lignesJouees = 0;                    // rows over the whole order list
    uint32_t commandesJouees = 0;  // effect and volume-column commands over the order list
};

// Walks an XM file from its header to its last sample byte: every header size,
// every packed pattern (decoded cell by cell against its stated size) and every
// sample length must add up to exactly the file's length. Returns false with the
// reason in *erreur otherwise.
bool LitModuleXM(const uint8_t* octets, size_t taille, ResumeXM* resume, std::string* erreur);

// The relative note and finetune that make pattern note C-4 sound at 261.63 Hz
// for a sample whose tone, played at 44100 frames per second, is `frequence` Hz.
void AccordeInstrument(InstrumentXM* instrument, double frequence);
