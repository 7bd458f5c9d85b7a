/* Another program that holds a file open, as a virus scanner, an indexer or
 * a backup does on Windows, for the tests under Wine:
 *
 *   file-holder <sharing> <path> <milliseconds>
 *     opens the file for reading, says "held" once it holds it, holds it that
 *     long and ends. sharing: "none" (shares nothing), "read" (lets others
 *     read), "all" (lets others read, write and delete), "deleting" (lets
 *     others read and delete, and deletes it itself: its deletion is pending
 *     until the hold ends).
 *   file-holder churn <path> <times>
 *     makes the file and deletes it again, as a host makes and removes its
 *     marker, that many times, and says how often either was refused.
 *
 * Only kernel32 is used, so no display is needed. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

/* Whether a call failed because another program stood in its way: a file
 * that is gone (another's handle let its deletion happen only as that handle
 * closed) was deleted all the same. */
static int refusal(void)
{
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND;
}

static int churn(const wchar_t* path, int times)
{
    int refused = 0;
    for (int i = 0; i < times; ++i) {
        HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file == INVALID_HANDLE_VALUE) {
            refused += refusal();
            continue;
        }
        CloseHandle(file);
        if (!DeleteFileW(path))
            refused += refusal();
    }
    DeleteFileW(path);
    printf("refused %d of %d\n", refused, times);
    return 0;
}

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4)
        return 2;
    const wchar_t* mode = argv[1];
    const wchar_t* path = argv[2];
    const int number = _wtoi(argv[3]);
    if (wcscmp(mode, L"churn") == 0)
        return churn(path, number);
    DWORD share = 0;
    if (wcscmp(mode, L"read") == 0)
        share = FILE_SHARE_READ;
    else if (wcscmp(mode, L"all") == 0)
        share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    else if (wcscmp(mode, L"deleting") == 0)
        share = FILE_SHARE_READ | FILE_SHARE_DELETE;
    else if (wcscmp(mode, L"none") != 0)
        return 2;
    HANDLE file =
        CreateFileW(path, GENERIC_READ, share, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        printf("not held: error %lu\n", GetLastError());
        return 1;
    }
    if (wcscmp(mode, L"deleting") == 0 && !DeleteFileW(path)) {
        printf("not deleted: error %lu\n", GetLastError());
        return 1;
    }
    printf("held\n");
    fflush(stdout);
    Sleep((DWORD)number);
    CloseHandle(file);
    return 0;
}
