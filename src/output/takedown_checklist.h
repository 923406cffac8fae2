#pragma once

// The take-down checklist: an A4 list, grouped by shelf location, with a box to tick per tag, for a
// person to carry along the shelves.

#include "core/catalogue/catalogue.h"

class QPagedPaintDevice;

#include <QByteArray>
#include <QString>

#include <vector>

namespace output {

// The checklist of `needs` (the take-downs among them, in their order) as a PDF; `title` heads
// every page. False, with the reason in `error`, when it could not be drawn.
bool drawTakedownChecklist(const std::vector<catalogue::TagNeed>& needs, const QString& title, QByteArray& pdf,
                           QString* error);
// The same checklist on `device` (a printer the caller has chosen): A4 portrait, one job.
bool drawTakedownChecklist(const std::vector<catalogue::TagNeed>& needs, const QString& title,
                           QPagedPaintDevice& device, QString* error);

}  // namespace output
