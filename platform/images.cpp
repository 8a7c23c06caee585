// Pictures: each PNG is loaded once, converted to the display's format and
// copied into a surface of its own, with its colour key when asked for.
//
// Decoding the PNG files is most of the start-up's time, so the first picture
// asked for starts a few threads that decode every picture of its folder
// ahead, in name order; ChargeImage then takes a picture already decoded,
// waits for one being decoded, or decodes it itself. Everything else (the
// conversion, the key, the copy, every check and message) stays on the calling
// thread and in the caller's order. A file that changed since it was decoded
// ahead, or that could not be decoded there, is decoded again here, so the
// failure and its message are the same as without the threads.
#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <SDL_image.h>

#include "plateforme.h"

// Decoding ahead needs SDL_image itself (its PNG loader is set up once, below,
// before any thread uses it) and threads; other builds decode each picture
// when it is asked for.
#if defined(SDL_IMAGE_MAJOR_VERSION) && \
    (!defined(__EMSCRIPTEN__) || defined(__EMSCRIPTEN_PTHREADS__))
#define KAZZMOT_DECODE_EN_AVANCE 1
#endif

namespace {

// What identifies one version of a file.
struct Empreinte {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t taille = -1;
    struct timespec modif {};
    bool operator==(const Empreinte& o) const {
        return dev == o.dev && ino == o.ino && taille == o.taille &&
               modif.tv_sec == o.modif.tv_sec && modif.tv_nsec == o.modif.tv_nsec;
    }
};

bool EmpreinteDe(const std::string& chemin, Empreinte* e) {
    struct stat st;
    if (stat(chemin.c_str(), &st) != 0) return false;
    e->dev = st.st_dev;
    e->ino = st.st_ino;
    e->taille = st.st_size;
#ifdef _WIN32
    // Windows' stat gives whole seconds only.
    e->modif.tv_sec = st.st_mtime;
    e->modif.tv_nsec = 0;
#else
    e->modif = st.st_mtim;
#endif
    return true;
}

enum class Etat { Libre, EnCours, Pret, Livre };

struct Avance {
    std::string dossier;
    std::vector<std::string> chemins;  // the folder's pictures, in name order
    std::vector<Etat> etats;
    std::vector<SDL_Surface*> surfaces;
    std::vector<Empreinte> empreintes;
    size_t suivant = 0;
    bool arret = false;
    std::vector<std::thread> ouvriers;
    std::mutex m;
    std::condition_variable cv;

    void Ouvrier() {
        std::unique_lock<std::mutex> verrou(m);
        for (;;) {
            while (suivant < chemins.size() && etats[suivant] != Etat::Libre) ++suivant;
            if (arret || suivant >= chemins.size()) return;
            const size_t i = suivant++;
            etats[i] = Etat::EnCours;
            const std::string chemin = chemins[i];
            verrou.unlock();
            Empreinte e;
            SDL_Surface* s = EmpreinteDe(chemin, &e) ? IMG_Load(chemin.c_str()) : nullptr;
            verrou.lock();
            surfaces[i] = s;
            empreintes[i] = e;
            etats[i] = Etat::Pret;
            cv.notify_all();
        }
    }

    // Stops the threads and drops what nobody took.
    void Termine() {
        {
            std::lock_guard<std::mutex> verrou(m);
            arret = true;
        }
        for (std::thread& t : ouvriers) t.join();
        ouvriers.clear();
        for (size_t i = 0; i < surfaces.size(); ++i) {
            if (etats[i] == Etat::Pret && surfaces[i]) SDL_FreeSurface(surfaces[i]);
        }
        chemins.clear();
        etats.clear();
        surfaces.clear();
        empreintes.clear();
        dossier.clear();
        suivant = 0;
        arret = false;
    }

    void Demarre(const std::string& d) {
        dossier = d;
        DIR* rep = opendir(d.empty() ? "." : d.c_str());
        if (!rep) return;
        while (const dirent* f = readdir(rep)) {
            const std::string nom = f->d_name;
            if (nom.size() > 4 && nom.compare(nom.size() - 4, 4, ".png") == 0) {
                chemins.push_back(d + nom);
            }
        }
        closedir(rep);
        std::sort(chemins.begin(), chemins.end());
        etats.assign(chemins.size(), Etat::Libre);
        surfaces.assign(chemins.size(), nullptr);
        empreintes.assign(chemins.size(), Empreinte{});
#ifdef KAZZMOT_DECODE_EN_AVANCE
        IMG_Init(IMG_INIT_PNG);
        const unsigned n = std::min(4u, std::max(1u, std::thread::hardware_concurrency()));
        for (unsigned k = 0; k < n && k < chemins.size(); ++k) {
            ouvriers.emplace_back(&Avance::Ouvrier, this);
        }
#endif
    }

