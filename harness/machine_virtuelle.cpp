// The virtual implementation of the platform's seam. Time is kept in units of
// 1/num millisecond, so that a refresh lasts exactly 1000 × den units for a
// rate of num/den per second and no rounding ever accumulates.
#include "machine_virtuelle.h"

#include <png.h>

#include <cstdio>
#include <cstring>

#include "plateforme.h"

namespace {

struct Machine {
    ConfigMachine config;
    std::uint64_t temps = 0;  // units of 1/num ms
    bool derniereRequeteHeure = false;
    std::uint64_t prochainRafraichissement = 0;  // index of the next refresh to emit
    std::uint64_t presentations = 0;
    std::uint64_t scrutations = 0;
    size_t prochainEvenement = 0;
    int largeur = 0;
    int hauteur = 0;
    std::vector<Uint16> affiche;
    ObservateurTrame observateur;
};

Machine& M() {
    static Machine machine = [] {
        Machine m;
        m.largeur = m.config.largeur;
        m.hauteur = m.config.hauteur;
        m.affiche.assign(static_cast<size_t>(m.largeur) * m.hauteur, 0);
        return m;
    }();
    return machine;
}

std::uint64_t UniteParMs() {
    return M().config.frequenceNum;
}
std::uint64_t Periode() {
    return 1000ull * M().config.frequenceDen;
}

// Emits every refresh whose time has come, up to and including `jusqua`.
void EmetJusqua(std::uint64_t jusqua) {
    Machine& m = M();
    while (m.prochainRafraichissement * Periode() <= jusqua) {
        if (m.observateur) {
            m.observateur(m.prochainRafraichissement, m.affiche.data(), m.largeur, m.hauteur);
        }
        ++m.prochainRafraichissement;
    }
}

void AvanceA(std::uint64_t t) {
    EmetJusqua(t);
    M().temps = t;
}

// Copies a rectangle of the surface into the display's own picture.
void CopieZone(SDL_Surface* surface, int x, int y, int w, int h) {
    Machine& m = M();
    if (m.largeur != surface->w || m.hauteur != surface->h) {
        m.largeur = surface->w;
        m.hauteur = surface->h;
        m.affiche.assign(static_cast<size_t>(m.largeur) * m.hauteur, 0);
    }
    if (x < 0) {
        w += x;
        x = 0;
    }
    if (y < 0) {
        h += y;
        y = 0;
    }
    if (x + w > m.largeur) w = m.largeur - x;
    if (y + h > m.hauteur) h = m.hauteur - y;
    if (w <= 0 || h <= 0) return;
    const bool lock = SDL_MUSTLOCK(surface);
    if (lock && SDL_LockSurface(surface) < 0) return;
    const int bpp = surface->format->BytesPerPixel;
    for (int row = y; row < y + h; ++row) {
        const Uint8* src = static_cast<const Uint8*>(surface->pixels) + row * surface->pitch;
        Uint16* dst = m.affiche.data() + static_cast<size_t>(row) * m.largeur;
        if (bpp == 2) {
            std::memcpy(dst + x, src + x * 2, static_cast<size_t>(w) * 2);
        } else {
            for (int col = x; col < x + w; ++col) {
                Uint32 p = 0;
                std::memcpy(&p, src + col * bpp, static_cast<size_t>(bpp));
                Uint8 r, g, b;
                SDL_GetRGB(p, surface->format, &r, &g, &b);
                dst[col] = static_cast<Uint16>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
            }
        }
    }
    if (lock) SDL_UnlockSurface(surface);
}

// A present: time jumps to the next refresh, from which the new picture shows.
void Presente(SDL_Surface* surface, int x, int y, int w, int h) {
    Machine& m = M();
    const std::uint64_t prochain = (m.temps / Periode() + 1) * Periode();
    EmetJusqua(prochain - 1);
    CopieZone(surface, x, y, w, h);
    AvanceA(prochain);
    m.derniereRequeteHeure = false;
    ++m.presentations;
}

}  // namespace

// ---------------------------------------------------------------------------
// The seam.

Uint32 Horloge() {
    Machine& m = M();
    if (m.derniereRequeteHeure) AvanceA(m.temps + UniteParMs());
    m.derniereRequeteHeure = true;
    return static_cast<Uint32>(m.temps / UniteParMs());
}

