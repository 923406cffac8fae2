// Cost of drawing a whole page: a full small sheet (40 tags, all with codes and prices) in preview
// mode on a 96-dpi image, as every finished tag redraws it, and in print mode on a 600-dpi PDF.
#include "core/draw/draw_tag_sheet.h"
#include "core/draw/recording_surface.h"
#include "core/sheet/tag_sheet.h"
#include "output/fonts.h"
#include "output/painter_surface.h"

#include "gui_bench_main.h"
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <benchmark/benchmark.h>

namespace {

sheet::TagSheet fullSmallSheet()
{
    sheet::TagSheet s(sheet::SheetFormat::small);
    for (int i = 1; i <= s.tagsPerPage(); ++i) {
        s.record(i) = {i % 2 ? QStringLiteral("4901234567894") : QStringLiteral("49012347"),
                       QStringLiteral("メーカー"),
                       QStringLiteral("商品名%1").arg(i),
                       QStringLiteral("二行目"),
                       QStringLiteral("500ml"),
                       QStringLiteral("6本入"),
                       98 * i * i};
    }
    return s;
}

QImage previewImage()
{
    QImage image(794, 1123, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);  // 96 dpi
    image.setDotsPerMeterY(3780);
    return image;
}

void PreviewOnImage(benchmark::State& state)
{
    sheet::TagSheet s = fullSmallSheet();
    s.outputMode = sheet::OutputMode::preview;
    QImage image = previewImage();
    output::PainterSurface surface(image);
    for (auto _ : state) {
        draw::drawTagSheet(s, surface);
    }
}
BENCHMARK(PreviewOnImage)->Unit(benchmark::kMicrosecond);

void PreviewOnRecording(benchmark::State& state)
{
    sheet::TagSheet s = fullSmallSheet();
    s.outputMode = sheet::OutputMode::preview;
    for (auto _ : state) {
        draw::RecordingSurface surface;
        draw::drawTagSheet(s, surface);
        benchmark::DoNotOptimize(surface.ops().size());
    }
}
BENCHMARK(PreviewOnRecording)->Unit(benchmark::kMicrosecond);

void PrintToPdf600(benchmark::State& state)
{
    sheet::TagSheet s = fullSmallSheet();
    s.outputMode = sheet::OutputMode::printer;
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(600);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
        output::PainterSurface surface(writer);
        draw::drawTagSheet(s, surface);
        surface.end();
        benchmark::DoNotOptimize(buffer.size());
    }
}
BENCHMARK(PrintToPdf600)->Unit(benchmark::kMillisecond);

}  // namespace

TANAFUDA_GUI_BENCHMARK_MAIN()
