#include "core/settings/settings_store.h"

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
#include <QVariant>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace settings {

namespace {

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

// The settings file as found, and its usable bytes copied into a scratch folder, where QSettings
// reads and edits them without touching the file itself.
struct WorkingCopy {
    FoundFile file;
    std::unique_ptr<QTemporaryDir> scratch;
    QString work;         // the copy's path
    bool copied = false;  // the file's usable bytes are at `work`
};

WorkingCopy copyOfSettingsFile(const QString& path)
{
    WorkingCopy out;
    out.file = readSettingsFile(path);
    out.scratch = std::make_unique<QTemporaryDir>();
    out.work = out.scratch->filePath(QStringLiteral("tanafuda.ini"));
    out.copied = !out.file.missing && out.file.problem.isEmpty() && out.scratch->isValid()
        && copyForSettings(out.file.bytes, out.work);
    return out;
}

}  // namespace

SettingsReading::SettingsReading() = default;
SettingsReading::SettingsReading(SettingsReading&&) noexcept = default;
SettingsReading& SettingsReading::operator=(SettingsReading&&) noexcept = default;
SettingsReading::~SettingsReading() = default;

std::optional<QString> SettingsReading::text(const QString& key) const
{
    return textAt(key, false);
}

std::optional<QString> SettingsReading::trimmedText(const QString& key) const
{
    return textAt(key, true);
}

std::optional<QString> SettingsReading::textAt(const QString& key, bool trimmed) const
{
    const QVariant value = settings_ ? settings_->value(key) : QVariant();
    if (!value.isValid()) {
        return std::nullopt;
    }
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(u',');
    }
    return trimmed ? value.toString().trimmed() : value.toString();
}

SettingsStore::SettingsStore() : path_(defaultPath()) { }

SettingsStore::SettingsStore(const QString& iniPath) : path_(iniPath) { }

QString SettingsStore::defaultPath()
{
    // One file for the desktop program and the command-line programs alike.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/tanafuda/tanafuda.ini");
}

SettingsReading SettingsStore::read() const
{
    SettingsReading reading;
    WorkingCopy copy = copyOfSettingsFile(path_);
    if (copy.file.missing) {
        return reading;
    }
    reading.status_ = SettingsFileStatus::damaged;
    if (!copy.copied) {
        reading.damage_ = copy.file.problem.isEmpty() ? QStringLiteral("ファイルが読めない") : copy.file.problem;
        return reading;
    }
    auto settings = std::make_unique<QSettings>(copy.work, QSettings::IniFormat);
    if (settings->status() != QSettings::NoError) {
        reading.damage_ = QStringLiteral("ファイルが壊れているか読めない");
        return reading;
    }
    reading.status_ = SettingsFileStatus::readable;
    reading.scratch_ = std::move(copy.scratch);
    reading.settings_ = std::move(settings);
    return reading;
}

QString SettingsStore::cannotWrite(const QString& why) const
{
    return QStringLiteral("設定ファイル %1 に書き込めませんでした（%2）。").arg(QDir::toNativeSeparators(path_), why);
}

bool SettingsStore::write(const std::vector<Entry>& entries, QString* problem)
{
    const auto fail = [&](const QString& why) {
        if (problem) {
            *problem = cannotWrite(why);
        }
        return false;
    };
    const QFileInfo info(path_);
    if (!QDir().mkpath(info.absolutePath())) {
        return fail(QStringLiteral("フォルダを作れません"));
    }
    const WorkingCopy copy = copyOfSettingsFile(path_);
    const bool exists = !copy.file.missing;
    if (exists
        && (!copy.file.problem.isEmpty()
            || (copy.copied && QSettings(copy.work, QSettings::IniFormat).status() != QSettings::NoError))) {
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
    // QSettings edits the copy; the result then replaces the file through the careful writer, which
    // keeps the file's owner, mode and links and never leaves it half written.
    if (!copy.scratch->isValid() || (exists && !copy.copied)) {
        return fail(QStringLiteral("作業用のファイルを作れません"));
    }
    {
        QSettings settings(copy.work, QSettings::IniFormat);
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
    QFile edited(copy.work);
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

QString escapedKey(const QString& name)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(name));
}

QString quotedStart(const QString& value)
{
    return value.size() <= kQuotedValueChars ? value : value.left(kQuotedValueChars) + QStringLiteral("…");
}

}  // namespace settings
