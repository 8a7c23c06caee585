#include "scenes.h"

// Drawn in a later step of the timeline.
void SceneCredits(Ecran* /*ecran*/, const Catalogue* /*catalogue*/) {}
