// Not product code: an image made only to show that the check of the
// deliverables' import and export tables catches what it must. It imports a
// function that Windows 95 and NT 4.0 lack, imports from a DLL that is not
// the system's own, and exports a decorated name (see BadImage.def).
#include <windows.h>

extern "C" __declspec(dllimport) ULONGLONG WINAPI GetTickCount64(void);
extern "C" __declspec(dllimport) int WINAPI HelperValue(void);

extern "C" int Ticks(void)
{
    return static_cast<int>(GetTickCount64()) + HelperValue();
}
