#include "platform/page_printing.h"

#include "platform/pdf_print_scaling.h"

#include <QPrinter>

namespace platform {

bool printCalibratedPage(QPrinter& printer, const print::Calibration& calibration,
                         const std::function<void(Surface&)>& draw, QString* error)
{
    prepareActualSizePage(printer);
    const bool drawn = drawCalibratedPage(printer, calibration, draw);
    if (!drawn || printer.printerState() == QPrinter::Error) {
        if (error) {
            *error = QStringLiteral("印刷できませんでした。プリンタの状態を確かめてください。");
        }
        return false;
    }
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        QString why;
        if (!setPrintScalingNone(printer.outputFileName(), why)) {
            if (error) {
                *error = QStringLiteral("PDF %1 に実寸で印刷する指定を書き込めませんでした（%2）。")
                             .arg(printer.outputFileName(), why);
            }
            return false;
        }
    }
    return true;
}

}  // namespace platform
