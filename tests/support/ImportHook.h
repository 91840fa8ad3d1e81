// Replaces one imported function of a module, through its import address
// table, for as long as the object lives: lets a test watch the system calls
// that the code under test makes (the shell, sound, tray).
#ifndef LARKSPIRE_IMPORTHOOK_H
#define LARKSPIRE_IMPORTHOOK_H

#include <windows.h>

class ImportHook {
public:
    // `dll` is the imported module's name ("shell32.dll"); `replacement`
    // must have the same signature as the function.
    ImportHook(HMODULE module, const char* dll, const char* function, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    bool Hooked() const { return slot_ != NULL; }
    // The function the slot held before.
    void* Original() const { return original_; }

private:
    void** slot_;
    void* original_;
};

#endif
