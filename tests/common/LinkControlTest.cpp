// The hyperlink control in a real dialog (template 201 of the test resources:
// an OK button, then links 1000 and 1001, each placed in an area 180 dialog
// units wide), driven with messages; its drawing is read back from the
// window's pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "LinkControl.h"

namespace {

const int kLinksDialog = 201;
const int kWebLink = 1000;
const int kMailLink = 1001;
const char kWebText[] = "www.larkspire-example.com/home"; // 30 characters
const char kMailText[] = "mail@larkspire-example.com";

// WM_COMMAND messages that reached the dialog.
struct Command {
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Command> g_commands;

INT_PTR CALLBACK LinksDialogProc(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        return TRUE; // the focus goes to the OK button, the first tab stop
    if (message == WM_COMMAND) {
        Command command = {wParam, lParam};
        g_commands.push_back(command);
        return TRUE;
    }
    return FALSE;
}

HFONT MakeArial8(BOOL underline)
{
    HDC screen = GetDC(NULL);
    int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(NULL, screen);
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, "Arial");
}

// Width of a single line of text in Arial 8 points, as DrawTextA measures it.
int MeasuredWidth(const std::string& text)
{
    HDC screen = GetDC(NULL);
    HFONT font = MakeArial8(FALSE);
    HGDIOBJ old = SelectObject(screen, font);
    RECT rect = {0, 0, 0, 0};
    DrawTextA(screen, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | DT_SINGLELINE);
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(NULL, screen);
    return rect.right - rect.left;
}

INT_PTR Prop(HWND window, const char* name)
{
    return reinterpret_cast<INT_PTR>(GetPropA(window, name));
}

BOOL CALLBACK CollectPropName(HWND, LPSTR name, HANDLE, ULONG_PTR names)
{
    if (!IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<std::string>*>(names)->push_back(name);
    return TRUE;
}

std::vector<std::string> PropNames(HWND window)
{
    std::vector<std::string> names;
    EnumPropsExA(window, CollectPropName, reinterpret_cast<LPARAM>(&names));
    std::sort(names.begin(), names.end());
    return names;
}

bool HasProp(const std::vector<std::string>& names, const char* name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Window rectangle in the parent's client coordinates.
RECT RectInParent(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(NULL, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The pixels of the left `width` columns of a window's client area (all of
// it when 0), as 0x00RRGGBB values.
class Pixels {
public:
    explicit Pixels(HWND window, int width = 0)
    {
        RECT client;
        GetClientRect(window, &client);
        width_ = width > 0 ? std::min<int>(width, client.right) : client.right;
        height_ = client.bottom;
        bits_.assign(static_cast<size_t>(width_) * height_, 0);
        if (width_ <= 0 || height_ <= 0)
            return;
        BITMAPINFO info;
        ZeroMemory(&info, sizeof(info));
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_; // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        HDC dc = GetDC(window);
        HDC memory = CreateCompatibleDC(dc);
        void* data = NULL;
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &data, NULL, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width_, height_, dc, 0, 0, SRCCOPY);
        GdiFlush();
        const DWORD* source = static_cast<const DWORD*>(data);
        for (size_t i = 0; i < bits_.size(); ++i)
            bits_[i] = source[i] & 0x00FFFFFF;
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(window, dc);
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    DWORD At(int x, int y) const { return bits_[static_cast<size_t>(y) * width_ + x]; }

    int Count(DWORD colour) const
    {
        return static_cast<int>(std::count(bits_.begin(), bits_.end(), colour));
    }
    // Pixels of `colour` in the columns from `from` up to `to` (excluded).
    int CountInColumns(DWORD colour, int from, int to) const
    {
        int count = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = std::max(from, 0); x < std::min(to, width_); ++x)
                count += At(x, y) == colour ? 1 : 0;
        return count;
    }
    // Pixels other than the background `face` there.
    int InkInColumns(DWORD face, int from, int to) const
    {
        int columns = std::max(0, std::min(to, width_) - std::max(from, 0));
        return columns * height_ - CountInColumns(face, from, to);
    }
    // Pixels of the outermost rows and columns that are not `colour`.
    int BorderPixelsOtherThan(DWORD colour) const
    {
        int count = 0;
        for (int x = 0; x < width_; ++x)
            count += (At(x, 0) != colour) + (At(x, height_ - 1) != colour);
        for (int y = 1; y < height_ - 1; ++y)
            count += (At(0, y) != colour) + (At(width_ - 1, y) != colour);
        return count;
    }

private:
    int width_;
    int height_;
    std::vector<DWORD> bits_;
};

const DWORD kBlue = 0x000000FF; // 0x00RRGGBB

DWORD FaceColour()
{
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    return (static_cast<DWORD>(GetRValue(face)) << 16) | (GetGValue(face) << 8) | GetBValue(face);
}

// Repaints a window now, erasing its background.
void Repaint(HWND window)
{
    InvalidateRect(window, NULL, TRUE);
    UpdateWindow(window);
}

// Records, through a hook that sees each message after the window procedure
// has handled it, the properties a window still has once it has handled
// WM_DESTROY.
HWND g_watched = NULL;
bool g_sawDestroy = false;
std::vector<std::string> g_propsAfterDestroy;

LRESULT CALLBACK AfterWindowProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (call->hwnd == g_watched && call->message == WM_DESTROY) {
            g_sawDestroy = true;
            g_propsAfterDestroy = PropNames(call->hwnd);
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

class LinkControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        instance_ = GetModuleHandleA(NULL);
        // The real pointer stays away from the dialog, so that only the
        // messages sent here move the "pointer".
        SetCursorPos(1279, 1023);
        ASSERT_TRUE(RegisterLinkClass(instance_, MAKEINTRESOURCEA(113)));
        dialog_ = CreateDialogParamA(instance_, MAKEINTRESOURCEA(kLinksDialog), NULL,
                                     LinksDialogProc, 0);
        ASSERT_TRUE(dialog_ != NULL);
        SetWindowPos(dialog_, NULL, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(dialog_, SW_SHOW);
        UpdateWindow(dialog_);
        web_ = GetDlgItem(dialog_, kWebLink);
        mail_ = GetDlgItem(dialog_, kMailLink);
        ASSERT_TRUE(web_ != NULL);
        ASSERT_TRUE(mail_ != NULL);
        g_commands.clear();
    }

    void TearDown() override
    {
        if (dialog_ != NULL)
            DestroyWindow(dialog_);
        EXPECT_TRUE(UnregisterLinkClass(instance_));
    }

    // A dialog rectangle in pixels.
    RECT DialogUnits(int left, int top, int right, int bottom) const
    {
        RECT rect = {left, top, right, bottom};
        MapDialogRect(dialog_, &rect);
        return rect;
    }

    // Makes the dialog as wide as the screen, for long texts.
    void WidenDialog()
    {
        SetWindowPos(dialog_, NULL, 0, 0, GetSystemMetrics(SM_CXSCREEN), 200,
                     SWP_NOMOVE | SWP_NOZORDER);
        UpdateWindow(dialog_);
    }

    // Width of the part of a link inside the dialog's client area.
    int VisibleWidth(HWND link) const
    {
        RECT client;
        GetClientRect(dialog_, &client);
        return client.right - RectInParent(link).left;
    }

    LRESULT MoveTo(HWND link, int x, int y)
    {
        return SendMessageA(link, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }

    static WORD CodeOf(const Command& command) { return HIWORD(command.wParam); }

    HINSTANCE instance_ = NULL;
    HWND dialog_ = NULL;
    HWND web_ = NULL;
    HWND mail_ = NULL;
};

// --- Registration ---

TEST(LinkClassTest, RegistersWithTheProgramsNumberedCursorResource)
{
    HINSTANCE instance = GetModuleHandleA(NULL);
    ASSERT_TRUE(RegisterLinkClass(instance, MAKEINTRESOURCEA(113)));

    WNDCLASSEXA info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetClassInfoExA(instance, LINK_CLASS_NAME, &info));
    EXPECT_EQ(static_cast<UINT>(CS_DBLCLKS), info.style);
    EXPECT_TRUE(info.lpfnWndProc == LinkWndProc);
    EXPECT_EQ(0, info.cbClsExtra);
    EXPECT_EQ(0, info.cbWndExtra);
    EXPECT_TRUE(info.hbrBackground ==
                reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
    EXPECT_TRUE(info.lpszMenuName == NULL);
    EXPECT_TRUE(info.hIcon == LoadIconA(NULL, IDI_APPLICATION));

    // The cursor is the program's own hand, fingertip at (7, 0).
    HCURSOR hand = LoadCursorA(instance, MAKEINTRESOURCEA(113));
    ASSERT_TRUE(hand != NULL);
    EXPECT_TRUE(info.hCursor == hand);
    ICONINFO cursor;
    ASSERT_TRUE(GetIconInfo(info.hCursor, &cursor));
    EXPECT_FALSE(cursor.fIcon);
    EXPECT_EQ(7u, cursor.xHotspot);
    EXPECT_EQ(0u, cursor.yHotspot);
    if (cursor.hbmMask != NULL)
        DeleteObject(cursor.hbmMask);
    if (cursor.hbmColor != NULL)
        DeleteObject(cursor.hbmColor);

    EXPECT_FALSE(RegisterLinkClass(instance, MAKEINTRESOURCEA(113))); // already there
    EXPECT_TRUE(UnregisterLinkClass(instance));
    EXPECT_FALSE(GetClassInfoExA(instance, LINK_CLASS_NAME, &info));
    EXPECT_FALSE(UnregisterLinkClass(instance));
}

TEST(LinkClassTest, RegistersWithTheProgramsNamedCursorResource)
{
    HINSTANCE instance = GetModuleHandleA(NULL);
    ASSERT_TRUE(RegisterLinkClass(instance, "IDC_POINTER"));
    WNDCLASSEXA info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    EXPECT_TRUE(GetClassInfoExA(instance, LINK_CLASS_NAME, &info));
    HCURSOR hand = LoadCursorA(instance, "IDC_POINTER");
    EXPECT_TRUE(hand != NULL);
    EXPECT_TRUE(info.hCursor == hand);
    EXPECT_TRUE(UnregisterLinkClass(instance));
}

TEST(LinkClassTest, CannotBeUnregisteredWhileALinkExists)
{
    HINSTANCE instance = GetModuleHandleA(NULL);
    ASSERT_TRUE(RegisterLinkClass(instance, MAKEINTRESOURCEA(113)));
    HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(kLinksDialog), NULL,
                                     LinksDialogProc, 0);
    ASSERT_TRUE(dialog != NULL);
    EXPECT_FALSE(UnregisterLinkClass(instance));
    DestroyWindow(dialog);
    EXPECT_TRUE(UnregisterLinkClass(instance));
}

// --- Creation, fonts and properties ---

TEST_F(LinkControlTest, SizesItselfToItsTextInsideTheTemplatesArea)
{
    char text[64];
    GetWindowTextA(web_, text, sizeof(text));
    ASSERT_STREQ(kWebText, text);
    ASSERT_EQ(30u, strlen(text));

    RECT place = DialogUnits(10, 10, 0, 0);
    RECT size = DialogUnits(0, 0, 180, 10);
    RECT link = RectInParent(web_);
    int width = MeasuredWidth(kWebText);
    EXPECT_GT(width, 0);
    EXPECT_LT(width, size.right); // it really shrank
    EXPECT_EQ(width, link.right - link.left);
    EXPECT_EQ(size.bottom, link.bottom - link.top); // height kept
    EXPECT_EQ(place.left, link.left);               // position kept
    EXPECT_EQ(place.top, link.top);

    EXPECT_EQ(MeasuredWidth(kMailText), RectInParent(mail_).right - RectInParent(mail_).left);
}

TEST_F(LinkControlTest, PointsRightOfTheTextBelongToTheDialog)
{
    RECT area = DialogUnits(10, 10, 10 + 180, 10 + 10);
    RECT link = RectInParent(web_);
    int y = (link.top + link.bottom) / 2;

    POINT onText = {link.left + 2, y};
    POINT rightOfText = {link.right + 2, y};
    POINT nearAreaEnd = {area.right - 2, y};
    EXPECT_TRUE(ChildWindowFromPoint(dialog_, onText) == web_);
    EXPECT_TRUE(ChildWindowFromPoint(dialog_, rightOfText) == dialog_);
    EXPECT_TRUE(ChildWindowFromPoint(dialog_, nearAreaEnd) == dialog_);

    // The same on the screen, where mouse input is routed.
    ClientToScreen(dialog_, &onText);
    ClientToScreen(dialog_, &rightOfText);
    EXPECT_TRUE(WindowFromPoint(onText) == web_);
    EXPECT_TRUE(WindowFromPoint(rightOfText) == dialog_);

    // A press there is the dialog's and no link reports it.
    ScreenToClient(dialog_, &rightOfText);
    SendMessageA(dialog_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rightOfText.x, rightOfText.y));
    SendMessageA(dialog_, WM_LBUTTONUP, 0, MAKELPARAM(rightOfText.x, rightOfText.y));
    EXPECT_TRUE(g_commands.empty());
    EXPECT_TRUE(GetFocus() != web_);
}

TEST_F(LinkControlTest, HasItsFourPropertiesFromCreationWithHoverAndFocusOff)
{
    std::vector<std::string> names = PropNames(web_);
    EXPECT_TRUE(HasProp(names, "Normal"));
    EXPECT_TRUE(HasProp(names, "Under"));
    EXPECT_TRUE(HasProp(names, "Hover"));
    EXPECT_TRUE(HasProp(names, "Focus"));
    EXPECT_EQ(0, Prop(web_, "Hover"));
    EXPECT_EQ(0, Prop(web_, "Focus"));
}

TEST_F(LinkControlTest, FontsAreArial8PointsPlainAndUnderlined)
{
    HFONT normal = static_cast<HFONT>(GetPropA(web_, "Normal"));
    HFONT under = static_cast<HFONT>(GetPropA(web_, "Under"));
    ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(normal));
    ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(under));
    EXPECT_TRUE(normal != under);
    EXPECT_TRUE(normal != static_cast<HFONT>(GetPropA(mail_, "Normal"))); // one pair per link

    HDC screen = GetDC(NULL);
    LONG height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(NULL, screen);

    LOGFONTA font;
    ASSERT_EQ(static_cast<int>(sizeof(font)), GetObjectA(normal, sizeof(font), &font));
    EXPECT_STREQ("Arial", font.lfFaceName);
    EXPECT_EQ(height, font.lfHeight);
    EXPECT_EQ(0, font.lfWidth);
    EXPECT_EQ(400, font.lfWeight);
    EXPECT_EQ(0, font.lfItalic);
    EXPECT_EQ(0, font.lfUnderline);
    EXPECT_EQ(0, font.lfStrikeOut);
    EXPECT_EQ(ANSI_CHARSET, font.lfCharSet);

    ASSERT_EQ(static_cast<int>(sizeof(font)), GetObjectA(under, sizeof(font), &font));
    EXPECT_STREQ("Arial", font.lfFaceName);
    EXPECT_EQ(height, font.lfHeight);
    EXPECT_EQ(400, font.lfWeight);
    EXPECT_EQ(1, font.lfUnderline);
}

TEST_F(LinkControlTest, DestructionDeletesTheFontsAndRemovesAllProperties)
{
    HFONT normal = static_cast<HFONT>(GetPropA(web_, "Normal"));
    HFONT under = static_cast<HFONT>(GetPropA(web_, "Under"));
    ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(normal));
    ASSERT_EQ(static_cast<DWORD>(OBJ_FONT), GetObjectType(under));
    MoveTo(web_, 1, 1);                            // "Hover" 1
    SendMessageA(web_, WM_LBUTTONDOWN, MK_LBUTTON, 0); // "Focus" 1
    ASSERT_EQ(1, Prop(web_, "Hover"));
    ASSERT_EQ(1, Prop(web_, "Focus"));

