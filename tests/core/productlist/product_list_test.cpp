#include "core/productlist/product_list.h"

#include "core/productlist/cleaning.h"
#include "core/productlist/column_mapping.h"

#include "support/spreadsheet_files.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace productlist;
using namespace testfiles;

namespace {

QByteArray cp932(const QString& text)
{
    QStringEncoder encoder("windows-31j");
    return encoder.encode(text);
}

struct KindRow {
    const char* name;
    QByteArray bytes;
    std::optional<ListKind> expected;
};

TEST(ListKindOf, ByContents)
{
    const std::vector<KindRow> rows {
        {"csv", QByteArray("JAN,name\n"), ListKind::text},
        {"empty", QByteArray(), ListKind::text},
        {"xlsx", xlsxOf({{QStringLiteral("a"), {{str("x")}}}}), ListKind::xlsx},
        {"ods", odsOf({{QStringLiteral("a"), {{str("x")}}}}), ListKind::ods},
        {"other zip", zipOf({{QStringLiteral("a.txt"), "x"}}), std::nullopt},
        {"old excel", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1rest", 12), std::nullopt},
    };
    for (const KindRow& row : rows) {
        EXPECT_EQ(listKindOf(row.bytes), row.expected) << row.name;
    }
}

struct HeaderRow {
    const char* name;
    std::vector<ListRow> rows;
    bool expected;
};

TEST(LooksLikeHeader, NamesOrTextAboveNumbers)
{
    const std::vector<HeaderRow> rows {
        {"known names", {{1, {"JANコード", "品名"}}, {2, {"4901234567894", "水"}}}, true},
        {"known name alone", {{1, {"商品名"}}}, true},
        {"full-width known name", {{1, {"ＪＡＮ", "x"}}}, true},
        {"unknown words above numbers", {{1, {"code", "item", "yen"}}, {2, {"123", "水", "¥1,080"}}}, true},
        {"data first", {{1, {"4901234567894", "水", "98"}}, {2, {"4901234567895", "茶", "120"}}}, false},
        {"texts above texts", {{1, {"水", "大"}}, {2, {"茶", "小"}}}, false},
        {"one unknown row", {{1, {"水", "茶"}}}, false},
        {"nothing", {}, false},
    };
    for (const HeaderRow& row : rows) {
        EXPECT_EQ(looksLikeHeader(row.rows), row.expected) << row.name;
    }
}

struct ReadRow {
    const char* name;
    QByteArray bytes;
    ReadOptions options;
    ListKind kind;
    Encoding encoding;
    QChar delimiter;
    bool hasHeader;
    QStringList titles;
    std::vector<ListRow> rows;
};

TEST(ReadProductListData, EveryKindToTitlesAndRows)
{
    const QString csv = QStringLiteral("JAN,商品名,売価\r\n4901234567894,\"水, 2L\",98\r\n");
    const QStringList titles {QStringLiteral("JAN"), QStringLiteral("商品名"), QStringLiteral("売価")};
    const std::vector<ListRow> data {{2, {"4901234567894", "水, 2L", "98"}}};
    ReadOptions noHeader;
    noHeader.header = HeaderMode::absent;
    ReadOptions semicolon;
    semicolon.delimiter = QChar(u';');
    ReadOptions forcedCp932;
    forcedCp932.encoding = Encoding::cp932;
    const SheetRows sheet {{str("JAN"), str("商品名"), str("売価")}, {num("4901234567894"), str("水, 2L"), num("98")}};
    const std::vector<ReadRow> rows {
        {"cp932 csv", cp932(csv), {}, ListKind::text, Encoding::cp932, u',', true, titles, data},
        {"utf-8 csv", csv.toUtf8(), {}, ListKind::text, Encoding::utf8, u',', true, titles, data},
        {"tsv with blanks around cells",
         QStringLiteral(" JAN \t商品名\t売価\n4901234567894\t 水, 2L \t98\n").toUtf8(),
         {},
         ListKind::text,
         Encoding::utf8,
         u'\t',
         true,
         titles,
         data},
        {"header said absent",
         csv.toUtf8(),
         noHeader,
         ListKind::text,
         Encoding::utf8,
         u',',
         false,
         {"列1", "列2", "列3"},
         {{1, {"JAN", "商品名", "売価"}}, {2, {"4901234567894", "水, 2L", "98"}}}},
        {"delimiter chosen",
         csv.toUtf8(),
         semicolon,
         ListKind::text,
         Encoding::utf8,
         u';',
         false,
         {"列1"},
         {{1, {"JAN,商品名,売価"}}, {2, {"4901234567894,\"水, 2L\",98"}}}},
        {"encoding chosen", cp932(csv), forcedCp932, ListKind::text, Encoding::cp932, u',', true, titles, data},
        {"empty header cells get numbers",
         QStringLiteral("JAN,,売価,\n1,2,3,4\n").toUtf8(),
         {},
         ListKind::text,
         Encoding::utf8,
         u',',
         true,
         {"JAN", "列2", "売価", "列4"},
         {{2, {"1", "2", "3", "4"}}}},
        {"xlsx", xlsxOf({{QStringLiteral("s"), sheet}}), {}, ListKind::xlsx, Encoding::utf8, u',', true, titles, data},
        {"ods", odsOf({{QStringLiteral("s"), sheet}}), {}, ListKind::ods, Encoding::utf8, u',', true, titles, data},
    };
    for (const ReadRow& row : rows) {
        SCOPED_TRACE(row.name);
        const ProductList list = readProductListData(row.bytes, row.options);
        ASSERT_TRUE(list.ok) << list.error.toStdString();
        EXPECT_EQ(list.kind, row.kind);
        if (row.kind == ListKind::text) {
            EXPECT_EQ(list.encoding, row.encoding);
            EXPECT_EQ(list.delimiter, row.delimiter);
        }
        EXPECT_EQ(list.hasHeader, row.hasHeader);
        EXPECT_EQ(list.columnTitles, row.titles);
        EXPECT_EQ(list.rows, row.rows);
    }
}

TEST(ReadProductList, RefusalsNameTheReason)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString oldExcel = dir.filePath(QStringLiteral("old.xls"));
    QFile file(oldExcel);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(100, '\0'));
    file.close();

