// The names of folder entries, and when an ANSI spelling of one may be used.
// A name is never re-spelled: the ANSI code page best-fits what it cannot
// spell ("．．" reads as "..", "ｃｏｎ" as "con"), and the ANSI file
// functions read some names as devices ("nul", "com1.txt") or streams
// ("x:y"). On the roads with wide-character calls an entry is addressed by
// its own wide name relative to its folder's handle; an ANSI spelling (for
// the shell) is taken only when it reads back as exactly that name and the
// ANSI functions read it as that entry alone.
#ifndef LARKSPIRE_ENTRYNAMES_H
#define LARKSPIRE_ENTRYNAMES_H

#include <windows.h>

// The longest entry name of the file systems (in UTF-16 units).
const int kMaxNameLength = 255;

int WideLength(const WCHAR* text);
// Copies `from` after `length` characters of `to` (of `capacity`); false when
// it does not fit.
bool WideAppend(WCHAR* to, int length, int capacity, const WCHAR* from);
// Exactly the same characters.
bool WideEqual(const WCHAR* a, const WCHAR* b);

// "." or "..": the folder itself and its parent, never entries of it.
bool IsDotEntry(const WCHAR* name);

// True for a name that every file function reads as exactly one entry of a
// folder: no separator, wildcard, colon, quote, angle bracket, bar or control
// character, not only dots, no trailing dot or space, and no device name
// ("CON", "nul.txt", "COM1 ", "LPT¹"), however its case. In wide text.
bool IsPlainName(const WCHAR* name);
// The same for ANSI text (95 and 98, whose names are the file system's own).
bool IsPlainName(const char* name);

// The ANSI spelling of `wide` (`length` characters) into `out` of `capacity`
// bytes, zero-terminated, when the code page reads it back as `wide` exactly
// (no best fit, no default character). False otherwise, `out` empty.
bool ExactAnsi(const WCHAR* wide, int length, char* out, int capacity);

// The ANSI spelling by which an entry listed as `name` (with the short name
// `shortName`, "" when none) is addressed by path: its own name when that is
// plain and exact, else its short name when that is; into `out` of
// `capacity` bytes. False, `out` empty, when neither can be.
bool EntrySpelling(const WCHAR* name, const WCHAR* shortName, char* out, int capacity);
// The same on 95 and 98, from the find data of FindFirstFileA.
bool EntrySpelling(const WIN32_FIND_DATAA& entry, char* out, int capacity);

// A path from the system ("\\?\C:\...", "\\?\UNC\server\share\...",
// "C:\...") as a plain, exact ANSI path into `out` (MAX_PATH + 1 bytes);
// false when it cannot be spelled exactly, does not fit or has no root.
bool PlainPathFromWide(const WCHAR* wide, char* out);

#endif
