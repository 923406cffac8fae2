// tanafuda-import: turns a shop's product list (CSV, TSV, Excel .xlsx, LibreOffice .ods) into
// sheet files of tags, and reports what it changed or left out, row by row.
//
// Exit status: 0 every row used; 4 some rows left out (the report says which and why); 1 usage
// error; 2 the list could not be read (or has nothing to put on tags); 3 a sheet file, the PDF or
// the print job could not be written.

#include "core/productlist/cleaning.h"
#include "core/productlist/column_mapping.h"
#include "core/productlist/product_list.h"
#include "core/productlist/sheet_filling.h"
#include "core/files/careful_write.h"
#include "output/fonts.h"
#include "output/sheet_document.h"
#include "output/sheet_print.h"
#include "core/sheet/tag_sheet.h"
#include "core/files/sheet_file.h"
#include "build_config.h"
#include "apps/common/command_line.h"
#include "apps/common/runtime_folder_warning.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>

using namespace productlist;

namespace {

enum Exit { kDone = 0, kUsage = 1, kUnreadable = 2, kUnwritable = 3, kSomeRefused = 4 };

using command_line::say;

int usage(const QCommandLineParser& parser, const QString& problem)
{
    command_line::sayUsageError(parser, problem);
    return kUsage;
}

// A column given on the command line: its header title as the list spells it, or its number from 1.
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

QString describeList(const QString& path, const ProductList& list)
{
    QStringList parts;
    switch (list.kind) {
    case ListKind::text:
        parts << encodingName(list.encoding) + (list.bom ? QStringLiteral(" (BOM)") : QString())
              << delimiterName(list.delimiter) + QStringLiteral("区切り");
        break;
    case ListKind::xlsx:
    case ListKind::ods:
        parts << QStringLiteral("シート「%1」").arg(list.sheetName);
        break;
    }
    parts << (list.hasHeader ? QStringLiteral("見出しあり") : QStringLiteral("見出しなし"));
    parts << QStringLiteral("%1行").arg(list.rows.size());
    return QStringLiteral("読み込み: %1 (%2)\n").arg(QFileInfo(path).fileName(), parts.join(QStringLiteral(", ")));
}

QString describeMapping(const ProductList& list, const ColumnMapping& mapping, const sheet::SheetFormat& format,
                        const TaxSettings& tax)
{
    QStringList parts;
    for (ListField field : listFieldsOf(format)) {
        const int column = mapping.column(field);
        if (column >= 0) {
            parts << QStringLiteral("%1=%2").arg(listFieldTitle(field), list.columnTitles.value(column));
        }
    }
    QString taxText = tax.basis == PriceBasis::includesTax
                          ? QStringLiteral("税込み")
                          : QStringLiteral("税抜き、税率 %1%、%2").arg(tax.ratePercent).arg(roundingTitle(tax.rounding));
    return QStringLiteral("列: %1 (価格は%2)\n").arg(parts.join(QStringLiteral(", ")), taxText);
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
    parser.setApplicationDescription(QStringLiteral(
        "Turns a product list (CSV, TSV, .xlsx, .ods) into sheet files of tags, with tax-inclusive prices.\n"
        "Writes DIR/LIST-1.csv, DIR/LIST-2.csv, ... and prints a line for every changed or left-out row."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("LIST"), QStringLiteral("the product list"));
    const QCommandLineOption outputOpt({QStringLiteral("o"), QStringLiteral("output")},
                                       QStringLiteral("folder for the sheet files (made when missing)"), QStringLiteral("DIR"));
    const QCommandLineOption formatOpt(QStringLiteral("format"), QStringLiteral("large (24 tags, default) or small (40)"),
                                       QStringLiteral("large|small"));
    const QCommandLineOption startOpt(QStringLiteral("start"), QStringLiteral("first tag used on the first sheet (default 1)"),
                                      QStringLiteral("N"));
    const QCommandLineOption sheetOpt(QStringLiteral("sheet"), QStringLiteral("workbooks: the sheet to read (default the first)"),
                                      QStringLiteral("NAME"));
    const QCommandLineOption encodingOpt(QStringLiteral("encoding"),
                                         QStringLiteral("text lists: utf-8, utf-16le, utf-16be or cp932 (default: detected)"),
                                         QStringLiteral("E"));
    const QCommandLineOption delimiterOpt(QStringLiteral("delimiter"),
                                          QStringLiteral("text lists: comma, tab or semicolon (default: detected)"),
                                          QStringLiteral("D"));
    const QCommandLineOption noHeaderOpt(QStringLiteral("no-header"), QStringLiteral("the first row is a product, not a header"));
    const QCommandLineOption mapOpt(QStringLiteral("map"),
                                    QStringLiteral("take FIELD (jan, maker, name, name2, spec, lot, price, tax) from COLUMN, "
                                                   "a header title or a number from 1; empty COLUMN: not from the list"),
                                    QStringLiteral("FIELD=COLUMN"));
    const QCommandLineOption includesOpt(QStringLiteral("price-includes-tax"), QStringLiteral("the prices include the tax"));
    const QCommandLineOption excludesOpt(QStringLiteral("price-excludes-tax"),
                                         QStringLiteral("the prices are without tax: the tags get the tax added"));
    const QCommandLineOption rateOpt(QStringLiteral("tax-rate"),
                                     QStringLiteral("rate in percent where the tax column says none: 10 (default) or 8"),
                                     QStringLiteral("10|8"));
    const QCommandLineOption roundingOpt(QStringLiteral("rounding"),
                                         QStringLiteral("fraction of a yen: floor (default), half-up or ceil"),
                                         QStringLiteral("MODE"));
    const QCommandLineOption overwriteOpt(QStringLiteral("overwrite"), QStringLiteral("replace sheet files that exist"));
    const QCommandLineOption pdfOpt(QStringLiteral("pdf"), QStringLiteral("also draw every sheet, one page each, into the PDF FILE"),
                                    QStringLiteral("FILE"));
    const QCommandLineOption printOpt(QStringLiteral("print"),
                                      QStringLiteral("also print every sheet, one page each, as one job without a dialog"));
    const QCommandLineOption printerOpt(QStringLiteral("printer"), QStringLiteral("with --print: the printer to use"),
                                        QStringLiteral("NAME"));
    parser.addOptions({outputOpt, formatOpt, startOpt, sheetOpt, encodingOpt, delimiterOpt, noHeaderOpt, mapOpt,
                       includesOpt, excludesOpt, rateOpt, roundingOpt, overwriteOpt, pdfOpt, printOpt, printerOpt});

    if (!parser.parse(QCoreApplication::arguments())) {
        return usage(parser, parser.errorText());
    }
    if (command_line::answeredHelpOrVersion(parser)) {
        return kDone;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        return usage(parser, positional.isEmpty() ? QStringLiteral("no list given") : QStringLiteral("give exactly one list"));
    }
    if (!parser.isSet(outputOpt)) {
        return usage(parser, QStringLiteral("give the folder for the sheet files with -o DIR"));
    }
    if (parser.isSet(printerOpt) && !parser.isSet(printOpt)) {
        return usage(parser, QStringLiteral("--printer goes with --print"));
    }
    if (parser.isSet(pdfOpt) && QFileInfo(parser.value(pdfOpt)).suffix().toLower() != QLatin1String("pdf")) {
        return usage(parser, QStringLiteral("--pdf takes a file name ending in .pdf"));
    }
    const sheet::SheetFormat* format = &sheet::SheetFormat::large;
    if (parser.isSet(formatOpt)) {
        const QString value = parser.value(formatOpt);
        if (value == QLatin1String("small")) {
            format = &sheet::SheetFormat::small;
        } else if (value != QLatin1String("large")) {
            return usage(parser, QStringLiteral("--format is large or small"));
        }
    }
    int start = 1;
    if (parser.isSet(startOpt)) {
        bool ok = false;
        start = parser.value(startOpt).toInt(&ok);
        if (!ok || start < 1 || start > format->tagsPerPage) {
            return usage(parser, QStringLiteral("--start takes a tag number from 1 to %1").arg(format->tagsPerPage));
        }
    }
    ReadOptions options;
    options.sheetName = parser.value(sheetOpt);
    if (parser.isSet(encodingOpt)) {
        options.encoding = parseEncodingName(parser.value(encodingOpt));
        if (!options.encoding) {
            return usage(parser, QStringLiteral("--encoding is utf-8, utf-16le, utf-16be or cp932"));
        }
    }
    if (parser.isSet(delimiterOpt)) {
        const QString value = parser.value(delimiterOpt);
        if (value == QLatin1String("comma")) {
            options.delimiter = QChar(u',');
        } else if (value == QLatin1String("tab")) {
            options.delimiter = QChar(u'\t');
        } else if (value == QLatin1String("semicolon")) {
            options.delimiter = QChar(u';');
        } else {
            return usage(parser, QStringLiteral("--delimiter is comma, tab or semicolon"));
        }
    }
    if (parser.isSet(noHeaderOpt)) {
        options.header = HeaderMode::absent;
    }
    if (parser.isSet(includesOpt) && parser.isSet(excludesOpt)) {
        return usage(parser, QStringLiteral("choose one of --price-includes-tax and --price-excludes-tax"));
    }
    TaxSettings tax;
    if (parser.isSet(rateOpt)) {
        const QString value = parser.value(rateOpt);
        if (value != QLatin1String("10") && value != QLatin1String("8")) {
            return usage(parser, QStringLiteral("--tax-rate is 10 or 8"));
        }
        tax.ratePercent = value.toInt();
    }
    if (parser.isSet(roundingOpt)) {
        const auto rounding = roundingOfKey(parser.value(roundingOpt));
        if (!rounding) {
            return usage(parser, QStringLiteral("--rounding is floor, half-up or ceil"));
        }
        tax.rounding = *rounding;
    }
    std::vector<std::pair<ListField, QString>> maps;
    for (const QString& value : parser.values(mapOpt)) {
        const qsizetype equals = value.indexOf(u'=');
        const auto field = equals > 0 ? listFieldOfKey(value.left(equals)) : std::nullopt;
        if (!field) {
            return usage(parser, QStringLiteral("--map takes FIELD=COLUMN with FIELD one of jan, maker, name, name2, spec, "
                                                "lot, price, tax: \"%1\"").arg(value));
        }
        maps.emplace_back(*field, value.mid(equals + 1));
    }

    const QString listPath = positional.front();
    const ProductList list = readProductList(listPath, options);
    if (!list.ok) {
        QString message = list.error;
        if (!list.sheetNames.isEmpty()) {
            message += QStringLiteral(" (シート: %1)").arg(list.sheetNames.join(QStringLiteral(", ")));
        }
        say(stderr, QStringLiteral("tanafuda-import: %1: %2\n").arg(listPath, message));
        return kUnreadable;
    }
    const AutoMapping automatic = list.hasHeader ? mapColumns(list.columnTitles, *format)
                                                 : AutoMapping{guessColumns(list.rows), std::nullopt};
    ColumnMapping mapping = automatic.mapping;
    for (const auto& [field, column] : maps) {
        if (column.isEmpty()) {
            mapping.set(field, -1);
            continue;
        }
        const int index = columnOfArgument(list, column);
        if (index < 0) {
            return usage(parser, QStringLiteral("the list has no column \"%1\" (its columns: %2)")
                                     .arg(column, list.columnTitles.join(QStringLiteral(", "))));
        }
        mapping.set(field, index);
    }
    tax.basis = parser.isSet(excludesOpt)   ? PriceBasis::excludesTax
                : parser.isSet(includesOpt) ? PriceBasis::includesTax
                                            : automatic.priceBasis.value_or(PriceBasis::includesTax);

    say(stdout, describeList(listPath, list) + describeMapping(list, mapping, *format, tax));
    if (list.invalidBytes) {
        say(stdout, QStringLiteral("注意: %1 として読めない文字があります。--encoding で文字コードを選んでください\n")
                        .arg(encodingName(list.encoding)));
    }
    if (list.truncated) {
        say(stdout, QStringLiteral("注意: %1行を超える分は読んでいません\n").arg(kMaxRows));
    }
    if (mapping.column(ListField::productName) < 0) {
        say(stderr, QStringLiteral("tanafuda-import: 商品名の列が分かりません。--map name=列 で指定してください (列: %1)\n")
                        .arg(list.columnTitles.join(QStringLiteral(", "))));
        return kUnreadable;
    }

    const std::vector<CleanRow> cleaned = cleanRows(list.rows, mapping, *format, tax);
    QString report;
    for (const CleanRow& row : cleaned) {
        const QString line = reportLine(row);
        if (!line.isEmpty()) {
            report += line + u'\n';
        }
    }
    say(stdout, report);
    const CleanCounts counts = countRows(cleaned);
    const std::vector<sheet::TagRecord> records = usedRecords(cleaned);
    if (records.empty()) {
        say(stdout, countsLine(counts) + QStringLiteral("\n"));
        say(stderr, QStringLiteral("tanafuda-import: 棚札にする商品がありません\n"));
        return counts.refused > 0 ? kSomeRefused : kUnreadable;
    }

    std::vector<sheet::TagSheet> sheets = sheetsForList(*format, start, records);
    // The PDF and the print job are for the printer: no preview grid, numbers or file name.
    for (sheet::TagSheet& page : sheets) {
        page.outputMode = sheet::OutputMode::printer;
    }
    const QDir dir(parser.value(outputOpt));
    if (!QDir().mkpath(dir.path())) {
        say(stderr, QStringLiteral("tanafuda-import: フォルダー %1 を作れません\n").arg(dir.path()));
        return kUnwritable;
    }
    const QStringList names = numberedSheetFileNames(QFileInfo(listPath).completeBaseName(), 1, int(sheets.size()));
    if (!parser.isSet(overwriteOpt)) {
        for (const QString& name : names) {
            if (QFileInfo::exists(dir.filePath(name))) {
                say(stderr, QStringLiteral("tanafuda-import: %1 がすでにあります (置き換えるには --overwrite)\n")
                                .arg(dir.filePath(name)));
                return kUnwritable;
            }
        }
    }
    for (size_t i = 0; i < sheets.size(); ++i) {
        const QString path = dir.filePath(names.at(qsizetype(i)));
        // The printed page names its file, as the editor's does.
        sheets[i].fileName = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
        const files::WriteResult written = files::writeSheetFile(sheets[i], path);
        if (!written.ok) {
            say(stderr, QStringLiteral("tanafuda-import: %1: %2\n").arg(path, written.error));
            return kUnwritable;
        }
        say(stdout, QStringLiteral("書き込み: %1\n").arg(QDir::toNativeSeparators(path)));
    }
    if (parser.isSet(pdfOpt)) {
        QByteArray pdf;
        const output::DocumentResult drawn = output::drawPdfDocument(sheets, 600, pdf);
        const QString path = parser.value(pdfOpt);
        const files::WriteOutcome written = drawn.ok ? files::writeFileCarefully(path, pdf) : files::WriteOutcome{};
        if (!drawn.ok || !written.ok) {
            say(stderr, QStringLiteral("tanafuda-import: %1: %2\n").arg(path, drawn.ok ? written.error : drawn.error));
            return kUnwritable;
        }
        say(stdout, QStringLiteral("PDF: %1 (%2 ページ)\n").arg(QDir::toNativeSeparators(path)).arg(sheets.size()));
    }
    if (parser.isSet(printOpt)) {
        QPrinter printer(QPrinter::HighResolution);
        const QString printerName = parser.value(printerOpt);
        if (!printerName.isEmpty()) {
            printer.setPrinterName(printerName);
        }
        if (!printer.isValid() || QPrinterInfo::availablePrinters().isEmpty()) {
            say(stderr, QStringLiteral("tanafuda-import: no printer%1 is available\n")
                            .arg(printerName.isEmpty() ? QString() : QStringLiteral(" named ") + printerName));
            return kUnwritable;
        }
        printer.setDocName(QStringLiteral("tanafuda-import: %1").arg(QFileInfo(listPath).fileName()));
        const output::DocumentResult printed = output::printSheetDocument(sheets, printer);
        if (!printed.ok) {
            say(stderr, QStringLiteral("tanafuda-import: %1\n").arg(printed.error));
            return kUnwritable;
        }
        say(stdout, QStringLiteral("印刷: %1 (%2 ページ)\n").arg(printer.printerName()).arg(sheets.size()));
    }
    say(stdout, countsLine(counts) + QStringLiteral("、シート %1 枚\n").arg(sheets.size()));
    return counts.refused > 0 ? kSomeRefused : kDone;
}
