// tanafuda-catalogue print and confirm: the tags that need printing laid out in shelf order, sent
// to sheet files, a PDF or a printer and recorded as pending; then confirmed or marked failed.

#include "apps/catalogue/catalogue_command.h"
#include "apps/catalogue/catalogue_output.h"
#include "apps/common/command_line.h"
#include "apps/common/list_options.h"
#include "apps/common/tag_text_options.h"
#include "core/jobs/catalogue_print.h"
#include "core/jobs/shelf_check.h"
#include "core/jobs/tag_page.h"
#include "core/settings/printer_calibrations.h"
#include "core/settings/tag_text_settings.h"
#include "output/sheet_delivery.h"
#include "output/tag_sheet_printing.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QPrinter>

namespace catalogue_command {

using command_line::say;

int runPrint(const QStringList& arguments)
{
    std::vector<command_line::OptionRow> options = command_line::sheetLayoutRows();
    for (command_line::OptionRow row : std::vector<command_line::OptionRow> {
             {{QStringLiteral("only")},
              QStringLiteral("only the new or only the changed tags"),
              QStringLiteral("new|changed")},
             {{QStringLiteral("o"), QStringLiteral("output")},
              QStringLiteral("folder for the sheet files (made when missing)"),
              QStringLiteral("DIR")},
             {{QStringLiteral("pdf")},
              QStringLiteral("draw the sheets, one page each, into the PDF FILE"),
              QStringLiteral("FILE")},
             {{QStringLiteral("print")}, QStringLiteral("print the sheets as one job without a dialog"), {}},
             {{QStringLiteral("printer")}, QStringLiteral("with --print: the printer to use"), QStringLiteral("NAME")},
             asOfRow(),
             {{QStringLiteral("again")},
              QStringLiteral("lay again the tags of prints not yet confirmed too (they are left out by default)"),
              {}},
             {{QStringLiteral("from-check")},
              QStringLiteral("only the tags shelf check N found wrong or missing (as they should be at --as-of)"),
              QStringLiteral("N")},
         }) {
        options.push_back(std::move(row));
    }
    for (command_line::OptionRow row : command_line::tagTextRows()) {
        options.push_back(std::move(row));
    }
    Command command(
        {QStringLiteral("Lays the tags that need printing onto sheets in shelf order, from a start tag, and "
                        "writes them as sheet files, one PDF or one print job. The print is recorded as "
                        "pending until confirmed."),
         {},
         {},
         {},
         options});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    const int outputs = int(command.isSet("output")) + int(command.isSet("pdf")) + int(command.isSet("print"));
    if (outputs != 1) {
        return command.usage(QStringLiteral("give one of -o DIR, --pdf FILE and --print"));
    }
    if (const auto problem = command_line::checkSheetOutputs(command.parser)) {
        return command.usage(*problem);
    }
    const sheet::SheetFormat* format = nullptr;
    int start = 1;
    if (const auto problem = command_line::readSheetLayout(command.parser, format, start)) {
        return command.usage(*problem);
    }
    sheet::TagTextChoices textChoices;
    const auto problem = command_line::readTagTextOptions(
        command.parser, settings::TagTextSettings(),
        [](const QString& warning) { say(stderr, QStringLiteral("%1: %2\n").arg(kProgram, warning)); }, textChoices);
    if (problem) {
        return command.usage(*problem);
    }
    jobs::NeedFilter filter = jobs::NeedFilter::all;
    if (command.isSet("only")) {
        const QString value = command.value("only");
        if (value != QLatin1String("new") && value != QLatin1String("changed")) {
            return command.usage(QStringLiteral("--only is new or changed"));
        }
        filter = value == QLatin1String("new") ? jobs::NeedFilter::newOnly : jobs::NeedFilter::changedOnly;
    }
    qint64 fromCheck = 0;
    if (command.isSet("from-check")) {
        bool ok = false;
        fromCheck = command.value("from-check").toLongLong(&ok);
        if (!ok || fromCheck <= 0) {
            return command.usage(QStringLiteral("--from-check takes the number of a shelf check"));
        }
    }
    int exit = kDone;
    auto openedAt = openAsOf(command, Command::Use::write, &exit);
    if (!openedAt) {
        return exit;
    }
    const auto& [opened, at] = *openedAt;
    catalogue::Result outcome;
    const std::vector<catalogue::TagNeed> needs
        = fromCheck != 0 ? jobs::needsToFix(*opened, fromCheck, at, &outcome) : opened->tagNeedsAt(at, false, &outcome);
    if (!outcome.ok()) {
        return failWith(outcome);
    }

    const bool json = command.json();
    const auto note = [json](const QString& text) {
        if (!json) {
            say(stdout, text);
        }
    };
    // Where the sheets go, and what is said once they are there.
    jobs::SheetDelivery deliver;
    QString deliveredNote;
    if (command.isSet("output")) {
        const QString base
            = QStringLiteral("tags-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        deliver = jobs::sheetFilesDelivery(QDir(command.value("output")).path(), base, [&](const QString& path) {
            note(QStringLiteral("書き込み: %1\n").arg(QDir::toNativeSeparators(path)));
        });
    } else if (command.isSet("pdf")) {
        deliver = output::pdfDelivery(command.value("pdf"), textChoices);
        deliveredNote = QStringLiteral("PDF: %1 (%2 ページ)\n");
    } else {
        deliver = [&command, &textChoices](std::vector<sheet::TagSheet>& sheets) {
            QPrinter printer(QPrinter::HighResolution);
            jobs::DeliveryResult chosen;
            if (!output::choosePrinterByName(printer, command.value("printer"), chosen.error)) {
                return chosen;
            }
            printer.setDocName(QStringLiteral("tanafuda-catalogue"));
            // The printer's calibration applies here as to every printed page.
            const auto calibrationOf
                = output::printerCalibration({}, settings::PrinterCalibrations(), [](const QString& warning) {
                      say(stderr, QStringLiteral("%1: %2\n").arg(kProgram, QString(warning).remove(u'\n')));
                  });
            return output::printerDelivery(printer, calibrationOf, textChoices)(sheets);
        };
        deliveredNote = QStringLiteral("印刷: %1 (%2 ページ)\n");
    }
    // A drawn page shows the extra texts chosen; which tags lost which is said once it is out.
    QStringList textLines;
    const bool drawn = !command.isSet("output");
    const jobs::SheetDelivery deliverWithTexts = [&](std::vector<sheet::TagSheet>& sheets) {
        for (sheet::TagSheet& s : sheets) {
            s.textChoices = textChoices;
        }
        jobs::DeliveryResult result = deliver(sheets);
        if (result.delivered && drawn) {
            textLines = jobs::tagPagesLines(sheets);
        }
        return result;
    };
    const jobs::CataloguePrintResult printed
        = jobs::printAndRecord(*opened, needs, {format, start, filter, at, command.isSet("again")}, deliverWithTexts);
    for (const QString& notice : printed.notices) {
        say(stderr, QStringLiteral("%1: %2\n").arg(kProgram, notice));
    }
    switch (printed.status) {
    case jobs::CataloguePrintStatus::nothingToPrint:
        if (json) {
            sayJson({{QStringLiteral("print"), QJsonValue::Null},
                     {QStringLiteral("sheets"), 0},
                     {QStringLiteral("tags"), QJsonArray()}});
        } else {
            say(stdout, QStringLiteral("印刷する棚札はありません\n"));
        }
        return kDone;
    case jobs::CataloguePrintStatus::cancelled:
    case jobs::CataloguePrintStatus::notDelivered:
        return failWith(printed.error, kUnwritable);
    case jobs::CataloguePrintStatus::recorded:
    case jobs::CataloguePrintStatus::notRecorded:
        break;
    }
    if (!deliveredNote.isEmpty()) {
        note(deliveredNote.arg(printed.destination).arg(printed.plan.sheets.size()));
    }
    for (const QString& line : textLines) {
        note(line + u'\n');
    }
    if (printed.status == jobs::CataloguePrintStatus::notRecorded) {
        return failWith(printed.recordFailure);
    }
    if (json) {
        QJsonArray tags;
        for (const catalogue::PlacedTag& placed : printed.plan.placed) {
            tags.append(QJsonObject {{QStringLiteral("sheet"), placed.sheet},
                                     {QStringLiteral("slot"), placed.slot},
                                     {QStringLiteral("jan"), placed.tag.jan},
                                     {QStringLiteral("name"), placed.tag.productName},
                                     {QStringLiteral("price"), placed.tag.price}});
        }
        sayJson({{QStringLiteral("print"), printed.printId},
                 {QStringLiteral("sheets"), int(printed.plan.sheets.size())},
                 {QStringLiteral("tags"), tags},
                 {QStringLiteral("left_out_texts"), QJsonArray::fromStringList(textLines)}});
    } else {
        say(stdout,
            QStringLiteral("印刷 %1 を記録しました (確認待ち、棚札 %2 枚、シート %3 枚)。\n"
                           "棚札が正しく印刷できたら: tanafuda-catalogue confirm %1\n"
                           "できなかったら: tanafuda-catalogue confirm %1 --failed\n")
                .arg(printed.printId)
                .arg(printed.plan.placed.size())
                .arg(printed.plan.sheets.size()));
    }
    return kDone;
}

