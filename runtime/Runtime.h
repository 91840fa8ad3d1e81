// The small C runtime of the shipped images: the memory, string, conversion
// and formatting functions the product calls, with the behaviour the system's
// C runtime gives them in the "C" locale, so that the images need no C
// runtime DLL (Windows 95 as first shipped has none). Memory comes from the
// process heap; nothing here keeps state but the exit handlers of Startup.cpp.
//
// The deliverables link these under their standard names. The runtime's test
// compiles the same sources with LS_RUNTIME_TEST defined: every function then
// carries the prefix "lsrt_" and is compared with the system's own.
#ifndef LARKSPIRE_RUNTIME_H
#define LARKSPIRE_RUNTIME_H

#include <stdarg.h>
#include <stddef.h>

#ifdef LS_RUNTIME_TEST
#define LS_RUNTIME_NAME(name) lsrt_##name
#else
#define LS_RUNTIME_NAME(name) name
#endif

extern "C" {

// Memory blocks (Memory.cpp).
void* LS_RUNTIME_NAME(memcpy)(void* target, const void* source, size_t size);
void* LS_RUNTIME_NAME(memmove)(void* target, const void* source, size_t size);
void* LS_RUNTIME_NAME(memset)(void* target, int value, size_t size);
int LS_RUNTIME_NAME(memcmp)(const void* first, const void* second, size_t size);
void* LS_RUNTIME_NAME(memchr)(const void* block, int value, size_t size);

// Narrow strings (Strings.cpp).
size_t LS_RUNTIME_NAME(strlen)(const char* text);
size_t LS_RUNTIME_NAME(strnlen)(const char* text, size_t limit);
int LS_RUNTIME_NAME(strcmp)(const char* first, const char* second);
int LS_RUNTIME_NAME(strncmp)(const char* first, const char* second, size_t limit);
char* LS_RUNTIME_NAME(strchr)(const char* text, int value);
char* LS_RUNTIME_NAME(strrchr)(const char* text, int value);
char* LS_RUNTIME_NAME(strstr)(const char* text, const char* part);
char* LS_RUNTIME_NAME(strcpy)(char* target, const char* source);
char* LS_RUNTIME_NAME(strncpy)(char* target, const char* source, size_t size);
char* LS_RUNTIME_NAME(strcat)(char* target, const char* source);

// Wide strings (WideStrings.cpp).
size_t LS_RUNTIME_NAME(wcslen)(const wchar_t* text);
size_t LS_RUNTIME_NAME(wcsnlen)(const wchar_t* text, size_t limit);
int LS_RUNTIME_NAME(wcscmp)(const wchar_t* first, const wchar_t* second);
int LS_RUNTIME_NAME(wcsncmp)(const wchar_t* first, const wchar_t* second, size_t limit);
wchar_t* LS_RUNTIME_NAME(wcschr)(const wchar_t* text, wchar_t value);
wchar_t* LS_RUNTIME_NAME(wcsrchr)(const wchar_t* text, wchar_t value);
wchar_t* LS_RUNTIME_NAME(wcscpy)(wchar_t* target, const wchar_t* source);
wchar_t* LS_RUNTIME_NAME(wcsncpy)(wchar_t* target, const wchar_t* source, size_t size);

// The standard conversions in the "C" locale (Conversions.cpp): a byte is
// the character of the same number, and a wide character above 255 has no
// multibyte form ((size_t)-1). Without a target, the length of the source.
size_t LS_RUNTIME_NAME(mbstowcs)(wchar_t* target, const char* source, size_t count);
size_t LS_RUNTIME_NAME(wcstombs)(char* target, const wchar_t* source, size_t count);
// A decimal number after blanks and a sign; digits past the range wrap.
int LS_RUNTIME_NAME(atoi)(const char* text);

// Formatting (Format.cpp). The underscore forms write at most `count`
// characters and end the text with a zero only where it fits, returning -1
// when the text was cut; the standard forms always end it with a zero (when
// count is not 0) and return the length the whole text has. Integers,
// characters, strings and pointers are formatted; a floating-point or wide
// conversion is written out as its own text.
int LS_RUNTIME_NAME(_vsnprintf)(char* buffer, size_t count, const char* format, va_list arguments);
int LS_RUNTIME_NAME(_snprintf)(char* buffer, size_t count, const char* format, ...);
int LS_RUNTIME_NAME(vsnprintf)(char* buffer, size_t count, const char* format, va_list arguments);
int LS_RUNTIME_NAME(snprintf)(char* buffer, size_t count, const char* format, ...);

// The process heap (Heap.cpp).
void* LS_RUNTIME_NAME(malloc)(size_t size);
void* LS_RUNTIME_NAME(calloc)(size_t count, size_t size);
void* LS_RUNTIME_NAME(realloc)(void* block, size_t size);
void LS_RUNTIME_NAME(free)(void* block);

// Functions run at exit, last registered first (Exit.cpp); 0 when taken.
int LS_RUNTIME_NAME(atexit)(void (*handler)(void));

} // extern "C"

namespace lsrt {

// The start of a program's arguments in its command line: after the
// program's own name (quoted or not) and the blanks that follow it. What a
// program's WinMain receives.
char* ArgumentsOf(char* commandLine);

// Runs the handlers that atexit took, last first, each once.
void RunExitHandlers();

// Runs the static constructors of the image, and registers the destructors
// for exit.
void RunConstructors();

} // namespace lsrt

#endif
