// Firefox's list of profiles, profiles.ini: a [ProfileN] section for each
// profile, whose "Path" names its folder, relative to the folder of the file
// when "IsRelative" is 1, else absolute. The file is another program's and
// may be damaged in any way: it is read as a stream of lines of bounded
// length, and a section with anything wrong in it lists no profile.
#ifndef LARKSPIRE_PROFILESINI_H
#define LARKSPIRE_PROFILESINI_H

#include <windows.h>

// One profile as the file lists it.
struct IniProfile {
    bool relative;    // "IsRelative=1"
    const char* path; // "Path", as stored (UTF-8), without surrounding blanks
    int pathLength;   // in bytes; the text holds no zero byte
};

class IniProfileVisitor {
public:
    virtual void Profile(const IniProfile& profile) = 0;

protected:
    ~IniProfileVisitor() {}
};

// Reads profiles.ini text piece by piece and hands each profile on when its
// section ends. A section lists a profile when its name is "Profile" and a
// number, it has a "Path", and none of its lines was too long. The last line
// is read only when a line break ends it: a file cut short may have cut a
// path; a section whose last line may be a second "Path" cut short lists
// nothing.
class ProfilesIniReader {
public:
    explicit ProfilesIniReader(IniProfileVisitor& visitor);
    ProfilesIniReader(const ProfilesIniReader&) = delete;
    ProfilesIniReader& operator=(const ProfilesIniReader&) = delete;

    void Feed(const char* data, DWORD size);
    // The end of the text: the open section is handed on.
    void Finish();

    // Longer lines are never a valid entry: a path holds at most MAX_PATH
    // characters.
    static const int kMaxLine = 1024;

private:
    void Line(const char* line, int length);
    void EndSection();

    IniProfileVisitor& visitor_;
    char line_[kMaxLine + 1];
    int lineLength_;
    bool lineTooLong_;
    bool inProfile_;      // in a [ProfileN] section
    bool damaged_;        // that section holds a line that cannot be trusted
    bool relative_;
    bool hasPath_;
    char path_[kMaxLine + 1];
    int pathLength_;
};

// Reads the file `path` (at most kMaxIniBytes of it) and hands each profile to
// `visitor`. A file that cannot be read lists no profile.
void ReadProfilesIni(const char* path, IniProfileVisitor& visitor);

// No profiles.ini is anywhere near this long; a longer file (or a link to
// an endless device) is read no further.
const DWORD kMaxIniBytes = 4 * 1024 * 1024;

#endif
