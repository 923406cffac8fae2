#include "output/settings_file.h"

#include "core/catalogue/catalogue_address.h"
#include "core/files/careful_write.h"
#include "core/pricing/tax_exclusive.h"
#include "core/pricing/unit_price.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace output {

namespace {

const QString kGroup = QStringLiteral("calibration");
const QString kLayoutGroup = QStringLiteral("layouts");
const QString kTagTextGroup = QStringLiteral("tag-texts");

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

// A settings file larger than this is not read: a calibration takes a line of a few dozen bytes.
constexpr qint64 kMaxSettingsBytes = 1 << 20;
// Characters of a bad value that a message quotes.
constexpr int kQuotedValueChars = 40;

// QSettings reads whatever lines it can make sense of; a file that is not text at all is damaged
// even when a few of its bytes happen to look like an entry.
bool looksLikeText(const QByteArray& bytes)
{
    if (bytes.contains('\0')) {
        return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return !utf8.hasError();
}

// The settings file as found: missing, usable (its bytes), or not to be read (why not).
struct FoundFile {
    bool missing = false;
    QByteArray bytes;
    QString problem;  // Japanese; empty when the bytes are usable
};

// Reads the settings file only when it is a regular file of at most kMaxSettingsBytes of text:
// opened without waiting (a FIFO in its place would hold QSettings forever) and checked on the
// open file, so that what is checked is what is read.
FoundFile readSettingsFile(const QString& path)
{
    FoundFile out;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        out.missing = errno == ENOENT;
        out.problem = QStringLiteral("ファイルが読めない");
        return out;
    }
    struct stat st { };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        out.problem = QStringLiteral("通常のファイルでない");
    } else if (st.st_size > kMaxSettingsBytes) {
        out.problem = QStringLiteral("ファイルが大きすぎる（1 MiB まで）");
    } else {
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly)
            || (out.bytes = file.read(kMaxSettingsBytes + 1)).size() > kMaxSettingsBytes) {
            out.problem = QStringLiteral("ファイルが大きすぎる（1 MiB まで）");
        } else if (!looksLikeText(out.bytes)) {
            out.problem = QStringLiteral("ファイルが壊れているか読めない");
        }
    }
    ::close(fd);
    if (!out.problem.isEmpty()) {
        out.bytes.clear();
    }
    return out;
}

// Copies usable settings bytes to `work`, where QSettings reads them; false when it cannot.
bool copyForSettings(const QByteArray& bytes, const QString& work)
{
    QFile file(work);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// At most the start of a value, for quoting in a message.
QString quotedStart(const QString& value)
{
    return value.size() <= kQuotedValueChars ? value : value.left(kQuotedValueChars) + QStringLiteral("…");
}

bool noPrinter(const QString& path, QString* problem)
{
    if (problem) {
        *problem = QStringLiteral("設定ファイル %1 に書き込めませんでした（プリンタが選ばれていません）。")
                       .arg(QDir::toNativeSeparators(path));
    }
    return false;
}

}  // namespace

SettingsFile::SettingsFile() : path_(defaultPath()) { }

SettingsFile::SettingsFile(const QString& iniPath) : path_(iniPath) { }

QString SettingsFile::defaultPath()
{
    // One file for the desktop program and the command-line renderer alike.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/tanafuda/tanafuda.ini");
}

StoredCalibration SettingsFile::load(const QString& printerName) const
{
    if (printerName.isEmpty()) {
        return {};
    }
    const FoundFile file = readSettingsFile(path_);
    if (file.missing) {
        return {};
    }
    QTemporaryDir scratch;
    const QString work = scratch.filePath(QStringLiteral("tanafuda.ini"));
    if (!file.problem.isEmpty() || !scratch.isValid() || !copyForSettings(file.bytes, work)) {
        return {
            std::nullopt,
            unusable(path_, printerName, file.problem.isEmpty() ? QStringLiteral("ファイルが読めない") : file.problem)};
    }
    QSettings settings(work, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
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
                         QStringLiteral("値「%1」が正しくない（ずれは ±20 mm 以内、倍率は 90〜110 % の数）")
                             .arg(quotedStart(text)))};
    }
    return {calibration::rounded(*parsed), QString()};
}

