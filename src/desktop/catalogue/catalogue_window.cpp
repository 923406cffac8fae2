#include "desktop/catalogue/catalogue_window.h"

#include "desktop/catalogue/catalogue_printing.h"

#include "core/catalogue/catalogue_report.h"
#include "core/catalogue/incoming_list.h"
#include "core/files/careful_write.h"
#include "core/files/file_command_texts.h"
#include "core/jobs/catalogue_import.h"
#include "core/jobs/catalogue_print.h"
#include "core/pricing/shop_time.h"
#include "core/productlist/cleaning.h"
#include "core/productlist/list_table.h"
#include "desktop/catalogue/catalogue_import_dialog.h"
#include "desktop/catalogue/catalogue_model.h"
#include "desktop/catalogue/catalogue_print_dialog.h"
#include "desktop/catalogue/coming_dates.h"
#include "desktop/catalogue/offer_import_dialog.h"
#include "desktop/catalogue/offer_view.h"
#include "desktop/catalogue/shelf_check_window.h"
#include "desktop/window_registry.h"
#include "output/print_job.h"
#include "output/sheet_delivery.h"
#include "output/tag_sheet_printing.h"
#include "output/takedown_checklist.h"

#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace desktop {

namespace {

const QString kTitle = QStringLiteral("商品マスタ");

struct TabDef {
    StatusFilter filter;
    const char* title;
};

const TabDef kTabs[] = {
    {StatusFilter::all, "すべて"},       {StatusFilter::toPrint, "印刷が必要"}, {StatusFilter::newTag, "新規"},
    {StatusFilter::changed, "変更あり"}, {StatusFilter::upToDate, "最新"},      {StatusFilter::takeDown, "取り下げ"},
};

QPushButton* button(const QString& text, const QString& name, QWidget* parent)
{
    auto* made = new QPushButton(text, parent);
    made->setObjectName(name);
    made->setAutoDefault(false);
    return made;
}

// The pages of the window, in the order they are added.
enum Page { kFirstStartPage, kProductsPage, kDamagedPage };

// How many days ahead the coming dates look, as `tanafuda-catalogue status` does.
constexpr int kComingDays = 14;

// The refused rows listed in the merge summary; the rest are counted.
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

// The refused rows as the import view's notes name them: "5行目: JANコードも商品コードもない...".
QString refusedRowsText(const std::vector<catalogue::RefusedRow>& refused)
{
    QString text;
    const int listed = std::min<int>(int(refused.size()), kRefusedRowsListed);
    for (int i = 0; i < listed; ++i) {
        text += QStringLiteral("      %1行目: %2\n").arg(refused[size_t(i)].number).arg(refused[size_t(i)].reason);
    }
    if (int(refused.size()) > listed) {
        text += QStringLiteral("      ほか %1 行\n").arg(int(refused.size()) - listed);
    }
    return text;
}

const QString kFirstStartText
    = QStringLiteral("商品マスタはまだありません。\n\n"
                     "商品マスタは、レジや本部の商品リストを取り込んで、店の商品と売価を覚えておくものです。"
                     "新しいリストを取り込むたびに、新しく入った商品・売価が変わった商品・扱わなくなった商品が分かり、"
                     "その棚札だけを棚の順に印刷できます。\n\n"
                     "まずレジの商品リスト (CSV や Excel のファイル) を取り込んでください。");

}  // namespace

QString mergeSummaryText(const catalogue::MergePlan& plan, const QString& fileName)
{
    const catalogue::MergeCounts& counts = plan.counts;
    QString text = QStringLiteral("「%1」を商品マスタに取り込むと:\n\n"
                                  "  新規　　　%2 件\n"
                                  "  変更　　　%3 件\n")
                       .arg(fileName)
                       .arg(counts.added)
                       .arg(counts.changed);
    if (counts.changed > 0) {
        const catalogue::ChangeSummary changes = catalogue::summariseChanges(plan);
        text += QStringLiteral("      札が変わる %1 件\n").arg(changes.needTag);
        for (const catalogue::ChangeSummary::Quiet& quiet : changes.quiet) {
            text += QStringLiteral("      %1\n").arg(quietChangeText(quiet));
        }
    }
    text += QStringLiteral("  取り下げ　%1 件\n"
                           "  変更なし　%2 件\n")
                .arg(counts.discontinued)
                .arg(counts.unchanged);
    if (!plan.refused.empty()) {
        text += QStringLiteral("  取り込めない行　%1 行\n").arg(plan.refused.size());
        text += refusedRowsText(plan.refused);
    }
    text += QStringLiteral("\nこのリストに無い商品は取り下げになります。リストが一部の商品だけのときは"
                           "「一部の商品として取り込む」を選んでください (取り下げはありません)。");
    return text;
}

CatalogueWindow::CatalogueWindow(const catalogue::CatalogueAddress& address, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), address_(address), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("catalogueWindow"));
    setWindowTitle(kTitle);
    listDialog_.filter = QStringLiteral("商品リスト (*.csv *.tsv *.txt *.xlsx *.ods)|*.csv;*.tsv;*.txt;*.xlsx;*.ods|"
                                        "すべてのファイル (*.*)|*.*|");
    listDialog_.fileName.clear();
    pdfDialog_.filter = QStringLiteral("PDF ファイル (*.pdf)|*.pdf|");
    pdfDialog_.fileName = QStringLiteral("取り下げリスト.pdf");
    buildControls();
    resize(1120, 640);
    readCatalogue(true);
}

CatalogueWindow::~CatalogueWindow()
{
    if (loader_) {
        loader_->wait();
    }
}

