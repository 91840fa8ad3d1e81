// Loading the enabled components, and the four kinds of compaction run.
#include "ComponentRuns.h"

#include <windows.h>
#include <mmsystem.h>
#include <commctrl.h>

#include <new>
#include <optional>

#include "CommonControls.h"
#include "ComponentContract.h"
#include "RegistryKey.h"
#include "resource.h"

HINSTANCE g_agentInstance = NULL;

namespace {

const char kUserPrefix[] = LS_USER_COMPONENTS_PATH "\\";
const char kMachinePrefix[] = LS_CATALOGUE_PATH "\\";
const char kSoundKey[] = "AppEvents\\Schemes\\Apps\\Larkspire\\Clean Folder\\.current";

// Longest component key name taken from the catalogue, in characters.
const DWORD kNameCapacity = 211;

enum Trigger { kStartup, kShutdown, kInterval, kNow };

bool Picks(Trigger trigger, const LoadedComponent& record)
{
    switch (trigger) {
    case kStartup:
        return record.runAtStartup != 0;
    case kShutdown:
        return record.runAtShutdown != 0;
    case kInterval:
        return record.interval != 0 && record.ticks == record.interval;
    case kNow:
        return true;
    }
    return false;
}

// Walks the list from the head; the first picked component opens the
// Compacting window and plays the sound, the window closes after the last.
// The common controls, for the window's animation, are loaded for the run
// alone: the Agent spends most of its life waiting.
void Run(LoadedComponent* head, Trigger trigger)
{
    std::optional<CommonControls> controls;
    HWND compacting = NULL;
    for (LoadedComponent* record = head; record != NULL; record = record->next) {
        if (!Picks(trigger, *record))
            continue;
        if (!controls) {
            controls.emplace(ICC_ANIMATE_CLASS);
            compacting = CreateDialogParamA(g_agentInstance, MAKEINTRESOURCEA(IDD_COMPACTING), NULL,
                                            CompactingDialogProc, 0);
            PlayCleanSound();
        }
        if (trigger == kInterval)
            record->ticks = 0;
        CompactComponent(record->object);
    }
    if (compacting != NULL)
        DestroyWindow(compacting);
}

} // namespace

void LoadComponents(LoadedComponent** head)
{
    *head = NULL;
    // The machine's keys are only read: a user who may not write them runs
    // the same components.
    RegistryKey catalogue(HKEY_LOCAL_MACHINE, IDS_CATALOGUE_PATH, g_agentInstance,
                          RegistryKey::kReadOnly);
    DWORD count = catalogue.CountSubKeys();
    for (DWORD index = 0; index < count; ++index) {
        char userPath[256];
        char machinePath[256];
        ZeroMemory(userPath, sizeof(userPath));
        ZeroMemory(machinePath, sizeof(machinePath));
        lstrcpyA(userPath, kUserPrefix);
        lstrcpyA(machinePath, kMachinePrefix);
        char* name = machinePath + lstrlenA(machinePath);
        if (catalogue.EnumSubKey(name, kNameCapacity, index) != ERROR_SUCCESS)
            continue;
        lstrcatA(userPath, name);

        RegistryKey machineKey(HKEY_LOCAL_MACHINE, machinePath, RegistryKey::kReadOnly);
        RegistryKey userKey(HKEY_CURRENT_USER, userPath);
        DWORD enabled = 0;
        userKey.QueryDword("Enabled", &enabled);
        if (enabled == 0)
            continue;
        IUnknown* object = CreateCatalogueComponent(
            machineKey, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER);
        if (object == NULL)
            continue;
        LoadedComponent* record = new (std::nothrow) LoadedComponent;
        if (record == NULL) {
            object->Release();
            continue;
        }
        record->object = object;
        record->ticks = 0;
        record->interval = 0;
        record->runAtStartup = 1;
        record->runAtShutdown = 1;
        userKey.QueryDword("TimeLapse", &record->interval);
        userKey.QueryFlag("Startup", &record->runAtStartup);
        userKey.QueryFlag("Shutdown", &record->runAtShutdown);
        record->previous = NULL;
        record->next = *head;
        if (*head != NULL)
            (*head)->previous = record;
        *head = record;
    }
}

void FreeComponents(LoadedComponent* head)
{
    while (head != NULL) {
        LoadedComponent* next = head->next;
        if (head->object != NULL)
            head->object->Release();
        delete head;
        head = next;
    }
}

void RunAtStartup(LoadedComponent* head)
{
    Run(head, kStartup);
}

void RunAtShutdown(LoadedComponent* head)
{
    Run(head, kShutdown);
}

void TickComponents(LoadedComponent* head)
{
    for (LoadedComponent* record = head; record != NULL; record = record->next)
        ++record->ticks;
}

void RunAtInterval(LoadedComponent* head)
{
    Run(head, kInterval);
}

void RunNow(LoadedComponent* head)
{
    Run(head, kNow);
}

void CompactComponent(IUnknown* object)
{
    if (object == NULL)
        return;
    ICleanerComponent* component = NULL;
    object->QueryInterface(IID_ICleanerComponent, reinterpret_cast<void**>(&component));
    RegistryKey options(HKEY_CURRENT_USER, IDS_OPTIONS_PATH, g_agentInstance);
    DWORD recycle = 1;
    DWORD removeFolders = 1;
    options.QueryDword("Recycle", &recycle);
    options.QueryDword("RemoveFolders", &removeFolders);
    if (component != NULL) {
        component->Compact(recycle != 0 ? TRUE : FALSE, removeFolders != 0 ? TRUE : FALSE);
        component->Release();
    }
}

void PlayCleanSound()
{
    RegistryKey sound(HKEY_CURRENT_USER, kSoundKey);
    char file[MAX_PATH + 1];
    ZeroMemory(file, sizeof(file));
    sound.QueryValue(NULL, reinterpret_cast<BYTE*>(file), MAX_PATH);
    sndPlaySoundA(file, SND_ASYNC);
}

INT_PTR CALLBACK CompactingDialogProc(HWND dialog, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_COMPACTING_ANIMATION, ACM_OPENA, 0,
                            reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(IDR_COMPACTING_CLIP)));
        SendDlgItemMessageA(dialog, IDC_COMPACTING_ANIMATION, ACM_PLAY, static_cast<WPARAM>(-1),
                            MAKELPARAM(0, 0xFFFF));
        SetForegroundWindow(dialog);
        // Every run that shows the window lasts at least this long, so that
        // the user sees what is happening: show and paint it first, as no
        // message loop runs until the run is over.
        ShowWindow(dialog, SW_SHOW);
        UpdateWindow(dialog);
        Sleep(1500);
        return TRUE;
    case WM_DESTROY:
        SendDlgItemMessageA(dialog, IDC_COMPACTING_ANIMATION, ACM_OPENA, 0, 0);
        return FALSE;
    }
    return FALSE;
}