    g_watched = web_;
    g_sawDestroy = false;
    g_propsAfterDestroy.assign(1, "not recorded");
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterWindowProc, NULL, GetCurrentThreadId());
    ASSERT_TRUE(hook != NULL);
    DestroyWindow(dialog_);
    dialog_ = NULL;
    UnhookWindowsHookEx(hook);
    g_watched = NULL;

    ASSERT_TRUE(g_sawDestroy);
    EXPECT_FALSE(HasProp(g_propsAfterDestroy, "Normal"));
    EXPECT_FALSE(HasProp(g_propsAfterDestroy, "Under"));
    EXPECT_FALSE(HasProp(g_propsAfterDestroy, "Hover"));
    EXPECT_FALSE(HasProp(g_propsAfterDestroy, "Focus"));
    EXPECT_FALSE(HasProp(g_propsAfterDestroy, "not recorded"));
    EXPECT_EQ(0u, GetObjectType(normal));
    EXPECT_EQ(0u, GetObjectType(under));
}

TEST_F(LinkControlTest, KeepsAnInitialTextOf511CharactersWholeAndMeasuresIt)
{
    WidenDialog();
    std::string text(511, 'x');
    text[510] = 'W'; // the last character counts in the width
    HWND link = CreateWindowExA(0, LINK_CLASS_NAME, text.c_str(), WS_CHILD | WS_VISIBLE, 5, 60,
                                100, 15, dialog_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(1002)),
                                instance_, NULL);
    ASSERT_TRUE(link != NULL);
    EXPECT_EQ(511, GetWindowTextLengthA(link));
    RECT rect = RectInParent(link);
    EXPECT_EQ(MeasuredWidth(text), rect.right - rect.left);
    EXPECT_GT(MeasuredWidth(text), MeasuredWidth(text.substr(0, 510)));
    EXPECT_EQ(15, rect.bottom - rect.top);
    EXPECT_EQ(5, rect.left);
    EXPECT_EQ(60, rect.top);
}

