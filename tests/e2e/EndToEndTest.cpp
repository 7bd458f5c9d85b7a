#include "platform/HostProcesses.h"
#include "session/frmMonitor.h"
#include "store/HostContract.h"
#include "store/TextCodec.h"
#include "support/HostPlatform.h"
#include "support/WindowFixture.h"
#include "widgets/CommandLink.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

// Where the build put the programs (tests/CMakeLists.txt).
extern const char kStandinHost[];
extern const char kTuvanoProgram[];

using namespace tuvano;
using namespace Qt::StringLiterals;
using store::DataFile;

namespace {

// The built stand-in host installed as the host, in a program folder with a
// private temporary folder for its marker, started through the start button.
class EndToEnd : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QByteArray savedTmp = qgetenv("TMPDIR");
    test::TempFolder dir;
    std::unique_ptr<test::HostPlatform> platform;
    std::unique_ptr<shell::Forms> forms;

    EndToEnd()
    {
        qputenv("TMPDIR", tmp.path().toLocal8Bit());
        platform = std::make_unique<test::HostPlatform>(dir.path());
        EXPECT_TRUE(QFile::copy(QString::fromUtf8(kStandinHost), dir.file(u"lexaro.exe"_s)));
        // The host runs longer than one watch interval, so its start is seen.
        dir.write(u"standin-host.ini"_s,
                  "run-ms=4000\nappend=lx98.vwi:Hej fr\xc3\xa5n v\xc3\xa4rden\n");
        for (DataFile f : store::ProfileFileSet::listing)
            dir.write(store::fileName(f).toString(), "live");
    }

    ~EndToEnd() override
    {
        forms.reset();
        qputenv("TMPDIR", savedTmp);
    }

    void startAnna(const char* shutdown)
    {
        dir.write(u"tuvano.ini"_s,
                  QByteArray("#FALSE#\r\n0\r\n\"Anna\"\r\n") + shutdown + "\r\n#TRUE#\r\n");
        dir.write(u"profiles.map"_s, "\"Standardprofil\",\"1000000\"\r\n\"Anna\",\"2000000\"\r\n");
        for (DataFile f : store::ProfileFileSet::listing)
            dir.write(u"profiles/2000000/"_s + store::fileName(f),
                      "anna " + store::fileName(f).toLatin1() + "\r\n");
        forms = std::make_unique<shell::Forms>(*platform);
        ASSERT_TRUE(forms->loadMain());
        forms->main().show();
        QTest::mouseClick(forms->main().cmdGo, Qt::LeftButton);
    }

    void expectTheHostsChangeInAnnasProfile()
    {
        const QByteArray line = *store::codec::encode(u"Hej från värden\r\n"_s);
        for (DataFile f : store::ProfileFileSet::listing) {
            QByteArray expected = "anna " + store::fileName(f).toLatin1() + "\r\n";
            if (f == DataFile::Lx98)
                expected += line;
            EXPECT_EQ(dir.read(u"profiles/2000000/"_s + store::fileName(f)), expected);
        }
        EXPECT_FALSE(QFile::exists(store::HostRunMarker()));
    }
};

// The monitor is put above the host's windows, through the real platform
// too; where the window can tell (not on Windows' offscreen one), it says so.
void expectOnTop(const test::HostPlatform& platform, QWidget* monitor)
{
    EXPECT_NE(std::find(platform.pinned.begin(), platform.pinned.end(), std::pair{monitor, true}),
              platform.pinned.end());
#ifndef Q_OS_WIN
    EXPECT_TRUE(monitor->windowFlags() & Qt::WindowStaysOnTopHint);
#endif
}

// Hosts as real installations have them, each started with the start
// button: the session ends when the host has ended, never before.
struct HostKind {
    const char* name;
    QByteArray script; // more lines of the stand-in's script
    QByteArray wine;   // WINE while the host is started; the host is then a Windows program
    bool clockStepped; // the computer's last start seems to lie after the marker's making
    bool saved;        // whether the host's change lands in the profile
};
void PrintTo(const HostKind& kind, std::ostream* os) { *os << kind.name; }

class Hosts : public EndToEnd, public ::testing::WithParamInterface<HostKind> {};

