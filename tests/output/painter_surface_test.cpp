#include "output/painter_surface.h"

#include "core/barcode/barcode.h"
#include "core/draw/draw_barcode.h"
#include "core/draw/text_extent.h"

#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPalette>
#include <QPdfWriter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using draw::Unit;
using output::PainterSurface;

namespace {

QImage imageAt(int widthPx, int heightPx, int dpi)
{
    QImage image(widthPx, heightPx, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    return image;
}

// Bounding box of every pixel that is not white.
QRect inkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) != 0xFFFFFF) {
                box = box.united(QRect(x, y, 1, 1));
            }
        }
    }
    return box;
}

int countPixels(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            n += (line[x] & 0xFFFFFF) == (colour & 0xFFFFFF) ? 1 : 0;
        }
    }
    return n;
}

// Ink box of "H" printed at the top-left corner (topMm, leftMm) in a 12 pt font.
QRect letterInk(int dpi, double leftMm, double topMm, bool underline = false)
{
    QImage image = imageAt(dpi * 2, dpi, dpi);
    {
        PainterSurface surface(image);
        surface.setUnit(Unit::millimetres);
        surface.setFontName(QStringLiteral("IPAGothic"));
        surface.setFontSize(12);
        surface.setFontUnderline(underline);
        surface.setCurrentPoint(leftMm, topMm);
        surface.print(QStringLiteral("H"));
    }
    return inkBox(image);
}

}  // namespace

TEST(PainterSurface, PixelFillCoversExactlyItsColumnsAndRows)
{
    QImage image = imageAt(60, 60, 96);
    {
        PainterSurface surface(image);
        EXPECT_DOUBLE_EQ(surface.twipsPerPixelX(), 15.0);
        surface.filled(10, 20, 7, 5, draw::kBlack);
        surface.filled(17, 20, 7, 5, draw::kRed);  // the next module: no gap, no overlap
    }
    EXPECT_EQ(inkBox(image), QRect(QPoint(10, 20), QPoint(23, 24)));
    EXPECT_EQ(countPixels(image, qRgb(0, 0, 0)), 35);
    EXPECT_EQ(countPixels(image, qRgb(255, 0, 0)), 35);
}

TEST(PainterSurface, MillimetresMapToDevicePixelsAndNeighboursTile)
{
    QImage image = imageAt(1200, 500, 600);
    {
        PainterSurface surface(image);
        surface.setUnit(Unit::millimetres);
        EXPECT_DOUBLE_EQ(surface.twipsPerPixelX(), 2.4);
        EXPECT_DOUBLE_EQ(surface.twipsPerPixelY(), 2.4);
        surface.filled(10, 10, 35, 7, draw::kBlack);
    }
    // 10 mm = 236.2 px, 45 mm = 1062.99 px, 17 mm = 401.57 px.
    EXPECT_EQ(inkBox(image), QRect(QPoint(236, 236), QPoint(1062, 401)));

    // Strips 0.17 mm wide in alternating colours leave no white column between them.
    QImage strips = imageAt(600, 20, 600);
    {
        PainterSurface surface(strips);
        surface.setUnit(Unit::millimetres);
        for (int k = 0; k < 100; ++k) {
            surface.filled(1 + k * 0.17, 0, 0.17, 0.5, k % 2 ? draw::kRed : draw::kBlack);
        }
    }
    const QRect box = inkBox(strips);
    EXPECT_EQ(box.left(), 24);    // 1 mm
    EXPECT_EQ(box.right(), 424);  // 18 mm = 425.2 px, exclusive
    for (int x = box.left(); x <= box.right(); ++x) {
        EXPECT_NE(strips.pixel(x, 5) & 0xFFFFFF, 0xFFFFFFu) << "column " << x;
    }
}

TEST(PainterSurface, OutlineAndLineUseDevicePixelPenWidths)
{
    QImage image = imageAt(400, 400, 600);
    {
        PainterSurface surface(image);
        surface.outline(10, 10, 20, 30, draw::kBlack);
    }
    EXPECT_EQ(inkBox(image), QRect(QPoint(10, 10), QPoint(30, 40)));
    EXPECT_EQ(countPixels(image, qRgb(0, 0, 0)), 2 * 21 + 2 * 29);

    QImage lines = imageAt(400, 400, 600);
    {
        PainterSurface surface(lines);
        surface.setUnit(Unit::millimetres);
        surface.setDrawWidth(3);
        surface.line(2, 5, 10, 0, draw::kBlue);  // y = 118.1 px
    }
    const QRect box = inkBox(lines);
    EXPECT_EQ(box.height(), 3);
    EXPECT_GE(box.top(), 116);
    EXPECT_LE(box.bottom(), 120);
    EXPECT_NEAR(box.left(), 47, 2);    // 2 mm
    EXPECT_NEAR(box.right(), 283, 2);  // 12 mm
}

