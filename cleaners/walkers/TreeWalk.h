// The folder walkers shared by every component of the server: GetTreeSize,
// RemoveTree and the removals of one cleaning (CleaningRun).
//
// The rules they keep, each with the function that enforces it, its
// backstops, and the tests that fail when it breaks (tests/cleaners/walkers;
// tests/cleaners/walkers/mutants.sh breaks each on purpose):
//
//  1. Nothing outside the folder a walk is handed is reached. A path is made
//     canonical and absolute (CanonicalAbsolutePath), opened once through its
//     links (OpenTop) and judged on that handle; inside, each folder is
//     opened relative to its parent's handle and must be a folder, no link,
//     and lie in its parent (PinnedFolder::PinChild). Backstops: listings by
//     handle (FolderListing), links skipped (RemoveEntry), files deleted only
//     where they lie in their folder (DeleteChild, LiesDirectlyIn).
//     Tests: TreeWalk.LinksAreNeitherFollowedNorRemoved, HostileTrees.*Link*,
//     FolderSwaps.*, WalkModel.*, FolderHandle.*.
//  2. Names are never re-spelled. On the NT roads entries are listed and
//     addressed by their own wide names relative to their folder's handle
//     (FolderListing, FolderHandle); an ANSI spelling is used only when it
//     reads back as that very name and the ANSI functions read it as that
//     entry alone (EntrySpelling, ExactAnsi, IsPlainName), else the short
//     name, else none: the entry is then deleted through its folder's handle
//     (a folder's contents are) or left (a folder handed whole).
//     Tests: Names.*, HostileTrees.NamesTheFileFunctionsWouldRead*,
//     HostileTrees.ABestFitDotNameHidesNoLinkFromTheScan,
//     HostileTrees.AWideNameIsRemovedAsItselfAndNeverAsItsBestFit.
//  3. Protection depends on who named the path (PathOrigin): the one table
//     (ProtectedTable) gathered (GatherSystemLocations) into identities
//     (ProtectedFolders). A folder at or above a protected one, a volume
//     root, or a folder inside one protected whole (and not in a folder
//     exempt from that) is refused (ProtectedFolders::Refuses,
//     NearestMark); a walk never enters a protected folder wherever it meets
//     one (PinnedFolder::PinChild, HoldsIdentity). Backstops: the names as a
//     first look (RefusesByName), 95/98's refusal of SUBST and network
//     drives (ReachesUnderAnotherName). Tests: ProtectedLayouts.*,
//     HostileTrees.TheSystemsOwnFolders*, HostileTrees.EverySpelling*,
//     HostileTrees.SettingsMayNotNameTheUsersOwnFolders*.
//  4. A drive whose root lies inside a protected folder is protected as that
//     folder (ProtectedFolders::AddRootVerdicts, NearestMark up to the root).
//     Tests: HostileTrees.ADriveWhoseRootIsInsideASystemFolderIsProtected.
//  5. A set that cannot be made whole refuses everything: a location that
//     cannot be read, a list that cannot grow (LocationList, AddLocation,
//     ProtectedFolders::Refuses). Tests: ProtectedLayouts.AnIncompleteList*,
//     ProtectedLayouts.AnUnreadableLocationMakesTheSetIncomplete.
//  6. What the shell is handed stays put until it returns: it gets only
//     shell paths (exact spellings, PinnedFolder::ShellPathOf) whose folders
//     are held without delete sharing from the volume root (HeldChain) down
//     (the walk's pins); each file is looked at again right before its call
//     (RecycleBatch::Hand, StillPlainFile); a folder goes whole only when a
//     scan finds no link in it (HoldsNoLink), its scan's pins kept where
//     that does not stop the move, and it is still the folder scanned
//     (StillFolder); every call's flags come from one function
//     (ShellDeleteFlags). Tests: TreeWalk.EveryShellCall*,
//     HostileTrees.AHiddenFolderHoldingALink*, ShellHandOver.*.
//  7. File items refuse folders, folder items refuse files (PathTarget,
//     RemoveTree, RemoveFile through FILE_NON_DIRECTORY_FILE opens).
//     Tests: TreeWalk.AFileItemNeverRemovesAFolder.
//  8. A cleaning runs unattended: no critical-error box for the whole of a
//     Compact or a GetSize (CriticalErrorsSilenced, held by CleaningRun and
//     each walk). Tests: TreeWalk.NoCriticalErrorBoxWhileAWalkRuns.
//  9. Entries past 260 characters are reached through their folders'
//     handles; deeper than kMaxWalkDepth folders are left (SumFolder,
//     WalkFolder). Tests: TreeWalk.EntriesPast260CharactersAreReached.
// 10. The road is chosen once, by named capabilities (WalkPlatform,
//     PlatformFor); an NT without the native calls reaches nothing. Tests:
//     WalkPlatform.*, and every test above on each road (WalkBranches).
#ifndef LARKSPIRE_TREEWALK_H
#define LARKSPIRE_TREEWALK_H

