#include "WindowsFiles.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <io.h>
#include <vector>
#include <windows.h>

// After windows.h, whose types it uses.
#include <restartmanager.h>

namespace tuvano::store::windows {

namespace {

// Windows' own calls take a path of up to MAX_PATH characters, a folder's
// up to 12 fewer, unless the path is written behind "\\?\".
constexpr qsizetype kLongestPlainPath = MAX_PATH - 12;

// Which status of the kernel a failed call came from: a file whose deletion
// is pending is refused as "access denied" too, and only that tells them
// apart.
constexpr LONG kDeletePending = LONG(0xC0000056);

bool deletionPending()
{
    using LastStatus = LONG(NTAPI*)();
    static const auto lastStatus = reinterpret_cast<LastStatus>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetLastNtStatus")));
    return lastStatus && lastStatus() == kDeletePending;
}

// Access to path was denied to a call that would replace or delete it: by
// another program's open handle (Windows refuses a rename over a file that
// is open, whatever it shares), by a deletion still pending, or truly (a
// read-only file, a permission the user lacks).
Cause whyDenied(const QString& path)
{
    const std::wstring name = longPath(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return deletionPending() ? Cause::InUse : Cause::AccessDenied;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        return Cause::AccessDenied;
    // The right to delete it, asked for with every kind of sharing: granted,
    // it was another program's handle that stood in the way.
    const HANDLE probe =
        ::CreateFileW(name.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        ::CloseHandle(probe);
        return Cause::InUse;
    }
    const DWORD code = ::GetLastError();
    if (code == ERROR_SHARING_VIOLATION || deletionPending())
        return Cause::InUse;
    return Cause::AccessDenied;
}

} // namespace

std::wstring longPath(const QString& path)
{
    QString native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (native.size() >= kLongestPlainPath && !native.startsWith(u"\\\\?\\")) {
        if (native.startsWith(u"\\\\"))
            native = u"\\\\?\\UNC\\" + native.mid(2);
        else
            native = u"\\\\?\\" + native;
    }
    return native.toStdWString();
}

Cause causeOf(unsigned long code)
{
    switch (code) {
    case ERROR_SUCCESS:
        return Cause::None;
    case ERROR_ACCESS_DENIED:
        return Cause::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return Cause::DiskFull;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return Cause::InUse;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return Cause::NotFound;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return Cause::Exists;
    case ERROR_WRITE_PROTECT:
        return Cause::ReadOnlyVolume;
    case ERROR_FILENAME_EXCED_RANGE:
        return Cause::NameTooLong;
    case ERROR_DIRECTORY:
        return Cause::NotFolder;
    case ERROR_CRC:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
        return Cause::DeviceError;
    default:
        return Cause::Other;
    }
}

Cause lastCause()
{
    const DWORD code = ::GetLastError();
    if (code == ERROR_ACCESS_DENIED && deletionPending())
        return Cause::InUse;
    return causeOf(code);
}

Cause open(QFile& file, const QString& path, QIODevice::OpenMode mode)
{
    const bool writing = mode & QIODevice::WriteOnly;
    const bool reading = mode & QIODevice::ReadOnly;
    const DWORD access = (reading ? GENERIC_READ : 0) | (writing ? GENERIC_WRITE : 0);
    // A reader never stands in the way of another program; a writer lets
    // others read what it writes.
    const DWORD share =
        writing ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const DWORD disposition =
        writing && (mode & QIODevice::Truncate) ? CREATE_ALWAYS : OPEN_EXISTING;
    const HANDLE handle = ::CreateFileW(longPath(path).c_str(), access, share, nullptr, disposition,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return lastCause();
    const int flags = writing ? (reading ? _O_RDWR : _O_WRONLY) : _O_RDONLY;
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (fd < 0) {
        ::CloseHandle(handle);
        return Cause::Other;
    }
    if (!file.open(fd, mode & ~QIODevice::Truncate, QFileDevice::AutoCloseHandle)) {
        ::_close(fd);
        return Cause::Other;
    }
    return Cause::None;
}

Cause rename(const QString& from, const QString& to)
{
    if (::MoveFileExW(longPath(from).c_str(), longPath(to).c_str(), MOVEFILE_REPLACE_EXISTING))
        return Cause::None;
    const Cause cause = lastCause();
    if (cause != Cause::AccessDenied)
        return cause;
    // The file replaced, or the one moved, may be the one held.
    if (whyDenied(to) == Cause::InUse || whyDenied(from) == Cause::InUse)
        return Cause::InUse;
    return Cause::AccessDenied;
}

Cause link(const QString& existing, const QString& name)
{
    if (::CreateHardLinkW(longPath(name).c_str(), longPath(existing).c_str(), nullptr))
        return Cause::None;
    return lastCause();
}

Cause remove(const QString& path)
{
    if (::DeleteFileW(longPath(path).c_str()))
        return Cause::None;
    const Cause cause = lastCause();
    return cause == Cause::AccessDenied ? whyDenied(path) : cause;
}

QStringList holdersOf(const QStringList& paths)
{
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (::RmStartSession(&session, 0, key) != ERROR_SUCCESS)
        return {};
    std::vector<std::wstring> names;
    for (const QString& path : paths)
        names.push_back(
            QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdWString());
    std::vector<LPCWSTR> files;
    for (const std::wstring& name : names)
        files.push_back(name.c_str());
    QStringList holders;
    if (::RmRegisterResources(session, UINT(files.size()), files.data(), 0, nullptr, 0, nullptr) ==
        ERROR_SUCCESS) {
        std::vector<RM_PROCESS_INFO> found(4);
        UINT needed = 0;
        UINT count = UINT(found.size());
        DWORD reasons = 0;
        DWORD listed = ::RmGetList(session, &needed, &count, found.data(), &reasons);
        if (listed == ERROR_MORE_DATA) {
            found.resize(needed);
            count = needed;
            listed = ::RmGetList(session, &needed, &count, found.data(), &reasons);
        }
        for (UINT i = 0; listed == ERROR_SUCCESS && i < count; ++i) {
            const QString name = QString::fromWCharArray(found[i].strAppName).trimmed();
            if (found[i].Process.dwProcessId != ::GetCurrentProcessId() && !name.isEmpty() &&
                !holders.contains(name))
                holders << name;
        }
    }
    ::RmEndSession(session);
    return holders;
}

} // namespace tuvano::store::windows
