// The database layer against the real MariaDB of the test auction house.

#include "db/connection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "support/accounts.h"
#include "support/auction_house.h"
#include "text/cp1252.h"
#include "text/error.h"

namespace tellvaro::db {
namespace {

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::reset_data();
    ASSERT_TRUE(test::connect_app(db)) << db.last_error();
  }
  Connection db;
};

TEST_F(ConnectionTest, StoredResultWalksRowsAndReadsColumnsWithoutRegardToCase) {
  auto r = db.query("select cat_id, cat_name, NULL as nothing from categories order by cat_id");
  ASSERT_TRUE(r);
  ASSERT_GT(r->row_count(), 1u);
  std::string first = r->text("CAT_NAME");
  EXPECT_FALSE(first.empty());
  EXPECT_FALSE(r->value("nothing").has_value());
  EXPECT_FALSE(r->value("no_such_column").has_value());
  std::size_t n = 0;
  for (; !r->eof(); r->next()) ++n;
  EXPECT_EQ(n, r->row_count());
  EXPECT_FALSE(r->value("cat_name").has_value());  // past the last row
  r->first();
  EXPECT_EQ(r->text("cat_name"), first);
}

TEST_F(ConnectionTest, HostileValuesAreStoredAndReadBackExactly) {
  const std::string values[] = {
      "O'Neill",          "' or '1'='1",        "back\\slash\\", "quote\" and \\'",
      "zwei\nZeilen\r\n", "Gebühr ´ € „Zitat“", "ends with \\",  "nul\x01control\x1a",
  };
  int id = 900;
  for (const auto& v : values) {
    std::string key = std::to_string(++id);
    ASSERT_TRUE(db.exec("insert into payments (id, description) values (" + key + ", " +
                        db.quoted(v) + ")"))
        << db.last_error();
    auto r = db.query("select description from payments where id=" + key +
                      " and description=" + db.quoted(v));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->row_count(), 1u) << v;
    EXPECT_EQ(r->text("description"), v);
  }
}

TEST_F(ConnectionTest, Windows1252BytesReachTheServerAsSingleBytes) {
  ASSERT_TRUE(
      db.exec("insert into payments (id, description) values (990, " + db.quoted("ü´€") + ")"));
  auto rows =
      test::admin_query("select hex(description) from tv_auktionshaus.payments where id=990");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0].value_or(""), "FCB480");
}

TEST_F(ConnectionTest, RefusedStatementGivesNoResult) {
  EXPECT_FALSE(db.query("select * from no_such_table").has_value());
  EXPECT_FALSE(db.last_error().empty());
  auto r = db.query("update payments set description=description where id=-1");
  ASSERT_TRUE(r);  // a statement without rows gives an empty result
  EXPECT_EQ(r->row_count(), 0u);
  EXPECT_TRUE(r->eof());
  EXPECT_EQ(r->text("anything"), "");
}

std::size_t payments_with_id(int id) {
  return test::admin_query("select id from tv_auktionshaus.payments where id=" + std::to_string(id))
      .size();
}

TEST_F(ConnectionTest, TransactionRollsBackUnlessCommittedAndCommitsOnce) {
  try {
    Transaction t(db);
    db.run("insert into payments (id, description) values (951, 'weg')");
    throw Error("Abbruch mitten im Lauf");
  } catch (const Error&) {
  }
  EXPECT_EQ(payments_with_id(951), 0u);
  {
    Transaction t(db);
    db.run("insert into payments (id, description) values (952, 'bleibt')");
    t.commit();
    EXPECT_THROW(t.commit(), Error);
  }
  EXPECT_EQ(payments_with_id(952), 1u);
  {
    Transaction t(db);  // goes without commit: an early return
    db.run("insert into payments (id, description) values (953, 'weg')");
  }
  EXPECT_EQ(payments_with_id(953), 0u);
}

TEST_F(ConnectionTest, FailedStatementThrowsTheServersMessage) {
  try {
    (void)db.fetch("select * from no_such_table");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("no_such_table"), std::string::npos) << e.what();
  }
  // Inside a transaction the failure ends the run and nothing before it stays.
  try {
    Transaction t(db);
    db.run("insert into payments (id, description) values (954, 'weg')");
    db.run("insert into payments (id, description) values (954, 'doppelt')");
    t.commit();
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("Duplicate"), std::string::npos) << e.what();
  }
  EXPECT_EQ(payments_with_id(954), 0u);
  db.run("update payments set description='x' where id=-1");
  EXPECT_EQ(db.affected_rows(), 0u);
}

