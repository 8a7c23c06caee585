// Placeholder drawing of the family; replaced by the finished art.
#include "forge_images.h"

namespace forge {

void DessineDefilement(Recueil* recueil) {
    Carte(recueil, "GenSW", Rvb(60, 50, 110));
    Carte(recueil, "FondSW", Rvb(60, 50, 110));
}

}  // namespace forge
