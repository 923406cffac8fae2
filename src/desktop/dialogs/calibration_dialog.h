#pragma once

// The dialog behind "印刷位置の調整..." of the editors' file menu: prints the calibration sheet on a
// printer, takes the positions of its two marks as the user measured them, and computes, shows and
// keeps that printer's calibration. "元に戻す" removes it.

#include "core/calibration/calibration.h"

#include <QDialog>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace output {
class CalibrationSettings;
}
namespace desktop {
class Dialogs;
}
namespace sheet {
struct SheetFormat;
}

namespace desktop {

class CalibrationDialog : public QDialog {
    Q_OBJECT
public:
    // `printerNames` are the printers offered, `printerName` the one chosen first.
    CalibrationDialog(const sheet::SheetFormat& format, desktop::Dialogs& dialogs,
                      output::CalibrationSettings& settings, const QStringList& printerNames,
                      const QString& printerName, QWidget* parent = nullptr);

    QString printerName() const;
    void choosePrinter(const QString& name);

    // The commands of the dialog's buttons.
    void printSheet();      // 調整用紙を印刷...
    void computeAndSave();  // 計算して保存
    void resetPrinter();    // 元に戻す

    // The marks' positions as typed, mm from the paper's left and top edges (mark A, then B).
    void setMeasured(const calibration::PointMm& markA, const calibration::PointMm& markB);

    QLabel* currentLabel() const { return currentLabel_; }
    QLabel* resultLabel() const { return resultLabel_; }

    // "ずれ 横 1.5 mm・縦 -2 mm、倍率 横 100 %・縦 99.5 %"
    static QString describe(const calibration::Calibration& calibration);

private:
    void showPrinter();
    void report(const QString& text, bool problem);

    const sheet::SheetFormat& format_;
    desktop::Dialogs& dialogs_;
    output::CalibrationSettings& settings_;
    // The calibration the sheet on the user's desk was printed with, per printer: the one kept
    // when the printer was chosen, or the one used by the last print from this dialog.
    QHash<QString, calibration::Calibration> printedWith_;

    QComboBox* printerBox_ = nullptr;
    QLabel* currentLabel_ = nullptr;
    QDoubleSpinBox* markAX_ = nullptr;
    QDoubleSpinBox* markAY_ = nullptr;
    QDoubleSpinBox* markBX_ = nullptr;
    QDoubleSpinBox* markBY_ = nullptr;
    QLabel* resultLabel_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* resetButton_ = nullptr;
};

}  // namespace desktop
