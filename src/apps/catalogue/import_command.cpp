// tanafuda-catalogue import: a product list into the catalogue.

#include "apps/catalogue/catalogue_command.h"
#include "apps/catalogue/catalogue_output.h"
#include "apps/common/command_line.h"
#include "apps/common/list_options.h"
#include "core/jobs/catalogue_import.h"

#include <QFileInfo>
#include <QJsonArray>

namespace catalogue_command {

using command_line::say;
using namespace productlist;

namespace {

// "JANコード=JAN, ..., 商品コード=品番, 棚番=売場, 枚数=フェース数": the tag's columns, then the catalogue's.
QString describeColumns(const jobs::PreparedList& prepared, const catalogue::CatalogueColumns& extra)
{
    QString text = jobs::describeMapping(prepared.list, prepared.mapping, sheet::SheetFormat::small);
    for (const auto& [title, column] :
         {std::pair {QStringLiteral("商品コード"), extra.productCode}, std::pair {QStringLiteral("棚番"), extra.shelf},
          std::pair {QStringLiteral("枚数"), extra.tagCount}}) {
        if (column >= 0) {
            text += (text.isEmpty() ? QString() : QStringLiteral(", "))
                + QStringLiteral("%1=%2").arg(title, prepared.list.columnTitles.value(column));
        }
    }
    return text;
}

}  // namespace

int runImport(const QStringList& arguments)
{
    std::vector<command_line::OptionRow> options {
        {{QStringLiteral("partial")}, QStringLiteral("the list holds some products only (e.g. price changes)"), {}},
        {{QStringLiteral("date")},
         QStringLiteral("the day the list's prices hold from (default today)"),
         QStringLiteral("YYYY-MM-DD")},
        {{QStringLiteral("fresh")},
         QStringLiteral("start a new catalogue where there is none, even though copies of an earlier one lie beside "
                        "it (see restore)"),
         {}},
    };
    const auto listOptions = command_line::listOptionRows(jobs::catalogueColumnKeys(), QString());
    options.insert(options.end(), listOptions.begin(), listOptions.end());
    Command command({QStringLiteral("Takes a product list (CSV, TSV, .xlsx, .ods) into the catalogue. A full list (the "
                                    "register's product master) discontinues the products missing from it; with "
                                    "--partial only its rows are touched."),
                     QStringLiteral("LIST"),
                     QStringLiteral("the product list"),
                     {},
                     options});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    if (command.positional().size() != 1) {
        return command.usage(QStringLiteral("give exactly one list"));
    }
    catalogue::MergeOptions mergeOptions;
    mergeOptions.partial = command.isSet("partial");
    if (command.isSet("date")) {
        mergeOptions.validFrom = QDate::fromString(command.value("date"), Qt::ISODate);
        if (!mergeOptions.validFrom.isValid()) {
            return command.usage(QStringLiteral("--date takes a day as YYYY-MM-DD"));
        }
    }
    jobs::ImportRequest request;
    settings::RememberedLayouts layouts;
    jobs::PreparedList prepared;
    if (const std::optional<int> failed = readNamedList(command, layouts, request, prepared)) {
        return *failed;
    }
    catalogue::CatalogueColumns extra;
    jobs::catalogueColumnsFor(prepared, request.otherColumns, extra, nullptr);
    const ProductList& list = prepared.list;
    if (prepared.mapping.column(ListField::productName) < 0) {
        return failWith(QStringLiteral("商品名の列が分かりません。--map name=列 で指定してください (列: %1)")
                            .arg(list.columnTitles.join(QStringLiteral(", "))),
                        kUnreadable);
    }
    const bool json = command.json();
    if (!json) {
        if (prepared.remembered) {
            say(stdout,
                QStringLiteral("前回の設定: この見出しのリストで覚えた列と税の設定を使います"
                               " (使わないときは --no-remembered)\n"));
        }
        const QString profile = jobs::registerLine(list);
        say(stdout,
            QStringLiteral("読み込み: %1 (%2行)\n%3列: %4 (価格は%5)\n")
                .arg(QFileInfo(request.listPath).fileName())
                .arg(list.rows.size())
                .arg(profile.isEmpty() ? QString() : profile + u'\n', describeColumns(prepared, extra),
                     jobs::describeTax(prepared.tax)));
    }
    if (request.remember) {
        if (QString problem; !jobs::rememberPrepared(layouts, prepared, &problem)) {
            return failWith(problem, kUnwritable);
        }
        if (!json) {
            say(stdout,
                list.hasHeader ? QStringLiteral("この見出しのリストの設定を覚えました\n")
                               : QStringLiteral("見出しのないリストの設定は覚えられません\n"));
        }
    }
    const jobs::IncomingRows rows
        = jobs::incomingRowsOf(prepared, extra, QFileInfo(request.listPath).absoluteFilePath());

    int exit = kDone;
    const auto opened = command.open(command.isSet("fresh") ? Command::Use::createAfresh : Command::Use::create, &exit);
    if (!opened) {
        return exit;
    }
    const catalogue::MergeResult merged = opened->merge(rows.incoming, mergeOptions);
    if (!merged.copyProblem.isEmpty()) {
        say(stderr, QStringLiteral("%1: %2\n").arg(kProgram, merged.copyProblem));
    }
    if (!merged.ok()) {
        return failWith(merged);
    }
    if (json) {
        QJsonObject out = catalogue::output::mergeJson(merged.counts, merged.importId);
        QJsonArray refused;
        for (const catalogue::RefusedRow& row : rows.incoming.refused) {
            refused.append(QJsonObject {{QStringLiteral("row"), row.number}, {QStringLiteral("reason"), row.reason}});
        }
        out.insert(QStringLiteral("refused_rows"), refused);
        sayJson(out);
    } else {
        say(stdout, jobs::importReportLines(rows) + catalogue::output::mergeText(merged.counts, merged.importId));
    }
    return merged.counts.refused > 0 ? kSomeRefused : kDone;
}

}  // namespace catalogue_command
