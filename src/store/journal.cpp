#include "store/journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <map>
#include <system_error>
#include <unordered_map>

#include "store/detail.h"
#include "store/file_io.h"
#include "store/files.h"
#include "text/date.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::store {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kVersion = "1";
constexpr auto kFlushEvery = std::chrono::milliseconds(500);

// --- lines ---

std::uint64_t checksum(std::string_view bytes) {
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
  return h;
}

std::string hex(std::uint64_t v) {
  char buf[16];
  for (int i = 15; i >= 0; --i, v >>= 4) buf[i] = "0123456789abcdef"[v & 15];
  return std::string(buf, 16);
}

std::string line(std::string payload) {
  const std::string sum = hex(checksum(payload));
  payload += "\t#";
  payload += sum;
  payload += '\n';
  return payload;
}

// The payload of a whole line, or nothing when its checksum does not match.
std::optional<std::string_view> payload_of(std::string_view l) {
  const auto mark = l.rfind("\t#");
  if (mark == std::string_view::npos || l.size() - mark != 18) return std::nullopt;
  const std::string_view payload = l.substr(0, mark);
  if (hex(checksum(payload)) != l.substr(mark + 2)) return std::nullopt;
  return payload;
}

void escape_into(std::string& out, std::string_view s) {
  for (char c : s) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
}

std::string unescape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char c = s[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

void value_into(std::string& out, const Value& v) {
  if (const std::string* s = v.as_string()) {
    out += 's';
    escape_into(out, *s);
  } else if (auto i = v.as_small_int()) {
    out += 'i' + text::format_int(*i);
  } else if (auto d = v.as_amount()) {
    out += 'a' + text::format_number(*d);
  } else if (auto b = v.as_flag()) {
    out += *b ? 't' : 'f';
  } else {
    out += '-';
  }
}

std::optional<Value> value_of(std::string_view s) {
  if (s.empty()) return std::nullopt;
  const std::string_view rest = s.substr(1);
  switch (s[0]) {
    case '-':
      return Value();
    case 's':
      return Value::text(unescape(rest));
    case 't':
      return Value::flag(true);
    case 'f':
      return Value::flag(false);
    case 'a':
      if (auto d = text::try_parse_number(rest)) return Value::amount(*d);
      return std::nullopt;
    case 'i': {
      int v = 0;
      auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), v);
      if (ec != std::errc() || end != rest.data() + rest.size()) return std::nullopt;
      return Value::small_int(static_cast<std::int16_t>(v));
    }
  }
  return std::nullopt;
}

// "\t<field>=<value>" for each field where `now` differs from `before` (every non-null field of a
// new record).
void fields_into(std::string& out, const Record* before, const Record& now) {
  for (std::size_t f = 0; f < now.size(); ++f) {
    if (before ? (f < before->size() && (*before)[f] == now[f]) : now[f].is_null()) continue;
    out += '\t';
    out += text::format_int(f);
    out += '=';
    value_into(out, now[f]);
  }
}

std::string ranges(std::vector<Table::Key> keys) {
  std::sort(keys.begin(), keys.end());
  std::string out;
  for (std::size_t i = 0; i < keys.size();) {
    std::size_t j = i;
    while (j + 1 < keys.size() && keys[j + 1] == keys[j] + 1) ++j;
    if (!out.empty()) out += ',';
    out += text::format_int(keys[i]);
    if (j > i) out += '-' + text::format_int(keys[j]);
    i = j + 1;
  }
  return out;
}

