#include "shell/frmMain.h"

#include "startup/StartUp.h"
#include "support/WindowFixture.h"
#include "widgets/ChoiceList.h"
#include "widgets/StatusLine.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tuvano;
using namespace Qt::StringLiterals;
using platform::Answer;
using platform::Buttons;
using platform::Icon;
using test::qs;

namespace {

const QByteArray kFirstRunSettings = "#FALSE#\r\n0\r\n\"Standardprofil\"\r\n#TRUE#\r\n#TRUE#\r\n";
const QString kFirstRunText =
    qs("Detta är första gången Du använder Tuvano! Därför kommer en kort initieringsprocess att "
       "starta.\n\nFöljande inställningar kommer att ställas in: \nAutoRun = False\nDefault = None"
       "\n\nFöljande filer kommer att omfattas av profilhantering:\nro.vwi, glblstat.vwi, "
       "plug-in.vwi, recent.vwi, lx98.vwi\n\nFör att påbörja initiering, klicka på 'Ok'.");
const QString kOff = qs("Automatiskt profilval är EJ aktiverat.");

QString stopped(const QString& name)
{
    return u"Automatiskt profilval med profil "_s + name +
           qs(" är valt.\nNedräkningen stoppad av musklick.");
}

class MainWindow : public test::WindowFixture {
protected:
    QString autoval() { return main().lblAutoval->text(); }
};

// --- First run and later starts -------------------------------------------

TEST_F(MainWindow, FirstRunBuildsTheStoreAndShowsTheStandardProfile)
{
    ASSERT_TRUE(start());
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, kFirstRunText);
    EXPECT_EQ(platform.boxes[0].title, u"Initieringsprocess"_s);
    EXPECT_EQ(platform.boxes[0].icon, Icon::Exclamation);
    EXPECT_EQ(platform.boxes[0].buttons, Buttons::Ok);

    EXPECT_EQ(dir.read(u"tuvano.ini"_s), kFirstRunSettings);
    EXPECT_EQ(dir.read(u"profiles.map"_s), "\"Standardprofil\",\"1000000\"\r\n");
    for (store::DataFile f : store::ProfileFileSet::listing) {
        const QString name = store::fileName(f).toString();
        EXPECT_EQ(dir.read(u"profiles/1000000/"_s + name), dir.read(name)) << name.toStdString();
    }
    EXPECT_EQ(
        dir.entries(),
        (QStringList{u"glblstat.vwi"_s, u"lx98.vwi"_s, u"plug-in.vwi"_s, u"profiles"_s,
                     u"profiles.map"_s, u"profiles/1000000"_s, u"profiles/1000000/glblstat.vwi"_s,
                     u"profiles/1000000/lx98.vwi"_s, u"profiles/1000000/plug-in.vwi"_s,
                     u"profiles/1000000/recent.vwi"_s, u"profiles/1000000/ro.vwi"_s,
                     u"recent.vwi"_s, u"ro.vwi"_s, u"tuvano.ini"_s}));

    EXPECT_EQ(main().windowTitle(), u"Lexaro Tuvano!"_s);
    EXPECT_EQ(main().cmbProfiler->count(), 1);
    EXPECT_EQ(main().cmbProfiler->currentIndex(), 0);
    EXPECT_EQ(main().cmbProfiler->currentText(), u"Standardprofil"_s);
    EXPECT_EQ(main().lblSnabbstart->text(), qs("Snabbstart är EJ aktiverat."));
    EXPECT_EQ(autoval(), kOff);
    EXPECT_FALSE(main().tmrDefault->isActive());
    EXPECT_TRUE(main().tmrRun->isActive());
    EXPECT_TRUE(main().watchesList());
    EXPECT_EQ(state().sLastChoice, u"Standardprofil"_s);
    EXPECT_TRUE(state().sProfileFolder.isEmpty());
}

TEST_F(MainWindow, SecondStartShowsNoMessage)
{
    ASSERT_TRUE(start());
    const auto files = dir.snapshot();
    platform.boxes.clear();
    ASSERT_TRUE(start());
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(dir.snapshot(), files);
}

