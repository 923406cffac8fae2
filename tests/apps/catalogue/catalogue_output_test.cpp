// The catalogue's listings as the command line prints them: a line a product with what changed,
// the status counts, the merge's counts.

#include "apps/catalogue/catalogue_output.h"

#include "support/time_zone.h"

#include <gtest/gtest.h>

using catalogue::NeedKind;
using catalogue::TagNeed;

namespace {

TagNeed milk(NeedKind kind)
{
    TagNeed need;
    need.kind = kind;
    need.product.code = QStringLiteral("4901234567894");
    need.product.shelf = QStringLiteral("A-10");
    need.product.tag = {QStringLiteral("4901234567894"),
                        QStringLiteral("山田乳業"),
                        QStringLiteral("牛乳"),
                        {},
                        QStringLiteral("1000ml"),
                        {},
                        1258};
    return need;
}

TEST(CatalogueReport, ALineAProductWithWhatChanged)
{
    TagNeed changed = milk(NeedKind::changed);
    changed.shelfTag = changed.product.tag;
    changed.shelfTag->price = 238;
    changed.shelfTag->productName = QStringLiteral("低脂肪乳");
    changed.changedFields = {sheet::Field::productName, sheet::Field::price};
    TagNeed twoTags = milk(NeedKind::newTag);
    twoTags.product.tagCount = 2;
    TagNeed noShelf = milk(NeedKind::newTag);
    noShelf.product.shelf.clear();
    noShelf.product.tag.maker.clear();
    TagNeed takeDown = milk(NeedKind::takeDown);
    takeDown.product.tagCount = 3;  // a take-down is one line whatever its tags
    const struct {
        const char* name;
        TagNeed need;
        const char* line;
    } rows[] = {
        {"new", milk(NeedKind::newTag), "新規\tA-10\t4901234567894\t山田乳業 牛乳 1000ml\t1,258円"},
        {"changed: each field as it was and is", changed,
         "変更あり\tA-10\t4901234567894\t山田乳業 牛乳 1000ml\t1,258円\t商品名「低脂肪乳」→「牛乳」、価格 238円 → "
         "1,258円"},
        {"two tags", twoTags, "新規\tA-10\t4901234567894\t山田乳業 牛乳 1000ml\t1,258円\t2枚"},
        {"no shelf, no maker", noShelf, "新規\t-\t4901234567894\t牛乳 1000ml\t1,258円"},
        {"take-down", takeDown, "取り下げ\tA-10\t4901234567894\t山田乳業 牛乳 1000ml\t1,258円"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(catalogue::output::needLine(row.need), QString::fromUtf8(row.line)) << row.name;
    }
}

TEST(CatalogueReport, StatusAndMergeCounts)
{
    catalogue::StatusCounts counts;
    counts.products = 200;
    counts.discontinued = 3;
    EXPECT_EQ(catalogue::output::statusText(counts, {}),
              QStringLiteral("商品 200 (取り扱い終了 3)\n印刷する棚札も取り下げる棚札もありません\n"));
    counts.newTags = 5;
    counts.changed = 12;
    counts.takeDown = 3;
    const test_support::ScopedTimeZone japan("Asia/Tokyo");
    catalogue::PrintInfo pending;
    pending.id = 4;
    pending.createdAt = QStringLiteral("2026-12-09T19:22:43Z");
    pending.tagCount = 17;
    pending.destination = QStringLiteral("/tmp/week.pdf");
    EXPECT_EQ(catalogue::output::statusText(counts, {pending}),
              QStringLiteral("商品 200 (取り扱い終了 3)\n新規 5、変更あり 12、取り下げ 3\n"
                             "確認待ちの印刷 4 (12/10(木) 04:22、棚札 17 枚、/tmp/week.pdf)\n"));
    catalogue::MergeCounts merged {205, 5, 12, 3, 1, 184};
    EXPECT_EQ(catalogue::output::mergeText(merged, 2),
              QStringLiteral("取り込み 2: 行 205、新規 5、変更 12、取り扱い終了 3、使わない行 1\n"));
}

}  // namespace
