#include "upload/send.h"

#include <charconv>
#include <climits>

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
constexpr std::array<const char*, 3> kPictureFields = {"Bild1", "Bild2", "Bild3"};

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
  add("Artikelname: " + field_text(article, "Artikelname"));
  add(kBlank);
  s_.pump.pump();

  std::string date = clock_->date();
  ++counts_.http_requests;
  s_.pump.pump();
  AuctionPeriod period = auction_period(date, field_text(article, "Auktionsdauer"));
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
  t.commit();
  article_pending_ = false;
  ++counts_.articles;
}

void Sender::send_mail() {
  std::vector<std::string> recipients;
  for (const std::string& to : {s_.user.email, s_.config.mail_admin})
    if (!text::is_blank_text(to)) recipients.emplace_back(text::trim_blanks(to));
  if (recipients.empty()) return;
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
}

bool Sender::run(bool all) {
  if (running_) return false;  // the pauses let a second click through
  running_ = true;
  const SendWaits waits(s_.db);
  counts_ = {};
  s_.protocol.clear();
  article_pending_ = false;
  bool ok = false;
  try {
    const std::size_t n = s_.uploads.count();
    if (n == 0) {
      running_ = false;
      s_.dialogs.inform(all ? "Keine Artikel zum Upload gefunden."
                            : "Kein Artikel zum Upload gefunden.");
      return false;
    }
    const std::size_t marked = s_.uploads.position().value_or(0);
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
    add(std::to_string(all ? n : 1) + " - Artikel zum Upload gefunden");
    add(kBlank);
    add(kBlank);
    add(kBlank);
    s_.pump.pump();

    if (all && s_.progress) s_.progress->start(n);
    for (std::size_t k = 0; k < (all ? n : 1); ++k) {
      send_article(all ? k : marked, !all);
      add(kBlank);
      add(kBlank);
      add(kBlank);
      if (all && s_.progress) s_.progress->advance();
      if (!all) {
        ftp_->close();
        s_.pump.pump();
      }
    }
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
    send_mail();
    ok = true;
  } catch (const std::exception& e) {
    add("Fehler: " + std::string(e.what()));
    if (article_pending_)
      add("Der Artikel wurde nicht eingestellt, seine Gebühren wurden nicht gebucht.");
    s_.dialogs.error(e.what());
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

}  // namespace tellvaro::upload