    // The picture at `chemin` as IMG_Load gives it, decoded ahead when it could be.
    SDL_Surface* Prend(const std::string& chemin) {
#ifndef KAZZMOT_DECODE_EN_AVANCE
        return IMG_Load(chemin.c_str());
#endif
        const std::string d = chemin.substr(0, chemin.find_last_of('/') + 1);
        auto it = std::find(chemins.begin(), chemins.end(), chemin);
        bool dejaPris = false;
        if (it != chemins.end()) {
            std::lock_guard<std::mutex> verrou(m);
            dejaPris = etats[static_cast<size_t>(it - chemins.begin())] == Etat::Livre;
        }
        // Another folder, or a picture taken already (a new run of the
        // production): start again from that folder.
        if (d != dossier || dejaPris) {
            Termine();
            Demarre(d);
            it = std::find(chemins.begin(), chemins.end(), chemin);
        }
        // Not in the folder (missing): loaded here, and failing here.
        if (it == chemins.end()) return IMG_Load(chemin.c_str());
        const size_t i = static_cast<size_t>(it - chemins.begin());
        std::unique_lock<std::mutex> verrou(m);
        if (etats[i] == Etat::Libre) {
            etats[i] = Etat::Livre;
            verrou.unlock();
            return IMG_Load(chemin.c_str());
        }
        cv.wait(verrou, [&] { return etats[i] == Etat::Pret; });
        etats[i] = Etat::Livre;
        SDL_Surface* s = surfaces[i];
        surfaces[i] = nullptr;
        const Empreinte avant = empreintes[i];
        verrou.unlock();
        Empreinte maintenant;
        if (s && EmpreinteDe(chemin, &maintenant) && maintenant == avant) return s;
        if (s) SDL_FreeSurface(s);
        return IMG_Load(chemin.c_str());
    }

    ~Avance() {
        Termine();
    }
};

Avance g_avance;

}  // namespace

StructImage_t* ChargeImage(const char* name, int keyflag, Uint8 r, Uint8 g, Uint8 b) {
    if (g_observeAppel) g_observeAppel("ChargeImage");
    const std::string path = CheminDonnees("Datas\\Images\\", name);

    StructImage_t* image = static_cast<StructImage_t*>(std::malloc(sizeof(StructImage_t)));
    if (!image) {
        ArretFatal("Impossible d'allouer de la memoire pour la structure 'StructImage_t' \n");
    }
    SDL_Surface* loaded = g_avance.Prend(path);
    if (!loaded) {
        ArretFatal("Impossible de charger l'image %s: %s\n", path.c_str(), SDL_GetError());
    }
    SDL_Rect rect{0, 0, static_cast<Uint16>(loaded->w), static_cast<Uint16>(loaded->h)};

    SDL_Surface* converted = SDL_DisplayFormat(loaded);
    SDL_FreeSurface(loaded);
    if (!converted) {
        ArretFatal("Impossible de convertir l'ancien l'ancien buffer Image : %s\n", SDL_GetError());
    }
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_HWSURFACE, converted->w, converted->h,
                                                converted->format->BitsPerPixel, 0, 0, 0, 0);
    if (!surface) {
        ArretFatal("Impossible de creer la surface de l'image %s : %s\n", path.c_str(),
                   SDL_GetError());
    }
    // The key is set before the copy: the converted surface has none, so
    // every pixel is copied, keyed colour included.
    if (keyflag == 1) {
        SDL_SetColorKey(surface, SDL_SRCCOLORKEY, SDL_MapRGB(surface->format, r, g, b));
    }
    SDL_Rect dst = rect;
    SDL_BlitSurface(converted, &rect, surface, &dst);
    SDL_FreeSurface(converted);

    image->width = static_cast<Uint16>(surface->w);
    image->height = static_cast<Uint16>(surface->h);
    image->depth = surface->format->BytesPerPixel;
    image->surface = surface;
    image->rect = SDL_Rect{0, 0, image->width, image->height};
    return image;
}

void LibereImage(StructImage_t* image) {
    if (g_observeAppel) g_observeAppel("LibereImage");
    SDL_FreeSurface(image->surface);
}
