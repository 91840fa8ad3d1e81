// LSWebCaches.dll as its callers meet it: its class object and factory, the
// component's interfaces, description and page, its registration beside
// LSCleaners.dll, and its work through COM on a user whose shell folders
// lead to a scratch Windows 10 profile.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "BrowserCaches.h"
#include "BrowserScene.h"
#include "FakeComponents.h"
#include "RegistryKey.h"
#include "TestSupport.h"
#include "WebCaches.h"

namespace {

const IID kIID_IDispatch = {0x00020400, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
void* const kSentinel = reinterpret_cast<void*>(static_cast<ULONG_PTR>(0xdeadbeef));
const char kDescription[] =
    "Removes the caches of today's web browsers (Chrome, Edge, Brave, Vivaldi, Opera, Chromium and Firefox) for "
    "every profile whose browser is not running. Cookies, history, passwords and settings are kept.";
const char kUserKey[] = LS_USER_COMPONENTS_PATH "\\" LS_KEY_WEBCACHES;
const char kCatalogueKey[] = LS_CATALOGUE_PATH "\\" LS_KEY_WEBCACHES;

ICleanerComponent* MakeWebCaches()
{
    return MakeComponent(CLSID_WebCaches, kWebCachesServer);
}

DWORD Regsvr32(const char* arguments, const char* server)
{
    return RunProgram(std::string("regsvr32.exe ") + arguments + " \"" + ServerPath(server) + "\"");
}

// The frame is LSCleaners.dll's (its tests cover the factory and the
// counts); each server serves its own table only.
TEST(WebCachesServer, ServesItsOneClassAndTheOtherServerNone)
{
    for (const CLSID* other : {&CLSID_WinTempFiles, &CLSID_AltPaths, &CLSID_Netscape, &CLSID_IExplorer}) {
        void* object = kSentinel;
        EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, ServerGetClassObject(*other, IID_IClassFactory, &object, kWebCachesServer));
        EXPECT_EQ(NULL, object);
    }
    void* object = kSentinel;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, ServerGetClassObject(CLSID_WebCaches, IID_IClassFactory, &object));
    EXPECT_EQ(NULL, object);

    ICleanerComponent* component = MakeWebCaches();
    ASSERT_NE(nullptr, component);
    EXPECT_EQ(S_FALSE, ServerCanUnloadNow(kWebCachesServer));
    object = kSentinel;
    EXPECT_EQ(E_NOINTERFACE, component->QueryInterface(kIID_IDispatch, &object));
    EXPECT_EQ(NULL, object);
    char text[255];
    memset(text, 'Z', sizeof(text));
    EXPECT_EQ(S_OK, component->GetDescription(text, sizeof(text)));
    EXPECT_STREQ(kDescription, text);
    EXPECT_EQ(E_POINTER, component->GetSize(NULL));
    RegKeyInfo info = {HKEY_CURRENT_USER, "Software\\LarkspireTest"};
    EXPECT_EQ(S_OK, component->ShowProperties(NULL, reinterpret_cast<LPARAM>(&info), NULL));
    EXPECT_EQ(0u, component->Release());
    EXPECT_EQ(S_OK, ServerCanUnloadNow(kWebCachesServer));
}

// The sheet: the component's "Browsers" page, then the caller's; a box per
// family, both on when nothing is stored; Apply writes both, Cancel nothing.
TEST(WebCachesComponent, ItsPageComesFirstAndAppliesABoxPerFamily)
{
    const char kPageKey[] = "Software\\LarkspireTest\\WebCachesPage";
    ScratchKey key(HKEY_CURRENT_USER, kPageKey);
    RegKeyInfo info = {HKEY_CURRENT_USER, kPageKey};
    ICleanerComponent* component = MakeWebCaches();
    ASSERT_NE(nullptr, component);
    auto show = [&](const std::function<void(HWND)>& driver) {
        ResetCallerPages();
        LocalFreeCounter frees(Server(kWebCachesServer));
        ASSERT_TRUE(frees.Hooked());
        EXPECT_TRUE(DriveModal("Web Browser Caches Properties", driver, [&] {
            EXPECT_EQ(S_OK, component->ShowProperties(NULL, reinterpret_cast<LPARAM>(&info), AddOneCallerPage));
        }));
        EXPECT_EQ(1, frees.FreesOf(LastPageArray()));
    };

    int pages = -1;
    std::string ownTab, callerTab;
    UINT chromium = 0xdeadbeef, firefox = 0xdeadbeef;
    bool applyBefore = true, applyAfter = false;
    show([&](HWND sheet) {
        pages = SheetPageCount(sheet);
        ownTab = SheetTabText(sheet, 0);
        callerTab = SheetTabText(sheet, 1);
        HWND page = SheetCurrentPage(sheet);
        chromium = IsDlgButtonChecked(page, 1000);
        firefox = IsDlgButtonChecked(page, 1001);
        applyBefore = SheetApplyEnabled(sheet);
        SendMessageA(GetDlgItem(page, 1001), BM_CLICK, 0, 0);
        applyAfter = SheetApplyEnabled(sheet);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    });
    EXPECT_EQ(2, pages);
    EXPECT_EQ("Browsers", ownTab);
    EXPECT_EQ("Schedule", callerTab);
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), chromium);
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), firefox);
    EXPECT_FALSE(applyBefore);
    EXPECT_TRUE(applyAfter);
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, kPageKey, LS_SWITCH_CHROMIUM));
    EXPECT_EQ(0u, ReadDword(HKEY_CURRENT_USER, kPageKey, LS_SWITCH_FIREFOX));
    EXPECT_EQ(2, ValueCount(HKEY_CURRENT_USER, kPageKey));

    // Shown as stored; a change cancelled is not written.
    show([&](HWND sheet) {
        HWND page = SheetCurrentPage(sheet);
        chromium = IsDlgButtonChecked(page, 1000);
        firefox = IsDlgButtonChecked(page, 1001);
        SendMessageA(GetDlgItem(page, 1000), BM_CLICK, 0, 0);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), chromium);
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), firefox);
    EXPECT_EQ(1u, ReadDword(HKEY_CURRENT_USER, kPageKey, LS_SWITCH_CHROMIUM));
    EXPECT_EQ(0u, component->Release());
}

