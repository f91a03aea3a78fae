#pragma once

// Shrinking a picture until its JPEG fits the size limit: the first pass only re-encodes at
// quality 80, every further pass scales the previous pass's size by 10 points less (90 %, then
// 80 % of that, ...), so the sides come out at 100 %, 90 %, 72 %, 50.4 % ... of the loaded
// picture. Each pass draws from the loaded pixels, which keeps detail and memory low.

#include <cstdint>
#include <string>
#include <vector>

#include "media/image.h"

namespace tellvaro::media {

inline constexpr int kShrinkQuality = 80;

struct ShrinkPass {
  Size size;
  std::uintmax_t bytes = 0;
};

struct ShrinkResult {
  bool fits = false;  // false: even the last pass with pixels stayed above the limit
  std::vector<ShrinkPass> passes;
  std::string jpeg;  // the last pass's file
};

// The pass sizes for a picture, as far as they have pixels (at most ten).
std::vector<Size> pass_sizes(Size loaded);

// Runs passes while the last measured size (at first `start_bytes`, the chosen file's) is above
// `limit`. Stops before a pass would have no pixels.
ShrinkResult shrink_to_limit(const Image& loaded, std::uintmax_t start_bytes,
                             std::uintmax_t limit = kSizeLimit);

}  // namespace tellvaro::media
