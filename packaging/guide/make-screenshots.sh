#!/usr/bin/env bash
# Makes the screenshots of the user guide from the real program, started under a virtual display
# with sample sheets, and writes them to images/ beside this script. Run it after a build when the
# windows change, look at the images, and commit them.
#   usage: packaging/guide/make-screenshots.sh [BUILD_DIR]      (default: build)
# Needs Xvfb (xvfb), xdotool, ImageMagick's import and convert (imagemagick), cupsd and lpadmin
# (cups, cups-filters), and tanafuda-catalogue built beside the program.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
program=$build/tanafuda
out=$here/images

for tool in Xvfb xdotool import convert iconv; do
  command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done
for tool in /usr/sbin/cupsd /usr/sbin/lpadmin; do
  [ -x "$tool" ] || { echo "$tool is missing" >&2; exit 1; }
done
[ -x "$program" ] || { echo "$program is missing: build first" >&2; exit 1; }
catalogue=$build/tools/tanafuda-catalogue
[ -x "$catalogue" ] || { echo "$catalogue is missing: build first" >&2; exit 1; }

# The sample sheets lie in /tmp/棚札, whose name the editors show on their page.
samples=/tmp/棚札
spool=/tmp/tanafuda-guide-cups-$$  # a print queue's files: CUPS takes no other letters in its paths
if [ -e "$samples" ]; then
  echo "$samples exists: move it away first" >&2
  exit 1
fi
mkdir "$samples"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$samples" "$spool"
}
trap cleanup EXIT

