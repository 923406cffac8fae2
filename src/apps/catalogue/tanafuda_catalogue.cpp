// tanafuda-catalogue: the shop's product catalogue from the command line. It takes the register's
// product lists in, tells which shelf tags need printing or taking down, prints those in shelf
// order and records each print until the user confirms that its sheets came out right.
//
// Exit status: 0 done; 1 usage error (also an unknown print or product); 2 a list or the catalogue
// cannot be read (a damaged file, a server that does not answer); 3 an output (a sheet file, the
// PDF, the print job, or the catalogue itself) cannot be written; 4 some rows of the list refused.

#include "apps/common/command_line.h"
#include "apps/common/runtime_folder_warning.h"
#include "build_config.h"
#include "core/catalogue/catalogue.h"
#include "core/catalogue/catalogue_report.h"
#include "core/files/careful_write.h"
#include "core/files/file_command_texts.h"
#include "core/files/sheet_file.h"
#include "core/jobs/catalogue_print_plan.h"
#include "core/jobs/import_job.h"
#include "core/productlist/cleaning.h"
#include "core/productlist/column_mapping.h"
#include "core/productlist/product_list.h"
#include "core/productlist/sheet_filling.h"
#include "output/calibration_settings.h"
#include "output/fonts.h"
#include "output/sheet_document.h"
#include "output/sheet_print.h"
#include "output/takedown_checklist.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>
#include <functional>
#include <map>

using namespace productlist;
using command_line::say;

namespace {

enum Exit { kDone = 0, kUsage = 1, kUnreadable = 2, kUnwritable = 3, kSomeRefused = 4 };

const QString kProgram = QStringLiteral("tanafuda-catalogue");

const QString kSubcommands
    = QStringLiteral("Subcommands:\n"
                     "  import LIST [--partial]   take a product list into the catalogue\n"
                     "  status                    counts of new, changed and take-down tags, and pending prints\n"
                     "  changes                   one line per product whose tag needs printing\n"
                     "  print (-o DIR | --pdf FILE | --print)   print the tags that need printing, in shelf order\n"
                     "  confirm PRINT [--failed]  say that a print came out right (or did not)\n"
                     "  takedown [--pdf FILE] [--done]   the tags to take off the shelves, by shelf location\n"
                     "  history CODE              a product's price history and the prints of its tag\n"
                     "Run tanafuda-catalogue SUBCOMMAND --help for its options.\n");

int exitOf(catalogue::Failure failure)
{
    switch (failure) {
    case catalogue::Failure::none:
        return kDone;
    case catalogue::Failure::unwritable:
        return kUnwritable;
    case catalogue::Failure::notFound:
        return kUsage;
    default:
        return kUnreadable;
    }
}

int failWith(const catalogue::Outcome& outcome)
{
    say(stderr, QStringLiteral("%1: %2\n").arg(kProgram, outcome.message));
    return exitOf(outcome.failure);
}

void sayJson(const QJsonObject& object)
{
    say(stdout, QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented)));
}

// The options every subcommand takes, and what they share.
struct Command {
    QCommandLineParser parser;
    QCommandLineOption database {
        QStringLiteral("database"),
        QStringLiteral("the catalogue: a file, or postgresql://USER@HOST[:PORT]/DB "
                       "(default: the settings file's [catalogue] database=, else the file in the data folder)"),
        QStringLiteral("URL")};
    QCommandLineOption json {QStringLiteral("json"), QStringLiteral("write the result as JSON")};

    explicit Command(const QString& description)
    {
        parser.setApplicationDescription(description);
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOptions({database, json});
    }

    int usage(const QString& problem) const
    {
        command_line::sayUsageError(parser, problem);
        return kUsage;
    }

    // Reads the arguments; false when the run ends here (a usage error, or --help or --version
    // answered), with its exit status in `exit`.
    bool parse(const QStringList& arguments, int* exit)
    {
        if (!parser.parse(arguments)) {
            *exit = usage(parser.errorText());
            return false;
        }
        if (command_line::answeredHelpOrVersion(parser)) {
            *exit = kDone;
            return false;
        }
        return true;
    }

