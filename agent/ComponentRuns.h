// The Agent's engine: the components loaded once at start, and the
// compaction runs that the frame window triggers.
#ifndef LARKSPIRE_COMPONENTRUNS_H
#define LARKSPIRE_COMPONENTRUNS_H

#include <windows.h>
#include <objbase.h>

// One loaded component. New records go to the head, so the list runs in the
// reverse of the catalogue's enumeration order.
struct LoadedComponent {
    IUnknown* object;    // one reference, held until FreeComponents
    DWORD ticks;         // minutes counted since load or since its last interval run
    DWORD interval;      // "TimeLapse" in minutes; 0: no interval runs
    BYTE runAtShutdown;  // "Shutdown" made 0 or 1
    BYTE runAtStartup;   // "Startup" made 0 or 1
    LoadedComponent* next;
    LoadedComponent* previous;
};

// The module whose resources (string table, Compacting window, clip) the
// engine uses; the Agent sets it at entry.
extern HINSTANCE g_agentInstance;

// Loads every catalogued component that the user has enabled.
void LoadComponents(LoadedComponent** head);
void FreeComponents(LoadedComponent* head);

// A run never starts inside another (a component may pump messages while it
// compacts): what arrives during one is carried out after it, the shutdown
// run first, then the minute's tick with its interval run, then "Compact Now".
void RunAtStartup(LoadedComponent* head);
void RunAtShutdown(LoadedComponent* head);
// The session is ending (WM_ENDSESSION with wParam TRUE): the system may end
// the process as soon as the message is answered, so the shutdown run is
// done before this returns, inside a run under way if need be. The component
// whose compaction that run is in is left out: its call has not returned.
void RunAtSessionEnd(LoadedComponent* head);
// Whether a run is under way (the Agent answers no message of its own until
// it is over).
bool RunUnderway();
// One minute has passed: every component counts it.
void TickComponents(LoadedComponent* head);
// Compacts the components whose count has reached their interval.
void RunAtInterval(LoadedComponent* head);
void RunNow(LoadedComponent* head);

// Compacts one component with the user's current options.
void CompactComponent(IUnknown* object);
// Plays the "Clean Folder" sound event of the user's scheme.
void PlayCleanSound();

INT_PTR CALLBACK CompactingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
