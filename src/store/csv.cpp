#include "store/csv.h"

#include <optional>

#include "store/file_io.h"
#include "store/table.h"
#include "text/cp1252.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::store {
namespace {

constexpr std::string_view kBom = kCsvByteOrderMark;
// A message box with hundreds of lines helps nobody; the count says the rest.
constexpr std::size_t kProblemsShown = 20;

bool is_utf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    char32_t c = 0;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      n = 1;
      c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      n = 2;
      c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      n = 3;
      c = b & 0x07;
    } else {
      return false;
    }
    for (std::size_t k = 1; k <= n; ++k) {
      if (i + k >= s.size()) return false;
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      c = (c << 6) | (t & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond Unicode are no UTF-8.
    if ((n == 2 && c < 0x800) || (n == 3 && c < 0x10000) || c > 0x10FFFF ||
        (c >= 0xD800 && c <= 0xDFFF)) {
      return false;
    }
    i += n + 1;
  }
  return true;
}

std::string at(std::size_t line, std::size_t column) {
  return "Zeile " + text::format_int(line) + ", Spalte " + text::format_int(column);
}

// A spreadsheet runs a cell that starts like a formula; a number stays a number.
bool runs_as_formula(std::string_view value) {
  if (value.empty() || std::string_view("=+-@\t\r").find(value.front()) == std::string_view::npos)
    return false;
  std::size_t i = value.front() == '+' || value.front() == '-' ? 1 : 0;
  const std::size_t digits = i;
  while (i < value.size() && value[i] >= '0' && value[i] <= '9') ++i;
  if (i == digits) return true;
  if (i < value.size() && (value[i] == '.' || value[i] == ',')) {
    const std::size_t fraction = ++i;
    while (i < value.size() && value[i] >= '0' && value[i] <= '9') ++i;
    if (i == fraction) return true;
  }
  return i != value.size();
}

std::string csv_cell(std::string_view text) {
  std::string guarded;
  if (runs_as_formula(text) || (text.size() > 1 && text.front() == '\'' &&
                                (text[1] == '\'' || runs_as_formula(text.substr(1))))) {
    guarded = "'" + std::string(text);
    text = guarded;
  }
  const std::string_view value = text;
  if (value.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(value);
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace

std::string csv_text(std::string cell) {
  if (cell.size() > 1 && cell.front() == '\'' &&
      (cell[1] == '\'' || runs_as_formula(std::string_view(cell).substr(1))))
    cell.erase(0, 1);
  return cell;
}

std::string decode_csv_bytes(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    throw Error(
        "Die Datei ist in UTF-16 gespeichert. Bitte als \"CSV UTF-8\" oder \"CSV (Trennzeichen-"
        "getrennt)\" speichern.");
  }
  if (bytes.find('\0') != std::string_view::npos) {
    throw Error("Die Datei ist keine Textdatei (sie enthält Null-Bytes).");
  }
  if (bytes.starts_with(kBom)) {
    bytes.remove_prefix(kBom.size());
    if (!is_utf8(bytes)) {
      throw Error("Die Datei beginnt als UTF-8, enthält aber Bytes, die kein UTF-8 sind.");
    }
    return std::string(bytes);
  }
  if (is_utf8(bytes)) return std::string(bytes);
  return text::cp1252_to_utf8(bytes);
}

char detect_separator(std::string_view text) {
  std::size_t semicolons = 0, commas = 0;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && (c == '\n' || c == '\r')) {
      break;
    } else if (!quoted && c == ';') {
      ++semicolons;
    } else if (!quoted && c == ',') {
      ++commas;
    }
  }
  return commas > semicolons ? ',' : ';';
}

