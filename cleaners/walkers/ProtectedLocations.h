// Where a system keeps what a cleaning must never remove: its own folders,
// the programs, the profiles and the user's documents, and the roots of its
// drives. Gathered from every place a Windows of any age names them (the
// system's calls, the shell's special folders, the environment and the
// registry), since a cleaning judges the folders by what they are and a
// location that one system does not name may be named by another.
#ifndef LARKSPIRE_PROTECTEDLOCATIONS_H
#define LARKSPIRE_PROTECTEDLOCATIONS_H

#include <windows.h>

enum ProtectionKind {
    kProtectWhole,     // the folder, every folder above it and everything in it
    kProtectAtOrAbove, // the folder and every folder above it; folders in it stay cleanable
    kProtectProfiles   // as kProtectAtOrAbove, and so is each folder directly in it
};

struct ProtectedLocation {
    ProtectionKind kind;
    char path[MAX_PATH + 1];
};

// A growing list of locations. An allocation that fails marks the list as
// incomplete, and a cleaning judged by an incomplete list removes nothing.
class LocationList {
public:
    LocationList();
    ~LocationList();

    // Adds `path` (as the system gave it) unless it is empty, too long, or
    // already listed with the same kind.
    void Add(ProtectionKind kind, const char* path);
    // Whether `path` is listed, with any kind (compared without regard to case).
    bool Contains(const char* path) const;
    int Count() const { return count_; }
    const ProtectedLocation& At(int index) const { return items_[index]; }
    bool Incomplete() const { return incomplete_; }
    // Marks the list as missing locations that it should hold.
    void MarkIncomplete() { incomplete_ = true; }

private:
    LocationList(const LocationList&) = delete;
    LocationList& operator=(const LocationList&) = delete;

    ProtectedLocation* items_;
    int count_;
    int capacity_;
    bool incomplete_;
};

// The calls the locations are read from; the tests put a layout of their own
// in their place. Each fills a buffer of MAX_PATH + 1 bytes and tells whether
// it found something.
struct LocationSources {
    bool (*windowsFolder)(char* out);
    bool (*systemFolder)(char* out);
    bool (*wow64Folder)(char* out);                  // 64-bit Windows only
    bool (*shellFolder)(int csidl, char* out);       // the shell's special folders
    bool (*environment)(const char* name, char* out);
    // A text value of a key of HKEY_LOCAL_MACHINE, environment references
    // expanded; with `subkey` >= 0, of that subkey of the key instead (false
    // once there is no such subkey; `out` empty when it lacks the value).
    bool (*machineValue)(const char* key, int subkey, const char* name, char* out);
    bool (*driveRoot)(int drive, char* out);         // drive 0 is A:
};

// The tests' seam: the sources used from now on (NULL: the system's own).
// Returns the ones used so far.
const LocationSources* UseLocationSources(const LocationSources* sources);

// Every protected location that the sources in use name.
void GatherSystemLocations(LocationList& list);

#endif
