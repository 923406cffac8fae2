#pragma once

// Records whose every member tells which record it came from, for tests that move records about.

#include "core/sheet/tag_sheet.h"

#include <QString>

#include <ostream>

// A record named `name`: the product name is `name`, every other text member carries it with a
// prefix of its own, and the price is `price`.
inline sheet::TagRecord sampleRecord(const QString& name, qint32 price = 100)
{
    sheet::TagRecord r;
    r.jan = QStringLiteral("4901234567894");
    r.maker = QStringLiteral("mk-") + name;
    r.productName = name;
    r.productName2 = QStringLiteral("2-") + name;
    r.spec = QStringLiteral("sp-") + name;
    r.lot = QStringLiteral("lt-") + name;
    r.price = price;
    return r;
}

namespace sheet {
// A record in failure messages: its product name and price.
inline void PrintTo(const TagRecord& r, std::ostream* os)
{
    *os << '{' << r.productName.toStdString() << ' ' << r.price << '}';
}
}  // namespace sheet
