#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
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

// The size a "150 Opening BINARY mode data connection for x (N bytes)." line announces.
std::optional<std::uint64_t> announced_size(const std::string& line) {
  const std::string_view tail = " bytes)";
  if (line.rfind("150 ", 0) != 0) return std::nullopt;
  std::string_view rest(line);
  while (!rest.empty() && (rest.back() == '.' || rest.back() == ' ')) rest.remove_suffix(1);
  if (rest.size() < tail.size() || rest.substr(rest.size() - tail.size()) != tail)
    return std::nullopt;
  rest.remove_suffix(tail.size());
  const std::size_t open = rest.rfind('(');
  if (open == std::string_view::npos) return std::nullopt;
  std::uint64_t n = 0;
  const char* first = rest.data() + open + 1;
  const char* last = rest.data() + rest.size();
  const auto [end, ec] = std::from_chars(first, last, n);
  if (ec != std::errc() || end != last || first == last) return std::nullopt;
  return n;
}

// Counts what arrives and refuses anything past the announced size or the limit, so a server
// cannot fill the disk by sending more than it said.
struct Sink {
  std::FILE* out;
  const std::vector<std::string>* replies;  // the call's, as they arrive: the 150 line
  std::optional<std::uint64_t> max;
  std::optional<std::uint64_t> announced;
  std::uint64_t received = 0;
  bool looked = false;
  bool over_announced = false;
  bool too_large = false;

  void look() {
    if (looked) return;
    looked = true;
    for (const std::string& line : *replies)
      if (auto n = announced_size(line)) announced = n;
  }

  static size_t write(char* data, size_t size, size_t count, void* self) {
    auto* sink = static_cast<Sink*>(self);
    const size_t n = size * count;
    sink->look();
    if (sink->max &&
        ((sink->announced && *sink->announced > *sink->max) || sink->received + n > *sink->max)) {
      sink->too_large = true;
      return 0;  // curl ends the transfer
    }
    if (sink->announced && sink->received + n > *sink->announced) {
      sink->over_announced = true;
      return 0;
    }
    sink->received += n;
    return std::fwrite(data, 1, n, sink->out);
  }
};

// Ends a transfer that takes longer than its limit, which grows with the announced size.
struct Deadline {
  const Sink* sink;
  const FtpSession::FetchLimits* limits;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  bool passed = false;

  static int check(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* d = static_cast<Deadline*>(self);
    const FtpSession::FetchLimits& l = *d->limits;
    std::uint64_t bytes = d->sink->announced.value_or(l.max_bytes);
    long ms = l.total_ms;
    if (l.bytes_per_ms > 0) ms += static_cast<long>(bytes / l.bytes_per_ms);
    if (std::chrono::steady_clock::now() - d->start > std::chrono::milliseconds(ms)) {
      d->passed = true;
      return 1;
    }
    return 0;
  }
};

}  // namespace

void FtpSession::retrieve(const std::string& remote_path, const std::string& local_file) {
  retrieve_into(remote_path, local_file, nullptr);
}

FtpSession::FetchResult FtpSession::fetch(const std::string& remote_path,
                                          const std::string& local_file,
                                          const FetchLimits& limits) {
  return retrieve_into(remote_path, local_file, &limits);
}

FtpSession::FetchResult FtpSession::retrieve_into(const std::string& remote_path,
                                                  const std::string& local_file,
                                                  const FetchLimits* limits) {
  const std::string step = "Laden von " + remote_path;
  const std::string service = impl_->service();
  auto cannot_write = [&] {
    return Error(service + ": " + step + " fehlgeschlagen: Die Datei \"" + local_file +
                 "\" kann nicht geschrieben werden.");
  };
  auto failed = [&](const std::string& why) {
    return Error(service + ": " + step + " fehlgeschlagen: " + why);
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
  FetchResult result;
  try {
    Sink sink{out.get(), nullptr, std::nullopt, std::nullopt};
    if (limits) sink.max = limits->max_bytes;
    CURL* h = impl_->prepare();
    sink.replies = &impl_->call->replies();
    std::string url = impl_->base() + detail::url_path(remote_path, service);
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Sink::write);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(h, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    Deadline deadline{&sink, limits};
    if (limits && limits->total_ms > 0) {
      curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Deadline::check);
      curl_easy_setopt(h, CURLOPT_XFERINFODATA, &deadline);
      curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    }
    try {
      impl_->call->perform(service, step);
    } catch (const Error&) {
      if (sink.too_large) {
        result = {Fetched::TooLarge, sink.announced.value_or(0)};
      } else if (limits && impl_->call->last_result() == CURLE_REMOTE_FILE_NOT_FOUND) {
        result = {Fetched::Missing, 0};
      } else if (sink.over_announced) {
        throw failed("Der Server schickt mehr als die angekündigten " +
                     text::format_int(*sink.announced) + " Bytes.");
      } else if (deadline.passed) {
        throw failed("Zeitüberschreitung, der Server antwortet nicht.");
      } else {
        throw;
      }
    }
    if (result.outcome == Fetched::Stored) {
      sink.look();  // an empty file brings no data, but its 150 line
      if (sink.announced && sink.received != *sink.announced)
        throw failed("die Verbindung ist abgebrochen (" + text::format_int(sink.received) +
                     " von " + text::format_int(*sink.announced) + " Bytes).");
      if (limits && sink.received == 0) result = {Fetched::Empty, 0};
    }
    if (result.outcome != Fetched::Stored) {
      out.reset();
      std::error_code ignored;
      fs::remove(part, ignored);
      // A transfer broken off from this side leaves curl's control connection in no state to
      // go on; a fresh login puts the session back where open() left it.
      if (result.outcome == Fetched::TooLarge) open();
      return result;
    }
    if (std::fflush(out.get()) != 0 || std::ferror(out.get())) throw cannot_write();
    out.reset();
    // mkstemp makes the file private; a picture gets the modes of any other new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(part.c_str(), 0666 & ~mask);
    std::error_code ec;
    fs::rename(part, local_file, ec);
    if (ec) throw cannot_write();
    result.bytes = sink.received;
  } catch (...) {
    out.reset();
    std::error_code ignored;
    fs::remove(part, ignored);
    throw;
  }
  return result;
}

bool FtpSession::encrypted() const { return impl_->call && impl_->encrypted; }

long FtpSession::connections_opened() const {
  return impl_->closed_connections + (impl_->call ? impl_->call->connections_opened() : 0);
}

}  // namespace tellvaro::net