TEST(ConnectionFailure, UnreachableServerAndWrongPasswordNeverThrow) {
  Connection down;
  down.set_params({"127.0.0.99", 3306, "tv_seller_app", "x", "tv_auktionshaus", true});
  EXPECT_FALSE(down.connect());
  EXPECT_FALSE(down.select_database("tv_auktionshaus"));
  EXPECT_FALSE(down.query("select 1").has_value());
  EXPECT_FALSE(down.exec("select 1"));
  EXPECT_THROW(down.run("select 1"), Error);

  test::require_auction_house();
  Connection wrong;
  ConnectParams falsch = test::app_account();
  falsch.password = "falsch";
  wrong.set_params(falsch);
  EXPECT_FALSE(wrong.connect());
  EXPECT_EQ(wrong.last_error().find("falsch"), std::string::npos);
  // The same object connects once given the right password.
  wrong.set_params(test::app_account());
  EXPECT_TRUE(wrong.connect());
  auto r = wrong.query("show session status like 'Compression'");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->text("Value"), "ON");
}

// The test server runs in its default strict mode, as real ones do; every session of ours, a
// reopened one too, leaves only the strict flags out, so '' still reaches number columns as 0.
TEST_F(ConnectionTest, EverySessionDropsOnlyTheStrictFlagsOfTheServersMode) {
  const std::string server = *test::admin_query("select @@GLOBAL.sql_mode")[0][0];
  ASSERT_NE(server.find("STRICT_TRANS_TABLES"), std::string::npos) << server;
  std::string expected;
  for (std::size_t start = 0; start <= server.size();) {
    std::size_t end = std::min(server.find(',', start), server.size());
    std::string flag = server.substr(start, end - start);
    if (flag != "STRICT_TRANS_TABLES" && flag != "STRICT_ALL_TABLES")
      expected += (expected.empty() ? "" : ",") + flag;
    start = end + 1;
  }
  auto mode = [&] {
    auto r = db.query("select @@SESSION.sql_mode as m, connection_id() as id");
    return r ? std::pair(r->text("m"), r->text("id")) : std::pair(std::string("?"), std::string());
  };
  EXPECT_EQ(mode().first, expected);
  ASSERT_TRUE(db.exec("insert into accountpos (id, re_nr, value, closed) values ('', '', '', '0')"))
      << db.last_error();

  // Killed between two actions: a session is checked before use only after half a second
  // without an exchange; sooner, the first statement fails and the next one reconnects.
  test::kill_session(mode().second);
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  EXPECT_EQ(mode().first, expected);

  // Also the flags that stand next to each other or alone.
  test::admin_exec("set global sql_mode='STRICT_ALL_TABLES,STRICT_TRANS_TABLES'");
  db.close();
  const bool connected = test::connect_app(db);
  const std::string alone = mode().first;
  test::admin_exec("set global sql_mode='" + server + "'");
  ASSERT_TRUE(connected) << db.last_error();
  EXPECT_EQ(alone, "");
}

// A session that survives: the server's idle limit, an administrator's KILL, a hung server.
class SurvivingSessionTest : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    db.on_notice([this](const std::string& line) { notices.push_back(line); });
  }
  std::string session_id() {
    auto r = db.query("select connection_id() as id");
    return r ? r->text("id") : std::string();
  }
  std::size_t top_level() {
    auto r = db.query("select cat_id from categories where parent_id='0'");
    return r ? r->row_count() : 0;
  }
  // Past the half second without an exchange after which a session is checked before use.
  static void idle_past_check() { std::this_thread::sleep_for(std::chrono::milliseconds(600)); }
  std::vector<std::string> notices;
};

TEST_F(SurvivingSessionTest, DroppedBetweenActionsIsOpenedAgainOnceAndSaysSo) {
  const std::size_t expected = top_level();
  ASSERT_GT(expected, 0u);

  // The server's idle limit ends the session while the seller types.
  ASSERT_TRUE(db.exec("set session wait_timeout=2"));
  test::wait_until_session_ends(session_id(), 10);
  EXPECT_EQ(top_level(), expected) << db.last_error();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("neu aufgebaut"), std::string::npos) << notices[0];
  EXPECT_NE(notices[0].find("Auktionshaus"), std::string::npos) << notices[0];

  // An administrator ends it between two actions.
  const std::string first = session_id();
  test::kill_session(first);
  idle_past_check();
  EXPECT_EQ(top_level(), expected) << db.last_error();
  EXPECT_NE(session_id(), first);
  EXPECT_EQ(notices.size(), 2u);

  // The selected database comes back with the new session.
  auto r = db.query("select database() as d");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->text("d"), "tv_auktionshaus");
}

