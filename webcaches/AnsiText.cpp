#include "AnsiText.h"

namespace {

// Room for the wide form of any path the component uses.
const int kWideCapacity = MAX_PATH + 1;

bool SameWide(const wchar_t* a, const wchar_t* b)
{
    while (*a != L'\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

} // namespace

bool ExactAnsi(const wchar_t* wide, char* out, int capacity)
{
    if (capacity <= 0)
        return false;
    out[0] = '\0';
    BOOL usedDefault = FALSE;
    int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, out, capacity, NULL,
                                     &usedDefault);
    if (length <= 0 || usedDefault) {
        out[0] = '\0';
        return false;
    }
    // Back again: only a spelling that converts to the same text is exact
    // (a code page may still map two characters to one).
    wchar_t back[kWideCapacity];
    int backLength = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, out, -1, back, kWideCapacity);
    if (backLength <= 0 || !SameWide(back, wide)) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool ExactAnsiFromUtf8(const char* utf8, int length, char* out, int capacity)
{
    if (capacity <= 0)
        return false;
    out[0] = '\0';
    for (int i = 0; i < length; ++i)
        if (static_cast<unsigned char>(utf8[i]) < 0x20 || utf8[i] == 0x7f)
            return false;
    wchar_t wide[kWideCapacity];
    int wideLength = length == 0 ? 0
                                 : MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, length, wide,
                                                       kWideCapacity - 1);
    if (length != 0 && wideLength <= 0)
        return false;
    wide[wideLength] = L'\0';
    return ExactAnsi(wide, out, capacity);
}
