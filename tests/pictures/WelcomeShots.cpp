// Saves pictures of the introduction wizard's four pages as a user sees them
// (two components of the server and the web browser caches listed on the
// Components page) and of the
// installer tasks' two questions, shown by their own code with the Windows
// 95 version and an ole32 without CoInitializeEx made up, so that the DCOM
// question shows too. The catalogue and the settings are the program's own
// for as long as it runs.
// Usage: welcome_shots.exe <output folder> [desktop]; one BMP per picture.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeComponents.h"
#include "InstallHooks.h"
#include "InstallTasks.h"
#include "Screenshot.h"
#include "BrowserScene.h"
#include "TestSupport.h"
#include "WebCaches.h"
#include "Welcome.h"

namespace {

const char kCatalogue[] = "SOFTWARE\\Quenlow\\Larkspire\\Components";

bool ShootWizard()
{
    const char* names[] = {"welcome-1-welcome", "welcome-2-options", "welcome-3-components", "welcome-4-complete"};
    int saved = 0;
    bool shown = DriveModal(
        WELCOME_SHEET_CAPTION,
        [&](HWND sheet) {
            SetWindowPos(sheet, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
            for (int page = 0; page < 4; ++page) {
                if (page > 0) {
                    HWND before = SheetCurrentPage(sheet);
                    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
                    WaitFor([&] { return SheetCurrentPage(sheet) != before; }, 5000);
                }
                WaitFor([] { return false; }, page == 2 ? 1500 : 300);
                SetForegroundWindow(sheet);
                if (SaveWindow(sheet, names[page]))
                    ++saved;
            }
            PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        },
        [&] { RunWelcome(GetModuleHandleA(NULL)); });
    return shown && saved == 4;
}

void SaveAndAnswerNo(HWND box, const char* name, bool* saved)
{
    SetWindowPos(box, HWND_TOP, 200, 200, 0, 0, SWP_NOSIZE);
    *saved = SaveWindow(box, name);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDNO)));
}

bool ShootQuestions()
{
    InstallWorld world;
    world.realMessageBoxes = true;
    world.platform = VER_PLATFORM_WIN32_WINDOWS;
    world.hasCoInitializeEx = false;
    bool startup = false, dcom = false;
    InstallHooks hooks(world);
    if (!hooks.Hooked())
        return false;
    bool first = DriveModal(
        INSTALL_STARTUP_CAPTION, [&](HWND box) { SaveAndAnswerNo(box, "install-startup-question", &startup); },
        [&] {
            DriveModal(INSTALL_DCOM_CAPTION, [&](HWND box) { SaveAndAnswerNo(box, "install-dcom-question", &dcom); },
                       [&] { RunInstallTasks(" /startmeup"); });
        });
    return first && startup && dcom;
}

} // namespace

int main(int argc, char** argv)
{
    if (int failed = StartPictures(argc, argv, "welcome_shots"))
        return failed;
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    bool ok = true;
    {
        KeyTreeGuard catalogue(HKEY_LOCAL_MACHINE, kCatalogue);
        KeyTreeGuard user(HKEY_CURRENT_USER, "Software\\Quenlow");
        std::vector<std::unique_ptr<ClassRegistration>> served =
            ServeComponents(kCatalogue, {{"Windows Temporary Files", &CLSID_WinTempFiles, 0},
                                         {"Internet Explorer Browser", &CLSID_IExplorer, 2},
                                         {LS_KEY_WEBCACHES, &CLSID_WebCaches, 0, kWebCachesServer}});
        ScratchDir temp("welcome-shots-temp");
        MakeFile(temp / "setup.log", 96 * 1024);
        TempFolderOverride override(temp.Path());
        ScratchDir browsers("welcome-shots-browsers");
        BrowserScene scene(browsers.Path(), kSceneWindows10);
        ShellFoldersRedirect redirect(scene.local, scene.roaming);
        scene.SeedBrowsers();
        scene.Cache(scene.FirefoxLocal() + "\\Profiles\\abcd1234.default-release\\cache2\\entries\\F00D",
                    6 * 1024 * 1024);
        ok = ShootWizard();
        ok = ShootQuestions() && ok;
    }
    CoUninitialize();
    return ok ? 0 : 1;
}
