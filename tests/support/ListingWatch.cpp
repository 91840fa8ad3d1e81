#include "ListingWatch.h"

#include <windows.h>

#include "FolderIdentity.h"
#include "PathText.h"
#include "WalkPlatform.h"

namespace {

ListingWatch::Callback g_callback = NULL;
NtQueryDirectoryFileCall g_real = NULL;
bool g_everyBatch = false;

std::string FolderOf(HANDLE folder)
{
    char physical[kPathBuffer] = "";
    PhysicalPathOf(folder, physical);
    return physical;
}

LONG NTAPI WatchedQuery(HANDLE folder, HANDLE event, PVOID routine, PVOID context, PIO_STATUS_BLOCK status,
                        PVOID buffer, ULONG length, ULONG kind, BOOLEAN single, PUNICODE_STRING mask,
                        BOOLEAN restart)
{
    bool watched = g_callback != NULL && (restart || g_everyBatch);
    std::string where = watched ? FolderOf(folder) : "";
    if (watched && restart)
        g_callback(where, false);
    LONG result = g_real(folder, event, routine, context, status, buffer, length, kind, single, mask, restart);
    if (watched)
        g_callback(where, true);
    return result;
}

} // namespace

ListingWatch::ListingWatch(Callback callback)
{
    WalkCalls calls = SystemWalkCalls();
    g_real = calls.queryDirectory;
    g_callback = callback;
    calls.queryDirectory = WatchedQuery;
    UseWalkCalls(&calls);
}

ListingWatch::~ListingWatch()
{
    UseWalkCalls(NULL);
    g_callback = NULL;
    g_everyBatch = false;
}

void ListingWatch::EveryBatch(bool every)
{
    g_everyBatch = every;
}

std::string WhereItLies(const std::string& path)
{
    HANDLE folder = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (folder == INVALID_HANDLE_VALUE)
        return "";
    std::string where = FolderOf(folder);
    CloseHandle(folder);
    return where;
}
