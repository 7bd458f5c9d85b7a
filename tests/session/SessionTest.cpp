#include "SessionFixture.h"
#include "session/Activation.h"
#include "support/FaultyFileOps.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

using namespace tuvano;
using namespace Qt::StringLiterals;
using platform::Icon;
using store::DataFile;
using store::ProfileFileSet;
using test::qs;

namespace {

const QString kStoppedAnna =
    qs("Automatiskt profilval med profil Anna är valt.\nNedräkningen stoppad av musklick.");

class StartButton : public test::SessionFixture {
protected:
    void SetUp() override
    {
        installHost();
        startWith(settings("#FALSE#", 10, "Anna", "#FALSE#"));
    }
};

TEST_F(StartButton, SwapsTheProfilesFilesInAndLaunchesTheHost)
{
    choose(u"Bo"_s);
    QTest::mouseClick(main().cmdGo, Qt::LeftButton);
    for (DataFile f : ProfileFileSet::listing)
        EXPECT_EQ(live(f), profileContent(u"3000000"_s, f));
    EXPECT_EQ(platform.launched, QStringList{dir.file(u"lexaro.exe"_s)});
    EXPECT_EQ(forms->context().session.hostProcesses, std::vector<qint64>{platform.lastPid});
    EXPECT_FALSE(main().cmdGo->isEnabled());
    EXPECT_TRUE(main().tmrRun->isActive());
    EXPECT_EQ(state().sProfileFolder, dir.file(u"profiles/3000000"_s));
    EXPECT_EQ(main().lblAutoval->text(), kStoppedAnna);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(StartButton, LaunchesBothExecutablesInTheirOrder)
{
    installHost("lx2000.exe");
    main().cmdGo_Click();
    EXPECT_EQ(platform.launched,
              (QStringList{dir.file(u"lx2000.exe"_s), dir.file(u"lexaro.exe"_s)}));
    EXPECT_EQ(forms->context().session.hostProcesses.size(), 2u);
    EXPECT_TRUE(platform.boxes.empty());
}

// The live files already hold the profile's copy: the user may start the
// host by hand, which is taken over, or start again.
TEST_F(StartButton, WithoutAHostTheUserIsToldWhyAndTheButtonReturns)
{
    QFile::remove(dir.file(u"lexaro.exe"_s));
    main().cmdGo_Click();
    EXPECT_TRUE(platform.launched.isEmpty());
    EXPECT_TRUE(forms->context().session.hostProcesses.empty());
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].title, u"Lexaro kunde inte startas"_s);
    EXPECT_EQ(platform.boxes[0].icon, Icon::Exclamation);
    EXPECT_EQ(platform.boxes[0].text,
              u"Lexaro kunde inte startas.\n\n"_s + dir.shown(u"lx2000.exe"_s) +
                  qs(": filen finns inte.\n") + dir.shown(u"lexaro.exe"_s) +
                  qs(": filen finns inte.\n\nProfilens filer ligger på plats. Om Du startar "
                     "Lexaro på egen hand tar Lexaro Tuvano! över som vanligt."));
    EXPECT_TRUE(main().cmdGo->isEnabled());
    EXPECT_TRUE(main().tmrRun->isActive());
    main().tmrRun_Timer(); // no host yet: the session waits for one
    EXPECT_TRUE(dir.exists(u"tuvano.session"_s));

    hostStarts();
    hostEnds();
    EXPECT_EQ(inProfile(u"2000000"_s, DataFile::Lx98),
              profileContent(u"2000000"_s, DataFile::Lx98) + "changed by the host");
}

