// Crawl pictures: the closing text in amber on black, centred paragraphs that
// enter from the bottom of the screen, and the deep-space background with its
// ringed planet.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "forge_images.h"

namespace forge {

namespace {

// How much wider than the poster face the crawl's body lines are drawn. The
// crawl copies every text row whole in height but narrows it to between a
// fifth and the full width: the letters are drawn squat and wide (about as
// wide as tall once doubled), so that they read upright in the middle of the
// screen and still as letters on the far rows. The lines are broken short
// (some twenty characters at most) to leave them that width.
constexpr double kEtirementDefilement = 2.0;
// Space added between the body lines' letters, in font sizes: on the far rows
// the crawl keeps one column in four or five, so a narrower gap would close.
constexpr double kInterlettreDefilement = 0.26;

// Body lines: the width of the bold stroke of their own bands round the fill,
// and of the violet outline round that; the outline reaches half its width
// beyond the ink, above and below.
constexpr double kGrasCorps = 2.0;
constexpr double kContourCorps = 1.5 + kGrasCorps;
constexpr double kMargeContour = kContourCorps / 2;

// The closing text; an empty line separates paragraphs, "#" marks a heading.
const char* const kTexte[] = {
    "#KAZZMOT",
    "",
    "IL Y A BIEN LONGTEMPS,",
    "DANS UNE SALLE",
    "DES F\xC3\x8ATES",
    "PAS SI LOINTAINE,",
    "UNE POIGN\xC3\x89\x45",
    "DE MACHINES",
    "RONRONNAIT",
    "SOUS LES TABLES.",
    "",
    "LES RALLONGES",
    "COURAIENT ENTRE",
    "LES SACS",
    "DE COUCHAGE,",
    "LES \xC3\x89\x43RANS",
    "VEILLAIENT",
    "ET LA MUSIQUE",
    "NE S'ARR\xC3\x8ATAIT",
    "QU'AU LEVER DU JOUR.",
    "",
    "C'EST L\xC3\x80 QUE",
    "QUATRE T\xC3\x89L\xC3\x89VISEURS,",
    "UNE RAMPE",
    "ET QUELQUES BULLES",
    "ONT D\xC3\x89\x43ID\xC3\x89",
    "DE TENIR T\xC3\x8ATE",
    "\xC3\x80 LA NUIT.",
    "",
    "CHAQUE IMAGE",
    "EST SORTIE",
    "DE NOTRE PROPRE",
    "FORGE,",
    "PIXEL APR\xC3\x88S PIXEL,",
    "CHAQUE NOTE",
    "DE NOTRE PROPRE",
    "TRACKER,",
    "LIGNE APR\xC3\x88S LIGNE.",
    "",
    "#ORBO",
    "",
    "KABO",
    "CODE ET GRAPHISMES",
    "",
    "DOLO",
    "MUSIQUE",
    "",
    "MERCI \xC3\x80 WOZZ,",
    "SLIK ET BRENN",
    "POUR LES NUITS",
    "BLANCHES,",
    "LE CAF\xC3\x89 FROID,",
    "LES DISQUETTES",
    "PR\xC3\x8AT\xC3\x89\x45S",
    "ET LES C\xC3\x82\x42LES",
    "JAMAIS RENDUS.",
    "",
    "SALUT AUSSI",
    "\xC3\x80 TOUS CEUX",
    "QUI ONT PORT\xC3\x89",
    "UN \xC3\x89\x43RAN",
    "\xC3\x80 BOUT DE BRAS",
    "JUSQU'\xC3\x80 LA SALLE,",
    "ET \xC3\x80 CEUX",
    "QUI ONT VOT\xC3\x89",
    "\xC3\x80 QUATRE HEURES",
    "DU MATIN.",
    "",
    "MERCI \xC3\x80 VOUS",
    "D'AVOIR REGARD\xC3\x89",
    "JUSQU'AU BOUT.",
    "",
    "LA SC\xC3\x88NE",
    "NE MEURT JAMAIS :",
    "ELLE CHANGE",
    "DE MACHINE.",
    "",
    "#\xC3\x80 BIENT\xC3\x94T",
};

// Font options for the crawl's lines: unhinted, so that widths scale with
// the size.
void PreparePolice(cairo_t* cr, cairo_font_face_t* police, double taille) {
    cairo_set_font_face(cr, police);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    cairo_set_font_size(cr, taille);
}

// How many letter spacings a line of n glyphs holds: one between two
// glyphs. A word space is the two spacings round the space glyph, whose own
// advance is taken out: twice the gap between letters, so that the words
// stay apart without the line falling into single letters.
double Espacements(int n) {
    return std::max(0, n - 1);
}

// The face's advance of a word space, at the current size, and the width of
// a line's glyphs once every word space has lost it.
double AvanceEspace(cairo_t* cr) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, " ", &e);
    return e.x_advance;
}
double LargeurSansEspaces(cairo_t* cr, const char* texte, double largeur) {
    int mots = 0;
    for (const char* c = texte; *c; ++c) mots += *c == ' ';
    return largeur - mots * AvanceEspace(cr);
}

// The size, at most taille, at which a body line fits largeurMax with the
// whole added letter spacing.
double TailleLigne(cairo_t* cr, cairo_font_face_t* police, double taille, const char* texte,
                   double largeurMax) {
    PreparePolice(cr, police, taille);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, texte, &ext);
    cairo_glyph_t* glyphes = nullptr;
    int n = 0;
    cairo_scaled_font_text_to_glyphs(cairo_get_scaled_font(cr), 0, 0, texte, -1, &glyphes, &n,
                                     nullptr, nullptr, nullptr);
    cairo_glyph_free(glyphes);
    const double auMoins = LargeurSansEspaces(cr, texte, ext.width) +
                           Espacements(n) * kInterlettreDefilement * 0.75 * taille;
    return auMoins > largeurMax ? taille * largeurMax / auMoins : taille;
}

// Ink clearance kept between a capital and its accent, outline and bold
// stroke included: the accent sits just over its letter, yet the two never
// merge on the crawl's far rows.
constexpr double kDegagementAccent = 1.5;

// A quarter of an ellipse centred on (cx, cy), from angle a0 to a1, added
// to the current path.
void QuartEllipse(cairo_t* cr, double cx, double cy, double rx, double ry, double a0, double a1) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, std::max(rx, 0.01), std::max(ry, 0.01));
    if (a1 > a0) {
        cairo_arc(cr, 0, 0, 1, a0, a1);
    } else {
        cairo_arc_negative(cr, 0, 0, 1, a0, a1);
    }
    cairo_restore(cr);
}

