// The standard conversions as the "C" locale makes them: each byte is the
// character of the same number (0 to 255) and back; a wide character above
// 255 has no narrow form. A conversion stops after its terminating zero or
// after `count` characters, whichever comes first, and then writes no zero.
#include "Runtime.h"

extern "C" {

size_t LS_RUNTIME_NAME(mbstowcs)(wchar_t* target, const char* source, size_t count)
{
    if (target == NULL)
        return LS_RUNTIME_NAME(strlen)(source);
    size_t written = 0;
    for (; written < count; ++written) {
        unsigned char byte = static_cast<unsigned char>(source[written]);
        target[written] = static_cast<wchar_t>(byte);
        if (byte == 0)
            break;
    }
    return written;
}

size_t LS_RUNTIME_NAME(wcstombs)(char* target, const wchar_t* source, size_t count)
{
    const size_t kNoForm = static_cast<size_t>(-1);
    // Asked only for the length, the runtime of the system counts the
    // characters without judging them.
    if (target == NULL)
        return LS_RUNTIME_NAME(wcslen)(source);
    size_t written = 0;
    for (; written < count; ++written) {
        unsigned long character = static_cast<unsigned long>(source[written]);
        if (character > 255)
            return kNoForm;
        target[written] = static_cast<char>(character);
        if (character == 0)
            break;
    }
    return written;
}

int LS_RUNTIME_NAME(atoi)(const char* text)
{
    // The blanks of the "C" locale: space, tab, line feed, vertical tab, form
    // feed, carriage return.
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    unsigned int value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10 + static_cast<unsigned int>(*text - '0');
    return static_cast<int>(negative ? 0u - value : value);
}

} // extern "C"
