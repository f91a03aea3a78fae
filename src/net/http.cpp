#include "net/curl_call.h"
#include "net/net.h"
#include "text/ascii.h"
#include "text/error.h"

namespace tellvaro::net {

struct WebClock::Impl {
  std::string url;
  Timeouts timeouts;
  TlsPolicy tls;
  detail::CurlCall call;
};

WebClock::WebClock(std::string url, Timeouts timeouts, TlsPolicy tls)
    : impl_(std::make_unique<Impl>()) {
  impl_->url = std::move(url);
  impl_->timeouts = timeouts;
  impl_->tls = std::move(tls);
}

WebClock::~WebClock() = default;

long WebClock::connections_opened() const { return impl_->call.connections_opened(); }

std::string WebClock::date() {
  const std::string service = "Webserver " + impl_->url;
  detail::CurlCall& call = impl_->call;
  call.prepare(impl_->timeouts, "http,https");
  call.use_tls(impl_->tls);
  curl_easy_setopt(call.handle(), CURLOPT_URL, impl_->url.c_str());
  curl_easy_setopt(call.handle(), CURLOPT_NOBODY, 1L);
  curl_easy_setopt(call.handle(), CURLOPT_TIMEOUT_MS,
                   impl_->timeouts.connect_ms + impl_->timeouts.response_ms);
  call.perform(service, "Abfrage der Uhrzeit");
  for (const std::string& line : call.replies()) {
    if (line.size() > 5 && text::starts_with_no_case(line, "Date:")) {
      std::size_t begin = line.find_first_not_of(" \t", 5);
      return begin == std::string::npos ? std::string() : line.substr(begin);
    }
  }
  throw Error(service + ": Die Antwort enthält keine Uhrzeit (keine Kopfzeile \"Date\").");
}

std::string http_date(const std::string& url, const Timeouts& timeouts, const TlsPolicy& tls) {
  return WebClock(url, timeouts, tls).date();
}

}  // namespace tellvaro::net