// The crawl's G, in the box (x0, y0)-(x1, y1) of the face's own: the face's
// aperture and short bar close up once the letters are made bold and
// outlined, and the G then reads as an O or an 8. This one has a wide-open
// mouth between its upper terminal and a long flat bar that reaches the
// middle of the letter, and a square spur at its foot. One contour, round
// as the face's O at the top and on the left; stem the face's stem width.
void CheminG(cairo_t* cr, double x0, double x1, double y0, double y1, double stem) {
    const double w = x1 - x0, h = y1 - y0;
    const double s = std::min(stem * 0.8, w * 0.3), a = h * 0.16;
    const double rx = w / 2, ry = h * 0.3, rxi = rx - s, ryi = ry - a;
    const double terminal = y0 + h * 0.3, barre = y0 + h * 0.56;
    const double bout = std::max(x0 + w * 0.5, x0 + s + 3.6);  // the bar's inner end
    cairo_new_sub_path(cr);
    cairo_move_to(cr, x1, terminal);
    QuartEllipse(cr, x1 - rx, y0 + ry, rx, ry, 0, -M_PI / 2);
    QuartEllipse(cr, x0 + rx, y0 + ry, rx, ry, -M_PI / 2, -M_PI);
    QuartEllipse(cr, x0 + rx, y1 - ry, rx, ry, M_PI, M_PI / 2);
    cairo_line_to(cr, x1, y1);
    cairo_line_to(cr, x1, barre);
    cairo_line_to(cr, bout, barre);
    cairo_line_to(cr, bout, barre + a);
    cairo_line_to(cr, x1 - s, barre + a);
    QuartEllipse(cr, x1 - rx, y1 - ry, rxi, ryi, 0, M_PI / 2);
    QuartEllipse(cr, x0 + rx, y1 - ry, rxi, ryi, M_PI / 2, M_PI);
    QuartEllipse(cr, x0 + rx, y0 + ry, rxi, ryi, M_PI, 1.5 * M_PI);
    QuartEllipse(cr, x1 - rx, y0 + ry, rxi, ryi, -M_PI / 2, 0);
    cairo_line_to(cr, x1 - s, terminal);
    cairo_close_path(cr);
}

// A body line's path centred on (cx, cy), no wider than largeurMax, its
// letters spaced out by up to a fifth of the size more than the face's own:
// on the crawl's narrow far rows the letters would otherwise run into each
// other (a T's bar into the E before it). A long line spaces out what room
// allows, at least half of it, made smaller for that if it must. The capitals
// are centred, not the ink, so that every line stands on the same baseline
// whether it bears accents or not; every accent is set at one height over
// the cap line, raised or lowered from the face's own until the gap under it
// holds `marge` (the width the outline adds above and below the ink) twice
// plus a small clearance. Gives the cap height.
void CheminLigneEspacee(cairo_t* cr, cairo_font_face_t* police, double taille, const char* texte,
                        double cx, double cy, double largeurMax, double marge, double* encre) {
    taille = TailleLigne(cr, police, taille, texte, largeurMax);
    PreparePolice(cr, police, taille);
    cairo_text_extents_t ext, capitale;
    cairo_text_extents(cr, texte, &ext);
    cairo_text_extents(cr, "H", &capitale);
    cairo_glyph_t* glyphes = nullptr;
    int n = 0;
    cairo_scaled_font_text_to_glyphs(cairo_get_scaled_font(cr), 0, 0, texte, -1, &glyphes, &n,
                                     nullptr, nullptr, nullptr);
    const double unites = Espacements(n);
    const double largeur = LargeurSansEspaces(cr, texte, ext.width), avance = AvanceEspace(cr);
    const double espace = unites > 0 ? std::clamp((largeurMax - largeur) / unites, 0.0,
                                                  kInterlettreDefilement * taille)
                                     : 0.0;
    const double total = largeur + unites * espace;
    const double cap = capitale.height, ligneBase = cy + cap / 2, ligneCap = ligneBase - cap;
    const double ox = cx - total / 2 - ext.x_bearing;
    // One glyph a character (the face has no ligatures): a space draws the
    // glyphs after it back by its own advance.
    // The face's G is drawn over by the crawl's own (see CheminG).
    double decale = 0;
    std::vector<double> lettresG;
    int gardes = 0;
    const unsigned char* c = reinterpret_cast<const unsigned char*>(texte);
    for (int i = 0; i < n; ++i) {
        glyphes[i].x += ox + i * espace + decale;
        glyphes[i].y += ligneBase;
        if (*c == ' ') decale -= avance;
        if (*c == 'G') {
            lettresG.push_back(glyphes[i].x);
        } else {
            glyphes[gardes++] = glyphes[i];
        }
        c += *c < 0x80 ? 1 : *c < 0xE0 ? 2 : 3;
    }
    cairo_new_path(cr);
    cairo_glyph_path(cr, glyphes, gardes);
    cairo_glyph_free(glyphes);
    if (!lettresG.empty()) {
        cairo_text_extents_t g, i;
        cairo_text_extents(cr, "G", &g);
        cairo_text_extents(cr, "I", &i);
        for (double x : lettresG)
            CheminG(cr, x + g.x_bearing, x + g.x_bearing + g.width, ligneCap, ligneBase, i.width);
    }
    // Each closed outline lying wholly above the cap line is an accent: it is
    // moved until the gap under it holds the outline's width on both sides
    // plus the clearance.
    cairo_path_t* chemin = cairo_copy_path(cr);
    cairo_new_path(cr);
    const auto& donnees = chemin->data;
    for (int i = 0; i < chemin->num_data;) {
        int fin = i + donnees[i].header.length;
        while (fin < chemin->num_data && donnees[fin].header.type != CAIRO_PATH_MOVE_TO)
            fin += donnees[fin].header.length;
        double bas = -1e9;
        for (int j = i; j < fin; j += donnees[j].header.length)
            for (int k = 1; k < donnees[j].header.length; ++k)
                bas = std::max(bas, donnees[j + k].point.y);
        const double besoin = 2 * marge + kDegagementAccent;
        const double levee = bas < ligneCap - 0.5 ? besoin - (ligneCap - bas) : 0.0;
        for (int j = i; j < fin; j += donnees[j].header.length) {
            const cairo_path_data_t& e = donnees[j];
            const auto p = [&](int k) { return donnees[j + k].point; };
            switch (e.header.type) {
                case CAIRO_PATH_MOVE_TO:
                    cairo_move_to(cr, p(1).x, p(1).y - levee);
                    break;
                case CAIRO_PATH_LINE_TO:
                    cairo_line_to(cr, p(1).x, p(1).y - levee);
                    break;
                case CAIRO_PATH_CURVE_TO:
                    cairo_curve_to(cr, p(1).x, p(1).y - levee, p(2).x, p(2).y - levee, p(3).x,
                                   p(3).y - levee);
                    break;
                case CAIRO_PATH_CLOSE_PATH:
                    cairo_close_path(cr);
                    break;
            }
        }
        i = fin;
    }
    cairo_path_destroy(chemin);
    if (encre) *encre = cap;
}

