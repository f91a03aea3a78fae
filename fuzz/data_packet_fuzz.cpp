// Any bytes: the reader either refuses them with tellvaro::Error or gives records that the
// writer puts back into a file reading the same again.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "store/data_packet.h"
#include "text/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tellvaro;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<store::Record> first;
  try {
    first = store::parse_table(bytes, "fuzz.xml");
  } catch (const Error&) {
    return 0;
  }
  // The first writing settles number texts and blanks; from then on nothing changes.
  const std::string once = store::format_table(first);
  const auto second = store::parse_table(once, "fuzz.xml");
  const std::string twice = store::format_table(second);
  if (store::parse_table(twice, "fuzz.xml") != second || twice != once) std::abort();
  return 0;
}
