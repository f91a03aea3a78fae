#include <gtest/gtest.h>

#include <cstdlib>

#include "media/image.h"
#include "media/shrink.h"
#include "support/pictures.h"
#include "text/error.h"

using namespace tellvaro;
using namespace tellvaro::media;
using namespace tellvaro::media::testing;

namespace {

// Mean absolute difference per channel.
double difference(const Image& a, const Image& b) {
  EXPECT_EQ(a.size(), b.size());
  double sum = 0;
  for (std::size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); ++i) {
    sum += std::abs(int(a.rgb[i]) - int(b.rgb[i]));
  }
  return sum / a.rgb.size();
}

// The refusal of the kind's own decoder (Other: the decoder by content).
std::string refusal(std::string_view bytes, PictureKind kind) {
  try {
    switch (kind) {
      case PictureKind::Jpeg:
        decode_jpeg(bytes);
        break;
      case PictureKind::Gif:
        decode_gif(bytes);
        break;
      case PictureKind::Bitmap:
        decode_bmp(bytes);
        break;
      case PictureKind::Other:
        decode(bytes);
        break;
    }
  } catch (const Error& e) {
    return e.what();
  }
  return "";
}

// Writes a big-endian 16-bit value.
void put16(std::string& s, std::size_t at, int v) {
  s[at] = static_cast<char>(v >> 8);
  s[at + 1] = static_cast<char>(v & 0xFF);
}

}  // namespace