    const ProductList old = readProductList(oldExcel);
    EXPECT_FALSE(old.ok);
    EXPECT_TRUE(old.error.contains(QStringLiteral(".xls"))) << old.error.toStdString();

    const ProductList missing = readProductList(dir.filePath(QStringLiteral("無い.csv")));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, QStringLiteral("ファイル「無い.csv」を開けません"));

    ReadOptions byName;
    byName.sheetName = QStringLiteral("二月");
    const ProductList noSheet = readProductListData(xlsxOf({{QStringLiteral("一月"), {{str("x")}}}}), byName);
    EXPECT_FALSE(noSheet.ok);
    EXPECT_EQ(noSheet.sheetNames, QStringList {QStringLiteral("一月")});
}

#ifdef TANAFUDA_TEST_DATA
// Files saved by LibreOffice Calc itself from examples/products.csv.
TEST(ReadProductList, FilesSavedByLibreOffice)
{
    for (const char* name : {"products-libreoffice.xlsx", "products-libreoffice.ods"}) {
        SCOPED_TRACE(name);
        const QString path = QStringLiteral(TANAFUDA_TEST_DATA "/") + QString::fromLatin1(name);
        if (!QFile::exists(path)) {
            GTEST_SKIP() << "no " << name << " under tests/data";
        }
        const ProductList list = readProductList(path);
        ASSERT_TRUE(list.ok) << list.error.toStdString();
        EXPECT_TRUE(list.hasHeader);
        ASSERT_GE(list.rows.size(), 3u);
        EXPECT_EQ(list.columnTitles.value(0), QStringLiteral("JANコード"));
        EXPECT_EQ(list.rows.front().cell(0), QStringLiteral("4901234567894"));
        // Prices without tax and the tax class as a percentage cell ("8%" is 0.08 in the workbook).
        const AutoMapping mapped = mapColumns(list.columnTitles, sheet::SheetFormat::large);
        EXPECT_EQ(mapped.priceBasis, PriceBasis::excludesTax);
        const auto cleaned = cleanRows(list.rows, mapped.mapping, sheet::SheetFormat::large,
                                       TaxSettings {PriceBasis::excludesTax, kStandardRate, Rounding::floor});
        ASSERT_GE(cleaned.size(), 7u);
        EXPECT_EQ(cleaned[0].record.productName, QStringLiteral("おいしい天然水"));
        EXPECT_EQ(cleaned[0].record.price, 105);   // 98 at 8 %
        EXPECT_EQ(cleaned[3].record.price, 272);   // 248 at 10 %
        EXPECT_EQ(cleaned[6].record.price, 1408);  // "1,280" at 10 %
        EXPECT_FALSE(cleaned[0].refused());
    }
}
#endif

}  // namespace
