#pragma once

// What needs a tag at a moment: the tag a product should have then (its regular state on that day,
// with the sale of an offer holding for it) beside the tag on its shelf, the one last confirmed as
// printed for a moment up to that one. Neither is stored; the catalogue reads the rows and asks
// these functions.

#include "core/catalogue/rules/offer.h"
#include "core/catalogue/rules/product.h"

#include <QString>

#include <optional>
#include <vector>

namespace catalogue::rules {

enum class NeedKind { newTag, changed, upToDate, takeDown };

// A product's tag at a moment beside the tag on its shelf.
struct TagNeed {
    NeedKind kind = NeedKind::newTag;
    Product product;                           // as it is at the moment; its tag's price is the tag price then
    std::optional<SaleTag> sale;               // the sale its tag shows at the moment
    std::vector<sheet::Field> changedFields;   // for changed: the fields of the record that differ
    std::optional<sheet::TagRecord> shelfTag;  // the tag last confirmed as printed for the moment, if any
    qint64 shelfPrintId = 0;
    qint64 shelfOfferId = 0;      // the shelf tag is a sale tag of this offer; 0: a regular tag
    qint64 shelfFormerPrice = 0;  // the former price the shelf's sale tag shows
    qint64 pendingPrintId = 0;    // a print not yet confirmed holds the tag it needs (確認待ち)
};

// What changes between the shelf's tag and the one needed, as to sales.
enum class SaleChange { none, starts, ends, changes };
SaleChange saleChangeOf(const TagNeed& need);

// A tag on a shelf: a tag of a confirmed print.
struct ShelfTag {
    qint64 id = 0;
    qint64 printId = 0;
    sheet::TagRecord tag;
    qint64 offerId = 0;
    qint64 formerPrice = 0;
    QString text;  // as compared (comparedTagText)
};

// The tag `state` (a product as it is on the moment's day) should have, with `holding` the offer
// item holding for it then (none: its regular tag): the product with the tag price of the moment,
// and the sale its tag shows. A discontinued product shows no sale.
struct WantedTag {
    Product product;
    std::optional<SaleTag> sale;
    QString comparedText() const;
};
WantedTag wantedTag(const Product& state, const OfferItem* holding);

// The need of a product whose tag should be `wanted` and whose shelf holds `shelf`; none when it
// is not listed (a discontinued product without a tag, or with `withUpToDate` unset one whose tag
// is up to date).
std::optional<TagNeed> needOf(const WantedTag& wanted, const std::optional<ShelfTag>& shelf, bool withUpToDate);

// The moment from which a print stands on the shelf, made at `madeAt` for the moment `madeFor`. A
// print made for a later moment (ahead: the sale tags printed the day before) stands from that
// moment only. A print made for the present (or a past moment) stands for the whole of its day from
// its start: a shop that printed at 9:00 asks about "today" and finds the morning's tags.
Moment standsFrom(const Moment& madeFor, const Moment& madeAt);

// With the tags of the prints not yet confirmed (compared text to print, for the need's product),
// the print that holds the tag `need` calls for; 0 when none does or nothing is to be printed.
qint64 pendingPrintFor(const TagNeed& need, const QHash<QString, qint64>& pendingTexts);

}  // namespace catalogue::rules

namespace catalogue {
using rules::NeedKind;
using rules::SaleChange;
using rules::saleChangeOf;
using rules::TagNeed;
}  // namespace catalogue
