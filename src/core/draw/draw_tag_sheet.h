#pragma once

#include "core/draw/tag_extras.h"
#include "core/sheet/tag_sheet.h"

#include <vector>

namespace draw {
class Surface;
}

namespace draw {

// A text of a tag's own record that had no room beside its price, even at its smallest (tag_fit.h).
struct LeftOutField {
    int slot = 0;  // 1-based
    sheet::Field field = sheet::Field::spec;
    friend bool operator==(const LeftOutField&, const LeftOutField&) = default;
};

// Draws the page of `sheet` on `surface`: in preview mode (OutputMode::preview: cleared, grey grid and
// tag numbers, a placeholder for each barcode) or in print mode (any other value: real barcodes).
// A tag with a sale mark in the sheet's extras or with texts in `texts` also shows them, each
// where it has room (tag_extras.h); the texts that had none are returned, by tag. A tag with
// neither is drawn exactly as it always was. Texts beside a price that would touch it are kept
// clear of it (tag_fit.h); those with no room are added to `leftOutFields`, by tag. The sheet is
// not changed.
std::vector<LeftOutText> drawTagSheet(const sheet::TagSheet& sheet, draw::Surface& surface,
                                      const sheet::TagTextTable& texts = {},
                                      std::vector<LeftOutField>* leftOutFields = nullptr);

// Clears the surface and draws the empty grey grid with the tag numbers at the sheet's margins.
void drawBlankSheet(const sheet::TagSheet& sheet, draw::Surface& surface);

}  // namespace draw
