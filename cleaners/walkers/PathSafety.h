// What the folder walkers may touch. Safety is decided by what a folder is
// (its identity, and where it lies once every link is resolved), not by how
// its path is spelled: a cleaning never walks a system folder, a profile, a
// drive root or a folder above one, never reaches into a system folder, and
// never hands a name to the file system that it would read as something else
// (a wildcard, a trailing dot).
#ifndef LARKSPIRE_PATHSAFETY_H
#define LARKSPIRE_PATHSAFETY_H

#include <windows.h>

#include "ProtectedLocations.h"

// Makes `path` absolute and canonical (no "." or "..", backslashes only) into
// `full` (MAX_PATH + 1 bytes). Fails for relative, device, over-long paths and
// for paths holding a wildcard ("?", "*") or a stream name (":").
bool CanonicalAbsolutePath(const char* path, char* full);

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

// Opens a folder for reading its identity, sharing read and write but not
// delete, so that it cannot be renamed or removed while the handle is held.
// A link is opened as itself, not followed, where the system allows it.
HANDLE OpenFolder(const char* folder);
// The same for a look at its identity only: every kind of sharing, so that
// it succeeds while the folder is held open for removal.
HANDLE ProbeFolder(const char* folder);
// Opens what a path leads to, following the links on the way and at its end,
// sharing read and write but not delete: the folder a cleaning is handed.
HANDLE OpenFolderThroughLinks(const char* folder);
// The same for a look at its identity only, with every kind of sharing.
HANDLE ProbeFolderThroughLinks(const char* folder);

// The identity and attributes of an open folder; false when unknown.
bool FolderIdentityOf(HANDLE folder, FolderIdentity* identity, DWORD* attributes);

// Where an open folder lies, every link resolved, as a plain path ("C:\...",
// "\\server\share\...") into `out` (MAX_PATH + 1 bytes): the system's final
// path where it tells one (Vista and later, Wine), else the folder's own name
// on its volume behind the drive letter of that volume. False when unknown.
bool PhysicalPathOf(HANDLE folder, char* out);

// True on Windows 95 and 98, where folders are known only by their names,
// for a canonical path that may reach a folder under another name: a network
// path or drive, a SUBST drive, a drive that cannot be asked. Decided before
// the path is touched at all.
bool ReachesUnderAnotherName(const char* full);

// The folders that a cleaning must never walk or remove files from, and
// every folder above one of them, gathered when the object is made.
class ProtectedFolders {
public:
    // The system's own (see GatherSystemLocations).
    ProtectedFolders();
    // Those of `locations` only.
    explicit ProtectedFolders(const LocationList& locations);
    ~ProtectedFolders();

    // True when a cleaning may not start at the open folder `folder` (nor
    // remove a file lying directly in it): a protected folder, a folder above
    // one, a volume root, or a folder inside a system folder. `full` is the
    // canonical path it was reached by and `physical` where it lies (see
    // PhysicalPathOf), empty when unknown. On Windows 95 and 98, which open
    // no folders, `folder` is INVALID_HANDLE_VALUE and the names decide; a
    // path there that may reach a folder under another name (a network
    // drive or path, a SUBST drive) is refused.
    bool Refuses(HANDLE folder, const char* full, const char* physical) const;
    // The same for a canonical path: what it leads to is opened and judged;
    // a missing folder is judged by its name.
    bool RefusesPath(const char* full) const;
    // True when `identity` is that of a protected folder or a folder above one.
    bool HoldsIdentity(const FolderIdentity& identity) const;

private:
    ProtectedFolders(const ProtectedFolders&) = delete;
    ProtectedFolders& operator=(const ProtectedFolders&) = delete;

    class IdentitySet {
    public:
        IdentitySet() : items_(NULL), count_(0), capacity_(0) {}
        ~IdentitySet() { delete[] items_; }
        bool Add(const FolderIdentity& identity); // false when it cannot grow
        bool Contains(const FolderIdentity& identity) const;
        bool Empty() const { return count_ == 0; }

    private:
        FolderIdentity* items_;
        int count_;
        int capacity_;
    };

    void Build(const LocationList& locations);
    void AddLocation(ProtectionKind kind, const char* path, int depth);
    void AddName(ProtectionKind kind, const char* full);
    void AddChain(const char* path, int depth);
    void AddAboveDriveRoot(const char* root, int depth);
    void AddIdentity(IdentitySet& set, const FolderIdentity& identity);
    bool RefusesByName(const char* full) const;
    bool ChainMeetsWhole(const char* path, bool located) const;

    LocationList names_;      // canonical and long forms, for 95/98 and as a first look
    LocationList chained_;    // folders whose chain up to the root is known
    IdentitySet above_;       // protected folders and every folder above one
    IdentitySet whole_;       // the folders protected with everything in them
    IdentitySet driveRoots_;  // roots whose Unix ancestors were added (Wine)
    DWORD wholeDepths_;       // the depths (bits) at which those folders lie
    bool wholeDeep_;          // ... and whether any lies 32 deep or more
    bool opensFolders_;
    bool incomplete_;         // refuse everything: the set could not be built
};

// True for a folder that the system's protected folders refuse (see
// ProtectedFolders::RefusesPath).
bool IsProtectedFolder(const char* full);

#endif
