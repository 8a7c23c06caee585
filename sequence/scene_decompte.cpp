#include "scenes.h"

// Drawn in a later step of the timeline.
void SceneDecompte(Ecran* /*ecran*/, const Catalogue* /*catalogue*/) {}
