#include "session/frmMonitor.h"
#include "shell/Forms.h"
#include "shell/frmMain.h"
#include "store/HostContract.h"
#include "store/TextCodec.h"
#include "support/HostPlatform.h"
#include "support/ScopedEnv.h"
#include "widgets/CommandLink.h"

#include <QFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <list>

// Where the build put the Windows host, empty without one, and the prefix
// (tests/CMakeLists.txt).
extern const char kStandinHostWin[];
extern const char kWinePrefix[];

using namespace tuvano;
using namespace Qt::StringLiterals;
using store::DataFile;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The Windows stand-in host installed as the host in a folder on the C: drive
// of a private Wine prefix (booted by the test run before this test), started
// through the start button with the real launch, probe and timers.
class WineEndToEnd : public ::testing::Test {
protected:
    const QString prefix = QString::fromUtf8(kWinePrefix);
    QTemporaryDir tmp;
    std::list<test::ScopedEnv> env;
    std::unique_ptr<QTemporaryDir> folder;
    std::unique_ptr<test::HostPlatform> platform;
    std::unique_ptr<shell::Forms> forms;

    void SetUp() override
    {
        if (QString::fromUtf8(kStandinHostWin).isEmpty())
            GTEST_SKIP() << "built without x86_64-w64-mingw32-gcc: no Windows stand-in host";
        if (QStandardPaths::findExecutable(u"wine"_s).isEmpty())
            GTEST_SKIP() << "Wine is not installed";
        if (!QFile::exists(prefix + u"/system.reg"_s))
            GTEST_SKIP() << "no booted Wine prefix in " << qPrintable(prefix)
                         << ": run through ctest, whose fixture boots it";
        env.emplace_back("WINEPREFIX", prefix.toLocal8Bit());
        env.emplace_back("WINEDEBUG", "-all");
        env.emplace_back("WINE", std::nullopt);
        env.emplace_back("TMPDIR", tmp.path().toLocal8Bit());

        folder = std::make_unique<QTemporaryDir>(prefix + u"/drive_c/Lexaro-XXXXXX"_s);
        ASSERT_TRUE(folder->isValid());
        ASSERT_TRUE(QFile::copy(QString::fromUtf8(kStandinHostWin), file(u"lexaro.exe"_s)));
        for (DataFile f : store::ProfileFileSet::listing)
            ASSERT_TRUE(write(file(store::fileName(f).toString()), "live"));
        ASSERT_TRUE(
            write(file(u"tuvano.ini"_s), "#FALSE#\r\n0\r\n\"Anna\"\r\n#FALSE#\r\n#TRUE#\r\n"));
        ASSERT_TRUE(write(file(u"profiles.map"_s),
                          "\"Standardprofil\",\"1000000\"\r\n\"Anna\",\"2000000\"\r\n"));
        ASSERT_TRUE(QDir(folder->path()).mkpath(u"profiles/2000000"_s));
        for (DataFile f : store::ProfileFileSet::listing)
            ASSERT_TRUE(write(annas(f), original(f)));
        platform = std::make_unique<test::HostPlatform>(folder->path());
    }

    void TearDown() override
    {
        forms.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString file(const QString& name) const { return folder->filePath(name); }
    QString annas(DataFile f) const { return file(u"profiles/2000000/"_s + store::fileName(f)); }
    static QByteArray original(DataFile f)
    {
        return "anna " + store::fileName(f).toLatin1() + "\r\n";
    }
};

// Hosts as real installations have them: a plain one, a launcher that starts
// the real host and ends at once, one that writes after its marker has gone.
// The host's processes under Wine are known by what runs: the monitor never
// claims an end while one of them does, and the session ends only when all
// have.
struct WineHost {
    const char* name;
    QByteArray script; // standin-host.ini beside it
};
void PrintTo(const WineHost& host, std::ostream* os) { *os << host.name; }

class WineHosts : public WineEndToEnd, public ::testing::WithParamInterface<WineHost> {};

TEST_P(WineHosts, TheWindowsHostsLineLandsInTheProfileAndTheWindowReturns)
{
    ASSERT_TRUE(write(file(u"standin-host.ini"_s), GetParam().script));
    forms = std::make_unique<shell::Forms>(*platform);
    ASSERT_TRUE(forms->loadMain());
    forms->main().show();
    QTest::mouseClick(forms->main().cmdGo, Qt::LeftButton);
    ASSERT_EQ(forms->context().session.hostProcesses.size(), 1u)
        << "boxes: " << platform->boxes.size();

    ASSERT_TRUE(
        QTest::qWaitFor([&] { return session::monitor(forms->context()) != nullptr; }, 30000));
    EXPECT_FALSE(forms->main().isVisible());
    const test::SessionEnd end = test::waitForTheSessionsEnd(*forms, 30000);
    ASSERT_TRUE(end.ended);
    EXPECT_FALSE(end.claimedAnEnd);
    EXPECT_TRUE(forms->main().isVisible());

    const QByteArray line = *store::codec::encode(u"Hej från Wine\r\n"_s);
    for (DataFile f : store::ProfileFileSet::listing)
        EXPECT_EQ(readAll(annas(f)), original(f) + (f == DataFile::Lx98 ? line : QByteArray()))
            << store::fileName(f).toString().toStdString();
    EXPECT_FALSE(platform->markerPresent());
    EXPECT_TRUE(platform->boxes.empty());
    EXPECT_TRUE(platform->runningHosts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Wine, WineHosts,
    ::testing::Values(WineHost{"Plain", {}}, WineHost{"Launcher", "hand-over-ms=3500\r\n"},
                      WineHost{"WritesAfterItsMarkerHasGone", "linger-ms=3500\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
