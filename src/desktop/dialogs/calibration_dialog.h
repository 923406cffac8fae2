#pragma once

// The dialog behind "印刷位置の調整..." of the editors' file menu: prints the calibration sheet on a
// printer, takes the positions of its two marks as the user measured them, and computes, shows and
// keeps that printer's calibration. The user says which calibration the measured sheet was printed
// with (the sheet prints it), so that measuring one sheet twice never corrects twice. "調整を消す..."
// removes a printer's calibration once the user has agreed.

#include "core/calibration/calibration.h"
#include "core/settings/printer_calibrations.h"

#include <QDialog>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;

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
    // `printerNames` are the printers offered, `printerName` the one chosen first; the printers'
    // calibrations are read from and kept in `calibrations`.
    CalibrationDialog(const sheet::SheetFormat& format, desktop::Dialogs& dialogs,
                      settings::PrinterCalibrations calibrations, const QStringList& printerNames,
                      const QString& printerName, QWidget* parent = nullptr);

    QString printerName() const;
    void choosePrinter(const QString& name);

    // The commands of the dialog's buttons.
    void printSheet();      // 調整用紙を印刷...
    void computeAndSave();  // 計算して保存
    void resetPrinter();    // 調整を消す...

    // The marks' positions as typed, mm from the paper's left and top edges (mark A, then B).
    void setMeasured(const calibration::PointMm& markA, const calibration::PointMm& markB);

    QLabel* currentLabel() const { return currentLabel_; }
    QLabel* resultLabel() const { return resultLabel_; }

    // "左に 1.5 mm・上に 2 mm 動かす、大きさ 横 100 %・縦 99.5 %（-1.5,-2,100,99.5）"
    static QString describe(const calibration::Calibration& calibration);

private:
    QGridLayout* buildGrid(const QStringList& printerNames);
    struct Box {
        QLineEdit* edit;
        QString name;  // how messages call it: "印 A・左端から"
    };
    void showPrinter();
    // Offers `calibration` among the calibrations a sheet may have been printed with, and chooses it.
    void offerPrintedWith(const calibration::Calibration& calibration, bool choose);
    calibration::Calibration printedWith() const;
    // The four measurements, or the first box that holds no number.
    std::optional<std::vector<double>> measured(const Box** wrong) const;
    // Keeps a box to digits, a sign and a point (full-width ones made half-width).
    void filterBox(Box& box);
    // Says what the measurements show and what saving would do.
    void showMeasurement();
    void report(const QString& text, bool problem);

    const sheet::SheetFormat& format_;
    desktop::Dialogs& dialogs_;
    settings::PrinterCalibrations calibrations_;
    // The calibration the last sheet printed from this dialog was printed with, per printer.
    QHash<QString, calibration::Calibration> printedWith_;

    QComboBox* printerBox_ = nullptr;
    QLabel* currentLabel_ = nullptr;
    QComboBox* printedWithBox_ = nullptr;
    std::vector<Box> boxes_;  // mark A left, A top, B left, B top
    QLabel* measuredLabel_ = nullptr;
    QLabel* resultLabel_ = nullptr;
    QPushButton* printButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* resetButton_ = nullptr;
};

}  // namespace desktop
