// The merge planned from the catalogue's products and a list, without a database: what is new,
// what changed in which fields, what is discontinued, and what is counted.

#include "core/catalogue/rules/merge_plan.h"

#include <gtest/gtest.h>

#include <vector>

using catalogue::IncomingList;
using catalogue::MergeOptions;
using catalogue::Product;
using catalogue::ProductData;
using catalogue::ProductField;

namespace {

ProductData data(const char* code, const char* name, qint32 price, const char* shelf, int order)
{
    ProductData out;
    out.code = QString::fromLatin1(code);
    out.tag.jan = out.code;
    out.tag.productName = QString::fromUtf8(name);
    out.tag.price = price;
    out.listPrice = price;
    out.shelf = QString::fromLatin1(shelf);
    out.listOrder = order;
    return out;
}

Product stored(qint64 id, ProductData from, bool active = true)
{
    Product out;
    static_cast<ProductData&>(out) = std::move(from);
    out.id = id;
    out.active = active;
    return out;
}

// The shop holds milk (1), bread (2), eggs (3, discontinued) and rice (4).
std::vector<Product> shop()
{
    return {stored(1, data("A", "牛乳", 198, "A-1", 2)), stored(2, data("B", "食パン", 158, "A-2", 3)),
            stored(3, data("C", "卵", 248, "B-1", 4), false), stored(4, data("D", "米", 1980, "C-1", 5))};
}

struct Expected {
    int added;
    int changed;
    int unchanged;
    int discontinued;
    std::vector<std::pair<qint64, std::vector<ProductField>>> updated;  // id, changed fields
    std::vector<int> addedOrders;
};

struct Row {
    const char* name;
    std::vector<ProductData> list;
    bool partial;
    Expected expected;
};

TEST(PlanMerge, CountsAndFieldsOfEveryKindOfRow)
{
    const ProductData milk = data("A", "牛乳", 198, "A-1", 2);
    const ProductData bread = data("B", "食パン", 158, "A-2", 3);
    const ProductData eggs = data("C", "卵", 248, "B-1", 4);
    const ProductData rice = data("D", "米", 1980, "C-1", 5);
    ProductData dearerMilk = milk;
    dearerMilk.tag.price = 218;
    dearerMilk.listPrice = 218;
    ProductData movedBread = bread;
    movedBread.shelf = QStringLiteral("A-9");
    ProductData renamedRice = rice;
    renamedRice.tag.productName = QStringLiteral("新米");
    ProductData reducedRateRice = rice;
    reducedRateRice.taxRatePercent = 8;
    ProductData breadLater = bread;
    breadLater.listOrder = 7;
    const ProductData juice = data("E", "ジュース", 128, "A-3", 6);

    const Row rows[] = {
        {"the same list again", {milk, bread, rice}, false, {0, 0, 3, 0, {}, {}}},
        {"a price changed",
         {dearerMilk, bread, rice},
         false,
         {0, 1, 2, 0, {{1, {ProductField::price, ProductField::listPrice}}}, {}}},
        {"only moved shelf: counted as changed, no tag field",
         {milk, movedBread, rice},
         false,
         {0, 1, 2, 0, {{2, {ProductField::shelf}}}, {}}},
        {"renamed", {milk, bread, renamedRice}, false, {0, 1, 2, 0, {{4, {ProductField::productName}}}, {}}},
        {"the tax rate only", {milk, bread, reducedRateRice}, false, {0, 1, 2, 0, {{4, {ProductField::taxRate}}}, {}}},
        {"a full list without rice discontinues it, not the eggs again", {milk, bread}, false, {0, 0, 2, 1, {}, {}}},
        {"a partial list discontinues nothing",
         {dearerMilk},
         true,
         {0, 1, 0, 0, {{1, {ProductField::price, ProductField::listPrice}}}, {}}},
        {"the eggs come back: counted as changed though nothing differs",
         {milk, bread, eggs, rice},
         false,
         {0, 1, 3, 0, {{3, {}}}, {}}},
        {"a new product keeps its row number in a full list", {milk, bread, rice, juice}, false, {1, 0, 3, 0, {}, {6}}},
        {"a new product of a partial list comes after all others", {juice}, true, {1, 0, 0, 0, {}, {5 + 6}}},
        {"a full list's new order is written but not counted",
         {milk, breadLater, rice},
         false,
         {0, 0, 3, 0, {{2, {}}}, {}}},
        {"a partial list keeps the order", {breadLater}, true, {0, 0, 1, 0, {}, {}}},
    };
    for (const Row& row : rows) {
        IncomingList list;
        list.rowCount = int(row.list.size()) + 1;
        list.products = row.list;
        list.refused.push_back({9, QStringLiteral("理由")});
        MergeOptions options;
        options.partial = row.partial;
        const catalogue::MergePlan plan = catalogue::planMerge(shop(), list, options);
        const Expected& want = row.expected;
        EXPECT_EQ(plan.counts.added, want.added) << row.name;
        EXPECT_EQ(plan.counts.changed, want.changed) << row.name;
        EXPECT_EQ(plan.counts.unchanged, want.unchanged) << row.name;
        EXPECT_EQ(plan.counts.discontinued, want.discontinued) << row.name;
        EXPECT_EQ(plan.counts.refused, 1) << row.name;
        EXPECT_EQ(plan.counts.rows, list.rowCount) << row.name;
        ASSERT_EQ(plan.updated.size(), want.updated.size()) << row.name;
        for (size_t i = 0; i < want.updated.size(); ++i) {
            EXPECT_EQ(plan.updated[i].id, want.updated[i].first) << row.name;
            EXPECT_EQ(plan.updated[i].changedFields, want.updated[i].second) << row.name;
        }
        ASSERT_EQ(plan.added.size(), want.addedOrders.size()) << row.name;
        for (size_t i = 0; i < want.addedOrders.size(); ++i) {
            EXPECT_EQ(plan.added[i].listOrder, want.addedOrders[i]) << row.name;
        }
    }
}

TEST(PlanMerge, DiscontinuesOnlyWhatAFullListLeavesOut)
{
    IncomingList list;
    list.products = {data("B", "食パン", 158, "A-2", 3)};
    const catalogue::MergePlan full = catalogue::planMerge(shop(), list, {});
    EXPECT_EQ(full.discontinued, (std::vector<qint64> {1, 4}));  // the eggs are gone already
    EXPECT_EQ(full.seen, (std::vector<qint64> {2}));
    MergeOptions partial;
    partial.partial = true;
    EXPECT_TRUE(catalogue::planMerge(shop(), list, partial).discontinued.empty());
}

struct ChangeRow {
    const char* name;
    std::vector<ProductData> list;
    int needTag;
    std::vector<std::pair<std::vector<ProductField>, int>> quiet;  // fields, count
};

// What a changed product means for the shelf: a new tag, or none when only what the tag does not
// show changed.
TEST(PlanMerge, SaysWhichChangesNeedANewTag)
{
    const ProductData milk = data("A", "牛乳", 198, "A-1", 2);
    const ProductData bread = data("B", "食パン", 158, "A-2", 3);
    const ProductData eggs = data("C", "卵", 248, "B-1", 4);
    const ProductData rice = data("D", "米", 1980, "C-1", 5);
    ProductData dearerMilk = milk;
    dearerMilk.tag.price = dearerMilk.listPrice = 218;
    ProductData movedBread = bread;
    movedBread.shelf = QStringLiteral("A-9");
    ProductData movedRice = rice;
    movedRice.shelf = QStringLiteral("C-2");
    ProductData twoTagsRice = rice;
    twoTagsRice.tagCount = 2;
    ProductData movedTwoTagsBread = movedBread;
    movedTwoTagsBread.tagCount = 3;
    ProductData movedDearerMilk = dearerMilk;
    movedDearerMilk.shelf = QStringLiteral("Z-1");
    ProductData excludingTaxRice = rice;  // the same tag price, now read as a price before tax
    excludingTaxRice.priceIncludesTax = false;
    excludingTaxRice.listPrice = 1800;

    const ChangeRow rows[] = {
        {"nothing changed", {milk, bread, rice}, 0, {}},
        {"a price: a new tag", {dearerMilk, bread, rice}, 1, {}},
        {"only the shelf: the tag stays", {milk, movedBread, rice}, 0, {{{ProductField::shelf}, 1}}},
        {"two moved, one dearer", {dearerMilk, movedBread, movedRice}, 1, {{{ProductField::shelf}, 2}}},
        {"a price and a shelf: a new tag, not counted twice", {movedDearerMilk, bread, rice}, 1, {}},
        {"the tag count, and shelf with tag count, apart",
         {milk, movedTwoTagsBread, twoTagsRice},
         0,
         {{{ProductField::shelf, ProductField::tagCount}, 1}, {{ProductField::tagCount}, 1}}},
        {"the list price behind the same tag price",
         {milk, bread, excludingTaxRice},
         0,
         {{{ProductField::listPrice, ProductField::priceIncludesTax}, 1}}},
        {"back after being discontinued: a tag again", {milk, bread, eggs, rice}, 1, {}},
    };
    for (const ChangeRow& row : rows) {
        IncomingList list;
        list.products = row.list;
        const catalogue::ChangeSummary summary = catalogue::summariseChanges(catalogue::planMerge(shop(), list, {}));
        EXPECT_EQ(summary.needTag, row.needTag) << row.name;
        std::vector<std::pair<std::vector<ProductField>, int>> quiet;
        for (const catalogue::ChangeSummary::Quiet& group : summary.quiet) {
            quiet.emplace_back(group.fields, group.count);
        }
        EXPECT_EQ(quiet, row.quiet) << row.name;
    }
}

// A list of price changes with only the code, the name and the price: the maker, size and shelf
// the catalogue has are kept, so only the price changes.
TEST(PlanMerge, AFieldTheListHasNoColumnForKeepsWhatTheCatalogueHas)
{
    ProductData stocked = data("A", "牛乳", 198, "A-1", 2);
    stocked.tag.maker = QStringLiteral("山田乳業");
    stocked.tag.spec = QStringLiteral("1000ml");
    stocked.tagCount = 2;
    stocked.unitBase = QStringLiteral("1L");
    stocked.content = QStringLiteral("1000ml");
    ProductData priceOnly = data("A", "牛乳", 218, "", 2);
    priceOnly.tagCount = 1;
    IncomingList list;
    list.products = {priceOnly};
    list.missingFields = {ProductField::maker,    ProductField::spec,     ProductField::shelf,
                          ProductField::tagCount, ProductField::unitBase, ProductField::content};
    MergeOptions partial;
    partial.partial = true;
    const catalogue::MergePlan plan = catalogue::planMerge({stored(1, stocked)}, list, partial);
    ASSERT_EQ(plan.updated.size(), 1u);
    EXPECT_EQ(plan.updated[0].changedFields,
              (std::vector<ProductField> {ProductField::price, ProductField::listPrice}));
    EXPECT_EQ(plan.updated[0].data.tag.maker, QStringLiteral("山田乳業"));
    EXPECT_EQ(plan.updated[0].data.tag.spec, QStringLiteral("1000ml"));
    EXPECT_EQ(plan.updated[0].data.shelf, QStringLiteral("A-1"));
    EXPECT_EQ(plan.updated[0].data.tagCount, 2);
    EXPECT_EQ(plan.updated[0].data.unitBase + u'|' + plan.updated[0].data.content, QStringLiteral("1L|1000ml"));
    // A field the list has a column for is taken as the list has it, empty or not.
    list.missingFields.clear();
    const catalogue::MergePlan wiped = catalogue::planMerge({stored(1, stocked)}, list, partial);
    EXPECT_EQ(wiped.updated[0].data.shelf, QString());
}

}  // namespace
