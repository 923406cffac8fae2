#include "desktop/catalogue/shelf_check_window.h"

#include "core/catalogue/catalogue_report.h"
#include "core/files/careful_write.h"
#include "core/files/file_command_texts.h"
#include "core/jobs/catalogue_print.h"
#include "core/pricing/shop_time.h"
#include "desktop/catalogue/catalogue_printing.h"
#include "desktop/catalogue/catalogue_window.h"
#include "output/print_job.h"
#include "output/sheet_delivery.h"
#include "output/tag_sheet_printing.h"
#include "output/takedown_checklist.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <type_traits>
#include <utility>

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

QPushButton* button(const QString& text, const QString& name, QWidget* parent)
{
    auto* made = new QPushButton(text, parent);
    made->setObjectName(name);
    made->setAutoDefault(false);
    return made;
}

// Maker, name and size, as the tag shows them.
QString shownName(const catalogue::Product& product)
{
    return QStringLiteral("%1 %2 %3").arg(product.tag.maker, product.tag.productName, product.tag.spec).simplified();
}

// A digit as a scanner or a keyboard types it (half- or full-width).
bool isDigitKey(const QKeyEvent& key)
{
    const QString text = key.text();
    return text.size() == 1 && text.front().isDigit() && !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

// Whether a widget takes text typed into it: a file name, a number of copies.
bool takesText(const QObject* object)
{
    return qobject_cast<const QLineEdit*>(object) != nullptr || qobject_cast<const QAbstractSpinBox*>(object) != nullptr
        || qobject_cast<const QTextEdit*>(object) != nullptr || qobject_cast<const QPlainTextEdit*>(object) != nullptr;
}

}  // namespace

// The window's dialogs, passed on to the real ones, counting how many are open: while one is, the
// scanner's keys are held back (ShelfCheckWindow::eventFilter), and once the last has closed the
// scans held are handled.
class ShelfCheckWindow::HoldingDialogs : public Dialogs {
public:
    HoldingDialogs(Dialogs& real, ShelfCheckWindow& window) : real_(real), window_(window) { }

    bool open() const { return depth_ > 0; }

    bool choosePrinter(QWidget* parent, QPrinter& printer) override
    {
        return held([&] { return real_.choosePrinter(parent, printer); });
    }
    std::optional<QString> openFile(QWidget* parent, FileDialogState& state) override
    {
        return held([&] { return real_.openFile(parent, state); });
    }
    std::optional<QString> saveFile(QWidget* parent, FileDialogState& state) override
    {
        return held([&] { return real_.saveFile(parent, state); });
    }
    bool fileExists(const QString& path) override { return real_.fileExists(path); }
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title, const QString& start) override
    {
        return held([&] { return real_.chooseFolder(parent, title, start); });
    }
    MessageAnswer message(QWidget* parent, const QString& text, const QString& title, MessageIcon icon,
                          MessageButtons buttons) override
    {
        return held([&] { return real_.message(parent, text, title, icon, buttons); });
    }
    int choose(QWidget* parent, const QString& text, const QString& title, MessageIcon icon, const QStringList& buttons,
               int cancelIndex, int defaultIndex) override
    {
        return held([&] { return real_.choose(parent, text, title, icon, buttons, cancelIndex, defaultIndex); });
    }
    std::optional<FontChoice> chooseFont(QWidget* parent) override
    {
        return held([&] { return real_.chooseFont(parent); });
    }
    std::optional<draw::Colour> chooseColour(QWidget* parent) override
    {
        return held([&] { return real_.chooseColour(parent); });
    }

private:
    template<class Show> std::invoke_result_t<const Show&> held(const Show& show)
    {
        ++depth_;
        auto answer = show();
        if (--depth_ == 0) {
            // Handled once the command that asked has run to its end.
            QTimer::singleShot(0, &window_, [window = &window_] { window->takeHeldScans(); });
        }
        return answer;
    }

    Dialogs& real_;
    ShelfCheckWindow& window_;
    int depth_ = 0;
};

