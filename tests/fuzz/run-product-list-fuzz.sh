#!/usr/bin/env bash
# Builds the product-list reader's fuzzer with clang and libFuzzer (apart from the CMake build, which
# uses g++) and runs it for a while on the seed corpus.
#   usage: run-product-list-fuzz.sh [SECONDS] [OUTPUT_DIR]
# New inputs that libFuzzer finds are kept in OUTPUT_DIR/product-list-corpus, never in the repository.
set -euo pipefail

seconds=${1:-30}
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$(mkdir -p "${2:-$root/build-fuzz}" && cd "${2:-$root/build-fuzz}" && pwd)
fuzzer=$out/product_list_fuzz
sources=("$root/tests/fuzz/product_list_fuzz.cpp" "$root"/src/core/productlist/*.cpp
         "$root/src/core/sheet/tag_sheet.cpp" "$root/src/core/sheet/field_entry.cpp"
         "$root/src/core/codepage/code_page_932.cpp" "$root/src/core/barcode/barcode.cpp")

if ! command -v clang++ >/dev/null; then
  echo "clang++ is missing: run 'make deps' first." >&2
  exit 1
fi

changed=$(find "$root/src/core/productlist" "$root/src/core/sheet" "$root/src/core/files" "$root/src/core/barcode" "$root/tests/fuzz" -name '*.[ch]*' \
            -newer "$fuzzer" 2>/dev/null || echo rebuild)
if [ ! -x "$fuzzer" ] || [ -n "$changed" ]; then
  echo "Building $fuzzer"
  # shellcheck disable=SC2046
  clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined \
    -fno-sanitize-recover=undefined -I"$root/src" $(pkg-config --cflags Qt6Core quazip1-qt6 expat) \
    "${sources[@]}" $(pkg-config --libs Qt6Core quazip1-qt6 expat) -o "$fuzzer"
fi

mkdir -p "$out/product-list-corpus"
log=$out/product-list-last-run.log
echo "Fuzzing the product-list reader for $seconds s (log: $log)"
status=0
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 -artifact_prefix="$out/" -print_final_stats=1 \
  -dict="$root/tests/fuzz/product-list.dict" \
  "$out/product-list-corpus" "$root/tests/fuzz/product-list-corpus" >"$log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  tail -n 60 "$log"
  echo "The fuzzer stopped with status $status; the input is in $out (crash-*, timeout-*, oom-*)."
  exit "$status"
fi
grep -E '^Done [0-9]+ runs|^stat::number_of_executed_units' "$log" || tail -n 5 "$log"
