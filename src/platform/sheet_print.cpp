#include "platform/sheet_print.h"

#include "platform/sheet_document.h"

namespace platform {

DocumentResult printSheetDocument(const std::vector<sheet::TagSheet>& sheets, QPrinter& printer)
{
    return printPages(printer, int(sheets.size()), [&](int index, QPainter& painter, double dpiX, double dpiY) {
        drawSheetPage(sheets[size_t(index)], painter, dpiX, dpiY);
    });
}

}  // namespace platform
