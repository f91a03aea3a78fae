#pragma once

// Pictures as pixels: decoding JPEG (libjpeg-turbo), GIF (giflib) and bitmaps (stb_image),
// encoding JPEG, and stretching. Every decoder refuses a damaged or hostile file with
// tellvaro::Error and a German message before it allocates more than the pixel limit allows.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "media/picture_rules.h"

namespace tellvaro::media {

// Above this many pixels a picture is refused unread (a 50-megapixel camera still fits).
inline constexpr long long kMaxPixels = 50'000'000;
inline constexpr int kMaxSide = 65'535;

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
void check_dimensions(long long width, long long height);

// Decodes by kind. `min_size`, when given, lets a JPEG decoder take a cheaper reduced decode
// (1/2, 1/4, 1/8) as long as the result is still at least that large one way or the other;
// previews use it. Other kinds ignore it.
Image decode(std::string_view bytes, PictureKind kind, Size min_size = {});

Image decode_jpeg(std::string_view bytes, Size min_size = {});
Image decode_gif(std::string_view bytes);  // the first frame on the logical screen
Image decode_bmp(std::string_view bytes);

// Baseline JPEG of the given quality (4:2:0).
std::string encode_jpeg(const Image& image, int quality);

// The whole picture drawn into the new size. Shrinking averages the covered area, so fine
// detail turns into its mean colour instead of into noise; enlarging repeats pixels.
Image stretch(const Image& image, Size size);

// Picture file kinds by their first bytes: a decoder is only tried on what it can read.
bool looks_like_jpeg(std::string_view bytes);
bool looks_like_gif(std::string_view bytes);
bool looks_like_bmp(std::string_view bytes);

}  // namespace tellvaro::media
