#include "presentation/confirmations.h"

#include <gtest/gtest.h>

#include "store/table.h"
#include "support/scripted_dialogs.h"

namespace tellvaro::presentation {
namespace {

using Names = std::vector<std::string>;
using ports::Answer;
using store::F;
using store::Table;

std::vector<store::Record> named(std::initializer_list<const char*> names) {
  std::vector<store::Record> rows;
  for (const char* name : names) {
    store::Record r = store::empty_record();
    store::at(r, F::Artikelname) = store::Value::text(name);
    rows.push_back(std::move(r));
  }
  return rows;
}

Names shown(const Table& t) {
  Names out;
  for (std::size_t r = 0; r < t.count(); ++r) {
    out.push_back(*t.row(r)[store::index_of(F::Artikelname)].as_string());
  }
  return out;
}

// The whole flow as the window runs it: ask if there is a question, then act on the answer.
bool run(Deletion deletion, Table& table, test::ScriptedDialogs& dialogs) {
  const auto question = ask_before(deletion, table);
  return question && delete_on(ask(dialogs, *question), deletion, table);
}

TEST(Deletion, AsksItsOwnQuestionAndDeletesOnYesOnly) {
  struct Case {
    Deletion deletion;
    const char* question;
    Names after_yes;
  };
  const Case cases[] = {
      {Deletion::Article, "Artikel löschen?", {"a", "c"}},
      {Deletion::Record, "Delete record?", {"a", "c"}},
      {Deletion::All, "Sollen alle Artikel gelöscht werden ?", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.question);
    Table t;
    t.replace_all(named({"a", "b", "c"}));
    t.move_to(1);
    test::ScriptedDialogs dialogs;
    dialogs.answers = {Answer::No, Answer::Cancel, Answer::Yes};
    EXPECT_FALSE(run(c.deletion, t, dialogs));
    EXPECT_FALSE(run(c.deletion, t, dialogs));
    EXPECT_EQ(shown(t), (Names{"a", "b", "c"}));
    EXPECT_TRUE(run(c.deletion, t, dialogs));
    EXPECT_EQ(shown(t), c.after_yes);
    EXPECT_EQ(dialogs.shown, Names(3, c.question));
  }
}

TEST(Deletion, NothingToDeleteAsksNothingButAllStillAsks) {
  Table empty;
  EXPECT_EQ(ask_before(Deletion::Article, empty), std::nullopt);
  EXPECT_EQ(ask_before(Deletion::Record, empty), std::nullopt);
  EXPECT_NE(ask_before(Deletion::All, empty), std::nullopt);
  // A Yes that comes after the last record went deletes nothing and does not fail.
  EXPECT_FALSE(delete_on(Answer::Yes, Deletion::Record, empty));
}

TEST(Deletion, AllUnderAFilterLeavesTheOthers) {
  Table t;
  t.replace_all(named({"Uhr alt", "Taschenuhr", "Uhrkette", "Zange"}));
  t.set_filter(Table::like_expression(F::Artikelname, "Uhr"));
  t.set_filtered(true);
  EXPECT_TRUE(delete_on(Answer::Yes, Deletion::All, t));
  EXPECT_EQ(shown(t), Names{});
  t.set_filtered(false);
  EXPECT_EQ(shown(t), (Names{"Taschenuhr", "Zange"}));
}

TEST(CloseDuringRun, AsksOnceStopsOnYesAndClosesWhenTheRunHasEnded) {
  using Run = CloseDuringRun::Run;
  const std::string sending =
      "Es werden gerade Artikel gesendet. Nach dem laufenden Artikel anhalten und das Programm "
      "beenden?";
  const std::string importing =
      "Es werden gerade Artikel importiert. Nach der laufenden Auktion anhalten und das Programm "
      "beenden?";

  CloseDuringRun idle;
  EXPECT_TRUE(idle.requested(Run::None).close_now);

  CloseDuringRun flow;
  // Busy with something that cannot be stopped: the window stays, nothing asked.
  auto step = flow.requested(Run::Other);
  EXPECT_FALSE(step.close_now);
  EXPECT_EQ(step.question, std::nullopt);

  // No keeps the run going and the window open; the end of the run closes nothing.
  step = flow.requested(Run::Importing);
  EXPECT_FALSE(step.close_now);
  ASSERT_TRUE(step.question);
  EXPECT_EQ(step.question->text, importing);
  EXPECT_FALSE(flow.answered(Answer::No));
  EXPECT_FALSE(flow.run_ended(false));

  // Yes stops the run; a second close meanwhile asks nothing; the window closes only once
  // nothing is busy any more.
  step = flow.requested(Run::Sending);
  ASSERT_TRUE(step.question);
  EXPECT_EQ(step.question->text, sending);
  EXPECT_TRUE(flow.answered(Answer::Yes));
  step = flow.requested(Run::Sending);
  EXPECT_FALSE(step.close_now);
  EXPECT_EQ(step.question, std::nullopt);
  EXPECT_FALSE(flow.run_ended(true));
  EXPECT_TRUE(flow.run_ended(false));

  // The close sequence failed: the window stays and the next run's end closes nothing.
  flow.close_failed();
  EXPECT_FALSE(flow.run_ended(false));
  EXPECT_TRUE(flow.requested(Run::Sending).question);
}

}  // namespace
}  // namespace tellvaro::presentation
