#pragma once

// The rules of the three picture slots that need no pixels: kinds, names, the size limit, the
// pass sizes of the shrink and the preview box.

#include <cstdint>
#include <string>
#include <string_view>

namespace tellvaro::media {

// A file above this many bytes is too large; exactly this many is accepted.
inline constexpr std::uintmax_t kSizeLimit = 1000000;

inline constexpr int kSlotCount = 3;

// The preview frame of each slot.
inline constexpr int kPreviewWidth = 177;
inline constexpr int kPreviewHeight = 146;

enum class PictureKind { Jpeg, Bitmap, Gif, Other };

// By the extension, letter case ignored: .jpg/.jpeg, .bmp, .gif.
PictureKind kind_of(std::string_view file_name);

// JPEG and bitmap can be shrunk; GIF and anything else cannot.
inline bool shrinkable(PictureKind k) { return k == PictureKind::Jpeg || k == PictureKind::Bitmap; }

inline bool too_large(std::uintmax_t bytes) { return bytes > kSizeLimit; }

// The last part of a path ("/a/b/Haus.JPG" gives "Haus.JPG").
std::string file_name_of(std::string_view path);

// The name with its extension replaced by ".jpg" (Haus.jpeg and Haus.JPG give Haus.jpg; a name
// without extension gets one).
std::string shrunk_name(std::string_view file_name);

// The name cut to at most `width` characters, for a field that holds no more: the extension is
// kept, the rest shortened, with "~n" before the extension for n above 1, and blanks, dots,
// dashes and underscores at the cut dropped. A name that fits comes back unchanged for n = 1.
std::string shortened_name(std::string_view file_name, std::size_t width, int n = 1);

// side × percent / 100, to the nearest whole number, halves to the even one.
int scale_side(int side, int percent);

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

// The size a picture is shown at inside a box: proportions kept, never enlarged, at least one
// pixel each way.
Size fit_into(Size picture, Size box);

}  // namespace tellvaro::media
