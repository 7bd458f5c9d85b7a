#include "SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace tuvano::platform {

namespace {

#ifndef Q_OS_WIN
// A later copy's request arrives as a signal; its handler may only write to
// a socket, which the event loop then reads.
int g_requests[2] = {-1, -1};

void onRequest(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_requests[0], &byte, 1);
}
#else
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

SingleInstance::SingleInstance(const QString& programFolder)
    : m_lockPath(QDir(programFolder).filePath(lockFileName())), m_lock(m_lockPath)
{
    // Only a lock whose owner is gone is stale, however old it is.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
#ifndef Q_OS_WIN
    if (m_asked) {
        ::signal(SIGUSR1, SIG_DFL);
        ::close(g_requests[0]);
        ::close(g_requests[1]);
        g_requests[0] = g_requests[1] = -1;
    }
#endif
}

bool SingleInstance::acquire(std::function<void()> comeForward)
{
    const bool leftBehind = QFileInfo::exists(m_lockPath);
    if (!m_lock.tryLock(0))
        return false;
    m_cutShort = leftBehind;
    m_comeForward = std::move(comeForward);
#ifndef Q_OS_WIN
    if (g_requests[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_requests) == 0) {
        m_asked = new QSocketNotifier(g_requests[1], QSocketNotifier::Read, this);
        connect(m_asked, &QSocketNotifier::activated, this, [this] {
            char bytes[16];
            [[maybe_unused]] const auto got = ::read(g_requests[1], bytes, sizeof bytes);
            if (m_comeForward)
                m_comeForward();
        });
        struct sigaction action {};
        action.sa_handler = onRequest;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGUSR1, &action, nullptr);
    }
#endif
    return true;
}

void SingleInstance::release() { m_lock.unlock(); }

bool SingleInstance::askRunningCopy() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!m_lock.getLockInfo(&pid, &host, &application) || pid <= 0)
        return false;
#ifdef Q_OS_WIN
    // A copy started by the user may hand the foreground to the running one.
    WindowSearch search{DWORD(pid), nullptr};
    EnumWindows(findVisibleWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found)
        return false;
    ShowWindow(search.found, SW_RESTORE);
    return SetForegroundWindow(search.found);
#else
    return ::kill(pid_t(pid), SIGUSR1) == 0;
#endif
}

} // namespace tuvano::platform
