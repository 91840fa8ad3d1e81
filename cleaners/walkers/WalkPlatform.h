// What the system offers the folder walkers. The walkers take a different
// road on each family of Windows: 95 and 98 have no folder handles, no
// native calls and no links, and a folder is known only by its name; NT 4.0
// has handles and native calls but cannot open a link as itself; 2000 and XP
// can; Vista and later also tell the final path of an open file; and Wine,
// which shows a link to a file as a plain file, must be asked where each
// file lies, and keeps its drives inside the Unix tree. Everything that
// differs is looked up once here, and the tests can make the walkers take
// any of these roads that the system under them can hold.
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

typedef LONG(NTAPI* NtCreateFileCall)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                       PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
typedef LONG(NTAPI* NtSetInformationFileCall)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
typedef LONG(NTAPI* NtQueryInformationFileCall)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
typedef DWORD(WINAPI* GetFinalPathCall)(HANDLE, LPWSTR, DWORD, DWORD);
typedef char*(CDECL* WineUnixNameCall)(LPCWSTR);

// Windows 95 and 98: the attribute word of the "is drive remote" IOCTL
// (interrupt 21h, function 4409h) for drive number `drive` (1 is A:); false
// when it cannot be read.
typedef bool (*DriveAttributesCall)(int drive, WORD* attributes);

struct WalkPlatform {
    WalkBranch branch;
    NtCreateFileCall createFile;             // NULL on Windows 95 and 98
    NtSetInformationFileCall setInformation; // likewise
    NtQueryInformationFileCall queryInformation;
    ULONG reparseOption;        // the native option that opens a link as itself, or 0
    DWORD reparseFlag;          // FILE_FLAG_OPEN_REPARSE_POINT likewise
    GetFinalPathCall finalPath; // the path of an open file, links resolved; NULL before Vista
    bool filesHideLinks;        // links to files show as files: ask where each file lies
    WineUnixNameCall unixName;  // Wine: the Unix path of a Windows one (freed with HeapFree)
    DriveAttributesCall driveAttributes; // Windows 95 and 98

    // Folders are opened, known by their identity and walked through their
    // handles: every Windows NT.
    bool OpensFolders() const { return branch != kWalkWindows9x; }
};

// The road of this system, looked up by the first caller.
const WalkPlatform& Platform();

// The tests' seam: from now on the walkers take the road of `branch`, with
// those of this system's calls that such a system has. Returns the branch
// taken so far. Not for use while a walk runs.
WalkBranch UseWalkBranch(WalkBranch branch);

// The same for the 95/98 drive check; returns the one used so far.
DriveAttributesCall UseDriveAttributes(DriveAttributesCall call);

// The real 95/98 drive check, through the VWIN32 device.
bool ReadDriveAttributes(int drive, WORD* attributes);

// What the attribute word says of a drive: SUBSTituted (bit 15) or remote
// (bit 12). Such a drive reaches a folder under another name.
bool DriveIsAlias(WORD attributes);

#endif
