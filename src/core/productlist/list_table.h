#pragma once

// A shop's product list as it was read from its file, before any meaning is given to its columns:
// rows of cell texts, each with the row number the user sees in the file or spreadsheet.

#include <QString>
#include <QStringList>

#include <vector>

namespace productlist {

// One non-empty row of a list.
struct ListRow {
    int number = 0;     // 1-based: the record of a text file, the row of a spreadsheet
    QStringList cells;  // from the first column; trailing empty cells may be missing

    QString cell(int column) const { return column >= 0 && column < cells.size() ? cells.at(column) : QString(); }
    friend bool operator==(const ListRow&, const ListRow&) = default;
};

// Lists longer than this are cut here (the reader says so): a shop's list has a few thousand rows.
inline constexpr int kMaxRows = 200000;
// Cells to the right of this column are not read.
inline constexpr int kMaxColumns = 256;
// Cells in all, counted up to the last non-empty cell of each row: a list of 10,000 products with
// twenty columns has 200,000.
inline constexpr qint64 kMaxCells = 2'000'000;
// Files (and zipped parts of spreadsheets) larger than this are not read.
inline constexpr qint64 kMaxListBytes = 64 * 1024 * 1024;

struct ListTable {
    std::vector<ListRow> rows;  // every row holding at least one non-blank cell
    bool truncated = false;     // rows beyond kMaxRows (or cells beyond kMaxCells) were dropped
    qint64 cells = 0;

    // Adds a row unless it is blank; cuts it at kMaxColumns and after its last non-empty cell.
    // False once the table is full (it is then marked truncated and the row dropped).
    bool append(int number, QStringList rowCells);
};

// Whether every cell of `cells` is empty or blank.
bool isBlankRow(const QStringList& cells);

}  // namespace productlist
