// What a folder is, as opposed to how a path to it reads: its identity
// (volume serial number and file index, the same for every spelling of it:
// links, aliases, UNC names, SUBST drives) and where it lies once every link
// is resolved. Every Windows NT; 95 and 98 open no folders.
#ifndef LARKSPIRE_FOLDERIDENTITY_H
#define LARKSPIRE_FOLDERIDENTITY_H

#include <windows.h>

#include "GrowableArray.h"

struct FolderIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
};

bool SameIdentity(const FolderIdentity& a, const FolderIdentity& b);

// A set of identities.
class IdentitySet {
public:
    IdentitySet() : items_(64) {}
    bool Add(const FolderIdentity& identity); // false when it cannot grow
    bool Contains(const FolderIdentity& identity) const;
    bool Empty() const { return items_.Count() == 0; }

private:
    GrowableArray<FolderIdentity> items_;
};

// Opens a folder to list it, sharing read and write but not delete, so that
// it cannot be renamed or removed while the handle is held; a link is opened
// as itself, not followed, where the system allows it.
HANDLE OpenFolder(const char* folder);
// The same, following the links on the way and at its end: the folder a
// cleaning is handed.
HANDLE OpenFolderThroughLinks(const char* folder);
// Holds a folder above a walked one (to pass through, not to list), as
// itself and without delete sharing, so that it cannot be renamed.
HANDLE HoldFolderToTraverse(const char* folder);
// A look at a folder's identity only, with every kind of sharing, so that
// it succeeds while the folder is held open by a walk.
HANDLE ProbeFolder(const char* folder);
HANDLE ProbeFolderThroughLinks(const char* folder);

// The identity and attributes of an open folder; false when unknown.
bool FolderIdentityOf(HANDLE folder, FolderIdentity* identity, DWORD* attributes);

// Where an open file lies, links resolved, as the system gives it
// ("\\?\C:\..."), into `out` of `capacity` characters; false when the
// system tells no final path (before Vista) or it does not fit.
bool FinalPathOf(HANDLE file, WCHAR* out, int capacity);

// Where an open folder lies, every link resolved, as a plain, exact ANSI
// path ("C:\...", "\\server\share\...") into `out` (kPathBuffer bytes): the
// system's final path where it tells one (Vista and later, Wine), else the
// folder's own name on its volume behind the drive letter of that volume.
// False, `out` empty, when unknown or not spelled exactly.
bool PhysicalPathOf(HANDLE folder, char* out);

// True when the open folder is the root of its volume, however it was reached.
bool IsVolumeRoot(HANDLE folder);

// The name of an open file on its volume ("\WINDOWS\system32", "\" for the
// root), as the native file-name query gives it (every Windows NT).
bool VolumeName(HANDLE file, WCHAR* out, int capacity);

#endif
