#pragma once

// The shop's product catalogue: its products, their price history, the imports that brought them
// and the prints of their tags. It tells which tags need printing (new, changed) or taking down,
// by comparing each product's tag as it is now with the tag of it last confirmed as printed.
// "What needs a tag" is always derived from those records, never stored as a flag.
//
// One code path serves SQLite (one PC) and PostgreSQL (several PCs): portable SQL, explicit ids
// handed out under the write lock, texts and integers only (dates as ISO 8601 text, money as
// integer yen, flags as 0/1). Every change is one transaction.

#include "core/catalogue/incoming_list.h"
#include "core/catalogue/location.h"
#include "core/sheet/field_entry.h"
#include "core/sheet/tag_sheet.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class QSqlDatabase;

namespace catalogue {

// Why a catalogue could not be opened or changed. Every kind comes with a Japanese message.
enum class Failure {
    none,
    missing,        // no catalogue yet (and none is to be made)
    damaged,        // an SQLite file that is not a sound database (it has been moved aside)
    networkFolder,  // an SQLite file on NFS/SMB/CIFS
    notACatalogue,  // a database of some other program, or of a newer tanafuda
    unreachable,    // the server does not answer, or refuses the user
    unwritable,     // read-only file, full disk, no permission
    notFound,       // no such product or print
    failed,         // anything else the database reports
};

struct Outcome {
    Failure failure = Failure::none;
    QString message;  // Japanese, for the user
    bool ok() const { return failure == Failure::none; }
};

struct OpenOptions {
    bool create = false;  // make the catalogue (file, folder, tables) when there is none
    // Only read: nothing is written, not even to bring an older schema up to date; an SQLite file
    // is opened read-only and not checked (a damaged one fails its queries, and stays where it is).
    bool readOnly = false;
};

struct Product {
    qint64 id = 0;
    QString code;
    sheet::TagRecord tag;  // jan, maker, name, name2, spec, lot; price = the tag price
    qint64 listPrice = 0;
    bool priceIncludesTax = true;
    int taxRatePercent = 10;
    QString shelf;
    int tagCount = 1;
    int listOrder = 0;
    QString firstSeen;  // dates (YYYY-MM-DD)
    QString lastSeen;
    bool active = true;
};

// What a merge did (or, with dryRun, would do).
struct MergeCounts {
    int rows = 0;
    int added = 0;
    int changed = 0;
    int discontinued = 0;
    int refused = 0;
    int unchanged = 0;
};

struct MergeOptions {
    bool partial = false;  // only the list's rows are touched; nothing is discontinued
    QDate validFrom;       // the date the list's prices hold from; invalid: today
    bool dryRun = false;   // count only, write nothing
};

struct MergeResult {
    Outcome outcome;
    MergeCounts counts;
    qint64 importId = 0;
};

// The tag fields a comparison names (sheet::Field), as the messages and the JSON name them.
QString tagFieldTitle(sheet::Field field);  // "JANコード", "メーカー", "商品名", ...
QString tagFieldKey(sheet::Field field);    // jan, maker, name, name2, spec, lot, price

enum class NeedKind { newTag, changed, upToDate, takeDown };
QString needKindTitle(NeedKind kind);  // 新規, 変更あり, 最新, 取り下げ
QString needKindKey(NeedKind kind);    // new, changed, up-to-date, takedown

struct TagNeed {
    NeedKind kind = NeedKind::newTag;
    Product product;
    std::vector<sheet::Field> changedFields;   // for changed
    std::optional<sheet::TagRecord> shelfTag;  // the last confirmed printed tag, if any
    qint64 shelfPrintId = 0;
};

struct StatusCounts {
    int products = 0;  // active
    int discontinued = 0;
    int newTags = 0;
    int changed = 0;
    int takeDown = 0;
    int pendingPrints = 0;
};

enum class PrintState { pending, confirmed, failed };
QString printStateTitle(PrintState state);  // 確認待ち, 確認済み, 失敗
QString printStateKey(PrintState state);    // pending, confirmed, failed

// One tag of a print: which product, where it lies, and what it showed.
struct PlacedTag {
    qint64 productId = 0;
    int sheet = 1;  // 1-based
    int slot = 1;   // 1-based tag of its sheet
    sheet::TagRecord tag;
};

struct PrintInfo {
    qint64 id = 0;
    QString createdAt;  // ISO 8601, UTC
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
};

struct ProductHistory {
    Product product;
    std::vector<PriceChange> prices;  // oldest first
    std::vector<PrintedTag> prints;   // oldest first
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
    // Opens (or, with options.create, makes) the catalogue at `location`. An SQLite file is checked
    // (quick_check) and refused on a network folder; a damaged one is moved aside, never
    // overwritten, and reported (no fresh catalogue is made in its place by this call unless
    // options.create asks for one). Null, with the reason in `outcome`, when it cannot be used.
    static std::unique_ptr<Catalogue> open(const Location& location, const OpenOptions& options, Outcome* outcome);
    ~Catalogue();
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    const Location& location() const { return location_; }
    int schemaVersion() const;

    // Takes a cleaned list in, in one transaction: new products added, changed ones updated (a
    // new tag price goes into the price history), and with a full list the products missing
    // from it discontinued (never deleted).
    MergeResult merge(const IncomingList& list, const MergeOptions& options);

    // The products that need a tag (new, changed) and the tags to take down, in shelf order
    // (natural order of the location, then list order). With `withUpToDate`, the products whose
    // tag is up to date too.
    std::vector<TagNeed> tagNeeds(bool withUpToDate = false, Outcome* outcome = nullptr) const;
    // The first of tagNeeds(true), for a window to show at once: the products of the first shelf
    // locations in shelf order, whole locations until there are at least `atLeast`. `complete`
    // says whether that is every product; `statusCounts`, when given, gets the counts of status()
    // but the pending prints.
    std::vector<TagNeed> firstTagNeeds(int atLeast, bool* complete, StatusCounts* statusCounts = nullptr,
                                       Outcome* outcome = nullptr) const;
    StatusCounts status(Outcome* outcome = nullptr) const;

    std::optional<Product> product(const QString& code, Outcome* outcome = nullptr) const;
    std::optional<ProductHistory> history(const QString& code, Outcome* outcome = nullptr) const;
    std::vector<ImportInfo> imports(Outcome* outcome = nullptr) const;

    // Records a print of `tags` as pending; its number in `printId`.
    Outcome recordPrint(const std::vector<PlacedTag>& tags, const QString& format, int startTag, int sheetCount,
                        const QString& destination, qint64* printId);
    // Confirms a pending print (its tags are then on the shelf) or marks it failed (they still
    // need printing). A print already decided is not changed.
    Outcome decidePrint(qint64 printId, PrintState state);
    std::vector<PrintInfo> prints(bool pendingOnly, Outcome* outcome = nullptr) const;

    // Records that the tags of discontinued products were taken off the shelves.
    Outcome recordTakenDown(const std::vector<qint64>& productIds);

    // Import choices remembered per list layout (the key: a fingerprint of the header row; the
    // value: the choices as JSON text).
    Outcome rememberLayout(const QString& key, const QString& json);
    std::optional<QString> rememberedLayout(const QString& key, Outcome* outcome = nullptr) const;

private:
    Catalogue(const Location& location, const QString& connection);
    QSqlDatabase db() const;
    // The products that pass `condition`, only those on `shelves` when it is not empty, in shelf
    // order.
    std::vector<TagNeed> readNeeds(const QString& condition, const QStringList& shelves, Outcome* outcome) const;

    Location location_;
    QString connection_;
};

}  // namespace catalogue
