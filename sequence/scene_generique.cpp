#include "scenes.h"

// Drawn in a later step of the timeline.
void SceneGenerique(Ecran* /*ecran*/, const Catalogue* /*catalogue*/) {}
