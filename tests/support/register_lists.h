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
#include <QStringList>

#include <algorithm>
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

// A cloud register's product export in the shape its help page documents (the lines above its
// titles, the titles, the rows, the kind of file), and row by row what the shop's tags must say
// (by the tests' own arithmetic) and the rate each price bears.
struct RegisterExport {
    enum class File { cp932, utf8Bom, utf16le, xlsx };
    const char* registerKey;
    File file;
    QStringList before;  // one cell each
    QStringList titles;
    std::vector<QStringList> rows;
    std::vector<sheet::TagRecord> expected;
    std::vector<int> rates;  // percent
    QString report;          // what the import says of the register

    QString fileName() const { return QLatin1String(registerKey) + (file == File::xlsx ? ".xlsx" : ".csv"); }
    // The file's bytes, with every row's columns the other way round when `reversed`.
    QByteArray bytes(bool reversed = false) const
    {
        std::vector<QStringList> lines {titles};
        lines.insert(lines.end(), rows.begin(), rows.end());
        SheetRows sheet;
        QString text;
        for (size_t i = 0; i < before.size() + lines.size(); ++i) {
            QStringList cells
                = i < size_t(before.size()) ? QStringList {before.at(qsizetype(i))} : lines[i - before.size()];
            if (reversed && i >= size_t(before.size())) {
                std::reverse(cells.begin(), cells.end());
            }
            sheet.emplace_back();
            for (QString& cell : cells) {
                sheet.back().push_back(str(cell));
                cell = cell.contains(u',') ? u'"' + cell + u'"' : cell;
            }
            text += cells.join(u',') + QStringLiteral("\r\n");
        }
        switch (file) {
        case File::xlsx:
            return xlsxOf({{QStringLiteral("商品"), sheet}});
        case File::cp932:
            return QStringEncoder("windows-31j").encode(text);
        case File::utf16le:
            return QStringEncoder("UTF-16LE", QStringEncoder::Flag::WriteBom).encode(text);
        case File::utf8Bom:
            break;
        }
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    }
};

