#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "net/curl_call.h"
#include "net/net.h"
#include "text/error.h"
#include "text/number.h"

namespace tellvaro::net {

namespace fs = std::filesystem;

struct FtpSession::Impl {
  Endpoint endpoint;
  Timeouts timeouts;
  std::unique_ptr<detail::CurlCall> call;  // present while open
  long closed_connections = 0;             // counted by handles already gone
  long binary_on = -1;                     // the connection (by count) that was switched to TYPE I
  bool encrypted = false;                  // the server took AUTH TLS at the login

  std::string service() const { return "FTP-Server " + endpoint.host; }
  std::string base() const { return detail::server_url("ftp", endpoint, 21) + "/"; }

  // A call on the session's connection: login, no directory changes of curl's own. Encrypted
  // data connections go passive: libcurl cannot take an active one under TLS, and a router
  // cannot rewrite the address in an encrypted PORT. Clear text keeps active mode.
  CURL* prepare() {
    if (!call) throw Error(service() + ": Die Verbindung ist nicht geöffnet.");
    call->prepare(timeouts, "ftp");
    call->use_tls(endpoint.tls);
    call->limit_to_tls12();
    CURL* h = call->handle();
    curl_easy_setopt(h, CURLOPT_USERNAME, endpoint.user.c_str());
    curl_easy_setopt(h, CURLOPT_PASSWORD, endpoint.password.c_str());
    if (encrypted) {
      curl_easy_setopt(h, CURLOPT_FTP_USE_EPSV, 1L);
    } else {
      curl_easy_setopt(h, CURLOPT_FTPPORT, "-");
      curl_easy_setopt(h, CURLOPT_FTP_USE_EPRT, 0L);
    }
    curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(h, CURLOPT_ACCEPTTIMEOUT_MS, timeouts.connect_ms);
    curl_easy_setopt(h, CURLOPT_TRANSFERTEXT, 0L);
    return h;
  }
};

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct SlistFree {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Slist = std::unique_ptr<curl_slist, SlistFree>;

}  // namespace

FtpSession::FtpSession(Endpoint endpoint, Timeouts timeouts) : impl_(std::make_unique<Impl>()) {
  impl_->endpoint = std::move(endpoint);
  impl_->timeouts = timeouts;
}

FtpSession::~FtpSession() { close(); }

void FtpSession::open() {
  close();
  impl_->call = std::make_unique<detail::CurlCall>();
  impl_->call->count_greetings();
  impl_->binary_on = -1;
  impl_->encrypted = false;
  try {
    CURL* h = impl_->prepare();
    Slist quote(curl_slist_append(nullptr, "CWD /"));
    curl_easy_setopt(h, CURLOPT_URL, impl_->base().c_str());
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(h, CURLOPT_QUOTE, quote.get());
    impl_->call->perform(impl_->service(), "Anmeldung");
    // 234: the server took AUTH TLS, so the login and everything after it is encrypted.
    for (const std::string& line : impl_->call->replies())
      if (line.rfind("234", 0) == 0) impl_->encrypted = true;
  } catch (...) {
    close();
    throw;
  }
}

bool FtpSession::is_open() const { return impl_->call != nullptr; }

void FtpSession::close() {
  if (!impl_->call) return;
  impl_->closed_connections += impl_->call->connections_opened();
  impl_->call.reset();  // curl says QUIT and disconnects
}

void FtpSession::store(const std::string& local_file, const std::string& remote_path) {
  const std::string step = "Speichern von " + remote_path;
  File in(std::fopen(local_file.c_str(), "rb"));
  std::error_code ec;
  auto size = fs::file_size(local_file, ec);
  if (!in || ec)
    throw Error(impl_->service() + ": " + step + " fehlgeschlagen: Die Datei \"" + local_file +
                "\" kann nicht gelesen werden.");
  CURL* h = impl_->prepare();
  std::string url = impl_->base() + detail::url_path(remote_path, impl_->service());
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(h, CURLOPT_READDATA, in.get());
  curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
  impl_->call->perform(impl_->service(), step);
}

std::optional<std::uint64_t> FtpSession::size(const std::string& remote_path) {
  // The line is sent as it stands, so it must be one line.
  detail::url_path(remote_path, impl_->service());
  CURL* h = impl_->prepare();
  std::string command = "*SIZE " + remote_path;
  // Servers refuse SIZE in ASCII mode, which is where a fresh login starts; curl switches to
  // binary only for its own transfers. Once per connection is enough.
  Slist quote;
  const bool binary_known = impl_->binary_on == impl_->call->connections_opened();
  if (!binary_known) quote.reset(curl_slist_append(nullptr, "TYPE I"));
  quote.reset(curl_slist_append(quote.release(), command.c_str()));
  curl_easy_setopt(h, CURLOPT_URL, impl_->base().c_str());
  curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(h, CURLOPT_QUOTE, quote.get());
  impl_->call->perform(impl_->service(), "Abfrage der Größe von " + remote_path);
  impl_->binary_on = impl_->call->connections_opened();
  for (const std::string& line : impl_->call->replies()) {
    if (line.rfind("213 ", 0) == 0) {
      std::uint64_t size = 0;
      const char* first = line.data() + 4;
      const char* last = line.data() + line.size();
      while (last > first && (last[-1] == '\r' || last[-1] == '\n' || last[-1] == ' ')) --last;
      const auto [end, ec] = std::from_chars(first, last, size);
      if (ec != std::errc() || end != last) break;
      return size;
    }
  }
  return std::nullopt;
}

namespace {

// Counts what arrives and refuses anything past the announced size, so a server cannot fill
// the disk by sending more than it said.
struct Sink {
  std::FILE* out;
  std::optional<std::uint64_t> limit;
  std::uint64_t received = 0;
  bool over_limit = false;

