// Entry point of the GUI tests: one QApplication for the whole run, on the offscreen platform
// unless another one was asked for.
#include "output/fonts.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    output::installFontSubstitutions();
    return RUN_ALL_TESTS();
}
