#include "TermSignal.h"

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace tuvano::standin {

#ifdef Q_OS_UNIX

namespace {

// The handler may only write a byte; the event loop reads it from the other
// end and does the real work.
int g_pipe[2] = {-1, -1};

void onSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    if (::write(g_pipe[0], &byte, 1) < 0) {
        // Full: a wake-up is already waiting.
    }
    errno = saved;
}

void handle(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signal, &action, nullptr);
}

} // namespace

TermSignal::TermSignal(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0)
        return;
    for (int fd : g_pipe)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(g_pipe[0], F_SETFL, ::fcntl(g_pipe[0], F_GETFL) | O_NONBLOCK);

    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        if (::read(g_pipe[1], &byte, 1) == 1)
            emit received();
    });
    handle(SIGTERM, onSignal);
    handle(SIGINT, onSignal);
}

TermSignal::~TermSignal()
{
    if (g_pipe[0] < 0)
        return;
    handle(SIGTERM, SIG_DFL);
    handle(SIGINT, SIG_DFL);
    delete m_notifier;
    for (int& fd : g_pipe) {
        ::close(fd);
        fd = -1;
    }
}

#else

TermSignal::TermSignal(QObject* parent) : QObject(parent) {}
TermSignal::~TermSignal() = default;

#endif

} // namespace tuvano::standin
