#include "upload/protocol.h"

namespace tellvaro::upload {

void Protocol::add(std::string line) {
  lines_.push_back(std::move(line));
  changed_.notify({Change::Kind::Added, lines_.size() - 1, 1});
}

void Protocol::clear() {
  if (lines_.empty()) return;
  lines_.clear();
  changed_.notify({Change::Kind::Cleared, 0, 0});
}

std::string Protocol::text() const {
  std::string out;
  for (const auto& line : lines_) out += line + "\r\n";
  return out;
}

}  // namespace tellvaro::upload
