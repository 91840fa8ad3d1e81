// The Components page: the component list with the wizard's controls; the
// check boxes are written at Finish.
#include "Welcome.h"

#include "resource.h"

const ScheduleLayout kWizardSchedule = {IDD_SCHEDULE,          IDC_SCHEDULE_STARTUP,
                                        IDC_SCHEDULE_SHUTDOWN, IDC_SCHEDULE_INTERVAL,
                                        IDC_SCHEDULE_EVERY,    IDC_SCHEDULE_MINUTES,
                                        IDC_SCHEDULE_MINUTES_LABEL};

const ComponentListLayout kWizardComponents = {IDC_COMPONENT_LIST, IDC_PROPERTIES, 0, IDS_CATALOGUE_PATH,
                                               AddSchedulePage<kWizardSchedule>};

INT_PTR CALLBACK ComponentsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result = FALSE;
    if (HandleWizardPage(page, message, lParam, PSWIZB_BACK | PSWIZB_NEXT, PSWIZB_BACK | PSWIZB_NEXT,
                         &result)) {
        if (message == WM_INITDIALOG)
            InitComponentListPage(page, &kWizardComponents);
        return result;
    }
    if (IsFinishBroadcast(message, wParam)) {
        SaveComponentList(page);
        return PassBroadcastOn(page);
    }
    switch (message) {
    case WM_COMMAND:
        ComponentListCommand(page, LOWORD(wParam));
        return FALSE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header != NULL && header->idFrom == IDC_COMPONENT_LIST && header->code == LVN_ITEMCHANGED)
            ComponentListItemChanged(page, reinterpret_cast<const NMLISTVIEW*>(lParam));
        return FALSE;
    }
    case WM_DESTROY:
        DestroyComponentListPage(page);
        return FALSE;
    }
    return FALSE;
}
