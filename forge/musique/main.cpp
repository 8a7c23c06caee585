// kazzmot-forge-musique DATAS: composes the soundtrack and writes it to
// DATAS/Sons/RADUDIZ1.XM, after reading the written bytes back to check them.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "partition.h"
#include "xm.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DATAS_FOLDER\n", argv[0]);
        return 1;
    }
    const std::filesystem::path dossier = std::filesystem::path(argv[1]) / "Sons";
    const std::filesystem::path chemin = dossier / "RADUDIZ1.XM";

    ModuleXM module;
    std::string erreur;
    if (!ComposeModule(ReperesProduction(), &module, &erreur)) {
        std::fprintf(stderr, "%s: the score cannot be composed: %s\n", chemin.c_str(),
                     erreur.c_str());
        return 1;
    }
    std::vector<uint8_t> octets;
    ResumeXM resume;
    if (!EcritModuleXM(&module, &octets, &erreur) ||
        !LitModuleXM(octets.data(), octets.size(), &resume, &erreur)) {
        std::fprintf(stderr, "%s: the module cannot be written: %s\n", chemin.c_str(),
                     erreur.c_str());
        return 1;
    }
    std::error_code ec;
    std::filesystem::create_directories(dossier, ec);
    if (ec) {
        std::fprintf(stderr, "%s: cannot create the folder: %s\n", dossier.c_str(),
                     ec.message().c_str());
        return 1;
    }
    std::ofstream sortie(chemin, std::ios::binary | std::ios::trunc);
    sortie.write(reinterpret_cast<const char*>(octets.data()),
                 static_cast<std::streamsize>(octets.size()));
    sortie.close();
    if (!sortie) {
        std::fprintf(stderr, "%s: cannot write the module\n", chemin.c_str());
        return 1;
    }
    std::string ignore;
    for (const SectionPlacee& s : PlaceSections(ReperesProduction(), &ignore))
        std::printf("  %-10s from %7.2f s, %3d rows\n", s.scene.c_str(), s.debut, s.lignes);
    std::printf("%s: %zu bytes, %zu patterns, %zu order entries, %.2f s\n", chemin.c_str(),
                octets.size(), module.motifs.size(), module.ordre.size(), DureeModule(module));
    return 0;
}
