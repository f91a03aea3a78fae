#pragma once

// The articles the send benchmarks send: the same names, fields and three pictures each, so
// their figures compare.

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "store/table.h"

namespace tellvaro::bench {

inline constexpr std::size_t kPictureBytes = 200 * 1024;

// eins.jpg, zwei.jpg, drei.jpg of random bytes in `dir`.
inline void write_pictures(const std::filesystem::path& dir) {
  std::mt19937 rng(7);
  for (const char* name : {"eins.jpg", "zwei.jpg", "drei.jpg"}) {
    std::string bytes(kPictureBytes, '\0');
    for (char& c : bytes) c = static_cast<char>(rng());
    std::ofstream(dir / name, std::ios::binary) << bytes;
  }
}

inline void fill_uploads(store::Table& uploads, int articles) {
  for (int i = 0; i < articles; ++i) {
    uploads.append();
    uploads.set_text(store::F::Artikelname, "Artikel " + std::to_string(i));
    uploads.set_text(store::F::Auktionsdauer, "7");
    uploads.set_text(store::F::Fettschrift, "True");
    uploads.set_text(store::F::Untertitel, "Untertitel");
    uploads.set_text(store::F::Gebuehr, "1.15");
    uploads.set_text(store::F::Bild1, "eins.jpg");
    uploads.set_text(store::F::Bild2, "zwei.jpg");
    uploads.set_text(store::F::Bild3, "drei.jpg");
    uploads.post();
  }
}

}  // namespace tellvaro::bench
