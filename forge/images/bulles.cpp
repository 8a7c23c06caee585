// Bubbles pictures: the underwater scene, the three bubble displacement maps,
// the swirl that orders the closing dissolve, and the room the television
// sets stand in. Palette: teal and deep navy, handing over to warm amber.
#include <algorithm>
#include <cmath>
#include <vector>

#include "forge_images.h"

namespace forge {

namespace {

uint32_t Argb(Couleur c) {
    auto v = [](double x) { return uint32_t(std::clamp(x, 0.0, 1.0) * 255 + 0.5); };
    return 0xFF000000u | (v(c.r) << 16) | (v(c.g) << 8) | v(c.b);
}

Couleur LitArgb(uint32_t p) {
    return {((p >> 16) & 255) / 255.0, ((p >> 8) & 255) / 255.0, (p & 255) / 255.0};
}

void DessineFondMarin(Recueil* recueil) {
    Toile toile(640, 480);
    cairo_t* cr = toile.cr;
    DegradeVertical(cr, 640, 480,
                    {Rvb(70, 200, 210), Rvb(20, 120, 160), Rvb(8, 60, 110), Rvb(4, 24, 60)});

    // Caustics: interfering sine ripples, bright near the surface and still
    // drawn deep down, so that a bubble anywhere has light lines to bend.
    cairo_surface_flush(toile.surface);
    unsigned char* data = cairo_image_surface_get_data(toile.surface);
    const int pas = cairo_image_surface_get_stride(toile.surface);
    for (int y = 0; y < 480; ++y) {
        uint32_t* ligne = reinterpret_cast<uint32_t*>(data + size_t(y) * pas);
        const double att = 0.3 + 0.7 * std::exp(-y / 130.0);
        for (int x = 0; x < 640; ++x) {
            const double a = std::sin(x * 0.045 + std::sin(y * 0.06) * 2.1) +
                             std::sin(y * 0.07 + std::sin(x * 0.03) * 1.7) +
                             std::sin((x + y) * 0.025);
            const double c = std::pow(std::max(0.0, 1.0 - std::fabs(a) * 0.9), 4.0) * att;
            ligne[x] = Argb(Melange(LitArgb(ligne[x]), Rvb(220, 255, 250), c * 0.55));
        }
    }
    cairo_surface_mark_dirty(toile.surface);

    // Shafts of light from the surface, fanning downwards.
    Alea alea(GraineDe("Bulles"));
    for (int i = 0; i < 9; ++i) {
        const double x = alea.Entre(-40, 640), l = alea.Entre(12, 50);
        const double dx = alea.Entre(60, 160);
        cairo_move_to(cr, x, 0);
        cairo_line_to(cr, x + l, 0);
        cairo_line_to(cr, x + l + dx + 40, 480);
        cairo_line_to(cr, x + dx - 20, 480);
        cairo_close_path(cr);
        cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 0, 480);
        const double a = alea.Entre(0.08, 0.2);
        cairo_pattern_add_color_stop_rgba(p, 0, 0.85, 1, 1, a);
        cairo_pattern_add_color_stop_rgba(p, 0.8, 0.6, 0.9, 1, 0);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }

    // A kelp forest far behind: tall dim strands swaying up to mid-water.
    for (int i = 0; i < 22; ++i) {
        const double x = alea.Entre(-10, 650), h = alea.Entre(200, 330);
        const double phase = alea.Entre(0, 6.28), ampleur = alea.Entre(10, 26);
        const int n = 30;
        cairo_new_path(cr);
        for (int k = 0; k <= n; ++k) {
            const double t = double(k) / n;
            cairo_line_to(cr, x + ampleur * std::sin(t * 5 + phase) * t - (4 * (1 - t) + 1.5),
                          420 - h * t);
        }
        for (int k = n; k >= 0; --k) {
            const double t = double(k) / n;
            cairo_line_to(cr, x + ampleur * std::sin(t * 5 + phase) * t + (4 * (1 - t) + 1.5),
                          420 - h * t);
        }
        cairo_close_path(cr);
        cairo_set_source_rgba(cr, 0.02, 0.16, 0.2, alea.Entre(0.35, 0.6));
        cairo_fill(cr);
    }

