// The instruments of the soundtrack, synthesised sample by sample at build time.
#pragma once

#include <string>
#include <vector>

#include "xm.h"

// Instrument numbers as the patterns name them (1-based).
enum NumeroInstrument {
    kGrosseCaisse = 1,  // kick drum
    kCaisseClaire,      // snare drum
    kCharleston,        // closed hi-hat
    kCymbale,           // crash cymbal
    kBasse,             // plucked bass
    kNappe,             // pad with a slow attack
    kSolo,              // lead voice
    kEcho,              // the lead's echo, quieter, on the other side
    kArpege,            // short plucked voice for arpeggios
    kCharlestonOuvert,  // open hi-hat
    kNappeGauche,       // the pad's left voice: its own phases, so left and right make a chorus
    kNappeDroite,       // the pad's right voice
    kTom,               // a tom, tuned to the fills' pitches
    kArpegeSourd,       // the arpeggio's pluck muffled
    kCloche,            // a struck bell over a soft held tone: the lead's second colour
    kEchoGauche,        // the echo on the left: the echo goes from side to side
    kClap,              // hand clap, layered on the snare
    kMontee,            // a noise riser: a band of noise rising and swelling over a bar
    kBip,               // the countdown's blip on each number
    kProjecteur,        // the projector's rattle, a loop of filtered noise
    kRide,              // ride cymbal, in sixteenths over the bars before a section change
    kNombreInstruments = kRide
};

// The module's title, as a tracker shows it: the production and its group.
constexpr char kTitreModule[] = "Kazzmot - Orbo 2001";

constexpr int kFrequenceRendu = 44100;  // frames per second of every sample
constexpr int kLignesMontee = 16;       // rows the riser lasts at the groove's tempo

// Every instrument of the soundtrack, in the order of NumeroInstrument, each
// tuned so that its notes play at their true pitch: the tonal voices are
// synthesised, the drums are recorded sounds read from the sound font.
// Returns false with the reason in *erreur when the font cannot be read.
bool SynthetiseInstruments(std::vector<InstrumentXM>* instruments, std::string* erreur);

// The pitch (Hz) of the tone recorded in an instrument's sample played at
// 44100 frames per second; drums are tuned as if their tone were middle C, so
// that C-4 plays them at their recorded rate.
double FrequenceEnregistree(NumeroInstrument numero);
