// Placeholder drawing of the family; replaced by the finished art.
#include "forge_images.h"

namespace forge {

void DessineGenerique(Recueil* recueil) {
    Carte(recueil, "Code", Rvb(60, 50, 110));
    Carte(recueil, "Gfx", Rvb(60, 50, 110));
    Carte(recueil, "Zic", Rvb(60, 50, 110));
    Carte(recueil, "Kabo", Rvb(60, 50, 110));
    Carte(recueil, "Dolo", Rvb(60, 50, 110));
    Carte(recueil, "ImgDolo", Rvb(60, 50, 110));
    Carte(recueil, "ImgKabo", Rvb(60, 50, 110));
    Carte(recueil, "Molkar01", Rvb(60, 50, 110));
    Carte(recueil, "Molkar02", Rvb(60, 50, 110));
    Carte(recueil, "Molkar03", Rvb(60, 50, 110));
    Carte(recueil, "Molkar04", Rvb(60, 50, 110));
    Carte(recueil, "Molkar05", Rvb(60, 50, 110));
    Carte(recueil, "Molkar06", Rvb(60, 50, 110));
    Carte(recueil, "Molkar07", Rvb(60, 50, 110));
    Carte(recueil, "Molkar08", Rvb(60, 50, 110));
    Carte(recueil, "Molkar09", Rvb(60, 50, 110));
    Carte(recueil, "Molkar10", Rvb(60, 50, 110));
    Carte(recueil, "Molkar11", Rvb(60, 50, 110));
    Carte(recueil, "Molkar12", Rvb(60, 50, 110));
    Carte(recueil, "Molkar13", Rvb(60, 50, 110));
    Carte(recueil, "Molkar14", Rvb(60, 50, 110));
    Carte(recueil, "Molkar15", Rvb(60, 50, 110));
    Carte(recueil, "Molkar16", Rvb(60, 50, 110));
    Carte(recueil, "Molkar17", Rvb(60, 50, 110));
    Carte(recueil, "Molkar18", Rvb(60, 50, 110));
    Carte(recueil, "Molkar19", Rvb(60, 50, 110));
    Carte(recueil, "Molkar20", Rvb(60, 50, 110));
    Carte(recueil, "Molkar21", Rvb(60, 50, 110));
}

}  // namespace forge