class WebCachesRegistration : public testing::Test {
protected:
    void TearDown() override
    {
        Regsvr32("/u /s", kWebCachesServer);
        Regsvr32("/u /s", kCleanersServer);
    }
};

TEST_F(WebCachesRegistration, RegistersItsClassAndOneCatalogueEntryAndUnregistersOnlyThem)
{
    ASSERT_EQ(0u, Regsvr32("/s", kCleanersServer));
    ASSERT_EQ(0u, Regsvr32("/s", kWebCachesServer));
    const std::string clsid = ClsidText(CLSID_WebCaches);
    const std::string clsidKey = "CLSID\\" + clsid;
    const char description[] = "Quenlow Larkspire Web Browser Caches Component";
    HKEY hkcr = HKEY_CLASSES_ROOT;
    EXPECT_EQ("{8F1EA404-30F8-40B4-AC01-65E4E3E8BD80}", clsid);
    EXPECT_EQ(description, ReadString(hkcr, "LSWebCaches1.0", NULL));
    EXPECT_EQ(clsid, ReadString(hkcr, "LSWebCaches1.0\\CLSID", NULL));
    EXPECT_EQ(description, ReadString(hkcr, "LSWebCaches", NULL));
    EXPECT_EQ("LSWebCaches1.0", ReadString(hkcr, "LSWebCaches\\CurVer", NULL));
    EXPECT_EQ(clsid, ReadString(hkcr, "LSWebCaches\\CLSID", NULL));
    EXPECT_EQ(description, ReadString(hkcr, clsidKey.c_str(), NULL));
    EXPECT_EQ("LSWebCaches1.0", ReadString(hkcr, (clsidKey + "\\ProgID").c_str(), NULL));
    EXPECT_EQ("LSWebCaches", ReadString(hkcr, (clsidKey + "\\VersionIndependentProgID").c_str(), NULL));
    EXPECT_TRUE(KeyExists(hkcr, (clsidKey + "\\NotInsertable").c_str()));
    std::string inproc = clsidKey + "\\InprocServer32";
    std::string server = ServerPath(kWebCachesServer);
    EXPECT_EQ(0, lstrcmpiA(server.c_str(), ReadString(hkcr, inproc.c_str(), NULL).c_str()));
    EXPECT_EQ("Apartment", ReadString(hkcr, inproc.c_str(), "ThreadingModel"));

    EXPECT_EQ(clsid, ReadString(HKEY_LOCAL_MACHINE, kCatalogueKey, "CLSID"));
    EXPECT_EQ(1u, ReadDword(HKEY_LOCAL_MACHINE, kCatalogueKey, "Enabled"));
    std::string icon = ReadString(HKEY_LOCAL_MACHINE, kCatalogueKey, "DefaultIcon");
    EXPECT_EQ(0, lstrcmpiA((server + ",0").c_str(), icon.c_str()));
    EXPECT_EQ(3, ValueCount(HKEY_LOCAL_MACHINE, kCatalogueKey));
    // The icon the lists show, as they take it.
    HICON extracted = ExtractIconA(GetModuleHandleA(NULL), server.c_str(), 0);
    EXPECT_TRUE(extracted != NULL && extracted != reinterpret_cast<HICON>(1));
    if (extracted != NULL && extracted != reinterpret_cast<HICON>(1))
        DestroyIcon(extracted);
    EXPECT_EQ(reinterpret_cast<HICON>(NULL), ExtractIconA(GetModuleHandleA(NULL), server.c_str(), 1));

    // Created through the catalogue's class, as every caller does.
    IUnknown* object = NULL;
    CLSID fromText = GUID_NULL;
    ASSERT_EQ(S_OK, CLSIDFromString(Widen(clsid).c_str(), &fromText));
    EXPECT_EQ(S_OK, CoCreateInstance(fromText, NULL, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void**>(&object)));
    ASSERT_NE(nullptr, object);
    object->Release();

    // Unregistered twice: its keys go, the other server's stay.
    EXPECT_EQ(0u, Regsvr32("/u /s", kWebCachesServer));
    EXPECT_EQ(0u, Regsvr32("/u /s", kWebCachesServer));
    for (const char* key : {"LSWebCaches", "LSWebCaches1.0", clsidKey.c_str()})
        EXPECT_FALSE(KeyExists(hkcr, key)) << key;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kCatalogueKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, LS_CATALOGUE_PATH "\\Windows Temporary Files"));
    EXPECT_TRUE(KeyExists(hkcr, ("CLSID\\" + ClsidText(CLSID_WinTempFiles) + "\\InprocServer32").c_str()));
    RegistryKey catalogue(HKEY_LOCAL_MACHINE, LS_CATALOGUE_PATH, RegistryKey::kReadOnly);
    EXPECT_EQ(4u, catalogue.CountSubKeys());
}

