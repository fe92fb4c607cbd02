#!/bin/sh
# Installs the build into a fresh prefix and uses the program from there only:
# start-up check, a selection saved as a fan file, a PDF data sheet. The
# build folder is neither on PATH nor the working folder, and the installed
# data folder must come out unchanged.
# usage: installed_tree.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
prefix="$work/prefix"
fail() { echo "FAIL: $*" >&2; exit 1; }

"${CMAKE:-cmake}" --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
data="$prefix/share/Kelvaro"
for f in bin/aerolyx bin/aerolyx-cli bin/aerolyx-check share/Kelvaro/Dodov.ini share/Kelvaro/Lang_EN.txt \
         share/Kelvaro/fans.db share/applications/com.kelvaro.Aerolyx.desktop share/man/man1/aerolyx-cli.1.gz \
         share/icons/hicolor/scalable/apps/aerolyx.svg share/mime/packages/aerolyx.xml; do
  [ -e "$prefix/$f" ] || fail "$f not installed"
done
[ ! -e "$prefix/bin/Dodov.ini" ] || fail "a data folder in bin/ would shadow share/Kelvaro"

# Read-only like a system install (root ignores that, so the folder is also
# compared byte for byte and by time stamps afterwards).
find "$data" -exec touch -d '2001-01-01 00:00' {} +
(cd "$data" && find . -type f -exec md5sum {} + | sort) > "$work/before"
chmod -R a-w "$data"

cd "$work"
unset AEROLYX_DATA
export PATH="$prefix/bin:/usr/bin:/bin" HOME="$work/home" AEROLYX_SETTINGS_DIR="$work/settings" QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
case "$(command -v aerolyx-cli)" in "$prefix/bin/aerolyx-cli") ;; *) fail "aerolyx-cli resolves to $(command -v aerolyx-cli)";; esac

aerolyx-check > check.out 2>check.err || { cat check.out check.err; fail "aerolyx-check"; }
grep -q "$data" check.out || { cat check.out; fail "aerolyx-check does not start on $data"; }
if grep -q "$build" check.out; then cat check.out; fail "the installed program found the build tree"; fi

aerolyx-cli select --set I_AirFlow=5000 --set I_PresS=250 --format csv > sel.csv 2>sel.err \
  || { cat sel.err; fail "select"; }
[ "$(wc -l < sel.csv)" -ge 3 ] || { cat sel.csv; fail "select listed fewer than two candidates"; }
aerolyx-cli select --set I_AirFlow=5000 --set I_PresS=250 --choose 1 --save "$work/p.txt" >/dev/null 2>&1 \
  || fail "select --choose 1 --save"
head -n 1 "$work/p.txt" | grep -q '^I_Project=' || fail "fan file does not start with I_Project= (the MIME magic relies on it)"
aerolyx-cli print "$work/p.txt" --pdf "$work/p.pdf" >/dev/null 2>print.err || { cat print.err; fail "print"; }
[ "$(head -c 5 "$work/p.pdf")" = "%PDF-" ] || fail "print wrote no PDF"
[ "$(wc -c < "$work/p.pdf")" -gt 5000 ] || fail "PDF suspiciously small"
if command -v pdftotext >/dev/null; then
  pdftotext -layout "$work/p.pdf" - | grep -q "AXM" || fail "PDF does not name the chosen fan"
fi

chmod -R u+w "$data"
(cd "$data" && find . -type f -exec md5sum {} + | sort) > "$work/after"
cmp -s "$work/before" "$work/after" || { diff "$work/before" "$work/after"; fail "the data folder changed"; }
[ -z "$(find "$data" -newer "$work/before")" ] || fail "something was written into the data folder: $(find "$data" -newer "$work/before")"
echo "installed tree OK: $prefix"
