// The protected folders, row by row (the README's Safety section has the
// same table).
#include "ProtectedTable.h"

#include <shlobj.h>

namespace {

// Special folders that not every shell32 defines by name.
const int kCsidlProfiles = 0x003e;             // the folder holding the profiles (XP)
const int kCsidlProgramFilesCommonX86 = 0x002c;

#define VERSION_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
#define PROFILE_LIST_KEY "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList"
#define SHELL_FOLDERS_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"

const ProtectionKind W = kProtectWhole;
const ProtectionKind A = kProtectAtOrAbove;
const ProtectionKind C = kProtectChildren;
const ProtectionKind P = kProtectProfiles;
const ProtectionKind F = kProtectProfile;
const ProtectionKind E = kProtectExempt;

// Each row's last two: its kind for a setting's path, and for the user's.
#define SHELL(csidl, tail, ...) {kFromShellFolder, csidl, NULL, NULL, tail, kAsNamed, __VA_ARGS__}
#define ENV(name, ...) {kFromEnvironment, 0, NULL, name, "", kAsNamed, __VA_ARGS__}
#define MACHINE(key, name, derivation, ...) {kFromMachineValue, 0, key, name, "", derivation, __VA_ARGS__}
#define USER(key, name, ...) {kFromUserValue, 0, key, name, "", kAsNamed, __VA_ARGS__}
// The user's own documents, pictures, ...: whole against a setting, at or
// above against the user.
#define DATA W, A
#define DATA_SHELL(csidl) SHELL(csidl, "", DATA)

// The Windows folder, however it is named: whole, but for the folders a
// cleaner exists for; its system folders whole whatever the Windows folder.
#define WINDOWS_ROWS(source, csidl, name)                                      \
    {source, csidl, NULL, name, "", kAsNamed, W, W},                           \
    {source, csidl, NULL, name, "\\System", kAsNamed, W, W},                   \
    {source, csidl, NULL, name, "\\System32", kAsNamed, W, W},                 \
    {source, csidl, NULL, name, "\\Sysnative", kAsNamed, W, W},                \
    {source, csidl, NULL, name, "\\Fonts", kAsNamed, W, W},                    \
    {source, csidl, NULL, name, "\\Temp", kAsNamed, E, E},                     \
    {source, csidl, NULL, name, "\\Temporary Internet Files", kAsNamed, E, E}, \
    {source, csidl, NULL, name, "\\History", kAsNamed, E, E},                  \
    {source, csidl, NULL, name, "\\Cookies", kAsNamed, E, E},                  \
    {source, csidl, NULL, name, "\\Profiles", kAsNamed, E, E},                 \
    {source, csidl, NULL, name, "\\Profiles", kAsNamed, P, P}

} // namespace

