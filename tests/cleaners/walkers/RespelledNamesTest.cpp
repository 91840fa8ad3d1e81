// Names that the ANSI functions would read as another entry, on the roads
// that list and address entries by their own wide names: a best fit to "."
// or ".." must not hide a link from the scan of a hidden folder, and a best
// fit, a device name or a colon must not make a walk remove another entry,
// or leave the entry it was handed. (95 and 98 know the file system's own
// ANSI names only; Wine's ANSI listing best-fits names as they never do.)
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "TreeWalk.h"
#include "WalkBranches.h"

namespace {

// A Unix link at the wide path `link` to the Windows path `target`.
bool MakeWideLink(const std::string& target, const std::wstring& link)
{
    std::string unixTarget = UnixPath(target), unixLink = UnixPath(link);
    return !unixTarget.empty() && !unixLink.empty() &&
           RunShellScript("ln -s " + ShellQuoted(unixTarget) + " " + ShellQuoted(unixLink) + "\n") == 0;
}

void MakeWideFile(const std::wstring& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, attributes, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, "data", 4, &written, NULL);
    CloseHandle(file);
}

bool WideExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class RespelledNames : public WalkBranches {
protected:
    void SetUp() override
    {
        WalkBranches::SetUp();
        if (Branch() == kWalkWindows9x)
            GTEST_SKIP() << "95 and 98 list the file system's own ANSI names";
    }
};

// A hidden folder holding a link behind a name that reads ".." or "." in
// ANSI (U+FF0E): a scan that passed over it as a dot entry would hand the
// folder to the shell, which deletes through the link where the Recycle Bin
// cannot take it.
TEST_P(RespelledNames, ABestFitDotNameHidesNoLinkFromTheScan)
{
    ScratchDir dir("respelled-dots");
    ScratchDir outside("respelled-dots-outside");
    MakeFile(outside / "precious.txt", 7);
    const std::wstring top = L"\\\\?\\" + Widen(dir.Path());
    struct Hidden {
        std::wstring folder;
        std::wstring link; // below the folder
    };
    const Hidden hidden[] = {{L"\\two-dots", L"\\\uFF0E\uFF0E\\link"},
                             {L"\\one-dot", L"\\\uFF0E\\link"},
                             {L"\\so-named", L"\\\uFF0E\uFF0E"}};
    for (const Hidden& item : hidden) {
        const std::wstring folder = top + item.folder;
        const std::wstring link = folder + item.link;
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL));
        CreateDirectoryW(link.substr(0, link.rfind(L'\\')).c_str(), NULL);
        MakeWideFile(folder + L"\\mine.txt");
        ASSERT_TRUE(MakeWideLink(outside.Path(), link));
        ASSERT_TRUE(SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_HIDDEN));
    }
    MakeFile(dir / "junk.txt", 1);

    EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), TRUE, TRUE));
    for (const Hidden& item : hidden) {
        EXPECT_TRUE(WideExists(top + item.folder + L"\\mine.txt"));
        EXPECT_TRUE(WideExists(top + item.folder + item.link));
    }
    EXPECT_TRUE(Exists(outside / "precious.txt"));
    EXPECT_FALSE(Exists(dir / "junk.txt"));
    if (!RecycleBinUnusable()) {
        EXPECT_EQ(0u, RerunWithoutRecycleBin());
    }
}

// Each entry is removed as itself: a name that best-fits to another
// ("ｃｏｎ" to "con", whose sibling "CON" must not go for it; "ｆｕｌｌ"
// to "full", which does not exist), a name with a colon (a stream name to
// the ANSI functions), a folder named as a device, and files named as
// devices, which the shell would be handed as devices.
TEST_P(RespelledNames, AWideNameIsRemovedAsItselfAndNeverAsItsBestFit)
{
    for (BOOL recycle : {FALSE, TRUE}) {
        SCOPED_TRACE(recycle ? "recycle" : "delete");
        ScratchDir dir("respelled-names");
        const std::wstring top = L"\\\\?\\" + Widen(dir.Path());
        const std::wstring full = top + L"\\\uFF46\uFF55\uFF4C\uFF4C";
        ASSERT_TRUE(CreateDirectoryW(full.c_str(), NULL));
        MakeWideFile(full + L"\\inner.txt");
        MakeWideFile(top + L"\\\uFF43\uFF4F\uFF4E");
        // A sibling that the best fit would name: read-only, so that only
        // deleting it by mistake could take it.
        const std::wstring sibling = top + L"\\CON";
        ASSERT_EQ(0u, RunShellScript("cd " + ShellQuoted(UnixPath(dir.Path())) +
                                     " && touch CON 'x:y' nul com1 aux prn lpt1 && mkdir con-folder && "
                                     "mv con-folder con && touch con/inside.txt\n"));
        ASSERT_TRUE(SetFileAttributesW(sibling.c_str(), FILE_ATTRIBUTE_READONLY));

        EXPECT_EQ(1, RemoveTree(dir.Path().c_str(), recycle, FALSE));
        EXPECT_FALSE(WideExists(full + L"\\inner.txt"));
        EXPECT_FALSE(WideExists(top + L"\\\uFF43\uFF4F\uFF4E"));
        EXPECT_FALSE(WideExists(top + L"\\x\uF03Ay")); // Wine's wide name of "x:y"
        EXPECT_FALSE(WideExists(top + L"\\con\\inside.txt"));
        for (const char* device : {"nul", "com1", "aux", "prn", "lpt1"})
            EXPECT_FALSE(WideExists(top + L"\\" + Widen(device))) << device;
        // The sibling is read-only, and it too has no name the shell may be
        // handed: deleted through its folder, which refuses a read-only file.
        EXPECT_TRUE(WideExists(sibling));
        SetFileAttributesW(sibling.c_str(), FILE_ATTRIBUTE_NORMAL);
        EmptyTrash();
    }
}

INSTANTIATE_WALK_BRANCHES(RespelledNames);

} // namespace
