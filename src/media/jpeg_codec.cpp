// JPEG through libjpeg-turbo. Its errors arrive through a longjmp back into the function that
// set it up; those functions keep no C++ objects alive across the jump.

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

#include "media/image.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::media {
namespace {

// A file that needs more scans than this is no photo but an attempt to keep us busy.
constexpr int kMaxScans = 500;
// libjpeg's own working memory (the coefficient buffer of a progressive file) stays below this.
constexpr long kMaxWorkingMemory = 400L * 1024 * 1024;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void on_error(j_common_ptr info) {
  auto* err = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings that mean lost picture data (a cut-off file, damaged entropy data) end the decode;
// harmless ones (stray bytes between markers) are ignored.
void on_message(j_common_ptr info, int level) {
  if (level >= 0) return;
  switch (info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
      on_error(info);
    default:
      break;
  }
}

void limit_scans(j_common_ptr info) {
  auto* d = reinterpret_cast<j_decompress_ptr>(info);
  if (d->input_scan_number > kMaxScans) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    std::snprintf(err->message, sizeof err->message, "mehr als %d Durchgänge", kMaxScans);
    std::longjmp(err->jump, 1);
  }
}

// What the decode left behind; filled without leaving C++ objects across the jump.
struct Decoded {
  int width = 0, height = 0;
  std::vector<std::uint8_t>* pixels = nullptr;  // lives in the caller, beyond the jump
  bool too_large = false;
  bool no_memory = false;
  long long claimed_width = 0, claimed_height = 0;
};

// Returns false with `err.message` set when libjpeg refused the data.
bool run_decode(const unsigned char* data, unsigned long size, int min_w, int min_h,
                ErrorManager& err, Decoded& out) {
  jpeg_decompress_struct info;
  jpeg_progress_mgr progress;
  info.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = on_error;
  err.pub.emit_message = on_message;
  err.message[0] = '\0';
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = kMaxWorkingMemory;
  progress.progress_monitor = limit_scans;
  info.progress = &progress;
  jpeg_mem_src(&info, data, size);
  jpeg_read_header(&info, TRUE);
  out.claimed_width = info.image_width;
  out.claimed_height = info.image_height;
  const long long w = info.image_width, h = info.image_height;
  // libjpeg scales while it takes the blocks apart, so a reduced decode never holds the full
  // picture: the first 1/N within the pixel limit.
  int denom = 1;
  while (denom <= 8 && ((w + denom - 1) / denom) * ((h + denom - 1) / denom) > kMaxPixels) {
    denom *= 2;
  }
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide || denom > 8) {
    out.too_large = true;
    jpeg_destroy_decompress(&info);
    return true;
  }
  // Adobe's CMYK files store the inks inverted; libjpeg cannot turn CMYK into RGB itself.
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  const bool inverted = cmyk && info.saw_Adobe_marker;
  info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  if (min_w > 0 && min_h > 0) {
    // The smallest 1/N still covering the wanted size one way or the other.
    for (int d = 8; d > denom; d /= 2) {
      if ((w + d - 1) / d >= min_w || (h + d - 1) / d >= min_h) {
        denom = d;
        break;
      }
    }
  }
  info.scale_num = 1;
  info.scale_denom = static_cast<unsigned>(denom);
  jpeg_start_decompress(&info);
  const int ow = static_cast<int>(info.output_width), oh = static_cast<int>(info.output_height);
  const int comps = info.output_components;
  try {
    out.pixels->resize(std::size_t(ow) * oh * 3);
  } catch (const std::bad_alloc&) {
    out.no_memory = true;
  }
  if (out.no_memory) {
    std::snprintf(err.message, sizeof err.message, "zu wenig Speicher");
    jpeg_destroy_decompress(&info);
    return false;
  }
  unsigned char* line = nullptr;
  if (comps == 4) {
    line = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                     static_cast<JDIMENSION>(ow) * 4, 1)[0];
  }
  while (info.output_scanline < info.output_height) {
    unsigned char* dst = out.pixels->data() + std::size_t(info.output_scanline) * ow * 3;
    if (comps == 3) {
      jpeg_read_scanlines(&info, &dst, 1);
    } else if (comps == 1) {
      jpeg_read_scanlines(&info, &dst, 1);
      for (int x = ow - 1; x >= 0; --x) dst[x * 3] = dst[x * 3 + 1] = dst[x * 3 + 2] = dst[x];
    } else {
      jpeg_read_scanlines(&info, &line, 1);
      for (int x = 0; x < ow; ++x) {
        int c = line[x * 4], m = line[x * 4 + 1], y = line[x * 4 + 2], k = line[x * 4 + 3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        dst[x * 3] = static_cast<unsigned char>(c * k / 255);
        dst[x * 3 + 1] = static_cast<unsigned char>(m * k / 255);
        dst[x * 3 + 2] = static_cast<unsigned char>(y * k / 255);
      }
    }
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  out.width = ow;
  out.height = oh;
  return true;
}

bool run_encode(const Image& image, int quality, ErrorManager& err, unsigned char** buffer,
                unsigned long* size) {
  jpeg_compress_struct info;
  info.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = on_error;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, buffer, size);
  info.image_width = static_cast<JDIMENSION>(image.width);
  info.image_height = static_cast<JDIMENSION>(image.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    auto* row = const_cast<JSAMPLE*>(image.row(static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

}  // namespace

Image decode_jpeg(std::string_view bytes, Size min_size) {
  if (content_kind(bytes) != PictureKind::Jpeg) throw Error("Die Datei ist kein JPEG-Bild.");
  ErrorManager err;
  Image image;
  Decoded d;
  d.pixels = &image.rgb;
  const bool ok =
      run_decode(reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()), min_size.width, min_size.height, err, d);
  if (!ok) {
    throw Error(std::string("Das JPEG-Bild ist beschädigt oder unvollständig (") + err.message +
                ").");
  }
  if (d.too_large) {
    check_dimensions(d.claimed_width, d.claimed_height, kMaxJpegPixels);
    // Only a hair within that bound: even 1/8 of it rounds up past the decoded limit.
    throw Error("Das Bild ist mit " + text::format_int(d.claimed_width) + " x " +
                text::format_int(d.claimed_height) + " Bildpunkten zu groß.");
  }
  image.width = d.width;
  image.height = d.height;
  return image;
}

std::string encode_jpeg(const Image& image, int quality) {
  check_dimensions(image.width, image.height);
  ErrorManager err;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = run_encode(image, quality, err, &buffer, &size);
  std::string out;
  if (ok) out.assign(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  if (!ok)
    throw Error(std::string("Das Bild konnte nicht als JPEG gespeichert werden (") + err.message +
                ").");
  return out;
}

}  // namespace tellvaro::media