#include <windows.h>

#include "PathText.h"
#include "ProtectedFolders.h"
#include "ProtectedTable.h"
#include "WalkPlatform.h"

// What a path is expected to name.
enum PathTarget {
    kTargetFolderOrFile, // either (a folder the user listed may name a file)
    kTargetFolder,       // a folder only (a cache folder): a file of that name stays
    kTargetFile          // a file only (a history or cookie file): a folder of that name stays
};

// Total bytes of all files below the absolute `folder` (with or without a
// trailing backslash). Saturates at 0xFFFFFFFF; a file of 4 GiB or more
// counts as 0xFFFFFFFF. The folder is reached through the links of its path;
// inside it, files that cannot be opened for reading with read sharing,
// links, and folders with attribute bits besides FILE_ATTRIBUTE_DIRECTORY add
// 0. (Wine shows a link to a file as a file: what it points at is counted;
// nothing is removed for it.)
DWORD GetTreeSize(const char* folder);
// The same, 0 for a folder that `judge` refuses: what RemoveTree would walk.
DWORD GetTreeSize(const char* folder, const ProtectedFolders& judge);

// Removes a file, or the contents of a folder tree depth first: each file goes
// to the Recycle Bin when `recycle` is nonzero, else it is deleted; with
// `removeFolders` nonzero, every folder below `path` that the walk empties is
// removed too. The folder `path` itself always stays. Judged as a path from
// a setting (kNamedBySetting), the system's protected folders worked out for
// this call. Returns 1 when a folder was walked, else 0.
int RemoveTree(const char* path, BOOL recycle, BOOL removeFolders);

// The same, judged by `judge` (made once for several calls), for a path
// expected to name `target`.
int RemoveTree(const char* path, BOOL recycle, BOOL removeFolders, const ProtectedFolders& judge,
               PathTarget target = kTargetFolderOrFile);

// The removals of one cleaning: its two options, who named its paths, and
// the protected folders, worked out once, when the first path that leads
// somewhere comes, for all of its paths. No critical-error box is shown
// while it lives.
class CleaningRun {
public:
    CleaningRun(PathOrigin origin, BOOL recycle, BOOL removeFolders);
    ~CleaningRun();

    // RemoveTree of `path` with the run's options. Removes nothing when the
    // protected folders cannot be worked out.
    int Remove(const char* path, PathTarget target = kTargetFolderOrFile);
    // GetTreeSize of `folder` judged as Remove would judge it.
    DWORD Size(const char* folder);

private:
    CleaningRun(const CleaningRun&) = delete;
    CleaningRun& operator=(const CleaningRun&) = delete;

    // The run's protected folders, for a path that leads somewhere; NULL
    // otherwise, or when they cannot be made.
    const ProtectedFolders* JudgeFor(const char* path);

    CriticalErrorsSilenced silenced_;
    PathOrigin origin_;
    BOOL recycle_;
    BOOL removeFolders_;
    ProtectedFolders* judge_;
};

#endif
