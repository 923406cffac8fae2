#!/usr/bin/env bash
# Installs the build into a staging folder (DESTDIR, prefix /usr) as the Debian package does, and
# checks the installed tree: every file where the desktop and man expect it, the icon at each size,
# the validators of the desktop entry and the metainfo, the manuals, the guide and its images, and
# the installed programs' --version.
#   usage: check-installed-tree.sh BUILD_DIR STAGE_DIR APP_ID VERSION
set -uo pipefail

build=$1 stage=$2 app_id=$3 version=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$stage"
if ! DESTDIR="$stage" cmake --install "$build" --prefix /usr >"$stage.log" 2>&1; then
  cat "$stage.log"
  echo "FAIL: cmake --install into $stage"
  exit 1
fi
root=$stage/usr

# Files that must be there: path under /usr, and the kind the file command must report.
while read -r path kind; do
  [ -z "$path" ] && continue
  file=$root/$path
  if [ ! -f "$file" ]; then
    fail "missing $path"
    continue
  fi
  described=$(file -b "$file")
  [[ $described == *"$kind"* ]] || fail "$path is \"$described\", expected \"$kind\""
done <<ROWS
bin/tanafuda                                         ELF
bin/tanafuda-render                                  ELF
share/applications/$app_id.desktop                   text
share/metainfo/$app_id.metainfo.xml                  XML
share/mime/packages/$app_id.xml                      XML
share/icons/hicolor/scalable/apps/$app_id.svg        SVG
share/icons/hicolor/16x16/apps/$app_id.png           PNG image data, 16 x 16
share/icons/hicolor/22x22/apps/$app_id.png           PNG image data, 22 x 22
share/icons/hicolor/24x24/apps/$app_id.png           PNG image data, 24 x 24
share/icons/hicolor/32x32/apps/$app_id.png           PNG image data, 32 x 32
share/icons/hicolor/48x48/apps/$app_id.png           PNG image data, 48 x 48
share/icons/hicolor/64x64/apps/$app_id.png           PNG image data, 64 x 64
share/icons/hicolor/128x128/apps/$app_id.png         PNG image data, 128 x 128
share/icons/hicolor/256x256/apps/$app_id.png         PNG image data, 256 x 256
share/man/man1/tanafuda.1.gz                         gzip
share/man/man1/tanafuda-render.1.gz                  gzip
share/doc/tanafuda/guide/index.html                  HTML
ROWS
for tool in tanafuda-import tanafuda-catalogue; do
  if [ -x "$build/tools/$tool" ]; then
    [ -x "$root/bin/$tool" ] || fail "missing bin/$tool"
    [ -f "$root/share/man/man1/$tool.1.gz" ] || fail "missing share/man/man1/$tool.1.gz"
  fi
done

# Nothing of the build (tests, benchmarks, libraries) ends up in the tree.
unexpected=$(cd "$root" && find . -type f | grep -E '(_tests|bench_|\.a$|\.o$|render_icon)' || true)
[ -z "$unexpected" ] || fail "build files installed: $unexpected"

# The validators of the desktop and of software centres.
desktop=$root/share/applications/$app_id.desktop
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
else
  fail "desktop-file-validate is missing (package desktop-file-utils)"
fi
grep -qx "Exec=tanafuda %f" "$desktop" || fail "the desktop entry does not start tanafuda %f"
grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry names another icon"
if command -v appstreamcli >/dev/null; then
  out=$(appstreamcli validate --no-net --explain "$root/share/metainfo/$app_id.metainfo.xml" 2>&1) \
    || fail "appstreamcli validate: $out"
else
  fail "appstreamcli is missing (package appstream)"
fi
# The sheet-file type: a desktop that knows it tells sheets (either format, whatever their name)
# apart from other CSV files by their first bytes.
if command -v update-mime-database >/dev/null && command -v gio >/dev/null; then
  mime=$stage/mime-check
  mkdir -p "$mime/mime/packages"
  cp /usr/share/mime/packages/freedesktop.org.xml "$root/share/mime/packages/$app_id.xml" "$mime/mime/packages/"
  if update-mime-database "$mime/mime" >/dev/null 2>&1; then
    printf '"大きい棚札"\r\n" 1","4901234567894","","りんご","","",198\r\n' | iconv -t CP932 >"$mime/large.csv"
    printf '"小さい棚札"\r\n" 1","","","みかん","","","",98\r\n' | iconv -t CP932 >"$mime/small sheet.txt"
    printf '"小さい棚札"\r\n' | iconv -t CP932 >"$mime/no-extension"
    printf 'jan,name,price\r\n4901234567894,apple,198\r\n' >"$mime/list.csv"
    printf 'notes\r\n' >"$mime/notes.txt"
    printf '"大きい棚札"\r\n' >"$mime/utf8.csv"
    while read -r name expected; do
      [ -z "$name" ] && continue
      got=$(XDG_DATA_DIRS=$mime XDG_DATA_HOME=$mime/none gio info -a standard::content-type "$mime/${name//_/ }" 2>&1 \
            | sed -n 's/^ *standard::content-type: //p')
      [ "$got" = "$expected" ] || fail "the file type of $name is \"$got\", expected $expected"
    done <<ROWS
