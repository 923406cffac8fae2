// The editor windows' controls: names, kinds, places, fonts, Tab order and the file menu.
#include "output/fonts.h"
#include "support/editor_test_support.h"

#include <QAction>
#include <QFontInfo>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>

using sheet::SheetFormat;

namespace {

QStringList split(const char* names)
{
    return QString::fromUtf8(names).split(u' ', Qt::SkipEmptyParts);
}

}  // namespace

TEST(EditorLayout, EveryControlExistsWithItsKind)
{
    for (const SheetFormat* format : editor_test::kFormats) {
        FakeDialogs dialogs;
        desktop::EditorWindow window(*format, dialogs);
        const QString boxes = format->isLarge() ? QStringLiteral("Text1 Text2 Text3 Text4 Text5 Text6")
                                                : QStringLiteral("Text1 Text2 Text3 Text4 Text5 Text6 Text7");
        for (const QString& name : boxes.split(u' ')) {
            EXPECT_NE(window.findChild<desktop::EditBox*>(name), nullptr) << name.toStdString();
        }
        const QString labels = QStringLiteral("Label1 Label2 Label3 Label4 Label5 Label6 Label7 Label8 Label9")
            + (format->isLarge() ? QString() : QStringLiteral(" Label10"));
        for (const QString& name : labels.split(u' ')) {
            EXPECT_NE(window.findChild<QLabel*>(name), nullptr) << name.toStdString();
        }
        for (const QString& name :
             split("cmdfirst cmdprevious Cmdnext Cmdlast 上 下 左 右 縁取 前候補 挿入 クリア 削除 "
                   "コピー フォント切替 単価フォント切替 プレビュー 印刷")) {
            EXPECT_NE(window.findChild<QPushButton*>(name), nullptr) << name.toStdString();
        }
        EXPECT_NE(window.findChild<QFrame*>(QStringLiteral("Frame1")), nullptr);
        EXPECT_NE(window.findChild<desktop::PreviewFrame*>(QStringLiteral("picFrame")), nullptr);
        EXPECT_NE(window.findChild<desktop::PreviewPage*>(QStringLiteral("picDraw")), nullptr);
        EXPECT_NE(window.findChild<QScrollBar*>(QStringLiteral("VScroll1")), nullptr);
        EXPECT_EQ(window.centralWidget()->minimumSize(), QSize(792, 573));
    }
}

TEST(EditorLayout, PlacesSizesCaptionsAndFonts)
{
    struct Row {
        const SheetFormat* format;
        const char* name;
        QRect inClientPx;  // twips / 15, relative to the client area
        const char* caption;
        const char* fontFace;
        double fontPt;
    };
    const SheetFormat* L = &SheetFormat::large;
    const SheetFormat* S = &SheetFormat::small;
    const Row rows[] = {
        {L, "Text1", {8, 32, 89, 18}, nullptr, nullptr, 0},
        {L, "Text5", {56, 128, 81, 25}, nullptr, "ＭＳ Ｐゴシック", 14.25},
        {L, "Text6", {112, 104, 49, 18}, nullptr, nullptr, 0},  // in Frame1 at (1560, 1320)
        {L, "Label1", {112, 32, 121, 17}, "JANコード OR 空白", nullptr, 0},
        {L, "Label6", {264, 40, 161, 33}, nullptr, "ＭＳ Ｐゴシック", 18},
        {L, "前候補", {280, 80, 129, 41}, "前候補 ", nullptr, 0},
        {L, "コピー", {256, 128, 177, 25}, "前のデータをコピーする &C", nullptr, 0},
        {L, "Label9", {560, 136, 137, 17}, nullptr, "ＭＳ Ｐゴシック", 12},
        {L, "右", {752, 112, 25, 17}, "右", nullptr, 0},
        {L, "Cmdlast", {384, 8, 41, 25}, ">>", nullptr, 0},
        {S, "Text3", {8, 80, 89, 18}, nullptr, "ＭＳ Ｐゴシック", 9.75},
        {S, "Text4", {8, 104, 73, 18}, nullptr, nullptr, 0},  // in Frame1 at (0, 1320)
        {S, "Text7", {112, 128, 81, 25}, nullptr, "ＭＳ Ｐゴシック", 14.25},
        {S, "Label3", {104, 80, 41, 17}, "品名1", nullptr, 0},
        {S, "Label8", {104, 104, 41, 17}, "品名２", nullptr, 0},
        {S, "Label10", {568, 128, 137, 17}, nullptr, "ＭＳ Ｐゴシック", 12},
        {S, "前候補", {296, 72, 97, 41}, "前候補 &M", nullptr, 0},
        {S, "Cmdlast", {384, 0, 41, 25}, ">>", nullptr, 0},
        {S, "VScroll1", {776, 184, 17, 145}, nullptr, nullptr, 0},
    };
    FakeDialogs dialogs;
    desktop::EditorWindow large(SheetFormat::large, dialogs);
    desktop::EditorWindow small(SheetFormat::small, dialogs);
    for (const Row& row : rows) {
        desktop::EditorWindow& window = row.format->isLarge() ? large : small;
        QWidget* w = window.control(QString::fromUtf8(row.name));
        ASSERT_NE(w, nullptr) << row.name;
        const QPoint topLeft = w->mapTo(window.centralWidget(), QPoint(0, 0));
        EXPECT_EQ(QRect(topLeft, w->size()), row.inClientPx) << row.name;
        if (row.caption != nullptr) {
            const QString text = qobject_cast<QPushButton*>(w) ? qobject_cast<QPushButton*>(w)->text()
                                                               : qobject_cast<QLabel*>(w)->text();
            EXPECT_EQ(text, QString::fromUtf8(row.caption)) << row.name;
        }
        if (row.fontFace != nullptr) {
            // The layout's face, by the installed fonts that stand in for it.
            const QString face = QString::fromUtf8(row.fontFace);
            EXPECT_EQ(w->font().families(), output::faceFont(face).families()) << row.name;
            EXPECT_EQ(QFontInfo(w->font()).family(), QFontInfo(QFont(face)).family()) << row.name;
            EXPECT_DOUBLE_EQ(w->font().pointSizeF(), row.fontPt) << row.name;
        }
    }
}

