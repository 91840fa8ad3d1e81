#include "ProfileLock.h"

#include <windows.h>

bool ProfileLocked(const char* lockFile)
{
    // Opened with every kind of sharing, so that the open itself takes
    // nothing from a browser that holds the file; written to never.
    HANDLE file = CreateFileA(lockFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}
