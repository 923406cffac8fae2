#pragma once

#include "core/draw/tag_extras.h"
#include "core/sheet/tag_sheet.h"

#include <vector>

namespace draw {
class Surface;
}

namespace draw {

// Draws the page of `sheet` on `surface`: in preview mode (OutputMode::preview: cleared, grey grid and
// tag numbers, a placeholder for each barcode) or in print mode (any other value: real barcodes).
// A tag with a sale mark in the sheet's extras or with texts in `texts` also shows them, each
// where it has room (tag_extras.h); the texts that had none are returned, by tag. A tag with
// neither is drawn exactly as it always was. The sheet is not changed.
std::vector<LeftOutText> drawTagSheet(const sheet::TagSheet& sheet, draw::Surface& surface,
                                      const sheet::TagTextTable& texts = {});

// Clears the surface and draws the empty grey grid with the tag numbers at the sheet's margins.
void drawBlankSheet(const sheet::TagSheet& sheet, draw::Surface& surface);

}  // namespace draw
