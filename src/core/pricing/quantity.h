#pragma once

// The quantity a tag's size text (規格) states: "500ml", "1.5L", "400g", "10枚", "12ロール",
// "350ml×6", "６本入". The unit price is worked out from it. A text that cannot be read for certain
// gives no quantity and a short Japanese note saying why, never a guess.

#include <QString>
#include <QtGlobal>

#include <optional>

namespace pricing {

enum class Kind { mass, volume, count, length };

// An amount kept in whole thousandths of its kind's main unit: milligrams of a gram, microlitres
// of a millilitre, millimetres of a metre, thousandths of one item. No binary floating point.
struct Quantity {
    Kind kind = Kind::count;
    qint64 milli = 0;
    // What a count counts, as shops write it: 個, 枚, 本, ロール, P ... Empty for the other kinds.
    QString countWord;

    friend bool operator==(const Quantity&, const Quantity&) = default;
};

// Thousandths in one gram, millilitre, metre or item.
inline constexpr qint64 kMilliPerUnit = 1000;

struct QuantityReading {
    std::optional<Quantity> quantity;
    QString note;  // why there is no quantity; empty when there is one
};

// Reads a size text. Half- and full-width forms, the squared unit signs (㎖ ㎏ ㍑ ㌘ ℓ) and
// half-width katakana are made one by NFKC first. Reads amounts in g, kg, mg, ml, mL, cc, dl, L,
// m, cm, mm and their katakana names; counts in 個 (コ, ケ), 枚, 本, 袋, 包, 缶, 食, ロール (R), 粒,
// 錠, 組, 足, 切, 尾, 玉, 箱, 束, 房, 株, 膳, 巻, カプセル, パック, P, セット, ケース, and a bare 入
// (as 個); multiples joined by ×, x, X or *, in either order; a width before a length
// ("30cm×50m": 50 m). Refuses approximate amounts (約, 前後), ranges, sums, words it does not know
// and any mixture of counts and amounts whose meaning is not certain.
QuantityReading readQuantity(const QString& sizeText);

// Reads a content given in two columns apart from the size text, as a register exports it:
// amount "500" and unit "ml", "1.5" and "L", "12" and "ロール". The amount must be a plain number
// and the unit one unit or count word. An empty unit reads the amount column as a size text.
QuantityReading readQuantityColumns(const QString& amountText, const QString& unitText);

// The quantity as a short text: "500ml", "2.1L", "400g", "1.2kg", "50m", "30cm", "12ロール".
QString quantityText(const Quantity& quantity);

// A decimal text of `milli` thousandths, without trailing zeros: 1500 -> "1.5", 2000 -> "2".
QString milliText(qint64 milli);

}  // namespace pricing
