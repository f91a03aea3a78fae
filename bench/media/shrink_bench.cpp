// Shrinking a 24-megapixel photo below the size limit, beside ImageMagick's `convert` running
// the same passes (same sizes, quality 80, each pass from the previous pass's file) on the same
// file; and a 120-megapixel phone photo lying on its side (EXIF orientation 6), which is
// decoded at half its sides, turned upright and shrunk. Each run is a child process of its
// own, so its peak memory is its own.
//
//   build/bench/media/bench_media_shrink [runs]

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "media/exif.h"
#include "media/image.h"
#include "media/shrink.h"
#include "store/file_io.h"
#include "support/pictures.h"

using namespace tellvaro;
using namespace tellvaro::media;

namespace {

struct Run {
  double seconds = 0;
  long peak_kb = 0;
  bool ok = false;
};

// Runs `work` in a child; its time and peak resident memory.
Run in_child(const std::function<int()>& work) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(work());
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  Run r;
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.peak_kb = usage.ru_maxrss;
  r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return r;
}

// One row of a photo-like picture: soft shapes and gradients under sensor noise, which JPEG
// cannot squeeze.
void photo_row(int w, int h, int y, std::mt19937& rng, std::uint8_t* row) {
  std::normal_distribution<float> noise(0.0f, 9.0f);
  const float fy = float(y) / h;
  for (int x = 0; x < w; ++x) {
    const float fx = float(x) / w;
    const float sky = 120 + 100 * fy, leaf = 60 + 50 * std::sin(fx * 37 + fy * 11);
    const float shade = 0.6f + 0.4f * std::sin(fx * 7.0f) * std::cos(fy * 5.0f);
    const float base[3] = {sky * shade + leaf * 0.3f, (sky * 0.8f + leaf) * shade,
                           (255 - sky * 0.5f) * shade};
    for (int c = 0; c < 3; ++c) {
      row[x * 3 + c] = static_cast<std::uint8_t>(std::clamp(base[c] + noise(rng), 0.0f, 255.0f));
    }
  }
}

Image make_photo(int w, int h) {
  Image image;
  image.width = w;
  image.height = h;
  image.rgb.resize(std::size_t(w) * h * 3);
  std::mt19937 rng(2026);
  for (int y = 0; y < h; ++y) photo_row(w, h, y, rng, image.row(y));
  return image;
}

// The same kind of photo as a JPEG written row by row: a picture above the decoder's pixel
// limit can never be held whole.
std::string make_big_photo_jpeg(int w, int h, int quality) {
  std::mt19937 rng(2026);
  return media::testing::make_big_jpeg(
      w, h, quality, [&](int width, int height, int y, std::uint8_t* row) {
        photo_row(width, height, y, rng, row);
      });
}

std::uintmax_t file_size(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? std::uintmax_t(st.st_size) : 0;
}

// The photo with an EXIF block holding orientation 6, as a phone held upright writes it.
std::string lying_on_its_side(const std::string& jpeg) {
  static constexpr char kExif[] =
      "Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0";
  const std::string payload(kExif, sizeof kExif - 1);
  std::string segment = "\xFF\xE1";
  segment += static_cast<char>((payload.size() + 2) >> 8);
  segment += static_cast<char>((payload.size() + 2) & 0xFF);
  return jpeg.substr(0, 2) + segment + payload + jpeg.substr(2);
}

// What a picture slot does with a file above the limit: read, decode upright, shrink, write.
int shrink_file(const std::string& from, const std::string& to, const std::string& log_path) {
  std::string bytes = store::detail::read_whole_file(from);
  const std::uintmax_t size = bytes.size();
  Image loaded = decode_upright(bytes);
  std::string().swap(bytes);
  const ShrinkResult result = shrink_to_limit(loaded, size);
  std::ofstream(to, std::ios::binary) << result.jpeg;
  std::ofstream log(log_path);
  for (const auto& p : result.passes) {
    log << p.size.width << ' ' << p.size.height << ' ' << p.bytes << '\n';
  }
  return result.fits ? 0 : 1;
}

std::vector<ShrinkPass> read_passes(const std::string& log_path) {
  std::vector<ShrinkPass> passes;
  std::ifstream log(log_path);
  ShrinkPass p;
  while (log >> p.size.width >> p.size.height >> p.bytes) passes.push_back(p);
  return passes;
}

