// The introduction wizard: four pages, "Larkspire Setup", that make the
// first choices of an installation (the two global options and which
// components run) and write them when the user presses Finish.
#ifndef LARKSPIRE_WELCOME_H
#define LARKSPIRE_WELCOME_H

#include <windows.h>
#include <commctrl.h>

#include "ComponentList.h"
#include "OptionsPage.h"
#include "SchedulePage.h"

#define WELCOME_FRAME_CLASS "quenlow_ls5introFrame"
#define WELCOME_FRAME_TITLE "LS5Intro Wizard"
#define WELCOME_SHEET_CAPTION "Larkspire Setup"
#define WELCOME_ERROR_CAPTION "Larkspire"
#define WELCOME_ERROR_TEXT                                                                        \
    "An error occured while attempting to display the Introduction Wizard. To configure "      \
    "Larkspire, please use the Configuration Applet."

// The page-title font (14-point Arial) and the picture drawn at the left of
// every page; made when the program starts, gone when it ends.
extern HFONT WizardTitleFont;
extern HIMAGELIST WizardBitmapList;

// The wizard's controls on the shared pages.
extern const ScheduleLayout kWizardSchedule;
extern const ComponentListLayout kWizardComponents;
extern const OptionsLayout kWizardOptions;

// The whole program: title font, common controls, picture, classes, the
// wizard (with an owner frame only when it cannot be shown without one, and
// the error message when it cannot be shown at all); returns 1.
int RunWelcome(HINSTANCE instance);

LRESULT CALLBACK WelcomeFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);

// What every page does: the title font on WM_INITDIALOG, the picture and its
// sunken edge on WM_PAINT, and the sheet's buttons posted on PSN_SETACTIVE
// (`entering`) and PSN_KILLACTIVE (`leaving`). True when the message was
// handled, with the dialog procedure's result in `result`.
bool HandleWizardPage(HWND page, UINT message, LPARAM lParam, DWORD entering, DWORD leaving,
                      INT_PTR* result);
// Whether a message is the Finish broadcast (PSM_QUERYSIBLINGS with PSN_WIZFINISH).
bool IsFinishBroadcast(UINT message, WPARAM wParam);
// Answers a sibling query with 0, so that the sheet passes it on.
INT_PTR PassBroadcastOn(HWND page);

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WizardOptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ComponentsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CompletePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

#endif
