// A PDF marked to print at actual size (PrintScaling None), in place; what is not a whole PDF is
// left as it was.

#include "output/pdf_print_scaling.h"

#include "support/file_bytes.h"
#include "support/printed_page_checks.h"

#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray qtPdf(const QString& path)
{
    {
        QPdfWriter writer(path);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        painter.drawText(100, 100, QStringLiteral("棚札"));
    }
    return test_support::fileBytes(path);
}

TEST(PdfPrintScaling, MarksAFileInPlace)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.pdf"));
    qtPdf(path);
    ASSERT_FALSE(printed::asksForActualSize(path)) << "Qt's writer now sets it itself; the check proves nothing";
    QString error;
    ASSERT_TRUE(output::setPrintScalingNone(path, error)) << error.toStdString();
    EXPECT_TRUE(printed::asksForActualSize(path)) << printed::pdfCatalogue(path).toStdString();
    EXPECT_EQ(printed::run(QStringLiteral("qpdf"), {QStringLiteral("--check"), path}).exitCode, 0);
    // Marking it again keeps it whole and marked.
    ASSERT_TRUE(output::setPrintScalingNone(path, error)) << error.toStdString();
    EXPECT_TRUE(printed::asksForActualSize(path));
    EXPECT_EQ(printed::run(QStringLiteral("qpdf"), {QStringLiteral("--check"), path}).exitCode, 0);
}

TEST(PdfPrintScaling, LeavesWhatIsNotAPdfAsItWas)
{
    QTemporaryDir dir;
    const struct {
        const char* name;
        QByteArray bytes;
    } rows[] = {
        {"text", "not a PDF at all\n"},
        {"empty", ""},
        {"cut short", qtPdf(dir.filePath(QStringLiteral("whole.pdf"))).left(300)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir.filePath(QStringLiteral("bad.pdf"));
        ASSERT_TRUE(test_support::writeFileBytes(path, row.bytes));
        QString error;
        EXPECT_FALSE(output::setPrintScalingNone(path, error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(test_support::fileBytes(path), row.bytes);
    }
    QString error;
    EXPECT_FALSE(output::setPrintScalingNone(dir.filePath(QStringLiteral("missing.pdf")), error));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing.pdf"))));
}

}  // namespace
