#include "scenes.h"

// Drawn in a later step of the timeline.
void SceneFinale(Ecran* /*ecran*/, const Catalogue* /*catalogue*/) {}
