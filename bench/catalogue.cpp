// The catalogue's speed: merging the week's list of 10,000 products (5 % of them changed) into the
// catalogue that holds last week's, and finding what needs a tag among 100,000 products, on SQLite
// and (when a server can be started here) on PostgreSQL.

#include "core/catalogue/catalogue.h"
#include "core/productlist/cleaning.h"
#include "core/productlist/column_mapping.h"
#include "core/productlist/product_list.h"

#include "support/postgres_server.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

std::unique_ptr<test_support::PostgresServer> postgres;

catalogue::IncomingList weekList(int products, int week)
{
    catalogue::IncomingList list;
    list.fileName = QStringLiteral("week%1.csv").arg(week);
    list.rowCount = products;
    for (int n = 0; n < products; ++n) {
        catalogue::IncomingProduct p;
        p.code = p.jan = QStringLiteral("49%1").arg(n, 11, 10, QLatin1Char('0'));
        p.maker = QStringLiteral("メーカー%1").arg(n % 50);
        p.name = QStringLiteral("商品%1").arg(n);
        p.spec = QStringLiteral("100g");
        // Every 20th product's price differs between odd and even weeks: 5 % changed.
        p.listPrice = p.tagPrice = 100 + n % 900 + (n % 20 == 0 && week % 2 == 0 ? 10 : 0);
        p.shelf = QStringLiteral("%1-%2").arg(QChar(u'A' + n % 20)).arg(n % 37 + 1);
        p.listOrder = n + 2;
        list.products.push_back(std::move(p));
    }
    return list;
}

// A catalogue on `backend` (0 SQLite, 1 PostgreSQL) in `dir`; null (the benchmark skipped) when none.
std::unique_ptr<catalogue::Catalogue> openCatalogue(int backend, const QTemporaryDir& dir, benchmark::State& state)
{
    QString url = dir.filePath(QStringLiteral("catalogue.sqlite"));
    if (backend == 1) {
        QString error;
        if (!postgres || !postgres->running() || !postgres->createDatabase(&url, &error)) {
            state.SkipWithError("PostgreSQL cannot start here");
            return nullptr;
        }
    }
    catalogue::Outcome outcome;
    auto opened = catalogue::Catalogue::open(*catalogue::parseLocation(url, nullptr), {true}, &outcome);
    if (!opened) {
        state.SkipWithError(outcome.message.toStdString().c_str());
    }
    return opened;
}

void BM_MergeWeek(benchmark::State& state)
{
    QTemporaryDir dir;
    const auto opened = openCatalogue(int(state.range(0)), dir, state);
    if (!opened) {
        return;
    }
    const catalogue::IncomingList weeks[2] = {weekList(10000, 1), weekList(10000, 2)};
    opened->merge(weeks[0], {});
    int week = 1;
    for (auto _ : state) {
        const catalogue::MergeResult merged = opened->merge(weeks[week % 2], {});
        if (!merged.outcome.ok() || merged.counts.changed != 500) {
            state.SkipWithError("merge failed");
            break;
        }
        ++week;
    }
}
BENCHMARK(BM_MergeWeek)->Arg(0)->Arg(1)->ArgName("postgresql")->Unit(benchmark::kMillisecond);

// The same from the list's file: reading, mapping and cleaning 10,000 rows, then the merge.
void BM_ImportWeekFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const auto opened = openCatalogue(int(state.range(0)), dir, state);
    if (!opened) {
        return;
    }
    QString files[2];
    for (int week = 1; week <= 2; ++week) {
        QString text = QStringLiteral("JANコード,メーカー,商品名,規格,売価,棚番\n");
        for (const catalogue::IncomingProduct& p : weekList(10000, week).products) {
            text += QStringLiteral("%1,%2,%3,%4,%5,%6\n")
                        .arg(p.jan, p.maker, p.name, p.spec)
                        .arg(p.tagPrice)
                        .arg(p.shelf);
        }
        files[week - 1] = dir.filePath(QStringLiteral("week%1.csv").arg(week));
        QFile file(files[week - 1]);
        file.open(QIODevice::WriteOnly);
        file.write(text.toUtf8());
    }
    const auto import = [&](const QString& path) {
        const productlist::ProductList list = productlist::readProductList(path);
        const auto mapping = productlist::mapColumns(list.columnTitles, sheet::SheetFormat::large).mapping;
        const auto cleaned = productlist::cleanRows(list.rows, mapping, sheet::SheetFormat::large, {});
        return opened->merge(catalogue::incomingProducts(list, cleaned, nullptr,
                                                         catalogue::catalogueColumnsOf(list.columnTitles, mapping)),
                             {});
    };
    import(files[0]);
    int week = 1;
    for (auto _ : state) {
        if (import(files[week % 2]).counts.changed != 500) {
            state.SkipWithError("import failed");
            break;
        }
        ++week;
    }
}
BENCHMARK(BM_ImportWeekFile)->Arg(0)->Arg(1)->ArgName("postgresql")->Unit(benchmark::kMillisecond);

// What needs a tag among 100,000 products whose tags were all printed and confirmed, 5 % of them
// changed since.
void BM_Changes(benchmark::State& state)
{
    QTemporaryDir dir;
    const auto opened = openCatalogue(int(state.range(0)), dir, state);
    if (!opened) {
        return;
    }
    opened->merge(weekList(100000, 1), {});
    std::vector<catalogue::PlacedTag> placed;
    for (const catalogue::TagNeed& need : opened->tagNeeds()) {
        placed.push_back({need.product.id, int(placed.size() / 24 + 1), int(placed.size() % 24 + 1), need.product.tag});
    }
    qint64 print = 0;
    opened->recordPrint(placed, QStringLiteral("large"), 1, int(placed.size() / 24 + 1), QStringLiteral("bench"),
                        &print);
    opened->decidePrint(print, catalogue::PrintState::confirmed);
    opened->merge(weekList(100000, 2), {});
    for (auto _ : state) {
        const std::vector<catalogue::TagNeed> needs = opened->tagNeeds();
        if (needs.size() != 5000) {
            state.SkipWithError("wrong count");
            break;
        }
        benchmark::DoNotOptimize(needs.data());
    }
}
BENCHMARK(BM_Changes)->Arg(0)->Arg(1)->ArgName("postgresql")->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    postgres = test_support::PostgresServer::startOwn();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    postgres.reset();
    return 0;
}