ShelfCheckWindow::ShelfCheckWindow(const catalogue::CatalogueAddress& address, Dialogs& dialogs, int formatIndex,
                                   int startTag, QWidget* parent)
    : QWidget(parent, Qt::Window), address_(address), dialogs_(std::make_unique<HoldingDialogs>(dialogs, *this)),
      beep_([] { QApplication::beep(); })
{
    setObjectName(QStringLiteral("shelfCheckWindow"));
    setWindowTitle(kTitle);
    pdfDialog_.filter = QStringLiteral("PDF ファイル (*.pdf)|*.pdf|");
    pdfDialog_.fileName = QStringLiteral("取り下げリスト.pdf");
    buildControls();
    formatBox_->setCurrentIndex(formatIndex == 1 ? 1 : 0);
    startTagBox_->setValue(startTag);
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
    qApp->installEventFilter(this);
}

ShelfCheckWindow::~ShelfCheckWindow()
{
    qApp->removeEventFilter(this);
}

void ShelfCheckWindow::buildControls()
{
    auto* layout = new QVBoxLayout(this);

    errorLabel_ = new QLabel(this);
    errorLabel_->setObjectName(QStringLiteral("errorLabel"));
    errorLabel_->setWordWrap(true);
    errorLabel_->setStyleSheet(QStringLiteral("color: #b00; font-weight: bold;"));
    errorLabel_->setTextFormat(Qt::PlainText);
    errorLabel_->hide();
    layout->addWidget(errorLabel_);

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
    finishButton_ = button(QStringLiteral("終了(&E)"), QStringLiteral("finishButton"), this);
    finishButton_->setToolTip(QStringLiteral("読み取っていない商品を「ない」にして、棚チェックを記録します"));
    scanRow->addWidget(placeLabel);
    scanRow->addWidget(placeBox_);
    scanRow->addSpacing(12);
    scanRow->addWidget(scanLabel);
    scanRow->addWidget(scanEdit_, 1);
    scanRow->addWidget(finishButton_);
    layout->addLayout(scanRow);

    // The last scan, readable from arm's length.
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

    auto* printRow = new QHBoxLayout;
    auto* formatLabel = new QLabel(QStringLiteral("用紙(&Y):"), this);
    formatBox_ = new QComboBox(this);
    formatBox_->setObjectName(QStringLiteral("formatBox"));
    formatBox_->addItem(QStringLiteral("大きい棚札 (24枚)"));
    formatBox_->addItem(QStringLiteral("小さい棚札 (40枚)"));
    formatLabel->setBuddy(formatBox_);
    auto* startLabel = new QLabel(QStringLiteral("開始位置(&S):"), this);
    startTagBox_ = new QSpinBox(this);
    startTagBox_->setObjectName(QStringLiteral("startTagBox"));
    startTagBox_->setRange(1, sheet::SheetFormat::large.tagsPerPage);
    startTagBox_->setSuffix(QStringLiteral(" 枚目から"));
    startLabel->setBuddy(startTagBox_);
    printButton_ = button(QStringLiteral("直す札を印刷(&P)..."), QStringLiteral("printFixesButton"), this);
    printButton_->setToolTip(QStringLiteral("「違う」と「ない」の棚札だけを棚の順に印刷します"));
    fixCountLabel_ = new QLabel(this);
    fixCountLabel_->setObjectName(QStringLiteral("fixCountLabel"));
    takedownButton_ = button(QStringLiteral("取り下げリスト(&T)..."), QStringLiteral("takedownButton"), this);
    takedownButton_->setToolTip(QStringLiteral("「取り下げ忘れ」の棚札のリストを PDF に保存するか印刷します"));
    newCheckButton_ = button(QStringLiteral("新しいチェック(&N)"), QStringLiteral("newCheckButton"), this);
    printRow->addWidget(formatLabel);
    printRow->addWidget(formatBox_);
    printRow->addWidget(startLabel);
    printRow->addWidget(startTagBox_);
    printRow->addWidget(printButton_);
    printRow->addWidget(fixCountLabel_);
    printRow->addSpacing(16);
    printRow->addWidget(takedownButton_);
    printRow->addStretch();
    printRow->addWidget(newCheckButton_);
    layout->addLayout(printRow);

    connect(scanEdit_, &QLineEdit::returnPressed, this, [this] {
        const QString typed = scanEdit_->text();
        scanEdit_->clear();
        scan(typed);
    });
    connect(placeBox_, &QComboBox::currentIndexChanged, this, [this] { placeChanged(); });
    connect(formatBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        startTagBox_->setMaximum(index == 1 ? sheet::SheetFormat::small.tagsPerPage
                                            : sheet::SheetFormat::large.tagsPerPage);
        updateFixCount();
    });
    connect(startTagBox_, &QSpinBox::valueChanged, this, [this] { updateFixCount(); });
    connect(finishButton_, &QPushButton::clicked, this, [this] { finish(); });
    connect(printButton_, &QPushButton::clicked, this, [this] { printFixes(); });
    connect(takedownButton_, &QPushButton::clicked, this, [this] { takedownList(); });
    connect(newCheckButton_, &QPushButton::clicked, this, [this] { startOver(); });
    setFocusProxy(scanEdit_);
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

