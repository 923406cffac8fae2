#include "core/catalogue/natural_order.h"

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

}  // namespace catalogue
