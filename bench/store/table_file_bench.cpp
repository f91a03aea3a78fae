// Loading and saving a table file of 10,000 articles against the floor of parsing the same
// file into a plain libxml2 DOM. Each measurement runs in a fresh process of this program, so
// its peak memory is its own. Prints one line per figure.
//
//   bench_store_table                 generate the file, measure everything
//   bench_store_table --write FILE    only write the generated file
//   bench_store_table --file FILE     measure with an existing file

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>

#include "article_generator.h"
#include "store/data_packet.h"
#include "store/table.h"

namespace {

using namespace tellvaro;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kArticles = 10000;
constexpr int kRuns = 5;

long status_kb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
  }
  return 0;
}

// Peak memory from here on: the high-water mark is reset to what the process holds now.
struct PeakMeter {
  long base_kb;
  PeakMeter() {
    std::ofstream("/proc/self/clear_refs") << "5";
    base_kb = status_kb("VmRSS:");
  }
  long growth_kb() const { return status_kb("VmHWM:") - base_kb; }
};

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The best of several runs; `prepare` runs untimed before each.
double best_ms(const std::function<void()>& prepare, const std::function<void()>& run) {
  double best = 1e300;
  for (int i = 0; i < kRuns; ++i) {
    prepare();
    const auto t0 = Clock::now();
    run();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  return best;
}

// One measurement in this (child) process; prints "<ms> <peak kB>".
int measure(const std::string& what, const std::string& file) {
  double ms = 0;
  long peak_kb = 0;
  if (what == "floor") {
    xmlInitParser();
    {
      PeakMeter meter;
      const std::string bytes = read_file(file);
      xmlDocPtr doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), file.c_str(),
                                    "windows-1252", XML_PARSE_NONET | XML_PARSE_HUGE);
      if (!doc) {
        std::fprintf(stderr, "libxml2 kann die Datei nicht lesen\n");
        return 1;
      }
      peak_kb = meter.growth_kb();
      // The floor counts only if libxml2 read every row.
      std::size_t rows = 0;
      for (xmlNode* n = xmlDocGetRootElement(doc)->children; n; n = n->next) {
        if (n->type != XML_ELEMENT_NODE ||
            std::strcmp(reinterpret_cast<const char*>(n->name), "ROWDATA") != 0)
          continue;
        for (xmlNode* r = n->children; r; r = r->next) rows += r->type == XML_ELEMENT_NODE;
      }
      xmlFreeDoc(doc);
      if (rows != store::parse_table(read_file(file), file).size()) {
        std::fprintf(stderr, "libxml2 hat nicht alle Zeilen gelesen\n");
        return 1;
      }
    }
    std::string bytes = read_file(file);
    ms = best_ms(
        [] {},
        [&] {
          xmlFreeDoc(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), file.c_str(),
                                   "windows-1252", XML_PARSE_NONET | XML_PARSE_HUGE));
        });
  } else if (what == "parse") {
    {
      PeakMeter meter;
      const std::string bytes = read_file(file);
      auto records = store::parse_table(bytes, file);
      peak_kb = meter.growth_kb();
    }
    const std::string bytes = read_file(file);
    ms = best_ms([] {}, [&] { store::parse_table(bytes, file); });
  } else if (what == "load") {
    {
      PeakMeter meter;
      store::Table table;
      store::load_table(table, file);
      peak_kb = meter.growth_kb();
    }
    ms = best_ms([] {},
                 [&] {
                   store::Table table;
                   store::load_table(table, file);
                 });
  } else if (what == "save" || what == "format") {
    store::Table table;
    store::load_table(table, file);
    const std::string out = file + ".saved";
    {
      PeakMeter meter;
      if (what == "save") {
        store::save_table(table, out);
      } else {
        const std::string bytes = store::format_table(table.stored());
      }
      peak_kb = meter.growth_kb();
    }
    ms = best_ms([&] { std::filesystem::remove(out); },
                 [&] {
                   if (what == "save") {
                     store::save_table(table, out);
                   } else {
                     const std::string bytes = store::format_table(table.stored());
                   }
                 });
    if (what == "save" && read_file(out) != read_file(file)) {
      std::fprintf(stderr, "gespeicherte Datei weicht von der geladenen ab\n");
      return 1;
    }
    std::filesystem::remove(out);
  } else if (what == "sort" || what == "filter") {
    store::Table table;
    store::load_table(table, file);
    bool flip = false;
    ms = best_ms(
        [] {},
        [&] {
          if (what == "sort") {
            table.sort(store::SortKind::AscendingNoCase, store::F::Artikelname);
            table.sort(store::SortKind::AscendingCase, store::F::Artikelname);
          } else {
            table.set_filter(
                store::Table::like_expression(store::F::Artikelname, flip ? "uhr" : "Uhr"));
            table.set_filtered(true);
            table.set_filtered(false);
          }
          flip = !flip;
        });
  } else {
    std::fprintf(stderr, "unbekannte Messung %s\n", what.c_str());
    return 2;
  }
  std::printf("%.3f %ld\n", ms, peak_kb);
  return 0;
}

