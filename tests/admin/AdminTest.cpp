#include "admin/frmAdd.h"
#include "admin/frmProfiles.h"
#include "session/SessionFixture.h"
#include "settings/frmSettings.h"
#include "widgets/ChoiceList.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTest>

using namespace tuvano;
using namespace Qt::StringLiterals;
using platform::Answer;
using platform::Buttons;
using platform::Icon;
using store::DataFile;
using test::qs;

namespace {

const QByteArray kThree =
    "\"Standardprofil\",\"1000000\"\r\n\"Anna\",\"2000000\"\r\n\"Bo\",\"3000000\"\r\n";

class Administration : public test::SessionFixture {
protected:
    admin::frmProfiles& open()
    {
        QTest::mouseClick(control(&main(), "lblAdministreraProfiler"), Qt::LeftButton);
        EXPECT_NE(forms->profiles(), nullptr);
        return *forms->profiles();
    }
    admin::frmProfiles& window() { return *forms->profiles(); }
    QStringList listed()
    {
        QStringList names;
        for (int i = 0; i < window().lstProfiles->count(); ++i)
            names << window().lstProfiles->item(i)->text();
        return names;
    }
    QStringList mainList()
    {
        QStringList names;
        for (int i = 0; i < main().cmbProfiler->count(); ++i)
            names << main().cmbProfiler->itemText(i);
        return names;
    }
    void select(const QString& name)
    {
        window().lstProfiles->setCurrentItem(
            window().lstProfiles->findItems(name, Qt::MatchExactly).first());
    }
};

TEST_F(Administration, ListsEveryProfileAndRefillsTheMainList)
{
    startWith(settings("#FALSE#", 10, "Anna"));
    admin::frmProfiles& w = open();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), u"Administrera profiler"_s);
    EXPECT_EQ(listed(), (QStringList{u"Standardprofil"_s, u"Anna"_s, u"Bo"_s}));
    EXPECT_EQ(w.lblinfo->text(), u"Listar 3 profiler."_s);
    EXPECT_EQ(w.lstProfiles->selectedItems().size(), 0);
    EXPECT_TRUE(w.cmdDel->isEnabled());
    EXPECT_EQ(mainList(), listed());
    EXPECT_EQ(main().cmbProfiler->currentIndex(), -1);
    EXPECT_FALSE(main().tmrDefault->isActive()); // the command stopped the countdown
    test::expectAccessibleNames(&w);
}

TEST_F(Administration, CountsWithTheSameWordingForOneAndNone)
{
    startWith(settings("#FALSE#", 0, "Standardprofil"), {{u"Standardprofil"_s, u"1000000"_s}});
    EXPECT_EQ(open().lblinfo->text(), u"Listar 1 profiler."_s);
    dir.write(u"profiles.map"_s, "");
    forms->reloadProfiles();
    EXPECT_EQ(window().lblinfo->text(), u"Listar 0 profiler."_s);
}

TEST_F(Administration, TheStandardProfileCannotBeDeletedButItsLowerCaseTwinCan)
{
    startWith(settings("#FALSE#", 0, "Anna"),
              {{u"Standardprofil"_s, u"1000000"_s}, {u"standardprofil"_s, u"2000000"_s}});
    open();
    select(u"Standardprofil"_s);
    EXPECT_FALSE(window().cmdDel->isEnabled());
    select(u"standardprofil"_s);
    EXPECT_TRUE(window().cmdDel->isEnabled());
}

TEST_F(Administration, DeletingWithNothingSelectedIsRefused)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    open();
    const auto before = dir.snapshot();
    window().cmdDel_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, qs("Du måste välja en profil innan Du kan ta bort den!\n\n"
                                         "Obs! Du kan aldrig ta bort standardprofilen."));
    EXPECT_EQ(platform.boxes[0].title, u"Fel"_s);
    EXPECT_EQ(platform.boxes[0].icon, Icon::Exclamation);
    EXPECT_EQ(dir.snapshot(), before);
}

