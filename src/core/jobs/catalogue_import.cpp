#include "core/jobs/catalogue_import.h"

#include <QHash>
#include <QSet>

namespace jobs {

using namespace productlist;

bool catalogueColumnsFor(const PreparedList& prepared, const std::vector<std::pair<QString, QString>>& choices,
                         catalogue::CatalogueColumns& columns, QString* unknownKey)
{
    const ProductList& list = prepared.list;
    columns = catalogue::catalogueColumnsOfList(list.columnTitles, list.rows, list.hasHeader, prepared.mapping);
    // A register's own product code is the code of a product without a JAN; the register's
    // category is no column of the catalogue's.
    if (list.profile) {
        const productlist::RegisterReading& reading = prepared.registerReading;
        for (int* column : {&columns.shelf, &columns.tagCount, &columns.unitBase, &columns.content,
                            &columns.contentUnit, &columns.productCode}) {
            if (*column >= 0 && (*column == reading.codeColumn || *column == reading.categoryColumn)) {
                *column = -1;
            }
        }
        if (reading.codeColumn >= 0) {
            columns.productCode = reading.codeColumn;
        }
    }
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
    return {QStringLiteral("code"), QStringLiteral("shelf"),   QStringLiteral("count"),
            QStringLiteral("unit"), QStringLiteral("content"), QStringLiteral("contentunit")};
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
          std::pair {catalogue::ProductField::tagCount, columns.tagCount >= 0},
          std::pair {catalogue::ProductField::unitBase, columns.unitBase >= 0},
          std::pair {catalogue::ProductField::content, columns.content >= 0}}) {
        if (!given) {
            out.incoming.missingFields.push_back(field);
        }
    }
    return out;
}

namespace {

// The report's rows of `rows`, with `counts`.
MergeReport reportOf(const IncomingRows& rows, const catalogue::MergeCounts& counts)
{
    MergeReport report;
    report.counts = counts;
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
    for (const CleanRow& row : rows.cleaned) {
        if (!row.refused() && row.changed() && !refused.contains(row.number)) {
            report.changedRows << reportLine(row);
        }
    }
    // The first repeats of a key one by one, the rest counted on the last of them.
    QHash<QString, int> said;
    for (const catalogue::RefusedRow& row : rows.incoming.refused) {
        ++report.refusedRows;
        ReportedRefusal reported {row.number, row.reason, 0};
        if (const auto key = rows.incoming.repeatedKeys.find(row.number); key != rows.incoming.repeatedKeys.end()) {
            const int count = ++said[key->second];
            const int all = repeats.value(key->second);
            if (count > kRepeatsSaid) {
                continue;
            }
            if (count == kRepeatsSaid) {
                reported.alike = all - kRepeatsSaid;
            }
        }
        report.refused.push_back(reported);
    }
    return report;
}

}  // namespace

MergeReport mergeReport(const IncomingRows& rows, const catalogue::MergePlan& plan)
{
    MergeReport report = reportOf(rows, plan.counts);
    report.changes = catalogue::summariseChanges(plan);
    return report;
}

QString importReportLines(const MergeReport& report)
{
    QString lines;
    for (const QString& changed : report.changedRows) {
        lines += changed + u'\n';
    }
    for (const ReportedRefusal& row : report.refused) {
        lines += row.alike > 0 ? QStringLiteral("%1行目 使いません: %2 (ほか %3 行も同じコード)\n")
                                     .arg(row.number)
                                     .arg(row.reason)
                                     .arg(row.alike)
                               : QStringLiteral("%1行目 使いません: %2\n").arg(row.number).arg(row.reason);
    }
    return lines;
}

QString importReportLines(const IncomingRows& rows)
{
    return importReportLines(reportOf(rows, {}));
}

