// Memory blocks: copy, move, fill, compare, search. Copies and fills run as
// string instructions, four bytes at a time and the rest byte by byte, which
// every x86 processor from the 386 on executes and the newer ones speed up.
#include "Runtime.h"

extern "C" {

void* LS_RUNTIME_NAME(memcpy)(void* target, const void* source, size_t size)
{
    void* to = target;
    const void* from = source;
    size_t words = size / 4;
    size_t bytes = size % 4;
    __asm__ __volatile__("rep movsl" : "+D"(to), "+S"(from), "+c"(words) : : "memory");
    __asm__ __volatile__("rep movsb" : "+D"(to), "+S"(from), "+c"(bytes) : : "memory");
    return target;
}

void* LS_RUNTIME_NAME(memmove)(void* target, const void* source, size_t size)
{
    unsigned char* to = static_cast<unsigned char*>(target);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    // A target that starts inside the source is copied from the end, so that
    // no byte is overwritten before it has been read.
    if (to <= from || to >= from + size)
        return LS_RUNTIME_NAME(memcpy)(target, source, size);
    while (size != 0) {
        --size;
        to[size] = from[size];
    }
    return target;
}

void* LS_RUNTIME_NAME(memset)(void* target, int value, size_t size)
{
    void* to = target;
    unsigned int byte = static_cast<unsigned char>(value);
    unsigned int pattern = byte * 0x01010101u;
    size_t words = size / 4;
    size_t bytes = size % 4;
    __asm__ __volatile__("rep stosl" : "+D"(to), "+c"(words) : "a"(pattern) : "memory");
    __asm__ __volatile__("rep stosb" : "+D"(to), "+c"(bytes) : "a"(pattern) : "memory");
    return target;
}

int LS_RUNTIME_NAME(memcmp)(const void* first, const void* second, size_t size)
{
    const unsigned char* a = static_cast<const unsigned char*>(first);
    const unsigned char* b = static_cast<const unsigned char*>(second);
    for (size_t i = 0; i < size; ++i)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return 0;
}

void* LS_RUNTIME_NAME(memchr)(const void* block, int value, size_t size)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(block);
    unsigned char wanted = static_cast<unsigned char>(value);
    for (size_t i = 0; i < size; ++i)
        if (bytes[i] == wanted)
            return const_cast<unsigned char*>(bytes + i);
    return NULL;
}

} // extern "C"
