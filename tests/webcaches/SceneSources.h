// The system's answers taken from a BrowserScene for the tests in this
// process: the Windows version, the user's shell folders (for the component)
// and the protected locations (for the walkers), with the walkers on the
// road of the scene's Windows.
#ifndef LARKSPIRE_SCENESOURCES_H
#define LARKSPIRE_SCENESOURCES_H

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "BrowserScene.h"
#include "ProtectedLocations.h"
#include "UserFolders.h"
#include "WalkPlatform.h"

// A Windows the scene answers as.
struct SceneSystem {
    const char* name;
    SceneWindows layout;
    DWORD platform, major, minor;
    WalkBranch branch;
};

// While it lives, the system's calls of the component and of the walkers
// answer from `scene` as `system` would.
class SceneAnswers {
public:
    SceneAnswers(const BrowserScene& scene, const SceneSystem& system);
    ~SceneAnswers();
    SceneAnswers(const SceneAnswers&) = delete;
    SceneAnswers& operator=(const SceneAnswers&) = delete;

private:
    const UserFolderSources* previousFolders_;
    const LocationSources* previousLocations_;
    WalkBranch previousBranch_;
    DriveAttributesCall previousDrives_;
};

// A scene in a scratch folder of its own, and the answers from it.
class SceneTest : public testing::TestWithParam<SceneSystem> {
protected:
    SceneTest();
    BrowserScene& Scene() { return scene_; }
    // The component's GetSize and Compact.
    DWORD Measure(DWORD families = 3);
    void Remove(DWORD families = 3, BOOL recycle = FALSE);
    // Expects every cache file gone and every other file there.
    void ExpectExactlyTheCachesRemoved();

private:
    ScratchDir dir_;
    BrowserScene scene_;
    SceneAnswers answers_;
};

// Windows 10 and XP, each on its own walkers' road and on Wine's.
testing::internal::ParamGenerator<SceneSystem> SceneSystems();
std::string SceneSystemName(const testing::TestParamInfo<SceneSystem>& info);

#endif
