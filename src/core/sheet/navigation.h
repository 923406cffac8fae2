#pragma once

// Moving the current tag of a sheet: the four navigation buttons and the advance after a price.

#include "core/sheet/tag_sheet.h"

namespace sheet {

enum class Move { first, previous, next, last };

// The tag that `move` leads to from `current` on a sheet of `tagsPerPage` tags. There is no
// wrapping: previous on tag 1 stays on 1, next on the last tag stays there.
qint16 movedTag(qint16 current, qint16 tagsPerPage, Move move);

// Moves `sheet.current` and returns the new value.
qint16 moveCurrent(TagSheet& sheet, Move move);

}  // namespace sheet