// Paints the current path as crawl lettering: a thin violet outline that
// keeps the letters clear of the stars without filling their counters once
// the crawl shrinks the far lines, and flat bands from pale gold to amber. Headings take the
// title's chrome, magenta under a bright horizon, with a thin cyan light along their upper edges.
void PeintLettre(cairo_t* cr, double y0, double y1, bool titre) {
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    const Couleur contour = Sur565(titre ? Rvb(40, 10, 66) : Rvb(60, 18, 86));
    cairo_set_source_rgb(cr, contour.r, contour.g, contour.b);
    // Body lines are made bolder by a stroke of their own bands round the
    // fill, the outline widened to match.
    const double gras = titre ? 0 : kGrasCorps;
    cairo_save(cr);
    if (!titre) cairo_scale(cr, 2, 1);
    cairo_set_line_width(cr, titre ? 7 : kContourCorps);
    cairo_stroke_preserve(cr);
    cairo_restore(cr);
    cairo_pattern_t* p = titre ? MotifBandes(y0, y1,
                                             {{0.2, Rvb(255, 246, 220)},
                                              {0.44, palette::kAmbre},
                                              {0.52, Rvb(255, 250, 236)},
                                              {0.6, Rvb(120, 14, 96)},
                                              {0.84, palette::kMagenta},
                                              {1.0, Rvb(255, 120, 210)}})
                               : MotifBandes(y0, y1,
                                             {{0.22, Rvb(255, 244, 176)},
                                              {0.5, Rvb(255, 204, 56)},
                                              {0.78, Rvb(246, 150, 28)},
                                              {1.0, Rvb(214, 104, 16)}});
    cairo_set_source(cr, p);
    if (gras > 0) {
        // Twice as heavy across as down: the crawl narrows the rows, never
        // the columns, so the stems need the weight and the arms keep their gaps.
        cairo_save(cr);
        cairo_scale(cr, 2, 1);
        cairo_set_line_width(cr, gras);
        cairo_stroke_preserve(cr);
        cairo_restore(cr);
    }
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(p);
    // Headings: a cyan light, the outline of the letter shifted down, seen
    // inside it.
    if (!titre) {
        cairo_new_path(cr);
        return;
    }
    cairo_save(cr);
    cairo_path_t* chemin = cairo_copy_path(cr);
    cairo_clip(cr);
    cairo_translate(cr, 0, 2.5);
    cairo_append_path(cr, chemin);
    const Couleur lumiere = Sur565(Rvb(140, 242, 255));
    cairo_set_source_rgb(cr, lumiere.r, lumiere.g, lumiere.b);
    cairo_set_line_width(cr, 2.4);
    cairo_stroke(cr);
    cairo_path_destroy(chemin);
    cairo_restore(cr);
    cairo_new_path(cr);
}

// The farewell as a mask, lettered by hand on a grid: one cap height, one
// stem weight, square capitals that stay legible once the crawl narrows the
// row (an E with three full arms, an A with a flat apex and a crossbar). The
// accents are thin wedges just above the cap line, leaning like the letters'
// own bevel.
struct MotAdieu {
    const char* texte;
    double x, y, l, h;
};

enum class Accent { Aucun, Grave, Aigu, Circonflexe };

// Width of a capital in cap heights.
double LargeurCapitale(char c) {
    switch (c) {
        case 'I':
            return 0.24;
        case 'E':
            return 0.6;
        case 'B':
            return 0.74;
        case 'T':
            return 0.7;
        case 'A':
            return 0.96;
        case 'O':
            return 0.84;
        default:  // N
            return 0.78;
    }
}

void Polygone(cairo_t* cr, std::initializer_list<double> xy) {
    const double* v = xy.begin();
    cairo_move_to(cr, v[0], v[1]);
    for (size_t i = 2; i + 1 < xy.size(); i += 2) cairo_line_to(cr, v[i], v[i + 1]);
    cairo_close_path(cr);
    cairo_fill(cr);
}

// A rectangle whose right-hand corners are rounded by r (a bowl of the B, or
// both sides for the O when gauche is set).
void RectangleArrondi(cairo_t* cr, double x0, double y0, double x1, double y1, double r,
                      bool gauche) {
    r = std::min({r, (x1 - x0) / 2, (y1 - y0) / 2});
    const double pi = 3.14159265358979;
    // A sub-path of its own: an arc would otherwise join it to the last one.
    cairo_new_sub_path(cr);
    if (gauche) {
        cairo_arc(cr, x0 + r, y0 + r, r, pi, 1.5 * pi);
    } else {
        cairo_move_to(cr, x0, y0);
    }
    cairo_arc(cr, x1 - r, y0 + r, r, 1.5 * pi, 2 * pi);
    cairo_arc(cr, x1 - r, y1 - r, r, 0, 0.5 * pi);
    if (gauche) {
        cairo_arc(cr, x0 + r, y1 - r, r, 0.5 * pi, pi);
    } else {
        cairo_line_to(cr, x0, y1);
    }
    cairo_close_path(cr);
}

