// Windows bitmaps through stb_image. Its size check runs first, on the header alone.

#include <stb_image.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "media/image.h"
#include "text/error.h"

namespace tellvaro::media {
namespace {

std::uint32_t le(std::string_view b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
  return v;
}

// stb_image reads missing bytes as zeros, so a cut-off file would come out partly black. For
// the uncompressed layouts the header says exactly how many bytes the rows need.
bool rows_complete(std::string_view b) {
  if (b.size() < 26) return false;
  const std::uint32_t offset = le(b, 10, 4), header = le(b, 14, 4);
  long long w, h, bpp, compression = 0;
  if (header == 12) {
    w = le(b, 18, 2), h = le(b, 20, 2), bpp = le(b, 24, 2);
  } else {
    if (b.size() < 34) return false;
    w = static_cast<std::int32_t>(le(b, 18, 4));
    h = static_cast<std::int32_t>(le(b, 22, 4));
    bpp = le(b, 28, 2);
    compression = le(b, 30, 4);
  }
  if (compression != 0 && compression != 3) return true;  // run-length: stb checks as it goes
  if (h < 0) h = -h;
  const long long stride = (w * bpp + 31) / 32 * 4;
  return w > 0 && stride > 0 && static_cast<long long>(offset) + stride * h <= (long long)b.size();
}

}  // namespace

Image decode_bmp(std::string_view bytes) {
  if (content_kind(bytes) != PictureKind::Bitmap) throw Error("Die Datei ist kein Bitmap-Bild.");
  const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
  const int size = static_cast<int>(std::min<std::size_t>(bytes.size(), 0x7fffffff));
  int w = 0, h = 0, comps = 0;
  if (!stbi_info_from_memory(data, size, &w, &h, &comps)) {
    throw Error("Das Bitmap-Bild ist beschädigt oder unvollständig.");
  }
  check_dimensions(w, h);
  if (!rows_complete(bytes)) throw Error("Das Bitmap-Bild ist unvollständig.");
  std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(data, size, &w, &h, &comps, 3), stbi_image_free);
  if (!pixels) throw Error("Das Bitmap-Bild ist beschädigt oder unvollständig.");
  check_dimensions(w, h);
  Image image;
  image.width = w;
  image.height = h;
  image.rgb.assign(pixels.get(), pixels.get() + std::size_t(w) * h * 3);
  return image;
}

}  // namespace tellvaro::media
