#pragma once

namespace draw {
class Surface;
}

namespace sheet {
class TagSheet;
}

namespace draw {

// Draws the page of `sheet` on `surface`: in preview mode (OutputMode::preview: cleared, grey grid and
// tag numbers, a placeholder for each barcode) or in print mode (any other value: real barcodes).
// The sheet is not changed.
void drawTagSheet(const sheet::TagSheet& sheet, draw::Surface& surface);

// Clears the surface and draws the empty grey grid with the tag numbers at the sheet's margins.
void drawBlankSheet(const sheet::TagSheet& sheet, draw::Surface& surface);

}  // namespace draw
