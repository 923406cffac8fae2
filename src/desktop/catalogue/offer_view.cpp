#include "desktop/catalogue/offer_view.h"

#include "core/catalogue/catalogue_report.h"
#include "core/pricing/shop_time.h"

#include <QColor>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace desktop {

namespace {

enum OfferColumn { kNumber, kName, kDays, kProducts, kTags, kState, kOfferColumns };
enum ItemColumn { kShelf, kCode, kItemName, kSalePrice, kItemDays, kFormer, kItemColumns };

QTableWidget* table(const QString& name, const QStringList& titles, QWidget* parent)
{
    auto* made = new QTableWidget(0, int(titles.size()), parent);
    made->setObjectName(name);
    made->setHorizontalHeaderLabels(titles);
    made->setSelectionBehavior(QAbstractItemView::SelectRows);
    made->setSelectionMode(QAbstractItemView::SingleSelection);
    made->setEditTriggers(QAbstractItemView::NoEditTriggers);
    made->verticalHeader()->hide();
    made->horizontalHeader()->setStretchLastSection(true);
    return made;
}

QTableWidgetItem* cell(const QString& text, bool right = false)
{
    auto* item = new QTableWidgetItem(text);
    if (right) {
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    return item;
}

// "12/16(水)〜12/20(日)", or one day alone.
QString daysText(const QDate& first, const QDate& last)
{
    return first == last ? pricing::shownDate(first)
                         : QStringLiteral("%1〜%2").arg(pricing::shownDate(first), pricing::shownDate(last));
}

QString periodText(const pricing::OfferPeriod& period)
{
    QString text = daysText(period.days.first, period.days.last);
    if (period.hours) {
        text += u' ' + pricing::shownHours(*period.hours);
    }
    return text;
}

}  // namespace

QString offerDaysText(const catalogue::Offer& offer)
{
    return periodText({{offer.firstDay, offer.lastDay}, offer.period.hours});
}

OfferView::OfferView(Dialogs& dialogs, QWidget* parent) : QWidget(parent), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("offerView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    offerTable_ = table(QStringLiteral("offerTable"),
                        {QStringLiteral("番号"), QStringLiteral("特売"), QStringLiteral("期間"), QStringLiteral("商品"),
                         QStringLiteral("棚札"), QStringLiteral("状態")},
                        splitter);
    const int offerWidths[] = {50, 260, 280, 70, 70};
    for (int column = 0; column < int(std::size(offerWidths)); ++column) {
        offerTable_->setColumnWidth(column, offerWidths[column]);
    }
    auto* lower = new QWidget(splitter);
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    itemNote_ = new QLabel(QStringLiteral("特売を選ぶと、その商品と特価がここに出ます"), lower);
    itemNote_->setObjectName(QStringLiteral("itemNote"));
    itemNote_->setTextFormat(Qt::PlainText);
    lowerLayout->addWidget(itemNote_);
    itemTable_ = table(QStringLiteral("itemTable"),
                       {QStringLiteral("棚番"), QStringLiteral("コード"), QStringLiteral("商品名"),
                        QStringLiteral("特価"), QStringLiteral("期間"), QStringLiteral("当店通常価格")},
                       lower);
    const int itemWidths[] = {70, 120, 260, 80, 200};
    for (int column = 0; column < int(std::size(itemWidths)); ++column) {
        itemTable_->setColumnWidth(column, itemWidths[column]);
    }
    lowerLayout->addWidget(itemTable_, 1);
    splitter->addWidget(offerTable_);
    splitter->addWidget(lower);
    layout->addWidget(splitter, 1);

    auto* buttons = new QHBoxLayout;
    auto* importButton = new QPushButton(QStringLiteral("特売の取り込み(&O)..."), this);
    importButton->setObjectName(QStringLiteral("offerImportButton"));
    importButton->setAutoDefault(false);
    importButton->setToolTip(
        QStringLiteral("チラシなどの特売のリスト (コードと特価) を、名前と期間を付けて一つの特売として取り込みます"));
    buttons->addWidget(importButton);
    connect(importButton, &QPushButton::clicked, this, &OfferView::importRequested);
    endButton_ = new QPushButton(QStringLiteral("終了(&X)..."), this);
    endButton_->setObjectName(QStringLiteral("endOfferButton"));
    endButton_->setAutoDefault(false);
    endButton_->setToolTip(
        QStringLiteral("選んだ特売を予定より早く終わりにします。その日から棚札を通常の売価に戻します"));
    endButton_->setEnabled(false);
    buttons->addWidget(endButton_);
    buttons->addStretch();
    layout->addLayout(buttons);

    connect(offerTable_, &QTableWidget::itemSelectionChanged, this, [this] { showItems(); });
    connect(endButton_, &QPushButton::clicked, this, [this] { endSelected(); });
}