TEST_F(LinkControlTest, CutsALongerInitialTextTo511Characters)
{
    std::string text(600, 'x');
    HWND link = CreateWindowExA(0, LINK_CLASS_NAME, text.c_str(), WS_CHILD, 5, 60, 100, 15,
                                dialog_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(1002)),
                                instance_, NULL);
    ASSERT_TRUE(link != NULL);
    EXPECT_EQ(511, GetWindowTextLengthA(link));
    RECT rect = RectInParent(link);
    EXPECT_EQ(MeasuredWidth(text.substr(0, 511)), rect.right - rect.left);
}

// --- Text changes ---

TEST_F(LinkControlTest, NewTextResizesTheControlInPlaceAndRepaintsIt)
{
    RECT before = RectInParent(web_);
    ASSERT_FALSE(GetUpdateRect(web_, NULL, FALSE)); // painted

    const char shorter[] = "Short";
    EXPECT_TRUE(SetWindowTextA(web_, shorter));
    RECT after = RectInParent(web_);
    EXPECT_EQ(MeasuredWidth(shorter), after.right - after.left);
    EXPECT_LT(after.right - after.left, before.right - before.left);
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
    EXPECT_EQ(before.bottom, after.bottom);
    EXPECT_TRUE(GetUpdateRect(web_, NULL, FALSE)); // to be repainted

    const char longer[] = "http://www.larkspire-example.com/support/questions/index.html";
    EXPECT_EQ(TRUE, SendMessageA(web_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(longer)));
    after = RectInParent(web_);
    EXPECT_EQ(MeasuredWidth(longer), after.right - after.left);
    EXPECT_GT(after.right - after.left, DialogUnits(0, 0, 180, 10).right); // past its first area
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
    EXPECT_EQ(before.bottom, after.bottom);

    char text[128];
    GetWindowTextA(web_, text, sizeof(text));
    EXPECT_STREQ(longer, text);
}