std::optional<std::uint64_t> number(std::string_view s) {
  std::uint64_t v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<std::vector<Table::Key>> keys_of(std::string_view s) {
  std::vector<Table::Key> out;
  while (!s.empty()) {
    const auto comma = s.find(',');
    const std::string_view part = s.substr(0, comma);
    s = comma == std::string_view::npos ? std::string_view() : s.substr(comma + 1);
    const auto dash = part.find('-');
    auto from = number(part.substr(0, dash));
    auto to = dash == std::string_view::npos ? from : number(part.substr(dash + 1));
    if (!from || !to || *to < *from || *to - *from > 100'000'000) return std::nullopt;
    for (auto k = *from; k <= *to; ++k) out.push_back(k);
  }
  return out;
}

std::vector<std::string_view> split(std::string_view s, char sep) {
  std::vector<std::string_view> out;
  for (;;) {
    const auto at = s.find(sep);
    out.push_back(s.substr(0, at));
    if (at == std::string_view::npos) return out;
    s = s.substr(at + 1);
  }
}

// What the table file is: a journal applies only to the very file it was written against.
std::string fingerprint(const std::string& table_path) {
  struct stat st {};
  if (::stat(table_path.c_str(), &st) != 0) return "-\t-\t-";
  const std::int64_t ns = std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
  return text::format_int(st.st_size) + '\t' + text::format_int(ns) + '\t' +
         text::format_int(st.st_ino);
}

// --- reading a journal ---

struct Entry {
  char kind;  // 'P', 'D', 'E', 'C'
  Table::Key key = 0;
  std::vector<Table::Key> keys;                       // 'D'
  std::vector<std::pair<std::size_t, Value>> fields;  // 'P', 'E'
};

struct Parsed {
  bool readable = false;
  std::string fingerprint;
  std::vector<Table::Key> base;
  std::vector<Entry> entries;
};

std::optional<Entry> entry_of(std::string_view payload) {
  const auto parts = split(payload, '\t');
  if (parts[0].size() != 1) return std::nullopt;
  Entry e;
  e.kind = parts[0][0];
  switch (e.kind) {
    case 'C':
      return parts.size() == 1 ? std::optional(e) : std::nullopt;
    case 'D': {
      if (parts.size() != 2) return std::nullopt;
      auto keys = keys_of(parts[1]);
      if (!keys) return std::nullopt;
      e.keys = std::move(*keys);
      return e;
    }
    case 'P':
    case 'E': {
      if (parts.size() < 2) return std::nullopt;
      auto key = number(parts[1]);
      if (!key) return std::nullopt;
      e.key = *key;
      for (std::size_t i = 2; i < parts.size(); ++i) {
        const auto eq = parts[i].find('=');
        auto field = number(parts[i].substr(0, eq));
        if (eq == std::string_view::npos || !field || *field >= kFieldCount) return std::nullopt;
        auto value = value_of(parts[i].substr(eq + 1));
        if (!value) return std::nullopt;
        e.fields.emplace_back(*field, std::move(*value));
      }
      return e;
    }
  }
  return std::nullopt;
}

Parsed parse(const std::string& bytes) {
  Parsed p;
  std::size_t at = 0;
  bool header = true;
  while (at < bytes.size()) {
    const auto end = bytes.find('\n', at);
    if (end == std::string::npos) break;  // torn by a kill: dropped alone
    const std::string_view l(bytes.data() + at, end - at);
    at = end + 1;
    const auto payload = payload_of(l);
    const bool last = at >= bytes.size();
    if (!payload) {
      if (last) break;  // the last line torn
      return {};
    }
    if (header) {
      const auto parts = split(*payload, '\t');
      if (parts.size() != 6 || parts[0] != "H" || parts[1] != kVersion) return {};
      p.fingerprint =
          std::string(parts[2]) + '\t' + std::string(parts[3]) + '\t' + std::string(parts[4]);
      auto base = keys_of(parts[5]);
      if (!base) return {};
      p.base = std::move(*base);
      header = false;
      continue;
    }
    auto e = entry_of(*payload);
    if (!e) return {};
    p.entries.push_back(std::move(*e));
  }
  p.readable = !header || bytes.empty();
  return p;
}

// Changes an entry list brings back: records stored or deleted, and an edit left open.
std::size_t changes_in(const std::vector<Entry>& entries) {
  std::size_t n = 0;
  bool open_edit = false;
  for (const Entry& e : entries) {
    if (e.kind == 'E') {
      open_edit = true;
      continue;
    }
    open_edit = false;
    if (e.kind == 'P' || e.kind == 'D') ++n;
  }
  return n + (open_edit ? 1 : 0);
}

struct StandardJournal {
  Table* table;
  std::string caption;
  std::string table_path;
  std::string journal;
};

std::vector<StandardJournal> standard_journals(ArticleStore* store,
                                               std::string_view program_folder) {
  static constexpr std::pair<std::string_view, std::string_view> kFiles[] = {
      {kArticleFile, "Artikel-Tabelle"},
      {kUploadFile, "Upload-Tabelle"},
      {kImportFile, "Import-Tabelle"}};
  std::vector<StandardJournal> out;
  for (std::size_t i = 0; i < 3; ++i) {
    const std::string path = data_path(program_folder, kFiles[i].first);
    Table* table = store ? store->standard_files()[i].table : nullptr;
    out.push_back({table, std::string(kFiles[i].second), path, journal_path(path)});
  }
  return out;
}

std::optional<std::string> read_if_there(const std::string& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return std::nullopt;
  try {
    return detail::read_whole_file(path);
  } catch (const Error&) {
    return std::string("\x01unlesbar");  // no journal line can begin so
  }
}

std::string time_stamp(std::int64_t when) { return text::file_name_stamp(local_time(when)); }

// Keeps `journal` as "<stem>_<what>_<time>.journal" beside it; the newest five such copies stay.
std::optional<std::string> keep_copy(const std::string& journal, std::string_view what,
                                     std::int64_t now) {
  std::error_code ec;
  const fs::path p(journal);
  const std::string stem = p.stem().string() + "_" + std::string(what) + "_";
  std::string copy = (p.parent_path() / (stem + time_stamp(now) + ".journal")).string();
  for (int n = 2; fs::exists(copy, ec) && n < 100; ++n) {
    copy = (p.parent_path() / (stem + time_stamp(now) + "-" + text::format_int(n) + ".journal"))
               .string();
  }
  fs::rename(journal, copy, ec);
  if (ec) return std::nullopt;
  std::vector<std::string> copies;
  for (const auto& e : fs::directory_iterator(p.parent_path(), ec)) {
    const std::string name = e.path().filename().string();
    if (name.rfind(stem, 0) == 0 && e.path().extension() == ".journal") copies.push_back(name);
  }
  std::sort(copies.begin(), copies.end());
  for (std::size_t i = 0; i + 5 < copies.size(); ++i) fs::remove(p.parent_path() / copies[i], ec);
  return copy;
}

std::int64_t now_seconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

std::string journal_path(std::string_view table_path) {
  return fs::path(table_path).replace_extension(".journal").string();
}

// --- JournalWriter ---

JournalWriter::JournalWriter() : thread_([this] { run(); }) {}

JournalWriter::~JournalWriter() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void JournalWriter::append(const std::string& path, std::string bytes) {
  std::lock_guard lock(mutex_);
  // Appends to the same file in a row become one write.
  if (!queue_.empty() && queue_.back().kind == Op::Kind::Append && queue_.back().path == path) {
    queue_.back().bytes += bytes;
  } else {
    queue_.push_back({Op::Kind::Append, path, std::move(bytes)});
  }
  ++queued_;
}

void JournalWriter::replace(const std::string& path, std::string bytes) {
  std::lock_guard lock(mutex_);
  queue_.push_back({Op::Kind::Replace, path, std::move(bytes)});
  ++queued_;
}

void JournalWriter::remove(const std::string& path) {
  std::lock_guard lock(mutex_);
  queue_.push_back({Op::Kind::Remove, path, {}});
  ++queued_;
}

void JournalWriter::sync() {
  std::unique_lock lock(mutex_);
  const std::uint64_t target = queued_;
  ++syncs_;
  wake_.notify_all();
  done_.wait(lock, [&] { return written_ >= target; });
  --syncs_;
}

std::string JournalWriter::take_error() {
  std::lock_guard lock(mutex_);
  return std::exchange(error_, {});
}

void JournalWriter::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait_for(lock, kFlushEvery, [&] { return stop_ || written_ < queued_; });
    if (queue_.empty()) {
      if (stop_) return;
      continue;
    }
    std::vector<Op> ops;
    ops.swap(queue_);
    const std::uint64_t target = queued_;
    lock.unlock();
    write(ops);
    lock.lock();
    written_ = target;
    done_.notify_all();
    if (stop_ && queue_.empty()) return;
    // Gathers what comes in the next moments into one write and one flush to disk.
    if (!stop_) wake_.wait_for(lock, kFlushEvery, [&] { return stop_ || syncs_ > 0; });
  }
}

