// Counts that two threads change at once: the reference counts of the
// component server's objects and its count of live objects.
//
// On 32-bit Windows they go through kernel32's own InterlockedIncrement and
// InterlockedDecrement, which every version exports: the compiler's
// intrinsics of the same names need a 486 (xadd, cmpxchg), and Windows 95
// runs on a 386. Windows 95's functions return only the sign of the new
// count (negative, zero or positive), not the count itself: a caller decides
// on nothing but that sign. 64-bit Windows exports no such functions; its
// processors all have the instructions.
#ifndef LARKSPIRE_SHAREDCOUNT_H
#define LARKSPIRE_SHAREDCOUNT_H

#include <windows.h>

#ifndef _WIN64
// The import slots of the two functions (the import library offers them
// only so, the headers taking the names for the intrinsics).
extern "C" LONG(WINAPI* SystemInterlockedIncrement)(LONG volatile* count) __asm__("__imp__InterlockedIncrement@4");
extern "C" LONG(WINAPI* SystemInterlockedDecrement)(LONG volatile* count) __asm__("__imp__InterlockedDecrement@4");
#endif

// Adds one; the result has the sign of the new count (on Windows NT and 98
// it is the count).
inline LONG IncrementShared(LONG volatile* count)
{
#ifndef _WIN64
    return SystemInterlockedIncrement(count);
#else
    return InterlockedIncrement(count);
#endif
}

// Takes one away; the result is 0 exactly when the count has reached 0.
inline LONG DecrementShared(LONG volatile* count)
{
#ifndef _WIN64
    return SystemInterlockedDecrement(count);
#else
    return InterlockedDecrement(count);
#endif
}

// The count as it stands: an aligned 32-bit read is whole on every x86.
inline LONG ReadShared(const LONG volatile* count)
{
    return *count;
}

#endif
