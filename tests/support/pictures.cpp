#include "support/pictures.h"

#include <gif_lib.h>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>
#include <cstdio>
#include <cstdlib>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

namespace tellvaro::media::testing {

Image make_image(int width, int height, int noise, std::uint32_t seed) {
  Image image;
  image.width = width;
  image.height = height;
  image.rgb.resize(std::size_t(width) * height * 3);
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> jitter(-noise, noise);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = image.row(y) + x * 3;
      const int base[3] = {x * 255 / std::max(1, width - 1), y * 255 / std::max(1, height - 1),
                           128};
      for (int c = 0; c < 3; ++c) {
        p[c] = static_cast<std::uint8_t>(std::clamp(base[c] + (noise ? jitter(rng) : 0), 0, 255));
      }
    }
  }
  return image;
}

std::string make_jpeg(int width, int height, int noise, int quality) {
  return encode_jpeg(make_image(width, height, noise), quality);
}

namespace {
void put(std::string& s, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i) & 0xFF);
}
}  // namespace

std::string make_bmp(const Image& image) {
  const int stride = (image.width * 3 + 3) / 4 * 4;
  const std::uint32_t data = std::uint32_t(stride) * image.height;
  std::string s = "BM";
  put(s, 54 + data, 4);
  put(s, 0, 4);
  put(s, 54, 4);
  put(s, 40, 4);
  put(s, static_cast<std::uint32_t>(image.width), 4);
  put(s, static_cast<std::uint32_t>(image.height), 4);
  put(s, 1, 2);
  put(s, 24, 2);
  put(s, 0, 4);
  put(s, data, 4);
  put(s, 2835, 4);
  put(s, 2835, 4);
  put(s, 0, 4);
  put(s, 0, 4);
  for (int y = image.height - 1; y >= 0; --y) {  // bottom-up, BGR
    const std::uint8_t* p = image.row(y);
    for (int x = 0; x < image.width; ++x) {
      s += static_cast<char>(p[x * 3 + 2]);
      s += static_cast<char>(p[x * 3 + 1]);
      s += static_cast<char>(p[x * 3]);
    }
    s.append(std::size_t(stride - image.width * 3), '\0');
  }
  return s;
}

namespace {
int write_to_string(GifFileType* gif, const GifByteType* data, int n) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), n);
  return n;
}
}  // namespace

std::string make_gif(int width, int height, bool interlace) {
  std::string out;
  int err = 0;
  GifFileType* gif = EGifOpen(&out, write_to_string, &err);
  if (!gif) throw std::runtime_error("EGifOpen");
  GifColorType colors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  ColorMapObject* map = GifMakeMapObject(4, colors);
  EGifPutScreenDesc(gif, width, height, 2, 0, map);
  EGifPutImageDesc(gif, 0, 0, width, height, interlace, nullptr);
  std::vector<GifPixelType> line(static_cast<std::size_t>(width));
  // giflib writes rows in the order given; an interlaced frame wants its four passes.
  std::vector<int> order;
  if (interlace) {
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int p = 0; p < 4; ++p) {
      for (int y = start[p]; y < height; y += step[p]) order.push_back(y);
    }
  } else {
    for (int y = 0; y < height; ++y) order.push_back(y);
  }
  for (int y : order) {
    for (int x = 0; x < width; ++x) line[std::size_t(x)] = static_cast<GifPixelType>((x + y) % 4);
    EGifPutLine(gif, line.data(), width);
  }
  EGifCloseFile(gif, &err);
  GifFreeMapObject(map);
  return out;
}

std::string padded(std::string bytes, std::size_t size) {
  if (bytes.size() > size) throw std::runtime_error("picture larger than the padded size");
  bytes.resize(size, '\0');
  return bytes;
}

namespace {
void gradient_squares(int width, int height, int y, std::uint8_t* row) {
  for (int x = 0; x < width; ++x) {
    row[std::size_t(x) * 3] = static_cast<std::uint8_t>(x * 255LL / width);
    row[std::size_t(x) * 3 + 1] = static_cast<std::uint8_t>(y * 255LL / height);
    row[std::size_t(x) * 3 + 2] = static_cast<std::uint8_t>((x / 64 + y / 64) % 2 ? 200 : 60);
  }
}
}  // namespace