TEST(Codecs, EachKindDecodesToItsPixels) {
  const Image image = make_image(40, 30);
  const Image jpeg = decode_jpeg(encode_jpeg(image, 95));
  EXPECT_LT(difference(jpeg, image), 3.0);
  EXPECT_EQ(decode_bmp(make_bmp(image)).rgb, image.rgb);
  for (bool interlace : {false, true}) {
    const Image gif = decode_gif(make_gif(13, 11, interlace));
    ASSERT_EQ(gif.size(), (Size{13, 11}));
    const std::uint8_t palette[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    for (int y = 0; y < 11; ++y) {
      for (int x = 0; x < 13; ++x) {
        const std::uint8_t* p = gif.row(y) + x * 3;
        const auto* want = palette[(x + y) % 4];
        ASSERT_TRUE(p[0] == want[0] && p[1] == want[1] && p[2] == want[2]) << x << "," << y;
      }
    }
  }
}

TEST(Codecs, ReducedJpegDecodeStillCoversTheWantedSize) {
  const std::string jpeg = make_jpeg(1600, 1200);
  const Image small = decode_jpeg(jpeg, {177, 146});
  EXPECT_EQ(small.size(), (Size{200, 150}));  // 1/8
  const Image half = decode_jpeg(jpeg, {700, 700});
  EXPECT_EQ(half.size(), (Size{800, 600}));
}

TEST(Codecs, DecodedByContentWhateverTheName) {
  const Image image = make_image(12, 9);
  const Image bmp = decode(make_bmp(image));
  EXPECT_EQ(bmp.rgb, image.rgb);
  EXPECT_EQ(decode(make_gif(5, 4)).size(), (Size{5, 4}));
  EXPECT_EQ(decode(make_jpeg(7, 3)).size(), (Size{7, 3}));
  EXPECT_EQ(content_kind("GIF87a"), PictureKind::Gif);
  EXPECT_EQ(content_kind("\x89PNG\r\n"), PictureKind::Other);
  EXPECT_NE(refusal("\x89PNG\r\n\x1a\n", PictureKind::Other), "");
}

TEST(Codecs, JpegAboveThePixelLimitDecodesReduced) {
  // 51 megapixels, just above the limit: half of each side. A preview wants far less and gets
  // the smallest decode that still covers it.
  const std::string big = make_big_jpeg(8500, 6000);
  EXPECT_EQ(decode_jpeg(big).size(), (Size{4250, 3000}));
  EXPECT_EQ(decode_jpeg(big, {177, 146}).size(), (Size{1063, 750}));
  // Bitmaps keep the limit.
  std::string bmp = make_bmp(make_image(2, 2));
  bmp[18] = '\x68', bmp[19] = '\x21', bmp[20] = bmp[21] = 0;  // width 8552
  bmp[22] = '\x70', bmp[23] = '\x17', bmp[24] = bmp[25] = 0;  // height 6000
  EXPECT_NE(refusal(bmp, PictureKind::Bitmap).find("höchstens 50 Megapixel"), std::string::npos);
}

TEST(Codecs, WrongKindIsRefused) {
  const std::string bmp = make_bmp(make_image(4, 4));
  EXPECT_NE(refusal(bmp, PictureKind::Jpeg), "");
  EXPECT_NE(refusal(make_jpeg(4, 4), PictureKind::Bitmap), "");
  EXPECT_NE(refusal(make_jpeg(4, 4), PictureKind::Gif), "");
  EXPECT_NE(refusal("", PictureKind::Jpeg), "");
}

TEST(Codecs, EveryTruncationIsRefused) {
  const std::string files[] = {make_jpeg(24, 16, 20), make_bmp(make_image(7, 5)), make_gif(9, 6)};
  const PictureKind kinds[] = {PictureKind::Jpeg, PictureKind::Bitmap, PictureKind::Gif};
  for (int k = 0; k < 3; ++k) {
    // A GIF's closing trailer byte is not needed for its first frame.
    const std::size_t end = files[k].size() - (kinds[k] == PictureKind::Gif ? 1 : 0);
    for (std::size_t n = 0; n < end; ++n) {
      ASSERT_NE(refusal(std::string_view(files[k]).substr(0, n), kinds[k]), "")
          << "kind " << k << ", " << n << " of " << files[k].size() << " bytes";
    }
  }
}

TEST(Codecs, HostileSizesAreRefusedBeforeAllocating) {
  // Headers claiming 65000 x 65000 (4.2 gigapixels) and nothing; none may be allocated.
  std::string jpeg = make_jpeg(8, 8);
  const std::size_t sof = jpeg.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  put16(jpeg, sof + 5, 65000);
  put16(jpeg, sof + 7, 65000);
  EXPECT_NE(refusal(jpeg, PictureKind::Jpeg).find("65000 x 65000"), std::string::npos);
  put16(jpeg, sof + 5, 0);  // zero height
  EXPECT_NE(refusal(jpeg, PictureKind::Jpeg), "");

  std::string bmp = make_bmp(make_image(2, 2));
  bmp[18] = '\xA0', bmp[19] = '\x86', bmp[20] = '\x01', bmp[21] = 0;  // width 100000
  bmp[22] = '\xA0', bmp[23] = '\x86', bmp[24] = '\x01', bmp[25] = 0;  // height 100000
  EXPECT_NE(refusal(bmp, PictureKind::Bitmap), "");
  bmp[18] = bmp[19] = bmp[20] = bmp[21] = 0;  // zero width
  EXPECT_NE(refusal(bmp, PictureKind::Bitmap), "");

  std::string gif = make_gif(2, 2);
  // Screen and frame sizes, little-endian, at 6 and in the image descriptor after the palette.
  const std::size_t desc = 13 + 4 * 3;
  ASSERT_EQ(gif[desc], ',');
  for (std::size_t at : {std::size_t(6), std::size_t(8), desc + 5, desc + 7}) {
    gif[at] = '\xFF', gif[at + 1] = '\xFF';
  }
  EXPECT_NE(refusal(gif, PictureKind::Gif).find("65535 x 65535"), std::string::npos);
}

TEST(Codecs, StretchAveragesWhatItCovers) {
  Image checker;
  checker.width = 4;
  checker.height = 2;
  for (int i = 0; i < 8; ++i) {
    const std::uint8_t v = (i + i / 4) % 2 ? 255 : 0;
    checker.rgb.insert(checker.rgb.end(), {v, v, v});
  }
  const Image grey = stretch(checker, {2, 1});
  for (std::uint8_t v : grey.rgb) EXPECT_EQ(v, 128);
  const Image same = stretch(checker, {4, 2});
  EXPECT_EQ(same.rgb, checker.rgb);
  // An odd ratio keeps a smooth picture smooth.
  const Image smooth = make_image(301, 203);
  EXPECT_LT(difference(stretch(smooth, {97, 61}), make_image(97, 61)), 2.0);
}

TEST(Shrink, PassesUntilTheJpegFits) {
  const Image photo = make_image(400, 300, 60);
  const auto result = shrink_to_limit(photo, 10'000'000, 12'000);
  ASSERT_TRUE(result.fits);
  ASSERT_GE(result.passes.size(), 3u);
  const auto sizes = pass_sizes(photo.size());
  for (std::size_t i = 0; i < result.passes.size(); ++i) {
    EXPECT_EQ(result.passes[i].size, sizes[i]);
    if (i + 1 < result.passes.size()) {
      EXPECT_GT(result.passes[i].bytes, 12'000u);
    }
  }
  EXPECT_LE(result.jpeg.size(), 12'000u);
  EXPECT_EQ(result.jpeg.size(), result.passes.back().bytes);
  EXPECT_EQ(decode_jpeg(result.jpeg).size(), result.passes.back().size);
}

TEST(Shrink, StopsWhenNoPassHasPixelsLeft) {
  const Image photo = make_image(40, 30, 60);
  const auto result = shrink_to_limit(photo, 10'000'000, 1);
  EXPECT_FALSE(result.fits);
  EXPECT_EQ(result.passes.size(), pass_sizes(photo.size()).size());
}
