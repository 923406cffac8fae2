#pragma once

// Tags filled from the catalogue: the editor looks the code of its JAN box up and takes the
// product's texts and price into the boxes the user has left empty.

#include "core/catalogue/catalogue.h"
#include "core/sheet/field_entry.h"
#include "core/sheet/tag_sheet.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
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

// The shop's catalogue as a ProductLookup. Nothing is read until the first find(): then the
// address is asked for (empty: the default SQLite file) and the catalogue opened read-only and
// kept open. No catalogue file yet is asked about again at the next find() (one may have been
// made meanwhile), at the cost of a look at the folder; a catalogue that fails otherwise (a
// server that does not answer, a newer schema) is not tried again, so that typing never waits
// for it twice.
class CatalogueLookup final : public ProductLookup {
public:
    explicit CatalogueLookup(std::function<QString()> address);
    ~CatalogueLookup() override;
    std::optional<catalogue::Product> find(const QString& code) override;

    // Why the last attempt to open the catalogue failed; empty while it is open or never tried.
    const catalogue::Result& openResult() const { return openResult_; }

private:
    std::function<QString()> address_;
    std::unique_ptr<catalogue::Catalogue> catalogue_;
    catalogue::Result openResult_;
    bool givenUp_ = false;
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
