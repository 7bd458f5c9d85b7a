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

// beforeStart: the host ran already when this program started.
void tellNoProfile(shared::Context& context, bool beforeStart)
{
    context.platform.message(
        (beforeStart ? u"Lexaro var redan igång när Lexaro Tuvano! startade, så ingen profil "
                       u"startades för den här sessionen."_s
                     : u"Lexaro startades utan Lexaro Tuvano!, och Lexaros filer hörde inte till "
                       u"någon profil."_s) +
            u"\n\nÄndringarna har därför inte sparats i någon profil. De finns kvar i Lexaros "
            u"programmapp tills nästa profil startas.",
        u"Ingen profil att spara i"_s, Icon::Information);
}

} // namespace

void WriteBackProfile(shared::Context& context, bool hostRan)
{
    shared::LiveSession& live = context.session;
    const frmMonitor* window = monitor(context);
    if (!live.record) {
        if (!(window && window->chkSparaEj->checkState() == Qt::Checked))
            tellNoProfile(context, live.hostBeforeStart);
    } else if (!live.record->keepChanges) {
        dropSession(context, *live.record);
    } else {
        saveSession(context, *live.record);
    }
    // The processes the start launched stay known: while one still runs
    // (the user ended the wait), no start may swap files in.
    live.launchFailed = false;
    live.fromEarlierRun = false;
    live.hostBeforeStart = false;
    live.stage = shared::LiveSession::Stage::Idle;
    shared::ProgramState& state = context.state;
    if (hostRan && state.fShutdown == shared::kTrue) {
        context.platform.endProgram();
        return;
    }
    shared::StartWindow& startWindow = context.startWindow;
    startWindow.enableStart(true);
    startWindow.showWindow();
    startWindow.bringForward();
    unloadMonitor(context);
    // A host that comes later, by hand or after the wait was ended, runs on
    // the owner's files: it is taken over like any other.
    startWindow.watchForHost(true);
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

void HostWatch::probeOnceStarted() { lookOnceStarted(m_context); }

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
