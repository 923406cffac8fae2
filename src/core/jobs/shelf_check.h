#pragma once

// The shelf check (棚チェック) as the 棚チェック view and `tanafuda-catalogue check` both make it:
// 1. startShelfCheck reads, for a place and a moment, the tag every product should have then
//    beside the tag last confirmed for it;
// 2. ShelfCheck::scan takes the codes read along the shelves one by one and gives each its verdict
//    at once (正しい, 違う, 場所違い, 不明, 取り下げ忘れ);
// 3. ShelfCheck::finish adds the products of the places scanned that should have a tag but none of
//    whose tags was read (ない), and gives the check as the catalogue keeps it;
// 4. Catalogue::recordCheck keeps it; status then says when each location was last checked, and
//    needsToFix gives the tags a check found wrong or missing, to be printed through printAndRecord.

#include "core/catalogue/catalogue.h"
#include "core/catalogue/rules/shelf_check.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace jobs {

// A code as the scanner (or the keyboard) typed it, made the code the catalogue keys products by:
// surrounding spaces dropped, full-width digits made half-width; 8 or 13 digits kept as they are,
// 12 digits given their check digit.
struct ScannedCode {
    QString code;     // empty when the text is not a code
    QString refusal;  // why not (Japanese)
    bool ok() const { return !code.isEmpty(); }
};
ScannedCode readScannedCode(const QString& text);

// A line of a batch scanner's file: the code and, where the line gives one, the location.
struct ScanLine {
    int line = 0;  // 1-based
    QString location;
    QString code;  // as readScannedCode made it
};

struct ScanListResult {
    std::vector<ScanLine> scans;
    int badLine = 0;  // the first line that could not be read; 0 when all could
    QString refusal;  // why not (Japanese)
    bool ok() const { return badLine == 0; }
};

// Reads a batch scanner's file: one code a line, or LOCATION,CODE (as many scanners export it,
// either field may be in double quotes); blank lines are skipped. UTF-8 (with or without its
// byte-order mark) or Shift_JIS. Any other line stops the reading at that line.
ScanListResult readScanList(const QByteArray& bytes);

// What one scan was found to be, at once.
struct ScanVerdict {
    catalogue::CheckVerdict verdict = catalogue::CheckVerdict::unknown;
    QString code;
    std::optional<catalogue::Product> product;  // the product as it is at the check's moment
    QString detail;                             // as the check's entry says it
    // False when the same code was read again straight after, more often than the product has
    // tags: the same tag read twice, not counted.
    bool counted = true;
    int tags = 0;  // the tags of it counted at this place so far
    // The catalogue could not be read to look the code up: no verdict, and the scan is not counted.
    catalogue::Result failure;
};

class ShelfCheck {
public:
    // The product a code names as it is at the check's moment, for codes among none of `needs`
    // (a product discontinued long ago, or none at all: Status::notFound).
    using ProductLookup
        = std::function<std::optional<catalogue::Product>(const QString& code, catalogue::Result* outcome)>;

    // A check of `place` at `at`, over `needs`: every product's tag at `at` beside its shelf tag
    // (Catalogue::tagNeedsAt with the up-to-date ones).
    ShelfCheck(std::vector<catalogue::TagNeed> needs, const catalogue::CheckPlace& place, const catalogue::Moment& at,
               ProductLookup lookup);

    const catalogue::Moment& moment() const { return at_; }
    // Where the next scans are made: the place the check started at until moved.
    const catalogue::CheckPlace& place() const { return places_[current_]; }
    void moveTo(const catalogue::CheckPlace& place);

    // A code read at the current place (as readScannedCode made it), and its verdict.
    ScanVerdict scan(const QString& code);
    int scans() const { return scans_; }

    // The check as the catalogue keeps it: the entries of the scans, then for every place scanned
    // its products that should have a tag but none of whose tags was read there (ない), listed by
    // verdict and in shelf order; the locations it covered.
    catalogue::ShelfCheckRecord finish() const;
    // The products of the places scanned that have no code to scan (loose goods keyed by the shop's
    // own code): they are never counted as ない.
    int productsWithoutCode() const;

private:
    struct Scanned {
        catalogue::CheckEntry entry;
        size_t place = 0;
    };
    const catalogue::TagNeed* needOf(const QString& code) const;
    // The entry of the first scan of `code` at the current place.
    catalogue::CheckEntry judge(const QString& code, const catalogue::TagNeed* need,
                                const std::optional<catalogue::Product>& found) const;
    // Whether a check looks for `need`'s tag: a product still sold, with a code to scan.
    static bool looksFor(const catalogue::TagNeed& need);
    // The places looked at: where the check started, and every place something was scanned at.
    std::vector<const catalogue::CheckPlace*> coveredPlaces() const;

    std::vector<catalogue::TagNeed> needs_;
    QHash<QString, size_t> byCode_;
    catalogue::Moment at_;
    ProductLookup lookup_;
    std::vector<catalogue::CheckPlace> places_;  // the first is where the check started
    std::vector<int> scansAt_;                   // by place
    size_t current_ = 0;
    std::vector<Scanned> scanned_;
    QHash<QString, size_t> entryOf_;  // code and place -> its place in scanned_
    QString lastKey_;
    int run_ = 0;
    int scans_ = 0;
};

// Starts a check of `place` at `at` in `catalogue`, which must outlive it (a code no product at the
// place has is looked up there). Null, with the reason in `outcome`, when the catalogue cannot be read.
std::unique_ptr<ShelfCheck> startShelfCheck(const catalogue::Catalogue& catalogue, const catalogue::CheckPlace& place,
                                            const catalogue::Moment& at, catalogue::Result* outcome);

// The products whose tag check `checkId` found wrong or missing, with the tags they need at `at`,
// in shelf order, for printAndRecord: a missing tag is laid even where the last confirmed tag is
// the right one (it is not on the shelf: it counts as new), a wrong one only while it still
// differs (a print confirmed since may have put it right). None when there is no such check
// (Status::notFound in `outcome`).
std::vector<catalogue::TagNeed> needsToFix(const catalogue::Catalogue& catalogue, qint64 checkId,
                                           const catalogue::Moment& at, catalogue::Result* outcome);

}  // namespace jobs
