#pragma once

// Printing tag sheets: one job, one page per sheet.

#include "output/print_pages.h"
#include "core/sheet/tag_sheet.h"

#include <vector>

class QPrinter;

namespace output {

// Prints each sheet on its own page of one job on `printer` (already chosen: its name, its
// document name). The page is A4 portrait.
DocumentResult printSheetDocument(const std::vector<sheet::TagSheet>& sheets, QPrinter& printer);

}  // namespace output
