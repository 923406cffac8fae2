#include "core/catalogue/rules/shelf_check.h"

#include "core/catalogue/rules/shelf_order.h"

#include <algorithm>

namespace catalogue {

namespace {

struct VerdictNames {
    CheckVerdict verdict;
    const char16_t* title;
    const char* key;
};

const VerdictNames kVerdictNames[] = {
    {CheckVerdict::wrong, u"違う", "wrong"},
    {CheckVerdict::missing, u"ない", "missing"},
    {CheckVerdict::outOfPlace, u"場所違い", "out-of-place"},
    {CheckVerdict::unknown, u"不明", "unknown"},
    {CheckVerdict::leftUp, u"取り下げ忘れ", "left-up"},
    {CheckVerdict::right, u"正しい", "right"},
};

// A location as compared: width and case folded, surrounding spaces dropped.
QString foldedLocation(const QString& location)
{
    return naturalSortKey(location.trimmed());
}

}  // namespace

QString checkVerdictTitle(CheckVerdict verdict)
{
    return QString::fromUtf16(kVerdictNames[int(verdict)].title);
}

QString checkVerdictKey(CheckVerdict verdict)
{
    return QString::fromLatin1(kVerdictNames[int(verdict)].key);
}

std::optional<CheckVerdict> checkVerdictOfKey(const QString& key)
{
    for (const VerdictNames& names : kVerdictNames) {
        if (key == QLatin1String(names.key)) {
            return names.verdict;
        }
    }
    return std::nullopt;
}

const std::vector<CheckVerdict>& allCheckVerdicts()
{
    static const std::vector<CheckVerdict> all {CheckVerdict::wrong,   CheckVerdict::missing, CheckVerdict::outOfPlace,
                                                CheckVerdict::unknown, CheckVerdict::leftUp,  CheckVerdict::right};
    return all;
}

CheckPlace CheckPlace::location(const QString& location)
{
    return {Kind::location, location.trimmed(), location.trimmed()};
}

CheckPlace CheckPlace::range(const QString& first, const QString& last)
{
    // Given the wrong way round, the same locations.
    if (compareNaturally(first.trimmed(), last.trimmed()) > 0) {
        return {Kind::range, last.trimmed(), first.trimmed()};
    }
    return {Kind::range, first.trimmed(), last.trimmed()};
}

CheckPlace CheckPlace::all()
{
    return {};
}

bool sameLocation(const QString& a, const QString& b)
{
    return compareSortKeys(foldedLocation(a), foldedLocation(b)) == 0;
}

bool CheckPlace::contains(const QString& location) const
{
    switch (kind) {
    case Kind::all:
        return true;
    case Kind::location:
        return sameLocation(first, location);
    case Kind::range: {
        // A product without a location is in no range.
        const QString folded = foldedLocation(location);
        return !folded.isEmpty() && compareSortKeys(foldedLocation(first), folded) <= 0
            && compareSortKeys(folded, foldedLocation(last)) <= 0;
    }
    }
    return false;
}

QString CheckPlace::text() const
{
    switch (kind) {
    case Kind::all:
        return QStringLiteral("全部");
    case Kind::location:
        return first;
    case Kind::range:
        return first + QStringLiteral("〜") + last;
    }
    return {};
}

int ShelfCheckRecord::count(CheckVerdict verdict) const
{
    return int(std::count_if(entries.begin(), entries.end(),
                             [verdict](const CheckEntry& entry) { return entry.verdict == verdict; }));
}

bool ShelfCheckRecord::needsFixing() const
{
    return std::any_of(entries.begin(), entries.end(),
                       [](const CheckEntry& entry) { return catalogue::needsFixing(entry.verdict); });
}

void sortCheckEntries(std::vector<CheckEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const CheckEntry& a, const CheckEntry& b) {
        if (a.verdict != b.verdict) {
            return int(a.verdict) < int(b.verdict);
        }
        if (const int c = compareSortKeys(foldedLocation(a.location), foldedLocation(b.location)); c != 0) {
            return c < 0;
        }
        return a.listOrder < b.listOrder;
    });
}

}  // namespace catalogue
