#include "BrowserScene.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string ProfileOf(const std::string& root, SceneWindows windows)
{
    return root + (windows == kSceneWindows10 ? "\\Users\\alice" : "\\Documents and Settings\\alice");
}

// What every Chromium profile holds besides its caches.
const char* const kChromiumKept[] = {"Cookies", "History", "Login Data", "Bookmarks", "Preferences",
                                     "Web Data", "Network\\Cookies", "Sessions\\Session_13350000000000000",
                                     "Local Storage\\leveldb\\000003.log", "Extensions\\abc\\1.0\\manifest.json"};
// And every Firefox profile.
const char* const kFirefoxKept[] = {"places.sqlite", "prefs.js", "cookies.sqlite", "logins.json", "key4.db",
                                    "sessionstore.jsonlz4", "bookmarkbackups\\bookmarks-2026-12-01.jsonlz4",
                                    "storage\\default\\https+++example.test\\ls\\data.sqlite"};

} // namespace

BrowserScene::BrowserScene(const std::string& rootFolder, SceneWindows kind)
    : root(rootFolder),
      windows(rootFolder + (kind == kSceneWindows10 ? "\\Windows" : "\\WINDOWS")),
      profile(ProfileOf(rootFolder, kind)),
      documents(profile + (kind == kSceneWindows10 ? "\\Documents" : "\\My Documents")),
      local(profile + (kind == kSceneWindows10 ? "\\AppData\\Local" : "\\Local Settings\\Application Data")),
      roaming(profile + (kind == kSceneWindows10 ? "\\AppData\\Roaming" : "\\Application Data"))
{
}

void BrowserScene::Cache(const std::string& path, DWORD size)
{
    MakeFile(path, size);
    if (counting_) {
        removed_.push_back(path);
        removedBytes_ += size;
    } else {
        kept_.push_back(path);
    }
}

void BrowserScene::Keep(const std::string& path, DWORD size)
{
    MakeFile(path, size);
    kept_.push_back(path);
}

void BrowserScene::WriteProfilesIni(const std::string& text)
{
    std::string path = Firefox() + "\\profiles.ini";
    MakeDirs(Firefox());
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
    CloseHandle(file);
    ASSERT_EQ(text.size(), written);
    if (std::find(kept_.begin(), kept_.end(), path) == kept_.end())
        kept_.push_back(path);
}

void BrowserScene::Hold(const std::string& lockFile)
{
    Keep(lockFile, 0);
    locks_.emplace_back(new LockedFile(lockFile));
}

void BrowserScene::SeedChromiumProfile(const std::string& folder, bool removed)
{
    counting_ = removed;
    Cache(folder + "\\Cache\\Cache_Data\\index", 24);
    Cache(folder + "\\Cache\\Cache_Data\\data_0", 8192);
    Cache(folder + "\\Cache\\Cache_Data\\f_000001", 3000);
    Cache(folder + "\\Code Cache\\js\\index-dir\\the-real-index", 48);
    Cache(folder + "\\Code Cache\\wasm\\0123456789abcdef_0", 1500);
    Cache(folder + "\\GPUCache\\data_1", 1024);
    counting_ = true;
    for (const char* name : kChromiumKept)
        Keep(folder + "\\" + name);
}

void BrowserScene::SeedFirefoxProfile(const std::string& rootFolder, const std::string& localFolder, bool removed)
{
    for (const char* name : kFirefoxKept)
        Keep(rootFolder + "\\" + name);
    counting_ = removed;
    Cache(localFolder + "\\cache2\\entries\\0A1B2C3D4E5F", 4096);
    Cache(localFolder + "\\cache2\\doomed\\1", 10);
    Cache(localFolder + "\\startupCache\\startupCache.8.little", 2048);
    Cache(localFolder + "\\thumbnails\\5e2a.png", 700);
    counting_ = true;
    // Beside the caches in the local folder: not a cache the component knows.
    Keep(localFolder + "\\safebrowsing\\google4\\goog-phish-proto.vlpset");
}

