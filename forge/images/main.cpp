// kazzmot-forge-images: draws the production's 74 pictures into
// OUTDIR/Images/<name>.png, and optionally a contact sheet of them all.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "forge_images.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: kazzmot-forge-images [--planche SHEET.png] [--icones DIR] OUTDIR\n"
                 "  writes the 74 pictures of the production into OUTDIR/Images/\n"
                 "  and the application icon into DIR/hicolor/<n>x<n>/apps/\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string planche, icones, dossier;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--planche") == 0) {
            if (i + 1 >= argc) return Usage();
            planche = argv[++i];
        } else if (std::strcmp(argv[i], "--icones") == 0) {
            if (i + 1 >= argc) return Usage();
            icones = argv[++i];
        } else if (argv[i][0] == '-' || !dossier.empty()) {
            return Usage();
        } else {
            dossier = argv[i];
        }
    }
    if (dossier.empty()) return Usage();

    const auto debut = std::chrono::steady_clock::now();
    forge::Recueil recueil;
    std::string erreur;
    if (!forge::ForgeTout(&recueil, &erreur) || !forge::EcritRecueil(recueil, dossier, &erreur)) {
        std::fprintf(stderr, "kazzmot-forge-images: %s\n", erreur.c_str());
        return 1;
    }
    if (!planche.empty() && !forge::EcritPlanche(recueil, planche, &erreur)) {
        std::fprintf(stderr, "kazzmot-forge-images: %s\n", erreur.c_str());
        return 1;
    }
    if (!icones.empty() && !forge::EcritIcones(recueil, icones, &erreur)) {
        std::fprintf(stderr, "kazzmot-forge-images: %s\n", erreur.c_str());
        return 1;
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - debut).count();
    std::printf("kazzmot-forge-images: %d pictures written to %s/Images in %.0f ms\n",
                int(recueil.images.size()), dossier.c_str(), ms);
    return 0;
}