const ProtectedRow kProtectedRows[] = {
    // The system folders and the fonts: nothing a cleaning may touch lives
    // there, at any depth. Under WOW64 a 32-bit program that names System32
    // reaches SysWOW64; the native System32 answers to Sysnative.
    {kFromSystemFolder, 0, NULL, NULL, "", kAsNamed, W, W},
    {kFromWow64Folder, 0, NULL, NULL, "", kAsNamed, W, W},
    SHELL(CSIDL_SYSTEM, "", W, W),
    SHELL(CSIDL_SYSTEMX86, "", W, W),
    SHELL(CSIDL_FONTS, "", W, W),
    // The Windows folder; its Temp, Temporary Internet Files, History,
    // Cookies and the profiles of 95, 98 and NT 4.0 stay cleanable.
    WINDOWS_ROWS(kFromWindowsFolder, 0, NULL),
    WINDOWS_ROWS(kFromShellFolder, CSIDL_WINDOWS, NULL),
    WINDOWS_ROWS(kFromEnvironment, 0, "SystemRoot"),
    WINDOWS_ROWS(kFromEnvironment, 0, "windir"),

    // The programs: Program Files and Common Files, and each program's
    // folder in them; what a program keeps below its own folder (a Netscape
    // profile's cache) stays cleanable.
    SHELL(CSIDL_PROGRAM_FILES, "", C, C),
    SHELL(CSIDL_PROGRAM_FILESX86, "", C, C),
    SHELL(CSIDL_PROGRAM_FILES_COMMON, "", C, C),
    SHELL(kCsidlProgramFilesCommonX86, "", C, C),
    ENV("ProgramFiles", C, C),
    ENV("ProgramFiles(x86)", C, C),
    ENV("ProgramW6432", C, C),
    ENV("CommonProgramFiles", C, C),
    ENV("CommonProgramFiles(x86)", C, C),
    ENV("CommonProgramW6432", C, C),
    MACHINE(VERSION_KEY, "ProgramFilesDir", kAsNamed, C, C),
    MACHINE(VERSION_KEY, "ProgramFilesDir (x86)", kAsNamed, C, C),
    MACHINE(VERSION_KEY, "CommonFilesDir", kAsNamed, C, C),
    MACHINE(VERSION_KEY, "CommonFilesDir (x86)", kAsNamed, C, C),
    MACHINE(VERSION_KEY, "ProgramW6432Dir", kAsNamed, C, C),
    MACHINE(VERSION_KEY, "CommonW6432Dir", kAsNamed, C, C),

    // The profiles: the folder holding them, each profile in it or listed
    // anywhere, and the folders shared by all users. (XP lists some of these
    // as bare names inside the profiles folder, whose folders are profiles.)
    SHELL(kCsidlProfiles, "", P, P),
    MACHINE(PROFILE_LIST_KEY, "ProfilesDirectory", kAsNamed, P, P),
    MACHINE(PROFILE_LIST_KEY, "ProgramData", kPathsOnly, A, A),
    MACHINE(PROFILE_LIST_KEY, "Public", kPathsOnly, DATA),
    MACHINE(PROFILE_LIST_KEY, "Default", kPathsOnly, F, F),
    MACHINE(PROFILE_LIST_KEY, "AllUsersProfile", kPathsOnly, A, A),
    {kFromEachProfile, 0, PROFILE_LIST_KEY, "ProfileImagePath", "", kPathsOnly, F, F},
    SHELL(CSIDL_PROFILE, "", F, F),
    {kFromShellFolder, CSIDL_PROFILE, NULL, NULL, "", kParentFolder, P, P},
    ENV("USERPROFILE", F, F),
    {kFromEnvironment, 0, NULL, "USERPROFILE", "", kParentFolder, P, P},
    ENV("ALLUSERSPROFILE", A, A),
    ENV("PUBLIC", DATA),
    ENV("ProgramData", A, A),

    // The programs' data of the user and of the machine; inside them, the
    // keys that guard the user's stored secrets, and the system's own data.
    ENV("APPDATA", A, A),
    ENV("LOCALAPPDATA", A, A),
    SHELL(CSIDL_APPDATA, "", A, A),
    SHELL(CSIDL_APPDATA, "\\Microsoft", A, A),
    SHELL(CSIDL_APPDATA, "\\Microsoft\\Protect", W, W),
    SHELL(CSIDL_APPDATA, "\\Microsoft\\Credentials", W, W),
    SHELL(CSIDL_APPDATA, "\\Microsoft\\Crypto", W, W),
    SHELL(CSIDL_APPDATA, "\\Microsoft\\SystemCertificates", W, W),
    SHELL(CSIDL_LOCAL_APPDATA, "", A, A),
    SHELL(CSIDL_LOCAL_APPDATA, "\\Microsoft", A, A),
    SHELL(CSIDL_LOCAL_APPDATA, "\\Microsoft\\Credentials", W, W),
    SHELL(CSIDL_LOCAL_APPDATA, "\\..\\LocalLow", A, A),
    SHELL(CSIDL_COMMON_APPDATA, "", A, A),
    SHELL(CSIDL_COMMON_APPDATA, "\\Microsoft", W, W),

    // The user's own folders and their common twins, as the shell names
    // them and as the user's "User Shell Folders" do (Downloads, Contacts
    // and Saved Games have no special folder number).
    DATA_SHELL(CSIDL_PERSONAL),
    DATA_SHELL(CSIDL_DESKTOPDIRECTORY),
    DATA_SHELL(CSIDL_MYPICTURES),
    DATA_SHELL(CSIDL_MYMUSIC),
    DATA_SHELL(CSIDL_MYVIDEO),
    DATA_SHELL(CSIDL_FAVORITES),
    DATA_SHELL(CSIDL_STARTMENU),
    DATA_SHELL(CSIDL_PROGRAMS),
    DATA_SHELL(CSIDL_STARTUP),
    DATA_SHELL(CSIDL_SENDTO),
    DATA_SHELL(CSIDL_TEMPLATES),
    DATA_SHELL(CSIDL_COMMON_DOCUMENTS),
    DATA_SHELL(CSIDL_COMMON_DESKTOPDIRECTORY),
    DATA_SHELL(CSIDL_COMMON_PICTURES),
    DATA_SHELL(CSIDL_COMMON_MUSIC),
    DATA_SHELL(CSIDL_COMMON_VIDEO),
    DATA_SHELL(CSIDL_COMMON_STARTMENU),
    DATA_SHELL(CSIDL_COMMON_PROGRAMS),
    DATA_SHELL(CSIDL_COMMON_STARTUP),
    DATA_SHELL(CSIDL_COMMON_TEMPLATES),
    DATA_SHELL(CSIDL_COMMON_FAVORITES),
    USER(SHELL_FOLDERS_KEY, "Personal", DATA),
    USER(SHELL_FOLDERS_KEY, "Desktop", DATA),
    USER(SHELL_FOLDERS_KEY, "My Pictures", DATA),
    USER(SHELL_FOLDERS_KEY, "My Music", DATA),
    USER(SHELL_FOLDERS_KEY, "My Video", DATA),
    USER(SHELL_FOLDERS_KEY, "{374DE290-123F-4565-9164-39C4925E467B}", DATA), // Downloads
    USER(SHELL_FOLDERS_KEY, "Favorites", DATA),
    USER(SHELL_FOLDERS_KEY, "Start Menu", DATA),
    USER(SHELL_FOLDERS_KEY, "Programs", DATA),
    USER(SHELL_FOLDERS_KEY, "Startup", DATA),
    USER(SHELL_FOLDERS_KEY, "SendTo", DATA),
    USER(SHELL_FOLDERS_KEY, "Templates", DATA),
    USER(SHELL_FOLDERS_KEY, "{56784854-C6CB-462B-8169-88E350ACB882}", DATA), // Contacts
    USER(SHELL_FOLDERS_KEY, "{4C5C32FF-BB9D-43B0-B5B4-2D72E54EAAA4}", DATA), // Saved Games
    MACHINE(SHELL_FOLDERS_KEY, "Common Documents", kAsNamed, DATA),
    MACHINE(SHELL_FOLDERS_KEY, "Common Desktop", kAsNamed, DATA),
    MACHINE(SHELL_FOLDERS_KEY, "CommonPictures", kAsNamed, DATA),
    MACHINE(SHELL_FOLDERS_KEY, "CommonMusic", kAsNamed, DATA),
    MACHINE(SHELL_FOLDERS_KEY, "CommonVideo", kAsNamed, DATA),
    MACHINE(SHELL_FOLDERS_KEY, "Common Start Menu", kAsNamed, DATA),
    MACHINE(SHELL_FOLDERS_KEY, "Common Programs", kAsNamed, DATA),
    MACHINE(SHELL_FOLDERS_KEY, "Common Startup", kAsNamed, DATA),
    MACHINE(SHELL_FOLDERS_KEY, "Common Templates", kAsNamed, DATA),
    MACHINE(SHELL_FOLDERS_KEY, "Common Favorites", kAsNamed, DATA),

    // The root of every drive, and with it whatever lies above one; a drive
    // whose root is a folder inside a protected one is protected as that is.
    {kFromDriveRoots, 0, NULL, NULL, "", kAsNamed, A, A},
};
const int kProtectedRowCount = sizeof(kProtectedRows) / sizeof(kProtectedRows[0]);

