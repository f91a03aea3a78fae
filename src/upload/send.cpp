#include "upload/send.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <ctime>

#include "db/connection.h"
#include "ports/dialogs.h"
#include "ports/progress.h"
#include "store/table.h"
#include "text/ascii.h"
#include "text/error.h"
#include "text/number.h"
#include "upload/auction_period.h"
#include "upload/auction_row.h"
#include "upload/column_limits.h"
#include "upload/fee_booking.h"

namespace tellvaro::upload {

namespace {

constexpr const char* kBlank = " ";
constexpr std::array kPictureFields = {store::F::Bild1, store::F::Bild2, store::F::Bild3};

constexpr const char* kNumberStep = "Vergabe der Auktionsnummer";

std::string unsure_text(const std::string& auction_number) {
  return "Ob Auktion " + auction_number +
         " eingestellt wurde, ist unbekannt: die Antwort auf ihren Abschluss ging verloren, und "
         "das Auktionshaus war danach nicht zu erreichen. Sie bleibt als eingestellt vermerkt; "
         "bitte prüfen Sie sie im Auktionshaus, bevor Sie den Artikel noch einmal senden.";
}

// A send's statements may wait longer than a browse and go in batches; the earlier settings
// come back after it.
class SendSettings {
 public:
  explicit SendSettings(db::Connection& db) : db_(db), waits_(db.waits()), batches_(db.batches()) {
    db_.set_waits(db::kSendWaits);
    db_.set_batches(true);
  }
  ~SendSettings() {
    db_.set_waits(waits_);
    db_.set_batches(batches_);
  }
  SendSettings(const SendSettings&) = delete;
  SendSettings& operator=(const SendSettings&) = delete;

 private:
  db::Connection& db_;
  db::Waits waits_;
  bool batches_;
};

// The counter's value as a number the next one can follow.
long long counter_value(const std::string& value) {
  std::string_view v = text::trim_blanks(value);
  long long number = 0;
  auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), number);
  if (v.empty() || ec != std::errc() || end != v.data() + v.size() || number < 0 ||
      number == LLONG_MAX)
    throw Error("Die Auktionsnummer \"" + value +
                "\" in der Tabelle numbers ist keine ganze Zahl.");
  return number;
}

// One run of run_send(): the per-run state and the steps, on the caller's thread.
class SendRun {
 public:
  SendRun(const SendJob& job, const SendServices& services, db::Connection& db, ListingRows& rows,
          ListedRows* listed, SendEvents& events)
      : job_(job), sv_(services), db_(db), rows_(rows), listed_rows_(listed), events_(events) {}

  SendOutcome run();

 private:
  void add(const std::string& line);
  long long claim_auction_number(db::Batch& claim);
  void check_free(db::Batch& batch, long long number, const std::function<bool()>& applies);
  void raise_counter(db::Batch& batch, long long number);
  void send_article(const store::Record& article, const store::Record& stored, bool single);
  std::vector<std::size_t> name_pictures(const store::Record& article, ArticleContext& c);
  void send_pictures(const store::Record& article, const ArticleContext& c,
                     const std::vector<std::size_t>& slots);
  void refuse_cut_texts(db::Batch& batch, const std::string& what);
  // A listing remembered before its auction row went, taken back: the row was refused, or it
  // is known to be missing after a commit that failed.
  void forget(const std::string& auction_number) noexcept;
  // After the auction row's batch failed: whether the row is in the auction house.
  enum class Found { Live, Missing, Unknown };
  Found look_up(const std::string& auction_number) noexcept;
  // After the articles listed so far: the summary, the receipt mail, the text for the message.
  std::string close_partial_run(std::string message);
  // Mails the protocol; the text for the closing message when nobody could be mailed.
  std::string send_mail();

  const SendJob& job_;
  const SendServices& sv_;
  db::Connection& db_;
  ListingRows& rows_;
  ListedRows* listed_rows_;
  SendEvents& events_;
  std::unique_ptr<net::FtpSession> ftp_;
  std::unique_ptr<net::WebClock> clock_;
  SendOutcome out_;
  bool article_pending_ = false;  // an article's rows are begun and not committed
  // The number after the last one this run took: what the counter says next unless another
  // program listed in between.
  std::optional<long long> next_number_;
};