int AfficheTrame(SDL_Surface* surface) {
    Presente(surface, 0, 0, surface->w, surface->h);
    return 0;
}

void AfficheZone(SDL_Surface* surface, Sint32 x, Sint32 y, Uint32 w, Uint32 h) {
    if (x == 0 && y == 0 && w == 0 && h == 0) {
        w = static_cast<Uint32>(surface->w);
        h = static_cast<Uint32>(surface->h);
    }
    Presente(surface, x, y, static_cast<int>(w), static_cast<int>(h));
}

int LitEvenement(SDL_Event* event) {
    Machine& m = M();
    ++m.scrutations;
    const std::uint64_t maintenant = m.temps / UniteParMs();
    if (m.prochainEvenement < m.config.evenements.size() &&
        m.config.evenements[m.prochainEvenement].ms <= maintenant) {
        if (event) *event = m.config.evenements[m.prochainEvenement].event;
        ++m.prochainEvenement;
        return 1;
    }
    return 0;
}

bool EchapTenue() {
    return M().temps / UniteParMs() >= M().config.echapDes;
}

void DebutAffichage(SDL_Surface* /*surface*/) {}

// ---------------------------------------------------------------------------
// Control and observation.

void ReinitMachine(const ConfigMachine& config) {
    Machine& m = M();
    ObservateurTrame observateur = std::move(m.observateur);
    m = Machine();
    m.config = config;
    if (m.config.frequenceNum == 0 || m.config.frequenceDen == 0) {
        m.config.frequenceNum = 60;
        m.config.frequenceDen = 1;
    }
    m.observateur = std::move(observateur);
    m.largeur = config.largeur > 0 ? config.largeur : 640;
    m.hauteur = config.hauteur > 0 ? config.hauteur : 480;
    m.affiche.assign(static_cast<size_t>(m.largeur) * m.hauteur, 0);
}

void TermineMachine() {
    EmetJusqua(M().temps);
}

void ObserveTrames(ObservateurTrame observateur) {
    M().observateur = std::move(observateur);
}

SDL_Event ToucheEnfoncee(SDLKey key) {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = SDL_KEYDOWN;
    e.key.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = key;
    return e;
}

SDL_Event ToucheRelachee(SDLKey key) {
    SDL_Event e = ToucheEnfoncee(key);
    e.type = SDL_KEYUP;
    e.key.type = SDL_KEYUP;
    e.key.state = SDL_RELEASED;
    return e;
}

SDL_Event MouvementSouris() {
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = SDL_MOUSEMOTION;
    e.motion.type = SDL_MOUSEMOTION;
    return e;
}

std::uint64_t TempsVirtuelMs() {
    return M().temps / UniteParMs();
}
std::uint64_t NombrePresentations() {
    return M().presentations;
}
std::uint64_t NombreRafraichissements() {
    return M().prochainRafraichissement;
}
std::uint64_t NombreScrutations() {
    return M().scrutations;
}
int LargeurAffichage() {
    return M().largeur;
}
int HauteurAffichage() {
    return M().hauteur;
}
const std::vector<Uint16>& ImageAffichee() {
    return M().affiche;
}

bool SauveTramePNG(const std::string& path) {
    const Machine& m = M();
    return SauvePixelsPNG(path, m.affiche.data(), m.largeur, m.hauteur);
}

bool SauvePixelsPNG(const std::string& path, const Uint16* pixels, int width, int height) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Uint16 p = pixels[static_cast<size_t>(y) * width + x];
            const int r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
            row[x * 3 + 0] = static_cast<png_byte>((r << 3) | (r >> 2));
            row[x * 3 + 1] = static_cast<png_byte>((g << 2) | (g >> 4));
            row[x * 3 + 2] = static_cast<png_byte>((b << 3) | (b >> 2));
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

std::uint64_t HashTrame(const Uint16* pixels, int width, int height) {
    std::uint64_t h = 1469598103934665603ull;
    const size_t n = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < n; ++i) {
        h ^= pixels[i];
        h *= 1099511628211ull;
    }
    return h;
}
