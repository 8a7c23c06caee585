// The picture forge: draws the production's 74 catalogue pictures at build time.
//
// Every picture is drawn in full colour on a Cairo canvas, then finished: laid
// over the colour it will be seen on, cut to its colour key, and quantised to
// the 5-6-5 grid with ordered dithering, so that the production's 16-bit
// conversion is exact and gradients do not band.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace forge {

// Transparent colour of a picture, as the production loads it.
enum class Cle { Aucune, Noir, Blanc };

// The drawing routine that makes a picture.
enum class Famille {
    Decompte,     // film-leader countdown
    Logo,         // group logo and its caption
    Titre,        // title logo, letters, ramp and stage
    Bulles,       // underwater picture, bubble maps, swirl, room
    Television,   // the set and its four programmes, the closing frame
    Generique,    // credits: labels, names, portraits, animation
    Salutations,  // greetings
    Defilement,   // perspective crawl
    Extras,       // loaded but shown by no scene
};

// One catalogue entry: the file stem, its key, the size the forge draws and
// what the production relies on.
struct EntreeCatalogue {
    const char* nom;
    Cle cle;
    int largeur;
    int hauteur;
    Famille famille;
    const char* exigence;
};

// The 74 pictures in the production's slot order.
constexpr int kNombreImages = 74;
const EntreeCatalogue* Catalogue();
const EntreeCatalogue* TrouveEntree(const std::string& nom);

// A finished picture: 8-bit RGB rows, every channel on the 5-6-5 grid
// (r8 = r5 << 3 | r5 >> 2 and so on). forme holds 1 where the picture shows
// and 0 where it is the key colour (all 1 for pictures without a key).
struct ImageForgee {
    std::string nom;
    int largeur = 0;
    int hauteur = 0;
    Cle cle = Cle::Aucune;
    std::vector<uint8_t> rvb;
    std::vector<uint8_t> forme;
};

// Everything the forge made, in catalogue order once complete.
struct Recueil {
    std::vector<ImageForgee> images;
};

const ImageForgee* TrouveImage(const Recueil& recueil, const std::string& nom);

// Runs one family's drawing routine and adds its pictures to the collection.
void ForgeFamille(Famille famille, Recueil* recueil);
// Runs every family and puts the pictures in slot order. On a picture that is
// missing or drawn at the wrong size, fills *erreur and returns false.
bool ForgeTout(Recueil* recueil, std::string* erreur);

// Writes an 8-bit RGB PNG. Returns false with a message on failure.
bool EcritPng(const ImageForgee& image, const std::string& chemin, std::string* erreur);
// Writes every picture of the collection into dossier/Images/<nom>.png.
bool EcritRecueil(const Recueil& recueil, const std::string& dossier, std::string* erreur);
// Writes the contact sheet: every picture scaled into a labelled cell over a
// checkerboard that shows through the key colour.
bool EcritPlanche(const Recueil& recueil, const std::string& chemin, std::string* erreur);

// The application icon at the sizes of the desktop's hicolor theme, drawn from
// the forged pictures (the title letter K over the title stage).
constexpr int kTaillesIcones[] = {16, 22, 24, 32, 48, 64, 128, 256};
// Draws the icon, cote pixels square, into a new ARGB surface (*icone, to be
// destroyed by the caller). Fails with a message when its pictures are missing.
bool DessineIcone(const Recueil& recueil, int cote, cairo_surface_t** icone, std::string* erreur);
// Writes dossier/hicolor/<n>x<n>/apps/kazzmot.png at every size.
bool EcritIcones(const Recueil& recueil, const std::string& dossier, std::string* erreur);

// ---------------------------------------------------------------------------
// Drawing tools shared by the families.

// A colour with channels in 0..1.
struct Couleur {
    double r, g, b;
};
Couleur Rvb(int r, int g, int b);
Couleur Melange(Couleur a, Couleur b, double t);

