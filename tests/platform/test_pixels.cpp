// The direct pixel routines: the scaled row copy's mapping and clipping, the
// 16-bit plot and read at the picture's edges, the plot at any depth, and the
// placement of a whole picture.
#include <gtest/gtest.h>

#include <vector>

#include "outils_tests.h"

namespace {

constexpr Uint16 kFond = 0x1234;  // the target's colour before a copy

// Pixel of the motif picture at a linear index (row × width + column).
Uint16 Lineaire(StructImage_t* image, int index) {
    return Pixels(image)[index];
}

struct CopieLigneZoomTest : testing::Test {
    ImageTest source = CreeImageTest(640, 480);
    ImageTest cible = CreeImageTest(640, 480, kFond);
    void SetUp() override { RemplitMotif(source.get()); }
    // Every pixel of the target outside row `row` still holds the background.
    void AttendAutresLignesIntactes(int row) {
        for (int y = 0; y < 480; ++y) {
            if (y == row) continue;
            for (int x = 0; x < 640; ++x)
                ASSERT_EQ(Pixel(cible.get(), x, y), kFond) << x << "," << y;
        }
    }
};

TEST_F(CopieLigneZoomTest, FullRowSamplesOnePixelAheadAndEndsOnTheNextRow) {
    CopieLigneZoom(0, 10, 640, 10, source.get(), 0, 5, 640, cible.get());
    for (int c = 0; c < 640; ++c) {
        ASSERT_EQ(Pixel(cible.get(), c, 5), Lineaire(source.get(), 10 * 640 + c + 1)) << c;
    }
    // The last sample is the first pixel of source row 11.
    EXPECT_EQ(Pixel(cible.get(), 639, 5), Pixel(source.get(), 0, 11));
    AttendAutresLignesIntactes(5);
}

TEST_F(CopieLigneZoomTest, SqueezedSpanStepsByTheTruncatedFixedPointStep) {
    CopieLigneZoom(0, 10, 640, 10, source.get(), 100, 5, 440, cible.get());
    // 640 / 440 in 16.16 is 95325 once truncated.
    for (int k = 0; k < 440; ++k) {
        const int colonne = static_cast<int>((static_cast<long long>(k + 1) * 95325) >> 16);
        ASSERT_EQ(Pixel(cible.get(), 100 + k, 5), Pixel(source.get(), colonne, 10)) << k;
    }
    // The truncated step stops just short of the end point: the last sample
    // is column 639 of row 10, not the next row's first pixel.
    EXPECT_EQ(Pixel(cible.get(), 539, 5), Pixel(source.get(), 639, 10));
    for (int x = 0; x < 100; ++x) EXPECT_EQ(Pixel(cible.get(), x, 5), kFond) << x;
    for (int x = 540; x < 640; ++x) EXPECT_EQ(Pixel(cible.get(), x, 5), kFond) << x;
    AttendAutresLignesIntactes(5);
}

TEST_F(CopieLigneZoomTest, LeftClipDropsSamplesWithoutShiftingTheMapping) {
    CopieLigneZoom(0, 10, 640, 10, source.get(), -20, 7, 640, cible.get());
    // Column 0 takes the 21st sample, which is source column 21.
    for (int c = 0; c < 620; ++c) {
        ASSERT_EQ(Pixel(cible.get(), c, 7), Lineaire(source.get(), 10 * 640 + c + 21)) << c;
    }
    for (int c = 620; c < 640; ++c) EXPECT_EQ(Pixel(cible.get(), c, 7), kFond) << c;
    AttendAutresLignesIntactes(7);
}

TEST_F(CopieLigneZoomTest, RightClipShortensTheRunButKeepsTheStep) {
    // 100 samples requested from column 600: only 40 fit, each one source
    // column apart (the step of 100 samples over 100 columns).
    CopieLigneZoom(0, 3, 100, 3, source.get(), 600, 9, 100, cible.get());
    for (int k = 0; k < 40; ++k) {
        ASSERT_EQ(Pixel(cible.get(), 600 + k, 9), Pixel(source.get(), k + 1, 3)) << k;
    }
    AttendAutresLignesIntactes(9);
}

TEST_F(CopieLigneZoomTest, NothingDrawnForNoSamplesOrARowOutsideTheTarget) {
    CopieLigneZoom(0, 10, 640, 10, source.get(), 0, 5, 0, cible.get());
    CopieLigneZoom(0, 10, 640, 10, source.get(), 0, -1, 640, cible.get());
    CopieLigneZoom(0, 10, 640, 10, source.get(), 0, 480, 640, cible.get());
    CopieLigneZoom(0, 10, 640, 10, source.get(), 640, 5, 640, cible.get());
    AttendAutresLignesIntactes(-1);
}

TEST_F(CopieLigneZoomTest, BlackSourcePixelsAreTransparent) {
    for (int x = 0; x < 640; x += 2) FixePixel(source.get(), x, 10, 0);
    CopieLigneZoom(0, 10, 640, 10, source.get(), 0, 5, 640, cible.get());
    for (int c = 0; c < 639; ++c) {
        // Target column c shows source column c + 1: black on odd columns.
        const Uint16 attendu = (c + 1) % 2 == 0 ? kFond : Pixel(source.get(), c + 1, 10);
        ASSERT_EQ(Pixel(cible.get(), c, 5), attendu) << c;
    }
}

TEST_F(CopieLigneZoomTest, SamplesOutsideTheSourcePixelsAreSkipped) {
    // A two-row source: sampling its last row up to column 640 would read
    // the word after the picture; a segment above the picture reads before it.
    ImageTest petite = CreeImageTest(640, 2, 0x0F0F);
    CopieLigneZoom(0, 1, 640, 1, petite.get(), 0, 5, 640, cible.get());
    for (int c = 0; c < 639; ++c) ASSERT_EQ(Pixel(cible.get(), c, 5), 0x0F0F) << c;
    EXPECT_EQ(Pixel(cible.get(), 639, 5), kFond);

    CopieLigneZoom(0, -3, 640, -3, petite.get(), 0, 6, 640, cible.get());
    for (int c = 0; c < 640; ++c) ASSERT_EQ(Pixel(cible.get(), c, 6), kFond) << c;
}

TEST_F(CopieLigneZoomTest, SlantedSegmentStepsBothCoordinates) {
    // From (0, 0) to (64, 128) over 64 samples: sample k + 1 is at (k + 1, 2k + 2).
    CopieLigneZoom(0, 0, 64, 128, source.get(), 0, 0, 64, cible.get());
    for (int k = 0; k < 64; ++k) {
        ASSERT_EQ(Pixel(cible.get(), k, 0), Pixel(source.get(), k + 1, 2 * k + 2)) << k;
    }
}

TEST(Pixel16, ReadAndWriteInsideOnlyAndAtTheLastPixel) {
    ImageTest image = CreeImageTest(10, 6, 0x0101);
    PutPixel16(image.get(), 9, 5, 0xBEEF);
    EXPECT_EQ(Pixel(image.get(), 9, 5), 0xBEEF);
    EXPECT_EQ(GetPixel16(image.get(), 9, 5), 0xBEEF);
    PutPixel16(image.get(), 0, 0, 0xCAFE);
    EXPECT_EQ(GetPixel16(image.get(), 0, 0), 0xCAFE);

    EXPECT_EQ(GetPixel16(image.get(), 10, 0), 0);
    EXPECT_EQ(GetPixel16(image.get(), 0, 6), 0);
    // Out of range writes touch nothing: (10, 0) would land on (0, 1), and
    // (0, 6) past the end of the picture.
    PutPixel16(image.get(), 10, 0, 0xDEAD);
    PutPixel16(image.get(), 0, 6, 0xDEAD);
    PutPixel16(image.get(), 3, 6, 0xDEAD);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 10; ++x) EXPECT_NE(Pixel(image.get(), x, y), 0xDEAD) << x << "," << y;
    }
    EXPECT_EQ(Pixel(image.get(), 0, 1), 0x0101);
}

