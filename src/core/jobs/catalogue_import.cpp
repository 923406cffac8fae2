#include "core/jobs/catalogue_import.h"

#include <QHash>
#include <QSet>

namespace jobs {

using namespace productlist;

bool catalogueColumnsFor(const PreparedList& prepared, const std::vector<std::pair<QString, QString>>& choices,
                         catalogue::CatalogueColumns& columns, QString* unknownKey)
{
    const ProductList& list = prepared.list;
    columns = list.hasHeader ? catalogue::catalogueColumnsOf(list.columnTitles, prepared.mapping)
                             : catalogue::CatalogueColumns {};
    for (const auto& [key, column] : choices) {
        const int index = column.isEmpty() ? -1 : columnOfChoice(list, column);
        if (!catalogue::setCatalogueColumn(columns, key, index)) {
            if (unknownKey) {
                *unknownKey = key;
            }
            return false;
        }
    }
    return true;
}

QStringList catalogueColumnKeys()
{
    return {QStringLiteral("code"), QStringLiteral("shelf"), QStringLiteral("count")};
}

IncomingRows incomingRowsOf(const PreparedList& prepared, const catalogue::CatalogueColumns& columns,
                            const QString& fileName, const std::vector<bool>* chosen)
{
    ProductList list = prepared.list;
    if (chosen) {
        list.rows.clear();
        for (size_t i = 0; i < prepared.list.rows.size(); ++i) {
            if (i < chosen->size() && (*chosen)[i]) {
                list.rows.push_back(prepared.list.rows[i]);
            }
        }
    }
    IncomingRows out;
    out.cleaned = cleanRows(list.rows, prepared.mapping, sheet::SheetFormat::large, prepared.tax);
    std::vector<CleanRow> cleanedSmall;
    if (prepared.mapping.column(ListField::productName2) >= 0) {
        cleanedSmall = cleanRows(list.rows, prepared.mapping, sheet::SheetFormat::small, prepared.tax);
    }
    out.incoming
        = catalogue::incomingProducts(list, out.cleaned, cleanedSmall.empty() ? nullptr : &cleanedSmall, columns);
    out.incoming.fileName = fileName;
    for (const auto& [field, given] :
         {std::pair {catalogue::ProductField::jan, prepared.mapping.column(ListField::jan) >= 0},
          std::pair {catalogue::ProductField::maker, prepared.mapping.column(ListField::maker) >= 0},
          std::pair {catalogue::ProductField::productName2, prepared.mapping.column(ListField::productName2) >= 0},
          std::pair {catalogue::ProductField::spec, prepared.mapping.column(ListField::spec) >= 0},
          std::pair {catalogue::ProductField::lot, prepared.mapping.column(ListField::lot) >= 0},
          std::pair {catalogue::ProductField::shelf, columns.shelf >= 0},
          std::pair {catalogue::ProductField::tagCount, columns.tagCount >= 0}}) {
        if (!given) {
            out.incoming.missingFields.push_back(field);
        }
    }
    return out;
}

QString importReportLines(const IncomingRows& rows)
{
    // The rows the catalogue refused (a key an earlier row has, among others) are said once, as
    // refused: what the cleaning changed in them does not matter.
    QSet<int> refused;
    QHash<QString, int> repeats;  // the rows of each repeated key, the first one aside
    for (const catalogue::RefusedRow& row : rows.incoming.refused) {
        refused.insert(row.number);
    }
    for (const auto& [number, key] : rows.incoming.repeatedKeys) {
        ++repeats[key];
    }
    QString report;
    for (const CleanRow& row : rows.cleaned) {
        if (!row.refused() && row.changed() && !refused.contains(row.number)) {
            report += reportLine(row) + u'\n';
        }
    }
    // The first repeats of a key one by one, the rest in one line.
    QHash<QString, int> said;
    for (const catalogue::RefusedRow& row : rows.incoming.refused) {
        if (const auto key = rows.incoming.repeatedKeys.find(row.number); key != rows.incoming.repeatedKeys.end()) {
            const int count = ++said[key->second];
            const int all = repeats.value(key->second);
            if (count > kRepeatsSaid) {
                continue;
            }
            if (count == kRepeatsSaid && all > kRepeatsSaid) {
                report += QStringLiteral("%1行目 使いません: %2 (ほか %3 行も同じコード)\n")
                              .arg(row.number)
                              .arg(row.reason)
                              .arg(all - kRepeatsSaid);
                continue;
            }
        }
        report += QStringLiteral("%1行目 使いません: %2\n").arg(row.number).arg(row.reason);
    }
    return report;
}

}  // namespace jobs
