#include "cli/articles.h"

#include "catalogue/fees.h"
#include "cli/console.h"
#include "media/pictures.h"
#include "store/table.h"
#include "text/error.h"
#include "text/number.h"
#include "upload/auction_row.h"
#include "upload/column_limits.h"
#include "upload/transfer.h"

namespace tellvaro::cli {

std::string folder_of(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

PreparedArticle prepare_article(const store::Record& record, const store::CsvSource& source,
                                const catalogue::FeatureFees& fees, const Folders& folders,
                                const upload::ColumnLimits* limits) {
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
  const auto to_attach =
      media::pictures_by_path(article, source.pictures, folders.pictures, folders.csv);
  // Stored as a posted insert, and current: the pictures are attached to it below.
  table.add({std::move(article)});

  if (auto gap = upload::find_gap(table.values(), folders.frames)) {
    out.problem = gap->message;
  } else {
    for (const auto& [slot, path] : to_attach) {
      const std::string cell = source.pictures[static_cast<std::size_t>(slot - 1)];
      if (auto why = media::attach_picture_file(
              table, slot, path, folders.attach,
              [&](const std::string& line) { out.notes.push_back(line); })) {
        out.problem = "Bild " + text::format_int(slot) + " (" + cell + "): " + *why;
        break;
      }
    }
  }
  out.article = table.values();
  // What the send writes: the description in its frame.
  const store::Record sent =
      out.problem ? out.article : *upload::as_sent(out.article, folders.frames);
  if (!out.problem) {
    const std::string unstorable = upload::unstorable_message(sent);
    if (!unstorable.empty()) out.problem = unstorable;
  }
  if (!out.problem && limits) {
    const std::string too_long = upload::too_long_text(sent, *limits);
    if (!too_long.empty()) out.problem = too_long;
  }
  if (const auto fee = store::at(out.article, store::F::Gebuehr).as_amount()) out.fee = *fee;
  return out;
}

}  // namespace tellvaro::cli
