#include "platform/SingleInstance.h"

#include "support/TempFolder.h"

#include <QLockFile>
#include <QTest>

#include <gtest/gtest.h>

#include <future>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using tuvano::platform::SingleInstance;
using tuvano::test::TempFolder;

namespace {

// Asks from another thread, as a second process would, while this thread's
// event loop lets the first copy answer.
SingleInstance::Reply askWhileAnswering(const QString& folder)
{
    auto reply = std::async(std::launch::async,
                            [folder] { return SingleInstance(folder).askRunningCopy(5000); });
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
        10000));
    return reply.get();
}

TEST(SingleInstance, ASecondCopyIsRefusedAndTheFirstComesForward)
{
    TempFolder dir;
    int asked = 0;
    SingleInstance first(dir.path());
    ASSERT_TRUE(first.acquire([&] {
        ++asked;
        return true;
    }));
    const auto before = dir.snapshot();

    SingleInstance second(dir.path());
    EXPECT_FALSE(second.acquire([] { return true; }));
    EXPECT_EQ(askWhileAnswering(dir.path()), SingleInstance::Reply::Shown);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(dir.snapshot(), before);
}

TEST(SingleInstance, ACopyWhoseHostRunsAnswersBusy)
{
    TempFolder dir;
    SingleInstance first(dir.path());
    ASSERT_TRUE(first.acquire([] { return false; }));
    EXPECT_EQ(askWhileAnswering(dir.path()), SingleInstance::Reply::Busy);
}

TEST(SingleInstance, CopiesInOtherFoldersDoNotMeet)
{
    TempFolder one;
    TempFolder two;
    SingleInstance first(one.path());
    ASSERT_TRUE(first.acquire([] { return true; }));
    SingleInstance other(two.path());
    EXPECT_TRUE(other.acquire([] { return true; }));
}

TEST(SingleInstance, TheLockOfAKilledCopyDoesNotBlockTheNextStart)
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
    EXPECT_TRUE(next.acquire([] { return true; }));
}

TEST(SingleInstance, NobodyAnsweringIsSilent)
{
    TempFolder dir;
    EXPECT_EQ(SingleInstance(dir.path()).askRunningCopy(200), SingleInstance::Reply::Silent);
}

} // namespace
