// The editor window's print commands: printing the page (P_印刷 and the print button) and the
// calibration dialog (印刷位置の調整). Part of the print module (modules/print_module.cpp), loaded
// when the first of them runs.
#include "desktop/editor/editor_window.h"

#include "core/settings/printer_calibrations.h"
#include "desktop/dialogs/calibration_dialog.h"
#include "desktop/editor/edit_box.h"
#include "output/tag_sheet_printing.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace desktop {

void EditorWindow::printSheet()
{
    QPrinter printer(QPrinter::HighResolution);
    output::prepareActualSizePage(printer);
    if (!dialogs_->choosePrinter(this, printer)) {
        janBox_->setFocus(Qt::OtherFocusReason);
        return;
    }
    sheet_.outputMode = sheet::OutputMode::printer;
    // A printer that cannot start a document draws nothing; the command goes on all the same.
    output::printSheets({sheet_}, printer, printerCalibration());
    janBox_->setFocus(Qt::OtherFocusReason);
}

output::CalibrationOfPrinter EditorWindow::printerCalibration()
{
    return output::printerCalibration({}, settings::PrinterCalibrations(settingsStore_),
                                      [this](const QString& warning) {
                                          dialogs_->message(this, warning, QStringLiteral("印刷位置の調整"),
                                                            desktop::MessageIcon::warning, desktop::MessageButtons::ok);
                                      });
}

void EditorWindow::openCalibrationDialog()
{
    auto* dialog
        = new CalibrationDialog(format(), *dialogs_, settings::PrinterCalibrations(settingsStore_),
                                QPrinterInfo::availablePrinterNames(), QPrinterInfo::defaultPrinterName(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

}  // namespace desktop
