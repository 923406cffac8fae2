// Entry point of the GUI tests: one QApplication for the whole run, on the offscreen platform
// unless another one was asked for.
#include "output/fonts.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The windows keep choices in the settings file: the tests' go to a folder of their own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QTemporaryDir data;  // and the editors the program opens look codes up in no catalogue of the user's
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    output::installFontSubstitutions();
    return RUN_ALL_TESTS();
}
