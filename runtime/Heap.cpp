// Memory from the process heap, which every Windows serializes between
// threads. A failed allocation returns NULL, as does a count and size whose
// product does not fit.
#include <windows.h>

#include "Runtime.h"

extern "C" {

void* LS_RUNTIME_NAME(malloc)(size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1);
}

void* LS_RUNTIME_NAME(calloc)(size_t count, size_t size)
{
    if (size != 0 && count > static_cast<size_t>(-1) / size)
        return NULL;
    size_t total = count * size;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, total != 0 ? total : 1);
}

void* LS_RUNTIME_NAME(realloc)(void* block, size_t size)
{
    if (block == NULL)
        return LS_RUNTIME_NAME(malloc)(size);
    if (size == 0) {
        LS_RUNTIME_NAME(free)(block);
        return NULL;
    }
    return HeapReAlloc(GetProcessHeap(), 0, block, size);
}

void LS_RUNTIME_NAME(free)(void* block)
{
    if (block != NULL)
        HeapFree(GetProcessHeap(), 0, block);
}

} // extern "C"
