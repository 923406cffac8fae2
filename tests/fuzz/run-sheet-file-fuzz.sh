#!/usr/bin/env bash
# Builds the fuzzer of the sheet-file reader and the page drawing with clang and libFuzzer (apart
# from the CMake build, which uses g++) and runs it for a while on the seed corpus.
#   usage: run-sheet-file-fuzz.sh [SECONDS] [OUTPUT_DIR]
# New inputs that libFuzzer finds are kept in OUTPUT_DIR/corpus, never in the repository.
set -euo pipefail

seconds=${1:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(mkdir -p "${2:-$root/build-fuzz}" && cd "${2:-$root/build-fuzz}" && pwd)
fuzzer=$out/sheet_file_fuzz
sources=("$root/tests/fuzz/sheet_file_fuzz.cpp" "$root/src/core/files/sheet_file.cpp"
         "$root/src/core/files/careful_write.cpp" "$root/src/core/codepage/code_page_932.cpp"
         "$root/src/core/sheet/tag_sheet.cpp"
         "$root/src/core/draw/draw_tag_sheet.cpp" "$root/src/core/draw/draw_barcode.cpp"
         "$root/src/core/barcode/barcode.cpp"
         "$root/src/core/draw/surface.cpp" "$root/src/core/draw/recording_surface.cpp"
         "$root/src/core/draw/tag_extras.cpp" "$root/src/core/draw/text_extent.cpp"
         "$root/src/core/draw/tag_fit.cpp")

if ! command -v clang++ >/dev/null; then
  echo "clang++ is missing: run 'make deps' first." >&2
  exit 1
fi

changed=$(find "$root/src/core/files" "$root/src/core/sheet" "$root/src/core/draw" "$root/src/core/barcode" \
            "$root/tests/fuzz" -name '*.[ch]*' \
            -newer "$fuzzer" 2>/dev/null || echo rebuild)
if [ ! -x "$fuzzer" ] || [ -n "$changed" ]; then
  echo "Building $fuzzer"
  # shellcheck disable=SC2046
  clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=undefined -I"$root/src" $(pkg-config --cflags Qt6Core) \
    "${sources[@]}" $(pkg-config --libs Qt6Core) -o "$fuzzer"
fi

mkdir -p "$out/corpus"
log=$out/last-run.log
echo "Fuzzing the sheet-file reader for $seconds s (log: $log)"
status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  "$out/corpus" "$root/tests/fuzz/corpus" >"$log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  tail -n 60 "$log"
  echo "The fuzzer stopped with status $status; the input is in $out (crash-*, timeout-*, oom-*)."
  exit "$status"
fi
grep -E '^Done [0-9]+ runs|^stat::number_of_executed_units|DONE +cov:' "$log" || tail -n 5 "$log"
