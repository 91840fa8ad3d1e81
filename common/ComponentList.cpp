// The component list: filling it from the catalogue, the size workers, the
// Properties button, the descriptions, and writing the check boxes back.
#include "ComponentList.h"

#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>

#include <new>

#include "ListCheckBoxes.h"
#include "RegistryKey.h"

namespace {

const char kLayoutProperty[] = "ComponentList";
const char kImageListProperty[] = "ViewImageList";
const char kOrigProcProperty[] = "OrigProc";

const char kMachinePrefix[] = LS_CATALOGUE_PATH "\\";
const char kUserPrefix[] = LS_USER_COMPONENTS_PATH "\\";

// Key paths are built in buffers of this size.
const int kPathSize = 256;
// Catalogue names are taken up to 211 characters; longer ones are skipped.
const DWORD kNameCapacity = 212;
// A row's name read back (Properties, the write-back): one byte more than a
// name with its zero, a byte that the list never writes.
const int kRowNameBuffer = kNameCapacity + 1;
const int kDescriptionSize = 255;
const char kMeasuring[] = "<...>";

// State images of the check box.
const UINT kUnchecked = 1;
const UINT kChecked = 2;

const ComponentListLayout* PageLayout(HWND page)
{
    return static_cast<const ComponentListLayout*>(GetPropA(page, kLayoutProperty));
}

// prefix + name into a zero-filled buffer of kPathSize; false when it does not fit.
bool JoinPath(char* path, const char* prefix, const char* name)
{
    ZeroMemory(path, kPathSize);
    int length = _snprintf(path, kPathSize - 1, "%s%s", prefix, name);
    return length >= 0 && length < kPathSize - 1;
}

IUnknown* RowObject(HWND list, int index)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return NULL;
    return reinterpret_cast<IUnknown*>(item.lParam);
}

// The row's name, whole, into a buffer of kRowNameBuffer bytes. The list is
// told one byte less than the buffer holds, so the name ends in a zero even
// where a list fills what it is told without one. False for a name longer
// than any listed one (cut short, it would name another key).
bool RowName(HWND list, int index, char* name)
{
    ZeroMemory(name, kRowNameBuffer);
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.iSubItem = 0;
    item.pszText = name;
    item.cchTextMax = kRowNameBuffer - 1;
    SendMessageA(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
    return lstrlenA(name) < static_cast<int>(kNameCapacity);
}

void SetSizeText(HWND list, int index, const char* text)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

ICleanerComponent* Contract(IUnknown* object)
{
    ICleanerComponent* component = NULL;
    if (object == NULL ||
        FAILED(object->QueryInterface(IID_ICleanerComponent, reinterpret_cast<void**>(&component))))
        return NULL;
    return component;
}

// The row's image: the icon that "DefaultIcon" names ("file,index", or a
// file alone for index 0) appended to the image list, or -1.
int AddRowIcon(RegistryKey& entry, HIMAGELIST images)
{
    char location[MAX_PATH + 1];
    ZeroMemory(location, sizeof(location));
    entry.QueryValue("DefaultIcon", reinterpret_cast<BYTE*>(location), MAX_PATH);
    int index = 0;
    char* comma = strchr(location, ',');
    if (comma != NULL) {
        index = atoi(comma + 1);
        *comma = '\0';
    }
    // Index -1 would make ExtractIcon count the file's icons instead.
    if (location[0] == '\0' || index == -1)
        return -1;
    HICON icon = ExtractIconA(GetModuleHandleA(NULL), location, static_cast<UINT>(index));
    // 1: the file is not one that holds icons.
    if (icon == NULL || icon == reinterpret_cast<HICON>(1))
        return -1;
    int image = ImageList_ReplaceIcon(images, -1, icon);
    DestroyIcon(icon); // the image list keeps a copy
    return image;
}

int InsertRow(HWND list, const char* name, int image, IUnknown* object, DWORD enabled)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = 0; // the sorted list places it by name
    item.pszText = const_cast<char*>(name);
    item.iImage = image;
    item.lParam = reinterpret_cast<LPARAM>(object);
    int index = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0)
        return index;
    // Any value but 0 means on.
    ZeroMemory(&item, sizeof(item));
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(enabled != 0 ? kChecked : kUnchecked);
    SendMessageA(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
    return index;
}