TEST_F(Administration, DeletingWhileANewProfileIsMadeIsRefusedFirst)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    open().cmdAdd_Click();
    window().cmdDel_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text,
              qs("Kan ej ta bort profil samtidigt som en ny profil läggs till."));
}

TEST_F(Administration, NoToTheQuestionChangesNothing)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    open();
    select(u"Bo"_s);
    const auto before = dir.snapshot();
    platform.answers = {Answer::No};
    window().cmdDel_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, qs("Är Du säker på att Du vill ta bort profilen Bo?"));
    EXPECT_EQ(platform.boxes[0].title, u"Bekräfta borttagning"_s);
    EXPECT_EQ(platform.boxes[0].icon, Icon::Question);
    EXPECT_EQ(platform.boxes[0].buttons, Buttons::YesNoDefaultNo);
    EXPECT_EQ(dir.snapshot(), before);
}

TEST_F(Administration, ADeletionRemovesRecordAndFolderAndRefreshesBothLists)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    open();
    select(u"Anna"_s);
    platform.answers = {Answer::Yes};
    window().cmdDel_Click();
    EXPECT_EQ(dir.read(u"profiles.map"_s),
              "\"Standardprofil\",\"1000000\"\r\n\"Bo\",\"3000000\"\r\n");
    EXPECT_FALSE(dir.exists(u"profiles.new"_s));
    EXPECT_FALSE(dir.exists(u"profiles/2000000"_s));
    EXPECT_EQ(window().lblinfo->text(), u"Listar 2 profiler."_s);
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(window().cmdDel->isEnabled());
    EXPECT_EQ(mainList(), (QStringList{u"Standardprofil"_s, u"Bo"_s}));
    EXPECT_EQ(main().cmbProfiler->currentIndex(), -1);
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[1].text, qs("Borttagningen slutförd!"));
    EXPECT_EQ(platform.boxes[1].title, u"Borttagning klar"_s);
    EXPECT_EQ(platform.boxes[1].icon, Icon::Exclamation);
}

TEST_F(Administration, DeletingADuplicatedNameDropsBothAndOnlyTheLaterFolder)
{
    startWith(
        settings("#FALSE#", 0, "Anna"),
        {{u"Standardprofil"_s, u"1000000"_s}, {u"Bo"_s, u"2000000"_s}, {u"Bo"_s, u"3000000"_s}});
    open();
    select(u"Bo"_s);
    platform.answers = {Answer::Yes};
    window().cmdDel_Click();
    EXPECT_EQ(dir.read(u"profiles.map"_s), "\"Standardprofil\",\"1000000\"\r\n");
    EXPECT_TRUE(dir.exists(u"profiles/2000000/ro.vwi"_s));
    EXPECT_FALSE(dir.exists(u"profiles/3000000"_s));
}

TEST_F(Administration, AFolderWithOtherFilesStaysAndTheUserIsTold)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    dir.write(u"profiles/3000000/anteckningar.txt"_s, "keep");
    open();
    select(u"Bo"_s);
    platform.answers = {Answer::Yes};
    window().cmdDel_Click();
    EXPECT_EQ(dir.read(u"profiles/3000000/anteckningar.txt"_s), "keep");
    EXPECT_FALSE(dir.exists(u"profiles/3000000/ro.vwi"_s));
    ASSERT_EQ(platform.boxes.size(), 3u);
    EXPECT_TRUE(platform.boxes[1].text.contains(u"3000000"_s));
    EXPECT_EQ(platform.boxes[2].title, u"Borttagning klar"_s);
}

TEST_F(Administration, ANameThatLostItsRecordChangesNothing)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    open();
    select(u"Bo"_s);
    dir.write(u"profiles.map"_s, "\"Standardprofil\",\"1000000\"\r\n\"Anna\",\"2000000\"\r\n");
    const auto before = dir.snapshot();
    platform.answers = {Answer::Yes};
    window().cmdDel_Click();
    EXPECT_EQ(dir.snapshot(), before);
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_TRUE(platform.boxes[1].text.contains(u"Bo"_s));
}

struct CloseCase {
    const char* defaultName;
    int expectedIndex;
};