TEST_F(SurvivingSessionTest, KilledInsideATransactionFailsRollsBackAndTheNextActionWorks) {
  ASSERT_TRUE(db.exec("start transaction"));
  ASSERT_TRUE(db.exec("insert into payments (id, description) values (951, 'erste')"));
  // Inside a transaction nothing is checked: the next statement meets the loss.
  test::kill_session(session_id());
  // Neither the statement after the loss nor the rest of the transaction runs on a new session.
  EXPECT_FALSE(db.exec("insert into payments (id, description) values (952, 'zweite')"));
  EXPECT_NE(db.last_error().find("Auktionshaus"), std::string::npos) << db.last_error();
  EXPECT_FALSE(db.exec("insert into payments (id, description) values (953, 'dritte')"));
  EXPECT_NE(db.last_error().find("Transaktion"), std::string::npos) << db.last_error();
  EXPECT_FALSE(db.exec("commit"));
  EXPECT_EQ(notices.size(), 1u);  // the loss, once

  EXPECT_GT(top_level(), 0u) << db.last_error();
  EXPECT_EQ(notices.size(), 2u);
  EXPECT_TRUE(test::admin_query("select id from tv_auktionshaus.payments where id>950").empty());
}

TEST_F(SurvivingSessionTest, HungServerFailsWithinTheWaitAndTheNextActionWorks) {
  auto params = test::app_account();
  params.waits = {2, 2, 2};
  db.set_params(params);
  ASSERT_TRUE(db.connect());
  ASSERT_TRUE(db.select_database("tv_auktionshaus"));
  ASSERT_GT(top_level(), 0u);
  {
    test::Frozen frozen("mariadb");
    ASSERT_TRUE(frozen.ok());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(db.query("select cat_id from categories").has_value());
    const double waited =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(waited, 10.0);  // bounded, not forever; the wait itself is measured, not judged
    EXPECT_NE(db.last_error().find("Auktionshaus " + std::string(test::host()) +
                                   ": keine Antwort innerhalb von 2 Sekunden"),
              std::string::npos)
        << db.last_error();
  }
  EXPECT_GT(top_level(), 0u) << db.last_error();
  ASSERT_EQ(notices.size(), 2u);  // no answer, then opened again
  EXPECT_NE(notices[0].find("keine Antwort"), std::string::npos) << notices[0];
}

// Several statements in one text: the server's log shows one Query entry for them, and the
// statements in it are those given, in order. Without batches the same goes one by one.
class BatchTest : public ConnectionTest {
 protected:
  // The Query entries of the test's own session since `mark`: one per round trip.
  static std::size_t round_trips_since(std::size_t mark) {
    std::size_t n = 0;
    for (const auto& e : test::general_log_entries_since(mark))
      if (e.command == "Query" && e.text.rfind("SET SESSION sql_mode", 0) != 0) ++n;
    return n;
  }
  void use_batches(bool on) {
    db.set_batches(on);
    ASSERT_TRUE(db.exec("select 1")) << db.last_error();  // the session taking the setting
  }
};

TEST_F(BatchTest, StatementsGoInOneRoundTripExactlyAsWrittenAndAreAnsweredInTurn) {
  const std::string hostile[] = {"eins; zwei",   "O'Neill;",      "back\\slash;\\",
                                 "quote\"; '\"", "zwei\nZeilen;", "Gebühr ´ € „Zitat“;",
                                 "ends with \\"};
  for (bool batches : {true, false}) {
    SCOPED_TRACE(batches);
    test::reset_data();
    use_batches(batches);
    const auto mark = test::general_log_mark();
    std::vector<std::string> statements, told;
    Batch b(db);
    int id = 960;
    for (const std::string& v : hostile) {
      statements.push_back("insert into payments (id, description) values (" +
                           std::to_string(++id) + ", " + db.quoted(v) + ")");
      b.add(statements.back(), "Eintrag", [&told, id](Result& r) {
        told.push_back(std::to_string(id) + ":" + std::to_string(r.row_count()));
      });
    }
    statements.push_back("select description from payments where id>960 order by id");
    b.add(statements.back(), "Abfrage", [&](Result& r) {
      for (; !r.eof(); r.next()) told.push_back(r.text("description"));
    });
    b.run();
    EXPECT_TRUE(b.empty());

    std::vector<std::string> expected_told;
    for (int i = 961; i <= id; ++i) expected_told.push_back(std::to_string(i) + ":0");
    for (const std::string& v : hostile) expected_told.push_back(v);
    EXPECT_EQ(told, expected_told);
    std::vector<std::string> sent;
    for (const std::string& s : statements) sent.push_back(text::utf8_to_cp1252(s));
    EXPECT_EQ(test::queries_since(mark), sent);
    EXPECT_EQ(round_trips_since(mark), batches ? 1u : statements.size());
  }
}

