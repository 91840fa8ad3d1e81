#include "CommonControls.h"

#include <commctrl.h>

CommonControls::CommonControls(DWORD classes) : module_(LoadLibraryA("comctl32.dll"))
{
    typedef BOOL(WINAPI * InitFunction)(const INITCOMMONCONTROLSEX*);
    InitFunction init = reinterpret_cast<InitFunction>(Function("InitCommonControlsEx"));
    if (init == NULL)
        return;
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof(controls);
    controls.dwICC = classes;
    init(&controls);
}

CommonControls::~CommonControls()
{
    if (module_ != NULL)
        FreeLibrary(module_);
}

FARPROC CommonControls::Function(const char* name) const
{
    return module_ != NULL ? GetProcAddress(module_, name) : NULL;
}
