#include "desktop/catalogue/offer_import_dialog.h"

#include "core/jobs/catalogue_import.h"
#include "core/pricing/shop_time.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace desktop {

namespace {

QDateEdit* dayEdit(const QString& name, const QDate& day, QWidget* parent)
{
    auto* edit = new QDateEdit(day, parent);
    edit->setObjectName(name);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    return edit;
}

QTimeEdit* timeEdit(const QString& name, const QTime& time, QWidget* parent)
{
    auto* edit = new QTimeEdit(time, parent);
    edit->setObjectName(name);
    edit->setDisplayFormat(QStringLiteral("HH:mm"));
    return edit;
}

int minutesOf(const QTime& time)
{
    return time.hour() * 60 + time.minute();
}

}  // namespace

OfferImportDialog::OfferImportDialog(const QString& listPath, const QByteArray& bytes, const QDate& today,
                                     productlist::LayoutMemory* memory, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), listPath_(listPath), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("offerImportDialog"));
    setWindowTitle(QStringLiteral("特売の取り込み"));
    auto* layout = new QVBoxLayout(this);

    auto* form = new QFormLayout;
    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName(QStringLiteral("nameEdit"));
    nameEdit_->setPlaceholderText(QStringLiteral("例: 12月第3週チラシ"));
    form->addRow(QStringLiteral("特売の名前(&N):"), nameEdit_);
    auto* days = new QHBoxLayout;
    firstDayEdit_ = dayEdit(QStringLiteral("firstDayEdit"), today, this);
    lastDayEdit_ = dayEdit(QStringLiteral("lastDayEdit"), today, this);
    days->addWidget(firstDayEdit_);
    days->addWidget(new QLabel(QStringLiteral("〜"), this));
    days->addWidget(lastDayEdit_);
    days->addStretch();
    auto* daysLabel = new QLabel(QStringLiteral("期間(&K):"), this);
    daysLabel->setBuddy(firstDayEdit_);
    form->addRow(daysLabel, days);
    auto* hours = new QHBoxLayout;
    hoursBox_ = new QCheckBox(QStringLiteral("時間を限る (タイムセール)(&J)"), this);
    hoursBox_->setObjectName(QStringLiteral("hoursBox"));
    startTimeEdit_ = timeEdit(QStringLiteral("startTimeEdit"), QTime(17, 0), this);
    endTimeEdit_ = timeEdit(QStringLiteral("endTimeEdit"), QTime(19, 0), this);
    hours->addWidget(hoursBox_);
    hours->addWidget(startTimeEdit_);
    hours->addWidget(new QLabel(QStringLiteral("〜"), this));
    hours->addWidget(endTimeEdit_);
    hours->addStretch();
    form->addRow(QString(), hours);
    auto* note = new QLabel(
        QStringLiteral("リストの行に開始日・終了日・期間・時間の列があれば、その行はリストの日付を使います。"), this);
    note->setWordWrap(true);
    form->addRow(QString(), note);
    layout->addLayout(form);

    // The small tag's fields, so that the second name line can be chosen; the rows cleaned as the
    // catalogue keeps them. A row's product is found by its JAN code or the list's product code.
    preview_ = new ListPreview(listPath, bytes, sheet::SheetFormat::small, sheet::SheetFormat::large, memory, this);
    preview_->setExtraColumns({{QStringLiteral("code"), QStringLiteral("商品コード(&O)")}},
                              [](const productlist::ProductList& list, const productlist::ColumnMapping& mapping) {
                                  const catalogue::CatalogueColumns found = catalogue::catalogueColumnsOfList(
                                      list.columnTitles, list.rows, list.hasHeader, mapping);
                                  return std::vector<int> {catalogue::catalogueColumn(found, QStringLiteral("code"))};
                              });
    // Shown as the offer takes them in: a list without a name column has its rows all the same.
    preview_->setCleaningMapping(
        [this](const productlist::ColumnMapping& boxes) { return jobs::offerCleaningMapping(boxes, columns()); });
    layout->addWidget(preview_, 1);

    problemLabel_ = new QLabel(this);
    problemLabel_->setObjectName(QStringLiteral("problemLabel"));
    problemLabel_->setStyleSheet(QStringLiteral("color: #b00;"));
    problemLabel_->setTextFormat(Qt::PlainText);
    layout->addWidget(problemLabel_);
    summaryLabel_ = new QLabel(this);
    summaryLabel_->setObjectName(QStringLiteral("summaryLabel"));
    summaryLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summaryLabel_);
    auto* buttons = new QDialogButtonBox(this);
    okButton_ = buttons->addButton(QStringLiteral("取り込む(&A)"), QDialogButtonBox::AcceptRole);
    okButton_->setObjectName(QStringLiteral("okButton"));
    buttons->addButton(QStringLiteral("キャンセル(&C)"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &OfferImportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &OfferImportDialog::reject);
    connect(preview_, &ListPreview::changed, this, [this] { update(); });
    connect(nameEdit_, &QLineEdit::textChanged, this, [this] { update(); });
    connect(firstDayEdit_, &QDateEdit::dateChanged, this, [this](const QDate& first) {
        // A period of one day unless the last day is set after it.
        if (lastDayEdit_->date() < first) {
            lastDayEdit_->setDate(first);
        }
        update();
    });
    connect(lastDayEdit_, &QDateEdit::dateChanged, this, [this] { update(); });
    connect(hoursBox_, &QCheckBox::toggled, this, [this] { update(); });
    connect(startTimeEdit_, &QTimeEdit::timeChanged, this, [this] { update(); });
    connect(endTimeEdit_, &QTimeEdit::timeChanged, this, [this] { update(); });
    update();
    resize(900, 700);
    nameEdit_->setFocus();
}

