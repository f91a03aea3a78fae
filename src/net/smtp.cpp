#include <chrono>
#include <cstring>
#include <ctime>
#include <random>

#include "net/curl_call.h"
#include "net/net.h"
#include "text/ascii.h"
#include "text/cp1252.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::net {

namespace {

struct SlistFree {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Slist = std::unique_ptr<curl_slist, SlistFree>;

// A header value on one line: a line break in it would start a header of its own.
std::string one_line(std::string_view v) {
  std::string out(v);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

// A subject with characters beyond ASCII as encoded words (RFC 2047, Q form, Windows-1252).
std::string subject_header(std::string_view utf8) {
  std::string bytes = text::utf8_to_cp1252(one_line(utf8));
  bool plain = true;
  for (unsigned char c : bytes)
    if (c >= 0x80 || c < 0x20) plain = false;
  if (plain) return bytes;
  static const char* hex = "0123456789ABCDEF";
  std::string out, word;
  auto flush = [&] {
    if (word.empty()) return;
    if (!out.empty()) out += "\r\n ";
    out += "=?windows-1252?Q?" + word + "?=";
    word.clear();
  };
  for (unsigned char c : bytes) {
    if (word.size() > 45) flush();
    if (c == ' ') {
      word += '_';
    } else if (text::is_ascii_alnum(static_cast<char>(c)) || c == '!' || c == '*' || c == '+' ||
               c == '-' || c == '/') {
      word += static_cast<char>(c);
    } else {
      word += '=';
      word += hex[c >> 4];
      word += hex[c & 15];
    }
  }
  flush();
  return out;
}

// "Thu, 10 Dec 2026 13:45:00 +0000", English names whatever the process locale says.
std::string mail_date_now() {
  static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d +0000", days[tm.tm_wday],
                tm.tm_mday, months[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

std::string new_message_id(const std::string& from) {
  static std::mt19937_64 rng{std::random_device{}()};
  auto at = from.rfind('@');
  std::string domain = at == std::string::npos ? "localhost" : from.substr(at + 1);
  auto ns = std::chrono::system_clock::now().time_since_epoch().count();
  return "<" + text::format_int(ns) + "." + text::format_int(rng() % 1000000000) + "@" +
         one_line(domain) + ">";
}

void check_address(const std::string& address, const std::string& service, const char* role) {
  bool bad = address.empty();
  for (unsigned char c : address)
    if (c < 0x21 || c == '<' || c == '>' || c == 0x7F) bad = true;
  if (bad)
    throw Error(service + ": Die Adresse des " + role + "s \"" + one_line(address) +
                "\" ist keine gültige E-Mail-Adresse.");
}

struct Reader {
  std::string_view rest;
  static size_t read(char* buffer, size_t size, size_t count, void* self) {
    auto* r = static_cast<Reader*>(self);
    size_t n = std::min(size * count, r->rest.size());
    std::memcpy(buffer, r->rest.data(), n);
    r->rest.remove_prefix(n);
    return n;
  }
};

}  // namespace

std::string mail_bytes(const MailMessage& m, const std::string& date_header,
                       const std::string& message_id) {
  std::string out;
  out += "Date: " + date_header + "\r\n";
  out += "From: " + text::utf8_to_cp1252(one_line(m.from)) + "\r\n";
  out += "To: " + text::utf8_to_cp1252(one_line(m.to)) + "\r\n";
  out += "Subject: " + subject_header(m.subject) + "\r\n";
  out += "Message-ID: " + message_id + "\r\n";
  out += "MIME-Version: 1.0\r\n";
  out += "Content-Type: text/plain; charset=windows-1252\r\n";
  out += "Content-Transfer-Encoding: 8bit\r\n";
  out += "\r\n";
  for (const std::string& line : m.lines) {
    // A line break inside a line ends that body line; a bare CR or LF is no line end in mail.
    std::string bytes = text::utf8_to_cp1252(line);
    std::size_t start = 0;
    while (true) {
      std::size_t stop = bytes.find_first_of("\r\n", start);
      out.append(bytes, start, stop == std::string::npos ? std::string::npos : stop - start);
      out += "\r\n";
      if (stop == std::string::npos) break;
      start = stop +
              ((bytes[stop] == '\r' && stop + 1 < bytes.size() && bytes[stop + 1] == '\n') ? 2 : 1);
    }
  }
  return out;
}

struct SmtpClient::Impl {
  Endpoint endpoint;
  Timeouts timeouts;
  std::unique_ptr<detail::CurlCall> call;
  long closed_connections = 0;
  std::string service() const { return "Mailserver " + endpoint.host; }
};

SmtpClient::SmtpClient(Endpoint endpoint, Timeouts timeouts) : impl_(std::make_unique<Impl>()) {
  impl_->endpoint = std::move(endpoint);
  impl_->timeouts = timeouts;
}

SmtpClient::~SmtpClient() { close(); }

void SmtpClient::send(const MailMessage& message) {
  const std::string service = impl_->service();
  check_address(message.from, service, "Absender");
  check_address(message.to, service, "Empfänger");
  const std::string bytes = mail_bytes(message, mail_date_now(), new_message_id(message.from));
  if (!impl_->call) impl_->call = std::make_unique<detail::CurlCall>();
  detail::CurlCall& call = *impl_->call;
  call.prepare(impl_->timeouts, "smtp");
  call.use_tls(impl_->endpoint.tls);
  CURL* h = call.handle();
  std::string url = detail::server_url("smtp", impl_->endpoint, 25);
  std::string from = "<" + message.from + ">";
  Slist rcpt(curl_slist_append(nullptr, ("<" + message.to + ">").c_str()));
  Reader reader{bytes};
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_USERNAME, impl_->endpoint.user.c_str());
  curl_easy_setopt(h, CURLOPT_PASSWORD, impl_->endpoint.password.c_str());
  curl_easy_setopt(h, CURLOPT_LOGIN_OPTIONS, "AUTH=LOGIN");
  curl_easy_setopt(h, CURLOPT_MAIL_FROM, from.c_str());
  curl_easy_setopt(h, CURLOPT_MAIL_RCPT, rcpt.get());
  curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(h, CURLOPT_READFUNCTION, &Reader::read);
  curl_easy_setopt(h, CURLOPT_READDATA, &reader);
  curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(bytes.size()));
  call.perform(service, "Senden der Mail an " + message.to);
}

void SmtpClient::close() {
  if (!impl_->call) return;
  impl_->closed_connections += impl_->call->connections_opened();
  impl_->call.reset();
}

long SmtpClient::connections_opened() const {
  return impl_->closed_connections + (impl_->call ? impl_->call->connections_opened() : 0);
}

}  // namespace tellvaro::net
