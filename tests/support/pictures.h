#pragma once

// Small pictures made in the tests: JPEG through our encoder, GIF through giflib's writer, and
// 24-bit bitmaps written by hand (the format is a header and rows).

#include <cstdint>
#include <functional>
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

// Fills row `y` (width * 3 bytes, RGB) of a picture `width` x `height`.
using RowPainter = std::function<void(int width, int height, int y, std::uint8_t* row)>;

// A JPEG of any size written row by row (never held as pixels); by default soft gradients in
// squares at quality 75.
std::string make_big_jpeg(int width, int height, int quality = 75, const RowPainter& paint = {});

// EXIF data as a camera writes it (TIFF header, the first directory with a "Make" text and,
// when given, the orientation; with `gps` a GPS directory holding latitude 52° 31' 12.34" N and
// longitude 13° 24' 56.78" E), in either byte order.
std::string make_exif(bool big_endian, int orientation, bool gps);
// The latitude's three fractions as stored in `make_exif`'s GPS directory.
std::string exif_latitude(bool big_endian);

// The JPEG with an APP1 Exif segment holding `tiff` right after its start marker.
std::string with_exif(const std::string& jpeg, const std::string& tiff);

// From the start of the scan (SOS) to the end: the compressed picture.
std::string scan_data(const std::string& jpeg);

}  // namespace tellvaro::media::testing