TEST(PainterSurface, FontsHaveTheirPhysicalSizeAndHangFromTheCurrentPoint)
{
    const QRect at96 = letterInk(96, 10, 10);
    const QRect at600 = letterInk(600, 10, 10);
    ASSERT_FALSE(at96.isEmpty());
    ASSERT_FALSE(at600.isEmpty());
    // A 12 pt capital is about 0.7 of 1/6 inch: some 11 px at 96 dpi and 70 px at 600.
    EXPECT_NEAR(at600.height(), 70, 12);
    EXPECT_NEAR(double(at600.height()) / at96.height(), 600.0 / 96.0, 0.8);
    // The top-left of the character cell is at (10 mm, 10 mm) = (236.2, 236.2) px: the capital's
    // ink lies below it and within one line height of it.
    EXPECT_GE(at600.top(), 236);
    EXPECT_LT(at600.bottom(), 236 + 100);
    EXPECT_GE(at600.left(), 236);
    EXPECT_LT(at600.left(), 236 + 20);

    const QRect underlined = letterInk(600, 10, 10, true);
    EXPECT_GT(underlined.bottom(), at600.bottom());
}

// A text drawn narrower keeps its top-left corner and height and takes that share of its width,
// its underline too, and inks inside the boxes the page drawing keeps clear for it.
TEST(PainterSurface, NarrowerTextIsSqueezedAcrossAboutItsCorner)
{
    const int dpi = 600;
    const auto drawn = [](int stretchPercent, bool underline) {
        QImage image = imageAt(dpi * 2, dpi / 2, dpi);
        PainterSurface surface(image);
        surface.setUnit(Unit::millimetres);
        surface.setFont({QStringLiteral("ＭＳ 明朝"), 9, false, false, underline, stretchPercent});
        surface.setForeColor(draw::kBlue);
        surface.setCurrentPoint(2, 3);
        surface.print(QStringLiteral("1パック"));
        surface.end();
        return inkBox(image);
    };
    for (const bool underline : {false, true}) {
        SCOPED_TRACE(underline ? "underlined" : "plain");
        const QRect full = drawn(100, underline);
        for (const int stretch : {90, 61}) {
            const QRect narrow = drawn(stretch, underline);
            EXPECT_NEAR(narrow.left() - 2 * dpi / 25.4, (full.left() - 2 * dpi / 25.4) * stretch / 100.0, 1.5);
            EXPECT_NEAR(narrow.width(), full.width() * stretch / 100.0, 2);
            EXPECT_EQ(narrow.top(), full.top());
            EXPECT_EQ(narrow.bottom(), full.bottom());
            const draw::FontSpec spec {QStringLiteral("ＭＳ 明朝"), 9, false, false, underline, stretch};
            QRectF room;
            for (const draw::BoxMm& b : draw::glyphInkBoxes(spec, 2, 3, QStringLiteral("1パック"))) {
                room |= QRectF(QPointF(b.left, b.top) * dpi / 25.4, QPointF(b.right, b.bottom) * dpi / 25.4);
            }
            EXPECT_TRUE(room.adjusted(-1, -1, 1, 1).contains(QRectF(narrow))) << stretch;
        }
    }
}

TEST(PainterSurface, TextLooksAsThePainterDrawsItEveryTime)
{
    // The surface keeps the layouts of the texts it draws; a text drawn again, on this surface or
    // on a later one, must come out as the painter itself draws it.
    const QString face = QString::fromUtf8("ＭＳ 明朝");
    const QString text = QString::fromUtf8("特選みかんジュース 1,980円 abc");
    for (const int dpi : {96, 600}) {
        QFont font(face);
        font.setPointSizeF(9);
        font.setBold(true);
        const double leftPx = 2.5 * dpi / 25.4;
        const double topPx = 1.5 * dpi / 25.4;
        // The text drawn once, and twice at the same place (antialiased edges darken).
        QImage references[2] = {imageAt(dpi * 5, dpi / 2, dpi), imageAt(dpi * 5, dpi / 2, dpi)};
        for (int times = 1; times <= 2; ++times) {
            QPainter painter(&references[times - 1]);
            painter.setFont(font);
            painter.setPen(QColor(0, 0, 255));
            for (int i = 0; i < times; ++i) {
                painter.drawText(QPointF(leftPx, topPx + QFontMetricsF(font, &references[0]).ascent()), text);
            }
        }
        for (int pass = 0; pass < 3; ++pass) {
            QImage image = imageAt(dpi * 5, dpi / 2, dpi);
            {
                PainterSurface surface(image);
                surface.setUnit(Unit::millimetres);
                surface.setFontName(face);
                surface.setFontSize(9);
                surface.setFontBold(true);
                surface.setForeColor(draw::kBlue);
                surface.setCurrentPoint(2.5, 1.5);
                surface.print(text);
                if (pass == 2) {
                    surface.print(text);  // the same place again, on the same surface
                }
            }
            EXPECT_EQ(image, references[pass == 2 ? 1 : 0]) << dpi << " dpi, pass " << pass;
        }
    }
}

