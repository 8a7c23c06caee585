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

    SceneDecompte(ecran, &catalogue);
    SceneLogo(ecran, &catalogue);
    SceneTitre(ecran, &catalogue);
    SceneBulles(ecran, &catalogue);
    SceneTele(ecran, &catalogue);
    SceneCredits(ecran, &catalogue);
    SceneGreetings(ecran, &catalogue);
    SceneGenerique(ecran, &catalogue);
    SceneFinale(ecran, &catalogue);

    // Shutdown: pictures, music, sound device, and the display last, since
    // releasing it shuts SDL down.
    LibereCatalogue(&catalogue);
    LibereMusique(musique);
    FermeAudio(audio);
    LibereEcran(ecran);
    std::free(audio);
    return 0;
}
