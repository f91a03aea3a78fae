#include "media/pictures.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "media/exif.h"
#include "media/shrink.h"
#include "ports/dialogs.h"
#include "store/field.h"
#include "store/file_io.h"
#include "store/table.h"
#include "text/cp1252.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::media {
namespace {

// Shortened names tried before giving up: "-2" up to this.
constexpr int kMaxNameTries = 999;

bool regular_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Anything under that name, a dangling link included.
bool exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

void check_slot(int slot) {
  if (slot < 1 || slot > kSlotCount)
    throw Error("Bild " + text::format_int(slot) + " gibt es nicht.");
}

void remove_file(const std::string& path) {
  if (::unlink(path.c_str()) != 0) {
    throw Error("Die Datei '" + path +
                "' konnte nicht gelöscht werden: " + store::detail::reason(errno) + ".");
  }
}

std::string file_text(const std::string& name, const Error& e) {
  return "Die Datei '" + name + "' kann nicht verwendet werden:\n" + e.what();
}

}  // namespace

std::optional<std::string> picture_path(std::string_view folder, std::string_view name) {
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of("/\\") != std::string_view::npos ||
      name.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
  std::string path(folder);
  if (!path.empty() && path.back() != '/') path += '/';
  return path + std::string(name);
}

bool picture_exists(std::string_view folder, std::string_view name) {
  const auto path = picture_path(folder, name);
  return path && regular_file(*path);
}

std::optional<std::string> slot_picture(const store::Table& table, std::string_view folder,
                                        int slot) {
  check_slot(slot);
  const auto path = picture_path(folder, table.text(store::picture_field(slot)));
  if (path && regular_file(*path)) return path;
  return std::nullopt;
}

AttachOutcome attach_picture(store::Table& articles, int slot, const std::string& folder,
                             ports::Dialogs& dialogs, const StatusNote& note) {
  check_slot(slot);
  const auto chosen = dialogs.open_file("", std::string(kPictureFilter));
  if (!chosen) return AttachOutcome::Cancelled;
  const std::string source = *chosen;
  const std::string name = file_name_of(source);
  const std::string small_name = shrunk_name(name);
  const store::F field = store::picture_field(slot);
  const std::size_t width = static_cast<std::size_t>(store::field_of(field).width);
  const auto fits = [&](const std::string& n) { return text::char_count(n) <= width; };
  const std::string caption = "Bild " + text::format_int(slot);

  // Everything that can refuse the file happens before the first change: reading it, and
  // decoding it when it is a picture. What is decoded for a shrink is also what it starts from.
  std::string bytes = store::detail::read_whole_file(source);
  const std::uintmax_t size = bytes.size();
  const PictureKind kind = content_kind(bytes);
  if (kind == PictureKind::Other && kind_of(name) != PictureKind::Other) {
    throw Error(file_text(name, Error("Die Datei ist kein JPEG-, GIF- oder Bitmap-Bild.")));
  }
  const bool shrink = too_large(size) && shrinkable(kind);
  std::optional<Image> loaded;
  try {
    if (shrink) {
      loaded = decode_upright(bytes);
      std::string().swap(bytes);  // a shrink never writes the file's own bytes
    } else if (kind != PictureKind::Other && !too_large(size)) {
      decode(bytes, {kPreviewWidth, kPreviewHeight});  // only that it can be shown
    }
  } catch (const Error& e) {
    throw Error(file_text(name, e));
  }
  const auto target = picture_path(folder, name);
  const auto small_target = picture_path(folder, small_name);
  if (!target || !small_target) throw Error("Der Dateiname '" + name + "' ist ungültig.");

  // The folder is shared by every article of every table: a file there is never replaced by
  // other bytes. The slot's own old file goes only when the new picture takes another name.
  const bool taken =
      (fits(name) && regular_file(*target)) || (fits(small_name) && regular_file(*small_target));
  articles.edit();
  if (!taken) {
    if (const auto old = picture_path(folder, articles.text(field)); old && regular_file(*old)) {
      remove_file(*old);
      articles.set(field, store::Value::text(""));
    }
  }

  // The name that fits under which `data` is stored: its own; a file of that name with the same
  // bytes, which is then used as it is; or a further name no file has yet.
  const auto store_as = [&](const std::string& wanted, std::string_view data) {
    for (int n = 1; n <= kMaxNameTries; ++n) {
      const std::string candidate = shortened_name(wanted, width, n);
      const auto path = picture_path(folder, candidate);
      if (!path) continue;
      if (exists(*path)) {
        if (!regular_file(*path) || store::detail::read_whole_file(*path) != data) continue;
      } else if (!store::detail::create_new_file(*path, data)) {
        continue;
      }
      if (candidate != wanted) {
        note(caption + " gespeichert als \"" + candidate + "\": " +
             (fits(wanted) ? "im Bilderordner gibt es schon ein anderes Bild \"" + wanted + "\"."
                           : "\"" + wanted + "\" ist länger als die " +
                                 text::format_int(width) + " Zeichen des Feldes."));
      }
      return candidate;
    }
    throw Error("Für '" + wanted + "' ist im Bilderordner kein weiterer Name mehr frei.");
  };

  std::string stored;
  AttachOutcome outcome = AttachOutcome::LeftEmpty;
  try {
    if (shrink) {
      if (dialogs.ask_yes_no(std::string(kAskShrink)) == ports::Answer::Yes) {
        const ShrinkResult shrunk = shrink_to_limit(*loaded, size);
        loaded.reset();
        if (shrunk.fits) {
          stored = store_as(small_name, shrunk.jpeg);
          outcome = AttachOutcome::Stored;
        } else {
          dialogs.inform(std::string(kCannotShrink));
        }
      }
    } else if (too_large(size)) {
      dialogs.inform(std::string(kTooLargeNoShrink));
    } else {
      // Only the location goes; the compressed picture stays byte for byte.
      const bool located = kind == PictureKind::Jpeg && remove_location(bytes);
      stored = store_as(name, bytes);
      if (located) note(caption + ": Ortsangaben (GPS) aus \"" + stored + "\" entfernt.");
      outcome = AttachOutcome::Stored;
    }
  } catch (const Error& e) {
    // The field keeps what it holds now: a file it named was either left alone or removed
    // together with the name.
    dialogs.error(e.what());
    articles.post();
    return AttachOutcome::CopyFailed;
  }
  articles.set(field, store::Value::text(stored));
  articles.post();
  return outcome;
}

