// Placeholder drawing of the family; replaced by the finished art.
#include "forge_images.h"

namespace forge {

void DessineTitre(Recueil* recueil) {
    Carte(recueil, "K", Rvb(60, 50, 110));
    Carte(recueil, "A", Rvb(60, 50, 110));
    Carte(recueil, "Z", Rvb(60, 50, 110));
    Carte(recueil, "M", Rvb(60, 50, 110));
    Carte(recueil, "O", Rvb(60, 50, 110));
    Carte(recueil, "T", Rvb(60, 50, 110));
    Carte(recueil, "Kazzmot", Rvb(60, 50, 110));
    Carte(recueil, "RampeTotal", Rvb(60, 50, 110));
    Carte(recueil, "RampeMasque", Rvb(60, 50, 110));
    Carte(recueil, "Support2", Rvb(60, 50, 110));
}

}  // namespace forge
