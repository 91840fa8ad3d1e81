// Where a system keeps what a cleaning must never remove (see
// ProtectedTable): gathered from every place a Windows of any age names
// them, since a cleaning judges the folders by what they are and a location
// that one system does not name may be named by another.
#ifndef LARKSPIRE_PROTECTEDLOCATIONS_H
#define LARKSPIRE_PROTECTEDLOCATIONS_H

#include <windows.h>

#include "GrowableArray.h"
#include "PathText.h"
#include "ProtectedTable.h"

struct ProtectedLocation {
    ProtectionKind kind;
    char path[kPathBuffer];
};

// A growing list of locations. A location that cannot be kept (the list
// cannot grow, the path is too long) marks the list as incomplete, and a
// cleaning judged by an incomplete list removes nothing.
class LocationList {
public:
    LocationList() : items_(32), incomplete_(false) {}

    // Adds `path` (as the system gave it) unless it is empty or already
    // listed with the same kind.
    void Add(ProtectionKind kind, const char* path);
    // Whether `path` is listed, with any kind (compared without regard to case).
    bool Contains(const char* path) const;
    int Count() const { return items_.Count(); }
    const ProtectedLocation& At(int index) const { return items_.At(index); }
    bool Incomplete() const { return incomplete_; }
    // Marks the list as missing locations that it should hold.
    void MarkIncomplete() { incomplete_ = true; }

private:
    LocationList(const LocationList&) = delete;
    LocationList& operator=(const LocationList&) = delete;

    GrowableArray<ProtectedLocation> items_;
    bool incomplete_;
};

// What a source tells of a location.
enum LocationRead {
    kLocationAbsent,    // there is none (this system does not have it)
    kLocationFound,     // `out` holds it
    kLocationUnreadable // there is one, but it cannot be read (too long, say)
};

// The calls the locations are read from; the tests put a layout of their own
// in their place. Each fills a buffer of kPathBuffer bytes.
struct LocationSources {
    LocationRead (*windowsFolder)(char* out);
    LocationRead (*systemFolder)(char* out);
    LocationRead (*wow64Folder)(char* out);            // 64-bit Windows only
    LocationRead (*shellFolder)(int csidl, char* out); // the shell's special folders
    LocationRead (*environment)(const char* name, char* out);
    // A text value of a key of HKEY_LOCAL_MACHINE (`user`: HKEY_CURRENT_USER),
    // environment references expanded; with `subkey` >= 0, of that subkey of
    // the key instead (kLocationAbsent once there is no such subkey; found
    // with `out` empty when the subkey lacks the value).
    LocationRead (*registryValue)(bool user, const char* key, int subkey, const char* name, char* out);
    LocationRead (*driveRoot)(int drive, char* out); // drive 0 is A:
};

// The tests' seam: the sources used from now on (NULL: the system's own).
// Returns the ones used so far.
const LocationSources* UseLocationSources(const LocationSources* sources);

// Every protected location that the sources in use name, with its kind for
// paths of `origin`. A location that a source cannot read marks the list as
// incomplete.
void GatherSystemLocations(LocationList& list, PathOrigin origin);

#endif