// The production's palette: the title's accents, carried into every scene so
// that the pictures read as one production. Night violet for the grounds, the
// chrome's cyan and magenta, and an amber for warm lights.
namespace palette {
inline const Couleur kNuit = {16 / 255.0, 6 / 255.0, 40 / 255.0};
inline const Couleur kViolet = {60 / 255.0, 24 / 255.0, 90 / 255.0};
inline const Couleur kCyan = {40 / 255.0, 200 / 255.0, 255 / 255.0};
inline const Couleur kMagenta = {230 / 255.0, 40 / 255.0, 170 / 255.0};
inline const Couleur kAmbre = {255 / 255.0, 176 / 255.0, 48 / 255.0};
}  // namespace palette

// A drawing canvas: a Cairo ARGB32 surface and its context, freed on scope exit.
struct Toile {
    Toile(int largeur, int hauteur);
    ~Toile();
    Toile(const Toile&) = delete;
    Toile& operator=(const Toile&) = delete;
    int largeur;
    int hauteur;
    cairo_surface_t* surface;
    cairo_t* cr;
};

// Deterministic pseudo-random numbers (xorshift with a fixed seed per picture).
struct Alea {
    explicit Alea(uint32_t graine);
    uint32_t Suivant();
    double Uniforme();  // 0 <= x < 1
    double Entre(double a, double b);
    double Gauss();  // roughly normal, mean 0, deviation 1
    uint32_t etat;
};
uint32_t GraineDe(const char* nom);

// How a canvas is finished into a picture.
struct Finition {
    Cle cle = Cle::Aucune;
    Couleur fond = {0, 0, 0};  // colour the picture is seen over (for edge blending)
    double grain = 0.0;        // film-grain amplitude in 8-bit levels
    double seuil = 0.5;        // coverage from which a pixel belongs to the shape
};
ImageForgee Finit(const Toile& toile, const char* nom, const Finition& finition);

// Exact 5-6-5 values expanded to 8 bits.
inline uint8_t Etend5(int v5) {
    return uint8_t((v5 << 3) | (v5 >> 2));
}
inline uint8_t Etend6(int v6) {
    return uint8_t((v6 << 2) | (v6 >> 4));
}
// Threshold of the 8x8 ordered dither matrix at (x, y), in (0, 1).
double SeuilTrame(int x, int y);
// Builds a picture straight from 5-6-5 values (maps whose numbers matter).
ImageForgee ImageDepuis565(const char* nom, int largeur, int hauteur, Cle cle,
                           const std::vector<uint16_t>& pixels);
uint16_t Valeur565(const ImageForgee& image, int x, int y);

// Lettering through FreeType: the face of a font file from Debian's packages.
// Ends the program with a message naming the file when it cannot be loaded.
cairo_font_face_t* Police(const char* fichier);
// Wide heavy display face of the group logo.
constexpr const char* kPoliceLogo = "/usr/share/fonts/truetype/aenigma/gyrose.ttf";
// Heavy face of the title logo and its letters.
constexpr const char* kPoliceTitre = "/usr/share/fonts/truetype/aenigma/spacious.ttf";
// Slanted face of the scroll text, labels, names and greetings.
constexpr const char* kPoliceTexte = "/usr/share/fonts/truetype/aenigma/nominal.ttf";
// Condensed poster face with accents: leader digits, caption, crawl.
constexpr const char* kPoliceAffiche = "/usr/share/fonts/opentype/bebas-neue/BebasNeue-Bold.otf";
// Heavy rounded face with clear accents: the crawl's farewell.
constexpr const char* kPoliceAdieu = "/usr/share/fonts/truetype/aenigma/jawbhard.ttf";

// Adds the path of a text line to the context, its ink box centred on (cx, cy)
// at the given pixel size; stores the ink box width and height.
void CheminTexteCentre(cairo_t* cr, cairo_font_face_t* police, double taille, const char* texte,
                       double cx, double cy, double* largeur = nullptr, double* hauteur = nullptr);
