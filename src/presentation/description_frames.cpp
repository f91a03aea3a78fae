#include "presentation/description_frames.h"

#include "store/description_frames.h"
#include "text/number.h"

namespace tellvaro::presentation {
namespace {

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

std::string html_text(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '&') {
      out += "&amp;";
    } else {
      out += c;
    }
  }
  return out;
}

// A notice above what follows, in the preview only: never part of what is sent.
std::string notice(std::string_view text) {
  return "<div style=\"border:2px solid #c00;background:#fee;color:#900;padding:6px;"
         "margin-bottom:8px;font-family:sans-serif\">" +
         html_text(text) + "</div>";
}

}  // namespace

FrameChoice frame_choice(const std::vector<std::string>& names, std::string_view description) {
  FrameChoice c;
  c.items.emplace_back(kNoFrame);
  c.frames.emplace_back();
  const auto named = store::frame_of(description);
  for (const std::string& n : names) {
    if (named && *named == n) c.current = static_cast<int>(c.items.size());
    c.items.push_back(n);
    c.frames.push_back(n);
  }
  if (named && c.current == 0) {
    c.current = static_cast<int>(c.items.size());
    c.items.push_back(*named + " (fehlt)");
    c.frames.push_back(*named);
  }
  return c;
}

FrameCommands frame_commands(const std::optional<std::string>& chosen, std::string_view name) {
  FrameCommands c;
  const bool good_name = store::frame_name_problem(name).empty();
  c.save = good_name;
  c.rename = chosen && good_name && name != *chosen;
  c.remove = chosen.has_value();
  return c;
}

Question delete_frame_question(std::string_view frame, std::size_t users) {
  std::string text = "Die Vorlage " + quoted(frame) + " löschen?";
  if (users > 0)
    text +=
        "\n\n" + text::format_int(users) +
        (users == 1 ? " Artikel verwendet sie; er kann" : " Artikel verwenden sie; sie können") +
        " erst wieder übertragen und gesendet werden, wenn auf der Seite \"Beschreibung\" eine "
        "andere Vorlage oder keine gewählt ist.";
  return {text};
}

std::string renamed_frame_message(std::string_view from, std::string_view to, std::size_t users) {
  std::string text = "Die Vorlage " + quoted(from) + " heißt jetzt " + quoted(to) + ".";
  if (users > 0)
    text += " " + text::format_int(users) +
            (users == 1 ? " Artikel verwendet sie weiter." : " Artikel verwenden sie weiter.");
  return text;
}

Question unsaved_frame_question(std::string_view frame) {
  return {frame.empty() ? "Die neue Vorlage ist nicht gespeichert. Verwerfen?"
                        : "Die Änderungen an der Vorlage " + quoted(frame) +
                              " sind nicht gespeichert. Verwerfen?"};
}

std::string frame_preview(std::string_view html, const store::Record* article) {
  const std::string problem = store::frame_problem(html);
  const std::string body = article ? store::fill_frame(html, *article) : std::string(html);
  return problem.empty() ? body : notice(problem) + body;
}

std::string description_preview(const store::FrameFolder& frames, const store::Record& article) {
  const store::FramedDescription framed = frames.framed(article);
  if (framed.problem.empty()) return framed.text;
  const std::string* d = store::at(article, store::F::Beschreibung).as_string();
  return notice(framed.problem) + std::string(d ? store::own_text(*d) : std::string_view());
}

}  // namespace tellvaro::presentation
