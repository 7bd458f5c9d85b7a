#include "FileOps.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#ifdef Q_OS_WIN
#include "WindowsFiles.h"

#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace tuvano::store {

namespace {

std::filesystem::path fsPath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(windows::longPath(path));
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// The largest text file the program reads: its own files are a few lines,
// a list of ten thousand profiles a few hundred kilobytes.
constexpr qint64 kLargestText = 64 << 20;

Cause causeOfErrno(int code)
{
    switch (code) {
    case 0:
        return Cause::None;
    case EACCES:
    case EPERM:
        return Cause::AccessDenied;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return Cause::DiskFull;
    case EBUSY:
    case ETXTBSY:
        return Cause::InUse;
    case EISDIR:
        return Cause::IsFolder;
    case ENOTDIR:
        return Cause::NotFolder;
    case ENOENT:
        return Cause::NotFound;
    case EEXIST:
        return Cause::Exists;
    case EROFS:
        return Cause::ReadOnlyVolume;
    case ELOOP:
        return Cause::LinkLoop;
    case ENAMETOOLONG:
        return Cause::NameTooLong;
    case EFBIG:
        return Cause::TooLarge;
    case EIO:
        return Cause::DeviceError;
    default:
        return Cause::Other;
    }
}

// The cause of the last failed call into the system.
Cause lastCause()
{
#ifdef Q_OS_WIN
    const Cause windows = windows::lastCause();
    return windows != Cause::None ? windows : causeOfErrno(errno);
#else
    return causeOfErrno(errno);
#endif
}

Cause causeOf(const std::error_code& ec)
{
#ifdef Q_OS_WIN
    if (ec.category() == std::system_category())
        return windows::causeOf(DWORD(ec.value()));
#endif
    return causeOfErrno(ec.default_error_condition().value());
}

StoreError error(ErrorKind kind, const QString& path, Cause cause = Cause::None)
{
    return StoreError{kind, path, 0, Flaw::None, {}, cause, false};
}

// Opens the file, telling why it could not be opened. On Windows with its
// own call, which shares the file with other programs and takes long paths.
Cause openFile(QFile& file, const QString& path, QIODevice::OpenMode mode)
{
#ifdef Q_OS_WIN
    return windows::open(file, path, mode);
#else
    file.setFileName(path);
    return file.open(mode) ? Cause::None : lastCause();
#endif
}

// The pauses between tries on a file another program holds grow from this
// to the longest, until the patience is used up.
constexpr std::chrono::milliseconds kFirstPause{10};
constexpr std::chrono::milliseconds kLongestPause{250};

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

// Gives from the permissions of the file at keeper, if there is one there.
void keepPermissions(const QString& keeper, const QString& from)
{
    std::error_code ec;
    const std::filesystem::file_status kept = std::filesystem::status(fsPath(keeper), ec);
    if (!ec && std::filesystem::exists(kept))
        std::filesystem::permissions(fsPath(from), kept.permissions(), ec);
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

template <class Attempt>
auto FileOps::patiently(Attempt attempt, const QString& other) -> decltype(attempt())
{
    auto result = attempt();
    std::chrono::milliseconds waited{0};
    std::chrono::milliseconds next = kFirstPause;
    while (!result && result.error().cause == Cause::InUse && waited < kHoldPatience) {
        const std::chrono::milliseconds length = std::min(next, kHoldPatience - waited);
        pause(length);
        waited += length;
        next = std::min(next * 2, kLongestPause);
        result = attempt();
    }
#ifdef Q_OS_WIN
    if (!result && result.error().cause == Cause::InUse) {
        StoreError e = result.error();
        QStringList held{e.path};
        if (!other.isEmpty())
            held << other;
        e.detail = windows::holdersOf(held).join(u", ");
        return e;
    }
#else
    Q_UNUSED(other);
#endif
    return result;
}

Result<QByteArray> FileOps::readAll(const QString& path)
{
    return patiently([&] { return readOnce(path); });
}

Status FileOps::writeNew(const QString& path, const QByteArray& bytes)
{
    return patiently([&] { return writeNewOnce(path, bytes); });
}

Status FileOps::copyNew(const QString& source, const QString& target)
{
    return patiently([&] { return copyNewOnce(source, target); }, source);
}

Status FileOps::flush(const QString& path)
{
    return patiently([&] { return flushOnce(path); });
}

Status FileOps::rename(const QString& from, const QString& to)
{
    return patiently([&] { return renameOnce(from, to); }, from);
}

Status FileOps::flushFolder(const QString& folder)
{
    return patiently([&] { return flushFolderOnce(folder); });
}

Status FileOps::remove(const QString& path)
{
    return patiently([&] { return removeOnce(path); });
}

Status FileOps::makeFolder(const QString& path)
{
    return patiently([&] { return makeFolderOnce(path); });
}

Status FileOps::removeFolder(const QString& path)
{
    return patiently([&] { return removeFolderOnce(path); });
}

Status FileOps::link(const QString& existing, const QString& name)
{
    return patiently([&] { return linkOnce(existing, name); }, existing);
}

void FileOps::pause(std::chrono::milliseconds length) { QThread::msleep(length.count()); }

Result<QByteArray> FileOps::readOnce(const QString& path)
{
    // A pipe or a device may block for good or never end: only plain files
    // of a text file's size are opened.
    const QFileInfo info(path);
    if (!info.exists())
        return error(ErrorKind::Missing, path);
    if (info.isDir())
        return error(ErrorKind::ReadFailed, path, Cause::IsFolder);
    if (!info.isFile())
        return error(ErrorKind::ReadFailed, path, Cause::NotPlainFile);
    if (info.size() > kLargestText)
        return error(ErrorKind::ReadFailed, path, Cause::TooLarge);
    QFile file;
    if (const Cause refused = openFile(file, path, QIODevice::ReadOnly); refused != Cause::None)
        return error(ErrorKind::ReadFailed, path, refused);
    // A read takes all the memory it may fill at once: asked for the largest
    // text, it would take 64 MiB for every file of a few lines. Asked for as
    // much as the file holds and a byte, a file grown past the largest since
    // it was measured is still found too large.
    QByteArray bytes = file.read(std::min(file.size(), kLargestText) + 1);
    if (file.error() != QFileDevice::NoError)
        return error(ErrorKind::ReadFailed, path, lastCause());
    if (bytes.size() > kLargestText)
        return error(ErrorKind::ReadFailed, path, Cause::TooLarge);
    return bytes;
}

Status FileOps::writeNewOnce(const QString& path, const QByteArray& bytes)
{
    QFile file;
    if (const Cause refused = openFile(
            file, path, QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
        refused != Cause::None)
        return error(ErrorKind::WriteFailed, path, refused);
    if (file.write(bytes) != bytes.size())
        return error(ErrorKind::WriteFailed, path, lastCause());
    file.close();
    if (file.error() != QFileDevice::NoError)
        return error(ErrorKind::WriteFailed, path, lastCause());
    return {};
}

Status FileOps::copyNewOnce(const QString& source, const QString& target)
{
    const QFileInfo info(source);
    if (!info.exists())
        return error(ErrorKind::Missing, source);
    // A pipe would never end, a device might never answer.
    if (!info.isFile())
        return error(ErrorKind::ReadFailed, source,
                     info.isDir() ? Cause::IsFolder : Cause::NotPlainFile);
    QFile in;
    if (const Cause refused = openFile(in, source, QIODevice::ReadOnly | QIODevice::Unbuffered);
        refused != Cause::None)
        return error(ErrorKind::ReadFailed, source, refused);
    QFile out;
    if (const Cause refused = openFile(
            out, target, QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
        refused != Cause::None)
        return error(ErrorKind::WriteFailed, target, refused);

    bool done = false;
#ifdef Q_OS_LINUX
    if (!kernelCopy(in.handle(), out.handle(), done))
        return error(ErrorKind::WriteFailed, target, lastCause());
#endif
    if (!done && !streamCopy(in, out)) {
        const Cause cause = lastCause();
        if (in.error() != QFileDevice::NoError)
            return error(ErrorKind::ReadFailed, source, cause);
        return error(ErrorKind::WriteFailed, target, cause);
    }
    out.close();
    if (out.error() != QFileDevice::NoError)
        return error(ErrorKind::WriteFailed, target, lastCause());
    return {};
}

Status FileOps::flushOnce(const QString& path)
{
    QFile file;
#ifdef Q_OS_WIN
    const QIODevice::OpenMode mode = QIODevice::ReadWrite; // flushing needs write access there
#else
    const QIODevice::OpenMode mode = QIODevice::ReadOnly;
#endif
    if (const Cause refused = openFile(file, path, mode); refused != Cause::None)
        return error(ErrorKind::WriteFailed, path, refused);
    if (!syncToDisk(file))
        return error(ErrorKind::WriteFailed, path, lastCause());
    return {};
}

Status FileOps::renameOnce(const QString& from, const QString& to)
{
    keepPermissions(to, from);
#ifdef Q_OS_WIN
    if (const Cause refused = windows::rename(from, to); refused != Cause::None)
        return error(ErrorKind::WriteFailed, to, refused);
#else
    std::error_code ec;
    std::filesystem::rename(fsPath(from), fsPath(to), ec);
    if (ec)
        return error(ErrorKind::WriteFailed, to, causeOf(ec));
#endif
    return {};
}

Status FileOps::flushFolderOnce([[maybe_unused]] const QString& folder)
{
#ifndef Q_OS_WIN
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return error(ErrorKind::WriteFailed, folder, lastCause());
    const bool synced = ::fsync(fd) == 0;
    const int why = errno;
    ::close(fd);
    if (!synced)
        return error(ErrorKind::WriteFailed, folder, causeOfErrno(why));
#endif
    return {};
}

Status FileOps::removeOnce(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return error(ErrorKind::Missing, path);
    if (info.isDir())
        return error(ErrorKind::DeleteFailed, path, Cause::IsFolder);
#ifdef Q_OS_WIN
    if (const Cause refused = windows::remove(path); refused != Cause::None)
        return error(ErrorKind::DeleteFailed, path, refused);
#else
    QFile file(path);
    if (!file.remove())
        return error(ErrorKind::DeleteFailed, path, lastCause());
#endif
    return {};
}

Status FileOps::makeFolderOnce(const QString& path)
{
    std::error_code ec;
    if (!std::filesystem::create_directory(fsPath(path), ec) && !ec)
        return error(ErrorKind::FolderFailed, path, Cause::Exists);
    if (ec)
        return error(ErrorKind::FolderFailed, path, causeOf(ec));
    return {};
}

Status FileOps::removeFolderOnce(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return error(ErrorKind::Missing, path);
    if (!info.isDir())
        return error(ErrorKind::FolderFailed, path, Cause::NotFolder);
    std::error_code ec;
    std::filesystem::remove(fsPath(path), ec);
    if (ec)
        return error(ErrorKind::FolderFailed, path, causeOf(ec));
    return {};
}

Status FileOps::linkOnce(const QString& existing, const QString& name)
{
#ifdef Q_OS_WIN
    if (const Cause refused = windows::link(existing, name); refused != Cause::None)
        return error(ErrorKind::WriteFailed, name, refused);
#else
    std::error_code ec;
    std::filesystem::create_hard_link(fsPath(existing), fsPath(name), ec);
    if (ec)
        return error(ErrorKind::WriteFailed, name, causeOf(ec));
#endif
    return {};
}

Result<QString> FileOps::writeTarget(const QString& path)
{
    const QString target = followLinks(path);
    if (target.isEmpty())
        return error(ErrorKind::WriteFailed, path, Cause::LinkLoop);
    const QFileInfo info(target);
    if (info.isDir())
        return error(ErrorKind::WriteFailed, path, Cause::IsFolder);
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
constexpr QStringView kAsideTail = u".tuvano-old";

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
    e.previousKept = QFileInfo(place).isFile();
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

QString asidePathFor(const QString& target)
{
    return besideTarget(target, u'.' + QFileInfo(target).fileName() + kAsideTail);
}

bool isAsideName(QStringView name) { return name.startsWith(u'.') && name.endsWith(kAsideTail); }

Status replaceAll(FileOps& ops, const std::vector<Replacement>& set)
{
    const auto exists = [](const QString& path) {
        const QFileInfo info(path);
        return info.exists() || info.isSymLink();
    };
    const auto dropAsides = [&] {
        for (const Replacement& r : set) {
            if (QFileInfo(asidePathFor(r.target)).isFile())
                (void)ops.remove(asidePathFor(r.target));
        }
    };
    // Anything aside from before is a leftover: nothing older may come back.
    dropAsides();
    for (const Replacement& r : set) {
        if (!exists(r.target))
            continue;
        const QString aside = asidePathFor(r.target);
        if (ops.link(r.target, aside))
            continue;
        const Status copied = ops.copyNew(r.target, aside);
        // Gone meanwhile (another program deleted it): nothing to keep.
        if (!copied &&
            !(copied.error().kind == ErrorKind::Missing && copied.error().path == r.target)) {
            dropAsides();
            StoreError e = copied.error();
            e.path = r.target;
            e.previousKept = true;
            return e;
        }
    }
    std::vector<const Replacement*> done;
    for (const Replacement& r : set) {
        Status put;
        if (!r.incoming.isEmpty())
            put = ops.rename(r.incoming, r.target);
        else if (exists(r.target))
            put = ops.remove(r.target);
        if (put) {
            done.push_back(&r);
            continue;
        }
        bool restored = true;
        for (auto d = done.rbegin(); d != done.rend(); ++d) {
            const Replacement& back = **d;
            if (!back.incoming.isEmpty())
                restored = (ops.link(back.target, back.incoming).ok() ||
                            ops.copyNew(back.target, back.incoming).ok()) &&
                           restored;
            const QString aside = asidePathFor(back.target);
            if (QFileInfo(aside).isFile())
                restored = ops.rename(aside, back.target).ok() && restored;
            else if (!back.incoming.isEmpty())
                restored = ops.remove(back.target).ok() && restored;
        }
        dropAsides();
        StoreError e = put.error();
        e.kind = ErrorKind::ReplaceFailed;
        e.path = r.target;
        e.previousKept = restored;
        return e;
    }
    // Every target holds its new file: what is aside is a leftover now, and
    // one that cannot be deleted the next start removes.
    dropAsides();
    return {};
}

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
