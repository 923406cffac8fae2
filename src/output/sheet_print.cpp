#include "output/sheet_print.h"

#include "output/sheet_document.h"

namespace output {

DocumentResult printSheetDocument(const std::vector<sheet::TagSheet>& sheets, QPrinter& printer)
{
    return printPages(printer, int(sheets.size()), [&](int index, QPainter& painter, double dpiX, double dpiY) {
        drawSheetPage(sheets[size_t(index)], painter, dpiX, dpiY);
    });
}

}  // namespace output