const sheet::SheetFormat& ShelfCheckWindow::chosenFormat() const
{
    return formatBox_->currentIndex() == 1 ? sheet::SheetFormat::small : sheet::SheetFormat::large;
}

void ShelfCheckWindow::beep()
{
    if (beep_) {
        beep_();
    }
}

void ShelfCheckWindow::showError(const QString& message)
{
    errorLabel_->setText(message);
    errorLabel_->setVisible(!message.isEmpty());
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
        const QString cells[kColumns] = {
            catalogue::checkVerdictTitle(verdict.verdict), where, verdict.code, name, price, QString(), verdict.detail};
        for (int column = 0; column < kColumns; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == kVerdict) {
                item->setForeground(QColor(verdictColour(verdict.verdict)));
            }
            table_->setItem(row, column, item);
        }
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
    const int answer = dialogs_->choose(
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
        const QString cells[kColumns] = {catalogue::checkVerdictTitle(entry.verdict),
                                         entry.location,
                                         entry.code,
                                         entry.productId == 0 ? QStringLiteral("商品マスタにないコード") : entry.name,
                                         entry.productId == 0 ? QString() : catalogue::report::yen(entry.price),
                                         QString::number(entry.tags),
                                         entry.detail};
        for (int column = 0; column < kColumns; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == kVerdict) {
                item->setForeground(QColor(verdictColour(entry.verdict)));
            }
            table_->setItem(row, column, item);
        }
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
        = jobs::planCataloguePrint(needs, chosenFormat(), startTagBox_->value(), jobs::NeedFilter::all);
    const QString none = needs.empty() ? QStringLiteral("直す札はありません")
                                       : QStringLiteral("直す札はすべて確認待ちの印刷にあります");
    fixCountLabel_->setText(plan.placed.empty() ? none
                                                : jobs::printCountText(int(plan.placed.size()), int(plan.sheets.size()),
                                                                       startTagBox_->value()));
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
    const sheet::SheetFormat& format = chosenFormat();
    QString warnings;
    QStringList leftOut;
    const jobs::CataloguePrintResult printed = printOnChosenPrinter(
        this, *dialogs_, kTitle, settingsFile_, *catalogue_, needs,
        {&format, startTagBox_->value(), jobs::NeedFilter::all, catalogue::Moment::now(), false}, &warnings, &leftOut);
    if (!printWasRecorded(this, *dialogs_, kTitle, printed,
                          QStringLiteral("印刷する棚札はありません。直す棚札は、印刷して確認待ちのものか、"
                                         "このチェックのあとに確認された印刷で直っています。"),
                          [this](const QString& error) { showError(error); })) {
        return;
    }
    emit catalogueChanged();
    if (!warnings.isEmpty()) {
        summaryLabel_->setText(QString(warnings).remove(u'\n'));
    }
    askAboutPrint(printed.printId, leftOut);
}

