#include "core/catalogue/store/catalogue_copies.h"

#include "core/catalogue/store/catalogue_storage.h"
#include "core/catalogue/store/database.h"
#include "core/files/careful_write.h"
#include "core/pricing/shop_time.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace catalogue::copies {

namespace {

QAtomicInteger<quint64> connectionCounter;

// Imports a message names one by one before it only counts the rest.
constexpr int kNamedImports = 3;
// A copy's unfinished file older than this was left by a program that was stopped.
constexpr qint64 kStalePartSeconds = 3600;

const QString kCopyInfix = QStringLiteral(".copy-");

QDate dayOfCopy(const QString& catalogueName, const QString& name)
{
    if (!name.startsWith(catalogueName + kCopyInfix)) {
        return {};
    }
    const QString day = name.mid(catalogueName.size() + kCopyInfix.size());
    return day.size() == 10 ? QDate::fromString(day, Qt::ISODate) : QDate();
}

// The copies' files beside `file`, newest first.
QStringList copyFiles(const QString& file)
{
    const QFileInfo info(file);
    std::vector<std::pair<QDate, QString>> found;
    const QDir folder = info.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (const QDate day = dayOfCopy(info.fileName(), name); day.isValid()) {
            found.emplace_back(day, folder.filePath(name));
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    QStringList out;
    for (const auto& [day, path] : found) {
        out << path;
    }
    return out;
}

// A read-only connection to `file` on its own name: as a file nobody changes, unless a log of
// writes lies beside it (a catalogue in use, or moved aside with its log), which is then read too.
class ReadConnection {
public:
    explicit ReadConnection(const QString& file)
        : name_(QStringLiteral("tanafuda-copy-%1").arg(connectionCounter.fetchAndAddRelaxed(1)))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        if (storage::hasWriteAheadLog(file)) {
            db.setDatabaseName(file);
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        } else {
            db.setDatabaseName(QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded)
                               + QStringLiteral("?mode=ro&immutable=1"));
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        }
        db.open();
    }
    ~ReadConnection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    ReadConnection(const ReadConnection&) = delete;
    ReadConnection& operator=(const ReadConnection&) = delete;

    QSqlDatabase db() const { return QSqlDatabase::database(name_, false); }

private:
    QString name_;
};

// The first row of `sql` on `db`; false when it fails or gives none.
bool firstRow(QSqlQuery& query, const QString& sql, std::initializer_list<QVariant> values = {})
{
    return database::run(query, sql, values) && query.next();
}

bool flushFile(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool flushed = ::fsync(fd) == 0;
    ::close(fd);
    return flushed;
}

// Removes the copies beyond the newest kKeptCopies, and unfinished ones left by a stopped program.
void removeOldCopies(const QString& file)
{
    const QStringList all = copyFiles(file);
    for (qsizetype i = kKeptCopies; i < all.size(); ++i) {
        QFile::remove(all.at(i));
    }
    const QFileInfo info(file);
    const QDir folder = info.absoluteDir();
    const QString partStart = info.fileName() + kCopyInfix;
    for (const QFileInfo& part : folder.entryInfoList(QDir::Files | QDir::Hidden)) {
        if (part.fileName().startsWith(partStart) && part.fileName().contains(QLatin1String(".part-"))
            && part.lastModified().secsTo(QDateTime::currentDateTime()) > kStalePartSeconds) {
            QFile::remove(part.filePath());
        }
    }
}

// The newest file `storage::setAside` made of `file` as `kind`.
QString newestSetAside(const QString& file, const QString& kind)
{
    const QFileInfo info(file);
    const QString start = info.fileName() + u'.' + kind + u'-';
    QStringList names;
    for (const QString& name : info.absoluteDir().entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        if (name.startsWith(start) && !name.endsWith(QLatin1String("-wal")) && !name.endsWith(QLatin1String("-shm"))) {
            names << name;
        }
    }
    return names.isEmpty() ? QString() : info.absoluteDir().filePath(names.back());
}