TEST(PainterSurface, ColoursAreBlueGreenRedWithTheButtonFaceFromThePalette)
{
    EXPECT_EQ(PainterSurface::toQColor(0x00336699), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(PainterSurface::toQColor(draw::kBlue), QColor(0, 0, 255));
    EXPECT_EQ(PainterSurface::toQColor(draw::kButtonFace),
              QGuiApplication::palette().color(QPalette::Active, QPalette::Button));

    QImage image = imageAt(20, 20, 96);
    {
        PainterSurface surface(image);
        surface.filled(0, 0, 5, 5, draw::kButtonFace);
    }
    EXPECT_EQ(image.pixelColor(2, 2), QGuiApplication::palette().color(QPalette::Active, QPalette::Button));
}

TEST(PainterSurface, ClsFillsTheWholeDeviceWithTheBackground)
{
    QImage image = imageAt(30, 20, 96);
    image.fill(Qt::black);
    PainterSurface surface(image);
    surface.cls();
    surface.setBackground(QColor(255, 255, 0));
    surface.filled(0, 0, 3, 3, draw::kBlack);
    surface.cls();
    surface.end();
    EXPECT_EQ(countPixels(image, qRgb(255, 255, 0)), 30 * 20);
}

TEST(PainterSurface, DrawsThroughTheCallersPainterAtTheGivenResolution)
{
    QImage image = imageAt(600, 400, 96);
    QPainter painter(&image);
    {
        PainterSurface surface(painter, 600, 600);
        EXPECT_DOUBLE_EQ(surface.twipsPerPixelX(), 2.4);
        surface.setUnit(Unit::millimetres);
        surface.filled(10, 1, 1, 1, draw::kBlack);
        surface.setFontName(QStringLiteral("IPAGothic"));
        surface.setFontSize(12);
        surface.setCurrentPoint(1, 4);
        surface.print(QStringLiteral("H"));
    }
    EXPECT_TRUE(painter.isActive());  // the caller's painter is left to the caller
    painter.end();
    EXPECT_EQ(image.pixelColor(236, 24), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(235, 24), QColor(Qt::white));
    // The capital is sized for 600 dpi although the image says 96.
    const QRect letter = inkBox(image.copy(0, 60, 200, 300));
    EXPECT_NEAR(letter.height(), 70, 12);
}

TEST(PainterSurface, EndFinishesAPrintersDocument)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("page.pdf"));
    const auto finishedPdf = [&path] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return false;
        }
        const QByteArray pdf = file.readAll();
        return pdf.startsWith("%PDF") && pdf.trimmed().endsWith("%%EOF");
    };

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setResolution(600);
    PainterSurface surface(printer);
    EXPECT_DOUBLE_EQ(surface.twipsPerPixelX(), 2.4);
    EXPECT_DOUBLE_EQ(surface.twipsPerPixelY(), 2.4);
    surface.setUnit(Unit::millimetres);
    surface.filled(10, 10, 20, 5, draw::kBlack);
    EXPECT_FALSE(finishedPdf());
    surface.end();
    EXPECT_TRUE(finishedPdf());
    EXPECT_FALSE(surface.isActive());
}

TEST(PainterSurface, DrawingAfterEndLeavesTheDeviceAlone)
{
    QImage image = imageAt(20, 20, 96);
    PainterSurface surface(image);
    surface.end();
    EXPECT_FALSE(surface.isActive());
    surface.filled(0, 0, 10, 10, draw::kBlack);
    surface.line(0, 0, 10, 10, draw::kBlack);
    surface.print(QStringLiteral("x"));
    surface.cls();
    EXPECT_TRUE(inkBox(image).isEmpty());
}

