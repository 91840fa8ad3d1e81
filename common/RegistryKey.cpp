#include "RegistryKey.h"

#include <stdlib.h>

namespace {

// Reads of at most this size go through a stack buffer; larger ones allocate.
const DWORD kStackRead = 1024;

bool IsTextType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

} // namespace

DWORD RegistryKey::RunningPlatform()
{
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version))
        return VER_PLATFORM_WIN32_NT;
    return version.dwPlatformId;
}

RegistryKey::RegistryKey(HKEY root, const char* path, Access access)
    : platformId_(RunningPlatform()), handle_(NULL)
{
    if (access == kReadOnly)
        Open(root, path);
    else
        Create(root, path);
}

RegistryKey::RegistryKey(HKEY root, UINT stringId, HINSTANCE instance, Access access)
    : platformId_(RunningPlatform()), handle_(NULL)
{
    char* path = static_cast<char*>(LocalAlloc(LPTR, 512));
    if (path == NULL)
        return;
    LoadStringA(instance, stringId, path, 512);
    if (access == kReadOnly)
        Open(root, path);
    else
        Create(root, path);
    LocalFree(path);
}

RegistryKey::~RegistryKey()
{
    if (handle_ != NULL) {
        RegCloseKey(handle_);
        handle_ = NULL;
    }
}

LONG RegistryKey::Create(HKEY root, const char* path)
{
    if (handle_ != NULL)
        Close();
    if (path == NULL)
        return ERROR_INVALID_PARAMETER;
    LONG status = RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, NULL, &handle_, NULL);
    if (status != ERROR_SUCCESS)
        handle_ = NULL;
    return status;
}

LONG RegistryKey::Open(HKEY root, const char* path)
{
    if (handle_ != NULL)
        Close();
    if (path == NULL)
        return ERROR_INVALID_PARAMETER;
    // Subkeys too: the catalogue is enumerated through such a key.
    LONG status = RegOpenKeyExA(root, path, 0, KEY_READ, &handle_);
    if (status != ERROR_SUCCESS)
        handle_ = NULL;
    return status;
}

int RegistryKey::Close()
{
    if (handle_ != NULL)
        RegCloseKey(handle_);
    handle_ = NULL;
    return 1;
}

LONG RegistryKey::SetString(const char* name, const char* text)
{
    if (text == NULL)
        return ERROR_INVALID_PARAMETER;
    return RegSetValueExA(handle_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          lstrlenA(text) + 1);
}

LONG RegistryKey::SetDword(const char* name, DWORD value)
{
    return RegSetValueExA(handle_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value));
}

// Reads a value into a scratch buffer and copies it to the caller only when
// the read succeeds and the type is one of the two accepted: a failed or
// refused read never changes the caller's buffer (RegQueryValueEx leaves it
// undefined when the value does not fit). A text of exactly `size` characters
// is taken whether or not it was stored with its terminating zero; the
// caller's extra zero byte ends it.
LONG RegistryKey::ReadChecked(const char* name, DWORD type1, DWORD type2, BYTE* buffer,
                              DWORD size)
{
    if (handle_ == NULL)
        return ERROR_INVALID_HANDLE;
    if (buffer == NULL)
        return ERROR_INVALID_PARAMETER;

    BYTE local[kStackRead + 1];
    BYTE* scratch = local;
    if (size > kStackRead) {
        scratch = static_cast<BYTE*>(LocalAlloc(LMEM_FIXED, size + 1));
        if (scratch == NULL)
            return ERROR_NOT_ENOUGH_MEMORY;
    }

    DWORD type = REG_NONE;
    DWORD length = size + 1;
    LONG status = RegQueryValueExA(handle_, name, NULL, &type, scratch, &length);
    if (status == ERROR_SUCCESS && type != type1 && type != type2)
        status = ERROR_INVALID_DATA;
    if (status == ERROR_SUCCESS && length > size) {
        if (length == size + 1 && IsTextType(type) && scratch[size] == '\0')
            length = size;
        else
            status = ERROR_MORE_DATA;
    }
    if (status == ERROR_SUCCESS)
        CopyMemory(buffer, scratch, length);

    if (scratch != local)
        LocalFree(scratch);
    return status;
}

LONG RegistryKey::QueryValue(const char* name, BYTE* buffer, DWORD size)
{
    return ReadChecked(name, REG_SZ, REG_EXPAND_SZ, buffer, size);
}

LONG RegistryKey::QueryDword(const char* name, DWORD* value)
{
    if (handle_ == NULL)
        return ERROR_INVALID_HANDLE;
    if (value == NULL)
        return ERROR_INVALID_PARAMETER;
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD length = sizeof(data);
    LONG status = RegQueryValueExA(handle_, name, NULL, &type,
                                   reinterpret_cast<BYTE*>(&data), &length);
    if (status != ERROR_SUCCESS)
        return status;
    if (type != REG_DWORD || length != sizeof(data))
        return ERROR_INVALID_DATA;
    *value = data;
    return ERROR_SUCCESS;
}

LONG RegistryKey::QueryFlag(const char* name, BYTE* flag)
{
    if (flag == NULL)
        return ERROR_INVALID_PARAMETER;
    DWORD value = *flag;
    LONG status = QueryDword(name, &value);
    *flag = value != 0 ? 1 : 0;
    return status;
}