void ShelfCheckWindow::askAboutPrint(qint64 printId, const QStringList& leftOut)
{
    const PrintAnswer answer = desktop::askAboutPrint(this, *dialogs_, *catalogue_, printId, leftOut);
    switch (answer.kind) {
    case PrintAnswer::Kind::refused:
        showError(answer.text);
        return;
    case PrintAnswer::Kind::later:
        summaryLabel_->setText(
            QStringLiteral("印刷 %1 は確認待ちです。商品マスタの画面の一覧からあとで確認できます").arg(printId));
        break;
    case PrintAnswer::Kind::confirmed:
    case PrintAnswer::Kind::failed:
        summaryLabel_->setText(answer.text);
        emit catalogueChanged();
        break;
    }
    updateFixCount();
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
    if (listed.empty()) {
        dialogs_->message(this, QStringLiteral("取り下げる棚札はありません。"), kTitle, MessageIcon::information,
                          MessageButtons::ok);
        return;
    }
    const QString title = QStringLiteral("取り下げリスト 棚チェック %1 %2")
                              .arg(record_->id)
                              .arg(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    const int answer = dialogs_->choose(
        this,
        QStringLiteral("取り下げ忘れの棚札は %1 枚です。リストを PDF に保存しますか、印刷しますか？")
            .arg(listed.size()),
        kTitle, MessageIcon::none,
        {QStringLiteral("PDF に保存(&S)..."), QStringLiteral("印刷(&P)..."), QStringLiteral("キャンセル")}, 2, 0);
    QString error;
    if (answer == 0) {
        const std::optional<QString> path = dialogs_->saveFile(this, pdfDialog_);
        if (!path) {
            return;
        }
        QByteArray pdf;
        if (!output::drawTakedownChecklist(listed, title, pdf, &error)) {
            dialogs_->message(this, error, files::kErrorTitle, MessageIcon::stop, MessageButtons::ok);
            return;
        }
        const files::FileWriteResult written = files::writeFileCarefully(*path, pdf);
        if (!written.ok && !written.replacedUnflushed) {
            dialogs_->message(
                this,
                QStringLiteral("%1 を保存できませんでした。\n%2").arg(QDir::toNativeSeparators(*path), written.error),
                files::kErrorTitle, MessageIcon::stop, MessageButtons::ok);
            return;
        }
        summaryLabel_->setText(
            written.replacedUnflushed
                ? files::unflushedNotice(QDir::toNativeSeparators(*path), written.error)
                : QStringLiteral("取り下げリストを保存しました: %1").arg(QDir::toNativeSeparators(*path)));
    } else if (answer == 1) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(title);
        if (!dialogs_->choosePrinter(this, printer)) {
            return;
        }
        if (!output::drawTakedownChecklist(listed, title, printer, &error)) {
            dialogs_->message(this, QStringLiteral("印刷できませんでした。\n%1").arg(error), files::kErrorTitle,
                              MessageIcon::stop, MessageButtons::ok);
            return;
        }
        summaryLabel_->setText(QStringLiteral("取り下げリストを印刷しました"));
    }
}

void ShelfCheckWindow::takeHeldScans()
{
    if (dialogs_->open()) {
        return;  // another dialog opened meanwhile: its closing takes them
    }
    const QStringList scans = std::exchange(held_, {});
    for (const QString& code : scans) {
        scan(code);
    }
    if (!typing_.isEmpty()) {
        // Digits without their Enter yet: left in the box for the scanner's (or the user's) Enter.
        scanEdit_->setText(scanEdit_->text() + std::exchange(typing_, {}));
    }
    scanEdit_->setFocus();
}

bool ShelfCheckWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !dialogs_->open()) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && takesText(widget) && widget->window() != this) {
        return false;  // a file name or a number typed into the dialog
    }
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (isDigitKey(key)) {
        typing_ += key.text();
        return true;
    }
    if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && !typing_.isEmpty()) {
        // The scan's Enter: held with its digits, never pressing the dialog's button.
        held_ << std::exchange(typing_, {});
        return true;
    }
    return false;
}

void ShelfCheckWindow::closeEvent(QCloseEvent* event)
{
    if (isChecking() && check_->scans() > 0) {
        const int answer = dialogs_->choose(
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
