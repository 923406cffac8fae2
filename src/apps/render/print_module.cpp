// The printing half of tanafuda-render, loaded only when it prints: Qt's print support (and the
// widgets library it brings) costs every other run of the renderer start-up time otherwise.

#include "apps/render/print_module.h"

#include "output/print_job.h"

#include <QPrinter>

extern "C" Q_DECL_EXPORT bool tanafudaPrintPages(const QString& printerName, const QString& docName, int pageCount,
                                                 const CalibrationOfPrinterName& calibrationOf,
                                                 const output::PageDrawer& drawPage, QString& error)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!output::choosePrinterByName(printer, printerName, error)) {
        return false;
    }
    printer.setDocName(docName);
    const output::DocumentResult printed = output::printPages(
        printer, pageCount, [&](const QPrinter& chosen) { return calibrationOf(chosen.printerName()); }, drawPage);
    error = printed.error;
    return printed.ok;
}
