// Wide strings, by the number of each character.
#include "Runtime.h"

extern "C" {

size_t LS_RUNTIME_NAME(wcslen)(const wchar_t* text)
{
    const wchar_t* end = text;
    while (*end != L'\0')
        ++end;
    return static_cast<size_t>(end - text);
}

size_t LS_RUNTIME_NAME(wcsnlen)(const wchar_t* text, size_t limit)
{
    size_t length = 0;
    while (length < limit && text[length] != L'\0')
        ++length;
    return length;
}

int LS_RUNTIME_NAME(wcscmp)(const wchar_t* first, const wchar_t* second)
{
    return LS_RUNTIME_NAME(wcsncmp)(first, second, static_cast<size_t>(-1));
}

int LS_RUNTIME_NAME(wcsncmp)(const wchar_t* first, const wchar_t* second, size_t limit)
{
    for (size_t i = 0; i < limit; ++i) {
        if (first[i] != second[i])
            return first[i] < second[i] ? -1 : 1;
        if (first[i] == L'\0')
            break;
    }
    return 0;
}

wchar_t* LS_RUNTIME_NAME(wcschr)(const wchar_t* text, wchar_t value)
{
    for (;; ++text) {
        if (*text == value)
            return const_cast<wchar_t*>(text);
        if (*text == L'\0')
            return NULL;
    }
}

wchar_t* LS_RUNTIME_NAME(wcsrchr)(const wchar_t* text, wchar_t value)
{
    const wchar_t* found = NULL;
    for (;; ++text) {
        if (*text == value)
            found = text;
        if (*text == L'\0')
            return const_cast<wchar_t*>(found);
    }
}

wchar_t* LS_RUNTIME_NAME(wcscpy)(wchar_t* target, const wchar_t* source)
{
    wchar_t* to = target;
    while ((*to++ = *source++) != L'\0') {
    }
    return target;
}

wchar_t* LS_RUNTIME_NAME(wcsncpy)(wchar_t* target, const wchar_t* source, size_t size)
{
    size_t i = 0;
    for (; i < size && source[i] != L'\0'; ++i)
        target[i] = source[i];
    for (; i < size; ++i)
        target[i] = L'\0';
    return target;
}

} // extern "C"
