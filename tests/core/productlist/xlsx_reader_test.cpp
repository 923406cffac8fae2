#include "core/productlist/xlsx_reader.h"

#include <gtest/gtest.h>

using namespace productlist;

namespace {

const QByteArray kSheetStart
    = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:x14ac=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac\"><sheetData>";
const QByteArray kSheetEnd = "</sheetData></worksheet>";

const QByteArray kShared = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                           "<si><t>水</t></si>"
                           "<si><r><t>お茶</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\"> 2L</t></r></si>"
                           "<si><t>A&amp;B\r\nC</t><rPh sb=\"0\" eb=\"1\"><t>ｴｰ</t></rPh></si>"
                           "<si/></sst>";

struct WorksheetRow {
    const char* name;
    QByteArray rowsXml;  // what stands between <sheetData> and </sheetData>
    std::vector<ListRow> expected;
    bool truncated = false;
};

TEST(ReadWorksheet, CellsAsExcelKeepsThem)
{
    const std::vector<WorksheetRow> rows {
        {"shared strings: plain, rich text, references and line ends, empty",
         "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\" t=\"s\"><v>2</v></c>"
         "<c r=\"D1\" t=\"s\"><v>3</v></c><c r=\"E1\" t=\"s\"><v> 1 </v></c><c r=\"F1\" t=\"s\"><v>9</v></c></row>",
         {{1, {"水", "お茶 2L", "A&B\nC", "", "お茶 2L"}}}},
        {"inline strings with runs and a phonetic guide",
         "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><r><t>棚</t></r><r><t>札</t></r>"
         "<rPh><t>ﾀﾅ</t></rPh></is></c></row>",
         {{2, {"棚札"}}}},
        {"empty and styled-only cells between values",
         "<row r=\"3\" spans=\"1:4\" x14ac:dyDescent=\"0.25\"><c r=\"A3\"><v>1</v></c><c r=\"B3\" s=\"2\"/>"
         "<c r=\"C3\" s=\"2\"></c><c r=\"D3\"><v>4</v></c><c r=\"E3\" s=\"1\"/></row>",
         {{3, {"1", "", "", "4"}}}},
        {"references beyond Z and AA, and past the last column read",
         "<row r=\"4\"><c r=\"Z4\"><v>26</v></c><c r=\"AB4\"><v>28</v></c><c r=\"IV4\"><v>256</v></c>"
         "<c r=\"IW4\"><v>257</v></c></row>",
         {{4,
           [] {
               QStringList cells(256);
               cells[25] = "26";
               cells[27] = "28";
               cells[255] = "256";
               return cells;
           }()}}},
        {"numbers as stored and texts as they stand",
         "<row r=\"5\"><c r=\"A5\"><v>4.901234567894E+12</v></c><c r=\"B5\" t=\"n\"><v>0098</v></c>"
         "<c r=\"C5\" t=\"str\"><f>TEXT(A1)</f><v>2024-01-05</v></c><c r=\"D5\" t=\"d\"><v>2024-01-05T00:00:00</v></c>"
         "<c r=\"E5\" t=\"b\"><v>0</v></c><c r=\"F5\" t=\"e\"><v>#N/A</v></c></row>",
         {{5, {"4901234567894", "98", "2024-01-05", "2024-01-05T00:00:00", "0", "#N/A"}}}},
        {"rows and cells without references follow the ones before",
         "<row r=\"7\"><c><v>1</v></c><c><v>2</v></c></row><row><c r=\"C8\"><v>3</v></c><c><v>4</v></c></row>"
         "<row r=\"2\"><c><v>5</v></c></row>",
         {{7, {"1", "2"}}, {8, {"", "", "3", "4"}}, {9, {"5"}}}},
        {"blank rows dropped",
         "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t> </t></is></c></row><row r=\"2\"/>",
         {}},
        {"a row number past the last read",
         "<row r=\"1\"><c><v>1</v></c></row><row r=\"2097153\"><c><v>2</v></c></row>",
         {{1, {"1"}}},
         true},
    };
    QStringList shared;
    ASSERT_EQ(readSharedStrings(kShared, QStringLiteral("xl/sharedStrings.xml"), shared), QString());
    for (const WorksheetRow& row : rows) {
        SCOPED_TRACE(row.name);
        const QByteArray xml = kSheetStart + row.rowsXml + kSheetEnd;
        ListTable table;
        EXPECT_EQ(readWorksheet(xml, QStringLiteral("sheet.xml"), shared, table), QString());
        EXPECT_EQ(table.rows, row.expected);
        EXPECT_EQ(table.truncated, row.truncated);
    }
}

TEST(ReadWorksheet, FaultsNamedWithThePartAndTheLine)
{
    // The rows up to a fault are what the reader saw (the workbook's reading then drops them).
    const struct {
        const char* name;
        QByteArray xml;
        int line;
        std::vector<ListRow> before;
    } rows[] {
        {"cut short", kSheetStart + "<row r=\"1\"><c><v>1</v></c></row>\n<row r=\"2\"><c><v>2", 3, {{1, {"1"}}}},
        {"tags that do not match", kSheetStart + "<row r=\"1\"><c><v>1</c></row>" + kSheetEnd, 2, {}},
        {"unknown entity", kSheetStart + "<row r=\"1\"><c t=\"str\"><v>&nbsp;</v></c></row>" + kSheetEnd, 2, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ListTable table;
        const QString error = readWorksheet(row.xml, QStringLiteral("xl/worksheets/sheet1.xml"), {}, table);
        EXPECT_EQ(error,
                  QStringLiteral("表計算のファイルの xl/worksheets/sheet1.xml が %1 行目で壊れています。"
                                 "その先の行は読めません")
                      .arg(row.line));
        EXPECT_EQ(table.rows, row.before);
    }
}

TEST(ReadSharedStrings, AppendsAfterWhatIsThere)
{
    // A fault found half-way leaves the list as it was before the part.
    const QByteArray cut = "<sst><si><t>一</t></si><si><t>二";
    QStringList strings {QStringLiteral("前")};
    const QString error = readSharedStrings(cut, QStringLiteral("s.xml"), strings);
    EXPECT_TRUE(error.contains(QStringLiteral("s.xml"))) << error.toStdString();
    EXPECT_EQ(strings, QStringList {QStringLiteral("前")});
    const QByteArray whole = "<sst><si><t>一</t></si><si><t>二</t></si></sst>";
    EXPECT_EQ(readSharedStrings(whole, QStringLiteral("s.xml"), strings), QString());
    EXPECT_EQ(strings, QStringList({QStringLiteral("前"), QStringLiteral("一"), QStringLiteral("二")}));
}

}  // namespace