namespace {

// The rules' questions for a file given by path: that file is the one chosen, a picture above
// the limit is shrunk; what the rules say instead of storing is kept.
class ByPath : public ports::Dialogs {
 public:
  explicit ByPath(std::string source) : source_(std::move(source)) {}
  void inform(const std::string& text) override { said_.push_back(text); }
  void error(const std::string& text) override { said_.push_back(text); }
  ports::Answer ask_yes_no(const std::string&) override { return ports::Answer::Yes; }
  ports::Answer ask_yes_cancel(const std::string&) override { return ports::Answer::Yes; }
  std::size_t choose(const std::string&, const std::vector<std::string>& buttons) override {
    return buttons.empty() ? 0 : buttons.size() - 1;
  }
  std::optional<std::string> open_file(const std::string&, const std::string&) override {
    return source_;
  }
  std::optional<std::string> save_file(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::string said() const {
    std::string why;
    for (const std::string& s : said_) why += (why.empty() ? "" : " ") + s;
    for (char& c : why)
      if (c == '\n') c = ' ';
    return why;
  }

 private:
  std::string source_;
  std::vector<std::string> said_;
};

}  // namespace

std::optional<std::string> attach_picture_file(store::Table& articles, int slot,
                                               const std::string& path, const std::string& folder,
                                               const StatusNote& note) {
  ByPath dialogs(path);
  AttachOutcome outcome = AttachOutcome::Cancelled;
  try {
    outcome = attach_picture(articles, slot, folder, dialogs, note);
  } catch (const Error& e) {
    return std::string(e.what());
  }
  if (outcome == AttachOutcome::Stored) return std::nullopt;
  const std::string why = dialogs.said();
  return why.empty() ? std::string("Das Bild wurde nicht übernommen.") : why;
}

std::vector<std::pair<int, std::string>> pictures_by_path(store::Record& article,
                                                          const std::array<std::string, 3>& cells,
                                                          const std::string& picture_folder,
                                                          const std::string& csv_folder) {
  std::vector<std::pair<int, std::string>> out;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const std::string& cell = cells[static_cast<std::size_t>(slot - 1)];
    if (cell.empty()) continue;
    const std::string* held = store::at(article, store::picture_field(slot)).as_string();
    // Only a name the field holds whole can be a file of the picture folder.
    if (cell.find('/') == std::string::npos && held && *held == cell &&
        picture_exists(picture_folder, cell))
      continue;
    store::at(article, store::picture_field(slot)) = store::Value();
    out.emplace_back(slot, cell.front() == '/' ? cell : csv_folder + "/" + cell);
  }
  return out;
}

store::CsvImport import_articles_with_pictures(store::Table& articles, const std::string& path,
                                               const std::string& picture_folder) {
  const auto slash = path.find_last_of('/');
  const std::string csv_folder =
      slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  std::vector<std::pair<int, std::string>> to_attach;
  store::CsvImportSteps steps;
  steps.before = [&](store::Record& record, const store::CsvSource& source) {
    to_attach = pictures_by_path(record, source.pictures, picture_folder, csv_folder);
  };
  steps.after = [&](const store::CsvSource& source, store::CsvImport& result) {
    for (const auto& [slot, file] : to_attach) {
      if (auto why = attach_picture_file(articles, slot, file, picture_folder)) {
        result.problems.push_back("Zeile " + text::format_int(source.line) + ", Bild " +
                                  text::format_int(slot) + " (" +
                                  source.pictures[static_cast<std::size_t>(slot - 1)] +
                                  "): " + *why);
      }
    }
  };
  return store::import_articles_csv(articles, path, steps);
}

DeleteOutcome delete_picture(store::Table& articles, int slot, const std::string& folder,
                             ports::Dialogs& dialogs) {
  check_slot(slot);
  if (dialogs.ask_yes_cancel(std::string(kAskDelete)) != ports::Answer::Yes) {
    return DeleteOutcome::Cancelled;
  }
  const auto path = slot_picture(articles, folder, slot);
  if (!path) return DeleteOutcome::NothingToDelete;
  remove_file(*path);
  articles.edit();
  articles.set(store::picture_field(slot), store::Value::text(""));
  articles.post();
  return DeleteOutcome::Deleted;
}

std::optional<Image> preview_image(std::string_view folder, std::string_view name, Size box) {
  const auto path = picture_path(folder, name);
  if (!path || !regular_file(*path)) return std::nullopt;
  try {
    const Image full = decode_upright(store::detail::read_whole_file(*path), box);
    return stretch(full, fit_into(full.size(), box));
  } catch (const Error&) {
    return std::nullopt;
  }
}

}  // namespace tellvaro::media