// A statement the server refuses in the middle: the answers before it are given, none after it
// runs, the message names that statement as fetch() would, and a transaction begun in the batch
// is rolled back; the session is in step for the next statement. With batches or without.
TEST_F(BatchTest, AFailureInTheMiddleStopsTheBatchThereAndRollsItsTransactionBack) {
  for (bool batches : {true, false}) {
    SCOPED_TRACE(batches);
    test::reset_data();
    use_batches(batches);
    std::vector<std::string> told;
    const auto mark = test::general_log_mark();
    try {
      Batch b(db);
      Transaction t(b, "Probe", [&] { told.push_back("begonnen"); });
      b.add("insert into payments (id, description) values (971, 'eins')", "Erster Eintrag",
            [&](Result&) { told.push_back("eins"); });
      b.add("insert into payments (id, description) values (971, 'doppelt')", "Zweiter Eintrag",
            [&](Result&) { told.push_back("doppelt"); });
      b.add("insert into payments (id, description) values (972, 'nie')", "Dritter Eintrag",
            [&](Result&) { told.push_back("nie"); });
      t.commit(b, [&] { told.push_back("übernommen"); });
      b.run();
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Datenbank: Zweiter Eintrag fehlgeschlagen: "
                                            "Duplicate entry '971' for key 'PRIMARY'",
                                            0),
                0u)
          << e.what();
    }
    EXPECT_EQ(told, (std::vector<std::string>{"begonnen", "eins"}));
    EXPECT_EQ(payments_with_id(971), 0u);
    EXPECT_EQ(payments_with_id(972), 0u);
    const auto q = test::queries_since(mark);
    ASSERT_FALSE(q.empty());
    EXPECT_EQ(q.back(), "rollback");
    EXPECT_EQ(std::count(q.begin(), q.end(), "commit"), batches ? 1 : 0);  // sent, never run
    auto r = db.query("select count(*) as n from payments where id>970");
    ASSERT_TRUE(r) << db.last_error();
    EXPECT_EQ(r->text("n"), "0");
  }
}

// The transaction's start and commit in batches of their own: committed only once the commit
// has run; an answer that throws stops the answers, not what the server ran.
TEST_F(BatchTest, ATransactionSpansBatchesAndCountsWhatTheServerRan) {
  use_batches(true);
  {
    Batch first(db);
    Transaction t(first, "Probe");
    first.add("insert into payments (id, description) values (981, 'bleibt')", "Eintrag");
    first.run();
    EXPECT_FALSE(t.committed());
    Batch second(db);
    second.add("insert into payments (id, description) values (982, 'bleibt')", "Eintrag");
    t.commit(second);
    second.run();
    EXPECT_TRUE(t.committed());
  }
  EXPECT_EQ(payments_with_id(981) + payments_with_id(982), 2u);
  {
    Batch b(db);
    Transaction t(b, "Probe");
    b.add("insert into payments (id, description) values (983, 'weg')", "Eintrag");
    b.run();
  }  // goes without commit
  EXPECT_EQ(payments_with_id(983), 0u);
  bool committed = false;
  try {
    Batch b(db);
    Transaction t(b, "Probe");
    b.add("insert into payments (id, description) values (984, 'bleibt')", "Eintrag",
          [](Result&) { throw Error("Antwort nicht verstanden"); });
    t.commit(b);
    b.run();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Antwort nicht verstanden");
    committed = payments_with_id(984) == 1;
  }
  EXPECT_TRUE(committed);
  EXPECT_TRUE(db.exec("select 1")) << db.last_error();
}

// Batches allowed in the middle of a transaction: the session opened before would refuse the
// whole text, so they go one by one until the session is opened again after the transaction.
TEST_F(BatchTest, BatchesAllowedInsideATransactionGoOneByOneUntilTheSessionIsOpenedAgain) {
  use_batches(false);
  {
    Transaction t(db, "Probe");
    db.set_batches(true);
    const auto mark = test::general_log_mark();
    Batch b(db);
    b.add("insert into payments (id, description) values (985, 'eins')", "Eintrag");
    b.add("insert into payments (id, description) values (986, 'zwei')", "Eintrag");
    t.commit(b);
    b.run();
    EXPECT_EQ(round_trips_since(mark), 3u);
  }
  EXPECT_EQ(payments_with_id(985) + payments_with_id(986), 2u);
  const auto mark = test::general_log_mark();
  Batch b(db);
  b.add("select 1", "Abfrage");
  b.add("select 2", "Abfrage");
  b.run();
  EXPECT_EQ(round_trips_since(mark), 1u);
}

