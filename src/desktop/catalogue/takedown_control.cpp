#include "desktop/catalogue/takedown_control.h"

#include "core/files/careful_write.h"
#include "core/files/file_command_texts.h"
#include "core/jobs/catalogue_print.h"
#include "output/takedown_checklist.h"

#include <QDate>
#include <QDir>
#include <QPrinter>
#include <QStringList>

namespace desktop {

namespace {

// The products the question before recording a take-down names; the rest are counted.
constexpr int kNamesListed = 20;

const QString kNothingToTakeDown = QStringLiteral("取り下げる棚札はありません。");

}  // namespace

QString checklistDay()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
}

TakedownControl::TakedownControl(CatalogueDesk desk, QObject* parent) : QObject(parent), desk_(std::move(desk))
{
    pdfDialog_.filter = QStringLiteral("PDF ファイル (*.pdf)|*.pdf|");
    pdfDialog_.fileName = QStringLiteral("取り下げリスト.pdf");
}

void TakedownControl::offerCataloguesChecklist()
{
    catalogue::Catalogue* catalogue = desk_.catalogue();
    if (catalogue == nullptr) {
        return;
    }
    catalogue::Result outcome;
    const std::vector<catalogue::TagNeed> listed = jobs::takedownNeeds(*catalogue, &outcome);
    if (!outcome.ok()) {
        desk_.showError(outcome.message);
        return;
    }
    offerChecklist(listed, QStringLiteral("取り下げリスト %1").arg(checklistDay()),
                   QStringLiteral("取り下げる棚札は %1 枚です。リストを PDF に保存しますか、印刷しますか？"));
}

void TakedownControl::offerChecklist(const std::vector<catalogue::TagNeed>& listed, const QString& title,
                                     const QString& countText)
{
    if (listed.empty()) {
        desk_.message(kNothingToTakeDown);
        return;
    }
    const int answer = desk_.dialogs->choose(
        desk_.window, countText.arg(listed.size()), desk_.title, MessageIcon::none,
        {QStringLiteral("PDF に保存(&S)..."), QStringLiteral("印刷(&P)..."), QStringLiteral("キャンセル")}, 2, 0);
    if (answer == 0) {
        saveChecklist(listed, title);
    } else if (answer == 1) {
        printChecklist(listed, title);
    }
}

void TakedownControl::saveChecklist(const std::vector<catalogue::TagNeed>& listed, const QString& title)
{
    const std::optional<QString> path = desk_.dialogs->saveFile(desk_.window, pdfDialog_);
    if (!path) {
        return;
    }
    QByteArray pdf;
    QString error;
    if (!output::drawTakedownChecklist(listed, title, pdf, &error)) {
        desk_.dialogs->message(desk_.window, error, files::kErrorTitle, MessageIcon::stop, MessageButtons::ok);
        return;
    }
    const QString shown = QDir::toNativeSeparators(*path);
    const files::FileWriteResult written = files::writeFileCarefully(*path, pdf);
    if (!written.ok && !written.replacedUnflushed) {
        desk_.dialogs->message(desk_.window,
                               QStringLiteral("%1 を保存できませんでした。\n%2").arg(shown, written.error),
                               files::kErrorTitle, MessageIcon::stop, MessageButtons::ok);
        return;
    }
    desk_.showNote(written.replacedUnflushed ? files::unflushedNotice(shown, written.error)
                                             : QStringLiteral("取り下げリストを保存しました: %1").arg(shown));
}

void TakedownControl::printChecklist(const std::vector<catalogue::TagNeed>& listed, const QString& title)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title);
    if (!desk_.dialogs->choosePrinter(desk_.window, printer)) {
        return;
    }
    if (QString error; !output::drawTakedownChecklist(listed, title, printer, &error)) {
        desk_.dialogs->message(desk_.window, QStringLiteral("印刷できませんでした。\n%1").arg(error),
                               files::kErrorTitle, MessageIcon::stop, MessageButtons::ok);
        return;
    }
    desk_.showNote(QStringLiteral("取り下げリストを印刷しました"));
}

void TakedownControl::recordDone(const std::vector<catalogue::TagNeed>& selected)
{
    catalogue::Catalogue* catalogue = desk_.catalogue();
    if (catalogue == nullptr) {
        return;
    }
    std::vector<catalogue::TagNeed> chosen;
    for (const catalogue::TagNeed& need : selected) {
        if (need.kind == catalogue::NeedKind::takeDown) {
            chosen.push_back(need);
        }
    }
    const bool fromSelection = !chosen.empty();
    if (!fromSelection) {
        catalogue::Result outcome;
        chosen = jobs::takedownNeeds(*catalogue, &outcome);
        if (!outcome.ok()) {
            desk_.showError(outcome.message);
            return;
        }
    }
    if (chosen.empty()) {
        desk_.message(kNothingToTakeDown);
        return;
    }
    QStringList names;
    for (const catalogue::TagNeed& need : chosen) {
        if (names.size() == kNamesListed) {
            names << QStringLiteral("ほか %1 商品").arg(int(chosen.size()) - kNamesListed);
            break;
        }
        names << QStringLiteral("%1  %2").arg(need.product.shelf, need.product.tag.productName);
    }
    const int answer
        = desk_.dialogs->choose(desk_.window,
                                QStringLiteral("%1 %2 商品の棚札を棚から外しましたか？\n\n  %3\n\n"
                                               "「はい」で取り下げ完了として記録し、取り下げの一覧から消えます。")
                                    .arg(fromSelection ? QStringLiteral("選んだ") : QStringLiteral("取り下げリストの"))
                                    .arg(chosen.size())
                                    .arg(names.join(QStringLiteral("\n  "))),
                                QStringLiteral("取り下げ完了の確認"), MessageIcon::none,
                                {QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}, 1, 1);
    if (answer != 0) {
        desk_.showNote(QStringLiteral("取り下げ完了は記録していません"));
        return;
    }
    const catalogue::Result recorded = jobs::recordTakedowns(*catalogue, chosen);
    desk_.wrote();
    if (!recorded.ok()) {
        desk_.showError(recorded.message);
        return;
    }
    desk_.refresh();
    desk_.showNote(QStringLiteral("取り下げ完了を記録しました: %1 商品").arg(chosen.size()));
}

}  // namespace desktop
