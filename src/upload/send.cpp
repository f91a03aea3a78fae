#include "upload/send.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <ctime>

#include "db/connection.h"
#include "ports/dialogs.h"
#include "ports/progress.h"
#include "store/table.h"
#include "text/error.h"
#include "text/number.h"
#include "upload/auction_period.h"
#include "upload/auction_row.h"
#include "upload/fee_booking.h"

namespace tellvaro::upload {

namespace {

constexpr const char* kBlank = " ";
constexpr std::array kPictureFields = {store::F::Bild1, store::F::Bild2, store::F::Bild3};

// A send's statements may wait longer than a browse; the earlier waits come back after it.
class SendWaits {
 public:
  explicit SendWaits(db::Connection& db) : db_(db), before_(db.waits()) {
    db_.set_waits(db::kSendWaits);
  }
  ~SendWaits() { db_.set_waits(before_); }
  SendWaits(const SendWaits&) = delete;
  SendWaits& operator=(const SendWaits&) = delete;

 private:
  db::Connection& db_;
  db::Waits before_;
};

}  // namespace

Sender::Sender(SendSetup setup) : s_(std::move(setup)) {}

Sender::~Sender() = default;

bool Sender::send_marked() { return run(false); }
bool Sender::send_all() { return run(true); }

void Sender::add(const std::string& line) { s_.protocol.add(line); }

std::string Sender::take_auction_number() {
  // The row is locked from the read to the commit, so two sellers sending at once wait for
  // each other here instead of getting the same number. Nothing slow happens in between.
  const std::string what = "Vergabe der Auktionsnummer";
  db::Transaction t(s_.db, what);
  auto result = s_.db.fetch("select * from numbers where id=1 for update", what);
  if (result.row_count() == 0)
    throw Error("Die Tabelle numbers enthält keine Auktionsnummer (die Zeile mit id 1 fehlt).");
  std::string value = result.text("value");
  std::string_view v = text::trim_blanks(value);
  long long number = 0;
  auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), number);
  if (v.empty() || ec != std::errc() || end != v.data() + v.size() || number < 0 ||
      number == LLONG_MAX)
    throw Error("Die Auktionsnummer \"" + value +
                "\" in der Tabelle numbers ist keine ganze Zahl.");
  // A counter set back by hand or a restored backup hands out a number that is in use: the
  // pictures would overwrite that auction's own before its row is refused.
  const std::string taken = std::to_string(number);
  if (s_.db.fetch("select id from auctions where id=" + s_.db.quoted(taken), what).row_count() > 0)
    throw Error("Die Auktionsnummer " + taken +
                " ist im Auktionshaus schon vergeben (Tabelle auctions). Es wurde nichts "
                "eingestellt, gebucht oder übertragen; bitte lassen Sie den Zähler in der Tabelle "
                "numbers vom Auktionshaus prüfen.");
  s_.db.run(
      "update numbers set value=" + s_.db.quoted(std::to_string(number + 1)) + " where (id<5)",
      what);
  t.commit();
  return std::to_string(number);
}

void Sender::send_pictures(const store::Record& article, ArticleContext& c) {
  for (std::size_t slot = 0; slot < 3; ++slot) {
    std::string file = field_text(article, kPictureFields[slot]);
    if (!picture_file_exists(c.picture_folder, file)) continue;
    s_.pump.pump();
    add("Sende Bild " + std::to_string(slot + 1) + ": " + file);
    s_.pump.pump();
    c.picture_names[slot] = picture_name(c.auction_number, static_cast<int>(slot) + 1);
    ftp_->store(c.picture_folder + file, "//" + c.picture_names[slot]);
  }
}

void Sender::send_article(std::size_t row, bool single) {
  s_.uploads.move_to(row);
  // A copy: the window stays responsive during the pauses, and nothing it does may change the
  // article halfway through its statements.
  const store::Record article = s_.uploads.row(row);
  ArticleContext c;
  c.seller_id = s_.user.id;
  c.picture_folder = s_.picture_folder;

  c.auction_number = take_auction_number();
  s_.pump.pump();
  add("Neuer Artikel");
  add("Auktions-Nr: " + c.auction_number);
  add("Artikelname: " + field_text(article, store::F::Artikelname));
  add(kBlank);
  s_.pump.pump();

  std::string date = clock_->date();
  ++counts_.http_requests;
  s_.pump.pump();
  AuctionPeriod period = auction_period(date, field_text(article, store::F::Auktionsdauer));
  c.start_text = period.start_text;
  c.end_text = period.end_text;
  s_.pump.pump();
  if (single) {
    add("ends1: " + text::local_date_time_text(period.end));
    s_.pump.pump();
    add("ends2: " + period.end_text);
    s_.pump.pump();
  }
  s_.pump.pump();  // the value codes are worked out with the auction row

  // The fee rows and the auction row stand or fall together: a failure before the auction row
  // is written takes the fee rows back with it.
  db::Transaction t(s_.db, "Eintrag des Artikels");
  article_pending_ = true;
  FeeRows booking = s_.rows.fee_rows(article, c);
  for (const std::string& line : booking.head_lines) add(line);
  for (const BookedFee& item : booking.fees) {
    s_.db.run(item.statement, "Buchung der Gebühren");
    add(item.line);
  }
  s_.pump.pump();
  add(kBlank);
  add("Auktionsstart: " + c.start_text);
  add("Auktionsende: " + c.end_text);
  add(kBlank);
  s_.pump.pump();

  send_pictures(article, c);

  s_.db.run(s_.rows.auction_row(article, c), "Eintrag der Auktion");
  // Remembered before the commit: a run killed in between leaves a listing remembered that did
  // not happen (the next send asks), never a live one forgotten (listed twice unasked).
  if (s_.listed) s_.listed->add(article, c.auction_number, std::time(nullptr));
  try {
    t.commit();
  } catch (...) {
    forget_unless_live(c.auction_number);
    throw;
  }
  article_pending_ = false;
  ++counts_.articles;
  listed_.push_back({c.auction_number, field_text(article, store::F::Artikelname)});
}