// A surface over caller-owned memory with guard bytes after its pixels, so a
// write past the surface shows up in the guard.
struct SurfaceGardee {
    std::vector<Uint8> memoire;
    SDL_Surface* surface = nullptr;
    StructImage_t image{};
    SurfaceGardee(int w, int h, int bpp) : memoire(static_cast<size_t>(w * h * (bpp / 8)) + 64, 0) {
        surface = SDL_CreateRGBSurfaceFrom(memoire.data(), w, h, bpp, w * (bpp / 8), 0, 0, 0, 0);
        image = StructImage_t{static_cast<Uint16>(w), static_cast<Uint16>(h),
                              static_cast<Uint8>(bpp / 8), surface,
                              SDL_Rect{0, 0, static_cast<Uint16>(w), static_cast<Uint16>(h)}};
    }
    ~SurfaceGardee() { SDL_FreeSurface(surface); }
    bool GardeIntacte() const {
        for (size_t i = memoire.size() - 64; i < memoire.size(); ++i) {
            if (memoire[i] != 0) return false;
        }
        return true;
    }
};

TEST(PutPixelRVB, PlotsAtEveryDepthAndKeysThePlottedColour) {
    for (int bpp : {8, 16, 32}) {
        SCOPED_TRACE(bpp);
        SurfaceGardee s(8, 4, bpp);
        ASSERT_NE(s.surface, nullptr);
        if (bpp == 8) {
            // A grey ramp, so white is the last entry of the palette.
            SDL_Color gris[256];
            for (int i = 0; i < 256; ++i) {
                gris[i] = SDL_Color{static_cast<Uint8>(i), static_cast<Uint8>(i),
                                    static_cast<Uint8>(i), 0};
            }
            SDL_SetColors(s.surface, gris, 0, 256);
        }
        PutPixelRVB(&s.image, 3, 2, 255, 255, 255);
        const Uint32 blanc = SDL_MapRGB(s.surface->format, 255, 255, 255);
        const Uint8* p = s.memoire.data() + 2 * s.surface->pitch + 3 * (bpp / 8);
        Uint32 lu = 0;
        if (bpp == 8) lu = *p;
        if (bpp == 16) lu = *reinterpret_cast<const Uint16*>(p);
        if (bpp == 32) lu = *reinterpret_cast<const Uint32*>(p);
        EXPECT_EQ(lu, blanc);
        EXPECT_NE(lu, 0u);
        EXPECT_TRUE(s.surface->flags & SDL_SRCCOLORKEY);
        EXPECT_EQ(s.surface->format->colorkey, blanc);
        // Nothing else was written.
        size_t nonNuls = 0;
        for (Uint8 octet : s.memoire) nonNuls += octet != 0;
        EXPECT_LE(nonNuls, static_cast<size_t>(bpp / 8));
    }
}

