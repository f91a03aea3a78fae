// Any bytes, tried as each picture kind: a decoder either refuses them with tellvaro::Error or
// gives pixels within the limits, which then shrink into a preview and encode again.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "media/image.h"
#include "text/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tellvaro;
  using namespace tellvaro::media;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (PictureKind kind : {PictureKind::Jpeg, PictureKind::Gif, PictureKind::Bitmap}) {
    Image image;
    try {
      image = decode(bytes, kind);
    } catch (const Error&) {
      continue;
    }
    if (image.width <= 0 || image.height <= 0 ||
        static_cast<long long>(image.width) * image.height > kMaxPixels ||
        image.rgb.size() != std::size_t(image.width) * image.height * 3) {
      std::abort();
    }
    const Image small = stretch(image, fit_into(image.size(), {kPreviewWidth, kPreviewHeight}));
    if (decode_jpeg(encode_jpeg(small, 80)).size() != small.size()) std::abort();
  }
  return 0;
}
