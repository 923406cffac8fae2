// The document drawing shared by the renderer and the import: page file names, SVG clean-up,
// texts cut for drawing, and pages drawn in order.
#include "core/draw/tag_extras.h"
#include "core/jobs/tag_page.h"
#include "output/sheet_document.h"
#include "output/tag_sheet_printing.h"
#include "support/barcode_readback.h"
#include "support/qt_print.h"
#include "support/tag_text_sheets.h"

#include <QFile>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

bool parses(const QByteArray& xml)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
    }
    return !reader.hasError();
}

}  // namespace

TEST(SheetDocument, PageFilesAreNumberedBeforeTheExtension)
{
    const struct {
        const char* path;
        int index;
        int count;
        const char* expected;
    } rows[] = {
        {"tags.png", 0, 1, "tags.png"},
        {"tags.png", 0, 3, "tags-001.png"},
        {"tags.png", 2, 3, "tags-003.png"},
        {"/out/v1.2/tags.svg", 9, 12, "/out/v1.2/tags-010.svg"},
        {"/out/v1.2/tags", 0, 2, "/out/v1.2/tags-001"},
        {"/out/.svg", 1, 2, "/out/.svg-002"},
        {"a.b.png", 999, 1000, "a.b-1000.png"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(output::numberedPagePath(QString::fromUtf8(row.path), row.index, row.count),
                  QString::fromUtf8(row.expected))
            << row.path << " " << row.index;
    }
}

TEST(SheetDocument, SvgTitleIsEscapedAndForbiddenCharactersDropped)
{
    const QByteArray head
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><svg><title>tanafuda-page-title-0f3c9a</title><text>";
    const struct {
        QByteArray body;
        QString title;
        QByteArray expectedTitle;
        QByteArray expectedBody;
    } rows[] = {
        {"ok", QStringLiteral("FileName  /a&b/<c>\"d'"), "FileName  /a&amp;b/&lt;c&gt;&quot;d&apos;", "ok"},
        {QByteArray("a\x01"
                    "b\x1f"
                    "c\td",
                    8),
         QStringLiteral("x\ny\x01z"), "xyz",
         "ab"
         "c\td"},
        {"\xEF\xBF\xBE"
         "e\xEF\xBF\xBF",
         QStringLiteral("商店"), "商店", "e"},
    };
    for (const auto& row : rows) {
        const QByteArray svg = head + row.body + "</text></svg>";
        const QByteArray out = output::wellFormedSvg(svg, row.title);
        EXPECT_TRUE(parses(out)) << out.toStdString();
        EXPECT_TRUE(out.contains("<title>" + row.expectedTitle + "</title>")) << out.toStdString();
        EXPECT_TRUE(out.contains("<text>" + row.expectedBody + "</text>")) << out.toStdString();
    }
}

TEST(SheetDocument, TextsAreCutForDrawingOnly)
{
    sheet::TagSheet s(sheet::SheetFormat::small);
    s.record(1).productName = QString(1000, u'a');
    s.record(2).productName2 = QString(255, u'b') + QString::fromUtf16(u"\U0001F600");  // a pair across the cut
    s.record(3).lot = QString(256, u'c');
    s.fileName = QString(300, u'f');
    const sheet::TagSheet cut = output::cutToDrawable(s);
    EXPECT_EQ(cut.record(1).productName, QString(256, u'a'));
    EXPECT_EQ(cut.record(2).productName2, QString(255, u'b'));
    EXPECT_EQ(cut.record(3).lot, s.record(3).lot);
    EXPECT_EQ(cut.fileName, s.fileName);
    EXPECT_EQ(s.record(1).productName.size(), 1000);
}

TEST(SheetDocument, PageImagesComeInOrderAndAFailingSinkStops)
{
    std::vector<sheet::TagSheet> sheets;
    sheets.emplace_back(sheet::SheetFormat::large);
    sheets.emplace_back(sheet::SheetFormat::small);
    sheets.emplace_back(sheet::SheetFormat::large);
    for (auto& s : sheets) {
        s.outputMode = sheet::OutputMode::preview;  // the preview's grid tells the formats apart
    }
    std::vector<QImage> pages;
    const output::DocumentResult all = output::drawPageImages(sheets, output::PageFormat::png, 30,
                                                              [&](int index, const QByteArray& bytes, QString&) {
                                                                  EXPECT_EQ(index, int(pages.size()));
                                                                  pages.push_back(QImage::fromData(bytes, "PNG"));
                                                                  return true;
                                                              });
    ASSERT_TRUE(all.ok) << all.error.toStdString();
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0], pages[2]);
    EXPECT_NE(pages[0], pages[1]);

    int calls = 0;
    const output::DocumentResult stopped
        = output::drawPageImages(sheets, output::PageFormat::svg, 30, [&](int, const QByteArray&, QString& error) {
              ++calls;
              error = QStringLiteral("disk full");
              return false;
          });
    EXPECT_FALSE(stopped.ok);
    EXPECT_EQ(stopped.error, QStringLiteral("disk full"));
    EXPECT_EQ(calls, 1);

    const output::DocumentResult tooFine = output::drawPageImages(
        sheets, output::PageFormat::png, output::kMaxPngDpi + 1, [](int, const QByteArray&, QString&) { return true; });
    EXPECT_FALSE(tooFine.ok);
}

