#include "session/SessionFixture.h"
#include "settings/frmOm.h"
#include "settings/frmSettings.h"
#include "support/FaultyFileOps.h"

#include <QRadioButton>
#include <QTest>

using namespace tuvano;
using namespace Qt::StringLiterals;
using platform::Icon;
using test::qs;

namespace {

class SettingsDialog : public test::SessionFixture {
protected:
    settings::frmSettings& open()
    {
        QTest::mouseClick(control(&main(), "lblInställningar"), Qt::LeftButton);
        EXPECT_NE(forms->settingsWindow(), nullptr);
        return *forms->settingsWindow();
    }
    settings::frmSettings& dialog() { return *forms->settingsWindow(); }
    QString chosenOption()
    {
        for (const char* name : {"optIngen", "opt3", "opt10", "opt30"}) {
            if (control<QRadioButton>(&dialog(), name)->isChecked())
                return QString::fromLatin1(name);
        }
        return {};
    }
};

TEST_F(SettingsDialog, OpensOnTheFirstRunValues)
{
    ASSERT_TRUE(start()); // a first run
    settings::frmSettings& d = open();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.windowTitle(), qs("Inställningar"));
    EXPECT_FALSE(d.chkAutoval->isChecked());
    EXPECT_EQ(chosenOption(), u"optIngen"_s);
    EXPECT_EQ(d.cmbProfiles->currentText(), u"Standardprofil"_s);
    EXPECT_TRUE(d.chkShutdown->isChecked());
    EXPECT_TRUE(d.chkShow->isChecked());
    test::expectAccessibleNames(&d);
}

TEST_F(SettingsDialog, FocusMovesInTheGivenOrder)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    settings::frmSettings& d = open();
    const QList<QWidget*> expected{d.chkAutoval,  d.cmbProfiles, d.optIngen,  d.opt3,
                                   d.opt10,       d.opt30,       d.cmdCancel, d.cmdDo,
                                   d.chkShutdown, d.chkShow};
    QList<QWidget*> seen;
    for (QWidget* w = d.chkAutoval; seen.size() < expected.size(); w = w->nextInFocusChain()) {
        if (expected.contains(w))
            seen << w;
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(d.focusWidget(), d.chkAutoval);
}

TEST_F(SettingsDialog, ApplyingWithoutChangesRewritesTheSameValues)
{
    const QByteArray file = settings("#TRUE#", 10, "Anna", "#FALSE#", "#TRUE#");
    startWith(file);
    open().cmdDo_Click();
    EXPECT_EQ(dir.read(u"tuvano.ini"_s), file);
    EXPECT_EQ(
        main().lblAutoval->text(),
        qs("Automatiskt profilval med profil Anna är valt.\nNedräkningen stoppad av musklick."));
    EXPECT_EQ(forms->settingsWindow(), nullptr);
}

TEST_F(SettingsDialog, ANewDefaultWithThreeSecondsUpdatesTheMainWindowWithoutACountdown)
{
    installHost();
    startWith(settings("#TRUE#", 0, "Anna"));
    settings::frmSettings& d = open();
    d.cmbProfiles->setListIndex(2);
    d.opt3->setChecked(true);
    d.chkAutoval->setChecked(false);
    d.cmdDo_Click();
    EXPECT_EQ(dir.read(u"tuvano.ini"_s), settings("#FALSE#", 3, "Bo"));
    EXPECT_EQ(main().cmbProfiler->currentText(), u"Bo"_s);
    EXPECT_EQ(
        main().lblAutoval->text(),
        qs("Automatiskt profilval med profil Bo är valt.\nNedräkningen stoppad av musklick."));
    EXPECT_EQ(main().lblSnabbstart->text(), qs("Snabbstart är EJ aktiverat."));
    EXPECT_FALSE(main().tmrDefault->isActive());
    EXPECT_TRUE(platform.launched.isEmpty());
    EXPECT_EQ(state().nAutoSelectDelay, 3);
}

TEST_F(SettingsDialog, ADefaultThatNoLongerExistsShowsTheLastProfileAndIsReplacedByIt)
{
    startWith(settings("#FALSE#", 0, "Borta"));
    EXPECT_EQ(open().cmbProfiles->currentText(), u"Bo"_s);
    dialog().cmdDo_Click();
    EXPECT_EQ(dir.read(u"tuvano.ini"_s), settings("#FALSE#", 0, "Bo"));
}

TEST_F(SettingsDialog, ALengthTheDialogDoesNotOfferSelectsNoOptionAndBecomesThirty)
{
    startWith(settings("#FALSE#", 5, "Anna"));
    open();
    EXPECT_EQ(chosenOption(), QString());
    dialog().cmdDo_Click();
    EXPECT_EQ(dir.read(u"tuvano.ini"_s), settings("#FALSE#", 30, "Anna"));
}

