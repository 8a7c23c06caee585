#include "fixtures_scenes.h"

#include <cstring>
#include <memory>

ProductionTest::ProductionTest(const ConfigMachine& config) : ecran(OuvreEcranTest(config)) {
    ChargeCatalogue(&catalogue);
}

ProductionTest::~ProductionTest() {
    LibereCatalogue(&catalogue);
    FermeEcranTest(ecran);
}

void ObserveNouvellesImages(ObservateurTrame nouvelle) {
    auto precedente = std::make_shared<std::vector<Uint16>>(ImageAffichee());
    ObserveTrames([precedente, nouvelle](std::uint64_t index, const Uint16* pixels, int w, int h) {
        const size_t n = static_cast<size_t>(w) * h;
        if (precedente->size() == n && std::memcmp(precedente->data(), pixels, n * 2) == 0) return;
        precedente->assign(pixels, pixels + n);
        nouvelle(index, pixels, w, h);
    });
}

void SceneTest::TearDown() {
    ObserveTrames(nullptr);
    if (!ecran_) return;
    // Latest first, so a slot replaced twice gets its loaded picture back.
    for (auto it = originaux_.rbegin(); it != originaux_.rend(); ++it) {
        catalogue_.images[static_cast<int>(it->first)] = it->second;
    }
    LibereCatalogue(&catalogue_);
    remplacants_.clear();
    FermeEcranTest(ecran_);
}

void SceneTest::Ouvre(const ConfigMachine& config) {
    ecran_ = OuvreEcranTest(config);
    ChargeCatalogue(&catalogue_);
}

StructImage_t* SceneTest::Remplace(Im slot, int w, int h, Uint16 couleur, int cle) {
    ImageTest image = CreeImageTest(w, h, couleur);
    if (cle >= 0) SDL_SetColorKey(image->surface, SDL_SRCCOLORKEY, static_cast<Uint32>(cle));
    originaux_.emplace_back(slot, catalogue_.images[static_cast<int>(slot)]);
    catalogue_.images[static_cast<int>(slot)] = image.get();
    remplacants_.push_back(std::move(image));
    return remplacants_.back().get();
}

void SceneTest::Enregistre() {
    ObserveNouvellesImages([this](std::uint64_t index, const Uint16* pixels, int w, int h) {
        images_.emplace_back(pixels, pixels + static_cast<size_t>(w) * h);
        ms_.push_back(index * 1000.0 / 60.0);
    });
}
