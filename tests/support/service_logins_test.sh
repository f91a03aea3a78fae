#!/usr/bin/env bash
# The test auction house's database, FTP and mail logins follow the build's password prefixes:
# started for a build whose prefixes hold a quote and a backslash, it accepts the logins the
# program builds from them (prefix + stored text) and refuses those of the default prefixes.
# Afterwards it runs again with the logins of the build under test.
#
#   service_logins_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
host=${TELLVARO_TEST_HOST:-127.0.0.43}
# The test instance takes logins over TLS only, with a certificate of its own CA.
ca=${TELLVARO_AH_DIR:-/tmp/tellvaro-auction-house}/tls/ca.crt

if [ "$(id -u)" -ne 0 ]; then
  echo "Übersprungen: scripts/auction-house braucht root."
  exit 77
fi
if ! "$src/scripts/auction-house" status --data test >/dev/null; then
  echo "Test-Auktionshaus läuft nicht. Starten mit: scripts/auction-house up --data test" >&2
  exit 1
fi

tmp=$(mktemp -d)
restore() {
  TELLVARO_BUILD_DIR=$build "$src/scripts/auction-house" up --data test >/dev/null ||
    echo "Test-Auktionshaus: Zugänge des Builds nicht wiederhergestellt." >&2
  rm -rf "$tmp"
}
trap restore EXIT

# A configured build folder with other prefixes, as cmake writes it (nothing compiled).
sql_prefix='\"S!'
ftp_prefix='F"\!'
mail_prefix='M\"x'
mkdir "$tmp/src"
cat >"$tmp/src/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.25)
project(prefixes NONE)
include("$src/cmake/Deployment.cmake")
CMAKE
cmake -S "$tmp/src" -B "$tmp/build" "-DTELLVARO_SQL_PREFIX=$sql_prefix" \
  "-DTELLVARO_FTP_PREFIX=$ftp_prefix" "-DTELLVARO_MAIL_PREFIX=$mail_prefix" >"$tmp/configure.log" 2>&1 ||
  { cat "$tmp/configure.log"; exit 1; }

TELLVARO_BUILD_DIR=$tmp/build "$src/scripts/auction-house" up --data test

# Logs in as the program would, the password on stdin; prints "ok" or the refusal.
login() {
  if [ "$1" = sql ]; then
    if MYSQL_PWD=$3 mariadb --no-defaults -h "$host" -u "$2" --ssl --ssl-ca="$ca" \
      --ssl-verify-server-cert -e 'SELECT 1' tv_auktionshaus \
      >/dev/null 2>&1; then echo ok; else echo refused; fi
    return
  fi
  printf '%s' "$3" | python3 -c '
import ftplib, smtplib, ssl, sys
kind, host, user, ca = sys.argv[1:5]
password = sys.stdin.read()
context = ssl.create_default_context(cafile=ca)
try:
    if kind == "ftp":
        f = ftplib.FTP_TLS(host, context=context, timeout=10)
        f.login(user, password)
        f.quit()
    else:
        s = smtplib.SMTP(host, 25, timeout=10)
        s.starttls(context=context)
        s.login(user, password)
        s.quit()
    print("ok")
except (ftplib.error_perm, smtplib.SMTPAuthenticationError) as e:
    print("refused")
' "$1" "$host" "$2" "$ca"
}

failed=0
check() {  # what user password expected
  local got
  got=$(login "$1" "$2" "$3")
  if [ "$got" != "$4" ]; then
    echo "FEHLER: $1-Login mit $5: $got, erwartet $4" >&2
    failed=1
  fi
}
check sql tv_seller_app "${sql_prefix}Auktion26" ok "dem Präfix des Builds"
check sql tv_seller_app 'SqP!Auktion26' refused "dem Standard-Präfix"
check ftp tvftp "${ftp_prefix}Bilder26" ok "dem Präfix des Builds"
check ftp tvftp 'FtP!Bilder26' refused "dem Standard-Präfix"
check smtp tvmail "${mail_prefix}Post26" ok "dem Präfix des Builds"
check smtp tvmail 'MaP!Post26' refused "dem Standard-Präfix"
exit $failed