void CatalogueWindow::buildControls()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* outer = new QVBoxLayout(central);

    errorLabel_ = new QLabel(central);
    errorLabel_->setObjectName(QStringLiteral("errorLabel"));
    errorLabel_->setWordWrap(true);
    errorLabel_->setStyleSheet(QStringLiteral("color: #b00; font-weight: bold;"));
    errorLabel_->setTextFormat(Qt::PlainText);
    errorLabel_->hide();
    outer->addWidget(errorLabel_);

    pages_ = new QStackedWidget(central);
    outer->addWidget(pages_);

    pages_->addWidget(buildEmptyPage());

    auto* main = new QWidget(pages_);
    auto* layout = new QVBoxLayout(main);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* searchRow = new QHBoxLayout;
    auto* searchLabel = new QLabel(QStringLiteral("検索(&F):"), main);
    searchEdit_ = new QLineEdit(main);
    searchEdit_->setObjectName(QStringLiteral("searchEdit"));
    searchEdit_->setPlaceholderText(QStringLiteral("商品名・メーカー・コード。JANコードと Enter でその商品へ"));
    searchEdit_->setClearButtonEnabled(true);
    searchLabel->setBuddy(searchEdit_);
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(searchEdit_, 1);
    layout->addLayout(searchRow);

    comingDates_ = new ComingDates(main);
    layout->addWidget(comingDates_);

    tabs_ = new QTabBar(main);
    tabs_->setObjectName(QStringLiteral("statusTabs"));
    for (const TabDef& tab : kTabs) {
        tabs_->addTab(QString::fromUtf8(tab.title));  // the counts follow once the catalogue is read
    }
    layout->addWidget(tabs_);

    model_ = new CatalogueModel(this);
    table_ = new QTableView(main);
    table_->setObjectName(QStringLiteral("productTable"));
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->verticalHeader()->hide();
    // Every row as tall as the font: the view then never measures the rows it does not show.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {120, 110, 220, 70, 60, 70, 120, 70, 70, 190, 150, 110};
    static_assert(std::size(widths) == CatalogueModel::columns, "a width for every column");
    for (int column = 0; column < CatalogueModel::columns; ++column) {
        table_->setColumnWidth(column, widths[column]);
    }
    table_->setSortingEnabled(true);
    table_->sortByColumn(CatalogueModel::shelf, Qt::AscendingOrder);
    layout->addWidget(table_, 1);

    auto* printRow = new QHBoxLayout;
    auto* importButton = button(QStringLiteral("取り込み(&I)..."), QStringLiteral("importButton"), main);
    auto* formatLabel = new QLabel(QStringLiteral("用紙(&Y):"), main);
    formatBox_ = new QComboBox(main);
    formatBox_->setObjectName(QStringLiteral("formatBox"));
    formatBox_->addItem(QStringLiteral("大きい棚札 (24枚)"));
    formatBox_->addItem(QStringLiteral("小さい棚札 (40枚)"));
    formatLabel->setBuddy(formatBox_);
    auto* startLabel = new QLabel(QStringLiteral("開始位置(&S):"), main);
    startTagBox_ = new QSpinBox(main);
    startTagBox_->setObjectName(QStringLiteral("startTagBox"));
    startTagBox_->setRange(1, sheet::SheetFormat::large.tagsPerPage);
    startTagBox_->setSuffix(QStringLiteral(" 枚目から"));
    startLabel->setBuddy(startTagBox_);
    connect(formatBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        startTagBox_->setMaximum(index == 1 ? sheet::SheetFormat::small.tagsPerPage
                                            : sheet::SheetFormat::large.tagsPerPage);
    });
    auto* printButton = button(QStringLiteral("変更分を印刷(&P)..."), QStringLiteral("printButton"), main);
    printButton->setToolTip(QStringLiteral(
        "新規と変更ありの棚札を棚の順に印刷します (選んだ商品だけを印刷するときは、印刷の画面で選びます)"));
    auto* fillButton = button(QStringLiteral("棚札に入れる(&E)"), QStringLiteral("fillButton"), main);
    auto* takedownButton = button(QStringLiteral("取り下げリスト(&T)..."), QStringLiteral("takedownButton"), main);
    auto* takedownDoneButton
        = button(QStringLiteral("取り下げ完了(&D)..."), QStringLiteral("takedownDoneButton"), main);
    takedownDoneButton->setToolTip(
        QStringLiteral("棚から外した棚札を記録します (取り下げの商品を選んでいるときはその商品、ほかは一覧のすべて)"));
    auto* historyButton = button(QStringLiteral("履歴(&H)"), QStringLiteral("historyButton"), main);
    // The print row holds what is done to the products; the take-downs sit beside the prints
    // waiting for their answer below, so that every button keeps its whole text at the window's
    // first width.
    printRow->addWidget(importButton);
    printRow->addSpacing(16);
    printRow->addWidget(formatLabel);
    printRow->addWidget(formatBox_);
    printRow->addWidget(startLabel);
    printRow->addWidget(startTagBox_);
    printRow->addWidget(printButton);
    printRow->addSpacing(16);
    printRow->addWidget(fillButton);
    printRow->addWidget(historyButton);
    auto* shelfCheckButton = button(QStringLiteral("棚チェック(&K)..."), QStringLiteral("shelfCheckButton"), main);
    shelfCheckButton->setToolTip(
        QStringLiteral("棚札をスキャナーで読み取り、違う・ない・取り下げ忘れの棚札を調べます"));
    printRow->addWidget(shelfCheckButton);
    printRow->addStretch();
    layout->addLayout(printRow);

    auto* pendingRow = new QHBoxLayout;
    auto* pendingLabel = new QLabel(QStringLiteral("確認待ちの印刷(&W):"), main);
    pendingList_ = new QListWidget(main);
    pendingList_->setObjectName(QStringLiteral("pendingList"));
    pendingList_->setMaximumHeight(72);
    pendingLabel->setBuddy(pendingList_);
    auto* confirmButton = button(QStringLiteral("確認(&C)..."), QStringLiteral("confirmButton"), main);
    pendingRow->addWidget(pendingLabel, 0, Qt::AlignTop);
    pendingRow->addWidget(pendingList_, 1);
    pendingRow->addWidget(confirmButton, 0, Qt::AlignTop);
    pendingRow->addSpacing(16);
    pendingRow->addWidget(takedownButton, 0, Qt::AlignTop);
    pendingRow->addWidget(takedownDoneButton, 0, Qt::AlignTop);
    pendingRow->addSpacing(16);
    // What the tags show beside the price, for the whole shop (the editors' 棚札の表示... too).
    auto* tagTextsButton = button(QStringLiteral("棚札の表示(&G)..."), QStringLiteral("tagTextsButton"), main);
    pendingRow->addWidget(tagTextsButton, 0, Qt::AlignTop);
    connect(tagTextsButton, &QPushButton::clicked, this, [this] { showTagTextDialog(this, dialogs_, settingsFile_); });
    layout->addLayout(pendingRow);
    // The products and the offers, a tab each.
    auto* views = new QTabWidget(pages_);
    views->setObjectName(QStringLiteral("viewTabs"));
    views->addTab(main, QStringLiteral("商品一覧(&L)"));
    offerView_ = new OfferView(dialogs_, views);
    views->addTab(offerView_, QStringLiteral("特売(&B)"));
    pages_->addWidget(views);
    pages_->addWidget(buildDamagedPage());

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setSingleShot(true);
    refreshTimer_->setInterval(300);
    connect(refreshTimer_, &QTimer::timeout, this, &CatalogueWindow::refreshAfterChange);

    noteLabel_ = new QLabel(this);
    noteLabel_->setObjectName(QStringLiteral("noteLabel"));
    statusBar()->addWidget(noteLabel_, 1);

    connect(searchEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_->setSearchText(text);
        showNote(QStringLiteral("%1 件").arg(model_->rowCount()));
    });
    connect(searchEdit_, &QLineEdit::returnPressed, this, [this] {
        static const QRegularExpression code(QStringLiteral("^(\\d{8}|\\d{13})$"));
        const QString text = searchEdit_->text().trimmed();
        if (code.match(text).hasMatch()) {
            findCode(text);
        }
    });
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0 && index < int(std::size(kTabs))) {
            model_->setStatusFilter(kTabs[index].filter);
        }
    });
    connect(importButton, &QPushButton::clicked, this, [this] { importList(); });
    connect(printButton, &QPushButton::clicked, this, [this] { printChanges(); });
    connect(offerView_, &OfferView::importRequested, this, [this] { importOffer(); });
    connect(comingDates_, &ComingDates::printRequested, this,
            [this](const catalogue::Moment& at, const QString& purpose) { printAt(at, purpose); });
    connect(offerView_, &OfferView::failed, this, [this](const QString& message) { showReadError(message); });
    connect(offerView_, &OfferView::offerEnded, this, [this](qint64 offerId, const QDate& on) {
        commandStarts();
        wroteHere();
        reload();
        showNote(QStringLiteral("特売 %1 を %2 から終わりにしました。その日から棚札を戻します")
                     .arg(offerId)
                     .arg(pricing::shownDate(on)));
    });
    connect(fillButton, &QPushButton::clicked, this, [this] { putIntoEditor(); });
    connect(takedownButton, &QPushButton::clicked, this, [this] { takedownList(); });
    connect(takedownDoneButton, &QPushButton::clicked, this, [this] { takedownDone(); });
    connect(historyButton, &QPushButton::clicked, this, [this] { showHistory(); });
    connect(shelfCheckButton, &QPushButton::clicked, this, [this] { openShelfCheck(); });
    connect(table_, &QTableView::doubleClicked, this, [this] { showHistory(); });
    connect(confirmButton, &QPushButton::clicked, this, [this] { confirmPending(); });
    connect(pendingList_, &QListWidget::itemActivated, this, [this] { confirmPending(); });
}

