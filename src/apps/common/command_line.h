#pragma once

// What the command-line programs share: messages, usage errors, --help and --version.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QString>

#include <cstdio>

namespace command_line {

// Writes `text` to `stream` at once, in the locale's encoding.
inline void say(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Reports `problem` with the usage text on standard error.
inline void sayUsageError(const QCommandLineParser& parser, const QString& problem)
{
    say(stderr, QStringLiteral("%1: %2\n\n").arg(QCoreApplication::applicationName(), problem) + parser.helpText());
}

// Answers --help or --version when one was given; true when the program is then done.
inline bool answeredHelpOrVersion(const QCommandLineParser& parser)
{
    if (parser.isSet(QStringLiteral("help"))) {
        say(stdout, parser.helpText());
        return true;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        say(stdout,
            QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion()));
        return true;
    }
    return false;
}

}  // namespace command_line