    // Distant rocks, then the seabed dunes.
    cairo_move_to(cr, 0, 400);
    for (int x = 0; x <= 640; x += 20) {
        cairo_line_to(cr, x, 370 - 30 * std::sin(x * 0.012 + 1) - 18 * std::sin(x * 0.05));
    }
    cairo_line_to(cr, 640, 480);
    cairo_line_to(cr, 0, 480);
    cairo_close_path(cr);
    cairo_set_source_rgba(cr, 0.03, 0.14, 0.24, 0.8);
    cairo_fill(cr);
    cairo_move_to(cr, 0, 430);
    for (int x = 0; x <= 640; x += 10) {
        cairo_line_to(cr, x, 425 - 14 * std::sin(x * 0.015) - 6 * std::sin(x * 0.07 + 2));
    }
    cairo_line_to(cr, 640, 480);
    cairo_line_to(cr, 0, 480);
    cairo_close_path(cr);
    cairo_pattern_t* sable = cairo_pattern_create_linear(0, 405, 0, 480);
    cairo_pattern_add_color_stop_rgb(sable, 0, 0.55, 0.55, 0.42);
    cairo_pattern_add_color_stop_rgb(sable, 0.3, 0.32, 0.36, 0.32);
    cairo_pattern_add_color_stop_rgb(sable, 1, 0.1, 0.14, 0.18);
    cairo_set_source(cr, sable);
    cairo_fill(cr);
    cairo_pattern_destroy(sable);

    // Seaweed: tapered swaying strands in dark green.
    for (int i = 0; i < 16; ++i) {
        const double x = alea.Entre(0, 640), h = alea.Entre(60, 170);
        const double base = 440 + alea.Entre(-6, 20), phase = alea.Entre(0, 6.28);
        const int n = 24;
        cairo_new_path(cr);
        for (int k = 0; k <= n; ++k) {
            const double t = double(k) / n;
            const double w = 7 * (1 - t) + 1;
            cairo_line_to(cr, x + 14 * std::sin(t * 4 + phase) * t - w, base - h * t);
        }
        for (int k = n; k >= 0; --k) {
            const double t = double(k) / n;
            const double w = 7 * (1 - t) + 1;
            cairo_line_to(cr, x + 14 * std::sin(t * 4 + phase) * t + w, base - h * t);
        }
        cairo_close_path(cr);
        cairo_pattern_t* p = cairo_pattern_create_linear(x - 10, 0, x + 10, 0);
        cairo_pattern_add_color_stop_rgb(p, 0, 0.02, 0.2, 0.12);
        cairo_pattern_add_color_stop_rgb(p, 0.5, 0.12, 0.45, 0.25);
        cairo_pattern_add_color_stop_rgb(p, 1, 0.02, 0.18, 0.12);
        cairo_set_source(cr, p);
        cairo_fill(cr);
        cairo_pattern_destroy(p);
    }