QWidget* OfferImportDialog::control(const QString& name) const
{
    const QHash<QString, QWidget*> own {{QStringLiteral("nameEdit"), nameEdit_},
                                        {QStringLiteral("firstDayEdit"), firstDayEdit_},
                                        {QStringLiteral("lastDayEdit"), lastDayEdit_},
                                        {QStringLiteral("hoursBox"), hoursBox_},
                                        {QStringLiteral("startTimeEdit"), startTimeEdit_},
                                        {QStringLiteral("endTimeEdit"), endTimeEdit_},
                                        {QStringLiteral("problemLabel"), problemLabel_},
                                        {QStringLiteral("summaryLabel"), summaryLabel_},
                                        {QStringLiteral("okButton"), okButton_}};
    return own.value(name, preview_->control(name));
}

pricing::OfferPeriod OfferImportDialog::period() const
{
    pricing::OfferPeriod period {{firstDayEdit_->date(), lastDayEdit_->date()}, std::nullopt};
    if (hoursBox_->isChecked()) {
        period.hours = pricing::DailyHours {minutesOf(startTimeEdit_->time()), minutesOf(endTimeEdit_->time())};
    }
    return period;
}

QString OfferImportDialog::problem() const
{
    if (nameEdit_->text().trimmed().isEmpty()) {
        return QStringLiteral("特売の名前を入れてください");
    }
    if (lastDayEdit_->date() < firstDayEdit_->date()) {
        return QStringLiteral("終わりの日が始まりの日より前です");
    }
    if (hoursBox_->isChecked() && endTimeEdit_->time() <= startTimeEdit_->time()) {
        return QStringLiteral("時間の終わりが始まりより前です (夜中をまたぐタイムセールは二つの特売にします)");
    }
    return preview_->mappingProblem();
}

catalogue::OfferList OfferImportDialog::offerList() const
{
    // Only the checked rows; each keeps its number in the list, by which refusals name it.
    jobs::PreparedList prepared = preview_->prepared();
    std::vector<productlist::ListRow> checked;
    for (size_t i = 0; i < prepared.list.rows.size(); ++i) {
        if (preview_->isChecked(int(i))) {
            checked.push_back(prepared.list.rows[i]);
        }
    }
    prepared.list.rows = std::move(checked);
    return jobs::offerListOf(prepared, columns(), nameEdit_->text().trimmed(), period(), firstDayEdit_->date(),
                             QFileInfo(listPath_).absoluteFilePath());
}

catalogue::CatalogueColumns OfferImportDialog::columns() const
{
    catalogue::CatalogueColumns columns;
    catalogue::setCatalogueColumn(columns, QStringLiteral("code"), preview_->extraColumn(QStringLiteral("code")));
    return columns;
}

// The rows are counted as the catalogue takes them in: a row without a code or a sale price, or
// with dates of its own that cannot be read, says why in its note.
void OfferImportDialog::update()
{
    const catalogue::OfferList list = offerList();
    QHash<int, QString> refusals;
    for (const catalogue::RefusedRow& row : list.refused) {
        refusals.insert(row.number, row.reason);
    }
    preview_->setRowRefusals(refusals);
    const QString problem = this->problem();
    problemLabel_->setText(problem);
    problemLabel_->setVisible(!problem.isEmpty());
    summaryLabel_->setText(QStringLiteral("特売「%1」%2: 特価の商品 %3 件 (使えない行 %4)")
                               .arg(nameEdit_->text().trimmed(), catalogue::shownOfferPeriod(period()))
                               .arg(list.rows.size())
                               .arg(list.refused.size()));
    okButton_->setEnabled(problem.isEmpty() && !list.rows.empty());
}

void OfferImportDialog::accept()
{
    if (!okButton_->isEnabled()) {
        return;
    }
    preview_->rememberChoicesOrWarn(dialogs_, QStringLiteral("取り込みは続けます。"));
    QDialog::accept();
}

}  // namespace desktop
