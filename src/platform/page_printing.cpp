#include "platform/page_printing.h"

#include "platform/painter_surface.h"
#include "platform/pdf_print_scaling.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPaintDevice>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QTransform>

namespace platform {

namespace {

constexpr double kMmPerInch = 25.4;

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

QTransform calibrationTransform(const print::Calibration& c, double dpiX, double dpiY)
{
    QTransform t;
    t.translate(c.offsetXMm * dpiX / kMmPerInch, c.offsetYMm * dpiY / kMmPerInch);
    t.scale(c.scaleXPercent / 100.0, c.scaleYPercent / 100.0);
    return t;
}

bool drawCalibratedPage(QPaintDevice& device, const print::Calibration& calibration,
                        const std::function<void(Surface&)>& draw)
{
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    const double dpiX = device.logicalDpiX() > 0 ? device.logicalDpiX() : 96.0;
    const double dpiY = device.logicalDpiY() > 0 ? device.logicalDpiY() : 96.0;
    painter.setWorldTransform(calibrationTransform(calibration, dpiX, dpiY));
    {
        PainterSurface surface(painter, dpiX, dpiY);
        surface.setUnit(Unit::millimetres);
        draw(surface);
    }
    return painter.end();
}

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