int runConfirm(const QStringList& arguments)
{
    Command command({QStringLiteral("Confirms that a print came out right (its tags are then on the shelves), or with "
                                    "--failed that it did not (its tags still need printing)."),
                     QStringLiteral("PRINT"),
                     QStringLiteral("the print's number"),
                     {},
                     {{{QStringLiteral("failed")}, QStringLiteral("the print did not come out right"), {}}}});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    bool ok = false;
    const QStringList positional = command.positional();
    const qint64 printId = positional.size() == 1 ? positional.front().toLongLong(&ok) : 0;
    if (!ok || printId <= 0) {
        return command.usage(QStringLiteral("give the number of one print"));
    }
    int exit = kDone;
    const auto opened = command.open(Command::Use::write, &exit);
    if (!opened) {
        return exit;
    }
    const bool failed = command.isSet("failed");
    const catalogue::Result outcome
        = opened->decidePrint(printId, failed ? catalogue::PrintState::failed : catalogue::PrintState::confirmed);
    if (!outcome.ok()) {
        return failWith(outcome);
    }
    say(stdout,
        failed ? QStringLiteral("印刷 %1 を失敗にしました。棚札はまだ印刷が必要です。\n").arg(printId)
               : QStringLiteral("印刷 %1 を確認しました。\n").arg(printId));
    return kDone;
}

}  // namespace catalogue_command
