#include "desktop/catalogue/import_control.h"

#include "core/catalogue/catalogue_report.h"
#include "core/catalogue/rules/merge_plan.h"
#include "core/files/file_command_texts.h"
#include "core/pricing/shop_time.h"
#include "core/productlist/list_table.h"
#include "core/settings/remembered_layouts.h"
#include "desktop/catalogue/catalogue_import_dialog.h"
#include "desktop/catalogue/offer_import_dialog.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace desktop {

namespace {

// The refused rows the window lists; the rest are counted.
constexpr int kRefusedRowsListed = 20;

// "棚番だけ変わった 1 件（札はそのまま）", "棚番とフェース数だけ変わった 2 件（札はそのまま）".
QString quietChangeText(const catalogue::ChangeSummary::Quiet& quiet)
{
    QStringList titles;
    for (const catalogue::ProductField field : quiet.fields) {
        titles << catalogue::productFieldTitle(field);
    }
    return QStringLiteral("%1だけ変わった %2 件（札はそのまま）")
        .arg(titles.join(QStringLiteral("と")))
        .arg(quiet.count);
}

}  // namespace

QString refusedRowsText(const std::vector<jobs::ReportedRefusal>& refused, int refusedRows)
{
    QString text;
    int said = 0;  // the rows said, the alike ones counted on a line among them
    const int listed = std::min<int>(int(refused.size()), kRefusedRowsListed);
    for (int i = 0; i < listed; ++i) {
        const jobs::ReportedRefusal& row = refused[size_t(i)];
        text += row.alike > 0 ? QStringLiteral("      %1行目: %2 (ほか %3 行も同じコード)\n")
                                    .arg(row.number)
                                    .arg(row.reason)
                                    .arg(row.alike)
                              : QStringLiteral("      %1行目: %2\n").arg(row.number).arg(row.reason);
        said += 1 + row.alike;
    }
    if (refusedRows > said) {
        text += QStringLiteral("      ほか %1 行\n").arg(refusedRows - said);
    }
    return text;
}

QString mergeSummaryText(const jobs::MergeReport& report, const QString& fileName)
{
    const catalogue::MergeCounts& counts = report.counts;
    QString text = QStringLiteral("「%1」を商品マスタに取り込むと:\n\n"
                                  "  新規　　　%2 件\n"
                                  "  変更　　　%3 件\n")
                       .arg(fileName)
                       .arg(counts.added)
                       .arg(counts.changed);
    if (counts.changed > 0) {
        text += QStringLiteral("      札が変わる %1 件\n").arg(report.changes.needTag);
        for (const catalogue::ChangeSummary::Quiet& quiet : report.changes.quiet) {
            text += QStringLiteral("      %1\n").arg(quietChangeText(quiet));
        }
    }
    text += QStringLiteral("  取り下げ　%1 件\n"
                           "  変更なし　%2 件\n")
                .arg(counts.discontinued)
                .arg(counts.unchanged);
    if (report.refusedRows > 0) {
        text += QStringLiteral("  取り込めない行　%1 行\n").arg(report.refusedRows);
        text += refusedRowsText(report.refused, report.refusedRows);
    }
    text += QStringLiteral("\nこのリストに無い商品は取り下げになります。リストが一部の商品だけのときは"
                           "「一部の商品として取り込む」を選んでください (取り下げはありません)。");
    return text;
}

ImportControl::ImportControl(CatalogueDesk desk, Opening opening, const settings::SettingsStore& settings,
                             std::function<QDate()> today, QObject* parent)
    : QObject(parent), desk_(std::move(desk)), opening_(std::move(opening)), settings_(settings),
      today_(std::move(today))
{
    listDialog_.filter = QStringLiteral("商品リスト (*.csv *.tsv *.txt *.xlsx *.ods)|*.csv;*.tsv;*.txt;*.xlsx;*.ods|"
                                        "すべてのファイル (*.*)|*.*|");
}

bool ImportControl::readListFile(const QString& path, QByteArray& bytes)
{
    const QString fileName = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > productlist::kMaxListBytes) {
        desk_.dialogs->message(desk_.window,
                               file.isOpen() ? QStringLiteral("ファイル「%1」が大きすぎます").arg(fileName)
                                             : QStringLiteral("ファイル「%1」を開けません").arg(fileName),
                               files::kErrorTitle, MessageIcon::stop, MessageButtons::ok);
        return false;
    }
    bytes = file.readAll();
    return true;
}

bool ImportControl::plan(const catalogue::IncomingList& incoming, const catalogue::MergeOptions& options,
                         catalogue::MergePlan& plan)
{
    if (!desk_.catalogue() && !opening_.openIfThere()) {
        return false;
    }
    catalogue::Catalogue* catalogue = desk_.catalogue();
    if (catalogue == nullptr) {
        plan = catalogue::planMerge({}, incoming, options);
        return true;
    }
    catalogue::Result planned;
    plan = catalogue->planMerge(incoming, options, &planned);
    if (!planned.ok()) {
        desk_.showError(planned.message);
        return false;
    }
    return true;
}

