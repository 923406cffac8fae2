#pragma once

// Reading a shop's product list from a file of any kind the reader knows, with its header row.

#include "core/productlist/list_table.h"
#include "core/productlist/register_profiles.h"
#include "core/productlist/text_list.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

#include <optional>

namespace productlist {

enum class ListKind { text, xlsx, ods };
enum class HeaderMode { detect, present, absent };

// The user's choices for reading a list; every one has a working default.
struct ReadOptions {
    std::optional<Encoding> encoding;  // text files; nothing: detect
    std::optional<QChar> delimiter;    // text files; nothing: detect
    QString sheetName;                 // spreadsheets; empty: the first sheet
    HeaderMode header = HeaderMode::detect;
    // Whether the list is read as a register's export (its title row found below the lines above
    // it); not with HeaderMode::absent.
    RegisterChoice registerChoice;
};

struct ProductList {
    bool ok = false;
    QString error;  // the reason for the user when !ok

    ListKind kind = ListKind::text;
    // Text files: what was used (detected or chosen).
    Encoding encoding = Encoding::utf8;
    bool bom = false;
    bool invalidBytes = false;
    QChar delimiter = u',';
    // Spreadsheets: the sheets of the workbook and the one read.
    QStringList sheetNames;
    QString sheetName;

    // The register whose export the list is, and the rows above its titles that were not read.
    const RegisterProfile* profile = nullptr;
    int linesBeforeTitles = 0;

    bool hasHeader = false;
    QStringList columnTitles;   // the header's cells, or "列1", "列2", ... without a header
    std::vector<ListRow> rows;  // the rows below the header
    bool truncated = false;     // the list was longer than the reader takes (kMaxRows)

    int columnCount() const { return int(columnTitles.size()); }
};

// The kind of a list by its contents: a zip with an Excel workbook or an OpenDocument spreadsheet,
// else text. Nothing for files the reader cannot read at all (the older binary Excel format).
std::optional<ListKind> listKindOf(const QByteArray& bytes);

// Reads a list from the bytes of its file.
ProductList readProductListData(const QByteArray& bytes, const ReadOptions& options = {});
// Reads the list in the file `path`.
ProductList readProductList(const QString& path, const ReadOptions& options = {});

// Whether the first row of `rows` is a header: it names at least one column the way a shop's
// lists name the tag's fields, or none of its cells is a number where the next row's are.
bool looksLikeHeader(const std::vector<ListRow>& rows);

}  // namespace productlist
