// The functions to run at exit: the destructors of static objects, which the
// compiler registers with atexit as their constructors finish, and any a
// program registers itself. They are registered while the image starts, on
// the thread that starts it; the table holds a fixed number.
#include "Runtime.h"

namespace {

const int kExitHandlers = 32;
void (*g_handlers[kExitHandlers])(void);
int g_handlerCount = 0;

} // namespace

extern "C" int LS_RUNTIME_NAME(atexit)(void (*handler)(void))
{
    if (handler == NULL || g_handlerCount == kExitHandlers)
        return -1;
    g_handlers[g_handlerCount++] = handler;
    return 0;
}

namespace lsrt {

void RunExitHandlers()
{
    // A handler may register another: it runs too, before the earlier ones.
    while (g_handlerCount > 0) {
        void (*handler)(void) = g_handlers[--g_handlerCount];
        g_handlers[g_handlerCount] = NULL;
        handler();
    }
}

} // namespace lsrt
