#include "BrowserCaches.h"

#include "CacheWalk.h"
#include "RegistryKey.h"
#include "WebCaches.h"

namespace {

class CacheMeasure : public CacheVisitor {
public:
    CacheMeasure() : total_(0) {}
    void Cache(const char* folder) override
    {
        DWORD size = walk_.CacheFolderSize(folder);
        total_ = total_ > 0xFFFFFFFFu - size ? 0xFFFFFFFFu : total_ + size;
    }
    DWORD Total() const { return total_; }

private:
    CacheWalk walk_;
    DWORD total_;
};

class CacheRemoval : public CacheVisitor {
public:
    CacheRemoval(BOOL recycle, BOOL removeFolders) : walk_(recycle, removeFolders) {}
    void Cache(const char* folder) override { walk_.RemoveCacheFolder(folder); }

private:
    CacheWalk walk_;
};

void FindCaches(DWORD families, CacheVisitor& visitor)
{
    UserFolders folders;
    if (!FindUserFolders(&folders))
        return;
    if ((families & kChromiumFamily) != 0)
        FindChromiumCaches(folders, visitor);
    if ((families & kFirefoxFamily) != 0)
        FindFirefoxCaches(folders, visitor);
}

} // namespace

bool JoinName(char* out, const char* folder, const char* name)
{
    int folderLength = lstrlenA(folder);
    int nameLength = lstrlenA(name);
    int separator = folderLength > 0 && folder[folderLength - 1] == '\\' ? 0 : 1;
    out[0] = '\0';
    if (folderLength == 0 || folderLength + separator + nameLength > MAX_PATH)
        return false;
    CopyMemory(out, folder, folderLength);
    if (separator)
        out[folderLength] = '\\';
    CopyMemory(out + folderLength + separator, name, nameLength + 1);
    return true;
}

void HandCaches(const char* folder, const char* const* names, int count, CacheVisitor& visitor)
{
    char cache[MAX_PATH + 1];
    for (int i = 0; i < count; ++i)
        if (JoinName(cache, folder, names[i]))
            visitor.Cache(cache);
}

DWORD SwitchedFamilies(const char* settingsPath)
{
    RegistryKey settings(HKEY_CURRENT_USER, settingsPath);
    DWORD chromium = 1;
    DWORD firefox = 1;
    settings.QueryDword(LS_SWITCH_CHROMIUM, &chromium);
    settings.QueryDword(LS_SWITCH_FIREFOX, &firefox);
    return (chromium != 0 ? kChromiumFamily : 0) | (firefox != 0 ? kFirefoxFamily : 0);
}

DWORD MeasureBrowserCaches(DWORD families)
{
    CacheMeasure measure;
    FindCaches(families, measure);
    return measure.Total();
}

void RemoveBrowserCaches(DWORD families, BOOL recycle, BOOL removeFolders)
{
    CacheRemoval removal(recycle, removeFolders);
    FindCaches(families, removal);
}