QString utcText(const QDateTime& moment)
{
    return moment.toUTC().toString(Qt::ISODate);
}

// "12/09(水) 23:01", as the catalogue's listings show an instant.
QString shownMoment(const QDateTime& moment)
{
    return pricing::shownInstant(utcText(moment));
}

}  // namespace

QString copyFileFor(const QString& catalogueFile, QDate day)
{
    return catalogueFile + kCopyInfix + day.toString(Qt::ISODate);
}

QString newestCopyFile(const QString& catalogueFile)
{
    const QStringList all = copyFiles(catalogueFile);
    return all.isEmpty() ? QString() : all.front();
}

CopyInfo lookInto(const QString& file, bool fullCheck)
{
    CopyInfo out;
    out.path = file;
    const QFileInfo info(file);
    out.takenAt = info.lastModified();
    const int copyAt = info.fileName().lastIndexOf(kCopyInfix);
    out.day = copyAt > 0 ? dayOfCopy(info.fileName().left(copyAt), info.fileName()) : QDate();
    if (!info.isFile()) {
        out.problem = QStringLiteral("ファイルがありません");
        return out;
    }
    const ReadConnection connection(file);
    QSqlDatabase db = connection.db();
    QSqlQuery query(db);
    if (!firstRow(query, fullCheck ? QStringLiteral("PRAGMA integrity_check") : QStringLiteral("PRAGMA quick_check"))) {
        out.problem = QStringLiteral("読めません (%1)").arg(query.lastError().databaseText());
        return out;
    }
    if (const QString verdict = query.value(0).toString(); verdict != QLatin1String("ok")) {
        out.problem = QStringLiteral("壊れています (%1)").arg(verdict.left(200));
        return out;
    }
    if (!firstRow(query,
                  QStringLiteral("SELECT (SELECT MAX(version) FROM schema_version),"
                                 " (SELECT COUNT(*) FROM products WHERE active = 1),"
                                 " (SELECT COUNT(*) FROM imports), (SELECT COALESCE(MAX(id), 0) FROM imports),"
                                 " (SELECT COUNT(*) FROM prints), (SELECT COALESCE(MAX(id), 0) FROM prints)"))) {
        out.problem = QStringLiteral("商品マスタのファイルではありません (%1)").arg(query.lastError().databaseText());
        return out;
    }
    out.schemaVersion = query.value(0).toInt();
    // A copy is put back as it is and opened by this program: one it cannot open is no copy to
    // offer (checked here, before a restore moves or writes anything).
    if (out.schemaVersion < 1) {
        out.problem = QStringLiteral("商品マスタのファイルではありません (版がありません)");
        return out;
    }
    if (out.schemaVersion > database::kSchemaVersion) {
        out.problem = QStringLiteral("これより新しい版の tanafuda で作られています (版 %1)").arg(out.schemaVersion);
        return out;
    }
    out.products = query.value(1).toInt();
    out.imports = query.value(2).toInt();
    out.lastImportId = query.value(3).toLongLong();
    out.prints = query.value(4).toInt();
    out.lastPrintId = query.value(5).toLongLong();
    if (firstRow(query, QStringLiteral("SELECT imported_at, file FROM imports ORDER BY id DESC LIMIT 1"))) {
        out.lastImportAt = query.value(0).toString();
        out.lastImportFile = query.value(1).toString();
    }
    out.sound = true;
    return out;
}

std::vector<CopyInfo> listCopies(const QString& catalogueFile)
{
    std::vector<CopyInfo> out;
    for (const QString& path : copyFiles(catalogueFile)) {
        out.push_back(lookInto(path));
    }
    return out;
}

std::optional<CopyInfo> newestSoundCopy(const QString& catalogueFile)
{
    for (const QString& path : copyFiles(catalogueFile)) {
        if (CopyInfo copy = lookInto(path); copy.sound) {
            return copy;
        }
    }
    return std::nullopt;
}

