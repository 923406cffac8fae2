// Cost of building a barcode's modules and of drawing it, on a recording surface (the page
// drawing's test double) and on a 600 dpi image (the print path).
#include "jan/barcode.h"
#include "platform/painter_surface.h"
#include "platform/recording_surface.h"

#include <QImage>
#include <benchmark/benchmark.h>

namespace {

void BM_NormalizeJan(benchmark::State& state)
{
    const QString code = QStringLiteral("4901234567894");
    for (auto _ : state) {
        QString copy = code;
        qint16 checkDigit = 0;
        benchmark::DoNotOptimize(jan::NormalizeJan(copy, checkDigit));
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_NormalizeJan);

void BM_ModuleStringEan13(benchmark::State& state)
{
    const QString number = QStringLiteral("4901234567894");
    for (auto _ : state) {
        benchmark::DoNotOptimize(jan::JanModuleString(number));
    }
}
BENCHMARK(BM_ModuleStringEan13);

void BM_ModuleStringEan8(benchmark::State& state)
{
    const QString number = QStringLiteral("12345670");
    for (auto _ : state) {
        benchmark::DoNotOptimize(jan::JanModuleString(number));
    }
}
BENCHMARK(BM_ModuleStringEan8);

// Printer resolution (600 dpi), the large tag's 35 x 7 mm area: 113 fills a symbol.
void BM_DrawOnRecordingSurface(benchmark::State& state)
{
    platform::RecordingSurface surface(2.4, 2.4);
    surface.setUnit(platform::Unit::millimetres);
    const QString code = QStringLiteral("4901234567894");
    for (auto _ : state) {
        surface.clearOps();
        benchmark::DoNotOptimize(jan::DrawJanBarcode(surface, code, 12.3, 45.6, 47.3, 52.6));
    }
}
BENCHMARK(BM_DrawOnRecordingSurface);

// The same symbol painted into a 600 dpi image through a painter.
void BM_DrawOnImageAt600Dpi(benchmark::State& state)
{
    QImage image(1000, 300, QImage::Format_RGB32);
    image.setDotsPerMeterX(23622);
    image.setDotsPerMeterY(23622);
    image.fill(Qt::white);
    platform::PainterSurface surface(image);
    surface.setUnit(platform::Unit::millimetres);
    const QString code = QStringLiteral("4901234567894");
    for (auto _ : state) {
        benchmark::DoNotOptimize(jan::DrawJanBarcode(surface, code, 1, 1, 36, 8));
    }
}
BENCHMARK(BM_DrawOnImageAt600Dpi);

}  // namespace

BENCHMARK_MAIN();