QWidget* CatalogueWindow::buildEmptyPage()
{
    // Without a catalogue: what it is for, and the way to make one.
    auto* empty = new QWidget(pages_);
    empty->setObjectName(QStringLiteral("emptyPage"));
    auto* emptyLayout = new QVBoxLayout(empty);
    auto* about = new QLabel(kFirstStartText, empty);
    about->setObjectName(QStringLiteral("firstStartText"));
    about->setWordWrap(true);
    emptyLayout->addStretch();
    emptyLayout->addWidget(about);
    auto* emptyImport = button(QStringLiteral("取り込み(&I)..."), QStringLiteral("emptyImportButton"), empty);
    emptyLayout->addWidget(emptyImport, 0, Qt::AlignLeft);
    emptyLayout->addStretch();
    connect(emptyImport, &QPushButton::clicked, this, [this] { importList(); });
    return empty;
}

QWidget* CatalogueWindow::buildDamagedPage()
{
    // A damaged file: what happened, where the file went, what the next import does.
    auto* page = new QWidget(pages_);
    page->setObjectName(QStringLiteral("damagedPage"));
    auto* layout = new QVBoxLayout(page);
    damagedText_ = new QLabel(page);
    damagedText_->setObjectName(QStringLiteral("damagedText"));
    damagedText_->setWordWrap(true);
    damagedText_->setTextFormat(Qt::PlainText);
    damagedText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addStretch();
    layout->addWidget(damagedText_);
    auto* buttons = new QHBoxLayout;
    buttons->setObjectName(QStringLiteral("damagedButtons"));
    auto* importButton = button(QStringLiteral("新しく取り込む(&I)..."), QStringLiteral("damagedImportButton"), page);
    buttons->addWidget(importButton);
    // The restore from a copy of the catalogue takes its place here, beside the import, once the
    // catalogue keeps copies to restore from.
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();
    connect(importButton, &QPushButton::clicked, this, [this] { importList(); });
    return page;
}

