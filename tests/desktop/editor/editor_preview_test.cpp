// The editor window's preview pane, printing and price offsets.
#include "support/editor_test_support.h"

#include <QAction>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWheelEvent>

using editor_test::OpenEditor;
using sheet::Field;
using sheet::SheetFormat;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
};

Run run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        return {};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput())};
}

// The symbols zbarimg reads in an image, as sorted "TYPE:DIGITS" joined by blanks.
QString scan(const QString& imagePath)
{
    const Run r = run(QStringLiteral("zbarimg"), {QStringLiteral("-q"), imagePath});
    QStringList found = r.out.split(u'\n', Qt::SkipEmptyParts);
    found.sort();
    return found.join(u' ');
}

// The symbols read in one area of a printed page, given in millimetres from the printable area's
// top-left corner, cut out with a white margin all round.
QString scanArea(const QImage& paper, double dpi, const QPointF& originMm, const QRectF& areaMm, const QString& path)
{
    const double perMm = dpi / 25.4;
    const QRectF mm = areaMm.translated(originMm);
    const QRect px(qRound(mm.left() * perMm), qRound(mm.top() * perMm), qRound(mm.width() * perMm),
                   qRound(mm.height() * perMm));
    QImage cut(px.size() + QSize(200, 200), QImage::Format_RGB32);
    cut.fill(Qt::white);
    QPainter painter(&cut);
    painter.drawImage(QPoint(100, 100), paper.copy(px));
    painter.end();
    cut.save(path);
    return scan(path);
}

void requireTools()
{
    for (const char* tool : {"zbarimg", "pdftoppm", "pdfinfo"}) {
        ASSERT_FALSE(QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            << tool << " is missing (scripts/install-deps.sh installs it)";
    }
}

void fill(sheet::TagSheet& sheet, int tag, const char* jan, qint32 price)
{
    sheet::TagRecord& r = sheet.record(tag);
    r.jan = QString::fromLatin1(jan);
    r.maker = QStringLiteral("メーカー");
    r.productName = QStringLiteral("品名%1").arg(tag);
    r.spec = QStringLiteral("1個");
    r.price = price;
}

}  // namespace

TEST(EditorPreview, PrintingPutsRealBarcodesOnPaperWhileThePreviewKeepsThePlaceholder)
{
    requireTools();
    for (const SheetFormat* format : editor_test::kFormats) {
        SCOPED_TRACE(editor_test::formatName(*format).toStdString());
        OpenEditor e(*format);
        ASSERT_TRUE(e.activated);
        // Barcodes reach past their cell's right edge: the tags chosen have no right neighbour.
        fill(e.sheet(), 1, "4901234567894", 198);
        fill(e.sheet(), format->isLarge() ? 5 : 13, "49012347", 1980);
        fill(e.sheet(), format->tagsPerPage, "4512345678906", 19800);
        fill(e.sheet(), format->isLarge() ? 9 : 20, "490123456789", 5);  // twelve characters: no barcode
        e.w().showCurrentRecord();                                       // the boxes hold the records' values
        QTemporaryDir dir;
        e.dialogs.pdfPath = dir.filePath(QStringLiteral("page.pdf"));

        e.click(QStringLiteral("印刷"));

        EXPECT_EQ(e.dialogs.printerDialogs, 1);
        EXPECT_EQ(e.dialogs.layoutShown.pageSize().id(), QPageSize::A4);
        EXPECT_EQ(e.dialogs.layoutShown.orientation(), QPageLayout::Portrait);
        ASSERT_TRUE(QFile::exists(e.dialogs.pdfPath));
        EXPECT_TRUE(run(QStringLiteral("pdfinfo"), {e.dialogs.pdfPath}).out.contains(QStringLiteral("(A4)")));
        const int dpi = format->isLarge() ? 300 : 400;
        ASSERT_EQ(run(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"), e.dialogs.pdfPath,
                       dir.filePath(QStringLiteral("paper"))})
                      .exitCode,
                  0);
        const QString paperPath = dir.filePath(QStringLiteral("paper-1.png"));
        const QString expected = QStringLiteral("EAN-13:4512345678906 EAN-13:4901234567894 EAN-8:49012347");
        if (format->isLarge()) {
            EXPECT_EQ(scan(paperPath), expected);
        } else {
            // A small tag's frame is drawn less than a millimetre right of its symbol, inside the
            // quiet zone the decoder wants; each symbol is read from between the frame's sides.
            QImageReader reader(paperPath);
            reader.setAllocationLimit(1024);  // MB: an A4 page at 600 dpi is above the default
            const QImage paper = reader.read();
            ASSERT_FALSE(paper.isNull());
            const QPointF origin = e.dialogs.layoutPrinted.paintRect(QPageLayout::Millimeter).topLeft();
            QStringList found;
            for (int tag : {1, 13, 40}) {
                const sheet::CellOrigin cell = e.sheet().cellOrigin(tag);
                found << scanArea(paper, dpi, origin, QRectF(cell.xMm + 0.3, cell.yMm + 4, 31.4, 4.5),
                                  dir.filePath(QStringLiteral("tag%1.png").arg(tag)));
            }
            found.sort();
            EXPECT_EQ(found.join(u' '), expected);
        }

        // The preview, redrawn when the focus came back to Text1, shows no readable symbol.
        EXPECT_EQ(e.focused(), e.box(Field::jan));
        EXPECT_EQ(e.sheet().outputMode, sheet::OutputMode::preview);
        const QString previewPath = dir.filePath(QStringLiteral("preview.png"));
        ASSERT_TRUE(e.w().previewPage()->image().scaled(e.w().previewPage()->image().size() * 3).save(previewPath));
        EXPECT_EQ(scan(previewPath), QString());
        // ... but the placeholder's black lines where tag 1's code goes.
        const sheet::CellOrigin cell = e.sheet().cellOrigin(1);
        const double lineXMm = cell.xMm + (format->isLarge() ? 30 : 3);
        const double lineYMm = cell.yMm + (format->isLarge() ? 2 : 3.5) + 2;
        EXPECT_EQ(e.pagePixel(lineXMm, lineYMm), QColor(Qt::black));
    }
}

