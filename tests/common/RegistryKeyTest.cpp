#include <gtest/gtest.h>

#include <string.h>

#include "RegistryKey.h"
#include "TestSupport.h"

namespace {

const char kKey[] = "Software\\LarkspireTest\\RegistryKey";

// Reads as Windows 95/98 do: ANSI registry calls and a conversion.
class Win9xRegistryKey : public RegistryKey {
public:
    Win9xRegistryKey(HKEY root, const char* path) : RegistryKey(root, path)
    {
        platformId_ = VER_PLATFORM_WIN32_WINDOWS;
    }
};

void WriteRaw(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, NULL, 0, KEY_ALL_ACCESS,
                                             NULL, &key, NULL));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size));
    RegCloseKey(key);
}

class RegistryKeyTest : public testing::Test {
protected:
    RegistryKeyTest() : scratch_(HKEY_CURRENT_USER, "Software\\LarkspireTest") {}
    ScratchKey scratch_;
};

TEST_F(RegistryKeyTest, ConstructorCreatesTheMissingKeyAndReadsLeaveDefaults)
{
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kKey));
    RegistryKey key(HKEY_CURRENT_USER, kKey);
    EXPECT_NE(static_cast<HKEY>(NULL), key.Handle());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKey));
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, kKey));

    DWORD value = 1;
    EXPECT_NE(ERROR_SUCCESS, key.QueryDword("Startup", &value));
    EXPECT_EQ(1u, value);
    char text[8];
    memset(text, 0x5a, sizeof(text));
    EXPECT_NE(ERROR_SUCCESS, key.QueryValue("Path", reinterpret_cast<BYTE*>(text), 7));
    EXPECT_EQ(std::string(8, 'Z'), std::string(text, 8));
}