    // Two small schools of fish far away.
    for (int i = 0; i < 26; ++i) {
        const bool gauche = i >= 14;
        const double x = (gauche ? 150 : 380) + alea.Entre(0, gauche ? 150 : 180);
        const double y = (gauche ? 95 : 150) + alea.Entre(0, gauche ? 60 : 80);
        const double s = alea.Entre(5, 9);
        cairo_move_to(cr, x, y);
        cairo_curve_to(cr, x + s, y - s * 0.6, x + 2 * s, y - s * 0.3, x + 2.6 * s, y);
        cairo_curve_to(cr, x + 2 * s, y + s * 0.3, x + s, y + s * 0.6, x, y);
        cairo_move_to(cr, x + 2.4 * s, y);
        cairo_line_to(cr, x + 3.3 * s, y - s * 0.5);
        cairo_line_to(cr, x + 3.3 * s, y + s * 0.5);
        cairo_close_path(cr);
        cairo_set_source_rgba(cr, 0.05, 0.2, 0.3, 0.75);
        cairo_fill(cr);
    }
    // Plankton specks.
    Etoiles(cr, &alea, 0, 0, 640, 440, 260, Rvb(200, 255, 240), 0.45);
    Finition f;
    f.grain = 2.5;
    recueil->images.push_back(Finit(toile, "Bulles", f));
}

// The shift the bubble routine reads from a blue field v of 0..31: half the
// blue value, the field widened to 0..255.
int DecalageDe(int v5) {
    return v5 * 255 / 31 / 2;
}

// The blue field whose shift is nearest to d.
int ChampDe(double d) {
    int meilleur = 0;
    for (int v = 1; v < 32; ++v) {
        if (std::fabs(DecalageDe(v) - d) < std::fabs(DecalageDe(meilleur) - d)) meilleur = v;
    }
    return meilleur;
}

// A bubble map: black outside the disc; inside, the blue channel of each pixel
// holds twice the shift of its left-hand neighbour, shaped like a glass ball:
// the picture behind is carried by dCentre in the middle, and the shift climbs
// ever faster towards the rim, up to dBord, where the glass bends hardest; red
// and green draw the bubble's sheen for the contact sheet.
void DessineCarteBulle(Recueil* recueil, const char* nom, int cote, double dCentre, double dBord) {
    std::vector<uint16_t> pixels(size_t(cote) * cote, 0);
    const double c = (cote - 1) / 2.0, rayon = cote / 2.0 - 0.5;
    auto rho2 = [&](int x, int y) {
        const double dx = (x - c) / rayon, dy = (y - c) / rayon;
        return dx * dx + dy * dy;
    };
    for (int y = 0; y < cote; ++y) {
        for (int x = 0; x < cote; ++x) {
            const double p2 = rho2(x, y);
            if (p2 > 1.0) continue;
            const double dx = (x - c) / rayon, dy = (y - c) / rayon;
            const double bord = std::pow(p2, 3.0);
            const double eclat = std::exp(-(std::pow(dx + 0.4, 2) + std::pow(dy + 0.45, 2)) * 18);
            const int r5 = std::clamp(int(4 + 20 * bord + 27 * eclat), 1, 31);
            const int g6 = std::clamp(int(10 + 44 * bord + 53 * eclat), 1, 63);
            int b5 = 0;
            if (x > 0 && rho2(x - 1, y) <= 1.0) {
                const double q2 = std::min(1.0, rho2(x - 1, y));
                const double d = dCentre + (dBord - dCentre) * (1.0 - std::sqrt(1.0 - q2));
                b5 = ChampDe(d);
            }
            pixels[size_t(y) * cote + x] = uint16_t((r5 << 11) | (g6 << 5) | b5);
        }
    }
    recueil->images.push_back(ImageDepuis565(nom, cote, cote, Cle::Aucune, pixels));
}

// The swirl: a grey spiral whose value orders the dissolve, dark first. Grey
// levels of the 5-6-5 grid only, and at most level 60 so that every value stays
// below the dissolve's last threshold.
void DessineTourbillon(Recueil* recueil) {
    std::vector<uint16_t> pixels(640 * 480);
    const double cx = 320, cy = 240, rmax = std::hypot(320.0, 240.0);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const double r = std::hypot(x - cx, y - cy) / rmax;
            const double a = std::atan2(y - cy, x - cx) / (2 * M_PI) + 0.5;
            // Three arms winding inwards; the centre dissolves first.
            double s = a * 3 + r * 2.2;
            s -= std::floor(s);
            const double v = std::clamp(0.55 * r + 0.45 * s, 0.0, 1.0);
            const int g6 =
                std::clamp(int(std::floor(v * 60 + SeuilTrame(x, y))), 0, kTourbillonMax);
            pixels[size_t(y) * 640 + x] = uint16_t(((g6 >> 1) << 11) | (g6 << 5) | (g6 >> 1));
        }
    }
    recueil->images.push_back(
        ImageDepuis565("DisparitionTourbillon", 640, 480, Cle::Aucune, pixels));
}

