// Shared helpers of the test programs: a screen on the virtual machine,
// synthetic 16-bit pictures, and saving frames to look at.
#ifndef KAZZMOT_OUTILS_TESTS_H
#define KAZZMOT_OUTILS_TESTS_H

#include <memory>
#include <string>

#include "machine_virtuelle.h"
#include "plateforme.h"

// Restarts the virtual machine with `config` and opens the production's
// screen (640 x 480, 16 bits, full screen) on SDL's dummy driver.
Ecran* OuvreEcranTest(const ConfigMachine& config = ConfigMachine());
// Releases the screen and shuts SDL down.
void FermeEcranTest(Ecran* ecran);

// A 16-bit picture made in memory, in the same format ChargeImage gives
// (5-6-5, no key). Freed with its surface and record when it goes out of scope.
struct ImageLibre {
    void operator()(StructImage_t* image) const;
};
using ImageTest = std::unique_ptr<StructImage_t, ImageLibre>;
ImageTest CreeImageTest(int width, int height, Uint16 fill = 0);

// The pixel words of a picture or the screen, row after row (pitch = width × 2).
Uint16* Pixels(StructImage_t* image);
Uint16 Pixel(StructImage_t* image, int x, int y);
void FixePixel(StructImage_t* image, int x, int y, Uint16 colour);
void Remplit(StructImage_t* image, Uint16 colour);
// A picture where every pixel has a distinct value derived from its position.
void RemplitMotif(StructImage_t* image);

// Folder where tests save frames for a developer to look at: <build>/trames.
std::string DossierTrames();
// Saves the picture the virtual display shows as <build>/trames/<name>.png.
bool SauveTrameTest(const std::string& name);


// A private copy of the production's data in a temporary folder, made the
// working directory for the test's lifetime, so a test can remove, corrupt or
// replace files without touching the build's Datas.
class DonneesTemporaires {
  public:
    // With `copie` false the folder holds empty Datas/Images and Datas/Sons.
    explicit DonneesTemporaires(bool copie = true);
    ~DonneesTemporaires();
    DonneesTemporaires(const DonneesTemporaires&) = delete;
    DonneesTemporaires& operator=(const DonneesTemporaires&) = delete;
    // Path of a file in the copy, e.g. Chemin("Images/Cinema.png").
    std::string Chemin(const std::string& relative) const;
    void Ecrit(const std::string& relative, const std::string& contents) const;

  private:
    std::string dossier_;
    std::string ancien_;
};

#endif