TEST(EditorPreview, ACancelledPrintLeavesThePreviewAsItWas)
{
    OpenEditor e(SheetFormat::small);
    ASSERT_TRUE(e.activated);
    fill(e.sheet(), 1, "4901234567894", 198);
    e.w().showCurrentRecord();
    e.click(QStringLiteral("プレビュー"));
    const QImage before = e.w().previewPage()->image();

    e.click(QStringLiteral("印刷"));
    EXPECT_EQ(e.dialogs.printerDialogs, 1);
    EXPECT_EQ(e.focused(), e.box(Field::jan));
    EXPECT_EQ(e.w().previewPage()->image(), before);

    // The menu entry is the same command.
    e.w().menuAction(QStringLiteral("P_印刷"))->trigger();
    EXPECT_EQ(e.dialogs.printerDialogs, 2);
    EXPECT_EQ(e.focused(), e.box(Field::jan));
    EXPECT_EQ(e.sheet().current, 1);
}

TEST(EditorPreview, PreviewButtonAndMenuEntryRedrawAndReturnToTheJanBox)
{
    OpenEditor e(SheetFormat::large);
    ASSERT_TRUE(e.activated);
    e.goTo(2);
    e.click(QStringLiteral("Text3"));
    e.type(QStringLiteral("なし"));
    e.w().menuAction(QStringLiteral("M_プレビュー"))->trigger();
    // The menu left the focus in Text3; the preview then took it to Text1, so Text3 was left.
    EXPECT_EQ(e.focused(), e.box(Field::jan));
    EXPECT_EQ(e.sheet().record(2).productName, QStringLiteral("なし"));
    EXPECT_EQ(e.sheet().current, 2);
    EXPECT_EQ(e.sheet().outputMode, sheet::OutputMode::preview);

    // The page shows the new tag (its red frame) beside the outlined current one.
    e.click(QStringLiteral("Cmdnext"));
    const sheet::CellOrigin cell = e.sheet().cellOrigin(2);
    EXPECT_EQ(e.pagePixel(cell.xMm, cell.yMm + 15), QColor(Qt::red));
    EXPECT_TRUE(e.outlined(3));
}

TEST(EditorPreview, OffsetButtonsMoveThePriceAndStayWithin16Bits)
{
    OpenEditor e(SheetFormat::large);
    ASSERT_TRUE(e.activated);
    fill(e.sheet(), 1, "", 980);
    e.w().showCurrentRecord();
    e.click(QStringLiteral("プレビュー"));
    const QImage before = e.w().previewPage()->image();
    for (int i = 0; i < 3; ++i) {
        e.click(QStringLiteral("右"));
    }
    e.click(QStringLiteral("上"));
    e.click(QStringLiteral("上"));
    EXPECT_EQ(e.sheet().printOffsetX, 3);
    EXPECT_EQ(e.sheet().printOffsetY, -2);
    EXPECT_NE(e.w().previewPage()->image(), before);
    EXPECT_EQ(e.focused(), e.box(Field::jan));
    e.click(QStringLiteral("左"));
    e.click(QStringLiteral("下"));
    EXPECT_EQ(e.sheet().printOffsetX, 2);
    EXPECT_EQ(e.sheet().printOffsetY, -1);

    e.sheet().printOffsetX = 32767;
    e.sheet().printOffsetY = -32768;
    e.click(QStringLiteral("右"));
    e.click(QStringLiteral("上"));
    EXPECT_EQ(e.sheet().printOffsetX, 32767);
    EXPECT_EQ(e.sheet().printOffsetY, -32768);
    e.click(QStringLiteral("左"));
    EXPECT_EQ(e.sheet().printOffsetX, 32766);
}

