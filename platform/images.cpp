// Pictures: each PNG is loaded once, converted to the display's format and
// copied into a surface of its own, with its colour key when asked for.
//
// Decoding the PNG files is most of the start-up's time, so the pictures the
// production announces (the catalogue, before loading it) are decoded ahead
// by a few threads, in the order announced; ChargeImage then takes a picture
// already decoded, waits for one being decoded, or decodes it itself.
// Everything else (the conversion, the key, the copy, every check and
// message) stays on the calling thread and in the caller's order.
//  - Only the announced files are read, and only regular files: a stray
//    picture or a named pipe in the folder is never opened.
//  - A file that changed since it was decoded ahead is decoded again here. A
//    file that could not be decoded there fails here with the error it gave
//    there, so the failure and its message come once, as without the threads.
//  - The threads work on a batch of their own, which the last of them frees:
//    nothing joins them. The end of the process (a fatal message, the end of
//    the run) stops them taking another picture and waits only for the ones
//    they are decoding, regular files of the catalogue: SDL is unloaded at
//    exit, under any thread still inside it.
#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
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

// What identifies one version of a file: a rewrite in place changes the
// status change time even when the modification time is put back.
struct Empreinte {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t taille = -1;
    struct timespec modif {};
    struct timespec statut {};
    bool operator==(const Empreinte& o) const {
        return dev == o.dev && ino == o.ino && taille == o.taille &&
               modif.tv_sec == o.modif.tv_sec && modif.tv_nsec == o.modif.tv_nsec &&
               statut.tv_sec == o.statut.tv_sec && statut.tv_nsec == o.statut.tv_nsec;
    }
};

enum class Acces { Absent, Ordinaire, Autre };

Acces EmpreinteDe(const std::string& chemin, Empreinte* e) {
    struct stat st;
    if (stat(chemin.c_str(), &st) != 0) return Acces::Absent;
    if (!S_ISREG(st.st_mode)) return Acces::Autre;
    e->dev = st.st_dev;
    e->ino = st.st_ino;
    e->taille = st.st_size;
#ifdef _WIN32
    // Windows' stat gives whole seconds only.
    e->modif.tv_sec = st.st_mtime;
    e->modif.tv_nsec = 0;
#else
    e->modif = st.st_mtim;
    e->statut = st.st_ctim;
#endif
    return Acces::Ordinaire;
}

// Decodes the file at `chemin` if it is a regular file. A missing one is left
// to IMG_Load, whose message says so; anything else (a pipe, a folder, a
// device) is refused without being opened.
SDL_Surface* Decode(const std::string& chemin, Empreinte* e) {
    if (EmpreinteDe(chemin, e) == Acces::Autre) {
        SDL_SetError("ce n'est pas un fichier ordinaire");
        return nullptr;
    }
    return IMG_Load(chemin.c_str());
}

enum class Etat { Libre, EnCours, Pret, Livre };

// The decodes under way on the threads, and whether the process is ending.
struct Vol {
    std::mutex m;
    std::condition_variable cv;
    int enCours = 0;
    bool fin = false;
};

// Never destroyed: the threads may use it until the very end.
Vol& LeVol() {
    static Vol* vol = new Vol;
    return *vol;
}

// Counts one decode under way; false once the process is ending.
bool EntreEnVol() {
    Vol& vol = LeVol();
    std::lock_guard<std::mutex> verrou(vol.m);
    if (vol.fin) return false;
    ++vol.enCours;
    return true;
}

void SortDuVol() {
    Vol& vol = LeVol();
    std::lock_guard<std::mutex> verrou(vol.m);
    --vol.enCours;
    vol.cv.notify_all();
}

// Destroyed when the process ends, before SDL's library is unloaded.
struct FinDesDecodages {
    ~FinDesDecodages() {
        Vol& vol = LeVol();
        std::unique_lock<std::mutex> verrou(vol.m);
        vol.fin = true;
        vol.cv.wait(verrou, [&] { return vol.enCours == 0; });
    }
} g_finDesDecodages;

// The screen's 16-bit pixel layout, read when a batch is announced, so that
// the threads can hand over pictures already in it.
struct Format16 {
    bool actif = false;
    Uint32 rmask = 0, gmask = 0, bmask = 0;
    Uint8 rloss = 0, gloss = 0, bloss = 0, rshift = 0, gshift = 0, bshift = 0;
};

#ifdef KAZZMOT_DECODE_EN_AVANCE
Format16 FormatEcran() {
    Format16 f;
    const SDL_Surface* ecran = SDL_GetVideoSurface();
    if (!ecran || ecran->format->BitsPerPixel != 16) return f;
    const SDL_PixelFormat* pf = ecran->format;
    f = Format16{true,      pf->Rmask, pf->Gmask,  pf->Bmask,  pf->Rloss,
                 pf->Gloss, pf->Bloss, pf->Rshift, pf->Gshift, pf->Bshift};
    return f;
}
#endif

