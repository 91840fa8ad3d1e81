// Paths handed to the ANSI file functions only where they name exactly the
// entry they came from. A wide or UTF-8 name that the code page cannot spell
// would be best-fitted to another name ("Ł" to "L", a full-width letter to
// its plain twin), which may be another folder altogether: such a path is not
// used at all.
#ifndef LARKSPIRE_ANSITEXT_H
#define LARKSPIRE_ANSITEXT_H

#include <windows.h>

// The ANSI spelling of `wide` into `out` (`capacity` bytes), when it converts
// back to exactly `wide`. False, with `out` empty, otherwise or when it does
// not fit.
bool ExactAnsi(const wchar_t* wide, char* out, int capacity);

// The same for `length` bytes of UTF-8 text. False too for text that is not
// UTF-8 or holds a control character (a zero byte included), which no file
// name holds.
bool ExactAnsiFromUtf8(const char* utf8, int length, char* out, int capacity);

#endif