  static size_t write(char* data, size_t size, size_t count, void* self) {
    auto* sink = static_cast<Sink*>(self);
    const size_t n = size * count;
    if (sink->limit && sink->received + n > *sink->limit) {
      sink->over_limit = true;
      return 0;  // curl ends the transfer
    }
    sink->received += n;
    return std::fwrite(data, 1, n, sink->out);
  }
};

}  // namespace

void FtpSession::retrieve(const std::string& remote_path, const std::string& local_file) {
  retrieve_into(remote_path, local_file, std::nullopt, 0);
}

void FtpSession::retrieve(const std::string& remote_path, const std::string& local_file,
                          const FetchLimits& limits) {
  retrieve_into(remote_path, local_file, limits.expected_bytes, limits.total_ms);
}

void FtpSession::retrieve_into(const std::string& remote_path, const std::string& local_file,
                               std::optional<std::uint64_t> expected, long total_ms) {
  const std::string step = "Laden von " + remote_path;
  const std::string service = impl_->service();
  auto cannot_write = [&] {
    return Error(service + ": " + step + " fehlgeschlagen: Die Datei \"" + local_file +
                 "\" kann nicht geschrieben werden.");
  };
  // A name of our own beside the target: nothing the server names can collide with it.
  std::string part = local_file + ".XXXXXX";
  const int fd = ::mkstemp(part.data());
  if (fd < 0) throw cannot_write();
  File out(::fdopen(fd, "wb"));
  if (!out) {
    ::close(fd);
    std::error_code ignored;
    fs::remove(part, ignored);
    throw cannot_write();
  }
  try {
    Sink sink{out.get(), expected};
    CURL* h = impl_->prepare();
    std::string url = impl_->base() + detail::url_path(remote_path, service);
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Sink::write);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(h, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    if (total_ms > 0) curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, total_ms);
    try {
      impl_->call->perform(service, step);
    } catch (const Error&) {
      if (sink.over_limit)
        throw Error(service + ": " + step + " fehlgeschlagen: Der Server schickt mehr als die " +
                    "angekündigten " + text::format_int(*expected) + " Bytes.");
      throw;
    }
    if (expected && sink.received != *expected)
      throw Error(service + ": " + step + " fehlgeschlagen: die Verbindung ist abgebrochen (" +
                  text::format_int(sink.received) + " von " + text::format_int(*expected) +
                  " Bytes).");
    if (std::fflush(out.get()) != 0 || std::ferror(out.get())) throw cannot_write();
    out.reset();
    // mkstemp makes the file private; a picture gets the modes of any other new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(part.c_str(), 0666 & ~mask);
    std::error_code ec;
    fs::rename(part, local_file, ec);
    if (ec) throw cannot_write();
  } catch (...) {
    out.reset();
    std::error_code ignored;
    fs::remove(part, ignored);
    throw;
  }
}

bool FtpSession::encrypted() const { return impl_->call && impl_->encrypted; }

long FtpSession::connections_opened() const {
  return impl_->closed_connections + (impl_->call ? impl_->call->connections_opened() : 0);
}

}  // namespace tellvaro::net