// A file the profile lacks is passed over, as the start button's path wants,
// and the user hears of it; the host's own file in its place is the
// profile's, and is saved into it with the others.
TEST_F(StartButton, AFileTheProfileLacksIsToldAndTheHostsOwnIsSavedIntoIt)
{
    QFile::remove(dir.file(u"profiles/2000000/recent.vwi"_s));
    main().cmdGo_Click();
    EXPECT_FALSE(dir.exists(u"recent.vwi"_s));
    EXPECT_EQ(live(DataFile::Ro), profileContent(u"2000000"_s, DataFile::Ro));
    EXPECT_FALSE(platform.launched.isEmpty());
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(platform.boxes[0].text.contains(qs("saknar följande filer:\n\n    recent.vwi")));
    EXPECT_FALSE(platform.boxes[0].text.contains(qs("egna exemplar")));

    hostStarts();
    dir.write(u"recent.vwi"_s, "the host's own");
    hostEnds("!");
    EXPECT_EQ(inProfile(u"2000000"_s, DataFile::Recent), "the host's own!");
    EXPECT_EQ(inProfile(u"2000000"_s, DataFile::Ro),
              profileContent(u"2000000"_s, DataFile::Ro) + "!");
    EXPECT_EQ(platform.boxes.size(), 1u);
}

TEST_F(StartButton, AProfileWithoutItsFolderSaysSoAtTheStartAndSavesNothingAtTheEnd)
{
    QDir(dir.file(u"profiles/2000000"_s)).removeRecursively();
    main().cmdGo_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(platform.boxes[0].text.contains(qs("saknar sin mapp")));
    hostStarts();
    hostEnds();
    EXPECT_FALSE(dir.exists(u"profiles/2000000"_s));
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_TRUE(platform.boxes[1].text.contains(qs("Inga filer lästes in")));
    EXPECT_FALSE(platform.boxes[1].text.contains(qs("tidigare version")));
}

TEST_F(StartButton, IsBusyWhileASessionIsUnderWay)
{
    main().cmdGo->setEnabled(false);
    const auto before = dir.snapshot();
    EXPECT_EQ(session::StartProfile(forms->context(), u"Anna"_s, session::OnFailure::PassOver),
              session::StartOutcome::Busy);
    EXPECT_EQ(dir.snapshot(), before);
    EXPECT_TRUE(platform.launched.isEmpty());
}

TEST_F(StartButton, TheLaterOfTwoRecordsWithTheSameNameIsUsed)
{
    dir.write(u"profiles.map"_s, dir.read(u"profiles.map"_s) + "\"Anna\",\"3000000\"\r\n");
    main().cmdGo_Click();
    EXPECT_EQ(state().sProfileFolder, dir.file(u"profiles/3000000"_s));
}

// A name that lost its record is never started with another profile's files,
// not even those of the profile started before it.
TEST_F(StartButton, ANameWithoutARecordIsRefusedAndNothingIsTouched)
{
    main().cmdGo_Click(); // Anna, once
    hostStarts();
    hostEnds();
    dir.write(u"profiles.map"_s, "\"Standardprofil\",\"1000000\"\r\n\"Bo\",\"3000000\"\r\n");
    const auto before = dir.snapshot();
    platform.launched.clear();
    platform.boxes.clear();

    main().cmdGo_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(platform.boxes[0].text.contains(u"Anna"_s));
    EXPECT_TRUE(main().cmdGo->isEnabled());
    EXPECT_EQ(dir.snapshot(), before);
    EXPECT_TRUE(platform.launched.isEmpty());
}

TEST_F(StartButton, ANameDifferingOnlyInCaseHasNoRecord)
{
    dir.write(u"profiles.map"_s, "\"anna\",\"2000000\"\r\n\"Anna \",\"3000000\"\r\n");
    const auto before = dir.snapshot();
    main().cmdGo_Click();
    EXPECT_EQ(dir.snapshot(), before);
    EXPECT_TRUE(main().cmdGo->isEnabled());
}

// --- Quick start ------------------------------------------------------------

class QuickStart : public test::SessionFixture {
protected:
    void SetUp() override { installHost(); }
};

TEST_F(QuickStart, AChoiceStartsTheProfileAndTheLineNamesTheDefault)
{
    startWith(settings("#TRUE#", 10, "Anna"));
    choose(u"Bo"_s);
    EXPECT_EQ(live(DataFile::Lx98), profileContent(u"3000000"_s, DataFile::Lx98));
    EXPECT_FALSE(main().cmdGo->isEnabled());
    EXPECT_EQ(platform.launched.size(), 1);
    EXPECT_EQ(main().lblAutoval->text(), kStoppedAnna);
}