TEST_F(RegistryKeyTest, WritesStoreTheirTypesAndReadBack)
{
    RegistryKey key(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(ERROR_SUCCESS, key.SetString("Text", "C:\\Data"));
    EXPECT_EQ(ERROR_SUCCESS, key.SetDword("Number", 0x12345678));
    EXPECT_EQ("C:\\Data", ReadString(HKEY_CURRENT_USER, kKey, "Text"));
    EXPECT_EQ(0x12345678u, ReadDword(HKEY_CURRENT_USER, kKey, "Number"));

    char text[261] = "";
    DWORD number = 0xdeadbeef;
    EXPECT_EQ(ERROR_SUCCESS, key.QueryValue("Text", reinterpret_cast<BYTE*>(text), 260));
    EXPECT_STREQ("C:\\Data", text);
    EXPECT_EQ(ERROR_SUCCESS, key.QueryDword("Number", &number));
    EXPECT_EQ(0x12345678u, number);
}

TEST_F(RegistryKeyTest, StringFillingTheWholeSizeIsEndedByTheCallersExtraByte)
{
    WriteRaw("Exact", REG_SZ, "abcdefgh", 8); // stored without its zero
    WriteRaw("WithZero", REG_SZ, "abcdefgh", 9);
    WriteRaw("Longer", REG_SZ, "abcdefghi", 10);
    RegistryKey key(HKEY_CURRENT_USER, kKey);

    for (const char* name : {"Exact", "WithZero"}) {
        char exact[9] = "";
        EXPECT_EQ(ERROR_SUCCESS, key.QueryValue(name, reinterpret_cast<BYTE*>(exact), 8)) << name;
        EXPECT_STREQ("abcdefgh", exact) << name;
    }

    // Does not fit: the caller's buffer stays exactly as it was.
    char longer[9];
    memset(longer, 0x5a, sizeof(longer));
    EXPECT_EQ(ERROR_MORE_DATA, key.QueryValue("Longer", reinterpret_cast<BYTE*>(longer), 8));
    EXPECT_EQ(std::string(9, 'Z'), std::string(longer, 9));
}

TEST_F(RegistryKeyTest, WrongValueTypesAndLengthsLeaveTheDefault)
{
    DWORD four = 7;
    WriteRaw("TextNotNumber", REG_SZ, "1", 2);
    WriteRaw("Binary", REG_BINARY, &four, 4);
    WriteRaw("ShortDword", REG_DWORD, &four, 2);
    WriteRaw("NumberNotText", REG_DWORD, &four, 4);
    RegistryKey key(HKEY_CURRENT_USER, kKey);

    const char* numbers[] = {"TextNotNumber", "Binary", "ShortDword"};
    for (const char* name : numbers) {
        DWORD value = 0xdeadbeef;
        EXPECT_NE(ERROR_SUCCESS, key.QueryDword(name, &value)) << name;
        EXPECT_EQ(0xdeadbeefu, value) << name;
        BYTE flag = 1;
        key.QueryFlag(name, &flag);
        EXPECT_EQ(1, flag) << name;
    }

    char text[16];
    memset(text, 0x5a, sizeof(text));
    EXPECT_NE(ERROR_SUCCESS, key.QueryValue("NumberNotText", reinterpret_cast<BYTE*>(text), 15));
    EXPECT_EQ(std::string(16, 'Z'), std::string(text, 16));
}

TEST_F(RegistryKeyTest, QueryFlagMakesStoredValuesZeroOrOneAndKeepsAbsentDefaults)
{
    WriteDword(HKEY_CURRENT_USER, kKey, "Five", 5);
    WriteDword(HKEY_CURRENT_USER, kKey, "Zero", 0);
    RegistryKey key(HKEY_CURRENT_USER, kKey);

    BYTE flag = 0;
    EXPECT_EQ(ERROR_SUCCESS, key.QueryFlag("Five", &flag));
    EXPECT_EQ(1, flag);
    flag = 1;
    EXPECT_EQ(ERROR_SUCCESS, key.QueryFlag("Zero", &flag));
    EXPECT_EQ(0, flag);
    flag = 1;
    EXPECT_NE(ERROR_SUCCESS, key.QueryFlag("Absent", &flag));
    EXPECT_EQ(1, flag);
    flag = 0;
    EXPECT_NE(ERROR_SUCCESS, key.QueryFlag("Absent", &flag));
    EXPECT_EQ(0, flag);
}

TEST_F(RegistryKeyTest, QueryWideStringReadsTheSameTextOnBothPlatforms)
{
    const char clsid[] = "{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}";
    WriteString(HKEY_CURRENT_USER, kKey, "CLSID", clsid);
    DWORD number = 3;
    WriteRaw("Number", REG_DWORD, &number, 4);

    RegistryKey nt(HKEY_CURRENT_USER, kKey);
    Win9xRegistryKey win9x(HKEY_CURRENT_USER, kKey);
    RegistryKey* keys[] = {&nt, &win9x};
    for (RegistryKey* key : keys) {
        wchar_t text[128];
        memset(text, 0, sizeof(text));
        ASSERT_EQ(ERROR_SUCCESS, key->QueryWideString(L"CLSID", text, 255));
        EXPECT_STREQ(L"{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}", text);
        CLSID parsed;
        EXPECT_EQ(S_OK, CLSIDFromString(text, &parsed));

        // Not text, and too long for the buffer: the buffer stays as it was.
        wchar_t untouched[8];
        wmemset(untouched, 0xbeef, 8);
        EXPECT_NE(ERROR_SUCCESS, key->QueryWideString(L"Number", untouched, sizeof(untouched)));
        EXPECT_NE(ERROR_SUCCESS, key->QueryWideString(L"CLSID", untouched, sizeof(untouched)));
        EXPECT_NE(ERROR_SUCCESS, key->QueryWideString(L"Absent", untouched, sizeof(untouched)));
        for (wchar_t c : untouched)
            EXPECT_EQ(static_cast<wchar_t>(0xbeef), c);
    }
}

TEST_F(RegistryKeyTest, FailedOpenLeavesANullHandleThatEveryOperationRefuses)
{
    RegistryKey key(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.Open(HKEY_CURRENT_USER, "Software\\LarkspireTest\\Absent"));
    EXPECT_EQ(static_cast<HKEY>(NULL), key.Handle());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\LarkspireTest\\Absent"));

    DWORD value = 0xdeadbeef;
    EXPECT_NE(ERROR_SUCCESS, key.QueryDword("x", &value));
    EXPECT_EQ(0xdeadbeefu, value);
    EXPECT_NE(ERROR_SUCCESS, key.SetDword("x", 1));
    EXPECT_EQ(0u, key.CountValues());
    EXPECT_EQ(0u, key.CountSubKeys());
    char name[16] = "";
    EXPECT_NE(ERROR_SUCCESS, key.EnumSubKey(name, sizeof(name), 0));

    // A Create that fails (a path that names no valid key) also leaves it null.
    RegistryKey invalid(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234)), "x");
    EXPECT_EQ(static_cast<HKEY>(NULL), invalid.Handle());
    EXPECT_EQ(1, invalid.Close());
}

