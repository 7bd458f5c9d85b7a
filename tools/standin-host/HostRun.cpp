#include "HostRun.h"

#include "store/TextCodec.h"

#include <QThread>

#include <algorithm>

namespace tuvano::standin {

using store::DataFile;
using store::ErrorKind;
using store::Status;
using store::StoreError;

HostRun::HostRun(store::ProgramFolder folder, QString marker)
    : m_folder(std::move(folder)), m_marker(std::move(marker))
{}

Status HostRun::start()
{
    Status status = m_folder.ops().writeNew(m_marker, {});
    m_started = status.ok();
    return status;
}

bool HostRun::addLine(DataFile file, QStringView text)
{
    if (text.contains(u'\r') || text.contains(u'\n') || !store::codec::encode(text))
        return false;
    m_pending.push_back({file, text.toString()});
    return true;
}

int HostRun::pendingCount(DataFile file) const
{
    return int(std::count_if(m_pending.begin(), m_pending.end(),
                             [file](const LineToAdd& line) { return line.file == file; }));
}

std::vector<StoreError> HostRun::finish(int lingerMs)
{
    std::vector<StoreError> errors;
    const auto removeMarker = [&] {
        if (!m_started)
            return;
        m_started = false;
        Status status = m_folder.ops().remove(m_marker);
        if (!status && status.error().kind != ErrorKind::Missing)
            errors.push_back(status.error());
    };
    if (lingerMs > 0) {
        removeMarker();
        QThread::msleep(ulong(lingerMs));
    }
    for (DataFile file : store::ProfileFileSet::listing) {
        if (pendingCount(file) == 0)
            continue;
        QByteArray lines;
        for (const LineToAdd& line : m_pending) {
            if (line.file == file)
                lines += store::codec::encode(line.text).value_or(QByteArray()) + "\r\n";
        }
        if (Status status = appendTo(file, lines); !status)
            errors.push_back(status.error());
    }
    m_pending.clear();
    removeMarker();
    return errors;
}

Status HostRun::appendTo(DataFile file, const QByteArray& lines)
{
    const QString path = m_folder.liveFile(file);
    store::Result<QByteArray> old = m_folder.ops().readAll(path);
    // A file that exists but cannot be read is left alone rather than
    // replaced by the new lines only.
    if (!old && old.error().kind != ErrorKind::Missing)
        return old.error();
    QByteArray bytes = old ? std::move(*old) : QByteArray();
    bytes += lines;
    return m_folder.ops().writeNew(path, bytes);
}

} // namespace tuvano::standin
