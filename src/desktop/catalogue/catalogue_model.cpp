#include "desktop/catalogue/catalogue_model.h"

#include "core/catalogue/catalogue_report.h"
#include "core/catalogue/rules/shelf_order.h"
#include "core/pricing/tag_texts.h"

#include <QBrush>
#include <QColor>

#include <algorithm>

namespace desktop {

using catalogue::NeedKind;

namespace {

bool kindPasses(NeedKind kind, StatusFilter filter)
{
    switch (filter) {
    case StatusFilter::all:
        return true;
    case StatusFilter::toPrint:
        return kind == NeedKind::newTag || kind == NeedKind::changed;
    case StatusFilter::newTag:
        return kind == NeedKind::newTag;
    case StatusFilter::changed:
        return kind == NeedKind::changed;
    case StatusFilter::upToDate:
        return kind == NeedKind::upToDate;
    case StatusFilter::takeDown:
        return kind == NeedKind::takeDown;
    }
    return false;
}

// What a take-down row shows: the tag on the shelf, not the product as it was last listed.
const sheet::TagRecord& shownTag(const catalogue::TagNeed& need)
{
    return need.kind == NeedKind::takeDown && need.shelfTag ? *need.shelfTag : need.product.tag;
}

std::optional<qint64> oldPriceOf(const catalogue::TagNeed& need)
{
    if (need.kind == NeedKind::changed && need.shelfTag && need.shelfTag->price != need.product.tag.price) {
        return need.shelfTag->price;
    }
    return std::nullopt;
}

// "特価 12/16〜12/20「12月第3週チラシ」".
QString saleCellText(const catalogue::TagNeed& need)
{
    if (!need.sale) {
        return {};
    }
    return QStringLiteral("特価 %1「%2」").arg(catalogue::shownOfferPeriod(need.sale->period), need.sale->offerName);
}

// "238円", or "なし: 通常価格の期間が 8 週のうち 3 週".
QString formerCellText(const catalogue::TagNeed& need)
{
    if (!need.sale) {
        return {};
    }
    return need.sale->formerPrice > 0 ? catalogue::report::yen(need.sale->formerPrice)
                                      : QStringLiteral("なし: %1").arg(need.sale->formerNote);
}

}  // namespace

QString foldedForSearch(const QString& text)
{
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

CatalogueModel::CatalogueModel(QObject* parent) : QAbstractTableModel(parent) { }

void CatalogueModel::setNeeds(std::vector<catalogue::TagNeed> needs)
{
    beginResetModel();
    needs_ = std::move(needs);
    haystacks_.clear();
    rebuild();
    endResetModel();
}

void CatalogueModel::setStatusFilter(StatusFilter filter)
{
    beginResetModel();
    filter_ = filter;
    rebuild();
    endResetModel();
}

void CatalogueModel::setSearchText(const QString& text)
{
    const QString folded = foldedForSearch(text.trimmed());
    if (folded == search_) {
        return;
    }
    beginResetModel();
    search_ = folded;
    rebuild();
    endResetModel();
}

const QString& CatalogueModel::haystack(int index) const
{
    if (haystacks_.empty()) {
        haystacks_.reserve(needs_.size());
        for (const catalogue::TagNeed& need : needs_) {
            const sheet::TagRecord& tag = shownTag(need);
            haystacks_.push_back(foldedForSearch(need.product.code + u'\n' + tag.jan + u'\n' + tag.maker + u'\n'
                                                 + tag.productName + u'\n' + tag.productName2));
        }
    }
    return haystacks_[size_t(index)];
}

bool CatalogueModel::passes(int index) const
{
    return kindPasses(needs_[size_t(index)].kind, filter_) && (search_.isEmpty() || haystack(index).contains(search_));
}

void CatalogueModel::rebuild()
{
    shown_.clear();
    for (int i = 0; i < int(needs_.size()); ++i) {
        if (passes(i)) {
            shown_.push_back(i);
        }
    }
    if (sortColumn_ < 0 || (sortColumn_ == shelf && sortOrder_ == Qt::AscendingOrder)) {
        return;  // the catalogue's own order is shelf order
    }
    const auto key = [this](int index) -> QVariant {
        const catalogue::TagNeed& need = needs_[size_t(index)];
        const sheet::TagRecord& tag = shownTag(need);
        switch (sortColumn_) {
        case code:
            return need.product.code;
        case maker:
            return tag.maker;
        case name:
            return tag.productName;
        case size:
            return tag.spec;
        case shelf:
            return need.product.shelf;
        case price:
            return qint64(tag.price);
        case oldPrice:
            return oldPriceOf(need).value_or(-1);
        case sale:
            return need.sale ? need.sale->period.days.first.toJulianDay() : qint64(-1);
        case former:
            return need.sale ? need.sale->formerPrice : qint64(-1);
        case printState:
            return need.pendingPrintId;
        default:
            return int(need.kind);
        }
    };
    const auto less = [&](int a, int b) {
        const QVariant ka = key(a);
        const QVariant kb = key(b);
        if (ka.typeId() == QMetaType::QString) {
            const int compared = sortColumn_ == shelf || sortColumn_ == code
                ? catalogue::compareNaturally(ka.toString(), kb.toString())
                : ka.toString().localeAwareCompare(kb.toString());
            return compared < 0;
        }
        return ka.toLongLong() < kb.toLongLong();
    };
    if (sortOrder_ == Qt::AscendingOrder) {
        std::stable_sort(shown_.begin(), shown_.end(), less);
    } else {
        std::stable_sort(shown_.begin(), shown_.end(), [&](int a, int b) { return less(b, a); });
    }
}

void CatalogueModel::sort(int column, Qt::SortOrder order)
{
    beginResetModel();
    sortColumn_ = column;
    sortOrder_ = order;
    rebuild();
    endResetModel();
}

int CatalogueModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(shown_.size());
}

int CatalogueModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(columns);
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(shown_.size())) {
        return {};
    }
    const catalogue::TagNeed& need = this->need(index.row());
    const sheet::TagRecord& tag = shownTag(need);
    if (role == Qt::TextAlignmentRole) {
        return index.column() == price || index.column() == oldPrice ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                     : QVariant();
    }
    if (role == Qt::ToolTipRole && need.sale
        && (index.column() == price || index.column() == sale || index.column() == former)) {
        return catalogue::report::saleText(*need.sale);
    }
    if (role == Qt::ForegroundRole && (index.column() == sale || index.column() == printState)) {
        return QBrush(QColor(0xc0, 0x1c, 0x28));
    }
    if (role == Qt::ForegroundRole && index.column() == status) {
        switch (need.kind) {
        case NeedKind::newTag:
            return QBrush(QColor(0x1a, 0x5f, 0xb4));
        case NeedKind::changed:
            return QBrush(QColor(0xc0, 0x1c, 0x28));
        case NeedKind::takeDown:
            return QBrush(QColor(0x77, 0x77, 0x77));
        case NeedKind::upToDate:
            return {};
        }
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
    case code:
        return need.product.code;
    case maker:
        return tag.maker;
    case name:
        return tag.productName2.isEmpty() ? tag.productName : tag.productName + u' ' + tag.productName2;
    case size:
        return tag.spec;
    case shelf:
        return need.product.shelf;
    case price:
        return catalogue::report::yen(tag.price);
    case unitPrice: {
        sheet::TagExtras extras;
        extras.unitBase = need.product.unitBase;
        extras.content = need.product.content;
        QString note;
        return pricing::unitPriceTextOf(tag, extras, shopUnitBase_, &note);
    }
    case oldPrice: {
        const auto old = oldPriceOf(need);
        return old ? catalogue::report::yen(*old) : QString();
    }
    case status:
        return catalogue::needKindTitle(need.kind);
    case sale:
        return saleCellText(need);
    case former:
        return formerCellText(need);
    case printState:
        return need.pendingPrintId != 0 ? QStringLiteral("確認待ち (印刷 %1)").arg(need.pendingPrintId) : QString();
    default:
        return {};
    }
}

