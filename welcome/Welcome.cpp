// The wizard's start-up: its title font and picture, its classes, the sheet,
// the owner frame made only when the sheet cannot be shown without one.
#include "Welcome.h"

#include <objbase.h>

#include <stddef.h>

#include <new>

#include "FrameWindow.h"
#include "LinkControl.h"
#include "resource.h"

// The structure sizes that every comctl32 accepts, Windows 95's first one
// included; an array of pages is walked by each page's dwSize.
#if defined(_M_IX86) || defined(__i386__)
static_assert(sizeof(PROPSHEETPAGEA_V1) == 40, "PROPSHEETPAGE of comctl32 4.00");
static_assert(offsetof(PROPSHEETHEADERA, pfnCallback) + sizeof(PFNPROPSHEETCALLBACK) == 40,
              "PROPSHEETHEADER of comctl32 4.00");
#endif

namespace {

const int kPictureWidth = 120;
const int kPictureHeight = 227;
const int kPageCount = 4;

// The title font and the picture for as long as the program runs.
class WizardArt {
public:
    explicit WizardArt(HINSTANCE instance)
    {
        HDC screen = GetDC(NULL);
        int height = -MulDiv(14, screen != NULL ? GetDeviceCaps(screen, LOGPIXELSY) : 96, 72);
        if (screen != NULL)
            ReleaseDC(NULL, screen);
        WizardTitleFont = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                      DEFAULT_PITCH | FF_DONTCARE, "Arial");
        InitCommonControls();
        HBITMAP picture = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_WIZARD));
        WizardBitmapList =
            ImageList_Create(kPictureWidth, kPictureHeight, ImageListColorFlag(NULL) | ILC_MASK, 0, 2);
        if (WizardBitmapList != NULL && picture != NULL)
            ImageList_Add(WizardBitmapList, picture, NULL);
        if (picture != NULL)
            DeleteObject(picture);
    }
    ~WizardArt()
    {
        if (WizardBitmapList != NULL)
            ImageList_Destroy(WizardBitmapList);
        WizardBitmapList = NULL;
        if (WizardTitleFont != NULL)
            DeleteObject(WizardTitleFont);
        WizardTitleFont = NULL;
    }
    WizardArt(const WizardArt&) = delete;
    WizardArt& operator=(const WizardArt&) = delete;
};

// The owner frame, made only when it is needed, destroyed at the end.
class OwnerFrame {
public:
    OwnerFrame() : window_(NULL) {}
    ~OwnerFrame()
    {
        if (window_ != NULL)
            DestroyWindow(window_);
    }
    OwnerFrame(const OwnerFrame&) = delete;
    OwnerFrame& operator=(const OwnerFrame&) = delete;

    HWND Create(HINSTANCE instance, int x, int y)
    {
        window_ = CreateWindowExA(0, WELCOME_FRAME_CLASS, WELCOME_FRAME_TITLE, WS_OVERLAPPEDWINDOW, x, y, 0,
                                  0, NULL, NULL, instance, NULL);
        return window_;
    }

private:
    HWND window_;
};

void FillPage(PROPSHEETPAGEA_V1& page, HINSTANCE instance, UINT templateId, DLGPROC procedure)
{
    ZeroMemory(&page, sizeof(page));
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEA(templateId);
    page.pfnDlgProc = procedure;
}

} // namespace

int RunWelcome(HINSTANCE instance)
{
    WizardArt art(instance);
    // Registered already by an earlier wizard of this process: fine.
    RegisterFrameClass(instance, WELCOME_FRAME_CLASS, WelcomeFrameProc, CS_BYTEALIGNWINDOW);
    RegisterLinkClass(instance, WELCOME_POINTER_CURSOR);
    int x = GetSystemMetrics(SM_CXFULLSCREEN) / 2 - 300;
    int y = GetSystemMetrics(SM_CYFULLSCREEN) / 2 - 200;

    PROPSHEETPAGEA_V1* pages = new (std::nothrow) PROPSHEETPAGEA_V1[kPageCount];
    if (pages == NULL)
        return 1;
    FillPage(pages[0], instance, IDD_WELCOME, WelcomePageProc);
    FillPage(pages[1], instance, IDD_OPTIONS, WizardOptionsPageProc);
    FillPage(pages[2], instance, IDD_COMPONENTS, ComponentsPageProc);
    FillPage(pages[3], instance, IDD_COMPLETE, CompletePageProc);

    PROPSHEETHEADERA header;
    ZeroMemory(&header, sizeof(header));
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = PSH_WIZARD | PSH_PROPSHEETPAGE;
    header.hwndParent = NULL;
    header.hInstance = instance;
    header.nPages = kPageCount;
    header.nStartPage = 0;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(pages);

    HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    {
        OwnerFrame frame;
        if (PropertySheetA(&header) == -1) {
            header.hwndParent = frame.Create(instance, x, y);
            if (PropertySheetA(&header) == -1)
                MessageBoxA(NULL, WELCOME_ERROR_TEXT, WELCOME_ERROR_CAPTION, MB_ICONINFORMATION | MB_OK);
        }
        if (SUCCEEDED(com))
            CoUninitialize();
    }
    delete[] pages;
    return 1;
}

LRESULT CALLBACK WelcomeFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    return HandleSheetOwnerFrame(frame, message, wParam, lParam);
}