    // Opens the catalogue; null (and the exit status in `exit`) when it cannot be.
    std::unique_ptr<catalogue::Catalogue> open(bool create, int* exit) const
    {
        QString given = parser.value(database);
        if (!parser.isSet(database)) {
            QString problem;
            given = output::CalibrationSettings().catalogueDatabase(&problem);
            if (!problem.isEmpty()) {
                say(stderr, QStringLiteral("%1: %2\n").arg(kProgram, problem));
            }
        }
        QString error;
        const auto location = catalogue::parseLocation(given, &error);
        if (!location) {
            *exit = usage(error);
            return nullptr;
        }
        catalogue::Outcome outcome;
        auto opened = catalogue::Catalogue::open(*location, {create}, &outcome);
        if (!opened) {
            *exit = failWith(outcome);
        }
        return opened;
    }
};

// ---- import ----

int columnOfArgument(const ProductList& list, const QString& given)
{
    const int titled = int(list.columnTitles.indexOf(given.trimmed()));
    if (titled >= 0) {
        return titled;
    }
    bool ok = false;
    const int number = given.toInt(&ok);
    return ok && number >= 1 && number <= list.columnCount() ? number - 1 : -2;
}

int runImport(const QStringList& arguments)
{
    Command command(QStringLiteral(
        "Takes a product list (CSV, TSV, .xlsx, .ods) into the catalogue. A full list (the register's "
        "product master) discontinues the products missing from it; with --partial only its rows are touched."));
    QCommandLineParser& parser = command.parser;
    parser.addPositionalArgument(QStringLiteral("LIST"), QStringLiteral("the product list"));
    const QCommandLineOption partialOpt(QStringLiteral("partial"),
                                        QStringLiteral("the list holds some products only (e.g. price changes)"));
    const QCommandLineOption dateOpt(QStringLiteral("date"),
                                     QStringLiteral("the day the list's prices hold from (default today)"),
                                     QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption sheetOpt(QStringLiteral("sheet"),
                                      QStringLiteral("workbooks: the sheet to read (default the first)"),
                                      QStringLiteral("NAME"));
    const QCommandLineOption encodingOpt(
        QStringLiteral("encoding"),
        QStringLiteral("text lists: utf-8, utf-16le, utf-16be or cp932 (default: detected)"), QStringLiteral("E"));
    const QCommandLineOption delimiterOpt(QStringLiteral("delimiter"),
                                          QStringLiteral("text lists: comma, tab or semicolon (default: detected)"),
                                          QStringLiteral("D"));
    const QCommandLineOption noHeaderOpt(QStringLiteral("no-header"),
                                         QStringLiteral("the first row is a product, not a header"));
    const QCommandLineOption mapOpt(
        QStringLiteral("map"),
        QStringLiteral("take FIELD (jan, maker, name, name2, spec, lot, price, tax, and code, shelf, "
                       "count) from COLUMN, a header title or a number from 1; empty COLUMN: not from the list"),
        QStringLiteral("FIELD=COLUMN"));
    const QCommandLineOption includesOpt(QStringLiteral("price-includes-tax"),
                                         QStringLiteral("the prices include the tax"));
    const QCommandLineOption excludesOpt(QStringLiteral("price-excludes-tax"),
                                         QStringLiteral("the prices are without tax: the tags get the tax added"));
    const QCommandLineOption rateOpt(
        QStringLiteral("tax-rate"), QStringLiteral("rate in percent where the tax column says none: 10 (default) or 8"),
        QStringLiteral("10|8"));
    const QCommandLineOption roundingOpt(QStringLiteral("rounding"),
                                         QStringLiteral("fraction of a yen: floor (default), half-up or ceil"),
                                         QStringLiteral("MODE"));
    parser.addOptions({partialOpt, dateOpt, sheetOpt, encodingOpt, delimiterOpt, noHeaderOpt, mapOpt, includesOpt,
                       excludesOpt, rateOpt, roundingOpt});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        return command.usage(QStringLiteral("give exactly one list"));
    }
    catalogue::MergeOptions mergeOptions;
    mergeOptions.partial = parser.isSet(partialOpt);
    if (parser.isSet(dateOpt)) {
        mergeOptions.validFrom = QDate::fromString(parser.value(dateOpt), Qt::ISODate);
        if (!mergeOptions.validFrom.isValid()) {
            return command.usage(QStringLiteral("--date takes a day as YYYY-MM-DD"));
        }
    }
    ReadOptions options;
    options.sheetName = parser.value(sheetOpt);
    if (parser.isSet(encodingOpt)) {
        options.encoding = parseEncodingName(parser.value(encodingOpt));
        if (!options.encoding) {
            return command.usage(QStringLiteral("--encoding is utf-8, utf-16le, utf-16be or cp932"));
        }
    }
    if (parser.isSet(delimiterOpt)) {
        static const std::map<QString, QChar> delimiters {
            {QStringLiteral("comma"), u','}, {QStringLiteral("tab"), u'\t'}, {QStringLiteral("semicolon"), u';'}};
        const auto it = delimiters.find(parser.value(delimiterOpt));
        if (it == delimiters.end()) {
            return command.usage(QStringLiteral("--delimiter is comma, tab or semicolon"));
        }
        options.delimiter = it->second;
    }
    if (parser.isSet(noHeaderOpt)) {
        options.header = HeaderMode::absent;
    }
    if (parser.isSet(includesOpt) && parser.isSet(excludesOpt)) {
        return command.usage(QStringLiteral("choose one of --price-includes-tax and --price-excludes-tax"));
    }
    TaxSettings tax;
    if (parser.isSet(rateOpt)) {
        const QString value = parser.value(rateOpt);
        if (value != QLatin1String("10") && value != QLatin1String("8")) {
            return command.usage(QStringLiteral("--tax-rate is 10 or 8"));
        }
        tax.ratePercent = value.toInt();
    }
    if (parser.isSet(roundingOpt)) {
        const auto rounding = roundingOfKey(parser.value(roundingOpt));
        if (!rounding) {
            return command.usage(QStringLiteral("--rounding is floor, half-up or ceil"));
        }
        tax.rounding = *rounding;
    }

    const QString listPath = positional.front();
    const ProductList list = readProductList(listPath, options);
    if (!list.ok) {
        say(stderr, QStringLiteral("%1: %2: %3\n").arg(kProgram, listPath, list.error));
        return kUnreadable;
    }
    const AutoMapping automatic = list.hasHeader ? mapColumns(list.columnTitles, sheet::SheetFormat::small)
                                                 : AutoMapping {guessColumns(list.rows), std::nullopt};
    ColumnMapping mapping = automatic.mapping;
    catalogue::CatalogueColumns extra
        = list.hasHeader ? catalogue::catalogueColumnsOf(list.columnTitles, mapping) : catalogue::CatalogueColumns {};
    for (const QString& value : parser.values(mapOpt)) {
        const qsizetype equals = value.indexOf(u'=');
        const QString key = equals > 0 ? value.left(equals) : QString();
        const QString column = value.mid(equals + 1);
        const int index = column.isEmpty() ? -1 : columnOfArgument(list, column);
        if (index == -2) {
            return command.usage(QStringLiteral("the list has no column \"%1\" (its columns: %2)")
                                     .arg(column, list.columnTitles.join(QStringLiteral(", "))));
        }
        if (const auto field = listFieldOfKey(key)) {
            mapping.set(*field, index);
        } else if (!catalogue::setCatalogueColumn(extra, key, index)) {
            return command.usage(
                QStringLiteral("--map takes FIELD=COLUMN with FIELD one of jan, maker, name, name2, spec, lot, "
                               "price, tax, code, shelf, count: \"%1\"")
                    .arg(value));
        }
    }
    tax.basis = parser.isSet(excludesOpt) ? PriceBasis::excludesTax
        : parser.isSet(includesOpt)       ? PriceBasis::includesTax
                                          : automatic.priceBasis.value_or(PriceBasis::includesTax);
    if (mapping.column(ListField::productName) < 0) {
        say(stderr,
            QStringLiteral("%1: 商品名の列が分かりません。--map name=列 で指定してください (列: %2)\n")
                .arg(kProgram, list.columnTitles.join(QStringLiteral(", "))));
        return kUnreadable;
    }
    const bool json = parser.isSet(command.json);
    if (!json) {
        QStringList columns;
        for (ListField field : listFieldsOf(sheet::SheetFormat::small)) {
            if (mapping.column(field) >= 0) {
                columns << QStringLiteral("%1=%2").arg(listFieldTitle(field),
                                                       list.columnTitles.value(mapping.column(field)));
            }
        }
        for (const auto& [title, column] :
             {std::pair {QStringLiteral("商品コード"), extra.productCode},
              std::pair {QStringLiteral("棚番"), extra.shelf}, std::pair {QStringLiteral("枚数"), extra.tagCount}}) {
            if (column >= 0) {
                columns << QStringLiteral("%1=%2").arg(title, list.columnTitles.value(column));
            }
        }
        say(stdout,
            QStringLiteral("読み込み: %1 (%2行)\n列: %3 (価格は%4)\n")
                .arg(QFileInfo(listPath).fileName())
                .arg(list.rows.size())
                .arg(columns.join(QStringLiteral(", ")),
                     tax.basis == PriceBasis::includesTax ? QStringLiteral("税込み")
                                                          : QStringLiteral("税抜き、税率 %1%、%2")
                                                                .arg(tax.ratePercent)
                                                                .arg(roundingTitle(tax.rounding))));
    }

    const std::vector<CleanRow> cleaned = cleanRows(list.rows, mapping, sheet::SheetFormat::large, tax);
    std::vector<CleanRow> cleanedSmall;
    if (mapping.column(ListField::productName2) >= 0) {
        cleanedSmall = cleanRows(list.rows, mapping, sheet::SheetFormat::small, tax);
    }
    catalogue::IncomingList incoming
        = catalogue::incomingProducts(list, cleaned, cleanedSmall.empty() ? nullptr : &cleanedSmall, extra);
    incoming.fileName = QFileInfo(listPath).absoluteFilePath();

    int exit = kDone;
    const auto opened = command.open(true, &exit);
    if (!opened) {
        return exit;
    }
    const catalogue::MergeResult merged = opened->merge(incoming, mergeOptions);
    if (!merged.outcome.ok()) {
        return failWith(merged.outcome);
    }
    if (json) {
        QJsonObject out = catalogue::report::mergeJson(merged.counts, merged.importId);
        QJsonArray refused;
        for (const catalogue::RefusedRow& row : incoming.refused) {
            refused.append(QJsonObject {{QStringLiteral("row"), row.number}, {QStringLiteral("reason"), row.reason}});
        }
        out.insert(QStringLiteral("refused_rows"), refused);
        sayJson(out);
    } else {
        QString report;
        for (const CleanRow& row : cleaned) {
            if (!row.refused() && row.changed()) {
                report += reportLine(row) + u'\n';
            }
        }
        for (const catalogue::RefusedRow& row : incoming.refused) {
            report += QStringLiteral("%1行目 使いません: %2\n").arg(row.number).arg(row.reason);
        }
        say(stdout, report + catalogue::report::mergeText(merged.counts, merged.importId));
    }
    return merged.counts.refused > 0 ? kSomeRefused : kDone;
}

