// What the system offers the folder walkers. The walkers take a different
// road on each family of Windows: 95 and 98 have no folder handles, no
// native calls and no links, and a folder is known only by its name; NT 4.0
// has handles and native calls but cannot open a link as itself; 2000 and XP
// can; Vista and later also tell the final path of an open file; and Wine,
// which shows a link to a file as a plain file, must be asked where each
// file lies, and keeps its drives inside the Unix tree. What differs is
// looked up once here and named as capabilities, which the walkers test
// instead of the branch; the tests can make the walkers take any of these
// roads that the system under them can hold.
#ifndef LARKSPIRE_WALKPLATFORM_H
#define LARKSPIRE_WALKPLATFORM_H

#include <windows.h>
#include <winternl.h>

enum WalkBranch {
    kWalkWindows9x,    // Windows 95 and 98
    kWalkWindowsNT4,   // Windows NT 4.0
    kWalkWindows2000,  // Windows 2000 and XP
    kWalkWindowsVista, // Windows Vista and later
    kWalkWine          // Wine
};

// How a walk reaches the entries of a folder.
enum WalkReach {
    kReachByName,   // by path, the file system's own ANSI names (95 and 98)
    kReachByHandle, // listed, opened and deleted by their own wide names,
                    // relative to the folder's open handle (every NT)
    kReachNothing   // an NT whose native calls cannot be bound: nothing is walked
};

typedef LONG(NTAPI* NtCreateFileCall)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                       PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
typedef LONG(NTAPI* NtSetInformationFileCall)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
typedef LONG(NTAPI* NtQueryInformationFileCall)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
typedef LONG(NTAPI* NtQueryDirectoryFileCall)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG,
                                               ULONG, BOOLEAN, PUNICODE_STRING, BOOLEAN);
typedef DWORD(WINAPI* GetFinalPathCall)(HANDLE, LPWSTR, DWORD, DWORD);
typedef char*(CDECL* WineUnixNameCall)(LPCWSTR);
typedef HANDLE(WINAPI* CreateFileWCall)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
typedef BOOL(WINAPI* SetThreadErrorModeCall)(DWORD, LPDWORD);

// Windows 95 and 98: the attribute word of the "is drive remote" IOCTL
// (interrupt 21h, function 4409h) for drive number `drive` (1 is A:); false
// when it cannot be read.
typedef bool (*DriveAttributesCall)(int drive, WORD* attributes);

// The calls bound at run time, as found on this system.
struct WalkCalls {
    NtCreateFileCall createFile;             // ntdll, every NT
    NtSetInformationFileCall setInformation; // likewise
    NtQueryInformationFileCall queryInformation;
    NtQueryDirectoryFileCall queryDirectory;
    GetFinalPathCall finalPath;              // Vista and later, Wine
    WineUnixNameCall unixName;               // Wine (freed with HeapFree)
    CreateFileWCall createFileW;             // a stub that fails on 95 and 98
    SetThreadErrorModeCall setThreadErrorMode; // Windows 7 and later, Wine
};

struct WalkPlatform {
    WalkBranch branch;
    WalkReach reach;
    // The capabilities the walkers decide by, computed once from the branch
    // and the calls found (see PlatformFor).
    bool opensLinksAsThemselves; // a link is opened as itself (2000 and later)
    bool tellsFinalPath;         // where an open folder lies, links resolved
    bool filesHideLinks;         // links to files show as files: ask where each file lies (Wine)
    bool drivesInUnixTree;       // drives are folders of a Unix tree (Wine)
    bool subfolderPinsBlockMoves; // a folder with a subfolder held open (without delete
                                  // sharing) cannot be moved: Windows' file systems; not Wine
    ULONG reparseOption;          // the native option that opens a link as itself, or 0
    DWORD reparseFlag;            // FILE_FLAG_OPEN_REPARSE_POINT likewise
    WalkCalls calls;              // those this road may use; the others are NULL
    DriveAttributesCall driveAttributes; // Windows 95 and 98
};

// What a system of `branch` that has `calls` offers: its capabilities, and
// only those of the calls such a system has. A Windows NT without every
// native call the walks need reaches nothing.
WalkPlatform PlatformFor(WalkBranch branch, const WalkCalls& calls);

// The road of this system, looked up by the first caller.
const WalkPlatform& Platform();

// The tests' seam: from now on the walkers take the road of `branch`, with
// those of this system's calls that such a system has. Returns the branch
// taken so far. Not for use while a walk runs.
WalkBranch UseWalkBranch(WalkBranch branch);

// The same for the calls the road is made from (NULL: this system's own).
void UseWalkCalls(const WalkCalls* calls);
// This system's own calls, as found.
const WalkCalls& SystemWalkCalls();

// The same for the 95/98 drive check; returns the one used so far.
DriveAttributesCall UseDriveAttributes(DriveAttributesCall call);

// The real 95/98 drive check, through the VWIN32 device.
bool ReadDriveAttributes(int drive, WORD* attributes);

// What the attribute word says of a drive: SUBSTituted (bit 15) or remote
// (bit 12). Such a drive reaches a folder under another name.
bool DriveIsAlias(WORD attributes);

// For its lifetime, the system shows no critical-error box ("no disk in
// drive A:") to this thread; the call that met the error fails instead. A
// cleaning runs unattended. On systems without a per-thread error mode the
// process's mode is set while any such object lives, by a count, so that
// two threads' cleanings do not undo each other.
class CriticalErrorsSilenced {
public:
    CriticalErrorsSilenced();
    ~CriticalErrorsSilenced();

private:
    CriticalErrorsSilenced(const CriticalErrorsSilenced&) = delete;
    CriticalErrorsSilenced& operator=(const CriticalErrorsSilenced&) = delete;

    SetThreadErrorModeCall setThreadMode_; // NULL: the process's mode was set
    DWORD previous_;
};

#endif
