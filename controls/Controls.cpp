// The settings applet's start-up, hidden frame window and sheet.
#include "Controls.h"

#include <commctrl.h>
#include <objbase.h>

#include <stddef.h>

#include <new>

#include "FrameWindow.h"
#include "RegistryKey.h"
#include "resource.h"

// The structure sizes that every comctl32 accepts, Windows 95's first one
// included; an array of pages is walked by each page's dwSize.
#if defined(_M_IX86) || defined(__i386__)
static_assert(sizeof(PROPSHEETPAGEA_V1) == 40, "PROPSHEETPAGE of comctl32 4.00");
static_assert(offsetof(PROPSHEETHEADERA, pfnCallback) + sizeof(PFNPROPSHEETCALLBACK) == 40,
              "PROPSHEETHEADER of comctl32 4.00");
static_assert(sizeof(RegKeyInfo) == 8, "RegKeyInfo as components read it");
#endif

const OptionsLayout kAppletOptions = {IDC_OPTIONS_RECYCLE, IDC_OPTIONS_REMOVE_FOLDERS, IDS_OPTIONS_PATH};

namespace {

void FillPage(PROPSHEETPAGEA_V1& page, HINSTANCE instance, UINT templateId, DLGPROC procedure)
{
    ZeroMemory(&page, sizeof(page));
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEA(templateId);
    page.pfnDlgProc = procedure;
}

void ShowSheet(HWND frame, HINSTANCE instance)
{
    PROPSHEETPAGEA_V1* pages = new (std::nothrow) PROPSHEETPAGEA_V1[2];
    if (pages == NULL)
        return;
    FillPage(pages[0], instance, IDD_GENERAL, GeneralPageProc);
    FillPage(pages[1], instance, IDD_OPTIONS, OptionsPageProc<kAppletOptions>);

    PROPSHEETHEADERA header;
    ZeroMemory(&header, sizeof(header));
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.hwndParent = frame;
    header.hInstance = instance;
    header.pszCaption = CONTROLS_SHEET_CAPTION;
    header.nPages = 2;
    header.nStartPage = 0;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(pages);
    PropertySheetA(&header);
    delete[] pages;
}

} // namespace

bool RegisterAppPath()
{
    RegistryKey appPath(HKEY_LOCAL_MACHINE, CONTROLS_APP_PATH_KEY);
    char file[MAX_PATH + 1];
    ZeroMemory(file, sizeof(file));
    DWORD length = GetModuleFileNameA(NULL, file, MAX_PATH);
    // A path cut to fit the buffer would name another file.
    if (length != 0 && length < MAX_PATH)
        appPath.SetString("", file);
    return true;
}

int RunControls(HINSTANCE instance)
{
    RegisterAppPath();
    InitCommonControls();
    HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    // Already registered by an earlier sheet of this process: fine.
    RegisterFrameClass(instance, CONTROLS_FRAME_CLASS, ControlsFrameProc, CS_BYTEALIGNWINDOW);

    // The sheet is placed by its owner: its corner comes near this point,
    // left of and above the middle of the screen's working area.
    int x = GetSystemMetrics(SM_CXFULLSCREEN) / 2 - 200;
    int y = GetSystemMetrics(SM_CYFULLSCREEN) / 2 - 200;
    HWND frame = CreateWindowExA(0, CONTROLS_FRAME_CLASS, CONTROLS_FRAME_TITLE, WS_OVERLAPPEDWINDOW, x,
                                 y, 0, 0, NULL, NULL, instance, NULL);
    ShowWindow(frame, SW_HIDE);

    ShowSheet(frame, instance);

    DestroyWindow(frame);
    if (SUCCEEDED(com))
        CoUninitialize();
    return 1;
}

LRESULT CALLBACK ControlsFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    return HandleSheetOwnerFrame(frame, message, wParam, lParam);
}
