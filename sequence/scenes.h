// The nine scenes of the timeline, in order. Each starts on the picture the
// one before left on the screen.
#ifndef KAZZMOT_SCENES_H
#define KAZZMOT_SCENES_H

#include "catalogue.h"

void SceneDecompte(Ecran* ecran, const Catalogue* catalogue);
void SceneLogo(Ecran* ecran, const Catalogue* catalogue);
void SceneTitre(Ecran* ecran, const Catalogue* catalogue);
void SceneBulles(Ecran* ecran, const Catalogue* catalogue);
void SceneTele(Ecran* ecran, const Catalogue* catalogue);
void SceneCredits(Ecran* ecran, const Catalogue* catalogue);
void SceneGreetings(Ecran* ecran, const Catalogue* catalogue);
void SceneGenerique(Ecran* ecran, const Catalogue* catalogue);
void SceneFinale(Ecran* ecran, const Catalogue* catalogue);

#endif
