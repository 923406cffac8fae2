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

QString statusText(const catalogue::StatusCounts& counts, const std::vector<catalogue::PrintInfo>& pending);
QJsonObject statusJson(const catalogue::StatusCounts& counts, const std::vector<catalogue::PrintInfo>& pending);

QString mergeText(const catalogue::MergeCounts& counts, qint64 importId);
QJsonObject mergeJson(const catalogue::MergeCounts& counts, qint64 importId);

QJsonObject printJson(const catalogue::PrintInfo& print);

QString historyText(const catalogue::ProductHistory& history);
QJsonObject historyJson(const catalogue::ProductHistory& history);

}  // namespace catalogue::report
