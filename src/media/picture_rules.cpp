#include "media/picture_rules.h"

#include <algorithm>

#include "text/ascii.h"
#include "text/cp1252.h"
#include "text/number.h"

namespace tellvaro::media {
namespace {

// Position of the extension's dot in a bare file name, npos when there is none.
std::size_t extension_dot(std::string_view name) {
  const auto dot = name.rfind('.');
  return dot == 0 ? std::string_view::npos : dot;
}

}  // namespace

PictureKind kind_of(std::string_view file_name) {
  const std::string name = file_name_of(file_name);
  const auto dot = extension_dot(name);
  if (dot == std::string::npos) return PictureKind::Other;
  const std::string ext = text::ascii_lower(std::string_view(name).substr(dot));
  if (ext == ".jpg" || ext == ".jpeg") return PictureKind::Jpeg;
  if (ext == ".bmp") return PictureKind::Bitmap;
  if (ext == ".gif") return PictureKind::Gif;
  return PictureKind::Other;
}

std::string file_name_of(std::string_view path) {
  const auto slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string shrunk_name(std::string_view file_name) {
  const auto dot = extension_dot(file_name);
  return std::string(file_name.substr(0, dot)) + ".jpg";
}

std::string shortened_name(std::string_view file_name, std::size_t width, int n) {
  const std::string suffix = n > 1 ? "~" + text::format_int(n) : std::string();
  if (suffix.empty() && text::char_count(file_name) <= width) return std::string(file_name);
  const auto dot = extension_dot(file_name);
  const std::string_view extension =
      dot == std::string_view::npos ? std::string_view() : file_name.substr(dot);
  const std::string_view stem = file_name.substr(0, file_name.size() - extension.size());
  const std::size_t tail = text::char_count(extension) + suffix.size();
  if (tail >= width) {  // no room for any of the stem: an absurd extension is cut instead
    const std::string whole = std::string(stem) + suffix + std::string(extension);
    return std::string(text::first_chars(whole, width));
  }
  std::string_view cut = text::first_chars(stem, width - tail);
  const auto keep = cut.find_last_not_of(" .-_");
  if (keep != std::string_view::npos) cut = cut.substr(0, keep + 1);
  return std::string(cut) + suffix + std::string(extension);
}

int scale_side(int side, int percent) {
  const long long n = static_cast<long long>(side) * percent;
  long long q = n / 100;
  const long long r = n % 100;
  if (r > 50 || (r == 50 && q % 2 != 0)) ++q;
  return static_cast<int>(q);
}

Size fit_into(Size picture, Size box) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  if (picture.width <= box.width && picture.height <= box.height) return picture;
  // Compare the two ratios in integers: the limiting side decides.
  const long long w = picture.width, h = picture.height;
  if (w * box.height >= h * box.width) {
    return {box.width, static_cast<int>(std::max<long long>(1, (h * box.width + w / 2) / w))};
  }
  return {static_cast<int>(std::max<long long>(1, (w * box.height + h / 2) / h)), box.height};
}

}  // namespace tellvaro::media