std::vector<CsvRow> split_csv(std::string_view text, char separator) {
  std::vector<CsvRow> rows;
  std::size_t line = 1;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    // A line end right away: an empty line, no row.
    if (text[i] == '\n' || text[i] == '\r') {
      i += (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
      ++line;
      continue;
    }
    CsvRow row;
    row.line = line;
    std::string cell;
    bool row_done = false;
    while (!row_done) {
      cell.clear();
      if (i < n && text[i] == '"') {
        const std::size_t opened = line;
        ++i;
        for (;;) {
          if (i >= n) {
            throw Error("Zeile " + text::format_int(opened) +
                        ": ein Anführungszeichen wird bis zum Ende der Datei nicht geschlossen.");
          }
          char c = text[i++];
          if (c == '"') {
            if (i < n && text[i] == '"') {
              cell += '"';
              ++i;
              continue;
            }
            break;
          }
          if (c == '\n' || (c == '\r' && !(i < n && text[i] == '\n'))) ++line;
          cell += c;
        }
        // Text after the closing quote is kept, but the row is marked as unreliable.
        while (i < n && text[i] != separator && text[i] != '\n' && text[i] != '\r') {
          if (!row.stray_after_quote) row.stray_after_quote = row.cells.size() + 1;
          cell += text[i++];
        }
      } else {
        while (i < n && text[i] != separator && text[i] != '\n' && text[i] != '\r') {
          cell += text[i++];
        }
      }
      row.cells.push_back(cell);
      if (i < n && text[i] == separator) {
        ++i;
        continue;
      }
      // A line end or the end of the text ends the row.
      if (i < n) {
        i += (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
        ++line;
      }
      row_done = true;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

CsvImport read_articles_csv(std::string_view bytes) {
  const std::string text = decode_csv_bytes(bytes);
  auto rows = split_csv(text, detect_separator(text));
  for (CsvRow& row : rows)
    for (std::string& cell : row.cells) cell = csv_text(std::move(cell));
  if (rows.empty()) {
    throw Error("Die Datei ist leer: es fehlt die Kopfzeile mit den Feldnamen.");
  }
  const auto& fields = article_fields();
  const CsvRow& header = rows.front();
  if (header.stray_after_quote) {
    throw Error(at(header.line, header.stray_after_quote) +
                ": Text nach dem schließenden Anführungszeichen in der Kopfzeile.");
  }
  // For each column the field it fills; absent for an unnamed column that must stay empty.
  std::vector<std::optional<std::size_t>> columns;
  std::vector<bool> seen(kFieldCount, false);
  for (std::size_t c = 0; c < header.cells.size(); ++c) {
    const std::string name(text::trim_blanks(header.cells[c]));
    if (name.empty()) {
      columns.emplace_back();
      continue;
    }
    auto index = field_index(name);
    if (!index) {
      throw Error(at(header.line, c + 1) + ": \"" + name +
                  "\" ist kein Feld eines Artikels. Nichts wurde importiert.");
    }
    if (seen[*index]) {
      throw Error(at(header.line, c + 1) + ": das Feld \"" + name +
                  "\" steht zweimal in der Kopfzeile. Nichts wurde importiert.");
    }
    seen[*index] = true;
    columns.push_back(index);
  }

  const std::array<std::size_t, 3> picture_fields = {index_of(F::Bild1), index_of(F::Bild2),
                                                     index_of(F::Bild3)};
  CsvImport result;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    Record record = empty_record();
    std::optional<std::string> problem;
    if (row.stray_after_quote) {
      problem =
          at(row.line, row.stray_after_quote) + ": Text nach dem schließenden Anführungszeichen.";
    } else if (row.cells.size() > columns.size()) {
      // Cells beyond the header are only harmless when empty (a trailing separator).
      for (std::size_t c = columns.size(); c < row.cells.size() && !problem; ++c) {
        if (!row.cells[c].empty()) {
          problem = at(row.line, c + 1) + ": Wert ohne Spalte in der Kopfzeile.";
        }
      }
    }
    for (std::size_t c = 0; c < row.cells.size() && c < columns.size() && !problem; ++c) {
      const std::string& cell = row.cells[c];
      if (!columns[c]) {
        if (!cell.empty()) problem = at(row.line, c + 1) + ": Wert in einer Spalte ohne Namen.";
        continue;
      }
      if (cell.empty()) continue;
      const Field& f = fields[*columns[c]];
      try {
        record[*columns[c]] = from_text(cell, f);
      } catch (const Error& e) {
        problem = at(row.line, c + 1) + " (" + std::string(f.name) + "): " + e.what();
      }
    }
    if (problem) {
      result.skipped_lines.push_back(row.line);
      result.problems.push_back(*problem);
    } else {
      CsvSource source;
      source.line = row.line;
      for (std::size_t c = 0; c < row.cells.size() && c < columns.size(); ++c) {
        if (!columns[c]) continue;
        for (std::size_t slot = 0; slot < source.pictures.size(); ++slot) {
          if (*columns[c] == picture_fields[slot]) source.pictures[slot] = row.cells[c];
        }
      }
      result.records.push_back(std::move(record));
      result.sources.push_back(std::move(source));
    }
  }
  return result;
}

std::string write_articles_csv(const std::vector<Record>& records) {
  const auto& fields = article_fields();
  std::string out(kBom);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += ';';
    out += csv_cell(fields[i].name);
  }
  out += "\r\n";
  for (const Record& record : records) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i) out += ';';
      if (i < record.size()) out += csv_cell(to_text(record[i], fields[i]));
    }
    out += "\r\n";
  }
  return out;
}