// A ring: the rounded outline less the same outline inset by (sx, sy).
void Anneau(cairo_t* cr, double x0, double y0, double x1, double y1, double r, double sx, double sy,
            bool gauche) {
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    RectangleArrondi(cr, x0, y0, x1, y1, r, gauche);
    RectangleArrondi(cr, gauche ? x0 + sx : x0 + sx, y0 + sy, x1 - sx, y1 - sy,
                     std::max(0.0, r - std::min(sx, sy)), gauche);
    cairo_fill(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

// One capital with its cap line at y0 and baseline at y1; s the stems'
// width, t the arms' thickness.
void DessineCapitale(cairo_t* cr, char c, double x0, double y0, double x1, double y1, double s,
                     double t) {
    const double w = x1 - x0, h = y1 - y0, xc = (x0 + x1) / 2;
    switch (c) {
        case 'I':
            cairo_rectangle(cr, x0, y0, w, h);
            cairo_fill(cr);
            break;
        case 'E':
            cairo_rectangle(cr, x0, y0, s, h);
            cairo_rectangle(cr, x0, y0, w, t);
            cairo_rectangle(cr, x0, y0 + (h - t) / 2, w * 0.86, t);
            cairo_rectangle(cr, x0, y1 - t, w, t);
            cairo_fill(cr);
            break;
        case 'T':
            cairo_rectangle(cr, x0, y0, w, t);
            cairo_rectangle(cr, xc - s / 2, y0, s, h);
            cairo_fill(cr);
            break;
        case 'N': {
            cairo_rectangle(cr, x0, y0, s, h);
            cairo_rectangle(cr, x1 - s, y0, s, h);
            cairo_fill(cr);
            const double d = s * 1.25;  // the diagonal's width measured across a row
            Polygone(cr, {x0, y0, x0 + d, y0, x1, y1, x1 - d, y1});
            break;
        }
        case 'O':
            Anneau(cr, x0, y0, x1, y1, w * 0.42, s, t, true);
            break;
        case 'B': {
            const double milieu = y0 + (h - t) / 2;
            Anneau(cr, x0, y0, x1 - w * 0.07, milieu + t, (milieu + t - y0) * 0.5, s * 0.85, t,
                   false);
            Anneau(cr, x0, milieu, x1, y1, (y1 - milieu) * 0.5, s * 0.85, t, false);
            cairo_rectangle(cr, x0, y0, s, h);
            cairo_fill(cr);
            break;
        }
        case 'A': {
            // Slanted legs about as heavy as the stems, meeting in a flat
            // apex; the letter is wide enough for a true triangle of counter
            // over a crossbar set low.
            const double j = s * 0.88, sommet = s;
            const double g = xc - sommet / 2, d = xc + sommet / 2;
            Polygone(cr, {x0, y1, g, y0, g + j, y0, x0 + j, y1});
            Polygone(cr, {x1, y1, d, y0, d - j, y0, x1 - j, y1});
            cairo_rectangle(cr, g, y0, sommet, t);
            cairo_fill(cr);
            const double ya = y0 + h * 0.64, yb = ya + t * 0.8;
            const auto gaucheEn = [&](double y) { return x0 + (g - x0) * (y1 - y) / h; };
            const auto droiteEn = [&](double y) { return x1 - (x1 - d) * (y1 - y) / h; };
            Polygone(cr, {gaucheEn(ya), ya, droiteEn(ya), ya, droiteEn(yb), yb, gaucheEn(yb), yb});
            break;
        }
        default:
            break;
    }
}

void DessinMotAdieu(cairo_t* cr, void* donnees) {
    const MotAdieu* m = static_cast<const MotAdieu*>(donnees);
    // Words of bare capitals, and the accent over each letter.
    std::vector<std::string> mots(1);
    std::vector<std::vector<Accent>> accents(1);
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(m->texte); *c; ++c) {
        if (*c == ' ') {
            mots.emplace_back();
            accents.emplace_back();
            continue;
        }
        char lettre = char(*c);
        Accent accent = Accent::Aucun;
        if (*c == 0xC3 && c[1]) {
            // Latin-1 capitals with accents: À 80, È 88, É 89, Ê 8A, Ô 94.
            const unsigned char k = *++c;
            lettre = k < 0x88 ? 'A' : k < 0x8C ? 'E' : 'O';
            accent = (k == 0x80 || k == 0x88) ? Accent::Grave
                     : k == 0x89              ? Accent::Aigu
                                              : Accent::Circonflexe;
        }
        mots.back() += lettre;
        accents.back().push_back(accent);
    }
    // The letters stand in the lower part of the box, the accents above; the
    // widths in cap heights, stretched together to fill the box's width.
    const double haut = m->h * 0.27, cap = m->h - haut;
    const double y0 = m->y + haut, y1 = m->y + m->h;
    // The gaps leave room for the rim and the extrusion between letters; a
    // round letter before the T's bar gets a little more, so that the two
    // solids never join.
    const double interlettre = 0.26, intermot = 0.42, crenage = 0.08;
    const auto ecart = [&](const std::string& mot, size_t j) {
        return interlettre + (mot[j] == 'O' && mot[j + 1] == 'T' ? crenage : 0.0);
    };
    double unites = intermot * (mots.size() - 1);
    for (const std::string& mot : mots) {
        for (size_t j = 0; j < mot.size(); ++j) {
            unites += LargeurCapitale(mot[j]);
            if (j + 1 < mot.size()) unites += ecart(mot, j);
        }
    }
    const double k = m->l / (unites * cap);  // horizontal stretch
    const double s = 0.23 * cap * k, t = 0.19 * cap;
    double x = m->x;
    for (size_t i = 0; i < mots.size(); ++i) {
        for (size_t j = 0; j < mots[i].size(); ++j) {
            const double l = LargeurCapitale(mots[i][j]) * cap * k;
            DessineCapitale(cr, mots[i][j], x, y0, x + l, y1, s, t);
            // The accent: a solid wedge clear of the cap line by the rim and
            // the extrusion, as heavy as the letters' arms so that it takes
            // the same bevel and chrome, and no taller than an arm is long.
            // The grave runs down to the right, flatter than 45 degrees, so
            // that it still leans once the crawl narrows the rows above it.
            const double cx = x + l / 2, bas = y0 - 18, sommet = bas - cap * 0.16;
            const double e = s * 0.95;
            switch (j < accents[i].size() ? accents[i][j] : Accent::Aucun) {
                case Accent::Aucun:
                    break;
                case Accent::Grave: {
                    const double gauche = cx - 0.56 * l, droite = cx + 0.3 * l;
                    Polygone(cr, {gauche, sommet, gauche + 1.2 * e, sommet, droite, bas,
                                  droite - 1.2 * e, bas});
                    break;
                }
                case Accent::Aigu: {
                    const double gauche = cx - 0.3 * l, droite = cx + 0.42 * l;
                    Polygone(cr, {droite - 1.2 * e, sommet, droite, sommet, gauche + 1.2 * e, bas,
                                  gauche, bas});
                    break;
                }
                case Accent::Circonflexe: {
                    // Its arms a little lighter, so that the extrusion
                    // leaves the notch under its peak open.
                    const double a = l * 0.48, f = e * 0.8;
                    Polygone(cr, {cx - f * 0.5, sommet, cx + f * 0.5, sommet, cx + a, bas,
                                  cx + a - f * 1.2, bas, cx, sommet + f * 0.6, cx - a + f * 1.2,
                                  bas, cx - a, bas});
                    break;
                }
            }
            x += l + (j + 1 < mots[i].size() ? ecart(mots[i], j) : interlettre) * cap * k;
        }
        x += (intermot - interlettre) * cap * k;
    }
}

// Paints the farewell in the title's chrome (cyan sky over a white horizon,
// magenta below) on a violet extrusion, with a dark outline and a magenta
// rim round the whole solid, solid enough to stand whole over the stars when
// the crawl copies only the lit pixels. The word is centred on (cx, cy).
// The word drawn at the supersampled scale.
struct MotAdieuFin {
    MotAdieu mot;
    double echelle;
};

void DessinMotAdieuFin(cairo_t* cr, void* donnees) {
    const MotAdieuFin* f = static_cast<const MotAdieuFin*>(donnees);
    cairo_scale(cr, f->echelle, f->echelle);
    DessinMotAdieu(cr, const_cast<MotAdieu*>(&f->mot));
}

void PeintAdieu(cairo_t* cr, const char* texte, double cx, double cy, double hauteur) {
    // The whole solid is built at three times the size and boxed down, so
    // that the slanted legs of the A and the N, their bevels and the rim
    // round them come out with smooth edges instead of pixel stairs.
    const int F = 3;
    const int l0 = 640, h0 = int(hauteur) + 60;
    const int l = l0 * F, h = h0 * F;
    Toile toile(l, h);
    const MotAdieu mot{texte, 24, 26, l0 - 56.0, hauteur};
    const MotAdieuFin fin{mot, double(F)};
    const Masque m = MasqueDessine(l, h, DessinMotAdieuFin, const_cast<MotAdieuFin*>(&fin));
    // The rim: the solid (face and extrusion) widened by a few pixels.
    const int relief = 7 * F;
    Masque solide = m;
    for (int k = 1; k <= relief; ++k)
        for (int y = k; y < h; ++y)
            for (int x = k; x < l; ++x) {
                float& v = solide.v[size_t(y) * l + x];
                v = std::max(v, m.v[size_t(y - k) * l + (x - k)]);
            }
    const std::vector<float> dehors = DistanceBord(solide, false);
    {
        AccesPixels px(&toile);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < l; ++x) {
                const double d = dehors[size_t(y) * l + x];
                const double a = std::clamp((5.0 * F - d) / F, 0.0, 1.0);
                if (a <= 0) continue;
                // Hot pink at the outline, deepening outward.
                const Couleur c = Melange(Rvb(255, 120, 220), palette::kMagenta,
                                          std::clamp((d - 3.0 * F) / (2.0 * F), 0.0, 1.0));
                px.Ecrit(x, y, c, a);
            }
    }
    Matiere chrome;
    // The title's ramp: cyan sky, white horizon, a dark split, magenta.
    chrome.reflets = {Rvb(33, 144, 207), Rvb(40, 200, 255), Rvb(158, 230, 255), Rvb(255, 255, 255),
                      Rvb(115, 20, 85),  Rvb(230, 40, 170), Rvb(242, 120, 145)};
    chrome.y0 = (mot.y + hauteur * 0.27) * F;  // the accents stay in the sky
    chrome.y1 = (mot.y + hauteur) * F;
    chrome.biseau = 6 * F;
    chrome.relief = relief;
    chrome.flanc = Rvb(120, 40, 170);
    chrome.contour = Rvb(16, 2, 40);
    chrome.epaisseur = 2.5 * F;
    chrome.eclats = 3;
    chrome.eclat = 22 * F;
    // The accents take the chrome of their own height, sky to magenta as on
    // the letters, painted first so that the letters' rims pass over their
    // extrusion.
    {
        Masque accents = m, lettres = m;
        const int coupe = int(chrome.y0) - 6 * F;
        double haut = h;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < l; ++x) {
                const size_t i = size_t(y) * l + x;
                (y < coupe ? lettres : accents).v[i] = 0;
                if (y < coupe && m.v[i] > 0) haut = std::min(haut, double(y));
            }
        Matiere petit = chrome;
        petit.y0 = haut;
        petit.y1 = coupe - 7 * F;
        petit.biseau = 4 * F;
        petit.eclats = 0;
        PeintMatiere(&toile, accents, petit);
        PeintMatiere(&toile, lettres, chrome);
    }
    // The counters (the A's triangle, the B's bowls, the O) are cleared of
    // the rim and of the extrusion's inner walls, keeping only the dark
    // outline, so that they stay open holes once the crawl narrows them.
    {
        std::vector<char> dehors(size_t(l) * h, 0);
        std::vector<int> pile;
        const auto pousse = [&](int x, int y) {
            const size_t i = size_t(y) * l + x;
            if (dehors[i] || m.v[i] >= 0.5f) return;
            dehors[i] = 1;
            pile.push_back(int(i));
        };
        for (int x = 0; x < l; ++x) pousse(x, 0), pousse(x, h - 1);
        for (int y = 0; y < h; ++y) pousse(0, y), pousse(l - 1, y);
        while (!pile.empty()) {
            const int i = pile.back();
            pile.pop_back();
            const int x = i % l, y = i / l;
            if (x > 0) pousse(x - 1, y);
            if (x + 1 < l) pousse(x + 1, y);
            if (y > 0) pousse(x, y - 1);
            if (y + 1 < h) pousse(x, y + 1);
        }
        const std::vector<float> bord = DistanceBord(m, false);
        AccesPixels px(&toile);
        for (int y = 0; y < h; ++y) {
            uint32_t* ligne = px.Ligne(y);
            for (int x = 0; x < l; ++x) {
                const size_t i = size_t(y) * l + x;
                if (!dehors[i] && m.v[i] < 0.5f && bord[i] > chrome.epaisseur + 0.5 * F)
                    ligne[x] = 0;
            }
        }
    }
    cairo_surface_flush(toile.surface);
    // Boxed down: each pixel the mean of its F x F samples.
    Toile petite(l0, h0);
    {
        const unsigned char* src = cairo_image_surface_get_data(toile.surface);
        const int ps = cairo_image_surface_get_stride(toile.surface);
        AccesPixels px(&petite);
        for (int y = 0; y < h0; ++y) {
            uint32_t* ligne = px.Ligne(y);
            for (int x = 0; x < l0; ++x) {
                uint32_t somme[4] = {0, 0, 0, 0};
                for (int j = 0; j < F; ++j) {
                    const uint32_t* s =
                        reinterpret_cast<const uint32_t*>(src + size_t(y * F + j) * ps) + x * F;
                    for (int i = 0; i < F; ++i)
                        for (int c = 0; c < 4; ++c) somme[c] += (s[i] >> (8 * c)) & 0xFFu;
                }
                // A pixel touched by a single sample stays black, so that the
                // rim keeps its width over the stars.
                uint32_t v = 0;
                for (int c = 0; c < 4; ++c) v |= ((somme[c] + F * F / 2) / (F * F)) << (8 * c);
                ligne[x] = somme[3] > 255u * 3 / 2 ? v : 0u;
            }
        }
    }
    cairo_save(cr);
    cairo_set_source_surface(cr, petite.surface, cx - l0 / 2.0, cy - mot.y - hauteur / 2);
    cairo_paint(cr);
    cairo_restore(cr);
}

}  // namespace

