// tanafuda-import: turns a shop's product list (CSV, TSV, Excel .xlsx, LibreOffice .ods) into
// sheet files of tags, and reports what it changed or left out, row by row.
//
// Exit status: 0 every row used; 4 some rows left out (the report says which and why); 1 usage
// error; 2 the list could not be read (or has nothing to put on tags); 3 a sheet file, the PDF or
// the print job could not be written (the sheet files this run made are removed again); 5 every
// file holds its new content, but a folder could not be flushed.

#include "apps/common/command_line.h"
#include "apps/common/list_options.h"
#include "apps/common/program_start.h"
#include "apps/common/tag_text_options.h"
#include "core/files/careful_write.h"
#include "core/files/file_command_texts.h"
#include "core/jobs/import_job.h"
#include "core/jobs/tag_page.h"
#include "core/settings/printer_calibrations.h"
#include "core/settings/remembered_layouts.h"
#include "core/settings/tag_text_settings.h"
#include "output/sheet_document.h"
#include "output/tag_sheet_printing.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrinter>

#include <variant>

using namespace productlist;

namespace {

enum Exit { kDone = 0, kUsage = 1, kUnreadable = 2, kUnwritable = 3, kSomeRefused = 4, kUnflushed = 5 };

using command_line::say;

// The program's own options around the list options every import shares.
command_line::ProgramTable programTable()
{
    std::vector<command_line::OptionRow> options {
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("folder for the sheet files (made when missing)"),
         QStringLiteral("DIR")},
    };
    for (auto rows : {command_line::sheetLayoutRows(),
                      command_line::listOptionRows({}, QStringLiteral(" (price= makes tags without prices)"))}) {
        options.insert(options.end(), rows.begin(), rows.end());
    }
    options.insert(
        options.end(),
        {
            {{QStringLiteral("overwrite")}, QStringLiteral("replace sheet files that exist"), {}},
            {{QStringLiteral("pdf")},
             QStringLiteral("also draw every sheet, one page each, into the PDF FILE"),
             QStringLiteral("FILE")},
            {{QStringLiteral("print")},
             QStringLiteral("also print every sheet, one page each, as one job without a dialog"),
             {}},
            {{QStringLiteral("printer")}, QStringLiteral("with --print: the printer to use"), QStringLiteral("NAME")},
        });
    const std::vector<command_line::OptionRow> texts = command_line::tagTextRows();
    options.insert(options.end(), texts.begin(), texts.end());
    return {QStringLiteral(
                "Turns a product list (CSV, TSV, .xlsx, .ods) into sheet files of tags, with tax-inclusive prices.\n"
                "Writes DIR/LIST-1.csv, DIR/LIST-2.csv, ... and prints a line for every changed or left-out row."),
            QStringLiteral("LIST"),
            QStringLiteral("the product list"),
            {},
            options};
}

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
    if (const auto problem = command_line::checkSheetOutputs(parser)) {
        return usage(parser, *problem);
    }
    jobs::ImportRequest request;
    request.listPath = positional.front();
    request.folder = QDir(value("output")).path();
    request.overwrite = isSet("overwrite");
    if (const auto problem = command_line::readSheetLayout(parser, request.format, request.startTag)) {
        return usage(parser, *problem);
    }
    if (const auto problem = command_line::readListOptions(parser, {}, request)) {
        return usage(parser, *problem);
    }
    return request;
}

}  // namespace

int main(int argc, char* argv[])
{
    const auto app = command_line::startProgram(argc, argv, QStringLiteral("tanafuda-import"));
    QCommandLineParser parser;
    if (const std::optional<int> done = command_line::parseArguments(parser, programTable(), kUsage)) {
        return *done;
    }
    const auto request = requestOf(parser);
    if (const int* status = std::get_if<int>(&request)) {
        return *status;
    }
    const auto sayError = [](const QString& text) { say(stderr, QStringLiteral("tanafuda-import: %1\n").arg(text)); };
    sheet::TagTextChoices textChoices;
    if (parser.isSet(QStringLiteral("pdf")) || parser.isSet(QStringLiteral("print"))) {
        if (const auto problem
            = command_line::readTagTextOptions(parser, settings::TagTextSettings(), sayError, textChoices)) {
            return usage(parser, *problem);
        }
    }
    const jobs::ImportReport report {[](const QString& text) { say(stdout, text); }, sayError};
    // The choices remembered for each list layout are kept in the settings file.
    settings::RememberedLayouts layouts;
    jobs::ImportRequest job = std::get<jobs::ImportRequest>(request);
    job.memory = &layouts;
    const jobs::ImportResult imported = jobs::runImport(job, report);
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
    if (imported.sheets.empty()) {
        return kSomeRefused;
    }
    // The pages drawn (PDF, print) show the extra texts the settings or the options choose, with
    // each product's tax rate from the list.
    std::vector<sheet::TagSheet> sheets = imported.sheets;
    for (sheet::TagSheet& s : sheets) {
        s.textChoices = textChoices;
    }
    const auto sayLeftOutTexts = [&sheets] {
        for (const QString& line : jobs::tagPagesLines(sheets)) {
            say(stdout, line + u'\n');
        }
    };
    bool unflushed = imported.unflushed;
    if (parser.isSet(QStringLiteral("pdf"))) {
        QByteArray pdf;
        const output::DocumentResult drawn = output::drawPdfDocument(sheets, 600, pdf);
        const QString path = parser.value(QStringLiteral("pdf"));
        const files::FileWriteResult written
            = drawn.ok ? files::writeFileCarefully(path, pdf) : files::FileWriteResult {};
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
        sayLeftOutTexts();
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
            sheets, printer,
            output::printerCalibration({}, settings::PrinterCalibrations(),
                                       [&](const QString& warning) { sayError(QString(warning).remove(u'\n')); }));
        if (!printed.ok) {
            sayError(printed.error);
            return kUnwritable;
        }
        say(stdout,
            QStringLiteral("印刷: %1 (%2 ページ)\n").arg(printer.printerName(), QString::number(sheets.size())));
        if (!parser.isSet(QStringLiteral("pdf"))) {
            sayLeftOutTexts();
        }
    }
    say(stdout, countsLine(imported.counts) + QStringLiteral("、シート %1 枚\n").arg(sheets.size()));
    return unflushed ? kUnflushed : imported.status == jobs::ImportStatus::someRefused ? kSomeRefused : kDone;
}
