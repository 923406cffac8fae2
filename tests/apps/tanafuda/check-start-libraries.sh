#!/usr/bin/env bash
# Keeps the libraries the desktop program loads to start: the launcher, and the editor opened from
# a sheet file, under Qt's offscreen platform, each let run a moment once its window is shown
# (quit_after_start preloaded), every library they load listed by the dynamic loader
# (LD_DEBUG=files). Qt's SQL, QuaZip (and Qt Core5Compat, which it needs), qpdf (and GnuTLS), Qt's
# print support and the program's own modules must not be among them: they load when a window
# first asks for them. Nor Qt's SVG library, its SVG icon engine or its image-format plugins: no
# picture is read to start (the window icon is built in as pixels, the menu bar's extension icon is
# read when first drawn).
#   usage: check-start-libraries.sh PROGRAM QUIT_AFTER_START_MODULE
set -uo pipefail

program=$1 shim=$2
forbidden='libQt6Sql|libquazip|libQt6Core5Compat|libqpdf|libgnutls|libQt6PrintSupport|libtanafuda-desktop-|libQt6Svg|libqsvgicon|libqgif|libqico|libqjpeg|libqsvg'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

sheet=$work/棚札.csv
{
  printf '"大きい棚札"\r\n" 1","4901234567894","青森りんご園","ふじりんご","1個","青森県産",198\r\n'
  for tag in $(seq 2 24); do printf '" %d","","","","","",0\r\n' "$tag"; done
} | iconv -f UTF-8 -t CP932 >"$sheet"

check() {  # name, then the program's arguments
  local name=$1 log=$work/$1
  shift
  mkdir "$log"
  XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=offscreen LD_PRELOAD=$shim \
    LD_DEBUG=files LD_DEBUG_OUTPUT=$log/ld "$program" "$@" >"$log/out" 2>&1
  local status=$?
  local loaded
  loaded=$(sed -n 's/.*file=\([^ ]*\) \[0\];  \(needed by\|dynamically loaded by\).*/\1/p' "$log"/ld.* 2>/dev/null \
           | xargs -r -n1 basename | sort -u)
  echo "== $name: $(wc -l <<<"$loaded") libraries"
  if [ "$status" -ne 0 ]; then
    echo "FAIL: $name ended with status $status"
    cat "$log/out"
    failures=$((failures + 1))
    return
  fi
  # The list is the program's own: Qt's widgets, and the offscreen platform its window was shown on.
  for expected in libQt6Widgets.so libqoffscreen.so libtanafuda-desktop.so; do
    grep -q "^$expected" <<<"$loaded" || { echo "FAIL: $name: $expected was not loaded"; failures=$((failures + 1)); }
  done
  local found
  found=$(grep -E "^($forbidden)" <<<"$loaded")
  if [ -n "$found" ]; then
    echo "FAIL: $name loaded at start:" $found
    failures=$((failures + 1))
  fi
}

check launcher
check editor "$sheet"

if [ "$failures" -ne 0 ]; then
  echo "$failures problem(s)"
  exit 1
fi
echo "neither the launcher nor the editor loads QtSql, QuaZip, qpdf, Qt's print support or SVG, or an image plugin to start"
