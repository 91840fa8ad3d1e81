// What the system's shell takes among the flags of SHFileOperationA.
#ifndef LARKSPIRE_SHELLFLAGS_H
#define LARKSPIRE_SHELLFLAGS_H

#include <windows.h>
#include <shellapi.h>

// FOF_NO_CONNECTED_ELEMENTS where the shell is version 5.0 or later, which
// moves "x.htm" together with its folder "x_files" unless told not to; 0 for
// the 4.x shells of Windows 95, 98 and NT 4.0, which know no connected files
// and no such flag.
FILEOP_FLAGS NoConnectedElementsFlag();

// The version of a shell32 module, MAKELONG(minor, major), from its
// DllGetVersion; 4.0 where it has none (shell32 4.00) or that call fails.
DWORD ShellVersionOf(HMODULE shell);

// The tests' seam: the shell's version as `call` reports it (NULL: the
// system's shell32). Returns the call used so far.
typedef DWORD (*ShellVersionCall)();
ShellVersionCall UseShellVersion(ShellVersionCall call);

#endif
