// Entries of an open folder, reached by their own wide names relative to the
// folder's handle instead of by path (NtCreateFile with a root directory,
// and the delete disposition; every Windows NT). A walk holds each folder it
// walks open and opens and deletes its entries through that handle, so that
// no folder of the path renamed or replaced by a link meanwhile can make an
// operation land somewhere else, and no name is ever re-spelled. A listed
// entry's own name is matched exactly (not without regard to case: a Unix
// folder may hold "con" and "CON"); a name given by a caller, or a path the
// shell is about to be handed, is matched as the file functions match it
// (`asFunctionsRead`). Windows 95 and 98 have none of this.
#ifndef LARKSPIRE_FOLDERHANDLE_H
#define LARKSPIRE_FOLDERHANDLE_H

#include <windows.h>

#include "FolderIdentity.h"

// Opens the subfolder `name` of the open folder `parent` to list it (as
// OpenFolder does: sharing read and write but not delete, a link as itself
// where the system allows it); INVALID_HANDLE_VALUE when it cannot.
HANDLE OpenChildFolder(HANDLE parent, const WCHAR* name);

// Opens the subfolder `name` of `parent` for a look at its identity and
// attributes only, every kind of sharing kept, a link as itself.
HANDLE ProbeChildFolder(HANDLE parent, const WCHAR* name);

// Opens the file `name` of `parent` with `access` and `share` (a folder does
// not open so); INVALID_HANDLE_VALUE when it cannot. `asItself`: a link is
// opened as itself where the system allows it.
HANDLE OpenChildFile(HANDLE parent, const WCHAR* name, ACCESS_MASK access, ULONG share, bool asItself,
                     bool asFunctionsRead = false);

// Removes the subfolder `name` of `parent` when it is empty and still the
// folder of identity `expected` (not a link or another folder put in its
// place). True when it is gone.
bool DeleteChildFolder(HANDLE parent, const WCHAR* name, const FolderIdentity& expected);

// Where an open folder lies, as the system resolves it, to tell whether an
// entry opened relative to it lies directly in it: not reached through a
// link put in place of a folder of its path since it was opened, nor (where
// the system shows a link to a file as a plain file and opens and deletes
// what it points at: Wine) a file reached through such a link. Told by the
// folder's name on its volume, links resolved (every NT; unlike the final
// path, which Wine tells only up to 263 characters). The longest name told
// (in characters): an entry deeper than that is never taken to lie where it
// must.
const int kResolvedPathChars = 1024;

struct ResolvedFolder {
    WCHAR path[kResolvedPathChars]; // where it lies: its final path where files are asked, else its name on its volume
    bool filesAsked;                // where each file lies must be asked (Wine)
    bool known;                     // `path` was told
    // Where files are asked: its name on its volume too, for the entries
    // whose final path cannot be told (past the system's longest).
    WCHAR volumePath[kResolvedPathChars];
    bool volumeKnown;
};
void ResolveFolder(HANDLE folder, ResolvedFolder* resolved);

// True when the open `entry` (a file or a folder) lies directly in `folder`.
// False when that cannot be told.
bool LiesDirectlyIn(HANDLE entry, const ResolvedFolder& folder);

// Deletes the file `name` of the open folder `parent` (resolved as `folder`)
// when it lies directly in it (asked where files must be); a link to a file
// is never deleted where the system would delete what it points at. True when it is gone. Read-only
// files and files open without delete sharing stay, as with DeleteFileA.
bool DeleteChild(HANDLE parent, const WCHAR* name, const ResolvedFolder& folder, bool asFunctionsRead = false);

// True when the file `name` of `parent` (resolved as `folder`) is, right
// now, a plain file lying in that folder: no folder, no link (to a file or a
// folder) put in its place. What may be handed to the shell by path.
bool IsPlainFileIn(HANDLE parent, const WCHAR* name, const ResolvedFolder& folder, bool asFunctionsRead = false);

#endif