struct Figure {
  double ms = 0;
  double peak_mb = 0;
};

// Runs one measurement in a fresh process of this program.
Figure run_child(const std::string& what, const std::string& file) {
  int pipe_fd[2];
  if (pipe(pipe_fd) != 0) throw std::runtime_error("pipe");
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipe_fd[1], STDOUT_FILENO);
    close(pipe_fd[0]);
    close(pipe_fd[1]);
    execl("/proc/self/exe", "bench_store_table", "--measure", what.c_str(), file.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipe_fd[1]);
  std::string out;
  char buf[256];
  ssize_t n;
  while ((n = read(pipe_fd[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
  close(pipe_fd[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  Figure f;
  long kb = 0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      std::sscanf(out.c_str(), "%lf %ld", &f.ms, &kb) != 2) {
    throw std::runtime_error("Messung '" + what + "' fehlgeschlagen");
  }
  f.peak_mb = kb / 1024.0;
  return f;
}

void write_generated(const std::string& path) {
  std::ofstream(path, std::ios::binary) << store::format_table(bench::generate_articles(kArticles));
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && args[0] == "--measure") return measure(args[1], args[2]);
  if (args.size() == 2 && args[0] == "--write") {
    write_generated(args[1]);
    return 0;
  }
  std::string file;
  std::filesystem::path temp;
  if (args.size() == 2 && args[0] == "--file") {
    file = args[1];
  } else if (args.empty()) {
    temp = std::filesystem::temp_directory_path() / ("tellvaro-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(temp);
    file = (temp / "artikel_db.xml").string();
    write_generated(file);
  } else {
    std::fprintf(stderr, "Aufruf: bench_store_table [--file DATEI | --write DATEI]\n");
    return 2;
  }

  int rc = 0;
  try {
    const double size_mb = std::filesystem::file_size(file) / (1024.0 * 1024.0);
    std::printf("Tabellendatei: %.1f MB (%s)\n", size_mb, file.c_str());
    const Figure floor = run_child("floor", file);
    std::printf(
        "Boden, libxml2-DOM (xmlReadMemory): %.1f ms, Spitzenspeicher %.1f MB = %.2fx Datei\n",
        floor.ms, floor.peak_mb, floor.peak_mb / size_mb);
    const Figure parse = run_child("parse", file);
    std::printf(
        "Laden, parse_table aus dem Speicher: %.1f ms = %.2fx Boden (Ziel <= 1.0x), "
        "Spitzenspeicher %.1f MB = %.2fx Datei\n",
        parse.ms, parse.ms / floor.ms, parse.peak_mb, parse.peak_mb / size_mb);
    const Figure load = run_child("load", file);
    std::printf(
        "Laden, load_table aus der Datei: %.1f ms = %.2fx Boden (Ziel <= 1.0x), "
        "Spitzenspeicher %.1f MB = %.2fx Datei (Ziel <= 1.5x)\n",
        load.ms, load.ms / floor.ms, load.peak_mb, load.peak_mb / size_mb);
    const Figure format = run_child("format", file);
    std::printf(
        "Speichern, format_table in den Speicher: %.1f ms = %.2fx Boden, "
        "zusätzlicher Spitzenspeicher %.1f MB\n",
        format.ms, format.ms / floor.ms, format.peak_mb);
    const Figure save = run_child("save", file);
    std::printf(
        "Speichern, save_table (formatieren, schreiben, fsync, umbenennen): %.1f ms = "
        "%.2fx Boden (Ziel <= 0.5x), zusätzlicher Spitzenspeicher %.1f MB\n",
        save.ms, save.ms / floor.ms, save.peak_mb);
    const Figure sort = run_child("sort", file);
    std::printf("Sortieren nach Artikelname (Index und Sortierfeld): %.1f ms\n", sort.ms);
    const Figure filter = run_child("filter", file);
    std::printf("Filter [Artikelname] like '%%Uhr%%' ein und aus: %.1f ms\n", filter.ms);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    rc = 1;
  }
  if (!temp.empty()) std::filesystem::remove_all(temp);
  return rc;
}