// Size at which a text's ink box fits in (largeur x hauteur).
double TailleAjustee(cairo_t* cr, cairo_font_face_t* police, const char* texte, double largeur,
                     double hauteur);
// Paints the current path as chrome: vertical metal gradient from haut to bas
// with a horizon, a dark outline of the given width and a light inner edge.
void PeintChrome(cairo_t* cr, double y0, double y1, Couleur haut, Couleur horizon, Couleur bas,
                 Couleur contour, double epaisseur);
// Blurs an A8 or ARGB32 surface in place (three box passes of the given radius).
void FlouSurface(cairo_surface_t* surface, int rayon);
// Paints a soft shadow of the current path (kept) offset by (dx, dy).
void OmbreDouce(cairo_t* cr, int largeur, int hauteur, double dx, double dy, int rayon,
                Couleur couleur, double opacite);
// Fills the whole canvas with a vertical gradient through the given stops.
void DegradeVertical(cairo_t* cr, int largeur, int hauteur, const std::vector<Couleur>& teintes);
// Adds a rectangle with rounded corners of radius r to the path, as a new
// sub-path.
void CheminArrondi(cairo_t* cr, double x, double y, double l, double h, double r);
// Scatters stars (small soft points of varying brightness) over a rectangle.
void Etoiles(cairo_t* cr, Alea* alea, double x, double y, double largeur, double hauteur,
             int nombre, Couleur teinte, double eclat);

// Family routines (one per picture family).
void DessineDecompte(Recueil* recueil);
void DessineLogo(Recueil* recueil);
void DessineTitre(Recueil* recueil);
void DessineBulles(Recueil* recueil);
void DessineTelevision(Recueil* recueil);
void DessineGenerique(Recueil* recueil);
void DessineSalutations(Recueil* recueil);
void DessineDefilement(Recueil* recueil);
void DessineExtras(Recueil* recueil);

// Shapes other pictures and the tests rely on.
// Highest grey level (of 63) of the swirl: its 16-bit value stays below the
// dissolve's last threshold of 65500.
constexpr int kTourbillonMax = 60;
// Top row of the ramp surface in column x (the first row of the ramp).
int HautRampe(int x);

// ---------------------------------------------------------------------------
// Materials painted pixel by pixel (matieres.cpp).

// Direct access to a canvas's premultiplied pixels, handed back to Cairo on
// scope exit. Colours are read and written unpremultiplied.
class AccesPixels {
  public:
    explicit AccesPixels(Toile* toile);
    ~AccesPixels();
    AccesPixels(const AccesPixels&) = delete;
    AccesPixels& operator=(const AccesPixels&) = delete;
    uint32_t* Ligne(int y) const;
    Couleur Lit(int x, int y) const;
    double Alpha(int x, int y) const;
    void Ecrit(int x, int y, Couleur c, double alpha = 1.0);
    // Lays a colour over the pixel with the given opacity; ignores pixels off the canvas.
    void Pose(int x, int y, Couleur c, double opacite);

  private:
    Toile* toile_;
    unsigned char* data_;
    int pas_;
};

// Smooth lattice noise in 0..1, one lattice cell per unit.
double Bruit(double x, double y, uint32_t graine);
// Fractal sum of octaves of Bruit, normalised to 0..1.
double Fractal(double x, double y, int octaves, uint32_t graine);
// Distances to the nearest and second-nearest point of a jittered grid (one
// point per unit cell): their difference is small along the cell borders.
// *id, when asked for, is a number drawn for the nearest point's cell.
void Cellules(double x, double y, uint32_t graine, double* f1, double* f2, uint32_t* id = nullptr);
// Brightness 0..1 of a caustic net of cells about echelle pixels wide: thin
// bright lines that gather into knots where two nets cross.
double Caustique(double x, double y, double echelle, uint32_t graine);