TEST_F(MainWindow, CountdownOfTenNamesTheDefaultAndArmsTheTimer)
{
    layOutStore(settings("#FALSE#", 10, "Bo"),
                {{u"Standardprofil"_s, u"1000000"_s}, {u"Bo"_s, u"2000000"_s}});
    ASSERT_TRUE(start());
    EXPECT_EQ(main().cmbProfiler->currentText(), u"Bo"_s);
    EXPECT_EQ(autoval(), qs("Automatiskt profilval med profil Bo kommer att ske om 10 sekunder."));
    EXPECT_EQ(main().Counter, 10);
    EXPECT_TRUE(main().tmrDefault->isActive());
    EXPECT_EQ(main().tmrDefault->interval(), 1000);
}

TEST_F(MainWindow, DefaultAtTheEndOfALongListIsSelected)
{
    QList<std::pair<QString, QString>> profiles;
    for (int i = 0; i < 300; ++i)
        profiles.append({u"P"_s + QString::number(i), QString::number(2000000 + i)});
    layOutStore(settings("#FALSE#", 0, "P299"), profiles);
    ASSERT_TRUE(start());
    EXPECT_EQ(main().cmbProfiler->currentIndex(), 299);
    EXPECT_EQ(state().sLastChoice, u"P299"_s);
}

TEST_F(MainWindow, ADefaultThatNoLongerExistsLeavesTheLastEntryAndIsStillNamed)
{
    layOutStore(
        settings("#FALSE#", 3, "Borta"),
        {{u"Standardprofil"_s, u"1000000"_s}, {u"Anna"_s, u"2000000"_s}, {u"Bo"_s, u"3000000"_s}});
    ASSERT_TRUE(start());
    EXPECT_EQ(main().cmbProfiler->currentText(), u"Bo"_s);
    EXPECT_EQ(autoval(),
              qs("Automatiskt profilval med profil Borta kommer att ske om 3 sekunder."));
}

TEST_F(MainWindow, NamesDifferingInCaseDoNotMatchTheDefault)
{
    layOutStore(settings("#FALSE#", 0, "anna"),
                {{u"Anna"_s, u"2000000"_s}, {u"anna"_s, u"3000000"_s}, {u"Bo"_s, u"4000000"_s}});
    ASSERT_TRUE(start());
    EXPECT_EQ(main().cmbProfiler->currentIndex(), 1);
}

TEST_F(MainWindow, QuickStartIsReportedWhateverTheCountdown)
{
    layOutStore(settings("#TRUE#", 30, "Standardprofil"), {{u"Standardprofil"_s, u"1000000"_s}});
    ASSERT_TRUE(start());
    EXPECT_EQ(main().lblSnabbstart->text(), qs("Snabbstart är aktiverat."));
}

TEST_F(MainWindow, ANegativeCountdownCountsAsNone)
{
    layOutStore(settings("#FALSE#", -4, "Standardprofil"), {{u"Standardprofil"_s, u"1000000"_s}});
    ASSERT_TRUE(start());
    EXPECT_EQ(autoval(), kOff);
    EXPECT_FALSE(main().tmrDefault->isActive());
}

