// When an ANSI spelling may stand for an entry: only when the code page reads
// it back as that very name and the ANSI functions read it as that entry
// alone, never a best fit, a device or a name they would trim.
#include <gtest/gtest.h>

#include <string>

#include "EntryNames.h"
#include "PathText.h"

namespace {

TEST(Names, DevicesTrimmedNamesAndSeparatorsAreNotPlainInEitherForm)
{
    const char* const notPlain[] = {"CON", "con", "Nul.txt", "aux.tar.gz", "PRN ", "com1", "LPT9.log", "conin$",
                                    "CLOCK$", "x.", "x ", "...", ".", "a:b", "a\\b", "a/b", "q?x", "st*r",
                                    "\"q\"", "a<b", "a>b", "a|b", "tab\there", ""};
    for (const char* name : notPlain) {
        EXPECT_FALSE(IsPlainName(name)) << name;
        std::wstring wide(name, name + lstrlenA(name));
        EXPECT_FALSE(IsPlainName(wide.c_str())) << name;
    }
    // Windows also takes the superscript digits after COM and LPT.
    EXPECT_FALSE(IsPlainName(L"COM\u00B9"));
    EXPECT_FALSE(IsPlainName(L"lpt\u00B3.txt"));
    const char* const plain[] = {"console", "con-1", "nul_", "com10", "lpt", "COMA", "a.b", ".profile",
                                 "x..y", "nul.", "page.htm", "a b"};
    for (const char* name : plain) {
        // (A trailing dot is trimmed: "nul." is both trimmed and a device.)
        bool expected = lstrcmpA(name, "nul.") != 0;
        EXPECT_EQ(expected, IsPlainName(name)) << name;
        std::wstring wide(name, name + lstrlenA(name));
        EXPECT_EQ(expected, IsPlainName(wide.c_str())) << name;
    }
}

TEST(Names, AnAnsiSpellingIsTakenOnlyWhenItReadsBackAsTheSameName)
{
    char out[64] = "sentinel";
    EXPECT_TRUE(ExactAnsi(L"plain.txt", 9, out, sizeof(out)));
    EXPECT_STREQ("plain.txt", out);
    // Best fits: the fullwidth full stop reads as "." in the Western code
    // pages, "ｃｏｎ" as "con"; whatever the code page, a spelling taken reads
    // back as the name.
    const std::wstring fitted[] = {L"\uFF0E\uFF0E", L"\uFF43\uFF4F\uFF4E", L"x\u4E2Dy.txt", L"\u0416\u0437"};
    for (const std::wstring& name : fitted) {
        lstrcpyA(out, "sentinel");
        bool exact = ExactAnsi(name.c_str(), static_cast<int>(name.size()), out, sizeof(out));
        if (GetACP() == 1252) {
            EXPECT_FALSE(exact);
        }
        if (exact) {
            WCHAR back[64] = L"";
            MultiByteToWideChar(CP_ACP, 0, out, -1, back, 64);
            EXPECT_EQ(name, back);
        } else {
            EXPECT_STREQ("", out);
        }
    }
    // Too small a buffer is no spelling.
    EXPECT_FALSE(ExactAnsi(L"plain.txt", 9, out, 5));
    EXPECT_STREQ("", out);
}

TEST(Names, AnEntryIsSpelledByItsOwnNameElseByItsShortNameElseNotAtAll)
{
    char out[kPathBuffer] = "sentinel";
    EXPECT_TRUE(EntrySpelling(L"report.txt", L"", out, sizeof(out)));
    EXPECT_STREQ("report.txt", out);
    EXPECT_TRUE(EntrySpelling(L"trail.", L"TRAI~DS2", out, sizeof(out)));
    EXPECT_STREQ("TRAI~DS2", out);
    EXPECT_TRUE(EntrySpelling(L"\uFF0E\uFF0E", L"____~DTN", out, sizeof(out)));
    EXPECT_STREQ("____~DTN", out);
    // Wine's short names may keep a colon; a device has no short name.
    lstrcpyA(out, "sentinel");
    EXPECT_FALSE(EntrySpelling(L"x\uF03Ay", L"X:Y~~R2X", out, sizeof(out)));
    EXPECT_STREQ("", out);
    EXPECT_FALSE(EntrySpelling(L"nul", L"", out, sizeof(out)));

    WIN32_FIND_DATAA found;
    ZeroMemory(&found, sizeof(found));
    lstrcpyA(found.cFileName, "q?x");
    lstrcpyA(found.cAlternateFileName, "Q_X~~CTV");
    EXPECT_TRUE(EntrySpelling(found, out, sizeof(out)));
    EXPECT_STREQ("Q_X~~CTV", out);
    lstrcpyA(found.cFileName, "CON");
    found.cAlternateFileName[0] = '\0';
    EXPECT_FALSE(EntrySpelling(found, out, sizeof(out)));
}

TEST(Names, ASystemPathIsTakenOnlyWhenEveryFolderOfItReadsAsItself)
{
    char out[kPathBuffer] = "sentinel";
    EXPECT_TRUE(PlainPathFromWide(L"\\\\?\\C:\\users\\me\\Temp", out));
    EXPECT_STREQ("C:\\users\\me\\Temp", out);
    EXPECT_TRUE(PlainPathFromWide(L"\\\\?\\UNC\\server\\share\\cache", out));
    EXPECT_STREQ("\\\\server\\share\\cache", out);
    EXPECT_TRUE(PlainPathFromWide(L"C:\\", out));
    const std::wstring refused[] = {L"\\\\?\\C:\\users\\trail.\\Temp", L"\\\\?\\C:\\users\\nul\\Temp",
                                    L"\\\\?\\C:\\users\\\uFF46\uFF55\uFF4C\uFF4C", L"relative\\folder",
                                    L"\\\\?\\C:\\users\\a \\b"};
    for (const std::wstring& path : refused) {
        lstrcpyA(out, "sentinel");
        EXPECT_FALSE(PlainPathFromWide(path.c_str(), out)) << std::string(path.begin(), path.end());
        EXPECT_STREQ("", out);
    }
}

} // namespace
