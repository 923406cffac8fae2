#include "desktop/catalogue/catalogue_window.h"

#include "core/catalogue/catalogue_report.h"
#include "core/pricing/shop_time.h"
#include "core/settings/tag_text_settings.h"
#include "desktop/catalogue/catalogue_model.h"
#include "desktop/catalogue/catalogue_window_parts.h"
#include "desktop/catalogue/coming_dates.h"
#include "desktop/catalogue/import_control.h"
#include "desktop/catalogue/offer_view.h"
#include "desktop/catalogue/print_control.h"
#include "desktop/catalogue/shelf_check_window.h"
#include "desktop/catalogue/takedown_control.h"
#include "desktop/window_registry.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace desktop {

using namespace catalogue_window;

namespace {

const QString kTitle = QStringLiteral("商品マスタ");

}  // namespace

QString catalogue_window::firstStartText()
{
    return QStringLiteral(
        "商品マスタはまだありません。\n\n"
        "商品マスタは、レジや本部の商品リストを取り込んで、店の商品と売価を覚えておくものです。"
        "新しいリストを取り込むたびに、新しく入った商品・売価が変わった商品・扱わなくなった商品が分かり、"
        "その棚札だけを棚の順に印刷できます。\n\n"
        "まずレジの商品リスト (CSV や Excel のファイル) を取り込んでください。");
}

CatalogueWindow::CatalogueWindow(const catalogue::CatalogueAddress& address, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), address_(address), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("catalogueWindow"));
    setWindowTitle(kTitle);
    import_ = new ImportControl(
        desk(), {[this] { return openIfThere(); }, [this] { return ensureOpen(true); }}, settingsStore_,
        [this] { return now().day; }, this);
    print_ = new PrintControl(desk(), settingsStore_,
                              QStringLiteral("印刷 %1 は確認待ちです。下の一覧からあとで確認できます"), this);
    takedown_ = new TakedownControl(desk(), this);
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

CatalogueDesk CatalogueWindow::desk()
{
    CatalogueDesk desk;
    desk.window = this;
    desk.dialogs = &dialogs_;
    desk.title = kTitle;
    desk.catalogue = [this] { return catalogue_.get(); };
    desk.showError = [this](const QString& message) { showError(message); };
    desk.showNote = [this](const QString& message) { showNote(message); };
    desk.wrote = [this] { wroteHere(); };
    desk.refresh = [this] { reload(); };
    return desk;
}

void CatalogueWindow::buildControls()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto* outer = new QVBoxLayout(central);
    errorLabel_ = makeErrorLabel(central);
    outer->addWidget(errorLabel_);
    pages_ = new QStackedWidget(central);
    outer->addWidget(pages_);
    pages_->addWidget(buildEmptyPage());
    // The products and the offers, a tab each.
    auto* views = new QTabWidget(pages_);
    views->setObjectName(QStringLiteral("viewTabs"));
    views->addTab(buildProductsPage(), QStringLiteral("商品一覧(&L)"));
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
    connectControls();
}

QWidget* CatalogueWindow::buildProductsPage()
{
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
    buildTable(main);
    layout->addWidget(table_, 1);
    buildRows(main, layout);
    return main;
}

void CatalogueWindow::buildTable(QWidget* page)
{
    model_ = new CatalogueModel(this);
    table_ = new QTableView(page);
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
}

