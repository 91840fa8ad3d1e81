// The system's calls for the walkers, bound at run time: the native calls
// come from ntdll on Windows NT only, the final path from Vista on, the
// per-thread error mode from Windows 7 on, and the Unix path from Wine;
// nothing newer than Windows 95 and NT 4.0 is imported.
#include "WalkPlatform.h"

#include "SharedCount.h"

namespace {

// The native option that opens a link as itself.
const ULONG kFileOpenReparsePoint = 0x00200000;

template <typename Call>
Call Bind(HMODULE module, const char* name)
{
    return module != NULL ? reinterpret_cast<Call>(GetProcAddress(module, name)) : NULL;
}

// This system's branch and calls.
WalkBranch DetectBranch(WalkCalls* calls)
{
    ZeroMemory(calls, sizeof(*calls));
    DWORD version = GetVersion();
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if ((version & 0x80000000u) != 0 || ntdll == NULL)
        return kWalkWindows9x;
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    calls->createFile = Bind<NtCreateFileCall>(ntdll, "NtCreateFile");
    calls->setInformation = Bind<NtSetInformationFileCall>(ntdll, "NtSetInformationFile");
    calls->queryInformation = Bind<NtQueryInformationFileCall>(ntdll, "NtQueryInformationFile");
    calls->queryDirectory = Bind<NtQueryDirectoryFileCall>(ntdll, "NtQueryDirectoryFile");
    calls->createFileW = Bind<CreateFileWCall>(kernel32, "CreateFileW");
    calls->finalPath = Bind<GetFinalPathCall>(kernel32, "GetFinalPathNameByHandleW");
    calls->setThreadErrorMode = Bind<SetThreadErrorModeCall>(kernel32, "SetThreadErrorMode");
    calls->unixName = Bind<WineUnixNameCall>(kernel32, "wine_get_unix_file_name");
    if (GetProcAddress(ntdll, "wine_get_version") != NULL)
        return kWalkWine;
    if (LOBYTE(LOWORD(version)) < 5)
        return kWalkWindowsNT4;
    return calls->finalPath != NULL ? kWalkWindowsVista : kWalkWindows2000;
}

// The platform as detected, and as the walkers use it now.
WalkBranch g_detectedBranch;
WalkCalls g_detectedCalls;
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
        g_detectedBranch = DetectBranch(&g_detectedCalls);
        g_current = PlatformFor(g_detectedBranch, g_detectedCalls);
        g_current.driveAttributes = ReadDriveAttributes;
        g_ready = true;
    }
    InterlockedExchange(&g_busy, 0);
}

// The calls the road is made from now (the tests may give others).
WalkCalls g_calls;
bool g_callsGiven;

void Rebuild(WalkBranch branch)
{
    DriveAttributesCall driveAttributes = g_current.driveAttributes;
    g_current = PlatformFor(branch, g_callsGiven ? g_calls : g_detectedCalls);
    g_current.driveAttributes = driveAttributes;
}

} // namespace

WalkPlatform PlatformFor(WalkBranch branch, const WalkCalls& calls)
{
    WalkPlatform platform;
    ZeroMemory(&platform, sizeof(platform));
    platform.branch = branch;
    platform.reach = kReachByName;
    if (branch == kWalkWindows9x)
        return platform; // none of the calls: 95 and 98 have them as stubs at most
    // Each older system lacks what the newer ones brought.
    platform.calls.createFile = calls.createFile;
    platform.calls.setInformation = calls.setInformation;
    platform.calls.queryInformation = calls.queryInformation;
    platform.calls.queryDirectory = calls.queryDirectory;
    platform.calls.createFileW = calls.createFileW;
    bool native = calls.createFile != NULL && calls.setInformation != NULL && calls.queryInformation != NULL &&
                  calls.queryDirectory != NULL;
    platform.reach = native ? kReachByHandle : kReachNothing;
    platform.subfolderPinsBlockMoves = branch != kWalkWine;
    if (branch >= kWalkWindows2000) {
        platform.opensLinksAsThemselves = true;
        platform.reparseOption = kFileOpenReparsePoint;
        platform.reparseFlag = FILE_FLAG_OPEN_REPARSE_POINT;
    }
    if (branch >= kWalkWindowsVista) {
        platform.calls.finalPath = calls.finalPath;
        platform.calls.setThreadErrorMode = calls.setThreadErrorMode;
        platform.tellsFinalPath = calls.finalPath != NULL;
    }
    if (branch == kWalkWine) {
        // Where a file lies is asked through its final path; without one
        // nothing can be told, and no file is removed.
        platform.filesHideLinks = true;
        platform.calls.unixName = calls.unixName;
        platform.drivesInUnixTree = calls.unixName != NULL && calls.createFileW != NULL;
    }
    return platform;
}

const WalkPlatform& Platform()
{
    EnsureDetected();
    return g_current;
}

WalkBranch UseWalkBranch(WalkBranch branch)
{
    EnsureDetected();
    WalkBranch previous = g_current.branch;
    Rebuild(branch);
    return previous;
}

void UseWalkCalls(const WalkCalls* calls)
{
    EnsureDetected();
    g_callsGiven = calls != NULL;
    if (calls != NULL)
        g_calls = *calls;
    Rebuild(g_current.branch);
}

const WalkCalls& SystemWalkCalls()
{
    EnsureDetected();
    return g_detectedCalls;
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

namespace {

// Holders of the process-wide mode less one, and the mode from before the
// first. Counted from -1 because Windows 95 tells only the sign of a shared
// count: the first holder makes it 0, the last takes it below.
volatile LONG g_silencedCount = -1;
UINT g_modeBefore;

} // namespace

CriticalErrorsSilenced::CriticalErrorsSilenced()
    : setThreadMode_(Platform().calls.setThreadErrorMode), previous_(0)
{
    if (setThreadMode_ != NULL && setThreadMode_(SEM_FAILCRITICALERRORS, &previous_))
        return;
    setThreadMode_ = NULL;
    bool first = IncrementShared(&g_silencedCount) == 0;
    UINT before = SetErrorMode(SEM_FAILCRITICALERRORS);
    SetErrorMode(before | SEM_FAILCRITICALERRORS);
    if (first)
        g_modeBefore = before;
}

CriticalErrorsSilenced::~CriticalErrorsSilenced()
{
    if (setThreadMode_ != NULL) {
        setThreadMode_(previous_, NULL);
        return;
    }
    if (DecrementShared(&g_silencedCount) < 0)
        SetErrorMode(g_modeBefore);
}
