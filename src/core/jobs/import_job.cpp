#include "core/jobs/import_job.h"

#include "core/files/file_command_texts.h"

#include "core/files/sheet_file.h"
#include "core/productlist/list_table.h"
#include "core/productlist/sheet_filling.h"
#include "core/productlist/text_list.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace jobs {

using namespace productlist;

int columnOfChoice(const ProductList& list, const QString& given)
{
    const int titled = int(list.columnTitles.indexOf(given.trimmed()));
    if (titled >= 0) {
        return titled;
    }
    bool ok = false;
    const int number = given.toInt(&ok);
    return ok && number >= 1 && number <= list.columnCount() ? number - 1 : -1;
}

QString listReadError(const ProductList& list)
{
    QString message = list.error;
    if (!list.sheetNames.isEmpty()) {
        message += QStringLiteral(" (シート: %1)").arg(list.sheetNames.join(QStringLiteral(", ")));
    }
    return message;
}

QStringList listFacts(const ProductList& list)
{
    QStringList parts;
    switch (list.kind) {
    case ListKind::text:
        parts << encodingName(list.encoding) + (list.bom ? QStringLiteral(" (BOM)") : QString())
              << delimiterName(list.delimiter) + QStringLiteral("区切り");
        break;
    case ListKind::xlsx:
    case ListKind::ods:
        parts << QStringLiteral("シート「%1」").arg(list.sheetName);
        break;
    }
    parts << (list.hasHeader ? QStringLiteral("見出しあり") : QStringLiteral("見出しなし"));
    parts << QStringLiteral("%1行").arg(list.rows.size());
    return parts;
}

QStringList listWarnings(const ProductList& list, const QString& encodingRemedy)
{
    QStringList warnings;
    if (list.invalidBytes) {
        warnings
            << QStringLiteral("%1 として読めない文字があります。%2").arg(encodingName(list.encoding), encodingRemedy);
    }
    if (list.truncated) {
        warnings << QStringLiteral("%1行を超える分は読んでいません").arg(kMaxRows);
    }
    return warnings;
}

AutoMapping automaticMapping(const ProductList& list, const sheet::SheetFormat& format)
{
    return mapList(list.columnTitles, list.rows, list.hasHeader, format);
}

bool applyColumnChoices(const ProductList& list, const std::vector<ColumnChoice>& choices, ColumnMapping& mapping,
                        QString* unknownColumn)
{
    for (const ColumnChoice& choice : choices) {
        const int column = choice.column.isEmpty() ? -1 : columnOfChoice(list, choice.column);
        if (!choice.column.isEmpty() && column < 0) {
            if (unknownColumn) {
                *unknownColumn = choice.column;
            }
            return false;
        }
        mapping.set(choice.field, column);
    }
    return true;
}

QString describeMapping(const ProductList& list, const ColumnMapping& mapping, const sheet::SheetFormat& format)
{
    QStringList parts;
    for (ListField field : listFieldsOf(format)) {
        const int column = mapping.column(field);
        if (column >= 0) {
            parts << QStringLiteral("%1=%2").arg(listFieldTitle(field), list.columnTitles.value(column));
        }
    }
    return parts.join(QStringLiteral(", "));
}

QString describeTax(const TaxSettings& tax)
{
    QString text = tax.basis == PriceBasis::includesTax
        ? QStringLiteral("税込み")
        : QStringLiteral("税抜き、税率 %1%、%2").arg(tax.ratePercent).arg(roundingTitle(tax.rounding));
    for (const TaxCode& code : tax.codes) {
        text += QStringLiteral("、税コード %1 は%2")
                    .arg(code.code, taxCodeMeaningTitle(taxCodeMeaningKey(code.meaning)));
    }
    if (!tax.rateFlags.empty()) {
        QStringList titles;
        for (const RateFlag& flag : tax.rateFlags) {
            titles << flag.title;
        }
        text += QStringLiteral("、税率は %1 の Y/N").arg(titles.join(QStringLiteral("、")));
    }
    return text;
}

QStringList sheetFilePaths(const QString& folder, const QString& baseName, int firstNumber, int count)
{
    const QDir dir(folder);
    QStringList paths;
    for (const QString& name : numberedSheetFileNames(baseName, firstNumber, count)) {
        paths << dir.filePath(name);
    }
    return paths;
}

QStringList existingPaths(const QStringList& paths, const std::function<bool(const QString&)>& exists)
{
    QStringList found;
    for (const QString& path : paths) {
        if (exists(path)) {
            found << path;
        }
    }
    return found;
}

