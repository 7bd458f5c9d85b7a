// Runs one command and prints how long it took from exec to exit and the
// most memory it held, as "<microseconds> <peak resident KiB>".
//
//   bench_run [--timeout SECONDS] [NAME=VALUE ...] COMMAND [ARG ...]
//
// The NAME=VALUE pairs are set for the command alone, so that nothing like
// a preloaded library touches the runner. The command's output is dropped
// (its errors are not). A command that fails, or is still running after
// the timeout (default 60 s) and is killed, fails the run: its figures
// would mean nothing.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_timedOut = 0;

void onAlarm(int) { g_timedOut = 1; }

long long nowMicroseconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1'000'000 + t.tv_nsec / 1000;
}

[[noreturn]] void usage()
{
    std::fprintf(stderr,
                 "usage: bench_run [--timeout SECONDS] [NAME=VALUE ...] COMMAND [ARG ...]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char* argv[])
{
    int arg = 1;
    unsigned timeout = 60;
    if (arg + 1 < argc && std::strcmp(argv[arg], "--timeout") == 0) {
        timeout = unsigned(std::strtoul(argv[arg + 1], nullptr, 10));
        arg += 2;
    }
    const int firstSetting = arg;
    while (arg < argc && std::strchr(argv[arg], '=') != nullptr && argv[arg][0] != '=')
        ++arg;
    const int command = arg;
    if (command >= argc)
        usage();

    // Without SA_RESTART the alarm interrupts the wait below.
    struct sigaction action {};
    action.sa_handler = onAlarm;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);

    const long long start = nowMicroseconds();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("bench_run: fork");
        return 2;
    }
    if (child == 0) {
        for (int i = firstSetting; i < command; ++i)
            putenv(argv[i]);
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0)
            dup2(null, STDOUT_FILENO);
        execvp(argv[command], argv + command);
        std::fprintf(stderr, "bench_run: %s: %s\n", argv[command], std::strerror(errno));
        _exit(127);
    }

    ::alarm(timeout);
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            std::perror("bench_run: wait4");
            return 2;
        }
        if (g_timedOut) {
            kill(child, SIGKILL);
            g_timedOut = 0;
        }
    }
    const long long elapsed = nowMicroseconds() - start;
    ::alarm(0);

    if (WIFSIGNALED(status)) {
        std::fprintf(stderr, "bench_run: %s ended by signal %d%s\n", argv[command],
                     WTERMSIG(status), WTERMSIG(status) == SIGKILL ? " (timed out?)" : "");
        return 1;
    }
    if (WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_run: %s exited with %d\n", argv[command], WEXITSTATUS(status));
        return 1;
    }
    // ru_maxrss is in KiB on Linux.
    std::printf("%lld %ld\n", elapsed, usage.ru_maxrss);
    return 0;
}
