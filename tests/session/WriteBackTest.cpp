#include "SessionFixture.h"
#include "support/FaultyFileOps.h"

#include <QCoreApplication>

#include <cstdio>

using namespace tuvano;
using namespace Qt::StringLiterals;
using store::DataFile;
using store::ProfileFileSet;
using test::qs;

namespace {

class WriteBack : public test::SessionFixture {
protected:
    void SetUp() override { installHost(); }

    // Anna started with the start button, the host running.
    session::frmMonitor& annaRuns(const char* shutdown)
    {
        startWith(settings("#FALSE#", 0, "Anna", shutdown));
        main().cmdGo_Click();
        return hostStarts();
    }

    QByteArray saved(DataFile f, const QByteArray& change = "changed by the host")
    {
        return profileContent(u"2000000"_s, f) + change;
    }
};

TEST_F(WriteBack, TheHostsChangesLandInTheProfileAndTheProgramEnds)
{
    annaRuns("#TRUE#");
    hostEnds();
    for (DataFile f : ProfileFileSet::listing)
        EXPECT_EQ(inProfile(u"2000000"_s, f), saved(f));
    EXPECT_TRUE(platform.ended);
    EXPECT_FALSE(main().isVisible());
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(dir.entries().filter(u".tuvano-new"_s), QStringList());
}

TEST_F(WriteBack, WithoutShutdownTheStartWindowReturnsReadyForTheNext)
{
    session::frmMonitor& monitor = annaRuns("#FALSE#");
    EXPECT_TRUE(monitor.isVisible());
    hostEnds();
    EXPECT_FALSE(platform.ended);
    EXPECT_TRUE(main().isVisible());
    EXPECT_TRUE(main().cmdGo->isEnabled());
    EXPECT_EQ(forms->monitor(), nullptr);
    EXPECT_FALSE(main().tmrRun->isActive());

    // A second session at once, with a fresh monitor.
    choose(u"Bo"_s);
    main().cmdGo_Click();
    EXPECT_EQ(live(DataFile::Ro), profileContent(u"3000000"_s, DataFile::Ro));
    EXPECT_TRUE(main().tmrRun->isActive());
    EXPECT_EQ(hostStarts().chkSparaEj->checkState(), Qt::Unchecked);
}

TEST_F(WriteBack, TickedDontSaveLeavesTheProfileAsItWas)
{
    session::frmMonitor& monitor = annaRuns("#TRUE#");
    const auto before = dir.snapshot();
    monitor.chkSparaEj->setChecked(true);
    hostEnds();
    auto after = dir.snapshot();
    for (DataFile f : ProfileFileSet::listing) {
        EXPECT_EQ(inProfile(u"2000000"_s, f), profileContent(u"2000000"_s, f));
        after.remove(store::fileName(f).toString()); // the host's own files did change
    }
    for (DataFile f : ProfileFileSet::listing)
        after.insert(store::fileName(f).toString(), before.value(store::fileName(f).toString()));
    EXPECT_EQ(after, before);
    EXPECT_TRUE(platform.ended);
}

TEST_F(WriteBack, AFileMissingFromTheHostFolderKeepsTheProfilesCopyAndIsTold)
{
    annaRuns("#FALSE#");
    for (DataFile f : ProfileFileSet::listing)
        dir.write(store::fileName(f).toString(), live(f) + "x");
    QFile::remove(dir.file(u"recent.vwi"_s));
    platform.hostRunning = false;
    forms->monitor()->tmrCheck_Timer();

    EXPECT_EQ(inProfile(u"2000000"_s, DataFile::Recent),
              profileContent(u"2000000"_s, DataFile::Recent));
    EXPECT_EQ(inProfile(u"2000000"_s, DataFile::Lx98), saved(DataFile::Lx98, "x"));
    EXPECT_EQ(inProfile(u"2000000"_s, DataFile::Ro), saved(DataFile::Ro, "x"));
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(platform.boxes[0].text.contains(u"recent.vwi"_s));
    EXPECT_FALSE(platform.boxes[0].text.contains(u"lx98.vwi"_s));
    EXPECT_TRUE(main().isVisible());
    EXPECT_TRUE(main().cmdGo->isEnabled());
}

// Each of the write-back's file operations fails in turn (a full disk, a
// locked file): every profile file is then its old or its new content, the
// failure is told, and the session still ends as set.
class WriteBackFailure : public WriteBack, public ::testing::WithParamInterface<int> {};

TEST_P(WriteBackFailure, LeavesEveryFileOldOrNewAndTellsTheUser)
{
    annaRuns("#TRUE#");
    test::FaultyFileOps ops;
    platform.ops = &ops;
    forms = nullptr; // the folder's operations are taken at start
    ASSERT_TRUE(start());
    main().cmdGo_Click();
    hostStarts();
    ops.count = 0;
    ops.failAt = GetParam();
    hostEnds();
    int old = 0;
    for (DataFile f : ProfileFileSet::listing) {
        const QByteArray now = inProfile(u"2000000"_s, f);
        EXPECT_TRUE(now == profileContent(u"2000000"_s, f) || now == saved(f)) << now.constData();
        old += now == profileContent(u"2000000"_s, f);
    }
    // A folder that cannot be flushed after a rename keeps the new file.
    const bool told = ops.injected && std::string_view(ops.injected->operation) != "flushFolder";
    EXPECT_EQ(old, told ? 1 : 0);
    EXPECT_EQ(platform.boxes.size(), old == 1 ? 1u : 0u);
    EXPECT_TRUE(platform.ended);
    EXPECT_EQ(dir.entries().filter(u".tuvano-new"_s), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Session, WriteBackFailure, ::testing::Range(1, 11));

TEST_F(WriteBack, WithNoProfileStartedNothingIsCopiedAndTheUserIsTold)
{
    startWith(settings("#FALSE#", 0, "Anna", "#FALSE#"));
    hostStarts(); // the host ran before the program started
    const auto profiles = dir.snapshot();
    hostEnds();
    auto after = dir.snapshot();
    for (DataFile f : ProfileFileSet::listing)
        after.insert(store::fileName(f).toString(), profiles.value(store::fileName(f).toString()));
    EXPECT_EQ(after, profiles);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(platform.boxes[0].text.contains(qs("inte sparats")));
    EXPECT_TRUE(main().isVisible());
}

// A crash (power cut, kill) at any file operation of the write-back: every
// profile file is whole, its old or its new content, and the next start
// leaves no temporary file.
TEST_F(WriteBack, ACrashAtAnyStepLeavesEveryProfileFileWhole)
{
    int points = 0;
    for (int crashAt = 1;; ++crashAt) {
        test::FaultyFileOps ops;
        platform.ops = &ops;
        forms = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        layOutHost();
        startWith(settings("#FALSE#", 0, "Anna", "#FALSE#"));
        main().cmdGo_Click();
        hostStarts();
        for (DataFile f : ProfileFileSet::listing)
            dir.write(store::fileName(f).toString(), live(f) + "new");
        platform.hostRunning = false;
        ops.count = 0;
        ops.crashAt = crashAt;
        bool crashed = false;
        try {
            forms->monitor()->tmrCheck_Timer();
        } catch (const test::SimulatedCrash&) {
            crashed = true;
        }
        for (DataFile f : ProfileFileSet::listing) {
            const QByteArray now = inProfile(u"2000000"_s, f);
            EXPECT_TRUE(now == profileContent(u"2000000"_s, f) || now == saved(f, "new"))
                << crashAt << " " << now.constData();
        }
        store::ProgramFolder(dir.path()).removeLeftovers();
        EXPECT_EQ(dir.entries().filter(u".tuvano-new"_s), QStringList()) << crashAt;
        if (!crashed)
            break;
        ++points;
    }
    std::printf("write-back crash points tried: %d\n", points);
    EXPECT_GE(points, 10);
}

} // namespace
