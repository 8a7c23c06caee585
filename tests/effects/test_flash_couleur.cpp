// The colour flash on the virtual machine: how many cycles, how long each half
// waits, what the veiled frames look like, and the picture left at the end.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <string>
#include <vector>

#include "effets.h"
#include "outils_tests.h"

// The tests reach SDL's own SDL_CreateRGBSurface through this one, which can
// make the Nth creation from a given moment fail as a lack of memory would.
int g_creationQuiEchoue = 0;

extern "C" SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth,
                                             Uint32 rmask, Uint32 gmask, Uint32 bmask,
                                             Uint32 amask) {
    using Creation = SDL_Surface* (*)(Uint32, int, int, int, Uint32, Uint32, Uint32, Uint32);
    static const Creation sdl =
        reinterpret_cast<Creation>(dlsym(RTLD_NEXT, "SDL_CreateRGBSurface"));
    if (g_creationQuiEchoue > 0 && --g_creationQuiEchoue == 0) {
        SDL_SetError("Out of memory");
        return nullptr;
    }
    return sdl(flags, width, height, depth, rmask, gmask, bmask, amask);
}

namespace {

// Whether every pixel of `frame` is `orig` blended about half way towards the
// veil colour (5-6-5 channels, one step of rounding either way).
bool EstVoile(const Uint16* frame, const std::vector<Uint16>& orig, int r5, int g6, int b5) {
    auto proche = [](int v, int o, int c) {
        const int attendu = (o + c) / 2;
        return v >= attendu - 1 && v <= attendu + 1;
    };
    for (size_t i = 0; i < orig.size(); ++i) {
        const int f = frame[i], o = orig[i];
        if (!proche(f >> 11, o >> 11, r5) || !proche((f >> 5) & 63, (o >> 5) & 63, g6) ||
            !proche(f & 31, o & 31, b5)) {
            return false;
        }
    }
    return true;
}

// Records, for every refresh after the first present, whether the display shows
// the original picture ('P'), the veiled picture ('V') or anything else ('X'),
// collapsing repeated refreshes into one letter.
class Flash : public testing::Test {
  protected:
    void Ouvre(const ConfigMachine& config) {
        ecran_ = OuvreEcranTest(config);
        RemplitMotif(ecran_);
        const Uint16* p = Pixels(ecran_);
        original_.assign(p, p + 640 * 480);
    }
    void Observe(int r5, int g6, int b5) {
        // Refresh 0 shows the display as it was before the first present.
        ObserveTrames([this, r5, g6, b5](std::uint64_t index, const Uint16* pixels, int, int) {
            if (index == 0) return;
            char c = 'X';
            if (std::equal(original_.begin(), original_.end(), pixels)) {
                c = 'P';
            } else if (EstVoile(pixels, original_, r5, g6, b5)) {
                c = 'V';
            }
            if (sequence_.empty() || sequence_.back() != c) sequence_ += c;
        });
    }
    void TearDown() override {
        ObserveTrames(nullptr);
        if (ecran_) FermeEcranTest(ecran_);
    }
    bool EcranIntact() { return std::equal(original_.begin(), original_.end(), Pixels(ecran_)); }

