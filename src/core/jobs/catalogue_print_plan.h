#pragma once

// The print plan of the catalogue: the tags that need printing laid onto sheets of one format from
// a start tag, one tag per product repeated by its tag count, in the order given (shelf order),
// with the place of every tag so that the print can be recorded.

#include "core/catalogue/catalogue.h"
#include "core/sheet/tag_sheet.h"

#include <vector>

namespace jobs {

enum class NeedFilter { all, newOnly, changedOnly };

struct CataloguePrintPlan {
    std::vector<sheet::TagSheet> sheets;       // what is printed, one page each
    std::vector<catalogue::PlacedTag> placed;  // every tag, in the order laid
};

// The tag a product shows on `format`: its texts (a large tag has no second name line) and its
// tag price.
sheet::TagRecord tagOf(const catalogue::Product& product, const sheet::SheetFormat& format);

// Lays the new and changed products of `needs` (as `filter` chooses; take-downs and up-to-date
// products are left out) onto sheets of `format`, the first from `startTag` (1-based). Empty when
// nothing is to be printed.
CataloguePrintPlan planCataloguePrint(const std::vector<catalogue::TagNeed>& needs, const sheet::SheetFormat& format,
                                      int startTag, NeedFilter filter);

}  // namespace jobs