// ---- status, changes, takedown, history ----

int runStatus(const QStringList& arguments)
{
    Command command(
        QStringLiteral("Counts the tags that need printing or taking down, and lists the prints not yet confirmed."));
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    if (!command.parser.positionalArguments().isEmpty()) {
        return command.usage(QStringLiteral("status takes no arguments"));
    }
    int exit = kDone;
    const auto opened = command.open(false, &exit);
    if (!opened) {
        return exit;
    }
    catalogue::Outcome outcome;
    const catalogue::StatusCounts counts = opened->status(&outcome);
    const std::vector<catalogue::PrintInfo> pending
        = outcome.ok() ? opened->prints(true, &outcome) : std::vector<catalogue::PrintInfo> {};
    if (!outcome.ok()) {
        return failWith(outcome);
    }
    if (command.parser.isSet(command.json)) {
        sayJson(catalogue::report::statusJson(counts, pending));
    } else {
        say(stdout, catalogue::report::statusText(counts, pending));
    }
    return kDone;
}

// Lists the needs of `kinds` as lines or JSON; the needs themselves in `listed`.
int listNeeds(const Command& command, const catalogue::Catalogue& opened,
              std::initializer_list<catalogue::NeedKind> kinds, std::vector<catalogue::TagNeed>* listed)
{
    catalogue::Outcome outcome;
    std::vector<catalogue::TagNeed> needs = opened.tagNeeds(false, &outcome);
    if (!outcome.ok()) {
        return failWith(outcome);
    }
    std::erase_if(needs, [&](const catalogue::TagNeed& need) {
        return std::find(kinds.begin(), kinds.end(), need.kind) == kinds.end();
    });
    if (command.parser.isSet(command.json)) {
        QJsonArray array;
        for (const catalogue::TagNeed& need : needs) {
            array.append(catalogue::report::needJson(need));
        }
        sayJson({{QStringLiteral("products"), array}});
    } else {
        QString text;
        for (const catalogue::TagNeed& need : needs) {
            text += catalogue::report::needLine(need) + u'\n';
        }
        say(stdout, text);
    }
    *listed = std::move(needs);
    return kDone;
}

