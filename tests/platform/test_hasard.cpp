// The reproduced rand() draws what the GNU C library's draws, for any seed,
// so the countdown and the drain place the same things in every build.
#include <gtest/gtest.h>

#include <cstdlib>

#include "hasard.h"

TEST(Hasard, DrawsTheCLibrarySequenceForEverySeed) {
    for (unsigned graine : {1u, 0u, 2u, 42u, 0x7FFFFFFFu, 0xDEADBEEFu}) {
        std::srand(graine);
        GraineHasard(graine);
        for (int i = 0; i < 5000; ++i) ASSERT_EQ(TirageHasard(), std::rand()) << graine << " " << i;
    }
    std::srand(1);  // the unseeded sequence, for the tests that follow
}
