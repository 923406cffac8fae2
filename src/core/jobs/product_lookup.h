#pragma once

// Tags filled from the shop's products: the editor looks the code of its JAN box up and takes the
// product's texts and price into the boxes the user has left empty. Where the products come from
// (the catalogue: jobs/catalogue_lookup.h) is the lookup's business.

#include "core/catalogue/rules/product.h"
#include "core/sheet/field_entry.h"
#include "core/sheet/tag_sheet.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace jobs {

// Finds a product by its code. Not finding one (no such product, no catalogue, a catalogue that
// cannot be read) is never an error to the caller: the tag is then typed as it always was.
class ProductLookup {
public:
    virtual ~ProductLookup() = default;
    virtual std::optional<catalogue::Product> find(const QString& code) = 0;
};

// The codes the text of a JAN box may be filed under, most likely first: the text itself and,
// for the 12 (or 7) digits of a code typed without its check digit, those digits with it.
QStringList codesOfJanText(const QString& janText);

// Puts the product's tag `from` into the fields of `record` that are still empty (no text, or a
// price of 0): maker, the name lines `format` has, size, lot and price. The JAN code is left
// alone. The fields it filled, in box order.
std::vector<sheet::Field> fillEmptyFields(sheet::TagRecord& record, const sheet::TagRecord& from,
                                          const sheet::SheetFormat& format);

}  // namespace jobs
