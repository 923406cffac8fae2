#pragma once
// A shop's product list as the catalogue takes it in, for the benchmarks: `products` products on
// 20 aisles of 37 locations; every 20th product's price differs between odd and even weeks.

#include "core/catalogue/catalogue.h"

#include <QString>

namespace test_support {

inline catalogue::IncomingList aisleList(int products, int week)
{
    catalogue::IncomingList list;
    list.fileName = QStringLiteral("week%1.csv").arg(week);
    list.rowCount = products;
    for (int n = 0; n < products; ++n) {
        catalogue::IncomingProduct p;
        p.code = p.tag.jan = QStringLiteral("49%1").arg(n, 11, 10, QLatin1Char('0'));
        p.tag.maker = QStringLiteral("メーカー%1").arg(n % 50);
        p.tag.productName = QStringLiteral("商品%1").arg(n);
        p.tag.spec = QStringLiteral("100g");
        p.listPrice = p.tag.price = 100 + n % 900 + (n % 20 == 0 && week % 2 == 0 ? 10 : 0);
        p.shelf = QStringLiteral("%1-%2").arg(QChar(u'A' + n % 20)).arg(n % 37 + 1);
        p.listOrder = n + 2;
        list.products.push_back(std::move(p));
    }
    return list;
}

}  // namespace test_support
