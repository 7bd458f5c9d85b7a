#include "FileOps.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>
#include <vector>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <cerrno>
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace tuvano::store {

namespace {

std::filesystem::path fsPath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString describe(const std::error_code& ec) { return QString::fromLocal8Bit(ec.message()); }

StoreError error(ErrorKind kind, const QString& path, QString detail = {})
{
    return StoreError{kind, path, 0, Flaw::None, std::move(detail)};
}

// Flushes an open file's data to the disk itself, not just to the system.
bool syncToDisk(QFile& file)
{
#if defined(Q_OS_WIN)
    return ::_commit(file.handle()) == 0;
#elif defined(Q_OS_LINUX)
    return ::fdatasync(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

// Copies what is left of in into out by read and write, a block at a time.
bool streamCopy(QFile& in, QFile& out)
{
    constexpr qint64 kBlock = 1 << 20;
    std::vector<char> buffer(kBlock);
    for (;;) {
        const qint64 got = in.read(buffer.data(), kBlock);
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (out.write(buffer.data(), got) != got)
            return false;
    }
}

#ifdef Q_OS_LINUX
// A clone shares the source's blocks (copy-on-write file systems); otherwise
// copy_file_range copies inside the kernel. Returns false with errno set when
// neither can be used or the copy fails; done is true when the copy is whole.
bool kernelCopy(int in, int out, bool& done)
{
    done = false;
    if (::ioctl(out, FICLONE, in) == 0) {
        done = true;
        return true;
    }
    bool first = true;
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n == 0) {
            done = true;
            return true;
        }
        if (n < 0) {
            const bool unsupported = errno == ENOSYS || errno == EXDEV || errno == EINVAL ||
                                     errno == EOPNOTSUPP || errno == EBADF;
            // Not available here: fall back to reading and writing.
            return first && unsupported;
        }
        first = false;
    }
}
#endif

} // namespace

FileOps& FileOps::real()
{
    static FileOps ops;
    return ops;
}

Result<QByteArray> FileOps::readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!QFileInfo::exists(path))
            return error(ErrorKind::Missing, path);
        return error(ErrorKind::ReadFailed, path, file.errorString());
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return error(ErrorKind::ReadFailed, path, file.errorString());
    return bytes;
}

Status FileOps::writeNew(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return error(ErrorKind::WriteFailed, path, file.errorString());
    if (file.write(bytes) != bytes.size())
        return error(ErrorKind::WriteFailed, path, file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        return error(ErrorKind::WriteFailed, path, file.errorString());
    return {};
}

Status FileOps::copyNew(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (!QFileInfo::exists(source))
            return error(ErrorKind::Missing, source);
        return error(ErrorKind::ReadFailed, source, in.errorString());
    }
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return error(ErrorKind::WriteFailed, target, out.errorString());

    bool done = false;
#ifdef Q_OS_LINUX
    if (!kernelCopy(in.handle(), out.handle(), done))
        return error(ErrorKind::WriteFailed, target, qt_error_string(errno));
#endif
    if (!done && !streamCopy(in, out)) {
        if (in.error() != QFileDevice::NoError)
            return error(ErrorKind::ReadFailed, source, in.errorString());
        return error(ErrorKind::WriteFailed, target, out.errorString());
    }
    out.close();
    if (out.error() != QFileDevice::NoError)
        return error(ErrorKind::WriteFailed, target, out.errorString());
    return {};
}

Status FileOps::flush(const QString& path)
{
    QFile file(path);
#ifdef Q_OS_WIN
    const QIODevice::OpenMode mode = QIODevice::ReadWrite; // flushing needs write access there
#else
    const QIODevice::OpenMode mode = QIODevice::ReadOnly;
#endif
    if (!file.open(mode))
        return error(ErrorKind::WriteFailed, path, file.errorString());
    if (!syncToDisk(file))
        return error(ErrorKind::WriteFailed, path, qt_error_string());
    return {};
}

Status FileOps::rename(const QString& from, const QString& to)
{
    std::error_code ec;
    const std::filesystem::file_status kept = std::filesystem::status(fsPath(to), ec);
    if (!ec && std::filesystem::exists(kept))
        std::filesystem::permissions(fsPath(from), kept.permissions(), ec);
    ec.clear();
    std::filesystem::rename(fsPath(from), fsPath(to), ec);
    if (ec)
        return error(ErrorKind::WriteFailed, to, describe(ec));
    return {};
}

Status FileOps::flushFolder([[maybe_unused]] const QString& folder)
{
#ifndef Q_OS_WIN
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return error(ErrorKind::WriteFailed, folder, qt_error_string(errno));
    const bool synced = ::fsync(fd) == 0;
    const int why = errno;
    ::close(fd);
    if (!synced)
        return error(ErrorKind::WriteFailed, folder, qt_error_string(why));
#endif
    return {};
}

