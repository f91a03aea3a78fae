#pragma once

// Small pictures made in the tests: JPEG through our encoder, GIF through giflib's writer, and
// 24-bit bitmaps written by hand (the format is a header and rows).

#include <cstdint>
#include <string>

#include "media/image.h"

namespace tellvaro::media::testing {

// Smooth colours; with `noise` each pixel gets random jitter, which JPEG cannot compress well.
Image make_image(int width, int height, int noise = 0, std::uint32_t seed = 1);

std::string make_jpeg(int width, int height, int noise = 0, int quality = 90);
std::string make_bmp(const Image& image);
// Every pixel takes palette index (x + y) % 4 of red, green, blue, white.
std::string make_gif(int width, int height, bool interlace = false);

// Bytes padded after the picture's end to exactly `size` (pictures decode the same).
std::string padded(std::string bytes, std::size_t size);

}  // namespace tellvaro::media::testing
