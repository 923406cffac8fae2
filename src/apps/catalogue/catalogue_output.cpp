#include "apps/catalogue/catalogue_output.h"

#include "core/pricing/shop_time.h"
#include "core/sheet/field_entry.h"

#include <QJsonArray>
#include <QLocale>
#include <QStringList>

namespace catalogue::output {

using namespace catalogue::report;

namespace {

QJsonObject tagJson(const sheet::TagRecord& tag)
{
    return {{QStringLiteral("jan"), tag.jan},          {QStringLiteral("maker"), tag.maker},
            {QStringLiteral("name"), tag.productName}, {QStringLiteral("name2"), tag.productName2},
            {QStringLiteral("spec"), tag.spec},        {QStringLiteral("lot"), tag.lot},
            {QStringLiteral("price"), tag.price}};
}

QJsonObject saleJson(const SaleTag& sale)
{
    return {{QStringLiteral("offer"), sale.offerId},
            {QStringLiteral("name"), sale.offerName},
            {QStringLiteral("period"), shownOfferPeriod(sale.period)},
            {QStringLiteral("first_day"), sale.period.days.first.toString(Qt::ISODate)},
            {QStringLiteral("last_day"), sale.period.days.last.toString(Qt::ISODate)},
            {QStringLiteral("regular_price"), sale.regularPrice},
            {QStringLiteral("former_price"), sale.formerPrice > 0 ? QJsonValue(sale.formerPrice) : QJsonValue()},
            {QStringLiteral("former_price_note"), sale.formerNote}};
}

// When a print was made, in the shop's time; a print of before such times were kept as it is.
QString shownMade(const QString& createdAt)
{
    const QString local = pricing::shownInstant(createdAt);
    return local.isEmpty() ? createdAt : local;
}

QString shownMoment(const Moment& at)
{
    return at.day.isValid() ? pricing::shownDateTime(at.toDateTime()) : QString();
}

}  // namespace

QString needLine(const TagNeed& need)
{
    const sheet::TagRecord& tag = need.product.tag;
    QString line
        = QStringLiteral("%1\t%2\t%3\t%4\t%5")
              .arg(needKindTitle(need.kind), need.product.shelf.isEmpty() ? QStringLiteral("-") : need.product.shelf,
                   need.product.code, QStringLiteral("%1 %2 %3").arg(tag.maker, tag.productName, tag.spec).simplified(),
                   yen(tag.price));
    const QString change = changeText(need);
    if (!change.isEmpty()) {
        line += u'\t' + change;
    }
    if (need.kind != NeedKind::takeDown && need.product.tagCount > 1) {
        line += QStringLiteral("\t%1枚").arg(need.product.tagCount);
    }
    if (need.sale && need.kind != NeedKind::takeDown) {
        line += u'\t' + saleText(*need.sale);
    }
    if (need.pendingPrintId != 0) {
        line += QStringLiteral("\t確認待ち (印刷 %1)").arg(need.pendingPrintId);
    }
    return line;
}

QJsonObject needJson(const TagNeed& need)
{
    QJsonObject out {
        {QStringLiteral("kind"), needKindKey(need.kind)},       {QStringLiteral("code"), need.product.code},
        {QStringLiteral("shelf"), need.product.shelf},          {QStringLiteral("tag_count"), need.product.tagCount},
        {QStringLiteral("list_order"), need.product.listOrder}, {QStringLiteral("tag"), tagJson(need.product.tag)}};
    if (need.shelfTag) {
        out.insert(QStringLiteral("shelf_tag"), tagJson(*need.shelfTag));
        out.insert(QStringLiteral("shelf_print"), need.shelfPrintId);
    }
    QJsonArray fields;
    for (sheet::Field field : need.changedFields) {
        fields.append(tagFieldKey(field));
    }
    out.insert(QStringLiteral("changed_fields"), fields);
    if (need.sale) {
        out.insert(QStringLiteral("sale"), saleJson(*need.sale));
    }
    if (need.shelfOfferId != 0) {
        out.insert(QStringLiteral("shelf_offer"), need.shelfOfferId);
    }
    if (need.pendingPrintId != 0) {
        out.insert(QStringLiteral("pending_print"), need.pendingPrintId);
    }
    return out;
}

QString statusText(const StatusCounts& counts, const std::vector<PrintInfo>& pending,
                   const std::vector<ComingEvent>& events)
{
    QString text = QStringLiteral("商品 %1 (取り扱い終了 %2)\n").arg(counts.products).arg(counts.discontinued);
    if (counts.newTags + counts.changed + counts.takeDown == 0) {
        text += QStringLiteral("印刷する棚札も取り下げる棚札もありません\n");
    } else {
        text += QStringLiteral("新規 %1、変更あり %2、取り下げ %3\n")
                    .arg(counts.newTags)
                    .arg(counts.changed)
                    .arg(counts.takeDown);
    }
    if (counts.pendingTags > 0) {
        text += QStringLiteral("確認待ち %1 品 (印刷済みで、できたかどうかの確認がまだです)\n").arg(counts.pendingTags);
    }
    for (const PrintInfo& print : pending) {
        text += QStringLiteral("確認待ちの印刷 %1 (%2、棚札 %3 枚、%4)\n")
                    .arg(print.id)
                    .arg(shownMade(print.createdAt))
                    .arg(print.tagCount)
                    .arg(print.destination);
    }
    if (!events.empty()) {
        text += QStringLiteral("これからの予定:\n");
        for (const ComingEvent& event : events) {
            text += QStringLiteral("  %1%2\n").arg(event.urgent ? QStringLiteral("！") : QString(), eventLine(event));
        }
    }
    return text;
}

QJsonObject eventJson(const ComingEvent& event)
{
    QJsonObject out {{QStringLiteral("kind"),
                      QString::fromLatin1(event.kind == EventKind::offerStarts     ? "offer-starts"
                                              : event.kind == EventKind::offerEnds ? "offer-ends"
                                                                                   : "price-list")},
                     {QStringLiteral("at"), event.at.text()},
                     {QStringLiteral("shown"), eventLine(event)},
                     {QStringLiteral("name"), event.name},
                     {QStringLiteral("tags"), event.tags},
                     {QStringLiteral("ready"), event.ready},
                     {QStringLiteral("urgent"), event.urgent}};
    if (event.offerId != 0) {
        out.insert(QStringLiteral("offer"), event.offerId);
    }
    return out;
}

QJsonObject printJson(const PrintInfo& print)
{
    return {{QStringLiteral("print"), print.id},
            {QStringLiteral("created_at"), print.createdAt},
            {QStringLiteral("made"), shownMade(print.createdAt)},
            {QStringLiteral("as_of"), print.asOf},
            {QStringLiteral("format"), print.format},
            {QStringLiteral("start"), print.startTag},
            {QStringLiteral("sheets"), print.sheetCount},
            {QStringLiteral("tags"), print.tagCount},
            {QStringLiteral("destination"), print.destination},
            {QStringLiteral("state"), printStateKey(print.state)},
            {QStringLiteral("decided_at"), print.decidedAt}};
}

QJsonObject statusJson(const StatusCounts& counts, const std::vector<PrintInfo>& pending,
                       const std::vector<ComingEvent>& events)
{
    QJsonArray prints;
    for (const PrintInfo& print : pending) {
        prints.append(printJson(print));
    }
    QJsonArray coming;
    for (const ComingEvent& event : events) {
        coming.append(eventJson(event));
    }
    return {{QStringLiteral("products"), counts.products},
            {QStringLiteral("discontinued"), counts.discontinued},
            {QStringLiteral("new"), counts.newTags},
            {QStringLiteral("changed"), counts.changed},
            {QStringLiteral("takedown"), counts.takeDown},
            {QStringLiteral("pending_prints"), prints},
            {QStringLiteral("pending_tags"), counts.pendingTags},
            {QStringLiteral("coming"), coming}};
}

QString mergeText(const MergeCounts& counts, qint64 importId)
{
    return QStringLiteral("取り込み %1: 行 %2、新規 %3、変更 %4、取り扱い終了 %5、使わない行 %6\n")
        .arg(importId)
        .arg(counts.rows)
        .arg(counts.added)
        .arg(counts.changed)
        .arg(counts.discontinued)
        .arg(counts.refused);
}

QJsonObject mergeJson(const MergeCounts& counts, qint64 importId)
{
    return {{QStringLiteral("import"), importId},
            {QStringLiteral("rows"), counts.rows},
            {QStringLiteral("new"), counts.added},
            {QStringLiteral("changed"), counts.changed},
            {QStringLiteral("discontinued"), counts.discontinued},
            {QStringLiteral("refused"), counts.refused},
            {QStringLiteral("unchanged"), counts.unchanged}};
}

QJsonObject historyJson(const ProductHistory& history)
{
    QJsonArray prices;
    for (const PriceChange& change : history.prices) {
        prices.append(QJsonObject {{QStringLiteral("valid_from"), change.validFrom},
                                   {QStringLiteral("tag_price"), change.tagPrice},
                                   {QStringLiteral("list_price"), change.listPrice},
                                   {QStringLiteral("price_includes_tax"), change.priceIncludesTax},
                                   {QStringLiteral("tax_rate"), change.taxRatePercent},
                                   {QStringLiteral("import"), change.importId},
                                   {QStringLiteral("file"), change.importFile}});
    }
    QJsonArray prints;
    for (const PrintedTag& printed : history.prints) {
        QJsonObject print = printJson(printed.print);
        print.insert(QStringLiteral("sheet"), printed.sheet);
        print.insert(QStringLiteral("slot"), printed.slot);
        print.insert(QStringLiteral("tag"), tagJson(printed.tag));
        prints.append(print);
    }
    QJsonArray offers;
    for (const OfferItem& item : history.offers) {
        offers.append(QJsonObject {
            {QStringLiteral("offer"), item.offerId},
            {QStringLiteral("name"), item.offerName},
            {QStringLiteral("period"), shownOfferPeriod(item.period)},
            {QStringLiteral("sale_price"), item.salePrice},
            {QStringLiteral("former_price"), item.formerPrice > 0 ? QJsonValue(item.formerPrice) : QJsonValue()},
            {QStringLiteral("former_price_note"), item.formerNote}});
    }
    return {{QStringLiteral("code"), history.product.code},
            {QStringLiteral("active"), history.product.active},
            {QStringLiteral("shelf"), history.product.shelf},
            {QStringLiteral("tag"), tagJson(history.product.tag)},
            {QStringLiteral("first_seen"), history.product.firstSeen},
            {QStringLiteral("last_seen"), history.product.lastSeen},
            {QStringLiteral("prices"), prices},
            {QStringLiteral("prints"), prints},
            {QStringLiteral("offers"), offers}};
}

QString checkEntryLine(const CheckEntry& entry)
{
    QString line
        = QStringLiteral("%1\t%2").arg(entry.location.isEmpty() ? QStringLiteral("-") : entry.location, entry.code);
    if (entry.productId != 0) {
        line += QStringLiteral("\t%1\t%2").arg(entry.name, yen(entry.price));
    }
    if (!entry.detail.isEmpty()) {
        line += u'\t' + entry.detail;
    }
    if (entry.tagCount > 1 && entry.verdict != CheckVerdict::missing) {
        line += QStringLiteral("\t札 %1/%2 枚").arg(entry.tags).arg(entry.tagCount);
    }
    return line;
}

QString checkText(const ShelfCheckRecord& check)
{
    QString text = QStringLiteral("棚チェック %1: 棚 %2、%3、読み取り %4 回\n")
                       .arg(check.id)
                       .arg(check.place, shownMoment(check.at))
                       .arg(check.scans);
    for (CheckVerdict verdict : allCheckVerdicts()) {
        const int count = check.count(verdict);
        if (count == 0) {
            continue;
        }
        text += QStringLiteral("%1 %2\n").arg(checkVerdictTitle(verdict)).arg(count);
        for (const CheckEntry& entry : check.entries) {
            if (entry.verdict == verdict) {
                text += QStringLiteral("  ") + checkEntryLine(entry) + u'\n';
            }
        }
    }
    if (check.entries.empty()) {
        text += QStringLiteral("調べる棚札はありませんでした\n");
    }
    return text;
}

QJsonObject checkJson(const ShelfCheckRecord& check)
{
    QJsonObject counts;
    for (CheckVerdict verdict : allCheckVerdicts()) {
        counts.insert(checkVerdictKey(verdict), check.count(verdict));
    }
    QJsonArray entries;
    for (const CheckEntry& entry : check.entries) {
        QJsonObject out {{QStringLiteral("verdict"), checkVerdictKey(entry.verdict)},
                         {QStringLiteral("title"), checkVerdictTitle(entry.verdict)},
                         {QStringLiteral("code"), entry.code},
                         {QStringLiteral("location"), entry.location},
                         {QStringLiteral("detail"), entry.detail},
                         {QStringLiteral("tags"), entry.tags}};
        if (entry.productId != 0) {
            out.insert(QStringLiteral("shelf"), entry.shelf);
            out.insert(QStringLiteral("name"), entry.name);
            out.insert(QStringLiteral("price"), entry.price);
            out.insert(QStringLiteral("tag_count"), entry.tagCount);
        }
        entries.append(out);
    }
    return {{QStringLiteral("check"), check.id},
            {QStringLiteral("as_of"), check.at.text()},
            {QStringLiteral("shown"), shownMoment(check.at)},
            {QStringLiteral("place"), check.place},
            {QStringLiteral("locations"), QJsonArray::fromStringList(check.locations)},
            {QStringLiteral("scans"), check.scans},
            {QStringLiteral("counts"), counts},
            {QStringLiteral("to_fix"), check.needsFixing()},
            {QStringLiteral("entries"), entries}};
}

QString checkListLine(const ShelfCheckRecord& check)
{
    return QStringLiteral("棚チェック %1\t%2\t%3\t読み取り %4")
        .arg(check.id)
        .arg(shownMoment(check.at), check.place)
        .arg(check.scans);
}

QString lastChecksText(const std::vector<LocationCheck>& locations)
{
    QString text;
    for (size_t first = 0; first < locations.size();) {
        size_t last = first;
        while (last + 1 < locations.size() && locations[last + 1].checkId == locations[first].checkId) {
            ++last;
        }
        int toFix = 0;
        for (size_t i = first; i <= last; ++i) {
            toFix += locations[i].toFix;
        }
        const QString where = first == last
            ? locations[first].location
            : locations[first].location + QStringLiteral("〜") + locations[last].location;
        const LocationCheck& check = locations[first];
        if (check.checkId == 0) {
            text += QStringLiteral("  %1  まだ\n").arg(where);
        } else {
            text += QStringLiteral("  %1  %2 (棚チェック %3、直す %4)\n")
                        .arg(where, shownMoment(check.at))
                        .arg(check.checkId)
                        .arg(toFix);
        }
        first = last + 1;
    }
    return text;
}

QJsonArray lastChecksJson(const std::vector<LocationCheck>& locations)
{
    QJsonArray out;
    for (const LocationCheck& location : locations) {
        QJsonObject row {{QStringLiteral("location"), location.location}};
        if (location.checkId != 0) {
            row.insert(QStringLiteral("check"), location.checkId);
            row.insert(QStringLiteral("as_of"), location.at.text());
            row.insert(QStringLiteral("shown"), shownMoment(location.at));
            row.insert(QStringLiteral("to_fix"), location.toFix);
        } else {
            row.insert(QStringLiteral("check"), QJsonValue::Null);
        }
        out.append(row);
    }
    return out;
}

}  // namespace catalogue::output
