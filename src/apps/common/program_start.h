#pragma once

// How every command-line program starts: on Qt's offscreen platform unless QT_QPA_PLATFORM says
// otherwise (drawing a page needs no display), with the runtime-folder warning hidden, the
// program's name and version set, and the fonts the pages ask for mapped to those installed.

#include <QCoreApplication>
#include <QString>

#include <memory>

namespace command_line {

// With `painting`, a GUI application with the font substitutions; without (a run that only lists
// or records), a plain application, which spares the platform plugin and fontconfig.
std::unique_ptr<QCoreApplication> startProgram(int& argc, char** argv, const QString& name, bool painting = true);

}  // namespace command_line