inline std::vector<RegisterExport> registerExports()
{
    const QString water = QStringLiteral("4901234567894");
    const QString soap = QStringLiteral("4500000000018");
    const QString short8 = QStringLiteral("49012347");
    const QString cola = QStringLiteral("4902102072618");
    using File = RegisterExport::File;
    std::vector<RegisterExport> exports;
    // 税区分 0 税込, 1 税抜 (the list-wide 10 %), 2 非課税; 商品コード may hold a shop's own code.
    exports.push_back(
        {"smaregi",
         File::cp932,
         {},
         {"商品ID", "部門ID", "商品コード", "商品名", "商品カナ", "商品単価", "原価", "規格", "税区分"},
         {{"102", "1", soap, "洗剤 詰替", "センザイ", "1722", "900", "450ml", "1"},
          {"101", "1", water, "天然水", "テンネンスイ", "98", "60", "2L", "0"},
          {"103", "2", short8, "切手", "キッテ", "84", "84", "", "2"},
          {"104", "3", "A0004", "手作り弁当", "テヅクリベントウ", "500", "300", "", "1"}},
         {tagOf(soap, "洗剤 詰替", withTax(1722, 10), {}, {}, "450ml"), tagOf(water, "天然水", 98, {}, {}, "2L"),
          tagOf(short8, "切手", 84), tagOf("A0004", "手作り弁当", withTax(500, 10))},
         {10, 10, 0, 10},
         "スマレジの商品データとして読みました"});
    // A version line; 税設定 and 適用税率 in words; 商品コード beside the JAN in バーコード as "#4901…".
    exports.push_back(
        {"airregi",
         File::utf8Bom,
         {"ver.2.0"},
         {"カテゴリーID", "カテゴリー", "商品コード", "商品名", "価格", "税設定", "適用税率", "バーコード"},
         {{"1", "飲料", "P001", "緑茶", "150", "外税", "軽減税率", '#' + water},
          {"1", "飲料", "P002", "ビール", "250", "外税", "標準税率", '#' + soap},
          {"2", "惣菜", "P003", "コロッケ", "108", "内税", "軽減税率", ""},
          {"3", "雑貨", "P004", "切手", "84", "外税", "非課税", '#' + short8}},
         {tagOf(water, "緑茶", withTax(150, 8)), tagOf(soap, "ビール", withTax(250, 10)), tagOf({}, "コロッケ", 108),
          tagOf(short8, "切手", 84)},
         {8, 10, 8, 0},
         "Airレジの商品データとして読みました (見出しの前の 1 行は読んでいません)"});
    // UTF-16LE; the size in Variation Name (Regular: none); a Y/N column per tax; prices with the tax.
    const QStringList squareTitles {
        "Token", "Item Name",          "Variation Name",     "SKU", "Description", "Category", "GTIN",
        "Price", "Tax - 消費税 (10%)", "Tax - 軽減税率 (8%)"};
    const std::vector<QStringList> squareRows {{"T1", "緑茶", "500ml", "S-1", "", "飲料", water, "150", "N", "Y"},
                                               {"T2", "緑茶", "2L", "S-2", "", "飲料", soap, "350", "N", "Y"},
                                               {"T3", "タオル", "Regular", "S-3", "綿", "雑貨", "", "500", "Y", "N"},
                                               {"T4", "切手", "Regular", "S-4", "", "雑貨", short8, "84", "N", "N"}};
    const std::vector<sheet::TagRecord> squareTags {tagOf(water, "緑茶", 150, {}, {}, "500ml"),
                                                    tagOf(soap, "緑茶", 350, {}, {}, "2L"), tagOf({}, "タオル", 500),
                                                    tagOf(short8, "切手", 84)};
    exports.push_back({"square",
                       File::utf16le,
                       {},
                       squareTitles,
                       squareRows,
                       squareTags,
                       {8, 8, 10, 0},
                       "Squareの商品データとして読みました"});
    // The import template: notes above the columns, a workbook.
    QStringList templateTitles = squareTitles;
    templateTitles.replace(templateTitles.indexOf("Category"), "Categories");
    templateTitles.prepend("Reference Handle");
    std::vector<QStringList> templateRows;
    for (QStringList row : squareRows) {
        row.prepend('#' + row.at(1));
        templateRows.push_back(row);
    }
    exports.push_back(
        {"square-template",
         File::xlsx,
         {"商品ライブラリのテンプレート", "各列の説明を読んでから入力してください"},
         templateTitles,
         templateRows,
         squareTags,
         {8, 8, 10, 0},
         "Square (商品インポート用テンプレート)の商品データとして読みました (見出しの前の 2 行は読んでいません)"});
    // 消費税率 10 or 0 beside 内税/外税/非課税; the barcode in 商品コード, the shop's 品番 beside it.
    exports.push_back({"cashier",
                       File::xlsx,
                       {},
                       {"商品コード", "商品名", "商品名(カナ)", "品番", "サイズ・カラー・規格", "販売価格",
                        "商品カテゴリ", "消費税率", "内税/外税/非課税"},
                       {{water, "洗剤", "センザイ", "H-1", "詰替 400ml", "298", "日用品", "10", "外税"},
                        {soap, "電池", "デンチ", "H-2", "単3 4本", "440", "日用品", "10", "内税"},
                        {"", "ギフト券", "ギフトケン", "G-1", "", "1000", "サービス", "0", "非課税"}},
                       {tagOf(water, "洗剤", withTax(298, 10), {}, {}, "詰替 400ml"),
                        tagOf(soap, "電池", 440, {}, {}, "単3 4本"), tagOf({}, "ギフト券", 1000)},
                       {10, 10, 0},
                       "CASHIERの商品データとして読みました"});
    // One code for the rate and the basis: 1 税抜 8 %, 2 税込 8 %, 3 税抜 10 %, 4 税込 10 %, 5 非課税.
    exports.push_back(
        {"justorder",
         File::utf8Bom,
         {},
         {"商品コード", "商品名", "価格", "税区分", "テイクアウト", "キッチン印刷区分"},
         {{water, "からあげ弁当", "500", "1", "1", "1"},
          {soap, "おにぎり", "150", "2", "1", "1"},
          {short8, "生ビール", "500", "3", "0", "1"},
          {cola, "ハイボール", "440", "4", "0", "1"},
          {"", "切手", "84", "5", "0", "0"}},
         {tagOf(water, "からあげ弁当", withTax(500, 8)), tagOf(soap, "おにぎり", 150),
          tagOf(short8, "生ビール", withTax(500, 10)), tagOf(cola, "ハイボール", 440), tagOf({}, "切手", 84)},
         {8, 8, 10, 10, 0},
         "Just Orderの商品データとして読みました"});
    return exports;
}

}  // namespace testfiles
