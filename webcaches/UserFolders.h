// Where the current user's browsers keep their files: the Local and the
// roaming Application Data folders, on the Windows that today's browsers run
// on (XP and later). Windows 95, 98, Me, NT 4.0 and 2000 run none of them:
// there nothing is looked for.
#ifndef LARKSPIRE_USERFOLDERS_H
#define LARKSPIRE_USERFOLDERS_H

#include <windows.h>

struct UserFolders {
    char local[MAX_PATH + 1];   // Local Application Data; "" when unknown
    char roaming[MAX_PATH + 1]; // Application Data (roaming); "" when unknown
};

// What the folders are read from; the tests put a layout of their own in
// their place.
struct UserFolderSources {
    // The running Windows, as GetVersionExA tells it.
    bool (*version)(OSVERSIONINFOA* info);
    // A folder of the current user by its CSIDL, in wide characters, into
    // `out` (MAX_PATH + 1 characters).
    bool (*shellFolder)(int csidl, wchar_t* out);
};

// The tests' seam: the sources used from now on (NULL: the system's own).
// Returns the ones used so far.
const UserFolderSources* UseUserFolderSources(const UserFolderSources* sources);

// True for the Windows that today's browsers run on: Windows NT 5.1 (XP) and
// later.
bool BrowsersRunOn(const OSVERSIONINFOA& version);

// The two folders of the current user, each only where its ANSI spelling
// names exactly the folder the shell names (else it is left ""). False before
// Windows XP, and when neither folder is known.
bool FindUserFolders(UserFolders* folders);

#endif