SheetFilesResult writeSheetFiles(std::vector<sheet::TagSheet>& sheets, const QStringList& paths, bool replaceExisting,
                                 const std::function<void(const QString& path)>& onWritten)
{
    const qsizetype count = std::min(qsizetype(sheets.size()), paths.size());
    const std::vector<sheet::TagSheet> toWrite(sheets.begin(), sheets.begin() + count);
    const files::SheetSetWriteResult written = files::writeSheetFiles(toWrite, paths.first(count), replaceExisting);
    SheetFilesResult result;
    if (!written.ok()) {
        result.ok = false;
        result.nameTaken = written.nameTaken;
        result.failedPath = paths.at(written.failed);
        result.error = written.failure.error;
        return result;  // the files this set made are gone again
    }
    for (qsizetype i = 0; i < count; ++i) {
        const QString& path = paths.at(i);
        // The printed page names its file, as the editor's does.
        sheets[size_t(i)].fileName = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
        ++result.written;
        if (onWritten) {
            onWritten(path);
        }
    }
    for (const auto& [index, reason] : written.unflushed) {
        result.unflushed.emplace_back(paths.at(index), reason);
    }
    return result;
}

ImportStatus prepareList(const ImportRequest& request, const sheet::SheetFormat& format, PreparedList& prepared,
                         QString* problem)
{
    ProductList list = readProductList(request.listPath, request.read);
    if (!list.ok) {
        *problem = QStringLiteral("%1: %2").arg(request.listPath, listReadError(list));
        return ImportStatus::unreadable;
    }
    // The choices remembered for this header, where the request does not say otherwise; a text
    // list is read again with its remembered encoding and delimiter.
    std::optional<ListChoices> remembered;
    if (request.memory && request.useRemembered) {
        remembered = rememberedChoices(*request.memory, list.columnTitles, list.hasHeader);
    }
    if (remembered && list.kind == ListKind::text
        && ((!request.read.encoding && remembered->encoding && *remembered->encoding != list.encoding)
            || (!request.read.delimiter && remembered->delimiter && *remembered->delimiter != list.delimiter))) {
        ReadOptions again = request.read;
        again.encoding = request.read.encoding ? request.read.encoding : remembered->encoding;
        again.delimiter = request.read.delimiter ? request.read.delimiter : remembered->delimiter;
        ProductList reread = readProductList(request.listPath, again);
        if (reread.ok
            && layoutKey(reread.columnTitles, reread.hasHeader) == layoutKey(list.columnTitles, list.hasHeader)) {
            list = std::move(reread);
        }
    }
    RegisterReading reading;
    if (list.profile) {
        reading = registerReading(*list.profile, list.columnTitles, list.rows, format);
        tidyRegisterCells(*list.profile, reading, list.rows);
    }
    const AutoMapping automatic = list.profile ? reading.automatic : automaticMapping(list, format);
    ColumnMapping mapping = remembered ? remembered->mapping : automatic.mapping;
    QString unknown;
    if (!applyColumnChoices(list, request.columns, mapping, &unknown)) {
        *problem = QStringLiteral("the list has no column \"%1\" (its columns: %2)")
                       .arg(unknown, list.columnTitles.join(QStringLiteral(", ")));
        return ImportStatus::unknownColumn;
    }
    for (const auto& [key, column] : request.otherColumns) {
        if (!column.isEmpty() && columnOfChoice(list, column) < 0) {
            *problem = QStringLiteral("the list has no column \"%1\" (its columns: %2)")
                           .arg(column, list.columnTitles.join(QStringLiteral(", ")));
            return ImportStatus::unknownColumn;
        }
    }
    // The price left out on purpose: by the request, or remembered and not mapped over.
    bool noPrice = remembered && remembered->noPrice;
    for (const ColumnChoice& choice : request.columns) {
        if (choice.field == ListField::price) {
            noPrice = choice.column.isEmpty();
        }
    }
    TaxSettings tax = request.tax;
    if (remembered) {
        tax.ratePercent = request.rateGiven ? request.tax.ratePercent : remembered->tax.ratePercent;
        tax.rounding = request.roundingGiven ? request.tax.rounding : remembered->tax.rounding;
        tax.codes.insert(tax.codes.end(), remembered->tax.codes.begin(), remembered->tax.codes.end());
    }
    tax.basis = request.priceBasis.value_or(remembered ? remembered->tax.basis
                                                       : automatic.priceBasis.value_or(PriceBasis::includesTax));
    // The register's codes after the user's, which win; its Y/N columns where no column is the rate.
    for (const TaxCode& code : reading.codes) {
        if (std::none_of(tax.codes.begin(), tax.codes.end(),
                         [&](const TaxCode& given) { return given.code == code.code; })) {
            tax.codes.push_back(code);
        }
    }
    tax.rateFlags = reading.rateFlags;
    if (mapping.column(ListField::price) >= 0 && !noPrice) {
        if (const auto undecided = undecidedTaxCodes(list.rows, mapping, tax.codes)) {
            *problem = QStringLiteral("%1: %2").arg(request.listPath, undecidedTaxCodesMessage(list, *undecided));
            return ImportStatus::unreadable;
        }
    }
    prepared.list = std::move(list);
    prepared.registerReading = std::move(reading);
    prepared.mapping = mapping;
    prepared.tax = tax;
    prepared.noPrice = noPrice;
    prepared.remembered = remembered.has_value();
    return ImportStatus::done;
}

