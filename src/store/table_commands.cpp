#include "store/table_commands.h"

#include "ports/dialogs.h"
#include "store/article_store.h"
#include "store/data_packet.h"
#include "store/files.h"
#include "store/table.h"
#include "text/error.h"

namespace tellvaro::store {
namespace {

constexpr F kPictureFields[] = {F::Bild1, F::Bild2, F::Bild3};

}  // namespace

std::optional<std::string> open_article_file(Table& articles, std::string_view program_folder,
                                             ports::Dialogs& dialogs) {
  const auto path =
      dialogs.open_file(data_path(program_folder, kTableFolder), std::string(kOpenFileTypes));
  if (!path) return std::nullopt;
  // Read first: a file that is refused must not cost the backup of the table still shown.
  Table opened;
  load_table(opened, *path);
  // The next save writes the opened content over the standard file; what was typed since the
  // last save would be gone without this copy. A new one each time: a second open in a row
  // must not cost the table of the first.
  const std::string backup = new_article_backup_path(program_folder, local_time_now());
  save_table(articles, backup);
  prune_article_backups(program_folder, backup);
  articles.replace_all(opened.stored());
  return "Die bisherige Artikel-Tabelle wurde in " + backup + " gesichert.";
}

void save_standard_files(ArticleStore& store, std::string_view program_folder) {
  std::string errors;
  for (auto [table, file] :
       {std::pair{&store.articles, kArticleFile}, std::pair{&store.uploads, kUploadFile}}) {
    try {
      save_table(*table, data_path(program_folder, file));
    } catch (const Error& e) {
      if (!errors.empty()) errors += '\n';
      errors += e.what();
    }
  }
  if (!errors.empty()) throw Error(errors);
}

std::optional<std::string> save_articles_as(Table& articles, std::string_view program_folder,
                                            ports::Dialogs& dialogs) {
  const auto path = dialogs.save_file(data_path(program_folder, kTableFolder), {});
  if (!path) return std::nullopt;
  save_table(articles, *path);
  return path;
}

void copy_current(Table& table, CopyRule rule) {
  if (table.empty()) return;
  Record values = table.values();
  if (rule == CopyRule::WithoutPictures) {
    for (F field : kPictureFields) at(values, field) = Value();
  }
  table.append();
  table.set_values(values);
  try {
    table.post();
  } catch (...) {
    // A copy that cannot be posted is dropped rather than left half made.
    table.cancel();
    throw;
  }
}

}  // namespace tellvaro::store
