#!/usr/bin/env bash
# Builds the Debian package with scripts/package and checks it: name and version from the project,
# dependencies found from the libraries the program links, and the installed files.
# Arguments: build folder, source folder.
set -euo pipefail
build=$1 source=$2
fail() { echo "FEHLER: $*" >&2; exit 1; }

TELLVARO_BUILD_DIR=$build "$source/scripts/package"
deb=$(ls "$build"/tellvaro_*.deb)
version=$(sed -n 's/^project(Tellvaro VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
[ "$(basename "$deb")" = "tellvaro_${version}_$(dpkg --print-architecture).deb" ] || fail "Name $deb"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version"

# Every library the program needs directly comes from a package it depends on.
depends=$(dpkg-deb -f "$deb" Depends)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
for lib in $(objdump -p "$tmp/usr/bin/tellvaro" "$tmp/usr/bin/tellvaro-cli" | awk '/NEEDED/ {print $2}' | sort -u); do
  # Readers take their whole input: an early exit would kill the writer with SIGPIPE, which
  # pipefail turns into a silent failure whenever the writer is slower than the reader.
  path=$(ldconfig -p | awk -v l="$lib" '$1 == l && /x86-64|x86_64/ && !found {print $NF; found = 1}')
  [ -n "$path" ] || fail "$lib nicht gefunden"
  pkg=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | awk -F: 'NR == 1 {print $1}') ||
    pkg=$(dpkg -S "$path" | awk -F: 'NR == 1 {print $1}')
  sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends" | grep -xF "$pkg" >/dev/null || fail "$lib ($pkg) fehlt in Depends: $depends"
done

for f in usr/bin/tellvaro usr/bin/tellvaro-cli usr/share/applications/tellvaro.desktop usr/share/doc/tellvaro/README.md \
  usr/share/icons/hicolor/48x48/apps/tellvaro.png; do
  [ -f "$tmp/$f" ] || fail "$f fehlt im Paket"
done
