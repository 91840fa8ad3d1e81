// Where a program's arguments start in its command line.
#include "Runtime.h"

namespace lsrt {

char* ArgumentsOf(char* commandLine)
{
    // As the system's runtime finds it: a program name in quotes runs to the
    // next quote; one without, to the first blank or control character. The
    // bytes compare unsigned: characters above 127 are part of a name.
    unsigned char* at = reinterpret_cast<unsigned char*>(commandLine);
    if (*at == '"') {
        ++at;
        while (*at != '\0' && *at != '"')
            ++at;
        if (*at == '"')
            ++at;
    } else {
        while (*at > ' ')
            ++at;
    }
    while (*at != '\0' && *at <= ' ')
        ++at;
    return reinterpret_cast<char*>(at);
}

} // namespace lsrt