QString takeDailyCopy(QSqlDatabase& db, const QString& catalogueFile, QDate today)
{
    const QString target = copyFileFor(catalogueFile, today);
    if (QFileInfo::exists(target) || database::holdsNothing(db)) {
        return {};
    }
    const QString part = target + QStringLiteral(".part-%1").arg(::getpid());
    QFile::remove(part);
    QString quotedPart = part;
    quotedPart.replace(u'\'', QStringLiteral("''"));
    QSqlQuery query(db);
    CatalogueAddress address;
    address.path = catalogueFile;
    const auto failed = [&](const QString& why) {
        QFile::remove(part);
        return QStringLiteral("今日の控え %1 を作れませんでした (%2)。前の控えはそのまま残っています。")
            .arg(QDir::toNativeSeparators(target), why);
    };
    if (!database::run(query, QStringLiteral("VACUUM INTO '%1'").arg(quotedPart))) {
        return failed(database::failureOf(query.lastError(), address, QStringLiteral("控えの作成")).message);
    }
    // The copy is readable by those who may read the catalogue, and on the disk before it counts.
    struct stat catalogueInfo { };
    if (::stat(QFile::encodeName(catalogueFile).constData(), &catalogueInfo) == 0) {
        ::chmod(QFile::encodeName(part).constData(), catalogueInfo.st_mode & 0666);
    }
    if (!flushFile(part, O_RDONLY)) {
        return failed(QString::fromLocal8Bit(std::strerror(errno)));
    }
    // Another program may have taken the day's copy meanwhile: theirs is kept.
    if (::link(QFile::encodeName(part).constData(), QFile::encodeName(target).constData()) != 0 && errno != EEXIST) {
        return failed(QString::fromLocal8Bit(std::strerror(errno)));
    }
    QFile::remove(part);
    flushFile(QFileInfo(catalogueFile).absolutePath(), O_RDONLY | O_DIRECTORY);
    removeOldCopies(catalogueFile);
    return {};
}

QString describeCopy(const CopyInfo& copy)
{
    QString text = QStringLiteral("控え %1 (%2、商品 %3、取り込み %4 回まで")
                       .arg(QFileInfo(copy.path).fileName(), shownMoment(copy.takenAt))
                       .arg(copy.products)
                       .arg(copy.imports);
    if (!copy.lastImportAt.isEmpty()) {
        text += QStringLiteral(" (最後は %1 の %2)")
                    .arg(pricing::shownInstant(copy.lastImportAt), QFileInfo(copy.lastImportFile).fileName());
    }
    return text + QStringLiteral("、印刷の記録 %1 回)").arg(copy.prints);
}

QString lostSince(const CopyInfo& copy, const QString& current)
{
    const QString since = utcText(copy.takenAt);
    const auto unknown = [&] {
        return QStringLiteral("%1 より後の取り込み、印刷の記録と確認、取り下げのすべて (ファイル %2 は読めないため、"
                              "何があったかは分かりません。最後に書き込まれたのは %3)")
            .arg(shownMoment(copy.takenAt), QDir::toNativeSeparators(current),
                 shownMoment(QFileInfo(current).lastModified()));
    };
    if (!QFileInfo(current).isFile()) {
        return unknown();
    }
    const ReadConnection connection(current);
    QSqlDatabase db = connection.db();
    QSqlQuery query(db);
    QStringList imports;
    int importCount = 0;
    if (!database::run(query, QStringLiteral("SELECT imported_at, file FROM imports WHERE id > ? ORDER BY id"),
                       {copy.lastImportId})) {
        return unknown();
    }
    while (query.next()) {
        if (++importCount <= kNamedImports) {
            imports << QStringLiteral("%1 の %2")
                           .arg(pricing::shownInstant(query.value(0).toString()),
                                QFileInfo(query.value(1).toString()).fileName());
        }
    }
    if (!firstRow(
            query,
            QStringLiteral("SELECT (SELECT COUNT(*) FROM prints WHERE id > ?),"
                           " (SELECT COUNT(*) FROM prints WHERE id <= ? AND state <> 'pending' AND decided_at > ?),"
                           " (SELECT COUNT(*) FROM takedowns WHERE done_at > ?)"),
            {copy.lastPrintId, copy.lastPrintId, since, since})) {
        return unknown();
    }
    QStringList lost;
    if (importCount > 0) {
        lost << QStringLiteral("取り込み %1 回 (%2%3)")
                    .arg(importCount)
                    .arg(imports.join(QStringLiteral("、")),
                         importCount > kNamedImports ? QStringLiteral(" ほか") : QString());
    }
    const int prints = query.value(0).toInt();
    const int decided = query.value(1).toInt();
    const int takenDown = query.value(2).toInt();
    if (prints > 0) {
        lost << QStringLiteral("印刷の記録 %1 回").arg(prints);
    }
    if (decided > 0) {
        lost << QStringLiteral("印刷の確認 %1 回").arg(decided);
    }
    if (takenDown > 0) {
        lost << QStringLiteral("取り下げ %1 枚").arg(takenDown);
    }
    return lost.isEmpty() ? QStringLiteral("なし (控えのあとに変わったことはありません)")
                          : lost.join(QStringLiteral("、"));
}

