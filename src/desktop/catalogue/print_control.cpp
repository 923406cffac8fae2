#include "desktop/catalogue/print_control.h"

#include "core/files/file_command_texts.h"
#include "core/jobs/catalogue_print.h"
#include "core/jobs/tag_page.h"
#include "core/pricing/shop_time.h"
#include "core/settings/printer_calibrations.h"
#include "desktop/catalogue/catalogue_print_dialog.h"
#include "output/print_job.h"
#include "output/sheet_delivery.h"
#include "output/tag_sheet_printing.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QLabel>
#include <QPrinter>
#include <QSpinBox>

#include <algorithm>
#include <optional>

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

// What the user said of a print, and the text to show for it.
struct PrintAnswer {
    enum class Kind { confirmed, failed, later, refused };
    Kind kind = Kind::later;
    QString text;  // confirmed, failed: the note; refused: the error (decided elsewhere, or unreadable)
};

PrintAnswer askAboutPrint(const CatalogueDesk& desk, catalogue::Catalogue& catalogue, qint64 printId,
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
    const int answer = desk.dialogs->choose(
        desk.window, printQuestionText(*print, leftOutTexts), QStringLiteral("印刷 %1 の確認").arg(printId),
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

// Says what became of a print that was not recorded: `nothingText` when there was nothing to
// print, a message box when the printer refused the sheets, the window's red line when they came
// out but the catalogue could not record them; nothing when it was cancelled. True when recorded.
bool printWasRecorded(const CatalogueDesk& desk, const jobs::CataloguePrintResult& printed, const QString& nothingText)
{
    switch (printed.status) {
    case jobs::CataloguePrintStatus::nothingToPrint:
        desk.message(nothingText);
        return false;
    case jobs::CataloguePrintStatus::cancelled:
        return false;
    case jobs::CataloguePrintStatus::notDelivered:
        desk.dialogs->message(desk.window, QStringLiteral("印刷できませんでした。\n%1").arg(printed.error),
                              files::kErrorTitle, MessageIcon::stop, MessageButtons::ok);
        return false;
    case jobs::CataloguePrintStatus::notRecorded:
        desk.showError(QStringLiteral("印刷はできましたが、商品マスタに記録できませんでした。\n%1")
                           .arg(printed.recordFailure.message));
        return false;
    case jobs::CataloguePrintStatus::recorded:
        break;
    }
    return true;
}

// What one choice of the print dialog lays: its products, tags and sheets.
PrintScopeCount countOf(const std::vector<catalogue::TagNeed>& needs, const sheet::SheetFormat& format, int startTag,
                        bool again)
{
    const jobs::CataloguePrintPlan plan
        = jobs::planCataloguePrint(needs, format, startTag, jobs::NeedFilter::all, again);
    PrintScopeCount count;
    count.products = int(std::count_if(needs.begin(), needs.end(), [](const catalogue::TagNeed& need) {
        return need.kind == catalogue::NeedKind::newTag || need.kind == catalogue::NeedKind::changed;
    }));
    count.tags = int(plan.placed.size());
    count.sheets = int(plan.sheets.size());
    return count;
}

// The products a print not yet confirmed holds: left out unless the user ticks them in.
int pendingOf(const std::vector<catalogue::TagNeed>& needs)
{
    return int(std::count_if(needs.begin(), needs.end(),
                             [](const catalogue::TagNeed& need) { return need.pendingPrintId != 0; }));
}

// The selected products the print dialog offers: a product whose tag is up to date is printed
// again on request; one to take down is not printed.
std::vector<catalogue::TagNeed> printableOf(const std::vector<catalogue::TagNeed>& selected)
{
    std::vector<catalogue::TagNeed> printable;
    for (catalogue::TagNeed need : selected) {
        if (need.kind == catalogue::NeedKind::upToDate) {
            need.kind = catalogue::NeedKind::changed;
        }
        if (need.kind != catalogue::NeedKind::takeDown) {
            printable.push_back(std::move(need));
        }
    }
    return printable;
}

}  // namespace

PrintControl::PrintControl(CatalogueDesk desk, const settings::SettingsStore& settings, const QString& laterNote,
                           QWidget* parent)
    : QObject(parent), desk_(std::move(desk)), settings_(settings), laterNote_(laterNote)
{
    formatLabel_ = new QLabel(QStringLiteral("用紙(&Y):"), parent);
    formatBox_ = new QComboBox(parent);
    formatBox_->setObjectName(QStringLiteral("formatBox"));
    formatBox_->addItem(QStringLiteral("大きい棚札 (24枚)"));
    formatBox_->addItem(QStringLiteral("小さい棚札 (40枚)"));
    formatLabel_->setBuddy(formatBox_);
    startLabel_ = new QLabel(QStringLiteral("開始位置(&S):"), parent);
    startTagBox_ = new QSpinBox(parent);
    startTagBox_->setObjectName(QStringLiteral("startTagBox"));
    startTagBox_->setRange(1, sheet::SheetFormat::large.tagsPerPage);
    startTagBox_->setSuffix(QStringLiteral(" 枚目から"));
    startLabel_->setBuddy(startTagBox_);
    connect(formatBox_, &QComboBox::currentIndexChanged, this, [this] {
        startTagBox_->setMaximum(format().tagsPerPage);
        emit paperChanged();
    });
    connect(startTagBox_, &QSpinBox::valueChanged, this, [this] { emit paperChanged(); });
}

void PrintControl::addPaperTo(QBoxLayout* row)
{
    row->addWidget(formatLabel_);
    row->addWidget(formatBox_);
    row->addWidget(startLabel_);
    row->addWidget(startTagBox_);
}

int PrintControl::formatIndex() const
{
    return formatBox_->currentIndex();
}

const sheet::SheetFormat& PrintControl::format() const
{
    return formatBox_->currentIndex() == 1 ? sheet::SheetFormat::small : sheet::SheetFormat::large;
}

int PrintControl::startTag() const
{
    return startTagBox_->value();
}

void PrintControl::setPaper(int formatIndex, int startTag)
{
    formatBox_->setCurrentIndex(formatIndex == 1 ? 1 : 0);
    startTagBox_->setValue(startTag);
}

void PrintControl::printNeeded(const catalogue::Moment& at, const std::vector<catalogue::TagNeed>& selected,
                               const QString& purpose)
{
    catalogue::Catalogue* catalogue = desk_.catalogue();
    if (catalogue == nullptr) {
        return;
    }
    catalogue::Result outcome;
    const std::vector<catalogue::TagNeed> needed = catalogue->tagNeedsAt(at, false, &outcome);
    if (!outcome.ok()) {
        desk_.showError(outcome.message);
        return;
    }
    const std::vector<catalogue::TagNeed> chosen = printableOf(selected);
    const PrintScopeCount neededAgain = countOf(needed, format(), startTag(), true);
    const PrintScopeCount selectedAgain = countOf(chosen, format(), startTag(), true);
    if (neededAgain.tags == 0 && selectedAgain.tags == 0) {
        desk_.message(QStringLiteral("印刷する棚札はありません。"));
        return;
    }
    CataloguePrintDialog dialog(formatBox_->currentText(), startTag(), countOf(needed, format(), startTag(), false),
                                countOf(chosen, format(), startTag(), false), desk_.window);
    dialog.setPurpose(purpose);
    dialog.offerAgain(std::max(pendingOf(needed), pendingOf(chosen)), neededAgain, selectedAgain);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    print(dialog.selectedOnly() ? chosen : needed, at, dialog.again(), QStringLiteral("印刷する棚札はありません。"));
}

void PrintControl::printTags(const std::vector<catalogue::TagNeed>& needs, const catalogue::Moment& at,
                             const QString& nothingText)
{
    print(needs, at, false, nothingText);
}

void PrintControl::print(const std::vector<catalogue::TagNeed>& needs, const catalogue::Moment& at, bool again,
                         const QString& nothingText)
{
    catalogue::Catalogue* catalogue = desk_.catalogue();
    if (catalogue == nullptr) {
        return;
    }
    QString warnings;
    QStringList leftOut;
    const sheet::SheetFormat& paper = format();
    const auto deliver = [&](std::vector<sheet::TagSheet>& sheets) {
        QPrinter printer(QPrinter::HighResolution);
        output::prepareActualSizePage(printer);
        printer.setDocName(desk_.title);
        if (!desk_.dialogs->choosePrinter(desk_.window, printer)) {
            jobs::DeliveryResult cancelled;
            cancelled.cancelled = true;
            return cancelled;
        }
        jobs::DeliveryResult delivered = output::printerDelivery(
            printer,
            output::printerCalibration({}, settings::PrinterCalibrations(settings_),
                                       [&warnings](const QString& warning) { warnings += warning; }))(sheets);
        if (delivered.delivered) {
            leftOut = jobs::tagPagesLines(sheets);  // the sheets as drawn, with the shop's texts
        }
        return delivered;
    };
    const jobs::CataloguePrintResult printed
        = jobs::printAndRecord(*catalogue, needs, {&paper, startTag(), jobs::NeedFilter::all, at, again}, deliver);
    if (!printWasRecorded(desk_, printed, nothingText)) {
        return;
    }
    desk_.wrote();
    desk_.refresh();
    if (!warnings.isEmpty()) {
        desk_.showNote(QString(warnings).remove(u'\n'));
    }
    ask(printed.printId, leftOut);
}

void PrintControl::ask(qint64 printId, const QStringList& leftOut)
{
    catalogue::Catalogue* catalogue = desk_.catalogue();
    if (catalogue == nullptr) {
        return;
    }
    const PrintAnswer answer = askAboutPrint(desk_, *catalogue, printId, leftOut);
    if (answer.kind == PrintAnswer::Kind::confirmed || answer.kind == PrintAnswer::Kind::failed) {
        desk_.wrote();
    }
    desk_.refresh();  // shows the print as it is now
    if (answer.kind == PrintAnswer::Kind::refused) {
        desk_.showError(answer.text);
    } else {
        desk_.showNote(answer.kind == PrintAnswer::Kind::later ? laterNote_.arg(printId) : answer.text);
    }
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