TEST_F(QuickStart, OffAChoiceOnlyStopsTheCountdown)
{
    startWith(settings("#FALSE#", 10, "Anna"));
    const auto before = dir.snapshot();
    choose(u"Bo"_s);
    EXPECT_EQ(dir.snapshot(), before);
    EXPECT_TRUE(main().cmdGo->isEnabled());
    EXPECT_EQ(main().lblAutoval->text(), kStoppedAnna);
    EXPECT_FALSE(main().tmrDefault->isActive());
}

TEST_F(QuickStart, AChoiceWhileTheWindowIsHiddenStartsNothing)
{
    startWith(settings("#TRUE#", 0, "Anna"));
    main().hide();
    choose(u"Bo"_s);
    EXPECT_TRUE(platform.launched.isEmpty());
}

TEST_F(QuickStart, AChoiceDuringASessionHasNoEffect)
{
    startWith(settings("#TRUE#", 10, "Anna"));
    choose(u"Bo"_s);
    main().lblAutoval->setText(u"x"_s);
    const auto before = dir.snapshot();
    choose(u"Anna"_s);
    EXPECT_EQ(dir.snapshot(), before);
    EXPECT_EQ(main().lblAutoval->text(), u"x"_s);
}

TEST_F(QuickStart, AFileMissingFromTheProfileEndsTheProgramNamingIt)
{
    startWith(settings("#TRUE#", 0, "Anna"));
    QFile::remove(dir.file(u"profiles/3000000/glblstat.vwi"_s));
    const auto before = dir.snapshot();
    choose(u"Bo"_s);
    EXPECT_TRUE(platform.ended);
    EXPECT_TRUE(platform.fatal.contains(dir.shown(u"profiles/3000000/glblstat.vwi"_s)))
        << platform.fatal.toStdString();
    EXPECT_TRUE(platform.launched.isEmpty());
    // No live file was replaced: the next session finds all five as they were.
    dir.remove(u"tuvano.session"_s);
    EXPECT_EQ(dir.snapshot(), before);
}

// --- The countdown ------------------------------------------------------------

class Countdown : public test::SessionFixture {
protected:
    void SetUp() override { installHost(); }
    QString line() { return main().lblAutoval->text(); }
    QString counting(const char* name, int n)
    {
        return qs("Automatiskt profilval med profil ") + qs(name) + qs(" kommer att ske om ") +
               QString::number(n) + qs(" sekunder.");
    }
};

TEST_F(Countdown, ThreeTwoOneZeroThenTheDefaultStarts)
{
    startWith(settings("#FALSE#", 3, "Anna"));
    EXPECT_EQ(line(), counting("Anna", 3));
    main().tmrDefault_Timer();
    EXPECT_EQ(line(), counting("Anna", 2));
    main().tmrDefault_Timer();
    EXPECT_EQ(line(), counting("Anna", 1));
    EXPECT_TRUE(platform.launched.isEmpty());
    main().tmrDefault_Timer();
    EXPECT_EQ(line(), qs("Automatiskt profilval med profil Anna har skett."));
    EXPECT_FALSE(main().tmrDefault->isActive());
    EXPECT_FALSE(main().cmdGo->isEnabled());
    EXPECT_EQ(live(DataFile::Ro), profileContent(u"2000000"_s, DataFile::Ro));
    EXPECT_EQ(platform.launched.size(), 1);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(Countdown, AnOddLengthCountsDownFromItself)
{
    startWith(settings("#FALSE#", 5, "Anna"));
    for (int n = 4; n >= 1; --n) {
        main().tmrDefault_Timer();
        EXPECT_EQ(line(), counting("Anna", n));
    }
    main().tmrDefault_Timer();
    EXPECT_EQ(platform.launched.size(), 1);
}

TEST_F(Countdown, AClickAfterTheStartReplacesTheDoneText)
{
    startWith(settings("#FALSE#", 1, "Anna"));
    main().tmrDefault_Timer();
    main().onInfoFrameClicked();
    EXPECT_EQ(line(), kStoppedAnna);
}

TEST_F(Countdown, AMissingDefaultIsToldAndTheListsProfileStarts)
{
    startWith(settings("#FALSE#", 1, "Borta"));
    main().tmrDefault_Timer();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].title, u"Fel vid automatiskt profilval"_s);
    EXPECT_EQ(platform.boxes[0].icon, Icon::Critical);
    EXPECT_EQ(platform.boxes[0].text,
              qs("Den profil som har lagrats som förval har tagits bort!\n\nAutomatiskt "
                 "profilval har därför inte kunnat ske med profilen Borta.\nIstället har "
                 "Lexaro Tuvano! automatiskt använt profilen Bo.\n\nOm Du inte vill ha detta "
                 "felmeddelande i fortsättningen, kontrollera inställningarna!"));
    EXPECT_EQ(line(), qs("Automatiskt profilval med profil Bo har skett."));
    EXPECT_EQ(live(DataFile::Ro), profileContent(u"3000000"_s, DataFile::Ro));
}

