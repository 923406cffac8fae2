#include "core/productlist/spreadsheet.h"

#include "support/spreadsheet_files.h"

#include <gtest/gtest.h>

using namespace productlist;
using namespace testfiles;

namespace {

const SheetRows kProducts {
    {str("JANコード"), str("商品名"), str("売価")},
    {num("4901234567894"), str("おいしい水 & 氷"), num("98")},
    {str("49012345"), str("<緑茶>"), num("1080")},
};
const SheetRows kOther {{str("名前")}, {str("別のシート")}};

const std::vector<ListRow> kProductRows {
    {1, {"JANコード", "商品名", "売価"}},
    {2, {"4901234567894", "おいしい水 & 氷", "98"}},
    {3, {"49012345", "<緑茶>", "1080"}},
};

struct WorkbookRow {
    const char* name;
    QByteArray bytes;
    SpreadsheetKind kind;
    QString sheet;
    QString expectedSheet;
    std::vector<ListRow> expected;
};

TEST(ReadSpreadsheet, FirstSheetOrByName)
{
    const auto xlsx = xlsxOf({{QStringLiteral("商品"), kProducts}, {QStringLiteral("その他"), kOther}});
    const auto ods = odsOf({{QStringLiteral("商品"), kProducts}, {QStringLiteral("その他"), kOther}});
    const std::vector<ListRow> other {{1, {"名前"}}, {2, {"別のシート"}}};
    const std::vector<WorkbookRow> rows {
        {"xlsx first", xlsx, SpreadsheetKind::xlsx, {}, QStringLiteral("商品"), kProductRows},
        {"xlsx by name (inline strings)", xlsx, SpreadsheetKind::xlsx, QStringLiteral("その他"),
         QStringLiteral("その他"), other},
        {"ods first", ods, SpreadsheetKind::ods, {}, QStringLiteral("商品"), kProductRows},
        {"ods by name", ods, SpreadsheetKind::ods, QStringLiteral("その他"), QStringLiteral("その他"), other},
    };
    for (const WorkbookRow& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_FALSE(row.bytes.isEmpty());
        const SpreadsheetRead read = readSpreadsheet(row.bytes, row.kind, row.sheet);
        ASSERT_TRUE(read.ok) << read.error.toStdString();
        EXPECT_EQ(read.sheetNames, QStringList({QStringLiteral("商品"), QStringLiteral("その他")}));
        EXPECT_EQ(read.sheetName, row.expectedSheet);
        EXPECT_EQ(read.table.rows, row.expected);
    }
}

TEST(ReadSpreadsheet, RefusesWhatItCannotRead)
{
    const auto xlsx = xlsxOf({{QStringLiteral("商品"), kProducts}});
    const struct {
        const char* name;
        QByteArray bytes;
        SpreadsheetKind kind;
        QString sheet;
        QString error;
    } rows[] {
        {"missing sheet xlsx", xlsx, SpreadsheetKind::xlsx, QStringLiteral("無い"),
         QStringLiteral("シート「無い」がありません")},
        {"missing sheet ods", odsOf({{QStringLiteral("a"), kOther}}), SpreadsheetKind::ods, QStringLiteral("無い"),
         QStringLiteral("シート「無い」がありません")},
        {"not a zip",
         QByteArray("JAN,商品名\n"),
         SpreadsheetKind::xlsx,
         {},
         QStringLiteral("表計算のファイルとして読めません")},
        {"truncated zip",
         xlsx.left(xlsx.size() / 2),
         SpreadsheetKind::xlsx,
         {},
         QStringLiteral("表計算のファイルとして読めません")},
        {"zip without workbook",
         zipOf({{QStringLiteral("a.txt"), "x"}}),
         SpreadsheetKind::xlsx,
         {},
         QStringLiteral("表計算のファイルとして読めません")},
        {"ods without tables", odsOfTables({}), SpreadsheetKind::ods, {}, QStringLiteral("シートがありません")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const SpreadsheetRead read = readSpreadsheet(row.bytes, row.kind, row.sheet);
        EXPECT_FALSE(read.ok);
        EXPECT_EQ(read.error, row.error);
    }
}

TEST(ReadSpreadsheet, OdsRepeatedCellsAndRows)
{
    // What LibreOffice writes: repeated values, covered cells, a run of empty cells before a value,
    // hundreds of empty columns to the right and a million empty rows at the end; paragraphs with
    // spaces, spans and a comment that is not part of the value.
    const QString table = QStringLiteral(
        R"(<table:table table:name="S"><table:table-column table:number-columns-repeated="1024"/>)"
        R"(<table:table-header-rows><table:table-row><table:table-cell office:value-type="string"><text:p>JAN</text:p></table:table-cell></table:table-row></table:table-header-rows>)"
        R"(<table:table-row table:number-rows-repeated="2"><table:table-cell office:value-type="string" table:number-columns-repeated="2"><text:p>同じ</text:p></table:table-cell>)"
        R"(<table:table-cell table:number-columns-repeated="3"/><table:table-cell office:value-type="float" office:value="4901234567894"><text:p>4.90E+12</text:p></table:table-cell>)"
        R"(<table:table-cell table:number-columns-repeated="1000"/></table:table-row>)"
        R"(<table:table-row table:number-rows-repeated="3"><table:table-cell table:number-columns-repeated="1024"/></table:table-row>)"
        R"(<table:table-row><table:covered-table-cell/><table:table-cell office:value-type="string"><office:annotation><text:p>メモ</text:p></office:annotation><text:p>A<text:s text:c="2"/><text:span>B</text:span></text:p><text:p>C</text:p></table:table-cell></table:table-row>)"
        R"(<table:table-row table:number-rows-repeated="1048570"><table:table-cell table:number-columns-repeated="1024"/></table:table-row></table:table>)");
    const SpreadsheetRead read = readSpreadsheet(odsOfTables(table), SpreadsheetKind::ods);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    const std::vector<ListRow> expected {
        {1, {"JAN"}},
        {2, {"同じ", "同じ", "", "", "", "4901234567894"}},
        {3, {"同じ", "同じ", "", "", "", "4901234567894"}},
        {7, {"", "A  B\nC"}},
    };
    EXPECT_EQ(read.table.rows, expected);
}

TEST(ReadSpreadsheet, RepeatedRowsStopAtTheCellBudget)
{
    // A few bytes that would repeat a full row a million times.
    const QString table = QStringLiteral(
        R"(<table:table table:name="S"><table:table-row table:number-rows-repeated="1000000">)"
        R"(<table:table-cell office:value-type="string" table:number-columns-repeated="100000"><text:p>x</text:p></table:table-cell>)"
        R"(</table:table-row></table:table>)");
    const SpreadsheetRead read = readSpreadsheet(odsOfTables(table), SpreadsheetKind::ods);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    EXPECT_TRUE(read.table.truncated);
    EXPECT_EQ(qint64(read.table.rows.size()), kMaxCells / kMaxColumns);
    EXPECT_EQ(read.table.rows.front().cells.size(), kMaxColumns);
    EXPECT_EQ(read.table.rows.back().number, int(kMaxCells / kMaxColumns));
}

TEST(ReadSpreadsheet, XlsxCellKindsAndGaps)
{
    // Cells without references follow the previous one; rows may skip numbers; strings may be
    // rich text runs; a formula's string result and a boolean are read as stored.
    const QByteArray sheet
        = R"(<?xml version="1.0"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>
<row r="2"><c r="B2" t="s"><v>0</v></c><c t="s"><v>1</v></c><c><v>4.901234567894E+12</v></c></row>
<row r="5"><c r="A5" t="str"><f>A1</f><v>式</v></c><c r="C5" t="b"><v>1</v></c><c r="D5" t="s"><v>99</v></c></row>
</sheetData></worksheet>)";
    const QByteArray shared
        = R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><si><r><t>リッチ</t></r><r><rPr/><t xml:space="preserve"> テキスト</t></r></si><si><t>二つ目</t></si></sst>)";
    const QByteArray workbook
        = R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="表" sheetId="1" r:id="rId1"/></sheets></workbook>)";
    const QByteArray rels
        = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/data.xml"/></Relationships>)";
    const QByteArray bytes = zipOf({{QStringLiteral("xl/workbook.xml"), workbook},
                                    {QStringLiteral("xl/_rels/workbook.xml.rels"), rels},
                                    {QStringLiteral("xl/worksheets/data.xml"), sheet},
                                    {QStringLiteral("xl/sharedStrings.xml"), shared}});
    const SpreadsheetRead read = readSpreadsheet(bytes, SpreadsheetKind::xlsx);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    const std::vector<ListRow> expected {
        {2, {"", "リッチ テキスト", "二つ目", "4901234567894"}},
        {5, {"式", "", "1"}},
    };
    EXPECT_EQ(read.table.rows, expected);
}

