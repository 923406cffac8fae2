// What a sale tag shows and how it is compared, as rows of a shop's offers: a week's sale, an
// evening's time sale, a time sale of several evenings; an offer before, during and after its days.

#include "core/catalogue/rules/offer.h"
#include "core/catalogue/rules/product.h"

#include <gtest/gtest.h>

using catalogue::Moment;

namespace {

const QDate kFirst(2026, 12, 16);

TEST(Offer, ThePeriodAsATagShowsIt)
{
    const pricing::DailyHours evening {17 * 60, 19 * 60};
    struct Row {
        pricing::OfferPeriod period;
        const char* shown;
    };
    const Row rows[] = {
        {{{kFirst, kFirst.addDays(4)}, std::nullopt}, "12/16〜12/20"},
        {{{kFirst, kFirst}, evening}, "17:00〜19:00"},
        {{{kFirst, kFirst.addDays(2)}, evening}, "12/16〜12/18 17:00〜19:00"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(catalogue::shownOfferPeriod(row.period), QString::fromUtf8(row.shown));
    }
}

TEST(Offer, StateAtAMomentAndTheMomentAsText)
{
    catalogue::Offer offer;
    offer.firstDay = kFirst;
    offer.lastDay = kFirst.addDays(4);
    struct Row {
        QDate day;
        catalogue::OfferState state;
    };
    const Row rows[] = {{kFirst.addDays(-1), catalogue::OfferState::planned},
                        {kFirst, catalogue::OfferState::running},
                        {kFirst.addDays(4), catalogue::OfferState::running},
                        {kFirst.addDays(5), catalogue::OfferState::ended}};
    for (const Row& row : rows) {
        EXPECT_EQ(offer.stateAt({row.day, 12 * 60}), row.state) << row.day.toString(Qt::ISODate).toStdString();
    }
    const Moment evening {kFirst, 17 * 60 + 5};
    EXPECT_EQ(evening.text(), QStringLiteral("2026-12-16T17:05"));
    EXPECT_EQ(Moment::fromText(evening.text()), evening);
    EXPECT_FALSE(Moment::fromText(QStringLiteral("12/16 17:05")).day.isValid());
}

TEST(Offer, ACompareTextTellsEveryPartOfATagApart)
{
    catalogue::ProductData milk;
    milk.unitBase = QStringLiteral("100ml");
    milk.content = QStringLiteral("1000ml");
    sheet::TagRecord tag;
    tag.jan = QStringLiteral("4900000000047");
    tag.productName = QStringLiteral("牛乳");
    tag.price = 178;
    const QString regular = catalogue::comparedTagText(tag, 0, 0);
    EXPECT_EQ(regular, catalogue::tagText(tag));
    const QStringList texts {regular, catalogue::comparedTagText(tag, 7, 0), catalogue::comparedTagText(tag, 7, 198),
                             catalogue::comparedTagText(tag, 8, 198),
                             catalogue::comparedTagText(tag, 0, 0, catalogue::unitTextOf(milk))};
    for (qsizetype i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts.indexOf(texts[i]), i) << "the same text as another: " << texts[i].toStdString();
        EXPECT_EQ(catalogue::tagOfText(texts[i]).price, 178);  // the tag's own fields come first
    }
}

}  // namespace
