#include <gtest/gtest.h>

#include "media/picture_rules.h"
#include "media/shrink.h"

using namespace tellvaro::media;

TEST(PictureRules, KindsAndShrunkNames) {
  struct Case {
    const char* name;
    PictureKind kind;
    const char* shrunk;
  } cases[] = {
      {"Haus.jpeg", PictureKind::Jpeg, "Haus.jpg"},
      {"Haus.JPG", PictureKind::Jpeg, "Haus.jpg"},
      {"/bilder/alt/Foto.BMP", PictureKind::Bitmap, "Foto.jpg"},
      {"a.b.Gif", PictureKind::Gif, "a.b.jpg"},
      {"scan.png", PictureKind::Other, "scan.jpg"},
      {"README", PictureKind::Other, "README.jpg"},
      {".jpg", PictureKind::Other, ".jpg.jpg"},
      {"x.jpg.txt", PictureKind::Other, "x.jpg.jpg"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(kind_of(c.name), c.kind);
    EXPECT_EQ(shrunk_name(file_name_of(c.name)), c.shrunk);
  }
}

TEST(PictureRules, LimitBoundary) {
  EXPECT_FALSE(too_large(1000000));
  EXPECT_TRUE(too_large(1000001));
}

TEST(PictureRules, ScaleRoundsHalvesToEven) {
  struct Case {
    int side, percent, want;
  } cases[] = {{5, 90, 4},       {15, 90, 14},     {25, 90, 22}, {35, 90, 32},
               {3, 50, 2},       {5, 50, 2},       {7, 50, 4},   {6000, 90, 5400},
               {3024, 60, 1814}, {2016, 60, 1210}, {1, 40, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(scale_side(c.side, c.percent), c.want) << c.side << " x " << c.percent;
  }
}

TEST(PictureRules, PassSizesFollowThePreviousPass) {
  // 100 %, 90 %, 72 %, 50.4 %, 30.24 % ... of the loaded picture, each step rounded.
  const std::vector<Size> want = {{6000, 4000}, {5400, 3600}, {4320, 2880}, {3024, 2016},
                                  {1814, 1210}, {907, 605},   {363, 242},   {109, 73},
                                  {22, 15},     {2, 2}};
  EXPECT_EQ(pass_sizes({6000, 4000}), want);
  // A tiny picture runs out of pixels before the tenth pass (0.5 goes to 0).
  const std::vector<Size> tiny = {{3, 3}, {3, 3}, {2, 2}, {1, 1}, {1, 1}};
  EXPECT_EQ(pass_sizes({3, 3}), tiny);
}

TEST(PictureRules, PreviewFitKeepsProportionsAndNeverEnlarges) {
  struct Case {
    Size picture, want;
  } cases[] = {
      {{100, 50}, {100, 50}},                              // fits: unchanged
      {{177, 146}, {177, 146}},                            // exactly the box
      {{354, 146}, {177, 73}},                             // too wide
      {{177, 292}, {89, 146}},                             // too tall (88.5 rounds up)
      {{4000, 3000}, {177, 133}}, {{10000, 1}, {177, 1}},  // never below one pixel
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fit_into(c.picture, {177, 146}), c.want)
        << c.picture.width << "x" << c.picture.height;
  }
}

TEST(PictureRules, ShortenedNamesFitAndKeepTheirExtension) {
  struct Case {
    const char* name;
    int n;
    const char* want;
  } cases[] = {
      {"Haus.jpg", 1, "Haus.jpg"},  // fits: unchanged
      {"WhatsApp Image 2024-05-12 at 14.30.15.jpeg", 1, "WhatsApp Image 2024-05-12.jpeg"},
      {"WhatsApp Image 2024-05-12 at 14.30.15.jpeg", 2, "WhatsApp Image 2024-05~2.jpeg"},
      {"WhatsApp Image 2024-05-12 at 14.30.15.jpeg", 12, "WhatsApp Image 2024-05~12.jpeg"},
      {"Haus.jpg", 3, "Haus~3.jpg"},
      // Counted in characters, not bytes: umlauts are one each.
      {"Größenvergleich Übergröße Öfen mit Fuß.jpg", 1, "Größenvergleich Übergröße.jpg"},
      {"ohne Endung und viel zu lang für das Feld", 1, "ohne Endung und viel zu lang f"},
      {"x.eine-sehr-lange-endung-von-mehr-als-dreissig", 1, "x.eine-sehr-lange-endung-von-m"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(shortened_name(c.name, 30, c.n), c.want) << c.name << " " << c.n;
  }
}