TEST_F(SettingsDialog, CancelStoresNothing)
{
    startWith(settings("#FALSE#", 10, "Anna"));
    main().lblAutoval->setText(u"before"_s);
    const auto files = dir.snapshot();
    settings::frmSettings& d = open();
    const QString autoval = main().lblAutoval->text();
    d.chkAutoval->setChecked(true);
    d.cmbProfiles->setListIndex(0);
    d.cmdCancel_Click();
    EXPECT_EQ(dir.snapshot(), files);
    EXPECT_EQ(main().lblAutoval->text(), autoval);
    EXPECT_EQ(main().lblSnabbstart->text(), qs("Snabbstart är EJ aktiverat."));
    EXPECT_EQ(main().cmbProfiler->currentText(), u"Anna"_s);
    EXPECT_EQ(forms->settingsWindow(), nullptr);
}

TEST_F(SettingsDialog, ReopeningDiscardsChangesNotApplied)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    open().chkAutoval->setChecked(true);
    open();
    EXPECT_FALSE(dialog().chkAutoval->isChecked());
}

TEST_F(SettingsDialog, AFailedWriteIsToldAndChangesNothing)
{
    const QByteArray file = settings("#FALSE#", 0, "Anna");
    startWith(file);
    test::FaultyFileOps ops;
    platform.ops = &ops;
    forms = nullptr;
    ASSERT_TRUE(start());
    settings::frmSettings& d = open();
    d.opt30->setChecked(true);
    d.chkAutoval->setChecked(true);
    ops.count = 0;
    ops.failAt = 1;
    d.cmdDo_Click();
    EXPECT_EQ(dir.read(u"tuvano.ini"_s), file);
    EXPECT_FALSE(dir.exists(u"tuvano.new"_s));
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(platform.boxes[0].text.contains(dir.shown(u"tuvano.ini"_s)));
    EXPECT_EQ(state().nAutoSelectDelay, 0);
    EXPECT_EQ(state().fQuickStart, shared::kFalse);
    EXPECT_EQ(main().lblSnabbstart->text(), qs("Snabbstart är EJ aktiverat."));
    EXPECT_EQ(forms->settingsWindow(), &d);
    EXPECT_TRUE(d.isVisible());
}

TEST_F(SettingsDialog, AFileDamagedMeanwhileIsToldAndTheDialogStaysClosed)
{
    startWith(settings("#FALSE#", 0, "Anna"));
    dir.write(u"tuvano.ini"_s, "#FALSE#\r\n");
    const auto files = dir.snapshot();
    main().lblInställningar_Click();
    EXPECT_EQ(forms->settingsWindow(), nullptr);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(platform.boxes[0].text.contains(dir.shown(u"tuvano.ini"_s)));
    EXPECT_EQ(dir.snapshot(), files);
}

TEST_F(SettingsDialog, WhileOpenAChoiceInTheMainListHasNoEffectButTheStartButtonWorks)
{
    installHost();
    startWith(settings("#TRUE#", 0, "Anna"));
    open();
    choose(u"Bo"_s);
    EXPECT_TRUE(platform.launched.isEmpty());
    main().cmdGo_Click();
    EXPECT_EQ(platform.launched.size(), 1);
}

// --- The about window ---------------------------------------------------------

class AboutWindow : public test::SessionFixture {
protected:
    // Opens the window as the command does; while it is up, look() runs and
    // then the window is closed with its button.
    void openAndLook(const std::function<void(settings::frmOm&)>& look)
    {
        bool looked = false;
        QTimer::singleShot(0, [&] {
            settings::frmOm* about = forms->about();
            ASSERT_NE(about, nullptr);
            look(*about);
            looked = true;
            QTest::mouseClick(about->cmdStäng, Qt::LeftButton);
        });
        QTest::mouseClick(control(&main(), "Label3"), Qt::LeftButton);
        EXPECT_TRUE(looked);
        EXPECT_EQ(forms->about(), nullptr);
    }
};

TEST_F(AboutWindow, ShowsTheVersionOnceEachTimeItOpensAndStopsTheCountdown)
{
    startWith(settings("#FALSE#", 10, "Anna"));
    for (int i = 0; i < 2; ++i) {
        openAndLook([&](settings::frmOm& about) {
            EXPECT_EQ(main().lblAutoval->text(), qs("Automatiskt profilval med profil Anna är "
                                                    "valt.\nNedräkningen stoppad av musklick."));
            EXPECT_TRUE(about.isModal());
            EXPECT_EQ(about.windowTitle(), u"Om Lexaro Tuvano!"_s);
            EXPECT_EQ(about.versionLine->text(), qs("Programinformation för version 1.0.9"));
            test::expectAccessibleNames(&about);
        });
    }
    EXPECT_FALSE(main().tmrDefault->isActive());
}

TEST_F(AboutWindow, WhileOpenAChoiceInTheMainListHasNoEffect)
{
    installHost();
    startWith(settings("#TRUE#", 0, "Anna"));
    openAndLook([&](settings::frmOm&) { choose(u"Bo"_s); });
    EXPECT_TRUE(platform.launched.isEmpty());
}

} // namespace
