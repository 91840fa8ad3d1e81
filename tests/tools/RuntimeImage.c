/* Not product code: a DLL that imports from the C runtime DLL, msvcrt.dll,
   and breaks no other rule of the image check. */
#include <windows.h>

__declspec(dllimport) size_t __cdecl strlen(const char* text);

BOOL WINAPI Entry(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reserved;
    return strlen((const char*)reserved) != reason;
}