// Below every profile, where Windows of every age keeps the user's own
// folders, the programs' data and the keys of the user's secrets.
const ProfileFolderRow kProfileFolderRows[] = {
    {"\\Documents", DATA},
    {"\\My Documents", DATA},
    {"\\Personal", DATA},
    {"\\Desktop", DATA},
    {"\\Pictures", DATA},
    {"\\Music", DATA},
    {"\\Videos", DATA},
    {"\\Downloads", DATA},
    {"\\Favorites", DATA},
    {"\\Contacts", DATA},
    {"\\Saved Games", DATA},
    {"\\Links", DATA},
    {"\\Searches", DATA},
    {"\\Start Menu", DATA},
    {"\\SendTo", DATA},
    {"\\Templates", DATA},
    {"\\AppData", A, A},
    {"\\AppData\\Roaming", A, A},
    {"\\AppData\\Roaming\\Microsoft", A, A},
    {"\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu", DATA},
    {"\\AppData\\Roaming\\Microsoft\\Windows\\SendTo", DATA},
    {"\\AppData\\Roaming\\Microsoft\\Windows\\Templates", DATA},
    {"\\AppData\\Roaming\\Microsoft\\Protect", W, W},
    {"\\AppData\\Roaming\\Microsoft\\Credentials", W, W},
    {"\\AppData\\Roaming\\Microsoft\\Crypto", W, W},
    {"\\AppData\\Roaming\\Microsoft\\SystemCertificates", W, W},
    {"\\AppData\\Local", A, A},
    {"\\AppData\\Local\\Microsoft", A, A},
    {"\\AppData\\Local\\Microsoft\\Credentials", W, W},
    {"\\AppData\\LocalLow", A, A},
    {"\\Application Data", A, A},
    {"\\Application Data\\Microsoft", A, A},
    {"\\Application Data\\Microsoft\\Protect", W, W},
    {"\\Application Data\\Microsoft\\Credentials", W, W},
    {"\\Application Data\\Microsoft\\Crypto", W, W},
    {"\\Application Data\\Microsoft\\SystemCertificates", W, W},
    {"\\Local Settings", A, A},
    {"\\Local Settings\\Application Data", A, A},
    {"\\Local Settings\\Application Data\\Microsoft\\Credentials", W, W},
};
const int kProfileFolderRowCount = sizeof(kProfileFolderRows) / sizeof(kProfileFolderRows[0]);
