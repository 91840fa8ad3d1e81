/* Not product code: a DLL that keeps every rule of the image check, built
   for the 386 from code that an i686 compiler would give newer instructions
   (conditional moves, atomics). */
#include <windows.h>

LONG g_count;

int Larger(int a, int b)
{
    return a > b ? a : b;
}

BOOL WINAPI Entry(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reserved;
    InterlockedExchange(&g_count, Larger((int)reason, 2));
    return TRUE;
}
