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

#include <algorithm>

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
    forms.hostProcesses().clear();
    forms.hostFromBefore() = false;
    shared::ProgramState& state = forms.state();
    if (state.fShutdown == shared::kTrue) {
        forms.platform().endProgram();
        return;
    }
    startup::frmMain& main = forms.main();
    main.cmdGo->setEnabled(true);
    main.show();
    main.activateWindow();
    forms.unloadMonitor();
}

namespace {

// Whether the host processes this program started have all ended. Without
// a marker seen, they are all there is to tell that a short run is over.
bool startedHostsEnded(startup::Forms& forms)
{
    const std::vector<qint64>& started = forms.hostProcesses();
    return !started.empty() && std::none_of(started.begin(), started.end(), [&](qint64 pid) {
        return forms.platform().processRunning(pid);
    });
}

} // namespace

void tmrRun_Timer(startup::Forms& forms)
{
    startup::frmMain& main = forms.main();
    // Start-up's own messages may let this tick run: a host is taken over
    // only once start-up has finished.
    if (!main.isLoaded())
        return;
    platform::Platform& platform = forms.platform();
    if (!platform.markerPresent()) {
        // A host this program started ended before its marker was seen, or
        // the host of a session from before the program started ended
        // before it was taken over.
        if (forms.session() && (startedHostsEnded(forms) || forms.hostFromBefore())) {
            main.tmrRun->stop();
            frmMonitor& monitor = forms.loadMonitor();
            monitor.tmrCheck->stop();
            WriteBackProfile(forms, monitor);
        }
        return;
    }
    main.hide();
    // A countdown must not start a profile under a host that is already
    // running with other files.
    if (main.tmrDefault->isActive())
        main.StopCountdown();
    frmMonitor& monitor = forms.loadMonitor();
    if (forms.state().fShowMonitor == shared::kTrue) {
        monitor.show();
        monitor.activateWindow();
    }
    main.tmrRun->stop();
    monitor.tmrCheck->start();
}

} // namespace tuvano::session
