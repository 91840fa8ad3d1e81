#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "FakeComponents.h"
#include "RegistryKey.h"
#include "TestSupport.h"

namespace {

const IID kIID_IDispatch = {0x00020400, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
void* const kSentinel = reinterpret_cast<void*>(static_cast<ULONG_PTR>(0xdeadbeef));

struct Standard {
    const CLSID* clsid;
    const char* keyName;
    const char* progId;
    const char* description;
    const char* text;
    int icon;
};

const Standard kStandard[] = {
    {&CLSID_WinTempFiles, "Windows Temporary Files", "LSWinTempFiles",
     "Quenlow Larkspire WinTempFiles Component",
     "Removes all files located in your windows temporary folder, and it's subdirectories.", 0},
    {&CLSID_AltPaths, "Other Folders", "LSAltPaths", "Quenlow Larkspire Alternative Paths Component",
     "Allows you to configure Larkspire to compact any folder on your system (you can manuall "
     "enter any paths you wish to have cleaned)",
     0},
    {&CLSID_Netscape, "Netscape Browser", "LSNetscape", "Quenlow Larkspire Netscape Browser Component",
     "Removes Netscape Navigator files, including the cache, history files, cookies, and typed url "
     "lists.",
     1},
    {&CLSID_IExplorer, "Internet Explorer Browser", "LSIExplorer",
     "Quenlow Larkspire Internet Explorer Browser Component",
     "Removes Internet Explorer files, including the cache, history fiels, cookies, typed urls, and "
     "downloaded ActiveX controls.",
     2},
};

DWORD RunRegsvr32(const std::string& arguments)
{
    return RunProgram("regsvr32.exe " + arguments + " \"" + ServerPath() + "\"");
}

TEST(ClassObject, UnknownClassIsRefusedAndTheOutPointerCleared)
{
    const CLSID unknown = {0x12345678, 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}};
    void* object = kSentinel;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, ServerGetClassObject(unknown, IID_IClassFactory, &object));
    EXPECT_EQ(NULL, object);
    object = kSentinel;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              ServerGetClassObject(IID_ICleanerComponent, IID_IClassFactory, &object));
    EXPECT_EQ(NULL, object);
    EXPECT_EQ(S_OK, ServerCanUnloadNow());
}

TEST(ClassObject, UnsupportedInterfaceLeavesNoFactoryAlive)
{
    void* object = kSentinel;
    EXPECT_EQ(E_NOINTERFACE, ServerGetClassObject(CLSID_WinTempFiles, kIID_IDispatch, &object));
    EXPECT_EQ(NULL, object);
    EXPECT_EQ(S_OK, ServerCanUnloadNow());
}

TEST(ClassObject, CanUnloadOnlyWhileNoFactoryOrObjectIsHeld)
{
    ASSERT_EQ(S_OK, ServerCanUnloadNow());
    IClassFactory* factory = NULL;
    ASSERT_EQ(S_OK, ServerGetClassObject(CLSID_AltPaths, IID_IClassFactory,
                                         reinterpret_cast<void**>(&factory)));
    EXPECT_EQ(S_FALSE, ServerCanUnloadNow());

    IUnknown* object = NULL;
    ASSERT_EQ(S_OK, factory->CreateInstance(NULL, IID_IUnknown, reinterpret_cast<void**>(&object)));
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_FALSE, ServerCanUnloadNow());
    EXPECT_EQ(0u, object->Release());
    EXPECT_EQ(S_OK, ServerCanUnloadNow());
}

