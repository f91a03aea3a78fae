// GIF through giflib, first frame only, read record by record so that no frame is allocated
// before its size has been checked.

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "media/image.h"
#include "text/error.h"

namespace tellvaro::media {
namespace {

struct Source {
  std::string_view bytes;
  std::size_t pos = 0;
};

int read_bytes(GifFileType* gif, GifByteType* buf, int wanted) {
  auto* src = static_cast<Source*>(gif->UserData);
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(wanted, 0)),
                                              src->bytes.size() - src->pos);
  std::memcpy(buf, src->bytes.data() + src->pos, n);
  src->pos += n;
  return static_cast<int>(n);
}

struct Closer {
  void operator()(GifFileType* gif) const {
    int err = 0;
    DGifCloseFile(gif, &err);
  }
};

[[noreturn]] void fail(int code) {
  const char* why = GifErrorString(code);
  throw Error(std::string("Das GIF-Bild ist beschädigt oder unvollständig") +
              (why ? std::string(" (") + why + ")" : std::string()) + ".");
}

}  // namespace

Image decode_gif(std::string_view bytes) {
  if (content_kind(bytes) != PictureKind::Gif) throw Error("Die Datei ist kein GIF-Bild.");
  Source src{bytes};
  int err = 0;
  std::unique_ptr<GifFileType, Closer> gif(DGifOpen(&src, read_bytes, &err));
  if (!gif) fail(err);
  int transparent = -1;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) fail(gif->Error);
    if (type == TERMINATE_RECORD_TYPE) throw Error("Das GIF-Bild enthält kein Bild.");
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) fail(gif->Error);
      while (ext) {
        if (code == GRAPHICS_EXT_FUNC_CODE && ext[0] >= 4 && (ext[1] & 1)) transparent = ext[4];
        code = 0;
        if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) fail(gif->Error);
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) fail(gif->Error);
    const GifImageDesc& d = gif->Image;
    check_dimensions(d.Width, d.Height);
    // The frame on its logical screen; a screen of no size is the frame's own.
    long long sw = gif->SWidth, sh = gif->SHeight;
    if (sw <= 0 || sh <= 0) sw = d.Left + d.Width, sh = d.Top + d.Height;
    check_dimensions(sw, sh);
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    if (!map || !map->Colors) throw Error("Das GIF-Bild hat keine Farbtabelle.");
    Image image;
    image.width = static_cast<int>(sw);
    image.height = static_cast<int>(sh);
    image.rgb.assign(std::size_t(sw) * sh * 3, 255);  // white where the frame does not paint
    std::vector<GifPixelType> line(static_cast<std::size_t>(d.Width));
    // Interlaced frames arrive in four passes of rows.
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(d.Height));
    if (d.Interlace) {
      static constexpr int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
      for (int p = 0; p < 4; ++p) {
        for (int y = start[p]; y < d.Height; y += step[p]) order.push_back(y);
      }
    } else {
      for (int y = 0; y < d.Height; ++y) order.push_back(y);
    }
    for (int y : order) {
      if (DGifGetLine(gif.get(), line.data(), d.Width) == GIF_ERROR) fail(gif->Error);
      const long long ty = d.Top + y;
      if (ty >= sh) continue;
      std::uint8_t* dst = image.row(static_cast<int>(ty));
      for (int x = 0; x < d.Width; ++x) {
        const long long tx = d.Left + x;
        if (tx >= sw) break;
        const int index = line[static_cast<std::size_t>(x)];
        if (index == transparent) continue;
        std::uint8_t* p = dst + tx * 3;
        if (index < map->ColorCount) {
          p[0] = map->Colors[index].Red;
          p[1] = map->Colors[index].Green;
          p[2] = map->Colors[index].Blue;
        } else {
          p[0] = p[1] = p[2] = 0;
        }
      }
    }
    return image;
  }
}

}  // namespace tellvaro::media
