#pragma once

// Taking a product list into the catalogue, planned before anything is written: which products are
// new, which changed and in which fields, which are discontinued, which rows were refused and why.
// planMerge is a pure function of the products the catalogue holds and the list; the catalogue
// writes a plan in one transaction (Catalogue::merge), and a window shows one before asking
// (Catalogue::planMerge).

#include "core/catalogue/rules/incoming_list.h"
#include "core/catalogue/rules/product.h"

#include <QDate>

#include <vector>

namespace catalogue {

struct MergeOptions {
    bool partial = false;  // only the list's rows are touched; nothing is discontinued
    QDate validFrom;       // the date the list's prices hold from; invalid: today
};

// What a merge does, counted.
struct MergeCounts {
    int rows = 0;
    int added = 0;
    int changed = 0;  // products whose data changed, or which come back after being discontinued
    int discontinued = 0;
    int refused = 0;
    int unchanged = 0;
};

// A product the catalogue holds, as the list has it now.
struct PlannedUpdate {
    qint64 id = 0;
    ProductData data;  // what is written: the list's data, with the list order the merge keeps
    std::vector<ProductField> changedFields;
    bool reactivated = false;  // discontinued before, in the list again
    bool counted = false;      // counted as changed (not only a new place in the list's order)
};

struct MergePlan {
    std::vector<ProductData> added;      // with the list order the merge gives them
    std::vector<PlannedUpdate> updated;  // every product whose row is rewritten
    std::vector<qint64> discontinued;    // ids; a partial list discontinues nothing
    std::vector<qint64> seen;            // ids of every product of the catalogue the list names
    std::vector<RefusedRow> refused;     // as the incoming list gives them
    MergeCounts counts;
};

// The changed products of a plan by what they mean for the shelf.
struct ChangeSummary {
    // A tag field changed (price, name, ...), or the product is back after being discontinued: a
    // new tag is needed.
    int needTag = 0;
    // Only fields the tag does not show changed (the shelf, the tag count, the list price behind
    // an unchanged tag price): the tag on the shelf stays. Counted by the set of fields changed,
    // in the order of allProductFields().
    struct Quiet {
        std::vector<ProductField> fields;
        int count = 0;
    };
    std::vector<Quiet> quiet;
};
ChangeSummary summariseChanges(const MergePlan& plan);

// The plan for taking `incoming` into a catalogue holding `existing`.
// - A product whose key is new is added. A partial list's new products come after every product
//   the catalogue holds, in the list's order.
// - A product the catalogue holds is updated when any field differs (counted as changed), when it
//   was discontinued (counted as changed), or, for a full list, when only its place in the list's
//   order moved (not counted: nothing the user sees changed). A partial list keeps the order.
// - A full list discontinues the active products it does not name.
// - A field the list has no column for (IncomingList::missingFields) keeps what the catalogue has.
MergePlan planMerge(const std::vector<Product>& existing, const IncomingList& incoming, const MergeOptions& options);

}  // namespace catalogue