// A host taken over while the missing-default message is open has the live
// files: once the message is closed, the countdown swaps nothing under it.
TEST_F(Countdown, ATakeoverWhileItsMessageIsOpenWins)
{
    startWith(settings("#FALSE#", 1, "Borta"));
    const auto before = dir.snapshot();
    platform.onMessage = [&](const test::Box&) {
        hostStarts();
    };
    main().tmrDefault_Timer();
    EXPECT_EQ(dir.snapshot(), before);
    EXPECT_TRUE(platform.launched.isEmpty());
    EXPECT_NE(loadedMonitor(), nullptr);
}

TEST_F(Countdown, ASessionUnderWayAtZeroStartsNothing)
{
    startWith(settings("#FALSE#", 1, "Anna"));
    main().cmdGo->setEnabled(false);
    const auto before = dir.snapshot();
    main().tmrDefault_Timer();
    EXPECT_EQ(line(), counting("Anna", 0));
    EXPECT_EQ(dir.snapshot(), before);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(Countdown, AnEmptyListIsToldTwiceAndStartsNothing)
{
    startWith(settings("#FALSE#", 1, "Anna"), {});
    main().tmrDefault_Timer();
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_TRUE(platform.boxes[0].text.contains(qs("använt profilen .")));
    EXPECT_EQ(platform.boxes[1].text, qs("Otillåtet menyval - försök igen!"));
    EXPECT_EQ(platform.boxes[1].title, u"Fel"_s);
    EXPECT_TRUE(main().cmdGo->isEnabled());
    EXPECT_TRUE(platform.launched.isEmpty());
}

TEST_F(Countdown, WithoutAHostTheFilesAreSwappedAndTheDoneTextShown)
{
    startWith(settings("#FALSE#", 1, "Anna"));
    QFile::remove(dir.file(u"lexaro.exe"_s));
    main().tmrDefault_Timer();
    EXPECT_EQ(line(), qs("Automatiskt profilval med profil Anna har skett."));
    EXPECT_EQ(live(DataFile::Ro), profileContent(u"2000000"_s, DataFile::Ro));
}

TEST_F(Countdown, AFailingCopyEndsTheProgramNamingTheFile)
{
    startWith(settings("#FALSE#", 1, "Anna"));
    QFile::remove(dir.file(u"profiles/2000000/plug-in.vwi"_s));
    main().tmrDefault_Timer();
    EXPECT_TRUE(platform.ended);
    EXPECT_TRUE(platform.fatal.contains(u"plug-in.vwi"_s));
    EXPECT_TRUE(platform.launched.isEmpty());
}

// --- The host runs: takeover --------------------------------------------------

class Takeover : public test::SessionFixture {
protected:
    void SetUp() override { installHost(); }
};

TEST_F(Takeover, TheMonitorStandsOnTopNamingTheProfile)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    choose(u"Bo"_s);
    main().cmdGo_Click();
    main().tmrRun_Timer(); // the host has not started yet
    EXPECT_TRUE(main().isVisible());
    EXPECT_EQ(loadedMonitor(), nullptr);

    session::frmMonitor& monitor = hostStarts();
    EXPECT_FALSE(main().isVisible());
    EXPECT_TRUE(monitor.isVisible());
    EXPECT_EQ(monitor.windowTitle(), qs("Profilövervakare"));
    EXPECT_EQ(monitor.lblProfilnamn->text(), u"Profilnamn: Bo"_s);
    EXPECT_EQ(monitor.chkSparaEj->text(),
              qs("&Spara inte ändringar i profil efter denna session."));
    EXPECT_EQ(monitor.chkSparaEj->checkState(), Qt::Unchecked);
    EXPECT_EQ(monitor.palette().color(QPalette::Window), QColor(224, 224, 224));
    ASSERT_EQ(platform.pinned.size(), 1u);
    EXPECT_EQ(platform.pinned[0], std::make_pair(static_cast<QWidget*>(&monitor), true));
    EXPECT_FALSE(main().tmrRun->isActive());
    EXPECT_TRUE(monitor.tmrCheck->isActive());
    EXPECT_EQ(monitor.tmrCheck->interval(), 3000);
    test::expectAccessibleNames(&monitor);
}

