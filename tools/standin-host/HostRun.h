#pragma once

#include "RunConfig.h"
#include "store/ProgramFolder.h"
#include "store/StoreError.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace tuvano::standin {

// One run of the stand-in host in its program folder. Like the real host it
// shows that it runs by the run marker, keeps the user's changes in memory
// and writes them into the data files only as it ends. The marker goes last,
// so whoever waits for it to vanish finds the files complete.
class HostRun {
public:
    HostRun(store::ProgramFolder folder, QString marker);

    const store::ProgramFolder& folder() const { return m_folder; }
    const QString& marker() const { return m_marker; }

    // Creates the marker.
    store::Status start();

    // Keeps a line to append to file when the run ends. False, and nothing
    // kept, when the text holds a line break or a character the data files
    // cannot carry.
    bool addLine(store::DataFile file, QStringView text);

    // The kept lines in the order they were added.
    const std::vector<LineToAdd>& pendingLines() const { return m_pending; }
    int pendingCount(store::DataFile file) const;

    // Appends the kept lines to their files, each ending in CR LF, then
    // removes the marker. A file that cannot be written stops neither the
    // others nor the marker's removal: the host is ending either way.
    // Returns every failure. With lingerMs the marker goes first, and the
    // lines are written that much later.
    std::vector<store::StoreError> finish(int lingerMs = 0);

private:
    store::Status appendTo(store::DataFile file, const QByteArray& lines);

    store::ProgramFolder m_folder;
    QString m_marker;
    std::vector<LineToAdd> m_pending;
    bool m_started = false;
};

} // namespace tuvano::standin
