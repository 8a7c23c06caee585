// Placeholder drawing of the family; replaced by the finished art.
#include "forge_images.h"

namespace forge {

void DessineBulles(Recueil* recueil) {
    Carte(recueil, "Bulles", Rvb(60, 50, 110));
    Carte(recueil, "SpriteBullesGros", Rvb(60, 50, 110));
    Carte(recueil, "SpriteBullesMoyen", Rvb(60, 50, 110));
    Carte(recueil, "SpriteBullesPetit", Rvb(60, 50, 110));
    Carte(recueil, "DisparitionTourbillon", Rvb(60, 50, 110));
    Carte(recueil, "Fond", Rvb(60, 50, 110));
}

}  // namespace forge