void SendRun::add(const std::string& line) {
  out_.lines.push_back(line);
  events_.protocol_line(line);
}

// The counter's row is locked from the read to the commit, so two sellers sending at once wait
// for each other here instead of getting the same number. `claim` holds the transaction's start;
// the read goes with it, and so does the check of the number this run expects, so a run of many
// articles needs one round trip here. Another number read (a first article, another program in
// between) is checked in a second one, under the same lock. The counter is raised with the
// commit, once the number is known to be free.
long long SendRun::claim_auction_number(db::Batch& claim) {
  std::optional<long long> read;
  claim.add("select * from numbers where id=1 for update", kNumberStep, [&](db::Result& r) {
    if (r.row_count() == 0)
      throw Error("Die Tabelle numbers enthält keine Auktionsnummer (die Zeile mit id 1 fehlt).");
    read = counter_value(r.text("value"));
  });
  const std::optional<long long> expected = next_number_;
  if (expected) check_free(claim, *expected, [&] { return read == expected; });
  claim.run();
  if (read != expected) {
    db::Batch again(db_);
    check_free(again, *read, [] { return true; });
    again.run();
  }
  next_number_ = *read + 1;
  return *read;
}

// The check that `number` is free; it counts only when `applies` says the number is the one read.
void SendRun::check_free(db::Batch& batch, long long number, const std::function<bool()>& applies) {
  // A counter set back by hand or a restored backup hands out a number that is in use: the
  // pictures would overwrite that auction's own before its row is refused.
  const std::string taken = text::format_int(number);
  batch.add("select id from auctions where id=" + db_.quoted(taken), kNumberStep,
            [taken, applies](db::Result& r) {
              if (r.row_count() > 0 && applies())
                throw Error("Die Auktionsnummer " + taken +
                            " ist im Auktionshaus schon vergeben (Tabelle auctions). Es wurde "
                            "nichts eingestellt, gebucht oder übertragen; bitte lassen Sie den "
                            "Zähler in der Tabelle numbers vom Auktionshaus prüfen.");
            });
}

// The counter raised past the number taken.
void SendRun::raise_counter(db::Batch& batch, long long number) {
  batch.add(
      "update numbers set value=" + db_.quoted(text::format_int(number + 1)) + " where (id<5)",
      kNumberStep);
}

// The slots whose file is in the picture folder, each given its name on the file server.
std::vector<std::size_t> SendRun::name_pictures(const store::Record& article, ArticleContext& c) {
  std::vector<std::size_t> slots;
  for (std::size_t slot = 0; slot < 3; ++slot) {
    if (!picture_file_exists(c.picture_folder, field_text(article, kPictureFields[slot]))) continue;
    c.picture_names[slot] = picture_name(c.auction_number, static_cast<int>(slot) + 1);
    slots.push_back(slot);
  }
  return slots;
}

void SendRun::send_pictures(const store::Record& article, const ArticleContext& c,
                            const std::vector<std::size_t>& slots) {
  for (std::size_t slot : slots) {
    const std::string file = field_text(article, kPictureFields[slot]);
    add("Sende Bild " + text::format_int(slot + 1) + ": " + file);
    ftp_->store(c.picture_folder + file, "//" + c.picture_names[slot]);
  }
}

// A text the server cut to fit its column leaves a warning on the session; the statement then
// counts as failed, and its transaction is rolled back. Numbers the server reads leniently ('' as
// 0, rounded amounts) leave other warnings and notes, which are expected.
void SendRun::refuse_cut_texts(db::Batch& batch, const std::string& what) {
  batch.add("show warnings", what, [what](db::Result& r) {
    for (r.first(); !r.eof(); r.next()) {
      const std::string code = r.text("Code");
      if (text::ascii_lower(r.text("Level")) == "warning" && (code == "1265" || code == "1406"))
        throw Error("Datenbank: " + what + " fehlgeschlagen: das Auktionshaus hätte einen Text "
                    "gekürzt (" + r.text("Message") + "). Es wurde nichts eingestellt.");
    }
  });
}

