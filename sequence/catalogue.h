// The production's pictures and music: the 74 pictures in slot order with
// their colour keys, what the effects require of them, and their loading and
// release at start-up and shutdown.
#ifndef KAZZMOT_CATALOGUE_H
#define KAZZMOT_CATALOGUE_H

#include <array>

#include "plateforme.h"

// Slots, in loading order, named after the file stems.
enum class Im : int {
    Orbo,
    Presente,
    K,
    A,
    Z,
    M,
    O,
    T,
    Kazzmot,
    RampeTotal,
    RampeMasque,
    Support2,
    DisparitionTourbillon,
    Cinema,
    Cercle,
    Decompte5,
    Decompte4,
    Decompte3,
    Decompte2,
    Decompte1,
    Decompte0,
    Arc,
    Woman,
    Bulles,
    SpriteBullesGros,
    SpriteBullesMoyen,
    SpriteBullesPetit,
    Facade,
    TV,
    Fond,
    Coper1,
    Coper2,
    Coper3,
    Coper4,
    ScrollText,
    DiableTV,
    Tableau1,
    Tableau2,
    Fin,
    Code,
    Gfx,
    Zic,
    Kabo,
    Dolo,
    ImgDolo,
    ImgKabo,
    Molkar01,
    Molkar02,
    Molkar03,
    Molkar04,
    Molkar05,
    Molkar06,
    Molkar07,
    Molkar08,
    Molkar09,
    Molkar10,
    Molkar11,
    Molkar12,
    Molkar13,
    Molkar14,
    Molkar15,
    Molkar16,
    Molkar17,
    Molkar18,
    Molkar19,
    Molkar20,
    Molkar21,
    OldTV,
    Greets,
    Wozz,
    Slik,
    Brenn,
    GenSW,
    FondSW,
    Nombre
};
constexpr int kNombreImages = static_cast<int>(Im::Nombre);
static_assert(kNombreImages == 74, "the catalogue holds 74 pictures");

enum class Cle : int { Aucune, Noir, Blanc };

struct EntreeCatalogue {
    const char* fichier;
    Cle cle;
};

// The catalogue in slot order.
extern const std::array<EntreeCatalogue, kNombreImages> kCatalogue;

// What the code relies on in a picture. Zero means "no requirement".
struct Exigence {
    Im image;
    Uint16 largeur;           // exact width
    Uint16 hauteur;           // exact height
    Uint16 largeurMin;        // at least this wide
    Uint16 hauteurMin;        // at least this tall
    Uint16 hauteurMax;        // at most this tall
    bool largeurPaire;        // rows addressed as `width` 16-bit words need an even width
    Im auMoinsAussiLargeQue;  // at least as wide as that picture (Nombre: none)
};
extern const std::array<Exigence, kNombreImages> kExigences;

// The loaded pictures, indexed by slot.
struct Catalogue {
    std::array<StructImage_t*, kNombreImages> images{};
};

inline StructImage_t* Img(const Catalogue* catalogue, Im slot) {
    return catalogue->images[static_cast<size_t>(slot)];
}

// Loads the 74 pictures in slot order, checking each against its
// requirements; a missing, unreadable or unfit picture ends the program with
// a message naming the file.
void ChargeCatalogue(Catalogue* catalogue);
// Checks one loaded picture; ends the program when it breaks a requirement.
void VerifieImage(const Catalogue* catalogue, Im slot);
// Releases the 74 pictures in slot order, each once.
void LibereCatalogue(Catalogue* catalogue);

#endif
