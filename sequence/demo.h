// The production's driver: start-up, the nine scenes, shutdown.
#ifndef KAZZMOT_DEMO_H
#define KAZZMOT_DEMO_H

// Runs the whole production and returns the process's exit status (0).
int LanceDemo();

#endif
