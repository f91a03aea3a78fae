#include "media/test_pictures.h"

#include <gif_lib.h>

#include <algorithm>
#include <random>
#include <stdexcept>

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

}  // namespace tellvaro::media::testing
