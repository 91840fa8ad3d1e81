#include "WalkBranches.h"

#include <vector>

bool LocalDriveAttributes(int drive, WORD* attributes)
{
    if (drive < 1 || drive > 26)
        return false;
    *attributes = 0;
    return true;
}

void WalkBranches::SetUp()
{
    previous_ = UseWalkBranch(GetParam());
    previousDrives_ = UseDriveAttributes(LocalDriveAttributes);
}

void WalkBranches::TearDown()
{
    UseWalkBranch(previous_);
    UseDriveAttributes(previousDrives_);
}

std::string WalkBranchName(const testing::TestParamInfo<WalkBranch>& info)
{
    static const char* const names[] = {"Windows9x", "WindowsNT4", "Windows2000", "WindowsVista", "Wine"};
    return names[info.param];
}

testing::internal::ParamGenerator<WalkBranch> AllWalkBranches()
{
    // What the system under the tests is: the tests take its own road and
    // every older one.
    WalkBranch own = UseWalkBranch(kWalkWine);
    UseWalkBranch(own);
    std::vector<WalkBranch> branches;
    for (int branch = kWalkWindows9x; branch <= own; ++branch)
        branches.push_back(static_cast<WalkBranch>(branch));
    return testing::ValuesIn(branches);
}
