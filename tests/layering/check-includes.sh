#!/usr/bin/env bash
# Keeps every layer to the layers below it: core <- output <- desktop <- apps, and inside the core
# every folder to the folders below it, in this order from the bottom:
#   codepage <- barcode <- sheet <- calibration <- draw <- files <- productlist <- pricing
#            <- catalogue <- settings <- jobs
# (the code page and the barcode's encoding need nothing of the program; the tag sheet uses both;
# the page drawing draws sheets and barcodes with a calibration; the files read and write sheets;
# the product lists are files; prices are worked out from what the lists hold; the catalogue keeps
# products and prices; the settings file keeps the printers' calibrations, the lists' layouts, the
# tags' extra texts and the catalogue's address, written by the careful writer; the jobs are what a
# dialog and a command do with all of them).
# The catalogue itself stands in three parts, from the bottom: rules <- store <- the catalogue's own
# files (catalogue.h, the one door the windows and commands use). The rules are pure functions over
# plain structs: they include nothing of the store or the door, and no QtSql; the store speaks SQL
# and includes nothing of the door but catalogue_result.h and catalogue_address.h.
#   usage: check-includes.sh [REPO_ROOT] [QT_INCLUDE_DIR]
# A file of src/LAYER (and of tests/LAYER, which proves it) may include project headers only from
# its own layer and the ones below, and a file of src/core/FOLDER only from its own folder and the
# folders below it; tests also from tests/support. Qt headers are held to the modules each layer
# links: the core QtCore and QtSql, output also QtGui, QtPrintSupport and QtSvg, the desktop also
# QtWidgets. Prints every offending line; exit status 1 when there is one.
set -uo pipefail

root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
qt=${2:-$(pkg-config --variable=includedir Qt6Core 2>/dev/null)}
cd "$root" || exit 2
if [ ! -d "$qt/QtCore" ]; then
  echo "Qt's headers were not found (pkg-config Qt6Core): give their folder as the second argument." >&2
  exit 2
fi

declare -A rank=([core]=0 [output]=1 [desktop]=2 [apps]=3)
declare -A catalogue_rank=([rules]=0 [store]=1 [door]=2)
# The part of the catalogue a path (src/core/catalogue/..., or core/catalogue/... as included) is in.
catalogue_part() {
  local rest=${1#*core/catalogue/}
  case $rest in
    rules/*) echo rules ;;
    store/*) echo store ;;
    catalogue_result.h | catalogue_address.h) echo store ;;
    *) echo door ;;
  esac
}
declare -A core_rank=([codepage]=0 [barcode]=1 [sheet]=2 [calibration]=3 [draw]=4 [files]=5 [productlist]=6
  [pricing]=7 [catalogue]=8 [settings]=9 [jobs]=10)
qt_modules=("QtCore QtSql" "QtCore QtSql QtGui QtPrintSupport QtSvg" "QtCore QtSql QtGui QtPrintSupport QtSvg QtWidgets" "")

include_line='^[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]+)[">]'
bad=0
complain() {
  printf '%s:%s: %s\n' "$1" "$2" "$3"
  bad=1
}

# The Qt module that holds header NAME (QImage, QtGui/QImage), empty when no module has it.
qt_module_of() {
  local name=${1#*/} m
  if [[ $1 == */* ]]; then
    [ -e "$qt/$1" ] && echo "${1%%/*}"
    return
  fi
  for m in QtCore QtSql QtGui QtPrintSupport QtSvg QtWidgets QtTest; do
    [ -e "$qt/$m/$name" ] && { echo "$m"; return; }
  done
}

while IFS= read -r -d '' file; do
  layer=$(cut -d/ -f2 <<<"$file")
  [ -n "${rank[$layer]+x}" ] || continue
  own=${rank[$layer]}
  folder=
  [ "$layer" = core ] && folder=$(cut -d/ -f3 <<<"$file")
  if [ -n "$folder" ] && [ -z "${core_rank[$folder]+x}" ] && [ -d "$(dirname "$file")" ] && [[ $file == */core/*/* ]]; then
    complain "$file" 0 "core folder $folder has no place in the order of core's folders"
  fi
  lineno=0
  while IFS= read -r line; do
    lineno=$((lineno + 1))
    [[ $line =~ $include_line ]] || continue
    kind=${BASH_REMATCH[1]} header=${BASH_REMATCH[2]}
    if [ "$kind" = '"' ]; then
      top=${header%%/*}
      if [ -n "${rank[$top]+x}" ]; then
        [ "${rank[$top]}" -le "$own" ] || complain "$file" "$lineno" "$layer includes from the layer above it: $header"
        if [ "$top" = core ] && [ -n "$folder" ] && [ -n "${core_rank[$folder]+x}" ]; then
          sub=$(cut -d/ -f2 <<<"$header")
          if [ -z "${core_rank[$sub]+x}" ]; then
            complain "$file" "$lineno" "core folder $sub has no place in the order of core's folders"
          elif [ "${core_rank[$sub]}" -gt "${core_rank[$folder]}" ]; then
            complain "$file" "$lineno" "core/$folder includes from core/$sub, which stands above it"
          elif [ "$folder" = catalogue ] && [ "$sub" = catalogue ] && [[ $file == src/* ]]; then
            from=$(catalogue_part "$file") to=$(catalogue_part "$header")
            [ "${catalogue_rank[$to]}" -le "${catalogue_rank[$from]}" ] \
              || complain "$file" "$lineno" "the catalogue's $from includes from its $to, which stands above it: $header"
          fi
        fi
      elif [ "$top" = support ] && [[ $file == tests/* ]]; then
        :
      elif [ "$header" != "${header#*/}" ] || [ ! -e "$(dirname "$file")/$header" ]; then
        # Generated headers (build_config.h, the window icon's pixels, moc files) stand in no layer and
        # are fine anywhere.
        case $header in build_config.h | window_icon_pixels.h | moc_* | *.moc) ;; *) complain "$file" "$lineno" "include names no layer: $header" ;; esac
      fi
    elif [ "$layer" != apps ] && [[ $header == Q* ]]; then
      module=$(qt_module_of "$header")
      allowed=${qt_modules[$own]}
      [[ $file == tests/* ]] && allowed="$allowed QtTest QtWidgets"
      if [ -n "$module" ] && [[ " $allowed " != *" $module "* ]]; then
        complain "$file" "$lineno" "$layer uses $module: <$header>"
      elif [ "$module" = QtSql ] && [[ $file == src/core/catalogue/rules/* ]]; then
        complain "$file" "$lineno" "the catalogue's rules use no database: <$header>"
      fi
    fi
  done <"$file"
done < <(find src tests -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

if [ "$bad" -eq 0 ]; then
  echo "Every include stays within its layer or below."
fi
exit "$bad"
