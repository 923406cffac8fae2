// The preview page's drawings: drawn at once, or when the page is first needed.
#include "desktop/editor/preview_pane.h"

#include "core/draw/surface.h"

#include <QColor>
#include <gtest/gtest.h>

#include <functional>

namespace {

using Paint = std::function<void(draw::Surface&)>;

// A drawing that fills the pixels (x, y) .. (x + size - 1, y + size - 1) and counts its runs.
Paint square(int x, int y, int size, draw::Colour colour, int* runs)
{
    return [=](draw::Surface& surface) {
        ++*runs;
        surface.setUnit(draw::Unit::pixels);
        surface.filled(x, y, size, size, colour);
    };
}

struct WaitRow {
    const char* what;
    // Works on a page of 40 x 40 pixels with a waiting red square at (0, 0), 20 wide; `runs`
    // counts the red square's drawings.
    std::function<void(desktop::PreviewPage&, int* runs)> then;
    int runsBeforeReading;
    QColor at5x5;    // once the image is read
    QColor at30x30;  // once the image is read
};

TEST(PreviewPage, AWaitingDrawingIsDoneWhenThePageIsFirstNeeded)
{
    const QColor red(Qt::red), blue(Qt::blue), white(Qt::white);
    int blueRuns = 0;
    const WaitRow rows[] = {
        {"nothing else: drawn when read", [](desktop::PreviewPage&, int*) {}, 0, red, white},
        {"a drawing on top: drawn first, below it",
         [&](desktop::PreviewPage& page, int*) { page.draw(square(0, 0, 10, draw::kBlue, &blueRuns)); }, 1, blue,
         white},
        {"another waiting drawing: drawn first",
         [&](desktop::PreviewPage& page, int*) { page.drawWhenNeeded(square(25, 25, 10, draw::kBlue, &blueRuns)); }, 1,
         red, blue},
        {"the page sized again: dropped", [](desktop::PreviewPage& page, int*) { page.setPageSize(QSize(40, 40)); }, 0,
         white, white},
        {"the page painted: drawn", [](desktop::PreviewPage& page, int*) { page.grab(); }, 1, red, white},
    };
    for (const WaitRow& row : rows) {
        SCOPED_TRACE(row.what);
        desktop::PreviewPage page(nullptr);
        page.setPageSize(QSize(40, 40));
        int runs = 0;
        page.drawWhenNeeded(square(0, 0, 20, draw::kRed, &runs));
        row.then(page, &runs);
        EXPECT_EQ(runs, row.runsBeforeReading);
        const QImage& image = page.image();
        EXPECT_EQ(image.pixelColor(5, 5), row.at5x5);
        EXPECT_EQ(image.pixelColor(30, 30), row.at30x30);
        page.image();
        EXPECT_LE(runs, 1) << "a waiting drawing is done once";
    }
}

}  // namespace
