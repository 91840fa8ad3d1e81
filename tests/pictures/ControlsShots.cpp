// Saves pictures of the settings applet as a user sees it: the General page
// once the sizes have arrived (also as Windows 95's first common controls
// show it), the Options page, and the Other Folders component's sheet on its
// Schedule page. The components are the servers' own, served in this
// process, the web browser caches measuring a scratch profile; the
// catalogue and the settings are the program's own for as long as it runs.
// Usage: controls_shots.exe <output folder> [desktop]; one BMP per picture.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <memory>
#include <string>
#include <vector>

#include "Controls.h"
#include "FakeComponents.h"
#include "Screenshot.h"
#include "BrowserScene.h"
#include "TestSupport.h"
#include "WebCaches.h"

namespace {

const char kCatalogue[] = "SOFTWARE\\Quenlow\\Larkspire\\Components";
const char kUser[] = "Software\\Quenlow\\Larkspire\\Components\\";

const std::vector<ServedComponent> kComponents = {{"Windows Temporary Files", &CLSID_WinTempFiles, 0},
                                       {"Other Folders", &CLSID_AltPaths, 0},
                                       {"Netscape Browser", &CLSID_Netscape, 1},
                                       {"Internet Explorer Browser", &CLSID_IExplorer, 2},
                                       {LS_KEY_WEBCACHES, &CLSID_WebCaches, 0, kWebCachesServer}};

bool SizesArrived(HWND list)
{
    int count = ListRows(list);
    for (int i = 0; i < count; ++i)
        if (ListItemText(list, i, 1) == "<...>")
            return false;
    return count > 0;
}

bool ShootApplet()
{
    bool general = false, options = false, schedule = false;
    bool shown = DriveModal(
        CONTROLS_SHEET_CAPTION,
        [&](HWND sheet) {
            SetWindowPos(sheet, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
            HWND page = SheetCurrentPage(sheet);
            HWND list = GetDlgItem(page, 1000);
            WaitFor([&] { return SizesArrived(list); }, 20000);
            ClickListItem(list, ListRowOf(list, "Windows Temporary Files"));
            SetForegroundWindow(sheet);
            general = SaveWindow(sheet, "controls-general");

            ClickListItem(list, ListRowOf(list, "Other Folders"));
            DriveModal(
                "Other Folders Properties",
                [&](HWND components) {
                    SetWindowPos(components, HWND_TOP, 120, 100, 0, 0, SWP_NOSIZE);
                    SendMessageA(components, PSM_SETCURSEL, 1, 0);
                    schedule = SaveWindow(components, "controls-schedule");
                    PostMessageA(components, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
                },
                [&] { SendMessageA(GetDlgItem(page, 1001), BM_CLICK, 0, 0); });

            SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
            SetForegroundWindow(sheet);
            options = SaveWindow(sheet, "controls-options");
            PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        },
        [&] { RunControls(GetModuleHandleA(NULL)); });
    return shown && general && options && schedule;
}

// The General page as Windows 95's own common controls show it: the rows'
// check boxes are the page's own.
bool ShootFirstCommonControls()
{
    OldListViews old;
    bool general = false;
    bool shown = DriveModal(
        CONTROLS_SHEET_CAPTION,
        [&](HWND sheet) {
            SetWindowPos(sheet, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
            HWND list = GetDlgItem(SheetCurrentPage(sheet), 1000);
            WaitFor([&] { return SizesArrived(list); }, 20000);
            ClickListItem(list, ListRowOf(list, "Windows Temporary Files"));
            SetForegroundWindow(sheet);
            general = SaveWindow(sheet, "controls-general-first-comctl");
            PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        },
        [&] { RunControls(GetModuleHandleA(NULL)); });
    MSG quit;
    PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
    return shown && general;
}

} // namespace

int main(int argc, char** argv)
{
    if (int failed = StartPictures(argc, argv, "controls_shots"))
        return failed;
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);

    bool ok = true;
    {
        KeyTreeGuard catalogue(HKEY_LOCAL_MACHINE, kCatalogue);
        KeyTreeGuard appPath(HKEY_LOCAL_MACHINE, CONTROLS_APP_PATH_KEY);
        KeyTreeGuard user(HKEY_CURRENT_USER, "Software\\Quenlow");
        std::vector<std::unique_ptr<ClassRegistration>> served = ServeComponents(kCatalogue, kComponents);
        WriteDword(HKEY_CURRENT_USER, (std::string(kUser) + "Netscape Browser").c_str(), "Enabled", 0);
        WriteDword(HKEY_CURRENT_USER, (std::string(kUser) + "Other Folders").c_str(), "TimeLapse", 30);

        // A temporary folder with something in it, so that its size shows.
        ScratchDir temp("controls-shots-temp");
        MakeFile(temp / "setup.log", 180 * 1024);
        MakeFile(temp / "old\\download.tmp", 2 * 1024 * 1024);
        TempFolderOverride override(temp.Path());
        // Browsers with something in their caches.
        ScratchDir browsers("controls-shots-browsers");
        BrowserScene scene(browsers.Path(), kSceneWindows10);
        ShellFoldersRedirect redirect(scene.local, scene.roaming);
        scene.SeedBrowsers();
        scene.Cache(scene.Chrome() + "\\Default\\Cache\\Cache_Data\\f_00000a", 23 * 1024 * 1024);

        ok = ShootApplet();
        MSG quit;
        PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
        ok = ShootFirstCommonControls() && ok;
    }
    CoUninitialize();
    return ok ? 0 : 1;
}
