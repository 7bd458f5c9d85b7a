#include "PrivateRuntime.h"

#include <QApplication>

#include <gtest/gtest.h>

// Window tests run against real widgets on the offscreen platform.
int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const tuvano::test::PrivateRuntime runtime;
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
