// What faults leave behind, as one table of rows run on SQLite and on PostgreSQL where the fault
// belongs to that database: a killed import, a damaged or read-only file, a full disk, two imports
// at once, a server that is down or refuses the password; a disk without a byte or a file left, a
// user or a disk that may only read, another PC stuck in its import, network folders, mistyped
// addresses and settings, a damaged file reached through a link or restored from its copy, an
// empty catalogue; and what the lists bring: repeated codes, a register's tax-basis column, a
// broken UTF-16 character, the fonts of every PDF.

#include "core/catalogue/catalogue.h"
#include "core/catalogue/store/catalogue_copies.h"
#include "support/command_week.h"
#include "support/small_disk.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>

#include <functional>
#include <map>

#include <unistd.h>

using namespace test_support;
using test_support::SmallDisk;

namespace {

const QString kBefore = u"200/0/0/0/0"_s;
// Week 2 and 5000 more products, and the counts once it is in.
const QString kAfterBig = u"5202/5005/12/3/0"_s;
std::vector<Item> bigWeek()
{
    std::vector<Item> out = week(2);
    const std::vector<Item> extra = more(1001, 5000);
    out.insert(out.end(), extra.begin(), extra.end());
    return out;
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
    for (const QJsonValue need : shop.jsonList({u"changes"_s}, u"products"_s)) {
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

// Every file of `folder` with its bytes.
std::map<QString, QByteArray> folderBytes(const QString& folder)
{
    std::map<QString, QByteArray> out;
    for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile read(file.filePath());
        out[file.fileName()] = read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray("(unreadable)");
    }
    return out;
}

// Runs `sql` on the SQLite file `file`.
bool runSql(const QString& file, const QString& sql)
{
    bool ran = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"test-sql"_s);
        db.setDatabaseName(file);
        QSqlQuery query(db);
        ran = db.open() && query.exec(sql);
    }
    QSqlDatabase::removeDatabase(u"test-sql"_s);
    return ran;
}

// The faults that come in pairs, told apart by their second parameter.

void serverUnreachable(Shop& shop, bool wrongPassword)
{
    const QString url = wrongPassword
        ? test_support::PostgresServer::shared().urlFor(u"postgres"_s, u"wrong"_s)
        : u"postgresql://tanafuda@localhost/none?host=%1"_s.arg(shop.path(u"no-server"_s));
    const Result result = shop.run({u"status"_s}, url);
    expectFailure(result, 2, {u"サーバー postgresql://tanafuda@"_s});
    EXPECT_FALSE(result.err.contains(u"wrong"_s));
}

void diskFull(Shop& shop, bool files)
{
    SmallDisk disk(shop.path(u"disk"_s), files ? "size=4m,nr_inodes=8" : "size=1m");
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.skipReason();
    }
    const QString database = disk.filePath(u"catalogue.sqlite"_s);
    ASSERT_EQ(shop.importList(u"w1.csv"_s, week(1), {}, database).exit, 0);
    disk.fill(files);
    expectFailure(shop.importList(u"w2.csv"_s, week(2), {}, database), 3,
                  {files ? u"ファイルシステムがいっぱいです"_s : u"ディスクがいっぱいです"_s, shop.path(u"disk"_s)});
    expectReadable(shop, database, u"200/200/0/0/0"_s);
}

void readOnlyForNobody(Shop& shop, bool folder)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "running the program as another user needs root";
    }
    ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
    QFile::setPermissions(shop.database(), folder ? QFile::Permissions(0x6666) : QFile::Permissions(0x6444));
    shop.runAsNobody();
    expectFailure(
        shop.import(2), 3,
        {u"書き込めません"_s, folder ? QFileInfo(shop.database()).absolutePath() : shop.database(), u"nobody"_s});
    expectFailure(shop.run({u"confirm"_s, u"1"_s}), 3, {u"書き込めません"_s});
    expectReadable(shop, {}, kBefore);
}

// A folder that looks to statfs like a network (NFS) or a FUSE one (GVFS's smb://, sshfs).
void networkFolder(Shop& shop, bool fuse)
{
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
    expectFailure(shop.importList(u"w1.csv"_s, week(1), {}, database), 2,
                  {fuse ? u"ネットワーク上のフォルダー (FUSE"_s : u"(NFS)"_s});
    EXPECT_FALSE(QFileInfo::exists(file));
}

