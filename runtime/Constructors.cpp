// The static constructors and destructors of an image, from the lists the
// linker makes of them: each list starts with -1 (or its length) and ends
// with 0; the constructors run from the end of their list to its start, the
// destructors at exit in the order of theirs.
#include "Runtime.h"

typedef void (*StaticFunction)(void);
extern "C" StaticFunction __CTOR_LIST__[];
extern "C" StaticFunction __DTOR_LIST__[];

namespace {

void RunDestructors()
{
    for (StaticFunction* entry = __DTOR_LIST__ + 1; *entry != NULL; ++entry)
        (*entry)();
}

} // namespace

namespace lsrt {

void RunConstructors()
{
    size_t count = 0;
    while (__CTOR_LIST__[count + 1] != NULL)
        ++count;
    for (; count > 0; --count)
        __CTOR_LIST__[count]();
    LS_RUNTIME_NAME(atexit)(RunDestructors);
}

} // namespace lsrt
