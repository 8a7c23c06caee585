#include "scenes.h"

// Drawn in a later step of the timeline.
void SceneTele(Ecran* /*ecran*/, const Catalogue* /*catalogue*/) {}
