#include "SingleInstance.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStorageInfo>
#include <QSysInfo>
#include <QThread>

#include <optional>

#ifdef Q_OS_WIN
#include "store/WindowsFiles.h"

#include <memory>
#include <tuple>
#include <type_traits>
#include <vector>
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <limits>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace tuvano::platform {

namespace {

using Entry = SingleInstance::Entry;
using Reply = SingleInstance::Reply;

// A lock of this program is a few short lines; anything longer is none.
constexpr qint64 kLockSizeLimit = 4096;
// A starting copy writes its details right after making the lock: an
// unreadable lock younger than this may be one being written.
constexpr int kWritingMs = 1000;
// Each pass takes over a lock or waits a moment for one being written.
constexpr int kPasses = 40;
constexpr int kPauseMs = 50;
// With less room than this, a lock that could not be made is put down to a
// full disk.
constexpr qint64 kRoomNeeded = 1024 * 1024;

// Who a lock names as its owner.
struct Owner {
    qint64 pid = 0;
    QString host;
    QByteArray hostId;
};

struct Look {
    Entry entry = Entry::Absent;
    std::optional<Owner> owner;
    bool beingWritten = false;
};

// A lock holds the lines process id, program name, host name, host id and
// boot id, each ended by a line feed.
std::optional<Owner> parseOwner(const QByteArray& bytes)
{
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() < 4) // not even three whole lines
        return std::nullopt;
    bool ok = false;
    const qint64 pid = lines[0].toLongLong(&ok);
    if (!ok || pid <= 0)
        return std::nullopt;
    return Owner{pid, QString::fromUtf8(lines[2]), lines.size() > 4 ? lines[3] : QByteArray()};
}

// Looks at the lock without following a link and without opening anything
// but a plain file of a lock's size: a pipe or a device may block or never
// end.
Look lookAt(const QString& path)
{
    Look look;
    const QFileInfo info(path);
    if (info.isSymLink() || info.isJunction())
        look.entry = Entry::Link;
    else if (!info.exists())
        look.entry = Entry::Absent;
    else if (info.isDir())
        look.entry = Entry::Folder;
    else if (!info.isFile())
        look.entry = Entry::Other;
    else
        look.entry = Entry::File;
    if (look.entry != Entry::File)
        return look;
    if (info.size() <= kLockSizeLimit) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            look.owner = parseOwner(file.read(kLockSizeLimit));
    }
    if (!look.owner) {
        const qint64 age = info.lastModified().msecsTo(QDateTime::currentDateTime());
        look.beingWritten = qAbs(age) < kWritingMs;
    }
    return look;
}

// The name the lock file class writes for this computer.
QString machineName()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariable("COMPUTERNAME");
#else
    return QSysInfo::machineHostName();
#endif
}

// Another computer's lock names another machine's id, or, where a lock
// carries no id, a host name other than this one. A lock with this
// machine's id is this computer's whatever name it gave: the computer was
// renamed since (which Windows makes take effect only at the next start).
bool fromAnotherComputer(const Owner& owner)
{
    const QByteArray ours = QSysInfo::machineUniqueId();
    if (!owner.hostId.isEmpty() && !ours.isEmpty())
        return owner.hostId != ours;
    if (owner.host.isEmpty())
        return false; // not told: the system's hold on the file decides
    return owner.host.compare(machineName(), Qt::CaseInsensitive) != 0;
}

#ifndef Q_OS_WIN
// A request, and the running copy's answer, travel as the value of a queued
// signal. Its handler may only pass the note on through a socket, which the
// event loop (or the waiting later copy) reads.
constexpr int kSignal = SIGUSR1;
constexpr int kAskToShow = 0x54560000; // answers: kAskToShow + 1 + Reply

struct Note {
    pid_t from;
    int code;
};

int g_notes[2] = {-1, -1};

void onNote(int, siginfo_t* info, void*)
{
    if (info->si_code != SI_QUEUE)
        return;
    const Note note{info->si_pid, info->si_value.sival_int};
    const int saved = errno;
    [[maybe_unused]] const auto sent = ::send(g_notes[0], &note, sizeof note, MSG_DONTWAIT);
    errno = saved;
}

