#pragma once

// Pictures as pixels: decoding JPEG (libjpeg-turbo), GIF (giflib) and bitmaps (stb_image),
// encoding JPEG, stretching and turning. Every decoder refuses a damaged or hostile file with
// tellvaro::Error and a German message before it allocates more than the pixel limit allows.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "media/picture_rules.h"

namespace tellvaro::media {

// No decoded picture has more pixels than this (a 50-megapixel camera still fits whole).
inline constexpr long long kMaxPixels = 50'000'000;
inline constexpr int kMaxSide = 65'535;
// A larger JPEG is decoded at 1/2, 1/4 or 1/8 of its size, so it may have up to 64 times as
// many pixels; GIF and bitmap files above kMaxPixels are refused unread.
inline constexpr long long kMaxJpegPixels = kMaxPixels * 64;

// 8-bit RGB, rows top to bottom without padding.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;

  Size size() const { return {width, height}; }
  const std::uint8_t* row(int y) const { return rgb.data() + std::size_t(y) * width * 3; }
  std::uint8_t* row(int y) { return rgb.data() + std::size_t(y) * width * 3; }
};

// Throws tellvaro::Error unless width and height are positive and within the limits.
void check_dimensions(long long width, long long height, long long max_pixels = kMaxPixels);

// What a file's first bytes say it is (JPEG FF D8 FF, GIF87a/GIF89a, BM), whatever its name;
// Other for anything else. Every decoder goes by this.
PictureKind content_kind(std::string_view bytes);

// Decodes by content. `min_size`, when given, lets a JPEG decoder take a cheaper reduced decode
// (1/2, 1/4, 1/8) as long as the result is still at least that large one way or the other;
// previews use it. Other kinds ignore it.
Image decode(std::string_view bytes, Size min_size = {});

// A JPEG above kMaxPixels comes out at the largest of 1/2, 1/4 or 1/8 of its size that is
// within it.
Image decode_jpeg(std::string_view bytes, Size min_size = {});
Image decode_gif(std::string_view bytes);  // the first frame on the logical screen
Image decode_bmp(std::string_view bytes);

// Baseline JPEG of the given quality (4:2:0).
std::string encode_jpeg(const Image& image, int quality);

// The whole picture drawn into the new size. Shrinking averages the covered area, so fine
// detail turns into its mean colour instead of into noise; enlarging repeats pixels.
Image stretch(const Image& image, Size size);

// The EXIF orientation values 1 to 8: how the stored pixels must be mirrored and turned to
// stand upright. 5 to 8 swap width and height. Any other value leaves the picture as it is.
Size oriented_size(Size stored, int orientation);
Image oriented(Image image, int orientation);

}  // namespace tellvaro::media
