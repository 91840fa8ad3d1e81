// The Schedule page: one component's events (run when the Agent starts, before
// the system shuts down, every so many minutes). A program never shows it on
// its own sheet: it hands it to a component through AddSchedulePage, the
// add-pages callback of ShowProperties, and the component shows it after its
// own pages. Each program has its own template and control identifiers; the
// template is a dialog resource of the program's own module.
#ifndef LARKSPIRE_SCHEDULEPAGE_H
#define LARKSPIRE_SCHEDULEPAGE_H

#include <windows.h>
#include <prsht.h>

#include "ComponentContract.h"

// A program's Schedule template and the identifiers of its controls.
struct ScheduleLayout {
    UINT templateId;
    int startupBox;   // "When Larkspire is S&tarted"
    int shutdownBox;  // "Prior to &shutting down the system"
    int intervalBox;  // "At a specific &interval:"
    int everyLabel;   // "Clean Every:"
    int minutesBox;   // the number of minutes
    int minutesLabel; // "minutes"
};

// The minutes typed in the box, by atoi rules (leading blanks, a sign, then
// digits; anything after them ignored), kept within what "TimeLapse" holds:
// beyond 4294967295 it is 4294967295, below 0 it is 0.
DWORD MinutesFromText(const char* text);

// The page's dialog procedure, for the layout `layout`.
INT_PTR HandleSchedulePage(const ScheduleLayout& layout, HWND page, UINT message, WPARAM wParam,
                           LPARAM lParam);

// Allocates the one-handle page array (LocalAlloc, zero-filled; the component
// frees it), stores it through `pages`, and puts in it the Schedule page made
// from `layout`'s template of this program's module, with `procedure` and the
// page parameter `info` (the RegKeyInfo of ShowProperties). Returns 1, or 0
// when nothing could be made (then no array is left behind).
int CreateSchedulePage(HPROPSHEETPAGE** pages, LPARAM info, const ScheduleLayout& layout,
                       DLGPROC procedure);

// The dialog procedure and the add-pages callback of one program's Schedule
// page: SchedulePageProc<kLayout> and AddSchedulePage<kLayout>, where kLayout
// is that program's ScheduleLayout.
template <const ScheduleLayout& Layout>
INT_PTR CALLBACK SchedulePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return HandleSchedulePage(Layout, page, message, wParam, lParam);
}

template <const ScheduleLayout& Layout>
int STDMETHODCALLTYPE AddSchedulePage(HPROPSHEETPAGE** pages, LPARAM info)
{
    return CreateSchedulePage(pages, info, Layout, SchedulePageProc<Layout>);
}

#endif
