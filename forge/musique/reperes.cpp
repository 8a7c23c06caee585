// The production's scene changes, in seconds from the moment the music starts
// (the two-second start-up pause comes first). This is the one table to update
// when a scene gets longer or shorter: every section of the score, and the
// module's length, follow it. The last entry is the end of the production; the
// ending of the music rings on for a couple of bars after it.
#include "partition.h"

const std::vector<RepereScene>& ReperesProduction() {
    static const std::vector<RepereScene> reperes = {
        {"pause", 0.0},        // start-up pause
        {"countdown", 2.0},    // film countdown
        {"logo", 8.0},         // group logo and caption
        {"title", 16.0},       // title letters
        {"bubbles", 26.0},     // underwater bubbles and swirl
        {"television", 46.0},  // four television sets
        {"credits", 91.0},     // credits
        {"greetings", 101.0},  // greetings
        {"crawl", 109.0},      // perspective text crawl
        {"finale", 139.0},     // television switch-off
        {"end", 141.0},        // end of the production
    };
    return reperes;
}
