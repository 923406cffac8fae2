#pragma once

// The choices made for a list, remembered by the layout of its header row: next week's export of
// the same register opens with the columns, tax, rounding, encoding and delimiter chosen this week.
// They are kept in the settings file (settings::RememberedLayouts is the LayoutMemory the
// programs use); the tests keep them in memory.

#include "core/productlist/cleaning.h"
#include "core/productlist/text_list.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>

namespace productlist {

// A store of JSON texts by layout key.
class LayoutMemory {
public:
    virtual ~LayoutMemory() = default;
    // The text remembered under `key`, or nothing.
    virtual std::optional<QString> rememberedLayout(const QString& key) const = 0;
    // Keeps `json` under `key`; false, with a Japanese reason in `problem`, when it could not.
    virtual bool rememberLayout(const QString& key, const QString& json, QString* problem) = 0;
};

// The key of a header row: a fingerprint of its folded cells. Empty for a list without a header,
// whose choices are not remembered.
QString layoutKey(const QStringList& columnTitles, bool hasHeader);

struct ListChoices {
    ColumnMapping mapping;
    bool noPrice = false;  // the price left out on purpose: the tags show none
    TaxSettings tax;
    std::optional<Encoding> encoding;  // text lists
    std::optional<QChar> delimiter;    // text lists

    friend bool operator==(const ListChoices&, const ListChoices&) = default;
};

QString choicesToJson(const ListChoices& choices);
// The choices of `json` for a list of `columnCount` columns; nothing when the text is not such
// choices or names a column the list does not have.
std::optional<ListChoices> choicesFromJson(const QString& json, int columnCount);

// The remembered choices for the header `columnTitles`, or nothing.
std::optional<ListChoices> rememberedChoices(const LayoutMemory& memory, const QStringList& columnTitles,
                                             bool hasHeader);
// Remembers `choices` for the header `columnTitles` (nothing for a list without a header).
bool rememberChoices(LayoutMemory& memory, const QStringList& columnTitles, bool hasHeader, const ListChoices& choices,
                     QString* problem);

}  // namespace productlist
