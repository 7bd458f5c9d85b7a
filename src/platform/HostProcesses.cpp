#include "HostProcesses.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <iterator>
#include <optional>
#include <set>
#include <utility>

#ifdef Q_OS_WIN
#include <windows.h>

// After windows.h, whose types it uses.
#include <tlhelp32.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace tuvano::platform {

namespace {

#ifdef Q_OS_WIN

// A file as Windows knows it whatever path leads to it: its volume and its
// index on the volume.
using FileId = std::pair<DWORD, quint64>;

std::optional<FileId> fileId(const QString& path)
{
    const HANDLE file =
        ::CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(file, &info);
    ::CloseHandle(file);
    if (!known)
        return std::nullopt;
    return FileId{info.dwVolumeSerialNumber,
                  quint64(info.nFileIndexHigh) << 32 | quint64(info.nFileIndexLow)};
}

QString imageOf(DWORD pid)
{
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return {};
    wchar_t path[32768];
    DWORD size = DWORD(std::size(path));
    QString image;
    if (::QueryFullProcessImageNameW(process, 0, path, &size))
        image = QString::fromWCharArray(path, int(size));
    ::CloseHandle(process);
    return image;
}

#else

// A file as the system knows it whatever path leads to it.
using FileId = std::pair<dev_t, ino_t>;

std::optional<FileId> fileId(const QByteArray& path)
{
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return std::nullopt;
    return FileId{info.st_dev, info.st_ino};
}

std::optional<FileId> fileId(const QString& path) { return fileId(QFile::encodeName(path)); }

// The whole of a small file of /proc, read with as few calls as can be: a
// look at every process must stay cheap.
QByteArray readProcFile(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes;
    char buffer[16384];
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, got);
    ::close(fd);
    return bytes;
}

// Wine runs a Windows program in a process of its own loader, into which
// the program's file is mapped: /proc/<pid>/maps names it with its device
// ("major:minor" in hex) and inode: "start-end perms offset dev inode path".
bool mapsOneOf(const QByteArray& maps, const std::set<FileId>& files)
{
    for (const FileId& file : files) {
        const QByteArray inode = ' ' + QByteArray::number(quint64(file.second)) + ' ';
        for (qsizetype at = maps.indexOf(inode); at >= 0; at = maps.indexOf(inode, at + 1)) {
            const qsizetype lineStart = maps.lastIndexOf('\n', at) + 1;
            const QList<QByteArray> fields = maps.mid(lineStart, at - lineStart).split(' ');
            const QList<QByteArray> dev =
                fields.size() >= 4 ? fields[3].split(':') : QList<QByteArray>();
            if (dev.size() == 2 &&
                ::makedev(dev[0].toUInt(nullptr, 16), dev[1].toUInt(nullptr, 16)) == file.first)
                return true;
        }
    }
    return false;
}

#endif

} // namespace

std::vector<qint64> processesRunning(const QStringList& programs)
{
    std::set<FileId> files;
    for (const QString& program : programs) {
        if (const auto id = fileId(program))
            files.insert(*id);
    }
    std::vector<qint64> found;
    if (files.empty())
        return found;
#ifdef Q_OS_WIN
    QStringList names;
    for (const QString& program : programs)
        names << QFileInfo(program).fileName();
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (bool more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        // Only a program of one of the names can be one of the files: the
        // others are not opened.
        const QString name = QString::fromWCharArray(entry.szExeFile);
        if (!names.contains(name, Qt::CaseInsensitive))
            continue;
        const QString image = imageOf(entry.th32ProcessID);
        if (image.isEmpty())
            continue;
        if (const auto id = fileId(image); id && files.contains(*id))
            found.push_back(qint64(entry.th32ProcessID));
    }
    ::CloseHandle(snapshot);
#else
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return found;
    // Only a process whose name may be one of the files' (the name is the
    // program's file name, cut to 15 characters) or one that Wine runs (it
    // names the process after the Windows program; its loader is "wine...")
    // is looked at more closely.
    QList<QByteArray> names;
    for (const QString& program : programs)
        names << QFile::encodeName(QFileInfo(program).fileName()).left(15);
    while (const dirent* entry = ::readdir(proc)) {
        bool isPid = false;
        const qint64 pid = QByteArray(entry->d_name).toLongLong(&isPid);
        if (!isPid || pid <= 0)
            continue;
        const QByteArray folder = "/proc/" + QByteArray::number(pid);
        const QByteArray name = readProcFile(folder + "/comm").trimmed();
        const bool underWine = name.toLower().endsWith(".exe") || name.startsWith("wine");
        if (!underWine && !names.contains(name))
            continue;
        // A program started directly; an ended one (a zombie) has none.
        if (const auto id = fileId(folder + "/exe"); id && files.contains(*id))
            found.push_back(pid);
        else if (underWine && mapsOneOf(readProcFile(folder + "/maps"), files))
            found.push_back(pid);
    }
    ::closedir(proc);
#endif
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace tuvano::platform