// The coverage (0..1) of a path over the pixels of its bounding box, taken
// from the context's current path, which is left in place.
struct Couverture {
    int x0 = 0, y0 = 0, largeur = 0, hauteur = 0;
    std::vector<float> a;
    float A(int x, int y) const {  // canvas coordinates, 0 outside the box
        x -= x0;
        y -= y0;
        if (x < 0 || y < 0 || x >= largeur || y >= hauteur) return 0;
        return a[size_t(y) * largeur + x];
    }
};
Couverture CouvertureDuChemin(cairo_t* cr, int marge = 0);
// The mask blurred by three box passes of the given radius: a rounded height
// field that rises from the shape's edges towards its middle.
Couverture Adoucit(const Couverture& masque, int rayon);
// A colour from a ramp of tones (dark to light) for a shade s in 0..1: flat
// tones, with ordered dithering only in a narrow seam between two, as a
// pixel artist would shade.
Couleur Teinte(const std::vector<Couleur>& rampe, double s, int x, int y);

// The underwater picture, drawn in a file of its own (sousmarin.cpp).
void DessineFondMarin(Recueil* recueil);

// The crawl (defilement.cpp): the offset of the last frame the crawl draws of
// a text picture hauteur rows tall; the planet of its background, and that
// background drawn with or without the planet's ring (the ring's shadow stays).
int DernierDecalageDefilement(int hauteur);
struct Disque {
    double x, y, rayon;
};
Disque PlaneteEspace();
ImageForgee EspaceDefilement(bool avecAnneau);

// The room behind the television sets (piece.cpp): the poster's place on the
// wall, and the room drawn with or without the poster's lettering (the tests
// check where the lettering lies).
struct Cadre {
    int x, y, largeur, hauteur;
};
Cadre AffichePiece();
ImageForgee PieceTelevisions(bool avecTexte);
void DessinePieceTelevisions(Recueil* recueil);

// The television set inside its 290x230 picture (television.cpp): its
// cabinet, and the two feet under it whose last row is kBasPiedsTV - 1. The
// room (piece.cpp) puts the shelf's top face and the floor's contact line on
// row kBasPiedsTV of the upper and lower sets, and their shadows round them.
constexpr Cadre kCaissonTV = {12, 10, 266, 204};
constexpr int kPiedsTV[2] = {36, 226};
constexpr int kLargeurPiedTV = 28;
constexpr int kBasPiedsTV = 220;
// Row of the room where the upper sets' shelf begins.
int EtagerePiece();

// Height of the television's scroll text: the scene draws it twice, at y and
// 2y with y = 10 sin + (177 - h) / 4; its letters, about 70 rows tall in the
// middle of the strip, stay in the monitor's middle rows.
constexpr int kHauteurDefilant = 120;

// A colour moved to the nearest value of the 5-6-5 grid: painted flat, it
// comes out of the finishing step undithered.
Couleur Sur565(Couleur c);
// A vertical pattern from y0 to y1 of flat bands on the 5-6-5 grid, each up
// to its end (0..1): hard-edged chrome that stays crisp and packs small.
struct Bande {
    double fin;
    Couleur couleur;
};
cairo_pattern_t* MotifBandes(double y0, double y1, const std::vector<Bande>& bandes);

}  // namespace forge

// ---------------------------------------------------------------------------
// Lettering with a material, and neon.

