// Any bytes as a picture: decoded by content, they are either refused with tellvaro::Error or
// give pixels within the limits, which then turn upright, shrink into a preview and encode
// again.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "media/exif.h"
#include "media/image.h"
#include "text/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tellvaro;
  using namespace tellvaro::media;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Image image;
  try {
    image = decode_upright(bytes);
  } catch (const Error&) {
    return 0;
  }
  if (image.width <= 0 || image.height <= 0 ||
      static_cast<long long>(image.width) * image.height > kMaxPixels ||
      image.rgb.size() != std::size_t(image.width) * image.height * 3) {
    std::abort();
  }
  const Image small = stretch(image, fit_into(image.size(), {kPreviewWidth, kPreviewHeight}));
  if (decode_jpeg(encode_jpeg(small, 80)).size() != small.size()) std::abort();
  return 0;
}
