// Any bytes as a JPEG with EXIF blocks: the orientation is always one of 1 to 8, and taking the
// location out keeps the file's length and never changes the pixels it decodes to.

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "media/exif.h"
#include "media/image.h"
#include "text/error.h"

namespace {

std::optional<std::vector<std::uint8_t>> pixels(const std::string& bytes) {
  try {
    return tellvaro::media::decode(bytes).rgb;
  } catch (const tellvaro::Error&) {
    return std::nullopt;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tellvaro::media;
  const std::string original(reinterpret_cast<const char*>(data), size);
  const int orientation = exif_orientation(original);
  if (orientation < 1 || orientation > 8) std::abort();
  std::string cleaned = original;
  remove_location(cleaned);
  if (cleaned.size() != original.size()) std::abort();
  const int after = exif_orientation(cleaned);
  if (after < 1 || after > 8) std::abort();
  if (pixels(original) != pixels(cleaned)) std::abort();
  return 0;
}
