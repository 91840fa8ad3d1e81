#include <gtest/gtest.h>

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "Runtime.h"

namespace {

int Sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// A block of bytes that every length and alignment of a copy meets: values
// above 127 included.
std::vector<unsigned char> Pattern(size_t size)
{
    std::vector<unsigned char> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(i * 37 + 11);
    return bytes;
}

TEST(Memory, CopiesAndFillsAsTheSystemAtEveryLengthAndAlignment)
{
    std::vector<unsigned char> source = Pattern(96);
    for (size_t from = 0; from < 4; ++from)
        for (size_t to = 0; to < 4; ++to)
            for (size_t size = 0; size <= 67; ++size) {
                std::vector<unsigned char> ours(80, 0xCD), system(80, 0xCD);
                EXPECT_EQ(&ours[to], lsrt_memcpy(&ours[to], &source[from], size));
                memcpy(&system[to], &source[from], size);
                EXPECT_EQ(system, ours) << from << " " << to << " " << size;
                const int kValues[] = {0, 0x5A, 0x80, 0xFF, 0x1234};
                for (int value : kValues) {
                    EXPECT_EQ(&ours[to], lsrt_memset(&ours[to], value, size));
                    memset(&system[to], value, size);
                    EXPECT_EQ(system, ours) << value << " " << to << " " << size;
                }
            }
}

TEST(Memory, MovesOverlappingBlocksEitherWay)
{
    for (int shift = -9; shift <= 9; ++shift)
        for (size_t size = 0; size <= 40; ++size) {
            std::vector<unsigned char> ours = Pattern(64), system = Pattern(64);
            EXPECT_EQ(&ours[12 + shift], lsrt_memmove(&ours[12 + shift], &ours[12], size));
            memmove(&system[12 + shift], &system[12], size);
            EXPECT_EQ(system, ours) << shift << " " << size;
        }
}

TEST(Memory, ComparesAndSearchesBytesUnsigned)
{
    const unsigned char a[] = {1, 2, 0x80, 4, 0};
    const unsigned char b[] = {1, 2, 0x7F, 4, 0};
    const unsigned char c[] = {1, 2, 0x80, 5, 0};
    for (size_t size = 0; size <= sizeof(a); ++size) {
        EXPECT_EQ(Sign(memcmp(a, b, size)), Sign(lsrt_memcmp(a, b, size))) << size;
        EXPECT_EQ(Sign(memcmp(b, a, size)), Sign(lsrt_memcmp(b, a, size))) << size;
        EXPECT_EQ(Sign(memcmp(a, c, size)), Sign(lsrt_memcmp(a, c, size))) << size;
        EXPECT_EQ(memchr(a, 0x80, size), lsrt_memchr(a, 0x80, size)) << size;
        EXPECT_EQ(memchr(a, 0x180, size), lsrt_memchr(a, 0x180, size)) << size;
        EXPECT_EQ(memchr(a, 9, size), lsrt_memchr(a, 9, size)) << size;
    }
}

const char* const kTexts[] = {"", "a", "ab", "abc", "abd", "b", "Temp", "temp", "\xE9t\xE9",
                              "\x80", "\x7F", "C:\\Program Files\\Larkspire", "C:\\Program Files"};

TEST(Strings, MeasureCompareAndSearchAsTheSystem)
{
    for (const char* first : kTexts) {
        EXPECT_EQ(strlen(first), lsrt_strlen(first)) << first;
        for (size_t limit = 0; limit < 6; ++limit)
            EXPECT_EQ(strnlen(first, limit), lsrt_strnlen(first, limit)) << first << limit;
        for (const char* second : kTexts) {
            EXPECT_EQ(Sign(strcmp(first, second)), Sign(lsrt_strcmp(first, second))) << first << "|" << second;
            for (size_t limit = 0; limit < 6; ++limit)
                EXPECT_EQ(Sign(strncmp(first, second, limit)), Sign(lsrt_strncmp(first, second, limit)))
                    << first << "|" << second << limit;
            EXPECT_EQ(strstr(first, second), lsrt_strstr(first, second)) << first << "|" << second;
        }
        const int kCharacters[] = {0, 'a', 'b', 't', 0xE9, '\\', 0x100 + 'a'};
        for (int character : kCharacters) {
            EXPECT_EQ(strchr(first, character), lsrt_strchr(first, character)) << first << character;
            EXPECT_EQ(strrchr(first, character), lsrt_strrchr(first, character)) << first << character;
        }
    }
}

TEST(Strings, CopyPadAndJoinAsTheSystem)
{
    for (const char* text : kTexts) {
        char ours[40], system[40];
        memset(ours, 0xCD, sizeof(ours));
        memset(system, 0xCD, sizeof(system));
        EXPECT_EQ(ours, lsrt_strcpy(ours, text));
        strcpy(system, text);
        EXPECT_EQ(0, memcmp(system, ours, sizeof(ours))) << text;
        EXPECT_EQ(ours, lsrt_strcat(ours, "\\x"));
        strcat(system, "\\x");
        EXPECT_EQ(0, memcmp(system, ours, sizeof(ours))) << text;
        for (size_t size = 0; size < 12; ++size) {
            memset(ours, 0xCD, sizeof(ours));
            memset(system, 0xCD, sizeof(system));
            EXPECT_EQ(ours, lsrt_strncpy(ours, text, size));
            strncpy(system, text, size);
            EXPECT_EQ(0, memcmp(system, ours, sizeof(ours))) << text << size;
        }
    }
}

const wchar_t* const kWideTexts[] = {L"", L"a", L"ab", L"abd", L"\x00E9t\x00E9", L"\xFF0E\xFF0E", L"\xFFFF",
                                     L"{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}", L"\x0100"};

TEST(WideStrings, MeasureCompareSearchAndCopyAsTheSystem)
{
    for (const wchar_t* first : kWideTexts) {
        EXPECT_EQ(wcslen(first), lsrt_wcslen(first));
        for (size_t limit = 0; limit < 5; ++limit)
            EXPECT_EQ(wcsnlen(first, limit), lsrt_wcsnlen(first, limit));
        for (const wchar_t* second : kWideTexts) {
            EXPECT_EQ(Sign(wcscmp(first, second)), Sign(lsrt_wcscmp(first, second)));
            for (size_t limit = 0; limit < 5; ++limit)
                EXPECT_EQ(Sign(wcsncmp(first, second, limit)), Sign(lsrt_wcsncmp(first, second, limit)));
        }
        const wchar_t kCharacters[] = {0, L'a', 0xFF0E, L'-', 0xFFFF};
        for (wchar_t character : kCharacters) {
            EXPECT_EQ(wcschr(first, character), lsrt_wcschr(first, character));
            EXPECT_EQ(wcsrchr(first, character), lsrt_wcsrchr(first, character));
        }
        wchar_t ours[48], system[48];
        for (size_t size = 0; size < 10; ++size) {
            wmemset(ours, 0xCDCD, 48);
            wmemset(system, 0xCDCD, 48);
            EXPECT_EQ(ours, lsrt_wcsncpy(ours, first, size));
            wcsncpy(system, first, size);
            EXPECT_EQ(0, wmemcmp(system, ours, 48)) << size;
        }
        EXPECT_EQ(ours, lsrt_wcscpy(ours, first));
        wcscpy(system, first);
        EXPECT_EQ(0, wmemcmp(system, ours, 48));
    }
}

// The "C" locale's conversions, which QueryWideString makes on Windows 95 and
// 98: every byte is the character of its number, a wide character above 255
// has no narrow form, and a bounded conversion writes no zero it has no room
// for.
TEST(Conversions, EveryByteWidensAsTheSystemWidensIt)
{
    char text[256];
    for (int i = 1; i < 256; ++i)
        text[i - 1] = static_cast<char>(i);
    text[255] = '\0';
    for (size_t count : {size_t(0), size_t(1), size_t(128), size_t(254), size_t(255), size_t(256), size_t(300)}) {
        wchar_t ours[320], system[320];
        wmemset(ours, 0xCDCD, 320);
        wmemset(system, 0xCDCD, 320);
        EXPECT_EQ(mbstowcs(system, text, count), lsrt_mbstowcs(ours, text, count)) << count;
        EXPECT_EQ(0, wmemcmp(system, ours, 320)) << count;
    }
    EXPECT_EQ(mbstowcs(NULL, text, 0), lsrt_mbstowcs(NULL, text, 0));
    EXPECT_EQ(mbstowcs(NULL, "", 0), lsrt_mbstowcs(NULL, "", 0));
}

TEST(Conversions, WideCharactersNarrowAsTheSystemNarrowsThem)
{
    const wchar_t* const kNames[] = {L"CLSID", L"", L"\x00FF\x0080\x0001", L"a\x0100z", L"\xFF0E", L"ab\x20AC"};
    for (const wchar_t* name : kNames)
        for (size_t count : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(6), size_t(20)}) {
            char ours[32], system[32];
            memset(ours, 0xCD, sizeof(ours));
            memset(system, 0xCD, sizeof(system));
            size_t expected = wcstombs(system, name, count);
            EXPECT_EQ(expected, lsrt_wcstombs(ours, name, count)) << count;
            if (expected != static_cast<size_t>(-1)) {
                EXPECT_EQ(0, memcmp(system, ours, sizeof(ours))) << count;
            }
            EXPECT_EQ(wcstombs(NULL, name, 0), lsrt_wcstombs(NULL, name, 0));
        }
}

TEST(Conversions, DecimalNumbersReadAsTheSystemReadsThem)
{
    const char* const kNumbers[] = {"0", "2", "-2", "+7", " \t\n\v\f\r12", "12abc", "abc", "", "-", "+-1",
                                    "2147483647", "-2147483648", "2147483648", "4294967297", "99999999999",
                                    "007", " - 3", "1 2", "\xA0" "5"};
    for (const char* number : kNumbers)
        EXPECT_EQ(atoi(number), lsrt_atoi(number)) << "\"" << number << "\"";
}

} // namespace
