#pragma once

// What the three clients share: one easy handle with time limits, the server's replies as they
// arrive, and the German message for a failed call.

#include <curl/curl.h>

#include <string>
#include <string_view>
#include <vector>

#include "net/net.h"

namespace tellvaro::net::detail {

class CurlCall {
 public:
  CurlCall();
  ~CurlCall();
  CurlCall(const CurlCall&) = delete;
  CurlCall& operator=(const CurlCall&) = delete;

  CURL* handle() const { return curl_; }

  // Back to the defaults (the connection stays), then the limits and the reply capture.
  void prepare(const Timeouts& timeouts, const char* protocol);
  // TLS when the server offers it (STARTTLS, AUTH TLS), or required; certificates and host names
  // checked against the system's store and the policy's CA file.
  void use_tls(const TlsPolicy& tls);
  // FTP's data connections must resume the control connection's TLS session, which servers
  // check (vsftpd's require_ssl_reuse). libcurl 7.88 keeps that up under TLS 1.2 only: under
  // TLS 1.3 the third data connection or so is refused ("522 ... session reuse required").
  void limit_to_tls12();
  // Runs the transfer; throws tellvaro::Error "<service>: <step> fehlgeschlagen ..." on failure.
  void perform(const std::string& service, const std::string& step);

  // Server reply lines of the last perform (CR LF removed), and its header lines for HTTP.
  const std::vector<std::string>& replies() const { return replies_; }
  // The outcome of the last perform, for a caller that takes one failure as an answer.
  CURLcode last_result() const { return result_; }
  long connections_opened() const { return connections_; }
  // Counts connections by the server's greeting ("220 ") instead of libcurl's count, which
  // includes the passive data connections of FTP.
  void count_greetings() { count_greetings_ = true; }

 private:
  static size_t on_header(char* data, size_t size, size_t count, void* self);

  CURL* curl_ = nullptr;
  // Drives the transfers (curl_easy_perform would wait up to a second on a reply already
  // decrypted, see perform) and keeps the connection between them.
  CURLM* multi_ = nullptr;
  std::vector<std::string> replies_;
  char error_[CURL_ERROR_SIZE] = {};
  CURLcode result_ = CURLE_OK;
  long connections_ = 0;
  bool count_greetings_ = false;
};

// A path for a URL: every byte outside the unreserved set and "/" percent-encoded. Throws for a
// line break or NUL, which would end the command on the wire and start another.
std::string url_path(std::string_view path, const std::string& service);

std::string server_url(const char* scheme, const Endpoint& endpoint, long default_port);

}  // namespace tellvaro::net::detail