void DessinePiece(Recueil* recueil) {
    Toile toile(640, 480);
    cairo_t* cr = toile.cr;
    // Wallpaper: deep burgundy stripes with a gold diamond pattern.
    DegradeVertical(cr, 640, 480, {Rvb(60, 14, 20), Rvb(90, 26, 26), Rvb(50, 12, 18)});
    for (int x = 0; x < 640; x += 32) {
        cairo_rectangle(cr, x, 0, 14, 330);
    }
    cairo_set_source_rgba(cr, 0.0, 0.0, 0.0, 0.18);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, 0.85, 0.6, 0.25, 0.35);
    for (int y = 12; y < 330; y += 36) {
        for (int x = 23 + (y / 36 % 2) * 16; x < 640; x += 32) {
            cairo_move_to(cr, x, y - 6);
            cairo_line_to(cr, x + 4, y);
            cairo_line_to(cr, x, y + 6);
            cairo_line_to(cr, x - 4, y);
            cairo_close_path(cr);
        }
    }
    cairo_fill(cr);
    // A warm lamp glow in the middle of the room.
    cairo_pattern_t* lampe = cairo_pattern_create_radial(320, 240, 5, 320, 240, 300);
    cairo_pattern_add_color_stop_rgba(lampe, 0, 1.0, 0.85, 0.5, 0.75);
    cairo_pattern_add_color_stop_rgba(lampe, 0.3, 1.0, 0.6, 0.25, 0.3);
    cairo_pattern_add_color_stop_rgba(lampe, 1, 0.6, 0.2, 0.1, 0);
    cairo_set_source(cr, lampe);
    cairo_paint(cr);
    cairo_pattern_destroy(lampe);
    // Poster in the middle: a party flyer.
    cairo_save(cr);
    cairo_translate(cr, 320, 150);
    cairo_rotate(cr, -0.03);
    cairo_rectangle(cr, -60, -80, 120, 160);
    cairo_pattern_t* affiche = cairo_pattern_create_linear(0, -80, 0, 80);
    cairo_pattern_add_color_stop_rgb(affiche, 0, 0.1, 0.05, 0.3);
    cairo_pattern_add_color_stop_rgb(affiche, 1, 0.7, 0.15, 0.4);
    cairo_set_source(cr, affiche);
    cairo_fill(cr);
    cairo_pattern_destroy(affiche);
    cairo_set_source_rgb(cr, 1.0, 0.85, 0.3);
    cairo_font_face_t* texte = Police(kPoliceTexte);
    CheminTexteCentre(cr, texte, 20, "PARTY", 0, -45);
    CheminTexteCentre(cr, texte, 34, "2001", 0, 0);
    CheminTexteCentre(cr, texte, 11, "BRING YOUR COMPUTER", 0, 45);
    cairo_fill(cr);
    cairo_restore(cr);
    // Wainscot: wooden panels under a rail.
    cairo_pattern_t* bois = cairo_pattern_create_linear(0, 330, 0, 420);
    cairo_pattern_add_color_stop_rgb(bois, 0, 0.42, 0.24, 0.12);
    cairo_pattern_add_color_stop_rgb(bois, 1, 0.22, 0.11, 0.05);
    cairo_set_source(cr, bois);
    cairo_rectangle(cr, 0, 330, 640, 90);
    cairo_fill(cr);
    cairo_pattern_destroy(bois);
    cairo_set_line_width(cr, 2);
    for (int x = 10; x < 640; x += 80) {
        cairo_rectangle(cr, x, 344, 64, 62);
    }
    cairo_set_source_rgba(cr, 0.1, 0.04, 0.02, 0.6);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.7, 0.45, 0.22);
    cairo_rectangle(cr, 0, 326, 640, 6);
    cairo_fill(cr);
    // Floor boards in perspective.
    cairo_set_source_rgb(cr, 0.3, 0.16, 0.08);
    cairo_rectangle(cr, 0, 420, 640, 60);
    cairo_fill(cr);
    cairo_set_source_rgba(cr, 0.12, 0.05, 0.02, 0.7);
    cairo_set_line_width(cr, 1.2);
    for (int i = -16; i <= 16; ++i) {
        cairo_move_to(cr, 320 + i * 40, 420);
        cairo_line_to(cr, 320 + i * 70, 480);
    }
    cairo_stroke(cr);
    Finition f;
    f.grain = 3.0;
    recueil->images.push_back(Finit(toile, "Fond", f));
}

}  // namespace

void DessineBulles(Recueil* recueil) {
    DessineFondMarin(recueil);
    DessineCarteBulle(recueil, "SpriteBullesGros", 128, 28, 127);
    DessineCarteBulle(recueil, "SpriteBullesMoyen", 80, 24, 112);
    DessineCarteBulle(recueil, "SpriteBullesPetit", 48, 16, 96);
    DessineTourbillon(recueil);
    DessinePiece(recueil);
}

}  // namespace forge
