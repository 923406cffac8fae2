// tanafuda-catalogue offer import / offer show / offer end, and offers: sale offers (特売).

#include "apps/catalogue/catalogue_command.h"
#include "apps/common/command_line.h"
#include "apps/common/list_options.h"
#include "core/catalogue/catalogue_report.h"
#include "core/jobs/catalogue_import.h"
#include "core/pricing/shop_time.h"

#include <QFileInfo>
#include <QJsonArray>

#include <functional>
#include <map>

namespace catalogue_command {

using command_line::say;

namespace {

QJsonObject offerJson(const catalogue::Offer& offer, const catalogue::Moment& now)
{
    return {
        {QStringLiteral("offer"), offer.id},
        {QStringLiteral("name"), offer.name},
        {QStringLiteral("first_day"), offer.firstDay.toString(Qt::ISODate)},
        {QStringLiteral("last_day"), offer.lastDay.toString(Qt::ISODate)},
        {QStringLiteral("period"), catalogue::shownOfferPeriod({{offer.firstDay, offer.lastDay}, offer.period.hours})},
        {QStringLiteral("ended_on"), offer.endedOn.isValid() ? offer.endedOn.toString(Qt::ISODate) : QString()},
        {QStringLiteral("products"), offer.products},
        {QStringLiteral("tags"), offer.tags},
        {QStringLiteral("state"), catalogue::offerStateKey(offer.stateAt(now))},
        {QStringLiteral("file"), offer.file}};
}

// "特売 1「12月第3週チラシ」12/16〜12/20  30 品 (棚札 37 枚)  実施中".
QString offerLine(const catalogue::Offer& offer, const catalogue::Moment& now)
{
    return QStringLiteral("特売 %1「%2」%3  %4 品 (棚札 %5 枚)  %6%7\n")
        .arg(offer.id)
        .arg(offer.name, catalogue::shownOfferPeriod({{offer.firstDay, offer.lastDay}, offer.period.hours}))
        .arg(offer.products)
        .arg(offer.tags)
        .arg(catalogue::offerStateTitle(offer.stateAt(now)),
             offer.endedOn.isValid() ? QStringLiteral(" (%1 に終了)").arg(pricing::shownDate(offer.endedOn))
                                     : QString());
}

int runOfferImport(const QStringList& arguments)
{
    std::vector<command_line::OptionRow> options {
        {{QStringLiteral("name")},
         QStringLiteral("the offer's name, e.g. 12月第3週チラシ (required)"),
         QStringLiteral("NAME")},
        {{QStringLiteral("from")}, QStringLiteral("the offer's first day"), QStringLiteral("YYYY-MM-DD")},
        {{QStringLiteral("to")}, QStringLiteral("the offer's last day (included)"), QStringLiteral("YYYY-MM-DD")},
        {{QStringLiteral("hours")}, QStringLiteral("a time sale's hours each day"), QStringLiteral("HH:MM-HH:MM")},
    };
    const auto listOptions = command_line::listOptionRows(jobs::catalogueColumnKeys(), QString());
    options.insert(options.end(), listOptions.begin(), listOptions.end());
    Command command({QStringLiteral("Takes a list of sale prices (a code and a sale price a row; optionally dates of "
                                    "its own: 開始日/終了日 or 期間, and 時間) into the catalogue as one offer. The "
                                    "options' dates fill the rows that give none. An offer that would give a product "
                                    "two sale prices at one moment is refused, and nothing is written."),
                     QStringLiteral("LIST"),
                     QStringLiteral("the list of sale prices"),
                     {},
                     options});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    if (command.positional().size() != 1) {
        return command.usage(QStringLiteral("give exactly one list"));
    }
    if (command.value("name").trimmed().isEmpty()) {
        return command.usage(QStringLiteral("give the offer's name with --name"));
    }
    pricing::OfferPeriod period;
    for (const auto& [option, day] : {std::pair {"from", &period.days.first}, std::pair {"to", &period.days.last}}) {
        if (command.isSet(option)) {
            *day = QDate::fromString(command.value(option), Qt::ISODate);
            if (!day->isValid()) {
                return command.usage(QStringLiteral("--%1 takes a day as YYYY-MM-DD").arg(QLatin1String(option)));
            }
        }
    }
    if (command.isSet("from") != command.isSet("to")) {
        return command.usage(QStringLiteral("give both --from and --to, or neither (when every row has its dates)"));
    }
    if (period.days.first.isValid() && period.days.last < period.days.first) {
        return command.usage(QStringLiteral("--to comes before --from"));
    }
    if (command.isSet("hours")) {
        const auto hours = pricing::readHoursCell(command.value("hours"));
        if (!hours.value) {
            return command.usage(QStringLiteral("--hours takes HH:MM-HH:MM: %1").arg(hours.refusal));
        }
        period.hours = hours.value;
    }
    jobs::ImportRequest request;
    settings::RememberedLayouts layouts;
    jobs::PreparedList prepared;
    if (const std::optional<int> failed = readNamedList(command, layouts, request, prepared)) {
        return *failed;
    }
    if (prepared.mapping.column(productlist::ListField::price) < 0) {
        return failWith(QStringLiteral("特価の列が分かりません。--map price=列 で指定してください (列: %1)")
                            .arg(prepared.list.columnTitles.join(QStringLiteral(", "))),
                        kUnreadable);
    }
    catalogue::CatalogueColumns columns;
    jobs::catalogueColumnsFor(prepared, request.otherColumns, columns, nullptr);
    const catalogue::OfferList offer
        = jobs::offerListOf(prepared, columns, command.value("name").trimmed(), period,
                            period.days.first.isValid() ? period.days.first : QDate::currentDate(),
                            QFileInfo(request.listPath).absoluteFilePath());
    const bool json = command.json();
    if (!json) {
        say(stdout,
            QStringLiteral("読み込み: %1 (%2行)\n列: %3 (価格は%4)\n")
                .arg(QFileInfo(request.listPath).fileName())
                .arg(prepared.list.rows.size())
                .arg(jobs::describeMapping(prepared.list, prepared.mapping, sheet::SheetFormat::small),
                     jobs::describeTax(prepared.tax)));
    }
    int exit = kDone;
    const auto opened = command.open(Command::Use::write, &exit);
    if (!opened) {
        return exit;
    }
    const catalogue::OfferImportResult imported = opened->importOffer(offer);
    if (imported.status == catalogue::Status::refused) {
        if (json) {
            sayJson({{QStringLiteral("offer"), QJsonValue::Null},
                     {QStringLiteral("overlaps"), QJsonArray::fromStringList(imported.overlaps)}});
        }
        return failWith(imported.message, kSomeRefused);
    }
    if (!imported.ok()) {
        return failWith(imported);
    }
    if (json) {
        QJsonArray refused;
        for (const catalogue::RefusedRow& row : imported.refused) {
            refused.append(QJsonObject {{QStringLiteral("row"), row.number}, {QStringLiteral("reason"), row.reason}});
        }
        sayJson({{QStringLiteral("offer"), imported.offerId},
                 {QStringLiteral("products"), imported.products},
                 {QStringLiteral("refused_rows"), refused}});
    } else {
        QString text;
        std::vector<catalogue::RefusedRow> refused = imported.refused;
        std::sort(refused.begin(), refused.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
        for (const catalogue::RefusedRow& row : refused) {
            text += QStringLiteral("%1行目 使いません: %2\n").arg(row.number).arg(row.reason);
        }
        const auto detail = opened->offer(imported.offerId);
        text += QStringLiteral("特売 %1「%2」%3: %4 品を取り込みました (使わない行 %5)\n")
                    .arg(imported.offerId)
                    .arg(offer.name,
                         detail ? catalogue::shownOfferPeriod(
                             {{detail->offer.firstDay, detail->offer.lastDay}, detail->offer.period.hours})
                                : QString())
                    .arg(imported.products)
                    .arg(refused.size());
        say(stdout, text);
    }
    return imported.refused.empty() ? kDone : kSomeRefused;
}

int runOfferShow(const QStringList& arguments)
{
    Command command({QStringLiteral("Shows one offer with its products, their sale prices and former prices."),
                     QStringLiteral("OFFER"),
                     QStringLiteral("the offer's number"),
                     {},
                     {}});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    bool ok = false;
    const qint64 offerId = command.positional().size() == 1 ? command.positional().front().toLongLong(&ok) : 0;
    if (!ok || offerId <= 0) {
        return command.usage(QStringLiteral("give the number of one offer"));
    }
    int exit = kDone;
    const auto opened = command.open(Command::Use::read, &exit);
    if (!opened) {
        return exit;
    }
    catalogue::Result outcome;
    const auto detail = opened->offer(offerId, &outcome);
    if (!detail) {
        return failWith(outcome);
    }
    const catalogue::Moment now = catalogue::Moment::now();
    if (command.json()) {
        QJsonObject out = offerJson(detail->offer, now);
        QJsonArray items;
        for (const auto& [product, item] : detail->items) {
            items.append(QJsonObject {
                {QStringLiteral("code"), product.code},
                {QStringLiteral("name"), product.tag.productName},
                {QStringLiteral("shelf"), product.shelf},
                {QStringLiteral("sale_price"), item.salePrice},
                {QStringLiteral("period"), catalogue::shownOfferPeriod(item.period)},
                {QStringLiteral("former_price"), item.formerPrice > 0 ? QJsonValue(item.formerPrice) : QJsonValue()},
                {QStringLiteral("former_price_note"), item.formerNote}});
        }
        out.insert(QStringLiteral("items"), items);
        sayJson(out);
        return kDone;
    }
    QString text = offerLine(detail->offer, now);
    for (const auto& [product, item] : detail->items) {
        text += QStringLiteral("  %1\t%2\t%3\t特価 %4\t%5\t%6\n")
                    .arg(product.shelf.isEmpty() ? QStringLiteral("-") : product.shelf, product.code,
                         QStringLiteral("%1 %2 %3")
                             .arg(product.tag.maker, product.tag.productName, product.tag.spec)
                             .simplified(),
                         catalogue::report::yen(item.salePrice), catalogue::shownOfferPeriod(item.period),
                         item.formerPrice > 0
                             ? QStringLiteral("当店通常価格 %1").arg(catalogue::report::yen(item.formerPrice))
                             : QStringLiteral("通常価格は出しません (%1)").arg(item.formerNote));
    }
    say(stdout, text);
    return kDone;
}

int runOfferEnd(const QStringList& arguments)
{
    Command command({QStringLiteral("Ends an offer early: from the day given it no longer holds, and its tags need "
                                    "going back from that day."),
                     QStringLiteral("OFFER"),
                     QStringLiteral("the offer's number"),
                     {},
                     {{{QStringLiteral("on")},
                       QStringLiteral("the first day without the offer (default today)"),
                       QStringLiteral("YYYY-MM-DD")}}});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    bool ok = false;
    const qint64 offerId = command.positional().size() == 1 ? command.positional().front().toLongLong(&ok) : 0;
    if (!ok || offerId <= 0) {
        return command.usage(QStringLiteral("give the number of one offer"));
    }
    QDate on = QDate::currentDate();
    if (command.isSet("on")) {
        on = QDate::fromString(command.value("on"), Qt::ISODate);
        if (!on.isValid()) {
            return command.usage(QStringLiteral("--on takes a day as YYYY-MM-DD"));
        }
    }
    int exit = kDone;
    const auto opened = command.open(Command::Use::write, &exit);
    if (!opened) {
        return exit;
    }
    const catalogue::Result outcome = opened->endOffer(offerId, on);
    if (!outcome.ok()) {
        return failWith(outcome.message,
                        outcome.status == catalogue::Status::refused ? kUsage : exitOf(outcome.status));
    }
    say(stdout,
        QStringLiteral("特売 %1 を %2 から終わりにしました。その日から棚札を戻します。\n")
            .arg(offerId)
            .arg(pricing::shownDate(on)));
    return kDone;
}

}  // namespace

int runOffers(const QStringList& arguments)
{
    Command command({QStringLiteral("Lists the offers with their dates, product counts and state."), {}, {}, {}, {}});
    if (int exit = kDone; !command.parse(arguments, &exit)) {
        return exit;
    }
    int exit = kDone;
    const auto opened = command.open(Command::Use::read, &exit);
    if (!opened) {
        return exit;
    }
    catalogue::Result outcome;
    const std::vector<catalogue::Offer> offers = opened->offers(&outcome);
    if (!outcome.ok()) {
        return failWith(outcome);
    }
    const catalogue::Moment now = catalogue::Moment::now();
    if (command.json()) {
        QJsonArray array;
        for (const catalogue::Offer& offer : offers) {
            array.append(offerJson(offer, now));
        }
        sayJson({{QStringLiteral("offers"), array}});
    } else {
        QString text;
        for (const catalogue::Offer& offer : offers) {
            text += offerLine(offer, now);
        }
        say(stdout, text.isEmpty() ? QStringLiteral("特売はありません\n") : text);
    }
    return kDone;
}

int runOffer(const QStringList& arguments)
{
    static const std::map<QString, std::function<int(const QStringList&)>> actions {
        {QStringLiteral("import"), runOfferImport},
        {QStringLiteral("show"), runOfferShow},
        {QStringLiteral("end"), runOfferEnd}};
    const QString action = arguments.value(1);
    const auto it = actions.find(action);
    if (it == actions.end()) {
        return failWith(action.isEmpty()
                            ? QStringLiteral("offer takes import, show or end")
                            : QStringLiteral("unknown offer action \"%1\" (import, show or end)").arg(action),
                        kUsage);
    }
    QCoreApplication::setApplicationName(QCoreApplication::applicationName() + u' ' + action);
    QStringList rest = arguments;
    rest.removeAt(1);
    return it->second(rest);
}

}  // namespace catalogue_command
