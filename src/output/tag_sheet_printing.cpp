#include "output/tag_sheet_printing.h"

#include "core/jobs/tag_page.h"
#include "core/settings/printer_calibrations.h"
#include "output/calibrated_pages.h"
#include "output/sheet_document.h"

#include <QPrinter>

namespace output {

CalibrationOfPrinter printerCalibration(const jobs::CalibrationRequest& request,
                                        const settings::PrinterCalibrations& calibrations,
                                        const std::function<void(const QString& warning)>& warn)
{
    return [request, calibrations, warn](const QPrinter& printer) {
        const bool printing = printer.outputFormat() == QPrinter::NativeFormat;
        const jobs::ChosenCalibration chosen = jobs::chooseCalibration(
            request, printing ? printer.printerName() : QString(),
            [&calibrations](const QString& name) { return calibrations.calibrationFor(name); });
        if (!chosen.warning.isEmpty() && warn) {
            warn(chosen.warning);
        }
        return chosen.calibration;
    };
}

DocumentResult printSheets(const std::vector<sheet::TagSheet>& sheets, QPrinter& printer,
                           const CalibrationOfPrinter& calibrationOf)
{
    return printCalibratedPages(printer, int(sheets.size()), calibrationOf,
                                [&sheets](int index, draw::Surface& surface) {
                                    // Paper gets the printer's drawing, whatever the window was showing.
                                    sheet::TagSheet page = cutToDrawable(sheets[size_t(index)]);
                                    page.outputMode = sheet::OutputMode::printer;
                                    jobs::drawTagPage(page, surface);
                                });
}

}  // namespace output
