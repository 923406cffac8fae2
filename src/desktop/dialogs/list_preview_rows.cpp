// The list preview's rows: cleaned as the boxes say, shown with a check box each and what the
// cleaning did to them, filtered by the search box, and counted as the dialog uses them.

#include "desktop/dialogs/list_preview.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>

namespace desktop {

using namespace productlist;

namespace {

const QColor kRefusedText(0xB0, 0x00, 0x00);
const QColor kChangedText(0x80, 0x50, 0x00);

}  // namespace

void ListPreview::setRowRefusals(const QHash<int, QString>& reasons)
{
    if (reasons == rowRefusals_) {
        return;
    }
    rowRefusals_ = reasons;
    fillTable();
    applyFilter();
}

void ListPreview::reclean()
{
    if (updating_) {
        return;
    }
    const bool taxColumn = mappingFromBoxes().column(ListField::taxClass) >= 0;
    taxRateBox_->setItemText(
        0, taxColumn ? QStringLiteral("税区分の列に従う（ない行は 10%）") : QStringLiteral("10% (標準)"));
    taxRateBox_->setItemText(
        1, taxColumn ? QStringLiteral("税区分の列に従う（ない行は 8%）") : QStringLiteral("8% (軽減)"));
    table_->horizontalHeaderItem(kRowColumn)
        ->setText(list_.kind == ListKind::text ? QStringLiteral("ファイルの行") : QStringLiteral("シートの行"));
    const ColumnMapping boxes = mappingFromBoxes();
    cleaned_
        = cleanRows(list_.rows, cleaningMapping_ ? cleaningMapping_(boxes) : boxes, cleaningFormat_, taxFromBoxes());
    fillTable();
    applyFilter();
    showMappingProblem();
    emit changed();
}

void ListPreview::fillTable()
{
    updating_ = true;
    table_->setUpdatesEnabled(false);
    table_->clearContents();
    table_->setRowCount(int(cleaned_.size()));
    for (int i = 0; i < int(cleaned_.size()); ++i) {
        const CleanRow& row = cleaned_[size_t(i)];
        const bool refused = row.refused();
        // A row the dialog will not use, though the cleaning took it: still checkable (unchecking
        // a duplicate lets the other row through), its reason shown as a refusal's.
        const auto dialogRefusal = refused ? rowRefusals_.constEnd() : rowRefusals_.constFind(row.number);
        const bool notUsed = refused || dialogRefusal != rowRefusals_.constEnd();
        auto* use = new QTableWidgetItem;
        use->setData(Qt::UserRole, i);
        if (refused) {
            use->setFlags(Qt::ItemIsEnabled);
            use->setText(QStringLiteral("×"));
        } else {
            use->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
            use->setCheckState(checked_[size_t(i)] ? Qt::Checked : Qt::Unchecked);
        }
        table_->setItem(i, kUseColumn, use);
        const auto text = [&](int column, const QString& value) {
            auto* item = new QTableWidgetItem(value);
            if (notUsed) {
                item->setForeground(kRefusedText);
            } else if (row.changed() && column == kNoteColumn) {
                item->setForeground(kChangedText);
            }
            table_->setItem(i, column, item);
        };
        text(kRowColumn, QString::number(row.number));
        text(kJanColumn, row.record.jan);
        // A name run on into the small tag's second line is shown with its break.
        text(kNameColumn,
             row.record.productName2.isEmpty()
                 ? row.record.productName
                 : row.record.productName + QStringLiteral(" ／ ") + row.record.productName2);
        text(kListPriceColumn, row.listPrice >= 0 ? QString::number(row.listPrice) : QString());
        text(kTagPriceColumn, refused ? QString() : QString::number(row.record.price));
        QString note = row.summary();
        if (!encodingProblem_.isEmpty()) {
            note = QStringLiteral("文字コード (%1) が合っていないため、正しく読めていません")
                       .arg(encodingName(list_.encoding));
        } else if (dialogRefusal != rowRefusals_.constEnd()) {
            note = *dialogRefusal;
        }
        text(kNoteColumn, note);
    }
    table_->resizeColumnsToContents();
    table_->setColumnWidth(kNameColumn, std::min(table_->columnWidth(kNameColumn), 240));
    table_->setUpdatesEnabled(true);
    updating_ = false;
}

void ListPreview::applyFilter()
{
    const QString needle = filterEdit_->text().trimmed().normalized(QString::NormalizationForm_KC);
    for (int i = 0; i < int(cleaned_.size()); ++i) {
        const sheet::TagRecord& record = cleaned_[size_t(i)].record;
        const bool shown = needle.isEmpty()
            || record.productName.normalized(QString::NormalizationForm_KC).contains(needle, Qt::CaseInsensitive)
            || record.productName2.normalized(QString::NormalizationForm_KC).contains(needle, Qt::CaseInsensitive)
            || record.jan.contains(needle);
        table_->setRowHidden(i, !shown);
    }
}

void ListPreview::setChecked(int index, bool checked)
{
    if (index < 0 || index >= int(checked_.size()) || cleaned_[size_t(index)].refused()) {
        return;
    }
    checked_[size_t(index)] = checked;
    if (QTableWidgetItem* item = table_->item(index, kUseColumn)) {
        updating_ = true;
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
        updating_ = false;
    }
    emit changed();
}

void ListPreview::checkVisibleRows(bool checked)
{
    updating_ = true;
    for (int i = 0; i < int(cleaned_.size()); ++i) {
        if (!table_->isRowHidden(i) && !cleaned_[size_t(i)].refused()) {
            checked_[size_t(i)] = checked;
            table_->item(i, kUseColumn)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
        }
    }
    updating_ = false;
    emit changed();
}

int ListPreview::checkedUsedCount() const
{
    int count = 0;
    for (size_t i = 0; i < cleaned_.size(); ++i) {
        count += checked_[i] && !cleaned_[i].refused() ? 1 : 0;
    }
    return count;
}

std::vector<sheet::TagRecord> ListPreview::checkedRecords() const
{
    std::vector<sheet::TagRecord> records;
    for (size_t i = 0; i < cleaned_.size(); ++i) {
        if (checked_[i] && !cleaned_[i].refused()) {
            records.push_back(cleaned_[i].record);
        }
    }
    return records;
}

}  // namespace desktop