std::string make_big_jpeg(int width, int height, int quality, const RowPainter& paint) {
  jpeg_compress_struct info;
  jpeg_error_mgr err;
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row(std::size_t(width) * 3);
  while (info.next_scanline < info.image_height) {
    const int y = static_cast<int>(info.next_scanline);
    if (paint) {
      paint(width, height, y, row.data());
    } else {
      gradient_squares(width, height, y, row.data());
    }
    unsigned char* p = row.data();
    jpeg_write_scanlines(&info, &p, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return out;
}

namespace {

// Writes into a TIFF block in its byte order.
struct Tiff {
  bool big;
  std::string s;
  void u16(std::uint32_t v) {
    if (big)
      s += static_cast<char>(v >> 8), s += static_cast<char>(v & 0xFF);
    else
      s += static_cast<char>(v & 0xFF), s += static_cast<char>(v >> 8);
  }
  void u32(std::uint32_t v) {
    if (big)
      u16(v >> 16), u16(v & 0xFFFF);
    else
      u16(v & 0xFFFF), u16(v >> 16);
  }
  // An entry whose value fits in it (up to four bytes, left-aligned).
  void entry(std::uint32_t tag, std::uint32_t type, std::uint32_t count, std::string value) {
    u16(tag);
    u16(type);
    u32(count);
    value.resize(4, '\0');
    s += value;
  }
  void entry_at(std::uint32_t tag, std::uint32_t type, std::uint32_t count, std::uint32_t at) {
    u16(tag);
    u16(type);
    u32(count);
    u32(at);
  }
  std::string short_value(std::uint32_t v) const {
    std::string r(2, '\0');
    r[big ? 0 : 1] = static_cast<char>(v >> 8);
    r[big ? 1 : 0] = static_cast<char>(v & 0xFF);
    return r;
  }
  void fractions(std::initializer_list<std::uint32_t> parts) {
    for (std::uint32_t p : parts) u32(p);
  }
};

}  // namespace

std::string exif_latitude(bool big_endian) {
  Tiff t{big_endian, {}};
  t.fractions({52, 1, 31, 1, 1234, 100});
  return t.s;
}

std::string make_exif(bool big_endian, int orientation, bool gps) {
  Tiff t{big_endian, std::string(big_endian ? "MM" : "II")};
  t.u16(42);
  t.u32(8);
  const std::uint32_t entries = 1 + (orientation ? 1 : 0) + (gps ? 1 : 0);
  const std::uint32_t make_at = 8 + 2 + entries * 12 + 4;  // right after the directory
  const std::uint32_t gps_at = make_at + 8;
  t.u16(entries);
  t.entry_at(0x010F, 2, 8, make_at);
  if (orientation) t.entry(0x0112, 3, 1, t.short_value(static_cast<std::uint32_t>(orientation)));
  if (gps) t.entry_at(0x8825, 4, 1, gps_at);
  t.u32(0);
  t.s += std::string("Tellfon", 8);
  if (gps) {
    const std::uint32_t values = gps_at + 2 + 5 * 12 + 4;
    t.u16(5);
    t.entry(0x0000, 1, 4, std::string("\2\3\0\0", 4));
    t.entry(0x0001, 2, 2, "N");
    t.entry_at(0x0002, 5, 3, values);
    t.entry(0x0003, 2, 2, "E");
    t.entry_at(0x0004, 5, 3, values + 24);
    t.u32(0);
    t.fractions({52, 1, 31, 1, 1234, 100});
    t.fractions({13, 1, 24, 1, 5678, 100});
  }
  return t.s;
}

std::string with_exif(const std::string& jpeg, const std::string& tiff) {
  const std::string payload = std::string("Exif\0\0", 6) + tiff;
  const std::size_t length = payload.size() + 2;
  std::string segment = "\xFF\xE1";
  segment += static_cast<char>(length >> 8);
  segment += static_cast<char>(length & 0xFF);
  return jpeg.substr(0, 2) + segment + payload + jpeg.substr(2);
}

std::string scan_data(const std::string& jpeg) {
  // Segment by segment, so that a thumbnail inside the EXIF data is skipped.
  std::size_t pos = 2;
  while (pos + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[pos]) == 0xFF) {
    if (static_cast<unsigned char>(jpeg[pos + 1]) == 0xDA) return jpeg.substr(pos);
    pos += 2 + (std::size_t(static_cast<unsigned char>(jpeg[pos + 2])) << 8 |
                static_cast<unsigned char>(jpeg[pos + 3]));
  }
  throw std::runtime_error("no scan");
}

}  // namespace tellvaro::media::testing
