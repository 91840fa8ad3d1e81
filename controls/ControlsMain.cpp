// The settings applet's entry point, installed and started as "LS5Panel.exe".
#include <windows.h>

#include "Controls.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return RunControls(instance);
}