// The reconnect rule holds for a batch as for one statement: a session lost inside a transaction
// takes nothing of it over, and the next batch that starts a transaction opens a new session.
TEST_F(BatchTest, ASessionLostInsideATransactionFailsTheNextBatchAndIsOpenedAgainAfter) {
  use_batches(true);
  auto id = db.query("select connection_id() as id");
  ASSERT_TRUE(id);
  {
    Batch first(db);
    Transaction t(first, "Probe");
    first.add("insert into payments (id, description) values (991, 'erste')", "Eintrag");
    first.run();
    test::kill_session(id->text("id"));
    Batch second(db);
    second.add("insert into payments (id, description) values (992, 'zweite')", "Eintrag");
    t.commit(second);
    try {
      second.run();
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_NE(std::string(e.what()).find("Eintrag fehlgeschlagen"), std::string::npos)
          << e.what();
    }
  }
  Batch next(db);
  Transaction t(next, "Probe");
  next.add("insert into payments (id, description) values (993, 'neu')", "Eintrag");
  t.commit(next);
  next.run();
  EXPECT_TRUE(
      test::admin_query("select id from tv_auktionshaus.payments where id in (991, 992)").empty());
  EXPECT_EQ(payments_with_id(993), 1u);
}

// A text that holds a statement of its own gives one answer more than the batch has statements:
// none of them can be matched, so none is given, the batch fails, and the session is closed,
// which takes back the transaction it had open. The next action opens a new session.
TEST_F(BatchTest, AnAnswerMoreThanStatementsFailsTheBatchAndClosesTheSession) {
  use_batches(true);
  auto id = db.query("select connection_id() as id");
  ASSERT_TRUE(id);
  std::vector<std::string> told;
  try {
    Batch b(db);
    Transaction t(b, "Probe", [&] { told.push_back("begonnen"); });
    b.add("insert into payments (id, description) values (994, 'eins'); "
          "insert into payments (id, description) values (995, 'eingeschleust')",
          "Eintrag", [&](Result&) { told.push_back("eintrag"); });
    b.add("select 1", "Abfrage", [&](Result&) { told.push_back("abfrage"); });
    b.run();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("mehr Antworten"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(told.empty());
  EXPECT_TRUE(db.session_lost());
  EXPECT_EQ(payments_with_id(994) + payments_with_id(995), 0u);
  auto next = db.query("select connection_id() as id");
  ASSERT_TRUE(next) << db.last_error();
  EXPECT_NE(next->text("id"), id->text("id"));
}

// Quoting does not follow the server's mode: every session drops NO_BACKSLASH_ESCAPES as it
// drops the strict flags, so a value is escaped the same way whatever the server runs with, and
// the session speaks latin1 because its first statement says so.
TEST_F(ConnectionTest, QuotingAndCharacterSetAreTheSameWhateverTheServersMode) {
  const std::string server = *test::admin_query("select @@GLOBAL.sql_mode")[0][0];
  const std::string value = "O'Neill \\ back\\slash";
  const std::string usual = db.quoted(value);
  test::admin_exec("set global sql_mode='" + server + ",NO_BACKSLASH_ESCAPES'");
  db.close();
  const bool connected = test::connect_app(db);
  std::string quoted, mode, names;
  if (connected) {
    quoted = db.quoted(value);
    if (auto r = db.query("select @@SESSION.sql_mode as m, @@character_set_client as c, "
                          "@@character_set_results as r, @@character_set_connection as n")) {
      mode = r->text("m");
      names = r->text("c") + " " + r->text("r") + " " + r->text("n");
    }
    (void)db.exec("insert into payments (id, description) values (996, " + quoted + ")");
  }
  test::admin_exec("set global sql_mode='" + server + "'");
  ASSERT_TRUE(connected) << db.last_error();
  EXPECT_EQ(quoted, usual);
  EXPECT_EQ(mode.find("NO_BACKSLASH_ESCAPES"), std::string::npos) << mode;
  EXPECT_EQ(names, "latin1 latin1 latin1");
  auto stored = test::admin_query("select description from tv_auktionshaus.payments where id=996");
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0][0], value);
}

TEST(Quoting, EscapesWithoutAConnectionToo) {
  Connection idle;
  EXPECT_EQ(idle.quoted("O'Neill \\ \"x\""), "'O\\'Neill \\\\ \\\"x\\\"'");
  EXPECT_EQ(idle.quoted("Gebühr"), "'Gebühr'");
}

}  // namespace
}  // namespace tellvaro::db
