// The folder walkers shared by every component of the server: GetTreeSize,
// RemoveTree and the removals of one cleaning (CleaningRun).
//
// The rules they keep, each with the function that enforces it, its
// backstops, and the tests that fail when it breaks (in tests/cleaners/
// walkers; tests/cleaners/walkers/mutants.sh breaks each check on purpose
// and shows which tests catch it):
//
//  1. Nothing outside the folder a walk is handed is reached. The path is made
//     canonical and absolute (CanonicalAbsolutePath), opened once through its
//     links and judged on that handle (OpenTop); below it each folder is
//     opened relative to its parent's handle and must be a folder lying in
//     its parent, by its name on its volume (PinnedFolder::PinChild); a link
//     is never followed or removed. Backstops: listings through the folder's
//     own handle (FolderListing), links passed over (RemoveEntry), a file
//     deleted only where it lies in its folder (DeleteChild, LiesDirectlyIn).
//     Tests: RemoveTree.LinksAreNeitherFollowedNorRemoved, FolderSwaps.*,
//     HostileTrees.*Link*, FolderHandle.*, WalkModel.*.
//  2. Names are never re-spelled. On the NT roads entries are listed and
//     reached by their own wide names (FolderListing, FolderHandle); an ANSI
//     spelling stands for an entry only when it reads back as that name and
//     the ANSI functions read it as that entry alone (ExactAnsi,
//     IsPlainName, EntrySpelling), else its short name; else a file is
//     deleted through its folder's handle and a folder handed whole stays.
//     Tests: Names.*, RespelledNames.*,
//     HostileTrees.NamesTheFileFunctionsWouldReadDifferently*.
//  3. Protection depends on who named the path (PathOrigin), from one table
//     (kProtectedRows, kProfileFolderRows) gathered into identities
//     (GatherSystemLocations, ProtectedFolders): refused are a folder at or
//     above a protected one, a volume root, and a folder inside one
//     protected whole unless a folder exempt from that lies nearer
//     (ProtectedFolders::Refuses, NearestMark); a walk never enters a
//     protected folder it meets (PinChild, HoldsIdentity). Backstops: the
//     names as a first look, 95/98's only look (RefusesByName); 95/98
//     refuse SUBST and network drives (ReachesUnderAnotherName).
//     Tests: ProtectedLayouts.*, ProtectionByOrigin.Settings*,
//     ProtectionByOrigin.TheUser*, HostileTrees.TheSystemsOwnFolders*,
//     HostileTrees.EverySpelling*, Windows9xWalk.*; for the web browser
//     caches (webcaches/CacheWalk.cpp, a setting's paths) HostileProfiles.*
//     in tests/webcaches.
//  4. A drive whose root lies inside a protected folder is that folder
//     (ProtectedFolders::RootMark, reached by NearestMark at a root).
//     Tests: ProtectionByOrigin.ADriveWhoseRootIsInsideASystemFolder*.
//  5. A set that cannot be made whole refuses everything (Refuses): a
//     location that cannot be read or spelled (LocationRead, AddLocation),
//     a list that cannot grow (LocationList, IdentitySet).
//     Tests: ProtectedLayouts.AnIncompleteList*,
//     ProtectedLayouts.AnUnreadableLocation*,
//     ProtectionByOrigin.AProtectedLocationThatCannotBeRead*.
//  6. What the shell is handed stays put until it returns. It is handed only
//     shell paths (PinnedFolder::ShellPathOf) whose folders are held without
//     delete sharing from the volume's root (HeldChain) down (the walk's
//     pins); each file is looked at again right before its call
//     (RecycleBatch::Hand, StillPlainFile); a folder goes whole only when
//     two scans, the second right before the call, find no link in it
//     (HoldsNoLink) and it is still the folder scanned (StillFolder), the
//     scans' pins kept until the shell returns where that does not stop the
//     move (subfolderPinsBlockMoves); every call's flags come from one
//     function (ShellDeleteFlags). Tests: ShellHandOver.*,
//     RemoveTree.EveryShellCallAsksForNoConnectedFiles,
//     HostileTrees.AHiddenFolderHoldingALink*, RespelledNames.ABestFitDot*.
//  7. A file item removes a file only, a folder item a folder only
//     (PathTarget: RemoveTree; RemoveFile's opens take no folder).
//     Tests: WalkRules.AFileItemNeverRemovesAFolderNorAFolderItemAFile,
//     NetscapeCompact.AHistoryOrCookieFileSettingNamingAFolder*.
//  8. A cleaning runs unattended: no critical-error box for the whole of a
//     Compact, a GetSize or a walk (CriticalErrorsSilenced, held by
//     CleaningRun and by each walk; on systems without a per-thread mode the
//     process's by a count of its holders, which Windows 95 tells only by
//     its sign). Tests: WalkRules.NoCriticalErrorBox*,
//     WalkRules.TheErrorModeFromBefore*.
//  9. Entries past 260 characters are reached through their folders'
//     handles; below kMaxWalkDepth folders are left (WalkFolder, SumFolder,
//     HoldsNoLink). Tests: RemoveTree.EntriesPast260CharactersAreReached.
// 10. The road is chosen once, by named capabilities (PlatformFor); an NT
//     without the native calls reaches nothing. Tests: WalkPlatform.*, and
//     every test above on each road it can take (WalkBranches).
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
