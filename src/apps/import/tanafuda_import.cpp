// tanafuda-import: turns a shop's product list (CSV, TSV, Excel .xlsx, LibreOffice .ods) into
// sheet files of tags, and reports what it changed or left out, row by row.
//
// Exit status: 0 every row used; 4 some rows left out (the report says which and why); 1 usage
// error; 2 the list could not be read (or has nothing to put on tags); 3 a sheet file, the PDF or
// the print job could not be written (the sheet files this run made are removed again); 5 every
// file holds its new content, but a folder could not be flushed.

#include "apps/common/command_line.h"
#include "apps/common/option_table.h"
#include "apps/common/runtime_folder_warning.h"
#include "build_config.h"
#include "core/files/careful_write.h"
#include "core/files/file_command_texts.h"
#include "core/jobs/import_job.h"
#include "output/calibration_settings.h"
#include "output/sheet_document.h"
#include "output/sheet_print.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>

#include <variant>

using namespace productlist;

namespace {

enum Exit { kDone = 0, kUsage = 1, kUnreadable = 2, kUnwritable = 3, kSomeRefused = 4, kUnflushed = 5 };

using command_line::say;

const command_line::ProgramTable kProgram {
    QStringLiteral("Turns a product list (CSV, TSV, .xlsx, .ods) into sheet files of tags, with tax-inclusive prices.\n"
                   "Writes DIR/LIST-1.csv, DIR/LIST-2.csv, ... and prints a line for every changed or left-out row."),
    QStringLiteral("LIST"),
    QStringLiteral("the product list"),
    {},
    {
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("folder for the sheet files (made when missing)"),
         QStringLiteral("DIR")},
        {{QStringLiteral("format")},
         QStringLiteral("large (24 tags, default) or small (40)"),
         QStringLiteral("large|small")},
        {{QStringLiteral("start")},
         QStringLiteral("first tag used on the first sheet (default 1)"),
         QStringLiteral("N")},
        {{QStringLiteral("sheet")},
         QStringLiteral("workbooks: the sheet to read (default the first)"),
         QStringLiteral("NAME")},
        {{QStringLiteral("encoding")},
         QStringLiteral("text lists: utf-8, utf-16le, utf-16be or cp932 (default: detected)"),
         QStringLiteral("E")},
        {{QStringLiteral("delimiter")},
         QStringLiteral("text lists: comma, tab or semicolon (default: detected)"),
         QStringLiteral("D")},
        {{QStringLiteral("no-header")}, QStringLiteral("the first row is a product, not a header"), {}},
        {{QStringLiteral("map")},
         QStringLiteral("take FIELD (jan, maker, name, name2, spec, lot, price, tax, taxbasis) from COLUMN, "
                        "a header title or a number from 1; empty COLUMN: not from the list (price= makes tags "
                        "without prices)"),
         QStringLiteral("FIELD=COLUMN")},
        {{QStringLiteral("price-includes-tax")}, QStringLiteral("the prices include the tax"), {}},
        {{QStringLiteral("price-excludes-tax")},
         QStringLiteral("the prices are without tax: the tags get the tax added"),
         {}},
        {{QStringLiteral("tax-rate")},
         QStringLiteral("rate in percent where the tax column says none: 10 (default) or 8"),
         QStringLiteral("10|8")},
        {{QStringLiteral("rounding")},
         QStringLiteral("fraction of a yen: floor (default), half-up or ceil"),
         QStringLiteral("MODE")},
        {{QStringLiteral("tax-code")},
         QStringLiteral("the list's own tax CODE means incl10, incl8, excl10, excl8 or exempt (e.g. 1=excl8)"),
         QStringLiteral("CODE=MEANING")},
        {{QStringLiteral("no-remembered")},
         QStringLiteral("ignore the choices remembered for lists with this header"),
         {}},
        {{QStringLiteral("remember")}, QStringLiteral("remember this run's choices for lists with this header"), {}},
        {{QStringLiteral("overwrite")}, QStringLiteral("replace sheet files that exist"), {}},
        {{QStringLiteral("pdf")},
         QStringLiteral("also draw every sheet, one page each, into the PDF FILE"),
         QStringLiteral("FILE")},
        {{QStringLiteral("print")},
         QStringLiteral("also print every sheet, one page each, as one job without a dialog"),
         {}},
        {{QStringLiteral("printer")}, QStringLiteral("with --print: the printer to use"), QStringLiteral("NAME")},
    }};

