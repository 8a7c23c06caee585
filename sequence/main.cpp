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
#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main() {
#if defined(__GLIBC__)
    // Loading the pictures frees a decoded and a converted copy of each one:
    // keep those buffers in the heap for the next picture instead of handing
    // them back to the system and faulting fresh zeroed pages in every time.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_ARENA_MAX, 1);
#endif
    return LanceDemo();
}
#endif
