#pragma once

// Printing the catalogue's tags and keeping track of them, for the 商品マスタ window and
// `tanafuda-catalogue print / confirm / takedown`: the tags that need printing laid onto sheets in
// shelf order (planCataloguePrint), delivered and recorded as pending (printAndRecord), confirmed or
// marked failed once the user has looked (Catalogue::decidePrint), and the tags of discontinued
// products listed and recorded as taken down (takedownNeeds, recordTakedowns).

#include "core/catalogue/catalogue.h"
#include "core/sheet/tag_sheet.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace jobs {

enum class NeedFilter { all, newOnly, changedOnly };

struct CataloguePrintPlan {
    std::vector<sheet::TagSheet> sheets;       // what is printed, one page each
    std::vector<catalogue::PlacedTag> placed;  // every tag, in the order laid
};

// The tag a product shows on `format`: its texts (a large tag has no second name line) and its
// tag price.
sheet::TagRecord tagOf(const catalogue::Product& product, const sheet::SheetFormat& format);

// Lays the new and changed products of `needs` (as `filter` chooses; take-downs and up-to-date
// products are left out, and so are the products whose tag a print not yet confirmed holds,
// unless `again`) onto sheets of `format`, the first from `startTag` (1-based). Every tag carries
// its product's tax rate to the page (TagSheet::extras), a sale tag its period and former price,
// a regular tag of a price the list gave without the tax that price. Empty when nothing is to be
// printed.
CataloguePrintPlan planCataloguePrint(const std::vector<catalogue::TagNeed>& needs, const sheet::SheetFormat& format,
                                      int startTag, NeedFilter filter, bool again = false);

// What a print of the catalogue's tags is asked for.
struct CataloguePrintRequest {
    const sheet::SheetFormat* format = &sheet::SheetFormat::large;
    int startTag = 1;
    NeedFilter filter = NeedFilter::all;
    catalogue::Moment asOf = catalogue::Moment::now();  // the moment the tags are for
    bool again = false;                                 // lay the tags of prints not yet confirmed again too
};

// What a print holds, as the window says it before printing and asks about it afterwards:
// 「棚札 12 枚、シート 1 枚、タグ 7 から」 (the first sheet's first tag used).
QString printCountText(int tags, int sheets, int startTag);

// How the sheets of a print went out.
struct DeliveryResult {
    bool delivered = false;
    bool cancelled = false;  // the user chose not to print after all: nothing to report
    QString destination;     // when delivered: the printer, the PDF or the folder, as the print records it
    QString error;           // when neither: why not (Japanese)
    QStringList notices;     // said beside it: a file that may not survive a power loss, ...
};

// Prints or writes the sheets; it may name them after their files (the printed page shows it).
using SheetDelivery = std::function<DeliveryResult(std::vector<sheet::TagSheet>& sheets)>;

enum class CataloguePrintStatus {
    recorded,        // delivered and recorded as pending: printId names it
    nothingToPrint,  // no tag needs printing
    cancelled,       // the delivery was cancelled
    notDelivered,    // the delivery failed: `error` says why; nothing recorded
    notRecorded,     // delivered, but the catalogue could not record it: `recordFailure`
};

struct CataloguePrintResult {
    CataloguePrintStatus status = CataloguePrintStatus::nothingToPrint;
    CataloguePrintPlan plan;
    qint64 printId = 0;
    QString destination;
    QString error;
    QStringList notices;  // the delivery's
    catalogue::Result recordFailure;
};

// The sheets written as new sheet files BASE-1.csv, BASE-2.csv, ... in `folder` (made when
// missing); each written path is told to `onWritten`. A failure part-way removes the files it made.
SheetDelivery sheetFilesDelivery(const QString& folder, const QString& baseName,
                                 const std::function<void(const QString& path)>& onWritten);

// Plans the print of `needs` (the tags needed at request.asOf), delivers its sheets and records it
// as pending, made for that moment.
CataloguePrintResult printAndRecord(catalogue::Catalogue& catalogue, const std::vector<catalogue::TagNeed>& needs,
                                    const CataloguePrintRequest& request, const SheetDelivery& deliver);
inline CataloguePrintResult printAndRecord(catalogue::Catalogue& catalogue,
                                           const std::vector<catalogue::TagNeed>& needs,
                                           const sheet::SheetFormat& format, int startTag, NeedFilter filter,
                                           const SheetDelivery& deliver)
{
    return printAndRecord(catalogue, needs, {&format, startTag, filter, catalogue::Moment::now(), false}, deliver);
}

// The tags of discontinued products still on the shelves (now, or at `at`), in shelf order.
std::vector<catalogue::TagNeed> takedownNeeds(const catalogue::Catalogue& catalogue, catalogue::Result* outcome);
std::vector<catalogue::TagNeed> takedownNeeds(const catalogue::Catalogue& catalogue, const catalogue::Moment& at,
                                              catalogue::Result* outcome);

// Records that the tags of `listed` were taken down.
catalogue::Result recordTakedowns(catalogue::Catalogue& catalogue, const std::vector<catalogue::TagNeed>& listed);

}  // namespace jobs
