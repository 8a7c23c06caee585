#include "scenes.h"

// Drawn in a later step of the timeline.
void SceneLogo(Ecran* /*ecran*/, const Catalogue* /*catalogue*/) {}
