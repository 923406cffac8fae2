// What needs a tag, as rows a shop meets: a new product, a price changed, a sale that starts or
// ends, a discontinued product, a print pending, and the moment from which a print stands.

#include "core/catalogue/rules/tag_needs.h"

#include "support/shop_products.h"

#include <gtest/gtest.h>

using catalogue::Moment;
using catalogue::rules::NeedKind;
using catalogue::rules::SaleChange;
using catalogue::rules::ShelfTag;
using test_support::ShopItem;

namespace {

// The milk's tag as a confirmed print put it up: a regular one, or a sale tag of offer 7.
ShelfTag shelfOf(const catalogue::Product& product, qint64 offerId = 0, qint32 price = 0)
{
    ShelfTag shelf;
    shelf.printId = 3;
    shelf.tag = product.tag;
    if (price != 0) {
        shelf.tag.price = price;
    }
    shelf.offerId = offerId;
    shelf.text = catalogue::comparedTagText(shelf.tag, offerId, 0);
    return shelf;
}

catalogue::OfferItem sale(qint32 price)
{
    catalogue::OfferItem item;
    item.offerId = 7;
    item.offerName = QStringLiteral("12月第3週チラシ");
    item.salePrice = price;
    item.period = {{QDate(2026, 12, 16), QDate(2026, 12, 20)}, std::nullopt};
    return item;
}

TEST(TagNeeds, TheWantedTagBesideTheShelfs)
{
    const catalogue::Product milk = test_support::shopProduct(ShopItem::milk);
    catalogue::Product dearer = milk;
    dearer.tag.price = 218;
    catalogue::Product discontinued = milk;
    discontinued.active = false;
    const catalogue::OfferItem offer = sale(178);
    struct Row {
        const char* what;
        catalogue::Product state;
        const catalogue::OfferItem* holding;
        std::optional<ShelfTag> shelf;
        std::optional<NeedKind> kind;  // none: not listed
        qint32 price;
        SaleChange saleChange;
    };
    const Row rows[] = {
        {"a new product", milk, nullptr, std::nullopt, NeedKind::newTag, 198, SaleChange::none},
        {"its tag is up", milk, nullptr, shelfOf(milk), std::nullopt, 198, SaleChange::none},
        {"a price changed by a list", dearer, nullptr, shelfOf(milk), NeedKind::changed, 218, SaleChange::none},
        {"a sale starts", milk, &offer, shelfOf(milk), NeedKind::changed, 178, SaleChange::starts},
        {"its sale tag is up", milk, &offer, shelfOf(milk, 7, 178), std::nullopt, 178, SaleChange::none},
        {"the sale ended", milk, nullptr, shelfOf(milk, 7, 178), NeedKind::changed, 198, SaleChange::ends},
        {"discontinued, its tag up", discontinued, &offer, shelfOf(milk), NeedKind::takeDown, 198, SaleChange::none},
        {"discontinued, no tag", discontinued, nullptr, std::nullopt, std::nullopt, 198, SaleChange::none},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const auto wanted = catalogue::rules::wantedTag(row.state, row.holding);
        EXPECT_EQ(wanted.product.tag.price, row.price);
        const auto need = catalogue::rules::needOf(wanted, row.shelf, false);
        ASSERT_EQ(need.has_value(), row.kind.has_value());
        if (need) {
            EXPECT_EQ(need->kind, *row.kind);
            EXPECT_EQ(catalogue::rules::saleChangeOf(*need), row.saleChange);
            EXPECT_EQ(need->sale.has_value(), row.holding != nullptr && row.state.active);
        }
        // Listed with the up-to-date ones, a tag on its shelf is always a row.
        EXPECT_EQ(catalogue::rules::needOf(wanted, row.shelf, true).has_value(), row.shelf || row.state.active);
    }
    const auto changed = catalogue::rules::needOf(catalogue::rules::wantedTag(dearer, nullptr), shelfOf(milk), false);
    EXPECT_EQ(changed->changedFields, std::vector<sheet::Field> {sheet::Field::price});
}

TEST(TagNeeds, APrintForThePresentStandsForTheWholeDayAndOneAheadFromItsMoment)
{
    const auto at = [](int day, int hour, int minute = 0) { return Moment {QDate(2026, 12, day), hour * 60 + minute}; };
    struct Row {
        const char* what;
        Moment madeFor;
        Moment madeAt;
        Moment standsFrom;
    };
    const Row rows[] = {
        {"this morning's print, made for now", at(10, 9), at(10, 9), at(10, 0)},
        {"made at 9:06 for today", at(10, 0), at(10, 9, 6), at(10, 0)},
        {"yesterday's tags reprinted today", at(9, 0), at(10, 9), at(9, 0)},
        {"sale tags printed the day before", at(16, 0), at(15, 17), at(16, 0)},
        {"a time sale's tags printed that morning", at(16, 17), at(16, 9), at(16, 17)},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(catalogue::rules::standsFrom(row.madeFor, row.madeAt), row.standsFrom) << row.what;
    }
}

TEST(TagNeeds, APendingPrintHoldsTheTagItNeedsButNoTakeDown)
{
    catalogue::Product milk = test_support::shopProduct(ShopItem::milk);
    const QHash<QString, qint64> pending {{catalogue::comparedTagText(milk.tag, 0, 0), 5}};
    auto need = catalogue::rules::needOf(catalogue::rules::wantedTag(milk, nullptr), std::nullopt, false);
    EXPECT_EQ(catalogue::rules::pendingPrintFor(*need, pending), 5);
    const catalogue::OfferItem offer = sale(178);
    need = catalogue::rules::needOf(catalogue::rules::wantedTag(milk, &offer), std::nullopt, false);
    EXPECT_EQ(catalogue::rules::pendingPrintFor(*need, pending), 0);  // the pending one is the regular tag
    milk.active = false;
    need = catalogue::rules::needOf(catalogue::rules::wantedTag(milk, nullptr), shelfOf(milk), false);
    EXPECT_EQ(catalogue::rules::pendingPrintFor(*need, pending), 0);
}

}  // namespace
