#include "media/image.h"

#include <algorithm>
#include <cmath>

#include "text/error.h"
#include "text/number.h"

namespace tellvaro::media {

void check_dimensions(long long width, long long height, long long max_pixels) {
  if (width <= 0 || height <= 0) throw Error("Das Bild hat keine Bildpunkte.");
  if (width > kMaxSide || height > kMaxSide || width * height > max_pixels) {
    throw Error("Das Bild ist mit " + text::format_int(width) + " x " + text::format_int(height) +
                " Bildpunkten zu groß (höchstens " + text::format_int(max_pixels / 1000000) +
                " Megapixel).");
  }
}

PictureKind content_kind(std::string_view b) {
  if (b.size() >= 3 && static_cast<unsigned char>(b[0]) == 0xFF &&
      static_cast<unsigned char>(b[1]) == 0xD8 && static_cast<unsigned char>(b[2]) == 0xFF) {
    return PictureKind::Jpeg;
  }
  if (b.substr(0, 6) == "GIF87a" || b.substr(0, 6) == "GIF89a") return PictureKind::Gif;
  if (b.substr(0, 2) == "BM") return PictureKind::Bitmap;
  return PictureKind::Other;
}

Image decode(std::string_view bytes, Size min_size) {
  switch (content_kind(bytes)) {
    case PictureKind::Jpeg:
      return decode_jpeg(bytes, min_size);
    case PictureKind::Gif:
      return decode_gif(bytes);
    case PictureKind::Bitmap:
      return decode_bmp(bytes);
    case PictureKind::Other:
      break;
  }
  throw Error("Die Datei ist kein JPEG-, GIF- oder Bitmap-Bild.");
}

Size oriented_size(Size stored, int orientation) {
  if (orientation >= 5 && orientation <= 8) return {stored.height, stored.width};
  return stored;
}

Image oriented(Image image, int orientation) {
  if (orientation < 2 || orientation > 8) return image;
  const int w = image.width, h = image.height;
  const Size size = oriented_size(image.size(), orientation);
  Image out;
  out.width = size.width;
  out.height = size.height;
  out.rgb.resize(image.rgb.size());
  // For each pixel of the upright picture, the stored pixel it shows.
  for (int y = 0; y < out.height; ++y) {
    std::uint8_t* dst = out.row(y);
    for (int x = 0; x < out.width; ++x) {
      int sx = x, sy = y;
      switch (orientation) {
        case 2:
          sx = w - 1 - x;
          break;
        case 3:
          sx = w - 1 - x, sy = h - 1 - y;
          break;
        case 4:
          sy = h - 1 - y;
          break;
        case 5:
          sx = y, sy = x;
          break;
        case 6:
          sx = y, sy = h - 1 - x;
          break;
        case 7:
          sx = w - 1 - y, sy = h - 1 - x;
          break;
        case 8:
          sx = w - 1 - y, sy = x;
          break;
      }
      const std::uint8_t* src = image.row(sy) + std::size_t(sx) * 3;
      dst[x * 3] = src[0];
      dst[x * 3 + 1] = src[1];
      dst[x * 3 + 2] = src[2];
    }
  }
  return out;
}

namespace {

// For one axis: which source pixels each target pixel covers and by how much.
struct Span {
  int first = 0;
  std::vector<float> weights;  // sum 1
};

std::vector<Span> spans(int from, int to) {
  std::vector<Span> out(static_cast<std::size_t>(to));
  const double step = static_cast<double>(from) / to;
  for (int i = 0; i < to; ++i) {
    Span& s = out[static_cast<std::size_t>(i)];
    if (step <= 1.0) {  // enlarging or equal: the nearest source pixel
      s.first = std::min(from - 1, static_cast<int>((i + 0.5) * step));
      s.weights = {1.0f};
      continue;
    }
    const double a = i * step, b = std::min<double>(from, (i + 1) * step);
    s.first = static_cast<int>(a);
    const int last = std::min(from - 1, static_cast<int>(std::ceil(b)) - 1);
    for (int k = s.first; k <= last; ++k) {
      const double cover = std::min<double>(k + 1, b) - std::max<double>(k, a);
      s.weights.push_back(static_cast<float>(cover / step));
    }
  }
  return out;
}

}  // namespace

Image stretch(const Image& image, Size size) {
  check_dimensions(size.width, size.height);
  Image out;
  out.width = size.width;
  out.height = size.height;
  out.rgb.resize(std::size_t(size.width) * size.height * 3);
  if (image.size() == size) {
    out.rgb = image.rgb;
    return out;
  }
  const auto cols = spans(image.width, size.width);
  const auto rows = spans(image.height, size.height);
  // Row by row: each needed source row is reduced across once into `across`, then added into
  // the target row with its vertical weight. Memory beyond the target is a few rows.
  std::vector<float> acc(std::size_t(size.width) * 3);
  std::vector<float> across(std::size_t(size.width) * 3);
  int cached = -1;
  for (int y = 0; y < size.height; ++y) {
    const Span& vs = rows[static_cast<std::size_t>(y)];
    std::fill(acc.begin(), acc.end(), 0.0f);
    for (std::size_t k = 0; k < vs.weights.size(); ++k) {
      const int sy = vs.first + static_cast<int>(k);
      if (sy != cached) {
        const std::uint8_t* src = image.row(sy);
        for (int x = 0; x < size.width; ++x) {
          const Span& hs = cols[static_cast<std::size_t>(x)];
          float r = 0, g = 0, b = 0;
          const std::uint8_t* p = src + std::size_t(hs.first) * 3;
          for (float w : hs.weights) {
            r += w * p[0];
            g += w * p[1];
            b += w * p[2];
            p += 3;
          }
          float* a = &across[std::size_t(x) * 3];
          a[0] = r;
          a[1] = g;
          a[2] = b;
        }
        cached = sy;
      }
      const float w = vs.weights[k];
      for (std::size_t i = 0; i < acc.size(); ++i) acc[i] += w * across[i];
    }
    std::uint8_t* dst = out.row(y);
    for (std::size_t i = 0; i < acc.size(); ++i) {
      dst[i] = static_cast<std::uint8_t>(std::clamp(acc[i] + 0.5f, 0.0f, 255.0f));
    }
  }
  return out;
}

}  // namespace tellvaro::media
