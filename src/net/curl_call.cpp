#include "net/curl_call.h"

#include <unistd.h>

#include <cctype>
#include <mutex>

#include "text/ascii.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::net::detail {
namespace {

std::once_flag global_init;

long whole_seconds(long ms) { return (ms + 999) / 1000; }

bool mentions(const char* text, const char* part) {
  return text && std::string_view(text).find(part) != std::string_view::npos;
}

// German for the failures a user can do something about; the rest in curl's own words.
std::string reason(CURLcode rc, const char* error_buffer) {
  switch (rc) {
    case CURLE_PEER_FAILED_VERIFICATION:
      if (mentions(error_buffer, "name"))
        return "das Zertifikat des Servers ist für einen anderen Servernamen ausgestellt, die "
               "Verbindung wurde vor der Anmeldung abgebrochen";
      if (mentions(error_buffer, "expired"))
        return "das Zertifikat des Servers ist abgelaufen, die Verbindung wurde vor der "
               "Anmeldung abgebrochen";
      return "das Zertifikat des Servers stammt nicht von einer vertrauenswürdigen Stelle, die "
             "Verbindung wurde vor der Anmeldung abgebrochen";
    case CURLE_SSL_CONNECT_ERROR:
      return "die verschlüsselte Verbindung (TLS) kam nicht zustande, die Verbindung wurde vor "
             "der Anmeldung abgebrochen";
    case CURLE_USE_SSL_FAILED:
      return "der Server bietet keine Verschlüsselung (TLS) an; ohne sie wird kein Passwort "
             "gesendet";
    case CURLE_SSL_CACERT_BADFILE:
      return "die Datei der vertrauten Zertifikate kann nicht gelesen werden";
    case CURLE_COULDNT_RESOLVE_HOST:
      return "Servername unbekannt";
    case CURLE_COULDNT_CONNECT:
      return "keine Verbindung zum Server";
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_FTP_ACCEPT_TIMEOUT:
      return "Zeitüberschreitung, der Server antwortet nicht";
    case CURLE_LOGIN_DENIED:
      return "Anmeldung abgelehnt";
    case CURLE_READ_ERROR:
      return "die Datei kann nicht gelesen werden";
    case CURLE_WRITE_ERROR:
      return "die Datei kann nicht geschrieben werden";
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_PARTIAL_FILE:
      return "die Verbindung ist abgebrochen";
    case CURLE_REMOTE_FILE_NOT_FOUND:
      return "die Datei gibt es auf dem Server nicht";
    case CURLE_UPLOAD_FAILED:
      return "der Server hat die Datei nicht angenommen";
    default:
      break;
  }
  return error_buffer && *error_buffer ? std::string(error_buffer) : curl_easy_strerror(rc);
}

bool is_reply(const std::string& line) {
  return line.size() >= 3 && std::isdigit(static_cast<unsigned char>(line[0])) &&
         std::isdigit(static_cast<unsigned char>(line[1])) &&
         std::isdigit(static_cast<unsigned char>(line[2]));
}

}  // namespace

CurlCall::CurlCall() {
  std::call_once(global_init, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  curl_ = curl_easy_init();
  if (!curl_) throw Error("Die Netzwerkbibliothek konnte nicht gestartet werden.");
}

CurlCall::~CurlCall() {
  if (multi_) curl_multi_cleanup(multi_);  // closes the kept connection (FTP: QUIT)
  curl_easy_cleanup(curl_);
}

void CurlCall::prepare(const Timeouts& t, const char* protocol) {
  curl_easy_reset(curl_);
  curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl_, CURLOPT_PROTOCOLS_STR, protocol);
  curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT_MS, t.connect_ms);
  curl_easy_setopt(curl_, CURLOPT_SERVER_RESPONSE_TIMEOUT, whole_seconds(t.response_ms));
  curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_TIME, whole_seconds(t.stall_ms));
  curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, error_);
  curl_easy_setopt(curl_, CURLOPT_HEADERFUNCTION, &CurlCall::on_header);
  curl_easy_setopt(curl_, CURLOPT_HEADERDATA, this);
}

