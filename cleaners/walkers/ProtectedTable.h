// What a cleaning never removes, as one table: where each protected folder
// is named (the system's calls, the shell's special folders, the registry,
// the environment), how it is protected, and how that depends on who named
// the path a cleaning is handed. A setting written by another program (a
// browser's, the environment's temporary folder) may be damaged: it may name
// only a folder that lies in none of the user's own folders and in no
// system folder. A folder the user typed may lie inside the user's own
// folders (the user asked), but never inside a system folder, never among
// the keys that guard the user's secrets, and never at or above a protected
// folder. The README's Safety section shows the same table.
#ifndef LARKSPIRE_PROTECTEDTABLE_H
#define LARKSPIRE_PROTECTEDTABLE_H

#include <windows.h>

// Who named a path that a cleaning is handed, and so how strictly it is
// judged.
enum PathOrigin {
    kNamedBySetting, // written by another program, may be damaged: the strict level
    kNamedByUser     // typed or chosen by the user on the Folders page
};

enum ProtectionKind {
    kProtectWhole,     // the folder, every folder above it and everything in it
    kProtectAtOrAbove, // the folder and every folder above it; folders in it stay cleanable
    kProtectChildren,  // as kProtectAtOrAbove, and so is each folder directly in it
    kProtectProfiles,  // as kProtectChildren, and each folder in it is a profile
    kProtectProfile,   // at or above, and so are its own folders (kProfileFolderRows)
    kProtectExempt     // a folder a cleaner exists for inside one protected whole:
                       // it and everything in it stay cleanable (Windows' Temp)
};

// Where a row's folder is named.
enum LocationSource {
    kFromWindowsFolder, // GetWindowsDirectoryA
    kFromSystemFolder,  // GetSystemDirectoryA
    kFromWow64Folder,   // GetSystemWow64DirectoryA (64-bit Windows)
    kFromShellFolder,   // a special folder of the shell (`csidl`)
    kFromEnvironment,   // a variable (`name`)
    kFromMachineValue,  // a text value `name` of HKEY_LOCAL_MACHINE `key`
    kFromUserValue,     // a text value `name` of HKEY_CURRENT_USER `key`
    kFromEachProfile,   // every profile the machine lists (ProfileList's ProfileImagePath)
    kFromDriveRoots     // the root of every fixed, removable or RAM drive
};

// How the row's path is made from what the source names.
enum LocationDerivation {
    kAsNamed,      // the folder itself, with `tail` appended ("\\System32")
    kParentFolder, // the folder holding it, unless that is a drive's root
    kPathsOnly     // as named, but a bare name (no root) is no location
};

struct ProtectedRow {
    LocationSource source;
    int csidl;
    const char* key;  // registry key of the value
    const char* name; // variable or value
    const char* tail; // appended to the folder, "" for none
    LocationDerivation derivation;
    ProtectionKind bySetting; // for a path from a setting (the strict level)
    ProtectionKind byUser;    // for a path the user typed
};

// The folders of each profile, by their names below it.
struct ProfileFolderRow {
    const char* tail;
    ProtectionKind bySetting;
    ProtectionKind byUser;
};

extern const ProtectedRow kProtectedRows[];
extern const int kProtectedRowCount;
extern const ProfileFolderRow kProfileFolderRows[];
extern const int kProfileFolderRowCount;

inline ProtectionKind KindFor(ProtectionKind bySetting, ProtectionKind byUser, PathOrigin origin)
{
    return origin == kNamedByUser ? byUser : bySetting;
}

#endif
