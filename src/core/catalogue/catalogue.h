#pragma once

// The shop's product catalogue: its products, their price history, the imports that brought them
// and the prints of their tags. It tells which tags need printing (new, changed) or taking down,
// by comparing each product's tag as it is now with the tag of it last confirmed as printed.
// "What needs a tag" is always derived from those records, never stored as a flag.
//
// One code path serves SQLite (one PC) and PostgreSQL (several PCs): portable SQL, explicit ids
// handed out under the write lock, texts and integers only (dates as ISO 8601 text, money as
// integer yen, flags as 0/1). Every change is one transaction.

#include "core/catalogue/catalogue_address.h"
#include "core/catalogue/catalogue_result.h"
#include "core/catalogue/rules/coming_dates.h"
#include "core/catalogue/rules/incoming_list.h"
#include "core/catalogue/rules/merge_plan.h"
#include "core/catalogue/rules/offer.h"
#include "core/catalogue/rules/product.h"
#include "core/catalogue/rules/shelf_check.h"
#include "core/catalogue/rules/tag_needs.h"
#include "core/sheet/field_entry.h"
#include "core/sheet/tag_sheet.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <utility>

#include <memory>
#include <optional>
#include <vector>

class QSqlDatabase;
class QSqlError;

namespace catalogue {

QString needKindTitle(NeedKind kind);  // 新規, 変更あり, 最新, 取り下げ
QString needKindKey(NeedKind kind);    // new, changed, up-to-date, takedown

struct StatusCounts {
    int products = 0;  // active
    int discontinued = 0;
    int newTags = 0;
    int changed = 0;
    int takeDown = 0;
    int pendingPrints = 0;
    int pendingTags = 0;  // products whose needed tag is in a print not yet confirmed
};

// A day on which tags change by themselves: an offer starts, an offer ends (its tags go back the
// next day) or a dated list's prices come into force (rules/coming_dates.h).
QString eventKindTitle(EventKind kind);  // 特売開始, 特売終了・戻し, 価格改定

enum class PrintState { pending, confirmed, failed };
QString printStateTitle(PrintState state);  // 確認待ち, 確認済み, 失敗
QString printStateKey(PrintState state);    // pending, confirmed, failed

// One tag of a print: which product, where it lies, and what it showed.
struct PlacedTag {
    qint64 productId = 0;
    int sheet = 1;  // 1-based
    int slot = 1;   // 1-based tag of its sheet
    sheet::TagRecord tag;
    qint64 offerId = 0;      // a sale tag's offer; 0: a regular tag
    qint64 formerPrice = 0;  // the former price a sale tag shows; 0: none
    QString unitText = {};   // the product's unit text (rules::unitTextOf) the tag was worked out with
};

struct PrintInfo {
    qint64 id = 0;
    QString createdAt;  // ISO 8601, UTC
    QString asOf;       // the moment it was made for (YYYY-MM-DDTHH:MM, local); empty: when it was made
    QString format;     // large, small
    int startTag = 1;
    int sheetCount = 0;
    int tagCount = 0;
    QString destination;
    PrintState state = PrintState::pending;
    QString decidedAt;
};

struct PriceChange {
    QString validFrom;
    qint64 tagPrice = 0;
    qint64 listPrice = 0;
    bool priceIncludesTax = true;
    int taxRatePercent = 10;
    qint64 importId = 0;
    QString importFile;
};

struct PrintedTag {
    PrintInfo print;
    int sheet = 1;
    int slot = 1;
    sheet::TagRecord tag;
    qint64 offerId = 0;
};

struct ProductHistory {
    Product product;
    std::vector<PriceChange> prices;  // oldest first
    std::vector<PrintedTag> prints;   // oldest first
    std::vector<OfferItem> offers;    // the offers it was in, oldest first
};

// An offer with its products, as `offer show` lists them.
struct OfferDetail {
    Offer offer;
    std::vector<std::pair<Product, OfferItem>> items;  // in shelf order
};

// A list of sale prices being taken in as an offer.
struct OfferList {
    QString name;
    QString fileName;
    pricing::OfferPeriod period;  // the period of rows that give none of their own
    struct Row {
        int number = 0;  // the list's row
        QString code;
        qint64 salePrice = 0;
        std::optional<pricing::OfferPeriod> period;
    };
    std::vector<Row> rows;
    std::vector<RefusedRow> refused;  // rows refused before the catalogue saw them
};

struct OfferImportResult : Result {
    qint64 offerId = 0;
    int products = 0;
    std::vector<RefusedRow> refused;  // the list's refused rows and the catalogue's own
    // When refused for overlapping: the other offers and the products both give a sale price.
    QStringList overlaps;
};

struct ImportInfo {
    qint64 id = 0;
    QString file;
    QString importedAt;
    QString validFrom;
    bool partial = false;
    MergeCounts counts;
};

class Catalogue {
public:
    // Opens (or, with options.create, makes) the catalogue at `address`. An SQLite file is checked
    // (quick_check) and refused on a network folder; a damaged one is moved aside, never
    // overwritten, and reported (no fresh catalogue is made in its place by this call unless
    // options.create asks for one). Null, with the reason in `outcome`, when it cannot be used.
    static std::unique_ptr<Catalogue> open(const CatalogueAddress& address, const OpenOptions& options,
                                           Result* outcome);
    ~Catalogue();
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    const CatalogueAddress& address() const { return address_; }
    int schemaVersion() const;