namespace forge {

// A coverage mask: one value per pixel, 0 outside the shape, 1 inside.
struct Masque {
    int largeur = 0;
    int hauteur = 0;
    std::vector<float> v;
    float A(int x, int y) const;  // 0 outside the mask's bounds
};
// Fills the context's current path (kept) into a mask of the given size.
Masque MasqueDuChemin(cairo_t* cr, int largeur, int hauteur);
// Distance in pixels from each pixel to the shape's edge, for the pixels
// inside (dedans) or outside it; 0 on the other side.
std::vector<float> DistanceBord(const Masque& masque, bool dedans);
// Colour at t (0..1) of evenly spaced stops.
Couleur DegradeEn(const std::vector<Couleur>& teintes, double t);

// A solid lettering's material: the colour band its faces mirror (top to
// bottom over rows y0..y1), its bevel, its extrusion toward the lower right,
// its outline and its glints.
struct Matiere {
    std::vector<Couleur> reflets;
    double y0 = 0, y1 = 100;
    double biseau = 4;                 // bevel width in pixels
    double lissage = 0;                // blur of the bevel's slope in pixels (0: none)
    double relief = 0;                 // extrusion depth in pixels
    Couleur flanc = {0.3, 0.1, 0.45};  // colour of the extrusion's sides
    Couleur contour = {0.05, 0.0, 0.12};
    double epaisseur = 2;         // outline width in pixels
    int eclats = 2;               // star glints on the lit bevel
    double eclat = 14;            // glint ray length in pixels
    Couleur lumiere = {1, 1, 1};  // colour of the highlights and glints
    // Where the glints go when set (>= 0): the lit bevel points nearest this
    // spot of the canvas, rather than the brightest ones.
    double eclatX = -1, eclatY = -1;
};
// Paints the mask as a bevelled solid lit from the top left, over the canvas.
void PeintMatiere(Toile* toile, const Masque& masque, const Matiere& matiere);

// Neon tubes along the current path's outline (the path is consumed): a
// halo that tints the wall, dark letter insides, tubes broken into lengths
// with a white core, and mounting clips.
struct Neon {
    Couleur teinte;
    double tube = 5.5;    // tube width in pixels
    double halo = 6;      // blur radius of the glow
    double troncon = 70;  // length of one tube between electrodes
    double depart = 0;    // where along the outline the first length starts
};
void PeintNeon(Toile* toile, const Neon& neon);

// Draws into a new mask of the given size: the routine gets a context on an
// alpha-only canvas (paint with any opaque source, CLEAR to cut).
Masque MasqueDessine(int largeur, int hauteur, void (*dessin)(cairo_t*, void*), void* donnees);
// One glyph of a laid-out word: its ink box on the canvas.
struct Glyphe {
    double x0, y0, x1, y1;
};
// Adds the path of a word whose ink box fills (x, y, l, h), stretched to it
// (etire) or scaled evenly and centred, leaving out the glyph numbered
// sauf (-1 for none); returns the ink box of every glyph.
std::vector<Glyphe> CheminMot(cairo_t* cr, cairo_font_face_t* police, const char* texte, double x,
                              double y, double l, double h, bool etire, int sauf = -1);
// Adds a ring glyph filling the box: an outer and an inner rounded rectangle
// (arrondi = 1 makes ellipses), the stroke epaisseur wide.
void CheminAnneau(cairo_t* cr, Glyphe boite, double epaisseur, double arrondi);
// Fills a capital G drawn by hand in the box: the ring, its right side
// opened above the middle, and a full-weight jaw bar from the middle across,
// for faces whose own G reads as a C.
void DessineG(cairo_t* cr, Glyphe boite, double epaisseur, double arrondi);

// The title's stage: the row of its horizon (the floor runs from there to
// the stage's bottom), and the sun hanging over column 320 high in the sky,
// its disc clear above the landed letters: its centre's row and its radius.
constexpr int kHorizonScene = 190;
constexpr double kSoleilHaut = 64;
constexpr double kSoleilRayon = 46;

}  // namespace forge

namespace forge {

// The credits' portraits: paints over the canvas the bust of the coder at
// his computer (musicien false) or of the musician in headphones at a
// tracker, in three-quarter view, traced as modelled solids, with a glow of
// its rim light round it; fills *silhouette, when given, with the traced
// figure's coverage.
void DessineBuste(Toile* toile, bool musicien, Masque* silhouette = nullptr);

}  // namespace forge

namespace forge {

// As CheminMot, leaving out every glyph whose number is in sauf (each drawn
// by hand afterwards).
std::vector<Glyphe> CheminMotSauf(cairo_t* cr, cairo_font_face_t* police, const char* texte,
                                  double x, double y, double l, double h, bool etire,
                                  const std::vector<int>& sauf);

}  // namespace forge
