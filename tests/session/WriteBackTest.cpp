#include "SessionFixture.h"
#include "support/FaultyFileOps.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <string_view>

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

    // The program starts again on the folder, with the real file operations.
    void restart()
    {
        forms = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        platform.ops = &store::FileOps::real();
        platform.ended = false;
        platform.boxes.clear();
        platform.endHost();
        ASSERT_TRUE(start());
    }

    // The program's temporary and staged files anywhere in the folder.
    QStringList leftovers() const
    {
        QStringList found;
        for (const QString& name : dir.entries()) {
            const QString file = QFileInfo(name).fileName();
            if (store::isTempName(file) || store::isStageName(file))
                found << name;
        }
        return found;
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
    EXPECT_EQ(loadedMonitor(), nullptr);
    EXPECT_TRUE(main().tmrRun->isActive()); // a host started by hand is still taken over

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
    auto before = dir.snapshot();
    before.remove(u"tuvano.session"_s);
    monitor.chkSparaEj->setChecked(true);
    EXPECT_TRUE(dir.read(u"tuvano.session"_s).contains("\"changes\",\"discard\""));
    hostEnds();
    auto after = dir.snapshot();
    after.remove(u"tuvano.session"_s);
    for (DataFile f : ProfileFileSet::listing) {
        EXPECT_EQ(inProfile(u"2000000"_s, f), profileContent(u"2000000"_s, f));
        // the host's own files did change
        after.insert(store::fileName(f).toString(), before.value(store::fileName(f).toString()));
    }
    EXPECT_EQ(after, before);
    EXPECT_TRUE(platform.ended);
}

// A file that cannot be saved (here a write-protected profile file) keeps
// the whole old set in the profile: the user may try again, and only "Nej"
// gives the session up.
class FailedSave : public WriteBack, public ::testing::WithParamInterface<bool> {};

