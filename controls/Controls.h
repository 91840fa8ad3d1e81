// The settings applet: one modal sheet, "Larkspire Settings", with the
// General page (the component list) and the Options page, owned by a hidden
// frame window; the program ends when the sheet closes.
#ifndef LARKSPIRE_CONTROLS_H
#define LARKSPIRE_CONTROLS_H

#include <windows.h>

#include "ComponentList.h"
#include "OptionsPage.h"
#include "SchedulePage.h"

#define CONTROLS_FRAME_CLASS "quenlow_ls5controls"
#define CONTROLS_FRAME_TITLE "Quenlow Larkspire Controls"
#define CONTROLS_SHEET_CAPTION "Larkspire Settings"
// Where the Agent finds the applet by its name alone.
#define CONTROLS_APP_PATH_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\LS5Panel.exe"

// The applet's pages: the component list of its General page, the Schedule
// page it hands to the components' sheets, and its Options page.
extern const ComponentListLayout kGeneralList;
extern const ScheduleLayout kAppletSchedule;
extern const OptionsLayout kAppletOptions;

// Enters the running program's full path as the App Paths entry of
// "LS5Panel.exe". Returns true (a failed write is passed over).
bool RegisterAppPath();

// The whole program: App Paths entry, common controls and COM, the frame,
// the sheet; returns 1 when the sheet has closed.
int RunControls(HINSTANCE instance);

LRESULT CALLBACK ControlsFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif
