// The 商品マスタ window on a catalogue of 100,000 products: the window opened with its first rows
// painted, and one keystroke in the search box until the table is painted again. Run it under a
// display server (xvfb-run) to count the window system's part too.

#include "desktop/catalogue/catalogue_window.h"
#include "core/catalogue/catalogue.h"
#include "desktop/catalogue/catalogue_model.h"
#include "desktop/dialogs/dialogs.h"
#include "output/fonts.h"
#include "support/catalogue_lists.h"

#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kProducts = 100000;

QTemporaryDir* folder = nullptr;

catalogue::CatalogueAddress location()
{
    return *catalogue::parseCatalogueAddress(folder->filePath(QStringLiteral("catalogue.sqlite")), nullptr);
}

// 100,000 new products on 20 aisles.
bool makeCatalogue()
{
    catalogue::Result outcome;
    auto opened = catalogue::Catalogue::open(location(), {true}, &outcome);
    return opened && opened->merge(test_support::aisleList(kProducts, 1), {}).ok();
}

void paintNow(desktop::CatalogueWindow& window)
{
    window.table()->viewport()->repaint();
    QApplication::processEvents();
}

// The parts of opening: the catalogue checked and opened, and every product read with its status.
void BM_CatalogueOpens(benchmark::State& state)
{
    for (auto _ : state) {
        catalogue::Result outcome;
        benchmark::DoNotOptimize(catalogue::Catalogue::open(location(), {}, &outcome));
    }
}
BENCHMARK(BM_CatalogueOpens)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_EveryProductRead(benchmark::State& state)
{
    catalogue::Result outcome;
    const auto opened = catalogue::Catalogue::open(location(), {}, &outcome);
    for (auto _ : state) {
        benchmark::DoNotOptimize(opened->tagNeeds(true, &outcome));
    }
}
BENCHMARK(BM_EveryProductRead)->Unit(benchmark::kMillisecond)->Iterations(3);

// Until the first rows are painted (the rest are still being read), and until every row is in.
void BM_WindowOpensWithFirstRows(benchmark::State& state)
{
    for (auto _ : state) {
        auto window = std::make_unique<desktop::CatalogueWindow>(location(), desktop::qtDialogs());
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) {
            state.SkipWithError("the window was not shown");
            break;
        }
        paintNow(*window);
        if (window->model().rowCount() < desktop::CatalogueWindow::kFirstRows) {
            state.SkipWithError("the first rows are not shown");
            break;
        }
        state.PauseTiming();
        window->finishLoading();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowOpensWithFirstRows)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_WindowShowsEveryProduct(benchmark::State& state)
{
    for (auto _ : state) {
        auto window = std::make_unique<desktop::CatalogueWindow>(location(), desktop::qtDialogs());
        window->show();
        while (window->isLoading()) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        }
        paintNow(*window);
        if (window->model().rowCount() != kProducts) {
            state.SkipWithError("not every product listed");
            break;
        }
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_WindowShowsEveryProduct)->Unit(benchmark::kMillisecond)->Iterations(3);

// One keystroke after another into the search box ("商品12" typed, then erased), each until the
// table is painted again. The first search of a window prepares the texts compared.
void BM_SearchKeystroke(benchmark::State& state)
{
    desktop::CatalogueWindow window(location(), desktop::qtDialogs());
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        state.SkipWithError("the window was not shown");
        return;
    }
    window.finishLoading();
    auto* search = window.findChild<QLineEdit*>(QStringLiteral("searchEdit"));
    search->setFocus();
    const QString typed = QStringLiteral("商品12");
    int at = 0;
    for (auto _ : state) {
        if (at < typed.size()) {
            QTest::sendKeyEvent(QTest::Click, search, Qt::Key_A, typed.mid(at, 1), Qt::NoModifier);
        } else {
            QTest::keyClick(search, Qt::Key_Backspace);
        }
        paintNow(window);
        at = (at + 1) % (2 * int(typed.size()));
    }
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond)->Iterations(24);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    output::installFontSubstitutions();
    QTemporaryDir dir;
    folder = &dir;
    if (!makeCatalogue()) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
