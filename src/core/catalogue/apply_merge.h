#pragma once

// Writing a merge plan (core/catalogue/merge_plan.h) into the catalogue's tables: the import with
// its counts, the new products, the updated ones, the price history, the discontinued products and
// when each product was last in a list. It runs inside the write transaction in which the plan was
// made from the products as they stood (Catalogue::merge), so nothing can come between.

#include "core/catalogue/catalogue.h"
#include "core/catalogue/database.h"
#include "core/catalogue/merge_plan.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

namespace catalogue {

// What the import row records beside the plan.
struct MergeRecord {
    CatalogueAddress address;  // for the messages
    QString fileName;
    QDate validFrom;  // the day the list's prices hold from
    bool partial = false;
};

MergeResult applyMerge(QSqlDatabase& db, const database::WriteTransaction& transaction, const MergePlan& plan,
                       const MergeRecord& record);

}  // namespace catalogue
