#include "media/shrink.h"

namespace tellvaro::media {

std::vector<Size> pass_sizes(Size loaded) {
  std::vector<Size> out;
  Size current = loaded;
  for (int scale = 100; scale > 0; scale -= 10) {
    const Size next{scale_side(current.width, scale), scale_side(current.height, scale)};
    if (next.width <= 0 || next.height <= 0) break;
    out.push_back(next);
    current = next;
  }
  return out;
}

ShrinkResult shrink_to_limit(const Image& loaded, std::uintmax_t start_bytes,
                             std::uintmax_t limit) {
  ShrinkResult result;
  std::uintmax_t measured = start_bytes;
  for (const Size& size : pass_sizes(loaded.size())) {
    if (measured <= limit) break;
    result.jpeg = size == loaded.size() ? encode_jpeg(loaded, kShrinkQuality)
                                        : encode_jpeg(stretch(loaded, size), kShrinkQuality);
    measured = result.jpeg.size();
    result.passes.push_back({size, measured});
  }
  result.fits = measured <= limit && !result.passes.empty();
  return result;
}

}  // namespace tellvaro::media
