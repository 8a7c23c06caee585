// Common main of the test programs: SDL's dummy video driver and no sound
// device unless the caller chose others, and death tests that re-execute the test program
// (SDL may run threads, so a plain fork is unsafe). Tests run in the build
// folder, where the forge writes Datas/.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    // No sound device by default: the production then runs silent, as in the
    // capture tool, and no test depends on a sound thread's timing. Tests of
    // the sound choose SDL's dummy or disk driver themselves.
    setenv("SDL_AUDIODRIVER", "kazzmot-tests-sans-son", 0);
    // The production reads Datas/ from the working directory: run from the
    // build folder, where the forge writes it, unless a test chose its own.
    struct stat st;
    if (stat("Datas", &st) != 0 && chdir(KAZZMOT_BINARY_DIR) != 0) return 2;
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
