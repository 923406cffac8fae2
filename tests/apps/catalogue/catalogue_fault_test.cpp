// What faults leave behind, as one table of rows run on SQLite and on PostgreSQL where the fault
// belongs to that database: a killed import, a damaged or read-only file, a full disk, two imports
// at once, a server that is down or refuses the password; a disk without a byte or a file left, a
// user or a disk that may only read, another PC stuck in its import, network folders, mistyped
// addresses and settings, a damaged file reached through a link or restored from its copy, an
// empty catalogue; and what the lists bring: repeated codes, a register's tax-basis column, a
// broken UTF-16 character, the fonts of every PDF.

#include "core/catalogue/catalogue.h"
#include "core/catalogue/catalogue_copies.h"
#include "support/catalogue_weeks.h"
#include "support/small_disk.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <sys/mount.h>
#include <unistd.h>

using namespace catalogue_weeks;
using namespace Qt::Literals::StringLiterals;
using test_support::SmallDisk;

namespace {

enum class Fault {
    killedImport,
    damagedFile,
    readOnlyFile,
    fullDisk,
    twoImportsAtOnce,
    serverDown,
    wrongPassword,
    noByteFree,
    noFileFree,
    readOnlyForTheUser,
    readOnlyFolder,
    readOnlyDisk,
    anotherPcImporting,
    linkToNetworkFolder,
    fuseFolder,
    mistypedAddress,
    garbledSettingsAddress,
    damagedSettings,
    relativeSettingsAddress,
    damagedThroughLink,
    firstImportStopped,
    emptyFile,
    restoredFromCopy,
    repeatedCodes,
    pdfFonts,
    taxBasisColumn,
    brokenSurrogate,
};

struct FaultRow {
    const char* name;
    Fault fault;
    bool onSqlite;
    bool onPostgresql;
};

const FaultRow kFaults[] = {
    {"killed_import", Fault::killedImport, true, true},
    {"damaged_file", Fault::damagedFile, true, false},
    {"read_only_file", Fault::readOnlyFile, true, false},
    {"full_disk", Fault::fullDisk, true, false},
    {"two_imports_at_once", Fault::twoImportsAtOnce, true, true},
    {"server_down", Fault::serverDown, false, true},
    {"wrong_password", Fault::wrongPassword, false, true},
    {"no_byte_free", Fault::noByteFree, true, false},
    {"no_file_free", Fault::noFileFree, true, false},
    {"read_only_for_the_user", Fault::readOnlyForTheUser, true, false},
    {"read_only_folder", Fault::readOnlyFolder, true, false},
    {"read_only_disk", Fault::readOnlyDisk, true, false},
    {"another_pc_importing", Fault::anotherPcImporting, false, true},
    {"link_to_network_folder", Fault::linkToNetworkFolder, true, false},
    {"fuse_folder", Fault::fuseFolder, true, false},
    {"mistyped_address", Fault::mistypedAddress, true, false},
    {"garbled_settings_address", Fault::garbledSettingsAddress, true, false},
    {"damaged_settings", Fault::damagedSettings, true, false},
    {"relative_settings_address", Fault::relativeSettingsAddress, true, false},
    {"damaged_through_link", Fault::damagedThroughLink, true, false},
    {"first_import_stopped", Fault::firstImportStopped, true, true},
    {"empty_file", Fault::emptyFile, true, false},
    {"restored_from_copy", Fault::restoredFromCopy, true, false},
    {"repeated_codes", Fault::repeatedCodes, true, false},
    {"pdf_fonts", Fault::pdfFonts, true, false},
    {"tax_basis_column", Fault::taxBasisColumn, true, true},
    {"broken_surrogate", Fault::brokenSurrogate, true, false},
};

std::vector<std::tuple<std::string, FaultRow>> faultCases()
{
    std::vector<std::tuple<std::string, FaultRow>> out;
    for (const FaultRow& row : kFaults) {
        if (row.onSqlite) {
            out.emplace_back("sqlite", row);
        }
        if (row.onPostgresql) {
            out.emplace_back("postgresql", row);
        }
    }
    return out;
}

const QString kBefore = QStringLiteral("200/0/0/0/0");

// Expects `result` to end with `exit` and its standard error to hold each of `texts`.
void expectFailure(const Result& result, int exit, const QStringList& texts)
{
    EXPECT_EQ(result.exit, exit) << result.err.toStdString();
    for (const QString& text : texts) {
        EXPECT_TRUE(result.err.contains(text)) << text.toStdString() << " not in: " << result.err.toStdString();
    }
}

// Expects the reading commands to read `database` (status, changes, history), the counts being
// `counts`.
void expectReadable(const Shop& shop, const QString& database, const QString& counts)
{
    EXPECT_EQ(shop.status(database), counts);
    for (const QStringList& arguments : {QStringList {u"changes"_s}, QStringList {u"history"_s, ean13(1)}}) {
        const Result read = shop.run(arguments, database);
        EXPECT_EQ(read.exit, 0) << read.err.toStdString();
    }
}

// The tags of the products needing one, by code, as `changes --json` gives them.
std::map<QString, QJsonObject> tagsByCode(const Shop& shop)
{
    std::map<QString, QJsonObject> out;
    for (const QJsonValue need : shop.run({u"changes"_s, u"--json"_s}).json().value(u"products"_s).toArray()) {
        out[need[u"code"_s].toString()] = need[u"tag"_s].toObject();
    }
    return out;
}

// The fonts `pdffonts` lists in `pdf`.
QStringList fontsOf(const QString& pdf)
{
    QProcess process;
    process.start(u"pdffonts"_s, {pdf});
    process.waitForFinished(30000);
    QStringList out;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n').mid(2)) {
        if (!line.trimmed().isEmpty()) {
            out << line.section(u' ', 0, 0);
        }
    }
    return out;
}

