#pragma once

#include "shared/Context.h"
#include "startup/StartUp.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTimer;

namespace tuvano::widgets {
class ChoiceList;
class ClickFrame;
class ClickLabel;
class CommandLink;
class StatusLine;
} // namespace tuvano::widgets

namespace tuvano::shell {

class Forms;

// The start-up window: the profile list with the start button, the two
// status lines and the commands that open the other windows or end the
// program. It lives for the whole run and is hidden while the host runs.
class frmMain : public QWidget, public shared::StartWindow {
    Q_OBJECT
public:
    explicit frmMain(Forms& forms);

    // Reads the window's pictures before it is made; they need no fonts.
    static void readPicturesAhead();

    // Start-up: reads the settings (first run when there are none), fills the
    // list, preselects the default, writes the status lines, starts the
    // countdown. False when the program has ended on the way. Takes the
    // files read ahead, if they were.
    bool Form_Load(startup::StartFiles readAhead = {});
    // Whether a change of the list's text is still looked for.
    bool watchesList() const { return m_listWatched; }

    // What the features see of the window.
    void enableStart(bool enabled) override;
    bool startEnabled() const override;
    QString chosenProfile() const override;
    void fillProfiles(const QStringList& names) override;
    void clearProfiles() override;
    void chooseProfile(const QString& name) override;
    void setCountdownLine(const QString& text) override;
    void setQuickStartLine(const QString& text) override;
    bool countdownRuns() const override;
    void stopCountdown() override;
    void watchForHost(bool on) override;
    bool watchesForHost() const override;
    void showWait(const QString& text, bool wayOut) override;
    bool startUpFinished() const override { return m_loaded; }
    void showWindow() override { show(); }
    void hideWindow() override { hide(); }
    void bringForward() override { activateWindow(); }
    QScreen* currentScreen() const override { return screen(); }

    // Arms the countdown when a length is set, or says there is none.
    void startCountdown();

    // Handlers of the window's clicks and ticks.
    void Form_Click();
    void onInfoFrameClicked();
    void lblAutoval_Click();
    void lblSnabbstart_Click();
    void onTaglineClicked();
    void onAboutClicked();
    void onExitClicked();
    void lblAdministreraProfiler_Click();
    void lblInställningar_Click();
    void onListWatchTimer();
    void cmdGo_Click();
    void cmbProfiler_Click();
    void tmrRun_Timer();
    void tmrDefault_Timer();
    // The way out of a wait for the host.
    void cmdWait_Click();

    // The controls behind what the features see; the tests read them too.
    widgets::ChoiceList* cmbProfiler = nullptr;
    QPushButton* cmdGo = nullptr;
    widgets::ClickLabel* lblSnabbstart = nullptr;
    widgets::StatusLine* lblAutoval = nullptr;
    QTimer* tmrRun = nullptr;
    QTimer* listWatch = nullptr;
    QTimer* tmrDefault = nullptr;
    // What a session waits for, and the way out of the wait.
    QWidget* waitPanel = nullptr;
    QLabel* lblWait = nullptr;
    widgets::CommandLink* cmdWait = nullptr;

    // Seconds left in the countdown.
    qint16 Counter = 0;

protected:
    // Any key pressed in the window stops the countdown, as a click does;
    // the key then does what it always does.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    QWidget* buildBanner();
    QWidget* buildCommandPanel();
    QWidget* buildStartPanel();
    QWidget* buildFooter();
    void setUpKeyboard();
    // A marker older than the computer's last start is no sign of a host.
    void tellAboutStaleMarkers();

    shared::Context& context() const;

    Forms& m_forms;
    shared::ProgramState& m_state;
    bool m_loaded = false;
    // Whether the list's text is still watched (until a change stops the
    // countdown for good).
    bool m_listWatched = true;

    widgets::ClickFrame* infoFrame = nullptr;
    widgets::ClickLabel* tagline = nullptr;
    widgets::CommandLink* exitLink = nullptr;
    widgets::CommandLink* aboutLink = nullptr;
    widgets::CommandLink* lblInställningar = nullptr;
    widgets::CommandLink* lblAdministreraProfiler = nullptr;
};

} // namespace tuvano::shell
