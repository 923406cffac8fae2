#pragma once

// What a print laid, read back from the catalogue as another program reads it: the window tests
// check a print by the tags it holds.

#include "core/catalogue/catalogue.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <tuple>
#include <vector>

namespace test_support {

// The tags print `printId` laid of the products `codes`, in the order laid: "slot code price"
// (slots from 1 on each sheet; a print of several sheets prefixes "sheet/").
inline QStringList laidTags(const catalogue::Catalogue& catalogue, qint64 printId, const QStringList& codes)
{
    std::vector<std::tuple<int, int, QString>> laid;
    int sheets = 1;
    for (const QString& code : codes) {
        const auto history = catalogue.history(code);
        if (!history) {
            laid.emplace_back(0, 0, code + QStringLiteral(" (no history)"));
            continue;
        }
        for (const catalogue::PrintedTag& printed : history->prints) {
            if (printed.print.id == printId) {
                sheets = std::max(sheets, printed.sheet);
                laid.emplace_back(printed.sheet, printed.slot,
                                  QStringLiteral("%1 %2").arg(code).arg(printed.tag.price));
            }
        }
    }
    std::sort(laid.begin(), laid.end());
    QStringList out;
    for (const auto& [sheet, slot, text] : laid) {
        out << (sheets > 1 ? QStringLiteral("%1/%2 %3").arg(sheet).arg(slot).arg(text)
                           : QStringLiteral("%1 %2").arg(slot).arg(text));
    }
    return out;
}

}  // namespace test_support
