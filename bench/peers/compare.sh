#!/usr/bin/env bash
# Times tanafuda-render (all sheets in one process) against glabels-3-batch (Debian package
# glabels) doing the same job: pages of 24 tags of 60 x 30 mm on A4 with an EAN-13 symbol and the
# texts, merged from the same data, written as one PDF. Whole-process times by hyperfine, for 1, 10
# and 50 sheets; prints a table of medians and ratios.
#
#   bench/peers/compare.sh [BUILD_DIR] [RUNS]
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-$here/../../build}" && pwd)"
runs="${2:-10}"
render="$build/tools/tanafuda-render"
for tool in hyperfine glabels-3-batch pdfinfo python3 "$render"; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
# On a machine without a desktop session the peer would wait for the accessibility bus and the
# settings service; spare it that, so that only its own work is timed.
export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory

printf '| sheets | tanafuda-render (ms) | glabels-3-batch (ms) | glabels / tanafuda |\n'
printf '|---:|---:|---:|---:|\n'
for n in 1 10 50; do
  dir="$work/$n"
  python3 "$here/make_data.py" "$n" "$dir"
  sed "s|src=\"tags.csv\"|src=\"$dir/tags.csv\"|" "$here/shelf-tags-60x30.glabels" > "$dir/tags.glabels"
  hyperfine --style none --warmup 1 --runs "$runs" --export-json "$dir/times.json" \
    -n tanafuda "$render $dir/sheet-*.csv -o $dir/tanafuda.pdf" \
    -n glabels "glabels-3-batch -i $dir/tags.csv -o $dir/glabels.pdf $dir/tags.glabels" >/dev/null 2>&1
  # Both did the whole job: one page per 24 tags.
  for pdf in tanafuda glabels; do
    pages=$(pdfinfo "$dir/$pdf.pdf" | awk '/^Pages:/ {print $2}')
    [ "$pages" = "$n" ] || { echo "$pdf made $pages pages for $n sheets" >&2; exit 1; }
  done
  python3 - "$dir/times.json" "$n" <<'PY'
import json, sys
results = {r["command"]: r["median"] * 1000 for r in json.load(open(sys.argv[1]))["results"]}
t, g = results["tanafuda"], results["glabels"]
print(f"| {sys.argv[2]} | {t:.0f} | {g:.0f} | {g / t:.2f}x |")
PY
done
