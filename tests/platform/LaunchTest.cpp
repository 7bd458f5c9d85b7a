#include "platform/DesktopPlatform.h"
#include "support/FileHolder.h"
#include "support/ScopedEnv.h"
#include "support/TempFolder.h"

#include <QProcess>
#include <QTest>

#include <signal.h>

using namespace tuvano;
using namespace Qt::StringLiterals;
using test::ScopedEnv;
using test::TempFolder;
namespace failure = platform::launchFailure;

namespace {

#ifndef Q_OS_WIN

constexpr QFileDevice::Permissions kExecutable =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

class Launching : public ::testing::Test {
protected:
    TempFolder dir;
    platform::DesktopPlatform desktop;

    // A file in the folder, executable or not; returns its full path.
    QString program(const QString& name, const QByteArray& bytes, bool executable = true)
    {
        dir.write(name, bytes);
        if (executable) {
            EXPECT_TRUE(QFile::setPermissions(dir.file(name), kExecutable));
        }
        return dir.file(name);
    }

    // Waits for a file the started program writes (by renaming); its lines.
    QStringList linesOf(const QString& name)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return dir.exists(name); }, 5000)) << name.toStdString();
        return QString::fromUtf8(dir.read(name)).split(u'\n', Qt::SkipEmptyParts);
    }
};

struct Header {
    const char* name;
    QByteArray bytes;
    bool windows;
};

class TellingWindowsPrograms : public Launching, public ::testing::WithParamInterface<Header> {};

TEST_P(TellingWindowsPrograms, ByTheirFirstTwoBytes)
{
    EXPECT_EQ(platform::isWindowsProgram(program(u"lexaro.exe"_s, GetParam().bytes)),
              GetParam().windows);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TellingWindowsPrograms,
    ::testing::Values(Header{"Empty", "", false}, Header{"OneByte", "M", false},
                      Header{"Script", "#!/bin/sh\nexit 0\n", false},
                      Header{"Native",
                             "\x7f"
                             "ELF\x02\x01\x01",
                             false},
                      Header{"Reversed", "ZM\x90", false}, Header{"JustMZ", "MZ", true},
                      Header{"Windows", QByteArray("MZ\x90\0\x03\0", 6), true}),
    [](const auto& info) { return std::string(info.param.name); });

// Nothing can start: the reason is the one the user is told.
TEST_F(Launching, WhatCannotStartSaysWhy)
{
    const ScopedEnv wine("WINE", std::nullopt);
    const ScopedEnv path("PATH", "");
    dir.write(u"folder.exe/file"_s, "");
    const std::pair<QString, QString> cases[] = {
        {dir.file(u"lx2000.exe"_s), failure::kMissing.toString()},
        {dir.file(u"folder.exe"_s), failure::kMissing.toString()},
        {program(u"script"_s, "#!/bin/sh\nexit 0\n", false), failure::kNotExecutable.toString()},
        {program(u"lexaro.exe"_s, "MZ\x90", false), failure::noWine(u"wine"_s)},
    };
    for (const auto& [file, why] : cases) {
        const platform::Launch launch = desktop.launch(file);
        EXPECT_FALSE(launch.started()) << file.toStdString();
        EXPECT_EQ(launch.failure, why) << file.toStdString();
    }
    const ScopedEnv named("WINE", "/opt/no-wine/bin/wine");
    EXPECT_EQ(desktop.launch(dir.file(u"lexaro.exe"_s)).failure,
              failure::noWine(u"/opt/no-wine/bin/wine"_s));
}

// A stand-in for Wine that notes where it runs, what it was given and the
// prefix it sees.
const QByteArray kWineScript =
    "#!/bin/sh\nprintf '%s\\n%s\\n%s\\n' \"$(pwd)\" \"$1\" \"$WINEPREFIX\" > "
    "\"$(dirname \"$0\")/ran.new\"\nmv \"$(dirname \"$0\")/ran.new\" \"$(dirname \"$0\")/ran\"\n";

class ThroughWine : public Launching, public ::testing::WithParamInterface<bool> {};

TEST_P(ThroughWine, AWindowsProgramStartsInItsFolderWithItsFullPath)
{
    const bool named = GetParam();
    const QString wine = program(u"wine-bin/wine"_s, kWineScript);
    const ScopedEnv wineVar("WINE", named ? std::optional(wine.toLocal8Bit()) : std::nullopt);
    const QByteArray systemPath = qgetenv("PATH");
    const ScopedEnv path("PATH",
                         named ? systemPath : dir.file(u"wine-bin:"_s).toLocal8Bit() + systemPath);
    const ScopedEnv prefix("WINEPREFIX", "/home/anna/.wine-lexaro");
    const QString host = program(u"Lexaro/lexaro.exe"_s, "MZ\x90", false);

    const platform::Launch launch = desktop.launch(host);
    EXPECT_TRUE(launch.started()) << launch.failure.toStdString();
    EXPECT_EQ(linesOf(u"wine-bin/ran"_s),
              (QStringList{dir.file(u"Lexaro"_s), host, u"/home/anna/.wine-lexaro"_s}));
}

INSTANTIATE_TEST_SUITE_P(WineFrom, ThroughWine, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "WINE" : "PATH"; });

TEST_F(Launching, ANativeProgramRunsInItsFolderUntilItEnds)
{
    const QString host = program(u"Lexaro/lexaro.exe"_s,
                                 "#!/bin/sh\npwd > ran.new && mv ran.new ran\nexec sleep 30\n");
    const platform::Launch launch = desktop.launch(host);
    ASSERT_TRUE(launch.started()) << launch.failure.toStdString();
    EXPECT_EQ(linesOf(u"Lexaro/ran"_s), QStringList{dir.file(u"Lexaro"_s)});
    EXPECT_TRUE(desktop.processRunning(launch.pid));

    // Whoever adopted it may never reap it: ended is ended, zombie or not.
    ::kill(pid_t(launch.pid), SIGKILL);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !desktop.processRunning(launch.pid); }, 5000));
    EXPECT_FALSE(desktop.processRunning(0));
    EXPECT_FALSE(desktop.processRunning(-1));
}

#endif

// The look at the host's marker: there while the host keeps it open without
// sharing it, and never in the way of a host that makes and deletes it.
TEST(MarkerProbe, SeesAHeldMarkerAndNeverStandsInTheHostsWay)
{
#ifndef HAS_FILE_HOLDER
    GTEST_SKIP() << "only Windows lets a program keep others out of a file it has open";
#else
    TempFolder dir;
    const QString marker = dir.file(u"lx98temp.tmp"_s);
    platform::DesktopPlatform desktop;
    EXPECT_FALSE(desktop.canOpen(marker));
    dir.write(u"lx98temp.tmp"_s, {});
    {
        test::FileHolder host;
        ASSERT_TRUE(host.hold("none", marker, 500));
        EXPECT_TRUE(desktop.canOpen(marker));
    }
    dir.remove(u"lx98temp.tmp"_s);
    QProcess host;
    host.start(QString::fromUtf8(kFileHolder),
               {u"churn"_s, QDir::toNativeSeparators(marker), u"2000"_s});
    ASSERT_TRUE(host.waitForStarted());
    while (!host.waitForFinished(0))
        (void)desktop.canOpen(marker);
    EXPECT_EQ(host.readAllStandardOutput().trimmed(), "refused 0 of 2000");
#endif
}

} // namespace
