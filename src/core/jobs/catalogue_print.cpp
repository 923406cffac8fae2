#include "core/jobs/catalogue_print.h"

#include "core/files/file_command_texts.h"
#include "core/jobs/import_job.h"
#include "core/productlist/sheet_filling.h"

#include <QDir>
#include <QFileInfo>

namespace jobs {

sheet::TagRecord tagOf(const catalogue::Product& product, const sheet::SheetFormat& format)
{
    sheet::TagRecord tag = product.tag;
    if (!format.hasProductName2) {
        tag.productName2.clear();
    }
    return tag;
}

QString printCountText(int tags, int sheets, int startTag)
{
    return QStringLiteral("棚札 %1 枚、シート %2 枚、タグ %3 から").arg(tags).arg(sheets).arg(startTag);
}

CataloguePrintPlan planCataloguePrint(const std::vector<catalogue::TagNeed>& needs, const sheet::SheetFormat& format,
                                      int startTag, NeedFilter filter, bool again)
{
    CataloguePrintPlan plan;
    std::vector<sheet::TagRecord> records;
    std::vector<sheet::TagExtras> extras;
    for (const catalogue::TagNeed& need : needs) {
        const bool wanted = need.kind == catalogue::NeedKind::newTag ? filter != NeedFilter::changedOnly
            : need.kind == catalogue::NeedKind::changed              ? filter != NeedFilter::newOnly
                                                                     : false;
        if (!wanted || (need.pendingPrintId != 0 && !again)) {
            continue;
        }
        const sheet::TagRecord tag = tagOf(need.product, format);
        const qint64 offerId = need.sale ? need.sale->offerId : 0;
        const qint64 formerPrice = need.sale ? need.sale->formerPrice : 0;
        // What the tag's extra texts need: the sale's period and former price, the product's rate and,
        // for a regular tag of a price given without the tax, that price.
        sheet::TagExtras extra;
        if (need.sale) {
            extra.sale = sheet::SaleMark {catalogue::shownOfferPeriod(need.sale->period), qint32(formerPrice)};
        } else if (!need.product.priceIncludesTax && need.product.listPrice > 0) {
            extra.listExclusiveYen = need.product.listPrice;
        }
        extra.taxRatePercent = need.product.taxRatePercent;
        extra.unitBase = need.product.unitBase;
        extra.content = need.product.content;
        for (int copy = 0; copy < need.product.tagCount; ++copy) {
            records.push_back(tag);
            extras.push_back(extra);
            plan.placed.push_back(
                {need.product.id, 0, 0, need.product.tag, offerId, formerPrice, catalogue::unitTextOf(need.product)});
        }
    }
    if (records.empty()) {
        return plan;
    }
    plan.sheets = productlist::sheetsForList(format, startTag, records);
    // The sheets go to a printer or a PDF for it: drawn without the preview's grid and numbers.
    for (sheet::TagSheet& page : plan.sheets) {
        page.outputMode = sheet::OutputMode::printer;
    }
    // The places follow the filling: the first sheet from the start tag, every further one from 1.
    int sheetNumber = 1;
    int slot = startTag;
    for (size_t i = 0; i < plan.placed.size(); ++i) {
        catalogue::PlacedTag& placed = plan.placed[i];
        if (slot > format.tagsPerPage) {
            ++sheetNumber;
            slot = 1;
        }
        placed.sheet = sheetNumber;
        placed.slot = slot++;
        plan.sheets[size_t(placed.sheet - 1)].extras[placed.slot] = extras[i];
    }
    return plan;
}

SheetDelivery sheetFilesDelivery(const QString& folder, const QString& baseName,
                                 const std::function<void(const QString& path)>& onWritten)
{
    return [folder, baseName, onWritten](std::vector<sheet::TagSheet>& sheets) {
        DeliveryResult result;
        if (!QDir().mkpath(folder)) {
            result.error = QStringLiteral("フォルダー %1 を作れません").arg(folder);
            return result;
        }
        const QStringList paths = sheetFilePaths(folder, baseName, 1, int(sheets.size()));
        // New names only, created afresh; a failure part-way removes the files this print made.
        const SheetFilesResult written = writeSheetFiles(sheets, paths, false, onWritten);
        if (!written.ok) {
            result.error = written.nameTaken ? QStringLiteral("%1 がすでにあります").arg(written.failedPath)
                                             : QStringLiteral("%1: %2").arg(written.failedPath, written.error);
            return result;
        }
        for (const auto& [path, reason] : written.unflushed) {
            result.notices << files::unflushedNotice(path, reason);
        }
        result.delivered = true;
        result.destination = QDir::toNativeSeparators(QFileInfo(folder).absoluteFilePath());
        return result;
    };
}

CataloguePrintResult printAndRecord(catalogue::Catalogue& catalogue, const std::vector<catalogue::TagNeed>& needs,
                                    const CataloguePrintRequest& request, const SheetDelivery& deliver)
{
    const sheet::SheetFormat& format = *request.format;
    const int startTag = request.startTag;
    CataloguePrintResult result;
    result.plan = planCataloguePrint(needs, format, startTag, request.filter, request.again);
    if (result.plan.sheets.empty()) {
        result.status = CataloguePrintStatus::nothingToPrint;
        return result;
    }
    const DeliveryResult delivered = deliver(result.plan.sheets);
    result.notices = delivered.notices;
    if (!delivered.delivered) {
        result.status = delivered.cancelled ? CataloguePrintStatus::cancelled : CataloguePrintStatus::notDelivered;
        result.error = delivered.error;
        return result;
    }
    result.destination = delivered.destination;
    result.recordFailure
        = catalogue.recordPrint(result.plan.placed, format.key(), startTag, int(result.plan.sheets.size()),
                                delivered.destination, request.asOf, &result.printId);
    result.status = result.recordFailure.ok() ? CataloguePrintStatus::recorded : CataloguePrintStatus::notRecorded;
    return result;
}

std::vector<catalogue::TagNeed> takedownNeeds(const catalogue::Catalogue& catalogue, catalogue::Result* outcome)
{
    return takedownNeeds(catalogue, catalogue::Moment::now(), outcome);
}

std::vector<catalogue::TagNeed> takedownNeeds(const catalogue::Catalogue& catalogue, const catalogue::Moment& at,
                                              catalogue::Result* outcome)
{
    std::vector<catalogue::TagNeed> listed;
    for (catalogue::TagNeed& need : catalogue.tagNeedsAt(at, false, outcome)) {
        if (need.kind == catalogue::NeedKind::takeDown) {
            listed.push_back(std::move(need));
        }
    }
    return listed;
}

catalogue::Result recordTakedowns(catalogue::Catalogue& catalogue, const std::vector<catalogue::TagNeed>& listed)
{
    std::vector<qint64> ids;
    ids.reserve(listed.size());
    for (const catalogue::TagNeed& need : listed) {
        ids.push_back(need.product.id);
    }
    return catalogue.recordTakenDown(ids);
}

}  // namespace jobs