// Starts the row's size worker. Nothing that fails on the way is left
// behind: the reference is released, the request freed, and the row shows
// no size rather than "<...>" for ever.
void StartSizeWorker(HWND list, int index, IUnknown* object, ICleanerComponent* component)
{
    SetSizeText(list, index, kMeasuring);
    SizeRequest* request = new (std::nothrow) SizeRequest;
    if (request != NULL) {
        request->list = list;
        request->component = component;
        ZeroMemory(&request->find, sizeof(request->find));
        request->find.flags = LVFI_PARAM;
        request->find.lParam = reinterpret_cast<LPARAM>(object);
        DWORD threadId = 0;
        HANDLE thread = CreateThread(NULL, 0, SizeWorker, request, 0, &threadId);
        if (thread != NULL) {
            CloseHandle(thread); // nobody waits for the worker
            return;
        }
        delete request;
    }
    component->Release();
    SetSizeText(list, index, "");
}

void AddColumn(HWND list, int index, const char* title, int width)
{
    LVCOLUMNA column;
    ZeroMemory(&column, sizeof(column));
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(title);
    column.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
}

void ShowDescription(HWND page, const ComponentListLayout& layout, IUnknown* object)
{
    SetDlgItemTextA(page, layout.descriptionBox, "");
    ICleanerComponent* component = Contract(object);
    if (component == NULL)
        return;
    char description[kDescriptionSize];
    ZeroMemory(description, sizeof(description));
    component->GetDescription(description, kDescriptionSize);
    description[kDescriptionSize - 1] = '\0';
    SetDlgItemTextA(page, layout.descriptionBox, description);
    component->Release();
}

// The top-level window that holds `window` (for a page: its sheet).
HWND TopLevel(HWND window)
{
    while (window != NULL && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0)
        window = GetParent(window);
    return window;
}

// Keeps a window from taking input while the object lives. A component's
// sheet, owned by the page, disables the page alone: the sheet around it
// would still take OK, Finish or a change of tab.
class InputBlocked {
public:
    explicit InputBlocked(HWND window) : window_(window), blocked_(false)
    {
        // EnableWindow answers whether it was disabled already.
        if (window_ != NULL)
            blocked_ = !EnableWindow(window_, FALSE);
    }
    ~InputBlocked()
    {
        if (!blocked_ || !IsWindow(window_))
            return;
        EnableWindow(window_, TRUE);
        // The component's sheet, closing, could not hand the activation back
        // to a disabled window: it may have gone to another program.
        SetForegroundWindow(window_);
    }
    InputBlocked(const InputBlocked&) = delete;
    InputBlocked& operator=(const InputBlocked&) = delete;

private:
    HWND window_;
    bool blocked_;
};

void ShowRowProperties(HWND page, const ComponentListLayout& layout)
{
    HWND list = GetDlgItem(page, layout.listView);
    int index = GetSelectedItem(list);
    if (index < 0)
        return;
    char name[kRowNameBuffer];
    IUnknown* object = RowObject(list, index);
    char path[kPathSize];
    if (!RowName(list, index, name) || object == NULL || !JoinPath(path, kUserPrefix, name))
        return;
    ICleanerComponent* component = Contract(object);
    if (component == NULL)
        return;
    RegKeyInfo info = {HKEY_CURRENT_USER, path};
    RegistryKey key(HKEY_CURRENT_USER, path); // made when missing: the pages open it
    {
        InputBlocked sheet(TopLevel(page));
        component->ShowProperties(page, reinterpret_cast<LPARAM>(&info), layout.addPages);
    }
    component->Release();
}

// Properties is usable while a row is selected, whether by mouse or keyboard.
void UpdatePropertiesButton(HWND page, HWND list, const ComponentListLayout& layout)
{
    BOOL selected = SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0;
    EnableWindow(GetDlgItem(page, layout.propertiesButton), selected);
}

} // namespace

