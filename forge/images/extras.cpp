// Placeholder drawing of the family; replaced by the finished art.
#include "forge_images.h"

namespace forge {

void DessineExtras(Recueil* recueil) {
    Carte(recueil, "Arc", Rvb(60, 50, 110));
    Carte(recueil, "Woman", Rvb(60, 50, 110));
    Carte(recueil, "Facade", Rvb(60, 50, 110));
}

}  // namespace forge
