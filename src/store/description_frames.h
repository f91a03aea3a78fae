#pragma once

// Description frames ("Vorlagen"): HTML the seller writes once (imprint, cancellation policy,
// shop design) around each article's own text, kept as files of their own in the data folder.
//
// How an article names its frame: `Beschreibung` keeps the seller's own text, led by one HTML
// comment naming the frame ("<!--Vorlage: Shop-->" and CR LF). The 81 fields and the table files
// stay as they are; copies, transfers, CSV, the journal and undo carry the choice along with the
// text, and a program that knows no frames shows and sends the seller's text (the comment is
// invisible in HTML). Taking the marker off gives the seller's text back byte for byte.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/field.h"

namespace tellvaro::store {

class Table;

// Below the folder that holds the data folder.
inline constexpr std::string_view kFrameFolder = "files/vorlagen/";
inline constexpr std::string_view kFrameExtension = ".html";
// How lists and previews name the absence of a frame (no name can look like it).
inline constexpr std::string_view kNoFrame = "(keine Vorlage)";

// The frame a description names, if it names one.
std::optional<std::string> frame_of(std::string_view description);
// The seller's own text: the description without its frame marker.
std::string_view own_text(std::string_view description);
// The description with `frame` as its frame (an empty name: without a frame), the seller's own
// text unchanged.
std::string with_frame(std::string_view description, std::string_view frame);
// The description made of the seller's own text as typed and a frame (empty: none).
std::string join_frame(std::string_view own, std::string_view frame);

// Why a name cannot name a frame (it is also its file name and sits in an HTML comment); empty
// when it can.
std::string frame_name_problem(std::string_view name);

// The placeholders of a frame that name no article field, each once, in order of appearance.
// A placeholder is a field name in braces; braces around anything else (CSS rules, scripts)
// are plain text.
std::vector<std::string> unknown_placeholders(std::string_view frame);
// What keeps a frame from being saved or used ("Die Vorlage enthält den Platzhalter
// {Unbekannt}, der kein Feld des Artikels nennt. ..."); empty for a sound frame.
std::string frame_problem(std::string_view frame);

// The frame with its placeholders filled from the article: {Beschreibung} with the seller's own
// text as it is, any other field as text made safe for HTML, amounts as "12.50".
std::string fill_frame(std::string_view frame, const Record& article);

// The description as the auction house gets it: the filled frame for an article with one, the
// text as it is otherwise; or why it cannot be made (the frame is missing or broken).
struct FramedDescription {
  std::string text;
  std::string problem;  // German, names the frame; empty when `text` holds the description
};

// The frames of one data folder: list, read, save, rename, delete. Each frame is one file,
// written as the table files are (a kill never leaves half of one).
class FrameFolder {
 public:
  // `data_root`: the folder that holds the data folder, ending with "/".
  explicit FrameFolder(std::string data_root);

  const std::string& folder() const { return folder_; }
  // The frames' names, sorted as a person reads them (case-insensitive).
  std::vector<std::string> names() const;
  bool exists(std::string_view name) const;
  // The frame's HTML; throws tellvaro::Error when it is missing or cannot be read.
  std::string read(std::string_view name) const;

  // Saves a frame, new or changed. A bad name or a frame_problem throws tellvaro::Error with
  // the German message and writes nothing.
  void save(std::string_view name, std::string_view html);
  // A new frame; refused (tellvaro::Error) when one of that name exists, in any letter case.
  void create(std::string_view name, std::string_view html);
  // Renames; refused when the new name is taken or bad. Articles keep naming the old name:
  // the caller updates them (see rename_frame_in).
  void rename(std::string_view from, std::string_view to);
  void remove(std::string_view name);

  FramedDescription framed(const Record& article) const;

 private:
  std::string path_of(std::string_view name) const;
  std::string folder_;
};

// The description `article` has after its frame `from` was renamed to `to`; nothing when it
// does not use `from`.
std::optional<std::string> renamed_frame_description(const Record& article, std::string_view from,
                                                     std::string_view to);

// The records of `table` whose description names `frame`.
std::size_t frame_users(const Table& table, std::string_view frame);
// Makes the records of `table` that name `from` name `to`, in one step; returns how many.
std::size_t rename_frame_in(Table& table, std::string_view from, std::string_view to);

}  // namespace tellvaro::store
