// Lists as registers, card terminals and hand-kept spreadsheets write them, read, mapped and
// cleaned the whole way, and checked tag slot by tag slot.
#include "core/productlist/cleaning.h"
#include "core/productlist/product_list.h"
#include "core/productlist/sheet_filling.h"

#include "support/register_lists.h"

#include <gtest/gtest.h>

using namespace productlist;

namespace {

TEST(RegisterLists, EachLayoutGivesTheTagsTheShopExpects)
{
    for (const testfiles::RegisterList& given : testfiles::registerLists()) {
        SCOPED_TRACE(given.name);
        const ProductList list = readProductListData(given.bytes);
        ASSERT_TRUE(list.ok) << list.error.toStdString();
        const AutoMapping mapped = mapList(list.columnTitles, list.rows, list.hasHeader, *given.format);
        EXPECT_EQ(mapped.mapping.column(ListField::jan), given.janColumn);
        EXPECT_EQ(mapped.mapping.column(ListField::productName), given.nameColumn);
        EXPECT_EQ(mapped.mapping.column(ListField::price), given.priceColumn);
        if (given.priceColumn < 0) {
            const QString message = noPriceColumnMessage(list.columnTitles);
            for (const QString& title : list.columnTitles) {
                EXPECT_TRUE(message.contains(title)) << message.toStdString();
            }
            continue;
        }
        TaxSettings tax;
        tax.basis = mapped.priceBasis.value_or(PriceBasis::includesTax);
        tax.codes = given.codes;
        const std::vector<CleanRow> cleaned = cleanRows(list.rows, mapped.mapping, *given.format, tax);
        const std::vector<sheet::TagSheet> sheets = sheetsForList(*given.format, 1, usedRecords(cleaned));
        ASSERT_EQ(sheets.size(), 1u);
        for (int slot = 1; slot <= sheets[0].tagsPerPage(); ++slot) {
            SCOPED_TRACE(slot);
            const sheet::TagRecord& tag = sheets[0].record(slot);
            const sheet::TagRecord expected
                = slot <= int(given.expected.size()) ? given.expected[size_t(slot - 1)] : sheet::TagRecord {};
            EXPECT_EQ(tag.jan, expected.jan);
            EXPECT_EQ(tag.maker, expected.maker);
            EXPECT_EQ(tag.productName, expected.productName);
            EXPECT_EQ(tag.productName2, expected.productName2);
            EXPECT_EQ(tag.spec, expected.spec);
            EXPECT_EQ(tag.lot, expected.lot);
            EXPECT_EQ(tag.price, expected.price);
        }
        // What the cleaning did is said on the row it did it to: the marks taken off a code, a
        // name that lost characters; a refused row gives its reason.
        for (const CleanRow& row : cleaned) {
            const QString summary = row.summary();
            const QString code
                = list.rows[size_t(&row - cleaned.data())].cell(mapped.mapping.column(ListField::jan)).trimmed();
            EXPECT_EQ(summary.contains(QStringLiteral("印を外しました")),
                      code.startsWith(u'#') || code.startsWith(u'\'') || code.startsWith(u'='))
                << summary.toStdString();
            const ListRow& listRow = list.rows[size_t(&row - cleaned.data())];
            QString name = listRow.cell(mapped.mapping.column(ListField::productName));
            QString kept = row.record.productName + row.record.productName2;
            name.remove(u' ');
            kept.remove(u' ');
            EXPECT_EQ(summary.contains(QStringLiteral("切りました")), !row.refused() && name != kept)
                << summary.toStdString();
            if (row.refused()) {
                EXPECT_TRUE(summary.contains(QStringLiteral("税率が分からない"))) << summary.toStdString();
            }
        }
    }
}

TEST(SplitName, TwoLinesOfSevenAndSix)
{
    const struct {
        const char* name;
        const char* first;
        const char* second;
        bool lost;
    } rows[] {
        {"天然水", "天然水", "", false},
        {"あいうえおかき", "あいうえおかき", "", false},
        {"あいうえおかきくけこ", "あいうえおかき", "くけこ", false},
        {"カップ麺 しょうゆ味", "カップ麺", "しょうゆ味", false},             // at the blank
        {"緑茶(500ml)ペット", "緑茶(500m", "l)ペット", false},                // no break near: the hard cut
        {"【大袋】お徳用ポテト", "【大袋】", "お徳用ポテト", false},          // after the closing bracket
        {"北海道牛乳（成分無調整）", "北海道牛乳（成", "分無調整）", false},  // the break would lose
        {"ミネラルウォーター大容量パック", "ミネラルウォー", "ター大容量パ", true},
        {"あいうえおか🍎きくけ", "あいうえおか🍎", "きくけ", false},  // characters, not UTF-16 units
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const NameLines lines = splitName(QString::fromUtf8(row.name), 7, 6);
        EXPECT_EQ(lines.first, QString::fromUtf8(row.first));
        EXPECT_EQ(lines.second, QString::fromUtf8(row.second));
        EXPECT_EQ(lines.lost, row.lost);
    }
}

}  // namespace
