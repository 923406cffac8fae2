// The entry of libtanafuda-desktop-print.so: Qt's print support and qpdf, loaded when a window
// first prints, writes a PDF or opens the calibration dialog.

#include "desktop/editor/editor_window.h"
#include "desktop/modules/module_loading.h"

#include <QPrintDialog>
#include <QPrinter>

namespace desktop {

namespace {

bool choosePrinter(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

const PrintModule kPrintModule {
    choosePrinter,
    [](EditorWindow& editor) { editor.printSheet(); },
    [](EditorWindow& editor) { editor.openCalibrationDialog(); },
};

}  // namespace

}  // namespace desktop

extern "C" Q_DECL_EXPORT const desktop::PrintModule* tanafudaDesktopPrintModule()
{
    return &desktop::kPrintModule;
}
