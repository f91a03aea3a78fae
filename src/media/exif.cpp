#include "media/exif.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace tellvaro::media {
namespace {

constexpr std::uint32_t kOrientationTag = 0x0112;
constexpr std::uint32_t kGpsTag = 0x8825;
constexpr std::size_t kEntrySize = 12;
// Photos chain two directories (the picture's and the thumbnail's); more is a loop or an attack.
constexpr int kMaxDirectories = 8;

unsigned char byte_at(std::string_view b, std::size_t i) {
  return static_cast<unsigned char>(b[i]);
}

// Where the payload of one header segment lies in the file.
struct Block {
  std::size_t start = 0;
  std::size_t size = 0;
};

// Files phones write may hold several pictures one after the other (the picture and its
// large preview, each with metadata of its own); more than this is no photo.
constexpr int kMaxImages = 32;

// The payloads of the APP1 segments of every picture of the file, the first picture's first.
// Entropy-coded data is stepped over marker by marker, and a picture ends at its end marker; the
// next one starts at the next start marker after it. A header that is cut off or no marker where
// one belongs ends that picture; the decoder judges the rest.
std::vector<Block> app1_segments(std::string_view jpeg, int images = kMaxImages) {
  std::vector<Block> out;
  if (jpeg.size() < 2 || byte_at(jpeg, 0) != 0xFF || byte_at(jpeg, 1) != 0xD8) return out;
  std::size_t pos = 2;
  for (int image = 0; image < images;) {
    bool ended = false;  // at the end marker
    while (pos + 2 <= jpeg.size()) {
      if (byte_at(jpeg, pos) != 0xFF) break;
      const unsigned char marker = byte_at(jpeg, pos + 1);
      if (marker == 0xFF) {  // fill byte
        ++pos;
        continue;
      }
      if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // markers without a length
        pos += 2;
        continue;
      }
      if (marker == 0xD9) {
        pos += 2;
        ended = true;
        break;
      }
      if (pos + 4 > jpeg.size()) break;
      const std::size_t length = std::size_t(byte_at(jpeg, pos + 2)) << 8 | byte_at(jpeg, pos + 3);
      if (length < 2 || length > jpeg.size() - pos - 2) break;
      if (marker == 0xE1) out.push_back({pos + 4, length - 2});
      pos += 2 + length;
      if (marker == 0xDA) {
        // The scan's data up to the next marker: 0xFF followed by a stuffed zero, a restart
        // marker or a fill byte belongs to it.
        while (pos + 1 < jpeg.size()) {
          if (byte_at(jpeg, pos) != 0xFF) {
            ++pos;
            continue;
          }
          const unsigned char next = byte_at(jpeg, pos + 1);
          if (next == 0x00 || (next >= 0xD0 && next <= 0xD7) || next == 0xFF) {
            ++pos;
            continue;
          }
          break;
        }
      }
    }
    ++image;
    if (!ended) break;
    // The next picture, if any.
    const std::size_t next = jpeg.find(std::string_view("\xFF\xD8\xFF", 3), pos);
    if (next == std::string_view::npos) break;
    pos = next + 2;
  }
  return out;
}

// The TIFF data of the Exif segments: after "Exif", a zero and one pad byte.
std::vector<Block> exif_blocks(std::string_view jpeg, int images = kMaxImages) {
  static constexpr std::string_view kExif("Exif\0", 5);
  std::vector<Block> out;
  for (const Block& b : app1_segments(jpeg, images)) {
    if (b.size > kExif.size() && jpeg.substr(b.start, kExif.size()) == kExif) {
      out.push_back({b.start + kExif.size() + 1, b.size - kExif.size() - 1});
    }
  }
  return out;
}

// The text of the XMP packets (photo editors repeat the position there).
std::vector<Block> xmp_packets(std::string_view jpeg) {
  static constexpr std::string_view kXmp("http://ns.adobe.com/xap/1.0/\0", 29);
  std::vector<Block> out;
  for (const Block& b : app1_segments(jpeg)) {
    if (b.size >= kXmp.size() && jpeg.substr(b.start, kXmp.size()) == kXmp) {
      out.push_back({b.start + kXmp.size(), b.size - kXmp.size()});
    }
  }
  return out;
}

// The pieces of extended XMP (a packet too large for one segment, split over several): after
// the name, a 32-character id, the whole packet's length and this piece's offset in it. The
// pieces of one id, in the order of their offsets, make one text.
std::vector<std::vector<Block>> extended_xmp(std::string_view jpeg) {
  static constexpr std::string_view kExtension("http://ns.adobe.com/xmp/extension/\0", 35);
  constexpr std::size_t kHead = kExtension.size() + 32 + 4 + 4;
  struct Piece {
    std::string_view id;
    std::uint32_t offset;
    Block data;
  };
  std::vector<Piece> pieces;
  for (const Block& b : app1_segments(jpeg)) {
    if (b.size < kHead || jpeg.substr(b.start, kExtension.size()) != kExtension) continue;
    const std::size_t at = b.start + kExtension.size() + 32 + 4;
    const std::uint32_t offset = std::uint32_t(byte_at(jpeg, at)) << 24 |
                                 std::uint32_t(byte_at(jpeg, at + 1)) << 16 |
                                 std::uint32_t(byte_at(jpeg, at + 2)) << 8 | byte_at(jpeg, at + 3);
    pieces.push_back({jpeg.substr(b.start + kExtension.size(), 32), offset,
                      {b.start + kHead, b.size - kHead}});
  }
  std::stable_sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) {
    return a.id != b.id ? a.id < b.id : a.offset < b.offset;
  });
  std::vector<std::vector<Block>> out;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i == 0 || pieces[i].id != pieces[i - 1].id) out.emplace_back();
    out.back().push_back(pieces[i].data);
  }
  return out;
}

