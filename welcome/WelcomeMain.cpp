// The introduction wizard's entry point, LSWelcome.exe.
#include <windows.h>

#include "Welcome.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunWelcome(instance);
}
