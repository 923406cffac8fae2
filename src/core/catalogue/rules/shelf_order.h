#pragma once

// Shelf order: the order of shelf locations as staff read them (runs of digits compare as numbers,
// so "A-2" comes before "A-10", and full-width letters and digits compare as their half-width
// forms), and products in that order, then in the list's order.

#include "core/catalogue/rules/tag_needs.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace catalogue {

// Negative, zero or positive as `a` sorts before, with or after `b`. An empty location sorts after
// every other (products without a location come last).
int compareNaturally(const QString& a, const QString& b);

// For sorting many: a location folded once (width and case), and the comparison of folded ones,
// which orders as compareNaturally does.
QString naturalSortKey(const QString& location);
int compareSortKeys(const QString& a, const QString& b);

// Each distinct location's place in shelf order (0 first).
QHash<QString, int> shelfRanks(const QStringList& shelves);

// Sorts `needs` in shelf order: by location, then by the list's order, then by code.
void sortInShelfOrder(std::vector<TagNeed>& needs);

}  // namespace catalogue
