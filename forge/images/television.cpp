// Placeholder drawing of the family; replaced by the finished art.
#include "forge_images.h"

namespace forge {

void DessineTelevision(Recueil* recueil) {
    Carte(recueil, "TV", Rvb(60, 50, 110));
    Carte(recueil, "Coper1", Rvb(60, 50, 110));
    Carte(recueil, "Coper2", Rvb(60, 50, 110));
    Carte(recueil, "Coper3", Rvb(60, 50, 110));
    Carte(recueil, "Coper4", Rvb(60, 50, 110));
    Carte(recueil, "ScrollText", Rvb(60, 50, 110));
    Carte(recueil, "DiableTV", Rvb(60, 50, 110));
    Carte(recueil, "Tableau1", Rvb(60, 50, 110));
    Carte(recueil, "Tableau2", Rvb(60, 50, 110));
    Carte(recueil, "Fin", Rvb(60, 50, 110));
}

}  // namespace forge
