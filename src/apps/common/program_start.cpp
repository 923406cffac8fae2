#include "apps/common/program_start.h"

#include "apps/common/runtime_folder_warning.h"
#include "build_config.h"
#include "output/fonts.h"

#include <QGuiApplication>

namespace command_line {

std::unique_ptr<QCoreApplication> startProgram(int& argc, char** argv, const QString& name, bool painting)
{
    if (painting && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    hideRuntimeFolderWarning();
    std::unique_ptr<QCoreApplication> app
        = painting ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(build_config::kVersion));
    if (painting) {
        output::installFontSubstitutions();
    }
    return app;
}

}  // namespace command_line
