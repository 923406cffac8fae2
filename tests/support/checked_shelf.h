#pragma once
// A shop's shelf A-1 as a shelf check finds it: last week's tags printed and confirmed, then this
// week's list taken in. Scanned along A-1: the water's tag is right, the milk's shows last week's
// price, the crisps' tag is missing, the green tea's tag hangs here though the tea moved to B-1,
// the detergent was discontinued with its tag left up, and one code belongs to no product.

#include "core/catalogue/catalogue.h"
#include "core/jobs/catalogue_print.h"

#include <QString>

#include <memory>

namespace test_support {

struct ShelfProduct {
    const char* code;
    const char* name;
    qint64 lastWeek;  // price; 0: not in that list
    qint64 thisWeek;  // price; 0: not in that list (discontinued)
    const char* shelf;
};

inline const ShelfProduct kShelf[] = {
    {"4900000000016", "天然水 2L", 98, 98, "A-1"},        {"4900000000023", "牛乳 1L", 198, 218, "A-1"},
    {"4900000000030", "ポテトチップス", 158, 158, "A-1"}, {"4900000000047", "緑茶 500ml", 128, 128, "B-1"},
    {"4900000000054", "洗濯洗剤", 328, 0, "A-1"},
};
inline const QString kWater = QString::fromLatin1(kShelf[0].code);
inline const QString kMilk = QString::fromLatin1(kShelf[1].code);
inline const QString kCrisps = QString::fromLatin1(kShelf[2].code);
inline const QString kTea = QString::fromLatin1(kShelf[3].code);
inline const QString kDetergent = QString::fromLatin1(kShelf[4].code);
inline const QString kUnknownCode = QStringLiteral("4901234567894");

inline catalogue::IncomingList shelfList(bool thisWeek)
{
    catalogue::IncomingList list;
    list.fileName = thisWeek ? QStringLiteral("this-week.csv") : QStringLiteral("last-week.csv");
    int order = 2;
    for (const ShelfProduct& row : kShelf) {
        const qint64 price = thisWeek ? row.thisWeek : row.lastWeek;
        if (price == 0) {
            continue;
        }
        catalogue::IncomingProduct p;
        p.code = p.tag.jan = QString::fromLatin1(row.code);
        p.tag.maker = QStringLiteral("テスト食品");
        p.tag.productName = QString::fromUtf8(row.name);
        p.listPrice = p.tag.price = price;
        p.shelf = QString::fromUtf8(row.shelf);
        p.listOrder = order++;
        list.products.push_back(std::move(p));
    }
    list.rowCount = int(list.products.size());
    return list;
}

// Makes the catalogue at `address` as the shelf stands; false (with a failure added) when it
// could not be made.
inline bool makeCheckedShelf(const catalogue::CatalogueAddress& address)
{
    catalogue::Result outcome;
    const auto made = catalogue::Catalogue::open(address, {true}, &outcome);
    if (!made || !made->merge(shelfList(false), {}).ok()) {
        return false;
    }
    const auto delivered = [](std::vector<sheet::TagSheet>&) {
        return jobs::DeliveryResult {true, false, QStringLiteral("test"), {}, {}};
    };
    const jobs::CataloguePrintResult printed = jobs::printAndRecord(
        *made, made->tagNeeds(false, &outcome), sheet::SheetFormat::large, 1, jobs::NeedFilter::all, delivered);
    return printed.status == jobs::CataloguePrintStatus::recorded
        && made->decidePrint(printed.printId, catalogue::PrintState::confirmed).ok()
        && made->merge(shelfList(true), {}).ok();
}

}  // namespace test_support