TEST_P(FailedSave, KeepsTheWholeOldSetUntilTheUserTriesAgain)
{
    const bool tryAgain = GetParam();
    annaRuns("#FALSE#");
    const QString recent = dir.file(u"profiles/2000000/recent.vwi"_s);
    QFile::setPermissions(recent, QFile::ReadOwner);
    platform.answers = {tryAgain ? platform::Answer::Yes : platform::Answer::No};
    platform.onMessage = [&](const test::Box& box) {
        EXPECT_TRUE(box.text.contains(qs("recent.vwi (filen är skrivskyddad: ")));
        for (DataFile f : ProfileFileSet::listing)
            EXPECT_EQ(inProfile(u"2000000"_s, f), profileContent(u"2000000"_s, f));
        QFile::setPermissions(recent, QFile::ReadOwner | QFile::WriteOwner);
        platform.onMessage = nullptr;
    };
    hostEnds();
    for (DataFile f : ProfileFileSet::listing)
        EXPECT_EQ(inProfile(u"2000000"_s, f),
                  tryAgain ? saved(f) : profileContent(u"2000000"_s, f));
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(dir.read(u"tuvano.session"_s).startsWith("\"phase\",\"idle\""));
    EXPECT_EQ(live(DataFile::Recent),
              profileContent(u"2000000"_s, DataFile::Recent) + "changed by the host");
    EXPECT_TRUE(main().cmdGo->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Session, FailedSave, ::testing::Bool());

// The order in which a start and a write-back reach the disk: each durable
// write is flushed before the rename that depends on it, and the record of
// the session before the step it announces.
TEST_F(WriteBack, EachStepReachesTheDiskBeforeTheStepThatDependsOnIt)
{
    test::FaultyFileOps ops;
    platform.ops = &ops;
    startWith(settings("#FALSE#", 0, "Anna", "#TRUE#"));
    const auto relative = [&](QStringList calls) {
        return calls.replaceInStrings(dir.path() + u'/', QString());
    };
    const QStringList record{
        u"writeNew .tuvano.session.tuvano-new"_s, u"flush .tuvano.session.tuvano-new"_s,
        u"rename .tuvano.session.tuvano-new -> tuvano.session"_s, u"flushFolder "_s + dir.path()};
    ops.calls.clear();
    main().cmdGo_Click();
    // Every file copied beside the live one, each old one given a second
    // name, each replaced, and only then the second names deleted.
    const QStringList names{u"lx98.vwi"_s, u"recent.vwi"_s, u"glblstat.vwi"_s, u"plug-in.vwi"_s,
                            u"ro.vwi"_s};
    const auto replacing = [&](const QString& folder, const QString& incoming) {
        QStringList steps;
        for (const QString& name : names)
            steps << u"link "_s + folder + name + u" -> "_s + folder + u'.' + name +
                         u".tuvano-old"_s;
        for (const QString& name : names)
            steps << u"rename "_s + folder + u'.' + name + incoming + u" -> "_s + folder + name;
        for (const QString& name : names)
            steps << u"remove "_s + folder + u'.' + name + u".tuvano-old"_s;
        return steps;
    };
    QStringList expected = QStringList{u"readAll profiles.map"_s} + record;
    for (const QString& name : names)
        expected << u"copyNew ."_s + name + u".tuvano-new"_s;
    expected << replacing(QString(), u".tuvano-new"_s) << record;
    EXPECT_EQ(relative(ops.calls), expected);

    hostStarts();
    ops.calls.clear();
    hostEnds();
    expected.clear();
    const QString profile = u"profiles/2000000/"_s;
    for (const char* f : {"lx98", "recent", "glblstat", "plug-in", "ro"}) {
        const QString stage = profile + u'.' + QString::fromLatin1(f) + u".vwi.tuvano-save"_s;
        expected << u"copyNew "_s + stage << u"flush "_s + stage;
    }
    expected << record << replacing(profile, u".tuvano-save"_s);
    expected << u"flushFolder profiles/2000000"_s << record;
    EXPECT_EQ(relative(ops.calls), expected);
}

// Each of the write-back's file operations fails in turn (a full disk, a
// locked file): the user is told and tries again, and after the next start
// at the latest the profile holds the whole new set.
class WriteBackFailure : public WriteBack, public ::testing::WithParamInterface<int> {};
// Staging five files (copy, flush), the record, a second name for each of
// the profile's files, five renames, the second names deleted, the folder
// flushed, the record of the end.
constexpr int kWriteBackOperations = 34;

TEST_P(WriteBackFailure, IsToldAndEndsWithTheWholeNewSet)
{
    test::FaultyFileOps ops;
    platform.ops = &ops;
    annaRuns("#TRUE#");
    ops.count = 0;
    ops.failAt = GetParam();
    platform.answers = {platform::Answer::Yes};
    hostEnds();
    ASSERT_TRUE(ops.injected);
    // A folder that cannot be flushed, or a second name that cannot be made
    // (a copy is made instead) or deleted, changes nothing the user needs to
    // hear of: the next start finds the save done. The record that says the
    // session is over is last, four operations: the next start writes it
    // again.
    const std::string_view op = ops.injected->operation;
    const bool passedOver = op == "flushFolder" || op == "link" || op == "remove" ||
                            GetParam() > kWriteBackOperations - 4;
    EXPECT_EQ(platform.boxes.size(), passedOver ? 0u : 1u) << ops.injected->operation;
    EXPECT_TRUE(platform.ended);
    restart();
    for (DataFile f : ProfileFileSet::listing)
        EXPECT_EQ(inProfile(u"2000000"_s, f), saved(f)) << ops.injected->operation;
    EXPECT_TRUE(dir.read(u"tuvano.session"_s).startsWith("\"phase\",\"idle\""));
    EXPECT_EQ(leftovers(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Session, WriteBackFailure, ::testing::Range(1, kWriteBackOperations + 1));

// A host this program did not start runs on the live files, whoever owns
// them: it is saved into their profile, or, when they are nobody's, the user
// hears truly why nothing was saved.
struct ByHand {
    const char* name;
    bool afterASession; // Anna's
    bool beforeTheFirstLook;
    const char* told; // "" nothing: saved into Anna's profile
};
void PrintTo(const ByHand& b, std::ostream* os) { *os << b.name; }

class HostByHand : public WriteBack, public ::testing::WithParamInterface<ByHand> {};

TEST_P(HostByHand, IsSavedIntoTheOwnersProfileOrToldWhyNot)
{
    const ByHand& b = GetParam();
    startWith(settings("#FALSE#", 0, "Bo", "#FALSE#"));
    if (!b.beforeTheFirstLook)
        QCoreApplication::processEvents(); // start-up's first look finds no host
    if (b.afterASession) {
        choose(u"Anna"_s);
        main().cmdGo_Click();
        hostStarts();
        hostEnds("first");
    }
    platform.boxes.clear();
    platform.others.insert(++platform.lastPid);
    const auto profiles = dir.snapshot();
    EXPECT_EQ(hostStarts().lblProfilnamn->text(),
              b.afterASession ? u"Profilnamn: Anna"_s : u"Profilnamn: Bo"_s);
    hostEnds("by hand");
    if (!*b.told) {
        EXPECT_TRUE(platform.boxes.empty()) << platform.titles().join(u", "_s).toStdString();
        EXPECT_TRUE(inProfile(u"2000000"_s, DataFile::Ro).endsWith("by hand"));
        EXPECT_EQ(inProfile(u"3000000"_s, DataFile::Ro),
                  profileContent(u"3000000"_s, DataFile::Ro));
        return;
    }
    auto after = dir.snapshot();
    for (DataFile f : ProfileFileSet::listing)
        after.insert(store::fileName(f).toString(), profiles.value(store::fileName(f).toString()));
    EXPECT_EQ(after, profiles);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(platform.boxes[0].text.startsWith(qs(b.told)))
        << platform.boxes[0].text.toStdString();
    EXPECT_TRUE(main().isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    WriteBack, HostByHand,
    ::testing::Values(ByHand{"BeforeTheProgramStarted", false, true, "Lexaro var redan igång"},
                      ByHand{"AfterTheProgramStarted", false, false, "Lexaro startades utan"},
                      ByHand{"AfterASession", true, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A crash (power cut, kill) at any file operation of the write-back: the
// next start asks, and the profile then holds its whole old set (Nej) or the
// whole session (Ja); a save already recorded is finished without a question.
class WriteBackCrash : public WriteBack, public ::testing::WithParamInterface<bool> {};

TEST_P(WriteBackCrash, LeavesTheWholeOldOrTheWholeNewSet)
{
    const bool save = GetParam();
    int points = 0;
    for (int crashAt = 1;; ++crashAt) {
        test::FaultyFileOps ops;
        platform.ops = &ops;
        forms = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        layOutHost();
        dir.remove(u"tuvano.session"_s);
        annaRuns("#FALSE#");
        for (DataFile f : ProfileFileSet::listing)
            dir.write(store::fileName(f).toString(), live(f) + "new");
        platform.endHost();
        ops.count = 0;
        ops.crashAt = crashAt;
        bool crashed = false;
        try {
            loadedMonitor()->tmrCheck_Timer();
        } catch (const test::SimulatedCrash&) {
            crashed = true;
        }
        if (!crashed)
            break;
        ++points;
        // From the moment the save is recorded, it is the user's no longer.
        const bool recorded = dir.read(u"tuvano.session"_s).contains("saving") ||
                              dir.read(u"tuvano.session"_s).contains("idle");
        platform.answers = {save ? platform::Answer::Yes : platform::Answer::No};
        restart();
        const bool asked = platform.answers.empty();
        EXPECT_EQ(asked, !recorded) << crashAt;
        for (DataFile f : ProfileFileSet::listing)
            EXPECT_EQ(inProfile(u"2000000"_s, f),
                      save || recorded ? saved(f, "new") : profileContent(u"2000000"_s, f))
                << crashAt;
        EXPECT_TRUE(dir.read(u"tuvano.session"_s).contains("idle")) << crashAt;
        EXPECT_EQ(leftovers(), QStringList()) << crashAt;
    }
    std::printf("write-back crash points tried: %d\n", points);
    EXPECT_GE(points, 17);
}

INSTANTIATE_TEST_SUITE_P(Session, WriteBackCrash, ::testing::Bool());

} // namespace
