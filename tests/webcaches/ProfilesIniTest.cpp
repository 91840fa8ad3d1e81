// How a profiles.ini is read, line by line, whatever it holds; how a name
// becomes an ANSI path only when it names exactly the same; and when a lock
// file counts as held.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AnsiText.h"
#include "ProfileLock.h"
#include "ProfilesIni.h"
#include "TestSupport.h"

namespace {

// The profiles a text lists, as "R:path" (relative) or "A:path".
class Collected : public IniProfileVisitor {
public:
    void Profile(const IniProfile& profile) override
    {
        profiles.push_back(std::string(profile.relative ? "R:" : "A:") +
                           std::string(profile.path, profile.pathLength));
    }
    std::vector<std::string> profiles;
};

std::vector<std::string> Read(const std::string& text, size_t piece = 0)
{
    Collected collected;
    ProfilesIniReader reader(collected);
    if (piece == 0) {
        reader.Feed(text.data(), static_cast<DWORD>(text.size()));
    } else {
        for (size_t i = 0; i < text.size(); i += piece)
            reader.Feed(text.data() + i, static_cast<DWORD>(std::min(piece, text.size() - i)));
    }
    reader.Finish();
    return collected.profiles;
}

typedef std::vector<std::string> Profiles;

TEST(ProfilesIni, ListsEachProfileSectionWithAPathAsFirefoxWritesIt)
{
    struct Case {
        const char* what;
        std::string text;
        Profiles expected;
    };
    const Case cases[] = {
        {"two profiles, CRLF", "[Profile0]\r\nName=a\r\nIsRelative=1\r\nPath=Profiles/a.default\r\n\r\n"
                               "[Profile1]\r\nIsRelative=0\r\nPath=D:\\Firefox\\b\r\n",
         {"R:Profiles/a.default", "A:D:\\Firefox\\b"}},
        {"LF and CR line breaks", "[Profile0]\nIsRelative=1\nPath=x\n[Profile1]\rIsRelative=1\rPath=y\r", {"R:x", "R:y"}},
        {"blanks around keys and values", "  [Profile3]  \n  IsRelative = 1 \n\tPath\t=  Profiles/c  \n", {"R:Profiles/c"}},
        {"comments and other sections", "; note\n#x\n[General]\nPath=no\n[Install1]\nPath=no\n[Profile0]\nPath=p\n", {"A:p"}},
        {"relative only when 1", "[Profile0]\nIsRelative=true\nPath=a\n[Profile1]\nIsRelative=0\nPath=b\n"
                                 "[Profile2]\nPath=c\nIsRelative=1\n",
         {"A:a", "A:b", "R:c"}},
        {"keys and names as written", "[Profile0]\npath=a\n[profile1]\nPath=b\n[Profile2a]\nPath=c\n[Profile]\nPath=d\n"
                                      "[Profile007]\nPATH=e\nPath=f\n",
         {"A:f"}},
        {"no path, an empty one", "[Profile0]\nIsRelative=1\n[Profile1]\nPath=\n[Profile2]\nPath=   \n", {}},
        {"the last path of a section", "[Profile0]\nPath=a\nPath=b\n", {"A:b"}},
        {"a value holding '=' and brackets", "[Profile0]\nPath=C:\\a=b\\[c]\n", {"A:C:\\a=b\\[c]"}},
        {"a header without its bracket", "[Profile0]\nPath=a\n[Profile1\nPath=b\n[Profile2]\nPath=c\n", {"A:a", "A:c"}},
        {"a zero byte in a path", std::string("[Profile0]\nPath=ab") + '\0' + "c\n[Profile1]\nPath=d\n", {"A:d"}},
        {"a zero byte elsewhere", std::string("[Profile0]\nName=a") + '\0' + "b\nPath=p\n", {"A:p"}},
        {"an overlong line in a section", "[Profile0]\nPath=a\nName=" + std::string(2000, 'n') +
                                              "\n[Profile1]\nPath=b\n",
         {"A:b"}},
        {"an overlong line outside one", "[General]\n" + std::string(5000, 'x') + "\n[Profile1]\nPath=b\n", {"A:b"}},
        {"a line as long as may be", "[Profile0]\nPath=" + std::string(ProfilesIniReader::kMaxLine - 5, 'p') + "\n",
         {"A:" + std::string(ProfilesIniReader::kMaxLine - 5, 'p')}},
        {"the last line without its break", "[Profile0]\nPath=a\n[Profile1]\nPath=Profiles/b", {"A:a"}},
        {"a second path cut at the end", "[Profile0]\nPath=a\nPath=Profiles/b", {}},
        {"a second path's key cut at the end", "[Profile0]\nPath=a\n  Pa", {}},
        {"another entry cut at the end", "[Profile0]\nPath=a\nDefault=1", {"A:a"}},
        {"an empty last line without its break", "[Profile0]\nPath=a\n   ", {"A:a"}},
        {"a cut header at the end", "[Profile0]\nPath=a\n[Prof", {"A:a"}},
        {"nothing", "", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, Read(c.text)) << c.what;
        // However the text comes in pieces, it reads the same.
        EXPECT_EQ(c.expected, Read(c.text, 1)) << c.what << ", a byte at a time";
        EXPECT_EQ(c.expected, Read(c.text, 7)) << c.what << ", 7 bytes at a time";
    }
}

TEST(ProfilesIni, TheFileIsReadWholeAndACutOneOnlyUpToItsLastWholeSection)
{
    ScratchDir dir("profiles-ini");
    std::string path = dir / "profiles.ini";
    auto write = [&](const std::string& text) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
        CloseHandle(file);
    };
    // Longer than one read of the reader.
    std::string text;
    Profiles expected;
    for (int i = 0; i < 2000; ++i) {
        text += "[Profile" + std::to_string(i) + "]\r\nIsRelative=1\r\nPath=Profiles/p" + std::to_string(i) + "\r\n";
        expected.push_back("R:Profiles/p" + std::to_string(i));
    }
    write(text);
    Collected collected;
    ReadProfilesIni(path.c_str(), collected);
    EXPECT_EQ(expected, collected.profiles);

