#include "desktop/dialogs/import_dialog.h"

#include "core/productlist/sheet_filling.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace desktop {

using namespace productlist;

ImportDialog::ImportDialog(const QString& listPath, const QByteArray& bytes, const sheet::TagSheet& sheet, int startTag,
                           QWidget* parent, LayoutMemory* memory, Dialogs* dialogs)
    : QDialog(parent), listPath_(listPath), sheet_(sheet), dialogs_(dialogs ? *dialogs : qtDialogs())
{
    setObjectName(QStringLiteral("ImportDialog"));
    setWindowTitle(QStringLiteral("商品リストから作成"));
    auto* layout = new QVBoxLayout(this);
    preview_ = new ListPreview(listPath, bytes, sheet.format(), sheet.format(), memory, this);
    layout->addWidget(preview_, 1);
    buildTarget();
    startTagBox_->setValue(std::clamp(startTag, 1, int(sheet.tagsPerPage())));
    connect(preview_, &ListPreview::changed, this, [this] { updateSummary(); });
    updateSummary();
    resize(900, 640);
}

QWidget* ImportDialog::control(const QString& name) const
{
    QWidget* own = controls_.value(name);
    return own ? own : preview_->control(name);
}

void ImportDialog::buildTarget()
{
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    const auto name = [this](auto* widget, const QString& objectName) {
        widget->setObjectName(objectName);
        controls_.insert(objectName, widget);
        return widget;
    };
    // Where the records go.
    auto* target = new QGridLayout;
    startTagBox_ = name(new QSpinBox(this), QStringLiteral("startTagBox"));
    startTagBox_->setRange(1, sheet_.tagsPerPage());
    auto* startLabel = new QLabel(QStringLiteral("開始位置(&T)"), this);
    startLabel->setBuddy(startTagBox_);
    target->addWidget(startLabel, 0, 0);
    target->addWidget(startTagBox_, 0, 1);
    // On a line of its own and never wrapped: a Japanese line would break inside a phrase.
    summaryLabel_ = name(new QLabel(this), QStringLiteral("summaryLabel"));
    summaryLabel_->setWordWrap(false);
    summaryLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    target->addWidget(summaryLabel_, 3, 0, 1, 5);
    saveRestBox_ = name(new QCheckBox(QStringLiteral("入りきらない分を別の棚札ファイルに保存する(&W)"), this),
                        QStringLiteral("saveRestBox"));
    saveRestBox_->setChecked(true);
    target->addWidget(saveRestBox_, 1, 0, 1, 2);
    restFolderEdit_ = name(new QLineEdit(this), QStringLiteral("restFolderEdit"));
    auto* restFolderLabel = new QLabel(QStringLiteral("保存先(&Q)"), this);
    restFolderLabel->setBuddy(restFolderEdit_);
    target->addWidget(restFolderLabel, 1, 2);
    const QFileInfo sheetFile(sheet_.fileName);
    restFolderEdit_->setText(QDir::toNativeSeparators(sheetFile.isAbsolute() ? sheetFile.absolutePath()
                                                                             : QFileInfo(listPath_).absolutePath()));
    target->addWidget(restFolderEdit_, 1, 3);
    auto* browse = name(new QPushButton(QStringLiteral("参照(&B)..."), this), QStringLiteral("browseButton"));
    browse->setAutoDefault(false);
    target->addWidget(browse, 1, 4);
    printAllBox_ = name(new QCheckBox(QStringLiteral("このシートと残りのシートをまとめて印刷する(&A)"), this),
                        QStringLiteral("printAllBox"));
    target->addWidget(printAllBox_, 2, 0, 1, 3);
    target->setColumnStretch(3, 1);
    layout->addLayout(target);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("作成(&O)"));
    name(buttons->button(QDialogButtonBox::Ok), QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル(&C)"));
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &ImportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ImportDialog::reject);
    connect(startTagBox_, &QSpinBox::valueChanged, this, [this] { updateSummary(); });
    connect(saveRestBox_, &QCheckBox::toggled, this, [this] { updateSummary(); });
    connect(printAllBox_, &QCheckBox::toggled, this, [this] { updateSummary(); });
    connect(browse, &QPushButton::clicked, this, [this] {
        if (const auto folder
            = dialogs_.chooseFolder(this, QStringLiteral("保存先のフォルダー"), restFolderEdit_->text())) {
            restFolderEdit_->setText(QDir::toNativeSeparators(*folder));
        }
    });
}

void ImportDialog::updateSummary()
{
    const int chosen = preview_->checkedUsedCount();
    const int start = startTagBox_->value();
    const int fitting = fittingOnSheet(sheet_, start, chosen);
    const int rest = chosen - fitting;
    const CleanCounts counts = countRows(preview_->cleanedRows());
    QString text = QStringLiteral("選んだ商品 %1 件 (使えない行 %2)").arg(chosen).arg(counts.refused);
    if (fitting > 0) {
        text += QStringLiteral("。このシートのタグ %1〜%2 に %3 件").arg(start).arg(start + fitting - 1).arg(fitting);
    }
    if (rest > 0) {
        const int files = (rest + sheet_.tagsPerPage() - 1) / sheet_.tagsPerPage();
        text += saveRestBox_->isChecked()
            ? QStringLiteral("、残り %1 件は別の棚札ファイル %2 枚に保存します").arg(rest).arg(files)
            : QStringLiteral("。残り %1 件は入りません").arg(rest);
    }
    summaryLabel_->setText(text);
    saveRestBox_->setEnabled(rest > 0);
    printAllBox_->setEnabled(rest > 0);
    restFolderEdit_->setEnabled(rest > 0 && saveRestBox_->isChecked());
    if (QWidget* browse = control(QStringLiteral("browseButton"))) {
        browse->setEnabled(rest > 0 && saveRestBox_->isChecked());
    }
    if (QWidget* ok = control(QStringLiteral("okButton"))) {
        ok->setEnabled(chosen > 0 && preview_->mappingProblem().isEmpty());
    }
}

ImportDialog::Choice ImportDialog::choice() const
{
    Choice out;
    out.records = preview_->checkedRecords();
    out.startTag = startTagBox_->value();
    out.saveRest = saveRestBox_->isChecked()
        && int(out.records.size()) > fittingOnSheet(sheet_, out.startTag, int(out.records.size()));
    out.restFolder = QDir::fromNativeSeparators(restFolderEdit_->text().trimmed());
    out.printAll = printAllBox_->isChecked()
        && int(out.records.size()) > fittingOnSheet(sheet_, out.startTag, int(out.records.size()));
    const QFileInfo sheetFile(sheet_.fileName);
    out.restBaseName = sheetFile.isAbsolute() ? sheetFile.completeBaseName() : QFileInfo(listPath_).completeBaseName();
    return out;
}

void ImportDialog::accept()
{
    const Choice chosen = choice();
    if (chosen.records.empty() || !preview_->mappingProblem().isEmpty()) {
        return;
    }
    if (chosen.saveRest && (chosen.restFolder.isEmpty() || !QFileInfo(chosen.restFolder).isDir())) {
        dialogs_.message(this,
                         QStringLiteral("入りきらない分を保存するフォルダーがありません。\n%1")
                             .arg(QDir::toNativeSeparators(chosen.restFolder)),
                         QStringLiteral("エラー"), MessageIcon::warning, MessageButtons::ok);
        return;
    }
    preview_->rememberChoicesOrWarn(dialogs_, QStringLiteral("棚札は作ります。"));
    QDialog::accept();
}

}  // namespace desktop
