#pragma once

// What the edit boxes of an editor window do with a tag's data, apart from any widget: which box
// edits which member, the order in which Enter walks them, how long a typed text may grow, the
// check digit a JAN box completes, the range rule of the price box, and which characters a sheet
// file can hold.

#include "core/sheet/tag_sheet.h"

#include <QString>

#include <optional>
#include <vector>

namespace sheet {

// One edit box of an editor window.
struct EntryBox {
    Field field;
    const char* name;       // object name of the box: "Text1" .. "Text7"
    int maxLength;          // characters the user may type or paste; 0 for no limit
    bool offersCandidates;  // 前候補 offers the texts of earlier tags while this box has the focus
    bool japaneseInput;     // asks the input method for hiragana entry (else direct Latin entry)
};

// The edit boxes of `format` in the order in which Enter walks them: JAN code first, price last.
// The Tab order of the boxes is the same.
const std::vector<EntryBox>& entryBoxes(const SheetFormat& format);

// The box of `field` in `format`, or nullptr (the large format has no second product-name line).
const EntryBox* entryBoxFor(const SheetFormat& format, Field field);

// The text member of `record` that `field` names; nullptr for the price.
QString* textMember(TagRecord& record, Field field);
// What the box of `field` shows for `record`: the text as stored, the price as its decimal digits.
QString fieldText(const TagRecord& record, Field field);

// The JAN box's completion when it is left: a text of 13 characters (or 8) gets the check digit
// of its first 12 (or 7) characters in place of its last one, weights 1 and 3 (3 and 1 for 8)
// from the left, a character other than "0".."9" counting as 0. Any other length is kept as is.
// Unlike the barcode module's normalisation this never refuses a text: it only rewrites the last
// character.
QString completeCheckDigit(const QString& text);

// The highest price the price box takes; a higher one is replaced by 0.
inline constexpr qint32 kMaxPrice = 100000;

// What the price box holds once it is left, and the price it stores.
struct PriceEntry {
    QString text;  // the box's text: "0" in place of a number above kMaxPrice, else unchanged
    qint32 price;  // the value stored in the record
};
// Reads the price box's text. Only a text of the digits "0".."9" is a number; an empty text, or
// one holding anything else (pasted), stores 0 and keeps its text.
PriceEntry readPriceText(const QString& text);

// Whether `ch`, typed into the price box, is accepted: the digits "0".."9" only.
bool isPriceDigit(QChar ch);

// Whether a sheet file can hold `codePoint`: it is representable in code page 932 and is neither
// a control character (a line end would split the record) nor an ASCII double quote (the file's
// text delimiter).
bool isFileCharacter(char32_t codePoint);

// The full-width double quote that a typed ASCII double quote becomes.
inline constexpr char16_t kFullWidthQuote = u'\uFF02';

// `text` with the full-width digits "０".."９" (what a Japanese input method left in full-width mode
// types) turned into "0".."9".
QString halfWidthDigits(const QString& text);

// A box's text after the user changed it, and where the caret goes.
struct BoxEdit {
    QString text;
    int cursor;
};
// Filters one change the user made to a box's text, `before` -> `after` (a typed character, a
// paste, a drop, an input-method commit, typing over a selection): in the inserted characters an
// ASCII double quote becomes kFullWidthQuote and every other character a sheet file cannot hold is
// dropped, and the insertion is cut so that the text does not grow beyond `maxLength` characters
// (0: no limit). Returns the text to show with the caret after the kept insertion, or nothing
// when none of the inserted characters is kept: the change is refused as a whole. A change that
// only removes characters is always kept. A text longer than `maxLength` that the system put into
// the box stays whole; it can only be shortened. With `halfWidthDigitsOnly` (the JAN and price
// boxes) inserted full-width digits become "0".."9" first.
std::optional<BoxEdit> filterBoxEdit(const QString& before, const QString& after, int maxLength,
                                     bool halfWidthDigitsOnly = false);

}  // namespace sheet
