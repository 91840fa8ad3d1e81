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

// Room for a component key name with its zero: names of up to 211
// characters, as many as the settings programs list, so that every listed
// component can be run.
const DWORD kNameCapacity = 212;

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

// A run under way, and what arrived while it lasted. A component may pump
// messages while it compacts (COM does, for one served out of process): a
// timer tick, "Compact Now" or the end of the session then reaches the frame
// in the middle of a run. None but the session's end starts a run inside it;
// each is carried out once the run is over.
struct RunState {
    bool running;
    bool shutdown; // the session ended (its end was cancelled)
    bool tick;     // a minute passed (ticks arriving together count once, as queued timer messages do)
    bool now;      // "Compact Now"
    LoadedComponent* compacting; // the component whose Compact is under way
    HWND window;                 // the Compacting window of the run under way
};
RunState g_runs = {false, false, false, false, NULL, NULL};

// Walks the list from the head; the first picked component opens the
// Compacting window and plays the sound, the window closes after the last.
// The common controls, for the window's animation, are loaded for the run
// alone: the Agent spends most of its life waiting. A run made inside another
// (the session's end) shows that run's window and leaves out the component
// whose compaction it interrupted: that call is still under way.
void Run(LoadedComponent* head, Trigger trigger)
{
    std::optional<CommonControls> controls;
    LoadedComponent* const interrupted = g_runs.compacting;
    bool picked = false;
    bool opened = false;
    for (LoadedComponent* record = head; record != NULL; record = record->next) {
        if (!Picks(trigger, *record) || record == interrupted)
            continue;
        if (!picked) {
            picked = true;
            if (g_runs.window == NULL) {
                controls.emplace(ICC_ANIMATE_CLASS);
                g_runs.window = CreateDialogParamA(g_agentInstance, MAKEINTRESOURCEA(IDD_COMPACTING), NULL,
                                                   CompactingDialogProc, 0);
                opened = true;
            }
            PlayCleanSound();
        }
        if (trigger == kInterval)
            record->ticks = 0;
        g_runs.compacting = record;
        CompactComponent(record->object);
        g_runs.compacting = interrupted;
    }
    if (opened) {
        if (g_runs.window != NULL)
            DestroyWindow(g_runs.window);
        g_runs.window = NULL;
    }
}

void Remember(Trigger trigger)
{
    switch (trigger) {
    case kShutdown:
        g_runs.shutdown = true;
        break;
    case kInterval:
        g_runs.tick = true;
        break;
    case kNow:
        g_runs.now = true;
        break;
    case kStartup: // only the frame's creation asks for it, before any other run
        break;
    }
}

void CountTick(LoadedComponent* head)
{
    for (LoadedComponent* record = head; record != NULL; record = record->next)
        ++record->ticks;
}

// Runs at once, or after the run under way. What arrived meanwhile follows,
// the end of the session first: it may be the last chance.
void Request(LoadedComponent* head, Trigger trigger)
{
    if (g_runs.running) {
        Remember(trigger);
        return;
    }
    g_runs.running = true;
    Run(head, trigger);
    for (;;) {
        if (g_runs.shutdown) {
            g_runs.shutdown = false;
            Run(head, kShutdown);
        } else if (g_runs.tick) {
            g_runs.tick = false;
            CountTick(head);
            Run(head, kInterval);
        } else if (g_runs.now) {
            g_runs.now = false;
            Run(head, kNow);
        } else {
            break;
        }
    }
    g_runs.running = false;
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
    Request(head, kStartup);
}

void RunAtShutdown(LoadedComponent* head)
{
    Request(head, kShutdown);
}

void RunAtSessionEnd(LoadedComponent* head)
{
    if (!g_runs.running) {
        Request(head, kShutdown);
        return;
    }
    // The process may be ended as soon as the message is answered: the run
    // under way cannot be waited for, it is below on this thread's stack.
    g_runs.shutdown = false;
    Run(head, kShutdown);
}

bool RunUnderway()
{
    return g_runs.running;
}

void TickComponents(LoadedComponent* head)
{
    // During a run the minute is counted when the run is over, with the
    // interval run that follows it.
    if (g_runs.running) {
        Remember(kInterval);
        return;
    }
    CountTick(head);
}

void RunAtInterval(LoadedComponent* head)
{
    // During a run the tick is already remembered (TickComponents).
    if (g_runs.running)
        return;
    Request(head, kInterval);
}

void RunNow(LoadedComponent* head)
{
    Request(head, kNow);
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