TEST(PlainNumberText, WholeNumbersWithoutExponent)
{
    const std::vector<std::pair<const char*, const char*>> rows {
        {"4901234567894", "4901234567894"},
        {"4.901234567894E+12", "4901234567894"},
        {"4.9E+12", "4900000000000"},
        {"4.90123E+12", "4901230000000"},
        {"98", "98"},
        {"1080.0", "1080"},
        {"105.84", "105.84"},
        {"105.84000000000001", "105.84000000000001"},
        {"1.5E-3", "0.0015"},
        {"0.1", "0.1"},
        {"-0", "0"},
        {"-12", "-12"},
        {"1E+40", "1E+40"},
        {"abc", "abc"},
        {"", ""},
    };
    for (const auto& [stored, expected] : rows) {
        EXPECT_EQ(plainNumberText(QString::fromLatin1(stored)), QString::fromLatin1(expected)) << stored;
    }
}

TEST(ColumnOfCellReference, Letters)
{
    const std::vector<std::pair<const char*, int>> rows {
        {"A1", 0}, {"B7", 1}, {"Z3", 25}, {"AA12", 26}, {"AZ1", 51}, {"XFD1048576", 16383}, {"12", -1}, {"", -1},
    };
    for (const auto& [reference, expected] : rows) {
        EXPECT_EQ(columnOfCellReference(reference), expected) << reference;
    }
}

}  // namespace
