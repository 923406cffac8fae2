#pragma once

// Product lists in the shapes that cloud registers, card terminals and hand-kept spreadsheets
// write, made by the tests themselves, with what a shop expects on its tags computed here by the
// tests' own arithmetic (tax added to whole yen and the fraction dropped).

#include "core/productlist/tax.h"
#include "core/sheet/tag_sheet.h"

#include "support/spreadsheet_files.h"

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

#include <vector>

namespace testfiles {

struct RegisterList {
    const char* name;
    QString fileName;
    QByteArray bytes;
    const sheet::SheetFormat* format;
    std::vector<productlist::TaxCode> codes;  // meanings the user gives the list's tax codes
    int janColumn;                            // the columns the mapping must propose
    int nameColumn;
    int priceColumn;                         // -1: the list has none, the import stops
    std::vector<sheet::TagRecord> expected;  // the tags, in list order
};

inline sheet::TagRecord tagOf(const QString& jan, const QString& name, qint32 price, const QString& name2 = {},
                              const QString& maker = {}, const QString& spec = {}, const QString& lot = {})
{
    return sheet::TagRecord {jan, maker, name, name2, spec, lot, price};
}

// Yen without tax at `percent`, with the fraction dropped.
inline qint32 withTax(qint32 yen, int percent)
{
    return yen * (100 + percent) / 100;
}

inline std::vector<RegisterList> registerLists()
{
    const QString water = QStringLiteral("4901234567894");
    const QString soap = QStringLiteral("4500000000018");
    const QString short8 = QStringLiteral("49012347");
    QStringEncoder cp932("windows-31j");
    QStringEncoder utf16("UTF-16LE", QStringEncoder::Flag::WriteBom);
    std::vector<RegisterList> lists;

    lists.push_back(
        {"cloud register: shop code beside the barcode, reading and receipt names, cost",
         "cloud.csv",
         QByteArray("\xEF\xBB\xBF")
             + QStringLiteral("商品ID,商品コード,バーコード(JAN),部門,商品名カナ,レシート名,商品名,通常売価,原価\r\n"
                              "101,A0001,%1,飲料,ﾃﾝﾈﾝｽｲ,水,天然水 2L,98,60\r\n"
                              "102,A0002,%2,日用品,ｾﾝｻﾞｲ,洗剤,洗濯洗剤 詰替,328,200\r\n"
                              "103,A0003,%3,菓子,ﾎﾟﾃﾄ,ポテト,ポテトチップス うすしお,\"1,280\",900\r\n")
                   .arg(water, soap, short8)
                   .toUtf8(),
         &sheet::SheetFormat::large,
         {},
         2,
         6,
         7,
         {tagOf(water, QStringLiteral("天然水 2L"), 98), tagOf(soap, QStringLiteral("洗濯洗剤 詰替"), 328),
          tagOf(short8, QStringLiteral("ポテトチップス うすしお"), 1280)}});

    const SheetRows sheetRows {
        {str("JANコード"), str("品名"), str("規格"), str("原価"), str("仕入単価"), str("売価(税抜)"), str("価格2"),
         str("特売価格")},
        {num(water), str("カップ麺 しょうゆ味"), str("1食"), num("120"), num("118"), num("198"), num("178"),
         num("150")},
        {num(soap), str("北海道牛乳（成分無調整）"), str("1L"), num("140"), num("138"), num("158"), num("168"),
         num("148")},
        {num(short8), str("ミネラルウォーター大容量パック"), str("2L×6"), num("700"), num("690"), num("980"),
         num("1000"), num("900")},
    };
    lists.push_back({"hand-kept workbook: cost, second and sale prices beside the price without tax, long names",
                     "棚.xlsx",
                     xlsxOf({{QStringLiteral("商品"), sheetRows}}),
                     &sheet::SheetFormat::small,
                     {},
                     0,
                     1,
                     5,
                     {tagOf(water, QStringLiteral("カップ麺"), withTax(198, 10), QStringLiteral("しょうゆ味"), {},
                            QStringLiteral("1食")),
                      tagOf(soap, QStringLiteral("北海道牛乳（成"), withTax(158, 10), QStringLiteral("分無調整）"), {},
                            QStringLiteral("1L")),
                      tagOf(short8, QStringLiteral("ミネラルウォー"), withTax(980, 10), QStringLiteral("ター大容量パ"),
                            {}, QStringLiteral("2L×6"))}});

    lists.push_back(
        {"card terminal: codes kept as text with #, ' and =\"...\"",
         "terminal.csv",
         cp932.encode(
             QStringLiteral("JAN,商品名,単価\r\n#%1,天然水,100\r\n'%2,洗剤,200\r\n\"=\"\"%3\"\"\",弁当,300\r\n")
                 .arg(water, soap, short8)),
         &sheet::SheetFormat::large,
         {},
         0,
         1,
         2,
         {tagOf(water, QStringLiteral("天然水"), 100), tagOf(soap, QStringLiteral("洗剤"), 200),
          tagOf(short8, QStringLiteral("弁当"), 300)}});

    lists.push_back(
        {"register: 内税/外税 and the rate in two columns, the list's own codes",
         "tax.csv",
         QStringLiteral("JANコード,商品名,売価,税込/税抜,税率\r\n"
                        "%1,水,98,外税,軽減\r\n%2,洗剤,248,外税,標準\r\n%3,弁当,500,内税,軽減\r\n"
                        ",切手,84,外税,非課税\r\n,パン,150,税抜,8%\r\n,菓子,200,外税,1\r\n,酒,1000,外税,2\r\n")
             .arg(water, soap, short8)
             .toUtf8(),
         &sheet::SheetFormat::large,
         {productlist::TaxCode {QStringLiteral("1"), {8, false}}},
         0,
         1,
         2,
         {tagOf(water, QStringLiteral("水"), withTax(98, 8)), tagOf(soap, QStringLiteral("洗剤"), withTax(248, 10)),
          tagOf(short8, QStringLiteral("弁当"), 500), tagOf({}, QStringLiteral("切手"), 84),
          tagOf({}, QStringLiteral("パン"), withTax(150, 8)), tagOf({}, QStringLiteral("菓子"), withTax(200, 8))}});

    lists.push_back(
        {"English headers",
         "items.csv",
         QStringLiteral("Item ID,Item Name,Variation Name,SKU,GTIN,Brand,Size,Price,Cost\n"
                        "X1,Green Tea,Regular,T-01,%1,ACME,500ml,128.00,70\n"
                        "X2,Soap,Large,S-02,%2,Clean,3pc,450.00,300\n")
             .arg(water, soap)
             .toUtf8(),
         &sheet::SheetFormat::large,
         {},
         4,
         1,
         7,
         {tagOf(water, QStringLiteral("Green Tea"), 128, {}, QStringLiteral("ACME"), QStringLiteral("500ml")),
          tagOf(soap, QStringLiteral("Soap"), 450, {}, QStringLiteral("Clean"), QStringLiteral("3pc"))}});

    lists.push_back(
        {"card terminal: UTF-16LE tab text",
         "terminal.txt",
         utf16.encode(
             QStringLiteral("JANコード\t商品名\t売価（税込）\t入数\r\n%1\t天然水\t108\t24\r\n%2\t洗剤\t330\t6\r\n")
                 .arg(water, soap)),
         &sheet::SheetFormat::large,
         {},
         0,
         1,
         2,
         {tagOf(water, QStringLiteral("天然水"), 108, {}, {}, {}, QStringLiteral("24")),
          tagOf(soap, QStringLiteral("洗剤"), 330, {}, {}, {}, QStringLiteral("6"))}});

    lists.push_back({"no price column: the import stops",
                     "noprice.csv",
                     QStringLiteral("JANコード,商品名,原価,メーカー\r\n%1,天然水,60,棚札\r\n").arg(water).toUtf8(),
                     &sheet::SheetFormat::large,
                     {},
                     0,
                     1,
                     -1,
                     {}});
    return lists;
}

}  // namespace testfiles