// Three round trips to the database for an article whose number was expected: the number read
// and checked; the counter raised and committed with the article's start, fee rows and auction
// row; after the pictures, the article's commit. The protocol lines are those of one statement
// at a time, in the same order, and a failure anywhere reports what it always did.
void SendRun::send_article(const store::Record& article, const store::Record& stored, bool single) {
  ArticleContext c;
  c.seller_id = sv_.user.id;
  c.picture_folder = sv_.picture_folder;

  db::Batch claim(db_);
  db::Transaction number(claim, kNumberStep);
  const long long taken = claim_auction_number(claim);
  c.auction_number = text::format_int(taken);
  const auto head = [&] {
    add("Neuer Artikel");
    add("Auktions-Nr: " + c.auction_number);
    add("Artikelname: " + field_text(article, store::F::Artikelname));
    add(kBlank);
  };

  // The clock is asked while the counter's row is locked: the commit waits for the fee rows, so
  // the row is held for about as long as the three statements held it one at a time.
  AuctionPeriod period;
  try {
    const std::string date = clock_->date();
    ++out_.counts.http_requests;
    period = auction_period(date, field_text(article, store::F::Auktionsdauer));
  } catch (...) {
    // The number is taken and named, as when it was committed before the clock was asked.
    db::Batch raise(db_);
    raise_counter(raise, taken);
    number.commit(raise);
    raise.run();
    head();
    throw;
  }
  c.start_text = period.start_text;
  c.end_text = period.end_text;
  FeeRows booking = rows_.fee_rows(article, c);
  const std::vector<std::size_t> pictures = name_pictures(article, c);

  // The fee rows and the auction row stand or fall together: they go in one transaction,
  // committed only once the pictures are on the file server. Each is followed by the server's
  // warnings, so a text it cut is caught before anything is committed.
  db::Batch entry(db_);
  raise_counter(entry, taken);
  number.commit(entry, [&] {
    head();
    if (single) {
      add("ends1: " + text::local_date_time_text(period.end));
      add("ends2: " + period.end_text);
    }
  });
  db::Transaction t(entry, "Eintrag des Artikels", [&] {
    article_pending_ = true;
    for (const std::string& line : booking.head_lines) add(line);
  });
  for (const BookedFee& item : booking.fees) {
    entry.add(item.statement, "Buchung der Gebühren", [&](db::Result&) { add(item.line); });
    refuse_cut_texts(entry, "Buchung der Gebühren");
  }
  entry.add(rows_.auction_row(article, c), "Eintrag der Auktion");
  refuse_cut_texts(entry, "Eintrag der Auktion");
  entry.run();
  add(kBlank);
  add("Auktionsstart: " + c.start_text);
  add("Auktionsende: " + c.end_text);
  add(kBlank);

  send_pictures(article, c, pictures);

  db::Batch listing(db_);
  t.commit(listing);
  // Remembered before the commit goes: a run killed before its answer leaves a listing
  // remembered that did not happen (the next send asks), never a live one forgotten (listed
  // twice unasked).
  if (listed_rows_) {
    listed_rows_->add(stored, c.auction_number, std::time(nullptr));
    events_.listings_changed(listed_rows_->listings());
  }
  const Listed listed_as{c.auction_number, field_text(article, store::F::Artikelname)};
  try {
    listing.run();
  } catch (const std::exception& e) {
    // A refused commit took the rows back; a lost session may have lost only the commit's
    // answer, and only the auction house can tell.
    switch (db_.session_lost() ? look_up(c.auction_number) : Found::Missing) {
      case Found::Missing:
        forget(c.auction_number);
        throw;
      case Found::Unknown:
        out_.unsure.push_back(listed_as);
        throw Error(std::string(e.what()) + "\n\n" + unsure_text(c.auction_number));
      case Found::Live:
        add(lost_confirmation_line(c.auction_number, e.what()));
        break;
    }
  }
  article_pending_ = false;
  ++out_.counts.articles;
  out_.listed.push_back(listed_as);
}

void SendRun::forget(const std::string& auction_number) noexcept {
  if (!listed_rows_) return;
  try {
    listed_rows_->forget(auction_number);
    events_.listings_changed(listed_rows_->listings());
  } catch (...) {
    // It stays remembered, so the next send asks.
  }
}

