#!/usr/bin/env bash
# Builds the Debian packages with scripts/package and checks them as Debian and the software
# centres would: lintian without an error or warning, the AppStream data and the desktop entry
# valid, the manual pages rendered without a warning and naming what the program's help names,
# the systemd example accepted by systemd; the command-line package holds no Qt and each
# package's dependencies cover the libraries its program links.
# Arguments: build folder, source folder.
set -euo pipefail
build=$1 source=$2
fail() { echo "FEHLER: $*" >&2; exit 1; }
for tool in lintian appstreamcli desktop-file-validate lexgrog man systemd-analyze; do
  command -v "$tool" >/dev/null || fail "$tool fehlt (scripts/setup installiert es)"
done

TELLVARO_BUILD_DIR=$build "$source/scripts/package"
out=$build/pakete
version=$(cd "$source" && dpkg-parsechangelog -S Version)
# The program's own version: the package's without the "+N" of a package build.
program_version=${version%%+*}
arch=$(dpkg --print-architecture)
cli_deb=$out/tellvaro-cli_${version}_$arch.deb
gui_deb=$out/tellvaro_${version}_$arch.deb
changes=$out/tellvaro_${version}_$arch.changes
for f in "$cli_deb" "$gui_deb" "$changes" "$out/tellvaro_$version.dsc"; do
  [ -f "$f" ] || fail "$f fehlt; da sind: $(ls "$out")"
done

# Lintian on the source and both binary packages. Its infos (German words it takes for English
# misspellings) are allowed.
lintian_out=$(lintian --fail-on error,warning "$changes" 2>&1) || { echo "$lintian_out" >&2; fail "lintian"; }
grep -E '^[EW]: ' <<<"$lintian_out" && fail "lintian meldet Fehler oder Warnungen"
echo "lintian: keine Fehler, keine Warnungen"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$cli_deb" "$tmp/cli"
dpkg-deb -x "$gui_deb" "$tmp/gui"

# The version of the changelog is the packages' and, without a package build's "+N", the programs'.
for deb in "$cli_deb" "$gui_deb"; do
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version von $deb: $(dpkg-deb -f "$deb" Version)"
done
[ "$("$tmp/cli/usr/bin/tellvaro-cli" --version)" = "tellvaro-cli $program_version" ] ||
  fail "tellvaro-cli --version: $("$tmp/cli/usr/bin/tellvaro-cli" --version)"

# Each program in its package, nothing in both.
for f in usr/bin/tellvaro-cli usr/share/man/man1/tellvaro-cli.1.gz usr/share/doc/tellvaro-cli/copyright \
  usr/share/doc/tellvaro-cli/changelog.gz usr/share/doc/tellvaro-cli/examples/tellvaro-senden.service \
  usr/share/doc/tellvaro-cli/examples/tellvaro-senden.timer; do
  [ -f "$tmp/cli/$f" ] || fail "$f fehlt in tellvaro-cli"
done
for f in usr/bin/tellvaro usr/share/man/man1/tellvaro.1.gz usr/share/applications/tellvaro.desktop \
  usr/share/metainfo/example.quillmar.tellvaro.metainfo.xml usr/share/icons/hicolor/48x48/apps/tellvaro.png \
  usr/share/doc/tellvaro/copyright usr/share/doc/tellvaro/changelog.gz; do
  [ -f "$tmp/gui/$f" ] || fail "$f fehlt in tellvaro"
done
both=$(comm -12 <(cd "$tmp/cli" && find . -type f | sort) <(cd "$tmp/gui" && find . -type f | sort))
[ -z "$both" ] || fail "in beiden Paketen: $both"

# The command-line package pulls no Qt: neither its program nor its dependencies.
if dpkg-deb -f "$cli_deb" Depends Recommends | grep -qi 'qt'; then
  fail "tellvaro-cli hängt an Qt: $(dpkg-deb -f "$cli_deb" Depends Recommends)"
fi
objdump -p "$tmp/cli/usr/bin/tellvaro-cli" | grep -q 'NEEDED.*libQt' && fail "tellvaro-cli linkt Qt"

