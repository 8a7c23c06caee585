// The production's generator draws what the GNU C library's rand() draws, for
// any seed, so the countdown and the drain place the same things in every
// build; and it keeps its own state, so draws made elsewhere in the process
// (the music player's, on the sound thread) never shift its sequence.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "hasard.h"

TEST(Hasard, DrawsTheCLibrarySequenceForEverySeedWhateverElseDraws) {
    for (unsigned graine : {1u, 0u, 2u, 42u, 0x7FFFFFFFu, 0xDEADBEEFu}) {
        std::srand(graine);
        std::vector<int> attendu(5000);
        for (int& v : attendu) v = std::rand();
        GraineHasard(graine);
        std::srand(graine);
        for (size_t i = 0; i < attendu.size(); ++i) {
            // A foreign draw from the C library between two of the production's.
            if (i % 3 == 0) static_cast<void>(std::rand());
            ASSERT_EQ(TirageHasard(), attendu[i]) << graine << " " << i;
        }
    }
    GraineHasard(1);  // the unseeded sequence, for the tests that follow
}