// The print row holds what is done to the products; the take-downs sit beside the prints waiting
// for their answer below, so that every button keeps its whole text at the window's first width.
void CatalogueWindow::buildRows(QWidget* page, QBoxLayout* layout)
{
    auto* printRow = new QHBoxLayout;
    auto* importButton = commandButton(QStringLiteral("取り込み(&I)..."), QStringLiteral("importButton"), page);
    auto* printButton = commandButton(QStringLiteral("変更分を印刷(&P)..."), QStringLiteral("printButton"), page);
    printButton->setToolTip(QStringLiteral(
        "新規と変更ありの棚札を棚の順に印刷します (選んだ商品だけを印刷するときは、印刷の画面で選びます)"));
    auto* fillButton = commandButton(QStringLiteral("棚札に入れる(&E)"), QStringLiteral("fillButton"), page);
    auto* historyButton = commandButton(QStringLiteral("履歴(&H)"), QStringLiteral("historyButton"), page);
    auto* shelfCheckButton
        = commandButton(QStringLiteral("棚チェック(&K)..."), QStringLiteral("shelfCheckButton"), page);
    shelfCheckButton->setToolTip(
        QStringLiteral("棚札をスキャナーで読み取り、違う・ない・取り下げ忘れの棚札を調べます"));
    printRow->addWidget(importButton);
    printRow->addSpacing(16);
    print_->addPaperTo(printRow);
    printRow->addWidget(printButton);
    printRow->addSpacing(16);
    printRow->addWidget(fillButton);
    printRow->addWidget(historyButton);
    printRow->addWidget(shelfCheckButton);
    printRow->addStretch();
    layout->addLayout(printRow);

    auto* pendingRow = new QHBoxLayout;
    auto* pendingLabel = new QLabel(QStringLiteral("確認待ちの印刷(&W):"), page);
    pendingList_ = new QListWidget(page);
    pendingList_->setObjectName(QStringLiteral("pendingList"));
    pendingList_->setMaximumHeight(72);
    pendingLabel->setBuddy(pendingList_);
    auto* confirmButton = commandButton(QStringLiteral("確認(&C)..."), QStringLiteral("confirmButton"), page);
    auto* takedownButton
        = commandButton(QStringLiteral("取り下げリスト(&T)..."), QStringLiteral("takedownButton"), page);
    auto* takedownDoneButton
        = commandButton(QStringLiteral("取り下げ完了(&D)..."), QStringLiteral("takedownDoneButton"), page);
    takedownDoneButton->setToolTip(
        QStringLiteral("棚から外した棚札を記録します (取り下げの商品を選んでいるときはその商品、ほかは一覧のすべて)"));
    // What the tags show beside the price, for the whole shop (the editors' 棚札の表示... too).
    auto* tagTextsButton = commandButton(QStringLiteral("棚札の表示(&G)..."), QStringLiteral("tagTextsButton"), page);
    pendingRow->addWidget(pendingLabel, 0, Qt::AlignTop);
    pendingRow->addWidget(pendingList_, 1);
    pendingRow->addWidget(confirmButton, 0, Qt::AlignTop);
    pendingRow->addSpacing(16);
    pendingRow->addWidget(takedownButton, 0, Qt::AlignTop);
    pendingRow->addWidget(takedownDoneButton, 0, Qt::AlignTop);
    pendingRow->addSpacing(16);
    pendingRow->addWidget(tagTextsButton, 0, Qt::AlignTop);
    layout->addLayout(pendingRow);

    connect(importButton, &QPushButton::clicked, this, [this] { importList(); });
    connect(printButton, &QPushButton::clicked, this, [this] { printChanges(); });
    connect(fillButton, &QPushButton::clicked, this, [this] { putIntoEditor(); });
    connect(historyButton, &QPushButton::clicked, this, [this] { showHistory(); });
    connect(shelfCheckButton, &QPushButton::clicked, this, [this] { openShelfCheck(); });
    connect(confirmButton, &QPushButton::clicked, this, [this] { confirmPending(); });
    connect(takedownButton, &QPushButton::clicked, this, [this] { takedownList(); });
    connect(takedownDoneButton, &QPushButton::clicked, this, [this] { takedownDone(); });
    connect(tagTextsButton, &QPushButton::clicked, this,
            [this] { showTagTextDialog(this, dialogs_, settings::TagTextSettings(settingsStore_)); });
}

void CatalogueWindow::connectControls()
{
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
    connect(offerView_, &OfferView::importRequested, this, [this] { importOffer(); });
    connect(import_, &ImportControl::offerTaken, offerView_, &OfferView::selectOffer);
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
    connect(table_, &QTableView::doubleClicked, this, [this] { showHistory(); });
    connect(pendingList_, &QListWidget::itemActivated, this, [this] { confirmPending(); });
}

QWidget* CatalogueWindow::buildEmptyPage()
{
    // Without a catalogue: what it is for, and the way to make one.
    auto* empty = new QWidget(pages_);
    empty->setObjectName(QStringLiteral("emptyPage"));
    auto* emptyLayout = new QVBoxLayout(empty);
    auto* about = new QLabel(firstStartText(), empty);
    about->setObjectName(QStringLiteral("firstStartText"));
    about->setWordWrap(true);
    emptyLayout->addStretch();
    emptyLayout->addWidget(about);
    auto* emptyImport = commandButton(QStringLiteral("取り込み(&I)..."), QStringLiteral("emptyImportButton"), empty);
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
    auto* importButton
        = commandButton(QStringLiteral("新しく取り込む(&I)..."), QStringLiteral("damagedImportButton"), page);
    buttons->addWidget(importButton);
    // The restore from a copy of the catalogue takes its place here, beside the import, once the
    // catalogue keeps copies to restore from.
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();
    connect(importButton, &QPushButton::clicked, this, [this] { importList(); });
    return page;
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
    setErrorText(errorLabel_, shown.join(u'\n'));
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

void CatalogueWindow::importList()
{
    commandStarts();
    import_->importList();
}

void CatalogueWindow::importOffer()
{
    commandStarts();
    import_->importOffer();
}

void CatalogueWindow::printChanges()
{
    printAt(now(), {});
}

void CatalogueWindow::printAt(const catalogue::Moment& at, const QString& purpose)
{
    commandStarts();
    // The selection is of the products as the table shows them now: a print for a later moment
    // holds the tags needed then.
    print_->printNeeded(at, purpose.isEmpty() ? selectedNeeds() : std::vector<catalogue::TagNeed> {}, purpose);
}

void CatalogueWindow::confirmPending()
{
    commandStarts();
    if (const QListWidgetItem* item = pendingList_->currentItem()) {
        print_->ask(item->data(Qt::UserRole).toLongLong());
    }
}

void CatalogueWindow::takedownList()
{
    commandStarts();
    takedown_->offerCataloguesChecklist();
}

void CatalogueWindow::takedownDone()
{
    commandStarts();
    takedown_->recordDone(selectedNeeds());
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
    auto* close = commandButton(QStringLiteral("閉じる(&C)"), QStringLiteral("closeButton"), dialog);
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
    auto* check = new ShelfCheckWindow(address_, dialogs_, print_->formatIndex(), print_->startTag(), this);
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
