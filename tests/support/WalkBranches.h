// The walkers' tests run once for each road the walkers take on the Windows
// versions they ship for (95/98, NT 4.0, 2000 and XP, Vista and later, Wine),
// as far as this system can hold that road: the 95/98 road is taken on trees
// without links (those systems have none), the NT roads on trees without
// links to files (Windows shows those as links; only Wine shows them as
// files). A failure names its branch.
#ifndef LARKSPIRE_WALKBRANCHES_H
#define LARKSPIRE_WALKBRANCHES_H

#include <gtest/gtest.h>

#include <string>

#include "WalkPlatform.h"

// 95/98's drive check for tests: every drive local, none SUBSTituted.
bool LocalDriveAttributes(int drive, WORD* attributes);

class WalkBranches : public testing::TestWithParam<WalkBranch> {
protected:
    void SetUp() override;
    void TearDown() override;

    WalkBranch Branch() const { return GetParam(); }
    // Whether trees of this branch may hold links to folders / to files.
    bool FolderLinks() const { return GetParam() != kWalkWindows9x; }
    bool FileLinks() const { return GetParam() == kWalkWine; }
    // Whether paths that reach a folder under another spelling of Wine's (its
    // Z: drive, its dosdevices links) can be judged: by identity only.
    bool Identities() const { return GetParam() != kWalkWindows9x; }

private:
    WalkBranch previous_ = kWalkWine;
    DriveAttributesCall previousDrives_ = NULL;
};

// Every branch this system can take (Wine's only where the tests run under it).
std::string WalkBranchName(const testing::TestParamInfo<WalkBranch>& info);
testing::internal::ParamGenerator<WalkBranch> AllWalkBranches();

#define INSTANTIATE_WALK_BRANCHES(fixture) \
    INSTANTIATE_TEST_SUITE_P(Branches, fixture, AllWalkBranches(), WalkBranchName)

#endif
