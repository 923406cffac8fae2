// The catalogue's print plan: which products are laid, how many tags each, and where every tag
// lands from the start tag on, without a database.

#include "core/jobs/catalogue_print.h"

#include <gtest/gtest.h>

#include <vector>

using catalogue::NeedKind;
using catalogue::TagNeed;
using jobs::NeedFilter;

namespace {

TagNeed need(NeedKind kind, qint64 id, int tagCount, const char* name2 = "")
{
    TagNeed out;
    out.kind = kind;
    out.product.id = id;
    out.product.tagCount = tagCount;
    out.product.tag.productName = QStringLiteral("商品%1").arg(id);
    out.product.tag.productName2 = QString::fromUtf8(name2);
    out.product.tag.price = qint32(100 + id);
    return out;
}

// Every placed tag as "product:sheet/slot".
QStringList places(const jobs::CataloguePrintPlan& plan)
{
    QStringList out;
    for (const catalogue::PlacedTag& placed : plan.placed) {
        out << QStringLiteral("%1:%2/%3").arg(placed.productId).arg(placed.sheet).arg(placed.slot);
    }
    return out;
}

struct Row {
    const char* name;
    std::vector<TagNeed> needs;
    const sheet::SheetFormat* format;
    int startTag;
    NeedFilter filter;
    QStringList places;
    int sheets;
};

TEST(PlanCataloguePrint, LaysTheTagsThatNeedPrintingFromTheStartTag)
{
    const std::vector<TagNeed> week {need(NeedKind::newTag, 1, 1), need(NeedKind::changed, 2, 2),
                                     need(NeedKind::upToDate, 3, 1), need(NeedKind::takeDown, 4, 1),
                                     need(NeedKind::newTag, 5, 1)};
    std::vector<TagNeed> many;
    for (int id = 1; id <= 30; ++id) {
        many.push_back(need(NeedKind::changed, id, 1));
    }
    const Row rows[] = {
        {"new and changed, a tag per tag count; up to date and take-downs left out",
         week,
         &sheet::SheetFormat::large,
         1,
         NeedFilter::all,
         {"1:1/1", "2:1/2", "2:1/3", "5:1/4"},
         1},
        {"from tag 23 of a large sheet: the rest on a new sheet from its first tag",
         week,
         &sheet::SheetFormat::large,
         23,
         NeedFilter::all,
         {"1:1/23", "2:1/24", "2:2/1", "5:2/2"},
         2},
        {"only the new", week, &sheet::SheetFormat::large, 1, NeedFilter::newOnly, {"1:1/1", "5:1/2"}, 1},
        {"only the changed", week, &sheet::SheetFormat::small, 40, NeedFilter::changedOnly, {"2:1/40", "2:2/1"}, 2},
        {"nothing to print", {need(NeedKind::upToDate, 3, 1)}, &sheet::SheetFormat::small, 1, NeedFilter::all, {}, 0},
        {"thirty on small sheets from tag 20", many, &sheet::SheetFormat::small, 20, NeedFilter::all,
         [] {
             QStringList out;
             for (int id = 1; id <= 30; ++id) {
                 out << (id <= 21 ? QStringLiteral("%1:1/%2").arg(id).arg(19 + id)
                                  : QStringLiteral("%1:2/%2").arg(id).arg(id - 21));
             }
             return out;
         }(),
         2},
    };
    for (const Row& row : rows) {
        const jobs::CataloguePrintPlan plan
            = jobs::planCataloguePrint(row.needs, *row.format, row.startTag, row.filter);
        EXPECT_EQ(places(plan), row.places) << row.name;
        ASSERT_EQ(int(plan.sheets.size()), row.sheets) << row.name;
        for (size_t i = 0; i < plan.placed.size(); ++i) {
            const catalogue::PlacedTag& placed = plan.placed[i];
            const sheet::TagSheet& page = plan.sheets[size_t(placed.sheet - 1)];
            EXPECT_EQ(page.record(placed.slot).productName, placed.tag.productName) << row.name;
            EXPECT_EQ(page.outputMode, sheet::OutputMode::printer) << row.name;
        }
    }
}

TEST(PlanCataloguePrint, ALargeTagHasNoSecondNameLineButTheRecordKeepsIt)
{
    const std::vector<TagNeed> needs {need(NeedKind::newTag, 7, 1, "しょうゆ味")};
    const jobs::CataloguePrintPlan large
        = jobs::planCataloguePrint(needs, sheet::SheetFormat::large, 1, NeedFilter::all);
    const jobs::CataloguePrintPlan small
        = jobs::planCataloguePrint(needs, sheet::SheetFormat::small, 1, NeedFilter::all);
    EXPECT_EQ(large.sheets.front().record(1).productName2, QString());
    EXPECT_EQ(small.sheets.front().record(1).productName2, QStringLiteral("しょうゆ味"));
    // What the print records is compared with the product's tag later, whatever the format.
    EXPECT_EQ(large.placed.front().tag, needs.front().product.tag);
}

}  // namespace
