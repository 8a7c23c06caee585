// Shared by the picture forge's tests: the collection forged once per program.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "forge_images.h"

namespace forge_test {

inline const forge::Recueil& Recueil() {
    static const forge::Recueil recueil = [] {
        forge::Recueil r;
        std::string erreur;
        if (!forge::ForgeTout(&r, &erreur)) ADD_FAILURE() << erreur;
        return r;
    }();
    return recueil;
}

// One picture, drawn by its own family only (each family forged once).
inline const forge::ImageForgee& Image(const char* nom) {
    static std::map<forge::Famille, forge::Recueil> familles;
    const forge::EntreeCatalogue* entree = forge::TrouveEntree(nom);
    const forge::ImageForgee* image = nullptr;
    if (entree) {
        auto it = familles.find(entree->famille);
        if (it == familles.end()) {
            it = familles.emplace(entree->famille, forge::Recueil()).first;
            forge::ForgeFamille(entree->famille, &it->second);
        }
        image = forge::TrouveImage(it->second, nom);
    }
    if (!image) {
        ADD_FAILURE() << nom << " was not forged";
        static const forge::ImageForgee vide;
        return vide;
    }
    return *image;
}

// The 8-bit RGB of a pixel.
struct Rvb8 {
    int r, g, b;
};
inline Rvb8 Pixel(const forge::ImageForgee& image, int x, int y) {
    const uint8_t* p = &image.rvb[(size_t(y) * image.largeur + x) * 3];
    return {p[0], p[1], p[2]};
}
inline bool EstNoir(Rvb8 p) {
    return p.r == 0 && p.g == 0 && p.b == 0;
}
inline bool EstBlanc(Rvb8 p) {
    return p.r == 255 && p.g == 255 && p.b == 255;
}

}  // namespace forge_test
