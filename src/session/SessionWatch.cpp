#include "SessionWatch.h"

#include "SessionSave.h"
#include "SessionStage.h"
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

} // namespace

void WriteBackProfile(shared::Context& context)
{
    shared::LiveSession& live = context.session;
    std::optional<store::SessionRecord>& session = live.record;
    const frmMonitor* window = monitor(context);
    const bool keep = session ? session->keepChanges
                              : !(window && window->chkSparaEj->checkState() == Qt::Checked);
    if (!session) {
        if (keep)
            tellNoProfile(context);
    } else if (!keep) {
        dropSession(context, *session);
    } else {
        saveSession(context, *session);
    }
    session.reset();
    // The processes the start launched stay known: while one still runs
    // (the user said the host had ended), no start may swap files in.
    live.hostSeenRunning.clear();
    live.launchFailed = false;
    live.hostFromBefore = false;
    live.stage = shared::LiveSession::Stage::Idle;
    shared::ProgramState& state = context.state;
    if (state.fShutdown == shared::kTrue) {
        context.platform.endProgram();
        return;
    }
    shared::StartWindow& startWindow = context.startWindow;
    startWindow.enableStart(true);
    startWindow.showWindow();
    startWindow.bringForward();
    unloadMonitor(context);
}

void tmrRun_Timer(shared::Context& context) { lookAgain(context); }

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

void HostWatch::probe() { lookAgain(m_context); }

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
