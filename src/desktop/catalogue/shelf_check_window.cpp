#include "desktop/catalogue/shelf_check_window.h"

#include "core/catalogue/catalogue_report.h"
#include "core/jobs/catalogue_print.h"
#include "core/pricing/shop_time.h"
#include "desktop/catalogue/print_control.h"
#include "desktop/catalogue/scan_holding.h"
#include "desktop/catalogue/takedown_control.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
#include <QVBoxLayout>

namespace desktop {

namespace {

const QString kTitle = QStringLiteral("棚チェック");

using catalogue::CheckVerdict;

// Colours a shop's staff read at a glance: green for right, red for a tag to print, orange for one
// to move, purple for a code the catalogue does not know, magenta for one to take down.
QString verdictColour(CheckVerdict verdict)
{
    switch (verdict) {
    case CheckVerdict::right:
        return QStringLiteral("#1b7a2e");
    case CheckVerdict::wrong:
    case CheckVerdict::missing:
        return QStringLiteral("#c62828");
    case CheckVerdict::outOfPlace:
        return QStringLiteral("#d35400");
    case CheckVerdict::unknown:
        return QStringLiteral("#6a1b9a");
    case CheckVerdict::leftUp:
        return QStringLiteral("#ad1457");
    }
    return QStringLiteral("#000000");
}

// The list's columns.
enum Column { kVerdict, kLocation, kCode, kName, kPrice, kTags, kDetail, kColumns };

// A line of the list: the verdict in its colour, then `cells` (棚, コード, 商品名, 売価, 枚数, 直すこと).
void setResultRow(QTableWidget* table, int row, CheckVerdict verdict, const QStringList& cells)
{
    auto* title = new QTableWidgetItem(catalogue::checkVerdictTitle(verdict));
    title->setForeground(QColor(verdictColour(verdict)));
    table->setItem(row, kVerdict, title);
    for (int column = kLocation; column < kColumns; ++column) {
        table->setItem(row, column, new QTableWidgetItem(cells.value(column - kLocation)));
    }
}

// Maker, name and size, as the tag shows them.
QString shownName(const catalogue::Product& product)
{
    return QStringLiteral("%1 %2 %3").arg(product.tag.maker, product.tag.productName, product.tag.spec).simplified();
}

}  // namespace

ShelfCheckWindow::ShelfCheckWindow(const catalogue::CatalogueAddress& address, Dialogs& dialogs, int formatIndex,
                                   int startTag, QWidget* parent)
    : QWidget(parent, Qt::Window), address_(address),
      holding_(std::make_unique<ScanHolding>(dialogs, this, [this] { takeHeldScans(); })),
      beep_([] { QApplication::beep(); })
{
    setObjectName(QStringLiteral("shelfCheckWindow"));
    setWindowTitle(kTitle);
    CatalogueDesk desk;
    desk.window = this;
    desk.dialogs = holding_.get();
    desk.title = kTitle;
    desk.catalogue = [this] { return catalogue_.get(); };
    desk.showError = [this](const QString& message) { showError(message); };
    desk.showNote = [this](const QString& message) { summaryLabel_->setText(message); };
    desk.wrote = [this] { emit catalogueChanged(); };
    desk.refresh = [this] { updateFixCount(); };
    print_ = new PrintControl(desk, settingsStore_,
                              QStringLiteral("印刷 %1 は確認待ちです。商品マスタの画面の一覧からあとで確認できます"),
                              this);
    takedown_ = new TakedownControl(desk, this);
    buildControls();
    print_->setPaper(formatIndex, startTag);
    resize(1000, 700);

    catalogue::Result outcome;
    catalogue_ = catalogue::Catalogue::open(address_, {}, &outcome);
    if (!catalogue_) {
        showError(outcome.message);
    } else {
        readLocations();
    }
    updateButtons();
    // The scanner types into whatever has the focus: the scan box has it from the start.
    scanEdit_->setFocus();
}

ShelfCheckWindow::~ShelfCheckWindow() = default;

const QStringList& ShelfCheckWindow::heldScans() const
{
    return holding_->held();
}

void ShelfCheckWindow::buildControls()
{
    auto* layout = new QVBoxLayout(this);

    errorLabel_ = makeErrorLabel(this);
    layout->addWidget(errorLabel_);
    buildScanRow(layout);
    buildVerdictLabels(layout);

    auto* listLabel = new QLabel(QStringLiteral("結果(&K):"), this);
    layout->addWidget(listLabel);
    table_ = new QTableWidget(0, kColumns, this);
    table_->setObjectName(QStringLiteral("resultTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("判定"), QStringLiteral("棚"), QStringLiteral("コード"),
                                       QStringLiteral("商品名"), QStringLiteral("売価"), QStringLiteral("枚数"),
                                       QStringLiteral("直すこと")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    const int widths[kColumns] = {110, 70, 130, 260, 80, 50, 200};
    for (int column = 0; column < kColumns; ++column) {
        table_->setColumnWidth(column, widths[column]);
    }
    listLabel->setBuddy(table_);
    layout->addWidget(table_, 1);

    summaryLabel_ = new QLabel(this);
    summaryLabel_->setObjectName(QStringLiteral("summaryLabel"));
    summaryLabel_->setTextFormat(Qt::PlainText);
    summaryLabel_->setWordWrap(true);
    layout->addWidget(summaryLabel_);
    buildPrintRow(layout);

    connect(scanEdit_, &QLineEdit::returnPressed, this, [this] {
        const QString typed = scanEdit_->text();
        scanEdit_->clear();
        scan(typed);
    });
    connect(placeBox_, &QComboBox::currentIndexChanged, this, [this] { placeChanged(); });
    connect(print_, &PrintControl::paperChanged, this, [this] { updateFixCount(); });
    connect(finishButton_, &QPushButton::clicked, this, [this] { finish(); });
    connect(printButton_, &QPushButton::clicked, this, [this] { printFixes(); });
    connect(takedownButton_, &QPushButton::clicked, this, [this] { takedownList(); });
    connect(newCheckButton_, &QPushButton::clicked, this, [this] { startOver(); });
    setFocusProxy(scanEdit_);
}

void ShelfCheckWindow::buildScanRow(QBoxLayout* layout)
{
    auto* scanRow = new QHBoxLayout;
    auto* placeLabel = new QLabel(QStringLiteral("棚(&L):"), this);
    placeBox_ = new QComboBox(this);
    placeBox_->setObjectName(QStringLiteral("placeBox"));
    placeBox_->setMinimumContentsLength(24);
    placeBox_->setToolTip(QStringLiteral("いま読み取っている棚。チェックの途中で次の棚に移るときも、ここで選びます"));
    placeLabel->setBuddy(placeBox_);
    auto* scanLabel = new QLabel(QStringLiteral("読み取り(&R):"), this);
    scanEdit_ = new QLineEdit(this);
    scanEdit_->setObjectName(QStringLiteral("scanEdit"));
    scanEdit_->setPlaceholderText(QStringLiteral("棚札のバーコードを読み取るか、JANコードと Enter"));
    QFont scanFont = scanEdit_->font();
    scanFont.setPointSize(16);
    scanEdit_->setFont(scanFont);
    scanLabel->setBuddy(scanEdit_);
    finishButton_ = commandButton(QStringLiteral("終了(&E)"), QStringLiteral("finishButton"), this);
    finishButton_->setToolTip(QStringLiteral("読み取っていない商品を「ない」にして、棚チェックを記録します"));
    scanRow->addWidget(placeLabel);
    scanRow->addWidget(placeBox_);
    scanRow->addSpacing(12);
    scanRow->addWidget(scanLabel);
    scanRow->addWidget(scanEdit_, 1);
    scanRow->addWidget(finishButton_);
    layout->addLayout(scanRow);
}

// The last scan, readable from arm's length.
void ShelfCheckWindow::buildVerdictLabels(QBoxLayout* layout)
{
    verdictLabel_ = new QLabel(QStringLiteral("棚札を読み取ってください"), this);
    verdictLabel_->setObjectName(QStringLiteral("verdictLabel"));
    verdictLabel_->setTextFormat(Qt::PlainText);
    QFont big = verdictLabel_->font();
    big.setPointSize(28);
    big.setBold(true);
    verdictLabel_->setFont(big);
    verdictLabel_->setMinimumHeight(QFontMetrics(big).height() + 12);
    layout->addWidget(verdictLabel_);
    productLabel_ = new QLabel(this);
    productLabel_->setObjectName(QStringLiteral("productLabel"));
    productLabel_->setTextFormat(Qt::PlainText);
    QFont middle = productLabel_->font();
    middle.setPointSize(18);
    productLabel_->setFont(middle);
    layout->addWidget(productLabel_);
    detailLabel_ = new QLabel(this);
    detailLabel_->setObjectName(QStringLiteral("detailLabel"));
    detailLabel_->setTextFormat(Qt::PlainText);
    middle.setBold(true);
    detailLabel_->setFont(middle);
    detailLabel_->setWordWrap(true);
    layout->addWidget(detailLabel_);
}

void ShelfCheckWindow::buildPrintRow(QBoxLayout* layout)
{
    auto* printRow = new QHBoxLayout;
    printButton_ = commandButton(QStringLiteral("直す札を印刷(&P)..."), QStringLiteral("printFixesButton"), this);
    printButton_->setToolTip(QStringLiteral("「違う」と「ない」の棚札だけを棚の順に印刷します"));
    fixCountLabel_ = new QLabel(this);
    fixCountLabel_->setObjectName(QStringLiteral("fixCountLabel"));
    takedownButton_ = commandButton(QStringLiteral("取り下げリスト(&T)..."), QStringLiteral("takedownButton"), this);
    takedownButton_->setToolTip(QStringLiteral("「取り下げ忘れ」の棚札のリストを PDF に保存するか印刷します"));
    newCheckButton_ = commandButton(QStringLiteral("新しいチェック(&N)"), QStringLiteral("newCheckButton"), this);
    print_->addPaperTo(printRow);
    printRow->addWidget(printButton_);
    printRow->addWidget(fixCountLabel_);
    printRow->addSpacing(16);
    printRow->addWidget(takedownButton_);
    printRow->addStretch();
    printRow->addWidget(newCheckButton_);
    layout->addLayout(printRow);
}

void ShelfCheckWindow::readLocations()
{
    catalogue::Result outcome;
    const std::vector<catalogue::LocationCheck> locations = catalogue_->lastChecks(catalogue::Moment::now(), &outcome);
    if (!outcome.ok()) {
        showError(outcome.message);
    }
    const QString chosen = placeBox_->currentData().toString();
    const QSignalBlocker quiet(placeBox_);
    placeBox_->clear();
    for (const catalogue::LocationCheck& location : locations) {
        placeBox_->addItem(location.checkId == 0
                               ? QStringLiteral("%1  (チェックはまだ)").arg(location.location)
                               : QStringLiteral("%1  (前回 %2)")
                                     .arg(location.location, pricing::shownDateTime(location.at.toDateTime())),
                           location.location);
    }
    placeBox_->addItem(QStringLiteral("全部"), QString());
    const int again = chosen.isEmpty() ? -1 : placeBox_->findData(chosen);
    placeBox_->setCurrentIndex(again >= 0 ? again : 0);
}

catalogue::CheckPlace ShelfCheckWindow::chosenPlace() const
{
    const QString location = placeBox_->currentData().toString();
    return location.isEmpty() ? catalogue::CheckPlace::all() : catalogue::CheckPlace::location(location);
}

void ShelfCheckWindow::placeChanged()
{
    // Staff walking on to the next shelf: the scans from now on are made there.
    if (isChecking()) {
        check_->moveTo(chosenPlace());
    }
    scanEdit_->setFocus();
}

void ShelfCheckWindow::beep()
{
    if (beep_) {
        beep_();
    }
}

void ShelfCheckWindow::showError(const QString& message)
{
    setErrorText(errorLabel_, message);
}

void ShelfCheckWindow::showRefusal(const QString& code, const QString& why)
{
    verdictLabel_->setText(QStringLiteral("読み取れません"));
    verdictLabel_->setStyleSheet(QStringLiteral("color: %1;").arg(verdictColour(CheckVerdict::wrong)));
    productLabel_->setText(code);
    detailLabel_->setText(why);
    beep();
}

void ShelfCheckWindow::scan(const QString& typed)
{
    if (!catalogue_) {
        showRefusal(typed.trimmed(), QStringLiteral("商品マスタを開けないため、棚チェックはできません"));
        return;
    }
    const jobs::ScannedCode read = jobs::readScannedCode(typed);
    if (!read.ok()) {
        showRefusal(typed.trimmed(), read.refusal);
        return;
    }
    if (record_) {
        // Kept for the next check, so that the scan is not lost.
        scanEdit_->setText(read.code);
        showRefusal(read.code,
                    QStringLiteral("この棚チェックは終了しています。続けて調べるときは「新しいチェック」を押し、"
                                   "もう一度 Enter を押してください"));
        return;
    }
    if (!check_) {
        catalogue::Result outcome;
        check_ = jobs::startShelfCheck(*catalogue_, chosenPlace(), catalogue::Moment::now(), &outcome);
        if (!check_) {
            scanEdit_->setText(read.code);
            showError(outcome.message);
            showRefusal(read.code, QStringLiteral("商品マスタを読めませんでした。Enter でもう一度読み取ります"));
            return;
        }
    }
    const jobs::ScanVerdict verdict = check_->scan(read.code);
    if (!verdict.failure.ok()) {
        scanEdit_->setText(read.code);
        showError(verdict.failure.message);
        showRefusal(read.code, QStringLiteral("商品マスタを読めませんでした。Enter でもう一度読み取ります"));
        return;
    }
    showError({});
    showVerdict(verdict);
    updateButtons();
}

void ShelfCheckWindow::showVerdict(const jobs::ScanVerdict& verdict)
{
    const QString where = check_->place().text();
    verdictLabel_->setText(catalogue::checkVerdictTitle(verdict.verdict));
    verdictLabel_->setStyleSheet(QStringLiteral("color: %1;").arg(verdictColour(verdict.verdict)));
    const QString name = verdict.product ? shownName(*verdict.product) : QStringLiteral("商品マスタにないコード");
    const QString price = verdict.product && verdict.verdict != CheckVerdict::unknown
        ? catalogue::report::yen(verdict.product->tag.price)
        : QString();
    productLabel_->setText(QStringLiteral("%1  %2  %3").arg(verdict.code, name, price).trimmed());
    detailLabel_->setText(
        verdict.counted ? verdict.detail
                        : QStringLiteral("%1 (同じ札を続けて読みました。数えません)").arg(verdict.detail).trimmed());
    if (catalogue::needsFixing(verdict.verdict)) {
        beep();
    }
    summaryLabel_->setText(QStringLiteral("棚 %1 を読み取り中: %2 回。終わったら「終了」を押してください")
                               .arg(where)
                               .arg(check_->scans()));

    // One line per tag's product and place; a second tag of it counts on the same line.
    int row = 0;
    while (row < table_->rowCount()
           && !(table_->item(row, kCode)->text() == verdict.code && table_->item(row, kLocation)->text() == where)) {
        ++row;
    }
    if (row == table_->rowCount()) {
        table_->insertRow(row);
        setResultRow(table_, row, verdict.verdict, {where, verdict.code, name, price, QString(), verdict.detail});
    }
    table_->item(row, kTags)->setText(QString::number(std::max(verdict.tags, 1)));
    table_->scrollToItem(table_->item(row, kVerdict));
    table_->selectRow(row);
}

bool ShelfCheckWindow::finish()
{
    if (!isChecking() || check_->scans() == 0) {
        summaryLabel_->setText(record_ ? QStringLiteral("この棚チェックは終了しています")
                                       : QStringLiteral("まだ何も読み取っていません"));
        scanEdit_->setFocus();
        return false;
    }
    catalogue::ShelfCheckRecord record = check_->finish();
    const int missing = record.count(CheckVerdict::missing);
    // A finish pressed too early would record the rest of the shelf as missing: asked, the
    // harmless answer by default (the scanner's Enter never reaches the question).
    const int answer = holding_->choose(
        this,
        QStringLiteral("棚 %1 の棚チェックを終了しますか？\n\n読み取っていない商品 %2 品は「ない」になり、"
                       "このチェックを商品マスタに記録します。")
            .arg(record.place)
            .arg(missing),
        QStringLiteral("棚チェックの終了"), MessageIcon::none,
        {QStringLiteral("終了する(&E)"), QStringLiteral("続ける(&C)")}, 1, 1);
    if (answer != 0) {
        scanEdit_->setFocus();
        return false;
    }
    if (const catalogue::Result kept = catalogue_->recordCheck(record, &record.id); !kept.ok()) {
        // The scans stay: 終了 can be pressed again.
        showError(QStringLiteral("棚チェックを記録できませんでした。\n%1").arg(kept.message));
        return false;
    }
    showError({});
    record_ = std::move(record);
    showRecord();
    readLocations();
    updateButtons();
    emit catalogueChanged();
    scanEdit_->setFocus();
    return true;
}

void ShelfCheckWindow::showRecord()
{
    const catalogue::ShelfCheckRecord& record = *record_;
    table_->setRowCount(0);
    for (const catalogue::CheckEntry& entry : record.entries) {
        const int row = table_->rowCount();
        table_->insertRow(row);
        setResultRow(table_, row, entry.verdict,
                     {entry.location, entry.code,
                      entry.productId == 0 ? QStringLiteral("商品マスタにないコード") : entry.name,
                      entry.productId == 0 ? QString() : catalogue::report::yen(entry.price),
                      QString::number(entry.tags), entry.detail});
    }
    QStringList counts;
    for (const CheckVerdict verdict : catalogue::allCheckVerdicts()) {
        counts << QStringLiteral("%1 %2").arg(catalogue::checkVerdictTitle(verdict)).arg(record.count(verdict));
    }
    QString text = QStringLiteral("棚チェック %1 を記録しました (棚 %2、%3、読み取り %4 回): %5。")
                       .arg(record.id)
                       .arg(record.place, pricing::shownDateTime(record.at.toDateTime()))
                       .arg(record.scans)
                       .arg(counts.join(QStringLiteral("、")));
    if (const int withoutCode = check_->productsWithoutCode(); withoutCode > 0) {
        text += QStringLiteral(" JAN コードのない商品 %1 品は読み取れないため、「ない」に数えていません。")
                    .arg(withoutCode);
    }
    summaryLabel_->setText(text);
    verdictLabel_->setText(record.needsFixing() ? QStringLiteral("直す棚札があります")
                                                : QStringLiteral("すべて正しい"));
    verdictLabel_->setStyleSheet(
        QStringLiteral("color: %1;")
            .arg(verdictColour(record.needsFixing() ? CheckVerdict::wrong : CheckVerdict::right)));
    productLabel_->clear();
    detailLabel_->clear();
    updateFixCount();
}

std::vector<catalogue::TagNeed> ShelfCheckWindow::fixNeeds(catalogue::Result* outcome) const
{
    if (!record_) {
        return {};
    }
    return jobs::needsToFix(*catalogue_, record_->id, catalogue::Moment::now(), outcome);
}

void ShelfCheckWindow::updateFixCount()
{
    if (!record_) {
        fixCountLabel_->clear();
        return;
    }
    catalogue::Result outcome;
    const std::vector<catalogue::TagNeed> needs = fixNeeds(&outcome);
    if (!outcome.ok()) {
        fixCountLabel_->setText(outcome.message);
        return;
    }
    const jobs::CataloguePrintPlan plan
        = jobs::planCataloguePrint(needs, print_->format(), print_->startTag(), jobs::NeedFilter::all);
    const QString none = needs.empty() ? QStringLiteral("直す札はありません")
                                       : QStringLiteral("直す札はすべて確認待ちの印刷にあります");
    fixCountLabel_->setText(plan.placed.empty() ? none
                                                : jobs::printCountText(int(plan.placed.size()), int(plan.sheets.size()),
                                                                       print_->startTag()));
}

void ShelfCheckWindow::updateButtons()
{
    finishButton_->setEnabled(isChecking());
    printButton_->setEnabled(record_.has_value()
                             && record_->count(CheckVerdict::wrong) + record_->count(CheckVerdict::missing) > 0);
    takedownButton_->setEnabled(record_.has_value() && record_->count(CheckVerdict::leftUp) > 0);
    newCheckButton_->setEnabled(record_.has_value());
}

void ShelfCheckWindow::startOver()
{
    check_.reset();
    record_.reset();
    table_->setRowCount(0);
    verdictLabel_->setText(QStringLiteral("棚札を読み取ってください"));
    verdictLabel_->setStyleSheet({});
    productLabel_->clear();
    detailLabel_->clear();
    summaryLabel_->clear();
    updateFixCount();
    updateButtons();
    scanEdit_->setFocus();
}

void ShelfCheckWindow::printFixes()
{
    if (!record_) {
        return;
    }
    catalogue::Result outcome;
    const std::vector<catalogue::TagNeed> needs = fixNeeds(&outcome);
    if (!outcome.ok()) {
        showError(outcome.message);
        return;
    }
    print_->printTags(needs, catalogue::Moment::now(),
                      QStringLiteral("印刷する棚札はありません。直す棚札は、印刷して確認待ちのものか、"
                                     "このチェックのあとに確認された印刷で直っています。"));
}

// The left-up tags of the check, each at the place it was found (which may not be the product's
// last location in the catalogue).
std::vector<catalogue::TagNeed> ShelfCheckWindow::leftUpNeeds(catalogue::Result* outcome) const
{
    std::vector<catalogue::TagNeed> needs;
    QSet<QString> listed;
    for (const catalogue::CheckEntry& entry : record_->entries) {
        const QString key = entry.code + u'\n' + entry.location;
        if (entry.verdict != CheckVerdict::leftUp || entry.productId == 0 || listed.contains(key)) {
            continue;
        }
        listed.insert(key);
        const std::optional<catalogue::Product> product = catalogue_->product(entry.code, outcome);
        if (!product) {
            return {};
        }
        catalogue::TagNeed need;
        need.kind = catalogue::NeedKind::takeDown;
        need.product = *product;
        need.product.shelf = entry.location;
        needs.push_back(std::move(need));
    }
    return needs;
}

void ShelfCheckWindow::takedownList()
{
    if (!record_) {
        return;
    }
    catalogue::Result outcome;
    const std::vector<catalogue::TagNeed> listed = leftUpNeeds(&outcome);
    if (!outcome.ok()) {
        showError(outcome.message);
        return;
    }
    takedown_->offerChecklist(
        listed, QStringLiteral("取り下げリスト 棚チェック %1 %2").arg(record_->id).arg(checklistDay()),
        QStringLiteral("取り下げ忘れの棚札は %1 枚です。リストを PDF に保存しますか、印刷しますか？"));
}

void ShelfCheckWindow::takeHeldScans()
{
    if (holding_->open()) {
        return;  // another dialog opened meanwhile: its closing takes them
    }
    for (const QString& code : holding_->takeHeld()) {
        scan(code);
    }
    // Digits without their Enter yet: left in the box for the scanner's (or the user's) Enter.
    if (const QString typing = holding_->takeTyping(); !typing.isEmpty()) {
        scanEdit_->setText(scanEdit_->text() + typing);
    }
    scanEdit_->setFocus();
}

void ShelfCheckWindow::closeEvent(QCloseEvent* event)
{
    if (isChecking() && check_->scans() > 0) {
        const int answer = holding_->choose(
            this,
            QStringLiteral("棚チェックを終了せずに閉じますか？\n\n読み取った %1 回分は記録されません。"
                           "記録するには「続ける」を選んで「終了」を押してください。")
                .arg(check_->scans()),
            kTitle, MessageIcon::warning, {QStringLiteral("閉じる(&X)"), QStringLiteral("続ける(&C)")}, 1, 1);
        if (answer != 0) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

}  // namespace desktop