int runChanges(const QStringList& arguments)
{
    Command command(
        QStringLiteral("Lists the products whose tag needs printing (new, or changed since the tag on the shelf "
                       "was printed), in shelf order, with what changed."));
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    int exit = kDone;
    const auto opened = command.open(false, &exit);
    if (!opened) {
        return exit;
    }
    std::vector<catalogue::TagNeed> listed;
    return listNeeds(command, *opened, {catalogue::NeedKind::newTag, catalogue::NeedKind::changed}, &listed);
}

int runTakedown(const QStringList& arguments)
{
    Command command(QStringLiteral("Lists the tags of discontinued products still on the shelves, by shelf location."));
    const QCommandLineOption pdfOpt(QStringLiteral("pdf"),
                                    QStringLiteral("also write a checklist to carry along the shelves"),
                                    QStringLiteral("FILE"));
    const QCommandLineOption doneOpt(QStringLiteral("done"),
                                     QStringLiteral("record that the listed tags have been taken down"));
    command.parser.addOptions({pdfOpt, doneOpt});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    int exit = kDone;
    const auto opened = command.open(false, &exit);
    if (!opened) {
        return exit;
    }
    std::vector<catalogue::TagNeed> listed;
    if (const int status = listNeeds(command, *opened, {catalogue::NeedKind::takeDown}, &listed); status != kDone) {
        return status;
    }
    if (command.parser.isSet(pdfOpt)) {
        QByteArray pdf;
        QString error;
        const QString path = command.parser.value(pdfOpt);
        const QString title = QStringLiteral("取り下げる棚札 %1").arg(QDate::currentDate().toString(Qt::ISODate));
        files::WriteOutcome written;
        if (output::drawTakedownChecklist(listed, title, pdf, &error)) {
            written = files::writeFileCarefully(path, pdf);
            error = written.error;
        }
        if (!written.ok) {
            say(stderr, QStringLiteral("%1: %2: %3\n").arg(kProgram, path, error));
            return kUnwritable;
        }
        if (!command.parser.isSet(command.json)) {
            say(stdout, QStringLiteral("PDF: %1\n").arg(QDir::toNativeSeparators(path)));
        }
    }
    if (command.parser.isSet(doneOpt)) {
        std::vector<qint64> ids;
        for (const catalogue::TagNeed& need : listed) {
            ids.push_back(need.product.id);
        }
        if (const catalogue::Outcome outcome = opened->recordTakenDown(ids); !outcome.ok()) {
            return failWith(outcome);
        }
        if (!command.parser.isSet(command.json)) {
            say(stdout, QStringLiteral("取り下げ済みにしました: %1 枚\n").arg(ids.size()));
        }
    }
    return kDone;
}

