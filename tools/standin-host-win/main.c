/* The stand-in host as a Windows program, for runs under Wine: it keeps the
 * host's marker "c:\lx98temp.tmp" for a few seconds and appends one line to
 * the data file lx98.vwi in its working folder, as the real host changes its
 * files while it runs. Only kernel32 is used, so no display is needed.
 *
 * A "standin-host.ini" beside it may change the run, one "key=value" a line:
 *   run-ms=<ms>        how long the marker stays (default 4000)
 *   start-ms=<ms>      how long the process runs before it makes its marker
 *   hand-over-ms=<ms>  it starts as a launcher does: a copy of itself is
 *                      started, which waits that long, and this one ends
 *   linger-ms=<ms>     the marker goes first, and the line is written that
 *                      much later, while the process still runs */
#include <stdlib.h>
#include <string.h>
#include <windows.h>

/* Longer than one poll of the watch that waits for the host to start. */
#define RUN_MILLISECONDS 4000

static const char kMarker[] = "c:\\lx98temp.tmp";
static const char kDataFile[] = "lx98.vwi";
/* "Hej från Wine" in the data files' Windows-1252 encoding. */
static const char kLine[] = "Hej fr\xe5n Wine\r\n";
static const char kHandedOver[] = "TUVANO_STANDIN_HANDED_OVER";

struct Run {
    int runMs;
    int startMs;
    int handOverMs; /* -1: no hand-over */
    int lingerMs;
};

static BOOL appendLine(void)
{
    HANDLE file = CreateFileA(kDataFile, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, kLine, sizeof kLine - 1, &written, NULL) && written == sizeof kLine - 1;
    return CloseHandle(file) && ok;
}

/* The value of "key=<digits>" at the start of line, or fallback. */
static int valueOf(const char* line, const char* key, int fallback)
{
    const size_t length = strlen(key);
    if (_strnicmp(line, key, length) != 0 || line[length] != '=')
        return fallback;
    return atoi(line + length + 1);
}

static struct Run readRun(const char* folder)
{
    struct Run run = {RUN_MILLISECONDS, 0, -1, 0};
    char path[MAX_PATH + 32];
    wsprintfA(path, "%s\\standin-host.ini", folder);
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return run;
    char text[4096];
    DWORD read = 0;
    if (!ReadFile(file, text, sizeof text - 1, &read, NULL))
        read = 0;
    CloseHandle(file);
    text[read] = '\0';
    for (char* line = strtok(text, "\r\n"); line; line = strtok(NULL, "\r\n")) {
        run.runMs = valueOf(line, "run-ms", run.runMs);
        run.startMs = valueOf(line, "start-ms", run.startMs);
        run.handOverMs = valueOf(line, "hand-over-ms", run.handOverMs);
        run.lingerMs = valueOf(line, "linger-ms", run.lingerMs);
    }
    return run;
}

/* A launcher's way: the real host, a copy, comes a while after this one has
 * ended. */
static BOOL handOver(const char* program, int ms)
{
    char value[16];
    wsprintfA(value, "%d", ms);
    SetEnvironmentVariableA(kHandedOver, value);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(program, NULL, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return FALSE;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return TRUE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    char program[MAX_PATH];
    const DWORD length = GetModuleFileNameA(NULL, program, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return 3;
    char folder[MAX_PATH];
    memcpy(folder, program, length + 1);
    char* slash = strrchr(folder, '\\');
    if (slash)
        *slash = '\0';
    const struct Run run = readRun(folder);

    char handedOver[16];
    if (GetEnvironmentVariableA(kHandedOver, handedOver, sizeof handedOver) > 0)
        Sleep((DWORD)atoi(handedOver));
    else if (run.handOverMs >= 0)
        return handOver(program, run.handOverMs) ? 0 : 4;
    Sleep((DWORD)run.startMs);

    HANDLE marker = CreateFileA(kMarker, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (marker == INVALID_HANDLE_VALUE)
        return 1;
    CloseHandle(marker);
    BOOL appended = run.lingerMs > 0 || appendLine();
    Sleep((DWORD)run.runMs);
    DeleteFileA(kMarker);
    if (run.lingerMs > 0) {
        Sleep((DWORD)run.lingerMs);
        appended = appendLine();
    }
    return appended ? 0 : 2;
}
