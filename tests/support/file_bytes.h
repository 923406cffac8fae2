#pragma once

// Bytes as the tests make and compare them: a file's whole content, and a text in code page 932
// as a shop's register writes it (through Qt's own converter, apart from the program's module).

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringEncoder>

namespace test_support {

inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes `bytes` as the whole content of the file at `path`; false when it could not.
inline bool writeFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

inline QByteArray cp932(const QString& text)
{
    QStringEncoder encoder("windows-31j");
    return encoder.encode(text);
}

}  // namespace test_support
