#include "desktop/dialogs/calibration_dialog.h"

#include "output/calibration_settings.h"
#include "desktop/dialogs/dialogs.h"
#include "output/page_printing.h"
#include "core/draw/calibration_sheet.h"
#include "core/sheet/tag_sheet.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace desktop {

namespace {

const QString kTitle = QStringLiteral("印刷位置の調整");

QDoubleSpinBox* distanceBox(const QString& name, double valueMm, QWidget* parent)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0.0, 400.0);
    box->setDecimals(2);
    box->setSingleStep(0.5);
    box->setSuffix(QStringLiteral(" mm"));
    box->setValue(valueMm);
    return box;
}

}  // namespace

CalibrationDialog::CalibrationDialog(const sheet::SheetFormat& format, desktop::Dialogs& dialogs,
                                     output::CalibrationSettings& settings, const QStringList& printerNames,
                                     const QString& printerName, QWidget* parent)
    : QDialog(parent), format_(format), dialogs_(dialogs), settings_(settings)
{
    setObjectName(QStringLiteral("frmCalibration"));
    setWindowTitle(kTitle);

    auto* layout = new QVBoxLayout(this);
    auto* explanation = new QLabel(
        QStringLiteral("「調整用紙を印刷」で印刷した紙で、印 A と印 B の十字の中心が用紙の左端と上端から何 mm の"
                       "ところにあるかを定規で測り、下の欄に入力して「計算して保存」を押してください。"
                       "以後このプリンタで印刷するとき、ページ全体の位置と大きさがその分だけ補正されます。"),
        this);
    explanation->setObjectName(QStringLiteral("lblExplanation"));
    explanation->setWordWrap(true);
    layout->addWidget(explanation);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("プリンタ"), this), 0, 0);
    printerBox_ = new QComboBox(this);
    printerBox_->setObjectName(QStringLiteral("cboPrinter"));
    printerBox_->addItems(printerNames);
    grid->addWidget(printerBox_, 0, 1, 1, 3);
    currentLabel_ = new QLabel(this);
    currentLabel_->setObjectName(QStringLiteral("lblCurrent"));
    currentLabel_->setWordWrap(true);
    grid->addWidget(currentLabel_, 1, 0, 1, 4);

    const auto& marks = draw::calibrationMarks();
    grid->addWidget(new QLabel(QStringLiteral("左端から"), this), 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("上端から"), this), 2, 2);
    QDoubleSpinBox** boxes[2][2] = {{&markAX_, &markAY_}, {&markBX_, &markBY_}};
    for (int i = 0; i < 2; ++i) {
        const draw::CalibrationMark& mark = marks[size_t(i)];
        grid->addWidget(new QLabel(QStringLiteral("印 %1（%2 mm・%3 mm に印刷）")
                                       .arg(mark.name, calibration::formatNumber(mark.centre.x), calibration::formatNumber(mark.centre.y)),
                                   this),
                        3 + i, 0);
        *boxes[i][0] = distanceBox(QStringLiteral("txtMark%1X").arg(mark.name), mark.centre.x, this);
        *boxes[i][1] = distanceBox(QStringLiteral("txtMark%1Y").arg(mark.name), mark.centre.y, this);
        grid->addWidget(*boxes[i][0], 3 + i, 1);
        grid->addWidget(*boxes[i][1], 3 + i, 2);
    }
    layout->addLayout(grid);

    resultLabel_ = new QLabel(this);
    resultLabel_->setObjectName(QStringLiteral("lblResult"));
    resultLabel_->setWordWrap(true);
    layout->addWidget(resultLabel_);

    auto* buttons = new QDialogButtonBox(this);
    printButton_ = buttons->addButton(QStringLiteral("調整用紙を印刷..."), QDialogButtonBox::ActionRole);
    printButton_->setObjectName(QStringLiteral("cmdPrintSheet"));
    saveButton_ = buttons->addButton(QStringLiteral("計算して保存"), QDialogButtonBox::ActionRole);
    saveButton_->setObjectName(QStringLiteral("cmdSave"));
    resetButton_ = buttons->addButton(QStringLiteral("元に戻す"), QDialogButtonBox::ResetRole);
    resetButton_->setObjectName(QStringLiteral("cmdReset"));
    QPushButton* close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton* b : {printButton_, saveButton_, resetButton_, close}) {
        b->setAutoDefault(false);
    }
    layout->addWidget(buttons);

    connect(printButton_, &QPushButton::clicked, this, [this] { printSheet(); });
    connect(saveButton_, &QPushButton::clicked, this, [this] { computeAndSave(); });
    connect(resetButton_, &QPushButton::clicked, this, [this] { resetPrinter(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(printerBox_, &QComboBox::currentTextChanged, this, [this] { showPrinter(); });

    const qsizetype chosen = printerNames.indexOf(printerName);
    printerBox_->setCurrentIndex(chosen >= 0 ? int(chosen) : 0);
    showPrinter();
    resize(560, sizeHint().height());
}

QString CalibrationDialog::printerName() const
{
    return printerBox_->currentText();
}

void CalibrationDialog::choosePrinter(const QString& name)
{
    const int index = printerBox_->findText(name);
    if (index >= 0) {
        printerBox_->setCurrentIndex(index);
    }
}

void CalibrationDialog::setMeasured(const calibration::PointMm& markA, const calibration::PointMm& markB)
{
    markAX_->setValue(markA.x);
    markAY_->setValue(markA.y);
    markBX_->setValue(markB.x);
    markBY_->setValue(markB.y);
}

QString CalibrationDialog::describe(const calibration::Calibration& c)
{
    return QStringLiteral("ずれ 横 %1 mm・縦 %2 mm、倍率 横 %3 %・縦 %4 %")
        .arg(calibration::formatNumber(c.offsetXMm), calibration::formatNumber(c.offsetYMm), calibration::formatNumber(c.scaleXPercent),
             calibration::formatNumber(c.scaleYPercent));
}

void CalibrationDialog::showPrinter()
{
    const QString name = printerName();
    const bool havePrinter = !name.isEmpty();
    for (QPushButton* b : {printButton_, saveButton_, resetButton_}) {
        b->setEnabled(havePrinter);
    }
    resultLabel_->clear();
    if (!havePrinter) {
        currentLabel_->setText(QStringLiteral("プリンタが見つかりません。プリンタを設定してから開いてください。"));
        return;
    }
    const output::StoredCalibration stored = settings_.load(name);
    if (!stored.problem.isEmpty()) {
        currentLabel_->setText(stored.problem);
    } else if (stored.calibration) {
        currentLabel_->setText(QStringLiteral("今の調整：") + describe(*stored.calibration));
    } else {
        currentLabel_->setText(QStringLiteral("今の調整：なし"));
    }
    if (!printedWith_.contains(name)) {
        printedWith_.insert(name, stored.calibration.value_or(calibration::Calibration{}));
    }
}

void CalibrationDialog::report(const QString& text, bool problem)
{
    resultLabel_->setText(text);
    if (problem) {
        dialogs_.message(this, text, kTitle, desktop::MessageIcon::warning, desktop::MessageButtons::ok);
    }
}

void CalibrationDialog::printSheet()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(printerName());
    output::prepareActualSizePage(printer);
    printer.setDocName(kTitle);
    if (!dialogs_.choosePrinter(this, printer)) {
        return;
    }
    // The calibration belongs to the printer that prints the sheet.
    if (printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty()) {
        choosePrinter(printer.printerName());
    }
    const QString name = printerName();
    const calibration::Calibration calibration = settings_.load(name).calibration.value_or(calibration::Calibration{});
    QString error;
    if (!output::printCalibratedPage(printer, calibration,
                                       [this](draw::Surface& s) { draw::drawCalibrationSheet(format_, s); },
                                       &error)) {
        report(error, true);
        return;
    }
    printedWith_.insert(name, calibration);
    report(QStringLiteral("調整用紙を印刷しました。印 A と印 B の位置を測って入力してください。"), false);
}

void CalibrationDialog::computeAndSave()
{
    const QString name = printerName();
    const auto& marks = draw::calibrationMarks();
    const calibration::CalibrationResult result = calibration::calibrationFromMarks(
        printedWith_.value(name), {marks[0].centre, {markAX_->value(), markAY_->value()}},
        {marks[1].centre, {markBX_->value(), markBY_->value()}});
    if (!result.calibration) {
        report(result.problem, true);
        return;
    }
    QString problem;
    if (!settings_.save(name, *result.calibration, &problem)) {
        report(problem, true);
        return;
    }
    showPrinter();
    report(QStringLiteral("「%1」の調整を保存しました：%2").arg(name, describe(*result.calibration)), false);
}

void CalibrationDialog::resetPrinter()
{
    const QString name = printerName();
    QString problem;
    if (!settings_.clear(name, &problem)) {
        report(problem, true);
        return;
    }
    showPrinter();
    report(QStringLiteral("「%1」の調整を元に戻しました（調整なしで印刷します）。").arg(name), false);
}

}  // namespace desktop
