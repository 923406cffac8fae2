#include "core/jobs/product_lookup.h"

#include "core/barcode/barcode.h"

#include <algorithm>

namespace jobs {

QStringList codesOfJanText(const QString& janText)
{
    QStringList codes {janText};
    const bool digitsOnly
        = std::all_of(janText.cbegin(), janText.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (digitsOnly && (janText.size() == 12 || janText.size() == 7)) {
        codes.append(janText + QChar(u'0' + barcode::checkDigitOf(janText)));
    }
    return codes;
}

std::vector<sheet::Field> fillEmptyFields(sheet::TagRecord& record, const sheet::TagRecord& from,
                                          const sheet::SheetFormat& format)
{
    std::vector<sheet::Field> filled;
    for (sheet::Field field : {sheet::Field::maker, sheet::Field::productName, sheet::Field::productName2,
                               sheet::Field::spec, sheet::Field::lot}) {
        if (field == sheet::Field::productName2 && !format.hasProductName2) {
            continue;
        }
        QString* text = sheet::textMember(record, field);
        const QString given = sheet::fieldText(from, field);
        if (text->isEmpty() && !given.isEmpty()) {
            *text = given;
            filled.push_back(field);
        }
    }
    if (record.price == 0 && from.price > 0 && from.price <= sheet::kMaxPrice) {
        record.price = from.price;
        filled.push_back(sheet::Field::price);
    }
    return filled;
}

}  // namespace jobs