bool sameEntry(const QByteArray& a, const QByteArray& b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(a.constData(), &first) == 0 && ::stat(b.constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// Whether the process runs this program's own executable file from the same
// folder, by whatever path it reached them (a bind mount, a link). The same
// file in another folder (a hard link, as installers and backups make) is
// another copy, in another program folder.
bool isThisProgram(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    const QByteArray exe = "/proc/" + QByteArray::number(pid) + "/exe";
    if (!sameEntry("/proc/self/exe", exe))
        return false;
    const QString ourPath = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    const QString theirPath = QFileInfo(QString::fromLatin1(exe)).symLinkTarget();
    return !ourPath.isEmpty() && !theirPath.isEmpty() &&
           sameEntry(QFile::encodeName(QFileInfo(ourPath).absolutePath()),
                     QFile::encodeName(QFileInfo(theirPath).absolutePath()));
}

// Sends a note only to this program. The process is held by a descriptor
// taken before the check, so an id freed and given to another process in
// between is never reached.
bool sendNote(qint64 pid, int code)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    const int process = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
    if (process < 0)
        return false;
    siginfo_t info{};
    info.si_signo = kSignal;
    info.si_code = SI_QUEUE;
    info.si_pid = ::getpid();
    info.si_uid = ::getuid();
    info.si_value.sival_int = code;
    const bool sent =
        isThisProgram(pid) && ::syscall(SYS_pidfd_send_signal, process, kSignal, &info, 0) == 0;
    ::close(process);
    return sent;
}
#else
using Handle = std::unique_ptr<std::remove_pointer_t<HANDLE>, decltype(&::CloseHandle)>;

// A file or a folder as its drive knows it, whatever path reached it: the
// program folder through a second drive letter (subst, a mapped drive) is
// the same folder.
std::optional<std::tuple<DWORD, DWORD, DWORD>> identityOf(const QString& path)
{
    const HANDLE opened =
        ::CreateFileW(store::windows::longPath(path).c_str(), FILE_READ_ATTRIBUTES,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const Handle entry(opened, &::CloseHandle);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(entry.get(), &info))
        return std::nullopt;
    return std::tuple{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// Whether both paths reach one executable file in one folder. The same file
// in another folder (a hard link, as installers and backups make) is another
// copy, in another program folder.
bool sameProgram(const QString& a, const QString& b)
{
    const auto program = identityOf(a);
    const auto folder = identityOf(QFileInfo(a).absolutePath());
    return program && folder && program == identityOf(b) &&
           folder == identityOf(QFileInfo(b).absolutePath());
}

// The process, held open (which keeps its id from being given to another)
// when it runs this program's own executable; else none.
Handle openThisProgram(qint64 pid)
{
    Handle none(nullptr, &::CloseHandle);
    if (pid <= 0 || pid > qint64(MAXDWORD))
        return none;
    Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid)),
                   &::CloseHandle);
    if (!process)
        return none;
    DWORD exitCode = 0;
    std::vector<wchar_t> image(32768);
    DWORD length = DWORD(image.size());
    if (!::GetExitCodeProcess(process.get(), &exitCode) || exitCode != STILL_ACTIVE ||
        !::QueryFullProcessImageNameW(process.get(), 0, image.data(), &length))
        return none;
    if (!sameProgram(QString::fromWCharArray(image.data(), int(length)),
                     QCoreApplication::applicationFilePath()))
        return none;
    return process;
}

bool isThisProgram(qint64 pid) { return openThisProgram(pid) != nullptr; }

struct WindowSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK findVisibleWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !IsWindowVisible(window) || GetWindow(window, GW_OWNER))
        return TRUE;
    search->found = window;
    return FALSE;
}
#endif

} // namespace

FolderFacts folderFacts(const QString& folder)
{
    FolderFacts facts;
    const QFileInfo info(folder);
    facts.isFolder = info.isDir();
    if (!facts.isFolder)
        return facts;
    facts.writable = info.isWritable();
    const QStorageInfo volume(folder);
    if (volume.isValid()) {
        facts.readOnlyVolume = volume.isReadOnly();
        facts.bytesTotal = volume.bytesTotal();
        facts.bytesFree = volume.bytesAvailable();
    }
    return facts;
}

SingleInstance::SingleInstance(const QString& programFolder, FactsSource facts)
    : m_folder(programFolder), m_lockPath(QDir(programFolder).filePath(lockFileName())),
      m_lock(m_lockPath), m_facts(facts)
{
    // Only a lock whose owner is gone is stale, however old it is.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
#ifndef Q_OS_WIN
    if (m_ownsChannel) {
        // A late request must not end a copy that is closing, as the
        // signal's default action would.
        ::signal(kSignal, SIG_IGN);
        delete m_asked;
        ::close(g_notes[0]);
        ::close(g_notes[1]);
        g_notes[0] = g_notes[1] = -1;
    }
#endif
}

void SingleInstance::openChannel()
{
#ifndef Q_OS_WIN
    if (g_notes[0] >= 0 ||
        ::socketpair(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_notes) != 0)
        return;
    m_ownsChannel = true;
    struct sigaction action {};
    action.sa_sigaction = onNote;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    ::sigaction(kSignal, &action, nullptr);
#endif
}

SingleInstance::Status SingleInstance::acquire(ComeForward comeForward)
{
    prepare(std::move(comeForward));
    return settle(lockFolder());
}

void SingleInstance::prepare(ComeForward comeForward)
{
    m_comeForward = std::move(comeForward);
    // Ready before the lock can be seen: a copy that finds it may ask at
    // once, and the signal's default action would end this one.
    openChannel();
}

