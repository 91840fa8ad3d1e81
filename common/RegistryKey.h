// RegistryKey: owns one open registry key and reads and writes typed values.
//
// Callers construct one on the stack for one path, store their defaults in the
// destination variables, read or write, and let the destructor close the key.
// A read that fails for any reason (key or value missing, wrong type, too
// long, no access) leaves the destination exactly as it was, so an unreadable
// setting reads as its default.
#ifndef LARKSPIRE_REGISTRYKEY_H
#define LARKSPIRE_REGISTRYKEY_H

#include <windows.h>

class RegistryKey {
public:
    // How a constructor opens its key.
    enum Access {
        kCreate,  // create-or-open with KEY_ALL_ACCESS (Create)
        kReadOnly // open for reading (Open): a key that is only read, as the
                  // machine's keys, which a limited user may read but not
                  // write; a missing key stays missing
    };

    // Opens the key as `access` says; the status is dropped.
    RegistryKey(HKEY root, const char* path, Access access = kCreate);
    // The same, with the path taken from a string resource of `instance`.
    RegistryKey(HKEY root, UINT stringId, HINSTANCE instance, Access access = kCreate);
    ~RegistryKey();

    LONG Create(HKEY root, const char* path);
    // Read access (values and subkeys); creates nothing.
    LONG Open(HKEY root, const char* path);
    int Close();

    LONG SetString(const char* name, const char* text);
    LONG SetDword(const char* name, DWORD value);

    // Reads a text value (REG_SZ or REG_EXPAND_SZ, as stored) of at most
    // `size` bytes. A value exactly `size` bytes long arrives without its
    // terminating zero: callers zero-fill a buffer one byte longer.
    LONG QueryValue(const char* name, BYTE* buffer, DWORD size);
    // Reads a REG_DWORD; any other type or length leaves *value alone.
    LONG QueryDword(const char* name, DWORD* value);
    // *flag (0 or 1, or any byte) is the default; a stored DWORD sets it to
    // 1 when nonzero and 0 when zero.
    LONG QueryFlag(const char* name, BYTE* flag);
    // Reads a text value as wide characters on every Windows version.
    LONG QueryWideString(const wchar_t* name, wchar_t* buffer, DWORD sizeInBytes);

    LONG DeleteValue(const char* name);
    DWORD CountValues();
    DWORD CountSubKeys();
    // Length in characters of the longest value name, 0 when unknown.
    DWORD LongestValueName();
    // Size in bytes of the longest value's data, 0 when unknown.
    DWORD LongestValueData();
    LONG EnumValue(char* name, DWORD capacity, DWORD index);
    LONG EnumSubKey(char* name, DWORD capacity, DWORD index);

    // Deletes every value of the key, whatever their number and name lengths.
    void DeleteAllValues();

    HKEY Handle() const { return handle_; }

protected:
    // dwPlatformId of the running Windows; VER_PLATFORM_WIN32_NT selects the
    // wide registry calls in QueryWideString.
    DWORD platformId_;

private:
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    static DWORD RunningPlatform();
    LONG ReadChecked(const char* name, DWORD type1, DWORD type2, BYTE* buffer, DWORD size);

    HKEY handle_;
};

#endif