TEST(EditorLayout, EditBoxesStandAboveTheFrameAndCanBeClicked)
{
    for (const SheetFormat* format : editor_test::kFormats) {
        editor_test::OpenEditor e(*format);
        ASSERT_TRUE(e.activated);
        for (const sheet::EntryBox& entry : sheet::entryBoxes(*format)) {
            QWidget* b = e.w().control(QString::fromLatin1(entry.name));
            const QPoint centre = b->mapTo(e.w().centralWidget(), b->rect().center());
            QWidget* hit = e.w().centralWidget()->childAt(centre);
            EXPECT_TRUE(hit == b || b->isAncestorOf(hit)) << entry.name;
        }
    }
}

TEST(EditorLayout, TabOrderFollowsTheTabIndexes)
{
    const struct {
        const SheetFormat* format;
        const char* order;
    } rows[] = {
        {&SheetFormat::large,
         "Text1 Text2 Text3 Text4 Text6 Text5 VScroll1 picFrame picDraw cmdfirst cmdprevious Cmdnext Cmdlast "
         "プレビュー 削除 クリア 挿入 前候補 印刷 縁取 コピー フォント切替 単価フォント切替 下 右 左 上"},
        {&SheetFormat::small,
         "Text1 Text2 Text3 Text4 Text5 Text6 Text7 VScroll1 picFrame picDraw cmdfirst cmdprevious Cmdnext "
         "プレビュー Cmdlast 印刷 削除 クリア 挿入 前候補 縁取 コピー フォント切替 単価フォント切替 上 左 右 下"},
    };
    for (const auto& row : rows) {
        FakeDialogs dialogs;
        desktop::EditorWindow window(*row.format, dialogs);
        // Every control that takes the focus, in the order Tab visits them, from Text1 round.
        QStringList visited;
        QWidget* w = window.janBox();
        do {
            if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty() && window.isAncestorOf(w)) {
                visited << w->objectName();
            }
            w = w->nextInFocusChain();
        } while (w != window.janBox() && visited.size() < 100);
        EXPECT_EQ(visited.join(u' '), QString::fromUtf8(row.order));
    }
}

TEST(EditorLayout, FileMenuEntries)
{
    FakeDialogs dialogs;
    desktop::EditorWindow window(SheetFormat::small, dialogs);
    auto* menu = window.findChild<QMenu*>(QStringLiteral("f_file"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QStringLiteral("ファィル(&F)"));
    EXPECT_TRUE(window.menuBar()->actions().contains(menu->menuAction()));
    QStringList entries;
    for (QAction* action : menu->actions()) {
        entries << action->objectName() + u'=' + action->text() + u'=' + action->shortcut().toString();
    }
    EXPECT_EQ(entries,
              QStringList({
                  QStringLiteral("KURIA=新規作成(&N)=Ctrl+N"),
                  QStringLiteral("f_open=ファィルを開く(&O)=Ctrl+O"),
                  QStringLiteral("U_SAVE=ファィルの上書き保存(&S)=Ctrl+S"),
                  QStringLiteral("N_SAVE=名前を付けてファィルを保存(&A)=Ctrl+A"),
                  QStringLiteral("I_IMPORT=商品リストから作成(&I)...="),
                  QStringLiteral("catalogueMenu=商品マスタ(&M)...="),
                  QStringLiteral("M_プレビュー=プレピュー(&V)=Ctrl+V"),
                  QStringLiteral("P_印刷=印刷(&P)=Ctrl+P"),
                  QStringLiteral("C_印刷位置の調整=印刷位置の調整(&C)...="),
                  QStringLiteral("T_棚札の表示=棚札の表示(&T)...="),
                  QStringLiteral("MNUEXIT=終了(&x)=Ctrl+Q"),
              }));
}
