#include "output/page_printing.h"

#include "output/pdf_print_scaling.h"

#include <QPrinter>

namespace output {

bool printCalibratedPage(QPrinter& printer, const calibration::Calibration& calibration,
                         const std::function<void(draw::Surface&)>& drawPage, QString* error)
{
    prepareActualSizePage(printer);
    const bool drawn = drawCalibratedPage(printer, calibration, drawPage);
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

}  // namespace output