TEST(PutPixelRVB, PointsOutsideTheSurfaceWriteNothing) {
    SurfaceGardee s(8, 4, 16);
    PutPixelRVB(&s.image, 8, 3, 255, 0, 0);  // one past the last column of the last row
    PutPixelRVB(&s.image, 0, 4, 255, 0, 0);  // the row after the last
    PutPixelRVB(&s.image, 40, 9, 255, 0, 0);
    EXPECT_TRUE(s.GardeIntacte());
    for (size_t i = 0; i < s.memoire.size(); ++i) EXPECT_EQ(s.memoire[i], 0) << i;
}

TEST(PutPixelRVB, TwentyFourBitsWritesNothingAndSaysSo) {
    SurfaceGardee s(8, 4, 24);
    ASSERT_EQ(s.surface->format->BytesPerPixel, 3);
    testing::internal::CaptureStderr();
    PutPixelRVB(&s.image, 1, 1, 200, 100, 50);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Pas de PutPixel en 24 Bits car c'est trop lent \n");
    for (Uint8 octet : s.memoire) EXPECT_EQ(octet, 0);
}

TEST(AfficheImage, PlacesThePictureAndLeavesTheClippedRectInTheTarget) {
    ImageTest cible = CreeImageTest(64, 48, 0x1111);
    ImageTest image = CreeImageTest(10, 8, 0x2222);
    FixePixel(image.get(), 0, 0, 0x3333);
    AfficheImage(image.get(), cible.get(), 5, 7);
    EXPECT_EQ(Pixel(cible.get(), 5, 7), 0x3333);
    EXPECT_EQ(Pixel(cible.get(), 14, 14), 0x2222);
    EXPECT_EQ(Pixel(cible.get(), 4, 7), 0x1111);
    EXPECT_EQ(Pixel(cible.get(), 15, 14), 0x1111);
    EXPECT_EQ(Pixel(cible.get(), 14, 15), 0x1111);
    EXPECT_EQ(cible->rect.x, 5);
    EXPECT_EQ(cible->rect.y, 7);
    EXPECT_EQ(cible->rect.w, 10);
    EXPECT_EQ(cible->rect.h, 8);

    // Past the right and bottom edges SDL writes back the clipped size.
    AfficheImage(image.get(), cible.get(), 60, 44);
    EXPECT_EQ(Pixel(cible.get(), 63, 47), 0x2222);
    EXPECT_EQ(cible->rect.w, 4);
    EXPECT_EQ(cible->rect.h, 4);
}

TEST(AfficheImage, HonoursThePictureColourKey) {
    ImageTest cible = CreeImageTest(16, 16, 0x1111);
    ImageTest image = CreeImageTest(4, 4, 0xFFFF);
    FixePixel(image.get(), 1, 1, 0x07E0);
    SDL_SetColorKey(image->surface, SDL_SRCCOLORKEY, 0xFFFF);
    AfficheImage(image.get(), cible.get(), 2, 2);
    EXPECT_EQ(Pixel(cible.get(), 3, 3), 0x07E0);
    EXPECT_EQ(Pixel(cible.get(), 2, 2), 0x1111);
}

}  // namespace
