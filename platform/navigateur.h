// What the browser build's seam and sound share: the page drives both, and
// the sound is fed from the seam's yields so that it never runs dry while the
// production draws.
#ifndef KAZZMOT_NAVIGATEUR_H
#define KAZZMOT_NAVIGATEUR_H

// Whether the production runs on the virtual 60 Hz machine (the page's test
// mode): then there is no sound card and nothing is paced.
bool ModeVirtuel();
// Renders the music the page's sound queue lacks (nothing before the
// production starts its music or when there is no sound).
void AlimenteSon();

#endif
