#include "platform/print_pages.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

namespace platform {

DocumentResult printPages(QPrinter& printer, int pageCount, const PageDrawer& drawPage)
{
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
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
        drawPage(i, painter, dpiX, dpiY);
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        return {false, QStringLiteral("printing failed")};
    }
    return {true, {}};
}

}  // namespace platform
