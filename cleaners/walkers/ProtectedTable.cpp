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

#define SHELL(csidl, tail, bySetting, byUser) {kFromShellFolder, csidl, NULL, NULL, tail, kAsNamed, bySetting, byUser}
#define ENV(name, bySetting, byUser) {kFromEnvironment, 0, NULL, name, "", kAsNamed, bySetting, byUser}
#define MACHINE(key, name, derivation, bySetting, byUser) \
    {kFromMachineValue, 0, key, name, "", derivation, bySetting, byUser}
#define USER(key, name, bySetting, byUser) {kFromUserValue, 0, key, name, "", kAsNamed, bySetting, byUser}
// The user's own documents, pictures, ...: whole against a setting, at or
// above against the user.
#define DATA_SHELL(csidl) SHELL(csidl, "", W, A)

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
    MACHINE(PROFILE_LIST_KEY, "Public", kPathsOnly, W, A),
    MACHINE(PROFILE_LIST_KEY, "Default", kPathsOnly, F, F),
    MACHINE(PROFILE_LIST_KEY, "AllUsersProfile", kPathsOnly, A, A),
    {kFromEachProfile, 0, PROFILE_LIST_KEY, "ProfileImagePath", "", kPathsOnly, F, F},
    SHELL(CSIDL_PROFILE, "", F, F),
    {kFromShellFolder, CSIDL_PROFILE, NULL, NULL, "", kParentFolder, P, P},
    ENV("USERPROFILE", F, F),
    {kFromEnvironment, 0, NULL, "USERPROFILE", "", kParentFolder, P, P},
    ENV("ALLUSERSPROFILE", A, A),
    ENV("PUBLIC", W, A),
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
    USER(SHELL_FOLDERS_KEY, "Personal", W, A),
    USER(SHELL_FOLDERS_KEY, "Desktop", W, A),
    USER(SHELL_FOLDERS_KEY, "My Pictures", W, A),
    USER(SHELL_FOLDERS_KEY, "My Music", W, A),
    USER(SHELL_FOLDERS_KEY, "My Video", W, A),
    USER(SHELL_FOLDERS_KEY, "{374DE290-123F-4565-9164-39C4925E467B}", W, A), // Downloads
    USER(SHELL_FOLDERS_KEY, "Favorites", W, A),
    USER(SHELL_FOLDERS_KEY, "Start Menu", W, A),
    USER(SHELL_FOLDERS_KEY, "Programs", W, A),
    USER(SHELL_FOLDERS_KEY, "Startup", W, A),
    USER(SHELL_FOLDERS_KEY, "SendTo", W, A),
    USER(SHELL_FOLDERS_KEY, "Templates", W, A),
    USER(SHELL_FOLDERS_KEY, "{56784854-C6CB-462B-8169-88E350ACB882}", W, A), // Contacts
    USER(SHELL_FOLDERS_KEY, "{4C5C32FF-BB9D-43B0-B5B4-2D72E54EAAA4}", W, A), // Saved Games
    MACHINE(SHELL_FOLDERS_KEY, "Common Documents", kAsNamed, W, A),
    MACHINE(SHELL_FOLDERS_KEY, "Common Desktop", kAsNamed, W, A),
    MACHINE(SHELL_FOLDERS_KEY, "CommonPictures", kAsNamed, W, A),
    MACHINE(SHELL_FOLDERS_KEY, "CommonMusic", kAsNamed, W, A),
    MACHINE(SHELL_FOLDERS_KEY, "CommonVideo", kAsNamed, W, A),
    MACHINE(SHELL_FOLDERS_KEY, "Common Start Menu", kAsNamed, W, A),
    MACHINE(SHELL_FOLDERS_KEY, "Common Programs", kAsNamed, W, A),
    MACHINE(SHELL_FOLDERS_KEY, "Common Startup", kAsNamed, W, A),
    MACHINE(SHELL_FOLDERS_KEY, "Common Templates", kAsNamed, W, A),
    MACHINE(SHELL_FOLDERS_KEY, "Common Favorites", kAsNamed, W, A),

    // The root of every drive, and with it whatever lies above one; a drive
    // whose root is a folder inside a protected one is protected as that is.
    {kFromDriveRoots, 0, NULL, NULL, "", kAsNamed, A, A},
};
const int kProtectedRowCount = sizeof(kProtectedRows) / sizeof(kProtectedRows[0]);

// Below every profile, where Windows of every age keeps the user's own
// folders, the programs' data and the keys of the user's secrets.
const ProfileFolderRow kProfileFolderRows[] = {
    {"\\Documents", W, A},
    {"\\My Documents", W, A},
    {"\\Personal", W, A},
    {"\\Desktop", W, A},
    {"\\Pictures", W, A},
    {"\\Music", W, A},
    {"\\Videos", W, A},
    {"\\Downloads", W, A},
    {"\\Favorites", W, A},
    {"\\Contacts", W, A},
    {"\\Saved Games", W, A},
    {"\\Links", W, A},
    {"\\Searches", W, A},
    {"\\Start Menu", W, A},
    {"\\SendTo", W, A},
    {"\\Templates", W, A},
    {"\\AppData", A, A},
    {"\\AppData\\Roaming", A, A},
    {"\\AppData\\Roaming\\Microsoft", A, A},
    {"\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu", W, A},
    {"\\AppData\\Roaming\\Microsoft\\Windows\\SendTo", W, A},
    {"\\AppData\\Roaming\\Microsoft\\Windows\\Templates", W, A},
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
