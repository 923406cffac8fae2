#pragma once

// The extra texts a tag shows beside its price, worked out when its page is drawn from the tag's
// record (its size text and price), what the sheet knows of the product (sheet::TagExtras: its tax
// rate, the list's tax-exclusive price, its own unit-price base) and the shop's choices
// (sheet::TagTextChoices): the unit price, the tax-exclusive price and the reduced-rate mark. The
// rules are those of unit_price.h and tax_exclusive.h.

#include "core/sheet/tag_sheet.h"

#include <QString>

#include <map>

namespace pricing {

struct TagTextsResult {
    sheet::TagTexts texts;
    // Why the unit price, though asked for, is not shown: the size text cannot be read for certain,
    // the base does not suit it ... (Japanese); empty when it is shown, not asked for, or the
    // product is left out of unit pricing on purpose.
    QString unitPriceNote;
};

// The texts of tag `slot` (1-based) of `sheet`. A tag without a product name (not drawn) or
// without a price shows none.
//
// - The unit price: from the size text, per the product's own base where it has one (none at all
//   for "なし"), else per the shop's base where that suits the content's kind (grams and
//   millilitres serve each other), else per the default of the kind.
// - The tax-exclusive price: at the product's rate (else the sheet's), the list's own figure where
//   it gives the tag's price; none at 0 % (非課税).
// - The reduced-rate mark: the shop's mark, at the 8 % rate.
TagTextsResult tagTexts(const sheet::TagSheet& sheet, int slot);

// The unit-price text of a tag ("100mlあたり 39.8円") from its size (or the extras' content), its
// price and the product's or else the shop's base; empty with `note` saying why where there is
// none (`note` empty: the product is left out on purpose).
QString unitPriceTextOf(const sheet::TagRecord& record, const sheet::TagExtras& extras, const QString& shopBase,
                        QString* note);

struct SheetTextsResult {
    sheet::TagTextTable texts;              // tags with at least one text
    std::map<int, QString> unitPriceNotes;  // tags whose unit price could not be worked out
};

// The texts of every tag of `sheet`.
SheetTextsResult sheetTexts(const sheet::TagSheet& sheet);

}  // namespace pricing
