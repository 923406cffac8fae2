#include "core/catalogue/rules/shelf_order.h"

#include <QHash>

#include <algorithm>

namespace catalogue {

namespace {

bool isDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}

// The digits of a run without its leading zeros ("007" -> "7"; "000" -> "0").
QStringView significant(QStringView digits)
{
    qsizetype first = 0;
    while (first + 1 < digits.size() && digits.at(first) == u'0') {
        ++first;
    }
    return digits.mid(first);
}

}  // namespace

QString naturalSortKey(const QString& location)
{
    bool plain = true;
    for (QChar ch : location) {
        if (ch.unicode() >= 0x7F || (ch >= u'a' && ch <= u'z')) {
            plain = false;
            break;
        }
    }
    return plain ? location : location.normalized(QString::NormalizationForm_KC).toUpper();
}

int compareNaturally(const QString& a, const QString& b)
{
    const int folded = compareSortKeys(naturalSortKey(a), naturalSortKey(b));
    // Equal when folded: the original texts decide, so that the order is total.
    return folded != 0 ? folded : a.compare(b);
}

int compareSortKeys(const QString& x, const QString& y)
{
    if (x.isEmpty() || y.isEmpty()) {
        return x.isEmpty() == y.isEmpty() ? 0 : (x.isEmpty() ? 1 : -1);
    }
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < x.size() && j < y.size()) {
        if (isDigit(x.at(i)) && isDigit(y.at(j))) {
            qsizetype iEnd = i;
            while (iEnd < x.size() && isDigit(x.at(iEnd))) {
                ++iEnd;
            }
            qsizetype jEnd = j;
            while (jEnd < y.size() && isDigit(y.at(jEnd))) {
                ++jEnd;
            }
            const QStringView m = significant(QStringView(x).mid(i, iEnd - i));
            const QStringView n = significant(QStringView(y).mid(j, jEnd - j));
            if (m.size() != n.size()) {
                return m.size() < n.size() ? -1 : 1;
            }
            if (const int c = m.compare(n); c != 0) {
                return c;
            }
            i = iEnd;
            j = jEnd;
            continue;
        }
        if (x.at(i) != y.at(j)) {
            return x.at(i) < y.at(j) ? -1 : 1;
        }
        ++i;
        ++j;
    }
    if (i < x.size() || j < y.size()) {
        return i < x.size() ? 1 : -1;
    }
    return 0;
}

// Each distinct location's place in shelf order: the natural order, then the text itself. A shop
// has a few hundred locations for many thousands of products, so the natural comparison is made
// between locations once and the products are then sorted by numbers.
QHash<QString, int> shelfRanks(const QStringList& shelves)
{
    std::vector<std::pair<QString, QString>> keyed;  // sort key, location
    keyed.reserve(size_t(shelves.size()));
    for (const QString& shelf : shelves) {
        keyed.emplace_back(naturalSortKey(shelf), shelf);
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        if (const int natural = compareSortKeys(a.first, b.first); natural != 0) {
            return natural < 0;
        }
        return a.second < b.second;
    });
    QHash<QString, int> ranks;
    ranks.reserve(int(keyed.size()));
    for (size_t rank = 0; rank < keyed.size(); ++rank) {
        ranks.insert(keyed[rank].second, int(rank));
    }
    return ranks;
}

void sortInShelfOrder(std::vector<TagNeed>& needs)
{
    QHash<QString, int> seen;
    for (const TagNeed& need : needs) {
        seen.insert(need.product.shelf, 0);
    }
    const QHash<QString, int> ranks = shelfRanks(seen.keys());
    std::vector<int> rankOf(needs.size());
    for (size_t i = 0; i < needs.size(); ++i) {
        rankOf[i] = ranks.value(needs[i].product.shelf);
    }
    std::vector<size_t> order(needs.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (rankOf[a] != rankOf[b]) {
            return rankOf[a] < rankOf[b];
        }
        const Product& x = needs[a].product;
        const Product& y = needs[b].product;
        return x.listOrder != y.listOrder ? x.listOrder < y.listOrder : x.code < y.code;
    });
    std::vector<TagNeed> sorted;
    sorted.reserve(needs.size());
    for (size_t i : order) {
        sorted.push_back(std::move(needs[i]));
    }
    needs = std::move(sorted);
}

}  // namespace catalogue
