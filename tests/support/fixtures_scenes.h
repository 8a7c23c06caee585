// Fixtures of the scene tests: the production's screen with its catalogue
// loaded, slots of the catalogue replaced by plain pictures of known colours,
// and the new pictures a scene shows, recorded as they come.
#ifndef KAZZMOT_FIXTURES_SCENES_H
#define KAZZMOT_FIXTURES_SCENES_H

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "catalogue.h"
#include "outils_tests.h"

// The production's screen on a fresh virtual machine and the catalogue loaded
// from the build's data, for the lifetime of the object.
struct ProductionTest {
    Ecran* ecran;
    Catalogue catalogue;
    explicit ProductionTest(const ConfigMachine& config = ConfigMachine());
    ~ProductionTest();
    ProductionTest(const ProductionTest&) = delete;
    ProductionTest& operator=(const ProductionTest&) = delete;
    StructImage_t* operator[](Im slot) const { return Img(&catalogue, slot); }
};

// Calls `nouvelle` for every refresh whose picture differs from the one shown
// before it (the first compared with what the display shows now), until the
// frames are observed otherwise.
void ObserveNouvellesImages(ObservateurTrame nouvelle);

// A scene test opens the screen and the catalogue when it knows its machine
// (Ouvre), may put plain pictures in slots (Remplace: the loaded pictures go
// back before the catalogue is released), and keeps every new picture the
// scene shows with the time it appeared (Enregistre).
class SceneTest : public ::testing::Test {
  protected:
    void TearDown() override;
    void Ouvre(const ConfigMachine& config = ConfigMachine());
    // A plain w x h picture of `couleur` in a slot, keyed on `cle` when it is
    // not negative.
    StructImage_t* Remplace(Im slot, int w, int h, Uint16 couleur, int cle = -1);
    // From now until the frames are observed otherwise: each new picture into
    // images_, the time it appeared into ms_.
    void Enregistre();

    Ecran* ecran_ = nullptr;
    Catalogue catalogue_;
    std::vector<std::vector<Uint16>> images_;
    std::vector<double> ms_;

  private:
    std::vector<std::pair<Im, StructImage_t*>> originaux_;
    std::vector<ImageTest> remplacants_;
};

#endif
