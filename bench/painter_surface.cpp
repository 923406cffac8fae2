// Cost of the drawing operations of the painter surface on a preview-sized page: a grid of 40
// small tags, each with its frame, five texts in three fonts and a placeholder bar pattern.
#include "output/painter_surface.h"
#include "output/fonts.h"

#include "gui_bench_main.h"
#include <QGuiApplication>
#include <QImage>
#include <benchmark/benchmark.h>

namespace {

QImage a4At(int dpi)
{
    QImage image(qCeil(210 * dpi / 25.4), qCeil(297 * dpi / 25.4), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    return image;
}

void drawTags(output::PainterSurface& surface)
{
    const QString mincho = QString::fromUtf8("ＭＳ 明朝");
    const QString maker = QString::fromUtf8("山田食品");
    const QString product = QString::fromUtf8("特選みかんジュース");
    const QString spec = QString::fromUtf8("500ml");
    const QString lot = QString::fromUtf8("6本入");
    const QString price = QString::fromUtf8("1,980");
    surface.setUnit(draw::Unit::millimetres);
    surface.cls();
    for (int i = 0; i < 40; ++i) {
        const double x = 8 + (i % 5) * 30;
        const double y = 15 + (i / 5) * 30;
        surface.outline(x, y, 30, 30, draw::kButtonFace);
        surface.setFontName(mincho);
        surface.setFontBold(false);
        surface.setFontSize(7);
        surface.setCurrentPoint(x + 1, y + 1);
        surface.print(maker);
        surface.setFontSize(9);
        surface.setCurrentPoint(x + 1, y + 5);
        surface.print(product);
        surface.setFontSize(7);
        surface.setCurrentPoint(x + 1, y + 10);
        surface.print(spec);
        surface.setCurrentPoint(x + 15, y + 10);
        surface.print(lot);
        surface.setFontSize(14);
        surface.setFontBold(true);
        surface.setCurrentPoint(x + 8, y + 14);
        surface.print(price);
        for (int k = 0; k < 8; ++k) {
            surface.filled(x + 2 + k * 3, y + 24, 1.5, 4, draw::kBlack);
        }
    }
}

void BM_PreviewPageOf40TagsAt96Dpi(benchmark::State& state)
{
    QImage image = a4At(96);
    for (auto _ : state) {
        output::PainterSurface surface(image);
        drawTags(surface);
    }
}
BENCHMARK(BM_PreviewPageOf40TagsAt96Dpi)->Unit(benchmark::kMicrosecond);

void BM_FilledRectangleAt96Dpi(benchmark::State& state)
{
    QImage image = a4At(96);
    output::PainterSurface surface(image);
    surface.setUnit(draw::Unit::millimetres);
    for (auto _ : state) {
        surface.filled(10, 10, 1.5, 4, draw::kBlack);
    }
}
BENCHMARK(BM_FilledRectangleAt96Dpi);

void BM_TextAt96Dpi(benchmark::State& state)
{
    QImage image = a4At(96);
    output::PainterSurface surface(image);
    surface.setUnit(draw::Unit::millimetres);
    surface.setFontName(QString::fromUtf8("ＭＳ 明朝"));
    surface.setFontSize(9);
    const QString text = QString::fromUtf8("特選みかんジュース");
    for (auto _ : state) {
        surface.setCurrentPoint(10, 10);
        surface.print(text);
    }
}
BENCHMARK(BM_TextAt96Dpi);

}  // namespace

TANAFUDA_GUI_BENCHMARK_MAIN()