// What the monitor tells of the host, whoever started it, and what closing
// it does. A host process that runs keeps the session going, even after its
// marker has gone; a marker left without one shows the way out, even on a
// monitor not meant to be seen; closing the monitor while a host runs only
// says so, and otherwise asks, with going on waiting as the default.
struct Watching {
    const char* name;
    bool launcher; // the launched process ended at once; the real host runs
    bool killed;   // the host's process is gone, its marker stays
    bool markerGone;
    platform::Answer answer;  // to the question, when closing the monitor asks one
    const char* note;         // what the monitor then says; "" nothing
    const char* told;         // what closing it tells or asks
    const char* startAfterJa; // what a start after Ja says; "" it starts
};
void PrintTo(const Watching& w, std::ostream* os) { *os << w.name; }

class WatchingTheHost : public test::SessionFixture,
                        public ::testing::WithParamInterface<Watching> {};

TEST_P(WatchingTheHost, TellsWhatIsSeenAndEndsOnlyWhenTheHostHasEnded)
{
    const Watching& w = GetParam();
    installHost();
    startWith(settings("#FALSE#", 0, "Anna", "#FALSE#", "#FALSE#"));
    main().cmdGo_Click();
    if (w.launcher) {
        platform.running.clear();
        platform.others.insert(++platform.lastPid);
    }
    session::frmMonitor& monitor = hostStarts();
    EXPECT_FALSE(monitor.windowFlags() & Qt::WindowCloseButtonHint);
    if (w.killed) {
        platform.running.clear();
        platform.others.clear();
    }
    platform.hostRunning = !w.markerGone;
    dir.write(u"ro.vwi"_s, "the host's last word");
    monitor.tmrCheck_Timer();
    ASSERT_NE(loadedMonitor(), nullptr) << "the session ended while a host runs";
    EXPECT_EQ(monitor.wayOutNote->isVisibleTo(&monitor), *w.note != 0);
    EXPECT_TRUE(monitor.wayOutNote->text().contains(qs(w.note)));
    EXPECT_EQ(monitor.wayOut->isVisibleTo(&monitor), w.killed);
    EXPECT_EQ(monitor.isVisible(), *w.note != 0); // the monitor is not meant to be seen

    const bool asks = w.killed;
    // While the question is open the marker goes and the watch looks: only
    // the user's answer may end the wait.
    platform.onMessage = [&](const test::Box&) {
        platform.hostRunning = false;
        monitor.tmrCheck_Timer();
        EXPECT_NE(loadedMonitor(), nullptr);
    };
    if (asks)
        platform.answers = {w.answer};
    monitor.close();
    platform.onMessage = {};
    ASSERT_EQ(platform.boxes.size(), 1u) << platform.titles().join(u", "_s).toStdString();
    EXPECT_EQ(platform.boxes[0].buttons,
              asks ? platform::Buttons::YesNoDefaultNo : platform::Buttons::Ok);
    EXPECT_TRUE(platform.boxes[0].text.contains(qs(w.told))) << w.told;
    EXPECT_FALSE(platform.boxes[0].text.contains(qs("kraschat")));
    const bool ja = asks && w.answer == platform::Answer::Yes;
    EXPECT_EQ(inProfile(u"2000000"_s, DataFile::Ro),
              ja ? QByteArray("the host's last word") : profileContent(u"2000000"_s, DataFile::Ro));
    EXPECT_EQ(loadedMonitor() == nullptr, ja);
    if (!ja)
        return;
    EXPECT_TRUE(main().cmdGo->isEnabled());
    EXPECT_TRUE(main().tmrRun->isActive()); // the wait has ended, not the watch
    platform.boxes.clear();
    platform.hostRunning = !w.markerGone;
    platform.answers = {platform::Answer::No};
    choose(u"Bo"_s);
    main().cmdGo_Click();
    EXPECT_EQ(platform.titles().join(QString()), qs(w.startAfterJa));
    if (*w.startAfterJa) {
        EXPECT_EQ(platform.boxes[0].buttons, platform::Buttons::YesNoDefaultNo);
    }
    EXPECT_EQ(live(DataFile::Ro) == "the host's last word", *w.startAfterJa != 0);
}