void BrowserScene::SeedBrowsers(DWORD families)
{
    bool chromium = (families & 1) != 0;
    bool firefox = (families & 2) != 0;

    for (const char* name : {"Default", "Profile 1", "Guest Profile", "System Profile"})
        SeedChromiumProfile(Chrome() + "\\" + name, chromium);
    counting_ = chromium;
    Cache(Chrome() + "\\ShaderCache\\data_0", 512);
    Cache(Chrome() + "\\GrShaderCache\\data_1", 256);
    counting_ = true;
    Keep(Chrome() + "\\Local State");
    // Not profiles: folders of the browser's own, whose caches are no cache
    // of a profile.
    Keep(Chrome() + "\\Crashpad\\reports\\report.dmp");
    Keep(Chrome() + "\\Profile 0\\Cache\\data_0");
    Keep(Chrome() + "\\Default.old\\Cache\\data_0");

    // Running: everything of it stays.
    SeedChromiumProfile(Edge() + "\\Default", false);
    Keep(Edge() + "\\ShaderCache\\data_0");
    Keep(Edge() + "\\Local State");
    Hold(Edge() + "\\lockfile");

    // Opera: its profile is its user data folder, below the roaming folder;
    // the disk cache lies in the local twin.
    for (const char* name : kChromiumKept)
        Keep(Opera() + "\\" + name);
    counting_ = chromium;
    Cache(Opera() + "\\GPUCache\\data_0", 128);
    Cache(local + "\\Opera Software\\Opera Stable\\Cache\\Cache_Data\\f_000002", 900);
    counting_ = true;

    // Firefox: a relative profile, an absolute one and a running one.
    SeedFirefoxProfile(Firefox() + "\\Profiles\\abcd1234.default-release",
                       FirefoxLocal() + "\\Profiles\\abcd1234.default-release", firefox);
    SeedFirefoxProfile(AbsoluteFirefoxProfile(), AbsoluteFirefoxProfile(), firefox);
    SeedFirefoxProfile(Firefox() + "\\Profiles\\efgh5678.running", FirefoxLocal() + "\\Profiles\\efgh5678.running",
                       false);
    Hold(Firefox() + "\\Profiles\\efgh5678.running\\parent.lock");
    WriteProfilesIni(StandardProfilesIni());
}

std::string BrowserScene::StandardProfilesIni() const
{
    return "[Install308046B0AF4A39CB]\r\nDefault=Profiles/abcd1234.default-release\r\nLocked=1\r\n\r\n"
           "[Profile2]\r\nName=running\r\nIsRelative=1\r\nPath=Profiles/efgh5678.running\r\n\r\n"
           "[Profile1]\r\nName=work\r\nIsRelative=0\r\nPath=" +
           AbsoluteFirefoxProfile() +
           "\r\n\r\n"
           "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/abcd1234.default-release\r\n"
           "Default=1\r\n\r\n[General]\r\nStartWithLastProfile=1\r\nVersion=2\r\n";
}

std::vector<std::string> BrowserScene::Survivors() const
{
    std::vector<std::string> survivors;
    for (const std::string& path : removed_)
        if (Exists(path))
            survivors.push_back(path);
    return survivors;
}

std::vector<std::string> BrowserScene::Lost() const
{
    std::vector<std::string> lost;
    for (const std::string& path : kept_)
        if (!Exists(path))
            lost.push_back(path);
    return lost;
}

bool BrowserScene::NothingRemoved() const
{
    return Survivors().size() == removed_.size() && Lost().empty();
}

ShellFoldersRedirect::ShellFoldersRedirect(const std::string& local, const std::string& roaming)
    : user_(HKEY_CURRENT_USER, kUserShellFolders), cached_(HKEY_CURRENT_USER, kShellFolders)
{
    // The guards start the keys empty: the shell then answers every other
    // folder with its default, as it does in the test prefix anyway.
    MakeDirs(local);
    MakeDirs(roaming);
    WriteString(HKEY_CURRENT_USER, kUserShellFolders, "Local AppData", local.c_str());
    WriteString(HKEY_CURRENT_USER, kUserShellFolders, "AppData", roaming.c_str());
}

std::string SizeText(DWORD bytes)
{
    char text[32];
    if (bytes < 1024)
        wsprintfA(text, "%lu Bytes", bytes);
    else if (bytes <= 1048576)
        wsprintfA(text, "%lu KB", bytes / 1024);
    else if (bytes <= 1073741824)
        wsprintfA(text, "%lu MB", bytes / 1048576);
    else
        wsprintfA(text, "%lu GB", bytes / 1073741824);
    return text;
}