TEST(ClassFactory, AnswersItsInterfacesAndRefusesAggregationAndLocking)
{
    IClassFactory* factory = NULL;
    ASSERT_EQ(S_OK, ServerGetClassObject(CLSID_WinTempFiles, IID_IUnknown,
                                         reinterpret_cast<void**>(&factory)));
    void* object = kSentinel;
    EXPECT_EQ(E_NOINTERFACE, factory->QueryInterface(kIID_IDispatch, &object));
    EXPECT_EQ(NULL, object);
    EXPECT_EQ(S_OK, factory->QueryInterface(IID_IClassFactory, &object));
    EXPECT_EQ(factory, object);
    EXPECT_EQ(1u, factory->Release());

    // Any non-null outer object is refused before it is used.
    IUnknown* outer = reinterpret_cast<IUnknown*>(factory);
    object = kSentinel;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer, IID_IUnknown, &object));
    EXPECT_EQ(NULL, object);
    object = kSentinel;
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(NULL, IID_IClassFactory, &object));
    EXPECT_EQ(NULL, object);
    EXPECT_EQ(E_NOTIMPL, factory->LockServer(TRUE));
    EXPECT_EQ(E_NOTIMPL, factory->LockServer(FALSE));
    EXPECT_EQ(0u, factory->Release());
    EXPECT_EQ(S_OK, ServerCanUnloadNow());
}

