// Entry point: a Windows GUI entry on Windows, main elsewhere; both run the
// same driver and take no arguments.
#include <cstdlib>

#include "demo.h"

#ifdef _WIN32
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return LanceDemo();
}
#else
int main() {
    // Tear-free presents where sdl12-compat can synchronise with the display,
    // unless the user chose otherwise.
    setenv("SDL12COMPAT_SYNC_TO_VBLANK", "1", 0);
    return LanceDemo();
}
#endif
