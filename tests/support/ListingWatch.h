// Watches the folder walkers' listings on the roads that list a folder
// through its handle (every NT): a test's callback runs just before a
// folder's listing begins and just after its first entries have been read,
// with where the folder lies (PhysicalPathOf), so that the test can change
// the tree right then. Installed through the walkers' calls seam
// (UseWalkCalls) for the life of the object; one at a time.
#ifndef LARKSPIRE_LISTINGWATCH_H
#define LARKSPIRE_LISTINGWATCH_H

#include <string>

class ListingWatch {
public:
    // `begun` is false before the listing, true once its first batch is read.
    typedef void (*Callback)(const std::string& folder, bool begun);
    explicit ListingWatch(Callback callback);
    ~ListingWatch();
    ListingWatch(const ListingWatch&) = delete;
    ListingWatch& operator=(const ListingWatch&) = delete;

    // Every batch read, not only a listing's first (for changes made at random).
    static void EveryBatch(bool every);
};

// Where the folder `path` lies, as the walkers' listings report it; "" when
// it cannot be told.
std::string WhereItLies(const std::string& path);

#endif
