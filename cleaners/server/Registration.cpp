// Self-registration: the server's classes under HKEY_CLASSES_ROOT and their
// keys in the component catalogue under HKEY_LOCAL_MACHINE.
#include <stdio.h>

#include "RegistryKey.h"
#include "Server.h"

namespace {

const char kCataloguePrefix[] = LS_CATALOGUE_PATH "\\";

// Creates HKEY_CLASSES_ROOT\key[\subkey] and sets its default value when one
// is given. False when the key cannot be created or the path does not fit.
bool WriteClassKey(const char* key, const char* subkey, const char* value)
{
    char path[256];
    int length = subkey != NULL ? _snprintf(path, sizeof(path), "%s\\%s", key, subkey)
                                : _snprintf(path, sizeof(path), "%s", key);
    if (length < 0 || length >= static_cast<int>(sizeof(path)))
        return false;
    HKEY handle;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, NULL, &handle, NULL) != ERROR_SUCCESS)
        return false;
    if (value != NULL)
        RegSetValueExA(handle, NULL, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       lstrlenA(value) + 1);
    RegCloseKey(handle);
    return true;
}

void DeleteClassKey(const char* key, const char* subkey)
{
    char path[256];
    int length = subkey != NULL ? _snprintf(path, sizeof(path), "%s\\%s", key, subkey)
                                : _snprintf(path, sizeof(path), "%s", key);
    if (length >= 0 && length < static_cast<int>(sizeof(path)))
        RegDeleteKeyA(HKEY_CLASSES_ROOT, path);
}

// The registry names of one class: CLSID text, its key, the two ProgIDs.
struct ClassNames {
    char clsid[128];
    char clsidKey[160];
    char progId[64];
    char versionedProgId[64];
    char catalogueKey[192];

    explicit ClassNames(const ServedClass& served)
    {
        WCHAR wide[128];
        ZeroMemory(clsid, sizeof(clsid));
        if (StringFromGUID2(*served.clsid, wide, 128) != 0)
            WideCharToMultiByte(CP_ACP, 0, wide, -1, clsid, sizeof(clsid), NULL, NULL);
        _snprintf(clsidKey, sizeof(clsidKey), "CLSID\\%s", clsid);
        clsidKey[sizeof(clsidKey) - 1] = '\0';
        lstrcpynA(progId, served.progId, sizeof(progId));
        _snprintf(versionedProgId, sizeof(versionedProgId), "%s1.0", served.progId);
        versionedProgId[sizeof(versionedProgId) - 1] = '\0';
        _snprintf(catalogueKey, sizeof(catalogueKey), "%s%s", kCataloguePrefix, served.keyName);
        catalogueKey[sizeof(catalogueKey) - 1] = '\0';
    }
};

void RegisterServedClass(const ServedClass& served, const char* modulePath)
{
    ClassNames names(served);
    WriteClassKey(names.versionedProgId, NULL, served.description);
    WriteClassKey(names.versionedProgId, "CLSID", names.clsid);
    WriteClassKey(names.progId, NULL, served.description);
    WriteClassKey(names.progId, "CurVer", names.versionedProgId);
    WriteClassKey(names.progId, "CLSID", names.clsid);
    WriteClassKey(names.clsidKey, NULL, served.description);
    WriteClassKey(names.clsidKey, "ProgID", names.versionedProgId);
    WriteClassKey(names.clsidKey, "VersionIndependentProgID", names.progId);
    WriteClassKey(names.clsidKey, "NotInsertable", NULL);
    WriteClassKey(names.clsidKey, "InprocServer32", modulePath);

    char inprocPath[192];
    _snprintf(inprocPath, sizeof(inprocPath), "%s\\InprocServer32", names.clsidKey);
    inprocPath[sizeof(inprocPath) - 1] = '\0';
    RegistryKey inproc(HKEY_CLASSES_ROOT, inprocPath);
    inproc.SetString("ThreadingModel", "Apartment");

    char icon[268];
    ZeroMemory(icon, sizeof(icon));
    _snprintf(icon, sizeof(icon) - 1, "%s,%d", modulePath, served.iconIndex);
    RegistryKey catalogue(HKEY_LOCAL_MACHINE, names.catalogueKey);
    catalogue.SetString("CLSID", names.clsid);
    catalogue.SetDword("Enabled", 1);
    catalogue.SetString("DefaultIcon", icon);
}

void UnregisterServedClass(const ServedClass& served)
{
    ClassNames names(served);
    DeleteClassKey(names.progId, "CurVer");
    DeleteClassKey(names.progId, "CLSID");
    DeleteClassKey(names.progId, NULL);
    DeleteClassKey(names.versionedProgId, "CLSID");
    DeleteClassKey(names.versionedProgId, NULL);
    DeleteClassKey(names.clsidKey, "ProgID");
    DeleteClassKey(names.clsidKey, "VersionIndependentProgID");
    DeleteClassKey(names.clsidKey, "NotInsertable");
    DeleteClassKey(names.clsidKey, "InprocServer32");
    DeleteClassKey(names.clsidKey, NULL);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, names.catalogueKey);
}

} // namespace

STDAPI DllRegisterServer()
{
    char modulePath[512];
    ZeroMemory(modulePath, sizeof(modulePath));
    GetModuleFileNameA(g_module, modulePath, sizeof(modulePath) - 1);
    for (int i = 0; i < g_servedClassCount; ++i)
        RegisterServedClass(g_servedClasses[g_registrationOrder[i]], modulePath);
    return S_OK;
}

STDAPI DllUnregisterServer()
{
    for (int i = 0; i < g_servedClassCount; ++i)
        UnregisterServedClass(g_servedClasses[g_registrationOrder[i]]);
    return S_OK;
}