bool OfferView::showOffers(catalogue::Catalogue* catalogue, const catalogue::Moment& now, catalogue::Result* outcome)
{
    const qint64 selected = selectedOffer();
    catalogue_ = catalogue;
    now_ = now;
    offers_.clear();
    catalogue::Result read;
    if (catalogue_) {
        offers_ = catalogue_->offers(&read);
    }
    if (outcome) {
        *outcome = read;
    }
    const QSignalBlocker blocker(offerTable_);
    offerTable_->setRowCount(int(offers_.size()));
    for (int row = 0; row < int(offers_.size()); ++row) {
        const catalogue::Offer& offer = offers_[size_t(row)];
        const catalogue::OfferState state = offer.stateAt(now);
        QString stateText = catalogue::offerStateTitle(state);
        if (offer.endedOn.isValid()) {
            stateText += QStringLiteral(" (%1 に終了)").arg(pricing::shownDate(offer.endedOn));
        }
        offerTable_->setItem(row, kNumber, cell(QString::number(offer.id), true));
        offerTable_->setItem(row, kName, cell(offer.name));
        offerTable_->setItem(row, kDays, cell(offerDaysText(offer)));
        offerTable_->setItem(row, kProducts, cell(QStringLiteral("%1 品").arg(offer.products), true));
        offerTable_->setItem(row, kTags, cell(QStringLiteral("%1 枚").arg(offer.tags), true));
        auto* stateCell = cell(stateText);
        if (state == catalogue::OfferState::running) {
            stateCell->setForeground(QColor(0xc0, 0x1c, 0x28));
        } else if (state == catalogue::OfferState::ended) {
            stateCell->setForeground(QColor(0x77, 0x77, 0x77));
        }
        offerTable_->setItem(row, kState, stateCell);
        offerTable_->item(row, kNumber)->setData(Qt::UserRole, offer.id);
    }
    selectOffer(selected);
    showItems();
    return read.ok();
}

qint64 OfferView::selectedOffer() const
{
    const QList<QTableWidgetItem*> items = offerTable_->selectedItems();
    if (items.isEmpty()) {
        return 0;
    }
    const int row = items.front()->row();
    return row < int(offers_.size()) ? offers_[size_t(row)].id : 0;
}

void OfferView::selectOffer(qint64 offerId)
{
    for (int row = 0; row < int(offers_.size()); ++row) {
        if (offers_[size_t(row)].id == offerId) {
            offerTable_->selectRow(row);
            return;
        }
    }
    offerTable_->clearSelection();
}

void OfferView::showItems()
{
    itemTable_->setRowCount(0);
    const qint64 offerId = selectedOffer();
    const auto offer = std::find_if(offers_.begin(), offers_.end(),
                                    [offerId](const catalogue::Offer& each) { return each.id == offerId; });
    endButton_->setEnabled(offer != offers_.end() && offer->stateAt(now_) != catalogue::OfferState::ended);
    if (offer == offers_.end() || !catalogue_) {
        itemNote_->setText(
            offers_.empty() ? QStringLiteral("特売はまだありません。「特売の取り込み...」で特売のリストを取り込みます")
                            : QStringLiteral("特売を選ぶと、その商品と特価がここに出ます"));
        return;
    }
    catalogue::Result outcome;
    const auto detail = catalogue_->offer(offerId, &outcome);
    if (!detail) {
        itemNote_->setText(outcome.message);
        emit failed(outcome.message);
        return;
    }
    itemNote_->setText(QStringLiteral("特売 %1「%2」%3: %4 品")
                           .arg(offer->id)
                           .arg(offer->name, offerDaysText(*offer))
                           .arg(detail->items.size()));
    itemTable_->setRowCount(int(detail->items.size()));
    for (int row = 0; row < int(detail->items.size()); ++row) {
        const auto& [product, item] = detail->items[size_t(row)];
        itemTable_->setItem(row, kShelf, cell(product.shelf));
        itemTable_->setItem(row, kCode, cell(product.code));
        itemTable_->setItem(row, kItemName,
                            cell(QStringLiteral("%1 %2 %3")
                                     .arg(product.tag.maker, product.tag.productName, product.tag.spec)
                                     .simplified()));
        itemTable_->setItem(row, kSalePrice, cell(catalogue::report::yen(item.salePrice), true));
        itemTable_->setItem(row, kItemDays, cell(periodText(item.period)));
        auto* former = cell(item.formerPrice > 0 ? catalogue::report::yen(item.formerPrice)
                                                 : QStringLiteral("出しません: %1").arg(item.formerNote));
        former->setToolTip(item.formerNote);
        itemTable_->setItem(row, kFormer, former);
    }
}

QDate OfferView::askEndDay(const catalogue::Offer& offer)
{
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("endOfferDialog"));
    dialog.setWindowTitle(QStringLiteral("特売の終了"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* text
        = new QLabel(QStringLiteral("特売 %1「%2」%3 を予定より早く終わりにします。\n"
                                    "下の日から特売をやめ (その日はもう通常の売価です)、棚札を通常の売価に戻します。")
                         .arg(offer.id)
                         .arg(offer.name, offerDaysText(offer)),
                     &dialog);
    text->setTextFormat(Qt::PlainText);
    layout->addWidget(text);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("特売をやめる日(&O):"), &dialog);
    auto* day = new QDateEdit(std::max(now_.day, offer.firstDay), &dialog);
    day->setObjectName(QStringLiteral("endDayEdit"));
    day->setCalendarPopup(true);
    day->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    label->setBuddy(day);
    row->addWidget(label);
    row->addWidget(day);
    row->addStretch();
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(&dialog);
    auto* ok = buttons->addButton(QStringLiteral("終わりにする(&E)"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    buttons->addButton(QStringLiteral("キャンセル(&C)"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return dialog.exec() == QDialog::Accepted ? day->date() : QDate();
}

void OfferView::endSelected()
{
    const qint64 offerId = selectedOffer();
    const auto offer = std::find_if(offers_.begin(), offers_.end(),
                                    [offerId](const catalogue::Offer& each) { return each.id == offerId; });
    if (offer == offers_.end() || !catalogue_) {
        return;
    }
    const catalogue::Offer chosen = *offer;
    const QDate on = askEndDay(chosen);
    if (!on.isValid()) {
        return;
    }
    const catalogue::Result ended = catalogue_->endOffer(chosen.id, on);
    if (!ended.ok()) {
        dialogs_.message(this, ended.message, QStringLiteral("特売の終了"), MessageIcon::stop, MessageButtons::ok);
        return;
    }
    emit offerEnded(chosen.id, on);
}

}  // namespace desktop
