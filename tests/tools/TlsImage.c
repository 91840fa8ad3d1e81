/* Not product code: a DLL that has a TLS directory, as the compiler's
   start-up objects give every image, and breaks no other rule of the image
   check. */
#include <windows.h>

int g_tlsStart __attribute__((section(".tls$AAA"))) = 0;
int g_tlsEnd __attribute__((section(".tls$ZZZ"))) = 0;
ULONG g_tlsIndex;
const IMAGE_TLS_DIRECTORY _tls_used = {
    (ULONG_PTR)&g_tlsStart, (ULONG_PTR)&g_tlsEnd, (ULONG_PTR)&g_tlsIndex, 0, 0, 0};

BOOL WINAPI Entry(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
