#pragma once

// Pages whose tags show what lies beyond their records: sale tags with and without a former
// price, goods at 8 % and 10 %, a unit price each, on either format. Shared by the drawing's
// tests, the read-back of printed pages and the renders kept for a look.

#include "core/sheet/tag_sheet.h"

#include <QString>

#include <optional>
#include <vector>

namespace tagtexts {

// One tag of a sample page and what it should show.
struct SampleTag {
    const char* name;
    const char* maker;
    const char* spec;
    const char* jan;
    qint32 price;
    int ratePercent;
    const char* period;  // nullptr: not on sale
    qint32 formerPrice;  // with a period: 0 for none shown
    // The texts the tag shows with every text on.
    const char* unitPrice;
    const char* taxExclusive;
};

// The tags laid from slot 1; every one fits its texts on both formats.
inline const std::vector<SampleTag>& sampleTags()
{
    static const std::vector<SampleTag> tags {
        {"天然水", "棚札食品", "2L", "4901234567894", 98, 8, "12/16〜12/20", 128, "1Lあたり 49円", "（税抜 91円）"},
        {"緑茶", "棚札食品", "500ml", "4500000000018", 128, 8, nullptr, 0, "100mlあたり 25.6円", "（税抜 119円）"},
        {"洗剤", "棚札日用品", "600ml", "4500000000032", 248, 10, "17:00〜19:00", 0, "100mlあたり 41.3円",
         "（税抜 226円）"},
        {"カレー", "棚札食品", "200g", "4500000000049", 1980, 8, "12/16〜12/20", 2480, "100gあたり 990円",
         "（税抜 1,834円）"},
    };
    return tags;
}

// The record of `tag`.
inline sheet::TagRecord recordOf(const SampleTag& tag)
{
    sheet::TagRecord r;
    r.jan = QString::fromUtf8(tag.jan);
    r.maker = QString::fromUtf8(tag.maker);
    r.productName = QString::fromUtf8(tag.name);
    r.spec = QString::fromUtf8(tag.spec);
    r.price = tag.price;
    return r;
}

// Every text on, the mark ※.
inline sheet::TagTextChoices allTextsOn()
{
    sheet::TagTextChoices choices;
    choices.unitPrice = true;
    choices.taxExclusive = true;
    choices.reducedRateMark = true;
    return choices;
}

// A printed page of `format` with sampleTags() from slot 1, their rates and sales in its extras
// and `choices` chosen; `withFormer` false drops the former prices.
inline sheet::TagSheet sampleSheet(const sheet::SheetFormat& format, const sheet::TagTextChoices& choices,
                                   bool withFormer = true)
{
    sheet::TagSheet page(format);
    page.fileName = QStringLiteral("tagtexts");
    page.textChoices = choices;
    int slot = 1;
    for (const SampleTag& tag : sampleTags()) {
        page.record(slot) = recordOf(tag);
        sheet::TagExtras& extras = page.extras[slot];
        extras.taxRatePercent = tag.ratePercent;
        if (tag.period) {
            extras.sale = sheet::SaleMark {QString::fromUtf8(tag.period), withFormer ? tag.formerPrice : 0};
        }
        ++slot;
    }
    return page;
}

}  // namespace tagtexts
