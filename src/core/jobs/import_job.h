#pragma once

// The import of a product list as one job, shared by the editor's import dialog and tanafuda-import:
// reading the list, mapping its columns (the automatic mapping with the user's overrides), the
// texts that describe what was read, cleaning, laying the records onto sheets from a start tag,
// and the sheet files of the sheets, named and written through the careful writer. The dialog
// collects the choices and calls the steps one by one as the user changes them; the command runs
// them all at once (runImport).

#include "core/productlist/cleaning.h"
#include "core/productlist/column_mapping.h"
#include "core/productlist/layout_memory.h"
#include "core/productlist/product_list.h"
#include "core/productlist/tax.h"
#include "core/sheet/tag_sheet.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace jobs {

// Why a list could not be read, with the sheets a workbook has when the one asked for is missing.
QString listReadError(const productlist::ProductList& list);

// What was read, in short parts: the encoding and delimiter (or the workbook's sheet), the header,
// the number of rows. For example "UTF-8 (BOM)", "カンマ区切り", "見出しあり", "12行".
QStringList listFacts(const productlist::ProductList& list);

// Warnings about a list that was read (characters the encoding could not read, rows left unread),
// Japanese. `encodingRemedy` ends the first: how the user chooses another encoding where they are.
QStringList listWarnings(const productlist::ProductList& list, const QString& encodingRemedy);

// The columns found from the header's names and the columns' contents, or guessed from the rows of
// a list without a header.
productlist::AutoMapping automaticMapping(const productlist::ProductList& list, const sheet::SheetFormat& format);

// A column the user gives for a field: a header title as the list spells it, or a number from 1;
// empty: the field is not taken from the list.
struct ColumnChoice {
    productlist::ListField field;
    QString column;
};

// The column the user gives: a header title as the list spells it, or a number from 1; -1 when the
// list has no such column.
int columnOfChoice(const productlist::ProductList& list, const QString& given);

// `mapping` with the user's choices put over it; the choice's column text that the list does not
// have in `unknownColumn` when one does not fit.
bool applyColumnChoices(const productlist::ProductList& list, const std::vector<ColumnChoice>& choices,
                        productlist::ColumnMapping& mapping, QString* unknownColumn);

// "JANコード=JAN, 商品名=品名, ..." for the fields of `format` that come from the list.
QString describeMapping(const productlist::ProductList& list, const productlist::ColumnMapping& mapping,
                        const sheet::SheetFormat& format);
// "税込み", or "税抜き、税率 10%、切り捨て".
QString describeTax(const productlist::TaxSettings& tax);

// The paths of the sheet files for `count` sheets in `folder`: BASE-N.csv numbered from `firstNumber`.
QStringList sheetFilePaths(const QString& folder, const QString& baseName, int firstNumber, int count);

// Which of `paths` already exist, by `exists` (the desktop asks through its dialogs).
QStringList existingPaths(const QStringList& paths, const std::function<bool(const QString&)>& exists);

struct SheetFilesResult {
    bool ok = true;
    int written = 0;         // files written: all of them, or none after a failure
    bool nameTaken = false;  // when !ok: something had the name and was not to be replaced
    QString failedPath;      // when !ok
    QString error;           // why, when !ok
    // Files whose new content is in place but whose folder could not be flushed, with the reason.
    std::vector<std::pair<QString, QString>> unflushed;
};

// Writes sheets[i] to paths[i] in order through the careful writer, and names each written sheet
// after its file (the printed page shows it). A name nothing has yet is created afresh (never
// through a link); one that exists is replaced only when `replaceExisting`. At the first file that
// cannot be written it stops and removes the files it made, so the folder is as it was.
SheetFilesResult writeSheetFiles(std::vector<sheet::TagSheet>& sheets, const QStringList& paths, bool replaceExisting,
                                 const std::function<void(const QString& path)>& onWritten = {});

