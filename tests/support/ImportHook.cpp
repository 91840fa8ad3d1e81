#include "ImportHook.h"

namespace {

void** ImportSlot(HMODULE module, const char* dll, const char* function)
{
    HMODULE exporter = GetModuleHandleA(dll);
    if (module == NULL || exporter == NULL)
        return NULL;
    void* target = reinterpret_cast<void*>(GetProcAddress(exporter, function));
    BYTE* base = reinterpret_cast<BYTE*>(module);
    IMAGE_DOS_HEADER* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    IMAGE_NT_HEADERS* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (target == NULL || directory.VirtualAddress == 0)
        return NULL;
    IMAGE_IMPORT_DESCRIPTOR* import =
        reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
    for (; import->Name != 0; ++import) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + import->Name), dll) != 0)
            continue;
        IMAGE_THUNK_DATA* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; thunk->u1.Function != 0; ++thunk)
            if (reinterpret_cast<void*>(thunk->u1.Function) == target)
                return reinterpret_cast<void**>(&thunk->u1.Function);
    }
    return NULL;
}

void WriteSlot(void** slot, void* value)
{
    DWORD old;
    VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old);
    *slot = value;
    VirtualProtect(slot, sizeof(void*), old, &old);
}

} // namespace

ImportHook::ImportHook(HMODULE module, const char* dll, const char* function, void* replacement)
    : slot_(ImportSlot(module, dll, function)), original_(NULL)
{
    if (slot_ == NULL)
        return;
    original_ = *slot_;
    WriteSlot(slot_, replacement);
}

ImportHook::~ImportHook()
{
    if (slot_ != NULL)
        WriteSlot(slot_, original_);
}
