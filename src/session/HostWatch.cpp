#include "HostWatch.h"

#include "frmMonitor.h"
#include "startup/Forms.h"
#include "startup/frmMain.h"

#include <QFileInfo>

namespace tuvano::session {

namespace {
constexpr int kQuietMs = 100;
}

HostWatch::HostWatch(startup::Forms& forms, QObject* parent) : QObject(parent), m_forms(forms)
{
    QStringList folders;
    for (const QString& marker : forms.platform().markerPaths()) {
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
    frmMonitor* monitor = m_forms.monitor();
    if (monitor && monitor->tmrCheck->isActive())
        monitor->tmrCheck_Timer();
    else if (!monitor && m_forms.main().tmrRun->isActive())
        m_forms.main().tmrRun_Timer();
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