bool rememberPrepared(LayoutMemory& memory, const PreparedList& prepared, QString* problem)
{
    const ProductList& list = prepared.list;
    ListChoices choices {prepared.mapping, prepared.noPrice, prepared.tax, std::nullopt, std::nullopt};
    if (list.kind == ListKind::text) {
        choices.encoding = list.encoding;
        choices.delimiter = list.delimiter;
    }
    return rememberChoices(memory, list.columnTitles, list.hasHeader, choices, problem);
}

QString registerLine(const ProductList& list)
{
    if (!list.profile) {
        return {};
    }
    QString line = QStringLiteral("%1の商品データとして読みました").arg(QString::fromUtf16(list.profile->name));
    if (list.linesBeforeTitles > 0) {
        line += QStringLiteral(" (見出しの前の %1 行は読んでいません)").arg(list.linesBeforeTitles);
    }
    return line;
}

QString undecidedTaxCodesMessage(const ProductList& list, const UndecidedTaxCodes& codes)
{
    // A column of many codes is named with its first few.
    constexpr qsizetype kValuesSaid = 12;
    const QString title = list.columnTitles.value(codes.column);
    const auto some = [](const QStringList& values) {
        QString text = values.mid(0, kValuesSaid).join(QStringLiteral(", "));
        if (values.size() > kValuesSaid) {
            text += QStringLiteral(" ほか %1 種類").arg(values.size() - kValuesSaid);
        }
        return text;
    };
    QStringList example;
    for (const QString& value : codes.values.mid(0, kValuesSaid)) {
        example << value + QStringLiteral("=…");
    }
    return QStringLiteral(
               "%1の列「%2」の値 %3 が何を表すのか分かりません (読めない値: %4)。"
               "推し量って読むことはしないため、何も書き込んでいません。"
               "レジの書き出しなら --register レジ (%5) で読むか、--map %6=%2 --tax-codes %7 "
               "のように値の意味を指定してください (意味は 税込、税抜、非課税、税込10%、税抜8%、10%、8% など)")
        .arg(listFieldTitle(codes.field), title, some(codes.values), some(codes.unreadable),
             registerProfileKeys().join(QStringLiteral(", ")), listFieldKey(codes.field), example.join(u','));
}

QString readingLines(const QString& listPath, const PreparedList& prepared, const sheet::SheetFormat& format)
{
    const QString profile = registerLine(prepared.list);
    return QStringLiteral("読み込み: %1 (%2)\n")
               .arg(QFileInfo(listPath).fileName(), listFacts(prepared.list).join(QStringLiteral(", ")))
        + (profile.isEmpty() ? QString() : profile + u'\n')
        + QStringLiteral("列: %1 (価格は%2)\n")
              .arg(describeMapping(prepared.list, prepared.mapping, format), describeTax(prepared.tax));
}

void addListExtras(std::vector<sheet::TagSheet>& sheets, int startTag, const std::vector<CleanRow>& rows)
{
    size_t sheetIndex = 0;
    int slot = startTag;
    for (const CleanRow& row : rows) {
        if (row.refused()) {
            continue;
        }
        if (slot > sheets.front().tagsPerPage()) {
            ++sheetIndex;
            slot = 1;
        }
        if (sheetIndex >= sheets.size()) {
            break;
        }
        sheet::TagExtras& extras = sheets[sheetIndex].extras[slot++];
        extras.taxRatePercent = row.taxRatePercent;
        if (!row.priceIncludesTax && row.listPrice >= 0) {
            extras.listExclusiveYen = row.listPrice;
        }
    }
}

