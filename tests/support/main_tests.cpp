// Common main of the test programs: SDL's dummy video and audio drivers unless
// the caller chose others, and death tests that re-execute the test program
// (SDL may run threads, so a plain fork is unsafe).
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
