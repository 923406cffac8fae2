#include "desktop/catalogue/catalogue_import_dialog.h"

#include "core/jobs/catalogue_import.h"
#include "core/pricing/shop_time.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace desktop {

CatalogueImportDialog::CatalogueImportDialog(const QString& listPath, const QByteArray& bytes,
                                             productlist::LayoutMemory* memory, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), listPath_(listPath), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("catalogueImportDialog"));
    setWindowTitle(QStringLiteral("商品マスタに取り込み"));
    auto* layout = new QVBoxLayout(this);
    // The small tag's fields, so that the second name line can be chosen; the rows cleaned as the
    // catalogue keeps them, for the large tag's boxes.
    preview_ = new ListPreview(listPath, bytes, sheet::SheetFormat::small, sheet::SheetFormat::large, memory, this);
    // The catalogue's own columns, found by title and content as the tag's are, and chosen beside them.
    // The unit price's base and the content apart from the size, as the command reads them.
    preview_->setExtraColumns({{QStringLiteral("code"), QStringLiteral("商品コード(&O)")},
                               {QStringLiteral("shelf"), QStringLiteral("棚番(&T)")},
                               {QStringLiteral("count"), QStringLiteral("フェース数(&B)")},
                               {QStringLiteral("unit"), QStringLiteral("単位価格の基準(&Q)")},
                               {QStringLiteral("content"), QStringLiteral("内容量(&4)")},
                               {QStringLiteral("contentunit"), QStringLiteral("内容量の単位(&5)")}},
                              [](const productlist::ProductList& list, const productlist::ColumnMapping& mapping) {
                                  const catalogue::CatalogueColumns found = catalogue::catalogueColumnsOfList(
                                      list.columnTitles, list.rows, list.hasHeader, mapping);
                                  std::vector<int> columns;
                                  for (const QString& key : jobs::catalogueColumnKeys()) {
                                      columns.push_back(catalogue::catalogueColumn(found, key));
                                  }
                                  return columns;
                              });
    layout->addWidget(preview_, 1);
    summaryLabel_ = new QLabel(this);
    summaryLabel_->setObjectName(QStringLiteral("summaryLabel"));
    summaryLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summaryLabel_);
    auto* dateRow = new QHBoxLayout;
    auto* dateLabel = new QLabel(QStringLiteral("売価の適用日(&W):"), this);
    validFromEdit_ = new QDateEdit(this);
    validFromEdit_->setObjectName(QStringLiteral("validFromEdit"));
    validFromEdit_->setCalendarPopup(true);
    validFromEdit_->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    dateLabel->setBuddy(validFromEdit_);
    validFromNote_ = new QLabel(this);
    validFromNote_->setObjectName(QStringLiteral("validFromNote"));
    validFromNote_->setTextFormat(Qt::PlainText);
    dateRow->addWidget(dateLabel);
    dateRow->addWidget(validFromEdit_);
    dateRow->addWidget(validFromNote_, 1);
    layout->addLayout(dateRow);
    setValidFrom(QDate::currentDate(), QDate::currentDate());
    connect(validFromEdit_, &QDateEdit::dateChanged, this, [this] { updateDateNote(); });
    auto* buttons = new QDialogButtonBox(this);
    okButton_ = buttons->addButton(QStringLiteral("取り込む(&A)"), QDialogButtonBox::AcceptRole);
    okButton_->setObjectName(QStringLiteral("okButton"));
    buttons->addButton(QStringLiteral("キャンセル(&C)"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CatalogueImportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CatalogueImportDialog::reject);
    connect(preview_, &ListPreview::changed, this, [this] { updateSummary(); });
    updateSummary();
    resize(900, 640);
}

QWidget* CatalogueImportDialog::control(const QString& name) const
{
    if (name == QLatin1String("summaryLabel")) {
        return summaryLabel_;
    }
    if (name == QLatin1String("okButton")) {
        return okButton_;
    }
    if (name == QLatin1String("validFromEdit")) {
        return validFromEdit_;
    }
    if (name == QLatin1String("validFromNote")) {
        return validFromNote_;
    }
    return preview_->control(name);
}

catalogue::CatalogueColumns CatalogueImportDialog::columns() const
{
    catalogue::CatalogueColumns columns;
    for (const QString& key : jobs::catalogueColumnKeys()) {
        catalogue::setCatalogueColumn(columns, key, preview_->extraColumn(key));
    }
    return columns;
}

void CatalogueImportDialog::setValidFrom(const QDate& day, const QDate& today)
{
    today_ = today;
    validFromEdit_->setDate(day);
    updateDateNote();
}

QDate CatalogueImportDialog::validFrom() const
{
    return validFromEdit_->date();
}

// What the date means for the tags, said beside it: a later day changes no tag before it comes.
void CatalogueImportDialog::updateDateNote()
{
    const QDate day = validFromEdit_->date();
    if (day == today_) {
        validFromNote_->setText(QStringLiteral("%1 (今日) から。棚札はすぐ変わります").arg(pricing::shownDate(day)));
    } else if (day > today_) {
        validFromNote_->setText(QStringLiteral("%1 から。その日まで棚札は変わりません").arg(pricing::shownDate(day)));
    } else {
        validFromNote_->setText(QStringLiteral("%1 から (過去の日付)").arg(pricing::shownDate(day)));
    }
}

// The rows are counted as the catalogue takes them in, so that what is said here is what the
// merge summary says: a row without a JAN code or product code, or with a code an earlier row
// has, is not usable, and its row says why.
void CatalogueImportDialog::updateSummary()
{
    const catalogue::IncomingList rows = incoming();
    QHash<int, QString> refusals;
    for (const catalogue::RefusedRow& row : rows.refused) {
        refusals.insert(row.number, row.reason);
    }
    preview_->setRowRefusals(refusals);
    const int usable = int(rows.products.size());
    summaryLabel_->setText(QStringLiteral("取り込む商品 %1 件 (使えない行 %2)").arg(usable).arg(rows.refused.size()));
    okButton_->setEnabled(usable > 0 && preview_->mappingProblem().isEmpty());
}

jobs::IncomingRows CatalogueImportDialog::incomingRows() const
{
    return jobs::incomingRowsOf(preview_->prepared(), columns(), QFileInfo(listPath_).absoluteFilePath(),
                                &preview_->checkedRows());
}

void CatalogueImportDialog::accept()
{
    if (!okButton_->isEnabled()) {
        return;
    }
    preview_->rememberChoicesOrWarn(dialogs_, QStringLiteral("取り込みは続けます。"));
    QDialog::accept();
}

}  // namespace desktop