TEST_F(MainWindow, AnEmptyListStartsWithNothingSelected)
{
    layOutStore(kFirstRunSettings, {});
    ASSERT_TRUE(start());
    EXPECT_EQ(main().cmbProfiler->count(), 0);
    EXPECT_EQ(main().cmbProfiler->currentIndex(), -1);
    EXPECT_TRUE(state().sLastChoice.isEmpty());
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(MainWindow, LeftoversOfAnInterruptedWriteAreRemovedAtStart)
{
    layOutStore(kFirstRunSettings, {{u"Standardprofil"_s, u"1000000"_s}});
    dir.write(u"profiles.new"_s, "half");
    dir.write(u"profiles/1000000/ro.new"_s, "half");
    ASSERT_TRUE(start());
    EXPECT_FALSE(dir.exists(u"profiles.new"_s));
    EXPECT_FALSE(dir.exists(u"profiles/1000000/ro.new"_s));
}

// --- What start-up does when the store is not as it should be --------------

TEST_F(MainWindow, MissingSettingsOverAnExistingStoreAreRecreatedAndTheStoreIsUntouched)
{
    layOutStore(settings("#TRUE#", 10, "Bo"),
                {{u"Standardprofil"_s, u"1000000"_s}, {u"Bo"_s, u"2000000"_s}});
    QFile::remove(dir.file(u"tuvano.ini"_s));
    auto before = dir.snapshot();
    ASSERT_TRUE(start());
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_NE(platform.boxes[0].text, kFirstRunText);
    EXPECT_TRUE(platform.boxes[0].text.contains(u"tuvano.ini"_s));
    EXPECT_EQ(dir.read(u"tuvano.ini"_s), kFirstRunSettings);
    auto after = dir.snapshot();
    after.remove(u"tuvano.ini"_s);
    EXPECT_EQ(after, before);
    EXPECT_EQ(main().cmbProfiler->count(), 2);
}

TEST_F(MainWindow, AnInterruptedFirstRunIsTakenUpAndKeepsTheCopiesItMade)
{
    dir.write(u"profiles/1000000/ro.vwi"_s, "made before the cut");
    ASSERT_TRUE(start());
    EXPECT_EQ(platform.boxes.at(0).text, kFirstRunText);
    EXPECT_EQ(dir.read(u"profiles/1000000/ro.vwi"_s), "made before the cut");
    EXPECT_EQ(dir.read(u"profiles/1000000/lx98.vwi"_s), dir.read(u"lx98.vwi"_s));
    EXPECT_EQ(dir.read(u"tuvano.ini"_s), kFirstRunSettings);
    EXPECT_EQ(main().cmbProfiler->currentText(), u"Standardprofil"_s);
}

TEST_F(MainWindow, AProfilesFolderWithOtherProfilesIsAStoreNotAFirstRun)
{
    dir.write(u"profiles/1000000/ro.vwi"_s, "mine");
    dir.write(u"profiles/2000000/ro.vwi"_s, "yours");
    EXPECT_FALSE(start()); // settings recreated, but the list is missing
    EXPECT_NE(platform.boxes[0].text, kFirstRunText);
    EXPECT_FALSE(dir.exists(u"profiles.map"_s));
    EXPECT_EQ(dir.read(u"profiles/1000000/ro.vwi"_s), "mine");
}

class DamagedSettings : public MainWindow {
protected:
    const QByteArray damaged = "#TRUE#\r\nten\r\n\"Bo\"\r\n#TRUE#\r\n#TRUE#\r\n";
    void SetUp() override
    {
        layOutStore(damaged, {{u"Standardprofil"_s, u"1000000"_s}, {u"Bo"_s, u"2000000"_s}});
    }
};

TEST_F(DamagedSettings, AreReportedWithFileAndLine)
{
    platform.answers = {Answer::No};
    start();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].buttons, Buttons::YesNo);
    EXPECT_TRUE(platform.boxes[0].text.contains(dir.shown(u"tuvano.ini"_s)));
    EXPECT_TRUE(platform.boxes[0].text.contains(u"Rad 2"_s));
}

TEST_F(DamagedSettings, YesKeepsTheDamagedFileAndRestoresDefaults)
{
    platform.answers = {Answer::Yes};
    ASSERT_TRUE(start());
    EXPECT_EQ(dir.read(u"tuvano.ini.bak"_s), damaged);
    EXPECT_EQ(dir.read(u"tuvano.ini"_s), kFirstRunSettings);
    EXPECT_EQ(main().cmbProfiler->currentText(), u"Standardprofil"_s);
    EXPECT_FALSE(platform.ended);
}

TEST_F(DamagedSettings, NoEndsTheProgramWritingNothing)
{
    const auto before = dir.snapshot();
    platform.answers = {Answer::No};
    EXPECT_FALSE(start());
    EXPECT_TRUE(platform.ended);
    EXPECT_EQ(dir.snapshot(), before);
}

