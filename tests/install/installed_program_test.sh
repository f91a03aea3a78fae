#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a seller gets: the desktop entry is
# valid, the icons and the README are there, and the installed program, started by a normal user
# who cannot write its folder, starts and keeps its data in that user's data folder.
# Arguments: build folder, the program linked against the test auction house, the login driver
# plugin, the source folder, "sanitized" for a sanitizer build.
set -euo pipefail
build=$1 test_program=$2 driver=$3 source=$4 kind=${5:-plain}

fail() { echo "FEHLER: $*" >&2; exit 1; }
if [ "$(id -u)" -ne 0 ]; then
  echo "Übersprungen: der Test wechselt zu einem anderen Benutzer und braucht dafür root."
  exit 77
fi
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate fehlt (scripts/setup installiert desktop-file-utils)"

tmp=$(mktemp -d /tmp/tellvaro-install-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp"
prefix=$tmp/usr
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 ||
  { cat "$tmp/install.log" >&2; fail "cmake --install"; }

# What the prefix holds.
for f in bin/tellvaro share/applications/tellvaro.desktop share/doc/tellvaro/README.md; do
  [ -f "$prefix/$f" ] || fail "$f fehlt im Präfix"
done
[ -x "$prefix/bin/tellvaro" ] || fail "bin/tellvaro ist nicht ausführbar"
for size in 16 22 24 32 48 64 128; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/tellvaro.png
  file "$icon" | grep -q "PNG image data, $size x $size" || fail "Symbol ${size}x${size}: $(file "$icon")"
done
desktop-file-validate "$prefix/share/applications/tellvaro.desktop" || fail "desktop-file-validate"
entry=$prefix/share/applications/tellvaro.desktop
grep -qx 'Exec=tellvaro' "$entry" || fail "Exec"
grep -qx 'Icon=tellvaro' "$entry" || fail "Icon"
grep -qx 'Categories=Office;' "$entry" || fail "Categories"
# Nothing found by a path into the source or build tree (a sanitizer build names its source files
# for its reports, so there the check says nothing).
if [ "$kind" != sanitized ] && grep -qaF -e "$source" -e "$(cd "$build" && pwd)" "$prefix/bin/tellvaro"; then
  fail "das installierte Programm nennt einen Pfad im Quell- oder Build-Ordner"
fi

# The command-line program: no Qt (Widgets, WebEngine or any other), and it runs without a display.
[ -x "$prefix/bin/tellvaro-cli" ] || fail "bin/tellvaro-cli fehlt oder ist nicht ausführbar"
if ldd "$prefix/bin/tellvaro-cli" | grep -q 'libQt6'; then
  fail "tellvaro-cli linkt Qt: $(ldd "$prefix/bin/tellvaro-cli" | grep libQt6 | tr '\n' ' ')"
fi
out=$(env -i PATH=/usr/bin:/bin LANG=de_DE.UTF-8 TZ=Europe/Berlin "$prefix/bin/tellvaro-cli" --hilfe) || fail "tellvaro-cli --hilfe"
grep -q 'Rückgabewerte' <<<"$out" || fail "tellvaro-cli --hilfe nennt die Rückgabewerte nicht"

# A normal user with a home of his own; the program folder belongs to root.
user=nobody
group=$(id -gn "$user")
home=$tmp/home
mkdir -p "$home" "$tmp/run" "$tmp/plugins/generic"
chown "$user:$group" "$home" "$tmp/run"
chmod 700 "$home" "$tmp/run"
cp "$driver" "$tmp/plugins/generic/"
chmod -R a+rX "$tmp/plugins"
run_as_user() {
  setpriv --reuid="$user" --regid="$group" --clear-groups -- \
    env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$tmp/run" LANG=de_DE.UTF-8 TZ=Europe/Berlin \
    QT_QPA_PLATFORM=offscreen QT_QPA_GENERIC_PLUGINS=tellvarodriver QT_PLUGIN_PATH="$tmp/plugins" \
    ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} ${UBSAN_OPTIONS:+UBSAN_OPTIONS=$UBSAN_OPTIONS} \
    "$@"
}
setpriv --reuid="$user" --regid="$group" --clear-groups -- test -w "$prefix/bin" &&
  fail "der Programmordner ist für $user beschreibbar"

# The installed program as built: it starts and shows its login window.
out=$(run_as_user TELLVARO_DRIVER=start timeout 90 "$prefix/bin/tellvaro" 2>"$tmp/start.err") ||
  { cat "$tmp/start.err" >&2; fail "Start des installierten Programms: $out"; }
grep -q '^Anmeldefenster: Quillmar - Tellvaro v.: ' <<<"$out" || fail "kein Anmeldefenster: $out"

# The same program linked against the test auction house, installed in its place, logs in.
install -m 755 "$test_program" "$prefix/bin/tellvaro"
"$source/scripts/auction-house" reset --data test >/dev/null
out=$(run_as_user TELLVARO_DRIVER=login TELLVARO_DRIVER_USER=haendler TELLVARO_DRIVER_PASSWORD=geheim \
  timeout 90 "$prefix/bin/tellvaro" 2>"$tmp/login.err") ||
  { cat "$tmp/login.err" >&2; fail "Anmeldung mit dem installierten Programm: $out"; }
grep -q '^Hauptfenster: ' <<<"$out" || fail "kein Hauptfenster: $out"

data=$home/.local/share/Tellvaro
for f in files/db/artikel_db.xml files/db/upload_db.xml files/db/import_db.xml; do
  [ -f "$data/$f" ] || fail "$data/$f fehlt"
  [ "$(stat -c %U "$data/$f")" = "$user" ] || fail "$f gehört nicht $user"
done
[ -d "$data/files/bilder" ] || fail "$data/files/bilder fehlt"
[ "$(stat -c %a "$data")" = 700 ] || fail "$data ist nicht privat: $(stat -c %a "$data")"
[ ! -e "$prefix/bin/files" ] || fail "Daten im Programmordner"
echo "Installiert in $prefix, Daten in $data: in Ordnung."