int usage(const QCommandLineParser& parser, const QString& problem)
{
    command_line::sayUsageError(parser, problem);
    return kUsage;
}

// The request the options make, or the usage error's exit status.
std::variant<jobs::ImportRequest, int> requestOf(const QCommandLineParser& parser)
{
    const auto isSet = [&](const char* name) { return parser.isSet(QLatin1String(name)); };
    const auto value = [&](const char* name) { return parser.value(QLatin1String(name)); };
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        return usage(parser,
                     positional.isEmpty() ? QStringLiteral("no list given") : QStringLiteral("give exactly one list"));
    }
    if (!isSet("output")) {
        return usage(parser, QStringLiteral("give the folder for the sheet files with -o DIR"));
    }
    if (isSet("printer") && !isSet("print")) {
        return usage(parser, QStringLiteral("--printer goes with --print"));
    }
    if (isSet("pdf") && QFileInfo(value("pdf")).suffix().toLower() != QLatin1String("pdf")) {
        return usage(parser, QStringLiteral("--pdf takes a file name ending in .pdf"));
    }
    jobs::ImportRequest request;
    request.listPath = positional.front();
    request.folder = QDir(value("output")).path();
    request.overwrite = isSet("overwrite");
    if (isSet("format")) {
        if (value("format") == QLatin1String("small")) {
            request.format = &sheet::SheetFormat::small;
        } else if (value("format") != QLatin1String("large")) {
            return usage(parser, QStringLiteral("--format is large or small"));
        }
    }
    if (isSet("start")) {
        const std::optional<int> start
            = command_line::wholeNumber(parser, QStringLiteral("start"), 1, request.format->tagsPerPage);
        if (!start) {
            return usage(parser,
                         QStringLiteral("--start takes a tag number from 1 to %1").arg(request.format->tagsPerPage));
        }
        request.startTag = *start;
    }
    request.read.sheetName = value("sheet");
    if (isSet("encoding")) {
        request.read.encoding = parseEncodingName(value("encoding"));
        if (!request.read.encoding) {
            return usage(parser, QStringLiteral("--encoding is utf-8, utf-16le, utf-16be or cp932"));
        }
    }
    if (isSet("delimiter")) {
        const QString delimiter = value("delimiter");
        if (delimiter == QLatin1String("comma")) {
            request.read.delimiter = QChar(u',');
        } else if (delimiter == QLatin1String("tab")) {
            request.read.delimiter = QChar(u'\t');
        } else if (delimiter == QLatin1String("semicolon")) {
            request.read.delimiter = QChar(u';');
        } else {
            return usage(parser, QStringLiteral("--delimiter is comma, tab or semicolon"));
        }
    }
    if (isSet("no-header")) {
        request.read.header = HeaderMode::absent;
    }
    if (isSet("price-includes-tax") && isSet("price-excludes-tax")) {
        return usage(parser, QStringLiteral("choose one of --price-includes-tax and --price-excludes-tax"));
    }
    if (isSet("price-excludes-tax") || isSet("price-includes-tax")) {
        request.priceBasis = isSet("price-excludes-tax") ? PriceBasis::excludesTax : PriceBasis::includesTax;
    }
    if (isSet("tax-rate")) {
        if (value("tax-rate") != QLatin1String("10") && value("tax-rate") != QLatin1String("8")) {
            return usage(parser, QStringLiteral("--tax-rate is 10 or 8"));
        }
        request.tax.ratePercent = value("tax-rate").toInt();
        request.rateGiven = true;
    }
    if (isSet("rounding")) {
        const auto rounding = roundingOfKey(value("rounding"));
        if (!rounding) {
            return usage(parser, QStringLiteral("--rounding is floor, half-up or ceil"));
        }
        request.tax.rounding = *rounding;
        request.roundingGiven = true;
    }
    for (const QString& given : parser.values(QStringLiteral("tax-code"))) {
        const auto code = parseTaxCodeArgument(given);
        if (!code) {
            return usage(parser,
                         QStringLiteral("--tax-code takes CODE=MEANING with MEANING one of %1: \"%2\"")
                             .arg(taxCodeMeaningKeys().join(QStringLiteral(", ")), given));
        }
        request.tax.codes.push_back(*code);
    }
    if (isSet("no-remembered") && isSet("remember")) {
        return usage(parser, QStringLiteral("choose one of --no-remembered and --remember"));
    }
    request.useRemembered = !isSet("no-remembered");
    request.remember = isSet("remember");
    for (const QString& map : parser.values(QStringLiteral("map"))) {
        const qsizetype equals = map.indexOf(u'=');
        const auto field = equals > 0 ? listFieldOfKey(map.left(equals)) : std::nullopt;
        if (!field) {
            return usage(parser,
                         QStringLiteral("--map takes FIELD=COLUMN with FIELD one of jan, maker, name, name2, spec, "
                                        "lot, price, tax, taxbasis: \"%1\"")
                             .arg(map));
        }
        request.columns.push_back({*field, map.mid(equals + 1)});
    }
    return request;
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
    QGuiApplication::setApplicationName(QStringLiteral("tanafuda-import"));
    QGuiApplication::setApplicationVersion(QString::fromLatin1(build_config::kVersion));

    QCommandLineParser parser;
    if (const std::optional<int> done = command_line::parseArguments(parser, kProgram, kUsage)) {
        return *done;
    }
    const auto request = requestOf(parser);
    if (const int* status = std::get_if<int>(&request)) {
        return *status;
    }
    const auto sayError = [](const QString& text) { say(stderr, QStringLiteral("tanafuda-import: %1\n").arg(text)); };
    const jobs::ImportReport report {[](const QString& text) { say(stdout, text); }, sayError};
    // The choices remembered for each list layout are kept in the settings file.
    output::CalibrationSettings settings;
    jobs::ImportRequest job = std::get<jobs::ImportRequest>(request);
    job.memory = &settings;
    const jobs::ImportOutcome imported = jobs::runImport(job, report);
    switch (imported.status) {
    case jobs::ImportStatus::unknownColumn:
        return usage(parser, imported.problem);
    case jobs::ImportStatus::unreadable:
        return kUnreadable;
    case jobs::ImportStatus::unwritable:
        return kUnwritable;
    case jobs::ImportStatus::someRefused:
    case jobs::ImportStatus::done:
        break;
    }
    const std::vector<sheet::TagSheet>& sheets = imported.sheets;
    if (sheets.empty()) {
        return kSomeRefused;
    }
    bool unflushed = imported.unflushed;
    if (parser.isSet(QStringLiteral("pdf"))) {
        QByteArray pdf;
        const output::DocumentResult drawn = output::drawPdfDocument(sheets, 600, pdf);
        const QString path = parser.value(QStringLiteral("pdf"));
        const files::WriteOutcome written = drawn.ok ? files::writeFileCarefully(path, pdf) : files::WriteOutcome {};
        if (written.replacedUnflushed) {
            unflushed = true;
            sayError(files::unflushedNotice(path, written.error));
        } else if (!drawn.ok || !written.ok) {
            sayError(QStringLiteral("%1: %2").arg(path, drawn.ok ? written.error : drawn.error));
            return kUnwritable;
        }
        say(stdout,
            QStringLiteral("PDF: %1 (%2 ページ)\n")
                .arg(QDir::toNativeSeparators(path), QString::number(sheets.size())));
    }
    if (parser.isSet(QStringLiteral("print"))) {
        QPrinter printer(QPrinter::HighResolution);
        QString error;
        if (!output::choosePrinterByName(printer, parser.value(QStringLiteral("printer")), error)) {
            sayError(error);
            return kUnwritable;
        }
        printer.setDocName(
            QStringLiteral("tanafuda-import: %1").arg(QFileInfo(parser.positionalArguments().front()).fileName()));
        const output::DocumentResult printed = output::printSheets(
            sheets, printer, output::printerCalibration({}, output::CalibrationSettings(), [&](const QString& warning) {
                sayError(QString(warning).remove(u'\n'));
            }));
        if (!printed.ok) {
            sayError(printed.error);
            return kUnwritable;
        }
        say(stdout,
            QStringLiteral("印刷: %1 (%2 ページ)\n").arg(printer.printerName(), QString::number(sheets.size())));
    }
    say(stdout, countsLine(imported.counts) + QStringLiteral("、シート %1 枚\n").arg(sheets.size()));
    return unflushed ? kUnflushed : imported.status == jobs::ImportStatus::someRefused ? kSomeRefused : kDone;
}