TEST(Components, AnswerOnlyTheirTwoInterfaces)
{
    for (const Standard& standard : kStandard) {
        ICleanerComponent* component = MakeComponent(*standard.clsid);
        ASSERT_NE(nullptr, component) << standard.keyName;
        void* object = kSentinel;
        EXPECT_EQ(E_NOINTERFACE, component->QueryInterface(kIID_IDispatch, &object));
        EXPECT_EQ(NULL, object);
        object = kSentinel;
        EXPECT_EQ(E_NOINTERFACE, component->QueryInterface(IID_IClassFactory, &object));
        EXPECT_EQ(NULL, object);
        IUnknown* unknown = NULL;
        EXPECT_EQ(S_OK, component->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
        EXPECT_EQ(static_cast<IUnknown*>(component), unknown);
        EXPECT_EQ(3u, component->AddRef());
        EXPECT_EQ(2u, component->Release());
        EXPECT_EQ(1u, unknown->Release());
        EXPECT_EQ(0u, component->Release());
    }
    EXPECT_EQ(S_OK, ServerCanUnloadNow());
}

TEST(Components, DescribeThemselvesCutToTheCapacity)
{
    for (const Standard& standard : kStandard) {
        ICleanerComponent* component = MakeComponent(*standard.clsid);
        ASSERT_NE(nullptr, component);
        char text[255] = "";
        EXPECT_EQ(S_OK, component->GetDescription(text, sizeof(text)));
        EXPECT_STREQ(standard.text, text);

        char shortText[11];
        memset(shortText, 'Z', sizeof(shortText));
        component->GetDescription(shortText, 10);
        EXPECT_EQ(std::string(standard.text, 9), std::string(shortText));
        EXPECT_EQ('Z', shortText[10]);

        // No capacity: nothing written (not even the pointer LoadString hands out).
        memset(shortText, 'Z', sizeof(shortText));
        component->GetDescription(shortText, 0);
        EXPECT_EQ(std::string(11, 'Z'), std::string(shortText, 11));
        component->Release();
    }
}

TEST(Components, OnlyTheTemporaryFilesComponentReportsASize)
{
    ScratchDir temp("size-temp");
    MakeFile(temp / "sub\\ten.txt", 10);
    TempFolderOverride override(temp.Path());
    for (const Standard& standard : kStandard) {
        ICleanerComponent* component = MakeComponent(*standard.clsid);
        ASSERT_NE(nullptr, component);
        DWORD size = 0xdeadbeef;
        EXPECT_EQ(S_OK, component->GetSize(&size));
        EXPECT_EQ(standard.clsid == &CLSID_WinTempFiles ? 10u : 0u, size) << standard.keyName;
        EXPECT_EQ(E_POINTER, component->GetSize(NULL));
        component->Release();
    }
}

TEST(Components, ShowPropertiesWithoutCallbackShowsNothing)
{
    for (const Standard& standard : kStandard) {
        ICleanerComponent* component = MakeComponent(*standard.clsid);
        ASSERT_NE(nullptr, component);
        RegKeyInfo info = {HKEY_CURRENT_USER, "Software\\LarkspireTest"};
        EXPECT_EQ(S_OK, component->ShowProperties(NULL, reinterpret_cast<LPARAM>(&info), NULL));
        component->Release();
    }
}

TEST(WinTempFiles, SheetHoldsTheCallersPagesOnlyUnderItsCaption)
{
    ICleanerComponent* component = MakeComponent(CLSID_WinTempFiles);
    ASSERT_NE(nullptr, component);
    ResetCallerPages();
    RegKeyInfo info = {HKEY_CURRENT_USER, "Software\\LarkspireTest"};
    int pages = -1;
    std::string tab;
    LocalFreeCounter frees(Server());
    ASSERT_TRUE(frees.Hooked());
    bool shown = DriveModal(
        "Windows Temporary Files Properties",
        [&](HWND sheet) {
            pages = SheetPageCount(sheet);
            tab = SheetTabText(sheet, 0);
            PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        },
        [&] {
            EXPECT_EQ(S_OK, component->ShowProperties(NULL, reinterpret_cast<LPARAM>(&info),
                                                      AddOneCallerPage));
        });
    EXPECT_TRUE(shown);
    EXPECT_EQ(1, AddPagesCalls());
    EXPECT_EQ(1, pages);
    EXPECT_EQ("Schedule", tab);
    EXPECT_EQ(1, CallerPageInits());
    EXPECT_EQ(reinterpret_cast<LPARAM>(&info), CallerPageInfo());
    EXPECT_EQ(1, frees.FreesOf(LastPageArray()));
    component->Release();
}

TEST(WinTempFiles, CompactEmptiesTheTemporaryFolderButKeepsIt)
{
    ScratchDir temp("compact-temp");
    MakeFile(temp / "a.tmp", 3);
    MakeFile(temp / "sub\\b.tmp", 3);
    TempFolderOverride override(temp.Path());
    ICleanerComponent* component = MakeComponent(CLSID_WinTempFiles);
    ASSERT_NE(nullptr, component);
    EXPECT_EQ(S_OK, component->Compact(FALSE, TRUE));
    EXPECT_TRUE(Exists(temp.Path()));
    EXPECT_FALSE(Exists(temp / "a.tmp"));
    EXPECT_FALSE(Exists(temp / "sub"));

    MakeFile(temp / "recycle-4d2c.tmp", 3);
    MakeFile(temp / "kept\\c.tmp", 3);
    EXPECT_EQ(S_OK, component->Compact(TRUE, FALSE));
    EXPECT_TRUE(InTrash("recycle-4d2c.tmp"));
    EXPECT_FALSE(Exists(temp / "kept\\c.tmp"));
    EXPECT_TRUE(Exists(temp / "kept"));
    component->Release();
}

// GetTempPathA answers with the current folder when TMP or TEMP holds a
// relative path (and on Windows 95 when neither is set): the component must
// never empty that folder, nor measure it.
TEST(WinTempFiles, ARelativeOrMissingTemporaryFolderRemovesNothing)
{
    ScratchDir work("compact-temp-cwd");
    ScratchDir absolute("compact-temp-absolute");
    MakeFile(work / "kept.txt", 3);
    MakeFile(work / "sub\\kept.txt", 3);
    MakeFile(absolute / "kept.txt", 3);
    char previous[MAX_PATH + 1] = "";
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(work.Path().c_str()));
    ICleanerComponent* component = MakeComponent(CLSID_WinTempFiles);
    ASSERT_NE(nullptr, component);
    struct Case {
        const char* tmp;  // NULL: not set
        const char* temp;
    };
    const std::string absolutePath = absolute.Path();
    const Case cases[] = {
        {".", "."}, {"sub", NULL}, {NULL, "."}, {NULL, "sub\\"}, {"\\", NULL}, {"C:sub", NULL},
        {NULL, NULL}, {"", ""},
        {".", absolutePath.c_str()}, // TMP is the one GetTempPathA takes
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string("TMP=") + (test.tmp ? test.tmp : "(none)") + " TEMP=" +
                     (test.temp ? test.temp : "(none)"));
        TempFolderOverride clear("");
        SetEnvironmentVariableA("TMP", test.tmp);
        SetEnvironmentVariableA("TEMP", test.temp);
        DWORD size = 0xdeadbeef;
        EXPECT_EQ(S_OK, component->GetSize(&size));
        EXPECT_EQ(0u, size);
        EXPECT_EQ(S_OK, component->Compact(FALSE, TRUE));
        EXPECT_TRUE(Exists(work / "kept.txt"));
        EXPECT_TRUE(Exists(work / "sub\\kept.txt"));
        EXPECT_TRUE(Exists(absolute / "kept.txt"));
    }
    SetCurrentDirectoryA(previous);

    // TEMP is taken when TMP is not set.
    TempFolderOverride clear("");
    SetEnvironmentVariableA("TMP", NULL);
    SetEnvironmentVariableA("TEMP", absolutePath.c_str());
    DWORD size = 0xdeadbeef;
    EXPECT_EQ(S_OK, component->GetSize(&size));
    EXPECT_EQ(3u, size);
    EXPECT_EQ(S_OK, component->Compact(FALSE, TRUE));
    EXPECT_FALSE(Exists(absolute / "kept.txt"));
    component->Release();
}

