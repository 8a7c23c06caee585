// The production's scene changes, in seconds from the moment the music starts
// (the two-second start-up pause comes first). This is the one table to update
// when a scene gets longer or shorter: every section of the score, and the
// module's length, follow it. The last entry is the end of the production; the
// ending of the music rings on for a couple of bars after it.
#include "partition.h"

const std::vector<RepereScene>& ReperesProduction() {
    static const std::vector<RepereScene> reperes = {
        {"pause", 0.0},          // start-up pause
        {"countdown", 2.000},    // film countdown
        {"logo", 8.083},         // group logo and caption
        {"title", 20.950},       // title letters
        {"bubbles", 49.650},     // underwater bubbles and swirl
        {"television", 74.650},  // four television sets
        {"credits", 120.233},    // credits
        {"greetings", 127.683},  // greetings
        {"crawl", 132.783},      // perspective text crawl
        {"finale", 163.783},     // television switch-off
        {"end", 164.666},        // end of the production
    };
    return reperes;
}
