// Deleting and opening a folder's entries through the folder's handle: a file
// that lies in the folder goes, a link's target never does, and where the
// system hides links to files (Wine) every entry is asked where it lies.
#include <gtest/gtest.h>

#include <string>

#include "FolderHandle.h"
#include "TestSupport.h"

namespace {

class HeldFolder {
public:
    explicit HeldFolder(const std::string& path) : handle_(OpenFolder(path.c_str())) {}
    ~HeldFolder()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;
    HANDLE Handle() const { return handle_; }

private:
    HANDLE handle_;
};

ResolvedFolder Resolved(HANDLE folder)
{
    ResolvedFolder resolved;
    resolved.filesAsked = false;
    resolved.known = false;
    lstrcpyW(resolved.path, L"\xdead\xbeef");
    ResolveFolder(folder, &resolved);
    return resolved;
}

bool EndsWith(const std::wstring& text, const std::wstring& tail)
{
    return text.size() >= tail.size() &&
           lstrcmpiW(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

TEST(FolderHandle, WineShowsLinksToFilesAsFilesSoWhereEachEntryLiesIsAsked)
{
    ScratchDir dir("handle-resolve");
    MakeFile(dir / "inside\\file.txt", 1);
    HeldFolder folder(dir / "inside");
    ASSERT_NE(INVALID_HANDLE_VALUE, folder.Handle());
    ResolvedFolder resolved = Resolved(folder.Handle());
    EXPECT_TRUE(resolved.filesAsked);
    EXPECT_TRUE(resolved.known);
    EXPECT_TRUE(EndsWith(resolved.path, Widen(dir / "inside").substr(2))) << resolved.path;

    ResolvedFolder none = Resolved(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(none.known);
    EXPECT_EQ(L'\0', none.path[0]);
}

TEST(FolderHandle, AFileLiesDirectlyInItsFolderButNotInItsParentNorThroughALink)
{
    ScratchDir dir("handle-lies");
    ScratchDir outside("handle-lies-outside");
    MakeFile(dir / "inside\\file.txt", 1);
    MakeFile(outside / "target.txt", 1);
    ASSERT_TRUE(MakeUnixLink(outside / "target.txt", dir / "inside\\link.txt"));
    HeldFolder folder(dir / "inside");
    HeldFolder parent(dir.Path());
    ResolvedFolder inside = Resolved(folder.Handle());
    ResolvedFolder above = Resolved(parent.Handle());

    const DWORD kAttributes = FILE_READ_ATTRIBUTES;
    const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE file = OpenChildFile(folder.Handle(), L"file.txt", kAttributes, kShareAll, true);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_TRUE(LiesDirectlyIn(file, inside));
    EXPECT_FALSE(LiesDirectlyIn(file, above));
    CloseHandle(file);

    HANDLE link = OpenChildFile(folder.Handle(), L"link.txt", kAttributes, kShareAll, true);
    ASSERT_NE(INVALID_HANDLE_VALUE, link);
    EXPECT_FALSE(LiesDirectlyIn(link, inside));
    CloseHandle(link);

    EXPECT_FALSE(LiesDirectlyIn(INVALID_HANDLE_VALUE, inside));
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenChildFile(parent.Handle(), L"inside", kAttributes, kShareAll, true)); // a folder
}

TEST(FolderHandle, DeleteChildRemovesAFileOfTheFolderAndLeavesALinksTarget)
{
    ScratchDir dir("handle-delete");
    ScratchDir outside("handle-delete-outside");
    MakeFile(dir / "plain.txt", 1);
    MakeFile(outside / "target.txt", 1);
    ASSERT_TRUE(MakeUnixLink(outside / "target.txt", dir / "link.txt"));
    HeldFolder folder(dir.Path());
    ResolvedFolder resolved = Resolved(folder.Handle());

    EXPECT_TRUE(DeleteChild(folder.Handle(), L"plain.txt", resolved));
    EXPECT_FALSE(Exists(dir / "plain.txt"));
    EXPECT_FALSE(DeleteChild(folder.Handle(), L"link.txt", resolved));
    EXPECT_TRUE(Exists(outside / "target.txt"));
    EXPECT_FALSE(DeleteChild(folder.Handle(), L"missing.txt", resolved));

    // A folder not resolved where it must be is not deleted from at all.
    MakeFile(dir / "kept.txt", 1);
    ResolvedFolder unknown = resolved;
    unknown.known = false;
    EXPECT_FALSE(DeleteChild(folder.Handle(), L"kept.txt", unknown));
    EXPECT_TRUE(Exists(dir / "kept.txt"));
}

TEST(FolderHandle, DeleteChildWithoutAskingRemovesPlainFilesAndLeavesReadOnlyOnesAndFolders)
{
    // The form a walk uses where links show as links: deleted as it closes.
    ScratchDir dir("handle-delete-plain");
    MakeFile(dir / "plain.txt", 1);
    MakeFile(dir / "readonly.txt", 1);
    MakeDirs(dir / "sub");
    ASSERT_TRUE(SetFileAttributesA((dir / "readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    HeldFolder folder(dir.Path());
    ResolvedFolder plain = Resolved(folder.Handle());
    plain.filesAsked = false;

    EXPECT_TRUE(DeleteChild(folder.Handle(), L"plain.txt", plain));
    EXPECT_FALSE(Exists(dir / "plain.txt"));
    EXPECT_FALSE(DeleteChild(folder.Handle(), L"readonly.txt", plain));
    EXPECT_TRUE(Exists(dir / "readonly.txt"));
    EXPECT_FALSE(DeleteChild(folder.Handle(), L"sub", plain));
    EXPECT_TRUE(Exists(dir / "sub"));
    EXPECT_FALSE(DeleteChild(INVALID_HANDLE_VALUE, L"readonly.txt", plain));
    SetFileAttributesA((dir / "readonly.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace
