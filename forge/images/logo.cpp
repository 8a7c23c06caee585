// Placeholder drawing of the family; replaced by the finished art.
#include "forge_images.h"

namespace forge {

void DessineLogo(Recueil* recueil) {
    Carte(recueil, "Orbo", Rvb(60, 50, 110));
    Carte(recueil, "Presente", Rvb(60, 50, 110));
}

}  // namespace forge
