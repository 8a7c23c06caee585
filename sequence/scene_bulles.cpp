#include "scenes.h"

// Drawn in a later step of the timeline.
void SceneBulles(Ecran* /*ecran*/, const Catalogue* /*catalogue*/) {}