int DernierDecalageDefilement(int hauteur) {
    // The crawl shows image rows offset .. offset + 479, the offset growing by
    // 3 while it is below hauteur - 480.
    return hauteur > 480 ? 3 * ((hauteur - 480 + 2) / 3 - 1) : 0;
}

namespace {

void DessineTexteFinal(Recueil* recueil) {
    const int l = 640, h = 5880;
    Toile toile(l, h);
    cairo_t* cr = toile.cr;
    cairo_font_face_t* police = Police(kPoliceAffiche);
    // The farewell rests in the middle of the held last frame, where the
    // crawl's span is some 380 pixels wide; the lines before it rise in from
    // just below the first screenful and leave a screen's gap above it.
    const int n = int(sizeof kTexte / sizeof kTexte[0]);
    const double adieuMilieu = DernierDecalageDefilement(h) + 250;
    const double adieuHauteur = 150;
    const double debut = 520, fin = adieuMilieu - adieuHauteur / 2 - 320;
    double unites = 0;
    for (int i = 0; i + 1 < n; ++i)
        unites += kTexte[i][0] == '#' ? 2.2 : (kTexte[i][0] ? 1.0 : 0.9);
    const double pas = (fin - debut) / unites;
    // One size for every body line, so that the type shrinks steadily with
    // the distance: the size at which the longest line still fits.
    double corps = std::min(64.0, pas * 0.78);
    for (int i = 0; i + 1 < n; ++i)
        if (kTexte[i][0] && kTexte[i][0] != '#')
            corps = std::min(
                corps, TailleLigne(cr, police, corps, kTexte[i], (l - 40) / kEtirementDefilement));
    double y = debut;
    for (int i = 0; i < n; ++i) {
        const bool titre = kTexte[i][0] == '#';
        const bool adieu = i + 1 == n;
        const char* ligne = titre ? kTexte[i] + 1 : kTexte[i];
        double hauteurLigne = titre ? 2.2 * pas : (ligne[0] ? pas : 0.9 * pas);
        if (adieu) {
            y = adieuMilieu - adieuHauteur / 2;
            hauteurLigne = adieuHauteur;
        }
        if (adieu) {
            PeintAdieu(cr, ligne, l / 2.0, y + hauteurLigne / 2, hauteurLigne);
        } else if (ligne[0]) {
            const double taille = titre ? std::min(130.0, pas * 1.7) : corps;
            // The poster face is condensed: the crawl narrows the far rows
            // to a fifth of their width, where its stems would break into
            // slivers. The lines are drawn widened, their stems with them.
            const double etirement = titre ? 1.0 : kEtirementDefilement;
            cairo_save(cr);
            cairo_translate(cr, l / 2.0, 0);
            cairo_scale(cr, etirement, 1);
            cairo_translate(cr, -l / 2.0, 0);
            double largeur = 0, encre = 0;
            if (titre) {
                CheminTexteCentre(cr, police, taille, ligne, l / 2.0, y + hauteurLigne / 2,
                                  &largeur, &encre);
                if (largeur > l - 40) {
                    cairo_new_path(cr);
                    const double t = TailleAjustee(cr, police, ligne, l - 40, taille);
                    CheminTexteCentre(cr, police, t, ligne, l / 2.0, y + hauteurLigne / 2, nullptr,
                                      &encre);
                }
            } else {
                CheminLigneEspacee(cr, police, taille, ligne, l / 2.0, y + hauteurLigne / 2,
                                   (l - 40) / etirement, kMargeContour, &encre);
            }
            cairo_restore(cr);
            const double milieu = y + hauteurLigne / 2;
            PeintLettre(cr, milieu - encre / 2, milieu + encre / 2, titre);
        }
        y += hauteurLigne;
    }
    Finition f;
    f.cle = Cle::Noir;
    recueil->images.push_back(Finit(toile, "GenSW", f));
}

// The ringed planet of the crawl's background, in the upper right corner
// where the narrow top of the crawl leaves the sky free. Screen axes: x right,
// y down, z towards the viewer. The planet's pole leans back and to the
// left, so the ring's near arc crosses the lower face and its far arc passes
// behind the upper half.
constexpr double kPlaneteX = 552, kPlaneteY = 72, kPlaneteR = 42;
constexpr double kAnneauInterieur = 1.3, kAnneauExterieur = 2.05;  // in planet radii

struct Vecteur {
    double x, y, z;
};
double Scalaire(Vecteur a, Vecteur b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vecteur Unitaire(Vecteur v) {
    const double n = std::sqrt(Scalaire(v, v));
    return {v.x / n, v.y / n, v.z / n};
}

// The pole: 17 degrees out of the screen's plane, the ring turned by -0.18 rad,
// so that its near arc stays below the centre all across the face.
Vecteur Pole() {
    const double e = 17 * M_PI / 180, psi = -0.18;
    const Vecteur a = {0, -std::cos(e), std::sin(e)};
    return {a.x * std::cos(psi) - a.y * std::sin(psi), a.x * std::sin(psi) + a.y * std::cos(psi),
            a.z};
}

// Light of the nebula's star, from the upper right and in front, high
// enough over the ring's plane that the ring's shadow falls as a band across
// the lit face just above its near arc.
Vecteur Lumiere() {
    return Unitaire({0.76, -0.6, 0.3});
}

// Opacity of the ring at r planet radii: bands of dust and ice with a dark
// division and faint ringlets.
double OpaciteAnneau(double r) {
    if (r < kAnneauInterieur || r > kAnneauExterieur) return 0;
    const double t = (r - kAnneauInterieur) / (kAnneauExterieur - kAnneauInterieur);
    double o = 0.35 + 0.45 * std::sin(t * M_PI * 0.9 + 0.2);
    if (t > 0.6 && t < 0.68) o *= 0.12;  // the division
    if (t > 0.86 && t < 0.89) o *= 0.4;
    o *= 0.82 + 0.18 * std::sin(r * 160.0) * std::sin(r * 37.0);
    return std::clamp(o, 0.0, 1.0);
}

Couleur TeinteAnneau(double r) {
    const double t = (r - kAnneauInterieur) / (kAnneauExterieur - kAnneauInterieur);
    return Melange(Rvb(190, 150, 120), Rvb(255, 226, 176), 0.5 + 0.5 * std::sin(t * 9.0));
}

// Does the ray from p towards the light meet the planet?
bool DansOmbrePlanete(Vecteur p, Vecteur l) {
    const double b = Scalaire(p, l), c = Scalaire(p, p) - kPlaneteR * kPlaneteR;
    return b < 0 && b * b - c > 0;
}

// Colour and coverage of one sample at (dx, dy) from the planet's centre:
// the planet's banded sphere under its terminator, the ring in front of it or
// beside it, their shadows on each other. avecAnneau false leaves the ring's
// own pixels out (its shadow stays). False where the sample is empty sky.
bool Echantillon(double dx, double dy, bool avecAnneau, Couleur* c, double* couverture) {
    const Vecteur pole = Pole(), l = Lumiere();
    bool touche = false;
    Couleur couleur = {0, 0, 0};
    double alpha = 0;
    double zPlanete = -1e9;
    const double d2 = dx * dx + dy * dy;
    if (d2 <= kPlaneteR * kPlaneteR) {
        const double z = std::sqrt(kPlaneteR * kPlaneteR - d2);
        zPlanete = z;
        const Vecteur n = {dx / kPlaneteR, dy / kPlaneteR, z / kPlaneteR};
        const double latitude = std::asin(std::clamp(Scalaire(n, pole), -1.0, 1.0));
        // Longitude round the pole: from the ring's long axis (the pole
        // turned a quarter in the screen's plane) and the axis between the two.
        const Vecteur e1 = Unitaire({pole.y, -pole.x, 0});
        const Vecteur e2 = {pole.y * e1.z - pole.z * e1.y, pole.z * e1.x - pole.x * e1.z,
                            pole.x * e1.y - pole.y * e1.x};
        const double longitude = std::atan2(Scalaire(n, e2), Scalaire(n, e1));
        // Bands of cloud along the parallels, so that they lie in the ring's
        // plane: the turbulence stretched far along the longitude and kept
        // weak, only wavering their edges.
        const double remous = Fractal(longitude * 0.9, latitude * 14.0, 4, 81) - 0.5;
        const double b = latitude * 7.5 + remous * 0.3;
        const double bande = 0.5 + 0.5 * std::sin(b * 2.0) * std::cos(b * 0.7 + 1.3);
        Couleur surface = Melange(Rvb(122, 52, 48), Rvb(236, 176, 108), bande);
        surface = Melange(surface, Rvb(255, 236, 200),
                          0.5 * std::pow(std::max(0.0, std::sin(b * 3.1)), 6));
        surface = Melange(surface, palette::kMagenta, 0.12 * std::max(0.0, -std::sin(b * 1.3)));
        // The terminator: a soft edge between day and night.
        const double eclaire = Scalaire(n, l);
        double lumiere = std::clamp((eclaire + 0.04) / 0.34, 0.0, 1.0);
        lumiere = lumiere * lumiere * (3 - 2 * lumiere);
        // The ring's shadow on the face.
        const Vecteur p = {dx, dy, z};
        const double lp = Scalaire(l, pole);
        if (std::fabs(lp) > 1e-6) {
            const double t = -Scalaire(p, pole) / lp;
            if (t > 0) {
                const Vecteur q = {p.x + t * l.x, p.y + t * l.y, p.z + t * l.z};
                lumiere *= 1.0 - 0.85 * OpaciteAnneau(std::sqrt(Scalaire(q, q)) / kPlaneteR);
            }
        }
        const Couleur nuit = Melange(Rvb(10, 6, 26), palette::kViolet, 0.35 * (1 - n.z));
        couleur = Melange(nuit, surface, 0.06 + 0.94 * lumiere);
        // A thin cyan haze on the lit limb.
        const double limbe = std::pow(1 - n.z, 3.0) * std::clamp(eclaire + 0.3, 0.0, 1.0);
        couleur = Melange(couleur, palette::kCyan, std::min(0.8, limbe * 1.4));
        alpha = 1;
        touche = true;
    }
    // The ring: where the view ray meets the ring's plane, unless the planet
    // stands in front of that point.
    if (avecAnneau && std::fabs(pole.z) > 1e-6) {
        const double z = -(pole.x * dx + pole.y * dy) / pole.z;
        const Vecteur q = {dx, dy, z};
        const double r = std::sqrt(Scalaire(q, q)) / kPlaneteR;
        const double o = OpaciteAnneau(r);
        if (o > 0 && z > zPlanete) {
            Couleur anneau = TeinteAnneau(r);
            if (DansOmbrePlanete(q, l)) anneau = Melange(anneau, Rvb(16, 8, 30), 0.88);
            // Over the globe the near arc is drawn nearly solid, its edges
            // darkened, so that it plainly crosses in front of the face.
            if (touche) {
                const double bord =
                    std::min(r - kAnneauInterieur, kAnneauExterieur - r) * kPlaneteR;
                anneau = Melange(anneau, Rvb(40, 16, 50), std::clamp(1.6 - bord, 0.0, 0.7));
            }
            couleur = touche ? Melange(couleur, anneau, std::min(1.0, 0.35 + 0.9 * o)) : anneau;
            alpha = touche ? 1.0 : o;
            touche = true;
        }
    }
    *c = couleur;
    *couverture = alpha;
    return touche;
}

// The sky: a nebula of violet and magenta with cyan in its bright folds,
// dust lanes, stars of several sizes, a moon and the ringed planet.
ImageForgee DessineEspace(bool avecAnneau) {
    Toile toile(640, 480);
    cairo_t* cr = toile.cr;
    {
        AccesPixels px(&toile);
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                const double wx = x / 150.0 + 1.2 * Fractal(x / 220.0, y / 220.0, 3, 61);
                const double wy = y / 150.0 + 1.2 * Fractal(x / 220.0 + 7, y / 220.0, 3, 62);
                const double v = Fractal(wx, wy, 5, 63);
                // The nebula lies along a band from the upper left to the right.
                const double bande = std::exp(-std::pow((y - 0.35 * x - 90) / 150.0, 2));
                const double d = std::clamp((v - 0.38) * 2.2, 0.0, 1.0) * bande;
                const double poussiere =
                    std::clamp((Fractal(x / 60.0, y / 60.0, 4, 64) - 0.55) * 4, 0.0, 1.0);
                Couleur c =
                    Melange(Rvb(4, 2, 14), palette::kNuit, std::clamp(1.0 - y / 480.0, 0.0, 1.0));
                c = Melange(c, palette::kViolet, d * 0.9);
                c = Melange(c, Melange(palette::kMagenta, Rvb(0, 0, 0), 0.35), d * d * 0.7);
                c = Melange(c, palette::kCyan, std::pow(d, 4.0) * 0.55);
                c = Melange(c, Rvb(4, 2, 10), poussiere * bande * 0.6);
                // A glowing cloud of gas low on the left: magenta filaments
                // round a hot pink heart, turning cyan where they are hottest.
                const double fx = (x - 150) / 150.0, fy = (y - 330) / 95.0;
                const double lobe = std::exp(-(fx * fx + fy * fy) * 0.9);
                const double fil = Fractal(wx * 1.6 + 3, wy * 1.6, 5, 65);
                const double gaz = std::clamp((fil - 0.38) * 3.5, 0.0, 1.0) * lobe;
                c = Melange(c, Melange(palette::kMagenta, palette::kViolet, 0.25), gaz * 0.85);
                c = Melange(c, Rvb(255, 120, 220), std::pow(gaz, 3.0) * 0.55);
                c = Melange(c, palette::kCyan, std::pow(gaz, 5.0) * 0.3);
                // The planet's glow: its lit haze spreads magenta into the
                // sky round it, violet further out.
                const double halo = std::exp(
                    -std::max(0.0, std::hypot(x - kPlaneteX, y - kPlaneteY) - kPlaneteR) / 110.0);
                c = Melange(c, Melange(palette::kViolet, palette::kMagenta, halo), halo * 0.6);
                px.Ecrit(x, y, c);
            }
        }
    }
    Alea alea(GraineDe("FondSW"));
    // A far spiral galaxy, tilted, in the upper left: a warm core and two
    // arms of blue stars.
    {
        AccesPixels px(&toile);
        const double gx = 104, gy = 78, inclinaison = 0.45, angle = -0.5;
        for (int y = 10; y < 150; ++y)
            for (int x = 10; x < 200; ++x) {
                const double dx = x + 0.5 - gx, dy = y + 0.5 - gy;
                const double u = dx * std::cos(angle) + dy * std::sin(angle);
                const double v = (-dx * std::sin(angle) + dy * std::cos(angle)) / inclinaison;
                const double r = std::hypot(u, v) / 62.0;
                if (r > 1.3) continue;
                const double theta = std::atan2(v, u);
                const double bras =
                    std::pow(0.5 + 0.5 * std::cos(2 * theta - 7.0 * std::log(r + 0.05)), 3.0);
                const double disque = std::exp(-r * 3.2);
                const double coeur = std::exp(-r * r * 60.0);
                const double grain = Fractal(x / 3.0, y / 3.0, 2, 66);
                const double a = std::clamp(
                    disque * (0.25 + 0.75 * bras) * (0.6 + 0.8 * grain) * 1.1 + coeur, 0.0, 1.0);
                const Couleur t = Melange(Rvb(150, 190, 255), Rvb(255, 220, 160),
                                          std::min(1.0, coeur * 2 + disque * 0.3));
                px.Pose(x, y, t, a);
            }
    }
    Etoiles(cr, &alea, 0, 0, 640, 480, 900, Rvb(150, 160, 255), 0.3);
    Etoiles(cr, &alea, 0, 0, 640, 480, 600, Rvb(170, 180, 255), 0.5);
    Etoiles(cr, &alea, 0, 0, 640, 480, 160, Rvb(255, 220, 190), 0.8);
    Etoiles(cr, &alea, 0, 0, 640, 480, 40, Rvb(160, 240, 255), 1.0);
    // A cluster thickening along the nebula's band.
    for (int i = 0; i < 160; ++i) {
        const double t = alea.Uniforme();
        const double x = t * 640, y = 0.35 * x + 90 + alea.Gauss() * 45;
        Etoiles(cr, &alea, x - 2, y - 2, 4, 4, 1, Rvb(200, 200, 255), 0.45);
    }
    // A few bright stars with long spikes and a coloured halo, in the
    // title's accents.
    const Couleur teintes[] = {palette::kCyan, palette::kAmbre, Rvb(255, 120, 220), {1, 1, 1}};
    const double heros[][3] = {{58, 212, 1.0},  {236, 38, 0.8}, {318, 150, 0.7}, {612, 300, 0.9},
                               {452, 236, 0.6}, {20, 420, 0.7}, {604, 448, 0.6}, {180, 180, 0.5}};
    int n = 0;
    for (const auto& h : heros) {
        const Couleur t = teintes[n++ % 4];
        const double x = h[0], y = h[1], k = h[2];
        cairo_pattern_t* halo = cairo_pattern_create_radial(x, y, 0, x, y, 14 * k);
        cairo_pattern_add_color_stop_rgba(halo, 0, 1, 1, 1, 1);
        cairo_pattern_add_color_stop_rgba(halo, 0.12, t.r, t.g, t.b, 0.8);
        cairo_pattern_add_color_stop_rgba(halo, 0.4, t.r, t.g, t.b, 0.22);
        cairo_pattern_add_color_stop_rgba(halo, 1, t.r, t.g, t.b, 0);
        cairo_set_source(cr, halo);
        cairo_arc(cr, x, y, 14 * k, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(halo);
        for (int r = 0; r < 4; ++r) {
            const double a = r * M_PI / 2 + 0.12, l = (r % 2 ? 16 : 26) * k;
            cairo_pattern_t* rai = cairo_pattern_create_radial(x, y, 0, x, y, l);
            cairo_pattern_add_color_stop_rgba(rai, 0, 1, 1, 1, 0.9);
            cairo_pattern_add_color_stop_rgba(rai, 0.3, t.r, t.g, t.b, 0.5);
            cairo_pattern_add_color_stop_rgba(rai, 1, t.r, t.g, t.b, 0);
            cairo_set_source(cr, rai);
            cairo_move_to(cr, x - std::sin(a) * 0.8, y + std::cos(a) * 0.8);
            cairo_line_to(cr, x + std::cos(a) * l, y + std::sin(a) * l);
            cairo_line_to(cr, x + std::sin(a) * 0.8, y - std::cos(a) * 0.8);
            cairo_close_path(cr);
            cairo_fill(cr);
            cairo_pattern_destroy(rai);
        }
    }
    // A small moon beside the planet, lit from the same side.
    {
        const double mx = 452, my = 22, mr = 9;
        cairo_pattern_t* p = cairo_pattern_create_radial(mx + 4, my - 4, 1, mx, my, mr);
        cairo_pattern_add_color_stop_rgb(p, 0, 0.86, 0.84, 0.9);
        cairo_pattern_add_color_stop_rgb(p, 0.6, 0.45, 0.4, 0.55);
        cairo_pattern_add_color_stop_rgb(p, 1, 0.1, 0.06, 0.2);
        cairo_set_source(cr, p);
        cairo_arc(cr, mx, my, mr, 0, 2 * M_PI);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }
    // The planet and its ring, three by three samples a pixel.
    {
        AccesPixels px(&toile);
        const int x0 = std::max(0, int(kPlaneteX - kAnneauExterieur * kPlaneteR) - 2);
        const int x1 = std::min(639, int(kPlaneteX + kAnneauExterieur * kPlaneteR) + 2);
        const int y0 = std::max(0, int(kPlaneteY - kPlaneteR * 1.3) - 2);
        const int y1 = std::min(479, int(kPlaneteY + kPlaneteR * 1.3) + 2);
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                double r = 0, g = 0, b = 0, a = 0;
                for (int j = 0; j < 3; ++j) {
                    for (int i = 0; i < 3; ++i) {
                        Couleur c;
                        double o;
                        if (!Echantillon(x + (i + 0.5) / 3 - kPlaneteX,
                                         y + (j + 0.5) / 3 - kPlaneteY, avecAnneau, &c, &o))
                            continue;
                        r += c.r * o;
                        g += c.g * o;
                        b += c.b * o;
                        a += o;
                    }
                }
                if (a <= 0) continue;
                px.Pose(x, y, {r / a, g / a, b / a}, a / 9);
            }
        }
    }
    Finition f;
    return Finit(toile, "FondSW", f);
}

}  // namespace

Disque PlaneteEspace() {
    return {kPlaneteX, kPlaneteY, kPlaneteR};
}

ImageForgee EspaceDefilement(bool avecAnneau) {
    return DessineEspace(avecAnneau);
}

void DessineDefilement(Recueil* recueil) {
    DessineTexteFinal(recueil);
    recueil->images.push_back(DessineEspace(true));
}

}  // namespace forge
