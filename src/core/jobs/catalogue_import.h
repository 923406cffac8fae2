#pragma once

// Taking a product list into the catalogue, as the 商品マスタ window and `tanafuda-catalogue
// import` both do it: the list read and prepared as every import prepares it (import_job.h), its
// rows cleaned and keyed into the incoming list with the catalogue's own columns (shelf location,
// tag count, product code), then planned and merged by the catalogue (Catalogue::planMerge,
// Catalogue::merge), and reported row by row.

#include "core/catalogue/catalogue.h"
#include "core/catalogue/rules/incoming_list.h"
#include "core/catalogue/rules/merge_plan.h"
#include "core/jobs/import_job.h"
#include "core/productlist/cleaning.h"

#include <QString>

#include <utility>
#include <vector>

namespace jobs {

// The catalogue's columns of a prepared list: found by their titles and contents (a register's
// export: its own product code as the product code), then the given choices
// (FIELD=COLUMN with a FIELD of catalogueColumnKeys, as ImportRequest::otherColumns holds them) over
// them. False, with the FIELD in `unknownKey`, when a choice names no column the catalogue reads.
bool catalogueColumnsFor(const PreparedList& prepared, const std::vector<std::pair<QString, QString>>& choices,
                         catalogue::CatalogueColumns& columns, QString* unknownKey);

// The catalogue's keys of --map beyond the tag's: code, shelf, count, and the unit price's unit
// (its base), content and contentunit; the 商品マスタ window's import view has a box for each.
QStringList catalogueColumnKeys();

struct IncomingRows {
    catalogue::IncomingList incoming;
    std::vector<productlist::CleanRow> cleaned;  // the rows taken, cleaned for the large tag
};

// The rows of a prepared list as the catalogue takes them in: cleaned for the large tag (and for
// the small tag's second name line), keyed, with the catalogue's columns; only the rows `chosen`
// marks when it is given (0-based among the list's rows). `fileName` is recorded with the import.
IncomingRows incomingRowsOf(const PreparedList& prepared, const catalogue::CatalogueColumns& columns,
                            const QString& fileName, const std::vector<bool>* chosen = nullptr);

// Rows repeating one key that the report names one by one; the rest are counted on the last.
inline constexpr int kRepeatsSaid = 1;

// A row the import does not use, as its reports say it.
struct ReportedRefusal {
    int number = 0;
    QString reason;
    int alike = 0;  // the further rows repeating the same key, counted here and not said
};

// What taking a list in does: the one summary that the command's report and the 商品マスタ window's
// question before the merge both word. Of the rows that repeat a key, the first kRepeatsSaid are
// said and the rest counted on the last of them.
struct MergeReport {
    catalogue::MergeCounts counts;
    catalogue::ChangeSummary changes;      // planned: the changes needing a tag, and the quiet ones
    QStringList changedRows;               // "8行目 変更あり: ...": the used rows the cleaning changed
    std::vector<ReportedRefusal> refused;  // in the order the rows were refused
    int refusedRows = 0;                   // every row refused, the alike ones among them
};
// The report of `rows` planned as `plan`.
MergeReport mergeReport(const IncomingRows& rows, const catalogue::MergePlan& plan);

// The report as tanafuda-catalogue import says it, a line a row: what the cleaning changed in a
// row that is used, and why a row was refused ("N行目 使いません: ... (ほか 98 行も同じコード)").
QString importReportLines(const MergeReport& report);
QString importReportLines(const IncomingRows& rows);

// The columns of a list of sale prices beyond the tag's: the dates a row may give itself.
struct OfferColumns {
    int firstDay = -1;  // 開始日
    int lastDay = -1;   // 終了日
    int period = -1;    // 期間 (12/16〜12/20)
    int hours = -1;     // 時間 (17:00-19:00)
};
OfferColumns offerColumnsOf(const QStringList& columnTitles);

// The mapping the rows of a list of sale prices are cleaned with: a list without a name column is
// fine (the name is not used), so the row's code (its JAN code, else the list's product code of
// `columns`) stands in for the name the cleaning asks for.
productlist::ColumnMapping offerCleaningMapping(const productlist::ColumnMapping& mapping,
                                                const catalogue::CatalogueColumns& columns);

// A prepared list of sale prices as the catalogue takes it in as an offer named `name`: a row's
// product by its JAN code or the list's product code, its sale price made tax-inclusive as every
// import does, and its own dates where it gives them (read near `referenceDate`), else `period`.
// Its rows are cleaned with offerCleaningMapping. Rows that cannot be used are in `refused` with
// their reasons.
catalogue::OfferList offerListOf(const PreparedList& prepared, const catalogue::CatalogueColumns& columns,
                                 const QString& name, const pricing::OfferPeriod& period, const QDate& referenceDate,
                                 const QString& fileName);

}  // namespace jobs
