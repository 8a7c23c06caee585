// Placeholder drawing of the family; replaced by the finished art.
#include "forge_images.h"

namespace forge {

void DessineSalutations(Recueil* recueil) {
    Carte(recueil, "OldTV", Rvb(60, 50, 110));
    Carte(recueil, "Greets", Rvb(60, 50, 110));
    Carte(recueil, "Wozz", Rvb(60, 50, 110));
    Carte(recueil, "Slik", Rvb(60, 50, 110));
    Carte(recueil, "Brenn", Rvb(60, 50, 110));
}

}  // namespace forge
