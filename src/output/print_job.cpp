#include "output/print_job.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>

namespace output {

namespace {

// The print engine's property that holds the job's CUPS options, as name/value pairs.
constexpr auto kCupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// Options that would shrink, enlarge or tile the page; the job asks for none of that.
const char* const kActualSizeOptions[][2] = {
    {"fit-to-page", "false"},
    {"print-scaling", "none"},
    {"number-up", "1"},
};

void requestActualSize(QPrinter& printer)
{
    QPrintEngine* engine = printer.printEngine();
    if (engine == nullptr || printer.outputFormat() != QPrinter::NativeFormat) {
        return;
    }
    const QStringList current = engine->property(kCupsOptionsKey).toStringList();
    QStringList options;
    for (qsizetype i = 0; i + 1 < current.size(); i += 2) {
        bool ours = false;
        for (const auto& option : kActualSizeOptions) {
            ours = ours || current[i] == QLatin1String(option[0]);
        }
        if (!ours && current[i] != QLatin1String("scaling") && current[i] != QLatin1String("natural-scaling")) {
            options << current[i] << current[i + 1];
        }
    }
    for (const auto& option : kActualSizeOptions) {
        options << QString::fromLatin1(option[0]) << QString::fromLatin1(option[1]);
    }
    engine->setProperty(kCupsOptionsKey, options);
}

}  // namespace

void prepareActualSizePage(QPrinter& printer)
{
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    requestActualSize(printer);
}

QStringList printJobOptions(const QPrinter& printer)
{
    QPrintEngine* engine = printer.printEngine();
    return engine ? engine->property(kCupsOptionsKey).toStringList() : QStringList();
}

bool choosePrinterByName(QPrinter& printer, const QString& printerName, QString& error)
{
    if (!printerName.isEmpty()) {
        printer.setPrinterName(printerName);
    }
    if (!printer.isValid() || QPrinterInfo::availablePrinters().isEmpty()) {
        error = QStringLiteral("no printer%1 is available")
                    .arg(printerName.isEmpty() ? QString() : QStringLiteral(" named ") + printerName);
        return false;
    }
    return true;
}

DocumentResult printPages(QPrinter& printer, int pageCount, const CalibrationOfPrinter& calibrationOf,
                          const PageDrawer& drawPage)
{
    prepareActualSizePage(printer);
    const calibration::Calibration calibration = calibrationOf ? calibrationOf(printer) : calibration::Calibration {};
    QPainter painter;
    if (!painter.begin(&printer)) {
        return {false, QStringLiteral("the printer cannot begin the job")};
    }
    const double dpiX = printer.logicalDpiX();
    const double dpiY = printer.logicalDpiY();
    for (int i = 0; i < pageCount; ++i) {
        if (i > 0 && !printer.newPage()) {
            painter.end();
            return {false, QStringLiteral("the printer cannot start page %1").arg(i + 1)};
        }
        drawPage(i, painter, dpiX, dpiY, calibration);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        return {false, QStringLiteral("printing failed")};
    }
    return {true, {}};
}

}  // namespace output