void Sender::forget_unless_live(const std::string& auction_number) noexcept {
  if (!s_.listed) return;
  try {
    // A commit whose answer was lost may have happened: only a row known to be missing goes.
    if (s_.db.fetch("select id from auctions where id=" + s_.db.quoted(auction_number))
            .row_count() == 0)
      s_.listed->forget(auction_number);
  } catch (...) {
    // Unknown: it stays remembered, so the next send asks.
  }
}

std::string Sender::send_mail() {
  std::vector<std::string> recipients;
  for (const std::string& to : {s_.user.email, s_.config.mail_admin})
    if (!text::is_blank_text(to)) recipients.emplace_back(text::trim_blanks(to));
  if (recipients.empty()) {
    const std::string none =
        "Das Upload-Protokoll wurde nicht per E-Mail versendet: weder der Verkäufer noch der "
        "Administrator des Auktionshauses hat eine E-Mail-Adresse.";
    add(none);
    return none;
  }
  if (text::is_blank_text(s_.user.email))
    add("Der Verkäufer hat keine E-Mail-Adresse; das Upload-Protokoll geht nur an den "
        "Administrator.");
  else if (text::is_blank_text(s_.config.mail_admin))
    add("Das Auktionshaus hat keine Administrator-Adresse; das Upload-Protokoll geht nur an den "
        "Verkäufer.");
  net::SmtpClient smtp({s_.config.mail_host, 25, s_.config.mail_user, s_.config.mail_password},
                       s_.timeouts);
  net::MailMessage m{s_.config.mail_sender,
                     {},
                     "Artikel Uploadprotokol: User: " + s_.user.nick,
                     s_.protocol.lines()};
  for (const std::string& to : recipients) {
    m.to = to;
    smtp.send(m);
  }
  smtp.close();
  counts_.smtp_connections += smtp.connections_opened();
  return {};
}

std::vector<std::size_t> Sender::rows_to_send(bool all) {
  const std::size_t n = s_.uploads.count();
  std::vector<std::size_t> rows;
  if (all) {
    for (std::size_t i = 0; i < n; ++i) rows.push_back(i);
  } else {
    rows.push_back(std::min(s_.uploads.position().value_or(0), n - 1));
  }
  if (!s_.listed) return rows;
  std::vector<store::Record> records;
  records.reserve(n);
  for (std::size_t i = 0; i < n; ++i) records.push_back(s_.uploads.row(i));
  const auto matches = s_.listed->match(records);
  if (!all) {
    const auto& before = matches[rows.front()];
    if (before && s_.dialogs.ask_yes_no(send_again_question(*before)) != ports::Answer::Yes)
      return {};
    return rows;
  }
  std::vector<std::size_t> fresh;
  for (std::size_t i = 0; i < n; ++i)
    if (!matches[i]) fresh.push_back(i);
  const std::size_t before = n - fresh.size();
  if (before == 0) return rows;
  const auto buttons = send_all_again_buttons(before, n);
  const std::size_t pick = s_.dialogs.choose(send_all_again_question(before, n), buttons);
  if (pick + 1 >= buttons.size()) return {};
  if (buttons.size() == 3 && pick == 0) return fresh;
  return rows;
}

