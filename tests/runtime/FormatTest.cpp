#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "Runtime.h"

namespace {

const unsigned char kSentinel = 0xCD;

// What both a function of the runtime and the system's left in a buffer of
// `count` characters, and what they returned.
struct Written {
    int result;
    std::string bytes; // the whole buffer, sentinels included
};

template <typename Call>
Written Into(size_t count, Call call)
{
    char buffer[512];
    memset(buffer, kSentinel, sizeof(buffer));
    Written written;
    written.result = call(buffer, count);
    written.bytes.assign(buffer, count + 8);
    return written;
}

// The runtime's _snprintf gives what the system's does, at every buffer size
// from none to more than the text needs: the same result, the same
// characters, the terminating zero written or not, nothing past the count.
#define EXPECT_FORMATS_AS_SYSTEM(...)                                                            \
    do {                                                                                         \
        char whole[512];                                                                         \
        int length = _snprintf(whole, sizeof(whole), __VA_ARGS__);                               \
        ASSERT_GE(length, 0);                                                                    \
        for (size_t count = 0; count <= static_cast<size_t>(length) + 2; ++count) {              \
            Written ours = Into(count, [&](char* b, size_t c) { return lsrt__snprintf(b, c, __VA_ARGS__); }); \
            Written system = Into(count, [&](char* b, size_t c) { return _snprintf(b, c, __VA_ARGS__); });   \
            EXPECT_EQ(system.result, ours.result) << #__VA_ARGS__ << " count " << count;         \
            EXPECT_EQ(system.bytes, ours.bytes) << #__VA_ARGS__ << " count " << count;           \
        }                                                                                        \
    } while (0)

TEST(Format, TheProductsFormatsAsTheSystemWritesThem)
{
    EXPECT_FORMATS_AS_SYSTEM("%s", "Windows Temporary Files");
    EXPECT_FORMATS_AS_SYSTEM("%s%s", "SOFTWARE\\Quenlow\\Larkspire\\Components\\", "Other Folders");
    EXPECT_FORMATS_AS_SYSTEM("%s\\%s", "CLSID\\{8A3403B3-E7AD-11D1-B601-0080C866E8E5}", "InprocServer32");
    EXPECT_FORMATS_AS_SYSTEM("%s,%d", "C:\\Program Files\\Larkspire\\LSCleaners.dll", 2);
    EXPECT_FORMATS_AS_SYSTEM("%lu %s", 4294967295ul, "KB");
    EXPECT_FORMATS_AS_SYSTEM("%lu", 0ul);
    EXPECT_FORMATS_AS_SYSTEM("Folder%d", 0);
    EXPECT_FORMATS_AS_SYSTEM("Folder%d", -2147483647 - 1);
    EXPECT_FORMATS_AS_SYSTEM("%s1.0", "LSWinTempFiles");
}

TEST(Format, FlagsWidthsAndPrecisionsOfIntegers)
{
    EXPECT_FORMATS_AS_SYSTEM("%5d|%-5d|%05d|%-05d", 42, 42, 42, 42);
    EXPECT_FORMATS_AS_SYSTEM("%+d|% d|%+d|% d|%+ d", 5, 5, -5, -5, 5);
    EXPECT_FORMATS_AS_SYSTEM("%.3d|%.0d|%5.3d|%.0d|%-8.3d", 7, 0, -7, 1, 7);
    EXPECT_FORMATS_AS_SYSTEM("%i|%u|%u", -17, 0xFFFFFFFFu, 0u);
    EXPECT_FORMATS_AS_SYSTEM("%x|%X|%#x|%#X|%#x|%#5x|%#-8x|%#08x", 255u, 255u, 255u, 255u, 0u, 31u, 31u, 31u);
    EXPECT_FORMATS_AS_SYSTEM("%o|%#o|%#o|%#.3o|%.0o|%#.0o", 8u, 8u, 0u, 8u, 0u, 0u);
    EXPECT_FORMATS_AS_SYSTEM("%hd|%hu|%hx", 70000, 70000, 0x12345u);
    EXPECT_FORMATS_AS_SYSTEM("%ld|%lx", -2147483647L, 0xDEADBEEFul);
    EXPECT_FORMATS_AS_SYSTEM("%I64d|%I64u|%I64x|%I64X", -1234567890123LL, 18446744073709551615ULL,
                             0x123456789ABCDEFULL, 0x8000000000000000ULL);
    EXPECT_FORMATS_AS_SYSTEM("%I64o|%I64d", 01777777777777777777777ULL, -9223372036854775807LL - 1);
    EXPECT_FORMATS_AS_SYSTEM("%I32d|%Id|%Iu", 12, static_cast<ptrdiff_t>(-3), static_cast<size_t>(-1));
    EXPECT_FORMATS_AS_SYSTEM("%*d|%-*d|%*d|%.*d", 6, 42, 6, 42, -4, 7, 3, 5);
}

TEST(Format, CharactersStringsPointersAndPercents)
{
    EXPECT_FORMATS_AS_SYSTEM("%.2s|%5s|%-5s|%5.1s|%.0s", "abcdef", "ab", "ab", "xyz", "gone");
    EXPECT_FORMATS_AS_SYSTEM("%s|%.3s", static_cast<const char*>(NULL), static_cast<const char*>(NULL));
    EXPECT_FORMATS_AS_SYSTEM("%.*s|%*s", 2, "abcdef", -4, "x");
    EXPECT_FORMATS_AS_SYSTEM("100%%|%%d|%%%s", "x");
    EXPECT_FORMATS_AS_SYSTEM("%p|%p|%#p|%12p", reinterpret_cast<void*>(0x1234), static_cast<void*>(NULL),
                             reinterpret_cast<void*>(0xABC), reinterpret_cast<void*>(0x5));
    EXPECT_FORMATS_AS_SYSTEM("%05s|%-05s|%5s", "ab", "ab", "");
    EXPECT_FORMATS_AS_SYSTEM("\xE9t\xE9 %s", "\xFF\x80");
    std::string longer(300, 'x');
    EXPECT_FORMATS_AS_SYSTEM("[%s]", longer.c_str());
}

// Where Wine's runtime departs from the forms the system's runtime documents,
// those hold: a character is written whole whatever the precision, and a text
// cut short after one returns -1 as any other; the 0 flag gives way to a
// precision of an integer.
TEST(Format, CharactersAndPrecisionsAsTheSystemDocumentsThem)
{
    char text[16];
    memset(text, kSentinel, sizeof(text));
    EXPECT_EQ(13, lsrt__snprintf(text, sizeof(text), "%5c|%.0c|%c|%03c", 'x', 'y', 0xE9, 'z'));
    EXPECT_EQ(0, memcmp("    x|y|\xE9|00z", text, 14));
    memset(text, kSentinel, sizeof(text));
    EXPECT_EQ(-1, lsrt__snprintf(text, 2, "%c%c%c", 'a', 'b', 'c'));
    EXPECT_EQ('a', text[0]);
    EXPECT_EQ('b', text[1]);
    EXPECT_EQ(static_cast<char>(kSentinel), text[2]);
    EXPECT_EQ(8, lsrt__snprintf(text, sizeof(text), "%08.3d", 7));
    EXPECT_STREQ("     007", text);
}

// What the runtime does not format stays as written, and takes its argument
// from the list, so that the conversions after it get theirs.
TEST(Format, ConversionsNotFormattedKeepTheirTextAndTheArgumentsAfterThem)
{
    char text[64];
    EXPECT_EQ(6, lsrt__snprintf(text, sizeof(text), "%f|%d|%s", 3.5, 7, "x"));
    EXPECT_STREQ("%f|7|x", text);
    EXPECT_EQ(11, lsrt__snprintf(text, sizeof(text), "%5.2e|%lc|%d", 1.0, L'w', 8));
    EXPECT_STREQ("%5.2e|%lc|8", text);
    EXPECT_EQ(5, lsrt__snprintf(text, sizeof(text), "%ls|%d", L"wide", 9));
    EXPECT_STREQ("%ls|9", text);
}

// The standard form always ends the text with a zero where there is room for
// one, and returns the length of the whole text.
TEST(Format, TheStandardFormCutsTheTextAndCountsItWhole)
{
    const char* expected = "Folder12,C:\\x";
    int length = static_cast<int>(strlen(expected));
    for (size_t count = 0; count <= static_cast<size_t>(length) + 2; ++count) {
        Written ours = Into(count, [&](char* b, size_t c) { return lsrt_snprintf(b, c, "Folder%d,%s", 12, "C:\\x"); });
        EXPECT_EQ(length, ours.result) << count;
        size_t kept = count == 0 ? 0 : (count - 1 < static_cast<size_t>(length) ? count - 1 : length);
        EXPECT_EQ(std::string(expected, kept), ours.bytes.substr(0, kept)) << count;
        if (count != 0) {
            EXPECT_EQ('\0', ours.bytes[kept]) << count;
        }
        EXPECT_EQ(std::string(8 + count - (count == 0 ? 0 : kept + 1), static_cast<char>(kSentinel)),
                  ours.bytes.substr(count == 0 ? 0 : kept + 1))
            << count;
    }
}

} // namespace
