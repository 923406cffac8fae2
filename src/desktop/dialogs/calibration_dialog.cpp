#include "desktop/dialogs/calibration_dialog.h"

#include "core/draw/calibration_sheet.h"
#include "core/sheet/field_entry.h"
#include "core/sheet/tag_sheet.h"
#include "desktop/dialogs/dialogs.h"
#include "output/calibrated_pages.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace desktop {

namespace {

const QString kTitle = QStringLiteral("印刷位置の調整");

// Full-width digits, sign and point as typed with the Japanese input mode left on, made half-width.
QString halfWidthNumber(const QString& text)
{
    QString out = sheet::halfWidthDigits(text);
    for (QChar& ch : out) {
        switch (ch.unicode()) {
        case u'．':
            ch = u'.';
            break;
        case u'－':
        case u'−':
            ch = u'-';
            break;
        case u'＋':
            ch = u'+';
            break;
        default:
            break;
        }
    }
    return out;
}

bool allowedInNumber(QChar ch)
{
    return (ch >= u'0' && ch <= u'9') || ch == u'.' || ch == u'-' || ch == u'+';
}

}  // namespace

CalibrationDialog::CalibrationDialog(const sheet::SheetFormat& format, desktop::Dialogs& dialogs,
                                     settings::PrinterCalibrations calibrations, const QStringList& printerNames,
                                     const QString& printerName, QWidget* parent)
    : QDialog(parent), format_(format), dialogs_(dialogs), calibrations_(std::move(calibrations))
{
    setObjectName(QStringLiteral("frmCalibration"));
    setWindowTitle(kTitle);

    auto* layout = new QVBoxLayout(this);
    auto* explanation = new QLabel(
        QStringLiteral("「調整用紙を印刷」で印刷した紙で、印 A と印 B の十字の中心が用紙の左端と上端から何 mm の"
                       "ところにあるかを定規で測り、下の欄に入力して「計算して保存」を押してください。"
                       "以後このプリンタで印刷するとき、ページ全体の位置と大きさがその分だけ補正されます。"
                       "測る用紙に印刷されている「この用紙を印刷した調整」を、下の欄で選んでください。"),
        this);
    explanation->setObjectName(QStringLiteral("lblExplanation"));
    explanation->setWordWrap(true);
    layout->addWidget(explanation);

    layout->addLayout(buildGrid(printerNames));

    measuredLabel_ = new QLabel(this);
    measuredLabel_->setObjectName(QStringLiteral("lblMeasured"));
    measuredLabel_->setWordWrap(true);
    layout->addWidget(measuredLabel_);
    resultLabel_ = new QLabel(this);
    resultLabel_->setObjectName(QStringLiteral("lblResult"));
    resultLabel_->setWordWrap(true);
    resultLabel_->setTextFormat(Qt::PlainText);
    layout->addWidget(resultLabel_);

    // Saving comes first after the boxes; deleting stands apart and asks first.
    auto* buttons = new QHBoxLayout;
    saveButton_ = new QPushButton(QStringLiteral("計算して保存(&S)"), this);
    saveButton_->setObjectName(QStringLiteral("cmdSave"));
    resetButton_ = new QPushButton(QStringLiteral("調整を消す(&D)..."), this);
    resetButton_->setObjectName(QStringLiteral("cmdReset"));
    auto* close = new QPushButton(QStringLiteral("閉じる(&C)"), this);
    close->setObjectName(QStringLiteral("cmdClose"));
    buttons->addWidget(saveButton_);
    buttons->addStretch(1);
    buttons->addWidget(resetButton_);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    for (QPushButton* b : {printButton_, resetButton_, close}) {
        b->setAutoDefault(false);
    }
    saveButton_->setDefault(true);

    QWidget* order[] = {printerBox_,    printButton_,   printedWithBox_, boxes_[0].edit, boxes_[1].edit,
                        boxes_[2].edit, boxes_[3].edit, saveButton_,     resetButton_,   close};
    for (size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }

    connect(printButton_, &QPushButton::clicked, this, [this] { printSheet(); });
    connect(saveButton_, &QPushButton::clicked, this, [this] { computeAndSave(); });
    connect(resetButton_, &QPushButton::clicked, this, [this] { resetPrinter(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(printerBox_, &QComboBox::currentTextChanged, this, [this] { showPrinter(); });
    connect(printedWithBox_, &QComboBox::currentIndexChanged, this, [this] { showMeasurement(); });
    for (Box& box : boxes_) {
        connect(box.edit, &QLineEdit::textEdited, this, [this, &box] { filterBox(box); });
        connect(box.edit, &QLineEdit::textChanged, this, [this] { showMeasurement(); });
    }

    const qsizetype chosen = printerNames.indexOf(printerName);
    printerBox_->setCurrentIndex(chosen >= 0 ? int(chosen) : 0);
    showPrinter();
    resize(640, sizeHint().height());
}

// The printer, the calibration the measured sheet was printed with, and the boxes of the marks'
// measured places.
QGridLayout* CalibrationDialog::buildGrid(const QStringList& printerNames)
{
    auto* grid = new QGridLayout;
    auto* printerLabel = new QLabel(QStringLiteral("プリンタ(&P)"), this);
    grid->addWidget(printerLabel, 0, 0);
    printerBox_ = new QComboBox(this);
    printerBox_->setObjectName(QStringLiteral("cboPrinter"));
    printerBox_->addItems(printerNames);
    printerLabel->setBuddy(printerBox_);
    grid->addWidget(printerBox_, 0, 1, 1, 3);
    printButton_ = new QPushButton(QStringLiteral("調整用紙を印刷(&I)..."), this);
    printButton_->setObjectName(QStringLiteral("cmdPrintSheet"));
    grid->addWidget(printButton_, 0, 4);
    currentLabel_ = new QLabel(this);
    currentLabel_->setObjectName(QStringLiteral("lblCurrent"));
    currentLabel_->setWordWrap(true);
    currentLabel_->setTextFormat(Qt::PlainText);  // quotes the settings file and a printer's name
    grid->addWidget(currentLabel_, 1, 0, 1, 5);

    auto* printedWithLabel = new QLabel(QStringLiteral("測る用紙を印刷した調整(&W)"), this);
    grid->addWidget(printedWithLabel, 2, 0);
    printedWithBox_ = new QComboBox(this);
    printedWithBox_->setObjectName(QStringLiteral("cboPrintedWith"));
    printedWithBox_->setToolTip(QStringLiteral("調整用紙の印の横に「この用紙を印刷した調整」として印刷されています"));
    printedWithLabel->setBuddy(printedWithBox_);
    grid->addWidget(printedWithBox_, 2, 1, 1, 4);

    const auto& marks = draw::calibrationMarks();
    const char* const keys[2][2] = {{"1", "2"}, {"3", "4"}};
    for (int i = 0; i < 2; ++i) {
        const draw::CalibrationMark& mark = marks[size_t(i)];
        grid->addWidget(new QLabel(QStringLiteral("印 %1（%2 mm・%3 mm に印刷）")
                                       .arg(mark.name, calibration::formatNumber(mark.centre.x),
                                            calibration::formatNumber(mark.centre.y)),
                                   this),
                        3 + i, 0);
        for (int axis = 0; axis < 2; ++axis) {
            const QString edge = axis == 0 ? QStringLiteral("左端から") : QStringLiteral("上端から");
            auto* label = new QLabel(QStringLiteral("%1(&%2)").arg(edge, QString::fromLatin1(keys[i][axis])), this);
            auto* edit = new QLineEdit(this);
            edit->setObjectName(QStringLiteral("txtMark") + mark.name + (axis == 0 ? u'X' : u'Y'));
            const double drawn = axis == 0 ? mark.centre.x : mark.centre.y;
            edit->setPlaceholderText(QStringLiteral("%1 前後 (mm)").arg(calibration::formatNumber(drawn)));
            label->setBuddy(edit);
            grid->addWidget(label, 3 + i, 1 + 2 * axis, Qt::AlignRight);
            grid->addWidget(edit, 3 + i, 2 + 2 * axis);
            boxes_.push_back({edit, QStringLiteral("印 %1・%2").arg(mark.name, edge)});
        }
    }
    return grid;
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
    const double values[] = {markA.x, markA.y, markB.x, markB.y};
    for (size_t i = 0; i < boxes_.size(); ++i) {
        boxes_[i].edit->setText(calibration::formatNumber(values[i]));
    }
}

QString CalibrationDialog::describe(const calibration::Calibration& c)
{
    return calibration::describeCalibrationWithNumbers(c);
}

void CalibrationDialog::offerPrintedWith(const calibration::Calibration& c, bool choose)
{
    const calibration::Calibration kept = calibration::rounded(c);
    int index = -1;
    for (int i = 0; i < printedWithBox_->count(); ++i) {
        if (calibration::parseCalibration(printedWithBox_->itemData(i).toString()) == kept) {
            index = i;
        }
    }
    if (index < 0) {
        printedWithBox_->addItem(describe(kept), calibration::formatCalibration(kept));
        index = printedWithBox_->count() - 1;
    }
    if (choose) {
        printedWithBox_->setCurrentIndex(index);
    }
}

calibration::Calibration CalibrationDialog::printedWith() const
{
    return calibration::parseCalibration(printedWithBox_->currentData().toString())
        .value_or(calibration::Calibration {});
}

void CalibrationDialog::showPrinter()
{
    const QString name = printerName();
    const bool havePrinter = !name.isEmpty();
    for (QPushButton* b : {printButton_, saveButton_, resetButton_}) {
        b->setEnabled(havePrinter);
    }
    resultLabel_->clear();
    printedWithBox_->clear();
    if (!havePrinter) {
        currentLabel_->setText(QStringLiteral("プリンタが見つかりません。プリンタを設定してから開いてください。"));
        return;
    }
    const calibration::StoredCalibration stored = calibrations_.calibrationFor(name);
    if (!stored.problem.isEmpty()) {
        currentLabel_->setText(stored.problem);
    } else {
        currentLabel_->setText(QStringLiteral("今の調整：")
                               + describe(stored.calibration.value_or(calibration::Calibration {})));
    }
    // "None" is always there to be chosen; the default is what a sheet printed now would say.
    offerPrintedWith(calibration::Calibration {}, true);
    offerPrintedWith(printedWith_.value(name, stored.calibration.value_or(calibration::Calibration {})), true);
    if (stored.calibration) {
        offerPrintedWith(*stored.calibration, false);
    }
    showMeasurement();
}

void CalibrationDialog::filterBox(Box& box)
{
    const QString typed = box.edit->text();
    const QString half = halfWidthNumber(typed);
    QString kept;
    QString dropped;
    for (QChar ch : half) {
        (allowedInNumber(ch) ? kept : dropped) += ch;
    }
    if (kept != typed) {
        const int cursor = box.edit->cursorPosition() - int(typed.size() - kept.size());
        box.edit->setText(kept);
        box.edit->setCursorPosition(std::max(0, cursor));
    }
    if (!dropped.isEmpty()) {
        resultLabel_->setText(
            QStringLiteral("「%1」には数字、符号 (+ -)、小数点だけを入力できます（「%2」は入れませんでした）。")
                .arg(box.name, dropped));
    }
}

std::optional<std::vector<double>> CalibrationDialog::measured(const Box** wrong) const
{
    std::vector<double> values;
    for (const Box& box : boxes_) {
        bool ok = false;
        const double value = QLocale::c().toDouble(box.edit->text().trimmed(), &ok);
        if (!ok || !std::isfinite(value)) {
            *wrong = &box;
            return std::nullopt;
        }
        values.push_back(value);
    }
    return values;
}

void CalibrationDialog::showMeasurement()
{
    const Box* wrong = nullptr;
    const std::optional<std::vector<double>> values = measured(&wrong);
    if (!values) {
        measuredLabel_->setText(QStringLiteral("測った値を 4 つの欄に入力すると、ここにずれと直し方が出ます。"));
        return;
    }
    const auto& marks = draw::calibrationMarks();
    const calibration::MarkMeasurement a {marks[0].centre, {(*values)[0], (*values)[1]}};
    const calibration::MarkMeasurement b {marks[1].centre, {(*values)[2], (*values)[3]}};
    const calibration::CalibrationResult result = calibration::calibrationFromMarks(printedWith(), a, b);
    QString text = QStringLiteral("この用紙では") + calibration::describeMeasurement(a, b);
    if (!result.calibration) {
        text += QStringLiteral(" → 保存できません：") + result.problem;
    } else if (*result.calibration == calibration::rounded(printedWith())) {
        text += QStringLiteral(" → この用紙と同じ調整のまま印刷します");
    } else {
        text += QStringLiteral(" → その分戻して印刷します（保存する調整：%1）").arg(describe(*result.calibration));
    }
    measuredLabel_->setText(text);
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
    const calibration::Calibration calibration
        = calibrations_.calibrationFor(name).calibration.value_or(calibration::Calibration {});
    QString error;
    if (!output::printCalibratedPage(
            printer, calibration,
            [this, &calibration](draw::Surface& s) { draw::drawCalibrationSheet(format_, calibration, s); }, &error)) {
        report(error, true);
        return;
    }
    printedWith_.insert(name, calibration);
    offerPrintedWith(calibration, true);
    report(QStringLiteral("調整用紙を印刷しました。印 A と印 B の位置を測って入力してください。"), false);
}

void CalibrationDialog::computeAndSave()
{
    const QString name = printerName();
    const Box* wrong = nullptr;
    const std::optional<std::vector<double>> values = measured(&wrong);
    if (!values) {
        const QString typed = wrong->edit->text().trimmed();
        report(
            typed.isEmpty()
                ? QStringLiteral("「%1」が空です。測った距離を mm で入力してください。").arg(wrong->name)
                : QStringLiteral("「%1」の「%2」は数として読めません。測った距離を mm で入力してください（例：15.5）。")
                      .arg(wrong->name, typed),
            true);
        wrong->edit->setFocus();
        return;
    }
    const auto& marks = draw::calibrationMarks();
    const calibration::MarkMeasurement a {marks[0].centre, {(*values)[0], (*values)[1]}};
    const calibration::MarkMeasurement b {marks[1].centre, {(*values)[2], (*values)[3]}};
    const calibration::CalibrationResult result = calibration::calibrationFromMarks(printedWith(), a, b);
    if (!result.calibration) {
        report(result.problem, true);
        return;
    }
    QString problem;
    if (!calibrations_.saveCalibration(name, *result.calibration, &problem)) {
        report(problem, true);
        return;
    }
    currentLabel_->setText(QStringLiteral("今の調整：") + describe(*result.calibration));
    report(QStringLiteral("「%1」の調整を保存しました：この用紙では%2 → 今後は「%3」で印刷します。")
               .arg(name, calibration::describeMeasurement(a, b), describe(*result.calibration)),
           false);
}

void CalibrationDialog::resetPrinter()
{
    const QString name = printerName();
    const QString question
        = QStringLiteral("プリンタ「%1」の印刷位置の調整を消しますか？\n今の調整：%2\n"
                         "消すと、このプリンタでは調整なしで印刷します。")
              .arg(name,
                   describe(calibrations_.calibrationFor(name).calibration.value_or(calibration::Calibration {})));
    if (dialogs_.message(this, question, kTitle, desktop::MessageIcon::warning, desktop::MessageButtons::yesNo)
        != desktop::MessageAnswer::yes) {
        return;
    }
    QString problem;
    if (!calibrations_.clearCalibration(name, &problem)) {
        report(problem, true);
        return;
    }
    currentLabel_->setText(QStringLiteral("今の調整：") + describe(calibration::Calibration {}));
    report(QStringLiteral("「%1」の調整を消しました（調整なしで印刷します）。").arg(name), false);
}

}  // namespace desktop