int runHistory(const QStringList& arguments)
{
    Command command(QStringLiteral("Shows a product's price history and the prints of its tag."));
    command.parser.addPositionalArgument(QStringLiteral("CODE"),
                                         QStringLiteral("the product's JAN code or product code"));
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    if (command.parser.positionalArguments().size() != 1) {
        return command.usage(QStringLiteral("give exactly one product code"));
    }
    int exit = kDone;
    const auto opened = command.open(false, &exit);
    if (!opened) {
        return exit;
    }
    catalogue::Outcome outcome;
    const auto history = opened->history(command.parser.positionalArguments().front().trimmed(), &outcome);
    if (!history) {
        return failWith(outcome);
    }
    if (command.parser.isSet(command.json)) {
        sayJson(catalogue::report::historyJson(*history));
    } else {
        say(stdout, catalogue::report::historyText(*history));
    }
    return kDone;
}

// ---- print, confirm ----

int runPrint(const QStringList& arguments)
{
    Command command(
        QStringLiteral("Lays the tags that need printing onto sheets in shelf order, from a start tag, and writes them "
                       "as sheet files, one PDF or one print job. The print is recorded as pending until confirmed."));
    QCommandLineParser& parser = command.parser;
    const QCommandLineOption formatOpt(QStringLiteral("format"),
                                       QStringLiteral("large (24 tags, default) or small (40)"),
                                       QStringLiteral("large|small"));
    const QCommandLineOption startOpt(
        QStringLiteral("start"), QStringLiteral("first tag used on the first sheet (default 1)"), QStringLiteral("N"));
    const QCommandLineOption onlyOpt(QStringLiteral("only"), QStringLiteral("only the new or only the changed tags"),
                                     QStringLiteral("new|changed"));
    const QCommandLineOption outputOpt({QStringLiteral("o"), QStringLiteral("output")},
                                       QStringLiteral("folder for the sheet files (made when missing)"),
                                       QStringLiteral("DIR"));
    const QCommandLineOption pdfOpt(QStringLiteral("pdf"),
                                    QStringLiteral("draw the sheets, one page each, into the PDF FILE"),
                                    QStringLiteral("FILE"));
    const QCommandLineOption printOpt(QStringLiteral("print"),
                                      QStringLiteral("print the sheets as one job without a dialog"));
    const QCommandLineOption printerOpt(QStringLiteral("printer"), QStringLiteral("with --print: the printer to use"),
                                        QStringLiteral("NAME"));
    parser.addOptions({formatOpt, startOpt, onlyOpt, outputOpt, pdfOpt, printOpt, printerOpt});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    const int outputs = int(parser.isSet(outputOpt)) + int(parser.isSet(pdfOpt)) + int(parser.isSet(printOpt));
    if (outputs != 1) {
        return command.usage(QStringLiteral("give one of -o DIR, --pdf FILE and --print"));
    }
    if (parser.isSet(printerOpt) && !parser.isSet(printOpt)) {
        return command.usage(QStringLiteral("--printer goes with --print"));
    }
    if (parser.isSet(pdfOpt) && QFileInfo(parser.value(pdfOpt)).suffix().toLower() != QLatin1String("pdf")) {
        return command.usage(QStringLiteral("--pdf takes a file name ending in .pdf"));
    }
    const sheet::SheetFormat* format = &sheet::SheetFormat::large;
    if (parser.isSet(formatOpt)) {
        const QString value = parser.value(formatOpt);
        if (value == QLatin1String("small")) {
            format = &sheet::SheetFormat::small;
        } else if (value != QLatin1String("large")) {
            return command.usage(QStringLiteral("--format is large or small"));
        }
    }
    int start = 1;
    if (parser.isSet(startOpt)) {
        bool ok = false;
        start = parser.value(startOpt).toInt(&ok);
        if (!ok || start < 1 || start > format->tagsPerPage) {
            return command.usage(QStringLiteral("--start takes a tag number from 1 to %1").arg(format->tagsPerPage));
        }
    }
    jobs::NeedFilter filter = jobs::NeedFilter::all;
    if (parser.isSet(onlyOpt)) {
        const QString value = parser.value(onlyOpt);
        if (value != QLatin1String("new") && value != QLatin1String("changed")) {
            return command.usage(QStringLiteral("--only is new or changed"));
        }
        filter = value == QLatin1String("new") ? jobs::NeedFilter::newOnly : jobs::NeedFilter::changedOnly;
    }
    int exit = kDone;
    const auto opened = command.open(false, &exit);
    if (!opened) {
        return exit;
    }
    catalogue::Outcome outcome;
    const std::vector<catalogue::TagNeed> needs = opened->tagNeeds(false, &outcome);
    if (!outcome.ok()) {
        return failWith(outcome);
    }
    jobs::CataloguePrintPlan plan = jobs::planCataloguePrint(needs, *format, start, filter);
    if (plan.sheets.empty()) {
        if (parser.isSet(command.json)) {
            sayJson({{QStringLiteral("print"), QJsonValue::Null},
                     {QStringLiteral("sheets"), 0},
                     {QStringLiteral("tags"), QJsonArray()}});
            return kDone;
        }
        say(stdout, QStringLiteral("印刷する棚札はありません\n"));
        return kDone;
    }

    const bool json = parser.isSet(command.json);
    const auto note = [json](const QString& text) {
        if (!json) {
            say(stdout, text);
        }
    };
    QString destination;
    if (parser.isSet(outputOpt)) {
        const QDir dir(parser.value(outputOpt));
        if (!QDir().mkpath(dir.path())) {
            say(stderr, QStringLiteral("%1: フォルダー %2 を作れません\n").arg(kProgram, dir.path()));
            return kUnwritable;
        }
        const QString base
            = QStringLiteral("tags-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        const QStringList paths = jobs::sheetFilePaths(dir.path(), base, 1, int(plan.sheets.size()));
        // New names only, created afresh; a failure part-way removes the files this print made.
        const jobs::SheetFilesWritten written
            = jobs::writeSheetFiles(plan.sheets, paths, false, [&](const QString& path) {
                  note(QStringLiteral("書き込み: %1\n").arg(QDir::toNativeSeparators(path)));
              });
        if (!written.ok) {
            say(stderr,
                written.nameTaken ? QStringLiteral("%1: %2 がすでにあります\n").arg(kProgram, written.failedPath)
                                  : QStringLiteral("%1: %2: %3\n").arg(kProgram, written.failedPath, written.error));
            return kUnwritable;
        }
        for (const auto& [path, reason] : written.unflushed) {
            say(stderr, QStringLiteral("%1: %2\n").arg(kProgram, files::unflushedNotice(path, reason)));
        }
        destination = QDir::toNativeSeparators(QFileInfo(dir.path()).absoluteFilePath());
    } else if (parser.isSet(pdfOpt)) {
        QByteArray pdf;
        const output::DocumentResult drawn = output::drawPdfDocument(plan.sheets, 600, pdf);
        const QString path = parser.value(pdfOpt);
        const files::WriteOutcome written = drawn.ok ? files::writeFileCarefully(path, pdf) : files::WriteOutcome {};
        if (written.replacedUnflushed) {
            say(stderr, QStringLiteral("%1: %2\n").arg(kProgram, files::unflushedNotice(path, written.error)));
        } else if (!drawn.ok || !written.ok) {
            say(stderr, QStringLiteral("%1: %2: %3\n").arg(kProgram, path, drawn.ok ? written.error : drawn.error));
            return kUnwritable;
        }
        destination = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
        note(QStringLiteral("PDF: %1 (%2 ページ)\n").arg(destination).arg(plan.sheets.size()));
    } else {
        QPrinter printer(QPrinter::HighResolution);
        QString error;
        if (!output::choosePrinterByName(printer, parser.value(printerOpt), error)) {
            say(stderr, QStringLiteral("%1: %2\n").arg(kProgram, error));
            return kUnwritable;
        }
        printer.setDocName(QStringLiteral("tanafuda-catalogue"));
        // The printer's calibration applies here as to every printed page.
        const output::DocumentResult printed = output::printSheets(
            plan.sheets, printer,
            output::printerCalibration({}, output::CalibrationSettings(), [](const QString& warning) {
                say(stderr, QStringLiteral("%1: %2\n").arg(kProgram, QString(warning).remove(u'\n')));
            }));
        if (!printed.ok) {
            say(stderr, QStringLiteral("%1: %2\n").arg(kProgram, printed.error));
            return kUnwritable;
        }
        destination = printer.printerName();
        note(QStringLiteral("印刷: %1 (%2 ページ)\n").arg(destination).arg(plan.sheets.size()));
    }
    qint64 printId = 0;
    outcome = opened->recordPrint(plan.placed, format->isLarge() ? QStringLiteral("large") : QStringLiteral("small"),
                                  start, int(plan.sheets.size()), destination, &printId);
    if (!outcome.ok()) {
        return failWith(outcome);
    }
    if (json) {
        QJsonArray tags;
        for (const catalogue::PlacedTag& placed : plan.placed) {
            tags.append(QJsonObject {{QStringLiteral("sheet"), placed.sheet},
                                     {QStringLiteral("slot"), placed.slot},
                                     {QStringLiteral("jan"), placed.tag.jan},
                                     {QStringLiteral("name"), placed.tag.productName},
                                     {QStringLiteral("price"), placed.tag.price}});
        }
        sayJson({{QStringLiteral("print"), printId},
                 {QStringLiteral("sheets"), int(plan.sheets.size())},
                 {QStringLiteral("tags"), tags}});
    } else {
        say(stdout,
            QStringLiteral("印刷 %1 を記録しました (確認待ち、棚札 %2 枚、シート %3 枚)。\n"
                           "棚札が正しく印刷できたら: tanafuda-catalogue confirm %1\n"
                           "できなかったら: tanafuda-catalogue confirm %1 --failed\n")
                .arg(printId)
                .arg(plan.placed.size())
                .arg(plan.sheets.size()));
    }
    return kDone;
}

int runConfirm(const QStringList& arguments)
{
    Command command(
        QStringLiteral("Confirms that a print came out right (its tags are then on the shelves), or with --failed "
                       "that it did not (its tags still need printing)."));
    command.parser.addPositionalArgument(QStringLiteral("PRINT"), QStringLiteral("the print's number"));
    const QCommandLineOption failedOpt(QStringLiteral("failed"), QStringLiteral("the print did not come out right"));
    command.parser.addOption(failedOpt);
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    bool ok = false;
    const QStringList positional = command.parser.positionalArguments();
    const qint64 printId = positional.size() == 1 ? positional.front().toLongLong(&ok) : 0;
    if (!ok || printId <= 0) {
        return command.usage(QStringLiteral("give the number of one print"));
    }
    int exit = kDone;
    const auto opened = command.open(false, &exit);
    if (!opened) {
        return exit;
    }
    const bool failed = command.parser.isSet(failedOpt);
    const catalogue::Outcome outcome
        = opened->decidePrint(printId, failed ? catalogue::PrintState::failed : catalogue::PrintState::confirmed);
    if (!outcome.ok()) {
        return failWith(outcome);
    }
    say(stdout,
        failed ? QStringLiteral("印刷 %1 を失敗にしました。棚札はまだ印刷が必要です。\n").arg(printId)
               : QStringLiteral("印刷 %1 を確認しました。\n").arg(printId));
    return kDone;
}

}  // namespace

