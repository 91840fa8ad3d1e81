// The Options page: "Recycle" and "RemoveFolders", written only at Finish.
#include "Welcome.h"

#include "resource.h"

const OptionsLayout kWizardOptions = {IDC_OPTIONS_RECYCLE, IDC_OPTIONS_REMOVE_FOLDERS, IDS_OPTIONS_PATH};

INT_PTR CALLBACK WizardOptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result = FALSE;
    if (HandleWizardPage(page, message, lParam, PSWIZB_BACK | PSWIZB_NEXT, PSWIZB_BACK | PSWIZB_NEXT,
                         &result)) {
        if (message == WM_INITDIALOG)
            LoadOptions(page, kWizardOptions);
        return result;
    }
    if (IsFinishBroadcast(message, wParam)) {
        SaveOptions(page, kWizardOptions);
        return PassBroadcastOn(page);
    }
    return FALSE;
}