TEST_F(LinkControlTest, EmptyOrMissingTextShrinksTheControlToNothing)
{
    RECT before = RectInParent(web_);
    SetWindowTextA(web_, "");
    RECT after = RectInParent(web_);
    EXPECT_EQ(0, after.right - after.left);
    EXPECT_EQ(before.bottom - before.top, after.bottom - after.top);

    SetWindowTextA(web_, kWebText);
    ASSERT_EQ(MeasuredWidth(kWebText), RectInParent(web_).right - RectInParent(web_).left);
    SendMessageA(web_, WM_SETTEXT, 0, 0); // no text at all
    after = RectInParent(web_);
    EXPECT_EQ(0, after.right - after.left);
    EXPECT_EQ(0, GetWindowTextLengthA(web_));
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
}

TEST_F(LinkControlTest, MeasuresATextOver254CharactersInFull)
{
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += static_cast<char>('a' + i % 26);
    SetWindowTextA(web_, text.c_str());
    RECT rect = RectInParent(web_);
    EXPECT_EQ(400, GetWindowTextLengthA(web_));
    EXPECT_EQ(MeasuredWidth(text), rect.right - rect.left);
    EXPECT_GT(rect.right - rect.left, MeasuredWidth(text.substr(0, 254)));
}

// --- Painting ---

