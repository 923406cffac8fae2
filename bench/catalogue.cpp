// The catalogue's speed: merging the week's list of 10,000 products (5 % of them changed) into the
// catalogue that holds last week's, and finding what needs a tag among 100,000 products, on SQLite
// and (when a server can be started here) on PostgreSQL.

#include "core/catalogue/catalogue.h"
#include "core/productlist/cleaning.h"
#include "core/productlist/column_mapping.h"
#include "core/productlist/product_list.h"

#include "support/catalogue_lists.h"
#include "support/postgres_server.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

std::unique_ptr<test_support::PostgresServer> postgres;

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
    catalogue::Result outcome;
    auto opened = catalogue::Catalogue::open(*catalogue::parseCatalogueAddress(url, nullptr), {true}, &outcome);
    if (!opened) {
        state.SkipWithError(outcome.message.toStdString().c_str());
    }
    return opened;
}

// The days between one week's print and the next week's list: on PostgreSQL the server's
// autovacuum has cleared the rows the confirmation replaced and measured the tables by then.
void weekPasses(const catalogue::Catalogue& opened)
{
    if (opened.address().kind == catalogue::CatalogueAddress::Kind::postgresql) {
        QString error;
        postgres->runStatement(opened.address().database, QStringLiteral("VACUUM ANALYZE"), &error);
    }
}

void BM_MergeWeek(benchmark::State& state)
{
    QTemporaryDir dir;
    const auto opened = openCatalogue(int(state.range(0)), dir, state);
    if (!opened) {
        return;
    }
    const catalogue::IncomingList weeks[2] = {test_support::aisleList(10000, 1), test_support::aisleList(10000, 2)};
    opened->merge(weeks[0], {});
    int week = 1;
    for (auto _ : state) {
        const catalogue::MergeResult merged = opened->merge(weeks[week % 2], {});
        if (!merged.ok() || merged.counts.changed != 500) {
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
        for (const catalogue::IncomingProduct& p : test_support::aisleList(10000, week).products) {
            text += QStringLiteral("%1,%2,%3,%4,%5,%6\n")
                        .arg(p.tag.jan, p.tag.maker, p.tag.productName, p.tag.spec)
                        .arg(p.tag.price)
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
    opened->merge(test_support::aisleList(100000, 1), {});
    std::vector<catalogue::PlacedTag> placed;
    for (const catalogue::TagNeed& need : opened->tagNeeds()) {
        placed.push_back({need.product.id, int(placed.size() / 24 + 1), int(placed.size() % 24 + 1), need.product.tag});
    }
    qint64 print = 0;
    opened->recordPrint(placed, QStringLiteral("large"), 1, int(placed.size() / 24 + 1), QStringLiteral("bench"),
                        catalogue::Moment::now(), &print);
    opened->decidePrint(print, catalogue::PrintState::confirmed);
    weekPasses(*opened);
    opened->merge(test_support::aisleList(100000, 2), {});
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

// 100,000 products whose tags are all on the shelf, as a catalogue the offers below start from.
std::unique_ptr<catalogue::Catalogue> shelvedCatalogue(int backend, const QTemporaryDir& dir, benchmark::State& state)
{
    auto opened = openCatalogue(backend, dir, state);
    if (!opened) {
        return nullptr;
    }
    catalogue::MergeOptions dated;
    dated.validFrom = QDate(2026, 10, 1);
    opened->merge(test_support::aisleList(100000, 1), dated);
    std::vector<catalogue::PlacedTag> placed;
    const catalogue::Moment start {QDate(2026, 10, 1), 0};
    for (const catalogue::TagNeed& need : opened->tagNeedsAt(start, false)) {
        placed.push_back({need.product.id, int(placed.size() / 24 + 1), int(placed.size() % 24 + 1), need.product.tag});
    }
    qint64 print = 0;
    opened->recordPrint(placed, QStringLiteral("large"), 1, int(placed.size() / 24 + 1), QStringLiteral("bench"), start,
                        &print);
    opened->decidePrint(print, catalogue::PrintState::confirmed);
    weekPasses(*opened);
    return opened;
}

// An offer of `count` products from product `first` on, 10 yen off, for a week from 12/16.
catalogue::OfferList flyer(int first, int count, const QString& name)
{
    catalogue::OfferList list;
    list.name = name;
    list.period.days = {QDate(2026, 12, 16), QDate(2026, 12, 22)};
    const catalogue::IncomingList products = test_support::aisleList(first + count, 1);
    for (int n = first; n < first + count; ++n) {
        list.rows.push_back(
            {n + 2, products.products[size_t(n)].code, products.products[size_t(n)].tag.price - 10, {}});
    }
    return list;
}

// A flyer list of 2,000 products taken in as an offer by a catalogue of 100,000 products.
void BM_OfferImport(benchmark::State& state)
{
    QTemporaryDir dir;
    const auto opened = shelvedCatalogue(int(state.range(0)), dir, state);
    if (!opened) {
        return;
    }
    int round = 0;
    for (auto _ : state) {
        // A new week each round, so that no offer overlaps the last.
        catalogue::OfferList list = flyer(2000 * (round % 40), 2000, QStringLiteral("チラシ%1").arg(round));
        list.period.days = {QDate(2026, 12, 16).addDays(7 * round), QDate(2026, 12, 22).addDays(7 * round)};
        const catalogue::OfferImportResult imported = opened->importOffer(list);
        if (!imported.ok() || imported.products != 2000) {
            state.SkipWithError(imported.message.toStdString().c_str());
            break;
        }
        ++round;
    }
}
BENCHMARK(BM_OfferImport)->Arg(0)->Arg(1)->ArgName("postgresql")->Unit(benchmark::kMillisecond);

// What needs a tag on the first day of an offer of 5,000 of 100,000 products.
void BM_ChangesAsOfWithOffers(benchmark::State& state)
{
    QTemporaryDir dir;
    const auto opened = shelvedCatalogue(int(state.range(0)), dir, state);
    if (!opened) {
        return;
    }
    if (!opened->importOffer(flyer(1000, 5000, QStringLiteral("12月第3週チラシ"))).ok()) {
        state.SkipWithError("offer refused");
        return;
    }
    const catalogue::Moment firstDay {QDate(2026, 12, 16), 0};
    for (auto _ : state) {
        const std::vector<catalogue::TagNeed> needs = opened->tagNeedsAt(firstDay, false);
        if (needs.size() != 5000) {
            state.SkipWithError("wrong count");
            break;
        }
        benchmark::DoNotOptimize(needs.data());
    }
}
BENCHMARK(BM_ChangesAsOfWithOffers)->Arg(0)->Arg(1)->ArgName("postgresql")->Unit(benchmark::kMillisecond);

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
