#include "core/catalogue/catalogue_report.h"

#include "core/pricing/shop_time.h"
#include "core/sheet/field_entry.h"

#include <QLocale>
#include <QStringList>

namespace catalogue::report {

namespace {

// When a print was made, in the shop's time; a print of before such times were kept as it is.
QString shownMade(const QString& createdAt)
{
    const QString local = pricing::shownInstant(createdAt);
    return local.isEmpty() ? createdAt : local;
}

}  // namespace

QString yen(qint64 amount)
{
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(amount) + QStringLiteral("円");
}

QString saleText(const SaleTag& sale)
{
    QString text = QStringLiteral("特売「%1」%2").arg(sale.offerName, shownOfferPeriod(sale.period));
    if (sale.formerPrice > 0) {
        text += QStringLiteral("、当店通常価格 %1").arg(yen(sale.formerPrice));
    } else {
        text += QStringLiteral("、通常価格は出しません (%1)").arg(sale.formerNote);
    }
    return text;
}

QStringList tagFieldChanges(const TagNeed& need)
{
    QStringList parts;
    if (saleChangeOf(need) == SaleChange::none && need.sale && need.shelfOfferId == need.sale->offerId
        && need.shelfFormerPrice != need.sale->formerPrice) {
        parts << QStringLiteral("当店通常価格 %1 → %2")
                     .arg(need.shelfFormerPrice > 0 ? yen(need.shelfFormerPrice) : QStringLiteral("なし"),
                          need.sale->formerPrice > 0 ? yen(need.sale->formerPrice) : QStringLiteral("なし"));
    }
    for (sheet::Field field : need.changedFields) {
        if (field == sheet::Field::price) {
            parts << QStringLiteral("価格 %1 → %2").arg(yen(need.shelfTag->price), yen(need.product.tag.price));
        } else {
            parts << QStringLiteral("%1「%2」→「%3」")
                         .arg(tagFieldTitle(field), sheet::fieldText(*need.shelfTag, field),
                              sheet::fieldText(need.product.tag, field));
        }
    }
    return parts;
}

QString changeText(const TagNeed& need)
{
    if (need.kind != NeedKind::changed || !need.shelfTag) {
        return {};
    }
    QStringList parts;
    switch (saleChangeOf(need)) {
    case SaleChange::starts:
        parts << QStringLiteral("特売開始");
        break;
    case SaleChange::ends:
        parts << QStringLiteral("特売終了・戻し");
        break;
    case SaleChange::changes:
        parts << QStringLiteral("特売の変更");
        break;
    case SaleChange::none:
        break;
    }
    return (parts + tagFieldChanges(need)).join(QStringLiteral("、"));
}

QString eventLine(const ComingEvent& event)
{
    const QString when
        = event.at.minutes == 0 ? pricing::shownDate(event.at.day) : pricing::shownDateTime(event.at.toDateTime());
    QString line = QStringLiteral("%1 %2 %3 枚").arg(when, eventKindTitle(event.kind)).arg(event.tags);
    if (!event.name.isEmpty()) {
        line += event.kind == EventKind::priceList ? QStringLiteral(" (%1)").arg(event.name)
                                                   : QStringLiteral(" 「%1」").arg(event.name);
    }
    if (event.ready > 0) {
        line += event.ready >= event.tags ? QStringLiteral(" 印刷・確認済み")
                                          : QStringLiteral(" (印刷・確認済み %1 枚)").arg(event.ready);
    }
    return line;
}

QString historyText(const ProductHistory& history)
{
    const Product& p = history.product;
    QString text = QStringLiteral("%1  %2 %3 %4  %5%6\n")
                       .arg(p.code, p.tag.maker, p.tag.productName, p.tag.spec, yen(p.tag.price),
                            p.active ? QString() : QStringLiteral(" (取り扱い終了)"));
    text += QStringLiteral("価格の履歴:\n");
    for (const PriceChange& change : history.prices) {
        text += QStringLiteral("  %1から %2 (取り込み %3: %4)\n")
                    .arg(change.validFrom, yen(change.tagPrice))
                    .arg(change.importId)
                    .arg(change.importFile);
    }
    text += QStringLiteral("棚札の印刷:\n");
    if (history.prints.empty()) {
        text += QStringLiteral("  なし\n");
    }
    for (const PrintedTag& printed : history.prints) {
        text += QStringLiteral("  印刷 %1 (%2) シート %3 の %4 枚目 %5 %6\n")
                    .arg(printed.print.id)
                    .arg(shownMade(printed.print.createdAt))
                    .arg(printed.sheet)
                    .arg(printed.slot)
                    .arg(yen(printed.tag.price) + (printed.offerId != 0 ? QStringLiteral(" 特価") : QString()),
                         printStateTitle(printed.print.state));
    }
    if (!history.offers.empty()) {
        text += QStringLiteral("特売:\n");
        for (const OfferItem& item : history.offers) {
            text += QStringLiteral("  特売 %1「%2」%3 特価 %4、%5\n")
                        .arg(item.offerId)
                        .arg(item.offerName, shownOfferPeriod(item.period), yen(item.salePrice),
                             item.formerPrice > 0 ? QStringLiteral("当店通常価格 %1").arg(yen(item.formerPrice))
                                                  : QStringLiteral("通常価格は出しません (%1)").arg(item.formerNote));
        }
    }
    return text;
}

}  // namespace catalogue::report
