#include "core/catalogue/rules/tag_needs.h"

namespace catalogue::rules {

SaleChange saleChangeOf(const TagNeed& need)
{
    const qint64 wanted = need.sale ? need.sale->offerId : 0;
    if (need.kind != NeedKind::changed || wanted == need.shelfOfferId) {
        return SaleChange::none;
    }
    if (need.shelfOfferId == 0) {
        return SaleChange::starts;
    }
    return wanted == 0 ? SaleChange::ends : SaleChange::changes;
}

QString WantedTag::comparedText() const
{
    return comparedTagText(product.tag, sale ? sale->offerId : 0, sale ? sale->formerPrice : 0, unitTextOf(product));
}

WantedTag wantedTag(const Product& state, const OfferItem* holding)
{
    WantedTag wanted {state, std::nullopt};
    if (holding && state.active) {
        wanted.sale = saleTagOf(*holding, state.tag.price);
        wanted.product.tag.price = qint32(holding->salePrice);
    }
    return wanted;
}

std::optional<TagNeed> needOf(const WantedTag& wanted, const std::optional<ShelfTag>& shelf, bool withUpToDate)
{
    TagNeed need;
    need.product = wanted.product;
    need.sale = wanted.sale;
    if (shelf) {
        need.shelfTag = shelf->tag;
        need.shelfPrintId = shelf->printId;
        need.shelfOfferId = shelf->offerId;
        need.shelfFormerPrice = shelf->formerPrice;
    }
    if (!wanted.product.active) {
        if (!shelf) {
            return std::nullopt;
        }
        need.kind = NeedKind::takeDown;
        return need;
    }
    if (!shelf) {
        need.kind = NeedKind::newTag;
        return need;
    }
    if (wanted.comparedText() == shelf->text) {
        need.kind = NeedKind::upToDate;
        return withUpToDate ? std::optional<TagNeed>(need) : std::nullopt;
    }
    need.kind = NeedKind::changed;
    need.changedFields = tagDifferences(need.product.tag, shelf->tag);
    return need;
}

Moment standsFrom(const Moment& madeFor, const Moment& madeAt)
{
    if (madeAt < madeFor) {
        return madeFor;
    }
    return {madeFor.day, 0};
}

qint64 pendingPrintFor(const TagNeed& need, const QHash<QString, qint64>& pendingTexts)
{
    if (need.kind == NeedKind::takeDown) {
        return 0;
    }
    return pendingTexts.value(WantedTag {need.product, need.sale}.comparedText());
}

}  // namespace catalogue::rules
