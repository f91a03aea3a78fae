#include <strings.h>

#include "net/curl_call.h"
#include "net/net.h"
#include "text/error.h"

namespace tellvaro::net {

std::string http_date(const std::string& url, const Timeouts& timeouts) {
  const std::string service = "Webserver " + url;
  detail::CurlCall call;
  call.prepare(timeouts, "http,https");
  curl_easy_setopt(call.handle(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(call.handle(), CURLOPT_NOBODY, 1L);
  curl_easy_setopt(call.handle(), CURLOPT_TIMEOUT_MS, timeouts.connect_ms + timeouts.response_ms);
  call.perform(service, "Abfrage der Uhrzeit");
  for (const std::string& line : call.replies()) {
    if (line.size() > 5 && strncasecmp(line.c_str(), "Date:", 5) == 0) {
      std::size_t begin = line.find_first_not_of(" \t", 5);
      return begin == std::string::npos ? std::string() : line.substr(begin);
    }
  }
  throw Error(service + ": Die Antwort enthält keine Uhrzeit (keine Kopfzeile \"Date\").");
}

}  // namespace tellvaro::net
