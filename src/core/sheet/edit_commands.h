#pragma once

// The edit commands that work on a sheet alone: clear, copy previous, previous candidate, insert,
// delete, and the rules that turn a font-dialog answer into the sheet's font settings. The editor
// window wires them to its buttons and shows the result.

#include "core/sheet/tag_sheet.h"

#include <QString>

#include <optional>

namespace sheet {

// Empties the record at `current`.
void clearCurrent(TagSheet& sheet);

enum class CopyStatus {
    atFirstTag,     // nothing to copy from: nothing changed
    previousEmpty,  // the previous record has no product name: nothing changed
    copied,         // the previous record copied into `current`, then `current` advanced
};
// Copies every member of the record before `current` into it and moves to the next tag (staying on
// the last one).
CopyStatus copyPrevious(TagSheet& sheet);
// What copyPrevious would do, without doing it (`copied` meaning it would copy).
CopyStatus copyPreviousStatus(const TagSheet& sheet);

// Inserts an empty record at `current`, moving the records from there on one place down; the last
// record falls off. Refused (returns false, nothing changed) when the last record has a product
// name. A last record holding only a code or a price is lost.
bool insertAtCurrent(TagSheet& sheet);

// Deletes the record at `current`, moving the records after it one place up; the last becomes
// empty. `current` stays, so it now names the record that followed the deleted one.
void deleteCurrent(TagSheet& sheet);

// The member of `record` that 前候補 fills while the box of `field` has the focus (maker, product
// names, size, lot), or nullptr for a field without candidates or none.
QString* candidateMember(TagRecord& record, const SheetFormat& format, std::optional<Field> field);

// Previous candidate: steps `candidateIndex` one record back and stores that record's value of
// the field last focused into the record at `current`. Returns the value offered, or nothing when
// there is no field or no earlier record left.
std::optional<QString> takePreviousCandidate(TagSheet& sheet);

// The product-name font from a face chosen in the font dialog: a vertical-writing face "@name"
// is used as "name".
QString nameFontFromFace(const QString& face);

// A point size as a whole number, a half going to the even neighbour (10.5 -> 10, 11.5 -> 12).
qint16 wholePointSize(double pointSize);

// The font dialog's answer taken as the product-name font: the face by nameFontFromFace, bold and
// italic off; the size chosen is not used. An answer without a face is no choice: false, and
// nothing changes.
bool applyNameFont(TagSheet& sheet, const QString& face);
// The font dialog's answer taken as the price font: the face exactly as given (a leading "@"
// kept), the size by wholePointSize, bold and italic off. An answer without a face, or with a size
// that is not at least one whole point, is no choice: false, and nothing changes.
bool applyPriceFont(TagSheet& sheet, const QString& face, double pointSize);

}  // namespace sheet
