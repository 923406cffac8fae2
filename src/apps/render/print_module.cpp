// The printing half of tanafuda-render, loaded only when it prints: Qt's print support (and the
// widgets library it brings) costs every other run of the renderer start-up time otherwise.

#include "apps/render/print_module.h"

#include "output/print_pages.h"

#include <QPrinter>
#include <QPrinterInfo>

extern "C" Q_DECL_EXPORT bool tanafudaPrintPages(const QString& printerName, const QString& docName, int pageCount,
                                                 const PrinterChosen& chosen, const output::PageDrawer& drawPage,
                                                 QString& error)
{
    QPrinter printer(QPrinter::HighResolution);
    if (!printerName.isEmpty()) {
        printer.setPrinterName(printerName);
    }
    if (!printer.isValid() || QPrinterInfo::availablePrinters().isEmpty()) {
        error = QStringLiteral("no printer%1 is available")
                    .arg(printerName.isEmpty() ? QString() : QStringLiteral(" named ") + printerName);
        return false;
    }
    printer.setDocName(docName);
    if (chosen) {
        chosen(printer.printerName());
    }
    const output::DocumentResult printed = output::printPages(printer, pageCount, drawPage);
    error = printed.error;
    return printed.ok;
}
