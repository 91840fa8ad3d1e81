#include "EntryNames.h"

#include "PathText.h"

int WideLength(const WCHAR* text)
{
    int length = 0;
    while (text[length] != L'\0')
        ++length;
    return length;
}

bool WideAppend(WCHAR* to, int length, int capacity, const WCHAR* from)
{
    int fromLength = WideLength(from);
    if (length + fromLength + 1 > capacity)
        return false;
    CopyMemory(to + length, from, (fromLength + 1) * sizeof(WCHAR));
    return true;
}

bool WideEqual(const WCHAR* a, const WCHAR* b)
{
    while (*a != L'\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

bool IsDotEntry(const WCHAR* name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

namespace {

unsigned Upper(unsigned c)
{
    return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
}

// Whether the `length` characters of `name` are `word`, without regard to
// case (ASCII letters only, as the device names are).
template <typename Char>
bool IsWord(const Char* name, int length, const char* word)
{
    int i = 0;
    for (; i < length && word[i] != '\0'; ++i)
        if (Upper(static_cast<unsigned>(name[i]) & 0xFFFFu) != static_cast<unsigned>(word[i]))
            return false;
    return i == length && word[i] == '\0';
}

// The ANSI functions read a name whose part before its first dot, trailing
// spaces taken off, is one of these as the device, in any folder.
template <typename Char>
bool IsDeviceNameOf(const Char* name)
{
    int length = 0;
    while (name[length] != 0 && name[length] != '.')
        ++length;
    while (length > 0 && name[length - 1] == ' ')
        --length;
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : devices)
        if (IsWord(name, length, device))
            return true;
    if (length != 4 || !(IsWord(name, 3, "COM") || IsWord(name, 3, "LPT")))
        return false;
    unsigned last = static_cast<unsigned>(name[3]) & 0xFFFFu;
    // The digits, and (in wide text) the superscript ones Windows also takes.
    return (last >= '0' && last <= '9') ||
           (sizeof(Char) == sizeof(WCHAR) && (last == 0x00B9 || last == 0x00B2 || last == 0x00B3));
}

template <typename Char>
bool IsPlainNameOf(const Char* name)
{
    if (name[0] == 0)
        return false;
    bool onlyDots = true;
    int length = 0;
    for (; name[length] != 0; ++length) {
        unsigned c = static_cast<unsigned>(name[length]) & 0xFFFFu;
        if (sizeof(Char) == 1)
            c &= 0xFFu;
        if (c < 32 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
            c == '>' || c == '|')
            return false;
        if (c != '.')
            onlyDots = false;
    }
    Char last = name[length - 1];
    return !onlyDots && last != '.' && last != ' ' && !IsDeviceNameOf(name);
}

} // namespace

bool IsPlainName(const WCHAR* name)
{
    return IsPlainNameOf(name);
}

bool IsPlainName(const char* name)
{
    // Bytes are tested one at a time: in a double-byte code page a trail byte
    // may look like a backslash, and the name is refused then, which is
    // merely cautious.
    return IsPlainNameOf(name);
}

bool ExactAnsi(const WCHAR* wide, int length, char* out, int capacity)
{
    const int kLongest = MAX_PATH + 16;
    if (capacity > 0)
        out[0] = '\0';
    if (length <= 0 || length > kLongest || capacity <= 1)
        return false;
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, out, capacity - 1, NULL, NULL);
    if (bytes <= 0) {
        out[0] = '\0';
        return false;
    }
    out[bytes] = '\0';
    // Read back: a best fit ("．" as ".") or a default character ("?")
    // reads as another name.
    WCHAR back[kLongest + 1];
    int backLength = MultiByteToWideChar(CP_ACP, 0, out, bytes, back, kLongest);
    bool same = backLength == length;
    for (int i = 0; same && i < length; ++i)
        same = back[i] == wide[i];
    if (!same)
        out[0] = '\0';
    return same;
}

bool EntrySpelling(const WCHAR* name, const WCHAR* shortName, char* out, int capacity)
{
    if (IsPlainName(name) && ExactAnsi(name, WideLength(name), out, capacity))
        return true;
    if (shortName[0] != L'\0' && IsPlainName(shortName) &&
        ExactAnsi(shortName, WideLength(shortName), out, capacity))
        return true;
    if (capacity > 0)
        out[0] = '\0';
    return false;
}

bool EntrySpelling(const WIN32_FIND_DATAA& entry, char* out, int capacity)
{
    const char* name = IsPlainName(entry.cFileName)           ? entry.cFileName
                       : IsPlainName(entry.cAlternateFileName) ? entry.cAlternateFileName
                                                                : NULL;
    if (name != NULL && lstrlenA(name) < capacity) {
        lstrcpyA(out, name);
        return true;
    }
    if (capacity > 0)
        out[0] = '\0';
    return false;
}

bool PlainPathFromWide(const WCHAR* wide, char* out)
{
    out[0] = '\0';
    WCHAR unc[MAX_PATH + 16];
    const WCHAR* path = wide;
    if (wide[0] == L'\\' && wide[1] == L'\\' && wide[2] == L'?' && wide[3] == L'\\') {
        path = wide + 4;
        if ((path[0] == L'U' || path[0] == L'u') && (path[1] == L'N' || path[1] == L'n') &&
            (path[2] == L'C' || path[2] == L'c') && path[3] == L'\\') {
            unc[0] = L'\\';
            unc[1] = L'\\';
            if (!WideAppend(unc, 2, MAX_PATH + 16, path + 4))
                return false;
            path = unc;
        }
    }
    if (!ExactAnsi(path, WideLength(path), out, kPathBuffer))
        return false;
    int root = RootLength(out);
    // Every folder of it must read as itself ("x." reads as "x").
    WCHAR component[kMaxNameLength + 1];
    int at = 0;
    for (int i = 0;; ++i) {
        WCHAR c = path[i];
        if (c == L'\\' || c == L'\0') {
            component[at] = L'\0';
            bool inRoot = i < root && !(path[0] == L'\\' && path[1] == L'\\');
            if (at > 0 && !inRoot && !IsPlainName(component)) {
                out[0] = '\0';
                return false;
            }
            at = 0;
            if (c == L'\0')
                break;
        } else if (at < kMaxNameLength) {
            component[at++] = c;
        } else {
            out[0] = '\0';
            return false;
        }
    }
    if (root == 0)
        out[0] = '\0';
    return root != 0;
}
