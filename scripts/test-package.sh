#!/usr/bin/env bash
# Builds the Debian package and checks it without installing it: lists its files, unpacks it into
# a temporary root, runs the unpacked program, validates its desktop and AppStream files and runs
# lintian, which must report no errors.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(scripts/package.sh | tail -n 1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

echo "== files of $(basename "$deb")"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
dpkg-deb -x "$deb" "$root"

id=io.github.quillbook.Quillbook
for file in usr/bin/quillbook usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/icons/hicolor/48x48/apps/$id.png \
    usr/share/man/man1/quillbook.1.gz usr/share/quillbook/Phrase.log usr/share/quillbook/Mean.log; do
    [ -f "$root/$file" ] || { echo "test-package.sh: $file is missing from the package" >&2; exit 1; }
done

# The libraries import reads databases and packages with, and ICU, which finding folds text
# with, come from dpkg-shlibdeps.
depends=$(dpkg-deb --field "$deb" Depends)
for library in libsqlite3-0 libzip4 libzstd1 libicu; do
    grep -q "$library" <<<"$depends" || { echo "test-package.sh: Depends lacks $library: $depends" >&2; exit 1; }
done

echo "== the unpacked program"
# --version and --help need no display.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/quillbook" --version)
echo "$version"
[ "$version" = "quillbook $(sed -n 's/^project(Quillbook VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)" ]
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/quillbook" --help | grep -q -- '--data-folder'
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$root/runtime" XDG_DATA_HOME="$root/data"
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The unpacked program must take its sample vocabulary from beside itself, whatever the prefix:
# a line only the unpacked copy has shows which one it took.
printf 'unpacked\r\n' >>"$root/usr/share/quillbook/Phrase.log"
status=0
timeout 5 "$root/usr/bin/quillbook" --data-folder || status=$?
[ "$status" -eq 124 ] || { echo "test-package.sh: --data-folder ended with status $status" >&2; exit 1; }
cmp "$root/usr/share/quillbook/Phrase.log" "$XDG_DATA_HOME/Quillbook/words/Phrase.log"

# An Anki package made here, read by the unpacked program without a display.
mkdir "$root/import" "$root/import/words"
sqlite3 "$root/import/collection.anki21" "CREATE TABLE col(id INTEGER PRIMARY KEY, decks TEXT);
    CREATE TABLE notes(id INTEGER PRIMARY KEY, flds TEXT);
    INSERT INTO notes VALUES (1, 'chat' || char(31) || '<b>cat</b>');"
(cd "$root/import" && python3 -m zipfile -c deck.apkg collection.anki21)
env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/quillbook" import "$root/import/deck.apkg" "$root/import/words"
[ "$(cat "$root/import/words/Mean.log")" = $'cat\r' ] || { echo "test-package.sh: the package's import failed" >&2; exit 1; }

echo "== validators"
desktop-file-validate "$root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml"
appstreamcli validate-tree --no-net "$root" # the metainfo, desktop file and icon agree
lintian --fail-on error --display-info "$deb"
echo "package checks passed: $deb"
