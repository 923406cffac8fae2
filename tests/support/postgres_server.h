#pragma once

// A PostgreSQL server of the test program's own: initdb and pg_ctl from /usr/lib/postgresql/*/bin,
// listening only on a unix socket in a temporary folder, with password authentication. The server
// refuses to run as root, so under root (CI) it runs as the postgres user (or nobody). Started at
// the first use, once per test program, and stopped when the program ends (a benchmark makes its
// own with PostgresServer::startOwn()). Where CTest runs each case as a program of its own, one
// server serves them all: postgres_fixture starts it in a folder before the first case and stops it
// after the last, and TANAFUDA_TEST_POSTGRES names that folder to the cases.

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace test_support {

class PostgresServer {
public:
    static constexpr const char* kUser = "tanafuda";
    static constexpr const char* kPassword = "shelf-tags";

    // The shared server; check running() (and skipReason()) before use.
    static PostgresServer& shared()
    {
        static PostgresServer* server = [] {
            const QString folder = qEnvironmentVariable("TANAFUDA_TEST_POSTGRES");
            if (!folder.isEmpty() && QFileInfo::exists(folder + QStringLiteral("/.s.PGSQL.5432"))) {
                return new PostgresServer(folder);
            }
            auto* made = new PostgresServer();
            ::testing::AddGlobalTestEnvironment(new Stopper(made));
            return made;
        }();
        return *server;
    }

    // A server left running in `folder` (the fixture's start), or stopped there (its stop).
    static bool startIn(const QString& folder, QString* problem)
    {
        PostgresServer server(nullptr);
        server.folder_ = folder;
        server.start();
        *problem = server.skipReason_;
        server.running_ = false;  // it outlives this program
        return problem->isEmpty();
    }
    static void stopIn(const QString& folder)
    {
        PostgresServer server(folder);
        server.pgCtl_ = binFolder() + QStringLiteral("/pg_ctl");
        server.data_ = folder + QStringLiteral("/data");
        if (::geteuid() == 0) {
            struct stat info { };
            if (::stat(QFile::encodeName(folder).constData(), &info) == 0) {
                server.uid_ = info.st_uid;
                server.gid_ = info.st_gid;
            }
        }
        server.running_ = true;
        server.stop();
        QDir(folder).removeRecursively();
    }

    // A server of the caller's own, stopped when it is destroyed.
    static std::unique_ptr<PostgresServer> startOwn() { return std::unique_ptr<PostgresServer>(new PostgresServer()); }
    ~PostgresServer() { stop(); }

    bool running() const { return running_; }
    const QString& skipReason() const { return skipReason_; }
    QString socketFolder() const { return dir_ ? dir_->path() : folder_; }

    // A fresh, empty database; its address for --database (with the password) in `url`.
    bool createDatabase(QString* url, QString* error)
    {
        const QString name = QStringLiteral("t%1_%2").arg(::getpid()).arg(++databases_);
        if (!runStatement(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE %1").arg(name), error)) {
            return false;
        }
        *url = urlFor(name, QString::fromLatin1(kPassword));
        return true;
    }

    // Runs one statement outside a transaction (CREATE DATABASE, VACUUM) in `database`.
    bool runStatement(const QString& database, const QString& statement, QString* error)
    {
        bool ok = false;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("test-admin"));
            db.setHostName(socketFolder());
            db.setUserName(QString::fromLatin1(kUser));
            db.setPassword(QString::fromLatin1(kPassword));
            db.setDatabaseName(database);
            ok = db.open();
            if (ok) {
                QSqlQuery query(db);
                ok = query.exec(statement);
                if (!ok) {
                    *error = query.lastError().text();
                }
            } else {
                *error = db.lastError().text();
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("test-admin"));
        return ok;
    }

    QString urlFor(const QString& database, const QString& password) const
    {
        return QStringLiteral("postgresql://%1:%2@localhost/%3?host=%4")
            .arg(QString::fromLatin1(kUser), password, database, socketFolder());
    }

private:
    struct Stopper : ::testing::Environment {
        explicit Stopper(PostgresServer* server) : server_(server) { }
        void TearDown() override { server_->stop(); }
        PostgresServer* server_;
    };

    PostgresServer() { start(); }
    // The server another program started in `folder`: used, never stopped, by this one.
    explicit PostgresServer(const QString& folder) : folder_(folder), running_(true) { }
    PostgresServer(std::nullptr_t) { }

    static QString binFolder()
    {
        const QStringList versions
            = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (auto it = versions.crbegin(); it != versions.crend(); ++it) {
            const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*it);
            if (QFileInfo::exists(bin + QStringLiteral("/initdb"))
                && QFileInfo::exists(bin + QStringLiteral("/pg_ctl"))) {
                return bin;
            }
        }
        return {};
    }

    // Runs a server program, as the unprivileged user when this process is root.
    bool runAsServerUser(const QString& program, const QStringList& arguments, QString* output)
    {
        QProcess process;
        if (::geteuid() == 0) {
            process.start(QStringLiteral("setpriv"),
                          QStringList {QStringLiteral("--reuid=%1").arg(uid_), QStringLiteral("--regid=%1").arg(gid_),
                                       QStringLiteral("--clear-groups"), program}
                              + arguments);
        } else {
            process.start(program, arguments);
        }
        const bool finished = process.waitForFinished(120000);
        *output = QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError()).right(600);
        return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }

    void start()
    {
        const QString bin = binFolder();
        if (bin.isEmpty()) {
            skipReason_
                = QStringLiteral("PostgreSQL is not installed (no initdb/pg_ctl under /usr/lib/postgresql/*/bin)");
            return;
        }
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
            skipReason_ = QStringLiteral("Qt's PostgreSQL driver (libqt6sql6-psql) is not installed");
            return;
        }
        if (::geteuid() == 0) {
            const passwd* user = ::getpwnam("postgres");
            user = user ? user : ::getpwnam("nobody");
            if (!user) {
                skipReason_ = QStringLiteral(
                    "running as root and no unprivileged user (postgres, nobody) to run the server as");
                return;
            }
            uid_ = user->pw_uid;
            gid_ = user->pw_gid;
        }
        // Short path: a socket's path is limited to about 100 bytes.
        if (folder_.isEmpty()) {
            dir_ = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/tfpg-XXXXXX"));
        } else {
            // A server an interrupted run left in the folder is stopped before the folder is made anew.
            if (QFileInfo::exists(folder_ + QStringLiteral("/data/postmaster.pid"))) {
                QString output;
                runAsServerUser(bin + QStringLiteral("/pg_ctl"),
                                {QStringLiteral("-D"), folder_ + QStringLiteral("/data"), QStringLiteral("-m"),
                                 QStringLiteral("immediate"), QStringLiteral("stop")},
                                &output);
            }
            QDir(folder_).removeRecursively();
        }
        const QString folder = dir_ ? dir_->path() : folder_;
        if ((dir_ && !dir_->isValid()) || (!dir_ && !QDir().mkpath(folder))
            || (::geteuid() == 0 && ::chown(QFile::encodeName(folder).constData(), uid_, gid_) != 0)) {
            skipReason_ = QStringLiteral("cannot make the server's temporary folder");
            return;
        }
        const QString passwordFile = folder + QStringLiteral("/pw");
        QFile pw(passwordFile);
        if (!pw.open(QIODevice::WriteOnly) || pw.write(kPassword) < 0) {
            skipReason_ = QStringLiteral("cannot write the password file");
            return;
        }
        pw.close();
        if (::geteuid() == 0) {
            ::chown(QFile::encodeName(passwordFile).constData(), uid_, gid_);
        }
        data_ = folder + QStringLiteral("/data");
        QString output;
        if (!runAsServerUser(bin + QStringLiteral("/initdb"),
                             {QStringLiteral("-D"), data_, QStringLiteral("-U"), QString::fromLatin1(kUser),
                              QStringLiteral("-A"), QStringLiteral("scram-sha-256"),
                              QStringLiteral("--pwfile=") + passwordFile, QStringLiteral("-E"), QStringLiteral("UTF8"),
                              QStringLiteral("--no-locale"), QStringLiteral("--no-sync")},
                             &output)) {
            skipReason_ = QStringLiteral("initdb failed: ") + output;
            return;
        }
        pgCtl_ = bin + QStringLiteral("/pg_ctl");
        if (!runAsServerUser(pgCtl_,
                             {QStringLiteral("-D"), data_, QStringLiteral("-w"), QStringLiteral("-l"),
                              folder + QStringLiteral("/log"), QStringLiteral("-o"),
                              QStringLiteral("-k %1 -c listen_addresses= -F -c max_connections=40").arg(folder),
                              QStringLiteral("start")},
                             &output)) {
            skipReason_ = QStringLiteral("pg_ctl start failed: ") + output;
            return;
        }
        running_ = true;
    }

    void stop()
    {
        if (running_) {
            QString output;
            runAsServerUser(pgCtl_,
                            {QStringLiteral("-D"), data_, QStringLiteral("-m"), QStringLiteral("immediate"),
                             QStringLiteral("stop")},
                            &output);
            running_ = false;
        }
    }

    std::unique_ptr<QTemporaryDir> dir_;
    QString folder_;  // the server's folder when it is not a temporary one of this program's
    QString data_;
    QString pgCtl_;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    bool running_ = false;
    QString skipReason_;
    int databases_ = 0;
};

}  // namespace test_support