bool name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.';
}

bool space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A property that holds a position: its local name starts with "gps" (exif:GPSLatitude,
// drone-dji:GpsLongitude) or names a latitude or longitude, in any letter case.
bool position_name(std::string_view local) {
  std::string lower(local);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower.rfind("gps", 0) == 0 || lower.find("latitude") != std::string::npos ||
         lower.find("longitude") != std::string::npos;
}

// Overwrites with blanks the values of every XMP property that holds a position (see
// position_name), written as an attribute or as an element; markup and length stay, so the
// packet still reads. True when something changed.
bool blank_xmp_gps(char* text, std::size_t size) {
  const std::string_view p(text, size);
  bool changed = false;
  const auto blank = [&](std::size_t from, std::size_t to, bool skip_markup) {
    bool in_markup = false;
    for (std::size_t i = from; i < to; ++i) {
      if (skip_markup && p[i] == '<') in_markup = true;
      if (!in_markup && !space(p[i])) {
        text[i] = ' ';
        changed = true;
      }
      if (skip_markup && p[i] == '>') in_markup = false;
    }
  };
  for (std::size_t at = p.find(':'); at != std::string_view::npos; at = p.find(':', at + 1)) {
    std::size_t begin = at;
    while (begin > 0 && name_char(p[begin - 1])) --begin;
    std::size_t end = at + 1;
    while (end < size && name_char(p[end])) ++end;
    if (begin == 0 || begin == at || end == at + 1) continue;
    if (!position_name(p.substr(at + 1, end - at - 1))) continue;
    const std::string_view qualified = p.substr(begin, end - begin);
    if (qualified.substr(0, 6) == "xmlns:") continue;  // a prefix's binding, no value
    if (p[begin - 1] == '<') {
      // An element: every text up to its closing tag, nested values included.
      const std::size_t open_end = p.find('>', end);
      if (open_end == std::string_view::npos || p[open_end - 1] == '/') continue;
      const std::string closing = "</" + std::string(qualified);
      const std::size_t close = p.find(closing, open_end);
      if (close == std::string_view::npos) continue;
      blank(open_end + 1, close, true);
    } else if (space(p[begin - 1])) {
      // An attribute: name, optional blanks, '=', optional blanks, a quoted value.
      std::size_t i = end;
      while (i < size && space(p[i])) ++i;
      if (i >= size || p[i] != '=') continue;
      ++i;
      while (i < size && space(p[i])) ++i;
      if (i >= size || (p[i] != '"' && p[i] != '\'')) continue;
      const std::size_t close = p.find(p[i], i + 1);
      if (close == std::string_view::npos) continue;
      blank(i + 1, close, false);
    }
  }
  return changed;
}

// The TIFF data of one block, read in its byte order.
struct Tiff {
  std::string_view d;
  bool big_endian = false;

  bool fits(std::size_t at, std::uint64_t n) const { return at <= d.size() && n <= d.size() - at; }
  std::uint32_t u16(std::size_t at) const {
    const std::uint32_t a = byte_at(d, at), b = byte_at(d, at + 1);
    return big_endian ? a << 8 | b : b << 8 | a;
  }
  std::uint32_t u32(std::size_t at) const {
    return big_endian ? u16(at) << 16 | u16(at + 2) : u16(at + 2) << 16 | u16(at);
  }
  void put16(std::size_t at, std::uint32_t v) const {
    char* p = const_cast<char*>(d.data()) + at;
    p[big_endian ? 0 : 1] = static_cast<char>(v >> 8);
    p[big_endian ? 1 : 0] = static_cast<char>(v & 0xFF);
  }
  void zero(std::size_t at, std::size_t n) const {
    std::memset(const_cast<char*>(d.data()) + at, 0, n);
  }

  // The number of entries of the directory at `at`, when they and the next directory's offset
  // after them lie in the block.
  std::optional<std::size_t> entries(std::size_t at) const {
    if (!fits(at, 2)) return std::nullopt;
    const std::size_t n = u16(at);
    if (!fits(at + 2, n * kEntrySize + 4)) return std::nullopt;
    return n;
  }
  std::size_t entry(std::size_t directory, std::size_t i) const {
    return directory + 2 + i * kEntrySize;
  }
};

std::optional<Tiff> open_tiff(std::string_view d) {
  if (d.size() < 8) return std::nullopt;
  Tiff t{d, false};
  if (d.substr(0, 2) == "MM") {
    t.big_endian = true;
  } else if (d.substr(0, 2) != "II") {
    return std::nullopt;
  }
  if (t.u16(2) != 42) return std::nullopt;
  return t;
}

std::uint64_t type_size(std::uint32_t type) {
  switch (type) {
    case 1:
    case 2:
    case 6:
    case 7:
      return 1;  // bytes, text, undefined
    case 3:
    case 8:
      return 2;  // shorts
    case 4:
    case 9:
    case 11:
    case 13:
      return 4;  // longs, floats, directory offsets
    case 5:
    case 10:
    case 12:
      return 8;  // fractions, doubles
    default:
      return 0;  // unknown: its value cannot be found
  }
}

// Zeros a GPS directory and the values it points to, as far as they lie in the block.
void zero_directory(const Tiff& t, std::size_t at) {
  if (!t.fits(at, 2)) return;
  const std::size_t n = t.u16(at);
  for (std::size_t i = 0; i < n && t.fits(t.entry(at, i), kEntrySize); ++i) {
    const std::size_t e = t.entry(at, i);
    const std::uint64_t size = type_size(t.u16(e + 2)) * t.u32(e + 4);
    if (size <= 4) continue;  // the value sits in the entry itself
    const std::size_t value = t.u32(e + 8);
    if (t.fits(value, size)) t.zero(value, static_cast<std::size_t>(size));
  }
  t.zero(at, std::min<std::size_t>(2 + n * kEntrySize + 4, t.d.size() - at));
}

bool remove_location_in(const Tiff& t) {
  bool changed = false;
  std::vector<std::size_t> gps, seen;
  std::size_t directory = t.u32(4);
  for (int k = 0; k < kMaxDirectories && directory != 0; ++k) {
    auto n = t.entries(directory);
    if (!n || std::find(seen.begin(), seen.end(), directory) != seen.end()) break;
    seen.push_back(directory);
    for (std::size_t i = 0; i < *n;) {
      const std::size_t e = t.entry(directory, i);
      if (t.u16(e) != kGpsTag) {
        ++i;
        continue;
      }
      gps.push_back(t.u32(e + 8));
      // The later entries and the next directory's offset move up; the freed end is zeroed.
      char* base = const_cast<char*>(t.d.data());
      std::memmove(base + e, base + e + kEntrySize, (*n - 1 - i) * kEntrySize + 4);
      t.zero(t.entry(directory, *n - 1) + 4, kEntrySize);
      --*n;
      t.put16(directory, static_cast<std::uint32_t>(*n));
      changed = true;
    }
    directory = t.u32(t.entry(directory, *n));
  }
  for (std::size_t at : gps) zero_directory(t, at);
  return changed;
}

}  // namespace