void JournalWriter::write(std::vector<Op>& ops) {
  std::string failed;
  for (Op& op : ops) {
    try {
      switch (op.kind) {
        case Op::Kind::Append: {
          const int fd = ::open(op.path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
          if (fd < 0) throw Error(op.path + ": " + detail::reason(errno));
          try {
            detail::FileWriter(fd).write(op.bytes);
            if (::fdatasync(fd) != 0) throw Error(op.path + ": " + detail::reason(errno));
          } catch (...) {
            ::close(fd);
            throw;
          }
          ::close(fd);
          break;
        }
        case Op::Kind::Replace:
          detail::replace_file(op.path, [&](detail::FileWriter& w) { w.write(op.bytes); });
          break;
        case Op::Kind::Remove:
          if (::unlink(op.path.c_str()) != 0 && errno != ENOENT)
            throw Error(op.path + ": " + detail::reason(errno));
          break;
      }
    } catch (const std::exception& e) {
      if (failed.empty()) failed = e.what();
    }
  }
  if (!failed.empty()) {
    std::lock_guard lock(mutex_);
    if (error_.empty())
      error_ = "Das Änderungsprotokoll konnte nicht geschrieben werden: " + failed;
  }
}

// --- TableJournal ---

TableJournal::TableJournal(Table& table, std::string table_path, JournalWriter& writer)
    : table_(table),
      table_path_(std::move(table_path)),
      path_(journal_path(table_path_)),
      writer_(writer),
      subscription_(table.on_stored_change([this](const auto& c) { on_stored(c); })) {
  rebase(true);
}

void TableJournal::rebase(bool keep_file) {
  base_keys_ = ranges(table_.stored_keys());
  header_ =
      line("H\t" + std::string(kVersion) + '\t' + fingerprint(table_path_) + '\t' + base_keys_);
  if (!keep_file) writer_.remove(path_);
  fresh_ = true;
  last_edit_.clear();
}

void TableJournal::release() {
  holding_ = false;
  if (!held_.empty()) put(std::exchange(held_, {}));
}

void TableJournal::put(std::string l) {
  if (holding_) {
    held_ += l;
    return;
  }
  if (fresh_) {
    // The first entry after a rebase replaces whatever file was there, in one step.
    fresh_ = false;
    writer_.replace(path_, header_ + l);
    return;
  }
  writer_.append(path_, std::move(l));
}

void TableJournal::on_stored(const Table::StoredChange& c) {
  if (before_change_) before_change_();
  switch (c.kind) {
    case Table::StoredChange::Kind::Put: {
      std::string payload = "P\t" + text::format_int(c.key);
      fields_into(payload, c.before, *c.after);
      put(line(std::move(payload)));
      break;
    }
    case Table::StoredChange::Kind::Removed:
      put(line("D\t" + text::format_int(c.key)));
      break;
    case Table::StoredChange::Kind::Replaced: {
      // Every record is new: the records the file holds go, and the table's records come.
      std::string bytes = header_ + line("D\t" + base_keys_);
      const auto& keys = table_.stored_keys();
      for (std::size_t i = 0; i < keys.size(); ++i) {
        std::string payload = "P\t" + text::format_int(keys[i]);
        fields_into(payload, nullptr, table_.stored()[i]);
        bytes += line(std::move(payload));
      }
      // Whatever was written or gathered before is superseded by this whole.
      fresh_ = false;
      held_.clear();
      writer_.replace(path_, std::move(bytes));
      break;
    }
  }
  // A stored change settles any edit: it is written anew when one opens again.
  last_edit_.clear();
}

void TableJournal::note_edit() {
  if (table_.state() == EditState::Browse) {
    if (!last_edit_.empty()) {
      last_edit_.clear();
      put(line("C"));
    }
    return;
  }
  const auto pos = table_.position();
  if (!pos) return;
  const Table::Key key = table_.state() == EditState::Insert ? 0 : table_.key(*pos);
  const Record* stored = nullptr;
  if (key != 0) {
    const auto& keys = table_.stored_keys();
    const auto it = std::find(keys.begin(), keys.end(), key);
    if (it != keys.end()) stored = &table_.stored()[std::size_t(it - keys.begin())];
  }
  std::string payload = "E\t" + text::format_int(key);
  fields_into(payload, stored, table_.row(*pos));
  if (payload == last_edit_) return;
  last_edit_ = payload;
  put(line(std::move(payload)));
}

void TableJournal::end() {
  writer_.remove(path_);
  fresh_ = true;
  last_edit_.clear();
}

// --- at the next start ---

bool FoundJournals::worth_asking() const {
  return std::any_of(tables.begin(), tables.end(),
                     [](const Table& t) { return t.changes > 0 || t.unreadable; });
}

FoundJournals find_journals(std::string_view program_folder) {
  FoundJournals found;
  for (const auto& j : standard_journals(nullptr, program_folder)) {
    const auto bytes = read_if_there(j.journal);
    if (!bytes) continue;
    FoundJournals::Table t{j.caption, j.journal};
    const Parsed p = parse(*bytes);
    t.unreadable = !p.readable;
    if (p.readable) {
      t.changes = changes_in(p.entries);
      t.file_changed = t.changes > 0 && p.fingerprint != fingerprint(j.table_path);
    }
    struct stat st {};
    if (::stat(j.journal.c_str(), &st) == 0) {
      found.last_change = std::max<std::int64_t>(found.last_change, st.st_mtim.tv_sec);
    }
    found.tables.push_back(std::move(t));
  }
  return found;
}

std::string recovery_question(const FoundJournals& found) {
  const text::DateTime when = local_time(found.last_change);
  std::string text =
      "Tellvaro wurde nicht ordnungsgemäß beendet. Die nicht gespeicherten Änderungen vom " +
      text::local_date_time_text(when) + " wiederherstellen?";
  for (const auto& t : found.tables) {
    if (t.unreadable) {
      text += "\n\nDas Änderungsprotokoll der " + t.caption +
              " ist nicht lesbar; es wird nicht übernommen, aber als Kopie aufbewahrt.";
    } else if (t.file_changed) {
      text += "\n\nDie Datei der " + t.caption +
              " wurde seitdem ersetzt oder geändert; ihre Änderungen passen nicht mehr dazu und "
              "werden nicht übernommen, aber als Kopie aufbewahrt.";
    }
  }
  return text;
}

Recovery restore_journals(ArticleStore& store, std::string_view program_folder) {
  Recovery result;
  const std::int64_t now = now_seconds();
  for (const auto& j : standard_journals(&store, program_folder)) {
    const auto bytes = read_if_there(j.journal);
    if (!bytes) continue;
    Table& table = *j.table;
    const Parsed p = parse(*bytes);
    const auto& loaded = table.stored_keys();
    const bool fits =
        p.readable && p.fingerprint == fingerprint(j.table_path) && p.base.size() == loaded.size();
    if (!fits) {
      if (p.readable && changes_in(p.entries) == 0) continue;
      const auto copy = keep_copy(j.journal, p.readable ? "passt_nicht" : "unlesbar", now);
      result.messages.push_back(
          "Die Änderungen der " + j.caption + " wurden nicht übernommen: " +
          (p.readable ? "die Tabellendatei wurde seitdem ersetzt oder geändert."
                      : "das Änderungsprotokoll ist nicht lesbar.") +
          (copy ? " Es wurde unverändert als " + *copy + " aufbewahrt." : std::string()));
      continue;
    }
    // Journal keys to the keys of this run: the file's records by their place, new records as
    // they are added again.
    std::unordered_map<Table::Key, Table::Key> key_of;
    std::unordered_map<Table::Key, std::size_t> loaded_at;
    for (std::size_t i = 0; i < loaded.size(); ++i) {
      key_of[p.base[i]] = loaded[i];
      loaded_at[loaded[i]] = i;
    }
    // The final state first, then stored in three steps: the file's records that changed, those
    // that went, and the new ones in the order they came.
    std::map<Table::Key, Record> changed;              // by this run's key
    std::vector<Table::Key> removed;                   // this run's keys
    std::vector<std::pair<Table::Key, Record>> added;  // by journal key, in order
    std::unordered_map<Table::Key, std::size_t> added_at;
    const Entry* open_edit = nullptr;
    std::size_t applied = 0;
    for (const Entry& e : p.entries) {
      if (e.kind == 'E') {
        open_edit = &e;
        continue;
      }
      open_edit = nullptr;
      if (e.kind == 'P') {
        ++applied;
        if (auto a = added_at.find(e.key); a != added_at.end()) {
          for (const auto& [f, v] : e.fields) added[a->second].second[f] = v;
        } else if (auto k = key_of.find(e.key); k != key_of.end()) {
          auto [it, fresh] = changed.try_emplace(k->second);
          if (fresh) it->second = table.stored()[loaded_at[k->second]];
          for (const auto& [f, v] : e.fields) it->second[f] = v;
        } else {
          Record r = empty_record();
          for (const auto& [f, v] : e.fields) r[f] = v;
          added_at[e.key] = added.size();
          added.emplace_back(e.key, std::move(r));
        }
      } else if (e.kind == 'D') {
        for (Table::Key key : e.keys) {
          if (auto a = added_at.find(key); a != added_at.end()) {
            added[a->second].first = 0;  // added and deleted again
            added_at.erase(a);
            ++applied;
          } else if (auto k = key_of.find(key); k != key_of.end()) {
            removed.push_back(k->second);
            changed.erase(k->second);
            key_of.erase(k);
            ++applied;
          }
        }
      }
    }
    std::vector<Table::Patch> patches;
    for (auto& [key, record] : changed) {
      Table::Patch patch{key, {}};
      for (std::size_t f = 0; f < record.size(); ++f) patch.values.emplace_back(f, record[f]);
      patches.push_back(std::move(patch));
    }
    table.rewrite(patches, false);
    table.remove_keys(removed);
    std::vector<Record> fresh;
    std::vector<Table::Key> fresh_journal_keys;
    for (auto& [key, record] : added) {
      if (key == 0) continue;
      fresh_journal_keys.push_back(key);
      fresh.push_back(std::move(record));
    }
    const auto fresh_keys = table.add(std::move(fresh), false);
    for (std::size_t i = 0; i < fresh_keys.size(); ++i)
      key_of[fresh_journal_keys[i]] = fresh_keys[i];
    // The record being typed comes back in editing, not stored.
    if (open_edit) {
      bool placed = false;
      if (open_edit->key == 0) {
        table.append();
        placed = true;
      } else if (auto k = key_of.find(open_edit->key); k != key_of.end()) {
        table.move_to_key(k->second);
        placed = table.position() && table.key(*table.position()) == k->second;
      }
      if (placed) {
        for (const auto& [f, v] : open_edit->fields) table.set(f, v);
        ++applied;
      }
    }
    result.changes += applied;
  }
  return result;
}

std::string recovered_text(std::size_t changes) {
  return text::format_int(changes) + (changes == 1
                                          ? " nicht gespeicherte Änderung wiederhergestellt."
                                          : " nicht gespeicherte Änderungen wiederhergestellt.");
}

void discard_journals(std::string_view program_folder, std::int64_t now) {
  for (const auto& j : standard_journals(nullptr, program_folder)) {
    std::error_code ec;
    if (fs::exists(j.journal, ec)) keep_copy(j.journal, "verworfen", now);
  }
}

// --- RecoveryJournal ---

RecoveryJournal::RecoveryJournal(ArticleStore& store, std::string_view program_folder) {
  for (const auto& j : standard_journals(&store, program_folder)) {
    journals_.push_back(std::make_unique<TableJournal>(*j.table, j.table_path, writer_));
    tables_.push_back(j.table);
  }
  for (auto& j : journals_) {
    j->before_each_change([this, own = j.get()] {
      for (auto& other : journals_) {
        if (other.get() != own) other->note_edit();
      }
    });
  }
}

void RecoveryJournal::rebase_all(bool keep_files) {
  for (auto& j : journals_) j->rebase(keep_files);
}

TableJournal& RecoveryJournal::journal_of(const Table& table) {
  for (std::size_t i = 0; i < tables_.size(); ++i) {
    if (tables_[i] == &table) return *journals_[i];
  }
  throw Error("Keine Tabelle dieses Arbeitsbereichs.");
}

void RecoveryJournal::note_edits() {
  for (auto& j : journals_) j->note_edit();
}

void RecoveryJournal::hold_all() {
  for (auto& j : journals_) j->hold();
}

void RecoveryJournal::release_all() {
  for (auto& j : journals_) j->release();
}

void RecoveryJournal::end() {
  for (auto& j : journals_) j->end();
  writer_.sync();
}

}  // namespace tellvaro::store