// Whether a process holds the catalogue's write lock on the PostgreSQL database `url`.
bool writeLockHeld(const QString& url)
{
    const auto address = catalogue::parseCatalogueAddress(url, nullptr);
    bool held = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QPSQL"_s, u"lock-watch"_s);
        db.setHostName(address->host);
        db.setUserName(address->user);
        db.setPassword(address->password);
        db.setDatabaseName(address->database);
        QSqlQuery query(db);
        held = db.open()
            && query.exec(u"SELECT COUNT(*) FROM pg_locks l JOIN pg_database d ON d.oid = l.database"
                          " WHERE l.locktype = 'advisory' AND l.granted AND d.datname = current_database()"_s)
            && query.next() && query.value(0).toInt() > 0;
    }
    QSqlDatabase::removeDatabase(u"lock-watch"_s);
    return held;
}

class CatalogueFault : public ::testing::TestWithParam<std::tuple<std::string, FaultRow>> { };

TEST_P(CatalogueFault, LeavesTheCatalogueWhole)
{
    const auto& [backend, row] = GetParam();
    Shop shop(backend);
    if (!shop.skipReason().empty()) {
        GTEST_SKIP() << shop.skipReason();
    }
    std::vector<Item> bigWeek = week(2);
    const std::vector<Item> extra = more(1001, 5000);
    bigWeek.insert(bigWeek.end(), extra.begin(), extra.end());
    const QString after = QStringLiteral("5202/5005/12/3/0");

    switch (row.fault) {
    case Fault::killedImport: {
        ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
        // Killed later and later, until an import gets through: every state seen is the one
        // before or the one after, never a mixture.
        int killedBefore = 0;
        QString state = kBefore;
        for (int delayMs = 20; state == kBefore && delayMs < 5000; delayMs += 30) {
            std::unique_ptr<QProcess> import(shop.startImport(QStringLiteral("big.csv"), bigWeek, false));
            ASSERT_TRUE(import->waitForStarted());
            QThread::msleep(delayMs);
            ::kill(pid_t(import->processId()), SIGKILL);
            import->waitForFinished();
            state = shop.status();
            ASSERT_TRUE(state == kBefore || state == after)
                << "killed after " << delayMs << " ms: " << state.toStdString();
            killedBefore += state == kBefore && import->exitStatus() == QProcess::CrashExit;
        }
        EXPECT_EQ(state, after);
        EXPECT_GT(killedBefore, 0);
        break;
    }
    case Fault::damagedFile: {
        QFile file(shop.database());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray garbage = QByteArray("not a catalogue at all\n").repeated(300);
        file.write(garbage);
        file.close();
        const Result opened = shop.run({QStringLiteral("status")});
        EXPECT_EQ(opened.exit, 2);
        EXPECT_TRUE(opened.err.contains(QStringLiteral("壊れています"))) << opened.err.toStdString();
        const QFileInfo info(shop.database());
        const QStringList aside = info.dir().entryList({info.fileName() + QStringLiteral(".damaged-*")});
        ASSERT_EQ(aside.size(), 1);
        QFile kept(info.dir().filePath(aside.front()));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), garbage);
        // No fresh catalogue until the user takes a list in.
        EXPECT_EQ(shop.run({QStringLiteral("status")}).exit, 2);
        EXPECT_FALSE(QFileInfo::exists(shop.database()));
        EXPECT_EQ(shop.import(1).exit, 0);
        break;
    }
    case Fault::readOnlyFile: {
        ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
        ASSERT_TRUE(QFile::setPermissions(shop.database(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const Result imported = shop.import(2);
        EXPECT_EQ(imported.exit, 3);
        EXPECT_TRUE(imported.err.contains(QStringLiteral("書き込み"))) << imported.err.toStdString();
        EXPECT_EQ(shop.status(), kBefore);
        break;
    }
    case Fault::fullDisk: {
        const QString disk = shop.path(QStringLiteral("disk"));
        QDir().mkpath(disk);
        if (::geteuid() != 0 || ::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=1m") != 0) {
            GTEST_SKIP() << "a small full disk needs a tmpfs mounted, which needs root";
        }
        const QString database = disk + QStringLiteral("/catalogue.sqlite");
        ASSERT_EQ(shop.run({QStringLiteral("import"), shop.path(QStringLiteral("none.csv"))}, database).exit, 2);
        writeList(shop.path(QStringLiteral("w1.csv")), week(1));
        ASSERT_EQ(shop.run({QStringLiteral("import"), shop.path(QStringLiteral("w1.csv"))}, database).exit, 0);
        // Fill the disk but for a few pages (more than the few a write needs at least, so that the
        // import fails while it writes).
        QFile filler(disk + QStringLiteral("/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) { }
        filler.close();
        filler.resize(std::max<qint64>(0, filler.size() - 40 * 4096));
        writeList(shop.path(QStringLiteral("big.csv")), bigWeek);
        const Result imported = shop.run({QStringLiteral("import"), shop.path(QStringLiteral("big.csv"))}, database);
        EXPECT_EQ(imported.exit, 3);
        EXPECT_TRUE(imported.err.contains(QStringLiteral("いっぱい"))) << imported.err.toStdString();
        filler.remove();
        const QJsonObject status = shop.run({QStringLiteral("status"), QStringLiteral("--json")}, database).json();
        EXPECT_EQ(status.value(QStringLiteral("products")).toInt(), 200);
        EXPECT_EQ(status.value(QStringLiteral("new")).toInt(), 200);
        ::umount(QFile::encodeName(disk).constData());
        break;
    }
    case Fault::twoImportsAtOnce: {
        ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
        std::unique_ptr<QProcess> first(shop.startImport(QStringLiteral("a.csv"), more(1001, 2000), true));
        std::unique_ptr<QProcess> second(shop.startImport(QStringLiteral("b.csv"), more(3001, 2000), true));
        ASSERT_TRUE(first->waitForFinished(120000) && second->waitForFinished(120000));
        EXPECT_EQ(first->exitCode(), 0) << first->readAllStandardError().toStdString();
        EXPECT_EQ(second->exitCode(), 0) << second->readAllStandardError().toStdString();
        EXPECT_EQ(shop.status(), QStringLiteral("4200/4000/0/0/0"));
        break;
    }
    case Fault::serverDown:
    case Fault::wrongPassword: {
        const QString url = row.fault == Fault::serverDown
            ? QStringLiteral("postgresql://tanafuda@localhost/none?host=%1").arg(shop.path(QStringLiteral("no-server")))
            : test_support::PostgresServer::shared().urlFor(QStringLiteral("postgres"), QStringLiteral("wrong"));
        const Result result = shop.run({QStringLiteral("status")}, url);
        EXPECT_EQ(result.exit, 2);
        EXPECT_TRUE(result.err.contains(QStringLiteral("サーバー postgresql://tanafuda@"))) << result.err.toStdString();
        EXPECT_FALSE(result.err.contains(QStringLiteral("wrong")));
        break;
    }
    case Fault::noByteFree:
    case Fault::noFileFree: {
        const bool files = row.fault == Fault::noFileFree;
        SmallDisk disk(shop.path(u"disk"_s), files ? "size=4m,nr_inodes=8" : "size=1m");
        if (!disk.mounted()) {
            GTEST_SKIP() << disk.skipReason();
        }
        const QString database = disk.filePath(u"catalogue.sqlite"_s);
        writeList(shop.path(u"w1.csv"_s), week(1));
        writeList(shop.path(u"w2.csv"_s), week(2));
        ASSERT_EQ(shop.run({u"import"_s, shop.path(u"w1.csv"_s)}, database).exit, 0);
        disk.fill(files);
        expectFailure(
            shop.run({u"import"_s, shop.path(u"w2.csv"_s)}, database), 3,
            {files ? u"ファイルシステムがいっぱいです"_s : u"ディスクがいっぱいです"_s, shop.path(u"disk"_s)});
        expectReadable(shop, database, u"200/200/0/0/0"_s);
        break;
    }
    case Fault::readOnlyForTheUser:
    case Fault::readOnlyFolder: {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "running the program as another user needs root";
        }
        ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
        const bool folder = row.fault == Fault::readOnlyFolder;
        QFile::setPermissions(shop.database(), folder ? QFile::Permissions(0x6666) : QFile::Permissions(0x6444));
        shop.runAsNobody();
        expectFailure(
            shop.import(2), 3,
            {u"書き込めません"_s, folder ? QFileInfo(shop.database()).absolutePath() : shop.database(), u"nobody"_s});
        expectFailure(shop.run({u"confirm"_s, u"1"_s}), 3, {u"書き込めません"_s});
        expectReadable(shop, {}, kBefore);
        break;
    }
    case Fault::readOnlyDisk: {
        SmallDisk disk(shop.path(u"disk"_s), "size=8m");
        if (!disk.mounted()) {
            GTEST_SKIP() << disk.skipReason();
        }
        const QString database = disk.filePath(u"catalogue.sqlite"_s);
        writeList(shop.path(u"w1.csv"_s), week(1));
        ASSERT_EQ(shop.run({u"import"_s, shop.path(u"w1.csv"_s)}, database).exit, 0);
        ASSERT_TRUE(disk.setReadOnly(true));
        expectFailure(shop.run({u"import"_s, shop.path(u"w1.csv"_s)}, database), 3, {u"読み取り専用でマウント"_s});
        expectReadable(shop, database, u"200/200/0/0/0"_s);
        disk.setReadOnly(false);
        break;
    }
    case Fault::anotherPcImporting: {
        // A PC frozen halfway through its import: the others wait for it a while and say so, and
        // the server ends its session after twice the wait, which lets its lock go.
        ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
        shop.setEnvironment(u"TANAFUDA_CATALOGUE_LOCK_WAIT"_s, u"3"_s);
        std::unique_ptr<QProcess> frozen(shop.startImport(u"frozen.csv"_s, more(1001, 20000), true));
        QElapsedTimer waited;
        waited.start();
        while (!writeLockHeld(shop.database()) && !frozen->waitForFinished(2) && waited.elapsed() < 60000) { }
        ASSERT_EQ(frozen->state(), QProcess::Running) << "the import ended before it could be stopped";
        ::kill(pid_t(frozen->processId()), SIGSTOP);
        writeList(shop.path(u"big.csv"_s), bigWeek);
        const QStringList importBig {u"import"_s, shop.path(u"big.csv"_s)};
        expectFailure(shop.run(importBig), 2, {u"別の PC ("_s, u"が取り込み中です"_s});
        QThread::sleep(7);
        EXPECT_EQ(shop.run(importBig).exit, 0);
        ::kill(pid_t(frozen->processId()), SIGKILL);
        frozen->waitForFinished();
        EXPECT_EQ(shop.status(), after);
        break;
    }
    case Fault::linkToNetworkFolder:
    case Fault::fuseFolder: {
        // A folder that looks to statfs like a network (NFS) or a FUSE one (GVFS's smb://, sshfs).
        const bool fuse = row.fault == Fault::fuseFolder;
        const QString share = shop.path(u"share"_s);
        QDir().mkpath(share);
        shop.setEnvironment(u"LD_PRELOAD"_s, QStringLiteral(TANAFUDA_FAKE_FILE_SYSTEM));
        shop.setEnvironment(u"TANAFUDA_FAKE_FS_PREFIX"_s, QFileInfo(share).canonicalFilePath());
        shop.setEnvironment(u"TANAFUDA_FAKE_FS_MAGIC"_s, fuse ? u"0x65735546"_s : u"0x6969"_s);
        const QString file = share + u"/catalogue.sqlite"_s;
        QString database = file;
        if (!fuse) {
            database = shop.path(u"link.sqlite"_s);
            ASSERT_TRUE(QFile::link(file, database));
        }
        writeList(shop.path(u"w1.csv"_s), week(1));
        expectFailure(shop.run({u"import"_s, shop.path(u"w1.csv"_s)}, database), 2,
                      {fuse ? u"ネットワーク上のフォルダー (FUSE"_s : u"(NFS)"_s});
        EXPECT_FALSE(QFileInfo::exists(file));
        break;
    }
    case Fault::mistypedAddress:
        writeList(shop.path(u"w1.csv"_s), week(1));
        for (const QString& given : {u"postgresql:/shop@server/tanafuda"_s, u"postgres:shop@server/tanafuda"_s}) {
            for (const QStringList& arguments :
                 {QStringList {u"status"_s}, QStringList {u"import"_s, shop.path(u"w1.csv"_s)}}) {
                expectFailure(shop.run(arguments, given), 1,
                              {u"アドレスの書き方が違います"_s, u"postgresql://ユーザー@"_s});
            }
        }
        EXPECT_EQ(QDir(shop.path(QString())).entryList({u"postgres*"_s}), QStringList());
        break;
    case Fault::garbledSettingsAddress:
    case Fault::damagedSettings: {
        const bool garbled = row.fault == Fault::garbledSettingsAddress;
        const QString fallback = shop.path(u"data/tanafuda/catalogue.sqlite"_s);
        writeList(shop.path(u"w1.csv"_s), week(1));
        if (!garbled) {
            ASSERT_EQ(shop.run({u"import"_s, shop.path(u"w1.csv"_s)}, fallback).exit, 0);
        }
        shop.writeSettings(garbled ? QByteArray("[catalogue]\ndatabase=shop\x07\x1b[2J.sqlite\n")
                                   : QByteArray("[catalogue]\0\xff\xfe garbage", 22));
        // A writing command stops: the shop may keep its catalogue elsewhere.
        expectFailure(shop.run({u"import"_s, shop.path(u"w1.csv"_s)}, Shop::kFromSettings), 2, {u"設定ファイル"_s});
        if (garbled) {
            expectFailure(shop.run({u"status"_s}, Shop::kFromSettings), 2, {u"使えない文字"_s});
            EXPECT_EQ(QDir(shop.path(QString())).entryList({u"shop*"_s}), QStringList());
            EXPECT_FALSE(QFileInfo::exists(fallback));
        } else {
            // Reading goes on with the default catalogue, after a warning.
            const Result read = shop.run({u"status"_s}, Shop::kFromSettings);
            EXPECT_EQ(read.exit, 0);
            EXPECT_TRUE(read.err.contains(u"使いません"_s)) << read.err.toStdString();
            EXPECT_EQ(shop.status(fallback), u"200/200/0/0/0"_s);
        }
        break;
    }
    case Fault::relativeSettingsAddress:
        shop.writeSettings("[catalogue]\ndatabase=shop.sqlite\n");
        writeList(shop.path(u"w1.csv"_s), week(1));
        EXPECT_EQ(shop.run({u"import"_s, shop.path(u"w1.csv"_s)}, Shop::kFromSettings).exit, 0);
        EXPECT_TRUE(QFileInfo::exists(shop.path(u"config/tanafuda/shop.sqlite"_s)));
        EXPECT_FALSE(QFileInfo::exists(shop.path(u"shop.sqlite"_s)));
        break;
    case Fault::damagedThroughLink: {
        const QString file = shop.path(u"real/catalogue.sqlite"_s);
        const QString link = shop.path(u"link.sqlite"_s);
        QDir().mkpath(shop.path(u"real"_s));
        QFile damaged(file);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly) && damaged.write(QByteArray(8192, 'x')) == 8192);
        damaged.close();
        ASSERT_TRUE(QFile::link(file, link));
        expectFailure(shop.run({u"status"_s}, link), 2,
                      {u"壊れています"_s, u"リンク先 "_s + file, u"ファイル "_s + file + u" は"_s});
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_FALSE(QFileInfo::exists(file));
        EXPECT_EQ(QDir(shop.path(u"real"_s)).entryList({u"catalogue.sqlite.damaged-*"_s}).size(), 1);
        break;
    }
    case Fault::firstImportStopped: {
        // What a first import stopped after the tables were made leaves: a catalogue never imported.
        catalogue::Result outcome;
        ASSERT_TRUE(
            catalogue::Catalogue::open(*catalogue::parseCatalogueAddress(shop.database(), nullptr), {true}, &outcome))
            << outcome.message.toStdString();
        expectFailure(shop.run({u"status"_s}), 2, {u"まだありません"_s});
        EXPECT_EQ(shop.import(1).exit, 0);
        break;
    }
    case Fault::emptyFile: {
        QFile empty(shop.database());
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
        empty.close();
        expectFailure(shop.run({u"status"_s}), 2, {u"まだありません"_s});
        EXPECT_EQ(QFileInfo(shop.database()).size(), 0);
        break;
    }
    case Fault::restoredFromCopy: {
        ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
        // Copies of eight earlier days lie beside it: the newest six are kept with today's.
        const QDate today = QDate::currentDate();
        for (int daysAgo = 1; daysAgo <= 8; ++daysAgo) {
            QFile old(catalogue::copies::copyFileFor(shop.database(), today.addDays(-daysAgo)));
            ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        }
        ASSERT_EQ(shop.import(2).exit, 0);
        const QStringList kept = QDir(shop.path(QString())).entryList({u"catalogue.sqlite.copy-*"_s});
        EXPECT_EQ(kept.size(), 7);
        EXPECT_TRUE(kept.contains(QFileInfo(catalogue::copies::copyFileFor(shop.database(), today)).fileName()));
        // A sound catalogue is not replaced unasked; the message says what would be lost.
        expectFailure(shop.run({u"restore"_s}), 1, {u"壊れていません"_s, u"取り込み 1 回"_s, u"week2.csv"_s});
        QFile damaged(shop.database());
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly) && damaged.write(QByteArray(8192, 'x')) == 8192);
        damaged.close();
        expectFailure(shop.run({u"status"_s}), 2, {u"壊れています"_s, u"商品 200"_s, u"restore"_s});
        // No fresh catalogue in its place while copies are there.
        expectFailure(shop.import(2), 2, {u"--fresh"_s});
        const Result restored = shop.run({u"restore"_s});
        EXPECT_EQ(restored.exit, 0) << restored.err.toStdString();
        EXPECT_TRUE(restored.out.contains(u"戻らないもの"_s)) << restored.out.toStdString();
        EXPECT_EQ(shop.status(), kBefore);
        break;
    }
    case Fault::repeatedCodes: {
        std::vector<Item> repeated;
        for (int row = 0; row < 100000; ++row) {
            repeated.push_back(item(1 + row % 1000));
        }
        writeList(shop.path(u"repeated.csv"_s), repeated);
        const Result imported = shop.run({u"import"_s, shop.path(u"repeated.csv"_s)});
        EXPECT_EQ(imported.exit, 4);
        const QStringList lines = imported.out.split(u'\n');
        EXPECT_EQ(lines.filter(u"使いません"_s).size(), 1000);
        EXPECT_EQ(lines.filter(u"(ほか 98 行も同じコード)"_s).size(), 1000);
        EXPECT_EQ(lines.filter(u"変更あり"_s).size(), 0);
        break;
    }
    case Fault::pdfFonts: {
        // Every path draws a sheet with the same fonts: the import's PDF as the catalogue's print.
        if (QStandardPaths::findExecutable(u"pdffonts"_s).isEmpty()) {
            GTEST_SKIP() << "pdffonts (poppler-utils) is not installed";
        }
        writeList(shop.path(u"w1.csv"_s), week(1));
        ASSERT_EQ(
            shop.run({shop.path(u"w1.csv"_s), u"-o"_s, shop.path(u"sheets"_s), u"--pdf"_s, shop.path(u"import.pdf"_s)},
                     {}, QStringLiteral(TANAFUDA_IMPORT_PROGRAM))
                .exit,
            0);
        ASSERT_EQ(shop.import(1).exit, 0);
        ASSERT_EQ(shop.run({u"print"_s, u"--pdf"_s, shop.path(u"print.pdf"_s)}).exit, 0);
        const QStringList fonts = fontsOf(shop.path(u"import.pdf"_s));
        EXPECT_EQ(fonts.size(), 1) << fonts.join(u' ').toStdString();
        EXPECT_EQ(fonts.filter(u"DejaVu"_s), QStringList());
        EXPECT_EQ(fonts, fontsOf(shop.path(u"print.pdf"_s)));
        break;
    }
    case Fault::taxBasisColumn: {
        // A cloud register's export: 税設定 says whether the price includes the tax, 適用税率 the rate.
        QFile list(shop.path(u"cloud.csv"_s));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write(QStringLiteral("商品コード,商品名,価格,税設定,適用税率\n4901234567894,牛乳,980,外税,標準税率\n"
                                  "4512345678906,のり,1078,内税,標準税率\n4902102072618,パン,200,外税,軽減税率\n")
                       .toUtf8());
        list.close();
        ASSERT_EQ(shop.run({u"import"_s, shop.path(u"cloud.csv"_s)}).exit, 0);
        const auto tags = tagsByCode(shop);
        ASSERT_EQ(tags.size(), 3u);
        EXPECT_EQ(tags.at(u"4901234567894"_s)[u"price"_s].toInt(), 1078);
        EXPECT_EQ(tags.at(u"4512345678906"_s)[u"price"_s].toInt(), 1078);
        EXPECT_EQ(tags.at(u"4902102072618"_s)[u"price"_s].toInt(), 216);
        break;
    }
    case Fault::brokenSurrogate: {
        // UTF-16LE with its byte-order mark, one name holding half a surrogate pair.
        const QString text = u"JANコード,商品名,売価\n4901234567894,牛乳"_s + QChar(0xD800)
            + u"パック,198\n4512345678906,のり,398\n"_s;
        QByteArray bytes("\xFF\xFE");
        for (const QChar ch : text) {
            bytes.append(char(ch.unicode() & 0xFF)).append(char(ch.unicode() >> 8));
        }
        QFile list(shop.path(u"utf16.csv"_s));
        ASSERT_TRUE(list.open(QIODevice::WriteOnly) && list.write(bytes) == bytes.size());
        list.close();
        const Result imported = shop.run({u"import"_s, shop.path(u"utf16.csv"_s)});
        EXPECT_EQ(imported.exit, 0) << imported.err.toStdString();
        EXPECT_TRUE(imported.out.contains(u"2行目 変更あり: 商品名"_s)) << imported.out.toStdString();
        const auto tags = tagsByCode(shop);
        ASSERT_EQ(tags.size(), 2u);
        EXPECT_EQ(tags.at(u"4901234567894"_s)[u"name"_s].toString(), u"牛乳\uFFFDパック"_s);
        break;
    }
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, CatalogueFault, ::testing::ValuesIn(faultCases()),
                         [](const auto& info) { return std::get<0>(info.param) + "_" + std::get<1>(info.param).name; });

}  // namespace