void CatalogueWindow::showDamaged(const catalogue::Result& outcome)
{
    const QString file = QDir::toNativeSeparators(address_.path);
    // What the database said stands in red above the page; the page says what it means.
    QString text
        = QStringLiteral("商品マスタのファイル %1 が壊れていて、読めませんでした (理由は上の赤い字のとおりです)。\n\n")
              .arg(file);
    if (!outcome.movedTo.isEmpty()) {
        text += QStringLiteral("壊れたファイルは消さずに、次の名前で残してあります:\n  %1\n\n"
                               "次に商品リストを取り込むと、%2 に新しい商品マスタが作られ、そのリストの商品が"
                               "すべて「新規」として入ります。これまでの売価の履歴と印刷の記録は新しい商品マスタには"
                               "ありません。")
                    .arg(QDir::toNativeSeparators(outcome.movedTo), file);
    } else {
        text += QStringLiteral(
            "壊れたファイルは移せなかったため、そのまま残っています。取り込む前に、このファイルを別の"
            "場所へ移すか名前を変えてください。移せば、次に商品リストを取り込むときに新しい商品マスタが"
            "作られます。");
    }
    damagedText_->setText(text);
    pages_->setCurrentIndex(kDamagedPage);
}

void CatalogueWindow::showError(const QString& message)
{
    commandError_ = message;
    showErrors();
}

void CatalogueWindow::showReadError(const QString& message)
{
    readError_ = message;
    showErrors();
}

void CatalogueWindow::showErrors()
{
    QStringList shown;
    for (const QString& error : {commandError_, readError_}) {
        if (!error.isEmpty() && !shown.contains(error)) {
            shown << error;
        }
    }
    errorLabel_->setText(shown.join(u'\n'));
    errorLabel_->setVisible(!shown.isEmpty());
}

void CatalogueWindow::commandStarts()
{
    if (!commandError_.isEmpty()) {
        showError({});
    }
}

void CatalogueWindow::showNote(const QString& message)
{
    noteLabel_->setText(message);
}

bool CatalogueWindow::ensureOpen(bool create)
{
    if (catalogue_) {
        return true;
    }
    catalogue::Result outcome;
    catalogue_ = catalogue::Catalogue::open(address_, {create}, &outcome);
    if (!catalogue_ && !create && outcome.status == catalogue::Status::unwritable) {
        // A catalogue this user or this disk may only read is shown all the same; the note says
        // why what would write it cannot.
        catalogue::OpenOptions reading;
        reading.readOnly = true;
        reading.check = true;
        if ((catalogue_ = catalogue::Catalogue::open(address_, reading, nullptr))) {
            showNote(outcome.message);
            return true;
        }
    }
    if (!catalogue_) {
        if (outcome.status == catalogue::Status::damaged) {
            damaged_ = outcome;
        }
        if (damaged_) {
            // The file was moved aside on an earlier opening: the page still says so.
            showDamaged(*damaged_);
        } else {
            pages_->setCurrentIndex(kFirstStartPage);
        }
        const bool firstStart = outcome.status == catalogue::Status::missing;
        control<QLabel>(QStringLiteral("firstStartText"))
            ->setText(firstStart ? kFirstStartText
                                 : QStringLiteral("商品マスタを開けませんでした。上に書いた理由を確かめてください。"));
        showReadError(firstStart && !damaged_ ? QString() : damaged_ ? damaged_->message : outcome.message);
        return false;
    }
    damaged_.reset();
    return true;
}

void CatalogueWindow::reload()
{
    const QStringList selected = selectedCodes();
    const int scrolled = table_->verticalScrollBar()->value();
    readCatalogue(false);
    selectCodes(selected);
    table_->verticalScrollBar()->setValue(scrolled);
}

void CatalogueWindow::startWatching()
{
    if (watch_ || !catalogue_) {
        return;
    }
    watch_ = std::make_unique<catalogue::CatalogueWatch>(
        address_, [this](const catalogue::ChangeNotice& notice) { changedElsewhere(notice); });
    if (!watch_->watching()) {
        watch_.reset();
    }
}

void CatalogueWindow::wroteHere()
{
    if (watch_) {
        watch_->catchUp();
    }
}

void CatalogueWindow::changedElsewhere(const catalogue::ChangeNotice& notice)
{
    if (const QString said = notice.text(); !changeNotices_.contains(said)) {
        changeNotices_ << said;
    }
    if (!refreshTimer_->isActive()) {
        refreshTimer_->start();
    }
}

void CatalogueWindow::refreshAfterChange()
{
    // A question or a dialog of this window is open: what it shows stays as it was until it closes.
    if (QApplication::activeModalWidget() != nullptr) {
        refreshTimer_->start();
        return;
    }
    reload();
    if (catalogue_) {
        showNote(QStringLiteral("%1 (%2)").arg(changeNotices_.join(QStringLiteral("、")),
                                               pricing::shownDateTime(QDateTime::currentDateTime())));
    }
    changeNotices_.clear();
}

QStringList CatalogueWindow::selectedCodes() const
{
    QStringList selected;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        selected.append(model_->need(index.row()).product.code);
    }
    return selected;
}