class Closing : public Administration, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(Closing, SelectsTheDefaultOrTheLastEntryAndStartsNothing)
{
    installHost();
    startWith(settings("#TRUE#", 0, GetParam().defaultName));
    open().cmdExit_Click();
    EXPECT_EQ(main().cmbProfiler->currentIndex(), GetParam().expectedIndex);
    EXPECT_EQ(forms->profiles(), nullptr);
    EXPECT_TRUE(platform.launched.isEmpty());
    EXPECT_TRUE(main().cmdGo->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Admin, Closing,
                         ::testing::Values(CloseCase{"Standardprofil", 0}, CloseCase{"Anna", 1},
                                           CloseCase{"Borta", 2}));

TEST_F(Administration, ClosingThroughTheFrameLeavesTheMainListWithoutAChoice)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    open().close();
    EXPECT_EQ(forms->profiles(), nullptr);
    EXPECT_EQ(main().cmbProfiler->currentIndex(), -1);
}

TEST_F(Administration, WhileOpenAChoiceInTheMainListHasNoEffect)
{
    installHost();
    startWith(settings("#TRUE#", 10, "Anna"));
    main().tmrDefault->start();
    open();
    main().lblAutoval->setText(u"x"_s);
    main().tmrDefault->start();
    choose(u"Bo"_s);
    EXPECT_TRUE(platform.launched.isEmpty());
    EXPECT_TRUE(main().tmrDefault->isActive());
    EXPECT_EQ(main().lblAutoval->text(), u"x"_s);
    // The start button still works.
    main().cmdGo_Click();
    EXPECT_EQ(platform.launched.size(), 1);
}

// --- The new-profile dialog ---------------------------------------------------

class NewProfile : public Administration {
protected:
    admin::frmAdd& openAdd()
    {
        open().cmdAdd_Click();
        EXPECT_NE(forms->add(), nullptr);
        return *forms->add();
    }
    admin::frmAdd& dialog() { return *forms->add(); }
};

TEST_F(NewProfile, LaggTillAtOnceMakesAProfileNamedByItsIdFromTheFirstProfile)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    admin::frmAdd& d = openAdd();
    EXPECT_EQ(d.windowTitle(), u"Lägg till profil..."_s);
    EXPECT_EQ(d.ID, u"5999999"_s);
    EXPECT_EQ(d.lblId->text(), u"Profilidentifikation: 5999999."_s);
    EXPECT_EQ(d.lblNamn->text(), u"5999999"_s);
    EXPECT_EQ(d.cmbProfiles->currentText(), u"Standardprofil"_s);
    EXPECT_EQ(platform.reseeds, 1);
    test::expectAccessibleNames(&d);

    QTest::mouseClick(d.cmdDo, Qt::LeftButton);
    EXPECT_EQ(dir.read(u"profiles.map"_s), kThree + "\"5999999\",\"5999999\"\r\n");
    for (DataFile f : store::ProfileFileSet::listing)
        EXPECT_EQ(inProfile(u"5999999"_s, f), profileContent(u"1000000"_s, f));
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, u"Den nya profilen har skapats!"_s);
    EXPECT_EQ(platform.boxes[0].title, u"Profil klar!"_s);
    EXPECT_EQ(platform.boxes[0].icon, Icon::Information);
    EXPECT_EQ(forms->add(), nullptr);
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(window().lblinfo->text(), u"Listar 4 profiler."_s);
    EXPECT_EQ(listed().last(), u"5999999"_s);
    EXPECT_EQ(mainList().last(), u"5999999"_s);
    EXPECT_EQ(main().cmbProfiler->currentIndex(), -1);
}

TEST_F(NewProfile, ATypedNameAndAChosenBase)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    admin::frmAdd& d = openAdd();
    platform.inputs = {qs("Örjan, 3B")};
    d.lblNamn_Click();
    EXPECT_EQ(d.lblNamn->text(), qs("Örjan, 3B"));
    EXPECT_EQ(
        platform.prompts,
        QStringList{qs("Ange det nya namnet för profilen som kommer att skapas! | Profilnamn")});
    d.cmbProfiles->setListIndex(2);
    d.cmdDo_Click();
    EXPECT_EQ(dir.read(u"profiles.map"_s), kThree + "\"\xd6rjan, 3B\",\"5999999\"\r\n");
    EXPECT_EQ(inProfile(u"5999999"_s, DataFile::Lx98),
              profileContent(u"3000000"_s, DataFile::Lx98));
}

