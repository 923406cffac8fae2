#include "desktop/catalogue/catalogue_printing.h"

#include "core/files/file_command_texts.h"
#include "core/jobs/tag_page.h"
#include "core/pricing/shop_time.h"
#include "output/print_job.h"
#include "output/sheet_delivery.h"
#include "output/tag_sheet_printing.h"

#include <QPrinter>

#include <algorithm>

namespace desktop {

namespace {

// The texts a print's tags could not show that its question lists; the rest are counted.
constexpr int kLeftOutTextsSaid = 10;

// The paper of a recorded print, as the windows' paper boxes name it.
QString paperTitle(const QString& formatKey)
{
    return formatKey == sheet::SheetFormat::small.key() ? QStringLiteral("小さい棚札") : QStringLiteral("大きい棚札");
}

// A print that is no longer waiting for its answer: what another PC or program made of it.
QString decidedElsewhereText(const catalogue::Catalogue& catalogue, qint64 printId)
{
    for (const catalogue::PrintInfo& print : catalogue.prints(false)) {
        if (print.id == printId && print.state != catalogue::PrintState::pending) {
            return QStringLiteral("印刷 %1 は、ほかの PC かプログラムですでに「%2」にされています "
                                  "(%3)。もう一度は決められません。")
                .arg(printId)
                .arg(catalogue::printStateTitle(print.state), pricing::shownInstant(print.decidedAt));
        }
    }
    return QStringLiteral("印刷 %1 は、もう確認待ちではありません。").arg(printId);
}

}  // namespace

jobs::CataloguePrintResult printOnChosenPrinter(QWidget* parent, Dialogs& dialogs, const QString& docName,
                                                const output::SettingsFile& settings, catalogue::Catalogue& catalogue,
                                                const std::vector<catalogue::TagNeed>& needs,
                                                const jobs::CataloguePrintRequest& request, QString* warnings,
                                                QStringList* leftOutTexts)
{
    const auto deliver = [&](std::vector<sheet::TagSheet>& sheets) {
        QPrinter printer(QPrinter::HighResolution);
        output::prepareActualSizePage(printer);
        printer.setDocName(docName);
        if (!dialogs.choosePrinter(parent, printer)) {
            jobs::DeliveryResult cancelled;
            cancelled.cancelled = true;
            return cancelled;
        }
        jobs::DeliveryResult delivered = output::printerDelivery(
            printer, output::printerCalibration({}, settings, [warnings](const QString& warning) {
                *warnings += warning;
            }))(sheets);
        if (delivered.delivered && leftOutTexts) {
            *leftOutTexts = jobs::tagPagesLines(sheets);  // the sheets as drawn, with the shop's texts
        }
        return delivered;
    };
    return jobs::printAndRecord(catalogue, needs, request, deliver);
}

bool printWasRecorded(QWidget* parent, Dialogs& dialogs, const QString& title,
                      const jobs::CataloguePrintResult& printed, const QString& nothingText,
                      const std::function<void(const QString&)>& showError)
{
    switch (printed.status) {
    case jobs::CataloguePrintStatus::nothingToPrint:
        dialogs.message(parent, nothingText, title, MessageIcon::information, MessageButtons::ok);
        return false;
    case jobs::CataloguePrintStatus::cancelled:
        return false;
    case jobs::CataloguePrintStatus::notDelivered:
        dialogs.message(parent, QStringLiteral("印刷できませんでした。\n%1").arg(printed.error), files::kErrorTitle,
                        MessageIcon::stop, MessageButtons::ok);
        return false;
    case jobs::CataloguePrintStatus::notRecorded:
        showError(QStringLiteral("印刷はできましたが、商品マスタに記録できませんでした。\n%1")
                      .arg(printed.recordFailure.message));
        return false;
    case jobs::CataloguePrintStatus::recorded:
        break;
    }
    return true;
}

PrintAnswer askAboutPrint(QWidget* parent, Dialogs& dialogs, catalogue::Catalogue& catalogue, qint64 printId,
                          const QStringList& leftOutTexts)
{
    using Kind = PrintAnswer::Kind;
    catalogue::Result outcome;
    const std::vector<catalogue::PrintInfo> pending = catalogue.prints(true, &outcome);
    const auto print = std::find_if(pending.begin(), pending.end(),
                                    [printId](const catalogue::PrintInfo& info) { return info.id == printId; });
    if (!outcome.ok() || print == pending.end()) {
        return {Kind::refused, outcome.ok() ? decidedElsewhereText(catalogue, printId) : outcome.message};
    }
    const int answer = dialogs.choose(
        parent, printQuestionText(*print, leftOutTexts), QStringLiteral("印刷 %1 の確認").arg(printId),
        MessageIcon::none, {QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)"), QStringLiteral("あとで(&L)")}, 2,
        2);
    if (answer != 0 && answer != 1) {
        return {Kind::later, {}};
    }
    const catalogue::Result decided = catalogue.decidePrint(
        printId, answer == 0 ? catalogue::PrintState::confirmed : catalogue::PrintState::failed);
    if (!decided.ok()) {
        // Decided by another PC while the question was open: what it decided stands.
        return {Kind::refused,
                decided.status == catalogue::Status::notFound ? decidedElsewhereText(catalogue, printId)
                                                              : decided.message};
    }
    return answer == 0
        ? PrintAnswer {Kind::confirmed, QStringLiteral("印刷 %1 を確認しました").arg(printId)}
        : PrintAnswer {Kind::failed, QStringLiteral("印刷 %1 は失敗にしました。棚札はまだ印刷が必要です").arg(printId)};
}

QString printQuestionText(const catalogue::PrintInfo& print, const QStringList& leftOutTexts)
{
    QString leftOut;
    if (!leftOutTexts.isEmpty()) {
        const QStringList said = leftOutTexts.mid(0, kLeftOutTextsSaid);
        leftOut = QStringLiteral("棚札に出せなかったもの:\n  %1\n").arg(said.join(QStringLiteral("\n  ")));
        if (leftOutTexts.size() > said.size()) {
            leftOut += QStringLiteral("  ほか %1 件\n").arg(leftOutTexts.size() - said.size());
        }
        leftOut += u'\n';
    }
    return QStringLiteral("印刷 %1: %2 (%3)\n印刷先: %4\n\n"
                          "%5"
                          "棚札は正しく印刷できましたか？\n\n"
                          "はい: この棚札を棚の棚札として記録します。\n"
                          "いいえ: 印刷は失敗とし、棚札は印刷が必要なままにします。\n"
                          "あとで: 確認待ちのまま残します。")
        .arg(print.id)
        .arg(jobs::printCountText(print.tagCount, print.sheetCount, print.startTag))
        .arg(paperTitle(print.format))
        .arg(print.destination, leftOut);
}

}  // namespace desktop
