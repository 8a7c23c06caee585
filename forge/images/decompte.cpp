// Placeholder drawing of the family; replaced by the finished art.
#include "forge_images.h"

namespace forge {

void DessineDecompte(Recueil* recueil) {
    Carte(recueil, "Cinema", Rvb(60, 50, 110));
    Carte(recueil, "Cercle", Rvb(60, 50, 110));
    Carte(recueil, "Decompte5", Rvb(60, 50, 110));
    Carte(recueil, "Decompte4", Rvb(60, 50, 110));
    Carte(recueil, "Decompte3", Rvb(60, 50, 110));
    Carte(recueil, "Decompte2", Rvb(60, 50, 110));
    Carte(recueil, "Decompte1", Rvb(60, 50, 110));
    Carte(recueil, "Decompte0", Rvb(60, 50, 110));
}

}  // namespace forge
