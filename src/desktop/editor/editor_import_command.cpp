// The editor's "商品リストから作成" command: a product list chosen in the file dialog, its rows
// chosen in the import dialog, and the window's sheet filled from a start tag; what does not fit
// goes to further sheet files beside it. Part of the lists module (modules/lists_module.cpp),
// loaded when the command first runs.

#include "desktop/editor/editor_window.h"

#include "core/files/file_command_texts.h"
#include "core/files/sheet_file.h"
#include "core/jobs/import_job.h"
#include "core/productlist/list_table.h"
#include "core/productlist/sheet_filling.h"
#include "core/settings/remembered_layouts.h"
#include "desktop/dialogs/import_dialog.h"
#include "desktop/editor/control_names.h"
#include "desktop/editor/editor_layout.h"
#include "output/tag_sheet_printing.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

namespace desktop {

using desktop::MessageAnswer;
using desktop::MessageButtons;
using desktop::MessageIcon;

namespace {

const QString kImportTitle = QStringLiteral("商品リストから作成");

// "7, 8, 9" or "7〜18" for a run of tags.
QString tagList(const std::vector<int>& tags)
{
    if (tags.size() > 3 && tags.back() - tags.front() + 1 == int(tags.size())) {
        return QStringLiteral("%1〜%2").arg(tags.front()).arg(tags.back());
    }
    QStringList numbers;
    for (int tag : tags) {
        numbers << QString::number(tag);
    }
    return numbers.join(QStringLiteral(", "));
}

// Saves the tags that did not fit as further sheet files, where the user asked for them, after
// asking about the files that exist; the names written go to `written`, the files that may not
// survive a power loss are said in `unflushed`. False, said, when the import stops here: the
// window's sheet then stays as it was, so that the command can be run again.
bool saveRestSheets(QWidget* window, Dialogs& dialogs, const ImportDialog::Choice& choice,
                    std::vector<sheet::TagSheet>& rest, QStringList& written, QString& unflushed)
{
    const QStringList paths = jobs::sheetFilePaths(choice.restFolder, choice.restBaseName, 2, int(rest.size()));
    QStringList existing;
    for (const QString& path :
         jobs::existingPaths(paths, [&dialogs](const QString& p) { return dialogs.fileExists(p); })) {
        existing << QFileInfo(path).fileName();
    }
    if (!existing.isEmpty()) {
        const MessageAnswer answer = dialogs.message(
            window, QStringLiteral("%1 はすでにあります。置き換えますか？").arg(existing.join(QStringLiteral(", "))),
            kImportTitle, MessageIcon::warning, MessageButtons::yesNo);
        if (answer != MessageAnswer::yes) {
            return false;
        }
    }
    // Names nobody agreed to replace are created afresh, never through a link, and a failure
    // part-way removes the files this import made.
    const jobs::SheetFilesResult result = jobs::writeSheetFiles(
        rest, paths, !existing.isEmpty(), [&written](const QString& path) { written << QFileInfo(path).fileName(); });
    if (!result.ok) {
        dialogs.message(window,
                        QStringLiteral("%1 を保存できませんでした。\n%2")
                            .arg(QDir::toNativeSeparators(result.failedPath), result.error),
                        files::kErrorTitle, MessageIcon::stop, MessageButtons::ok);
        return false;
    }
    for (const auto& [path, reason] : result.unflushed) {
        unflushed += u'\n' + files::unflushedNotice(QDir::toNativeSeparators(path), reason);
    }
    return true;
}

}  // namespace

void EditorWindow::importProductList()
{
    listDialog_.filter = QStringLiteral("商品リスト (*.csv *.tsv *.txt *.xlsx *.ods)|*.csv;*.tsv;*.txt;*.xlsx;*.ods|"
                                        "すべてのファイル (*.*)|*.*|");
    const std::optional<QString> path = dialogs_->openFile(this, listDialog_);
    if (!path) {
        returnToJanBoxUnchanged();
        return;
    }
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > productlist::kMaxListBytes) {
        dialogs_->message(this,
                          file.isOpen()
                              ? QStringLiteral("ファイル「%1」が大きすぎます").arg(QFileInfo(*path).fileName())
                              : QStringLiteral("ファイル「%1」を開けません").arg(QFileInfo(*path).fileName()),
                          files::kErrorTitle, MessageIcon::stop, MessageButtons::ok);
        returnToJanBoxUnchanged();
        return;
    }
    const QByteArray bytes = file.readAll();
    file.close();

    settings::RememberedLayouts layouts(settingsStore_);
    ImportDialog dialog(*path, bytes, sheet_, sheet_.current, this, &layouts, dialogs_);
    const int outcome = dialog.exec();
    // Not every window system gives the activation back to the editor when the dialog closes.
    activateWindow();
    if (outcome != QDialog::Accepted) {
        returnToJanBoxUnchanged();
        return;
    }
    const ImportDialog::Choice choice = dialog.choice();
    // What the user typed goes to the tag it was typed for before the tags are filled, so that the
    // question below sees it.
    storePendingEdit();

    const std::vector<int> filled = productlist::filledTagsInRange(sheet_, choice.startTag, int(choice.records.size()));
    if (!filled.empty()) {
        const MessageAnswer answer = dialogs_->message(
            this,
            QStringLiteral("タグ %1 には入力済みの内容があります。商品リストの内容で置き換えますか？")
                .arg(tagList(filled)),
            kImportTitle, MessageIcon::warning, MessageButtons::yesNo);
        if (answer != MessageAnswer::yes) {
            focusJanBox();
            return;
        }
    }

    QStringList written;
    QString unflushed;
    std::vector<sheet::TagSheet> rest = productlist::overflowSheets(sheet_, choice.startTag, choice.records);
    if (choice.saveRest && !saveRestSheets(this, *dialogs_, choice, rest, written, unflushed)) {
        focusJanBox();
        return;
    }

    const int put = productlist::fillSheet(sheet_, choice.startTag, choice.records);
    refreshAfterEdit();

    QString done = QStringLiteral("%1 件をタグ %2〜%3 に入れました。")
                       .arg(put)
                       .arg(choice.startTag)
                       .arg(choice.startTag + put - 1);
    if (!written.isEmpty()) {
        done += QStringLiteral("\n残り %1 件を %2 に保存しました: %3")
                    .arg(int(choice.records.size()) - put)
                    .arg(QDir::toNativeSeparators(choice.restFolder), written.join(QStringLiteral(", ")));
    } else if (int(choice.records.size()) > put) {
        done += QStringLiteral("\n残り %1 件は入っていません。").arg(int(choice.records.size()) - put);
    }
    done += unflushed;
    if (choice.printAll) {
        std::vector<sheet::TagSheet> pages {sheet_};
        pages.insert(pages.end(), rest.begin(), rest.end());
        QPrinter printer(QPrinter::HighResolution);
        output::prepareActualSizePage(printer);
        if (dialogs_->choosePrinter(this, printer)) {
            const output::DocumentResult printed = output::printSheets(pages, printer, printerCalibration());
            if (printed.ok) {
                done += QStringLiteral("\n%1 枚を印刷しました。").arg(pages.size());
            } else {
                dialogs_->message(this, QStringLiteral("印刷できませんでした。\n%1").arg(printed.error),
                                  files::kErrorTitle, MessageIcon::stop, MessageButtons::ok);
            }
        }
        focusJanBox();
    }
    dialogs_->message(this, done, kImportTitle, MessageIcon::information, MessageButtons::ok);
}

}  // namespace desktop
