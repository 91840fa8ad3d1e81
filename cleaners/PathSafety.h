// What the folder walkers may touch. Safety is decided by what a path is (its
// folders' identities and attributes), not by how it is spelled: a cleaning
// never passes through a link, never walks a system folder or a folder above
// one, and never hands a name to the file system that it would read as
// something else (a wildcard, a trailing dot).
#ifndef LARKSPIRE_PATHSAFETY_H
#define LARKSPIRE_PATHSAFETY_H

#include <windows.h>

// Makes `path` absolute and canonical (no "." or "..", backslashes only) into
// `full` (MAX_PATH + 1 bytes). Fails for relative, device, over-long paths and
// for paths holding a wildcard ("?", "*") or a stream name (":").
bool CanonicalAbsolutePath(const char* path, char* full);

// True when a folder of the canonical `full`, or `full` itself, is a link
// (junction, symbolic link, mount point), or when one of them cannot be
// examined. A path whose tail does not exist is judged by the part that does.
bool PassesThroughLink(const char* full);

// The name by which a found entry can be addressed safely: its own name, or
// its short name when the own name holds characters that the file functions
// or the shell would read differently (wildcards the ANSI code page put in
// place of characters it cannot spell, separators, trailing dots or spaces).
// NULL when neither is safe: such an entry is left alone.
const char* SafeEntryName(const WIN32_FIND_DATAA& entry);

// A folder's identity: its volume's serial number and its file index. Two
// spellings of one folder (links, aliases, UNC names, SUBST drives) have one
// identity.
struct FolderIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
};

// True on the systems that open folder handles (Windows NT); Windows 95 and
// 98 open none, and have no links.
bool SystemOpensFolders();

// Opens a folder for reading its identity, sharing read and write but not
// delete, so that it cannot be renamed or removed while the handle is held.
// A link is opened as itself, not followed, where the system allows it.
HANDLE OpenFolder(const char* folder);
// The same for a look at its identity only: every kind of sharing, so that
// it succeeds while the folder is held open for removal.
HANDLE ProbeFolder(const char* folder);

// The identity and attributes of an open folder; false when unknown.
bool FolderIdentityOf(HANDLE folder, FolderIdentity* identity, DWORD* attributes);

// The folders that a cleaning must never walk: drive and share roots, the
// Windows, system and profile folders, the Program Files folders, and every
// folder above one of them, gathered when the object is made.
class ProtectedFolders {
public:
    ProtectedFolders();

    // True when the canonical folder `full` is one of them: by identity when
    // the folder can be opened, by its long name otherwise (and always for
    // roots). A folder that exists but cannot be examined counts as protected.
    bool Covers(const char* full) const;
    // True when `identity` is that of a protected folder or a folder above one.
    bool HoldsIdentity(const FolderIdentity& identity) const;

private:
    ProtectedFolders(const ProtectedFolders&) = delete;
    ProtectedFolders& operator=(const ProtectedFolders&) = delete;

    void Add(const char* location);
    void AddIdentitiesOfChain(const char* full);
    void AddIdentity(const FolderIdentity& identity);
    void AddShellFolder(int csidl);
    void AddEnvironment(const char* variable);
    void AddRegistry(const char* valueName);
    bool CoversByName(const char* full) const;

    static const int kMaxNames = 24;
    static const int kMaxIdentities = 64;
    char names_[kMaxNames][MAX_PATH + 1];
    int nameCount_;
    FolderIdentity identities_[kMaxIdentities];
    int identityCount_;
    bool opensFolders_;
};

// True for a folder that `protectedFolders` covers (see ProtectedFolders::Covers).
bool IsProtectedFolder(const char* full);

#endif