TEST(Threads, ReferenceAndObjectCountsLoseNothingUnderConcurrency)
{
    ICleanerComponent* shared = MakeComponent(CLSID_WinTempFiles);
    ASSERT_NE(nullptr, shared);
    const int kThreads = 4;
    const int kRounds = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([shared] {
            for (int i = 0; i < kRounds; ++i)
                shared->AddRef();
            for (int i = 0; i < kRounds; ++i)
                shared->Release();
            // Objects made and released on this thread count in and out too.
            for (int i = 0; i < 500; ++i) {
                ICleanerComponent* own = MakeComponent(CLSID_AltPaths);
                if (own != NULL)
                    own->Release();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(2u, shared->AddRef());
    EXPECT_EQ(1u, shared->Release());
    EXPECT_EQ(S_FALSE, ServerCanUnloadNow());
    EXPECT_EQ(0u, shared->Release());
    EXPECT_EQ(S_OK, ServerCanUnloadNow());
}

#ifndef _WIN64
// Windows 95's InterlockedIncrement and InterlockedDecrement return only the
// sign of the new count. The server's counts go through the system's own
// (the 32-bit server imports them), and here they answer as Windows 95's do.
typedef LONG(WINAPI* CountCall)(LONG volatile*);
CountCall g_realIncrement = NULL;
CountCall g_realDecrement = NULL;
volatile LONG g_countCalls = 0;

LONG SignOnly(LONG count)
{
    return count < 0 ? -0x5a5a : (count == 0 ? 0 : 0x5a5a);
}

LONG WINAPI SignOnlyIncrement(LONG volatile* count)
{
    InterlockedIncrement(&g_countCalls);
    return SignOnly(g_realIncrement(count));
}

LONG WINAPI SignOnlyDecrement(LONG volatile* count)
{
    InterlockedIncrement(&g_countCalls);
    return SignOnly(g_realDecrement(count));
}

TEST(Threads, ObjectsLiveUntilTheirLastReleaseWithCountsThatTellOnlyTheirSign)
{
    ImportHook increment(Server(), "kernel32.dll", "InterlockedIncrement",
                         reinterpret_cast<void*>(SignOnlyIncrement));
    ImportHook decrement(Server(), "kernel32.dll", "InterlockedDecrement",
                         reinterpret_cast<void*>(SignOnlyDecrement));
    ASSERT_TRUE(increment.Hooked());
    ASSERT_TRUE(decrement.Hooked());
    g_realIncrement = reinterpret_cast<CountCall>(increment.Original());
    g_realDecrement = reinterpret_cast<CountCall>(decrement.Original());
    g_countCalls = 0;

    ASSERT_EQ(S_OK, ServerCanUnloadNow());
    ICleanerComponent* shared = MakeComponent(CLSID_Netscape);
    ASSERT_NE(nullptr, shared);
    EXPECT_EQ(S_FALSE, ServerCanUnloadNow());
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t) {
        threads.emplace_back([shared] {
            for (int i = 0; i < 5000; ++i)
                shared->AddRef();
            for (int i = 0; i < 5000; ++i)
                EXPECT_NE(0u, shared->Release());
            for (int i = 0; i < 200; ++i) {
                ICleanerComponent* own = MakeComponent(CLSID_IExplorer);
                if (own != NULL) {
                    EXPECT_EQ(0u, own->Release());
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(S_FALSE, ServerCanUnloadNow()); // the one reference made first is left
    char text[255];
    EXPECT_EQ(S_OK, shared->GetDescription(text, sizeof(text)));
    EXPECT_EQ(0u, shared->Release());
    EXPECT_EQ(S_OK, ServerCanUnloadNow());
    EXPECT_GT(g_countCalls, 3 * 10000);
}
#endif

TEST(Threads, SizeWorkerCallsGetSizeAndReleaseOnASecondThread)
{
    ScratchDir temp("size-worker");
    MakeFile(temp / "f.tmp", 42);
    TempFolderOverride override(temp.Path());
    IUnknown* kept = NULL;
    ICleanerComponent* component = MakeComponent(CLSID_WinTempFiles);
    ASSERT_NE(nullptr, component);
    component->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&kept));
    DWORD size = 0xdeadbeef;
    std::thread worker([component, &size] {
        CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
        component->GetSize(&size);
        component->Release();
        CoUninitialize();
    });
    char text[255];
    for (int i = 0; i < 100; ++i)
        kept->QueryInterface(IID_ICleanerComponent, reinterpret_cast<void**>(&component)),
            component->GetDescription(text, sizeof(text)), component->Release();
    worker.join();
    EXPECT_EQ(42u, size);
    EXPECT_EQ(0u, kept->Release());
    EXPECT_EQ(S_OK, ServerCanUnloadNow());
}

class Registration : public testing::Test {
protected:
    void TearDown() override { RunRegsvr32("/u /s"); }
};

TEST_F(Registration, Regsvr32WritesEveryClassKeyAndCatalogueEntry)
{
    ASSERT_EQ(0u, RunRegsvr32("/s"));
    std::string server = ServerPath();
    for (const Standard& standard : kStandard) {
        std::string clsid = ClsidText(*standard.clsid);
        std::string progId = standard.progId;
        std::string versioned = progId + "1.0";
        std::string clsidKey = "CLSID\\" + clsid;
        HKEY hkcr = HKEY_CLASSES_ROOT;
        EXPECT_EQ(standard.description, ReadString(hkcr, versioned.c_str(), NULL));
        EXPECT_EQ(clsid, ReadString(hkcr, (versioned + "\\CLSID").c_str(), NULL));
        EXPECT_EQ(standard.description, ReadString(hkcr, progId.c_str(), NULL));
        EXPECT_EQ(versioned, ReadString(hkcr, (progId + "\\CurVer").c_str(), NULL));
        EXPECT_EQ(clsid, ReadString(hkcr, (progId + "\\CLSID").c_str(), NULL));
        EXPECT_EQ(standard.description, ReadString(hkcr, clsidKey.c_str(), NULL));
        EXPECT_EQ(versioned, ReadString(hkcr, (clsidKey + "\\ProgID").c_str(), NULL));
        EXPECT_EQ(progId, ReadString(hkcr, (clsidKey + "\\VersionIndependentProgID").c_str(), NULL));
        EXPECT_TRUE(KeyExists(hkcr, (clsidKey + "\\NotInsertable").c_str()));
        EXPECT_EQ(0, ValueCount(hkcr, (clsidKey + "\\NotInsertable").c_str()));
        std::string inproc = clsidKey + "\\InprocServer32";
        EXPECT_EQ(0, lstrcmpiA(server.c_str(), ReadString(hkcr, inproc.c_str(), NULL).c_str()));
        EXPECT_EQ("Apartment", ReadString(hkcr, inproc.c_str(), "ThreadingModel"));

        std::string catalogue = std::string(LS_CATALOGUE_PATH "\\") + standard.keyName;
        EXPECT_EQ(clsid, ReadString(HKEY_LOCAL_MACHINE, catalogue.c_str(), "CLSID"));
        EXPECT_EQ(1u, ReadDword(HKEY_LOCAL_MACHINE, catalogue.c_str(), "Enabled"));
        std::string icon = ReadString(HKEY_LOCAL_MACHINE, catalogue.c_str(), "DefaultIcon");
        EXPECT_EQ(0, lstrcmpiA((server + "," + std::to_string(standard.icon)).c_str(), icon.c_str()));
        EXPECT_EQ(3, ValueCount(HKEY_LOCAL_MACHINE, catalogue.c_str()));
    }
    EXPECT_EQ("LSIExplorer1.0",
              ReadString(HKEY_CLASSES_ROOT, "CLSID\\{8A3403B3-E7AD-11D1-B601-0080C866E8E5}\\ProgID", NULL));
}

// Catalogue keys the server creates or deletes, in order, seen through its
// import table.
std::vector<std::string> g_catalogueCalls;

std::string CatalogueName(HKEY root, LPCSTR path)
{
    const std::string prefix = LS_CATALOGUE_PATH "\\";
    if (root != HKEY_LOCAL_MACHINE || path == NULL || std::string(path).compare(0, prefix.size(), prefix) != 0)
        return "";
    return std::string(path).substr(prefix.size());
}

LONG WINAPI WatchCreateKey(HKEY root, LPCSTR path, DWORD reserved, LPSTR keyClass, DWORD options,
                           REGSAM access, LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition)
{
    std::string name = CatalogueName(root, path);
    if (!name.empty())
        g_catalogueCalls.push_back("create " + name);
    return RegCreateKeyExA(root, path, reserved, keyClass, options, access, security, key, disposition);
}

LONG WINAPI WatchDeleteKey(HKEY root, LPCSTR path)
{
    std::string name = CatalogueName(root, path);
    if (!name.empty())
        g_catalogueCalls.push_back("delete " + name);
    return RegDeleteKeyA(root, path);
}

TEST_F(Registration, ClassesAreRegisteredAndUnregisteredInCatalogueOrder)
{
    typedef HRESULT(STDAPICALLTYPE * Entry)();
    Entry registerServer = reinterpret_cast<Entry>(GetProcAddress(Server(), "DllRegisterServer"));
    Entry unregisterServer = reinterpret_cast<Entry>(GetProcAddress(Server(), "DllUnregisterServer"));
    ASSERT_TRUE(registerServer != NULL && unregisterServer != NULL);
    g_catalogueCalls.clear();
    {
        ImportHook create(Server(), "advapi32.dll", "RegCreateKeyExA", reinterpret_cast<void*>(WatchCreateKey));
        ImportHook remove(Server(), "advapi32.dll", "RegDeleteKeyA", reinterpret_cast<void*>(WatchDeleteKey));
        ASSERT_TRUE(create.Hooked() && remove.Hooked());
        EXPECT_EQ(S_OK, registerServer());
        EXPECT_EQ(S_OK, unregisterServer());
    }
    EXPECT_EQ((std::vector<std::string>{
                  "create Other Folders", "create Netscape Browser", "create Internet Explorer Browser",
                  "create Windows Temporary Files", "delete Other Folders", "delete Netscape Browser",
                  "delete Internet Explorer Browser", "delete Windows Temporary Files"}),
              g_catalogueCalls);
}

TEST_F(Registration, UnregisteringTwiceRemovesEverythingAndSucceedsBothTimes)
{
    ASSERT_EQ(0u, RunRegsvr32("/s"));
    WriteDword(HKEY_CURRENT_USER, LS_USER_COMPONENTS_PATH "\\Other Folders", "Enabled", 1);
    EXPECT_EQ(0u, RunRegsvr32("/u /s"));
    EXPECT_EQ(0u, RunRegsvr32("/u /s"));
    for (const Standard& standard : kStandard) {
        std::string progId = standard.progId;
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, progId.c_str()));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, (progId + "1.0").c_str()));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ("CLSID\\" + ClsidText(*standard.clsid)).c_str()));
        std::string catalogue = std::string(LS_CATALOGUE_PATH "\\") + standard.keyName;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, catalogue.c_str()));
    }
    // The user's settings stay.
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, LS_USER_COMPONENTS_PATH "\\Other Folders", "Enabled"));
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Quenlow");

    typedef HRESULT(STDAPICALLTYPE * Export)();
    Export unregister = reinterpret_cast<Export>(GetProcAddress(Server(), "DllUnregisterServer"));
    ASSERT_NE(nullptr, unregister);
    EXPECT_EQ(S_OK, unregister());
    EXPECT_EQ(S_OK, unregister());
}

