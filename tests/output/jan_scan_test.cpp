// Barcodes drawn through the painter surface, at the sizes and the resolution of the printed
// page, must be read back by an independent decoder (zbarimg) as exactly the numbers meant.
#include "core/barcode/barcode.h"
#include "core/draw/draw_barcode.h"
#include "output/painter_surface.h"

#include <QImage>
#include <QPageSize>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

using draw::Unit;
using output::PainterSurface;

namespace {

constexpr int kDpi = 600;

struct Sample {
    const char* code;      // the tag's JAN text
    const char* expected;  // what a scanner must read, or nullptr when nothing may be drawn
};

// Full numbers worked out by hand with the modulo-10 rule, one or more per leading digit.
constexpr Sample kSamples[] = {
    {"0123456789012", "EAN-13:0123456789012"},
    {"036000291452", "EAN-13:0360002914522"},  // twelve digits: check digit added
    {"0000000000000", "EAN-13:0000000000000"},
    {"1234567890128", "EAN-13:1234567890128"},
    {"2000000000015", "EAN-13:2000000000015"},
    {"312345678901", "EAN-13:3123456789019"},
    {"4006381333931", "EAN-13:4006381333931"},
    {"490123456789", "EAN-13:4901234567894"},
    {"4512345678906", "EAN-13:4512345678906"},
    {"5901234123457", "EAN-13:5901234123457"},
    {"6141410000038", "EAN-13:6141410000038"},
    {"7350000000009", "EAN-13:7350000000009"},
    {"7612345678900", "EAN-13:7612345678900"},
    {"8712345678906", "EAN-13:8712345678906"},
    {"890123456789", "EAN-13:8901234567890"},
    {"9780201379624", "EAN-13:9780201379624"},
    {"999999999999", "EAN-13:9999999999994"},
    {"", "EAN-8:00000000"},
    {"12345670", "EAN-8:12345670"},
    {"96385074", "EAN-8:96385074"},
    {"4912345", "EAN-8:49123456"},
    {"55123457", "EAN-8:55123457"},
    {"123", "EAN-8:00001236"},
    {"76543210", "EAN-8:76543210"},
    // Nothing may appear for these.
    {"4901234567890", nullptr},
    {"12345678", nullptr},
    {"49012345678a4", nullptr},
};
constexpr int kSampleCount = sizeof(kSamples) / sizeof(kSamples[0]);

// Each size of barcode area gets an image (or a PDF page) of its own, since the decoder reports
// a number found twice in one image only once: the area of the large tag (35 x 7 mm) and that of
// the small tag (34.5 x 5.5 mm), in a grid with white space all round.
struct Area {
    double widthMm;
    double heightMm;
};
constexpr Area kAreas[] = {{35, 7}, {34.5, 5.5}};

constexpr double kCellWidthMm = 45;
constexpr double kCellHeightMm = 10;
constexpr int kColumns = 3;
constexpr int kRows = (kSampleCount + kColumns - 1) / kColumns;
constexpr double kGridWidthMm = kCellWidthMm * kColumns;
constexpr double kGridHeightMm = kCellHeightMm * kRows;

int gridPx(double mm)
{
    return qCeil(mm * kDpi / 25.4);
}

void drawGrid(PainterSurface& surface, const Area& area)
{
    surface.setUnit(Unit::millimetres);
    surface.cls();
    for (int i = 0; i < kSampleCount; ++i) {
        const double left = (i % kColumns) * kCellWidthMm + 5;
        const double top = (i / kColumns) * kCellHeightMm + 1.5;
        const barcode::JanStatus result = draw::drawJanBarcode(surface, QString::fromLatin1(kSamples[i].code), left,
                                                               top, left + area.widthMm, top + area.heightMm);
        EXPECT_EQ(result == barcode::JanStatus::ok, kSamples[i].expected != nullptr) << kSamples[i].code;
    }
}

std::string expectedReads()
{
    QStringList reads;
    for (const Sample& sample : kSamples) {
        if (sample.expected != nullptr) {
            reads << QString::fromLatin1(sample.expected);
        }
    }
    reads.sort();
    return reads.join(u' ').toStdString();
}

// Runs a program to its end; its standard output, or a failure with its error output.
testing::AssertionResult run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        return testing::AssertionFailure() << program.toStdString() << " did not finish";
    }
    if (output != nullptr) {
        *output = process.readAllStandardOutput();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return testing::AssertionFailure() << program.toStdString() << " failed with " << process.exitCode() << ": "
                                           << process.readAllStandardError().toStdString();
    }
    return testing::AssertionSuccess();
}