bool have_convert() { return std::system("command -v convert >/dev/null 2>&1") == 0; }

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  char tmpl[] = "/tmp/tellvaro-shrink-XXXXXX";
  const std::string dir = ::mkdtemp(tmpl);
  const std::string photo = dir + "/foto.jpg";
  {
    const std::string bytes = encode_jpeg(make_photo(6000, 4000), 93);
    std::ofstream(photo, std::ios::binary) << bytes;
  }
  const std::uintmax_t photo_bytes = file_size(photo);
  std::printf("Foto: 6000 x 4000, %.2f MB\n", photo_bytes / 1e6);

  // Ours: read, decode, passes, write the result.
  Run best_ours{1e9, 0, false};
  for (int i = 0; i < runs; ++i) {
    Run r = in_child([&] { return shrink_file(photo, dir + "/ours.jpg", dir + "/passes.txt"); });
    if (r.seconds < best_ours.seconds) best_ours.seconds = r.seconds;
    best_ours.peak_kb = std::max(best_ours.peak_kb, r.peak_kb);
    best_ours.ok = r.ok;
  }
  const std::vector<ShrinkPass> passes = read_passes(dir + "/passes.txt");
  std::printf("Tellvaro (libjpeg-turbo): %zu Durchgänge\n", passes.size());
  for (const auto& p : passes) {
    std::printf("  %5d x %-5d %9ju Bytes\n", p.size.width, p.size.height, p.bytes);
  }
  std::printf("  Zeit %.2f s (beste von %d), Spitze %.0f MB%s\n", best_ours.seconds, runs,
              best_ours.peak_kb / 1024.0, best_ours.ok ? "" : " FEHLER");

  // 120 megapixels (13416 x 8944), made in a child of its own so that no run inherits it.
  const std::string big = dir + "/gross.jpg";
  in_child([&] {
    std::ofstream(big, std::ios::binary)
        << lying_on_its_side(make_big_photo_jpeg(13416, 8944, 90));
    return 0;
  });
  std::printf("Foto: 13416 x 8944 (120 Megapixel, Orientierung 6), %.2f MB\n",
              file_size(big) / 1e6);
  Run best_big{1e9, 0, false};
  for (int i = 0; i < runs; ++i) {
    Run r =
        in_child([&] { return shrink_file(big, dir + "/gross-klein.jpg", dir + "/gross.txt"); });
    if (r.seconds < best_big.seconds) best_big.seconds = r.seconds;
    best_big.peak_kb = std::max(best_big.peak_kb, r.peak_kb);
    best_big.ok = r.ok;
  }
  std::printf("Tellvaro, zur Hälfte dekodiert und aufgerichtet:\n");
  for (const auto& p : read_passes(dir + "/gross.txt")) {
    std::printf("  %5d x %-5d %9ju Bytes\n", p.size.width, p.size.height, p.bytes);
  }
  std::printf("  Zeit %.2f s (beste von %d), Spitze %.0f MB%s\n", best_big.seconds, runs,
              best_big.peak_kb / 1024.0, best_big.ok ? "" : " FEHLER");
  best_ours.ok = best_ours.ok && best_big.ok;

  if (!have_convert()) {
    std::printf("ImageMagick (convert) fehlt: kein Vergleich.\n");
    std::filesystem::remove_all(dir);
    return best_ours.ok ? 0 : 1;
  }
  // ImageMagick: the same pass sizes, each pass one convert from the previous pass's file.
  Run best_im{1e9, 0, false};
  std::vector<std::uintmax_t> im_bytes;
  for (int i = 0; i < runs; ++i) {
    im_bytes.clear();
    Run total{0, 0, true};
    std::string previous = photo;
    for (std::size_t k = 0; k < passes.size(); ++k) {
      const std::string out = dir + "/im" + std::to_string(k) + ".jpg";
      const std::string geometry =
          std::to_string(passes[k].size.width) + "x" + std::to_string(passes[k].size.height) + "!";
      std::vector<std::string> args = {"convert", previous};
      if (k > 0) args.insert(args.end(), {"-resize", geometry});
      args.insert(args.end(), {"-quality", "80", out});
      Run r = in_child([&] {
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        return 127;
      });
      total.seconds += r.seconds;
      total.peak_kb = std::max(total.peak_kb, r.peak_kb);
      total.ok = total.ok && r.ok;
      im_bytes.push_back(file_size(out));
      previous = out;
    }
    if (total.seconds < best_im.seconds) best_im.seconds = total.seconds;
    best_im.peak_kb = std::max(best_im.peak_kb, total.peak_kb);
    best_im.ok = total.ok;
  }
  std::printf("ImageMagick convert: %zu Durchgänge\n", im_bytes.size());
  for (std::size_t k = 0; k < im_bytes.size(); ++k) {
    std::printf("  %5d x %-5d %9ju Bytes\n", passes[k].size.width, passes[k].size.height,
                im_bytes[k]);
  }
  std::printf("  Zeit %.2f s (beste von %d), Spitze %.0f MB%s\n", best_im.seconds, runs,
              best_im.peak_kb / 1024.0, best_im.ok ? "" : " FEHLER");
  std::printf("Verhältnis Zeit Tellvaro / ImageMagick: %.2f\n",
              best_ours.seconds / best_im.seconds);
  std::filesystem::remove_all(dir);
  return best_ours.ok && best_im.ok ? 0 : 1;
}
