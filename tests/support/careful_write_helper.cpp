// Saves one file with the careful writer, so that tests can save as another user (under setpriv).
//   usage: careful_write_helper TARGET SOURCE
// Writes the bytes of SOURCE to TARGET. Prints "ok", or "failed", the reason and the kept copy's
// path on three lines; the exit status is 0 for ok and 1 otherwise.
#include "core/files/careful_write.h"

#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: careful_write_helper TARGET SOURCE\n");
        return 2;
    }
    QFile source(QFile::decodeName(argv[2]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 2;
    }
    const files::FileWriteResult outcome = files::writeFileCarefully(QFile::decodeName(argv[1]), source.readAll());
    if (outcome.ok) {
        std::printf("ok\n");
        return 0;
    }
    std::printf("failed\n%s\n%s\n", outcome.error.toLocal8Bit().constData(),
                outcome.keptCopyPath.toLocal8Bit().constData());
    return 1;
}
