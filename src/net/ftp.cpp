#include <cstdio>
#include <filesystem>

#include "net/curl_call.h"
#include "net/net.h"
#include "text/error.h"

namespace tellvaro::net {

namespace fs = std::filesystem;

struct FtpSession::Impl {
  Endpoint endpoint;
  Timeouts timeouts;
  std::unique_ptr<detail::CurlCall> call;  // present while open
  long closed_connections = 0;             // counted by handles already gone

  std::string service() const { return "FTP-Server " + endpoint.host; }
  std::string base() const { return detail::server_url("ftp", endpoint, 21) + "/"; }

  // A call on the session's connection: login, active mode, no directory changes of curl's own.
  CURL* prepare() {
    if (!call) throw Error(service() + ": Die Verbindung ist nicht geöffnet.");
    call->prepare(timeouts, "ftp");
    CURL* h = call->handle();
    curl_easy_setopt(h, CURLOPT_USERNAME, endpoint.user.c_str());
    curl_easy_setopt(h, CURLOPT_PASSWORD, endpoint.password.c_str());
    curl_easy_setopt(h, CURLOPT_FTPPORT, "-");
    curl_easy_setopt(h, CURLOPT_FTP_USE_EPRT, 0L);
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
  try {
    CURL* h = impl_->prepare();
    Slist quote(curl_slist_append(nullptr, "CWD /"));
    curl_easy_setopt(h, CURLOPT_URL, impl_->base().c_str());
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(h, CURLOPT_QUOTE, quote.get());
    impl_->call->perform(impl_->service(), "Anmeldung");
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
  Slist quote(curl_slist_append(nullptr, command.c_str()));
  curl_easy_setopt(h, CURLOPT_URL, impl_->base().c_str());
  curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(h, CURLOPT_QUOTE, quote.get());
  impl_->call->perform(impl_->service(), "Abfrage der Größe von " + remote_path);
  for (const std::string& line : impl_->call->replies()) {
    if (line.rfind("213 ", 0) == 0) {
      try {
        return std::stoull(line.substr(4));
      } catch (const std::exception&) {
        break;
      }
    }
  }
  return std::nullopt;
}

void FtpSession::retrieve(const std::string& remote_path, const std::string& local_file) {
  const std::string step = "Laden von " + remote_path;
  const std::string part = local_file + ".part";
  File out(std::fopen(part.c_str(), "wb"));
  if (!out)
    throw Error(impl_->service() + ": " + step + " fehlgeschlagen: Die Datei \"" + local_file +
                "\" kann nicht geschrieben werden.");
  try {
    CURL* h = impl_->prepare();
    std::string url = impl_->base() + detail::url_path(remote_path, impl_->service());
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_WRITEDATA, out.get());
    curl_easy_setopt(h, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    impl_->call->perform(impl_->service(), step);
    if (std::fflush(out.get()) != 0 || std::ferror(out.get()))
      throw Error(impl_->service() + ": " + step + " fehlgeschlagen: Die Datei \"" + local_file +
                  "\" kann nicht geschrieben werden.");
    out.reset();
    std::error_code ec;
    fs::rename(part, local_file, ec);
    if (ec)
      throw Error(impl_->service() + ": " + step + " fehlgeschlagen: Die Datei \"" + local_file +
                  "\" kann nicht geschrieben werden.");
  } catch (...) {
    out.reset();
    std::error_code ignored;
    fs::remove(part, ignored);
    throw;
  }
}

long FtpSession::connections_opened() const {
  return impl_->closed_connections + (impl_->call ? impl_->call->connections_opened() : 0);
}

}  // namespace tellvaro::net