class UnusableName : public NewProfile, public ::testing::WithParamInterface<const char*> {};

TEST_P(UnusableName, FallsBackToTheIdWithAMessage)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    admin::frmAdd& d = openAdd();
    if (*GetParam() != '\0')
        platform.inputs = {qs(GetParam())};
    d.lblNamn_Click();
    EXPECT_EQ(d.lblNamn->text(), d.ID);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].icon, Icon::Exclamation);
    EXPECT_TRUE(
        platform.boxes[0].text.endsWith(qs("Profilnamnet kommer därför att sättas till "
                                           "profilidentifikationen för den nya profilen!")));
}

INSTANTIATE_TEST_SUITE_P(Admin, UnusableName,
                         ::testing::Values("", "Say \"hi\"", "two\nlines", "Ωmega"));

TEST_F(NewProfile, ABlankNameGivesTheBlankNameMessage)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    openAdd().lblNamn_Click();
    EXPECT_EQ(platform.boxes.at(0).title, u"Blankt profilnamn"_s);
    EXPECT_EQ(platform.boxes.at(0).text,
              qs("Det är inte tillåtet att ha ett blankt profilnamn.\n\nProfilnamnet kommer därför "
                 "att sättas till profilidentifikationen för den nya profilen!"));
}

// A name the list cannot hold is refused, and leaves nothing behind: every
// writing operation after it writes whole, correct files.
TEST_F(NewProfile, ARefusedNameSpoilsNoLaterWrite)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    admin::frmAdd& d = openAdd();
    platform.inputs = {qs("Łukasz"), qs("Åsa")};
    d.lblNamn_Click();
    EXPECT_EQ(d.lblNamn->text(), d.ID);
    d.lblNamn_Click();
    EXPECT_EQ(d.lblNamn->text(), qs("Åsa"));
    d.cmdDo_Click();
    EXPECT_EQ(dir.read(u"profiles.map"_s), kThree + "\"\xc5sa\",\"5999999\"\r\n");

    select(u"Bo"_s);
    platform.answers = {Answer::Yes};
    window().cmdDel_Click();
    EXPECT_EQ(
        dir.read(u"profiles.map"_s),
        "\"Standardprofil\",\"1000000\"\r\n\"Anna\",\"2000000\"\r\n\"\xc5sa\",\"5999999\"\r\n");

    forms->showSettingsAfresh();
    settings::frmSettings& s = *forms->settingsWindow();
    s.cmbProfiles->setListIndex(s.cmbProfiles->findText(qs("Åsa")));
    s.cmdDo_Click();
    EXPECT_EQ(dir.read(u"tuvano.ini"_s), "#FALSE#\r\n0\r\n\"\xc5sa\"\r\n#TRUE#\r\n#TRUE#\r\n");
}

TEST_F(Administration, AProfileWithASavePendingCannotBeDeleted)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    dir.write(u"tuvano.session"_s,
              "\"phase\",\"saving\"\r\n\"profile\",\"Bo\",\"3000000\"\r\n\"files\"\r\n");
    open();
    select(u"Bo"_s);
    const auto before = dir.snapshot();
    window().cmdDel_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(platform.boxes[0].text.contains(qs("används i den pågående Lexaro-sessionen")));
    EXPECT_EQ(dir.snapshot(), before);
}

TEST_F(Administration, TheProfileOfTheLiveSessionCannotBeDeleted)
{
    startWith(settings("#FALSE#", 0, "Anna", "#FALSE#"));
    installHost();
    main().cmdGo_Click();
    open();
    select(u"Anna"_s);
    const auto before = dir.snapshot();
    window().cmdDel_Click();
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(platform.boxes[0].text.contains(qs("används i den pågående Lexaro-sessionen")));
    EXPECT_EQ(dir.snapshot(), before);
}

