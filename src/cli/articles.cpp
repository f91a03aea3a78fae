#include "cli/articles.h"

#include <filesystem>
#include <system_error>

#include "catalogue/fees.h"
#include "cli/console.h"
#include "media/pictures.h"
#include "store/table.h"
#include "text/error.h"
#include "text/number.h"
#include "upload/auction_row.h"
#include "upload/transfer.h"

namespace tellvaro::cli {
namespace {

bool names_picture_in_folder(const std::string& cell, const store::Record& record, int slot,
                             const std::string& picture_folder) {
  // Only a name the field holds whole can be a file of the picture folder.
  return cell.find('/') == std::string::npos &&
         upload::field_text(record, store::picture_field(slot)) == cell &&
         media::picture_exists(picture_folder, cell);
}

}  // namespace

std::string folder_of(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

PreparedArticle prepare_article(const store::Record& record, const store::CsvSource& source,
                                const catalogue::FeatureFees& fees, const Folders& folders,
                                StoredPictures& stored) {
  PreparedArticle out;
  out.line = source.line;
  out.title = upload::field_text(record, store::F::Artikelname);

  // The article table's own rule: the fee is written at each post.
  store::Table table;
  table.set_post_rule([&fees](store::Record& article) {
    store::at(article, store::F::Gebuehr) =
        store::Value::amount(catalogue::compute_fees(fees, article).total);
  });
  store::Record article = record;
  // A picture given by path is attached below; until then its slot names nothing, so the rules
  // never take a path cut to the field's width for a file of the folder.
  std::vector<std::pair<int, std::string>> to_attach;
  for (int slot = 1; slot <= media::kSlotCount; ++slot) {
    const std::string& cell = source.pictures[static_cast<std::size_t>(slot - 1)];
    if (cell.empty() || names_picture_in_folder(cell, record, slot, folders.pictures)) continue;
    store::at(article, store::picture_field(slot)) = store::Value();
    to_attach.emplace_back(slot, cell);
  }
  // Stored as a posted insert, and current: the pictures are attached to it below.
  table.add({std::move(article)});

  if (auto gap = upload::find_gap(table.values())) {
    out.problem = std::string(gap->message);
  } else {
    for (const auto& [slot, cell] : to_attach) {
      const std::string path = cell.front() == '/' ? cell : folders.csv + "/" + cell;
      const std::string caption = "Bild " + text::format_int(slot);
      std::error_code ec;
      std::string source_file = std::filesystem::weakly_canonical(path, ec).string();
      if (ec) source_file = path;
      // The name it would be stored under, and whether an earlier article of this file stored
      // another picture under it.
      std::string name = media::file_name_of(path);
      if (const auto bytes = std::filesystem::file_size(path, ec); !ec && media::too_large(bytes)) {
        name = media::shrunk_name(name);
      }
      if (const auto earlier = stored.find(name);
          earlier != stored.end() && earlier->second != source_file) {
        out.problem = caption + " (" + cell + "): unter dem Namen \"" + name +
                      "\" steht schon das Bild " + earlier->second +
                      " eines anderen Artikels dieser Datei; bitte eine der beiden Dateien "
                      "umbenennen.";
      }
      if (out.problem) break;
      PictureDialogs dialogs(path);
      media::AttachOutcome outcome = media::AttachOutcome::Cancelled;
      try {
        outcome =
            media::attach_picture(table, slot, folders.attach, dialogs,
                                  [&](const std::string& line) { out.notes.push_back(line); });
      } catch (const Error& e) {
        out.problem = caption + " (" + cell + "): " + e.what();
        break;
      }
      if (outcome != media::AttachOutcome::Stored) {
        std::string why;
        for (const std::string& s : dialogs.said()) why += (why.empty() ? "" : " ") + s;
        for (char& c : why) {
          if (c == '\n') c = ' ';
        }
        out.problem = caption + " (" + cell +
                      "): " + (why.empty() ? std::string("Das Bild wurde nicht übernommen.") : why);
        break;
      }
      stored[table.text(store::picture_field(slot))] = source_file;
      if (dialogs.replaced()) {
        out.notes.push_back(caption + ": die Datei \"" + table.text(store::picture_field(slot)) +
                            "\" im Bilderordner wurde ersetzt.");
      }
    }
  }
  out.article = table.values();
  if (!out.problem) {
    const std::string unstorable = upload::unstorable_message(out.article);
    if (!unstorable.empty()) out.problem = unstorable;
  }
  if (const auto fee = store::at(out.article, store::F::Gebuehr).as_amount()) out.fee = *fee;
  return out;
}

}  // namespace tellvaro::cli