LONG RegistryKey::QueryWideString(const wchar_t* name, wchar_t* buffer, DWORD sizeInBytes)
{
    if (handle_ == NULL)
        return ERROR_INVALID_HANDLE;
    if (buffer == NULL || sizeInBytes < sizeof(wchar_t))
        return ERROR_INVALID_PARAMETER;

    // The wide call is bound at run time: Windows 95 and 98 do not have it.
    typedef LONG(WINAPI * QueryValueW)(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
    QueryValueW queryValueW = NULL;
    if (platformId_ == VER_PLATFORM_WIN32_NT)
        queryValueW = reinterpret_cast<QueryValueW>(
            GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegQueryValueExW"));
    if (queryValueW != NULL) {
        BYTE* scratch = static_cast<BYTE*>(LocalAlloc(LMEM_FIXED, sizeInBytes));
        if (scratch == NULL)
            return ERROR_NOT_ENOUGH_MEMORY;
        DWORD type = REG_NONE;
        DWORD length = sizeInBytes;
        LONG status = queryValueW(handle_, name, NULL, &type, scratch, &length);
        if (status == ERROR_SUCCESS && !IsTextType(type))
            status = ERROR_INVALID_DATA;
        if (status == ERROR_SUCCESS)
            CopyMemory(buffer, scratch, length);
        LocalFree(scratch);
        return status;
    }

    // Windows 95/98 have no wide registry calls: convert the name, read the
    // ANSI text and widen it.
    size_t nameLength = name != NULL ? wcslen(name) : 0;
    char* narrowName = static_cast<char*>(LocalAlloc(LPTR, nameLength * sizeof(wchar_t) + 8));
    char* text = static_cast<char*>(LocalAlloc(LPTR, sizeInBytes + 1));
    LONG status = ERROR_NOT_ENOUGH_MEMORY;
    if (narrowName != NULL && text != NULL) {
        if (name != NULL)
            wcstombs(narrowName, name, LocalSize(narrowName) - 1);
        status = ReadChecked(name != NULL ? narrowName : NULL, REG_SZ, REG_EXPAND_SZ,
                             reinterpret_cast<BYTE*>(text), sizeInBytes);
        if (status == ERROR_SUCCESS) {
            size_t capacity = sizeInBytes / sizeof(wchar_t);
            size_t written = mbstowcs(buffer, text, capacity);
            if (written == static_cast<size_t>(-1))
                status = ERROR_INVALID_DATA;
            else if (written < capacity)
                buffer[written] = L'\0';
        }
    }
    LocalFree(narrowName);
    LocalFree(text);
    return status;
}

LONG RegistryKey::DeleteValue(const char* name)
{
    return RegDeleteValueA(handle_, name);
}

DWORD RegistryKey::CountValues()
{
    DWORD values = 0;
    if (RegQueryInfoKeyA(handle_, NULL, NULL, NULL, NULL, NULL, NULL, &values, NULL, NULL, NULL,
                         NULL) != ERROR_SUCCESS)
        return 0;
    return values;
}

DWORD RegistryKey::CountSubKeys()
{
    DWORD subKeys = 0;
    if (RegQueryInfoKeyA(handle_, NULL, NULL, NULL, &subKeys, NULL, NULL, NULL, NULL, NULL, NULL,
                         NULL) != ERROR_SUCCESS)
        return 0;
    return subKeys;
}

DWORD RegistryKey::LongestValueName()
{
    DWORD longest = 0;
    if (RegQueryInfoKeyA(handle_, NULL, NULL, NULL, NULL, NULL, NULL, NULL, &longest, NULL, NULL,
                         NULL) != ERROR_SUCCESS)
        return 0;
    return longest;
}

DWORD RegistryKey::LongestValueData()
{
    DWORD longest = 0;
    if (RegQueryInfoKeyA(handle_, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, &longest, NULL,
                         NULL) != ERROR_SUCCESS)
        return 0;
    return longest;
}

LONG RegistryKey::EnumValue(char* name, DWORD capacity, DWORD index)
{
    DWORD length = capacity;
    return RegEnumValueA(handle_, index, name, &length, NULL, NULL, NULL, NULL);
}

LONG RegistryKey::EnumSubKey(char* name, DWORD capacity, DWORD index)
{
    DWORD length = capacity;
    return RegEnumKeyExA(handle_, index, name, &length, NULL, NULL, NULL, NULL);
}

void RegistryKey::DeleteAllValues()
{
    // Always take the value at index 0: deleting while counting upwards would
    // skip every other value. The name buffer fits the longest name.
    DWORD capacity = LongestValueName() + 1;
    char* name = static_cast<char*>(LocalAlloc(LMEM_FIXED, capacity));
    if (name == NULL)
        return;
    DWORD index = 0;
    for (;;) {
        ZeroMemory(name, capacity);
        if (EnumValue(name, capacity, index) != ERROR_SUCCESS)
            break;
        if (DeleteValue(name) != ERROR_SUCCESS)
            ++index; // a value that cannot go stays; move past it
    }
    LocalFree(name);
}