struct BrokenList {
    const char* label;
    QByteArray bytes; // empty: no list file at all
    const char* expected;
};

class BrokenProfileList : public MainWindow, public ::testing::WithParamInterface<BrokenList> {};

TEST_P(BrokenProfileList, EndsTheProgramNamingFileAndLineAndWritesNothing)
{
    layOutStore(kFirstRunSettings, {{u"Standardprofil"_s, u"1000000"_s}});
    if (GetParam().bytes.isEmpty())
        QFile::remove(dir.file(u"profiles.map"_s));
    else
        dir.write(u"profiles.map"_s, GetParam().bytes);
    const auto before = dir.snapshot();
    EXPECT_FALSE(start());
    EXPECT_TRUE(platform.ended);
    EXPECT_TRUE(platform.fatal.contains(dir.shown(u"profiles.map"_s)))
        << platform.fatal.toStdString();
    EXPECT_TRUE(platform.fatal.contains(qs(GetParam().expected))) << platform.fatal.toStdString();
    EXPECT_EQ(dir.snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Startup, BrokenProfileList,
    ::testing::Values(BrokenList{"missing", {}, "saknas"},
                      BrokenList{"badIdentifier",
                                 "\"Standardprofil\",\"1000000\"\r\n\"X\",\"../..\"\r\n", "Rad 2"},
                      BrokenList{"unterminated", "\"Standardprofil\r\n", "Rad 1"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(MainWindow, AFailingFirstRunStepNamesTheFileAndListsNothingUntilItIsDone)
{
    const QByteArray recent = dir.read(u"recent.vwi"_s);
    QFile::remove(dir.file(u"recent.vwi"_s));
    EXPECT_FALSE(start());
    EXPECT_TRUE(platform.ended);
    EXPECT_TRUE(platform.fatal.contains(dir.shown(u"recent.vwi"_s))) << platform.fatal.toStdString();
    // What was done stays done, but no profile is listed with a file missing.
    EXPECT_TRUE(dir.exists(u"profiles/1000000/lx98.vwi"_s));
    EXPECT_FALSE(dir.exists(u"profiles.map"_s));
    EXPECT_FALSE(dir.exists(u"tuvano.ini"_s));

    // The next start takes the first run up again and finishes it.
    dir.write(u"recent.vwi"_s, recent);
    platform.boxes.clear();
    platform.ended = false;
    ASSERT_TRUE(start());
    EXPECT_EQ(platform.boxes.at(0).text, kFirstRunText);
    EXPECT_EQ(dir.read(u"profiles/1000000/recent.vwi"_s), recent);
    EXPECT_EQ(dir.read(u"profiles.map"_s), "\"Standardprofil\",\"1000000\"\r\n");
}

// --- Clicks and the countdown ---------------------------------------------

class Clicks : public MainWindow, public ::testing::WithParamInterface<const char*> {
protected:
    void startCounting(int delay)
    {
        layOutStore(settings("#FALSE#", delay, "Bo"),
                    {{u"Standardprofil"_s, u"1000000"_s}, {u"Bo"_s, u"2000000"_s}});
        ASSERT_TRUE(start());
    }
    void click(const char* name)
    {
        QWidget* w = qstrcmp(name, "frmMain") == 0 ? &main() : control(&main(), name);
        ASSERT_NE(w, nullptr);
        // Near the top left corner, inside the control but off its children.
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, 3));
    }
};

class StoppingClicks : public Clicks {};

TEST_P(StoppingClicks, StopTheCountdownAndSayWhy)
{
    startCounting(10);
    main().Counter = 7;
    click(GetParam());
    EXPECT_EQ(autoval(), stopped(u"Bo"_s));
    EXPECT_FALSE(main().tmrDefault->isActive());
    EXPECT_EQ(main().Counter, 7);
}

TEST_P(StoppingClicks, LeaveTheOffTextWithoutACountdown)
{
    startCounting(0);
    click(GetParam());
    EXPECT_EQ(autoval(), kOff);
}

INSTANTIATE_TEST_SUITE_P(Startup, StoppingClicks,
                         ::testing::Values("frmMain", "Shape1", "Shape2", "Frame1", "lblAutoval",
                                           "lblSnabbstart", "Label5", "lblAdministreraProfiler",
                                           "lblInställningar"));

class InertClicks : public Clicks {};

TEST_P(InertClicks, DoNothing)
{
    startCounting(10);
    const QString counting = autoval();
    click(GetParam());
    EXPECT_EQ(autoval(), counting);
    EXPECT_TRUE(main().tmrDefault->isActive());
}

INSTANTIATE_TEST_SUITE_P(Startup, InertClicks,
                         ::testing::Values("Label6", "Label1", "Label2", "Label7", "Image1",
                                           "Image2"));

TEST_F(Clicks, TheStoppedTextIsWrittenAgainAfterTheCountdownHasStopped)
{
    startCounting(3);
    main().stopCountdown();
    main().lblAutoval->setText(u"something else"_s);
    click("Frame1");
    EXPECT_EQ(autoval(), stopped(u"Bo"_s));
}

TEST_F(Clicks, AChoiceChangeStopsTheCountdownOnTheNextWatchTick)
{
    startCounting(10);
    EXPECT_FALSE(main().listWatch->isActive()); // nothing to look at: no wake-ups
    main().cmbProfiler->setListIndex(0);
    EXPECT_TRUE(main().listWatch->isActive()); // the change is looked at shortly
    main().tmrDefault->start();                // the choice itself stopped it; the watch must too
    main().onListWatchTimer();
    EXPECT_EQ(autoval(), stopped(u"Bo"_s));
    EXPECT_FALSE(main().tmrDefault->isActive());
    EXPECT_FALSE(main().watchesList());
}

TEST_F(Clicks, TheWatchDoesNothingWhileTheChoiceIsUnchanged)
{
    startCounting(10);
    main().onListWatchTimer();
    EXPECT_TRUE(main().tmrDefault->isActive());
    EXPECT_TRUE(main().watchesList());
}

TEST_F(Clicks, WithoutACountdownTheWatchWritesTheOffTextAndGoesOn)
{
    startCounting(0);
    main().cmbProfiler->setListIndex(0);
    main().lblAutoval->setText(QString());
    main().onListWatchTimer();
    EXPECT_EQ(autoval(), kOff);
    EXPECT_TRUE(main().watchesList());
}

TEST_F(Clicks, AvslutaEndsTheProgramWritingNothing)
{
    startCounting(10);
    const auto before = dir.snapshot();
    click("Label4");
    EXPECT_TRUE(platform.ended);
    EXPECT_EQ(dir.snapshot(), before);
}

TEST_F(Clicks, ClosingTheWindowEndsTheProgram)
{
    startCounting(0);
    main().close();
    EXPECT_TRUE(platform.ended);
}

TEST_F(Clicks, StartWithNothingChosenIsRefusedAndTheCountdownRuns)
{
    startCounting(10);
    main().cmbProfiler->setListIndex(-1);
    main().tmrDefault->start();
    main().lblAutoval->setText(u"counting"_s);
    QTest::mouseClick(main().cmdGo, Qt::LeftButton);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, qs("Otillåtet menyval - försök igen!"));
    EXPECT_EQ(platform.boxes[0].title, u"Fel"_s);
    EXPECT_EQ(platform.boxes[0].icon, Icon::Critical);
    EXPECT_TRUE(main().tmrDefault->isActive());
    EXPECT_EQ(autoval(), u"counting"_s);
    EXPECT_TRUE(main().cmdGo->isEnabled());
}

TEST_F(Clicks, EveryControlIsNamedByItsText)
{
    startCounting(10);
    test::expectAccessibleNames(&main());
    EXPECT_EQ(control<QPushButton>(&main(), "cmdGo")->text(), u"&Starta!"_s);
    EXPECT_EQ(control<QWidget>(&main(), "cmbProfiler")->accessibleName(),
              qs("Välj profil att starta i listan!"));
}

} // namespace