SingleInstance::Status SingleInstance::lockFolder()
{
    const QDeadlineTimer patience(kWritingMs);
    bool leftBehind = false;
    for (int pass = 0; pass < kPasses; ++pass) {
        const Look look = lookAt(m_lockPath);
        m_entry = look.entry;
        leftBehind = leftBehind || look.entry == Entry::File;
        if (look.entry != Entry::Absent && look.entry != Entry::File)
            return Status::NotAFile;
        if (look.owner && fromAnotherComputer(*look.owner)) {
            m_ownerHost = look.owner->host;
            return Status::OtherComputer;
        }
        // The lock file class itself takes over a lock of this computer
        // whose process has ended, or whose id now belongs to another
        // program, or that was made before the last boot.
        if (m_lock.tryLock(0))
            return taken(leftBehind);
        if (m_lock.error() != QLockFile::LockFailedError)
            return failure();
        const Look held = lookAt(m_lockPath);
        if (held.entry != Entry::File || (held.owner && fromAnotherComputer(*held.owner)))
            continue; // changed meanwhile
        if (held.owner && isThisProgram(held.owner->pid)) {
            m_ownerPid = held.owner->pid;
            return Status::Running;
        }
        if (held.beingWritten && !patience.hasExpired()) {
            QThread::msleep(kPauseMs);
            continue;
        }
        // Unreadable, or naming a process that is not this program: left
        // behind, unless a process holds the file open (the system then
        // refuses its removal) or the folder cannot be written at all.
        if (!m_lock.removeStaleLockFile())
            return cannotRemove();
    }
    return Status::Held;
}

SingleInstance::Status SingleInstance::takeOver()
{
    if (lookAt(m_lockPath).entry == Entry::File && !m_lock.removeStaleLockFile())
        return cannotRemove();
    if (m_lock.tryLock(0))
        return settle(taken(true));
    return m_lock.error() == QLockFile::LockFailedError ? Status::Held : failure();
}

SingleInstance::Status SingleInstance::taken(bool leftBehind)
{
    m_cutShort = leftBehind;
    m_entry = Entry::File;
    return Status::Acquired;
}

SingleInstance::Status SingleInstance::settle(Status status)
{
    if (status != Status::Acquired)
        return status;
#ifndef Q_OS_WIN
    if (m_ownsChannel && !m_asked) {
        m_asked = new QSocketNotifier(g_notes[1], QSocketNotifier::Read, this);
        connect(m_asked, &QSocketNotifier::activated, this, &SingleInstance::answerRequests);
    }
#endif
    return Status::Acquired;
}

// Why no lock could be made, from what the folder tells.
SingleInstance::Status SingleInstance::failure()
{
    const FolderFacts facts = m_facts(m_folder);
    m_readOnlyVolume = facts.readOnlyVolume;
    if (!facts.isFolder)
        return Status::FolderMissing;
    if (facts.readOnlyVolume || m_lock.error() == QLockFile::PermissionError)
        return Status::CannotWrite;
    if (facts.bytesTotal > 0 && facts.bytesFree >= 0 && facts.bytesFree < kRoomNeeded)
        return Status::DiskFull;
    if (!facts.writable)
        return Status::CannotWrite;
    return Status::WriteFailed;
}

// A lock left behind that cannot be removed: held by a running copy, unless
// nothing at all may be changed in the folder.
SingleInstance::Status SingleInstance::cannotRemove()
{
    const FolderFacts facts = m_facts(m_folder);
    m_readOnlyVolume = facts.readOnlyVolume;
    if (facts.isFolder && (facts.readOnlyVolume || !facts.writable))
        return Status::CannotWrite;
    return Status::Held;
}

void SingleInstance::answerRequests()
{
#ifndef Q_OS_WIN
    Note note{};
    while (::recv(g_notes[1], &note, sizeof note, 0) == ssize_t(sizeof note)) {
        if (note.code != kAskToShow)
            continue;
        const Reply reply = m_comeForward ? m_comeForward() : Reply::Starting;
        sendNote(note.from, kAskToShow + 1 + int(reply));
    }
#endif
}

void SingleInstance::release() { m_lock.unlock(); }

SingleInstance::Reply SingleInstance::askRunningCopy(int waitMs) const
{
#ifdef Q_OS_WIN
    Q_UNUSED(waitMs);
    const Handle process = openThisProgram(m_ownerPid);
    if (!process)
        return Reply::NotAsked;
    // A copy started by the user may hand the foreground to the running one.
    WindowSearch search{DWORD(m_ownerPid), nullptr};
    EnumWindows(findVisibleWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return Reply::NoWindow;
    if (IsIconic(search.found))
        ShowWindow(search.found, SW_RESTORE);
    return SetForegroundWindow(search.found) ? Reply::Shown : Reply::NoAnswer;
#else
    if (g_notes[1] < 0 || !sendNote(m_ownerPid, kAskToShow))
        return Reply::NotAsked;
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        pollfd ready{g_notes[1], POLLIN, 0};
        const int count = ::poll(&ready, 1, int(deadline.remainingTime()));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return Reply::NoAnswer;
        Note note{};
        while (::recv(g_notes[1], &note, sizeof note, 0) == ssize_t(sizeof note)) {
            const int answer = note.code - kAskToShow - 1;
            if (note.from == m_ownerPid && answer >= 0 && answer <= int(Reply::Asked))
                return Reply(answer);
        }
    }
#endif
}

} // namespace tuvano::platform
