// The entries of one folder, "." and ".." passed over, closed when the
// listing goes. On the roads with folder handles the folder held open is
// listed itself (NtQueryDirectoryFile), whatever its path names meanwhile,
// and every entry comes with its own wide name; on 95 and 98 the folder is
// listed by its path, and names are the file system's own ANSI names.
#ifndef LARKSPIRE_FOLDERLISTING_H
#define LARKSPIRE_FOLDERLISTING_H

#include <windows.h>

#include "EntryNames.h"
#include "PathText.h"

struct FolderEntry {
    DWORD attributes;
    WCHAR name[kMaxNameLength + 1]; // its own name (roads with handles; "" on 95 and 98)
    WCHAR shortName[13];            // its short name, "" when none
    // The ANSI spelling that names this entry and only it (see
    // EntrySpelling); "" when there is none: such an entry is reached
    // through its folder's handle, or not at all.
    char spelling[kPathBuffer];
};

class FolderListing {
public:
    // Lists the folder held open as `folder` (roads with handles), or the
    // folder `path` names (95 and 98, `folder` INVALID_HANDLE_VALUE).
    FolderListing(HANDLE folder, const char* path);
    ~FolderListing();

    // Whether the listing could begin.
    bool Opened() const { return opened_; }
    // The next entry; false at the end.
    bool Next(FolderEntry* entry);

private:
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;

    bool Fill();
    bool NextByHandle(FolderEntry* entry);
    bool NextByName(FolderEntry* entry);

    HANDLE folder_;
    HANDLE find_;         // 95 and 98
    WIN32_FIND_DATAA found_;
    bool pending_;        // found_ holds an entry not yet handed out
    BYTE* buffer_;        // roads with handles: a batch of the native listing
    ULONG used_;          // bytes of it filled
    ULONG at_;            // offset of the next record, or used_ at the end of the batch
    bool restart_;
    bool opened_;
    bool ended_;
};

#endif
