#include "core/catalogue/rules/merge_plan.h"

#include <QHash>

#include <algorithm>

namespace catalogue {

namespace {

// `data` with the stored product's value in each of `fields` (the prices are always the list's).
void keepStored(ProductData& data, const Product& stored, const std::vector<ProductField>& fields)
{
    for (const ProductField field : fields) {
        if (const ProductFieldAccess& access = accessOf(field); !access.isPrice) {
            access.copy(data, stored);
        }
    }
}

}  // namespace

ChangeSummary summariseChanges(const MergePlan& plan)
{
    ChangeSummary summary;
    for (const PlannedUpdate& update : plan.updated) {
        if (!update.counted) {
            continue;
        }
        if (update.reactivated || std::any_of(update.changedFields.begin(), update.changedFields.end(), showsOnTag)) {
            ++summary.needTag;
            continue;
        }
        const auto group
            = std::find_if(summary.quiet.begin(), summary.quiet.end(), [&update](const ChangeSummary::Quiet& quiet) {
                  return quiet.fields == update.changedFields;
              });
        if (group == summary.quiet.end()) {
            summary.quiet.push_back({update.changedFields, 1});
        } else {
            ++group->count;
        }
    }
    // In the order of the fields, so that the same changes always read the same way.
    std::sort(summary.quiet.begin(), summary.quiet.end(),
              [](const ChangeSummary::Quiet& a, const ChangeSummary::Quiet& b) { return a.fields < b.fields; });
    return summary;
}

MergePlan planMerge(const std::vector<Product>& existing, const IncomingList& incoming, const MergeOptions& options)
{
    MergePlan plan;
    QHash<QString, size_t> byCode;
    byCode.reserve(qsizetype(existing.size()));
    int maxOrder = 0;
    for (size_t i = 0; i < existing.size(); ++i) {
        byCode.insert(existing[i].code, i);
        maxOrder = std::max(maxOrder, existing[i].listOrder);
    }
    MergeCounts& counts = plan.counts;
    counts.rows = incoming.rowCount;
    counts.refused = int(incoming.refused.size());
    plan.refused = incoming.refused;
    std::vector<char> named(existing.size(), 0);
    for (const IncomingProduct& in : incoming.products) {
        const auto it = byCode.constFind(in.code);
        if (it == byCode.cend()) {
            ProductData added = in;
            if (options.partial) {
                added.listOrder = maxOrder + in.listOrder;
            }
            plan.added.push_back(std::move(added));
            ++counts.added;
            continue;
        }
        const Product& old = existing[*it];
        named[*it] = 1;
        plan.seen.push_back(old.id);
        PlannedUpdate update;
        update.id = old.id;
        update.data = in;
        keepStored(update.data, old, incoming.missingFields);
        if (options.partial) {
            update.data.listOrder = old.listOrder;
        }
        update.changedFields = differingFields(old, update.data);
        update.reactivated = !old.active;
        update.counted = !update.changedFields.empty() || update.reactivated;
        if (update.counted) {
            ++counts.changed;
        } else {
            ++counts.unchanged;
        }
        if (update.counted || update.data.listOrder != old.listOrder) {
            plan.updated.push_back(std::move(update));
        }
    }
    if (!options.partial) {
        for (size_t i = 0; i < existing.size(); ++i) {
            if (!named[i] && existing[i].active) {
                plan.discontinued.push_back(existing[i].id);
            }
        }
    }
    counts.discontinued = int(plan.discontinued.size());
    return plan;
}

}  // namespace catalogue
