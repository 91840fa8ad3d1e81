// The system's calls for the walkers, bound at run time: the native calls
// come from ntdll on Windows NT only, the final path from Vista on, and the
// Unix path from Wine; nothing newer than Windows 95 and NT 4.0 is imported.
#include "WalkPlatform.h"

namespace {

// The native option and flag that open a link as itself.
const ULONG kFileOpenReparsePoint = 0x00200000;

WalkPlatform Detect()
{
    WalkPlatform platform;
    ZeroMemory(&platform, sizeof(platform));
    platform.branch = kWalkWindows9x;
    platform.driveAttributes = ReadDriveAttributes;
    DWORD version = GetVersion();
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if ((version & 0x80000000u) != 0 || ntdll == NULL)
        return platform;
    platform.branch = kWalkWindowsNT4;
    platform.createFile = reinterpret_cast<NtCreateFileCall>(GetProcAddress(ntdll, "NtCreateFile"));
    platform.setInformation =
        reinterpret_cast<NtSetInformationFileCall>(GetProcAddress(ntdll, "NtSetInformationFile"));
    platform.queryInformation =
        reinterpret_cast<NtQueryInformationFileCall>(GetProcAddress(ntdll, "NtQueryInformationFile"));
    if (platform.createFile == NULL || platform.setInformation == NULL) {
        platform.createFile = NULL;
        platform.setInformation = NULL;
    }
    if (LOBYTE(LOWORD(version)) < 5)
        return platform;
    platform.branch = kWalkWindows2000;
    platform.reparseOption = kFileOpenReparsePoint;
    platform.reparseFlag = FILE_FLAG_OPEN_REPARSE_POINT;
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    platform.finalPath =
        reinterpret_cast<GetFinalPathCall>(GetProcAddress(kernel32, "GetFinalPathNameByHandleW"));
    if (platform.finalPath != NULL)
        platform.branch = kWalkWindowsVista;
    if (GetProcAddress(ntdll, "wine_get_version") != NULL) {
        platform.branch = kWalkWine;
        platform.filesHideLinks = platform.finalPath != NULL;
        platform.unixName =
            reinterpret_cast<WineUnixNameCall>(GetProcAddress(kernel32, "wine_get_unix_file_name"));
    }
    return platform;
}

// The platform as detected, and as the walkers use it now.
WalkPlatform g_detected;
WalkPlatform g_current;
bool g_ready;
volatile LONG g_busy; // 1 while a thread looks at the platform

// Taken with an exchange (xchg), which every x86 from the 386 on has, as a
// lock held only for the look-up: a comparing exchange would need a 486.
void EnsureDetected()
{
    while (InterlockedExchange(&g_busy, 1) != 0)
        Sleep(0);
    if (!g_ready) {
        g_detected = Detect();
        g_current = g_detected;
        g_ready = true;
    }
    InterlockedExchange(&g_busy, 0);
}

} // namespace

const WalkPlatform& Platform()
{
    EnsureDetected();
    return g_current;
}

WalkBranch UseWalkBranch(WalkBranch branch)
{
    EnsureDetected();
    WalkBranch previous = g_current.branch;
    WalkPlatform platform = g_detected;
    platform.driveAttributes = g_current.driveAttributes;
    platform.branch = branch;
    // Each older system lacks what the newer ones brought.
    if (branch != kWalkWine) {
        platform.filesHideLinks = false;
        platform.unixName = NULL;
    }
    if (branch <= kWalkWindows2000)
        platform.finalPath = NULL;
    if (branch <= kWalkWindowsNT4) {
        platform.reparseOption = 0;
        platform.reparseFlag = 0;
    }
    if (branch == kWalkWindows9x) {
        platform.createFile = NULL;
        platform.setInformation = NULL;
        platform.queryInformation = NULL;
    }
    g_current = platform;
    return previous;
}

DriveAttributesCall UseDriveAttributes(DriveAttributesCall call)
{
    EnsureDetected();
    DriveAttributesCall previous = g_current.driveAttributes;
    g_current.driveAttributes = call;
    return previous;
}

bool ReadDriveAttributes(int drive, WORD* attributes)
{
    // The registers of an MS-DOS call made through VWIN32 (Windows 95 and 98).
    struct DiocRegisters {
        DWORD ebx, edx, ecx, eax, edi, esi, flags;
    };
    const DWORD kDosIoctl = 1;  // VWIN32_DIOC_DOS_IOCTL
    const DWORD kCarryFlag = 1; // set when the call failed
    HANDLE device = CreateFileA("\\\\.\\vwin32", 0, 0, NULL, 0, FILE_FLAG_DELETE_ON_CLOSE, NULL);
    if (device == INVALID_HANDLE_VALUE)
        return false;
    DiocRegisters registers;
    ZeroMemory(&registers, sizeof(registers));
    registers.eax = 0x4409;
    registers.ebx = static_cast<DWORD>(drive);
    registers.flags = kCarryFlag; // a call that does nothing reads as failed
    DWORD returned = 0;
    BOOL done = DeviceIoControl(device, kDosIoctl, &registers, sizeof(registers), &registers,
                                sizeof(registers), &returned, NULL);
    CloseHandle(device);
    if (!done || (registers.flags & kCarryFlag) != 0)
        return false;
    *attributes = LOWORD(registers.edx);
    return true;
}

bool DriveIsAlias(WORD attributes)
{
    const WORD kSubstituted = 0x8000;
    const WORD kRemote = 0x1000;
    return (attributes & (kSubstituted | kRemote)) != 0;
}