// A caller that follows the creation steps: catalogue, "CLSID" read wide,
// CLSIDFromString, CoCreateInstance for IUnknown, QueryInterface for the
// contract. Returns the key names of the components it could make.
std::vector<std::string> ActivateCatalogue(std::vector<IUnknown*>& objects)
{
    std::vector<std::string> names;
    RegistryKey catalogue(HKEY_LOCAL_MACHINE, LS_CATALOGUE_PATH);
    DWORD count = catalogue.CountSubKeys();
    for (DWORD index = 0; index < count; ++index) {
        char name[212] = "";
        if (catalogue.EnumSubKey(name, 211, index) != ERROR_SUCCESS)
            continue;
        RegistryKey entry(HKEY_LOCAL_MACHINE, (std::string(LS_CATALOGUE_PATH "\\") + name).c_str());
        wchar_t clsidText[128];
        memset(clsidText, 0, sizeof(clsidText));
        entry.QueryWideString(L"CLSID", clsidText, 255);
        CLSID clsid = GUID_NULL;
        CLSIDFromString(clsidText, &clsid);
        IUnknown* object = NULL;
        CoCreateInstance(clsid, NULL, 23, IID_IUnknown, reinterpret_cast<void**>(&object));
        if (object == NULL)
            continue;
        objects.push_back(object);
        names.push_back(name);
    }
    return names;
}

