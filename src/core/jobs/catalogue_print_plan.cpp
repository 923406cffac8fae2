#include "core/jobs/catalogue_print_plan.h"

#include "core/productlist/sheet_filling.h"

namespace jobs {

sheet::TagRecord tagOf(const catalogue::Product& product, const sheet::SheetFormat& format)
{
    sheet::TagRecord tag = product.tag;
    if (!format.hasProductName2) {
        tag.productName2.clear();
    }
    return tag;
}

CataloguePrintPlan planCataloguePrint(const std::vector<catalogue::TagNeed>& needs, const sheet::SheetFormat& format,
                                      int startTag, NeedFilter filter)
{
    CataloguePrintPlan plan;
    std::vector<sheet::TagRecord> records;
    for (const catalogue::TagNeed& need : needs) {
        const bool wanted = need.kind == catalogue::NeedKind::newTag ? filter != NeedFilter::changedOnly
            : need.kind == catalogue::NeedKind::changed              ? filter != NeedFilter::newOnly
                                                                     : false;
        if (!wanted) {
            continue;
        }
        const sheet::TagRecord tag = tagOf(need.product, format);
        for (int copy = 0; copy < need.product.tagCount; ++copy) {
            records.push_back(tag);
            plan.placed.push_back({need.product.id, 0, 0, need.product.tag});
        }
    }
    if (records.empty()) {
        return plan;
    }
    plan.sheets = productlist::sheetsForList(format, startTag, records);
    // The sheets go to a printer or a PDF for it: drawn without the preview's grid and numbers.
    for (sheet::TagSheet& page : plan.sheets) {
        page.outputMode = sheet::OutputMode::printer;
    }
    // The places follow the filling: the first sheet from the start tag, every further one from 1.
    int sheetNumber = 1;
    int slot = startTag;
    for (catalogue::PlacedTag& placed : plan.placed) {
        if (slot > format.tagsPerPage) {
            ++sheetNumber;
            slot = 1;
        }
        placed.sheet = sheetNumber;
        placed.slot = slot++;
    }
    return plan;
}

}  // namespace jobs