TEST_F(LinkControlTest, PaintsItsTextInBlueOnTheFaceColour)
{
    Repaint(web_);
    Pixels pixels(web_);
    EXPECT_GT(pixels.Count(kBlue), 20);
    EXPECT_GT(pixels.Count(FaceColour()), pixels.Width() * pixels.Height() / 2);
    // Only blue, the face, and the blends of the two appear: no other colour.
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width(); ++x) {
            DWORD p = pixels.At(x, y);
            ASSERT_TRUE(p == kBlue || p == FaceColour() ||
                        ((p >> 16) <= (FaceColour() >> 16) && (p & 0xFF) >= 0x80))
                << std::hex << p << " at " << std::dec << x << "," << y;
        }
}

TEST_F(LinkControlTest, HoverUnderlinesTheTextAndLeavingRemovesTheUnderline)
{
    Repaint(web_);
    int plain = Pixels(web_).Count(kBlue);

    MoveTo(web_, 3, 3);
    UpdateWindow(web_);
    Pixels hovered(web_);
    // A blue line almost as long as the text.
    int longestRow = 0;
    for (int y = 0; y < hovered.Height(); ++y) {
        int row = 0;
        for (int x = 0; x < hovered.Width(); ++x)
            row += hovered.At(x, y) == kBlue ? 1 : 0;
        longestRow = std::max(longestRow, row);
    }
    EXPECT_GT(longestRow, hovered.Width() * 9 / 10);
    EXPECT_GT(hovered.Count(kBlue), plain + hovered.Width() / 2);

    MoveTo(web_, 3, 1000);
    UpdateWindow(web_);
    EXPECT_EQ(plain, Pixels(web_).Count(kBlue));
}

