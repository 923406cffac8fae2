#include "output/sheet_delivery.h"

#include "core/files/careful_write.h"
#include "core/files/file_command_texts.h"
#include "core/settings/tag_text_settings.h"
#include "output/sheet_document.h"
#include "output/tag_sheet_printing.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>

namespace output {

namespace {

// Gives every sheet the extra texts chosen (the settings file's without a choice).
void chooseTexts(std::vector<sheet::TagSheet>& sheets, const std::optional<sheet::TagTextChoices>& texts)
{
    const sheet::TagTextChoices chosen = texts ? *texts : settings::TagTextSettings().tagTextChoices(nullptr);
    for (sheet::TagSheet& s : sheets) {
        s.textChoices = chosen;
    }
}

}  // namespace

jobs::SheetDelivery pdfDelivery(const QString& path, const std::optional<sheet::TagTextChoices>& texts)
{
    return [path, texts](std::vector<sheet::TagSheet>& sheets) {
        jobs::DeliveryResult result;
        chooseTexts(sheets, texts);
        QByteArray pdf;
        const DocumentResult drawn = drawPdfDocument(sheets, 600, pdf);
        const files::FileWriteResult written
            = drawn.ok ? files::writeFileCarefully(path, pdf) : files::FileWriteResult {};
        if (written.replacedUnflushed) {
            result.notices << files::unflushedNotice(path, written.error);
        } else if (!drawn.ok || !written.ok) {
            result.error = QStringLiteral("%1: %2").arg(path, drawn.ok ? written.error : drawn.error);
            return result;
        }
        result.delivered = true;
        result.destination = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
        return result;
    };
}

jobs::SheetDelivery printerDelivery(QPrinter& printer, const CalibrationOfPrinter& calibrationOf,
                                    const std::optional<sheet::TagTextChoices>& texts)
{
    return [&printer, calibrationOf, texts](std::vector<sheet::TagSheet>& sheets) {
        jobs::DeliveryResult result;
        chooseTexts(sheets, texts);
        const DocumentResult printed = printSheets(sheets, printer, calibrationOf);
        if (!printed.ok) {
            result.error = printed.error;
            return result;
        }
        result.delivered = true;
        result.destination = printer.outputFormat() == QPrinter::PdfFormat
            ? QDir::toNativeSeparators(QFileInfo(printer.outputFileName()).absoluteFilePath())
            : printer.printerName();
        return result;
    };
}

}  // namespace output
