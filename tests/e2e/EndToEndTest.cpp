#include "session/frmMonitor.h"
#include "store/HostContract.h"
#include "store/TextCodec.h"
#include "support/HostPlatform.h"
#include "support/WindowFixture.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

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
        EXPECT_TRUE(QFile::copy(QStringLiteral(STANDIN_HOST), dir.file(u"lexaro.exe"_s)));
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return forms->main().cmdGo->isEnabled(); }, 15000));
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
                      HostKind{"MarkerOlderThanTheLastStart", {}, {}, true, true},
                      HostKind{"WineThatFailsAtOnce", {}, "/bin/false", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The program is killed while the host runs; the host goes on and ends
// normally. The next start asks about the session cut short, and told Ja
// saves exactly the host's changes into the profile.
TEST_F(EndToEnd, ASessionWhoseProgramWasKilledIsSavedAtTheNextStart)
{
    dir.write(u"tuvano.ini"_s, "#FALSE#\r\n1\r\n\"Anna\"\r\n#FALSE#\r\n#TRUE#\r\n");
    dir.write(u"profiles.map"_s, "\"Standardprofil\",\"1000000\"\r\n\"Anna\",\"2000000\"\r\n");
    for (DataFile f : store::ProfileFileSet::listing)
        dir.write(u"profiles/2000000/"_s + store::fileName(f),
                  "anna " + store::fileName(f).toLatin1() + "\r\n");
    // Under the built program's own name: on Windows only a name ending in
    // .exe is started as a program.
    const QString copied = dir.file(QFileInfo(QStringLiteral(TUVANO_PROGRAM)).fileName());
    ASSERT_TRUE(QFile::copy(QStringLiteral(TUVANO_PROGRAM), copied));

    // The countdown of one second starts Anna by itself.
    // Its output is a pipe, which is gone once it is killed.
    QProcess program;
    program.start(copied, {});
    ASSERT_TRUE(program.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(store::HostRunMarker()); }, 20000));
    EXPECT_TRUE(dir.read(u"tuvano.session"_s).contains("\"live\""));
    program.kill();
    ASSERT_TRUE(program.waitForFinished(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(store::HostRunMarker()); }, 20000));

    platform->answers = {platform::Answer::Yes};
    forms = std::make_unique<shell::Forms>(*platform);
    ASSERT_TRUE(forms->loadMain());
    EXPECT_TRUE(platform->answers.empty());
    ASSERT_EQ(platform->titles(), QStringList{u"Avbruten session"_s});
    expectTheHostsChangeInAnnasProfile();
    EXPECT_TRUE(dir.read(u"tuvano.session"_s).startsWith("\"phase\",\"idle\""));
}

TEST_F(EndToEnd, WithShutdownTheProgramEndsAfterTheWriteBack)
{
    startAnna("#TRUE#");
    ASSERT_TRUE(QTest::qWaitFor([&] { return platform->ended; }, 30000));
    expectTheHostsChangeInAnnasProfile();
}

} // namespace
