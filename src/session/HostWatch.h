#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

namespace tuvano::shared {
struct Context;
}

namespace tuvano::session {

// Watches the folders of the host's marker files, so that the host's start
// and end are noticed as soon as its marker comes or goes, not at the next
// tick of the watches. It runs the same tick handlers as the timers. A
// folder that changes again and again costs one look at most every 100 ms.
class HostWatch : public QObject {
    Q_OBJECT
public:
    HostWatch(shared::Context& context, QObject* parent);

    // Looks at once: the handler of whichever watch is on.
    void probe();

private:
    void folderChanged();
    void quietAgain();

    shared::Context& m_context;
    QFileSystemWatcher m_folders;
    QTimer m_quiet;
    bool m_changedMeanwhile = false;
};

} // namespace tuvano::session
