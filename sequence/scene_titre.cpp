#include "scenes.h"

// Drawn in a later step of the timeline.
void SceneTitre(Ecran* /*ecran*/, const Catalogue* /*catalogue*/) {}
