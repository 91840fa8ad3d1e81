// What compiled C++ and the system's headers expect of a runtime besides its
// functions: the nothrow tag, the handler of a pure virtual call, the import
// pointers the headers' declarations of _snprintf and _vsnprintf refer to,
// and the names the headers give the standard snprintf and vsnprintf.
#include <windows.h>

#include <new>

#include "Runtime.h"

namespace std {
const nothrow_t nothrow{};
}

// Called only through an object whose construction or destruction is under
// way: a fault in the program, which then ends.
extern "C" void __cxa_pure_virtual(void)
{
    ExitProcess(3);
}

#define LS_TEXT(text) #text
#define LS_SYMBOL_TEXT(text) LS_TEXT(text)
#define LS_IMPORT(name) "__imp_" LS_SYMBOL_TEXT(__USER_LABEL_PREFIX__) #name

typedef int (*FormatCall)(char*, size_t, const char*, ...);
typedef int (*FormatListCall)(char*, size_t, const char*, va_list);
extern "C" {
extern const FormatCall g_importSnprintf __asm__(LS_IMPORT(_snprintf));
extern const FormatListCall g_importVsnprintf __asm__(LS_IMPORT(_vsnprintf));
const FormatCall g_importSnprintf = _snprintf;
const FormatListCall g_importVsnprintf = _vsnprintf;

int __mingw_vsnprintf(char* buffer, size_t count, const char* format, va_list arguments)
{
    return vsnprintf(buffer, count, format, arguments);
}

int __mingw_snprintf(char* buffer, size_t count, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    int length = vsnprintf(buffer, count, format, arguments);
    va_end(arguments);
    return length;
}
} // extern "C"