TEST(EditorPreview, ScrollSetupRounding)
{
    const struct {
        int page;
        int pane;
        desktop::ScrollSetup expected;
    } rows[] = {
        {16845, 5505, {11340, 1134, 113}},
        {1125 + 100, 100, {1125, 112, 11}},  // 112.5 -> 112, 11.2 -> 11
        {1155 + 100, 100, {1155, 116, 12}},  // 115.5 -> 116, 11.6 -> 12
        {100, 60, {40, 4, 1}},               // too small for the formulas: steps stay at 1
        {16845, 20000, {0, 1, 1}},           // the page fits the pane
        {400000, 0, {32767, 3277, 328}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(desktop::scrollSetup(row.page, row.pane), row.expected) << row.page << " " << row.pane;
    }
}

TEST(EditorPreview, TheWholePageCanBeScrolledIntoViewAtAnyWindowSize)
{
    OpenEditor e(SheetFormat::large);
    ASSERT_TRUE(e.activated);
    QScrollBar* bar = e.w().scrollBar();
    desktop::PreviewPage* page = e.w().previewPage();
    QWidget* visible = page->parentWidget();
    EXPECT_EQ(page->size(), QSize(794, 1123));

    auto bottomVisibleAtMax = [&] {
        bar->setValue(bar->maximum());
        const bool atBottom = page->y() + page->height() == visible->height();
        bar->setValue(0);
        return atBottom && page->y() == 0;
    };

    const QSize sizes[] = {e.w().size(), QSize(1000, 900), QSize(900, 700)};
    for (const QSize& size : sizes) {
        e.w().resize(size);
        QApplication::processEvents();
        // The pane ends inside the window, whose client area shows all of it.
        const QRect pane = e.w().previewFrame()->geometry();
        EXPECT_LE(pane.bottom(), e.w().centralWidget()->height() - 1) << size.height();
        EXPECT_EQ(bar->maximum(), (1123 - visible->height()) * 15) << size.height();
        EXPECT_GE(bar->singleStep(), 1);
        EXPECT_GE(bar->pageStep(), 1);
        EXPECT_TRUE(bottomVisibleAtMax()) << size.height();
        EXPECT_EQ(bar->geometry().left(), pane.right()) << size.height();
    }

    // A window taller than the page: nothing to scroll, the steps still at 1 or more.
    e.w().resize(900, 1400);
    QApplication::processEvents();
    if (visible->height() >= page->height()) {
        EXPECT_EQ(bar->maximum(), 0);
        EXPECT_EQ(bar->singleStep(), 1);
        EXPECT_EQ(bar->pageStep(), 1);
    }

    // The mouse wheel over the page scrolls it.
    e.w().resize(sizes[0]);
    QApplication::processEvents();
    bar->setValue(0);
    const QPoint at(50, 50);
    QWheelEvent wheel(at, page->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(e.w().previewFrame(), &wheel);
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(page->y(), -qRound(bar->value() / 15.0));
}

TEST(EditorPreview, StartUpState)
{
    for (const SheetFormat* format : editor_test::kFormats) {
        FakeDialogs dialogs;
        desktop::EditorWindow window(*format, dialogs);  // loaded, not shown
        const bool large = format->isLarge();
        EXPECT_EQ(window.windowTitle(),
                  large ? QStringLiteral("大きい棚札  無題") : QStringLiteral("小さい棚札  無題"));
        EXPECT_EQ(window.control<QLabel>(QStringLiteral("Label6"))->text(),
                  large ? QStringLiteral("1/24") : QStringLiteral("1/40"));
        EXPECT_EQ(window.control<QPushButton>(QStringLiteral("縁取"))->text(), QStringLiteral("カラーで縁取りする"));
        EXPECT_FALSE(window.control<QPushButton>(QStringLiteral("前候補"))->isEnabled());
        const QString nameLabel = large ? QStringLiteral("Label8") : QStringLiteral("Label9");
        const QString priceLabel = large ? QStringLiteral("Label9") : QStringLiteral("Label10");
        EXPECT_EQ(window.control<QLabel>(nameLabel)->text(), large ? QStringLiteral("ＭＳ 明朝") : QString());
        EXPECT_EQ(window.control<QLabel>(priceLabel)->text(), large ? QStringLiteral("ＭＳ 明朝") : QString());
        EXPECT_EQ(window.priceBox()->text(), QStringLiteral("0"));
        EXPECT_EQ(window.janBox()->text(), QString());
        EXPECT_EQ(window.sheet().priceFontSize, large ? 36 : 28);
        EXPECT_EQ(window.sheet().marginLeft, large ? 10 : 28);
        EXPECT_EQ(window.sheet().current, 1);
        EXPECT_EQ(window.previewPage()->size(), QSize(794, 1123));
        // The blank sheet: the grid around tag 1's cell, nothing in it, no header.
        const QImage& image = window.previewPage()->image();
        const double perMm = desktop::kScreenDpi / 25.4;
        bool gridLine = false;
        for (int dy = -2; dy <= 2; ++dy) {
            gridLine |= image.pixelColor(qRound(window.sheet().marginLeft * perMm) + 20, qRound(15 * perMm) + dy)
                != QColor(Qt::white);
        }
        EXPECT_TRUE(gridLine);
        EXPECT_EQ(image.pixelColor(qRound(20 * perMm), qRound(7 * perMm)), QColor(Qt::white));
    }
}