TEST(PainterSurface, TextOnAPdfLooksAsThePainterDrawsItOnEveryPage)
{
    // On a PDF the surface hands the painter texts it shaped once; every page must show what the
    // painter draws from the text itself, and the text stays searchable.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        const char* face;
        bool bold;
        const char* text;
    } rows[] = {
        {"ＭＳ 明朝", true, "特選みかんジュース 1,980円 abc"},
        {"ＭＳ Ｐゴシック", false, "  前後に空白  "},
        {"ＭＳ 明朝", false, "4901234567894"},
    };
    constexpr int kDpi = 300;
    int index = 0;
    for (const auto& row : rows) {
        const QString face = QString::fromUtf8(row.face);
        const QString text = QString::fromUtf8(row.text);
        const QString pdf = dir.filePath(QStringLiteral("text-%1.pdf").arg(index++));
        {
            QPdfWriter writer(pdf);
            writer.setResolution(kDpi);
            QPainter painter(&writer);
            QFont font(face);
            font.setPointSizeF(12);
            font.setBold(row.bold);
            painter.setFont(font);
            painter.setPen(QColor(255, 0, 0));
            painter.drawText(QPointF(100, 100 + QFontMetricsF(font, &writer).ascent()), text);
            for (int page = 0; page < 2; ++page) {  // shaped on the first page, reused on the second
                writer.newPage();
                PainterSurface surface(painter, kDpi, kDpi);
                surface.setUnit(Unit::pixels);
                surface.setFontName(face);
                surface.setFontSize(12);
                surface.setFontBold(row.bold);
                surface.setForeColor(draw::kRed);
                surface.setCurrentPoint(100, 100);
                surface.print(text);
            }
        }
        QProcess raster;
        raster.start(
            QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"), pdf, pdf + QStringLiteral(".page")});
        ASSERT_TRUE(raster.waitForFinished(60000) && raster.exitCode() == 0) << "pdftoppm failed";
        const QImage reference(pdf + QStringLiteral(".page-1.png"));
        ASSERT_FALSE(reference.isNull());
        EXPECT_FALSE(inkBox(reference).isEmpty()) << row.text;
        EXPECT_EQ(QImage(pdf + QStringLiteral(".page-2.png")), reference) << row.text;
        EXPECT_EQ(QImage(pdf + QStringLiteral(".page-3.png")), reference) << row.text;

        QProcess extract;
        extract.start(QStringLiteral("pdftotext"),
                      {QStringLiteral("-f"), QStringLiteral("3"), pdf, QStringLiteral("-")});
        ASSERT_TRUE(extract.waitForFinished(60000));
        EXPECT_EQ(QString::fromUtf8(extract.readAllStandardOutput()).simplified(), text.simplified());
    }
}

TEST(PainterSurface, BarcodeFillsOnAPdfCoverWhatTheyCoverOnAnImage)
{
    // On a PDF, neighbouring fills of one colour reach the painter joined; the page must still
    // show every module where an image shows it, with other drawing in between kept in order.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    constexpr int kDpi = 200;
    const auto draw = [](PainterSurface& surface) {
        surface.setUnit(Unit::millimetres);
        draw::drawJanBarcode(surface, QStringLiteral("4901234567894"), 5, 5, 45, 15);
        surface.filled(5, 10, 20, 1, draw::kRed);  // over the bars: drawn after them
        draw::drawJanBarcode(surface, QStringLiteral("12345670"), 5, 20, 35, 28);
        surface.filled(10, 24, 10, 2, draw::kWhite);
        surface.filled(20, 24, 10, 2, draw::kWhite);
    };
    QImage expected = imageAt(50 * kDpi / 25, 32 * kDpi / 25, kDpi);
    {
        PainterSurface surface(expected);
        draw(surface);
    }
    const QString pdf = dir.filePath(QStringLiteral("fills.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setResolution(kDpi);
        writer.setPageSize(QPageSize(QSizeF(50, 32), QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        PainterSurface surface(writer);
        draw(surface);
    }
    QProcess raster;
    raster.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-aa"), QStringLiteral("no"),
                  QStringLiteral("-aaVector"), QStringLiteral("no"), QStringLiteral("-png"),
                  QStringLiteral("-singlefile"), pdf, pdf});
    ASSERT_TRUE(raster.waitForFinished(60000) && raster.exitCode() == 0) << "pdftoppm failed";
    const QImage page = QImage(pdf + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(page.isNull());
    const QRect area = expected.rect().intersected(page.rect());
    ASSERT_GT(area.width(), 350);
    int differing = 0;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            differing += (expected.pixel(x, y) & 0xFFFFFF) != (page.pixel(x, y) & 0xFFFFFF) ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(countPixels(page, qRgb(255, 0, 0)), 0);
}