RestoreResult restore(const QString& catalogueFile, const CopyInfo& copy, bool replaceSound)
{
    RestoreResult out;
    const QString file = storage::resolvedFile(catalogueFile);
    const QString shown = QDir::toNativeSeparators(file);
    const CopyInfo checked = lookInto(copy.path);
    if (!checked.sound) {
        out.status = RestoreStatus::copyUnsound;
        out.message
            = QStringLiteral("控え %1 は使えません: %2").arg(QDir::toNativeSeparators(copy.path), checked.problem);
        return out;
    }
    QFile source(checked.path);
    if (!source.open(QIODevice::ReadOnly)) {
        out.message
            = QStringLiteral("控え %1 を読めません: %2").arg(QDir::toNativeSeparators(copy.path), source.errorString());
        return out;
    }
    const QByteArray bytes = source.readAll();
    QString lost;
    if (QFileInfo::exists(file)) {
        lost = lostSince(checked, file);
        // A catalogue of a newer program is not damaged either, though this one cannot use it.
        const CopyInfo present = lookInto(file, false);
        if ((present.sound || present.schemaVersion > database::kSchemaVersion) && !replaceSound) {
            out.status = RestoreStatus::catalogueSound;
            out.message = QStringLiteral("商品マスタ %1 は壊れていません。%2に戻すと、次のものが失われます: %3。")
                              .arg(shown, describeCopy(checked), lost);
            return out;
        }
        out.setAside = storage::setAside(file, QStringLiteral("replaced"));
        if (out.setAside.isEmpty()) {
            out.message = QStringLiteral("商品マスタ %1 をよけられないため、控えに戻せません: %2")
                              .arg(shown, QString::fromLocal8Bit(std::strerror(errno)));
            return out;
        }
    } else if (const QString damaged = newestSetAside(file, QStringLiteral("damaged")); !damaged.isEmpty()) {
        lost = lostSince(checked, damaged);
    } else {
        lost = QStringLiteral("%1 より後の変更のすべて").arg(shownMoment(checked.takenAt));
    }
    const files::FileWriteResult written = files::writeFileCarefully(file, bytes, files::WriteMode::createNew);
    if (!written.ok) {
        out.message = QStringLiteral("商品マスタ %1 を控えから戻せませんでした: %2").arg(shown, written.error);
        if (!out.setAside.isEmpty()) {
            out.message += QStringLiteral("。元のファイルは %1 にあります").arg(QDir::toNativeSeparators(out.setAside));
        }
        return out;
    }
    out.status = RestoreStatus::restored;
    out.message = QStringLiteral("商品マスタ %1 を%2から戻しました。戻らないもの: %3。")
                      .arg(shown, describeCopy(checked), lost);
    if (!out.setAside.isEmpty()) {
        out.message
            += QStringLiteral("それまでのファイルは %1 に移しました。").arg(QDir::toNativeSeparators(out.setAside));
    }
    return out;
}

}  // namespace catalogue::copies
