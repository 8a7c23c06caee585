#include "outils_tests.h"

#include <sys/stat.h>

#include <cstring>

Ecran* OuvreEcranTest(const ConfigMachine& config) {
    ReinitMachine(config);
    return InitEcran(640, 480, 16, 1);
}

void FermeEcranTest(Ecran* ecran) {
    LibereEcran(ecran);
}

void ImageLibre::operator()(StructImage_t* image) const {
    if (!image) return;
    SDL_FreeSurface(image->surface);
    delete image;
}

ImageTest CreeImageTest(int width, int height, Uint16 fill) {
    auto* image = new StructImage_t;
    image->surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, 16, 0, 0, 0, 0);
    image->width = static_cast<Uint16>(width);
    image->height = static_cast<Uint16>(height);
    image->depth = 2;
    image->rect = SDL_Rect{0, 0, image->width, image->height};
    ImageTest result(image);
    Remplit(image, fill);
    return result;
}

Uint16* Pixels(StructImage_t* image) {
    return static_cast<Uint16*>(image->surface->pixels);
}

Uint16 Pixel(StructImage_t* image, int x, int y) {
    return Pixels(image)[x + y * image->width];
}

void FixePixel(StructImage_t* image, int x, int y, Uint16 colour) {
    Pixels(image)[x + y * image->width] = colour;
}

void Remplit(StructImage_t* image, Uint16 colour) {
    Uint16* p = Pixels(image);
    const size_t n = static_cast<size_t>(image->width) * image->height;
    for (size_t i = 0; i < n; ++i) p[i] = colour;
}

void RemplitMotif(StructImage_t* image) {
    for (int y = 0; y < image->height; ++y) {
        for (int x = 0; x < image->width; ++x) {
            FixePixel(image, x, y, static_cast<Uint16>((x * 7 + y * 131) | 1));
        }
    }
}

std::string DossierTrames() {
    const std::string dir = std::string(KAZZMOT_BINARY_DIR) + "/trames";
    mkdir(dir.c_str(), 0755);
    return dir;
}

bool SauveTrameTest(const std::string& name) {
    return SauveTramePNG(DossierTrames() + "/" + name + ".png");
}

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

DonneesTemporaires::DonneesTemporaires(bool copie) {
    namespace fs = std::filesystem;
    char modele[] = "/tmp/kazzmot-test-XXXXXX";
    dossier_ = mkdtemp(modele);
    ancien_ = fs::current_path().string();
    if (copie) {
        fs::copy(KAZZMOT_TEST_DATAS, dossier_ + "/Datas", fs::copy_options::recursive);
    } else {
        fs::create_directories(dossier_ + "/Datas/Images");
        fs::create_directories(dossier_ + "/Datas/Sons");
    }
    fs::current_path(dossier_);
}

DonneesTemporaires::~DonneesTemporaires() {
    std::error_code ec;
    std::filesystem::current_path(ancien_, ec);
    std::filesystem::remove_all(dossier_, ec);
}

std::string DonneesTemporaires::Chemin(const std::string& relative) const {
    return dossier_ + "/Datas/" + relative;
}

void DonneesTemporaires::Ecrit(const std::string& relative, const std::string& contents) const {
    std::ofstream(Chemin(relative), std::ios::binary) << contents;
}