# A sheet file from rows "jan|maker|name|[name2|]spec|lot|price", the remaining tags left empty.
write_sheet() {  # format(large|small) path < rows
  local format=$1 path=$2 tags=24 type="大きい棚札" empty='"","","","","",0'
  if [ "$format" = small ]; then tags=40 type="小さい棚札" empty='"","","","","","",0'; fi
  {
    printf '"%s"\r\n' "$type"
    local slot=0 row
    while IFS= read -r row; do
      slot=$((slot + 1))
      local price=${row##*|} texts=${row%|*}
      printf '" %d","%s",%s\r\n' "$slot" "${texts//|/\",\"}" "$price"
    done
    while [ "$slot" -lt "$tags" ]; do
      slot=$((slot + 1))
      printf '" %d",%s\r\n' "$slot" "$empty"
    done
  } | iconv -f UTF-8 -t CP932 >"$path"
}

write_sheet large "$samples/野菜と果物.csv" <<'ROWS'
4901234567894|青森りんご園|ふじりんご|1個|青森県産|198
4900000123456|みかん農園|温州みかん|1袋 6個入|和歌山県産|398
4561234000014|北海ファーム|じゃがいも|1袋 1kg|北海道産|258
|地元農家|ほうれん草|1束|朝どれ|158
4530000111223|山田食品|絹ごし豆腐|300g|国産大豆|88
49123456|高原牧場|牛乳|1000ml|成分無調整|228
ROWS
write_sheet small "$samples/おかし.csv" <<'ROWS'
4901234567894|しあわせ製菓|チョコ|ビスケット|12枚|お徳用|158
49123456|山の駄菓子|きなこ棒||10本|当たり付き|50
4900000123456|海辺の塩|塩せんべい|しお味|8枚|国産米|198
ROWS

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.2; done
export LC_ALL=C.UTF-8

window_of() {  # title-pattern -> window id, once the window is mapped
  xdotool search --sync --onlyvisible --name "$1" | head -1
}
shoot() {  # window-id file
  sleep 1.5
  import -window "$1" "$out/$2"
  echo "wrote $out/$2"
}

mkdir -p "$out"

# The launcher, once its credits have come to rest, and the help window from its menu.
"$program" &
pids+=($!)
launcher=$(window_of 'プリコラ')
sleep "${LAUNCHER_WAIT:-25}"
shoot "$launcher" launcher.png
xdotool mousemove --window "$launcher" 24 10 click 1
help=$(window_of '^使い方$')
shoot "$help" help.png
kill "${pids[-1]}"

# The two editors, each started with its file as the desktop starts it.
"$program" "$samples/野菜と果物.csv" &
pids+=($!)
editor=$(window_of '大きい棚札')
shoot "$editor" editor-large.png
convert "$out/editor-large.png" -crop 780x170+0+0 +repage "$out/editor-controls.png"
echo "wrote $out/editor-controls.png"
kill "${pids[-1]}"

"$program" "$samples/おかし.csv" &
pids+=($!)
editor=$(window_of '小きい棚札')
shoot "$editor" editor-small.png
kill "${pids[-1]}"

# A print queue for the calibration dialog to show: a cupsd of the script's own in a folder of its own, its one queue writing PDF files there (Debian packages cups, cups-filters).
mkdir -p "$spool"/{spool,tmp,cache,state,log,out}
chmod -R 0777 "$spool"
printf 'ServerRoot %s\nRequestRoot %s/spool\nTempDir %s/tmp\nCacheDir %s/cache\nStateDir %s/state\nErrorLog %s/log/error_log\nFileDevice Yes\n' \
  "$spool" "$spool" "$spool" "$spool" "$spool" "$spool" >"$spool/cups-files.conf"
printf 'Listen %s/cups.sock\nBrowsing No\nWebInterface No\n<Location />\nOrder allow,deny\nAllow all\n</Location>\n' \
  "$spool" >"$spool/cupsd.conf"
/usr/sbin/cupsd -f -c "$spool/cupsd.conf" -s "$spool/cups-files.conf" &
pids+=($!)
export CUPS_SERVER=$spool/cups.sock
for _ in $(seq 50); do [ -S "$CUPS_SERVER" ] && break; sleep 0.2; done
/usr/sbin/lpadmin -p 店頭プリンタ -E -v "file://$spool/out/page.pdf" \
  -P /usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd
# The program's settings (the calibrations) go to a folder of the script's own.
export XDG_CONFIG_HOME=$samples/config
mkdir -p "$XDG_CONFIG_HOME/tanafuda"
# The catalogue, with the example list taken in, in a data folder of the script's own.
export XDG_DATA_HOME=$samples/data
"$catalogue" import "$root/examples/products.csv" >/dev/null || [ $? -eq 4 ]  # 4: the list's one bad row left out

# The import dialog with the example list, and the calibration dialog, both from the large editor's
# file menu. The editor starts in the sample folder, where its file dialog opens.
cp "$root/examples/products.csv" "$samples/products.csv"
(cd "$samples" && exec "$program" "$samples/野菜と果物.csv") &
pids+=($!)
editor=$(window_of '大きい棚札')
sleep 1.5
open_menu_entry() {  # access key of a file-menu entry
  xdotool mousemove --window "$editor" 20 10 click 1
  sleep 0.5
  xdotool key "$1"
}
# Tag 7 (six clicks on > from tag 1), a code typed and Enter, as a scanner does: the tag is
# filled from the catalogue.
xdotool mousemove --window "$editor" 364 40 click --repeat 6 --delay 300 1
sleep 1
xdotool type --delay 50 4500000000018
xdotool key Return
shoot "$editor" editor-fill.png
open_menu_entry i
chooser=$(window_of '商品リスト|開く|Open|Find')
sleep 1
xdotool type --delay 50 products.csv
xdotool key Return
import_dialog=$(window_of '^商品リストから作成$')
shoot "$import_dialog" import.png
xdotool key Escape
sleep 1
open_menu_entry c
calibration=$(window_of '^印刷位置の調整$')
sleep 1
# Marks measured 0.8 mm and 1.4 mm off: the dialog tells the correction before it is saved.
for entry in 1:15.8 2:16.4 3:195.6 4:283.1; do
  xdotool key "alt+${entry%%:*}"
  xdotool type --delay 50 "${entry#*:}"
done
shoot "$calibration" calibration.png
kill "${pids[-1]}"

# 商品マスタ: a catalogue of its own (under a data folder made here) that has had last week's list
# printed and confirmed and this week's taken in, then the window from the launcher's menu, the
# summary of a merge, and the question after a print.
data=$samples/catalogue-data
mkdir -p "$data"
cat >"$samples/先週.csv" <<'LIST'
JAN,メーカー,商品名,規格,売価,棚番
4901234567894,青森りんご園,ふじりんご,1個,198,A-1
4900000123456,みかん農園,温州みかん,1袋 6個入,398,A-1
4561234000014,北海ファーム,じゃがいも,1袋 1kg,258,A-2
4530000111223,山田食品,絹ごし豆腐,300g,88,B-3
49123456,高原牧場,牛乳,1000ml,228,B-1
4900000000016,しあわせ製菓,チョコビスケット,12枚,158,C-4
LIST
cat >"$samples/今週.csv" <<'LIST'
JAN,メーカー,商品名,規格,売価,棚番
4901234567894,青森りんご園,ふじりんご,1個,178,A-1
4900000123456,みかん農園,温州みかん,1袋 6個入,398,A-1
4561234000014,北海ファーム,じゃがいも,1袋 1kg,278,A-2
4530000111223,山田食品,絹ごし豆腐,300g,88,B-3
49123456,高原牧場,牛乳,1000ml,238,B-1
4900000000023,山の駄菓子,きなこ棒,10本,50,C-5
LIST
# Next week: a price changed, the tofu moved shelf only, a new product, a row without any code and
# a row repeated (the summary names both by their row numbers).
cat >"$samples/来週.csv" <<'LIST'
JAN,メーカー,商品名,規格,売価,棚番
4901234567894,青森りんご園,ふじりんご,1個,178,A-1
4900000123456,みかん農園,温州みかん,1袋 6個入,398,A-1
4561234000014,北海ファーム,じゃがいも,1袋 1kg,278,A-2
4530000111223,山田食品,絹ごし豆腐,300g,88,B-4
49123456,高原牧場,牛乳,1000ml,238,B-1
4900000000023,山の駄菓子,きなこ棒,10本,60,C-5
4530000222332,山田食品,木綿豆腐,300g,88,B-3
,地元農家,ほうれん草,1束,158,A-3
49123456,高原牧場,牛乳,1000ml,238,B-1
LIST
export XDG_DATA_HOME=$data
# The print dialog of this part prints to a PDF file, not to the script's print queue.
unset CUPS_SERVER
# The print dialog proposes a PDF in the home folder: this one's.
export HOME=$samples
"$catalogue" import "$samples/先週.csv" >/dev/null
"$catalogue" print --pdf "$samples/先週.pdf" >/dev/null
"$catalogue" confirm 1 >/dev/null
"$catalogue" import "$samples/今週.csv" >/dev/null
# Offers (特売) around today, as the window's clock sees them: a flyer that runs now, a time sale
# tomorrow evening, and one that ended; the coming dates above the table name their days.
cat >"$samples/チラシ.csv" <<'LIST'
JAN,商品名,特価
4901234567894,ふじりんご,158
4561234000014,じゃがいも,238
LIST
cat >"$samples/夕市.csv" <<'LIST'
JAN,商品名,特価
4530000111223,絹ごし豆腐,68
LIST
day() { date -d "$1 day" +%F; }
"$catalogue" offer import "$samples/チラシ.csv" --name 今週のチラシ --from "$(day -2)" --to "$(day +1)" >/dev/null
"$catalogue" offer import "$samples/夕市.csv" --name 夕市 --from "$(day +1)" --to "$(day +1)" --hours 17:00-19:00 >/dev/null
"$catalogue" offer import "$samples/夕市.csv" --name 先週の夕市 --from "$(day -6)" --to "$(day -6)" --hours 17:00-19:00 >/dev/null

# Without a window manager the keys go to the window under the pointer.
press() {  # window-id keys...
  local window=$1
  shift
  xdotool mousemove --window "$window" 60 60
  sleep 0.3
  xdotool key "$@"
}
# 取り込み... in the 商品マスタ window $1: the list $2 typed into the file dialog (which opens over
# the middle of the window) and the import dialog accepted; prints the merge summary's window id.
import_list() {  # window-id file
  press "$1" alt+i
  sleep 2
  xdotool mousemove --window "$1" 500 280
  sleep 0.3
  xdotool key ctrl+a
  xdotool type --delay 50 "$2"
  xdotool key Return
  local importer
  importer=$(window_of '商品マスタに取り込み')
  sleep 1
  press "$importer" Return
  sleep 1.5
  xdotool search --onlyvisible --name '商品マスタに取り込み' | tail -1
}

# Started in the sample folder, where the file dialog opens: a short name is typed more surely
# than a path of kanji.
cp "$samples/来週.csv" "$samples/next.csv"
(cd "$samples" && exec "$program") &
pids+=($!)
launcher=$(window_of 'プリコラ')
sleep 2
press "$launcher" alt+m
master=$(window_of '^商品マスタ$')
xdotool windowsize --sync "$master" 1120 560
shoot "$master" catalogue.png

# The 特売 tab, its first offer chosen: the offers with their states, the offer's products below.
press "$master" alt+b
sleep 1
xdotool mousemove --window "$master" 200 72 click 1
sleep 1
shoot "$master" catalogue-offers.png
press "$master" alt+l
sleep 1

# The merge summary of the next list.
summary=$(import_list "$master" next.csv)
shoot "$summary" catalogue-summary.png

# Taken in (the default button); a code scanned into the search box selects its product; then
# 変更分を印刷...: the window's print dialog with its count (every tag that needs printing, the
# selection only when chosen there), the printer's dialog printing to a PDF, and the question.
press "$summary" Return
sleep 2
# A click on the status line makes the window active again, so that its access keys work.
xdotool mousemove --window "$master" 500 550 click 1
press "$master" alt+f
xdotool type --delay 50 4900000000023
xdotool key Return
sleep 1
press "$master" alt+p
scope=$(window_of '^棚札の印刷$')
shoot "$scope" catalogue-print.png
press "$scope" Return
sleep 3
xdotool mousemove --window "$master" 500 280
sleep 0.3
xdotool key Return
question=$(window_of '^印刷 [0-9]+ の確認$')
shoot "$question" catalogue-question.png
press "$question" Escape

# 棚チェック from the 商品マスタ window: shelf A-1 scanned as a scanner types (digits and Enter) -
# the oranges right, the apples still at last week's price, the milk of B-1, the biscuits no longer
# sold - then on to A-2 for a code no product has; 終了 adds A-2's potatoes, not scanned (ない).
xdotool mousemove --window "$master" 500 550 click 1
press "$master" alt+k
checker=$(window_of '^棚チェック$')
xdotool windowsize --sync "$checker" 1000 600
xdotool mousemove --window "$checker" 500 300
sleep 0.5
scan() {
  xdotool type --delay 30 "$1"
  xdotool key Return
  sleep 0.3
}
for code in 4900000123456 4901234567894 49123456 4900000000016; do scan "$code"; done
xdotool key alt+l Down
sleep 0.3
scan 4999999999993
shoot "$checker" shelf-check.png
press "$checker" alt+e
finish=$(window_of '^棚チェックの終了$')
press "$finish" alt+e
sleep 1
xdotool mousemove --window "$checker" 500 300
shoot "$checker" shelf-check-done.png
kill "${pids[-1]}"

# The first start: the window of an empty data folder, a list taken up to its summary and cancelled
# there. Nothing is made: the first-start page stays, and no catalogue file appears.
export XDG_DATA_HOME=$samples/first-data
mkdir -p "$XDG_DATA_HOME"
cp "$samples/今週.csv" "$samples/week.csv"
(cd "$samples" && exec "$program") &
pids+=($!)
launcher=$(window_of 'プリコラ')
sleep 2
press "$launcher" alt+m
master=$(window_of '^商品マスタ$')
xdotool windowsize --sync "$master" 1120 560
summary=$(import_list "$master" week.csv)
press "$summary" Escape
sleep 1
shoot "$master" catalogue-first-start.png
kill "${pids[-1]}"
if [ -e "$XDG_DATA_HOME/tanafuda/catalogue.sqlite" ]; then
  echo "a cancelled first import made $XDG_DATA_HOME/tanafuda/catalogue.sqlite" >&2
  exit 1
fi

# A damaged catalogue file: the window's page says what happened, where the file went and what
# the next import does.
export XDG_DATA_HOME=$samples/damaged-data
mkdir -p "$XDG_DATA_HOME/tanafuda"
{
  printf 'SQLite format 3\0'
  head -c 8192 /dev/zero | tr '\0' 'Z'
} >"$XDG_DATA_HOME/tanafuda/catalogue.sqlite"
"$program" &
pids+=($!)
launcher=$(window_of 'プリコラ')
sleep 2
press "$launcher" alt+m
master=$(window_of '^商品マスタ$')
xdotool windowsize --sync "$master" 1120 560
shoot "$master" catalogue-damaged.png
kill "${pids[-1]}"
