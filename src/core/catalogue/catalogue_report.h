#pragma once

// The catalogue's listings as lines of text or as JSON, as the command line and the window show them.

#include "core/catalogue/catalogue.h"

#include <QJsonObject>
#include <QString>

#include <vector>

namespace catalogue::report {

QString yen(qint64 amount);  // "1,280円"

// "価格 198円 → 218円、商品名「...」→「...」" for a changed tag; empty for any other.
QString changeText(const catalogue::TagNeed& need);
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

}  // namespace catalogue::report
