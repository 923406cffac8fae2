#pragma once

// Print jobs of several pages: one painter on one printer, a new page for each page. Needs Qt's
// print support only, so that a program can load it when it prints and not before.

#include <QString>

#include <functional>

class QPainter;
class QPrinter;

namespace platform {

struct DocumentResult {
    bool ok = false;
    QString error;  // why not, when !ok
};

// Draws page `index` (0-based) through `painter`, begun on a device of `dpiX` x `dpiY` dots per inch.
using PageDrawer = std::function<void(int index, QPainter& painter, double dpiX, double dpiY)>;

// Prints `pageCount` pages as one job on `printer` (already chosen and named), each on A4 portrait.
DocumentResult printPages(QPrinter& printer, int pageCount, const PageDrawer& drawPage);

}  // namespace platform
