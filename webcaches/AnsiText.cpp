#include "AnsiText.h"

#include "EntryNames.h"

namespace {

// Room for the wide form of any path the component uses.
const int kWideCapacity = MAX_PATH + 1;

} // namespace

bool ExactAnsi(const wchar_t* wide, char* out, int capacity)
{
    int length = 0;
    while (wide[length] != L'\0')
        ++length;
    if (length == 0) {
        if (capacity > 0)
            out[0] = '\0';
        return capacity > 0;
    }
    // The walkers' own test: the spelling reads back as exactly `wide`.
    return ExactAnsi(wide, length, out, capacity);
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