TEST_F(NewProfile, ANameOfSpacesIsKept)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    platform.inputs = {u"   "_s};
    openAdd().lblNamn_Click();
    EXPECT_EQ(dialog().lblNamn->text(), u"   "_s);
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(NewProfile, ADuplicateNameIsToldOnceAndTheIdBecomesTheName)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    platform.inputs = {u"Bo"_s};
    openAdd().lblNamn_Click();
    dialog().cmdDo_Click();
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[0].text,
              qs("Det valda profilnamnet kan ej skapas. Varje profilnamn måste vara unikt."));
    EXPECT_EQ(platform.boxes[0].title, u"Profilnamn ej unikt"_s);
    EXPECT_TRUE(dir.read(u"profiles.map"_s).endsWith("\"5999999\",\"5999999\"\r\n"));
}

TEST_F(NewProfile, ANameDifferingInCaseIsNew)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    platform.inputs = {u"bo"_s};
    openAdd().lblNamn_Click();
    dialog().cmdDo_Click();
    EXPECT_TRUE(dir.read(u"profiles.map"_s).endsWith("\"bo\",\"5999999\"\r\n"));
}

TEST_F(NewProfile, EightDigitIdsWork)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    platform.randoms = {0.99999994f};
    openAdd().cmdDo_Click();
    EXPECT_TRUE(dir.read(u"profiles.map"_s).endsWith("\"10999998\",\"10999998\"\r\n"));
    EXPECT_TRUE(dir.exists(u"profiles/10999998/ro.vwi"_s));
}

TEST_F(NewProfile, AnIdAlreadyInUseIsDrawnAgain)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    dir.write(u"profiles/5999999/stray.txt"_s, "x");
    platform.randoms = {0.5f, 0.25f};
    EXPECT_EQ(openAdd().ID, u"3499999"_s);
    // A listed profile whose folder is missing keeps its id too.
    forms->unloadAdd();
    QDir(dir.file(u"profiles/5999999"_s)).removeRecursively();
    dir.write(u"profiles.map"_s, dir.read(u"profiles.map"_s) + "\"Cecilia\",\"5999999\"\r\n");
    platform.randoms = {0.5f, 0.25f};
    EXPECT_EQ(openAdd().ID, u"3499999"_s);
}

TEST_F(NewProfile, ABaseWithoutARecordFallsBackToTheStandardProfile)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    admin::frmAdd& d = openAdd();
    d.cmbProfiles->setListIndex(2); // Bo
    dir.write(u"profiles.map"_s, "\"Standardprofil\",\"1000000\"\r\n\"Anna\",\"2000000\"\r\n");
    d.cmdDo_Click();
    EXPECT_EQ(inProfile(u"5999999"_s, DataFile::Ro), profileContent(u"1000000"_s, DataFile::Ro));
}

TEST_F(NewProfile, AFailingCopyLeavesNoRecordAndNoFolder)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    QFile::remove(dir.file(u"profiles/1000000/glblstat.vwi"_s));
    const auto before = dir.snapshot();
    openAdd().cmdDo_Click();
    EXPECT_EQ(dir.snapshot(), before);
    EXPECT_FALSE(dir.exists(u"profiles/5999999"_s));
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(platform.boxes[0].text.contains(u"glblstat.vwi"_s));
    EXPECT_NE(forms->add(), nullptr); // the dialog stays for another try
}

TEST_F(NewProfile, CancelCreatesNothing)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    const auto before = dir.snapshot();
    openAdd().cmdCancel_Click();
    EXPECT_EQ(forms->add(), nullptr);
    EXPECT_EQ(dir.snapshot(), before);
}

TEST_F(NewProfile, WhileOpenAChoiceInTheMainListHasNoEffect)
{
    installHost();
    startWith(settings("#TRUE#", 0, "Anna"));
    openAdd();
    window().hide(); // the administration window may be closed meanwhile
    choose(u"Bo"_s);
    EXPECT_TRUE(platform.launched.isEmpty());
}

} // namespace
