#include "FolderAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <memory>
#include <type_traits>
#include <vector>
#include <windows.h>
#else
#include <cerrno>
#include <unistd.h>
#endif

namespace tuvano::platform {

#ifdef Q_OS_WIN
namespace {

using Handle = std::unique_ptr<std::remove_pointer_t<HANDLE>, decltype(&::CloseHandle)>;

// The rights a program needs to keep its files in a folder: to make files
// there and its own folders. Replacing and deleting its own files takes the
// right to delete them, which a folder's "Ändra" grants with these.
constexpr DWORD kWriteRights = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY;

} // namespace
#endif

bool writeDenied(const QString& folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
#ifdef Q_OS_WIN
    // The folder's own rights, weighed against this process's token as the
    // system weighs them when a file is made: an administrator's token
    // without elevation counts as an ordinary user's, as it should. Asked,
    // not tried: trying would leave a trace in the folder, and a check
    // that cannot be made decides nothing.
    const std::wstring path =
        QDir::toNativeSeparators(QFileInfo(folder).absoluteFilePath()).toStdWString();
    constexpr SECURITY_INFORMATION kParts =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    // One call where the rights fit the usual room (each call asks the disk).
    std::vector<char> descriptor(4096);
    DWORD size = 0;
    if (!::GetFileSecurityW(path.c_str(), kParts, descriptor.data(), DWORD(descriptor.size()),
                            &size)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return false;
        descriptor.resize(size);
        if (!::GetFileSecurityW(path.c_str(), kParts, descriptor.data(), size, &size))
            return false;
    }
    HANDLE process = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process))
        return false;
    const Handle processToken(process, &::CloseHandle);
    HANDLE impersonation = nullptr;
    if (!::DuplicateToken(process, SecurityImpersonation, &impersonation))
        return false;
    const Handle token(impersonation, &::CloseHandle);
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                            FILE_ALL_ACCESS};
    PRIVILEGE_SET privileges{};
    DWORD privilegesSize = sizeof privileges;
    DWORD granted = 0;
    BOOL allowed = FALSE;
    if (!::AccessCheck(descriptor.data(), impersonation, kWriteRights, &mapping, &privileges,
                       &privilegesSize, &granted, &allowed))
        return false;
    return !allowed;
#else
    // Only a refusal for this user counts: a volume that can only be read
    // is told of as such when the lock cannot be made.
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0 && errno == EACCES;
#endif
}

QString virtualStoreFolder(const QString& folder, const QString& localAppData)
{
    // Paths in either way of writing, whatever the system.
    const auto forward = [](QString path) {
        return path.replace(u'\\', u'/');
    };
    const QString path = forward(folder);
    if (localAppData.isEmpty() || path.startsWith(u"//"))
        return {}; // a network path: the system redirects nothing there
    QString rest = QDir::cleanPath(path);
    if (rest.size() >= 2 && rest[1] == u':' && rest[0].isLetter())
        rest = rest.mid(2); // "C:/Program Files (x86)/Lexaro" keeps "/Program Files..."
    if (!rest.startsWith(u'/'))
        return {};
    return QDir::cleanPath(forward(localAppData) + u"/VirtualStore" + rest);
}

QString virtualStoreFolder(const QString& folder)
{
#ifdef Q_OS_WIN
    return virtualStoreFolder(folder, qEnvironmentVariable("LOCALAPPDATA"));
#else
    Q_UNUSED(folder);
    return {}; // Wine keeps none
#endif
}

} // namespace tuvano::platform