    Collected none;
    ReadProfilesIni((dir / "missing.ini").c_str(), none);
    ReadProfilesIni(dir.Path().c_str(), none); // a folder
    EXPECT_TRUE(none.profiles.empty());
}

TEST(AnsiNames, OnlyASpellingThatNamesExactlyTheSameIsUsed)
{
    char out[MAX_PATH + 1];
    EXPECT_TRUE(ExactAnsi(L"C:\\Users\\alice\\AppData\\Local", out, sizeof(out)));
    EXPECT_STREQ("C:\\Users\\alice\\AppData\\Local", out);
    // Best-fitted by the code page, or not spelled at all.
    for (const wchar_t* wide : {L"C:\\Users\\\u0141ukasz", L"C:\\Users\\\uFF41lice", L"C:\\\u4E2D\u6587",
                                L"C:\\x\uFF0E\uFF0E"}) {
        lstrcpyA(out, "sentinel");
        EXPECT_FALSE(ExactAnsi(wide, out, sizeof(out)));
        EXPECT_STREQ("", out);
    }
    EXPECT_FALSE(ExactAnsi(std::wstring(MAX_PATH + 5, L'a').c_str(), out, sizeof(out)));

    std::string ascii = "Profiles/abcd.default";
    EXPECT_TRUE(ExactAnsiFromUtf8(ascii.data(), static_cast<int>(ascii.size()), out, sizeof(out)));
    EXPECT_EQ(ascii, out);
    if (GetACP() == 1252) {
        std::string e = "Profiles/caf\xC3\xA9"; // "café" in UTF-8
        EXPECT_TRUE(ExactAnsiFromUtf8(e.data(), static_cast<int>(e.size()), out, sizeof(out)));
        EXPECT_STREQ("Profiles/caf\xE9", out);
    }
    for (const std::string& bad : {std::string("Profiles/caf\xE9"), std::string("Profiles/\xC5\x81ukasz"),
                                   std::string("a\tb"), std::string("a\x01") + "b", std::string("a\0b", 3),
                                   std::string("\xEF\xBC\xA1")}) {
        lstrcpyA(out, "sentinel");
        EXPECT_FALSE(ExactAnsiFromUtf8(bad.data(), static_cast<int>(bad.size()), out, sizeof(out))) << bad;
        EXPECT_STREQ("", out) << bad;
    }
}

TEST(ProfileLocks, HeldWhileABrowserHoldsItOrWhenItCannotBeOpened)
{
    ScratchDir dir("profile-locks");
    std::string lock = dir / "lockfile";
    EXPECT_FALSE(ProfileLocked(lock.c_str()));
    EXPECT_FALSE(ProfileLocked((dir / "missing\\lockfile").c_str()));
    MakeFile(lock, 0);
    EXPECT_FALSE(ProfileLocked(lock.c_str())); // left by a browser that ended
    {
        // As Chromium holds it: written, shared with readers only.
        HANDLE chromium = CreateFileA(lock.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, chromium);
        EXPECT_TRUE(ProfileLocked(lock.c_str()));
        CloseHandle(chromium);
    }
    {
        LockedFile firefox(lock); // as Firefox holds parent.lock: no sharing
        EXPECT_TRUE(ProfileLocked(lock.c_str()));
    }
    EXPECT_FALSE(ProfileLocked(lock.c_str()));
    MakeDirs(dir / "folder");
    EXPECT_TRUE(ProfileLocked((dir / "folder").c_str()));
    // The look takes nothing from the file.
    EXPECT_TRUE(Exists(lock));
}

} // namespace
