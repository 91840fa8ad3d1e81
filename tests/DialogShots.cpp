// Saves a picture of every dialog of the component server, as a user sees
// it: the Folders, Netscape and Explorer pages in their sheets and the Add
// Folder dialog. Usage: dialog_shots.exe <output folder>; one BMP per dialog.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <stdio.h>

#include <string>

#include "TestSupport.h"

namespace {

std::string g_output;

// Writes what the screen shows of `window` as a 24-bit BMP.
bool SaveWindow(HWND window, const std::string& name)
{
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    MSG message;
    DWORD until = GetTickCount() + 300;
    while (GetTickCount() < until) {
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
    RECT rect;
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    int stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<size_t>(stride) * height, '\0');
    GetDIBits(memory, bitmap, 0, height, &pixels[0], reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4d42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string path = g_output + "\\" + name + ".bmp";
    FILE* out = fopen(path.c_str(), "wb");
    if (out == NULL)
        return false;
    fwrite(&file, sizeof(file), 1, out);
    fwrite(&info, sizeof(info), 1, out);
    fwrite(pixels.data(), 1, pixels.size(), out);
    fclose(out);
    printf("saved %s (%dx%d)\n", path.c_str(), width, height);
    return true;
}

HWND CurrentPage(HWND sheet)
{
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// Shows a component's sheet and saves it; `more` may save further dialogs.
bool ShootSheet(REFCLSID clsid, const char* caption, const char* name,
                const std::function<void(HWND sheet)>& more)
{
    ICleanerComponent* component = MakeComponent(clsid);
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
    if (argc < 2) {
        fprintf(stderr, "usage: dialog_shots <output folder>\n");
        return 2;
    }
    g_output = argv[1];
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    OleInitialize(NULL);
    WriteString(HKEY_CURRENT_USER, "Software\\LarkspireShots\\Folders", "Folder0", "C:\\Downloads\\Old Installers");
    WriteString(HKEY_CURRENT_USER, "Software\\LarkspireShots\\Folders", "Folder1", "D:\\Scratch");
    WriteDword(HKEY_CURRENT_USER, "Software\\LarkspireShots", "IE3Cookies", 0);
    WriteDword(HKEY_CURRENT_USER, "Software\\LarkspireShots", "NT4History", 0);

    bool ok = ShootSheet(CLSID_AltPaths, "Other Folders Properties", "folders", [](HWND sheet) {
        HWND page = CurrentPage(sheet);
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

    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\LarkspireShots");
    OleUninitialize();
    return ok ? 0 : 1;
}
