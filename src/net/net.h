#pragma once

// The auction house's web, file and mail servers, spoken to through libcurl. Qt-free. Every
// failure throws tellvaro::Error with a German message that names the service, the step and
// the server's reply (never a password). Every connect, reply and transfer has a time limit, so
// a server that stops answering holds the caller for seconds, not for ever.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/tls.h"

namespace tellvaro::net {

struct Timeouts {
  long connect_ms = 5000;   // TCP connect, and the server's connect back for active FTP
  long response_ms = 8000;  // a reply to a command
  long stall_ms = 10000;    // a transfer that moves nothing for this long is given up
};

struct Endpoint {
  std::string host;
  long port = 0;  // 0: the service's standard port
  std::string user;
  std::string password;
  TlsPolicy tls{};
};

// HEAD requests to one address, over one kept-alive connection while the server allows it. An
// https:// address is checked against `tls` as the other services are.
class WebClock {
 public:
  explicit WebClock(std::string url, Timeouts timeouts = {}, TlsPolicy tls = {});
  ~WebClock();
  WebClock(const WebClock&) = delete;
  WebClock& operator=(const WebClock&) = delete;

  // One HEAD request; the value of its `Date` header ("Wed, 09 Dec 2026 23:38:49 GMT").
  std::string date();
  long connections_opened() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// One HEAD request to `url` on a connection of its own; the value of its `Date` header.
std::string http_date(const std::string& url, const Timeouts& timeouts = {},
                      const TlsPolicy& tls = {});

// A logged-in FTP control connection with binary transfers, kept open from open() to close() so
// the pictures of many articles go over one login. Paths are sent as given ("//41_2.jpg"); curl
// adds no directory changes of its own. When the server offers TLS (AUTH TLS), the login and
// every data connection are encrypted, and data connections go passive (EPSV, then PASV): a
// router cannot rewrite an encrypted PORT command. In clear text they stay active.
class FtpSession {
 public:
  explicit FtpSession(Endpoint endpoint, Timeouts timeouts = {});
  ~FtpSession();
  FtpSession(const FtpSession&) = delete;
  FtpSession& operator=(const FtpSession&) = delete;

  // Logs in and sends exactly "CWD /". An open session is closed first.
  void open();
  bool is_open() const;
  // Logs out (QUIT) and disconnects; nothing happens when not open. Never throws.
  void close();

  // "STOR " + remote_path with the local file's bytes, unchanged.
  void store(const std::string& local_file, const std::string& remote_path);
  // "SIZE " + remote_path: the size, or nothing when the server has no such file.
  std::optional<std::uint64_t> size(const std::string& remote_path);
  // "RETR " + remote_path into local_file, which is replaced only when the transfer succeeded.
  // The bytes go into a temporary file beside it first, so a broken-off transfer leaves nothing.
  void retrieve(const std::string& remote_path, const std::string& local_file);

  // A fetch from a server that may not be trusted, without asking the size first: the answer to
  // RETR says whether the file is there, and its "150 ... (N bytes)" line how large it is.
  struct FetchLimits {
    std::uint64_t max_bytes = 0;     // a larger file is not taken
    long total_ms = 0;               // the whole transfer, 0 for the stall limit alone, ...
    std::uint64_t bytes_per_ms = 0;  // ... plus a millisecond for each this many bytes announced
                                     // (max_bytes when the server announces none)
  };
  enum class Fetched {
    Stored,    // in local_file
    Missing,   // the server has no such file (550)
    Empty,     // the file holds nothing
    TooLarge,  // announced or sent larger than max_bytes; the session was opened again
  };
  struct FetchResult {
    Fetched outcome = Fetched::Stored;
    std::uint64_t bytes = 0;  // stored; for TooLarge the size announced (0: none announced)
  };
  // Only Stored leaves a file. A transfer that breaks off, sends more or fewer bytes than
  // announced, or takes longer than the limits throws tellvaro::Error.
  FetchResult fetch(const std::string& remote_path, const std::string& local_file,
                    const FetchLimits& limits);

  // TCP connections this session has opened so far (control connections, not data ones).
  long connections_opened() const;
  // Whether the open session is encrypted.
  bool encrypted() const;

 private:
  FetchResult retrieve_into(const std::string& remote_path, const std::string& local_file,
                            const FetchLimits* limits);

  struct Impl;
  std::unique_ptr<Impl> impl_;
};

struct MailMessage {
  std::string from;
  std::string to;
  std::string subject;             // UTF-8
  std::vector<std::string> lines;  // UTF-8, one body line each
};

// An SMTP client with AUTH LOGIN that sends any number of messages over one connection, opened
// by the first send and closed by close() or the destructor. STARTTLS before AUTH when the server
// offers it. The body goes out as Windows-1252,
// declared so in the headers.
class SmtpClient {
 public:
  explicit SmtpClient(Endpoint endpoint, Timeouts timeouts = {});
  ~SmtpClient();
  SmtpClient(const SmtpClient&) = delete;
  SmtpClient& operator=(const SmtpClient&) = delete;

  void send(const MailMessage& message);
  void close();
  long connections_opened() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The message bytes as they go out (headers and body, CR LF line ends, before dot-stuffing).
std::string mail_bytes(const MailMessage& message, const std::string& date_header,
                       const std::string& message_id);

}  // namespace tellvaro::net