CsvImport import_articles_csv(Table& articles, const std::string& path,
                              const CsvImportSteps& steps) {
  CsvImport result = read_articles_csv(detail::read_whole_file(path));
  articles.post_if_changed();
  Table::Batch batch(articles);
  // What comes back is what was stored: a record refused in the middle leaves the ones after it.
  std::size_t kept = 0;
  for (std::size_t i = 0; i < result.records.size(); ++i) {
    if (steps.before) steps.before(result.records[i], result.sources[i]);
    articles.append();
    articles.set_values(result.records[i]);
    try {
      articles.post();
      if (steps.after) steps.after(result.sources[i], result);
      if (kept != i) {
        result.records[kept] = std::move(result.records[i]);
        result.sources[kept] = std::move(result.sources[i]);
      }
      ++kept;
    } catch (const Error& e) {
      articles.cancel();
      result.problems.push_back(std::string("Ein Artikel wurde nicht gespeichert: ") + e.what());
    }
  }
  result.records.resize(kept);
  result.sources.resize(kept);
  return result;
}

std::size_t export_articles_csv(Table& articles, const std::string& path) {
  // What the user typed last belongs in the file, as a save does.
  articles.post_if_changed();
  const std::vector<Record> shown = articles.shown();
  write_articles_csv_file(shown, path);
  return shown.size();
}

void write_articles_csv_file(const std::vector<Record>& records, const std::string& path) {
  const std::string bytes = write_articles_csv(records);
  detail::replace_file(path, [&](detail::FileWriter& w) { w.write(bytes); });
}

std::string csv_line(const std::vector<std::string>& cells) {
  std::string out;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i) out += ';';
    out += csv_cell(cells[i]);
  }
  out += "\r\n";
  return out;
}

std::string with_csv_extension(std::string path) {
  const auto slash = path.find_last_of('/');
  const std::string_view name =
      std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
  // A leading dot names a hidden file, not an extension.
  if (name.empty() || name.find('.', 1) == std::string_view::npos) path += ".csv";
  return path;
}

std::string export_summary(std::size_t count, const std::string& path) {
  return text::format_int(count) + (count == 1 ? " Artikel wurde" : " Artikel wurden") +
         " in die Datei " + path + " geschrieben.";
}

std::string import_summary(const CsvImport& result) {
  std::string text = text::format_int(result.records.size()) +
                     (result.records.size() == 1 ? " Artikel wurde" : " Artikel wurden") +
                     " importiert.";
  if (!result.skipped_lines.empty()) {
    text += "\n\nAusgelassene Zeilen: ";
    for (std::size_t i = 0; i < result.skipped_lines.size(); ++i) {
      if (i) text += ", ";
      text += text::format_int(result.skipped_lines[i]);
    }
  }
  if (!result.problems.empty()) {
    text += "\n";
    for (std::size_t i = 0; i < result.problems.size() && i < kProblemsShown; ++i) {
      text += "\n" + result.problems[i];
    }
    if (result.problems.size() > kProblemsShown) {
      text += "\n... und " + text::format_int(result.problems.size() - kProblemsShown) +
              " weitere Meldungen.";
    }
  }
  return text;
}

}  // namespace tellvaro::store
