#pragma once

// Amounts of yen as the tags' small print shows them: digits grouped by three, as the tag's own
// price is drawn, and a tenth of a yen where a unit price has one.

#include <QString>
#include <QtGlobal>

namespace pricing {

// "0", "980", "1,078", "1,234,567"; a negative amount keeps its sign: "-1,000".
QString groupedYen(qint64 yen);

// A unit price in tenths of a yen: 398 -> "39.8", 5980 -> "598" (a whole yen shows no ".0"),
// 18857 -> "1,885.7". Unit prices are never negative; `tenths` must not be.
QString tenthsOfYenText(qint64 tenths);

}  // namespace pricing
