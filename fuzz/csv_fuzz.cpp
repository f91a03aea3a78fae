// Any bytes: the CSV reader either refuses them with tellvaro::Error or gives records that the
// writer puts into a file reading back the same records.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "store/csv.h"
#include "text/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tellvaro;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  store::CsvImport first;
  try {
    first = store::read_articles_csv(bytes);
  } catch (const Error&) {
    return 0;
  }
  const std::string once = store::write_articles_csv(first.records);
  const store::CsvImport second = store::read_articles_csv(once);
  if (!second.problems.empty()) std::abort();
  // Amounts may settle on their shortest text once; from then on nothing changes.
  if (store::write_articles_csv(second.records) != once) std::abort();
  return 0;
}
