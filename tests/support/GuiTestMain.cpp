#include "PrivateRuntime.h"

#include <QApplication>

#include <gtest/gtest.h>

// Window tests run against real widgets on the offscreen platform.
int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef Q_OS_WIN
    // The offscreen platform of Qt for Windows reads its fonts from
    // QT_QPA_FONTDIR alone, else from a folder of Qt's that holds none: every
    // text would be drawn in boxes as wide as they are high. The system's
    // fonts are what the program has on Windows.
    if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR"))
        qputenv("QT_QPA_FONTDIR", qgetenv("WINDIR") + "\\Fonts");
#endif
    const tuvano::test::PrivateRuntime runtime;
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