QString SettingsFile::catalogueAddress(QString* problem) const
{
    // Read as the calibrations are: only a regular text file of bounded size, through a copy.
    const FoundFile file = readSettingsFile(path_);
    if (file.missing) {
        return {};
    }
    QTemporaryDir scratch;
    const QString work = scratch.filePath(QStringLiteral("tanafuda.ini"));
    const bool copied = file.problem.isEmpty() && scratch.isValid() && copyForSettings(file.bytes, work);
    std::optional<QSettings> settings;
    if (copied) {
        settings.emplace(work, QSettings::IniFormat);
    }
    if (!settings || settings->status() != QSettings::NoError) {
        if (problem) {
            *problem = QStringLiteral("設定ファイル %1 が壊れているか読めないため、商品マスタの指定を使いません。")
                           .arg(QDir::toNativeSeparators(path_));
        }
        return {};
    }
    const QVariant value = settings->value(QStringLiteral("catalogue/database"));
    // A value with a comma and without quotes comes back as a list split at its commas.
    QString given
        = value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',') : value.toString().trimmed();
    if (given == QLatin1String("~") || given.startsWith(QLatin1String("~/"))) {
        given = QDir::homePath() + given.mid(1);
    }
    // A path is the settings file's, not the working folder's; an address that cannot be read is
    // given back as it stands, for the caller to refuse with the reason.
    const auto address = catalogue::parseCatalogueAddress(given, QFileInfo(path_).absolutePath(), nullptr);
    return !given.isEmpty() && address && address->kind == catalogue::CatalogueAddress::Kind::sqlite ? address->path
                                                                                                     : given;
}

sheet::TagTextChoices SettingsFile::tagTextChoices(QStringList* problems) const
{
    sheet::TagTextChoices choices;
    const auto say = [&](const QString& text) {
        if (problems) {
            problems->append(text);
        }
    };
    // Read as the calibrations are: only a regular text file of bounded size, through a copy.
    const FoundFile file = readSettingsFile(path_);
    if (file.missing) {
        return choices;
    }
    QTemporaryDir scratch;
    const QString work = scratch.filePath(QStringLiteral("tanafuda.ini"));
    const bool copied = file.problem.isEmpty() && scratch.isValid() && copyForSettings(file.bytes, work);
    std::optional<QSettings> settings;
    if (copied) {
        settings.emplace(work, QSettings::IniFormat);
    }
    if (!settings || settings->status() != QSettings::NoError) {
        say(QStringLiteral("設定ファイル %1 が壊れているか読めないため、棚札の表示の設定を使いません。")
                .arg(QDir::toNativeSeparators(path_)));
        return choices;
    }
    const auto text = [&](const QString& name) -> std::optional<QString> {
        const QVariant value = settings->value(kTagTextGroup + u'/' + name);
        if (!value.isValid()) {
            return std::nullopt;
        }
        return value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',') : value.toString().trimmed();
    };
    const auto unusableValue = [&](const QString& name, const QString& value, const QString& allowed) {
        say(QStringLiteral("設定ファイル %1 の [%2] %3 の値「%4」は正しくないため使いません（%5）。")
                .arg(QDir::toNativeSeparators(path_), kTagTextGroup, name, quotedStart(value), allowed));
    };
    const auto flag = [&](const QString& name, bool& out) {
        if (const std::optional<QString> value = text(name)) {
            if (*value == QLatin1String("true") || *value == QLatin1String("1")) {
                out = true;
            } else if (*value == QLatin1String("false") || *value == QLatin1String("0")) {
                out = false;
            } else {
                unusableValue(name, *value, QStringLiteral("true か false"));
            }
        }
    };
    flag(QStringLiteral("unit-price"), choices.unitPrice);
    flag(QStringLiteral("tax-exclusive"), choices.taxExclusive);
    flag(QStringLiteral("reduced-rate-mark"), choices.reducedRateMark);
    if (const std::optional<QString> mark = text(QStringLiteral("mark"))) {
        const QString asterisk = pricing::reducedRateMarkText(pricing::ReducedRateMark::asterisk);
        const QString kei = pricing::reducedRateMarkText(pricing::ReducedRateMark::kei);
        if (*mark == asterisk || *mark == kei) {
            choices.markText = *mark;
        } else {
            unusableValue(QStringLiteral("mark"), *mark, asterisk + QStringLiteral(" か ") + kei);
        }
    }
    if (const std::optional<QString> base = text(QStringLiteral("unit-base")); base && !base->isEmpty()) {
        const pricing::UnitBaseReading reading = pricing::readUnitBase(*base);
        if (reading.outcome == pricing::UnitBaseReading::Outcome::base) {
            choices.unitBase = *base;
        } else {
            unusableValue(QStringLiteral("unit-base"), *base, QStringLiteral("100g、1kg、100ml、1L、1個、10m など"));
        }
    }
    if (const std::optional<QString> rate = text(QStringLiteral("sheet-tax-rate"))) {
        if (*rate == QLatin1String("10") || *rate == QLatin1String("8")) {
            choices.sheetTaxRatePercent = rate->toInt();
        } else {
            unusableValue(QStringLiteral("sheet-tax-rate"), *rate, QStringLiteral("10 か 8"));
        }
    }
    return choices;
}

