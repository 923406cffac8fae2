#include "output/calibrated_pages.h"

#include "output/painter_surface.h"
#include "output/pdf_print_scaling.h"

#include <QPainter>
#include <QPrinter>

namespace output {

namespace {

DocumentResult printSurfacePages(QPrinter& printer, int pageCount, const CalibrationOfPrinter& calibrationOf,
                                 const std::function<void(int index, draw::Surface&)>& drawPage)
{
    return printPages(
        printer, pageCount, calibrationOf,
        [&](int index, QPainter& painter, double dpiX, double dpiY, const calibration::Calibration& calibration) {
            painter.save();
            painter.setWorldTransform(calibrationTransform(calibration, dpiX, dpiY), true);
            {
                PainterSurface surface(painter, dpiX, dpiY);
                surface.setUnit(draw::Unit::millimetres);
                drawPage(index, surface);
            }
            painter.restore();
        });
}

// A PDF file printed to asks viewers to print it at actual size, as the documents do.
bool markActualSize(const QPrinter& printer, QString& error)
{
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty()) {
        return true;
    }
    QString why;
    if (!setPrintScalingNone(printer.outputFileName(), why)) {
        error = QStringLiteral("PDF %1 に実寸で印刷する指定を書き込めませんでした（%2）。")
                    .arg(printer.outputFileName(), why);
        return false;
    }
    return true;
}

}  // namespace

DocumentResult printCalibratedPages(QPrinter& printer, int pageCount, const CalibrationOfPrinter& calibrationOf,
                                    const std::function<void(int index, draw::Surface&)>& drawPage)
{
    DocumentResult printed = printSurfacePages(printer, pageCount, calibrationOf, drawPage);
    if (printed.ok && !markActualSize(printer, printed.error)) {
        printed.ok = false;
    }
    return printed;
}

bool printCalibratedPage(QPrinter& printer, const calibration::Calibration& calibration,
                         const std::function<void(draw::Surface&)>& drawPage, QString* error)
{
    const DocumentResult printed = printSurfacePages(
        printer, 1, [&calibration](const QPrinter&) { return calibration; },
        [&drawPage](int, draw::Surface& surface) { drawPage(surface); });
    QString problem;
    if (!printed.ok) {
        problem = QStringLiteral("印刷できませんでした。プリンタの状態を確かめてください。");
    } else if (markActualSize(printer, problem)) {
        return true;
    }
    if (error) {
        *error = problem;
    }
    return false;
}

}  // namespace output
