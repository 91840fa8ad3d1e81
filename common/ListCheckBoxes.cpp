// The page's own check boxes for a list view without the extended style.
#include "ListCheckBoxes.h"

#include <commctrl.h>

#include "ComponentList.h"

namespace {

const char kStateImagesProperty[] = "StateImageList";

// The state images of the check box.
const UINT kUnchecked = 1;
const UINT kChecked = 2;

// A bitmap selected into a memory device context, for drawing on.
class Canvas {
public:
    Canvas(int width, int height) : dc_(NULL), bitmap_(NULL), old_(NULL)
    {
        HDC screen = GetDC(NULL);
        if (screen == NULL)
            return;
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(NULL, screen);
        if (dc_ != NULL && bitmap_ != NULL)
            old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas()
    {
        Deselect();
        if (bitmap_ != NULL)
            DeleteObject(bitmap_);
        if (dc_ != NULL)
            DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return old_ != NULL ? dc_ : NULL; }
    // The bitmap, no longer selected (an image list takes only such a one).
    HBITMAP Finish()
    {
        Deselect();
        return bitmap_;
    }

private:
    void Deselect()
    {
        if (old_ != NULL)
            SelectObject(dc_, old_);
        old_ = NULL;
    }
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

// The two state images of a check box, unchecked (state image 1) and
// checked (2), drawn by the system as it draws a check-box button.
HIMAGELIST MakeCheckBoxImages(HWND page)
{
    const int size = 16;
    const COLORREF kTransparent = RGB(255, 0, 255);
    HIMAGELIST images = ImageList_Create(size, size, ImageListColorFlag(page) | ILC_MASK, 2, 0);
    if (images == NULL)
        return NULL;
    Canvas canvas(size * 2, size);
    HDC dc = canvas.Dc();
    if (dc != NULL) {
        RECT all = {0, 0, size * 2, size};
        HBRUSH background = CreateSolidBrush(kTransparent);
        if (background != NULL) {
            FillRect(dc, &all, background);
            DeleteObject(background);
        }
        for (int checked = 0; checked < 2; ++checked) {
            RECT box = {checked * size + 1, 1, checked * size + 14, 14}; // the system's 13 x 13
            DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (checked ? DFCS_CHECKED : 0));
        }
        ImageList_AddMasked(images, canvas.Finish(), kTransparent);
    }
    if (ImageList_GetImageCount(images) != 2) {
        ImageList_Destroy(images);
        return NULL;
    }
    return images;
}

// A list whose rows have the page's own check boxes.
bool HasOwnCheckBoxes(HWND list)
{
    return GetPropA(GetParent(list), kStateImagesProperty) != NULL;
}

void ToggleCheckBox(HWND list, int index)
{
    if (index < 0)
        return;
    UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, index, LVIS_STATEIMAGEMASK)) >> 12;
    LVITEMA item;
    ZeroMemory(&item, sizeof(item));
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(state == kChecked ? kUnchecked : kChecked);
    SendMessageA(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

// The row whose check box is under a point of the list's client area, or -1.
int CheckBoxAt(HWND list, LPARAM point)
{
    LVHITTESTINFO hit;
    ZeroMemory(&hit, sizeof(hit));
    hit.pt.x = static_cast<short>(LOWORD(point));
    hit.pt.y = static_cast<short>(HIWORD(point));
    int index = static_cast<int>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return index >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0 ? index : -1;
}

} // namespace

bool GiveListCheckBoxes(HWND page, HWND list)
{
    HIMAGELIST images = MakeCheckBoxImages(page);
    if (images == NULL)
        return false;
    SetPropA(page, kStateImagesProperty, reinterpret_cast<HANDLE>(images));
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_STATE, reinterpret_cast<LPARAM>(images));
    return true;
}

bool ListCheckBoxInput(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!HasOwnCheckBoxes(list))
        return false;
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
        int index = CheckBoxAt(list, lParam);
        if (index < 0)
            return false;
        SetFocus(list);
        ToggleCheckBox(list, index);
        return true;
    }
    if (message == WM_KEYDOWN && wParam == VK_SPACE) {
        WPARAM from = static_cast<WPARAM>(-1);
        ToggleCheckBox(list, static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, from, LVNI_FOCUSED)));
    }
    return false;
}

void DestroyListCheckBoxes(HWND page)
{
    HIMAGELIST images = static_cast<HIMAGELIST>(GetPropA(page, kStateImagesProperty));
    if (images == NULL)
        return;
    ImageList_Destroy(images);
    RemovePropA(page, kStateImagesProperty);
}
