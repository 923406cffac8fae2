#include "desktop/editor/editor_layout.h"

#include "core/sheet/tag_sheet.h"

namespace desktop {

namespace {

constexpr const char* kPGothic = "ＭＳ Ｐゴシック";

using K = ControlKind;
using C = Container;

// The captions and names below are the ones the shop's staff know from the screens they have always
// used, odd spellings and stray blanks included ("縁取", "前候補 ", "Cmdnext"): they stay exactly so,
// and nobody should tidy them.

// Large tags. Positions inside Frame1 are relative to it; Frame1 stands at (120, 240).
const std::vector<ControlSpec> kLargeControls {
    {"Frame1", K::frame, "", C::window, 120, 240, 3495, 2175, 9},
    {"Text1", K::editBox, "", C::window, 120, 480, 1335, 270, 0},
    {"Text2", K::editBox, "", C::window, 120, 840, 1215, 270, 1},
    {"Text3", K::editBox, "", C::window, 120, 1200, 2295, 270, 2},
    {"Text4", K::editBox, "", C::window, 120, 1560, 735, 270, 3},
    {"Text6", K::editBox, "", C::frame1, 1560, 1320, 735, 270, 4},
    {"Text5", K::editBox, "", C::window, 840, 1920, 1215, 375, 5, kPGothic, 14.25},
    {"VScroll1", K::scrollBar, "", C::window, 11640, 2760, 255, 3015, 6},
    {"picFrame", K::pane, "", C::window, 120, 2400, 11535, 5535, 7},
    {"picDraw", K::page, "", C::picFrame, 0, 120, 11295, 5235, 8},
    {"Label1", K::label, "JANコード OR 空白", C::frame1, 1560, 240, 1815, 255, 10},
    {"Label2", K::label, "メーカー名", C::frame1, 1440, 600, 975, 255, 11},
    {"Label3", K::label, "品名", C::frame1, 2520, 960, 615, 255, 12},
    {"Label4", K::label, "規格", C::frame1, 840, 1320, 615, 255, 13},
    {"Label5", K::label, "売価", C::frame1, 2160, 1800, 615, 255, 14},
    {"cmdfirst", K::button, "<<", C::window, 3960, 120, 615, 375, 15},
    {"cmdprevious", K::button, "<", C::window, 4560, 120, 615, 375, 16},
    {"Cmdnext", K::button, ">", C::window, 5160, 120, 615, 375, 17},
    {"Cmdlast", K::button, ">>", C::window, 5760, 120, 615, 375, 18},
    {"プレビュー", K::button, "プレビュー", C::window, 9120, 0, 1215, 495, 19},
    {"削除", K::button, "削除", C::window, 6600, 1800, 1335, 495, 20},
    {"クリア", K::button, "クリア", C::window, 6600, 600, 1215, 495, 21},
    {"Label6", K::label, "", C::window, 3960, 600, 2415, 495, 22, kPGothic, 18},
    {"挿入", K::button, "挿入", C::window, 6600, 1200, 1335, 495, 23},
    {"前候補", K::button, "前候補 ", C::window, 4200, 1200, 1935, 615, 24, nullptr, 0, false},
    {"印刷", K::button, "印刷", C::window, 10440, 0, 1215, 495, 25},
    {"Label7", K::label, "ロット等", C::frame1, 2400, 1320, 615, 255, 26},
    {"縁取", K::button, "カラーで縁取りする", C::window, 6840, 0, 1815, 375, 27},
    {"コピー", K::button, "前のデータをコピーする &C", C::window, 3840, 1920, 2655, 375, 28},
    {"フォント切替", K::button, "品名フォント切替", C::window, 8400, 720, 2055, 375, 29},
    {"Label8", K::label, "", C::window, 8400, 1200, 2055, 255, 30, kPGothic, 12},
    {"単価フォント切替", K::button, "単価フォント切替", C::window, 8400, 1560, 2055, 375, 31},
    {"Label9", K::label, "", C::window, 8400, 2040, 2055, 255, 32, kPGothic, 12},
    {"下", K::button, "下", C::window, 10920, 2040, 375, 255, 33},
    {"右", K::button, "右", C::window, 11280, 1680, 375, 255, 34},
    {"左", K::button, "左", C::window, 10680, 1680, 375, 255, 35},
    {"上", K::button, "上", C::window, 10920, 1320, 375, 255, 36},
};

// Small tags: a second product-name line, the price box Text7, and the labels and buttons moved.
const std::vector<ControlSpec> kSmallControls {
    {"Frame1", K::frame, "", C::window, 120, 240, 3495, 2175, 10},
    {"Text1", K::editBox, "", C::window, 120, 480, 1335, 270, 0},
    {"Text2", K::editBox, "", C::window, 120, 840, 1095, 270, 1},
    {"Text3", K::editBox, "", C::window, 120, 1200, 1335, 270, 2, kPGothic, 9.75},
    {"Text4", K::editBox, "", C::frame1, 0, 1320, 1095, 270, 3},
    {"Text5", K::editBox, "", C::window, 120, 1920, 735, 270, 4},
    {"Text6", K::editBox, "", C::frame1, 2160, 1200, 735, 270, 5},
    {"Text7", K::editBox, "", C::window, 1680, 1920, 1215, 375, 6, kPGothic, 14.25},
    {"VScroll1", K::scrollBar, "", C::window, 11640, 2760, 255, 2175, 7},
    {"picFrame", K::pane, "", C::window, 120, 2400, 11535, 5535, 8},
    {"picDraw", K::page, "", C::picFrame, 0, 120, 11295, 5235, 9},
    {"Label1", K::label, "JANコード OR 空白", C::frame1, 1560, 240, 1815, 255, 11},
    {"Label2", K::label, "メーカー名", C::frame1, 1440, 600, 975, 255, 12},
    {"Label3", K::label, "品名1", C::frame1, 1440, 960, 615, 255, 13},
    {"Label4", K::label, "規格", C::frame1, 840, 1680, 615, 255, 14},
    {"Label5", K::label, "売価", C::frame1, 2880, 1800, 615, 255, 15},
    {"cmdfirst", K::button, "<<", C::window, 3960, 0, 615, 375, 16},
    {"cmdprevious", K::button, "<", C::window, 4560, 0, 615, 375, 17},
    {"Cmdnext", K::button, ">", C::window, 5160, 0, 615, 375, 18},
    {"プレビュー", K::button, "プレビュー", C::window, 9120, 0, 1215, 495, 19},
    {"Cmdlast", K::button, ">>", C::window, 5760, 0, 615, 375, 20},
    {"印刷", K::button, "印刷", C::window, 10440, 0, 1215, 495, 21},
    {"削除", K::button, "削除", C::window, 6600, 1800, 1335, 495, 22},
    {"クリア", K::button, "クリア", C::window, 6600, 600, 1215, 495, 23},
    {"Label6", K::label, "", C::window, 4080, 480, 2415, 495, 24, kPGothic, 18},
    {"挿入", K::button, "挿入", C::window, 6600, 1200, 1335, 495, 25},
    {"前候補", K::button, "前候補 &M", C::window, 4440, 1080, 1455, 615, 26, nullptr, 0, false},
    {"Label7", K::label, "ロット等", C::frame1, 2640, 840, 615, 255, 27},
    {"縁取", K::button, "カラーで縁取りする", C::window, 6840, 0, 1815, 375, 28},
    {"Label8", K::label, "品名２", C::frame1, 1440, 1320, 615, 255, 29},
    {"コピー", K::button, "前のデータをコピーする &C", C::window, 3840, 1800, 2655, 375, 30},
    {"フォント切替", K::button, "品名フォント切替", C::window, 8520, 720, 2055, 375, 31},
    {"単価フォント切替", K::button, "単価フォント切替", C::window, 8520, 1440, 2055, 375, 32},
    {"Label9", K::label, "", C::window, 8520, 1080, 2055, 255, 33, kPGothic, 12},
    {"Label10", K::label, "", C::window, 8520, 1920, 2055, 255, 34, kPGothic, 12},
    {"上", K::button, "上", C::window, 11040, 1320, 375, 255, 35},
    {"左", K::button, "左", C::window, 10800, 1680, 375, 255, 36},
    {"右", K::button, "右", C::window, 11280, 1680, 375, 255, 37},
    {"下", K::button, "下", C::window, 11040, 2040, 375, 255, 38},
};

const std::vector<MenuEntrySpec> kFileMenu {
    {"KURIA", "新規作成(&N)", "Ctrl+N"},
    {"f_open", "ファィルを開く(&O)", "Ctrl+O"},
    {"U_SAVE", "ファィルの上書き保存(&S)", "Ctrl+S"},
    {"N_SAVE", "名前を付けてファィルを保存(&A)", "Ctrl+A"},
    {"M_プレビュー", "プレピュー(&V)", "Ctrl+V"},
    {"P_印刷", "印刷(&P)", "Ctrl+P"},
    {"C_印刷位置の調整", "印刷位置の調整(&C)...", ""},
    {"T_棚札の表示", "棚札の表示(&T)...", ""},
    {"MNUEXIT", "終了(&x)", "Ctrl+Q"},
};

}  // namespace

const std::vector<ControlSpec>& editorControls(const sheet::SheetFormat& format)
{
    return format.isLarge() ? kLargeControls : kSmallControls;
}

const std::vector<MenuEntrySpec>& fileMenuEntries()
{
    return kFileMenu;
}

}  // namespace desktop
