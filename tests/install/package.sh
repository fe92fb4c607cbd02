#!/bin/sh
# Builds the Debian package from the build folder and checks it: the files a
# desktop install needs, the plugin and font dependencies dpkg-shlibdeps cannot
# see, and (where the tools are installed) lintian without errors, the desktop
# entry, the MIME type and the metainfo.
# usage: package.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && "${CPACK:-cpack}" -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; fail "cpack"; }
deb=$(ls "$out"/aerolyx_*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' > "$out/files"
for f in ./usr/bin/aerolyx ./usr/bin/aerolyx-cli ./usr/bin/aerolyx-check ./usr/share/Kelvaro/Dodov.ini \
         ./usr/share/Kelvaro/fans.db ./usr/share/applications/com.kelvaro.Aerolyx.desktop \
         ./usr/share/metainfo/com.kelvaro.Aerolyx.metainfo.xml ./usr/share/mime/packages/aerolyx.xml \
         ./usr/share/icons/hicolor/scalable/apps/aerolyx.svg ./usr/share/icons/hicolor/48x48/apps/aerolyx.png \
         ./usr/share/man/man1/aerolyx-cli.1.gz ./usr/share/doc/aerolyx/copyright; do
  grep -qx "$f" "$out/files" || fail "$f missing from the package"
done
if grep -v '^\./usr/' "$out/files" | grep -qv '^\./$'; then fail "files outside /usr: $(grep -v '^\./usr/' "$out/files")"; fi

depends=$(dpkg-deb -f "$deb" Depends)
for d in libqt6core6 libqt6widgets6 libqt6sql6-sqlite qt6-image-formats-plugins libqt6svg6 fonts-liberation2; do
  echo "$depends" | grep -q "\b$d\b" || fail "Depends lacks $d: $depends"
done

mkdir "$out/x" && dpkg-deb -x "$deb" "$out/x"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$out/x/usr/share/applications/com.kelvaro.Aerolyx.desktop" || fail "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic "$out/x/usr/share/metainfo/com.kelvaro.Aerolyx.metainfo.xml" \
    > "$out/as.log" 2>&1 || { cat "$out/as.log"; fail "appstreamcli validate"; }
fi
if command -v update-mime-database >/dev/null; then
  # The fan-file type: a saved project is recognised by its first line, other .txt stay text.
  mime="$out/mime"
  mkdir -p "$mime/packages" && cp "$out/x/usr/share/mime/packages/aerolyx.xml" "$mime/packages/"
  update-mime-database "$mime" >/dev/null 2>&1 || fail "update-mime-database rejects aerolyx.xml"
  grep -q "I_Project=" "$mime/magic" || fail "the fan-file magic did not compile"
  if command -v gio >/dev/null && [ -f /usr/share/mime/packages/freedesktop.org.xml ]; then
    cp /usr/share/mime/packages/freedesktop.org.xml "$mime/packages/"
    update-mime-database "$mime" >/dev/null 2>&1
    printf 'I_Project=Hall 3\nI_AirFlow=5000\n' > "$out/fan.txt"
    printf '\377\376I\000_\000P\000r\000o\000j\000e\000c\000t\000=\000' > "$out/fan16.txt"
    printf 'Project notes\nI_Project=\n' > "$out/notes.txt"
    type_of() { XDG_DATA_HOME="$out/none" XDG_DATA_DIRS="$out" gio info -a standard::content-type "$1" | sed -n 's/.*content-type: //p'; }
    [ "$(type_of "$out/fan.txt")" = application/x-aerolyx-fan ] || fail "a fan file is $(type_of "$out/fan.txt")"
    [ "$(type_of "$out/fan16.txt")" = application/x-aerolyx-fan ] || fail "a UTF-16 fan file is $(type_of "$out/fan16.txt")"
    [ "$(type_of "$out/notes.txt")" = text/plain ] || fail "a plain .txt is $(type_of "$out/notes.txt")"
  fi
fi
if command -v lintian >/dev/null; then
  lintian --no-tag-display-limit "$deb" > "$out/lintian.log" 2>&1 || true
  if grep -q '^E:' "$out/lintian.log"; then cat "$out/lintian.log"; fail "lintian reports errors"; fi
  grep '^W:' "$out/lintian.log" || true
fi
echo "package OK: $(basename "$deb")"
