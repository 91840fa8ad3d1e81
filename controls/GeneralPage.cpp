// The General page: the component list with the applet's controls, a
// description box that follows the row that last changed, and the check
// boxes written when the sheet applies.
#include "Controls.h"

#include "resource.h"

const ScheduleLayout kAppletSchedule = {IDD_SCHEDULE,          IDC_SCHEDULE_STARTUP,
                                        IDC_SCHEDULE_SHUTDOWN, IDC_SCHEDULE_INTERVAL,
                                        IDC_SCHEDULE_EVERY,    IDC_SCHEDULE_MINUTES,
                                        IDC_SCHEDULE_MINUTES_LABEL};

const ComponentListLayout kGeneralList = {IDC_COMPONENT_LIST, IDC_PROPERTIES, IDC_DESCRIPTION,
                                          IDS_CATALOGUE_PATH, AddSchedulePage<kAppletSchedule>};

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return InitComponentListPage(page, &kGeneralList);

    case WM_COMMAND:
        ComponentListCommand(page, LOWORD(wParam));
        return FALSE;

    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header == NULL)
            return FALSE;
        if (header->idFrom == IDC_COMPONENT_LIST && header->code == LVN_ITEMCHANGED) {
            ComponentListItemChanged(page, reinterpret_cast<const NMLISTVIEW*>(lParam));
        } else if (header->code == static_cast<UINT>(PSN_APPLY)) {
            SaveComponentList(page);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        return FALSE;
    }

    case WM_DESTROY:
        DestroyComponentListPage(page);
        return FALSE;
    }
    return FALSE;
}
