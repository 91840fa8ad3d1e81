#include "FolderListing.h"

#include <stddef.h>

#include <new>

#include "WalkPlatform.h"

namespace {

// A record of the native listing (FileBothDirectoryInformation, every NT).
struct BothDirectoryRecord {
    ULONG nextEntryOffset;
    ULONG fileIndex;
    LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime, endOfFile, allocationSize;
    ULONG fileAttributes;
    ULONG fileNameLength; // bytes
    ULONG eaSize;
    CCHAR shortNameLength; // bytes
    WCHAR shortName[12];
    WCHAR fileName[1];
};
static_assert(offsetof(BothDirectoryRecord, fileName) == 94, "FILE_BOTH_DIR_INFORMATION layout");

const ULONG kFileBothDirectoryInformation = 3;
const ULONG kBatchBytes = 16384;

} // namespace

FolderListing::FolderListing(HANDLE folder, const char* path)
    : folder_(folder), find_(INVALID_HANDLE_VALUE), pending_(false), buffer_(NULL), used_(0), at_(0),
      restart_(true), opened_(false), ended_(false)
{
    if (Platform().reach == kReachByName) {
        char pattern[kPathBuffer + 3];
        if (JoinName(pattern, sizeof(pattern), path, "*.*", "")) {
            find_ = FindFirstFileA(pattern, &found_);
            pending_ = find_ != INVALID_HANDLE_VALUE;
        }
        opened_ = pending_;
        return;
    }
    if (Platform().reach != kReachByHandle || Platform().calls.queryDirectory == NULL ||
        folder == INVALID_HANDLE_VALUE || folder == NULL)
        return;
    buffer_ = new (std::nothrow) BYTE[kBatchBytes];
    opened_ = buffer_ != NULL && Fill();
}

FolderListing::~FolderListing()
{
    if (find_ != INVALID_HANDLE_VALUE)
        FindClose(find_);
    delete[] buffer_;
}

bool FolderListing::Next(FolderEntry* entry)
{
    if (!opened_ || ended_)
        return false;
    bool next = find_ != INVALID_HANDLE_VALUE ? NextByName(entry) : NextByHandle(entry);
    if (!next)
        ended_ = true;
    return next;
}

// The next batch of records; false at the end or on failure.
bool FolderListing::Fill()
{
    IO_STATUS_BLOCK status;
    status.Information = 0;
    LONG result = Platform().calls.queryDirectory(folder_, NULL, NULL, NULL, &status, buffer_, kBatchBytes,
                                                  kFileBothDirectoryInformation, FALSE, NULL, restart_);
    restart_ = false;
    used_ = result >= 0 ? static_cast<ULONG>(status.Information) : 0;
    at_ = 0;
    return result >= 0 && used_ >= offsetof(BothDirectoryRecord, fileName);
}

bool FolderListing::NextByHandle(FolderEntry* entry)
{
    for (;;) {
        if (at_ >= used_ && !Fill())
            return false;
        const BothDirectoryRecord* record = reinterpret_cast<const BothDirectoryRecord*>(buffer_ + at_);
        ULONG recordEnd = at_ + static_cast<ULONG>(offsetof(BothDirectoryRecord, fileName)) + record->fileNameLength;
        at_ = record->nextEntryOffset != 0 ? at_ + record->nextEntryOffset : used_;
        ULONG nameLength = record->fileNameLength / sizeof(WCHAR);
        ULONG shortLength = static_cast<ULONG>(static_cast<unsigned char>(record->shortNameLength)) / sizeof(WCHAR);
        // A name too long for any file system, or a record past the batch,
        // is not an entry that can be addressed: passed over.
        if (recordEnd > used_ || nameLength == 0 || nameLength > static_cast<ULONG>(kMaxNameLength) ||
            shortLength > 12)
            continue;
        CopyMemory(entry->name, record->fileName, nameLength * sizeof(WCHAR));
        entry->name[nameLength] = L'\0';
        if (IsDotEntry(entry->name))
            continue;
        CopyMemory(entry->shortName, record->shortName, shortLength * sizeof(WCHAR));
        entry->shortName[shortLength] = L'\0';
        entry->attributes = record->fileAttributes;
        EntrySpelling(entry->name, entry->shortName, entry->spelling, kPathBuffer);
        return true;
    }
}

bool FolderListing::NextByName(FolderEntry* entry)
{
    for (;;) {
        if (!pending_ && !FindNextFileA(find_, &found_))
            return false;
        pending_ = false;
        const char* name = found_.cFileName;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        entry->attributes = found_.dwFileAttributes;
        entry->name[0] = L'\0';
        entry->shortName[0] = L'\0';
        EntrySpelling(found_, entry->spelling, kPathBuffer);
        return true;
    }
}