int exif_orientation(std::string_view jpeg) {
  const auto blocks = exif_blocks(jpeg, 1);
  if (blocks.empty()) return 1;
  const auto t = open_tiff(jpeg.substr(blocks[0].start, blocks[0].size));
  if (!t) return 1;
  const std::size_t directory = t->u32(4);
  const auto n = t->entries(directory);
  if (!n) return 1;
  for (std::size_t i = 0; i < *n; ++i) {
    const std::size_t e = t->entry(directory, i);
    if (t->u16(e) != kOrientationTag) continue;
    const std::uint32_t type = t->u16(e + 2), value = t->u16(e + 8);
    return type == 3 && t->u32(e + 4) >= 1 && value >= 1 && value <= 8 ? int(value) : 1;
  }
  return 1;
}

bool remove_location(std::string& jpeg) {
  bool changed = false;
  for (const Block& b : xmp_packets(jpeg)) {
    changed = blank_xmp_gps(jpeg.data() + b.start, b.size) || changed;
  }
  // An extended packet is blanked as one text, so a name split between two pieces is found.
  for (const std::vector<Block>& pieces : extended_xmp(jpeg)) {
    std::string joined;
    for (const Block& b : pieces) joined.append(jpeg, b.start, b.size);
    if (!blank_xmp_gps(joined.data(), joined.size())) continue;
    std::size_t at = 0;
    for (const Block& b : pieces) {
      jpeg.replace(b.start, b.size, joined, at, b.size);
      at += b.size;
    }
    changed = true;
  }
  for (const Block& b : exif_blocks(jpeg)) {
    const std::string_view data(jpeg.data() + b.start, b.size);
    const auto t = open_tiff(data);
    if (t && t->entries(t->u32(4))) {
      changed = remove_location_in(*t) || changed;
    } else if (data.find_first_not_of('\0') != std::string_view::npos) {
      std::memset(jpeg.data() + b.start, 0, b.size);
      changed = true;
    }
  }
  return changed;
}

Image decode_upright(std::string_view bytes, Size min_size) {
  if (content_kind(bytes) != PictureKind::Jpeg) return decode(bytes, min_size);
  const int orientation = exif_orientation(bytes);
  return oriented(decode(bytes, oriented_size(min_size, orientation)), orientation);
}

}  // namespace tellvaro::media
