#include "output/calibration_settings.h"

#include "core/files/careful_write.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

namespace output {

namespace {

const QString kGroup = QStringLiteral("calibration");

// Printer names may hold characters that QSettings reads as a group separator ("/", "\").
QString keyOf(const QString& printerName)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(printerName));
}

QString unusable(const QString& path, const QString& printerName, const QString& why)
{
    return QStringLiteral("設定ファイル %1 にあるプリンタ「%2」の印刷位置の調整は、%3ため使いません。")
        .arg(QDir::toNativeSeparators(path), printerName, why);
}

// QSettings reads whatever lines it can make sense of; a file that is not text at all is damaged
// even when a few of its bytes happen to look like an entry.
bool looksLikeText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.read(1 << 20);
    if (bytes.contains('\0')) {
        return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return !utf8.hasError();
}

}  // namespace

CalibrationSettings::CalibrationSettings() : path_(defaultPath()) {}

CalibrationSettings::CalibrationSettings(const QString& iniPath) : path_(iniPath) {}

QString CalibrationSettings::defaultPath()
{
    // One file for the desktop program and the command-line renderer alike.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/tanafuda/tanafuda.ini");
}

StoredCalibration CalibrationSettings::load(const QString& printerName) const
{
    if (printerName.isEmpty() || !QFileInfo::exists(path_)) {
        return {};
    }
    QSettings settings(path_, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError || !looksLikeText(path_)) {
        return {std::nullopt, unusable(path_, printerName, QStringLiteral("ファイルが壊れているか読めない"))};
    }
    const QVariant value = settings.value(kGroup + u'/' + keyOf(printerName));
    if (!value.isValid()) {
        return {};
    }
    // A hand-edited value without quotes comes back as a list split at its commas.
    const QString text = value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',') : value.toString();
    const std::optional<calibration::Calibration> parsed = calibration::parseCalibration(text);
    if (!parsed) {
        return {std::nullopt,
                unusable(path_, printerName,
                         QStringLiteral("値「%1」が正しくない（ずれは ±20 mm 以内、倍率は 90〜110 % の数）").arg(text))};
    }
    return {calibration::rounded(*parsed), QString()};
}

QString CalibrationSettings::catalogueDatabase(QString* problem) const
{
    if (!QFileInfo::exists(path_)) {
        return {};
    }
    QSettings settings(path_, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError || !looksLikeText(path_)) {
        if (problem) {
            *problem = QStringLiteral("設定ファイル %1 が壊れているか読めないため、商品マスタの指定を使いません。")
                           .arg(QDir::toNativeSeparators(path_));
        }
        return {};
    }
    const QVariant value = settings.value(QStringLiteral("catalogue/database"));
    // A value with a comma and without quotes comes back as a list split at its commas.
    return value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',') : value.toString().trimmed();
}

bool CalibrationSettings::save(const QString& printerName, const calibration::Calibration& calibration, QString* problem)
{
    if (!calibration::withinBounds(calibration)) {
        if (problem) {
            *problem = QStringLiteral("調整できる範囲（ずれ ±20 mm、倍率 90〜110 %）を超えているため保存しません。");
        }
        return false;
    }
    return write(printerName, calibration::rounded(calibration), problem);
}

bool CalibrationSettings::clear(const QString& printerName, QString* problem)
{
    return write(printerName, std::nullopt, problem);
}

bool CalibrationSettings::write(const QString& printerName, const std::optional<calibration::Calibration>& calibration,
                                QString* problem)
{
    const auto fail = [&](const QString& why) {
        if (problem) {
            *problem = QStringLiteral("設定ファイル %1 に書き込めませんでした（%2）。")
                           .arg(QDir::toNativeSeparators(path_), why);
        }
        return false;
    };
    if (printerName.isEmpty()) {
        return fail(QStringLiteral("プリンタが選ばれていません"));
    }
    const QFileInfo info(path_);
    if (!QDir().mkpath(info.absolutePath())) {
        return fail(QStringLiteral("フォルダを作れません"));
    }
    const bool exists = QFileInfo::exists(path_);
    if (exists && (QSettings(path_, QSettings::IniFormat).status() != QSettings::NoError || !looksLikeText(path_))) {
        // A damaged file is not rewritten from what little could be read of it: it is put aside
        // and a new one begun, so that nothing the user might still want is overwritten.
        const QString aside = path_ + QStringLiteral(".damaged");
        QFile::remove(aside);
        if (!QFile::rename(path_, aside)) {
            return fail(QStringLiteral("壊れたファイルをよけられません"));
        }
        return write(printerName, calibration, problem);
    }
    // QSettings edits a copy; the result then replaces the file through the careful writer, which
    // keeps the file's owner, mode and links and never leaves it half written.
    QTemporaryDir scratch;
    const QString work = scratch.filePath(QStringLiteral("tanafuda.ini"));
    if (!scratch.isValid() || (exists && !QFile::copy(path_, work))) {
        return fail(QStringLiteral("作業用のファイルを作れません"));
    }
    {
        QSettings settings(work, QSettings::IniFormat);
        const QString key = kGroup + u'/' + keyOf(printerName);
        if (calibration) {
            settings.setValue(key, calibration::formatCalibration(*calibration));
        } else {
            settings.remove(key);
        }
        settings.sync();
        if (settings.status() != QSettings::NoError) {
            return fail(QStringLiteral("書き込みに失敗しました"));
        }
    }
    QFile edited(work);
    if (!edited.open(QIODevice::ReadOnly)) {
        // Nothing was left to write (the last entry removed from a file that did not exist).
        return !exists || fail(edited.errorString());
    }
    const files::WriteOutcome written = files::writeFileCarefully(path_, edited.readAll());
    if (!written.ok) {
        return fail(written.error);
    }
    return true;
}

}  // namespace output