# Every library a program needs directly comes from a package its package depends on.
for pkg in cli gui; do
  deb=$cli_deb program=$tmp/cli/usr/bin/tellvaro-cli
  [ $pkg = gui ] && deb=$gui_deb program=$tmp/gui/usr/bin/tellvaro
  depends=$(dpkg-deb -f "$deb" Depends)
  for lib in $(objdump -p "$program" | awk '/NEEDED/ {print $2}' | sort -u); do
    # Readers take their whole input: an early exit would kill the writer with SIGPIPE, which
    # pipefail turns into a silent failure whenever the writer is slower than the reader.
    path=$(ldconfig -p | awk -v l="$lib" '$1 == l && /x86-64|x86_64/ && !found {print $NF; found = 1}')
    [ -n "$path" ] || fail "$lib nicht gefunden"
    owner=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | awk -F: 'NR == 1 {print $1}') ||
      owner=$(dpkg -S "$path" | awk -F: 'NR == 1 {print $1}')
    sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends" | grep -xF "$owner" >/dev/null ||
      fail "$lib ($owner) fehlt in den Abhängigkeiten von $(basename "$deb"): $depends"
  done
done

# What software centres read.
appstreamcli validate --no-net "$tmp/gui/usr/share/metainfo/example.quillmar.tellvaro.metainfo.xml" ||
  fail "appstreamcli validate"
grep -q "<release version=\"$program_version\"" "$tmp/gui/usr/share/metainfo/example.quillmar.tellvaro.metainfo.xml" ||
  fail "AppStream nennt die Version $program_version nicht"
desktop-file-validate "$tmp/gui/usr/share/applications/tellvaro.desktop" || fail "desktop-file-validate"

# The manual pages: rendered as man renders them, without a warning, with a name line.
for page in "$tmp/cli/usr/share/man/man1/tellvaro-cli.1.gz" "$tmp/gui/usr/share/man/man1/tellvaro.1.gz"; do
  warnings=$(LC_ALL=de_DE.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  lexgrog "$page" >/dev/null || fail "$(basename "$page"): lexgrog findet keine Bezeichnung"
done
# The page names every option and exit code the program's help names.
help=$("$tmp/cli/usr/bin/tellvaro-cli" --hilfe)
page=$(LC_ALL=de_DE.UTF-8 MANWIDTH=200 man -l "$tmp/cli/usr/share/man/man1/tellvaro-cli.1.gz" 2>/dev/null)
for option in $(grep -o -- '--[a-z-]*' <<<"$help" | sort -u); do
  grep -qF -- "$option" <<<"$page" || fail "die Handbuchseite nennt $option nicht"
done
codes=$(sed -n '/^Rückgabewerte:/,$ s/^  \([0-9]\)  .*/\1/p' <<<"$help")
[ -n "$codes" ] || fail "die Hilfe nennt keine Rückgabewerte"
for code in $codes; do
  sed -n '/^RÜCKGABEWERTE/,/^[A-Z]/p' <<<"$page" | grep -qE "^ +$code\$" ||
    fail "die Handbuchseite nennt den Rückgabewert $code nicht"
done

# The nightly example: systemd takes both units, with the program and its manual page where the
# package puts them, and the service asks for what the program offers.
mkdir -m 700 "$tmp/run" "$tmp/units"
sed "s|/usr/bin/tellvaro-cli|$tmp/cli/usr/bin/tellvaro-cli|" \
  "$tmp/cli/usr/share/doc/tellvaro-cli/examples/tellvaro-senden.service" >"$tmp/units/tellvaro-senden.service"
cp "$tmp/cli/usr/share/doc/tellvaro-cli/examples/tellvaro-senden.timer" "$tmp/units/"
verify=$(cd "$tmp/units" && XDG_RUNTIME_DIR=$tmp/run MANPATH=$tmp/cli/usr/share/man \
  systemd-analyze verify --user ./tellvaro-senden.service ./tellvaro-senden.timer 2>&1) ||
  fail "systemd-analyze verify: $verify"
[ -z "$verify" ] || fail "systemd-analyze verify: $verify"
exec_start=$(sed -n 's/^ExecStart=//p' "$tmp/units/tellvaro-senden.service")
for option in $(grep -o -- '--[a-z-]*' <<<"$exec_start"); do
  grep -qF -- "$option" <<<"$help" || fail "der Dienst nimmt $option, das tellvaro-cli nicht kennt"
done
grep -q -- '--passwort-datei' <<<"$exec_start" || fail "der Dienst nimmt das Passwort nicht aus einer Datei"
echo "Pakete in $out: in Ordnung."