using platform::Answer;
INSTANTIATE_TEST_SUITE_P(
    Takeover, WatchingTheHost,
    ::testing::Values(
        Watching{"Running", false, false, false, Answer::No, "", "Lexaro körs fortfarande", ""},
        Watching{"ThroughALauncher", true, false, false, Answer::No, "", "Lexaro körs fortfarande",
                 ""},
        Watching{"MarkerGoneWhileItRuns", false, false, true, Answer::No,
                 "markeringsfil är borta, men Lexaro körs fortfarande",
                 "markeringsfil är borta, men Lexaro körs fortfarande", ""},
        Watching{"KilledNej", false, true, false, Answer::No, "ser inget Lexaro som körs",
                 "ser inget Lexaro som körs", ""},
        Watching{"KilledJa", false, true, false, Answer::Yes, "ser inget Lexaro som körs",
                 "ser inget Lexaro som körs", "Lexaro verkar köra"},
        // The real host of a launcher, which this program did not start.
        Watching{"ThroughALauncherKilledJa", true, true, false, Answer::Yes,
                 "ser inget Lexaro som körs", "ser inget Lexaro som körs", "Lexaro verkar köra"}),
    [](const auto& info) { return std::string(info.param.name); });

// Start-up's own messages let the watch tick: a running host is taken over
// only once start-up has finished, and then at once.
TEST_F(Takeover, NotDuringStartUpButAsSoonAsItHasFinished)
{
    layOutStore(settings("#FALSE#", 0, "Anna"), kProfiles);
    dir.remove(u"tuvano.ini"_s);
    platform.hostRunning = true;
    platform.onMessage = [&](const test::Box&) {
        forms->main().tmrRun_Timer();
        EXPECT_EQ(loadedMonitor(), nullptr);
    };
    ASSERT_TRUE(start());
    ASSERT_EQ(platform.boxes.size(), 1u); // the settings file was missing
    EXPECT_EQ(loadedMonitor(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_NE(loadedMonitor(), nullptr);
    EXPECT_FALSE(main().isVisible());
}

// A marker from before the computer's last start is no sign of a host.
TEST_F(Takeover, AMarkerOlderThanTheComputersStartIsToldAndNotTakenOver)
{
    dir.write(u"lx98temp.tmp"_s, {});
    QFile marker(platform.marker);
    ASSERT_TRUE(marker.open(QIODevice::ReadWrite));
    marker.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime);
    marker.close();
    platform.boot = QDateTime::currentDateTime().addDays(-1);
    platform.hostRunning = true;
    startWith(settings("#FALSE#", 0, "Anna"));
    QCoreApplication::processEvents();
    main().tmrRun_Timer();
    EXPECT_EQ(loadedMonitor(), nullptr);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(platform.boxes[0].text.contains(qs("före datorns senaste start")));
}

// A launcher hands over to the real host and ends at once; the host makes
// its marker later. The launcher's end is no end of the session, and the
// wait shows with its way out meanwhile.
TEST_F(Takeover, ALauncherThatEndsAtOnceIsNoEndOfTheSession)
{
    installHost();
    startWith(settings("#FALSE#", 0, "Anna", "#FALSE#"));
    main().cmdGo_Click();
    platform.running.clear();
    main().tmrRun_Timer();
    EXPECT_FALSE(main().cmdGo->isEnabled());
    EXPECT_TRUE(main().cmdWait->isVisibleTo(&main()));
    EXPECT_TRUE(main().lblWait->text().contains(u"Anna"_s));
    EXPECT_TRUE(platform.boxes.empty());
    hostStarts();
    hostEnds("from the real host");
    EXPECT_EQ(inProfile(u"2000000"_s, DataFile::Ro),
              profileContent(u"2000000"_s, DataFile::Ro) + "from the real host");
    EXPECT_FALSE(main().waitPanel->isVisibleTo(&main()));
}

// The marker's folder is watched: its coming and going are acted on without
// waiting for the timers.
TEST_F(Takeover, TheMarkersComingAndGoingAreSeenWithoutTheTimers)
{
    installHost();
    startWith(settings("#FALSE#", 0, "Anna", "#FALSE#"));
    QCoreApplication::processEvents();
    main().cmdGo_Click();
    main().tmrRun->setInterval(3600 * 1000);
    platform.hostRunning = true;
    dir.write(u"lx98temp.tmp"_s, {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return loadedMonitor() != nullptr; }, 2500));
    loadedMonitor()->tmrCheck->setInterval(3600 * 1000);
    dir.write(u"ro.vwi"_s, "saved without a tick");
    platform.endHost();
    dir.remove(u"lx98temp.tmp"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return main().cmdGo->isEnabled(); }, 2500));
    EXPECT_EQ(inProfile(u"2000000"_s, DataFile::Ro), "saved without a tick");
}

