// Cost of building a barcode's modules and of drawing it, on a recording surface (the page
// drawing's test double) and on a 600 dpi image (the print path).
#include "core/barcode/barcode.h"
#include "core/draw/draw_barcode.h"
#include "core/draw/recording_surface.h"
#include "output/painter_surface.h"

#include <QImage>
#include <benchmark/benchmark.h>

#ifdef TANAFUDA_HAVE_ZINT
#include <zint.h>
#endif

namespace {

void BM_NormalizeJan(benchmark::State& state)
{
    const QString code = QStringLiteral("4901234567894");
    for (auto _ : state) {
        QString copy = code;
        qint16 checkDigit = 0;
        benchmark::DoNotOptimize(barcode::normalizeJan(copy, checkDigit));
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_NormalizeJan);

void BM_ModuleStringEan13(benchmark::State& state)
{
    const QString number = QStringLiteral("4901234567894");
    for (auto _ : state) {
        benchmark::DoNotOptimize(barcode::janModuleString(number));
    }
}
BENCHMARK(BM_ModuleStringEan13);

void BM_ModuleStringEan8(benchmark::State& state)
{
    const QString number = QStringLiteral("12345670");
    for (auto _ : state) {
        benchmark::DoNotOptimize(barcode::janModuleString(number));
    }
}
BENCHMARK(BM_ModuleStringEan8);

// The same job done by libzint, as a yardstick in the same process: its encoder turns the 13
// digits into the symbol's rows of modules. The symbol is made once and cleared before each
// encode, so only the encoding is timed.
void BM_ZintEncodeEan13(benchmark::State& state)
{
#ifdef TANAFUDA_HAVE_ZINT
    zint_symbol* symbol = ZBarcode_Create();
    symbol->symbology = BARCODE_EANX;
    const unsigned char number[] = "4901234567894";
    for (auto _ : state) {
        ZBarcode_Clear(symbol);
        benchmark::DoNotOptimize(ZBarcode_Encode(symbol, number, 13));
        benchmark::DoNotOptimize(symbol->width);
    }
    if (symbol->width != 95) {
        state.SkipWithError("libzint did not encode an EAN-13 symbol of 95 modules");
    }
    ZBarcode_Delete(symbol);
#else
    for (auto _ : state) { }
    state.SkipWithError("libzint (Debian package libzint-dev) was not found when this was built");
#endif
}
BENCHMARK(BM_ZintEncodeEan13);

// Printer resolution (600 dpi), the large tag's 35 x 7 mm area: 113 fills a symbol.
void BM_DrawOnRecordingSurface(benchmark::State& state)
{
    draw::RecordingSurface surface(2.4, 2.4);
    surface.setUnit(draw::Unit::millimetres);
    const QString code = QStringLiteral("4901234567894");
    for (auto _ : state) {
        surface.clearOps();
        benchmark::DoNotOptimize(draw::drawJanBarcode(surface, code, 12.3, 45.6, 47.3, 52.6));
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
    output::PainterSurface surface(image);
    surface.setUnit(draw::Unit::millimetres);
    const QString code = QStringLiteral("4901234567894");
    for (auto _ : state) {
        benchmark::DoNotOptimize(draw::drawJanBarcode(surface, code, 1, 1, 36, 8));
    }
}
BENCHMARK(BM_DrawOnImageAt600Dpi);

}  // namespace

BENCHMARK_MAIN();
