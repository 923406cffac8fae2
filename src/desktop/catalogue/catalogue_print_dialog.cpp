#include "desktop/catalogue/catalogue_print_dialog.h"

#include "core/jobs/catalogue_print.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace desktop {

CataloguePrintDialog::CataloguePrintDialog(const QString& paper, int startTag, const PrintScopeCount& needed,
                                           const PrintScopeCount& selected, QWidget* parent)
    : QDialog(parent), startTag_(startTag), needed_(needed), selected_(selected)
{
    setObjectName(QStringLiteral("cataloguePrintDialog"));
    setWindowTitle(QStringLiteral("棚札の印刷"));
    auto* layout = new QVBoxLayout(this);
    purposeLabel_ = new QLabel(this);
    purposeLabel_->setObjectName(QStringLiteral("purposeLabel"));
    purposeLabel_->setTextFormat(Qt::PlainText);
    purposeLabel_->setStyleSheet(QStringLiteral("font-weight: bold;"));
    purposeLabel_->hide();
    layout->addWidget(purposeLabel_);
    auto* paperLabel = new QLabel(QStringLiteral("用紙: %1、%2 枚目から").arg(paper).arg(startTag), this);
    paperLabel->setTextFormat(Qt::PlainText);
    layout->addWidget(paperLabel);

    allScope_ = new QRadioButton(
        needed.products > 0
            ? QStringLiteral("印刷が必要な棚札すべて(&A)  (新規と変更あり %1 商品)").arg(needed.products)
            : QStringLiteral("印刷が必要な棚札すべて(&A)  (いまはありません)"),
        this);
    allScope_->setObjectName(QStringLiteral("allScope"));
    selectedScope_ = new QRadioButton(
        selected.products > 0
            ? QStringLiteral("選んだ商品だけ(&O)  (%1 商品、最新の棚札も印刷し直します)").arg(selected.products)
            : QStringLiteral("選んだ商品だけ(&O)  (表で商品を選んでいません)"),
        this);
    selectedScope_->setObjectName(QStringLiteral("selectedScope"));
    selectedScope_->setEnabled(selected.products > 0);
    allScope_->setEnabled(needed.products > 0);
    // Every tag that needs printing, unless there are none and the user has chosen products.
    (needed.products > 0 || selected.products == 0 ? allScope_ : selectedScope_)->setChecked(true);
    layout->addWidget(allScope_);
    layout->addWidget(selectedScope_);
    againBox_ = new QCheckBox(QStringLiteral("確認待ちの札も印刷する(&W)"), this);
    againBox_->setObjectName(QStringLiteral("againBox"));
    againBox_->hide();
    layout->addWidget(againBox_);

    countLabel_ = new QLabel(this);
    countLabel_->setObjectName(QStringLiteral("countLabel"));
    countLabel_->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 120%;"));
    countLabel_->setTextFormat(Qt::PlainText);
    layout->addSpacing(8);
    layout->addWidget(countLabel_);
    layout->addSpacing(8);

    auto* buttons = new QDialogButtonBox(this);
    printButton_ = buttons->addButton(QStringLiteral("印刷(&P)..."), QDialogButtonBox::AcceptRole);
    printButton_->setObjectName(QStringLiteral("printButton"));
    printButton_->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル(&C)"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(allScope_, &QRadioButton::toggled, this, [this] { update(); });
    connect(againBox_, &QCheckBox::toggled, this, [this] { update(); });
    update();
}

void CataloguePrintDialog::offerAgain(int pendingProducts, const PrintScopeCount& neededAgain,
                                      const PrintScopeCount& selectedAgain)
{
    neededAgain_ = neededAgain;
    selectedAgain_ = selectedAgain;
    againBox_->setText(QStringLiteral("確認待ちの札も印刷する(&W)  (確認待ち %1 商品)").arg(pendingProducts));
    againBox_->setToolTip(QStringLiteral("まだ「正しく印刷できましたか」に答えていない印刷の棚札は、ふつうは"
                                         "印刷しません。紙詰まりなどで出なかったときはここに印を付けます。"));
    againBox_->setVisible(pendingProducts > 0);
    update();
}

void CataloguePrintDialog::setPurpose(const QString& text)
{
    purposeLabel_->setText(text);
    purposeLabel_->setVisible(!text.isEmpty());
}

bool CataloguePrintDialog::selectedOnly() const
{
    return selectedScope_->isChecked();
}

bool CataloguePrintDialog::again() const
{
    return !againBox_->isHidden() && againBox_->isChecked();
}

const PrintScopeCount& CataloguePrintDialog::chosen() const
{
    if (again()) {
        return selectedOnly() ? selectedAgain_ : neededAgain_;
    }
    return selectedOnly() ? selected_ : needed_;
}

QString CataloguePrintDialog::countText() const
{
    const PrintScopeCount& count = chosen();
    if (count.tags > 0) {
        return jobs::printCountText(count.tags, count.sheets, startTag_);
    }
    const PrintScopeCount& withPending = selectedOnly() ? selectedAgain_ : neededAgain_;
    return !againBox_->isHidden() && withPending.tags > 0
        ? QStringLiteral("印刷する棚札はありません (確認待ちの札は、上の印を付けると印刷します)")
        : QStringLiteral("印刷する棚札はありません");
}

void CataloguePrintDialog::update()
{
    countLabel_->setText(countText());
    printButton_->setEnabled(chosen().tags > 0);
}

}  // namespace desktop