TEST_F(Takeover, AHostAlreadyRunningAtStartIsTakenOverAndStopsTheCountdown)
{
    startWith(settings("#FALSE#", 10, "Anna"));
    session::frmMonitor& monitor = hostStarts();
    EXPECT_EQ(monitor.lblProfilnamn->text(), u"Profilnamn: Anna"_s);
    EXPECT_FALSE(main().tmrDefault->isActive());
    EXPECT_EQ(main().lblAutoval->text(), kStoppedAnna);
    EXPECT_TRUE(main().cmdGo->isEnabled());
}

// The monitor names the profile whose files the host has, even when the
// list's choice moved on before the host was seen.
TEST_F(Takeover, TheMonitorNamesTheStartedProfileWhereverTheListHasMoved)
{
    startWith(settings("#FALSE#", 0, "Anna", "#FALSE#"));
    choose(u"Bo"_s);
    main().cmdGo_Click();
    choose(u"Anna"_s);
    EXPECT_EQ(hostStarts().lblProfilnamn->text(), u"Profilnamn: Bo"_s);
    hostEnds("!");
    EXPECT_EQ(inProfile(u"3000000"_s, DataFile::Ro),
              profileContent(u"3000000"_s, DataFile::Ro) + "!");
    EXPECT_EQ(inProfile(u"2000000"_s, DataFile::Ro), profileContent(u"2000000"_s, DataFile::Ro));
}

TEST_F(Takeover, WhileTheMarkerStaysTheWatchGoesOn)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    main().cmdGo_Click();
    session::frmMonitor& monitor = hostStarts();
    monitor.tmrCheck_Timer();
    EXPECT_TRUE(monitor.tmrCheck->isActive());
    EXPECT_EQ(inProfile(u"2000000"_s, DataFile::Ro), profileContent(u"2000000"_s, DataFile::Ro));
}

} // namespace
