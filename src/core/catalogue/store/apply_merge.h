#pragma once

// Writing a merge plan (core/catalogue/merge_plan.h) into the catalogue's tables: the import with
// its counts, the new products, the updated ones, the price history, the discontinued products and
// when each product was last in a list. It runs inside the write transaction in which the plan was
// made from the products as they stood (Catalogue::merge), so nothing can come between.

#include "core/catalogue/catalogue_result.h"
#include "core/catalogue/rules/merge_plan.h"
#include "core/catalogue/store/database.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

#include <vector>

namespace catalogue {

// What the import row records beside the plan.
struct MergeRecord {
    CatalogueAddress address;  // for the messages
    QString fileName;
    QDate validFrom;  // the day the list's prices hold from
    bool partial = false;
};

// Writes `plan`, made from `existing` (the products as they are on the list's date), holding from
// that date: a new state (version) of every product it adds, changes or discontinues, and the
// products row where that state is the newest; a product a list dated later changed already keeps
// that list's state from its date, with this list's changes in every field the later one left as
// it was.
MergeResult applyMerge(QSqlDatabase& db, const database::WriteTransaction& transaction, const MergePlan& plan,
                       const std::vector<Product>& existing, const MergeRecord& record);

}  // namespace catalogue
