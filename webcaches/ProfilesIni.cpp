#include "ProfilesIni.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// `text` of `length` bytes without blanks at both ends.
void Trim(const char*& text, int& length)
{
    while (length > 0 && IsBlank(text[0])) {
        ++text;
        --length;
    }
    while (length > 0 && IsBlank(text[length - 1]))
        --length;
}

// Firefox reads its keys and section names as written, case included.
bool Equals(const char* text, int length, const char* word)
{
    int i = 0;
    while (i < length && word[i] != '\0' && text[i] == word[i])
        ++i;
    return i == length && word[i] == '\0';
}

// "Profile" and one or more digits, as Firefox names the sections.
bool IsProfileSection(const char* name, int length)
{
    const int prefix = 7;
    if (length <= prefix || !Equals(name, prefix, "Profile"))
        return false;
    for (int i = prefix; i < length; ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    return true;
}

// Whether the `length` characters at `text` are "Path" or its beginning.
bool StartsPath(const char* text, int length)
{
    static const char path[] = "Path";
    if (length == 0 || length > 4)
        return false;
    for (int i = 0; i < length; ++i)
        if (text[i] != path[i])
            return false;
    return true;
}

} // namespace

ProfilesIniReader::ProfilesIniReader(IniProfileVisitor& visitor)
    : visitor_(visitor), lineLength_(0), lineTooLong_(false), inProfile_(false), damaged_(false),
      relative_(false), hasPath_(false), pathLength_(0)
{
}

void ProfilesIniReader::Feed(const char* data, DWORD size)
{
    for (DWORD i = 0; i < size; ++i) {
        char c = data[i];
        if (c == '\n' || c == '\r') {
            if (lineTooLong_) {
                if (inProfile_)
                    damaged_ = true;
            } else {
                Line(line_, lineLength_);
            }
            lineLength_ = 0;
            lineTooLong_ = false;
        } else if (lineLength_ < kMaxLine) {
            line_[lineLength_++] = c;
        } else {
            lineTooLong_ = true;
        }
    }
}

void ProfilesIniReader::Finish()
{
    // A last line without its line break may have been cut, and is not read.
    // Cut where a second "Path" was being written, it leaves the section's
    // path in doubt: the section is dropped. Any other entry cut short
    // changes nothing that is read.
    const char* last = line_;
    int length = lineLength_;
    Trim(last, length);
    int key = 0;
    while (key < length && last[key] != '=')
        ++key;
    while (key > 0 && IsBlank(last[key - 1]))
        --key;
    if (inProfile_ && (lineTooLong_ || StartsPath(last, key)))
        damaged_ = true;
    lineLength_ = 0;
    lineTooLong_ = false;
    EndSection();
}

void ProfilesIniReader::Line(const char* line, int length)
{
    Trim(line, length);
    if (length == 0 || line[0] == ';' || line[0] == '#')
        return;
    if (line[0] == '[') {
        EndSection();
        int close = 1;
        while (close < length && line[close] != ']')
            ++close;
        // A header without its bracket names no section: what follows
        // belongs to none.
        inProfile_ = close < length && IsProfileSection(line + 1, close - 1);
        return;
    }
    if (!inProfile_)
        return;
    int equals = 0;
    while (equals < length && line[equals] != '=')
        ++equals;
    if (equals == length)
        return; // not an entry; Firefox passes such lines over too
    const char* key = line;
    int keyLength = equals;
    const char* value = line + equals + 1;
    int valueLength = length - equals - 1;
    Trim(key, keyLength);
    Trim(value, valueLength);
    if (Equals(key, keyLength, "IsRelative")) {
        relative_ = Equals(value, valueLength, "1");
    } else if (Equals(key, keyLength, "Path")) {
        CopyMemory(path_, value, valueLength);
        path_[valueLength] = '\0';
        pathLength_ = valueLength;
        hasPath_ = true;
        // A zero byte would end the path early: it would name another folder.
        for (int i = 0; i < valueLength; ++i)
            if (value[i] == '\0')
                damaged_ = true;
    }
}

void ProfilesIniReader::EndSection()
{
    if (inProfile_ && hasPath_ && !damaged_ && pathLength_ > 0) {
        IniProfile profile = {relative_, path_, pathLength_};
        visitor_.Profile(profile);
    }
    inProfile_ = false;
    damaged_ = false;
    relative_ = false;
    hasPath_ = false;
    pathLength_ = 0;
}

void ReadProfilesIni(const char* path, IniProfileVisitor& visitor)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    ProfilesIniReader reader(visitor);
    char buffer[16384];
    DWORD total = 0;
    DWORD read = 0;
    bool whole = false;
    while (total < kMaxIniBytes) {
        if (!ReadFile(file, buffer, sizeof(buffer), &read, NULL))
            break;
        if (read == 0) {
            whole = true;
            break;
        }
        if (read > kMaxIniBytes - total)
            read = kMaxIniBytes - total;
        reader.Feed(buffer, read);
        total += read;
    }
    CloseHandle(file);
    // A file read only in part lists only the sections that ended before.
    if (whole)
        reader.Finish();
}
