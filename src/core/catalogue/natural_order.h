#pragma once

// The order of shelf locations as staff read them: runs of digits compare as numbers, so "A-2"
// comes before "A-10", and full-width letters and digits compare as their half-width forms.

#include <QString>

namespace catalogue {

// Negative, zero or positive as `a` sorts before, with or after `b`. An empty location sorts after
// every other (products without a location come last).
int compareNaturally(const QString& a, const QString& b);

// For sorting many: a location folded once (width and case), and the comparison of folded ones,
// which orders as compareNaturally does.
QString naturalSortKey(const QString& location);
int compareSortKeys(const QString& a, const QString& b);

}  // namespace catalogue
