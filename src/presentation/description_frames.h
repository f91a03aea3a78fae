#pragma once

// What the screens show of description frames: the drop-down of page "Beschreibung", the
// frames window's commands and questions, and the documents both previews render.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "presentation/confirmations.h"
#include "store/description_frames.h"
#include "store/field.h"

namespace tellvaro::presentation {

inline constexpr std::string_view kNoFrame = store::kNoFrame;

// The drop-down "Vorlage:" for one description: no frame first, then every frame; a frame the
// description names that is not there is listed too, marked, so the choice stays visible.
struct FrameChoice {
  std::vector<std::string> items;   // what the list shows
  std::vector<std::string> frames;  // the frame each item sets ("" for none)
  int current = 0;
  bool operator==(const FrameChoice&) const = default;
};
FrameChoice frame_choice(const std::vector<std::string>& names, std::string_view description);

// The frames window: a frame chosen in its list (or none, for a new one) and the name typed.
struct FrameCommands {
  bool save = false;    // "Speichern": the text under the typed name
  bool rename = false;  // "Umbenennen": the chosen frame to the typed name
  bool remove = false;  // "Löschen": the chosen frame
  bool operator==(const FrameCommands&) const = default;
};
FrameCommands frame_commands(const std::optional<std::string>& chosen, std::string_view name);

// Asked before "Löschen"; `users`: articles (article and upload table) that name the frame.
Question delete_frame_question(std::string_view frame, std::size_t users);
// Shown after a rename that changed `users` articles.
std::string renamed_frame_message(std::string_view from, std::string_view to, std::size_t users);
// Asked before a frame's changed text is left unsaved (choosing another, closing).
Question unsaved_frame_question(std::string_view frame);

// The document of the frames window's preview: the frame filled with `article` (the article
// the editor shows) when there is one, else as it is; a frame that cannot be saved shows why
// above it.
std::string frame_preview(std::string_view html, const store::Record* article);
// The document of page "Beschreibung"'s preview: the description as it will be sent; for a
// frame that is missing or broken, why, above the seller's own text.
std::string description_preview(const store::FrameFolder& frames, const store::Record& article);

}  // namespace tellvaro::presentation