TEST(SheetDocument, PdfDocumentHasAPagePerSheet)
{
    for (const size_t count : {size_t(1), size_t(4)}) {
        std::vector<sheet::TagSheet> sheets(count, sheet::TagSheet(sheet::SheetFormat::large));
        QByteArray pdf;
        const output::DocumentResult r = output::drawPdfDocument(sheets, 72, pdf);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_TRUE(pdf.startsWith("%PDF-"));
        EXPECT_EQ(pdf.count("/Type /Page") - pdf.count("/Type /Pages"), qsizetype(count)) << count;
    }
}

TEST(SheetDocument, PrintingIsOneJobWithAPagePerSheet)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const size_t count : {size_t(1), size_t(3)}) {
        std::vector<sheet::TagSheet> sheets(count, sheet::TagSheet(sheet::SheetFormat::small));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString file = dir.filePath(QStringLiteral("job-%1.pdf").arg(count));
        printer.setOutputFileName(file);
        const output::DocumentResult r
            = output::printSheets(sheets, printer, [](const QPrinter&) { return calibration::Calibration {}; });
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        QFile pdf(file);
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        EXPECT_EQ(bytes.count("/Type /Page") - bytes.count("/Type /Pages"), qsizetype(count));
        EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A4);
    }
}

namespace {

// A word pdftotext finds on a page, its box in millimetres.
struct PdfWord {
    QString text;
    double left, top, right, bottom;
};

std::vector<PdfWord> pdfWords(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        return {};
    }
    std::vector<PdfWord> words;
    QXmlStreamReader xml(p.readAllStandardOutput());
    constexpr double kMmPerPt = 25.4 / 72.0;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("word")) {
            const QXmlStreamAttributes a = xml.attributes();
            const auto mm = [&a](const char* name) { return a.value(QLatin1String(name)).toDouble() * kMmPerPt; };
            const double left = mm("xMin"), top = mm("yMin"), right = mm("xMax"), bottom = mm("yMax");
            words.push_back({xml.readElementText(), left, top, right, bottom});
        }
    }
    return words;
}

// Whether every blank-separated word of `text` is on the page inside the cell of `tag`.
bool inCell(const std::vector<PdfWord>& words, const sheet::TagSheet& page, int tag, const QString& text)
{
    const sheet::CellOrigin o = page.cellOrigin(tag);
    const double right = o.xMm + page.format().cellWidthMm;
    const double bottom = o.yMm + page.format().cellHeightMm;
    constexpr double kSlackMm = 0.3;  // the PDF's text boxes are the font's, a little past the ink
    for (const QString& part : text.split(u' ', Qt::SkipEmptyParts)) {
        const bool found = std::any_of(words.begin(), words.end(), [&](const PdfWord& w) {
            return w.text == part && w.left >= o.xMm - kSlackMm && w.right <= right + kSlackMm
                && w.top >= o.yMm - kSlackMm && w.bottom <= bottom + kSlackMm;
        });
        if (!found) {
            return false;
        }
    }
    return true;
}

}  // namespace