// The component's work as the applet's size worker and the Agent meet it:
// through COM, with the shell naming a scratch profile's folders.
class WebCachesWork : public testing::Test {
protected:
    WebCachesWork()
        : dir_("webcaches-work"), scene_(dir_.Path(), kSceneWindows10), redirect_(scene_.local, scene_.roaming),
          settings_(HKEY_CURRENT_USER, kUserKey)
    {
    }

    ScratchDir dir_;
    BrowserScene scene_;
    ShellFoldersRedirect redirect_;
    ScratchKey settings_;
};

TEST_F(WebCachesWork, GetSizeOnASecondThreadIsWhatCompactRemovesForTheFamiliesSwitchedOn)
{
    scene_.SeedBrowsers(kChromiumFamily);
    WriteDword(HKEY_CURRENT_USER, kUserKey, LS_SWITCH_FIREFOX, 0);
    WriteDword(HKEY_CURRENT_USER, kUserKey, LS_SWITCH_CHROMIUM, 5);
    ICleanerComponent* component = MakeWebCaches();
    ASSERT_NE(nullptr, component);
    component->AddRef();
    DWORD size = 0xdeadbeef;
    DWORD thread = GetCurrentThreadId(), sizeThread = 0;
    std::thread worker([component, &size, &sizeThread] {
        CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
        component->GetSize(&size);
        sizeThread = GetCurrentThreadId();
        component->Release();
        CoUninitialize();
    });
    char text[255];
    for (int i = 0; i < 50; ++i)
        component->GetDescription(text, sizeof(text));
    worker.join();
    EXPECT_NE(thread, sizeThread);
    EXPECT_EQ(scene_.RemovedBytes(), size);
    EXPECT_TRUE(scene_.Survivors().size() > 0 && scene_.Lost().empty()); // measuring removed nothing

    EXPECT_EQ(S_OK, component->Compact(FALSE, TRUE));
    EXPECT_TRUE(scene_.Survivors().empty()) << scene_.Survivors()[0];
    EXPECT_TRUE(scene_.Lost().empty()) << scene_.Lost()[0];

    // Switched on again (the switches gone), Firefox's caches go too, to the
    // Recycle Bin; the user's data and the running profile stay.
    DeleteKeyTree(HKEY_CURRENT_USER, kUserKey);
    const std::string idle = scene_.FirefoxLocal() + "\\Profiles\\abcd1234.default-release";
    const std::string running = scene_.FirefoxLocal() + "\\Profiles\\efgh5678.running";
    EmptyTrash();
    size = 0xdeadbeef;
    EXPECT_EQ(S_OK, component->GetSize(&size));
    EXPECT_GT(size, 0u);
    EXPECT_EQ(S_OK, component->Compact(TRUE, FALSE));
    EXPECT_FALSE(Exists(idle + "\\cache2\\entries\\0A1B2C3D4E5F"));
    EXPECT_FALSE(Exists(scene_.AbsoluteFirefoxProfile() + "\\startupCache\\startupCache.8.little"));
    EXPECT_TRUE(InTrash("0A1B2C3D4E5F"));
    EXPECT_TRUE(Exists(running + "\\cache2\\entries\\0A1B2C3D4E5F"));
    EXPECT_TRUE(Exists(scene_.Firefox() + "\\Profiles\\abcd1234.default-release\\places.sqlite"));
    size = 0xdeadbeef;
    EXPECT_EQ(S_OK, component->GetSize(&size));
    EXPECT_EQ(0u, size);
    EmptyTrash();
    EXPECT_EQ(0u, component->Release());
    EXPECT_EQ(S_OK, ServerCanUnloadNow(kWebCachesServer));
}

} // namespace