TEST_P(Hosts, TheSessionEndsOnlyWhenTheHostHasEnded)
{
    const HostKind& kind = GetParam();
#ifdef Q_OS_WIN
    if (!kind.wine.isEmpty())
        GTEST_SKIP() << "Windows runs Windows programs itself: WINE means nothing there";
#endif
    dir.write(u"standin-host.ini"_s, dir.read(u"standin-host.ini"_s) + kind.script);
    if (!kind.wine.isEmpty())
        dir.write(u"lexaro.exe"_s, "MZ, but no Windows program");
    const QByteArray savedWine = qgetenv("WINE");
    qputenv("WINE", kind.wine);
    if (kind.clockStepped)
        platform->boot = QDateTime::currentDateTime().addSecs(3600);
    startAnna("#FALSE#");
    qputenv("WINE", savedWine);
    if (!kind.saved) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !platform->boxes.empty(); }, 15000));
        EXPECT_EQ(platform->titles(), QStringList{u"Lexaro kunde inte startas"_s});
        EXPECT_TRUE(platform->boxes[0].text.contains(u"felkod 1"_s));
        EXPECT_TRUE(forms->main().cmdGo->isEnabled());
        EXPECT_TRUE(forms->main().isVisible());
        for (DataFile f : store::ProfileFileSet::listing)
            EXPECT_EQ(dir.read(store::fileName(f).toString()),
                      "anna " + store::fileName(f).toLatin1() + "\r\n");
        EXPECT_TRUE(dir.exists(u"tuvano.session"_s));
        return;
    }
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return session::monitor(forms->context()) != nullptr; }, 15000));
    expectOnTop(*platform, session::monitor(forms->context()));
    EXPECT_FALSE(forms->main().isVisible());
    // While the host's process runs the monitor claims no end of it.
    const test::SessionEnd end = test::waitForTheSessionsEnd(*forms, 15000);
    ASSERT_TRUE(end.ended);
    EXPECT_FALSE(end.claimedAnEnd);
    EXPECT_TRUE(forms->main().isVisible());
    expectTheHostsChangeInAnnasProfile();
    EXPECT_FALSE(platform->ended);
    EXPECT_TRUE(platform->boxes.empty()) << platform->titles().join(u", "_s).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    EndToEnd, Hosts,
    ::testing::Values(HostKind{"Plain", {}, {}, false, true},
                      // A launcher starts the real host and ends at once.
                      HostKind{"Launcher", "hand-over-ms=3500\n", {}, false, true},
                      // The process runs a while before its marker says so.
                      HostKind{"SlowStart", "start-ms=3500\n", {}, false, true},
                      // Its marker goes first, its lines come later.
                      HostKind{"WritesAfterItsMarkerHasGone", "linger-ms=3500\n", {}, false, true},
                      HostKind{"MarkerOlderThanTheLastStart", {}, {}, true, true},
                      HostKind{"WineThatFailsAtOnce", {}, "/bin/false", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The program is killed while the host runs, or while it is still starting;
// the host goes on and ends normally. The next start settles the session as
// it stood: a host that has ended is asked about, and told Ja saves exactly
// the host's changes into the profile; one that was still starting is
// waited for and taken over with the profile, without a question.
class KilledProgram : public EndToEnd, public ::testing::WithParamInterface<bool> {};

TEST_P(KilledProgram, TheNextStartGoesOnFromWhereTheSessionStood)
{
    const bool starting = GetParam();
    if (starting)
        dir.write(u"standin-host.ini"_s, dir.read(u"standin-host.ini"_s) + "start-ms=5000\n");
    dir.write(u"tuvano.ini"_s, "#FALSE#\r\n1\r\n\"Anna\"\r\n#FALSE#\r\n#TRUE#\r\n");
    dir.write(u"profiles.map"_s, "\"Standardprofil\",\"1000000\"\r\n\"Anna\",\"2000000\"\r\n");
    for (DataFile f : store::ProfileFileSet::listing)
        dir.write(u"profiles/2000000/"_s + store::fileName(f),
                  "anna " + store::fileName(f).toLatin1() + "\r\n");
    // Under the built program's own name: on Windows only a name ending in
    // .exe is started as a program.
    const QString copied = dir.file(QFileInfo(QString::fromUtf8(kTuvanoProgram)).fileName());
    ASSERT_TRUE(QFile::copy(QString::fromUtf8(kTuvanoProgram), copied));

    // The countdown of one second starts Anna by itself.
    // Its output is a pipe, which is gone once it is killed.
    QProcess program;
    program.start(copied, {});
    ASSERT_TRUE(program.waitForStarted(10000));
    const auto hostRuns = [&] {
        return !platform->runningHosts().empty();
    };
    ASSERT_TRUE(QTest::qWaitFor(hostRuns, 20000));
    if (!starting) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(store::HostRunMarker()); }, 20000));
    }
    EXPECT_EQ(QFile::exists(store::HostRunMarker()), !starting);
    EXPECT_TRUE(dir.read(u"tuvano.session"_s).contains("\"live\""));
    program.kill();
    ASSERT_TRUE(program.waitForFinished(10000));
    if (!starting) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !hostRuns(); }, 20000));
    }

    platform->answers = {platform::Answer::Yes};
    forms = std::make_unique<shell::Forms>(*platform);
    ASSERT_TRUE(forms->loadMain());
    forms->main().show();
    if (starting) {
        EXPECT_TRUE(platform->boxes.empty());
        EXPECT_TRUE(forms->main().cmdWait->isVisibleTo(&forms->main()));
        EXPECT_FALSE(forms->main().cmdGo->isEnabled());
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return session::monitor(forms->context()) != nullptr; }, 20000));
        EXPECT_EQ(session::monitor(forms->context())->lblProfilnamn->text(), u"Profilnamn: Anna"_s);
        ASSERT_TRUE(QTest::qWaitFor([&] { return forms->main().cmdGo->isEnabled(); }, 20000));
        EXPECT_TRUE(platform->boxes.empty()) << platform->titles().join(u", "_s).toStdString();
    } else {
        EXPECT_TRUE(platform->answers.empty());
        ASSERT_EQ(platform->titles(), QStringList{u"Avbruten session"_s});
    }
    expectTheHostsChangeInAnnasProfile();
    EXPECT_TRUE(dir.read(u"tuvano.session"_s).startsWith("\"phase\",\"idle\""));
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, KilledProgram, ::testing::Bool(), [](const auto& info) {
    return info.param ? "WhileItsHostStarts" : "WhileItsHostRuns";
});