void settingsUnusable(Shop& shop, bool garbled)
{
    const QString fallback = shop.path(u"data/tanafuda/catalogue.sqlite"_s);
    if (!garbled) {
        ASSERT_EQ(shop.importList(u"w1.csv"_s, week(1), {}, fallback).exit, 0);
    }
    shop.writeSettings(garbled ? QByteArray("[catalogue]\ndatabase=shop\x07\x1b[2J.sqlite\n")
                               : QByteArray("[catalogue]\0\xff\xfe garbage", 22));
    // A writing command stops: the shop may keep its catalogue elsewhere.
    expectFailure(shop.importList(u"w1.csv"_s, week(1), {}, Shop::kFromSettings), 2, {u"設定ファイル"_s});
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
}

struct FaultRow {
    const char* name;
    void (*run)(Shop& shop);
};

// The rows, each on the backends its fault belongs to.
std::vector<std::tuple<std::string, FaultRow>> faultCases()
{
    std::vector<std::tuple<std::string, FaultRow>> cases;
    const auto add = [&cases](const char* name, bool onSqlite, bool onPostgresql, void (*run)(Shop&)) {
        if (onSqlite) {
            cases.emplace_back("sqlite", FaultRow {name, run});
        }
        if (onPostgresql) {
            cases.emplace_back("postgresql", FaultRow {name, run});
        }
    };
    add("killed_import", true, true, [](Shop& shop) {
        ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
        // Killed later and later, until an import gets through: every state seen is the one
        // before or the one after, never a mixture.
        int killedBefore = 0;
        QString state = kBefore;
        for (int delayMs = 20; state == kBefore && delayMs < 5000; delayMs += 30) {
            std::unique_ptr<QProcess> import(shop.startImport(u"big.csv"_s, bigWeek(), false));
            ASSERT_TRUE(import->waitForStarted());
            QThread::msleep(delayMs);
            ::kill(pid_t(import->processId()), SIGKILL);
            import->waitForFinished();
            state = shop.status();
            ASSERT_TRUE(state == kBefore || state == kAfterBig)
                << "killed after " << delayMs << " ms: " << state.toStdString();
            killedBefore += state == kBefore && import->exitStatus() == QProcess::CrashExit;
        }
        EXPECT_EQ(state, kAfterBig);
        EXPECT_GT(killedBefore, 0);
    });
    add("damaged_file", true, false, [](Shop& shop) {
        const QByteArray garbage = QByteArray("not a catalogue at all\n").repeated(300);
        ASSERT_TRUE(writeBytes(shop.database(), garbage));
        expectFailure(shop.run({u"status"_s}), 2, {u"壊れています"_s});
        const QFileInfo info(shop.database());
        const QStringList aside = info.dir().entryList({info.fileName() + u".damaged-*"_s});
        ASSERT_EQ(aside.size(), 1);
        QFile kept(info.dir().filePath(aside.front()));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), garbage);
        // No fresh catalogue until the user takes a list in.
        EXPECT_EQ(shop.run({u"status"_s}).exit, 2);
        EXPECT_FALSE(QFileInfo::exists(shop.database()));
        EXPECT_EQ(shop.import(1).exit, 0);
    });
    add("read_only_file", true, false, [](Shop& shop) {
        ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
        ASSERT_TRUE(QFile::setPermissions(shop.database(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        expectFailure(shop.import(2), 3, {u"書き込み"_s});
        EXPECT_EQ(shop.status(), kBefore);
    });
    add("full_disk", true, false, [](Shop& shop) {
        SmallDisk disk(shop.path(u"disk"_s), "size=1m");
        if (!disk.mounted()) {
            GTEST_SKIP() << disk.skipReason();
        }
        const QString database = disk.filePath(u"catalogue.sqlite"_s);
        ASSERT_EQ(shop.run({u"import"_s, shop.path(u"none.csv"_s)}, database).exit, 2);
        ASSERT_EQ(shop.importList(u"w1.csv"_s, week(1), {}, database).exit, 0);
        // Fill the disk but for a few pages (more than the few a write needs at least, so that
        // the import fails while it writes).
        QFile filler(disk.filePath(u"filler"_s));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) { }
        filler.close();
        filler.resize(std::max<qint64>(0, filler.size() - 40 * 4096));
        expectFailure(shop.importList(u"big.csv"_s, bigWeek(), {}, database), 3, {u"いっぱい"_s});
        filler.remove();
        EXPECT_EQ(shop.status(database), u"200/200/0/0/0"_s);
    });
    add("two_imports_at_once", true, true, [](Shop& shop) {
        ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
        std::unique_ptr<QProcess> first(shop.startImport(u"a.csv"_s, more(1001, 2000), true));
        std::unique_ptr<QProcess> second(shop.startImport(u"b.csv"_s, more(3001, 2000), true));
        ASSERT_TRUE(first->waitForFinished(120000) && second->waitForFinished(120000));
        EXPECT_EQ(first->exitCode(), 0) << first->readAllStandardError().toStdString();
        EXPECT_EQ(second->exitCode(), 0) << second->readAllStandardError().toStdString();
        EXPECT_EQ(shop.status(), u"4200/4000/0/0/0"_s);
    });
    add("server_down", false, true, [](Shop& shop) { serverUnreachable(shop, false); });
    add("wrong_password", false, true, [](Shop& shop) { serverUnreachable(shop, true); });
    add("no_byte_free", true, false, [](Shop& shop) { diskFull(shop, false); });
    add("no_file_free", true, false, [](Shop& shop) { diskFull(shop, true); });
    add("read_only_for_the_user", true, false, [](Shop& shop) { readOnlyForNobody(shop, false); });
    add("read_only_folder", true, false, [](Shop& shop) { readOnlyForNobody(shop, true); });
    add("read_only_disk", true, false, [](Shop& shop) {
        SmallDisk disk(shop.path(u"disk"_s), "size=8m");
        if (!disk.mounted()) {
            GTEST_SKIP() << disk.skipReason();
        }
        const QString database = disk.filePath(u"catalogue.sqlite"_s);
        ASSERT_EQ(shop.importList(u"w1.csv"_s, week(1), {}, database).exit, 0);
        ASSERT_TRUE(disk.setReadOnly(true));
        expectFailure(shop.importList(u"w1.csv"_s, week(1), {}, database), 3, {u"読み取り専用でマウント"_s});
        expectReadable(shop, database, u"200/200/0/0/0"_s);
        disk.setReadOnly(false);
    });
    add("another_pc_importing", false, true, [](Shop& shop) {
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
        expectFailure(shop.importList(u"big.csv"_s, bigWeek()), 2, {u"別の PC ("_s, u"が取り込み中です"_s});
        QThread::sleep(7);
        EXPECT_EQ(shop.run({u"import"_s, shop.path(u"big.csv"_s)}).exit, 0);
        ::kill(pid_t(frozen->processId()), SIGKILL);
        frozen->waitForFinished();
        EXPECT_EQ(shop.status(), kAfterBig);
    });
    add("link_to_network_folder", true, false, [](Shop& shop) { networkFolder(shop, false); });
    add("fuse_folder", true, false, [](Shop& shop) { networkFolder(shop, true); });
    add("mistyped_address", true, false, [](Shop& shop) {
        writeList(shop.path(u"w1.csv"_s), week(1));
        for (const QString& given : {u"postgresql:/shop@server/tanafuda"_s, u"postgres:shop@server/tanafuda"_s}) {
            for (const QStringList& arguments :
                 {QStringList {u"status"_s}, QStringList {u"import"_s, shop.path(u"w1.csv"_s)}}) {
                expectFailure(shop.run(arguments, given), 1,
                              {u"アドレスの書き方が違います"_s, u"postgresql://ユーザー@"_s});
            }
        }
        EXPECT_EQ(QDir(shop.path(QString())).entryList({u"postgres*"_s}), QStringList());
    });
    add("garbled_settings_address", true, false, [](Shop& shop) { settingsUnusable(shop, true); });
    add("damaged_settings", true, false, [](Shop& shop) { settingsUnusable(shop, false); });
    add("relative_settings_address", true, false, [](Shop& shop) {
        shop.writeSettings("[catalogue]\ndatabase=shop.sqlite\n");
        EXPECT_EQ(shop.importList(u"w1.csv"_s, week(1), {}, Shop::kFromSettings).exit, 0);
        EXPECT_TRUE(QFileInfo::exists(shop.path(u"config/tanafuda/shop.sqlite"_s)));
        EXPECT_FALSE(QFileInfo::exists(shop.path(u"shop.sqlite"_s)));
    });
    add("damaged_through_link", true, false, [](Shop& shop) {
        const QString file = shop.path(u"real/catalogue.sqlite"_s);
        const QString link = shop.path(u"link.sqlite"_s);
        QDir().mkpath(shop.path(u"real"_s));
        ASSERT_TRUE(writeBytes(file, QByteArray(8192, 'x')));
        ASSERT_TRUE(QFile::link(file, link));
        expectFailure(shop.run({u"status"_s}, link), 2,
                      {u"壊れています"_s, u"リンク先 "_s + file, u"ファイル "_s + file + u" は"_s});
        EXPECT_TRUE(QFileInfo(link).isSymLink());
        EXPECT_FALSE(QFileInfo::exists(file));
        EXPECT_EQ(QDir(shop.path(u"real"_s)).entryList({u"catalogue.sqlite.damaged-*"_s}).size(), 1);
    });
    add("first_import_stopped", true, true, [](Shop& shop) {
        // What a first import stopped after the tables were made leaves: a catalogue never imported.
        catalogue::Result outcome;
        ASSERT_TRUE(
            catalogue::Catalogue::open(*catalogue::parseCatalogueAddress(shop.database(), nullptr), {true}, &outcome))
            << outcome.message.toStdString();
        expectFailure(shop.run({u"status"_s}), 2, {u"まだありません"_s});
        EXPECT_EQ(shop.import(1).exit, 0);
    });
    add("empty_file", true, false, [](Shop& shop) {
        ASSERT_TRUE(writeBytes(shop.database(), {}));
        expectFailure(shop.run({u"status"_s}), 2, {u"まだありません"_s});
        EXPECT_EQ(QFileInfo(shop.database()).size(), 0);
    });
    add("restored_from_copy", true, false, [](Shop& shop) {
        ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
        // Copies of eight earlier days lie beside it: the newest six are kept with today's.
        const QDate today = QDate::currentDate();
        for (int daysAgo = 1; daysAgo <= 8; ++daysAgo) {
            ASSERT_TRUE(writeBytes(catalogue::copies::copyFileFor(shop.database(), today.addDays(-daysAgo)), "old"));
        }
        ASSERT_EQ(shop.import(2).exit, 0);
        const QStringList kept = QDir(shop.path(QString())).entryList({u"catalogue.sqlite.copy-*"_s});
        EXPECT_EQ(kept.size(), 7);
        EXPECT_TRUE(kept.contains(QFileInfo(catalogue::copies::copyFileFor(shop.database(), today)).fileName()));
        // A sound catalogue is not replaced unasked; the message says what would be lost.
        expectFailure(shop.run({u"restore"_s}), 1, {u"壊れていません"_s, u"取り込み 1 回"_s, u"week2.csv"_s});
        ASSERT_TRUE(writeBytes(shop.database(), QByteArray(8192, 'x')));
        expectFailure(shop.run({u"status"_s}), 2, {u"壊れています"_s, u"商品 200"_s, u"restore"_s});
        // No fresh catalogue in its place while copies are there.
        expectFailure(shop.import(2), 2, {u"--fresh"_s});
        const Result restored = shop.run({u"restore"_s});
        EXPECT_EQ(restored.exit, 0) << restored.err.toStdString();
        EXPECT_TRUE(restored.out.contains(u"戻らないもの"_s)) << restored.out.toStdString();
        EXPECT_EQ(shop.status(), kBefore);
    });
    add("refused_restore", true, false, [](Shop& shop) {
        // A copy this program cannot use, or a sound catalogue without --force: refused before any
        // file is moved or written.
        ASSERT_NO_FATAL_FAILURE(shop.weekOneOnTheShelf());
        const QString copy = shop.path(u"copy.sqlite"_s);
        struct Refusal {
            const char* what;
            bool damageCatalogue;
            std::function<bool()> makeCopy;
            int exit;
            QString said;
        };
        const std::vector<Refusal> refusals = {
            {"newer schema", true,
             [&] {
                 return QFile::copy(shop.database(), copy) && runSql(copy, u"UPDATE schema_version SET version = 99"_s);
             },
             2, u"これより新しい版の tanafuda で作られています (版 99)"_s},
            {"another program's database", true, [&] { return runSql(copy, u"CREATE TABLE notes (text TEXT)"_s); }, 2,
             u"商品マスタのファイルではありません"_s},
            {"damaged copy", true, [&] { return writeBytes(copy, QByteArray(8192, 'y')); }, 2, u"使えません"_s},
            {"sound catalogue", false, [&] { return QFile::copy(shop.database(), copy); }, 1, u"壊れていません"_s},
        };
        const QByteArray sound = [&] {
            QFile file(shop.database());
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        for (const Refusal& refusal : refusals) {
            SCOPED_TRACE(refusal.what);
            QFile::remove(copy);
            ASSERT_TRUE(writeBytes(shop.database(), sound));
            ASSERT_TRUE(refusal.makeCopy());
            ASSERT_TRUE(writeBytes(shop.database(), refusal.damageCatalogue ? QByteArray(8192, 'x') : sound));
            const auto before = folderBytes(shop.path(QString()));
            expectFailure(shop.run({u"restore"_s, copy}), refusal.exit, {refusal.said});
            EXPECT_EQ(folderBytes(shop.path(QString())), before);
        }
    });
    add("repeated_codes", true, false, [](Shop& shop) {
        std::vector<Item> repeated;
        for (int row = 0; row < 100000; ++row) {
            repeated.push_back(item(1 + row % 1000));
        }
        const Result imported = shop.importList(u"repeated.csv"_s, repeated);
        EXPECT_EQ(imported.exit, 4);
        const QStringList lines = imported.out.split(u'\n');
        EXPECT_EQ(lines.filter(u"使いません"_s).size(), 1000);
        EXPECT_EQ(lines.filter(u"(ほか 98 行も同じコード)"_s).size(), 1000);
        EXPECT_EQ(lines.filter(u"変更あり"_s).size(), 0);
    });
    add("pdf_fonts", true, false, [](Shop& shop) {
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
    });
    add("tax_basis_column", true, true, [](Shop& shop) {
        // A cloud register's export: 税設定 says whether the price includes the tax, 適用税率 the rate.
        ASSERT_TRUE(
            writeBytes(shop.path(u"cloud.csv"_s),
                       u"商品コード,商品名,価格,税設定,適用税率\n4901234567894,牛乳,980,外税,標準税率\n"
                       "4512345678906,のり,1078,内税,標準税率\n4902102072618,パン,200,外税,軽減税率\n"_s.toUtf8()));
        ASSERT_EQ(shop.run({u"import"_s, shop.path(u"cloud.csv"_s)}).exit, 0);
        const auto tags = tagsByCode(shop);
        ASSERT_EQ(tags.size(), 3u);
        EXPECT_EQ(tags.at(u"4901234567894"_s)[u"price"_s].toInt(), 1078);
        EXPECT_EQ(tags.at(u"4512345678906"_s)[u"price"_s].toInt(), 1078);
        EXPECT_EQ(tags.at(u"4902102072618"_s)[u"price"_s].toInt(), 216);
    });
    add("broken_surrogate", true, false, [](Shop& shop) {
        // UTF-16LE with its byte-order mark, one name holding half a surrogate pair.
        const QString text = u"JANコード,商品名,売価\n4901234567894,牛乳"_s + QChar(0xD800)
            + u"パック,198\n4512345678906,のり,398\n"_s;
        QByteArray bytes("\xFF\xFE");
        for (const QChar ch : text) {
            bytes.append(char(ch.unicode() & 0xFF)).append(char(ch.unicode() >> 8));
        }
        ASSERT_TRUE(writeBytes(shop.path(u"utf16.csv"_s), bytes));
        const Result imported = shop.run({u"import"_s, shop.path(u"utf16.csv"_s)});
        EXPECT_EQ(imported.exit, 0) << imported.err.toStdString();
        EXPECT_TRUE(imported.out.contains(u"2行目 変更あり: 商品名"_s)) << imported.out.toStdString();
        const auto tags = tagsByCode(shop);
        ASSERT_EQ(tags.size(), 2u);
        EXPECT_EQ(tags.at(u"4901234567894"_s)[u"name"_s].toString(), u"牛乳\uFFFDパック"_s);
    });
    return cases;
}

class CatalogueFault : public ::testing::TestWithParam<std::tuple<std::string, FaultRow>> { };

TEST_P(CatalogueFault, LeavesTheCatalogueWhole)
{
    const auto& [backend, row] = GetParam();
    Shop shop(backend);
    if (!shop.skipReason().empty()) {
        GTEST_SKIP() << shop.skipReason();
    }
    row.run(shop);
}

INSTANTIATE_TEST_SUITE_P(Faults, CatalogueFault, ::testing::ValuesIn(faultCases()),
                         [](const auto& info) { return std::get<0>(info.param) + "_" + std::get<1>(info.param).name; });

}  // namespace
