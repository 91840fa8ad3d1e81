// Whether a browser runs with a profile: a running browser holds its lock
// file open (Chromium's "lockfile" in its user data folder, Firefox's
// "parent.lock" in the profile) and shares it with no writer; the file goes
// when the browser ends, or stays unheld after a crash.
#ifndef LARKSPIRE_PROFILELOCK_H
#define LARKSPIRE_PROFILELOCK_H

// True when `lockFile` exists and cannot be opened for writing: held by a
// running browser. Also true when it cannot be opened for any other reason
// (no access, not a file), since then a running browser cannot be ruled out.
// False when there is no such file, or it opens: nobody holds it.
bool ProfileLocked(const char* lockFile);

#endif
