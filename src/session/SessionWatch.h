#pragma once

#include "shared/Context.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

// Watching the host: its start, its end and the folders of its markers.
namespace tuvano::session {

// After the host has ended: the host folder's five files back into the
// profile (unless the user chose not to), then the program ends or the
// start-up window returns for the next session. hostRan: whether the host
// was seen (else the user ended the wait for it, and the program goes on
// whatever the settings say of the host's end).
void WriteBackProfile(shared::Context& context, bool hostRan = true);

// The start-up window's look whether the host has started.
void tmrRun_Timer(shared::Context& context);

// Watches the folders of the host's marker files, so that the host's start
// and end are noticed as soon as its marker comes or goes, not at the next
// tick of the watches. It looks as the timers do. A folder that changes
// again and again costs one look at most every 100 ms.
class HostWatch : public QObject {
    Q_OBJECT
public:
    HostWatch(shared::Context& context, QObject* parent);

    // Looks at once, as the timers do.
    void probe();
    // The look once the start-up window is on the screen (lookOnceStarted).
    void probeOnceStarted();
    // Starts watching the folders; until then only probe() and the timers
    // look.
    void watchFolders();

private:
    void folderChanged();
    void quietAgain();

    shared::Context& m_context;
    QFileSystemWatcher m_folders;
    QTimer m_quiet;
    bool m_changedMeanwhile = false;
};

} // namespace tuvano::session
