#pragma once

#include <cstddef>
#include <vector>

#include "store/field.h"

namespace tellvaro::bench {

// Articles as a seller fills them in: every editor field set with plausible German values and
// about 4 KB of HTML description each. Deterministic for a given count. The four fields whose
// names hold a blank are left out, so that a plain XML parser can read the same file.
std::vector<store::Record> generate_articles(std::size_t count);

}  // namespace tellvaro::bench