OfferColumns offerColumnsOf(const QStringList& columnTitles)
{
    const auto named = [&](std::initializer_list<const char16_t*> names) {
        for (const char16_t* name : names) {
            const QString wanted = foldHeaderName(QString::fromUtf16(name));
            for (int column = 0; column < columnTitles.size(); ++column) {
                if (foldHeaderName(columnTitles.at(column)) == wanted) {
                    return column;
                }
            }
        }
        return -1;
    };
    OfferColumns out;
    out.firstDay = named({u"開始日", u"開始", u"特売開始日", u"開始日付", u"期間開始", u"販売開始日"});
    out.lastDay = named({u"終了日", u"終了", u"特売終了日", u"終了日付", u"期間終了", u"販売終了日"});
    out.period = named({u"期間", u"特売期間", u"実施期間", u"販売期間"});
    out.hours = named({u"時間", u"時間帯", u"タイムセール", u"実施時間", u"販売時間"});
    return out;
}

ColumnMapping offerCleaningMapping(const ColumnMapping& mapping, const catalogue::CatalogueColumns& columns)
{
    ColumnMapping out = mapping;
    if (out.column(ListField::productName) < 0) {
        out.set(ListField::productName,
                out.column(ListField::jan) >= 0 ? out.column(ListField::jan) : columns.productCode);
    }
    return out;
}

catalogue::OfferList offerListOf(const PreparedList& prepared, const catalogue::CatalogueColumns& columns,
                                 const QString& name, const pricing::OfferPeriod& period, const QDate& referenceDate,
                                 const QString& fileName)
{
    catalogue::OfferList out;
    out.name = name;
    out.fileName = fileName;
    out.period = period;
    PreparedList withName = prepared;
    withName.mapping = offerCleaningMapping(prepared.mapping, columns);
    const IncomingRows rows = incomingRowsOf(withName, columns, fileName);
    out.refused = rows.incoming.refused;
    const OfferColumns dates = offerColumnsOf(prepared.list.columnTitles);
    QHash<int, const ListRow*> rowOfNumber;
    for (const ListRow& row : prepared.list.rows) {
        rowOfNumber.insert(row.number, &row);
    }
    for (const catalogue::IncomingProduct& product : rows.incoming.products) {
        const ListRow* source = rowOfNumber.value(product.listOrder);
        catalogue::OfferList::Row row;
        row.number = product.listOrder;
        row.code = product.code;
        row.salePrice = product.tag.price;
        QString refusal;
        if (source) {
            std::optional<pricing::DayPeriod> days;
            const auto cell = [&](int column) { return source->cell(column).trimmed(); };
            if (dates.period >= 0 && !cell(dates.period).isEmpty()) {
                const auto read = pricing::readPeriodCell(cell(dates.period), referenceDate);
                days = read.value;
                refusal = read.refusal;
            } else if ((dates.firstDay >= 0 && !cell(dates.firstDay).isEmpty())
                       || (dates.lastDay >= 0 && !cell(dates.lastDay).isEmpty())) {
                const auto first = pricing::readDateCell(cell(dates.firstDay), referenceDate);
                const auto last = pricing::readDateCell(cell(dates.lastDay), first.value.value_or(referenceDate));
                if (!first.value || !last.value) {
                    refusal = first.value ? last.refusal : first.refusal;
                } else if (*last.value < *first.value) {
                    refusal = QStringLiteral("終了日が開始日より前です");
                } else {
                    days = pricing::DayPeriod {*first.value, *last.value};
                }
            }
            std::optional<pricing::DailyHours> hours = period.hours;
            if (refusal.isEmpty() && dates.hours >= 0 && !cell(dates.hours).isEmpty()) {
                const auto read = pricing::readHoursCell(cell(dates.hours));
                hours = read.value;
                refusal = read.refusal;
            }
            if (refusal.isEmpty() && (days || hours != period.hours)) {
                row.period = pricing::OfferPeriod {days.value_or(period.days), hours};
            }
        }
        if (!refusal.isEmpty()) {
            out.refused.push_back({row.number, QStringLiteral("特売の期間: %1").arg(refusal)});
            continue;
        }
        if (row.salePrice <= 0) {
            out.refused.push_back({row.number, QStringLiteral("特価がありません")});
            continue;
        }
        out.rows.push_back(row);
    }
    return out;
}

}  // namespace jobs
