#include "support/PrivateRuntime.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

// The process tests wait with an event loop running, which needs an application.
int main(int argc, char* argv[])
{
    const tuvano::test::PrivateRuntime runtime;
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