// The host is known by what runs, whoever started it: a stand-in started
// from outside is found by its folder's file, by another path to the same
// file too, and another folder's copy is not.
TEST_F(EndToEnd, TheHostsProcessesAreFoundWhoeverStartedThem)
{
    dir.write(u"standin-host.ini"_s, "run-ms=20000\n");
    test::TempFolder other;
    ASSERT_TRUE(QFile::copy(dir.file(u"lexaro.exe"_s), other.file(u"lexaro.exe"_s)));
    QStringList paths{dir.file(u"lx2000.exe"_s), dir.file(u"lexaro.exe"_s)};
    QProcess host;
    host.setProgram(dir.file(u"lexaro.exe"_s));
    host.setWorkingDirectory(dir.path());
    host.start();
    ASSERT_TRUE(host.waitForStarted(10000));
    const auto found = [&](const QStringList& programs) {
        const std::vector<qint64> pids = platform::processesRunning(programs);
        return std::find(pids.begin(), pids.end(), host.processId()) != pids.end();
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return found(paths); }, 10000));
    EXPECT_FALSE(found({other.file(u"lexaro.exe"_s)}));
#ifdef Q_OS_WIN
    EXPECT_TRUE(found({dir.file(u"LEXARO.EXE"_s)}));
#else
    ASSERT_TRUE(QFile::link(dir.path(), other.file(u"link"_s)));
    EXPECT_TRUE(found({other.file(u"link/lexaro.exe"_s)}));
#endif
    host.kill();
    ASSERT_TRUE(host.waitForFinished(10000));
    EXPECT_FALSE(found(paths));
}

TEST_F(EndToEnd, WithShutdownTheProgramEndsAfterTheWriteBack)
{
    startAnna("#TRUE#");
    ASSERT_TRUE(QTest::qWaitFor([&] { return platform->ended; }, 30000));
    expectTheHostsChangeInAnnasProfile();
}

} // namespace