void CurlCall::use_tls(const TlsPolicy& tls) {
  curl_easy_setopt(curl_, CURLOPT_USE_SSL,
                   static_cast<long>(tls.required ? CURLUSESSL_ALL : CURLUSESSL_TRY));
  curl_easy_setopt(curl_, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
  curl_easy_setopt(curl_, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl_, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl_, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
  curl_easy_setopt(curl_, CURLOPT_CAPATH, kSystemTrustFolder);
  // The file replaces curl's own bundle; the folder above still holds the system's store.
  if (!tls.ca_file.empty() && ::access(tls.ca_file.c_str(), F_OK) == 0)
    curl_easy_setopt(curl_, CURLOPT_CAINFO, tls.ca_file.c_str());
}

void CurlCall::limit_to_tls12() {
  curl_easy_setopt(curl_, CURLOPT_SSLVERSION,
                   static_cast<long>(CURL_SSLVERSION_TLSv1_2) |
                       static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_2));
}

void CurlCall::perform(const std::string& service, const std::string& step) {
  replies_.clear();
  error_[0] = '\0';
  // libcurl 7.88 waits for the socket before reading an FTP reply; over TLS the reply may
  // already sit decrypted in its buffer, and curl_easy_perform then waits up to a second
  // before each data connection (30 kB pictures took 0.5 s each). So the transfer is driven
  // here, looking again after a millisecond at most.
  if (!multi_) {
    multi_ = curl_multi_init();
    if (!multi_) throw Error("Die Netzwerkbibliothek konnte nicht gestartet werden.");
  }
  CURLcode rc = CURLE_OK;
  if (curl_multi_add_handle(multi_, curl_) != CURLM_OK) {
    rc = CURLE_FAILED_INIT;
  } else {
    int running = 1;
    while (running) {
      if (curl_multi_perform(multi_, &running) != CURLM_OK) break;
      if (running) curl_multi_poll(multi_, nullptr, 0, 1, nullptr);
    }
    rc = CURLE_FAILED_INIT;
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi_, &left))
      if (msg->msg == CURLMSG_DONE && msg->easy_handle == curl_) rc = msg->data.result;
    curl_multi_remove_handle(multi_, curl_);
  }
  long made = 0;
  if (count_greetings_) {
    for (const std::string& line : replies_)
      if (line.rfind("220 ", 0) == 0) ++connections_;
  } else if (curl_easy_getinfo(curl_, CURLINFO_NUM_CONNECTS, &made) == CURLE_OK) {
    connections_ += made;
  }
  result_ = rc;
  // Judged by the return code alone: after a good active-mode transfer the error buffer can
  // still hold a stale message.
  if (rc == CURLE_OK) return;
  std::string message = service + ": " + step + " fehlgeschlagen: " + reason(rc, error_) + ".";
  for (auto it = replies_.rbegin(); it != replies_.rend(); ++it) {
    if (is_reply(*it) && (*it)[0] >= '4') {
      message += " Antwort des Servers: " + *it;
      break;
    }
  }
  throw Error(message);
}

size_t CurlCall::on_header(char* data, size_t size, size_t count, void* self) {
  std::string line(data, size * count);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  static_cast<CurlCall*>(self)->replies_.push_back(std::move(line));
  return size * count;
}

std::string url_path(std::string_view path, const std::string& service) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if (c == '\r' || c == '\n' || c == '\0')
      throw Error(service + ": Der Dateiname enthält einen Zeilenumbruch oder ein Nullzeichen.");
    if (text::is_ascii_alnum(static_cast<char>(c)) || c == '-' || c == '.' || c == '_' ||
        c == '~' || c == '/') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string server_url(const char* scheme, const Endpoint& e, long default_port) {
  return std::string(scheme) + "://" + e.host + ":" +
         text::format_int(e.port ? e.port : default_port);
}

}  // namespace tellvaro::net::detail
