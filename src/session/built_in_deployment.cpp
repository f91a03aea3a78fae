// Apart from the session code so that one program can be linked against another auction house's
// values (the installed-program test does) without building the rest again.
#include "session/session.h"
#include "tellvaro/deployment.h"

namespace tellvaro::session {

Deployment Deployment::built_in() {
  namespace d = tellvaro::deployment;
  Deployment out;
  out.customer = d::kCustomer;
  out.directory_host = d::kDirectoryHost;
  out.directory_user = d::kDirectoryUser;
  out.directory_database = d::kDirectoryDatabase;
  out.directory_password =
      std::string(d::kDirectoryPassword1) + d::kDirectoryPassword2 + d::kDirectoryPassword3;
  out.sql_prefix = d::kSqlPasswordPrefix;
  out.ftp_prefix = d::kFtpPasswordPrefix;
  out.mail_prefix = d::kMailPasswordPrefix;
  out.web_url = d::kWebUrl;
  out.maker_url = d::kMakerUrl;
  out.tls.required = d::kTlsRequired;
  out.tls.ca_file = d::kTlsCaFile;
  return out;
}

}  // namespace tellvaro::session
