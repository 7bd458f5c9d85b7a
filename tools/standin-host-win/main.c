/* The stand-in host as a Windows program, for runs under Wine: it keeps the
 * host's marker "c:\lx98temp.tmp" for a few seconds and appends one line to
 * the data file lx98.vwi in its working folder, as the real host changes its
 * files while it runs. Only kernel32 is used, so no display is needed. */
#include <windows.h>

/* Longer than one poll of the watch that waits for the host to start. */
#define RUN_MILLISECONDS 4000

static const char kMarker[] = "c:\\lx98temp.tmp";
static const char kDataFile[] = "lx98.vwi";
/* "Hej från Wine" in the data files' Windows-1252 encoding. */
static const char kLine[] = "Hej fr\xe5n Wine\r\n";

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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    HANDLE marker = CreateFileA(kMarker, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (marker == INVALID_HANDLE_VALUE)
        return 1;
    CloseHandle(marker);
    const BOOL appended = appendLine();
    Sleep(RUN_MILLISECONDS);
    DeleteFileA(kMarker);
    return appended ? 0 : 2;
}
