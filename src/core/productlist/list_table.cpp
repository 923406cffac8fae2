#include "core/productlist/list_table.h"

#include <algorithm>

namespace productlist {

bool isBlankRow(const QStringList& cells)
{
    return std::all_of(cells.cbegin(), cells.cend(), [](const QString& cell) { return cell.trimmed().isEmpty(); });
}

bool ListTable::append(int number, QStringList rowCells)
{
    if (truncated) {
        return false;
    }
    if (rowCells.size() > kMaxColumns) {
        rowCells.resize(kMaxColumns);
    }
    while (!rowCells.isEmpty() && rowCells.constLast().isEmpty()) {
        rowCells.removeLast();
    }
    if (isBlankRow(rowCells)) {
        return true;
    }
    if (int(rows.size()) >= kMaxRows || cells + rowCells.size() > kMaxCells) {
        truncated = true;
        return false;
    }
    cells += rowCells.size();
    rows.push_back(ListRow {number, std::move(rowCells)});
    return true;
}

}  // namespace productlist