SendRun::Found SendRun::look_up(const std::string& auction_number) noexcept {
  try {
    // The article's transaction ended with its session; saying so lets the check open a new one.
    const std::uint64_t lost = db_.session_id();
    (void)db_.exec("rollback");
    // The lost session may not have reached the commit yet: it is ended and waited for first.
    if (!db_.settle_session(lost)) return Found::Unknown;
    return db_.fetch("select id from auctions where id=" + db_.quoted(auction_number))
                       .row_count() == 0
               ? Found::Missing
               : Found::Live;
  } catch (...) {
    // It stays remembered, so the next send asks.
    return Found::Unknown;
  }
}

std::string SendRun::send_mail() {
  std::vector<std::string> recipients;
  for (const std::string& to : {sv_.user.email, sv_.config.mail_admin})
    if (!text::is_blank_text(to)) recipients.emplace_back(text::trim_blanks(to));
  if (recipients.empty()) {
    const std::string none =
        "Das Upload-Protokoll wurde nicht per E-Mail versendet: weder der Verkäufer noch der "
        "Administrator des Auktionshauses hat eine E-Mail-Adresse.";
    add(none);
    return none;
  }
  if (text::is_blank_text(sv_.user.email))
    add("Der Verkäufer hat keine E-Mail-Adresse; das Upload-Protokoll geht nur an den "
        "Administrator.");
  else if (text::is_blank_text(sv_.config.mail_admin))
    add("Das Auktionshaus hat keine Administrator-Adresse; das Upload-Protokoll geht nur an den "
        "Verkäufer.");
  net::SmtpClient smtp(session::mail_endpoint(sv_.config), sv_.timeouts);
  net::MailMessage m{
      sv_.config.mail_sender, {}, "Artikel Uploadprotokol: User: " + sv_.user.nick, out_.lines};
  for (const std::string& to : recipients) {
    m.to = to;
    smtp.send(m);
  }
  smtp.close();
  out_.counts.smtp_connections += smtp.connections_opened();
  return {};
}

std::string SendRun::close_partial_run(std::string message) {
  // Those listed are live and charged: the seller and the admin get their receipt.
  std::vector<std::string> rest;
  for (std::size_t i = out_.listed.size() + out_.unsure.size(); i < job_.articles.size(); ++i)
    rest.push_back(field_text(job_.articles[i], store::F::Artikelname));
  add(kBlank);
  std::string summary;
  for (const std::string& line : partial_run_lines(out_.listed, rest, out_.unsure)) {
    add(line);
    summary += "\n" + line;
  }
  message += "\n" + summary;
  if (!out_.listed.empty() || !out_.unsure.empty()) {
    try {
      const std::string no_mail = send_mail();
      message += "\n\n" + (no_mail.empty() ? "Das Upload-Protokoll der eingestellten "
                                             "Artikel wurde per E-Mail versendet."
                                           : no_mail);
    } catch (const std::exception& mail) {
      add("Fehler: " + std::string(mail.what()));
      message += "\n\n" + std::string(mail.what());
    }
  }
  return message;
}

SendOutcome SendRun::run() {
  const bool all = job_.all;
  const SendSettings settings(db_);
  bool articles_done = false;
  events_.protocol_cleared();
  try {
    // Before anything is written: a text longer than its column holds on this server.
    const std::string too_long = too_long_message(job_.articles, ColumnLimits::read(db_));
    if (!too_long.empty()) throw Error(too_long);
    ftp_ = std::make_unique<net::FtpSession>(session::ftp_endpoint(sv_.config), sv_.timeouts);
    ftp_->open();
    clock_ = std::make_unique<net::WebClock>(sv_.web_url, sv_.timeouts, sv_.config.tls);
    events_.show_protocol();
    add(text::format_int(job_.articles.size()) + " - Artikel zum Upload gefunden");
    add(kBlank);
    add(kBlank);
    add(kBlank);

    if (all) events_.progress_started(job_.articles.size());
    for (std::size_t k = 0; k < job_.articles.size(); ++k) {
      if (k > 0 && events_.stop_requested()) {
        out_.stopped = true;
        break;
      }
      events_.article_started(k);
      send_article(job_.articles[k], k < job_.stored.size() ? job_.stored[k] : job_.articles[k],
                   !all);
      add(kBlank);
      add(kBlank);
      add(kBlank);
      if (all) events_.progress_advanced();
      if (!all) ftp_->close();
    }
    if (out_.stopped) {
      ftp_->close();
      add(std::string(kStoppedLine));
      out_.error = close_partial_run(std::string(kStoppedLine));
    } else {
      articles_done = true;
      if (all) {
        ftp_->close();
        add("Alle Artikel wurden eingestellt.");
      } else {
        add("Artikel wurde eingestellt.");
      }
      add(kBlank);
      add(kBlank);
      add(kBlank);
      out_.notice = send_mail();
      out_.ok = true;
    }
  } catch (const std::exception& e) {
    add("Fehler: " + std::string(e.what()));
    if (article_pending_ && out_.unsure.empty())
      add("Der Artikel wurde nicht eingestellt, seine Gebühren wurden nicht gebucht.");
    std::string message = e.what();
    if (all && !articles_done) message = close_partial_run(std::move(message));
    out_.error = std::move(message);
  }
  if (clock_) {
    out_.counts.http_connections = clock_->connections_opened();
    clock_.reset();
  }
  if (ftp_) {
    out_.counts.ftp_connections = ftp_->connections_opened();
    ftp_->close();
    ftp_.reset();
  }
  if (all) events_.progress_finished();
  return std::move(out_);
}