// How a list is to be read and its columns and prices taken, and, for tanafuda-import, where its
// sheets go.
struct ImportRequest {
    QString listPath;
    productlist::ReadOptions read;
    const sheet::SheetFormat* format = &sheet::SheetFormat::large;
    int startTag = 1;
    std::vector<ColumnChoice> columns;
    // FIELD=COLUMN choices for fields the tag does not have, which the caller reads itself (the
    // catalogue's shelf location, tag count and product code), in the order given.
    std::vector<std::pair<QString, QString>> otherColumns;
    std::optional<productlist::PriceBasis> priceBasis;  // none: as the header says, else tax included
    productlist::TaxSettings tax;                       // its rate, rounding and codes; the basis from priceBasis
    bool rateGiven = false;                             // the rate and rounding were given, not defaults:
    bool roundingGiven = false;                         // they go over remembered ones
    // Where the choices for each list layout are remembered; used unless !useRemembered, and
    // written with remember.
    productlist::LayoutMemory* memory = nullptr;
    bool useRemembered = true;
    bool remember = false;
    QString folder;  // the sheet files go here (made when missing)
    bool overwrite = false;
};

enum class ImportStatus {
    done,           // every row used
    someRefused,    // some rows left out, the report says which
    unknownColumn,  // a column choice names no column of the list (a usage error)
    unreadable,     // the list could not be read or has nothing to put on tags
    unwritable,     // a sheet file could not be written
};

// A list read and its choices settled: the choices remembered for its header (where the request
// lets them), else the automatic mapping and the price basis its header names, and the request's
// choices over both.
struct PreparedList {
    productlist::ProductList list;
    productlist::ColumnMapping mapping;
    productlist::TaxSettings tax;
    bool noPrice = false;  // the price left out on purpose (by the request, or remembered)
    bool remembered = false;
    // With list.profile: how the register's export is read (its own product code, its codes).
    productlist::RegisterReading registerReading = {};
};

// Reads and prepares the list of `request` for tags of `format`. done, unreadable (`problem` says
// why, naming the file) or unknownColumn (`problem` is the usage error's text). A list read as a
// register's export takes that register's columns and codes (under the request's choices); a tax
// column of codes that nothing gives a meaning is unreadable, before anything is written
// (undecidedTaxCodesMessage).
ImportStatus prepareList(const ImportRequest& request, const sheet::SheetFormat& format, PreparedList& prepared,
                         QString* problem);

// Keeps the choices of `prepared` for lists with its header; false with the reason in `problem`.
bool rememberPrepared(productlist::LayoutMemory& memory, const PreparedList& prepared, QString* problem);

// "スマレジの商品データとして読みました (見出しの前の 1 行は読んでいません)" for a list read as a
// register's export; empty for any other list.
QString registerLine(const productlist::ProductList& list);

// Why a tax column of codes stops the import: the column, its values, and how to go on (--register,
// or --map with --tax-codes).
QString undecidedTaxCodesMessage(const productlist::ProductList& list, const productlist::UndecidedTaxCodes& codes);

// The lines that say what was read and how: "読み込み: NAME (FACTS)", the register's line where
// there is one, and "列: MAPPING (価格はTAX)".
QString readingLines(const QString& listPath, const PreparedList& prepared, const sheet::SheetFormat& format);

// Gives each tag the sheets of `rows` fill (from `startTag` on the first sheet, as sheetsForList
// lays them) what the list knows beyond its record: the product's tax rate and, where the list's
// price is without the tax, that price (the tax-exclusive text then shows it). Sheet files do not
// keep it; a page drawn from the sheets shows it.
void addListExtras(std::vector<sheet::TagSheet>& sheets, int startTag, const std::vector<productlist::CleanRow>& rows);

struct ImportResult {
    ImportStatus status = ImportStatus::unreadable;
    QString problem;                      // with unknownColumn: the message for the usage error
    std::vector<sheet::TagSheet> sheets;  // the sheets written, each named after its file
    productlist::CleanCounts counts;
    bool unflushed = false;  // every sheet file holds its content, but a folder could not be flushed
};

// Lines for the user as the job goes: `out` what was read and done, `error` why it stopped.
struct ImportReport {
    std::function<void(const QString&)> out;
    std::function<void(const QString&)> error;
};

// Reads, maps, cleans and lays out the list and writes its sheet files, saying each step.
ImportResult runImport(const ImportRequest& request, const ImportReport& report);

}  // namespace jobs
