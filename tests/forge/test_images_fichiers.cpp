// The forge's files: every picture written as an 8-bit RGB PNG of its size,
// byte-identical from one run to the next, and the contact sheet.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "test_images_commun.h"

namespace {

std::vector<unsigned char> Lit(const std::string& chemin) {
    std::ifstream f(chemin, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), {});
}

uint32_t Grand32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

std::string DossierTemporaire() {
    char modele[] = "/tmp/kazz_forge_XXXXXX";
    const char* d = mkdtemp(modele);
    return d ? d : "";
}

}  // namespace

TEST(ImagesFichiers, TwoRunsWriteByteIdenticalPngsOfTheCatalogueSizes) {
    const std::string a = DossierTemporaire(), b = DossierTemporaire();
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    std::string erreur;
    forge::Recueil premier, second;
    ASSERT_TRUE(forge::ForgeTout(&premier, &erreur)) << erreur;
    ASSERT_TRUE(forge::EcritRecueil(premier, a, &erreur)) << erreur;
    ASSERT_TRUE(forge::ForgeTout(&second, &erreur)) << erreur;
    ASSERT_TRUE(forge::EcritRecueil(second, b, &erreur)) << erreur;
    const forge::EntreeCatalogue* cat = forge::Catalogue();
    for (int i = 0; i < forge::kNombreImages; ++i) {
        const std::string nom = std::string("/Images/") + cat[i].nom + ".png";
        const std::vector<unsigned char> fa = Lit(a + nom), fb = Lit(b + nom);
        ASSERT_GT(fa.size(), 33u) << nom << " missing or empty";
        EXPECT_TRUE(fa == fb) << nom << " differs between two runs";
        static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
        EXPECT_TRUE(std::equal(kSignature, kSignature + 8, fa.begin())) << nom;
        // IHDR: width, height, 8 bits per channel, colour type 2 (RGB).
        EXPECT_EQ(std::string(fa.begin() + 12, fa.begin() + 16), "IHDR") << nom;
        EXPECT_EQ(Grand32(&fa[16]), uint32_t(cat[i].largeur)) << nom;
        EXPECT_EQ(Grand32(&fa[20]), uint32_t(cat[i].hauteur)) << nom;
        EXPECT_EQ(fa[24], 8) << nom;
        EXPECT_EQ(fa[25], 2) << nom;
        std::remove((a + nom).c_str());
        std::remove((b + nom).c_str());
    }
    // The contact sheet is written too, as a PNG.
    const std::string planche = a + "/planche.png";
    ASSERT_TRUE(forge::EcritPlanche(premier, planche, &erreur)) << erreur;
    const std::vector<unsigned char> p = Lit(planche);
    ASSERT_GT(p.size(), 1000u);
    EXPECT_EQ(std::string(p.begin() + 1, p.begin() + 4), "PNG");
    std::remove(planche.c_str());
    for (const std::string& d : {a, b}) {
        rmdir((d + "/Images").c_str());
        rmdir(d.c_str());
    }
}

TEST(ImagesFichiers, UnwritableFolderIsReportedNotCrashed) {
    forge::Recueil r;
    r.images.push_back(forge_test::Image("Cercle"));
    std::string erreur;
    EXPECT_FALSE(forge::EcritRecueil(r, "/proc/kazz_no_such_place", &erreur));
    EXPECT_NE(erreur.find("/proc/kazz_no_such_place"), std::string::npos) << erreur;
}

TEST(ImagesFichiersDeathTest, MissingFontEndsWithAMessageNamingTheFile) {
    EXPECT_EXIT(forge::Police("/nonexistent/kazz-font.ttf"), ::testing::ExitedWithCode(1),
                "/nonexistent/kazz-font.ttf: expected a TrueType font");
}