void CatalogueWindow::selectCodes(const QStringList& codes)
{
    for (const QString& code : codes) {
        if (const int row = model_->rowOfCode(code); row >= 0) {
            table_->selectionModel()->select(model_->index(row, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
}

// A large catalogue takes a while to read whole: on opening, the first locations' products are
// shown at once, with the counts of every status, and the rest come from a thread of their own.
void CatalogueWindow::readCatalogue(bool firstRowsOnly)
{
    if (loader_) {
        // Read again below: what the thread read is older.
        loader_->wait();
        loader_.reset();
    }
    countsWhileLoading_.reset();
    if (!ensureOpen(false)) {
        model_->setNeeds({});
        return;
    }
    // Another program's step read here before the watch saw it is still told: the status line
    // names it when the watch comes to it (this window's own steps are caught up as written).
    startWatching();
    QStringList settingsProblems;  // said where the tags are drawn
    model_->setShopUnitBase(settingsFile_.tagTextChoices(&settingsProblems).unitBase);
    catalogue::Result outcome;
    bool complete = true;
    catalogue::StatusCounts counts;
    const catalogue::Moment at = now();
    std::vector<catalogue::TagNeed> needs = firstRowsOnly
        ? catalogue_->firstTagNeedsAt(at, kFirstRows, &complete, &counts, &outcome)
        : catalogue_->tagNeedsAt(at, true, &outcome);
    const std::vector<catalogue::PrintInfo> pending
        = outcome.ok() ? catalogue_->prints(true, &outcome) : std::vector<catalogue::PrintInfo> {};
    if (!outcome.ok()) {
        showReadError(outcome.message);
        return;
    }
    showReadError({});
    pages_->setCurrentIndex(kProductsPage);
    if (!complete) {
        countsWhileLoading_ = counts;
        loaded_ = std::make_shared<LoadedRows>();
        loader_.reset(QThread::create([address = address_, loaded = loaded_, at] {
            if (auto opened = catalogue::Catalogue::open(address, {false, true}, &loaded->outcome)) {
                loaded->needs = opened->tagNeedsAt(at, true, &loaded->outcome);
            }
        }));
        connect(loader_.get(), &QThread::finished, this, &CatalogueWindow::finishLoading, Qt::QueuedConnection);
        loader_->start();
    }
    model_->setNeeds(std::move(needs));
    updateTabs();
    showPendingPrints(pending);
    showTimeViews();
}

void CatalogueWindow::showTimeViews()
{
    const catalogue::Moment at = now();
    catalogue::Result outcome;
    std::vector<catalogue::ComingEvent> events = catalogue_->comingEvents(at, kComingDays, &outcome);
    if (outcome.ok()) {
        comingDates_->showEvents(std::move(events));
        offerView_->showOffers(catalogue_.get(), at, &outcome);
    }
    if (!outcome.ok()) {
        showReadError(outcome.message);
    }
}

void CatalogueWindow::finishLoading()
{
    if (!loader_) {
        return;  // already taken, or dropped by a reload
    }
    loader_->wait();
    loader_.reset();
    countsWhileLoading_.reset();
    const std::shared_ptr<LoadedRows> loaded = std::move(loaded_);
    if (!loaded->outcome.ok()) {
        showReadError(loaded->outcome.message);
        updateTabs();
        return;
    }
    // The rows shown so far come first in the same order, so the view stays where it is.
    const QStringList selected = selectedCodes();
    const int scrolled = table_->verticalScrollBar()->value();
    model_->setNeeds(std::move(loaded->needs));
    updateTabs();
    selectCodes(selected);
    table_->verticalScrollBar()->setValue(scrolled);
}

void CatalogueWindow::showPendingPrints(const std::vector<catalogue::PrintInfo>& pending)
{
    // The print chosen stays chosen while it waits: a read in between never moves 確認 to another.
    const QListWidgetItem* chosen = pendingList_->currentItem();
    const qint64 chosenId = chosen ? chosen->data(Qt::UserRole).toLongLong() : 0;
    pendingList_->clear();
    for (const catalogue::PrintInfo& print : pending) {
        auto* item = new QListWidgetItem(QStringLiteral("印刷 %1  %2  %3 枚 (シート %4 枚)  %5")
                                             .arg(print.id)
                                             .arg(pricing::shownInstant(print.createdAt))
                                             .arg(print.tagCount)
                                             .arg(print.sheetCount)
                                             .arg(print.destination),
                                         pendingList_);
        item->setData(Qt::UserRole, print.id);
    }
    int current = 0;
    for (int row = 0; row < pendingList_->count(); ++row) {
        if (pendingList_->item(row)->data(Qt::UserRole).toLongLong() == chosenId) {
            current = row;
        }
    }
    if (pendingList_->count() > 0) {
        pendingList_->setCurrentRow(current);
    }
}

void CatalogueWindow::updateTabs()
{
    const auto countOf = [this](StatusFilter filter) {
        if (!countsWhileLoading_) {
            return model_->count(filter);
        }
        const catalogue::StatusCounts& counts = *countsWhileLoading_;
        switch (filter) {
        case StatusFilter::all:
            return counts.products + counts.takeDown;
        case StatusFilter::toPrint:
            return counts.newTags + counts.changed;
        case StatusFilter::newTag:
            return counts.newTags;
        case StatusFilter::changed:
            return counts.changed;
        case StatusFilter::upToDate:
            return counts.products - counts.newTags - counts.changed;
        case StatusFilter::takeDown:
            return counts.takeDown;
        }
        return 0;
    };
    for (int index = 0; index < int(std::size(kTabs)); ++index) {
        // "変更あり 3件(&3)": the count, then the tab's access key (its number).
        tabs_->setTabText(index,
                          QStringLiteral("%1 %2件(&%3)")
                              .arg(QString::fromUtf8(kTabs[index].title))
                              .arg(countOf(kTabs[index].filter))
                              .arg(index));
    }
}

void CatalogueWindow::findCode(const QString& code)
{
    finishLoading();
    int row = model_->rowOfCode(code);
    if (row < 0 && model_->holdsCode(code)) {
        // Hidden by the status tab: all products shown.
        tabs_->setCurrentIndex(0);
        row = model_->rowOfCode(code);
    }
    if (row < 0) {
        showNote(QStringLiteral("%1 は商品マスタにありません").arg(code));
        return;
    }
    table_->selectRow(row);
    table_->scrollTo(model_->index(row, 0), QAbstractItemView::PositionAtCenter);
    showNote(QStringLiteral("%1: %2").arg(code, model_->need(row).product.tag.productName));
}

bool CatalogueWindow::readListFile(const QString& path, QByteArray& bytes)
{
    const QString fileName = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > productlist::kMaxListBytes) {
        dialogs_.message(this,
                         file.isOpen() ? QStringLiteral("ファイル「%1」が大きすぎます").arg(fileName)
                                       : QStringLiteral("ファイル「%1」を開けません").arg(fileName),
                         files::kErrorTitle, MessageIcon::stop, MessageButtons::ok);
        return false;
    }
    bytes = file.readAll();
    return true;
}

void CatalogueWindow::importList()
{
    commandStarts();
    const std::optional<QString> path = dialogs_.openFile(this, listDialog_);
    QByteArray bytes;
    if (!path || !readListFile(*path, bytes)) {
        return;
    }
    const QString fileName = QFileInfo(*path).fileName();
    CatalogueImportDialog dialog(*path, bytes, &settingsFile_, dialogs_, this);
    const QDate today = now().day;
    dialog.setValidFrom(today, today);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const catalogue::IncomingList incoming = dialog.incoming();
    catalogue::MergeOptions options;
    options.validFrom = dialog.validFrom();
    catalogue::MergePlan preview;
    if (!planImport(incoming, options, preview)) {
        return;
    }
    const int answer = dialogs_.choose(
        this, mergeSummaryText(preview, fileName), QStringLiteral("商品マスタに取り込み"), MessageIcon::information,
        {QStringLiteral("取り込む(&A)"), QStringLiteral("一部の商品として取り込む(&P)"), QStringLiteral("キャンセル")},
        2, 0);
    if (answer != 0 && answer != 1) {
        if (catalogue_) {
            showNote(QStringLiteral("取り込みをやめました。商品マスタは変わっていません"));
            reload();
        } else {
            // Nothing is made until a list is taken in: the first-start (or damaged-file) page stays.
            showNote(QStringLiteral("取り込みをやめました。商品マスタはまだ作っていません"));
        }
        return;
    }
    if (!ensureOpen(true)) {
        return;
    }
    options.partial = answer == 1;
    const catalogue::MergeResult merged = catalogue_->merge(incoming, options);
    wroteHere();
    if (!merged.ok()) {
        showError(merged.message);
        return;
    }
    reload();
    QString note = QStringLiteral("「%1」を取り込みました: 新規 %2 件、変更 %3 件、取り下げ %4 件")
                       .arg(fileName)
                       .arg(merged.counts.added)
                       .arg(merged.counts.changed)
                       .arg(merged.counts.discontinued);
    if (options.validFrom > today) {
        note += QStringLiteral(" (%1 からの売価)").arg(pricing::shownDate(options.validFrom));
    }
    showNote(note);
}

void CatalogueWindow::importOffer()
{
    commandStarts();
    if (!catalogue_) {
        dialogs_.message(this, QStringLiteral("特売を取り込むには、先に商品リストを取り込んでください。"), kTitle,
                         MessageIcon::information, MessageButtons::ok);
        return;
    }
    const std::optional<QString> path = dialogs_.openFile(this, listDialog_);
    QByteArray bytes;
    if (!path || !readListFile(*path, bytes)) {
        return;
    }
    OfferImportDialog dialog(*path, bytes, now().day, &settingsFile_, dialogs_, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const catalogue::OfferList list = dialog.offerList();
    const catalogue::OfferImportResult imported = catalogue_->importOffer(list);
    wroteHere();
    if (imported.status == catalogue::Status::refused) {
        // Two sale prices for one product at one moment: the offers and products are named, and
        // nothing was written.
        dialogs_.message(this, imported.message, QStringLiteral("特売の取り込み"), MessageIcon::stop,
                         MessageButtons::ok);
        showNote(QStringLiteral("特売「%1」は取り込んでいません").arg(list.name));
        return;
    }
    if (!imported.ok()) {
        showError(imported.message);
        return;
    }
    reload();
    offerView_->selectOffer(imported.offerId);
    const QString done = QStringLiteral("特売 %1「%2」: %3 品を取り込みました (使わない行 %4)")
                             .arg(imported.offerId)
                             .arg(list.name)
                             .arg(imported.products)
                             .arg(imported.refused.size());
    showNote(done);
    if (!imported.refused.empty()) {
        std::vector<catalogue::RefusedRow> refused = imported.refused;
        std::sort(refused.begin(), refused.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
        dialogs_.message(this, QStringLiteral("%1\n\n使わなかった行:\n%2").arg(done, refusedRowsText(refused)),
                         QStringLiteral("特売の取り込み"), MessageIcon::warning, MessageButtons::ok);
    }
}

bool CatalogueWindow::planImport(const catalogue::IncomingList& incoming, const catalogue::MergeOptions& options,
                                 catalogue::MergePlan& plan)
{
    if (!catalogue_) {
        // Opened when it is there (another PC may have made it meanwhile), never made here.
        catalogue::Result outcome;
        catalogue_ = catalogue::Catalogue::open(address_, {}, &outcome);
        if (!catalogue_ && outcome.status != catalogue::Status::missing) {
            if (outcome.status == catalogue::Status::damaged) {
                damaged_ = outcome;
                showDamaged(outcome);
            }
            showError(outcome.message);
            return false;
        }
    }
    if (!catalogue_) {
        plan = catalogue::planMerge({}, incoming, options);
        return true;
    }
    catalogue::Result planned;
    plan = catalogue_->planMerge(incoming, options, &planned);
    if (!planned.ok()) {
        showError(planned.message);
        return false;
    }
    return true;
}

std::vector<catalogue::TagNeed> CatalogueWindow::selectedNeeds() const
{
    std::vector<catalogue::TagNeed> needs;
    QModelIndexList rows = table_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& index : rows) {
        needs.push_back(model_->need(index.row()));
    }
    return needs;
}

const sheet::SheetFormat& CatalogueWindow::chosenFormat() const
{
    return formatBox_->currentIndex() == 1 ? sheet::SheetFormat::small : sheet::SheetFormat::large;
}

std::optional<CatalogueWindow::PrintScope> CatalogueWindow::choosePrintScope(const sheet::SheetFormat& format,
                                                                             const catalogue::Moment& at,
                                                                             bool withSelection, const QString& purpose)
{
    catalogue::Result outcome;
    std::vector<catalogue::TagNeed> needed = catalogue_->tagNeedsAt(at, false, &outcome);
    if (!outcome.ok()) {
        showError(outcome.message);
        return std::nullopt;
    }
    std::vector<catalogue::TagNeed> selected;
    for (catalogue::TagNeed need : withSelection ? selectedNeeds() : std::vector<catalogue::TagNeed> {}) {
        // A selected product whose tag is up to date is printed again on request.
        if (need.kind == catalogue::NeedKind::upToDate) {
            need.kind = catalogue::NeedKind::changed;
        }
        if (need.kind != catalogue::NeedKind::takeDown) {
            selected.push_back(std::move(need));
        }
    }
    const auto countOf = [&format, this](const std::vector<catalogue::TagNeed>& needs, bool again) {
        const jobs::CataloguePrintPlan plan
            = jobs::planCataloguePrint(needs, format, startTagBox_->value(), jobs::NeedFilter::all, again);
        PrintScopeCount count;
        count.products = int(std::count_if(needs.begin(), needs.end(), [](const catalogue::TagNeed& need) {
            return need.kind == catalogue::NeedKind::newTag || need.kind == catalogue::NeedKind::changed;
        }));
        count.tags = int(plan.placed.size());
        count.sheets = int(plan.sheets.size());
        return count;
    };
    // The products a print not yet confirmed holds: left out unless the user ticks them in.
    const auto pendingOf = [](const std::vector<catalogue::TagNeed>& needs) {
        return int(std::count_if(needs.begin(), needs.end(),
                                 [](const catalogue::TagNeed& need) { return need.pendingPrintId != 0; }));
    };
    const PrintScopeCount neededCount = countOf(needed, false);
    const PrintScopeCount selectedCount = countOf(selected, false);
    const PrintScopeCount neededAgain = countOf(needed, true);
    const PrintScopeCount selectedAgain = countOf(selected, true);
    if (neededAgain.tags == 0 && selectedAgain.tags == 0) {
        dialogs_.message(this, QStringLiteral("印刷する棚札はありません。"), kTitle, MessageIcon::information,
                         MessageButtons::ok);
        return std::nullopt;
    }
    CataloguePrintDialog dialog(formatBox_->currentText(), startTagBox_->value(), neededCount, selectedCount, this);
    dialog.setPurpose(purpose);
    dialog.offerAgain(std::max(pendingOf(needed), pendingOf(selected)), neededAgain, selectedAgain);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return PrintScope {dialog.selectedOnly() ? selected : needed, dialog.again()};
}

void CatalogueWindow::printChanges()
{
    printAt(now(), {});
}

void CatalogueWindow::printAt(const catalogue::Moment& at, const QString& purpose)
{
    commandStarts();
    if (!catalogue_) {
        return;
    }
    const sheet::SheetFormat& format = chosenFormat();
    // The selection is of the products as the table shows them now: a print for a later moment
    // holds the tags needed then.
    const std::optional<PrintScope> scope = choosePrintScope(format, at, purpose.isEmpty(), purpose);
    if (!scope) {
        return;
    }
    QString warnings;
    QStringList leftOut;
    const jobs::CataloguePrintResult printed = printOnChosenPrinter(
        this, dialogs_, kTitle, settingsFile_, *catalogue_, scope->needs,
        {&format, startTagBox_->value(), jobs::NeedFilter::all, at, scope->again}, &warnings, &leftOut);
    wroteHere();
    if (!printWasRecorded(this, dialogs_, kTitle, printed, QStringLiteral("印刷する棚札はありません。"),
                          [this](const QString& error) { showError(error); })) {
        return;
    }
    reload();
    if (!warnings.isEmpty()) {
        showNote(QString(warnings).remove(u'\n'));
    }
    askAboutPrint(printed.printId, leftOut);
}

void CatalogueWindow::askAboutPrint(qint64 printId, const QStringList& leftOut)
{
    const PrintAnswer answer = desktop::askAboutPrint(this, dialogs_, *catalogue_, printId, leftOut);
    if (answer.kind == PrintAnswer::Kind::confirmed || answer.kind == PrintAnswer::Kind::failed) {
        wroteHere();
    }
    reload();  // shows the print as it is now
    if (answer.kind == PrintAnswer::Kind::refused) {
        showError(answer.text);
    } else {
        showNote(answer.kind == PrintAnswer::Kind::later
                     ? QStringLiteral("印刷 %1 は確認待ちです。下の一覧からあとで確認できます").arg(printId)
                     : answer.text);
    }
}

void CatalogueWindow::confirmPending()
{
    commandStarts();
    const QListWidgetItem* item = pendingList_->currentItem();
    if (item == nullptr || !catalogue_) {
        return;
    }
    askAboutPrint(item->data(Qt::UserRole).toLongLong());
}

void CatalogueWindow::takedownList()
{
    commandStarts();
    if (!catalogue_) {
        return;
    }
    catalogue::Result outcome;
    const std::vector<catalogue::TagNeed> listed = jobs::takedownNeeds(*catalogue_, &outcome);
    if (!outcome.ok()) {
        showError(outcome.message);
        return;
    }
    if (listed.empty()) {
        dialogs_.message(this, QStringLiteral("取り下げる棚札はありません。"), kTitle, MessageIcon::information,
                         MessageButtons::ok);
        return;
    }
    const QString title
        = QStringLiteral("取り下げリスト %1").arg(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    const int answer = dialogs_.choose(
        this,
        QStringLiteral("取り下げる棚札は %1 枚です。リストを PDF に保存しますか、印刷しますか？").arg(listed.size()),
        kTitle, MessageIcon::none,
        {QStringLiteral("PDF に保存(&S)..."), QStringLiteral("印刷(&P)..."), QStringLiteral("キャンセル")}, 2, 0);
    QString error;
    if (answer == 0) {
        const std::optional<QString> path = dialogs_.saveFile(this, pdfDialog_);
        if (!path) {
            return;
        }
        QByteArray pdf;
        if (!output::drawTakedownChecklist(listed, title, pdf, &error)) {
            dialogs_.message(this, error, files::kErrorTitle, MessageIcon::stop, MessageButtons::ok);
            return;
        }
        const files::FileWriteResult written = files::writeFileCarefully(*path, pdf);
        if (!written.ok && !written.replacedUnflushed) {
            dialogs_.message(
                this,
                QStringLiteral("%1 を保存できませんでした。\n%2").arg(QDir::toNativeSeparators(*path), written.error),
                files::kErrorTitle, MessageIcon::stop, MessageButtons::ok);
            return;
        }
        showNote(written.replacedUnflushed
                     ? files::unflushedNotice(QDir::toNativeSeparators(*path), written.error)
                     : QStringLiteral("取り下げリストを保存しました: %1").arg(QDir::toNativeSeparators(*path)));
    } else if (answer == 1) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(title);
        if (!dialogs_.choosePrinter(this, printer)) {
            return;
        }
        if (!output::drawTakedownChecklist(listed, title, printer, &error)) {
            dialogs_.message(this, QStringLiteral("印刷できませんでした。\n%1").arg(error), files::kErrorTitle,
                             MessageIcon::stop, MessageButtons::ok);
            return;
        }
        showNote(QStringLiteral("取り下げリストを印刷しました"));
    }
}

void CatalogueWindow::takedownDone()
{
    commandStarts();
    if (!catalogue_) {
        return;
    }
    std::vector<catalogue::TagNeed> chosen;
    for (catalogue::TagNeed& need : selectedNeeds()) {
        if (need.kind == catalogue::NeedKind::takeDown) {
            chosen.push_back(std::move(need));
        }
    }
    const bool fromSelection = !chosen.empty();
    if (!fromSelection) {
        catalogue::Result outcome;
        chosen = jobs::takedownNeeds(*catalogue_, &outcome);
        if (!outcome.ok()) {
            showError(outcome.message);
            return;
        }
    }
    if (chosen.empty()) {
        dialogs_.message(this, QStringLiteral("取り下げる棚札はありません。"), kTitle, MessageIcon::information,
                         MessageButtons::ok);
        return;
    }
    QStringList names;
    for (const catalogue::TagNeed& need : chosen) {
        if (names.size() == kRefusedRowsListed) {
            names << QStringLiteral("ほか %1 商品").arg(int(chosen.size()) - kRefusedRowsListed);
            break;
        }
        names << QStringLiteral("%1  %2").arg(need.product.shelf, need.product.tag.productName);
    }
    const int answer
        = dialogs_.choose(this,
                          QStringLiteral("%1 %2 商品の棚札を棚から外しましたか？\n\n  %3\n\n"
                                         "「はい」で取り下げ完了として記録し、取り下げの一覧から消えます。")
                              .arg(fromSelection ? QStringLiteral("選んだ") : QStringLiteral("取り下げリストの"))
                              .arg(chosen.size())
                              .arg(names.join(QStringLiteral("\n  "))),
                          QStringLiteral("取り下げ完了の確認"), MessageIcon::none,
                          {QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}, 1, 1);
    if (answer != 0) {
        showNote(QStringLiteral("取り下げ完了は記録していません"));
        return;
    }
    const catalogue::Result recorded = jobs::recordTakedowns(*catalogue_, chosen);
    wroteHere();
    if (!recorded.ok()) {
        showError(recorded.message);
        return;
    }
    reload();
    showNote(QStringLiteral("取り下げ完了を記録しました: %1 商品").arg(chosen.size()));
}

void CatalogueWindow::showHistory()
{
    commandStarts();
    const std::vector<catalogue::TagNeed> selected = selectedNeeds();
    if (selected.empty() || !catalogue_) {
        showNote(QStringLiteral("履歴を見る商品を選んでください"));
        return;
    }
    catalogue::Result outcome;
    const auto history = catalogue_->history(selected.front().product.code, &outcome);
    if (!history) {
        showError(outcome.message);
        return;
    }
    auto* dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("historyDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("履歴: %1").arg(history->product.tag.productName));
    auto* layout = new QVBoxLayout(dialog);
    auto* text = new QPlainTextEdit(catalogue::report::historyText(*history), dialog);
    text->setReadOnly(true);
    layout->addWidget(text);
    auto* close = button(QStringLiteral("閉じる(&C)"), QStringLiteral("closeButton"), dialog);
    layout->addWidget(close, 0, Qt::AlignRight);
    connect(close, &QPushButton::clicked, dialog, &QDialog::close);
    dialog->resize(640, 360);
    dialog->show();
}

void CatalogueWindow::putIntoEditor()
{
    commandStarts();
    std::vector<catalogue::Product> products;
    for (const catalogue::TagNeed& need : selectedNeeds()) {
        if (need.kind != catalogue::NeedKind::takeDown) {
            products.push_back(need.product);
        }
    }
    if (products.empty()) {
        showNote(QStringLiteral("棚札に入れる商品を選んでください"));
        return;
    }
    if (!fillEditor_ || !fillEditor_(products)) {
        dialogs_.message(this, QStringLiteral("棚札に入れるには、先に大きい棚札か小さい棚札の画面を開いてください。"),
                         kTitle, MessageIcon::information, MessageButtons::ok);
    }
}

// The check has a catalogue connection of its own and a window of its own, so that scanning goes on
// while this window is read again after each change the check makes.
ShelfCheckWindow* CatalogueWindow::openShelfCheck()
{
    commandStarts();
    if (auto* open = findChild<ShelfCheckWindow*>()) {
        open->show();
        open->raise();
        open->activateWindow();
        return open;
    }
    if (!catalogue_) {
        dialogs_.message(this,
                         QStringLiteral("棚チェックには商品マスタが必要です。先に商品リストを取り込んでください。"),
                         kTitle, MessageIcon::information, MessageButtons::ok);
        return nullptr;
    }
    auto* check = new ShelfCheckWindow(address_, dialogs_, formatBox_->currentIndex(), startTagBox_->value(), this);
    check->setAttribute(Qt::WA_DeleteOnClose);
    connect(check, &ShelfCheckWindow::catalogueChanged, this, [this] {
        wroteHere();  // the check window's step is this program's own
        reload();
    });
    check->show();
    check->activateWindow();
    return check;
}

}  // namespace desktop
