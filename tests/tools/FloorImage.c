/* Not product code: a DLL whose code holds instructions that came after the
   386, each once, among instructions the 386 and its 387 execute; otherwise
   it breaks no rule of the image check (no TLS directory, kernel32 alone). */
#include <windows.h>

int Newer(int a, int b)
{
    int result = a;
    __asm__ __volatile__("cmpl %2, %1\n\tcmove %2, %0" : "+r"(result) : "r"(a), "r"(b));  /* Pentium Pro */
    __asm__ __volatile__("lock cmpxchgl %2, %1" : "+a"(a), "+m"(result) : "r"(b));       /* 486 */
    __asm__ __volatile__("lock xaddl %0, %1" : "+r"(b), "+m"(result));                   /* 486 */
    __asm__ __volatile__("bswap %0" : "+r"(result));                                      /* 486 */
    __asm__ __volatile__("rdtsc" : : : "eax", "edx");                                     /* Pentium */
    __asm__ __volatile__("nopl 0(%eax)");                                                 /* Pentium Pro */
    return result + b;
}

int Older(int a, double x)
{
    char buffer[8];
    __asm__ __volatile__("cld\n\trep stosb" : : "D"(buffer), "c"(8), "a"(0) : "memory");
    __asm__ __volatile__("xchgl %0, %0\n\tbsfl %0, %0" : "+r"(a));
    return a + (int)(x * 3.0) + buffer[1];
}

BOOL WINAPI Entry(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reserved;
    return reason != 0 || Newer(1, 2) + Older(3, 4.0) != 0;
}
