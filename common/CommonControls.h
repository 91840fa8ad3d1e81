// The common controls library, loaded only while it is needed. The resident
// Agent and the component server it loads would otherwise carry the library
// (over a megabyte under Wine) between the moments that show a control of it.
#ifndef LARKSPIRE_COMMONCONTROLS_H
#define LARKSPIRE_COMMONCONTROLS_H

#include <windows.h>

class CommonControls {
public:
    // Loads the library and registers the control classes of `classes`
    // (ICC_ flags); the library is released when the object goes.
    explicit CommonControls(DWORD classes);
    ~CommonControls();
    CommonControls(const CommonControls&) = delete;
    CommonControls& operator=(const CommonControls&) = delete;

    bool Loaded() const { return module_ != NULL; }
    // A function of the library, or NULL.
    FARPROC Function(const char* name) const;

private:
    HMODULE module_;
};

#endif