large.csv         application/x-tanafuda-sheet
small_sheet.txt   application/x-tanafuda-sheet
no-extension      application/x-tanafuda-sheet
list.csv          text/csv
utf8.csv          text/csv
notes.txt         text/plain
ROWS
  else
    fail "update-mime-database rejects share/mime/packages/$app_id.xml"
  fi
else
  fail "update-mime-database or gio is missing (packages shared-mime-info, libglib2.0-bin)"
fi

# The manuals: each one renders without warnings and names its program and version.
for page in tanafuda tanafuda-render; do
  man_file=$root/share/man/man1/$page.1.gz
  [ -f "$man_file" ] || continue
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man_file" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
  text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$man_file" 2>/dev/null)
  grep -q "^NAME" <<<"$text" || fail "man $page has no NAME section"
  grep -qE "^ +$page +- " <<<"$text" || fail "man $page does not name $page"
  grep -q "tanafuda $version" <<<"$text" || fail "man $page does not give version $version"
done

# The guide: every image it shows is installed beside it.
guide=$root/share/doc/tanafuda/guide/index.html
if [ -f "$guide" ]; then
  images=$(grep -o 'src="[^"]*"' "$guide" | sed 's/^src="//; s/"$//')
  [ -n "$images" ] || fail "the guide shows no screenshots"
  for image in $images; do
    [ -f "$(dirname "$guide")/$image" ] || fail "the guide's image $image is not installed"
  done
fi

# The installed programs answer --version with the project's version, and --help without a display.
for program in tanafuda tanafuda-render tanafuda-import tanafuda-catalogue; do
  [ -x "$root/bin/$program" ] || continue
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/bin/$program" --version 2>/dev/null)
  [ "$out" = "$program $version" ] || fail "$program --version said \"$out\""
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/bin/$program" --help >/dev/null 2>&1 \
    || fail "$program --help failed"
done

# The desktop program's libraries are installed together, and the installed program and each
# module find every library and symbol they need from where they are installed, not from the build
# folder (the program loads the modules only when a window asks for them, so a missing one would
# show only then).
desktop_libs=$(find "$root" -name 'libtanafuda-desktop*.so' -type f | sort)
for name in libtanafuda-desktop.so libtanafuda-desktop-print.so libtanafuda-desktop-lists.so \
  libtanafuda-desktop-catalogue.so; do
  grep -q "/$name\$" <<<"$desktop_libs" || fail "the desktop program's $name is not installed"
done
for object in "$root/bin/tanafuda" $desktop_libs; do
  out=$(LD_LIBRARY_PATH= ldd -r "$object" 2>&1)
  if grep -q 'not found\|undefined symbol' <<<"$out"; then
    fail "$(basename "$object") does not resolve as installed: $(grep 'not found\|undefined symbol' <<<"$out" | head -3)"
  fi
  if grep -q "$build/lib/" <<<"$out"; then
    fail "$(basename "$object") takes libraries from the build folder: $(grep "$build/lib/" <<<"$out" | head -3)"
  fi
done

# The renderer's print module is installed, and the installed renderer finds it from its own folder
# (asked for a printer that does not exist, it gets as far as looking for that printer).
module=$(find "$root" -name 'tanafuda-render-print.so' -type f | head -1)
if [ -z "$module" ]; then
  fail "the renderer's print module is not installed"
else
  sheet=$stage/print-check.csv
  { printf '"大きい棚札"\r\n'; for i in $(seq 24); do printf '" %d","","","","","",0\r\n' "$i"; done; } \
    | iconv -t CP932 >"$sheet"
  out=$(env -u DISPLAY "$root/bin/tanafuda-render" "$sheet" --print --printer no-such-printer-here 2>&1)
  if grep -q 'not installed\|cannot open shared object' <<<"$out"; then
    fail "the installed renderer does not find its print module: $out"
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures problem(s) in the installed tree under $stage"
  exit 1
fi
echo "installed tree under $stage: all checks passed"