// A printed page with every text on: each tag's code scans, and each text the drawing placed reads
// back inside its tag, each it left out (as its report says) is not there.
TEST(SheetDocument, TheTagsTextsReadBackFromThePdf)
{
    for (const sheet::SheetFormat* format : {&sheet::SheetFormat::large, &sheet::SheetFormat::small}) {
        SCOPED_TRACE(format->key().toStdString());
        const sheet::TagSheet page = tagtexts::sampleSheet(*format, tagtexts::allTextsOn());
        QByteArray pdf;
        ASSERT_TRUE(output::drawPdfDocument({page}, 600, pdf).ok);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("page.pdf"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(pdf) == pdf.size());
        file.close();

        QStringList codes;
        for (const tagtexts::SampleTag& tag : tagtexts::sampleTags()) {
            codes << QString::fromUtf8(tag.jan);
        }
        codes.sort();
        EXPECT_EQ(test_support::barcodesOnPage(path, dir.filePath(QStringLiteral("scan"))), codes);

        const std::vector<PdfWord> words = pdfWords(path);
        const std::vector<draw::LeftOutText> leftOut = jobs::checkTagPage(page).leftOut;
        int slot = 1;
        for (const tagtexts::SampleTag& tag : tagtexts::sampleTags()) {
            SCOPED_TRACE(tag.name);
            struct Expected {
                draw::ExtraText text;
                QString content;
            };
            std::vector<Expected> expected {
                {draw::ExtraText::unitPrice, QString::fromUtf8(tag.unitPrice)},
                {draw::ExtraText::taxExclusive, QString::fromUtf8(tag.taxExclusive)},
            };
            if (tag.ratePercent == 8) {
                expected.push_back({draw::ExtraText::reducedRateMark, QStringLiteral("※")});
            }
            if (tag.period) {
                expected.push_back({draw::ExtraText::saleMark, QStringLiteral("特価")});
                expected.push_back({draw::ExtraText::salePeriod, QString::fromUtf8(tag.period)});
            }
            if (tag.formerPrice > 0) {
                expected.push_back({draw::ExtraText::formerPrice, draw::formerPriceText(tag.formerPrice)});
            }
            for (const Expected& e : expected) {
                const bool left
                    = std::find(leftOut.begin(), leftOut.end(), draw::LeftOutText {slot, e.text}) != leftOut.end();
                EXPECT_EQ(inCell(words, page, slot, e.content), !left) << e.content.toStdString();
            }
            ++slot;
        }
        // The large tag has room for every text of these tags; the small one leaves some out.
        EXPECT_EQ(leftOut.empty(), format->isLarge());
    }
}

// With every text off and no sale, what the tags know beyond their records changes no pixel.
TEST(SheetDocument, APageWithEveryTextOffIsItsRecordsAlone)
{
    for (const sheet::SheetFormat* format : {&sheet::SheetFormat::large, &sheet::SheetFormat::small}) {
        SCOPED_TRACE(format->key().toStdString());
        sheet::TagSheet page = tagtexts::sampleSheet(*format, {});
        for (auto& [slot, extras] : page.extras) {
            extras.sale.reset();
        }
        sheet::TagSheet plain(*format);
        plain.records = page.records;
        plain.fileName = page.fileName;
        // The first page a process draws may differ from later ones in a few pixels of its texts
        // (the fonts being loaded), whatever it shows: one page is drawn first and not compared.
        std::vector<QByteArray> images;
        for (const sheet::TagSheet& s : {plain, page, plain}) {
            QByteArray png;
            ASSERT_TRUE(output::drawPageImages({s}, output::PageFormat::png, 150,
                                               [&png](int, const QByteArray& bytes, QString&) {
                                                   png = bytes;
                                                   return true;
                                               })
                            .ok);
            images.push_back(png);
        }
        EXPECT_FALSE(images[1].isEmpty());
        EXPECT_EQ(images[1], images[2]);
    }
}