ImportResult runImport(const ImportRequest& request, const ImportReport& report)
{
    ImportResult outcome;
    const sheet::SheetFormat& format = *request.format;
    PreparedList prepared;
    QString problem;
    outcome.status = prepareList(request, format, prepared, &problem);
    if (outcome.status == ImportStatus::unreadable) {
        report.error(problem);
        return outcome;
    }
    if (outcome.status == ImportStatus::unknownColumn) {
        outcome.problem = problem;
        return outcome;
    }
    outcome.status = ImportStatus::unreadable;
    const ProductList& list = prepared.list;
    const ColumnMapping& mapping = prepared.mapping;
    const TaxSettings& tax = prepared.tax;
    const bool noPrice = prepared.noPrice;
    const bool remembered = prepared.remembered;
    if (remembered) {
        report.out(QStringLiteral(
            "前回の設定: この見出しのリストで覚えた列と税の設定を使います (使わないときは --no-remembered)\n"));
    }
    QString said = readingLines(request.listPath, prepared, format);
    for (const QString& warning : listWarnings(list, QStringLiteral("--encoding で文字コードを選んでください"))) {
        said += QStringLiteral("注意: %1\n").arg(warning);
    }
    report.out(said);
    if (mapping.column(ListField::productName) < 0) {
        report.error(QStringLiteral("商品名の列が分かりません。--map name=列 で指定してください (列: %1)")
                         .arg(list.columnTitles.join(QStringLiteral(", "))));
        return outcome;
    }

    if (mapping.column(ListField::price) < 0 && !noPrice) {
        report.error(noPriceColumnMessage(list.columnTitles)
                     + QStringLiteral("。--map price=列 で指定してください (価格なしで作るときは --map price=)"));
        return outcome;
    }
    if (request.remember && request.memory) {
        QString why;
        if (!rememberPrepared(*request.memory, prepared, &why)) {
            report.error(why);
            outcome.status = ImportStatus::unwritable;
            return outcome;
        }
        report.out(list.hasHeader ? QStringLiteral("この見出しのリストの設定を覚えました\n")
                                  : QStringLiteral("見出しのないリストの設定は覚えられません\n"));
    }
    const std::vector<CleanRow> cleaned = cleanRows(list.rows, mapping, format, tax);
    QString lines;
    for (const CleanRow& row : cleaned) {
        const QString line = reportLine(row);
        if (!line.isEmpty()) {
            lines += line + u'\n';
        }
    }
    report.out(lines);
    outcome.counts = countRows(cleaned);
    const std::vector<sheet::TagRecord> records = usedRecords(cleaned);
    if (records.empty()) {
        report.out(countsLine(outcome.counts) + QStringLiteral("\n"));
        report.error(QStringLiteral("棚札にする商品がありません"));
        outcome.status = outcome.counts.refused > 0 ? ImportStatus::someRefused : ImportStatus::unreadable;
        return outcome;
    }

    std::vector<sheet::TagSheet> sheets = sheetsForList(format, request.startTag, records);
    addListExtras(sheets, request.startTag, cleaned);
    if (!QDir().mkpath(request.folder)) {
        report.error(QStringLiteral("フォルダー %1 を作れません").arg(request.folder));
        outcome.status = ImportStatus::unwritable;
        return outcome;
    }
    const QStringList paths
        = sheetFilePaths(request.folder, QFileInfo(request.listPath).completeBaseName(), 1, int(sheets.size()));
    if (!request.overwrite) {
        const QStringList existing = existingPaths(paths, [](const QString& path) { return QFileInfo::exists(path); });
        if (!existing.isEmpty()) {
            report.error(QStringLiteral("%1 がすでにあります (置き換えるには --overwrite)").arg(existing.front()));
            outcome.status = ImportStatus::unwritable;
            return outcome;
        }
    }
    const SheetFilesResult written = writeSheetFiles(sheets, paths, request.overwrite, [&](const QString& path) {
        report.out(QStringLiteral("書き込み: %1\n").arg(QDir::toNativeSeparators(path)));
    });
    if (!written.ok) {
        report.error(written.nameTaken
                         ? QStringLiteral("%1 がすでにあります (置き換えるには --overwrite)").arg(written.failedPath)
                         : QStringLiteral("%1: %2").arg(written.failedPath, written.error));
        outcome.status = ImportStatus::unwritable;
        return outcome;
    }
    for (const auto& [path, reason] : written.unflushed) {
        report.error(files::unflushedNotice(path, reason));
    }
    outcome.unflushed = !written.unflushed.empty();
    outcome.status = outcome.counts.refused > 0 ? ImportStatus::someRefused : ImportStatus::done;
    outcome.sheets = std::move(sheets);
    return outcome;
}

}  // namespace jobs
