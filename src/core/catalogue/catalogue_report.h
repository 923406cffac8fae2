#pragma once

// The catalogue's words that the command line and the windows both show: a yen amount, what changed
// on a tag, a sale, a coming date, a product's history. The command's own listings and JSON are in
// apps/catalogue/catalogue_output.h.

#include "core/catalogue/catalogue.h"

#include <QString>
#include <QStringList>

namespace catalogue::report {

QString yen(qint64 amount);  // "1,280円"

// "価格 198円 → 218円、商品名「...」→「...」" for a changed tag; empty for any other.
QString changeText(const catalogue::TagNeed& need);

// What changed on a need's tag beyond its sale starting, ending or changing: the former price
// shown within the same offer, and each field from the shelf tag's to the product's.
QStringList tagFieldChanges(const catalogue::TagNeed& need);

// "特売「12月第3週チラシ」12/16〜12/20、当店通常価格 238円" (or why no former price is shown).
QString saleText(const catalogue::SaleTag& sale);

// "12/16(水) 特売開始 37 枚 「12月第3週チラシ」".
QString eventLine(const catalogue::ComingEvent& event);

QString historyText(const catalogue::ProductHistory& history);

}  // namespace catalogue::report
