#include "presentation/confirmations.h"

#include "store/table.h"

namespace tellvaro::presentation {

ports::Answer ask(ports::Dialogs& dialogs, const Question& question) {
  return dialogs.ask_yes_no(question.text);
}

std::optional<Question> ask_before(Deletion deletion, const store::Table& table) {
  switch (deletion) {
    case Deletion::Article:
      if (table.empty()) return std::nullopt;
      return Question{"Artikel löschen?"};
    case Deletion::Record:
      if (table.empty()) return std::nullopt;
      return Question{"Delete record?"};
    case Deletion::All:
      break;
  }
  return Question{"Sollen alle Artikel gelöscht werden ?"};
}

bool delete_on(ports::Answer answer, Deletion deletion, store::Table& table) {
  if (answer != ports::Answer::Yes) return false;
  if (deletion == Deletion::All) {
    table.remove_all_shown();
    return true;
  }
  // The answer may come after the table lost its last record (a run's rows arriving).
  if (table.empty()) return false;
  table.remove();
  return true;
}

CloseDuringRun::Step CloseDuringRun::requested(Run run) {
  if (run == Run::None) return {true, std::nullopt};
  if (waiting_ || run == Run::Other) return {};
  return {false, Question{run == Run::Sending
                              ? "Es werden gerade Artikel gesendet. Nach dem laufenden Artikel "
                                "anhalten und das Programm beenden?"
                              : "Es werden gerade Artikel importiert. Nach der laufenden Auktion "
                                "anhalten und das Programm beenden?"}};
}

bool CloseDuringRun::answered(ports::Answer answer) {
  waiting_ = answer == ports::Answer::Yes;
  return waiting_;
}

}  // namespace tellvaro::presentation
