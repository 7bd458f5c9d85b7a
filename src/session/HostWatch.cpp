#include "HostWatch.h"

#include "SessionWatch.h"
#include "frmMonitor.h"
#include "shared/Context.h"

#include <QFileInfo>

namespace tuvano::session {

namespace {
constexpr int kQuietMs = 100;
}

HostWatch::HostWatch(shared::Context& context, QObject* parent)
    : QObject(parent), m_context(context)
{
    QStringList folders;
    for (const QString& marker : context.platform.markerPaths()) {
        const QFileInfo folder(QFileInfo(marker).absolutePath());
        if (folder.isDir() && !folders.contains(folder.absoluteFilePath()))
            folders << folder.absoluteFilePath();
    }
    if (!folders.isEmpty())
        m_folders.addPaths(folders);
    connect(&m_folders, &QFileSystemWatcher::directoryChanged, this, &HostWatch::folderChanged);
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMs);
    connect(&m_quiet, &QTimer::timeout, this, &HostWatch::quietAgain);
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
