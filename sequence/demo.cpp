#include "demo.h"

#include <cstdlib>

#include "catalogue.h"
#include "plateforme.h"
#include "scenes.h"

int LanceDemo() {
    // Start-up: sound first (its failure only silences the production), then
    // the display, the pictures, the music, and a pause before the first scene.
    StructAudio_t* audio = InitAudio();
    Ecran* ecran = InitEcran(640, 480, 16, 1);
    InitDemo();
    Catalogue catalogue;
    ChargeCatalogue(&catalogue);
    StructAudio_t* musique = ChargeMusique(audio, "RADUDIZ1.XM");
    JoueMusique(musique);
    Attente(2000);

    // The timeline. Each scene is announced to the platform's observer (tests
    // and the capture tool mark scene changes with it).
    using Scene = void (*)(Ecran*, const Catalogue*);
    static constexpr struct {
        const char* nom;
        Scene scene;
    } kTimeline[] = {
        {"SceneDecompte", SceneDecompte},   {"SceneLogo", SceneLogo},
        {"SceneTitre", SceneTitre},         {"SceneBulles", SceneBulles},
        {"SceneTele", SceneTele},           {"SceneCredits", SceneCredits},
        {"SceneGreetings", SceneGreetings}, {"SceneGenerique", SceneGenerique},
        {"SceneFinale", SceneFinale},
    };
    for (const auto& etape : kTimeline) {
        if (g_observeAppel) g_observeAppel(etape.nom);
        etape.scene(ecran, &catalogue);
    }

    // Shutdown: pictures, music, sound device, and the display last, since
    // releasing it shuts SDL down.
    LibereCatalogue(&catalogue);
    LibereMusique(musique);
    FermeAudio(audio);
    LibereEcran(ecran);
    std::free(audio);
    return 0;
}
