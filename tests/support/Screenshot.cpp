// Pictures of windows as the screen shows them, saved as BMP files.
#include "Screenshot.h"

#include <stdio.h>

#include <string>

namespace {

std::string g_folder = ".";

bool UseDesktop(const char* name)
{
    DWORD started = GetTickCount();
    for (;;) {
        HDESK desktop = OpenDesktopA(name, 0, FALSE, GENERIC_ALL);
        if (desktop != NULL)
            return SetThreadDesktop(desktop) != FALSE;
        if (GetTickCount() - started > 10000)
            return false;
        Sleep(100);
    }
}

} // namespace

int StartPictures(int argc, char** argv, const char* program)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s <output folder> [desktop]\n", program);
        return 2;
    }
    if (argc > 2 && !UseDesktop(argv[2])) {
        fprintf(stderr, "%s: no desktop %s\n", program, argv[2]);
        return 1;
    }
    g_folder = argv[1];
    return 0;
}

// Writes what the screen shows of `window` as a 24-bit BMP.
bool SaveWindow(HWND window, const char* name)
{
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    MSG message;
    DWORD until = GetTickCount() + 300;
    while (GetTickCount() < until) {
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(10);
    }
    RECT rect;
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    int stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<size_t>(stride) * height, '\0');
    GetDIBits(memory, bitmap, 0, height, &pixels[0], reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4d42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string path = g_folder + "\\" + name + ".bmp";
    FILE* out = fopen(path.c_str(), "wb");
    if (out == NULL)
        return false;
    fwrite(&file, sizeof(file), 1, out);
    fwrite(&info, sizeof(info), 1, out);
    fwrite(pixels.data(), 1, pixels.size(), out);
    fclose(out);
    printf("saved %s (%dx%d)\n", path.c_str(), width, height);
    return true;
}