// Hands a run's lines and progress to the caller's protocol and progress display.
class DirectEvents : public SendEvents {
 public:
  explicit DirectEvents(const SendSetup& s) : s_(s) {}
  void protocol_cleared() override { s_.protocol.clear(); }
  void protocol_line(const std::string& line) override { s_.protocol.add(line); }
  void show_protocol() override {
    if (s_.show_protocol_view) s_.show_protocol_view();
  }
  void progress_started(std::size_t count) override {
    if (s_.progress) s_.progress->start(count);
  }
  void progress_advanced() override {
    if (s_.progress) s_.progress->advance();
  }
  void progress_finished() override {
    if (s_.progress) s_.progress->finish();
  }

 private:
  const SendSetup& s_;
};

}  // namespace

std::optional<SendJob> prepare_send(const std::vector<store::Record>& shown,
                                    std::optional<std::size_t> marked, bool all,
                                    const ListedRows* listed, ports::Dialogs& dialogs,
                                    Protocol& protocol, const store::FrameFolder* frames) {
  const std::size_t n = shown.size();
  if (n == 0) {
    protocol.clear();
    dialogs.inform(all ? "Keine Artikel zum Upload gefunden."
                       : "Kein Artikel zum Upload gefunden.");
    return std::nullopt;
  }
  std::vector<std::size_t> rows;
  if (all) {
    for (std::size_t i = 0; i < n; ++i) rows.push_back(i);
  } else {
    rows.push_back(std::min(marked.value_or(0), n - 1));
  }
  if (listed) {
    const auto matches = listed->match(shown);
    if (!all) {
      const auto& before = matches[rows.front()];
      if (before && dialogs.ask_yes_no(send_again_question(*before)) != ports::Answer::Yes)
        return std::nullopt;
    } else {
      std::vector<std::size_t> fresh;
      for (std::size_t i = 0; i < n; ++i)
        if (!matches[i]) fresh.push_back(i);
      const std::size_t before = n - fresh.size();
      if (before > 0) {
        const auto buttons = send_all_again_buttons(before, n);
        const std::size_t pick = dialogs.choose(send_all_again_question(before, n), buttons);
        if (pick + 1 >= buttons.size()) return std::nullopt;
        if (buttons.size() == 3 && pick == 0) rows = std::move(fresh);
      }
    }
  }
  // Before anything is written: a text the auction house would store as "?" stops the run.
  SendJob job;
  job.all = all;
  std::string unstorable, unframed;
  for (std::size_t row : rows) {
    std::string problem;
    auto sent = as_sent(shown[row], frames, &problem);
    if (!sent) {
      unframed += (unframed.empty() ? "" : "\n") + field_text(shown[row], store::F::Artikelname) +
                  ": " + problem;
      continue;
    }
    const std::string m = unstorable_message(*sent);
    if (!m.empty()) unstorable += (unstorable.empty() ? "" : "\n\n") + m;
    job.articles.push_back(std::move(*sent));
    job.stored.push_back(shown[row]);
    job.rows.push_back(row);
  }
  if (!unframed.empty()) {
    dialogs.error(unframed +
                  "\n\nEs wurde nichts gesendet. Bitte wählen Sie auf der Seite "
                  "\"Beschreibung\" eine vorhandene Vorlage oder berichtigen Sie die Vorlage unter "
                  "\"Artikel\" > \"Vorlagen...\".");
    return std::nullopt;
  }
  if (!unstorable.empty()) {
    dialogs.error(unstorable +
                  "\n\nEs wurde nichts gesendet. Bitte ersetzen Sie diese Zeichen im "
                  "Artikel-Editor und übertragen Sie den Artikel neu.");
    return std::nullopt;
  }
  return job;
}