    // What taking `list` in would do, as the catalogue stands now (nothing is written).
    MergePlan planMerge(const IncomingList& list, const MergeOptions& options, Result* outcome = nullptr) const;
    // Takes a cleaned list in, in one transaction: the plan made from the products as they stand
    // inside it, then written (core/catalogue/apply_merge.h): new products added, changed ones
    // updated (a new price goes into the price history), and with a full list the products
    // missing from it discontinued (never deleted).
    MergeResult merge(const IncomingList& list, const MergeOptions& options);

    // The products that need a tag (new, changed) and the tags to take down at `at` (now when not
    // given), in shelf order (natural order of the location, then list order). With
    // `withUpToDate`, the products whose tag is up to date too.
    std::vector<TagNeed> tagNeeds(bool withUpToDate = false, Result* outcome = nullptr) const;
    std::vector<TagNeed> tagNeedsAt(const Moment& at, bool withUpToDate, Result* outcome = nullptr) const;
    // The first of tagNeeds(true), for a window to show at once: the products of the first shelf
    // locations in shelf order, whole locations until there are at least `atLeast`. `complete`
    // says whether that is every product; `statusCounts`, when given, gets the counts of status()
    // but the pending prints.
    std::vector<TagNeed> firstTagNeeds(int atLeast, bool* complete, StatusCounts* statusCounts = nullptr,
                                       Result* outcome = nullptr) const;
    // The same at `at`.
    std::vector<TagNeed> firstTagNeedsAt(const Moment& at, int atLeast, bool* complete,
                                         StatusCounts* statusCounts = nullptr, Result* outcome = nullptr) const;
    StatusCounts status(Result* outcome = nullptr) const;
    StatusCounts statusAt(const Moment& at, Result* outcome = nullptr) const;
    // The days from `from` on, for `days` days, on which tags change by themselves, in time order.
    std::vector<ComingEvent> comingEvents(const Moment& from, int days, Result* outcome = nullptr) const;

    // Takes a list of sale prices in as one offer, in one transaction. Refused, with nothing
    // written, when it would give a product two sale prices at one moment (the offers and products
    // named in `overlaps`). Rows whose product the catalogue does not hold are refused and said.
    OfferImportResult importOffer(const OfferList& list);
    std::vector<Offer> offers(Result* outcome = nullptr) const;
    std::optional<OfferDetail> offer(qint64 offerId, Result* outcome = nullptr) const;
    // Ends an offer early: from `on` it no longer holds, and its tags go back.
    Result endOffer(qint64 offerId, const QDate& on);

    // A product as it is now (a dated list not yet in force changes nothing).
    std::optional<Product> product(const QString& code, Result* outcome = nullptr) const;
    // A product as it is at `at`: none (Status::notFound) when it comes with a list dated later.
    std::optional<Product> productAt(const QString& code, const Moment& at, Result* outcome = nullptr) const;
    std::optional<ProductHistory> history(const QString& code, Result* outcome = nullptr) const;
    std::vector<ImportInfo> imports(Result* outcome = nullptr) const;

    // Records a print of `tags`, made for the moment `asOf`, as pending; its number in `printId`.
    Result recordPrint(const std::vector<PlacedTag>& tags, const QString& format, int startTag, int sheetCount,
                       const QString& destination, const Moment& asOf, qint64* printId);
    // Confirms a pending print (its tags are then on the shelf) or marks it failed (they still
    // need printing). A print already decided is not changed.
    Result decidePrint(qint64 printId, PrintState state);
    std::vector<PrintInfo> prints(bool pendingOnly, Result* outcome = nullptr) const;

    // Records that the tags of discontinued products were taken off the shelves.
    Result recordTakenDown(const std::vector<qint64>& productIds);

    // Keeps a shelf check (its moment, the place it looked, the locations it covered and its
    // entries, in the order given) in one transaction; its number in `checkId`.
    Result recordCheck(const ShelfCheckRecord& check, qint64* checkId);
    // A kept check with its entries; none (Status::notFound) when there is no such check.
    std::optional<ShelfCheckRecord> shelfCheck(qint64 checkId, Result* outcome = nullptr) const;
    // The kept checks without their entries, oldest first.
    std::vector<ShelfCheckRecord> shelfChecks(Result* outcome = nullptr) const;
    // Every location of the products still sold, in shelf order, with the last check made for a
    // moment up to `at` that covered it (checkId 0 where none did).
    std::vector<LocationCheck> lastChecks(const Moment& at, Result* outcome = nullptr) const;

private:
    Catalogue(const CatalogueAddress& address, const QString& connection);
    QSqlDatabase db() const;
    // Every product the catalogue holds, discontinued ones too, as it is on `day`, for a merge:
    // a product changed by a list dated later is as it was before; one that came with a later
    // list is as that list has it. A merge needs neither day it was first or last in a list: the
    // read of every product leaves them out.
    std::vector<Product> productsOn(const QDate& day, QSqlError* error) const;
    // Decides again the former price of the offers of `productIds` that begin after `after`.
    Result refreshFormerPrices(QSqlDatabase& db, const std::vector<qint64>& productIds, const QDate& after) const;
    // The offer items that hold at `at`.
    std::vector<OfferItem> itemsHoldingAt(const Moment& at, QSqlError* error) const;
    // The products at `at` (those needing a tag, or with `withUpToDate` every one listed), only
    // those on `shelves` when it is not empty, in shelf order.
    std::vector<TagNeed> readNeeds(const Moment& at, bool withUpToDate, const QStringList& shelves,
                                   Result* outcome) const;

    CatalogueAddress address_;
    QString connection_;
};

}  // namespace catalogue
