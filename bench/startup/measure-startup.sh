#!/usr/bin/env bash
# Start-up of the desktop program against a Qt Widgets hello-world, under a virtual display of its
# own: the whole process, from before the fork until its first window is mapped
# (startup-map-probe), the programs run in turn round after round (each round in another order),
# the median of each compared with the hello-world's.
#
#   usage: bench/startup/measure-startup.sh [-n ROUNDS] [-b BUILD_DIR] [--before PROGRAM]
#                                           [--also NAME=COMMAND]...
#     -n ROUNDS         rounds of measurement after two rounds of warm-up (default 20)
#     -b BUILD_DIR      the build folder with tanafuda and bench/startup/ (default: build)
#     --before PROGRAM  also measure another build of tanafuda (e.g. one built from an older
#                       commit) on the same launcher and sheet file, in the same rounds
#     --also NAME=CMD   also measure any other command (a word list, no quoting)
#     --realtime        run Xvfb and the programs under the real-time scheduler (chrt -f; needs
#                       root or CAP_SYS_NICE), so that other work on the machine does not scatter
#                       the figures
#   make bench-startup [ROUNDS=N] [BEFORE=PROGRAM] runs it after building what it needs.
#
# Every program runs with the same environment: the caller's, with a run-time folder of its own
# when none is set. Needs Xvfb (xvfb) and the probe and hello-world built with the benchmarks.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
rounds=20
build=$root/build
before=
also=()
realtime=()
while [ $# -gt 0 ]; do
  case $1 in
    -n) rounds=$2; shift 2 ;;
    -b) build=$(cd "$2" && pwd); shift 2 ;;
    --before) before=$2; shift 2 ;;
    --also) also+=("$2"); shift 2 ;;
    --realtime) realtime=(chrt -f 10); shift ;;
    *) echo "unknown argument: $1" >&2; exit 1 ;;
  esac
done
probe=$build/bench/startup/startup-map-probe
hello=$build/bench/startup/startup-hello
program=$build/tanafuda
for f in "$probe" "$hello" "$program"; do
  [ -x "$f" ] || { echo "$f is missing: build it first (make bench-startup does)" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "Xvfb is missing (apt-get install xvfb)" >&2; exit 1; }

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR=$work/runtime
  mkdir -m 700 "$XDG_RUNTIME_DIR"
fi

# A sheet file of large tags with a few of them filled (code, maker, name, size, lot, price), in the
# sheet files' code page.
sheet=$work/棚札.csv
{
  printf '"大きい棚札"\r\n'
  printf '" 1","4901234567894","青森りんご園","ふじりんご","1個","青森県産",198\r\n'
  printf '" 2","4501234567896","高原牧場","牛乳","1000ml","成分無調整",228\r\n'
  printf '" 3","4909876543214","山田食品","絹ごし豆腐","300g","国産大豆",88\r\n'
  for tag in $(seq 4 24); do printf '" %d","","","","","",0\r\n' "$tag"; done
} | iconv -f UTF-8 -t CP932 >"$sheet"

# The measured commands: a name, then the command line.
names=("hello-world (one Qt Widgets window)" "launcher" "editor from a sheet file")
commands=("$hello" "$program" "$program $sheet")
if [ -n "$before" ]; then
  names+=("launcher, before" "editor from a sheet file, before")
  commands+=("$before" "$before $sheet")
fi
for entry in "${also[@]}"; do
  names+=("${entry%%=*}")
  commands+=("${entry#*=}")
done
count=${#names[@]}

# Xvfb picks a free display and names it once it is ready.
"${realtime[@]}" Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -1 "$work/display")

measure() {  # index -> prints milliseconds
  # shellcheck disable=SC2086  # the command is a word list
  "${realtime[@]}" "$probe" --timeout 60 ${commands[$1]} 2>"$work/stderr" || {
    echo "${names[$1]}: no window was mapped" >&2
    cat "$work/stderr" >&2
    exit 1
  }
}
for i in $(seq 0 $((count - 1))); do
  for _ in 1 2; do measure "$i" >/dev/null; done
done
for round in $(seq 0 $((rounds - 1))); do
  for k in $(seq 0 $((count - 1))); do
    i=$(((k + round) % count))
    measure "$i" >>"$work/times-$i"
  done
done

median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
reference=$(median "$work/times-0")
printf 'start-up until the first window is mapped, %s rounds%s, %s cores, load %s\n' \
  "$rounds" "${realtime:+, real-time scheduling}" "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-40s %10s %10s %10s %8s\n' "program" "median ms" "min ms" "max ms" "ratio"
for i in $(seq 0 $((count - 1))); do
  m=$(median "$work/times-$i")
  printf '%-40s %10.1f %10.1f %10.1f %8.2f\n' "${names[$i]}" "$m" "$(sort -n "$work/times-$i" | head -1)" \
    "$(sort -n "$work/times-$i" | tail -1)" "$(awk -v a="$m" -v b="$reference" 'BEGIN { print a / b }')"
done