QVariant CatalogueModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const QString titles[] = {
        QStringLiteral("コード"), QStringLiteral("メーカー"), QStringLiteral("商品名"),       QStringLiteral("規格"),
        QStringLiteral("棚番"),   QStringLiteral("売価"),     QStringLiteral("単位価格"),     QStringLiteral("旧売価"),
        QStringLiteral("状態"),   QStringLiteral("特売"),     QStringLiteral("当店通常価格"), QStringLiteral("印刷"),
    };
    return section >= 0 && section < int(columns) ? titles[section] : QVariant();
}

int CatalogueModel::rowOfCode(const QString& code) const
{
    for (int row = 0; row < int(shown_.size()); ++row) {
        const catalogue::TagNeed& need = this->need(row);
        if (need.product.code == code || need.product.tag.jan == code) {
            return row;
        }
    }
    return -1;
}

bool CatalogueModel::holdsCode(const QString& code) const
{
    return std::any_of(needs_.begin(), needs_.end(), [&code](const catalogue::TagNeed& need) {
        return need.product.code == code || need.product.tag.jan == code;
    });
}

int CatalogueModel::count(StatusFilter filter) const
{
    return int(std::count_if(needs_.begin(), needs_.end(),
                             [filter](const catalogue::TagNeed& need) { return kindPasses(need.kind, filter); }));
}

}  // namespace desktop