// Where each channel sits in a 3-byte pixel and where its top bits go in a
// 16-bit word.
struct Disposition {
    int rc, gc, bc;  // byte of red, green, blue in the source pixel
    int rl, gl, bl;  // bits dropped from each
    int rs, gs, bs;  // shift of each in the word
    constexpr bool operator==(const Disposition& o) const {
        return rc == o.rc && gc == o.gc && bc == o.bc && rl == o.rl && gl == o.gl && bl == o.bl &&
               rs == o.rs && gs == o.gs && bs == o.bs;
    }
};

inline void ConvertitLigne(const Disposition& d, const Uint8* p, Uint16* q, int w) {
    for (int x = 0; x < w; ++x, p += 3) {
        q[x] = static_cast<Uint16>((p[d.rc] >> d.rl) << d.rs | (p[d.gc] >> d.gl) << d.gs |
                                   (p[d.bc] >> d.bl) << d.bs);
    }
}

// A decoded RGB picture (24 bits, no key, no alpha) put into the screen's
// 16-bit layout on the decoding thread. The conversion keeps each channel's
// top bits, as SDL_DisplayFormat does, so the loader's conversion of the
// result is a plain copy and gives the same words; done there on the loader's
// thread it was the larger part of the start-up. Any other picture is left
// to SDL_DisplayFormat.
SDL_Surface* VersFormatEcran(SDL_Surface* s, const Format16& f) {
    if (!s || !f.actif || SDL_BYTEORDER != SDL_LIL_ENDIAN) return s;
    const SDL_PixelFormat* pf = s->format;
    const auto octet = [](Uint32 mask, Uint8 shift) {
        return mask == 0xFFu << shift && shift % 8 == 0;
    };
    if (pf->BitsPerPixel != 24 || pf->palette || pf->Amask != 0 || !octet(pf->Rmask, pf->Rshift) ||
        !octet(pf->Gmask, pf->Gshift) || !octet(pf->Bmask, pf->Bshift) ||
        (s->flags & (SDL_SRCCOLORKEY | SDL_SRCALPHA)) != 0) {
        return s;
    }
    SDL_Surface* d =
        SDL_CreateRGBSurface(SDL_SWSURFACE, s->w, s->h, 16, f.rmask, f.gmask, f.bmask, 0);
    if (!d) return s;  // SDL_DisplayFormat will convert it
    if (SDL_LockSurface(s) != 0) {
        SDL_FreeSurface(d);
        return s;
    }
    // Each channel as a byte position in the 3-byte pixel, and the shifts
    // that place its top bits in the screen's word.
    const Disposition dsp{pf->Rshift / 8, pf->Gshift / 8, pf->Bshift / 8, f.rloss, f.gloss,
                          f.bloss,        f.rshift,       f.gshift,       f.bshift};
    constexpr Disposition kRvb565{0, 1, 2, 3, 2, 3, 11, 5, 0};
    for (int y = 0; y < s->h; ++y) {
        const Uint8* p = static_cast<const Uint8*>(s->pixels) + static_cast<size_t>(y) * s->pitch;
        Uint16* q = reinterpret_cast<Uint16*>(static_cast<Uint8*>(d->pixels) +
                                              static_cast<size_t>(y) * d->pitch);
        // The usual case with its constants known, so the compiler can
        // unroll and vectorise it.
        if (dsp == kRvb565) {
            for (int x = 0; x < s->w; ++x, p += 3) {
                q[x] = static_cast<Uint16>((p[0] >> 3) << 11 | (p[1] >> 2) << 5 | p[2] >> 3);
            }
        } else {
            ConvertitLigne(dsp, p, q, s->w);
        }
    }
    SDL_UnlockSurface(s);
    SDL_FreeSurface(s);
    return d;
}

// One announced batch, shared by the threads that decode it and the loader.
struct Lot {
    std::vector<std::string> chemins;  // in the order announced
    Format16 format;                   // the screen's, when it is 16-bit
    std::vector<Etat> etats;
    std::vector<SDL_Surface*> surfaces;
    std::vector<Empreinte> empreintes;
    std::vector<std::string> erreurs;  // why a decode failed, for the loader
    size_t suivant = 0;
    bool abandonne = false;
    std::mutex m;
    std::condition_variable cv;

    void Ouvrier() {
        std::unique_lock<std::mutex> verrou(m);
        for (;;) {
            while (suivant < chemins.size() && etats[suivant] != Etat::Libre) ++suivant;
            if (abandonne || suivant >= chemins.size() || !EntreEnVol()) return;
            const size_t i = suivant++;
            etats[i] = Etat::EnCours;
            const std::string chemin = chemins[i];
            verrou.unlock();
            Empreinte e;
            SDL_Surface* s = VersFormatEcran(Decode(chemin, &e), format);
            const std::string erreur = s ? std::string() : std::string(SDL_GetError());
            verrou.lock();
            if (abandonne) {
                // Nobody will take it.
                if (s) SDL_FreeSurface(s);
                SortDuVol();
                return;
            }
            surfaces[i] = s;
            empreintes[i] = e;
            erreurs[i] = erreur;
            etats[i] = Etat::Pret;
            cv.notify_all();
            SortDuVol();
        }
    }

