#include "admin/frmAdd.h"
#include "admin/frmProfiles.h"
#include "session/SessionFixture.h"
#include "settings/frmOm.h"
#include "settings/frmSettings.h"

#include <QAbstractItemView>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace tuvano;
using namespace Qt::StringLiterals;
using test::qs;

namespace {

const QString kStoppedAnna =
    qs("Automatiskt profilval med profil Anna är valt.\nNedräkningen stoppad av musklick.");

// The program as it starts with a countdown and a host to launch, used from
// the keyboard alone.
class Keyboard : public test::SessionFixture {
protected:
    void SetUp() override
    {
        installHost();
        startWith(settings("#FALSE#", 10, "Anna"));
    }

    // The control that has the focus once the window is active.
    static QWidget* focusIn(QWidget* window)
    {
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        return window->focusWidget();
    }
    // A key pressed in the window, at the control with the focus.
    static void press(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* focused = focusIn(window);
        QTest::keyClick(focused ? focused : window, key, modifiers);
    }
    // A button pressed by its access key goes up again a moment later.
    static bool soon(const std::function<bool()>& condition)
    {
        return QTest::qWaitFor(condition, 2000);
    }
    static QStringList tabOrder(QWidget* window, int steps)
    {
        QStringList order;
        for (int i = 0; i < steps; ++i) {
            press(window, Qt::Key_Tab);
            order << window->focusWidget()->objectName();
        }
        return order;
    }
};

TEST_F(Keyboard, FocusStartsInTheListAndTabGoesOnToTheStartButtonAndTheCommands)
{
    EXPECT_EQ(focusIn(&main()), main().cmbProfiler);
    EXPECT_EQ(tabOrder(&main(), 6),
              (QStringList{u"cmdGo"_s, u"lblAdministreraProfiler"_s, qs("lblInställningar"),
                           u"Label3"_s, u"Label4"_s, u"cmbProfiler"_s}));
}

enum class Effect { ChoosesBo, Starts, OpensTheList, OpensAdministration, Ends };

struct KeyCase {
    const char* label;
    const char* focus;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    Effect effect;
};

class KeysInTheStartUpWindow : public Keyboard, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeysInTheStartUpWindow, StopTheCountdownAsAClickDoesAndStillDoTheirWork)
{
    const KeyCase& c = GetParam();
    control(&main(), c.focus)->setFocus();
    press(&main(), c.key, c.modifiers);
    EXPECT_FALSE(main().tmrDefault->isActive());
    EXPECT_EQ(main().lblAutoval->text(), kStoppedAnna);
    switch (c.effect) {
    case Effect::ChoosesBo:
        EXPECT_EQ(main().cmbProfiler->currentText(), u"Bo"_s);
        EXPECT_TRUE(platform.launched.isEmpty());
        break;
    case Effect::Starts:
        EXPECT_TRUE(soon([&] { return platform.launched.size() == 1; }));
        EXPECT_EQ(main().cmbProfiler->currentText(), u"Anna"_s);
        break;
    case Effect::OpensTheList:
        EXPECT_TRUE(main().cmbProfiler->view()->isVisible());
        main().cmbProfiler->hidePopup();
        break;
    case Effect::OpensAdministration:
        ASSERT_NE(forms->profiles(), nullptr);
        EXPECT_TRUE(forms->profiles()->isVisible());
        break;
    case Effect::Ends:
        EXPECT_TRUE(platform.ended);
        EXPECT_TRUE(platform.launched.isEmpty());
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Startup, KeysInTheStartUpWindow,
    ::testing::Values(
        KeyCase{"ArrowInTheList", "cmbProfiler", Qt::Key_Down, {}, Effect::ChoosesBo},
        KeyCase{"LetterInTheList", "cmbProfiler", Qt::Key_B, {}, Effect::ChoosesBo},
        KeyCase{"SpaceInTheList", "cmbProfiler", Qt::Key_Space, {}, Effect::OpensTheList},
        KeyCase{"EnterInTheList", "cmbProfiler", Qt::Key_Return, {}, Effect::Starts},
        KeyCase{"KeypadEnterInTheList", "cmbProfiler", Qt::Key_Enter, Qt::KeypadModifier,
                Effect::Starts},
        KeyCase{"AccessKeyOfStarta", "cmbProfiler", Qt::Key_S, Qt::AltModifier, Effect::Starts},
        KeyCase{"SpaceOnACommand",
                "lblAdministreraProfiler",
                Qt::Key_Space,
                {},
                Effect::OpensAdministration},
        KeyCase{"EnterOnACommand", "Label4", Qt::Key_Return, {}, Effect::Ends}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Keyboard, TheAdministrationWindowAndTheNewProfileDialogWorkFromTheKeyboard)
{
    main().lblAdministreraProfiler_Click();
    admin::frmProfiles& profiles = *forms->profiles();
    EXPECT_EQ(focusIn(&profiles), profiles.lstProfiles);
    press(&profiles, Qt::Key_L, Qt::AltModifier); // "&Lägg till"
    ASSERT_TRUE(soon([&] { return forms->add() != nullptr; }));

    admin::frmAdd& add = *forms->add();
    EXPECT_EQ(focusIn(&add), add.cmbProfiles);
    EXPECT_EQ(tabOrder(&add, 4),
              (QStringList{u"cmdDo"_s, u"cmdCancel"_s, u"lblNamn"_s, u"cmbProfiles"_s}));
    add.lblNamn->setFocus();
    platform.inputs = {u"Cilla"_s};
    press(&add, Qt::Key_Space);
    EXPECT_EQ(add.lblNamn->text(), u"Cilla"_s);
    press(&add, Qt::Key_A, Qt::AltModifier); // "&Avbryt"
    EXPECT_TRUE(soon([&] { return forms->add() == nullptr; }));

    press(&profiles, Qt::Key_S, Qt::AltModifier); // "&Stäng"
    EXPECT_TRUE(soon([&] { return forms->profiles() == nullptr; }));
}

TEST_F(Keyboard, TheSettingsDialogsKeysChooseAndTwoThatShareALetterTakeTurns)
{
    main().lblInställningar_Click();
    settings::frmSettings& dialog = *forms->settingsWindow();
    EXPECT_EQ(focusIn(&dialog), dialog.chkAutoval);
    press(&dialog, Qt::Key_0, Qt::AltModifier); // "3&0 sekunder."
    EXPECT_TRUE(soon([&] { return dialog.opt30->isChecked(); }));
    press(&dialog, Qt::Key_S, Qt::AltModifier); // "&Stäng Lexaro Tuvano! ..."
    EXPECT_TRUE(soon([&] { return !dialog.chkShutdown->isChecked(); }));

    // "&Visa ..." and "A&vbryt", "Använd &automatiskt ..." and "&Använd": as
    // the captions are given, a shared letter moves the focus between its
    // two controls and leaves pressing to Space.
    const QByteArray file = dir.read(u"tuvano.ini"_s);
    for (const auto& [key, first, second] :
         {std::tuple{Qt::Key_V, static_cast<QWidget*>(dialog.chkShow),
                     static_cast<QWidget*>(dialog.cmdCancel)},
          std::tuple{Qt::Key_A, static_cast<QWidget*>(dialog.chkAutoval),
                     static_cast<QWidget*>(dialog.cmdDo)}}) {
        press(&dialog, key, Qt::AltModifier);
        QWidget* focused = dialog.focusWidget();
        EXPECT_TRUE(focused == first || focused == second);
        press(&dialog, key, Qt::AltModifier);
        EXPECT_NE(dialog.focusWidget(), focused);
        EXPECT_TRUE(dialog.focusWidget() == first || dialog.focusWidget() == second);
    }
    QTest::qWait(200); // longer than a pressed button stays down
    EXPECT_EQ(forms->settingsWindow(), &dialog);
    EXPECT_TRUE(dialog.chkShow->isChecked());
    EXPECT_FALSE(dialog.chkAutoval->isChecked());
    EXPECT_EQ(dir.read(u"tuvano.ini"_s), file);
}

TEST_F(Keyboard, TheMonitorsBoxIsTickedByItsKey)
{
    main().cmdGo_Click();
    session::frmMonitor& monitor = hostStarts();
    EXPECT_EQ(focusIn(&monitor), monitor.chkSparaEj);
    press(&monitor, Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(soon([&] { return monitor.chkSparaEj->isChecked(); }));
}

TEST_F(Keyboard, TheAboutWindowClosesByItsKey)
{
    bool pressed = false;
    QTimer::singleShot(0, [&] {
        settings::frmOm* about = forms->about();
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(focusIn(about), about->cmdStäng);
        press(about, Qt::Key_S, Qt::AltModifier);
        pressed = true;
    });
    // Should the key not work, the window still closes and the test goes on.
    QTimer rescue;
    rescue.setSingleShot(true);
    QObject::connect(&rescue, &QTimer::timeout, [&] {
        ADD_FAILURE() << "the about window stayed open";
        forms->about()->reject();
    });
    rescue.start(3000);
    main().onAboutClicked();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(forms->about(), nullptr);
}

} // namespace