TEST_F(RegistryKeyTest, CloseAndReopenTheSameObjectOnAnotherPath)
{
    WriteString(HKEY_CURRENT_USER, "Software\\LarkspireTest\\Second", "Name", "second");
    RegistryKey key(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(1, key.Close());
    EXPECT_EQ(static_cast<HKEY>(NULL), key.Handle());
    ASSERT_EQ(ERROR_SUCCESS, key.Open(HKEY_CURRENT_USER, "Software\\LarkspireTest\\Second"));
    char text[32] = "";
    EXPECT_EQ(ERROR_SUCCESS, key.QueryValue("Name", reinterpret_cast<BYTE*>(text), 31));
    EXPECT_STREQ("second", text);
    // Opened for reading only.
    EXPECT_NE(ERROR_SUCCESS, key.SetString("Name", "changed"));
}

TEST_F(RegistryKeyTest, EnumeratesValuesAndSubKeysByIndex)
{
    WriteString(HKEY_CURRENT_USER, kKey, "A", "1");
    WriteString(HKEY_CURRENT_USER, kKey, "B", "2");
    WriteString(HKEY_CURRENT_USER, (std::string(kKey) + "\\One").c_str(), "x", "");
    WriteString(HKEY_CURRENT_USER, (std::string(kKey) + "\\Two").c_str(), "x", "");
    RegistryKey key(HKEY_CURRENT_USER, kKey);
    ASSERT_EQ(2u, key.CountValues());
    ASSERT_EQ(2u, key.CountSubKeys());
    std::string values, subKeys;
    for (DWORD i = 0; i < 2; ++i) {
        char name[212] = "";
        EXPECT_EQ(ERROR_SUCCESS, key.EnumValue(name, sizeof(name), i));
        values += name;
        memset(name, 0, sizeof(name));
        EXPECT_EQ(ERROR_SUCCESS, key.EnumSubKey(name, sizeof(name), i));
        subKeys += name;
    }
    EXPECT_EQ("AB", values);
    EXPECT_EQ("OneTwo", subKeys);
    char name[4] = "";
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, key.EnumValue(name, sizeof(name), 2));
}

TEST_F(RegistryKeyTest, DeleteAllValuesLeavesNoneWhateverTheirNumberAndNameLength)
{
    for (int i = 0; i < 40; ++i) {
        std::string name = std::string(i % 2 ? 100 : 3, 'n') + std::to_string(i);
        WriteString(HKEY_CURRENT_USER, kKey, name.c_str(), "url");
    }
    WriteString(HKEY_CURRENT_USER, kKey, NULL, "default value");
    ASSERT_EQ(41, ValueCount(HKEY_CURRENT_USER, kKey));
    RegistryKey key(HKEY_CURRENT_USER, kKey);
    key.DeleteAllValues();
    EXPECT_EQ(0, ValueCount(HKEY_CURRENT_USER, kKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKey));
}

TEST_F(RegistryKeyTest, ReadOnlyConstructorsReadAndEnumerateAndNeverMakeOrChange)
{
    RegistryKey missing(HKEY_CURRENT_USER, kKey, RegistryKey::kReadOnly);
    EXPECT_EQ(static_cast<HKEY>(NULL), missing.Handle());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKey));
    RegistryKey missingResource(HKEY_CURRENT_USER, 1, GetModuleHandleA(NULL), RegistryKey::kReadOnly);
    EXPECT_EQ(static_cast<HKEY>(NULL), missingResource.Handle());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\LarkspireTest\\FromResource"));

    WriteString(HKEY_CURRENT_USER, kKey, "CLSID", "{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}");
    WriteString(HKEY_CURRENT_USER, (std::string(kKey) + "\\Child").c_str(), "x", "");
    RegistryKey key(HKEY_CURRENT_USER, kKey, RegistryKey::kReadOnly);
    wchar_t clsid[128] = L"";
    EXPECT_EQ(ERROR_SUCCESS, key.QueryWideString(L"CLSID", clsid, 254));
    EXPECT_STREQ(L"{EEFDDFC3-E68F-11D1-B5FF-0080C866E8E5}", clsid);
    EXPECT_EQ(1u, key.CountSubKeys());
    char child[16] = "";
    EXPECT_EQ(ERROR_SUCCESS, key.EnumSubKey(child, sizeof(child), 0));
    EXPECT_STREQ("Child", child);
    EXPECT_NE(ERROR_SUCCESS, key.SetDword("Enabled", 1));
    EXPECT_EQ(1, ValueCount(HKEY_CURRENT_USER, kKey));
}

TEST_F(RegistryKeyTest, StringResourceConstructorOpensThePathOfTheString)
{
    RegistryKey key(HKEY_CURRENT_USER, 1, GetModuleHandleA(NULL));
    EXPECT_NE(static_cast<HKEY>(NULL), key.Handle());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\LarkspireTest\\FromResource"));
}

} // namespace