BOOL InitComponentListPage(HWND page, const ComponentListLayout* layout)
{
    SetPropA(page, kLayoutProperty, reinterpret_cast<HANDLE>(const_cast<ComponentListLayout*>(layout)));
    HWND list = GetDlgItem(page, layout->listView);

    SetPropA(list, kOrigProcProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrA(list, GWLP_WNDPROC)));
    SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListSubclassProc));

    HIMAGELIST images = ImageList_Create(16, 16, ImageListColorFlag(page) | ILC_MASK, 0, 50);
    if (images != NULL)
        SetPropA(page, kImageListProperty, reinterpret_cast<HANDLE>(images));
    // The page destroys the image list: the list view must not destroy it as well.
    SetWindowLongPtrA(list, GWL_STYLE, GetWindowLongPtrA(list, GWL_STYLE) | LVS_SHAREIMAGELISTS);
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_ONECLICKACTIVATE);
    // Refused by the first common controls: the page makes the boxes itself.
    if ((SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES) == 0)
        GiveListCheckBoxes(page, list);

    RECT client;
    GetClientRect(list, &client);
    int fifth = client.right / 5;
    AddColumn(list, 0, "Component Name", fifth * 4);
    AddColumn(list, 1, "Size", fifth);

    FillComponentList(list, images, layout->catalogueString);
    return TRUE;
}

bool FillComponentList(HWND list, HIMAGELIST images, UINT catalogueString)
{
    // The machine's keys are only read: a user who may not write them lists
    // the same components.
    RegistryKey catalogue(HKEY_LOCAL_MACHINE, catalogueString, GetModuleHandleA(NULL),
                          RegistryKey::kReadOnly);
    DWORD count = catalogue.CountSubKeys();
    for (DWORD i = 0; i < count; ++i) {
        char name[kNameCapacity];
        ZeroMemory(name, sizeof(name));
        if (catalogue.EnumSubKey(name, kNameCapacity, i) != ERROR_SUCCESS)
            continue;
        char machinePath[kPathSize];
        char userPath[kPathSize];
        if (!JoinPath(machinePath, kMachinePrefix, name) || !JoinPath(userPath, kUserPrefix, name))
            continue;

        RegistryKey entry(HKEY_LOCAL_MACHINE, machinePath, RegistryKey::kReadOnly);
        IUnknown* object = CreateCatalogueComponent(entry, CLSCTX_ALL);
        if (object == NULL)
            continue;
        int image = images != NULL ? AddRowIcon(entry, images) : -1;

        RegistryKey user(HKEY_CURRENT_USER, userPath);
        DWORD enabled = 1;
        user.QueryDword("Enabled", &enabled);

        int index = InsertRow(list, name, image, object, enabled);
        if (index < 0) {
            object->Release();
            continue;
        }
        ICleanerComponent* component = Contract(object);
        if (component != NULL)
            StartSizeWorker(list, index, object, component);
    }
    return true;
}

DWORD WINAPI SizeWorker(LPVOID parameter)
{
    SizeRequest* request = static_cast<SizeRequest*>(parameter);
    if (request == NULL)
        return 0;
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    DWORD size = 0;
    request->component->GetSize(&size);
    request->component->Release();
    CoUninitialize();

    char text[32];
    FormatSize(size, text, sizeof(text));
    // Looked up now, not remembered: rows inserted meanwhile move the sorted
    // rows. Sent, so the page's thread makes the change; a page that has gone
    // meanwhile takes neither message.
    int index = static_cast<int>(SendMessageA(request->list, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(&request->find)));
    if (index >= 0)
        SetSizeText(request->list, index, text);
    delete request;
    return 1;
}