TEST_F(LinkControlTest, FocusDrawsAFocusRectangleAndLosingItErasesIt)
{
    Repaint(web_);
    DWORD face = FaceColour();
    Pixels before(web_);
    int top = 0;
    for (int x = 0; x < before.Width(); ++x)
        top += before.At(x, 0) != face ? 1 : 0;
    EXPECT_EQ(0, top) << "the text reaches the top row";

    SendMessageA(web_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ASSERT_TRUE(GetFocus() == web_);
    UpdateWindow(web_);
    Pixels focused(web_);
    // Dotted: about every other pixel of the outermost rows and columns.
    EXPECT_GT(focused.BorderPixelsOtherThan(face),
              before.BorderPixelsOtherThan(face) + focused.Width() / 2);
    int dotsOnTop = 0;
    for (int x = 0; x < focused.Width(); ++x)
        dotsOnTop += focused.At(x, 0) != face ? 1 : 0;
    EXPECT_GE(dotsOnTop, focused.Width() / 2 - 1);

    SetFocus(GetDlgItem(dialog_, IDOK));
    EXPECT_EQ(0, Prop(web_, "Focus"));
    UpdateWindow(web_);
    EXPECT_EQ(before.BorderPixelsOtherThan(face), Pixels(web_).BorderPixelsOtherThan(face));
}

TEST_F(LinkControlTest, PaintsOnlyTheFirst254CharactersOfALongerText)
{
    WidenDialog();
    // 250 spaces, then W: the 251st to the 254th are painted, the rest not.
    std::string painted = std::string(250, ' ') + "WWWW";
    std::string text = painted + std::string(146, 'W');
    SetWindowTextA(web_, text.c_str());
    UpdateWindow(web_);

    int paintedWidth = MeasuredWidth(painted);
    int visible = VisibleWidth(web_);
    ASSERT_GT(visible, paintedWidth + 100) << "the screen is too narrow for this test";
    Pixels pixels(web_, visible);
    DWORD face = FaceColour();
    int spaces = MeasuredWidth(std::string(250, ' '));
    EXPECT_GT(pixels.CountInColumns(kBlue, spaces, paintedWidth), 0);
    EXPECT_GT(pixels.InkInColumns(face, spaces, paintedWidth), 40);
    EXPECT_EQ(0, pixels.InkInColumns(face, 0, spaces - 1));
    EXPECT_EQ(0, pixels.InkInColumns(face, paintedWidth + 1, visible));
}

// --- Hover tracking ---

TEST_F(LinkControlTest, EnteringSetsHoverCapturesTheMouseAndNotifiesOnce)
{
    EXPECT_EQ(0, MoveTo(web_, 5, 5));
    EXPECT_EQ(1, Prop(web_, "Hover"));
    EXPECT_TRUE(GetCapture() == web_);
    ASSERT_EQ(1u, g_commands.size());
    EXPECT_EQ(LN_HOVER, CodeOf(g_commands[0]));
    EXPECT_EQ(kWebLink, LOWORD(g_commands[0].wParam));
    EXPECT_TRUE(reinterpret_cast<HWND>(g_commands[0].lParam) == web_);

    // Further moves inside: nothing new.
    EXPECT_EQ(0, MoveTo(web_, 6, 5));
    EXPECT_EQ(0, MoveTo(web_, 0, 0));
    EXPECT_EQ(1u, g_commands.size());
    EXPECT_EQ(1, Prop(web_, "Hover"));
    EXPECT_TRUE(GetCapture() == web_);
    ReleaseCapture();
}

TEST_F(LinkControlTest, LeavingAcrossAnyEdgeEndsTheHoverSilently)
{
    RECT client;
    GetClientRect(web_, &client);
    int midX = client.right / 2;
    int midY = client.bottom / 2;
    struct Exit {
        const char* edge;
        LPARAM point;
    } exits[] = {
        {"right", MAKELPARAM(client.right + 1, midY)},
        {"bottom", MAKELPARAM(midX, client.bottom + 1)},
        {"left", MAKELPARAM(-1, midY)},
        {"top", MAKELPARAM(midX, -1)},
        {"far left and above", MAKELPARAM(-300, -200)},
    };
    size_t hovers = 0;
    for (const Exit& exit : exits) {
        SCOPED_TRACE(exit.edge);
        EXPECT_EQ(0, MoveTo(web_, midX, midY));
        ++hovers;
        ASSERT_EQ(hovers, g_commands.size()); // one LN_HOVER per entry
        EXPECT_EQ(LN_HOVER, CodeOf(g_commands.back()));
        ASSERT_TRUE(GetCapture() == web_);

        EXPECT_EQ(1, SendMessageA(web_, WM_MOUSEMOVE, 0, exit.point));
        EXPECT_EQ(0, Prop(web_, "Hover"));
        EXPECT_TRUE(GetCapture() == NULL);
        EXPECT_EQ(hovers, g_commands.size()); // leaving says nothing
        EXPECT_TRUE(GetUpdateRect(web_, NULL, FALSE)); // the underline goes
        UpdateWindow(web_);
    }
}

TEST_F(LinkControlTest, ThePointOnTheRightAndBottomEdgeIsInside)
{
    RECT client;
    GetClientRect(web_, &client);
    EXPECT_EQ(0, MoveTo(web_, client.right, client.bottom));
    EXPECT_EQ(1, Prop(web_, "Hover"));
    ASSERT_EQ(1u, g_commands.size());
    EXPECT_EQ(LN_HOVER, CodeOf(g_commands[0]));
    EXPECT_EQ(0, MoveTo(web_, client.right, 0));
    EXPECT_EQ(0, MoveTo(web_, 0, client.bottom));
    EXPECT_EQ(1, Prop(web_, "Hover"));
    EXPECT_EQ(1u, g_commands.size());

    EXPECT_EQ(1, MoveTo(web_, client.right + 1, client.bottom));
    EXPECT_EQ(0, Prop(web_, "Hover"));
    EXPECT_EQ(1u, g_commands.size());
}

TEST_F(LinkControlTest, AMoveOutsideWithoutHoverChangesNothingButReturnsOne)
{
    EXPECT_EQ(1, MoveTo(web_, 5, 5000));
    EXPECT_EQ(0, Prop(web_, "Hover"));
    EXPECT_TRUE(g_commands.empty());
}

// --- Clicks and keys ---

TEST_F(LinkControlTest, PressingTheLeftButtonClicksAtOnceAndTakesTheFocus)
{
    ASSERT_TRUE(GetFocus() != mail_);
    EXPECT_EQ(0, SendMessageA(mail_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4)));
    ASSERT_EQ(1u, g_commands.size()); // before any release
    EXPECT_EQ(MAKEWPARAM(kMailLink, LN_CLICK), g_commands[0].wParam);
    EXPECT_TRUE(reinterpret_cast<HWND>(g_commands[0].lParam) == mail_);
    EXPECT_TRUE(GetFocus() == mail_);
    EXPECT_EQ(1, Prop(mail_, "Focus"));
    EXPECT_EQ(0, Prop(web_, "Focus"));

    SendMessageA(mail_, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    EXPECT_EQ(1u, g_commands.size()); // the release adds nothing
}

TEST_F(LinkControlTest, ReleasingEnterClicksAndSpaceDoesNothing)
{
    SetFocus(web_);
    ASSERT_EQ(1, Prop(web_, "Focus"));

    SendMessageA(web_, WM_KEYDOWN, VK_SPACE, 0x00390001);
    SendMessageA(web_, WM_KEYUP, VK_SPACE, 0xC0390001);
    EXPECT_TRUE(g_commands.empty());

    SendMessageA(web_, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    EXPECT_TRUE(g_commands.empty()); // on the release, not the press
    EXPECT_EQ(0, SendMessageA(web_, WM_KEYUP, VK_RETURN, 0xC01C0001));
    ASSERT_EQ(1u, g_commands.size());
    EXPECT_EQ(MAKEWPARAM(kWebLink, LN_CLICK), g_commands[0].wParam);
    EXPECT_TRUE(reinterpret_cast<HWND>(g_commands[0].lParam) == web_);

    SendMessageA(web_, WM_KEYUP, VK_TAB, 0xC00F0001);
    SendMessageA(web_, WM_KEYUP, 'A', 0xC01E0001);
    EXPECT_EQ(1u, g_commands.size());
}

TEST_F(LinkControlTest, FocusFollowsTheDialogsTabOrder)
{
    HWND ok = GetDlgItem(dialog_, IDOK);
    ASSERT_TRUE(GetFocus() == ok);
    EXPECT_TRUE(GetNextDlgTabItem(dialog_, ok, FALSE) == web_);
    EXPECT_TRUE(GetNextDlgTabItem(dialog_, web_, FALSE) == mail_);

    SendMessageA(dialog_, WM_NEXTDLGCTL, 0, FALSE); // Tab
    EXPECT_TRUE(GetFocus() == web_);
    EXPECT_EQ(1, Prop(web_, "Focus"));
    SendMessageA(dialog_, WM_NEXTDLGCTL, 0, FALSE);
    EXPECT_TRUE(GetFocus() == mail_);
    EXPECT_EQ(0, Prop(web_, "Focus"));
    EXPECT_EQ(1, Prop(mail_, "Focus"));
    EXPECT_TRUE(g_commands.empty()); // focus alone notifies nothing
}

} // namespace

namespace {

// A modal run of the links dialog through its own message loop: the web link
// gets the focus, Enter is pressed and released on it as the keyboard would
// (posted, so the dialog manager sees the keys first), and a last posted
// message ends the dialog with 7 unless something ended it before.
const UINT kEndLinksDialog = WM_APP + 1;

INT_PTR CALLBACK ModalLinksDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        HWND web = GetDlgItem(dialog, kWebLink);
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(web), TRUE);
        PostMessageA(web, WM_KEYDOWN, VK_RETURN, 0x001C0001);
        PostMessageA(web, WM_CHAR, '\r', 0x001C0001);
        PostMessageA(web, WM_KEYUP, VK_RETURN, 0xC01C0001);
        PostMessageA(dialog, kEndLinksDialog, 0, 0);
        return FALSE; // the focus is set
    }
    case WM_COMMAND: {
        Command command = {wParam, lParam};
        g_commands.push_back(command);
        if (LOWORD(wParam) == IDOK)
            EndDialog(dialog, IDOK);
        return TRUE;
    }
    case kEndLinksDialog:
        EndDialog(dialog, 7);
        return TRUE;
    }
    return FALSE;
}

TEST(LinkInADialog, EnterOnAFocusedLinkClicksItInsteadOfTheDefaultButton)
{
    HINSTANCE instance = GetModuleHandleA(NULL);
    ASSERT_TRUE(RegisterLinkClass(instance, MAKEINTRESOURCEA(113)));
    g_commands.clear();
    INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(kLinksDialog), NULL,
                                     ModalLinksDialogProc, 0);
    EXPECT_EQ(7, result); // not ended by the default OK button
    ASSERT_EQ(1u, g_commands.size());
    EXPECT_EQ(MAKEWPARAM(kWebLink, LN_CLICK), g_commands[0].wParam);
    EXPECT_TRUE(UnregisterLinkClass(instance));
}

} // namespace
