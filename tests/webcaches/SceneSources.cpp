#include "SceneSources.h"

#include <shlobj.h>

#include <vector>

#include "BrowserCaches.h"
#include "WalkBranches.h"

namespace {

const BrowserScene* g_scene = NULL;
const SceneSystem* g_system = NULL;

bool Copy(const std::string& path, char* out)
{
    lstrcpynA(out, path.c_str(), MAX_PATH + 1);
    return true;
}

bool SceneVersion(OSVERSIONINFOA* info)
{
    ZeroMemory(info, sizeof(*info));
    info->dwOSVersionInfoSize = sizeof(*info);
    info->dwPlatformId = g_system->platform;
    info->dwMajorVersion = g_system->major;
    info->dwMinorVersion = g_system->minor;
    return true;
}

bool SceneUserFolder(int csidl, wchar_t* out)
{
    const std::string* folder = csidl == CSIDL_LOCAL_APPDATA ? &g_scene->local
                                : csidl == CSIDL_APPDATA     ? &g_scene->roaming
                                                             : NULL;
    if (folder == NULL)
        return false;
    lstrcpynW(out, Widen(*folder).c_str(), MAX_PATH + 1);
    return true;
}

const UserFolderSources kSceneFolders = {SceneVersion, SceneUserFolder};

LocationRead Found(const std::string& path, char* out)
{
    Copy(path, out);
    return kLocationFound;
}

LocationRead SceneWindowsFolder(char* out)
{
    return Found(g_scene->windows, out);
}

LocationRead SceneSystemFolder(char* out)
{
    return Found(g_scene->windows + (g_system->layout == kSceneWindows10 ? "\\System32" : "\\system32"), out);
}

LocationRead SceneWow64Folder(char*)
{
    return kLocationAbsent;
}

LocationRead SceneShellFolder(int csidl, char* out)
{
    switch (csidl) {
    case CSIDL_WINDOWS:
        return Found(g_scene->windows, out);
    case CSIDL_FONTS:
        return Found(g_scene->windows + "\\Fonts", out);
    case CSIDL_PROFILE:
        return Found(g_scene->profile, out);
    case CSIDL_PERSONAL:
        return Found(g_scene->documents, out);
    case CSIDL_DESKTOPDIRECTORY:
        return Found(g_scene->profile + "\\Desktop", out);
    case CSIDL_APPDATA:
        return Found(g_scene->roaming, out);
    case CSIDL_LOCAL_APPDATA:
        return Found(g_scene->local, out);
    case CSIDL_PROGRAM_FILES:
        return Found(g_scene->root + "\\Program Files", out);
    }
    return kLocationAbsent;
}

LocationRead SceneEnvironment(const char*, char*)
{
    return kLocationAbsent;
}

LocationRead SceneRegistryValue(bool, const char*, int, const char*, char* out)
{
    out[0] = '\0';
    return kLocationAbsent;
}

LocationRead SceneDriveRoot(int drive, char* out)
{
    return drive == 2 ? Found(g_scene->root, out) : kLocationAbsent;
}

const LocationSources kSceneLocations = {SceneWindowsFolder, SceneSystemFolder,  SceneWow64Folder, SceneShellFolder,
                                         SceneEnvironment,   SceneRegistryValue, SceneDriveRoot};

} // namespace

SceneAnswers::SceneAnswers(const BrowserScene& scene, const SceneSystem& system)
{
    g_scene = &scene;
    g_system = &system;
    previousFolders_ = UseUserFolderSources(&kSceneFolders);
    previousLocations_ = UseLocationSources(&kSceneLocations);
    previousBranch_ = UseWalkBranch(system.branch);
    previousDrives_ = UseDriveAttributes(LocalDriveAttributes);
}

SceneAnswers::~SceneAnswers()
{
    UseDriveAttributes(previousDrives_);
    UseWalkBranch(previousBranch_);
    UseLocationSources(previousLocations_);
    UseUserFolderSources(previousFolders_);
    g_scene = NULL;
    g_system = NULL;
}

SceneTest::SceneTest()
    : dir_("webcaches"), scene_(dir_.Path(), GetParam().layout), answers_(scene_, GetParam())
{
}

DWORD SceneTest::Measure(DWORD families)
{
    return MeasureBrowserCaches(families);
}

void SceneTest::Remove(DWORD families, BOOL recycle)
{
    RemoveBrowserCaches(families, recycle, TRUE);
}

void SceneTest::ExpectExactlyTheCachesRemoved()
{
    for (const std::string& path : scene_.Survivors())
        ADD_FAILURE() << "not removed: " << path;
    for (const std::string& path : scene_.Lost())
        ADD_FAILURE() << "removed: " << path;
}

testing::internal::ParamGenerator<SceneSystem> SceneSystems()
{
    static const SceneSystem systems[] = {
        {"Windows10", kSceneWindows10, VER_PLATFORM_WIN32_NT, 10, 0, kWalkWindowsVista},
        {"Windows10OnWine", kSceneWindows10, VER_PLATFORM_WIN32_NT, 10, 0, kWalkWine},
        {"WindowsXP", kSceneWindowsXP, VER_PLATFORM_WIN32_NT, 5, 1, kWalkWindows2000},
        {"WindowsXPOnWine", kSceneWindowsXP, VER_PLATFORM_WIN32_NT, 5, 1, kWalkWine},
    };
    // Only the roads this system can hold (all of them under Wine).
    WalkBranch own = UseWalkBranch(kWalkWine);
    UseWalkBranch(own);
    std::vector<SceneSystem> held;
    for (const SceneSystem& system : systems)
        if (system.branch <= own)
            held.push_back(system);
    return testing::ValuesIn(held);
}

std::string SceneSystemName(const testing::TestParamInfo<SceneSystem>& info)
{
    return info.param.name;
}