SendOutcome run_send(const SendJob& job, const SendServices& services, db::Connection& db,
                     ListingRows& rows, ListedRows* listed, SendEvents& events) {
  return SendRun(job, services, db, rows, listed, events).run();
}

void report_send(const SendOutcome& outcome, ports::Dialogs& dialogs) {
  if (!outcome.error.empty()) {
    dialogs.error(outcome.error);
  } else if (!outcome.notice.empty()) {
    dialogs.inform(outcome.notice);
  }
}

Sender::Sender(SendSetup setup) : s_(std::move(setup)) {}

Sender::~Sender() = default;

bool Sender::send_marked() { return run(false); }
bool Sender::send_all() { return run(true); }

bool Sender::run(bool all) {
  outcome_ = {};
  const auto job = prepare_send(s_.uploads.shown(), s_.uploads.position(), all, s_.listed,
                                s_.dialogs, s_.protocol, s_.frames);
  if (!job) return false;
  DirectEvents events(s_);
  outcome_ = run_send(*job, {s_.config, s_.user, s_.web_url, s_.picture_folder, s_.timeouts}, s_.db,
                      s_.rows, s_.listed, events);
  report_send(outcome_, s_.dialogs);
  return outcome_.ok;
}

std::string lost_confirmation_line(const std::string& auction_number, const std::string& why) {
  return "Die Bestätigung des Abschlusses ging verloren (" + why + "); Auktion " +
         auction_number + " ist im Auktionshaus eingetragen und gilt als eingestellt.";
}

std::string send_again_question(const Listing& listing) {
  return "Dieser Artikel wurde am " + listing_time_text(listing.when) + " als Auktion " +
         listing.auction_number + " eingestellt. Noch einmal einstellen?";
}

std::string send_all_again_question(std::size_t listed, std::size_t total) {
  const std::string of_total = text::format_int(listed) + " von " + text::format_int(total) +
                               (listed == 1 ? " Artikel wurde" : " Artikeln wurden");
  if (listed == total)
    return of_total +
           " bereits eingestellt (in der Upload-Tabelle markiert). Noch einmal "
           "einstellen?";
  return of_total +
         " bereits eingestellt (in der Upload-Tabelle markiert). Welche Artikel "
         "sollen gesendet werden?";
}

std::vector<std::string> send_all_again_buttons(std::size_t listed, std::size_t total) {
  std::vector<std::string> buttons;
  if (listed < total)
    buttons.push_back("Nur die " + text::format_int(total - listed) + " anderen senden");
  buttons.push_back("Alle " + text::format_int(total) + " senden");
  buttons.push_back("Nichts senden");
  return buttons;
}

std::vector<std::string> partial_run_lines(const std::vector<Listed>& listed,
                                           const std::vector<std::string>& not_listed,
                                           const std::vector<Listed>& unsure) {
  const std::string total = text::format_int(listed.size() + not_listed.size() + unsure.size());
  std::vector<std::string> lines;
  lines.push_back("Eingestellt: " + text::format_int(listed.size()) + " von " + total +
                  " Artikeln");
  for (const Listed& l : listed) lines.push_back("Auktion " + l.auction_number + ": " + l.title);
  if (!unsure.empty()) {
    lines.push_back("Ungewiss (bitte im Auktionshaus prüfen): " + text::format_int(unsure.size()) +
                    " von " + total + " Artikeln");
    for (const Listed& l : unsure) lines.push_back("Auktion " + l.auction_number + ": " + l.title);
  }
  lines.push_back("Nicht eingestellt: " + text::format_int(not_listed.size()) + " von " + total +
                  " Artikeln");
  for (const std::string& title : not_listed) lines.push_back(title);
  return lines;
}

}  // namespace tellvaro::upload
