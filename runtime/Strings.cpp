// Narrow strings. Characters compare as unsigned bytes, as in the "C" locale.
#include "Runtime.h"

extern "C" {

size_t LS_RUNTIME_NAME(strlen)(const char* text)
{
    const char* end = text;
    while (*end != '\0')
        ++end;
    return static_cast<size_t>(end - text);
}

size_t LS_RUNTIME_NAME(strnlen)(const char* text, size_t limit)
{
    size_t length = 0;
    while (length < limit && text[length] != '\0')
        ++length;
    return length;
}

int LS_RUNTIME_NAME(strcmp)(const char* first, const char* second)
{
    return LS_RUNTIME_NAME(strncmp)(first, second, static_cast<size_t>(-1));
}

int LS_RUNTIME_NAME(strncmp)(const char* first, const char* second, size_t limit)
{
    const unsigned char* a = reinterpret_cast<const unsigned char*>(first);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(second);
    for (size_t i = 0; i < limit; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
        if (a[i] == '\0')
            break;
    }
    return 0;
}

char* LS_RUNTIME_NAME(strchr)(const char* text, int value)
{
    char wanted = static_cast<char>(value);
    for (;; ++text) {
        if (*text == wanted)
            return const_cast<char*>(text);
        if (*text == '\0')
            return NULL;
    }
}

char* LS_RUNTIME_NAME(strrchr)(const char* text, int value)
{
    char wanted = static_cast<char>(value);
    const char* found = NULL;
    for (;; ++text) {
        if (*text == wanted)
            found = text;
        if (*text == '\0')
            return const_cast<char*>(found);
    }
}

char* LS_RUNTIME_NAME(strstr)(const char* text, const char* part)
{
    size_t length = LS_RUNTIME_NAME(strlen)(part);
    for (; *text != '\0' || length == 0; ++text) {
        if (LS_RUNTIME_NAME(strncmp)(text, part, length) == 0)
            return const_cast<char*>(text);
    }
    return NULL;
}

char* LS_RUNTIME_NAME(strcpy)(char* target, const char* source)
{
    char* to = target;
    while ((*to++ = *source++) != '\0') {
    }
    return target;
}

char* LS_RUNTIME_NAME(strncpy)(char* target, const char* source, size_t size)
{
    size_t i = 0;
    for (; i < size && source[i] != '\0'; ++i)
        target[i] = source[i];
    for (; i < size; ++i)
        target[i] = '\0';
    return target;
}

char* LS_RUNTIME_NAME(strcat)(char* target, const char* source)
{
    LS_RUNTIME_NAME(strcpy)(target + LS_RUNTIME_NAME(strlen)(target), source);
    return target;
}

} // extern "C"
