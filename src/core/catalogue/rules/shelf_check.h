#pragma once

// A shelf check (棚チェック): staff walk the shelves with a scanner, scan every tag, and learn which
// tags are right, wrong, missing, out of place, unknown or left up after their product was
// discontinued. This is its vocabulary as the catalogue keeps it: the places a check covers, the
// verdict on each product, and a recorded check. The check itself, scan by scan, is
// core/jobs/shelf_check.h.

#include "core/catalogue/rules/offer.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace catalogue {

// What became of a product's tag in a check, in the order the results are listed: the ones to
// fix first.
enum class CheckVerdict {
    wrong,       // 違う: scanned, but the tag it should have now differs from the last confirmed one
    missing,     // ない: a product of the place that should have a tag, none of whose tags was scanned
    outOfPlace,  // 場所違い: scanned here, but the catalogue keeps it at another location
    unknown,     // 不明: a code the catalogue does not hold
    leftUp,      // 取り下げ忘れ: scanned, but discontinued
    right,       // 正しい: scanned, and its last confirmed tag is the tag it should have now
};
QString checkVerdictTitle(CheckVerdict verdict);  // 違う, ない, 場所違い, 不明, 取り下げ忘れ, 正しい
QString checkVerdictKey(CheckVerdict verdict);    // wrong, missing, out-of-place, unknown, left-up, right
std::optional<CheckVerdict> checkVerdictOfKey(const QString& key);
const std::vector<CheckVerdict>& allCheckVerdicts();  // in the order above
// Whether the verdict asks staff to do something (every one but 正しい).
inline bool needsFixing(CheckVerdict verdict)
{
    return verdict != CheckVerdict::right;
}

// Where a check looks: one location, the locations from one to another in shelf order, or every
// location. Locations are compared as shelf order compares them ("Ａ-1" is "A-1", "A-01" is "A-1").
struct CheckPlace {
    enum class Kind { location, range, all };
    Kind kind = Kind::all;
    QString first;  // the location, or the range's first
    QString last;   // the range's last

    static CheckPlace location(const QString& location);
    static CheckPlace range(const QString& first, const QString& last);
    static CheckPlace all();

    bool contains(const QString& location) const;
    // "A-1", "A-1〜A-5", "全部".
    QString text() const;
};

// Whether two location texts name the same location.
bool sameLocation(const QString& a, const QString& b);

// One line of a check's result: a product (or an unknown code) and its verdict.
struct CheckEntry {
    CheckVerdict verdict = CheckVerdict::right;
    qint64 productId = 0;  // 0 for an unknown code
    QString code;          // as the catalogue keys the product, or the code scanned
    QString location;      // where the tag was scanned; for ない, the product's location
    QString shelf;         // the catalogue's location of the product
    QString name;          // maker, name and size, as the tag shows them
    qint64 price = 0;      // the price the tag should show at the check's moment
    QString detail;        // what is wrong (Japanese): 「価格 238円 → 258円」, 「商品マスタの棚 B-3」
    int tags = 0;          // the tags of it counted (0 for ない)
    int tagCount = 1;      // the tags it should have (its facings)
    int listOrder = 0;     // the product's row in its list, for shelf order (not kept)
};

// A check as the catalogue keeps it.
struct ShelfCheckRecord {
    qint64 id = 0;
    QString createdAt;                // when it was recorded, ISO 8601 UTC
    Moment at;                        // the moment it was made for, in the shop's time
    QString place;                    // CheckPlace::text() of where it looked
    QStringList locations;            // every location it covered, in shelf order
    int scans = 0;                    // the codes read, repeats included
    std::vector<CheckEntry> entries;  // by verdict in the order of CheckVerdict, then in shelf order

    int count(CheckVerdict verdict) const;
    // Whether any entry needs fixing.
    bool needsFixing() const;
};

// When a location was last checked.
struct LocationCheck {
    QString location;
    qint64 checkId = 0;  // 0: never checked
    Moment at;           // the check's moment
    int toFix = 0;       // that check's entries needing fixing at this location
};

// Sorts entries as a record lists them: by verdict, then by location in shelf order, then by the
// list's order; entries alike in all three keep their order (the order they were scanned in).
void sortCheckEntries(std::vector<CheckEntry>& entries);

}  // namespace catalogue