// Every symbol zbarimg finds in `imagePath`, as "TYPE:DIGITS", sorted and joined by blanks.
std::string scan(const QString& imagePath)
{
    QByteArray output;
    EXPECT_TRUE(run(QStringLiteral("zbarimg"),
                    {QStringLiteral("--nodbus"), QStringLiteral("-q"), QStringLiteral("-Sdisable"),
                     QStringLiteral("-Sean13.enable"), QStringLiteral("-Sean8.enable"), imagePath},
                    &output));
    QStringList reads = QString::fromLatin1(output).split(u'\n', Qt::SkipEmptyParts);
    reads.sort();
    return reads.join(u' ').toStdString();
}

class JanScan : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"zbarimg", "pdftoppm"}) {
            ASSERT_FALSE(QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                << tool << " is missing: run scripts/install-deps.sh";
        }
        ASSERT_TRUE(dir_.isValid());
    }

    QTemporaryDir dir_;
};

}  // namespace

TEST_F(JanScan, SymbolsDrawnOnAnImageAt600DpiReadBackExactly)
{
    for (const Area& area : kAreas) {
        QImage image(gridPx(kGridWidthMm), gridPx(kGridHeightMm), QImage::Format_Grayscale8);
        image.setDotsPerMeterX(qRound(kDpi / 0.0254));
        image.setDotsPerMeterY(qRound(kDpi / 0.0254));
        {
            PainterSurface surface(image);
            ASSERT_DOUBLE_EQ(surface.twipsPerPixelX(), 2.4);
            drawGrid(surface, area);
        }
        const QString path = dir_.filePath(QStringLiteral("symbols-%1.png").arg(area.widthMm));
        ASSERT_TRUE(image.save(path));
        EXPECT_EQ(scan(path), expectedReads()) << area.widthMm << " x " << area.heightMm << " mm";
    }
}

TEST_F(JanScan, SymbolsPrintedToAPdfReadBackExactly)
{
    const QString pdfPath = dir_.filePath(QStringLiteral("symbols.pdf"));
    {
        QPdfWriter pdf(pdfPath);
        pdf.setResolution(kDpi);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        PainterSurface surface(pdf);
        ASSERT_TRUE(surface.isActive());
        drawGrid(surface, kAreas[0]);
        pdf.newPage();
        drawGrid(surface, kAreas[1]);
        surface.end();
    }

    // Rasterise only the part of each page that holds the grid: page-1.png, page-2.png.
    const QString prefix = dir_.filePath(QStringLiteral("page"));
    ASSERT_TRUE(run(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"), QStringLiteral("-png"),
                     QStringLiteral("-x"), QStringLiteral("0"), QStringLiteral("-y"), QStringLiteral("0"),
                     QStringLiteral("-W"), QString::number(gridPx(kGridWidthMm)), QStringLiteral("-H"),
                     QString::number(gridPx(kGridHeightMm)), pdfPath, prefix}));
    for (int page = 1; page <= 2; ++page) {
        const Area& area = kAreas[page - 1];
        EXPECT_EQ(scan(prefix + QStringLiteral("-%1.png").arg(page)), expectedReads())
            << area.widthMm << " x " << area.heightMm << " mm";
    }
}
