// The allocation functions of the deliverables. The code allocates only with
// new (std::nothrow), and a failure becomes E_OUTOFMEMORY or a skipped entry;
// these take the place of the C++ runtime's versions, which would bring its
// exception machinery (and the thread calls it needs) into every image. There
// is no throwing operator new: a plain new does not link.
#include <stdlib.h>

#include <new>

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return malloc(size != 0 ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return malloc(size != 0 ? size : 1);
}

void operator delete(void* block) noexcept
{
    free(block);
}

void operator delete[](void* block) noexcept
{
    free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    free(block);
}