bool Sender::run(bool all) {
  if (running_) return false;  // the pauses let a second click through
  running_ = true;
  const SendWaits waits(s_.db);
  counts_ = {};
  listed_.clear();
  article_pending_ = false;
  bool ok = false;
  bool articles_done = false;
  std::vector<std::size_t> rows;
  std::vector<std::string> titles;  // of `rows`, for the summary of a run that broke off
  try {
    const std::size_t n = s_.uploads.count();
    if (n == 0) {
      s_.protocol.clear();
      running_ = false;
      s_.dialogs.inform(all ? "Keine Artikel zum Upload gefunden."
                            : "Kein Artikel zum Upload gefunden.");
      return false;
    }
    rows = rows_to_send(all);
    // Before anything is written: a text the auction house would store as "?" stops the run.
    std::string unstorable;
    for (std::size_t row : rows) {
      const store::Record& article = s_.uploads.row(row);
      titles.push_back(field_text(article, store::F::Artikelname));
      const std::string m = unstorable_message(article);
      if (!m.empty()) unstorable += (unstorable.empty() ? "" : "\n\n") + m;
    }
    if (rows.empty() || !unstorable.empty()) {
      running_ = false;
      if (!unstorable.empty())
        s_.dialogs.error(unstorable +
                         "\n\nEs wurde nichts gesendet. Bitte ersetzen Sie diese Zeichen im "
                         "Artikel-Editor und übertragen Sie den Artikel neu.");
      return false;
    }
    s_.protocol.clear();
    s_.pump.pump();
    if (!ftp_) {
      ftp_ = std::make_unique<net::FtpSession>(
          net::Endpoint{s_.config.ftp_host, 21, s_.config.ftp_user, s_.config.ftp_password},
          s_.timeouts);
    }
    ftp_->open();
    clock_ = std::make_unique<net::WebClock>(s_.web_url, s_.timeouts);
    if (s_.show_protocol_view) s_.show_protocol_view();
    s_.pump.pump();
    if (all) {
      s_.uploads.first();
      s_.pump.pump();
    }
    add(std::to_string(rows.size()) + " - Artikel zum Upload gefunden");
    add(kBlank);
    add(kBlank);
    add(kBlank);
    s_.pump.pump();

    if (all && s_.progress) s_.progress->start(rows.size());
    for (std::size_t row : rows) {
      send_article(row, !all);
      add(kBlank);
      add(kBlank);
      add(kBlank);
      if (all && s_.progress) s_.progress->advance();
      if (!all) {
        ftp_->close();
        s_.pump.pump();
      }
    }
    articles_done = true;
    if (all) {
      ftp_->close();
      s_.pump.pump();
      add("Alle Artikel wurden eingestellt.");
    } else {
      add("Artikel wurde eingestellt.");
    }
    add(kBlank);
    add(kBlank);
    add(kBlank);
    const std::string no_mail = send_mail();
    if (!no_mail.empty()) s_.dialogs.inform(no_mail);
    ok = true;
  } catch (const std::exception& e) {
    add("Fehler: " + std::string(e.what()));
    if (article_pending_)
      add("Der Artikel wurde nicht eingestellt, seine Gebühren wurden nicht gebucht.");
    std::string message = e.what();
    if (all && !articles_done && !rows.empty()) {
      // Those listed are live and charged: the seller and the admin get their receipt.
      std::vector<std::string> rest(titles.begin() + static_cast<long>(listed_.size()),
                                    titles.end());
      add(kBlank);
      std::string summary;
      for (const std::string& line : partial_run_lines(listed_, rest)) {
        add(line);
        summary += "\n" + line;
      }
      message += "\n" + summary;
      if (!listed_.empty()) {
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
    }
    s_.dialogs.error(message);
  }
  if (clock_) {
    counts_.http_connections = clock_->connections_opened();
    clock_.reset();
  }
  if (ftp_) {
    counts_.ftp_connections = ftp_->connections_opened();
    ftp_->close();
    ftp_.reset();
  }
  if (all && s_.progress) s_.progress->finish();
  running_ = false;
  return ok;
}

std::string send_again_question(const Listing& listing) {
  return "Dieser Artikel wurde am " + listing_time_text(listing.when) + " als Auktion " +
         listing.auction_number + " eingestellt. Noch einmal einstellen?";
}

std::string send_all_again_question(std::size_t listed, std::size_t total) {
  const std::string of_total = std::to_string(listed) + " von " + std::to_string(total) +
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
    buttons.push_back("Nur die " + std::to_string(total - listed) + " anderen senden");
  buttons.push_back("Alle " + std::to_string(total) + " senden");
  buttons.push_back("Nichts senden");
  return buttons;
}

std::vector<std::string> partial_run_lines(const std::vector<Listed>& listed,
                                           const std::vector<std::string>& not_listed) {
  const std::string total = std::to_string(listed.size() + not_listed.size());
  std::vector<std::string> lines;
  lines.push_back("Eingestellt: " + std::to_string(listed.size()) + " von " + total + " Artikeln");
  for (const Listed& l : listed) lines.push_back("Auktion " + l.auction_number + ": " + l.title);
  lines.push_back("Nicht eingestellt: " + std::to_string(not_listed.size()) + " von " + total +
                  " Artikeln");
  for (const std::string& title : not_listed) lines.push_back(title);
  return lines;
}

}  // namespace tellvaro::upload