bool SettingsFile::saveTagTextChoices(const sheet::TagTextChoices& choices, QString* problem)
{
    const auto flag = [](bool on) { return on ? QStringLiteral("true") : QStringLiteral("false"); };
    const auto key = [](const char* name) { return kTagTextGroup + u'/' + QLatin1String(name); };
    return write({{key("unit-price"), flag(choices.unitPrice)},
                  {key("tax-exclusive"), flag(choices.taxExclusive)},
                  {key("reduced-rate-mark"), flag(choices.reducedRateMark)},
                  {key("mark"), choices.markText},
                  {key("unit-base"), choices.unitBase},
                  {key("sheet-tax-rate"), QString::number(choices.sheetTaxRatePercent)}},
                 problem);
}

bool SettingsFile::save(const QString& printerName, const calibration::Calibration& calibration, QString* problem)
{
    if (!calibration::withinBounds(calibration)) {
        if (problem) {
            *problem = QStringLiteral("調整できる範囲（ずれ ±20 mm、倍率 90〜110 %）を超えているため保存しません。");
        }
        return false;
    }
    if (printerName.isEmpty()) {
        return noPrinter(path_, problem);
    }
    return write(kGroup + u'/' + keyOf(printerName), calibration::formatCalibration(calibration::rounded(calibration)),
                 problem);
}

bool SettingsFile::clear(const QString& printerName, QString* problem)
{
    if (printerName.isEmpty()) {
        return noPrinter(path_, problem);
    }
    return write(kGroup + u'/' + keyOf(printerName), std::nullopt, problem);
}

std::optional<QString> SettingsFile::rememberedLayout(const QString& key) const
{
    if (key.isEmpty()) {
        return std::nullopt;
    }
    // Read as the calibrations are: only a regular text file of bounded size, through a copy.
    const FoundFile file = readSettingsFile(path_);
    QTemporaryDir scratch;
    const QString work = scratch.filePath(QStringLiteral("tanafuda.ini"));
    if (file.missing || !file.problem.isEmpty() || !scratch.isValid() || !copyForSettings(file.bytes, work)) {
        return std::nullopt;
    }
    QSettings settings(work, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        return std::nullopt;
    }
    const QVariant value = settings.value(kLayoutGroup + u'/' + keyOf(key));
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',') : value.toString();
}

bool SettingsFile::rememberLayout(const QString& key, const QString& json, QString* problem)
{
    if (key.isEmpty()) {
        return true;
    }
    return write(kLayoutGroup + u'/' + keyOf(key), json, problem);
}

bool SettingsFile::write(const std::vector<Entry>& entries, QString* problem)
{
    const auto fail = [&](const QString& why) {
        if (problem) {
            *problem = QStringLiteral("設定ファイル %1 に書き込めませんでした（%2）。")
                           .arg(QDir::toNativeSeparators(path_), why);
        }
        return false;
    };
    const QFileInfo info(path_);
    if (!QDir().mkpath(info.absolutePath())) {
        return fail(QStringLiteral("フォルダを作れません"));
    }
    const FoundFile file = readSettingsFile(path_);
    const bool exists = !file.missing;
    QTemporaryDir scratch;
    const QString work = scratch.filePath(QStringLiteral("tanafuda.ini"));
    const bool copied = exists && file.problem.isEmpty() && scratch.isValid() && copyForSettings(file.bytes, work);
    if (exists
        && (!file.problem.isEmpty()
            || (copied && QSettings(work, QSettings::IniFormat).status() != QSettings::NoError))) {
        // A damaged file is not rewritten from what little could be read of it: it is put aside
        // and a new one begun, so that nothing the user might still want is overwritten.
        // Renamed by the system call: QFile would copy what it cannot rename, and a FIFO cannot be
        // copied.
        const QString aside = path_ + QStringLiteral(".damaged");
        QFile::remove(aside);
        if (::rename(QFile::encodeName(path_).constData(), QFile::encodeName(aside).constData()) != 0) {
            return fail(QStringLiteral("壊れたファイルをよけられません"));
        }
        return write(entries, problem);
    }
    // QSettings edits a copy; the result then replaces the file through the careful writer, which
    // keeps the file's owner, mode and links and never leaves it half written.
    if (!scratch.isValid() || (exists && !copied)) {
        return fail(QStringLiteral("作業用のファイルを作れません"));
    }
    {
        QSettings settings(work, QSettings::IniFormat);
        for (const auto& [key, value] : entries) {
            if (value) {
                settings.setValue(key, *value);
            } else {
                settings.remove(key);
            }
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
    const files::FileWriteResult written = files::writeFileCarefully(path_, edited.readAll());
    if (!written.ok) {
        return fail(written.error);
    }
    return true;
}

}  // namespace output
