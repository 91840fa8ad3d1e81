// Not product code: the DLL that bad_image.dll imports from, one that is not
// a DLL of the system's own.
#include <windows.h>

extern "C" __declspec(dllexport) int WINAPI HelperValue(void)
{
    return 1;
}
