#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "Runtime.h"

namespace {

// What WinMain receives of a command line: the arguments after the
// program's name and the blanks that follow it.
TEST(Start, TheArgumentsStartAfterTheProgramsNameQuotedOrNot)
{
    struct Case {
        const char* commandLine;
        const char* arguments;
    };
    const Case kCases[] = {
        {"LSInstall.exe /startmeup", "/startmeup"},
        {"\"C:\\Program Files\\Larkspire\\LSInstall.exe\" /startmeup /dcomdetect", "/startmeup /dcomdetect"},
        {"\"C:\\Program Files\\Larkspire\\Agent.exe\"", ""},
        {"Agent.exe", ""},
        {"", ""},
        {"LSInstall.exe \t  \r\n /x", "/x"},
        {"\"a b\"c d", "c d"},
        {"\"never closed /startmeup", ""},
        {"pr\xE9gramme.exe /startmeup", "/startmeup"},
        {"\"\" /x", "/x"},
        {"C:\\a\"b c\".exe rest", "c\".exe rest"},
        {"prog.exe\x01\x02" "after", "after"},
    };
    for (const Case& c : kCases) {
        std::vector<char> line(c.commandLine, c.commandLine + strlen(c.commandLine) + 1);
        char* arguments = lsrt::ArgumentsOf(line.data());
        EXPECT_STREQ(c.arguments, arguments) << c.commandLine;
        EXPECT_TRUE(arguments >= line.data() && arguments < line.data() + line.size()) << c.commandLine;
    }
}

// Memory comes from the process heap, which every thread and the system's
// own heap functions share.
TEST(Heap, AllocatesFromTheProcessHeapZeroingAndGrowingAsAsked)
{
    HANDLE heap = GetProcessHeap();
    void* empty = lsrt_malloc(0);
    ASSERT_TRUE(empty != NULL);
    EXPECT_GE(HeapSize(heap, 0, empty), 1u);
    lsrt_free(empty);

    unsigned char* block = static_cast<unsigned char*>(lsrt_malloc(100));
    ASSERT_TRUE(block != NULL);
    EXPECT_EQ(0u, reinterpret_cast<ULONG_PTR>(block) % 8);
    EXPECT_GE(HeapSize(heap, 0, block), 100u);
    for (int i = 0; i < 100; ++i)
        block[i] = static_cast<unsigned char>(i);
    block = static_cast<unsigned char*>(lsrt_realloc(block, 100000));
    ASSERT_TRUE(block != NULL);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(i, block[i]);
    EXPECT_TRUE(lsrt_realloc(block, 0) == NULL); // freed
    EXPECT_TRUE(HeapValidate(heap, 0, NULL));

    unsigned int* zeroed = static_cast<unsigned int*>(lsrt_calloc(1000, sizeof(unsigned int)));
    ASSERT_TRUE(zeroed != NULL);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(0u, zeroed[i]);
    lsrt_free(zeroed);

    void* fresh = lsrt_realloc(NULL, 16);
    ASSERT_TRUE(fresh != NULL);
    lsrt_free(fresh);
    lsrt_free(NULL);
    EXPECT_TRUE(HeapValidate(heap, 0, NULL));
}

// A count and size whose product does not fit, and a size no heap can give:
// NULL, never a smaller block.
TEST(Heap, AnAllocationThatCannotBeMadeReturnsNull)
{
    size_t huge = static_cast<size_t>(-1);
    EXPECT_TRUE(lsrt_calloc(huge / 2 + 2, 2) == NULL);
    EXPECT_TRUE(lsrt_calloc(2, huge / 2 + 2) == NULL);
    EXPECT_TRUE(lsrt_malloc(huge - 64) == NULL);
    void* block = lsrt_malloc(8);
    ASSERT_TRUE(block != NULL);
    EXPECT_TRUE(lsrt_realloc(block, huge - 64) == NULL);
    lsrt_free(block); // a failed growth leaves the block as it was
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, NULL));
}

std::string g_ran;
void First()
{
    g_ran += "1";
}
void Second()
{
    g_ran += "2";
}
void Later()
{
    g_ran += "L";
}
void Registering()
{
    g_ran += "R";
    lsrt_atexit(Later);
}

// Exit handlers run last first, each once, one registered while they run
// included; the table refuses what it cannot hold.
TEST(Exit, HandlersRunLastFirstAndEachOnce)
{
    g_ran.clear();
    EXPECT_EQ(0, lsrt_atexit(First));
    EXPECT_EQ(0, lsrt_atexit(Registering));
    EXPECT_EQ(0, lsrt_atexit(Second));
    EXPECT_NE(0, lsrt_atexit(NULL));
    lsrt::RunExitHandlers();
    EXPECT_EQ("2RL1", g_ran);
    lsrt::RunExitHandlers();
    EXPECT_EQ("2RL1", g_ran);

    g_ran.clear();
    int taken = 0;
    while (lsrt_atexit(First) == 0 && taken < 1000)
        ++taken;
    EXPECT_EQ(32, taken);
    lsrt::RunExitHandlers();
    EXPECT_EQ(std::string(32, '1'), g_ran);
}

} // namespace
