#pragma once

// tanafuda-catalogue's listings as lines of text or as JSON: the products that need a tag, the
// status, a merge, a print, a product's history and the shelf checks.

#include "core/catalogue/catalogue_report.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <vector>

namespace catalogue::output {

// One line of `changes` or `takedown`: kind, shelf, code, name, what changed.
QString needLine(const catalogue::TagNeed& need);

QJsonObject needJson(const catalogue::TagNeed& need);

// The counts, the prints not yet confirmed, and the days ahead on which tags change (an urgent one
// marked ！).
QString statusText(const catalogue::StatusCounts& counts, const std::vector<catalogue::PrintInfo>& pending,
                   const std::vector<catalogue::ComingEvent>& events = {});

QJsonObject statusJson(const catalogue::StatusCounts& counts, const std::vector<catalogue::PrintInfo>& pending,
                       const std::vector<catalogue::ComingEvent>& events = {});

QString mergeText(const catalogue::MergeCounts& counts, qint64 importId);

QJsonObject mergeJson(const catalogue::MergeCounts& counts, qint64 importId);

QJsonObject printJson(const catalogue::PrintInfo& print);

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

}  // namespace catalogue::output
