// Saves a picture of every dialog of the component servers, as a user sees
// it: the Folders, Netscape and Explorer pages in their sheets and the Add
// Folder dialog, and the web browser caches component's Browsers page. Usage: dialog_shots.exe <output folder> [desktop]; one BMP
// per dialog.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "Screenshot.h"
#include "TestSupport.h"
#include "WebCaches.h"

namespace {

// Shows a component's sheet and saves it; `more` may save further dialogs.
bool ShootSheet(REFCLSID clsid, const char* caption, const char* name,
                const std::function<void(HWND sheet)>& more, const char* server = kCleanersServer)
{
    ICleanerComponent* component = MakeComponent(clsid, server);
    if (component == NULL)
        return false;
    RegKeyInfo info = {HKEY_CURRENT_USER, "Software\\LarkspireShots"};
    bool saved = false;
    bool shown = DriveModal(
        caption,
        [&](HWND sheet) {
            SetWindowPos(sheet, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
            saved = SaveWindow(sheet, name);
            if (more)
                more(sheet);
            PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        },
        [&] { component->ShowProperties(NULL, reinterpret_cast<LPARAM>(&info), AddOneCallerPage); });
    component->Release();
    return shown && saved;
}

} // namespace

int main(int argc, char** argv)
{
    if (int failed = StartPictures(argc, argv, "dialog_shots"))
        return failed;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    OleInitialize(NULL);
    WriteString(HKEY_CURRENT_USER, "Software\\LarkspireShots\\Folders", "Folder0", "C:\\Downloads\\Old Installers");
    WriteString(HKEY_CURRENT_USER, "Software\\LarkspireShots\\Folders", "Folder1", "D:\\Scratch");
    WriteDword(HKEY_CURRENT_USER, "Software\\LarkspireShots", "IE3Cookies", 0);
    WriteDword(HKEY_CURRENT_USER, "Software\\LarkspireShots", "NT4History", 0);
    WriteDword(HKEY_CURRENT_USER, "Software\\LarkspireShots", LS_SWITCH_FIREFOX, 0);

    bool ok = ShootSheet(CLSID_AltPaths, "Other Folders Properties", "folders", [](HWND sheet) {
        HWND page = SheetCurrentPage(sheet);
        DriveModal(
            "Add Folder",
            [](HWND dialog) {
                SetWindowPos(dialog, HWND_TOP, 80, 120, 0, 0, SWP_NOSIZE);
                SetDlgItemTextA(dialog, 1002, "C:\\Windows\\Temp");
                SaveWindow(dialog, "add-folder");
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            },
            [&] { SendMessageA(GetDlgItem(page, 1002), BM_CLICK, 0, 0); });
    });
    ok = ShootSheet(CLSID_Netscape, "Netscape Browser Properties", "netscape", nullptr) && ok;
    ok = ShootSheet(CLSID_IExplorer, "Internet Explorer Browser Properties", "explorer", nullptr) && ok;
    ok = ShootSheet(CLSID_WebCaches, "Web Browser Caches Properties", "webcaches", nullptr, kWebCachesServer) && ok;

    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\LarkspireShots");
    OleUninitialize();
    return ok ? 0 : 1;
}
