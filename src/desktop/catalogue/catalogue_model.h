#pragma once

// The catalogue's products as the window's table shows them: one row per product (and per tag to
// take down), filtered by status and by a search text, sorted by any column. The rows live in one
// vector; the view asks only for the rows it draws, so a catalogue of 100,000 products costs no
// widget per row.

#include "core/catalogue/catalogue.h"

#include <QAbstractTableModel>
#include <QString>

#include <optional>
#include <vector>

namespace desktop {

// Which products the table shows.
enum class StatusFilter { all, toPrint, newTag, changed, upToDate, takeDown };

class CatalogueModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The price is the tag's price at the moment shown: a product on sale shows its sale price,
    // and `sale` its offer and period, `former` the former price its tag shows or why none.
    // `printState` names a product whose tag a print not yet confirmed holds (確認待ち).
    enum Column {
        code,
        maker,
        name,
        size,
        shelf,
        price,
        unitPrice,
        oldPrice,
        status,
        sale,
        former,
        printState,
        columns
    };

    explicit CatalogueModel(QObject* parent = nullptr);

    // The products in shelf order (as the catalogue gives them); the filters and sort are kept.
    void setNeeds(std::vector<catalogue::TagNeed> needs);
    void setStatusFilter(StatusFilter filter);
    // Rows whose code, maker or name contains `text` (full-width and half-width, upper and lower
    // case alike).
    void setSearchText(const QString& text);
    // The shop's unit-price base (the tag settings'), for the 単位価格 column; empty: by content.
    void setShopUnitBase(const QString& base) { shopUnitBase_ = base; }
    StatusFilter statusFilter() const { return filter_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Column -1 (or 棚番 ascending): shelf order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    const catalogue::TagNeed& need(int row) const { return needs_[size_t(shown_[size_t(row)])]; }
    // The row showing the product whose code or JAN code is `code`, or -1.
    int rowOfCode(const QString& code) const;
    // Whether the catalogue holds a product with that code at all.
    bool holdsCode(const QString& code) const;
    // How many products each filter shows (without the search text).
    int count(StatusFilter filter) const;

private:
    void rebuild();
    bool passes(int index) const;
    const QString& haystack(int index) const;

    std::vector<catalogue::TagNeed> needs_;
    std::vector<int> shown_;
    QString shopUnitBase_;
    mutable std::vector<QString> haystacks_;  // made on the first search
    StatusFilter filter_ = StatusFilter::all;
    QString search_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

// A search text as the rows are compared with it: NFKC, case folded.
QString foldedForSearch(const QString& text);

}  // namespace desktop
