#include "desktop/dialogs/tag_text_dialog.h"

#include "core/pricing/tax_exclusive.h"
#include "core/pricing/unit_price.h"
#include "desktop/dialogs/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace desktop {

namespace {

const QString kTitle = QStringLiteral("棚札の表示");

// The rates a sheet without rates of its own may be taken at, as the box offers them.
constexpr int kSheetRates[] = {10, 8};

}  // namespace

TagTextDialog::TagTextDialog(Dialogs& dialogs, settings::TagTextSettings settings,
                             std::function<void(const sheet::TagTextChoices&)> saved, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), settings_(std::move(settings)), saved_(std::move(saved))
{
    setObjectName(QStringLiteral("tagTextDialog"));
    setWindowTitle(kTitle);

    auto* intro = new QLabel(QStringLiteral("価格のそばに表示する文字を選びます。どれも価格より小さく表示し、"
                                            "入りきらない棚札では省きます（省いた棚札は印刷のときに知らせます）。"),
                             this);
    intro->setWordWrap(true);

    unitBox_ = new QCheckBox(QStringLiteral("単位価格を表示する(&U)　例: 100mlあたり 39.8円"), this);
    unitBox_->setObjectName(QStringLiteral("unitPrice"));
    taxBox_ = new QCheckBox(QStringLiteral("税抜価格を表示する(&T)　例: （税抜 980円）"), this);
    taxBox_->setObjectName(QStringLiteral("taxExclusive"));
    markBox_ = new QCheckBox(QStringLiteral("軽減税率（8%）の商品に印を付ける(&K)"), this);
    markBox_->setObjectName(QStringLiteral("reducedRateMark"));

    markText_ = new QComboBox(this);
    markText_->setObjectName(QStringLiteral("markText"));
    markText_->addItem(pricing::reducedRateMarkText(pricing::ReducedRateMark::asterisk));
    markText_->addItem(pricing::reducedRateMarkText(pricing::ReducedRateMark::kei));
    baseEdit_ = new QLineEdit(this);
    baseEdit_->setObjectName(QStringLiteral("unitBase"));
    baseEdit_->setPlaceholderText(QStringLiteral("空欄: 内容量に応じて（100g、100ml、1個 など）"));
    rateBox_ = new QComboBox(this);
    rateBox_->setObjectName(QStringLiteral("sheetTaxRate"));
    for (const int rate : kSheetRates) {
        rateBox_->addItem(QStringLiteral("%1%").arg(rate), rate);
    }

    auto* form = new QFormLayout;
    const auto row = [&](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    row(QStringLiteral("印の文字(&M):"), markText_);
    row(QStringLiteral("単位価格の単位(&B):"), baseEdit_);
    row(QStringLiteral("税率の分からない棚札の税率(&R):"), rateBox_);
    auto* rateNote = new QLabel(QStringLiteral("編集画面やシートファイルの棚札は商品ごとの税率を持たないため、"
                                               "この税率で税抜価格と印を決めます。"),
                                this);
    rateNote->setWordWrap(true);

    problemLabel_ = new QLabel(this);
    problemLabel_->setObjectName(QStringLiteral("problems"));
    problemLabel_->setWordWrap(true);
    problemLabel_->setStyleSheet(QStringLiteral("color: #c00000"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* saveButton = buttons->addButton(QStringLiteral("保存(&S)"), QDialogButtonBox::AcceptRole);
    saveButton->setObjectName(QStringLiteral("save"));
    saveButton->setDefault(true);
    QPushButton* cancelButton = buttons->addButton(QStringLiteral("キャンセル(&C)"), QDialogButtonBox::RejectRole);
    cancelButton->setObjectName(QStringLiteral("cancel"));
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(markBox_, &QCheckBox::toggled, markText_, &QWidget::setEnabled);
    connect(unitBox_, &QCheckBox::toggled, baseEdit_, &QWidget::setEnabled);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(unitBox_);
    layout->addWidget(taxBox_);
    layout->addWidget(markBox_);
    layout->addLayout(form);
    layout->addWidget(rateNote);
    layout->addWidget(problemLabel_);
    layout->addWidget(buttons);

    QStringList problems;
    showChoices(settings_.tagTextChoices(&problems));
    problemLabel_->setText(problems.join(u'\n'));
    problemLabel_->setVisible(!problems.isEmpty());
}

sheet::TagTextChoices TagTextDialog::choices() const
{
    sheet::TagTextChoices c;
    c.unitPrice = unitBox_->isChecked();
    c.taxExclusive = taxBox_->isChecked();
    c.reducedRateMark = markBox_->isChecked();
    c.markText = markText_->currentText();
    c.unitBase = baseEdit_->text().trimmed();
    c.sheetTaxRatePercent = rateBox_->currentData().toInt();
    return c;
}

void TagTextDialog::showChoices(const sheet::TagTextChoices& c)
{
    unitBox_->setChecked(c.unitPrice);
    taxBox_->setChecked(c.taxExclusive);
    markBox_->setChecked(c.reducedRateMark);
    markText_->setCurrentIndex(std::max(0, markText_->findText(c.markText)));
    markText_->setEnabled(c.reducedRateMark);
    baseEdit_->setText(c.unitBase);
    baseEdit_->setEnabled(c.unitPrice);
    rateBox_->setCurrentIndex(std::max(0, rateBox_->findData(c.sheetTaxRatePercent)));
}

void TagTextDialog::save()
{
    const sheet::TagTextChoices c = choices();
    if (!c.unitBase.isEmpty()) {
        const pricing::UnitBaseReading reading = pricing::readUnitBase(c.unitBase);
        if (reading.outcome != pricing::UnitBaseReading::Outcome::base) {
            const QString why = reading.outcome == pricing::UnitBaseReading::Outcome::refused
                ? reading.note
                : QStringLiteral(
                    "店全体の単位に「なし」は使えません。単位価格を表示しないときはチェックを外してください");
            dialogs_.message(this,
                             QStringLiteral("単位価格の単位「%1」は使えません（%2）。\n"
                                            "100g、1kg、100ml、1L、1個、10枚 などで入力してください。")
                                 .arg(c.unitBase, why),
                             kTitle, MessageIcon::warning, MessageButtons::ok);
            baseEdit_->setFocus(Qt::OtherFocusReason);
            baseEdit_->selectAll();
            return;
        }
    }
    QString problem;
    if (!settings_.saveTagTextChoices(c, &problem)) {
        dialogs_.message(this, QStringLiteral("設定を保存できません: %1").arg(problem), kTitle, MessageIcon::stop,
                         MessageButtons::ok);
        return;
    }
    if (saved_) {
        saved_(c);
    }
    accept();
}

}  // namespace desktop
