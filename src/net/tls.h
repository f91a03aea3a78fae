#pragma once

// How every connection to the auction house and the maker's directory uses TLS: one value from
// the deployment, handed to the database, file, mail and web clients alike.

#include <string>

namespace tellvaro::net {

struct TlsPolicy {
  // Off: TLS whenever the server offers it, clear text with a server that offers none. On: a
  // server that offers no TLS is refused before any password is sent.
  bool required = false;
  // Certificates trusted beside the system's store (a CA of the auction house's own). Empty, or a
  // file that is not there: the system's store alone.
  std::string ca_file;
};

// Where Debian keeps the trusted certificates, one file per CA with hashed names.
inline constexpr const char* kSystemTrustFolder = "/etc/ssl/certs";

}  // namespace tellvaro::net
