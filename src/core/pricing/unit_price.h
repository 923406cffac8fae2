#pragma once

// The unit price (単位価格) of a tag: the price per 100 g, 100 ml, 1 m or one item, worked out
// from the tag's price and the quantity its size text states, in integer arithmetic.
//
// The rules follow 東京都消費生活条例 §18 and its 告示 (東京都告示第275号, 昭和51年3月31日,
// "東京都消費生活条例の規定に基づく単位価格等の指定",
// https://www.reiki.metro.tokyo.lg.jp/reiki/reiki_honbun/g101RG00001169.html):
// - whatever unit a product's row names, goods labelled in ml, L or cc are priced per 10 ml or
//   100 ml and goods labelled in g or kg per 10 g or 100 g: a base in grams serves a product in
//   millilitres with the same number, and the other way round;
// - goods of ten times the unit or more are priced per ten times the unit (1,000 g is shown as
//   1 kg, 1,000 ml as 1 L), goods of less than the unit per a tenth of it.
// The 告示 shows its scaling with grams and millilitres only; it is applied here to mass, volume
// and length, not to counts, whose unit stays one item (a dozen eggs is priced per 1 個, not per
// 10 個). The 告示 names no rounding of the unit price: it is rounded down to 0.1 yen.

#include "core/pricing/quantity.h"

#include <QString>
#include <QtGlobal>

#include <optional>

namespace pricing {

// The amount a unit price is given for: 100 g, 1 kg, 100 ml, 1 L, 10 m, 1 個 ... A count base
// counts whatever the size counts: 1 with "12ロール" is one roll.
struct UnitBase {
    Kind kind = Kind::count;
    qint64 milli = kMilliPerUnit;  // thousandths of g, ml, m or one item

    friend bool operator==(const UnitBase&, const UnitBase&) = default;
};

// 100 g, 100 ml, 1 m, one item.
UnitBase defaultBase(Kind kind);

// What the shop's 単位 column or setting says.
struct UnitBaseReading {
    enum class Outcome {
        byKind,   // empty: the default of the quantity's kind
        base,     // this base
        leftOut,  // "なし", "-", "対象外": the product shows no unit price
        refused,  // not readable; `note` says why
    };
    Outcome outcome = Outcome::byKind;
    UnitBase base;
    QString note;
};

// Reads "100g", "1kg", "100ml", "1L", "10ml", "1個", "10枚", "10m", "1m", "100gあたり",
// "１００ｇ当たり". The amount must be 1, 10, 100 or 1,000 of a unit (at least 0.1 of g, ml or m,
// at most 10 kg or 10 L, at most 100 items): a unit price per 150 g is nothing a shopper compares.
// "なし", "無し", "-", "対象外", "表示しない" leave the product out.
UnitBaseReading readUnitBase(const QString& text);

// How the base follows the content.
enum class Scaling {
    byContent,  // the 告示's rule: ten times the base from ten times its content, a tenth below it
    asGiven,    // the base exactly as given
};

struct UnitPrice {
    UnitBase base;           // after scaling
    QString countWord;       // of a count: what is counted (ロール, 個)
    qint64 tenthsOfYen = 0;  // rounded down
    friend bool operator==(const UnitPrice&, const UnitPrice&) = default;
};

struct UnitPriceResult {
    std::optional<UnitPrice> price;
    QString note;  // why there is none; empty when there is one
};

// The unit price of `quantity` sold at `priceYen`, per `base` (nothing: the default of the
// quantity's kind), scaled as `scaling` says. None, with a note, for a price of 0 or above
// 1,000,000,000 yen, a single item ("1パック": its unit price is its price), a base of another kind
// (1 個 for 500 ml) or a unit price below 0.1 yen.
UnitPriceResult unitPrice(const Quantity& quantity, qint64 priceYen, const std::optional<UnitBase>& base = {},
                          Scaling scaling = Scaling::byContent);

// "100g", "1kg", "100ml", "1L", "10m", "10cm", "1ロール"; a count base without a word counts 個.
QString unitBaseText(const UnitBase& base, const QString& countWord = {});

// "100mlあたり 39.8円", "1Lあたり 598円", "1kgあたり 1,885.7円": a whole yen shows no ".0", so that
// the figure reads as a price of the tag does; yen are grouped by thousands.
QString unitPriceText(const UnitPrice& price);

}  // namespace pricing