int main(int argc, char* argv[])
{
    // Drawing the sheets for --pdf and --print needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    command_line::hideRuntimeFolderWarning();
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(kProgram);
    QGuiApplication::setApplicationVersion(QString::fromLatin1(build_config::kVersion));
    output::installFontSubstitutions();

    static const std::map<QString, std::function<int(const QStringList&)>> subcommands {
        {QStringLiteral("import"), runImport},   {QStringLiteral("status"), runStatus},
        {QStringLiteral("changes"), runChanges}, {QStringLiteral("print"), runPrint},
        {QStringLiteral("confirm"), runConfirm}, {QStringLiteral("takedown"), runTakedown},
        {QStringLiteral("history"), runHistory}};
    QStringList arguments = QCoreApplication::arguments();
    const QString first = arguments.value(1);
    const QString overview
        = QStringLiteral("Usage: %1 SUBCOMMAND [options]\n"
                         "The shop's product catalogue: which shelf tags need printing, in shelf order.\n\n")
              .arg(kProgram)
        + kSubcommands;
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        say(stdout, overview);
        return kDone;
    }
    if (first == QLatin1String("--version")) {
        say(stdout, QStringLiteral("%1 %2\n").arg(kProgram, QCoreApplication::applicationVersion()));
        return kDone;
    }
    const auto it = subcommands.find(first);
    if (it == subcommands.end()) {
        say(stderr,
            QStringLiteral("%1: %2\n\n")
                    .arg(kProgram,
                         first.isEmpty() ? QStringLiteral("no subcommand given")
                                         : QStringLiteral("unknown subcommand \"%1\"").arg(first))
                + overview);
        return kUsage;
    }
    QGuiApplication::setApplicationName(kProgram + u' ' + first);
    arguments.removeAt(1);
    return it->second(arguments);
}