void ImportControl::importList()
{
    const std::optional<QString> path = desk_.dialogs->openFile(desk_.window, listDialog_);
    QByteArray bytes;
    if (!path || !readListFile(*path, bytes)) {
        return;
    }
    const QString fileName = QFileInfo(*path).fileName();
    settings::RememberedLayouts layouts(settings_);
    CatalogueImportDialog dialog(*path, bytes, &layouts, *desk_.dialogs, desk_.window);
    const QDate today = today_();
    dialog.setValidFrom(today, today);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const jobs::IncomingRows rows = dialog.incomingRows();
    catalogue::MergeOptions options;
    options.validFrom = dialog.validFrom();
    catalogue::MergePlan preview;
    if (!plan(rows.incoming, options, preview)) {
        return;
    }
    const int answer = desk_.dialogs->choose(
        desk_.window, mergeSummaryText(jobs::mergeReport(rows, preview), fileName),
        QStringLiteral("商品マスタに取り込み"), MessageIcon::information,
        {QStringLiteral("取り込む(&A)"), QStringLiteral("一部の商品として取り込む(&P)"), QStringLiteral("キャンセル")},
        2, 0);
    if (answer != 0 && answer != 1) {
        if (desk_.catalogue()) {
            desk_.showNote(QStringLiteral("取り込みをやめました。商品マスタは変わっていません"));
            desk_.refresh();
        } else {
            // Nothing is made until a list is taken in: the first-start (or damaged-file) page stays.
            desk_.showNote(QStringLiteral("取り込みをやめました。商品マスタはまだ作っていません"));
        }
        return;
    }
    if (!opening_.make()) {
        return;
    }
    options.partial = answer == 1;
    const catalogue::MergeResult merged = desk_.catalogue()->merge(rows.incoming, options);
    desk_.wrote();
    if (!merged.ok()) {
        desk_.showError(merged.message);
        return;
    }
    desk_.refresh();
    QString note = QStringLiteral("「%1」を取り込みました: 新規 %2 件、変更 %3 件、取り下げ %4 件")
                       .arg(fileName)
                       .arg(merged.counts.added)
                       .arg(merged.counts.changed)
                       .arg(merged.counts.discontinued);
    if (options.validFrom > today) {
        note += QStringLiteral(" (%1 からの売価)").arg(pricing::shownDate(options.validFrom));
    }
    desk_.showNote(note);
}

void ImportControl::importOffer()
{
    catalogue::Catalogue* catalogue = desk_.catalogue();
    if (catalogue == nullptr) {
        desk_.message(QStringLiteral("特売を取り込むには、先に商品リストを取り込んでください。"));
        return;
    }
    const std::optional<QString> path = desk_.dialogs->openFile(desk_.window, listDialog_);
    QByteArray bytes;
    if (!path || !readListFile(*path, bytes)) {
        return;
    }
    settings::RememberedLayouts layouts(settings_);
    OfferImportDialog dialog(*path, bytes, today_(), &layouts, *desk_.dialogs, desk_.window);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const catalogue::OfferList list = dialog.offerList();
    const catalogue::OfferImportResult imported = catalogue->importOffer(list);
    desk_.wrote();
    const QString title = QStringLiteral("特売の取り込み");
    if (imported.status == catalogue::Status::refused) {
        // Two sale prices for one product at one moment: the offers and products are named, and
        // nothing was written.
        desk_.dialogs->message(desk_.window, imported.message, title, MessageIcon::stop, MessageButtons::ok);
        desk_.showNote(QStringLiteral("特売「%1」は取り込んでいません").arg(list.name));
        return;
    }
    if (!imported.ok()) {
        desk_.showError(imported.message);
        return;
    }
    desk_.refresh();
    emit offerTaken(imported.offerId);
    const QString done = QStringLiteral("特売 %1「%2」: %3 品を取り込みました (使わない行 %4)")
                             .arg(imported.offerId)
                             .arg(list.name)
                             .arg(imported.products)
                             .arg(imported.refused.size());
    desk_.showNote(done);
    if (!imported.refused.empty()) {
        std::vector<jobs::ReportedRefusal> refused;
        for (const catalogue::RefusedRow& row : imported.refused) {
            refused.push_back({row.number, row.reason, 0});
        }
        std::sort(refused.begin(), refused.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
        desk_.dialogs->message(
            desk_.window,
            QStringLiteral("%1\n\n使わなかった行:\n%2").arg(done, refusedRowsText(refused, int(refused.size()))), title,
            MessageIcon::warning, MessageButtons::ok);
    }
}

}  // namespace desktop