Status FileOps::remove(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return error(ErrorKind::Missing, path);
    if (info.isDir())
        return error(ErrorKind::DeleteFailed, path,
                     describe(std::make_error_code(std::errc::is_a_directory)));
    QFile file(path);
    if (!file.remove())
        return error(ErrorKind::DeleteFailed, path, file.errorString());
    return {};
}

Status FileOps::makeFolder(const QString& path)
{
    std::error_code ec;
    if (!std::filesystem::create_directory(fsPath(path), ec) && !ec)
        ec = std::make_error_code(std::errc::file_exists);
    if (ec)
        return error(ErrorKind::FolderFailed, path, describe(ec));
    return {};
}

Status FileOps::removeFolder(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return error(ErrorKind::Missing, path);
    if (!info.isDir())
        return error(ErrorKind::FolderFailed, path,
                     describe(std::make_error_code(std::errc::not_a_directory)));
    std::error_code ec;
    std::filesystem::remove(fsPath(path), ec);
    if (ec)
        return error(ErrorKind::FolderFailed, path, describe(ec));
    return {};
}

Result<QString> FileOps::writeTarget(const QString& path)
{
    const QString target = followLinks(path);
    if (target.isEmpty())
        return error(ErrorKind::WriteFailed, path,
                     describe(std::make_error_code(std::errc::too_many_symbolic_link_levels)));
    const QFileInfo info(target);
    if (info.isDir())
        return error(ErrorKind::WriteFailed, path,
                     describe(std::make_error_code(std::errc::is_a_directory)));
    constexpr QFile::Permissions kWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (info.exists() && !(info.permissions() & kWrite))
        return error(ErrorKind::ReadOnly, path);
    return target;
}

QString followLinks(const QString& path)
{
    QFileInfo info(path);
    for (int hops = 0; info.isSymLink(); ++hops) {
        if (hops == 40)
            return {};
        info = QFileInfo(info.symLinkTarget());
    }
    if (const QString whole = info.canonicalFilePath(); !whole.isEmpty())
        return whole;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + u'/' + info.fileName();
}

namespace {

constexpr QStringView kTempTail = u".tuvano-new";
constexpr QStringView kStageTail = u".tuvano-save";

QString besideTarget(const QString& target, const QString& name)
{
    return QFileInfo(target).path() + u'/' + name;
}

// A failure on the temporary file is told as a failure to save the target:
// that is the file the user knows.
Status undoTemp(FileOps& ops, Status status, const QString& temp, const QString& place,
                const QString& target)
{
    (void)ops.remove(temp);
    StoreError e = status.error();
    if (e.path == temp || e.path == place)
        e.path = target;
    return e;
}

// Puts a whole temporary file in place of target: flushed first when it must
// last, the rename flushed after.
Status putInPlace(FileOps& ops, const QString& temp, const QString& target, Durability durability)
{
    Status status;
    if (durability == Durability::OnDisk)
        status = ops.flush(temp);
    if (status)
        status = ops.rename(temp, target);
    // Once renamed the new file is in place; a folder that cannot be flushed
    // does not make it the old one again.
    if (status && durability == Durability::OnDisk)
        (void)ops.flushFolder(QFileInfo(target).path());
    return status;
}

} // namespace

QString tempPathFor(const QString& target)
{
    return besideTarget(target, u'.' + QFileInfo(target).fileName() + kTempTail);
}

bool isTempName(QStringView name) { return name.startsWith(u'.') && name.endsWith(kTempTail); }

QString stagePathFor(const QString& target)
{
    return besideTarget(target, u'.' + QFileInfo(target).fileName() + kStageTail);
}

bool isStageName(QStringView name) { return name.startsWith(u'.') && name.endsWith(kStageTail); }

Status replaceWithBytes(FileOps& ops, const QString& target, const QString& tempName,
                        const QByteArray& bytes)
{
    const Result<QString> place = ops.writeTarget(target);
    if (!place)
        return place.error();
    const QString temp = tempName.isEmpty() ? tempPathFor(*place) : besideTarget(*place, tempName);
    Status status = ops.writeNew(temp, bytes);
    if (status)
        status = putInPlace(ops, temp, *place, Durability::OnDisk);
    return status ? status : undoTemp(ops, status, temp, *place, target);
}

Status replaceByCopy(FileOps& ops, const QString& source, const QString& target,
                     Durability durability)
{
    const Result<QString> place = ops.writeTarget(target);
    if (!place)
        return place.error();
    const QString temp = tempPathFor(*place);
    Status status = ops.copyNew(source, temp);
    if (status)
        status = putInPlace(ops, temp, *place, durability);
    return status ? status : undoTemp(ops, status, temp, *place, target);
}

} // namespace tuvano::store