void FormatSize(DWORD bytes, char* text, int capacity)
{
    if (text == NULL || capacity <= 0)
        return;
    const DWORD kilo = 1024;
    const DWORD mega = 1024 * 1024;
    const DWORD giga = 1024 * 1024 * 1024;
    unsigned long shown = bytes;
    const char* unit = "Bytes";
    if (bytes > giga) {
        shown = bytes / giga;
        unit = "GB";
    } else if (bytes > mega) {
        shown = bytes / mega;
        unit = "MB";
    } else if (bytes >= kilo) {
        shown = bytes / kilo;
        unit = "KB";
    }
    _snprintf(text, capacity - 1, "%lu %s", shown, unit);
    text[capacity - 1] = '\0';
}

int GetSelectedItem(HWND list)
{
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

UINT ImageListColorFlag(HWND window)
{
    HDC dc = GetDC(window);
    int bits = dc != NULL ? GetDeviceCaps(dc, COLORRES) : 0;
    if (dc != NULL)
        ReleaseDC(window, dc);
    switch (bits) {
    case 4:
        return ILC_COLOR4;
    case 16:
        return ILC_COLOR16;
    case 24:
        return ILC_COLOR24;
    case 32:
        return ILC_COLOR32;
    }
    return ILC_COLOR8;
}

LRESULT CALLBACK ListSubclassProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC original = reinterpret_cast<WNDPROC>(GetPropA(list, kOrigProcProperty));
    if (original == NULL)
        return DefWindowProcA(list, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(list, kOrigProcProperty);
        return CallWindowProcA(original, list, message, wParam, lParam);
    }
    if (ListCheckBoxInput(list, message, wParam, lParam))
        return 0;
    LRESULT result = CallWindowProcA(original, list, message, wParam, lParam);
    if (message == WM_LBUTTONDOWN) {
        HWND page = GetParent(list);
        const ComponentListLayout* layout = PageLayout(page);
        if (layout != NULL)
            UpdatePropertiesButton(page, list, *layout);
    }
    return result;
}

void ComponentListCommand(HWND page, WORD control)
{
    const ComponentListLayout* layout = PageLayout(page);
    if (layout != NULL && control == layout->propertiesButton)
        ShowRowProperties(page, *layout);
}

void ComponentListItemChanged(HWND page, const NMLISTVIEW* change)
{
    const ComponentListLayout* layout = PageLayout(page);
    if (layout == NULL || change == NULL)
        return;
    HWND list = GetDlgItem(page, layout->listView);
    // A selection made with the keyboard counts as one made with the mouse.
    if ((change->uChanged & LVIF_STATE) != 0 && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED) != 0)
        UpdatePropertiesButton(page, list, *layout);
    if (layout->descriptionBox != 0 && change->uNewState != 0)
        ShowDescription(page, *layout, RowObject(list, change->iItem));
}

void SaveComponentList(HWND page)
{
    const ComponentListLayout* layout = PageLayout(page);
    if (layout == NULL)
        return;
    HWND list = GetDlgItem(page, layout->listView);
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < count; ++index) {
        char name[kRowNameBuffer];
        char path[kPathSize];
        if (!RowName(list, index, name) || !JoinPath(path, kUserPrefix, name))
            continue;
        UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, index, LVIS_STATEIMAGEMASK));
        RegistryKey user(HKEY_CURRENT_USER, path);
        user.SetDword("Enabled", (state >> 12) == kChecked ? 1 : 0);
    }
}

void DestroyComponentListPage(HWND page)
{
    const ComponentListLayout* layout = PageLayout(page);
    if (layout != NULL) {
        HWND list = GetDlgItem(page, layout->listView);
        int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        for (int index = 0; index < count; ++index) {
            IUnknown* object = RowObject(list, index);
            if (object == NULL)
                continue;
            object->Release();
            LVITEMA item;
            ZeroMemory(&item, sizeof(item));
            item.mask = LVIF_PARAM;
            item.iItem = index;
            item.lParam = 0;
            SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    HIMAGELIST images = static_cast<HIMAGELIST>(GetPropA(page, kImageListProperty));
    if (images != NULL) {
        ImageList_Destroy(images);
        RemovePropA(page, kImageListProperty);
    }
    DestroyListCheckBoxes(page);
    RemovePropA(page, kLayoutProperty);
}
