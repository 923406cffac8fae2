// What faults leave behind, as one table of rows run on SQLite and on PostgreSQL where the fault
// belongs to that database: a killed import, a damaged or read-only file, a full disk, two imports
// at once, a server that is down or refuses the password.

#include "catalogue_weeks.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <sys/mount.h>
#include <unistd.h>

using namespace catalogue_weeks;

namespace {

enum class Fault { killedImport, damagedFile, readOnlyFile, fullDisk, twoImportsAtOnce, serverDown, wrongPassword };

struct FaultRow {
    const char* name;
    Fault fault;
    bool onSqlite;
    bool onPostgresql;
};

const FaultRow kFaults[] = {
    {"killed_import", Fault::killedImport, true, true},           {"damaged_file", Fault::damagedFile, true, false},
    {"read_only_file", Fault::readOnlyFile, true, false},         {"full_disk", Fault::fullDisk, true, false},
    {"two_imports_at_once", Fault::twoImportsAtOnce, true, true}, {"server_down", Fault::serverDown, false, true},
    {"wrong_password", Fault::wrongPassword, false, true},
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

class CatalogueFault : public ::testing::TestWithParam<std::tuple<std::string, FaultRow>> { };

TEST_P(CatalogueFault, LeavesTheCatalogueWhole)
{
    const auto& [backend, row] = GetParam();
    const Shop shop(backend);
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
        // Fill the disk but for a few pages.
        QFile filler(disk + QStringLiteral("/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) { }
        filler.close();
        filler.resize(std::max<qint64>(0, filler.size() - 8 * 4096));
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
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, CatalogueFault, ::testing::ValuesIn(faultCases()),
                         [](const auto& info) { return std::get<0>(info.param) + "_" + std::get<1>(info.param).name; });

}  // namespace
