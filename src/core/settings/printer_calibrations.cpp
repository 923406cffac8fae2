#include "core/settings/printer_calibrations.h"

#include <QDir>

#include <optional>

namespace settings {

namespace {

const QString kGroup = QStringLiteral("calibration");

QString keyOf(const QString& printerName)
{
    return kGroup + u'/' + escapedKey(printerName);
}

QString unusable(const QString& path, const QString& printerName, const QString& why)
{
    return QStringLiteral("設定ファイル %1 にあるプリンタ「%2」の印刷位置の調整は、%3ため使いません。")
        .arg(QDir::toNativeSeparators(path), printerName, why);
}

bool noPrinter(const SettingsStore& store, QString* problem)
{
    if (problem) {
        *problem = store.cannotWrite(QStringLiteral("プリンタが選ばれていません"));
    }
    return false;
}

}  // namespace

calibration::StoredCalibration PrinterCalibrations::calibrationFor(const QString& printerName) const
{
    if (printerName.isEmpty()) {
        return {};
    }
    const SettingsReading reading = store_.read();
    if (reading.status() == SettingsFileStatus::damaged) {
        return {std::nullopt, unusable(store_.path(), printerName, reading.damage())};
    }
    const std::optional<QString> text = reading.text(keyOf(printerName));
    if (!text) {
        return {};
    }
    const std::optional<calibration::Calibration> parsed = calibration::parseCalibration(*text);
    if (!parsed) {
        return {std::nullopt,
                unusable(store_.path(), printerName,
                         QStringLiteral("値「%1」が正しくない（ずれは ±20 mm 以内、倍率は 90〜110 % の数）")
                             .arg(quotedStart(*text)))};
    }
    return {calibration::rounded(*parsed), QString()};
}

bool PrinterCalibrations::saveCalibration(const QString& printerName, const calibration::Calibration& calibration,
                                          QString* problem)
{
    if (!calibration::withinBounds(calibration)) {
        if (problem) {
            *problem = QStringLiteral("調整できる範囲（ずれ ±20 mm、倍率 90〜110 %）を超えているため保存しません。");
        }
        return false;
    }
    if (printerName.isEmpty()) {
        return noPrinter(store_, problem);
    }
    return store_.write({{keyOf(printerName), calibration::formatCalibration(calibration::rounded(calibration))}},
                        problem);
}

bool PrinterCalibrations::clearCalibration(const QString& printerName, QString* problem)
{
    if (printerName.isEmpty()) {
        return noPrinter(store_, problem);
    }
    return store_.write({{keyOf(printerName), std::nullopt}}, problem);
}

}  // namespace settings
