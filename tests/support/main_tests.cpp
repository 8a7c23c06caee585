// Common main of the test programs: SDL's dummy video and audio drivers unless
// the caller chose others, and death tests that re-execute the test program
// (SDL may run threads, so a plain fork is unsafe). Tests run in the build
// folder, where the forge writes Datas/.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    // The production reads Datas/ from the working directory: run from the
    // build folder, where the forge writes it, unless a test chose its own.
    struct stat st;
    if (stat("Datas", &st) != 0 && chdir(KAZZMOT_BINARY_DIR) != 0) return 2;
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
