#include "platform/SingleInstance.h"
#include "support/TempFolder.h"

#include <QLockFile>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using tuvano::platform::SingleInstance;
using tuvano::test::TempFolder;

namespace {

TEST(SingleInstance, ASecondCopyIsRefusedAndTheFirstComesForward)
{
    TempFolder dir;
    int asked = 0;
    SingleInstance first(dir.path());
    ASSERT_TRUE(first.acquire([&] { ++asked; }));
    EXPECT_FALSE(first.previousRunWasCutShort());
    const auto before = dir.snapshot();

    SingleInstance second(dir.path());
    EXPECT_FALSE(second.acquire([] {}));
    EXPECT_TRUE(second.askRunningCopy());
    EXPECT_TRUE(QTest::qWaitFor([&] { return asked == 1; }, 5000));
    EXPECT_EQ(dir.snapshot(), before);
}

TEST(SingleInstance, CopiesInOtherFoldersDoNotMeet)
{
    TempFolder one;
    TempFolder two;
    SingleInstance first(one.path());
    ASSERT_TRUE(first.acquire([] {}));
    SingleInstance other(two.path());
    EXPECT_TRUE(other.acquire([] {}));
}

TEST(SingleInstance, TheLockOfAKilledCopyIsTakenOverAndSaysSo)
{
    TempFolder dir;
    const QString lockPath = dir.file(SingleInstance::lockFileName());
    const pid_t child = fork();
    if (child == 0) {
        QLockFile lock(lockPath);
        lock.tryLock(0);
        _exit(0); // gone without unlocking, as a killed copy
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(dir.exists(SingleInstance::lockFileName()));

    SingleInstance next(dir.path());
    EXPECT_TRUE(next.acquire([] {}));
    EXPECT_TRUE(next.previousRunWasCutShort());
}

TEST(SingleInstance, ACopyThatEndedNormallyLeavesNothingToTakeOver)
{
    TempFolder dir;
    {
        SingleInstance first(dir.path());
        ASSERT_TRUE(first.acquire([] {}));
        first.release();
    }
    SingleInstance next(dir.path());
    EXPECT_TRUE(next.acquire([] {}));
    EXPECT_FALSE(next.previousRunWasCutShort());
}

TEST(SingleInstance, WithNobodyRunningThereIsNobodyToAsk)
{
    TempFolder dir;
    EXPECT_FALSE(SingleInstance(dir.path()).askRunningCopy());
}

} // namespace
