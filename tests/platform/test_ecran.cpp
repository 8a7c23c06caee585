// The screen: what the command line chooses, the flags SDL is asked for and
// the surface it gives, the library settings left to the user, and a fatal
// message of any length.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "outils_tests.h"

namespace {

using testing::ExitedWithCode;
using testing::HasSubstr;

TEST(Ecran, CommandLineChoosesTheWindowTheHelpOrNamesTheUnknownWord) {
    struct Cas {
        std::vector<const char*> mots;
        bool fenetre, aide;
        const char* erreur;  // a piece of the message, or "" for none
    };
    const Cas cas[] = {
        {{}, false, false, ""},
        {{"--window"}, true, false, ""},
        {{"-w"}, true, false, ""},
        {{"--help"}, false, true, ""},
        {{"-h", "--window"}, true, true, ""},
        {{"--window", "--fullscreen"}, true, false, "'--fullscreen'"},
        {{"window"}, false, false, "'window'"},
        {{"--window=1"}, false, false, "'--window=1'"},
    };
    for (const Cas& c : cas) {
        std::vector<const char*> argv = {"kazzmot"};
        argv.insert(argv.end(), c.mots.begin(), c.mots.end());
        const OptionsLigne o = LitOptions(static_cast<int>(argv.size()), argv.data());
        const std::string vu = argv.size() > 1 ? argv[1] : "(none)";
        if (*c.erreur) {
            EXPECT_THAT(o.erreur, HasSubstr(c.erreur)) << vu;
            continue;
        }
        EXPECT_EQ(o.erreur, "") << vu;
        EXPECT_EQ(o.fenetre, c.fenetre) << vu;
        EXPECT_EQ(o.aide, c.aide) << vu;
    }
    EXPECT_THAT(TexteAide(), HasSubstr("--window"));
}

// Full screen is the default and asks for SDL_FULLSCREEN alone; the window
// the user asks for is resizable (the dummy driver does not say so on the
// surface), and SDL gives a 640 x 480 16-bit surface either way.
TEST(Ecran, FullScreenByDefaultAResizableWindowWhenChosen) {
    EXPECT_EQ(DrapeauxEcran(1), static_cast<Uint32>(SDL_FULLSCREEN));
    EXPECT_EQ(DrapeauxEcran(0), static_cast<Uint32>(SDL_HWSURFACE | SDL_DOUBLEBUF));
    EXPECT_EQ(DrapeauxEcran(2), static_cast<Uint32>(SDL_HWSURFACE | SDL_DOUBLEBUF));
    Ecran* ecran = OuvreEcranTest();
    EXPECT_TRUE(ecran->surface->flags & SDL_FULLSCREEN);
    FermeEcranTest(ecran);

    ChoisitFenetre(true);
    EXPECT_EQ(DrapeauxEcran(1), static_cast<Uint32>(SDL_HWSURFACE | SDL_DOUBLEBUF | SDL_RESIZABLE));
    ecran = OuvreEcranTest();
    ChoisitFenetre(false);
    EXPECT_FALSE(ecran->surface->flags & SDL_FULLSCREEN);
    EXPECT_EQ(ecran->surface->w, 640);
    EXPECT_EQ(ecran->surface->h, 480);
    EXPECT_EQ(ecran->surface->format->BitsPerPixel, 16);
    FermeEcranTest(ecran);
    EXPECT_EQ(DrapeauxEcran(1), static_cast<Uint32>(SDL_FULLSCREEN));
}

// Nearest-neighbour scaling unless the user chose otherwise.
TEST(Ecran, ScalingIsNearestUnlessTheUserSetIt) {
    unsetenv("SDL12COMPAT_SCALE_METHOD");
    setenv("SDL_RENDER_SCALE_QUALITY", "linear", 1);
    RegleAffichage();
    EXPECT_STREQ(std::getenv("SDL12COMPAT_SCALE_METHOD"), "nearest");
    EXPECT_STREQ(std::getenv("SDL_RENDER_SCALE_QUALITY"), "linear");
    unsetenv("SDL_RENDER_SCALE_QUALITY");
}

// A message longer than any fixed buffer (a long path) reaches the error
// stream whole, its end included.
TEST(Ecran, FatalMessageOfAnyLengthIsNotCut) {
    const std::string chemin = std::string(5000, 'x') + "/fin-du-chemin.png";
    EXPECT_EXIT(ArretFatal("Impossible de charger l'image %s: absente\n", chemin.c_str()),
                ExitedWithCode(1), HasSubstr(chemin + ": absente"));
}

}  // namespace
