// The 商品マスタ window's reading of the catalogue: opening it (or saying why it cannot be opened),
// the first rows at once and the rest from a thread of their own, the counts of the tabs, the
// prints waiting for their answer, and the watch that reads it again after another program's step.

#include "desktop/catalogue/catalogue_window.h"

#include "core/pricing/shop_time.h"
#include "core/settings/tag_text_settings.h"
#include "desktop/catalogue/catalogue_model.h"
#include "desktop/catalogue/catalogue_window_parts.h"
#include "desktop/catalogue/coming_dates.h"
#include "desktop/catalogue/offer_view.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableView>
#include <QTimer>

namespace desktop {

using namespace catalogue_window;

namespace {

// How many days ahead the coming dates look, as `tanafuda-catalogue status` does.
constexpr int kComingDays = 14;

}  // namespace

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
            ->setText(firstStart ? firstStartText()
                                 : QStringLiteral("商品マスタを開けませんでした。上に書いた理由を確かめてください。"));
        showReadError(firstStart && !damaged_ ? QString() : damaged_ ? damaged_->message : outcome.message);
        return false;
    }
    damaged_.reset();
    return true;
}

bool CatalogueWindow::openIfThere()
{
    if (catalogue_) {
        return true;
    }
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
    model_->setShopUnitBase(settings::TagTextSettings(settingsStore_).tagTextChoices(&settingsProblems).unitBase);
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

}  // namespace desktop
