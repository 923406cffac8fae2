#pragma once

// The deliveries of a catalogue print (core/jobs/catalogue_print.h) that draw: the sheets as one
// PDF file, or printed as one job with the printer's calibration.

#include "core/jobs/catalogue_print.h"
#include "core/sheet/tag_sheet.h"
#include "output/print_job.h"

#include <optional>

class QPrinter;

namespace output {

// Both draw each tag's extra texts as `texts` chooses them, or, without, as the settings file's
// [tag-texts] does at the time of the delivery (what the 商品マスタ window's prints follow).

// The sheets drawn at 600 dpi into the PDF file `path`, written carefully. The PDF is recorded by
// its full path.
jobs::SheetDelivery pdfDelivery(const QString& path, const std::optional<sheet::TagTextChoices>& texts = {});

// The sheets printed as one job on `printer` (chosen and named), each page with the calibration
// `calibrationOf` gives. A printer writing a PDF file is recorded by the file's full path, any
// other by the printer's name.
jobs::SheetDelivery printerDelivery(QPrinter& printer, const CalibrationOfPrinter& calibrationOf,
                                    const std::optional<sheet::TagTextChoices>& texts = {});

}  // namespace output
