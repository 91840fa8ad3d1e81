// Entries of an open folder, reached by name relative to the folder's handle
// instead of by path. On Windows NT a walk holds each folder it walks open
// and opens and deletes its entries through that handle, so that no folder
// of the path renamed or replaced by a link meanwhile can make an operation
// land somewhere else. Windows 95 and 98 have neither folder handles nor
// links; there these functions report that they are not available.
#ifndef LARKSPIRE_FOLDERHANDLE_H
#define LARKSPIRE_FOLDERHANDLE_H

#include <windows.h>

#include "PathSafety.h"
#include "WalkPlatform.h"

// True when the system opens and deletes entries relative to a folder handle.
bool RelativeOperationsAvailable();

// Opens the subfolder `name` of the open folder `parent` as OpenFolder does
// (for reading its identity, sharing read and write but not delete, a link
// as itself where the system allows it); INVALID_HANDLE_VALUE when it cannot.
HANDLE OpenChildFolder(HANDLE parent, const char* name);

// Removes the subfolder `name` of the open folder `parent` when it is empty
// and still the folder of identity `expected` (not a link or another folder
// put in its place). True when it is gone.
bool DeleteChildFolder(HANDLE parent, const char* name, const FolderIdentity& expected);

// Where an open folder really lies, as the system resolves it. Asked only
// where the system shows a link to a file as a plain file and opens and
// deletes what it points at (Wine); Windows lists such a link as a reparse
// point and opens it as itself.
struct ResolvedFolder {
    WCHAR path[MAX_PATH + 16];
    bool checkable; // where an entry lies must be asked, and can be
    bool known;     // ... and was told for this folder
};
void ResolveFolder(HANDLE folder, ResolvedFolder* resolved);

// True when the open `entry` lies directly in `folder`: not a file reached
// through a link from there. True as well where that need not be asked;
// false when it must be but was not told.
bool LiesDirectlyIn(HANDLE entry, const ResolvedFolder& folder);

// Deletes the file `name` of the open folder `parent` (resolved as `folder`)
// when it lies directly in it. True when it is gone. Read-only files and
// files open without delete sharing stay, as with DeleteFileA.
bool DeleteChild(HANDLE parent, const char* name, const ResolvedFolder& folder);

// Opens the file `name` of the open folder `parent` to read its attributes
// and where it lies; INVALID_HANDLE_VALUE when it cannot (a folder, say).
HANDLE OpenChildFile(HANDLE parent, const char* name);

#endif
