// Starts the PostgreSQL server the catalogue's test cases share (CTest runs each case as a program of
// its own), or stops it: postgres_fixture start|stop FOLDER. A server that cannot start is said and
// is no failure: each case then starts its own, or skips as it says.

#include "support/postgres_server.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() != 3 || (arguments[1] != QLatin1String("start") && arguments[1] != QLatin1String("stop"))) {
        std::fprintf(stderr, "usage: postgres_fixture start|stop FOLDER\n");
        return 1;
    }
    if (arguments[1] == QLatin1String("stop")) {
        test_support::PostgresServer::stopIn(arguments[2]);
        return 0;
    }
    QString problem;
    if (!test_support::PostgresServer::startIn(arguments[2], &problem)) {
        std::printf("no shared PostgreSQL server: %s\n", qPrintable(problem));
    }
    return 0;
}