TEST_F(Registration, CatalogueActivationMakesEveryRegisteredComponentAndSkipsBrokenEntries)
{
    ASSERT_EQ(0u, RunRegsvr32("/s"));
    WriteString(HKEY_LOCAL_MACHINE, LS_CATALOGUE_PATH "\\A No CLSID", "DefaultIcon", "x,0");
    WriteString(HKEY_LOCAL_MACHINE, LS_CATALOGUE_PATH "\\B Unregistered", "CLSID",
                "{00000000-1111-2222-3333-444444444444}");
    WriteString(HKEY_LOCAL_MACHINE, LS_CATALOGUE_PATH "\\C Malformed", "CLSID", "not a clsid");

    std::vector<IUnknown*> objects;
    std::vector<std::string> names = ActivateCatalogue(objects);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, LS_CATALOGUE_PATH "\\A No CLSID");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, LS_CATALOGUE_PATH "\\B Unregistered");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, LS_CATALOGUE_PATH "\\C Malformed");
    ASSERT_EQ(4u, names.size());

    ScratchDir temp("catalogue-temp");
    MakeFile(temp / "junk.tmp", 12);
    TempFolderOverride override(temp.Path());
    for (size_t i = 0; i < objects.size(); ++i) {
        ICleanerComponent* component = NULL;
        ASSERT_EQ(S_OK, objects[i]->QueryInterface(IID_ICleanerComponent,
                                                   reinterpret_cast<void**>(&component)));
        char text[255] = "";
        component->GetDescription(text, sizeof(text));
        EXPECT_GT(strlen(text), 20u) << names[i];
        if (names[i] == "Windows Temporary Files") {
            DWORD size = 0;
            component->GetSize(&size);
            EXPECT_EQ(12u, size);
            component->Compact(FALSE, TRUE);
            EXPECT_FALSE(Exists(temp / "junk.tmp"));
        }
        component->Release();
        objects[i]->Release();
    }
}

} // namespace
