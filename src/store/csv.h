#pragma once

// Articles from and to spreadsheet files (CSV). A file is read whole and checked before any
// article is taken over, so an unreadable file changes nothing.

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/field.h"

namespace tellvaro::store {

class Table;

// The file-type list of the open and save dialogs, in the dialogs' form.
inline constexpr std::string_view kCsvFileTypes = "CSV-Dateien (*.csv);;Alle Dateien (*)";

// The bytes of a spreadsheet file as UTF-8: UTF-8 with or without a byte-order mark, otherwise
// Windows-1252. Throws tellvaro::Error for what is no text (UTF-16, NUL bytes).
std::string decode_csv_bytes(std::string_view bytes);

// ';' or ',': whichever occurs more often outside quotes in the first line; ';' on a tie.
char detect_separator(std::string_view text);

struct CsvRow {
  std::size_t line = 0;  // where the row starts, counting from 1
  std::vector<std::string> cells;
  // 1-based column of a character after a closing quote that is neither the separator nor a
  // line end: the row cannot be read reliably. 0 when the row is sound.
  std::size_t stray_after_quote = 0;
};

// Splits decoded text into rows. Quoted cells may hold separators, doubled quotes and line
// breaks (kept exactly); CR LF, LF and CR end a row outside quotes. Empty lines give no row. A
// quote still open at the end throws tellvaro::Error naming the line it opened in.
std::vector<CsvRow> split_csv(std::string_view text, char separator);

// Where a good row came from, beside its record.
struct CsvSource {
  std::size_t line = 0;  // where the row starts, counting from 1
  // The cells of Bild1 to Bild3 as written: a path to a picture anywhere may be longer than the
  // field, which keeps only its first characters. Empty for an empty cell.
  std::array<std::string, 3> pictures;
};

struct CsvImport {
  std::vector<Record> records;             // the good rows, in file order
  std::vector<CsvSource> sources;          // per record, at the same index
  std::vector<std::size_t> skipped_lines;  // rows left out whole
  std::vector<std::string> problems;       // "Zeile 3, Spalte 5 (Startpreis): ..."
};

// A cell as read: the apostrophe csv_line() puts before a formula-like text taken away again.
std::string csv_text(std::string cell);

// Reads articles from the bytes of a CSV file whose header row names article fields. A bad
// header (an unknown or repeated field name, no header) makes the whole file unreadable: every
// row would lose that column. A row with a bad value is left out whole and reported. Empty
// cells are null. Throws tellvaro::Error for an unreadable file.
CsvImport read_articles_csv(std::string_view bytes);

// The records as CSV: UTF-8 with byte-order mark, ';', CR LF, a header of all field names in
// field order, each value "as text".
std::string write_articles_csv(const std::vector<Record>& records);

// One row of cells in the form write_articles_csv writes: ';' between the cells, a cell quoted
// where it holds ';', '"' or a line break, CR LF at the end. A cell a spreadsheet would run as a
// formula (starting with '=', '+', '-', '@', a tab or a carriage return, and no number) gets a
// leading apostrophe, as does one whose own apostrophe would otherwise be taken for that. A file of such rows starts with
// kCsvByteOrderMark, so spreadsheets read it as UTF-8.
std::string csv_line(const std::vector<std::string>& cells);
inline constexpr std::string_view kCsvByteOrderMark = "\xEF\xBB\xBF";

// The records written to `path` in that form; a failure leaves any old file whole and throws
// tellvaro::Error.
void write_articles_csv_file(const std::vector<Record>& records, const std::string& path);

// What an import does beside storing the rows: `before` may change a record before it is
// stored, `after` is called once it is, as the table's current record.
struct CsvImportSteps {
  std::function<void(Record&, const CsvSource&)> before;
  std::function<void(const CsvSource&, CsvImport&)> after;
};

// Reads the file and appends each good row to the table as a new article, posted through the
// table's hooks. Nothing is appended when the file cannot be read (tellvaro::Error).
CsvImport import_articles_csv(Table& articles, const std::string& path,
                              const CsvImportSteps& steps = {});

// Writes the articles the table shows (filter and order as shown) to `path`; a failure leaves
// any old file whole and throws tellvaro::Error. Returns the number of articles written.
std::size_t export_articles_csv(Table& articles, const std::string& path);

// The path a name typed in the save dialog stands for: ".csv" added when the file name has no
// extension, so the file opens in a spreadsheet with a double click.
std::string with_csv_extension(std::string path);

// The German summaries of an import and of an export of `count` articles, for a message box.
std::string import_summary(const CsvImport& result);
std::string export_summary(std::size_t count, const std::string& path);

}  // namespace tellvaro::store
