#include "SessionWatch.h"

#include "SessionSave.h"
#include "frmMonitor.h"
#include "startup/Forms.h"
#include "startup/frmMain.h"
#include "store/ErrorText.h"
#include "store/ProgramFolder.h"

#include <QCheckBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace tuvano::session {

namespace {

using platform::Icon;

void tellNoProfile(startup::Forms& forms)
{
    forms.platform().message(
        u"Lexaro var redan igång när Lexaro Tuvano! startade, så ingen profil startades för "
        u"den här sessionen.\n\nÄndringarna har därför inte sparats i någon profil. De finns "
        u"kvar i Lexaros programmapp tills nästa profil startas."_s,
        u"Ingen profil att spara i"_s, Icon::Information);
}

} // namespace

void WriteBackProfile(startup::Forms& forms, frmMonitor& monitor)
{
    std::optional<store::SessionRecord>& session = forms.session();
    if (!session) {
        if (monitor.chkSparaEj->checkState() != Qt::Checked)
            tellNoProfile(forms);
    } else if (monitor.chkSparaEj->checkState() == Qt::Checked) {
        dropSession(forms, *session);
    } else {
        saveSession(forms, *session);
    }
    session.reset();
    startup::ProgramState& state = forms.state();
    if (state.fShutdown == startup::kTrue) {
        forms.platform().endProgram();
        return;
    }
    startup::frmMain& main = forms.main();
    main.cmdGo->setEnabled(true);
    main.show();
    main.activateWindow();
    forms.unloadMonitor();
}

void tmrRun_Timer(startup::Forms& forms)
{
    platform::Platform& platform = forms.platform();
    if (!platform.markerPresent())
        return;
    startup::frmMain& main = forms.main();
    main.hide();
    // A countdown must not start a profile under a host that is already
    // running with other files.
    if (main.tmrDefault->isActive())
        main.StopCountdown();
    frmMonitor& monitor = forms.loadMonitor();
    if (forms.state().fShowMonitor == startup::kTrue) {
        monitor.show();
        monitor.activateWindow();
    }
    main.tmrRun->stop();
    monitor.tmrCheck->start();
}

} // namespace tuvano::session
