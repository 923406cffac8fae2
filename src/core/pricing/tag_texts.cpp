#include "core/pricing/tag_texts.h"

#include "core/pricing/quantity.h"
#include "core/pricing/tax_exclusive.h"
#include "core/pricing/unit_price.h"

namespace pricing {

namespace {

bool isMassOrVolume(Kind kind)
{
    return kind == Kind::mass || kind == Kind::volume;
}

// Whether a base of kind `base` prices a content of kind `content`.
bool suits(Kind base, Kind content)
{
    return base == content || (isMassOrVolume(base) && isMassOrVolume(content));
}

}  // namespace

// The unit-price text of `record`, or why there is none (`note`; empty when the product is left
// out on purpose).
QString unitPriceTextOf(const sheet::TagRecord& record, const sheet::TagExtras& extras, const QString& shopBase,
                        QString* note)
{
    const QString& productBase = extras.unitBase;
    const QString& amount = extras.content.trimmed().isEmpty() ? record.spec : extras.content;
    const QuantityReading quantity = readQuantity(amount);
    std::optional<UnitBase> base;
    if (!productBase.trimmed().isEmpty()) {
        const UnitBaseReading own = readUnitBase(productBase);
        switch (own.outcome) {
        case UnitBaseReading::Outcome::leftOut:
            return {};
        case UnitBaseReading::Outcome::refused:
            *note = own.note;
            return {};
        case UnitBaseReading::Outcome::base:
            base = own.base;
            break;
        case UnitBaseReading::Outcome::byKind:
            break;
        }
    } else if (!shopBase.trimmed().isEmpty() && quantity.quantity) {
        const UnitBaseReading shop = readUnitBase(shopBase);
        if (shop.outcome == UnitBaseReading::Outcome::base && suits(shop.base.kind, quantity.quantity->kind)) {
            base = shop.base;
        }
    }
    if (!quantity.quantity) {
        *note = amount.trimmed().isEmpty()
            ? quantity.note
            : QStringLiteral("%1「%2」: %3")
                  .arg(amount == record.spec ? QStringLiteral("規格") : QStringLiteral("内容量"), amount,
                       quantity.note);
        return {};
    }
    const UnitPriceResult price = unitPrice(*quantity.quantity, record.price, base);
    if (!price.price) {
        *note = price.note;
        return {};
    }
    return unitPriceText(*price.price);
}

TagTextsResult tagTexts(const sheet::TagSheet& sheet, int slot)
{
    TagTextsResult out;
    const sheet::TagRecord& record = sheet.record(slot);
    const sheet::TagTextChoices& choices = sheet.textChoices;
    if (record.productName.isEmpty() || record.price <= 0 || !choices.anyOn()) {
        return out;
    }
    const auto found = sheet.extras.find(slot);
    const sheet::TagExtras extras = found != sheet.extras.end() ? found->second : sheet::TagExtras {};
    const int rate = extras.taxRatePercent.value_or(choices.sheetTaxRatePercent);
    if (choices.unitPrice) {
        out.texts.unitPrice = unitPriceTextOf(record, extras, choices.unitBase, &out.unitPriceNote);
    }
    if (choices.taxExclusive) {
        if (const std::optional<TaxExclusive> exclusive = taxExclusive(record.price, rate, extras.listExclusiveYen)) {
            out.texts.taxExclusive = taxExclusiveText(exclusive->yen);
        }
    }
    if (choices.reducedRateMark && takesReducedRateMark(rate)) {
        out.texts.reducedRateMark = choices.markText;
    }
    return out;
}

SheetTextsResult sheetTexts(const sheet::TagSheet& sheet)
{
    SheetTextsResult out;
    if (!sheet.textChoices.anyOn()) {
        return out;
    }
    for (int slot = 1; slot <= sheet.tagsPerPage(); ++slot) {
        TagTextsResult tag = tagTexts(sheet, slot);
        if (!tag.texts.isEmpty()) {
            out.texts.emplace(slot, std::move(tag.texts));
        }
        if (!tag.unitPriceNote.isEmpty()) {
            out.unitPriceNotes.emplace(slot, std::move(tag.unitPriceNote));
        }
    }
    return out;
}

}  // namespace pricing
