// Paths as text: what an absolute path is, its root, its folders, and how
// names join to one. Nothing here decides what a path may be cleaned by:
// the walkers judge the folder a path leads to, not how it reads.
#ifndef LARKSPIRE_PATHTEXT_H
#define LARKSPIRE_PATHTEXT_H

#include <windows.h>

// Buffers of the walkers' ANSI paths: 260 characters and the zero.
const int kPathBuffer = MAX_PATH + 1;

bool IsSlash(char c);
bool IsDriveLetter(char c);
bool HasWildcard(const char* text);

// Makes `path` absolute and canonical (no "." or "..", backslashes only) into
// `full` (kPathBuffer bytes). Fails for relative, device and over-long paths
// and for paths holding a wildcard ("?", "*"), a stream name (":") or one
// of `"<>|`.
bool CanonicalAbsolutePath(const char* path, char* full);

// Length of the root of a canonical path: 3 for "C:\", the length of
// "\\server\share\" for a UNC path (that of "\\server\share" without its
// backslash when nothing follows), 0 when it has neither form.
int RootLength(const char* full);

// Length of `path` without trailing backslashes, but keeping "C:\".
int TrimmedLength(const char* path);

// `path` without its trailing backslashes (a drive root keeps its own) into
// `bare` (kPathBuffer bytes). Links show as links only in this form: a path
// with a trailing backslash is read through the link.
void BarePath(const char* path, char* bare);

// "\\server" or "\\server\share", with or without trailing backslashes.
bool IsShareRoot(const char* full);

// Folder, a backslash unless the folder ends in one, the name and `tail`
// ("" or "\\"), into `out` of `capacity` bytes. False, with `out` empty, when
// it does not fit: a path cut short could name another entry.
bool JoinName(char* out, int capacity, const char* folder, const char* name, const char* tail);

// Cuts the last folder off the bare canonical path `folder` in place (the
// root keeps its backslash). False, unchanged, when it is a root already.
bool UpOneFolder(char* folder);

// The folder holding `path` (no trailing backslash; a root keeps its own)
// into `parent` (kPathBuffer bytes). False for a root or a path without one.
bool ParentFolder(const char* path, char* parent);

// The number of folders below the root in `path`: 0 for "C:\", 2 for
// "C:\WINDOWS\SYSTEM".
int Depth(const char* path);

// True when `folder` names `other` or a folder above it, compared without
// regard to case or trailing backslashes.
bool IsAtOrAbove(const char* folder, const char* other);

// Long form of a canonical path (every 8.3 name of an existing folder or
// file expanded), found one component at a time as every Windows allows; the
// rest of the path is kept as given from the first component that does not
// exist. How 95 and 98, which know folders only by name, compare them.
void LongForm(const char* full, char* out);

#endif
