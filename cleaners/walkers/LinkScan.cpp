#include "LinkScan.h"

#include <new>

#include "ProtectedFolders.h"

namespace {

bool IsLink(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsFolder(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Scans the subfolder `entry` of `parent`; its pin goes to `held` when
// `keep` and the scan finds it clean.
bool Scan(const PinnedFolder& parent, const FolderEntry& entry, const ProtectedFolders& judge, int depth,
          FolderIdentity* identity, HeldFolders* held, bool keep)
{
    PinnedFolder pin;
    if (!pin.PinChild(parent, entry, &judge))
        return false;
    if (identity != NULL)
        *identity = pin.Identity();
    FolderListing listing(pin.Handle(), pin.Path());
    FolderEntry* child = new (std::nothrow) FolderEntry;
    bool clean = listing.Opened() && child != NULL;
    while (clean && listing.Next(child)) {
        if (IsLink(child->attributes))
            clean = false;
        else if (IsFolder(child->attributes))
            clean = depth + 1 < kMaxWalkDepth && Scan(pin, *child, judge, depth + 1, NULL, held, true);
        else
            clean = pin.HoldsFile(*child); // not a link to a file elsewhere
    }
    delete child;
    if (clean && keep && held != NULL && pin.Handle() != INVALID_HANDLE_VALUE) {
        if (held->Keep(pin.Handle()))
            pin.Release();
        else
            clean = false; // a pin that cannot be kept: not known to stay so
    }
    return clean;
}

} // namespace

bool HoldsNoLink(const PinnedFolder& parent, const FolderEntry& entry, const ProtectedFolders& judge, int depth,
                 FolderIdentity* identity, HeldFolders* held)
{
    // The folder handed over itself must stay movable; those inside it are
    // kept pinned, so that none can be put aside for a link.
    return Scan(parent, entry, judge, depth, identity, held, false);
}
