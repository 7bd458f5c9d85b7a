#include "SessionWatch.h"

#include "SessionSave.h"
#include "frmMonitor.h"
#include "shared/Context.h"
#include "store/ErrorText.h"
#include "store/ProgramFolder.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tuvano::session {

namespace {

using platform::Icon;

constexpr int kQuietMs = 100;

void tellNoProfile(shared::Context& context)
{
    context.platform.message(
        u"Lexaro var redan igång när Lexaro Tuvano! startade, så ingen profil startades för "
        u"den här sessionen.\n\nÄndringarna har därför inte sparats i någon profil. De finns "
        u"kvar i Lexaros programmapp tills nästa profil startas."_s,
        u"Ingen profil att spara i"_s, Icon::Information);
}

// Whether the host processes this program started have all ended. Without
// a marker seen, they are all there is to tell that a short run is over.
bool startedHostsEnded(shared::Context& context)
{
    const std::vector<qint64>& started = context.session.hostProcesses;
    return !started.empty() && std::none_of(started.begin(), started.end(), [&](qint64 pid) {
        return context.platform.processRunning(pid);
    });
}

} // namespace

void WriteBackProfile(shared::Context& context, frmMonitor& monitor)
{
    std::optional<store::SessionRecord>& session = context.session.record;
    if (!session) {
        if (monitor.chkSparaEj->checkState() != Qt::Checked)
            tellNoProfile(context);
    } else if (monitor.chkSparaEj->checkState() == Qt::Checked) {
        dropSession(context, *session);
    } else {
        saveSession(context, *session);
    }
    session.reset();
    context.session.hostProcesses.clear();
    context.session.hostFromBefore = false;
    shared::ProgramState& state = context.state;
    if (state.fShutdown == shared::kTrue) {
        context.platform.endProgram();
        return;
    }
    shared::StartWindow& window = context.startWindow;
    window.enableStart(true);
    window.showWindow();
    window.bringForward();
    unloadMonitor(context);
}

void tmrRun_Timer(shared::Context& context)
{
    shared::StartWindow& window = context.startWindow;
    // Start-up's own messages may let this tick run: a host is taken over
    // only once start-up has finished.
    if (!window.startUpFinished())
        return;
    platform::Platform& platform = context.platform;
    if (!platform.markerPresent()) {
        // A host this program started ended before its marker was seen, or
        // the host of a session from before the program started ended
        // before it was taken over.
        if (context.session.record &&
            (startedHostsEnded(context) || context.session.hostFromBefore)) {
            window.watchForHost(false);
            frmMonitor& monitor = loadMonitor(context);
            monitor.tmrCheck->stop();
            WriteBackProfile(context, monitor);
        }
        return;
    }
    window.hideWindow();
    // A countdown must not start a profile under a host that is already
    // running with other files.
    if (window.countdownRuns())
        window.stopCountdown();
    frmMonitor& monitor = loadMonitor(context);
    if (context.state.fShowMonitor == shared::kTrue) {
        monitor.show();
        monitor.activateWindow();
    }
    window.watchForHost(false);
    monitor.tmrCheck->start();
}

HostWatch::HostWatch(shared::Context& context, QObject* parent)
    : QObject(parent), m_context(context)
{
    connect(&m_folders, &QFileSystemWatcher::directoryChanged, this, &HostWatch::folderChanged);
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMs);
    connect(&m_quiet, &QTimer::timeout, this, &HostWatch::quietAgain);
}

void HostWatch::watchFolders()
{
    QStringList folders;
    for (const QString& marker : m_context.platform.markerPaths()) {
        const QFileInfo folder(QFileInfo(marker).absolutePath());
        if (folder.isDir() && !folders.contains(folder.absoluteFilePath()))
            folders << folder.absoluteFilePath();
    }
    if (!folders.isEmpty())
        m_folders.addPaths(folders);
}

void HostWatch::probe()
{
    frmMonitor* monitor = session::monitor(m_context);
    if (monitor && monitor->tmrCheck->isActive())
        monitor->tmrCheck_Timer();
    else if (!monitor && m_context.startWindow.watchesForHost())
        tmrRun_Timer(m_context);
}

// The first change is looked at at once; later ones within the quiet time
// are looked at once together when it has passed.
void HostWatch::folderChanged()
{
    if (m_quiet.isActive()) {
        m_changedMeanwhile = true;
        return;
    }
    m_quiet.start();
    probe();
}

void HostWatch::quietAgain()
{
    if (!m_changedMeanwhile)
        return;
    m_changedMeanwhile = false;
    m_quiet.start();
    probe();
}

} // namespace tuvano::session
