// The protected folders of one cleaning, by what they are: every location of
// the table (see ProtectedTable), opened once when the set is made, known by
// its identity and by where it lies, with every folder above it. Judged by
// identity on every Windows NT; on 95 and 98, which know folders only by
// their names, by their long names.
#ifndef LARKSPIRE_PROTECTEDFOLDERS_H
#define LARKSPIRE_PROTECTEDFOLDERS_H

#include <windows.h>

#include "FolderIdentity.h"
#include "ProtectedLocations.h"

class ProtectedFolders {
public:
    // The system's own, for paths of `origin`.
    explicit ProtectedFolders(PathOrigin origin = kNamedBySetting);
    // Those of `locations` only (kinds as given).
    explicit ProtectedFolders(const LocationList& locations, PathOrigin origin = kNamedBySetting);
    ~ProtectedFolders();

    PathOrigin Origin() const { return origin_; }
    // The set could not be made whole: it refuses everything.
    bool Incomplete() const { return incomplete_; }

    // True when a cleaning may not start at the open folder `folder` (nor
    // remove a file lying directly in it): a protected folder or a folder
    // above one, a volume root, or a folder inside one protected whole (and
    // not inside a folder exempt from that). `full` is the canonical path it
    // was reached by and `physical` where it lies (see PhysicalPathOf), ""
    // when unknown. On Windows 95 and 98, which open no folders, `folder` is
    // INVALID_HANDLE_VALUE and the names decide; a path there that may reach
    // a folder under another name (a network drive or path, a SUBST drive)
    // is refused.
    bool Refuses(HANDLE folder, const char* full, const char* physical) const;
    // The same for a canonical path: what it leads to is opened and judged;
    // a missing folder is judged by its name.
    bool RefusesPath(const char* full) const;
    // True when `identity` is that of a protected folder or a folder above
    // one: a walk never enters such a folder, wherever it meets it.
    bool HoldsIdentity(const FolderIdentity& identity) const;

private:
    ProtectedFolders(const ProtectedFolders&) = delete;
    ProtectedFolders& operator=(const ProtectedFolders&) = delete;

    enum Mark { kUnmarked, kMarkedWhole, kMarkedExempt };

    // Building (ProtectedFoldersBuild.cpp).
    void Build(const LocationList& locations);
    void AddLocation(ProtectionKind kind, const char* path, int depth);
    void AddOpen(HANDLE folder, ProtectionKind kind, const char* full, int depth);
    void AddChildren(ProtectionKind kind, const char* full, int depth);
    void AddProfileFolders(const char* full, HANDLE profile, int depth);
    void AddChain(const char* path, int depth);
    void AddAboveDriveRoot(const char* root, int depth);
    void AddIdentity(IdentitySet& set, const FolderIdentity& identity);
    void MarkDepth(int depth, bool located);

    // Judging (ProtectedFolders.cpp).
    bool RefusesByName(const char* full) const;
    Mark NearestMark(const char* path, bool located, int hops = 0) const;
    Mark RootMark(const char* root, int hops) const;

    PathOrigin origin_;
    LocationList names_;     // canonical and long forms, for 95/98 and as a first look
    LocationList chained_;   // folders whose chain up to the root is known
    IdentitySet above_;      // protected folders and every folder above one
    IdentitySet whole_;      // the folders protected with everything in them
    IdentitySet exempt_;     // folders inside those, cleanable with everything in them
    IdentitySet driveRoots_; // roots whose Unix ancestors were added (Wine)
    DWORD markDepths_;       // the depths (bits) at which whole or exempt folders lie
    bool markDeep_;          // ... and whether any lies 32 deep or more
    bool opensFolders_;
    bool incomplete_;        // refuse everything: the set could not be made whole
};

// True on Windows 95 and 98, where folders are known only by their names,
// for a canonical path that may reach a folder under another name: a network
// path or drive, a SUBST drive, a drive that cannot be asked. Decided before
// the path is touched at all.
bool ReachesUnderAnotherName(const char* full);

// Wine: where the folder holding the drive root `root` ("X:\\") lies, into
// `physical` (kPathBuffer bytes); false elsewhere or when unknown.
bool UnixParentOfRoot(const char* root, char* physical);

// True for a folder that the system's protected folders refuse for a path
// from a setting (see ProtectedFolders::RefusesPath).
bool IsProtectedFolder(const char* full);

#endif
