#include "core/sheet/navigation.h"

#include <algorithm>

namespace sheet {

qint16 movedTag(qint16 current, qint16 tagsPerPage, Move move)
{
    int target = current;
    switch (move) {
    case Move::first:
        target = 1;
        break;
    case Move::previous:
        target = current - 1;
        break;
    case Move::next:
        target = current + 1;
        break;
    case Move::last:
        target = tagsPerPage;
        break;
    }
    return static_cast<qint16>(std::clamp(target, 1, static_cast<int>(tagsPerPage)));
}

qint16 moveCurrent(TagSheet& sheet, Move move)
{
    sheet.current = movedTag(sheet.current, sheet.tagsPerPage(), move);
    return sheet.current;
}

}  // namespace sheet
