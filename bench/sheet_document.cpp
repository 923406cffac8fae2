// Cost of a document of many sheets: one more page added to a PDF document that is being written
// (the cost a sheet adds after the first), and whole documents of 1, 10 and 50 sheets in memory.
#include "output/sheet_document.h"
#include "core/draw/draw_tag_sheet.h"
#include "core/sheet/tag_sheet.h"
#include "output/painter_surface.h"

#include "gui_bench_main.h"
#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <benchmark/benchmark.h>

namespace {

// The 13 digits of an EAN-13 with its check digit.
QString fullCode(const QString& data)
{
    int sum = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        sum += data[i].digitValue() * ((data.size() - i) % 2 == 1 ? 3 : 1);
    }
    return data + QChar(u'0' + (10 - sum % 10) % 10);
}

// A full large sheet for the printer: 24 tags, each with an EAN-13 symbol, texts and a price;
// `variant` changes every text and code, as the sheets of a shop's range differ.
sheet::TagSheet fullLargeSheet(int variant)
{
    sheet::TagSheet s(sheet::SheetFormat::large);
    for (int i = 1; i <= s.tagsPerPage(); ++i) {
        const int n = 24 * variant + i;
        s.record(i) = {fullCode(QStringLiteral("49%1").arg(1000000000 + 7919 * n, 10, 10, QLatin1Char('0'))),
                       QStringLiteral("山田製菓"),
                       QStringLiteral("商品名 %1").arg(n),
                       QString(),
                       QStringLiteral("%1個入").arg(n % 9 + 1),
                       QStringLiteral("ロット%1").arg(n % 100),
                       98 + 37 * (n % 200)};
    }
    s.outputMode = sheet::OutputMode::printer;
    s.fileName = QStringLiteral("/home/shop/tags/sheet-%1.csv").arg(variant);
    return s;
}

// range(0): 1 with the barcodes, 0 without them (where a page's time goes).
void PdfPageAdded(benchmark::State& state)
{
    constexpr int kDpi = 600;
    std::vector<sheet::TagSheet> sheets;
    for (int v = 0; v < 50; ++v) {
        sheets.push_back(fullLargeSheet(v));
        if (state.range(0) == 0) {
            for (sheet::TagRecord& r : sheets.back().records) {
                r.jan.clear();
            }
        }
    }
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kDpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    QPainter painter(&writer);
    {
        output::PainterSurface first(painter, kDpi, kDpi);
        draw::drawTagSheet(sheets[0], first);
    }
    size_t next = 1;
    for (auto _ : state) {
        writer.newPage();
        output::PainterSurface surface(painter, kDpi, kDpi);
        draw::drawTagSheet(sheets[next++ % sheets.size()], surface);
    }
    painter.end();
    state.counters["bytes/page"] = double(pdf.size()) / double(next);
}
BENCHMARK(PdfPageAdded)->ArgName("barcodes")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void PdfDocument(benchmark::State& state)
{
    std::vector<sheet::TagSheet> sheets;
    for (int v = 0; v < state.range(0); ++v) {
        sheets.push_back(fullLargeSheet(v));
    }
    for (auto _ : state) {
        QByteArray pdf;
        benchmark::DoNotOptimize(output::drawPdfDocument(sheets, 600, pdf).ok);
    }
}
BENCHMARK(PdfDocument)->Arg(1)->Arg(10)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace

TANAFUDA_GUI_BENCHMARK_MAIN();
