#pragma once

// The catalogue's listings as lines of text or as JSON, as the command line and the window show them.

#include "core/catalogue/catalogue.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <vector>

namespace catalogue::report {

QString yen(qint64 amount);  // "1,280円"

// "価格 198円 → 218円、商品名「...」→「...」" for a changed tag; empty for any other.
QString changeText(const catalogue::TagNeed& need);
// What changed on a need's tag beyond its sale starting, ending or changing: the former price
// shown within the same offer, and each field from the shelf tag's to the product's.
QStringList tagFieldChanges(const catalogue::TagNeed& need);
// One line of `changes` or `takedown`: kind, shelf, code, name, what changed.
QString needLine(const catalogue::TagNeed& need);
QJsonObject needJson(const catalogue::TagNeed& need);

// "特売「12月第3週チラシ」12/16〜12/20、当店通常価格 238円" (or why no former price is shown).
QString saleText(const catalogue::SaleTag& sale);

// The counts, the prints not yet confirmed, and the days ahead on which tags change (an urgent one
// marked ！).
QString statusText(const catalogue::StatusCounts& counts, const std::vector<catalogue::PrintInfo>& pending,
                   const std::vector<catalogue::ComingEvent>& events = {});
QJsonObject statusJson(const catalogue::StatusCounts& counts, const std::vector<catalogue::PrintInfo>& pending,
                       const std::vector<catalogue::ComingEvent>& events = {});
// "12/16(水) 特売開始 37 枚 「12月第3週チラシ」".
QString eventLine(const catalogue::ComingEvent& event);

QString mergeText(const catalogue::MergeCounts& counts, qint64 importId);
QJsonObject mergeJson(const catalogue::MergeCounts& counts, qint64 importId);

QJsonObject printJson(const catalogue::PrintInfo& print);

QString historyText(const catalogue::ProductHistory& history);
QJsonObject historyJson(const catalogue::ProductHistory& history);

// A shelf check: a heading (its number, place, moment and scans), then for each verdict found its
// title and count and its entries, one line each ("A-1  4912345000106  商品  258円  価格 238円 → 258円").
QString checkText(const catalogue::ShelfCheckRecord& check);
QString checkEntryLine(const catalogue::CheckEntry& entry);
QJsonObject checkJson(const catalogue::ShelfCheckRecord& check);
// One line of the kept checks: "棚チェック 3  12/16(水) 17:00  A-1  読み取り 23  直す 4".
QString checkListLine(const catalogue::ShelfCheckRecord& check);
// When each location was last checked, neighbouring locations last checked by the same check (or
// never) on one line: "  A-1〜A-12  12/16(水) 17:00 (棚チェック 3、直す 4)", "  B-1〜B-3  まだ".
QString lastChecksText(const std::vector<catalogue::LocationCheck>& locations);
QJsonArray lastChecksJson(const std::vector<catalogue::LocationCheck>& locations);

}  // namespace catalogue::report
