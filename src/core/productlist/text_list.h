#pragma once

// Product lists saved as delimited text (CSV, TSV): the encoding, the delimiter, the fields.

#include "core/productlist/list_table.h"

#include <QByteArray>
#include <QChar>
#include <QString>

#include <optional>
#include <vector>

namespace productlist {

enum class Encoding { utf8, utf16le, utf16be, cp932 };

// What a user reads in the dialog and types on the command line: "UTF-8", "UTF-16LE", "UTF-16BE",
// "Shift_JIS".
QString encodingName(Encoding encoding);
// Reads an encoding name as a user types it (case and "-"/"_" ignored): utf8, utf-8, utf16
// (little-endian), utf16le, utf16be, cp932, sjis, shift_jis, windows-31j, ms932.
std::optional<Encoding> parseEncodingName(const QString& name);
// Every encoding the reader knows, in the order the dialog lists them.
const std::vector<Encoding>& allEncodings();

struct DecodedText {
    QString text;
    Encoding encoding = Encoding::utf8;
    bool bom = false;           // the data began with the encoding's byte-order mark (dropped)
    bool invalidBytes = false;  // some bytes were not valid in the encoding (replaced by U+FFFD)
};

// A byte-order mark decides; otherwise data that is valid UTF-8 is UTF-8 and anything else code
// page 932 (what Japanese Excel writes). `forced` overrides the detection; a mark of the forced
// encoding is still dropped.
DecodedText decodeText(const QByteArray& bytes, std::optional<Encoding> forced = std::nullopt);

// The delimiters the reader tells apart, in the order it prefers them on a tie.
inline constexpr char16_t kDelimiters[] = {u',', u'\t', u';'};

// The delimiter that splits the first records of `text` (within its first 64 KiB) most
// consistently into more than one field; a comma when none does.
QChar detectDelimiter(const QString& text);

// Splits `text` into records of fields. A field that starts with a double quote runs to the next
// lone double quote and may hold delimiters and line ends; "" inside it is one quote. Line ends
// are CR LF, LF or CR. Records whose fields are all blank are dropped; the record numbers of the
// others count every record from 1. Fields past kMaxColumns and characters of a field past
// kMaxCellChars are not read.
ListTable splitDelimited(const QString& text, QChar delimiter);

// A display name of a delimiter: "カンマ", "タブ", "セミコロン".
QString delimiterName(QChar delimiter);

}  // namespace productlist
