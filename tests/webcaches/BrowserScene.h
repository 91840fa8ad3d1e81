// A user's browsers laid out in a scratch folder that stands for the system
// drive, as Windows 10 or Windows XP keeps a profile: what the web browser
// caches component must empty (the cache files of the idle profiles) and
// what it must leave (every other file made, a sentinel in every other
// folder of every profile), each file recorded as it is made.
#ifndef LARKSPIRE_BROWSERSCENE_H
#define LARKSPIRE_BROWSERSCENE_H

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"

enum SceneWindows { kSceneWindows10, kSceneWindowsXP };

class BrowserScene {
public:
    // The profile folders of `windows` below `root` (nothing is made yet).
    BrowserScene(const std::string& root, SceneWindows windows);

    const std::string root;      // stands for C:\ (refused)
    const std::string windows;   // the Windows folder
    const std::string profile;   // the user's profile
    const std::string documents; // the user's documents
    const std::string local;     // Local Application Data
    const std::string roaming;   // Application Data
    std::string Firefox() const { return roaming + "\\Mozilla\\Firefox"; }
    std::string FirefoxLocal() const { return local + "\\Mozilla\\Firefox"; }

    // Makes a file that the component must remove, or must leave.
    void Cache(const std::string& path, DWORD size);
    void Keep(const std::string& path, DWORD size = 16);
    // Writes profiles.ini (the file is kept).
    void WriteProfilesIni(const std::string& text);
    // Holds a file open without sharing, as a running browser holds its lock.
    void Hold(const std::string& lockFile);

    // The standard scene: Chrome idle (profiles Default, "Profile 1", "Guest
    // Profile", "System Profile" and the shader caches), Edge running (its
    // lockfile held), Opera idle (its one profile below the roaming folder,
    // caches in both folders), Firefox with a relative, an absolute and a
    // running profile (parent.lock held). `families` (kChromiumFamily,
    // kFirefoxFamily) chooses whose caches count as removed; the others'
    // are made as kept.
    void SeedBrowsers(DWORD families = 3);
    // The profiles.ini of SeedBrowsers: its three profiles, an install
    // section and the general one, with Windows line breaks.
    std::string StandardProfilesIni() const;

    // Cache files still there, and kept files gone (empty when all is well).
    std::vector<std::string> Survivors() const;
    std::vector<std::string> Lost() const;
    DWORD RemovedBytes() const { return removedBytes_; }
    // Whether the cache files are all there still.
    bool NothingRemoved() const;

    // The Chrome, Opera and Firefox folders of SeedBrowsers.
    std::string Chrome() const { return local + "\\Google\\Chrome\\User Data"; }
    std::string Edge() const { return local + "\\Microsoft\\Edge\\User Data"; }
    std::string Opera() const { return roaming + "\\Opera Software\\Opera Stable"; }
    std::string AbsoluteFirefoxProfile() const { return root + "\\Firefox Profiles\\work"; }

private:
    void SeedChromiumProfile(const std::string& folder, bool removed);
    void SeedFirefoxProfile(const std::string& rootFolder, const std::string& localFolder, bool removed);

    bool counting_ = true; // whether Cache() records files as removed
    std::vector<std::string> removed_;
    std::vector<std::string> kept_;
    DWORD removedBytes_ = 0;
    std::vector<std::unique_ptr<LockedFile>> locks_;
};

// The current user's Local and roaming Application Data named by the
// registry's "User Shell Folders" for as long as the object lives, as the
// shell of every program of the prefix reads them; both keys are put back
// as they were afterwards.
class ShellFoldersRedirect {
public:
    ShellFoldersRedirect(const std::string& local, const std::string& roaming);

private:
    KeyTreeGuard user_, cached_;
};

// The size text of the component lists for `bytes`.
std::string SizeText(DWORD bytes);

#endif
