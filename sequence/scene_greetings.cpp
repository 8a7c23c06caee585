#include "scenes.h"

// Drawn in a later step of the timeline.
void SceneGreetings(Ecran* /*ecran*/, const Catalogue* /*catalogue*/) {}