    Ecran* ecran_ = nullptr;
    std::vector<Uint16> original_;
    std::string sequence_;
};

std::string Alterne(int cycles) {
    std::string s;
    for (int i = 0; i < cycles; ++i) s += "VP";
    return s;
}

ConfigMachine MachineMilliseconde() {
    // One refresh per millisecond: every present costs exactly 1 ms, so the
    // time left over is the time spent waiting.
    ConfigMachine config;
    config.frequenceNum = 1000;
    return config;
}

TEST_F(Flash, SixWhiteCyclesAlternateVeilAndPictureAndLeaveThePicture) {
    Ouvre(ConfigMachine());
    Observe(31, 63, 31);
    FlashCouleur(ecran_, 6, 100, 255, 255, 255);
    TermineMachine();
    EXPECT_EQ(NombrePresentations(), 13u);  // two per cycle and a last one
    EXPECT_EQ(sequence_, Alterne(6));
    EXPECT_TRUE(EcranIntact());
    SauveTrameTest("flash_fin");
}

TEST_F(Flash, VeilTakesItsColour) {
    Ouvre(ConfigMachine());
    Remplit(ecran_, 0);
    original_.assign(640 * 480, 0);
    Observe(31, 0, 0);
    FlashCouleur(ecran_, 1, 300, 255, 0, 0);
    TermineMachine();
    // Red over black: half red, no green, no blue.
    EXPECT_EQ(sequence_, "VP");
}

TEST_F(Flash, CountZeroRuns256Cycles) {
    Ouvre(ConfigMachine());
    Observe(31, 63, 31);
    FlashCouleur(ecran_, 0, 0, 255, 255, 255);
    TermineMachine();
    EXPECT_EQ(NombrePresentations(), 2u * 256 + 1);
    EXPECT_EQ(sequence_, Alterne(256));
    EXPECT_TRUE(EcranIntact());
}

TEST_F(Flash, EachHalfWaitsHalfThePeriodRoundedDown) {
    for (const Uint16 period : {101, 100, 300}) {
        Ouvre(MachineMilliseconde());
        const auto debut = TempsVirtuelMs();
        FlashCouleur(ecran_, 3, period, 255, 255, 255);
        const auto duree = TempsVirtuelMs() - debut;
        EXPECT_EQ(NombrePresentations(), 7u) << "period " << period;
        EXPECT_EQ(duree - NombrePresentations(), 6u * (period / 2)) << "period " << period;
        FermeEcranTest(ecran_);
        ecran_ = nullptr;
    }
}

TEST_F(Flash, PeriodZeroOrOneFlashesWithoutWaiting) {
    for (const Uint16 period : {0, 1}) {
        Ouvre(MachineMilliseconde());
        const auto scrutations = NombreScrutations();
        FlashCouleur(ecran_, 3, period, 255, 255, 255);
        EXPECT_EQ(NombrePresentations(), 7u) << "period " << period;
        // Only the check at the top of each cycle polls the keyboard.
        EXPECT_EQ(NombreScrutations() - scrutations, 3u) << "period " << period;
        FermeEcranTest(ecran_);
        ecran_ = nullptr;
    }
}

TEST_F(Flash, KeyBeforeTheFirstCycleEndsTheFlashAtOnce) {
    ConfigMachine config;
    config.evenements = {{0, ToucheEnfoncee()}};
    Ouvre(config);
    Observe(31, 63, 31);
    FlashCouleur(ecran_, 6, 100, 255, 255, 255);
    TermineMachine();
    EXPECT_EQ(NombrePresentations(), 1u);
    EXPECT_EQ(sequence_, "P");
}

TEST_F(Flash, KeyDuringAWaitShortensOnlyThatWait) {
    ConfigMachine config = MachineMilliseconde();
    config.evenements = {{20, ToucheEnfoncee()}};
    Ouvre(config);
    Observe(31, 63, 31);
    const auto debut = TempsVirtuelMs();
    FlashCouleur(ecran_, 6, 100, 255, 255, 255);
    TermineMachine();
    // The key is consumed by the first veil's wait; all six cycles still run.
    EXPECT_EQ(sequence_, Alterne(6));
    EXPECT_EQ(NombrePresentations(), 13u);
    EXPECT_LT(TempsVirtuelMs() - debut - 13, 12u * 50);
}

TEST_F(Flash, ScratchSurfacesThatCannotBeMadeAreReportedAndNothingIsDrawn) {
    // Both fail (a screen record of a depth no surface can have), or only the
    // first or only the second creation fails.
    struct Cas {
        const char* nom;
        Uint8 profondeur;
        int echec;  // which creation from now on fails; 0: none is made to
    };
    const Cas kCas[] = {
        {"both", 33, 0},
        {"the first", 16, 1},
        {"the second", 16, 2},
    };
    for (const Cas& c : kCas) {
        SCOPED_TRACE(c.nom);
        Ouvre(ConfigMachine());
        Ecran abime = *ecran_;
        abime.depth = c.profondeur;
        auto lance = [&] {
            g_creationQuiEchoue = c.echec;
            FlashCouleur(&abime, 6, 100, 255, 255, 255);
            std::exit(NombrePresentations() == 0 && EcranIntact() ? 0 : 4);
        };
        EXPECT_EXIT(lance(), testing::ExitedWithCode(0),
                    "Impossible de creer les surfaces du flash : ");
        FermeEcranTest(ecran_);
        ecran_ = nullptr;
    }
}

}  // namespace
