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
    if (!file.flush())
        return false;
#if defined(Q_OS_WIN)
    return ::_commit(file.handle()) == 0;
#elif defined(Q_OS_LINUX)
    return ::fdatasync(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

// Makes a rename in folder durable (the folder's entry list is flushed too).
void syncFolder([[maybe_unused]] const QString& folder)
{
#ifndef Q_OS_WIN
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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
    if (file.write(bytes) != bytes.size() || !syncToDisk(file))
        return error(ErrorKind::WriteFailed, path, qt_error_string());
    file.close();
    if (file.error() != QFileDevice::NoError)
        return error(ErrorKind::WriteFailed, path, file.errorString());
    return {};
}

Status FileOps::copyNew(const QString& source, const QString& target, Durability durability)
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
    if (durability == Durability::OnDisk && !syncToDisk(out))
        return error(ErrorKind::WriteFailed, target, qt_error_string());
    out.close();
    if (out.error() != QFileDevice::NoError)
        return error(ErrorKind::WriteFailed, target, out.errorString());
    return {};
}

Status FileOps::rename(const QString& from, const QString& to)
{
    std::error_code ec;
    std::filesystem::rename(fsPath(from), fsPath(to), ec);
    if (ec)
        return error(ErrorKind::WriteFailed, to, describe(ec));
    syncFolder(QFileInfo(to).absolutePath());
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

QString tempPathFor(const QString& target)
{
    const QFileInfo info(target);
    return info.path() + u'/' + info.completeBaseName() + u".new";
}

namespace {

// A failure on the temporary file is told as a failure to save the target:
// that is the file the user knows.
Status undoTemp(FileOps& ops, Status status, const QString& temp, const QString& target)
{
    (void)ops.remove(temp);
    StoreError e = status.error();
    if (e.path == temp)
        e.path = target;
    return e;
}

} // namespace

Status replaceWithBytes(FileOps& ops, const QString& target, const QString& temp,
                        const QByteArray& bytes)
{
    Status status = ops.writeNew(temp, bytes);
    if (status)
        status = ops.rename(temp, target);
    return status ? status : undoTemp(ops, status, temp, target);
}

Status replaceByCopy(FileOps& ops, const QString& source, const QString& target,
                     Durability durability)
{
    const QString temp = tempPathFor(target);
    Status status = ops.copyNew(source, temp, durability);
    if (status)
        status = ops.rename(temp, target);
    return status ? status : undoTemp(ops, status, temp, target);
}

} // namespace tuvano::store
