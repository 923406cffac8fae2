// tanafuda-render's calibration options and its PDFs at actual size, run as a user runs it.
#include "core/files/sheet_file.h"
#include "support/printed_page_checks.h"
#include "support/qt_print.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using calibration::Calibration;

namespace {

constexpr int kDpi = 300;

printed::Run render(const QStringList& args)
{
    return printed::run(QStringLiteral(TANAFUDA_BINARY_DIR "/tools/tanafuda-render"), args);
}

class RenderCalibration : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        sheetPath = dir.filePath(QStringLiteral("coded.csv"));
        sheet = printed::codedSheet(codes);
        ASSERT_TRUE(files::writeSheetFile(sheet, sheetPath).ok);
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    QString sheetPath;
    sheet::TagSheet sheet {sheet::SheetFormat::large};
    QStringList codes;
};

TEST_F(RenderCalibration, RefusesWhatIsNotACalibration)
{
    const struct {
        QStringList args;
        const char* says;
    } rows[] = {
        {{QStringLiteral("--calibration"), QStringLiteral("1,2,100")}, "four numbers"},
        {{QStringLiteral("--calibration"), QStringLiteral("21,0,100,100")}, "within"},
        {{QStringLiteral("--calibration"), QStringLiteral("0,0,100,89")}, "within"},
        {{QStringLiteral("--calibration"), QStringLiteral("0,0,100,100"), QStringLiteral("--no-calibration")},
         "choose one"},
        {{QStringLiteral("--calibration"), QStringLiteral("1,1,100,100"), QStringLiteral("--ops")}, "go with"},
        {{QStringLiteral("--no-calibration"), QStringLiteral("--list")}, "go with"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.join(u' ').toStdString());
        QStringList args {sheetPath, QStringLiteral("-o"), path(QStringLiteral("out.pdf"))};
        if (row.args.contains(QStringLiteral("--ops")) || row.args.contains(QStringLiteral("--list"))) {
            args = QStringList {sheetPath};
        }
        const printed::Run r = render(args + row.args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.says))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("out.pdf"))));
    }
}

// A page made for a given printer: every barcode moved and scaled as the calibration says, still
// read by a scanner; a PDF asks viewers to print it at actual size, calibrated or not.
TEST_F(RenderCalibration, AppliesAGivenCalibrationToPdfAndPng)
{
    const QString plain = path(QStringLiteral("plain.pdf"));
    ASSERT_EQ(render({sheetPath, QStringLiteral("-o"), plain}).exitCode, 0);
    EXPECT_TRUE(printed::asksForActualSize(plain)) << printed::pdfCatalogue(plain).toStdString();
    // The bars snap to the device's pixels: pages are compared at one resolution.
    const QImage drawnPdf = printed::pageImage(plain, path(QStringLiteral("plain")), kDpi);
    ASSERT_EQ(render({sheetPath, QStringLiteral("-o"), path(QStringLiteral("plain.png")), QStringLiteral("--dpi"),
                      QString::number(kDpi)})
                  .exitCode,
              0);
    const QImage drawnPng = QImage(path(QStringLiteral("plain.png"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(drawnPdf.isNull());
    ASSERT_FALSE(drawnPng.isNull());

    const struct {
        const char* suffix;
        Calibration c;
    } rows[] = {
        {"pdf", {1.5, -2.25, 100, 100}},
        {"pdf", {-1, 3, 99, 101.5}},
        {"png", {2, 1, 101, 99.5}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(QStringLiteral("%1 %2")
                         .arg(QString::fromLatin1(row.suffix), calibration::formatCalibration(row.c))
                         .toStdString());
        const QString out = path(QStringLiteral("calibrated.") + QString::fromLatin1(row.suffix));
        const bool pdf = QLatin1String(row.suffix) == QLatin1String("pdf");
        QStringList args {sheetPath, QStringLiteral("-o"), out, QStringLiteral("--calibration"),
                          calibration::formatCalibration(row.c)};
        if (!pdf) {
            args << QStringLiteral("--dpi") << QString::number(kDpi);
        }
        const printed::Run r = render(args);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        QImage paper;
        const QImage& drawn = pdf ? drawnPdf : drawnPng;
        if (pdf) {
            EXPECT_TRUE(printed::asksForActualSize(out));
            paper = printed::pageImage(out, path(QStringLiteral("calibrated")), kDpi);
        } else {
            paper = QImage(out).convertToFormat(QImage::Format_RGB32);
        }
        ASSERT_FALSE(paper.isNull());
        for (int row8 = 0; row8 < 8; ++row8) {
            const int tag = 1 + row8 * 3;
            SCOPED_TRACE(tag);
            const std::optional<printed::Mm> want = printed::barsCentre(drawn, kDpi, sheet, tag, {});
            const std::optional<printed::Mm> got = printed::barsCentre(paper, kDpi, sheet, tag, row.c);
            ASSERT_TRUE(want && got);
            const calibration::PointMm expected = row.c.apply({want->x, want->y});
            EXPECT_NEAR(got->x, expected.x, 0.1);
            EXPECT_NEAR(got->y, expected.y, 0.1);
        }
    }
    EXPECT_EQ(printed::scanned(path(QStringLiteral("calibrated.pdf")), path(QStringLiteral("scan"))), codes);
}

}  // namespace

namespace {

// A document of several sheets: every page moved alike, the document marked for actual size.
TEST_F(RenderCalibration, MovesEveryPageOfADocument)
{
    const QString second = path(QStringLiteral("second.csv"));
    ASSERT_TRUE(QFile::copy(sheetPath, second));
    const QString plain = path(QStringLiteral("plain.pdf"));
    const QString moved = path(QStringLiteral("moved.pdf"));
    const Calibration c {-2.5, 1.75, 100, 100};
    ASSERT_EQ(render({sheetPath, second, QStringLiteral("-o"), plain}).exitCode, 0);
    ASSERT_EQ(render({sheetPath, second, QStringLiteral("-o"), moved, QStringLiteral("--calibration"),
                      calibration::formatCalibration(c)})
                  .exitCode,
              0);
    EXPECT_TRUE(printed::asksForActualSize(plain));
    EXPECT_TRUE(printed::asksForActualSize(moved));
    for (const int page : {1, 2}) {
        SCOPED_TRACE(page);
        const auto image = [&](const QString& pdf, const QString& base) {
            printed::run(QStringLiteral("pdftoppm"),
                         {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-png"),
                          QStringLiteral("-singlefile"), QStringLiteral("-f"), QString::number(page),
                          QStringLiteral("-l"), QString::number(page), pdf, path(base)});
            return QImage(path(base) + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
        };
        const QImage drawn = image(plain, QStringLiteral("p"));
        const QImage paper = image(moved, QStringLiteral("m"));
        const std::optional<printed::Mm> want = printed::barsCentre(drawn, kDpi, sheet, 1, {});
        const std::optional<printed::Mm> got = printed::barsCentre(paper, kDpi, sheet, 1, c);
        ASSERT_TRUE(want && got);
        EXPECT_NEAR(got->x, want->x - 2.5, 0.1);
        EXPECT_NEAR(got->y, want->y + 1.75, 0.1);
    }
}

}  // namespace
