// Helpers of the capture tests: a data folder made by the tests themselves
// (74 pictures that meet the catalogue's requirements and a small XM module
// whose sound is known), running kazzmot-capture as a child process, and
// reading what it wrote back.
#ifndef KAZZMOT_OUTILS_CAPTURE_H
#define KAZZMOT_OUTILS_CAPTURE_H

#include <SDL.h>
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

// The test module: speed 6 at 125 BPM (one row every 0.12 s), a square wave
// at full volume from row 0, silenced on row 8, and the song ends after row
// 15 (1.92 s).
std::vector<unsigned char> FaitModuleTest();
constexpr double kSecondesSonModuleTest = 0.96;
constexpr double kSecondesModuleTest = 1.92;

// A fresh folder under the build folder holding Datas/Images (the 74
// pictures) and Datas/Sons/RADUDIZ1.XM (the test module). Removed by the
// caller with RetireDossier.
std::string FaitDossierDonnees();
void RetireDossier(const std::string& dossier);

struct ResultatCapture {
    int statut = -1;
    std::string erreurs;  // what it wrote on the standard error stream
};

// Runs kazzmot-capture in `dossier` with these arguments and waits for it.
// `path` replaces PATH when not empty.
ResultatCapture LanceCapture(const std::string& dossier, const std::vector<std::string>& arguments,
                             const std::string& path = std::string());
// Starts it without waiting; its standard error goes to `journal`.
pid_t DemarreCapture(const std::string& dossier, const std::vector<std::string>& arguments,
                     const std::string& journal);
// Waits for a child; its exit status, or 128 + signal.
int AttendsCapture(pid_t pid);

std::vector<std::string> LitLignes(const std::string& chemin);
std::string LitTexte(const std::string& chemin);
int CompteFichiers(const std::string& dossier, const std::string& suffixe);

// ffprobe and ffmpeg on PATH.
bool OutilsFfmpeg();
// Frames of the first video stream, counted by decoding.
std::uint64_t ImagesVideo(const std::string& fichier);
// Stereo samples of the first audio stream, counted by decoding to raw PCM.
std::uint64_t EchantillonsAudio(const std::string& fichier);
// One ffprobe field of the first stream of a kind ("v" or "a").
std::string ChampFlux(const std::string& fichier, const std::string& flux,
                      const std::string& champ);
// The chapters' titles and start times in seconds, as ffprobe lists them.
std::vector<std::pair<std::string, double>> Chapitres(const std::string& fichier);
// Runs a command line in the shell; its standard output.
std::string Sortie(const std::string& commande);

// Stereo samples [debut, fin) of a WAV sample array whose pairs are all
// (almost) silent: no sample beyond `seuil` in absolute value.
bool Silencieux(const std::vector<Sint16>& son, size_t debut, size_t fin, int seuil = 0);
// The root mean square of stereo samples [debut, fin).
double Energie(const std::vector<Sint16>& son, size_t debut, size_t fin);

#endif