    // Drops what nobody took; a thread still decoding frees its own picture.
    void Abandonne() {
        std::lock_guard<std::mutex> verrou(m);
        abandonne = true;
        for (size_t i = 0; i < surfaces.size(); ++i) {
            if (etats[i] == Etat::Pret && surfaces[i]) SDL_FreeSurface(surfaces[i]);
            surfaces[i] = nullptr;
        }
    }

    // The picture at `chemin` as Decode gives it, decoded ahead when it could be.
    SDL_Surface* Prend(const std::string& chemin) {
        const auto it = std::find(chemins.begin(), chemins.end(), chemin);
        Empreinte ignoree;
        // Not announced: decoded here.
        if (it == chemins.end()) return Decode(chemin, &ignoree);
        const size_t i = static_cast<size_t>(it - chemins.begin());
        std::unique_lock<std::mutex> verrou(m);
        // Not started yet, or taken already (asked twice): decoded here.
        if (etats[i] == Etat::Libre || etats[i] == Etat::Livre) {
            etats[i] = Etat::Livre;
            verrou.unlock();
            return Decode(chemin, &ignoree);
        }
        cv.wait(verrou, [&] { return etats[i] == Etat::Pret; });
        etats[i] = Etat::Livre;
        SDL_Surface* s = surfaces[i];
        surfaces[i] = nullptr;
        const Empreinte avant = empreintes[i];
        const std::string erreur = erreurs[i];
        verrou.unlock();
        Empreinte maintenant;
        const bool inchange = avant.taille >= 0 &&
                              EmpreinteDe(chemin, &maintenant) == Acces::Ordinaire &&
                              maintenant == avant;
        if (inchange) {
            if (!s) SDL_SetError("%s", erreur.c_str());
            return s;
        }
        if (s) SDL_FreeSurface(s);
        return Decode(chemin, &ignoree);
    }
};

std::mutex g_lotVerrou;
std::shared_ptr<Lot> g_lot;

std::shared_ptr<Lot> LotCourant() {
    std::lock_guard<std::mutex> verrou(g_lotVerrou);
    return g_lot;
}

}  // namespace

void (*g_verifieArret)() = nullptr;

void AnnonceImages(const char* const* names, int count) {
    std::shared_ptr<Lot> ancien;
    {
        std::lock_guard<std::mutex> verrou(g_lotVerrou);
        ancien = std::move(g_lot);
    }
    if (ancien) ancien->Abandonne();
#ifdef KAZZMOT_DECODE_EN_AVANCE
    auto lot = std::make_shared<Lot>();
    for (int k = 0; k < count; ++k) {
        lot->chemins.push_back(CheminDonnees("Datas\\Images\\", names[k]));
    }
    const size_t n = lot->chemins.size();
    lot->format = FormatEcran();
    lot->etats.assign(n, Etat::Libre);
    lot->surfaces.assign(n, nullptr);
    lot->empreintes.assign(n, Empreinte{});
    lot->erreurs.assign(n, std::string());
    IMG_Init(IMG_INIT_PNG);
    const unsigned ouvriers = std::min(4u, std::max(1u, std::thread::hardware_concurrency()));
    for (unsigned k = 0; k < ouvriers && k < n; ++k) {
        // Each thread holds the batch until it returns. Without a thread to
        // be had (a limit on the processes or the memory), the pictures no
        // thread takes are decoded when they are asked for.
        try {
            std::thread([lot] { lot->Ouvrier(); }).detach();
        } catch (const std::system_error&) {
            break;
        }
    }
    std::lock_guard<std::mutex> verrou(g_lotVerrou);
    g_lot = std::move(lot);
#else
    (void)names;
    (void)count;
#endif
}

StructImage_t* ChargeImage(const char* name, int keyflag, Uint8 r, Uint8 g, Uint8 b) {
    if (g_observeAppel) g_observeAppel("ChargeImage");
    if (g_verifieArret) g_verifieArret();
    const std::string path = CheminDonnees("Datas\\Images\\", name);

    StructImage_t* image = static_cast<StructImage_t*>(std::malloc(sizeof(StructImage_t)));
    if (!image) {
        ArretFatal("Impossible d'allouer de la memoire pour la structure 'StructImage_t' \n");
    }
    const std::shared_ptr<Lot> lot = LotCourant();
    Empreinte ignoree;
    SDL_Surface* loaded = lot ? lot->Prend(path) : Decode(path, &ignoree);
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
