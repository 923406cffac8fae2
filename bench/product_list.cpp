// Cost of turning a shop's product list of 10,000 rows into sheets: reading (code page 932 CSV, an
// Excel workbook and a LibreOffice spreadsheet), mapping the columns, cleaning with the tax added,
// and filling the sheets.
#include "core/productlist/product_list.h"
#include "core/productlist/cleaning.h"
#include "core/productlist/column_mapping.h"
#include "core/productlist/sheet_filling.h"
#include "core/sheet/field_entry.h"

#include "support/spreadsheet_files.h"

#include <QStringEncoder>
#include <benchmark/benchmark.h>

namespace {

using namespace productlist;

constexpr int kRows = 10000;

QString code(int i)
{
    return sheet::completeCheckDigit(QStringLiteral("4900%1").arg(i, 8, 10, QLatin1Char('0')) + u'0');
}

QByteArray csvList()
{
    QString text = QStringLiteral("JANコード,メーカー名,商品名,規格,入数,本体価格,税区分\r\n");
    for (int i = 0; i < kRows; ++i) {
        text += QStringLiteral("%1,棚札食品,\"商品 %2 番, 徳用\",500ml,24本,\"%3\",%4\r\n")
                    .arg(code(i))
                    .arg(i)
                    .arg(QString::number(98 + i % 2000))
                    .arg(i % 3 ? QStringLiteral("8%") : QStringLiteral("10%"));
    }
    QStringEncoder encoder("windows-31j");
    return encoder.encode(text);
}

testfiles::SheetRows workbookRows()
{
    testfiles::SheetRows rows {{testfiles::str("JANコード"), testfiles::str("メーカー名"), testfiles::str("商品名"),
                                testfiles::str("本体価格"), testfiles::str("税率")}};
    for (int i = 0; i < kRows; ++i) {
        rows.push_back({testfiles::num(code(i)), testfiles::str(QStringLiteral("棚札食品")),
                        testfiles::str(QStringLiteral("商品 %1 番").arg(i)),
                        testfiles::num(QString::number(98 + i % 2000)),
                        testfiles::num(i % 3 ? QStringLiteral("0.08") : QStringLiteral("0.1"))});
    }
    return rows;
}

QByteArray xlsxList()
{
    return testfiles::xlsxOf({{QStringLiteral("商品"), workbookRows()}});
}

QByteArray odsList()
{
    return testfiles::odsOf({{QStringLiteral("商品"), workbookRows()}});
}

// The whole way from the file's bytes to the sheets, as the command-line tool goes it.
void listToSheets(benchmark::State& state, const QByteArray& bytes)
{
    const TaxSettings tax {PriceBasis::excludesTax, kStandardRate, Rounding::floor};
    size_t sheets = 0;
    for (auto _ : state) {
        const ProductList list = readProductListData(bytes);
        const AutoMapping mapped = mapColumns(list.columnTitles, sheet::SheetFormat::large);
        const std::vector<CleanRow> cleaned = cleanRows(list.rows, mapped.mapping, sheet::SheetFormat::large, tax);
        const auto pages = sheetsForList(sheet::SheetFormat::large, 1, usedRecords(cleaned));
        sheets = pages.size();
        benchmark::DoNotOptimize(sheets);
    }
    state.counters["sheets"] = double(sheets);
}

void BM_CsvListToSheets(benchmark::State& state)
{
    const QByteArray bytes = csvList();
    listToSheets(state, bytes);
}
BENCHMARK(BM_CsvListToSheets)->Unit(benchmark::kMillisecond);

void BM_XlsxListToSheets(benchmark::State& state)
{
    const QByteArray bytes = xlsxList();
    listToSheets(state, bytes);
}
BENCHMARK(BM_XlsxListToSheets)->Unit(benchmark::kMillisecond);

void BM_OdsListToSheets(benchmark::State& state)
{
    const QByteArray bytes = odsList();
    listToSheets(state, bytes);
}
BENCHMARK(BM_OdsListToSheets)->Unit(benchmark::kMillisecond);

void BM_ReadCsvList(benchmark::State& state)
{
    const QByteArray bytes = csvList();
    for (auto _ : state) {
        benchmark::DoNotOptimize(readProductListData(bytes));
    }
}
BENCHMARK(BM_ReadCsvList)->Unit(benchmark::kMillisecond);

void BM_ReadXlsxList(benchmark::State& state)
{
    const QByteArray bytes = xlsxList();
    for (auto _ : state) {
        benchmark::DoNotOptimize(readProductListData(bytes));
    }
}
BENCHMARK(BM_ReadXlsxList)->Unit(benchmark::kMillisecond);

void BM_ReadOdsList(benchmark::State& state)
{
    const QByteArray bytes = odsList();
    for (auto _ : state) {
        benchmark::DoNotOptimize(readProductListData(bytes));
    }
}
BENCHMARK(BM_ReadOdsList)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
