#include "ui/LayoutCheck.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "app/AppMessages.h"
#include "res/resource.h"

namespace {

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring WholeText(HWND window)
{
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring WithoutLinkMarkup(std::wstring text)
{
    for (size_t open = text.find(L"<a"); open != std::wstring::npos; open = text.find(L"<a", open)) {
        const size_t close = text.find(L'>', open);
        text.erase(open, close == std::wstring::npos ? std::wstring::npos : close - open + 1);
    }
    for (size_t at = text.find(L"</a>"); at != std::wstring::npos; at = text.find(L"</a>", at))
        text.erase(at, 4);
    return text;
}

// The control's font as the text is drawn in it; none when it belongs to another process and
// cannot be read here.
std::optional<LOGFONTW> FontOf(HWND control)
{
    // Another process's font handle may name a different font here (Wine reuses handle values).
    DWORD process = 0;
    ::GetWindowThreadProcessId(control, &process);
    if (process != ::GetCurrentProcessId())
        return std::nullopt;
    auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    if (font == nullptr)
        font = static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
    LOGFONTW description = {};
    if (::GetObjectW(font, sizeof description, &description) != sizeof description)
        return std::nullopt;
    return description;
}

// The text's extent drawn `flags`-wise into `width` pixels in the control's font.
std::optional<SIZE> TextExtent(HWND control, const std::wstring& text, int width, UINT flags)
{
    auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    if (!FontOf(control))
        return std::nullopt;
    HDC dc = ::GetDC(control);
    HGDIOBJ old = font != nullptr ? ::SelectObject(dc, font) : nullptr;
    RECT area = {0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_CALCRECT | DT_EXPANDTABS | DT_NOPREFIX | flags);
    if (old != nullptr)
        ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return SIZE{area.right, area.bottom};
}

enum class Kind { Text, Link, Button, GroupBox, Other };

struct Control {
    HWND window;
    int id;
    Kind kind;
    RECT area;  // the control, screen coordinates
    RECT drawn; // what it draws: a text only as far as the text reaches
};

std::string Name(const Control& control)
{
    switch (control.kind) {
    case Kind::Text: return "text " + std::to_string(control.id);
    case Kind::Link: return "link " + std::to_string(control.id);
    case Kind::Button: return "button " + std::to_string(control.id);
    default: return "control " + std::to_string(control.id);
    }
}

Kind KindOf(HWND window, LONG style)
{
    const std::wstring name = ClassOf(window);
    if (name == L"SysLink")
        return Kind::Link;
    if (name == L"Static") {
        const LONG type = style & SS_TYPEMASK;
        return type <= SS_RIGHT || type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE ? Kind::Text : Kind::Other;
    }
    if (name == L"Button") {
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_GROUPBOX)
            return Kind::GroupBox;
        if ((type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) && (style & (BS_ICON | BS_BITMAP)) == 0)
            return Kind::Button;
    }
    return Kind::Other;
}

bool WrapsNot(LONG style)
{
    const LONG type = style & SS_TYPEMASK;
    return type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE || (style & SS_ELLIPSISMASK) != 0;
}

// Shown by its own style and its parents' up to `top`: under Xvfb without a window manager a test's
// top-level window may stay unmapped, where IsWindowVisible says no for everything in it.
bool Shown(HWND window, HWND top)
{
    for (HWND at = window; at != nullptr && at != top; at = ::GetParent(at))
        if ((::GetWindowLongW(at, GWL_STYLE) & WS_VISIBLE) == 0)
            return false;
    return true;
}

HWND TopLevelOf(HWND window)
{
    HWND top = ::GetAncestor(window, GA_ROOT);
    return top != nullptr ? top : window;
}

bool Intersect(const RECT& a, const RECT& b)
{
    RECT common;
    return ::IntersectRect(&common, &a, &b) != FALSE;
}

RECT Inflated(RECT r, int by)
{
    ::InflateRect(&r, by, by);
    return r;
}

struct Checker {
    HWND top;
    std::string faults;

    void Add(const std::string& fault) { faults += fault + "; "; }

    std::optional<Control> Describe(HWND window)
    {
        // Only a dialog's own controls: what lies inside a control is the control's affair.
        HWND parent = ::GetParent(window);
        if (!Shown(window, top) || ClassOf(window) == L"#32770" || (parent != top && ClassOf(parent) != L"#32770"))
            return std::nullopt;
        const LONG style = ::GetWindowLongW(window, GWL_STYLE);
        Control control{window, ::GetDlgCtrlID(window), KindOf(window, style), {}, {}};
        ::GetWindowRect(window, &control.area);
        if (control.area.right <= control.area.left || control.area.bottom <= control.area.top)
            return std::nullopt;
        control.drawn = control.area;
        if (control.kind != Kind::Text && control.kind != Kind::Link)
            return control;

        std::wstring text = WholeText(window);
        if (control.kind == Kind::Link)
            text = WithoutLinkMarkup(text);
        if (text.empty())
            return std::nullopt; // draws nothing
        const int width = control.area.right - control.area.left;
        const int height = control.area.bottom - control.area.top;
        const bool singleLine = control.kind == Kind::Text && WrapsNot(style);
        const auto extent = TextExtent(window, text, width, singleLine ? DT_SINGLELINE : DT_WORDBREAK);
        if (!extent)
            return std::nullopt; // another process's font: where its text ends is not known here
        if (extent->cy > height)
            Add(Name(control) + " needs " + std::to_string(extent->cy) + " pixels, has " + std::to_string(height));
        const LONG type = style & SS_TYPEMASK;
        const int used = std::min<int>(extent->cx, width);
        if (control.kind == Kind::Text && type == SS_CENTER)
            control.drawn.left += (width - used) / 2;
        else if (control.kind == Kind::Text && type == SS_RIGHT)
            control.drawn.left += width - used;
        control.drawn.right = control.drawn.left + used;
        control.drawn.bottom = control.drawn.top + std::min<int>(extent->cy, height);

        // A page's bold heading names the printer; some windows reuse its id for plain text.
        const auto font = FontOf(window);
        if (control.id == IDC_PAGE_HEADING && font && font->lfWeight >= FW_SEMIBOLD) {
            const auto line = TextExtent(window, text, width, DT_SINGLELINE);
            if (line && line->cx > width && !WrapsNot(style))
                Add("heading " + std::to_string(control.id) + " wraps: " + std::to_string(line->cx) +
                    " pixels on one line, has " + std::to_string(width));
        }
        return control;
    }

    // A report-view list that cannot scroll sideways shows every cell whole; one cut short ends in "...".
    void CheckListCells(HWND list)
    {
        DWORD process = 0;
        ::GetWindowThreadProcessId(list, &process);
        const LONG style = ::GetWindowLongW(list, GWL_STYLE);
        if (process != ::GetCurrentProcessId() || (style & LVS_TYPEMASK) != LVS_REPORT || (style & WS_HSCROLL) != 0 ||
            !Shown(list, top))
            return;
        const int columns = Header_GetItemCount(ListView_GetHeader(list));
        const int rows = ListView_GetItemCount(list);
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < std::max(columns, 1); ++column) {
                wchar_t text[256] = {};
                ListView_GetItemText(list, row, column, text, 256);
                RECT label = {};
                if (text[0] == 0 || !ListView_GetSubItemRect(list, row, column, LVIR_LABEL, &label))
                    continue;
                // The list keeps a few pixels of padding on each side of a cell's text.
                const int needed = ListView_GetStringWidth(list, text) + kListCellPadding;
                if (needed > label.right - label.left) {
                    Add("list " + std::to_string(::GetDlgCtrlID(list)) + " cuts row " + std::to_string(row) +
                        " column " + std::to_string(column) + ": needs " + std::to_string(needed) +
                        " pixels, has " + std::to_string(label.right - label.left));
                }
            }
    }

    void CheckSiblings(const std::vector<Control>& siblings)
    {
        for (size_t i = 0; i < siblings.size(); ++i)
            for (size_t j = i + 1; j < siblings.size(); ++j) {
                const Control& a = siblings[i];
                const Control& b = siblings[j];
                if (a.kind == Kind::GroupBox || b.kind == Kind::GroupBox)
                    continue; // a group box surrounds; its edges are checked below
                if (Intersect(a.drawn, b.drawn))
                    Add(Name(a) + " and " + Name(b) + " overlap");
            }
        for (const Control& box : siblings)
            if (box.kind == Kind::GroupBox)
                for (const Control& other : siblings)
                    if (&other != &box)
                        CheckEdges(other, box.area, "group box " + std::to_string(box.id));
        CheckButtonRows(siblings);
    }

    // A control is either inside the rectangle, clear of its edges, or outside it.
    void CheckEdges(const Control& control, const RECT& frame, const std::string& what)
    {
        const RECT& r = control.drawn;
        const RECT inner = Inflated(frame, -kFrameClearance);
        const RECT outer = Inflated(frame, kFrameClearance);
        const bool inside = r.left >= inner.left && r.top >= inner.top && r.right <= inner.right &&
                            r.bottom <= inner.bottom;
        if (!inside && Intersect(r, outer))
            Add(Name(control) + " crosses the edge of " + what);
    }

    void CheckButtonRows(const std::vector<Control>& siblings)
    {
        std::vector<const Control*> buttons;
        for (const Control& control : siblings)
            if (control.kind == Kind::Button)
                buttons.push_back(&control);
        std::sort(buttons.begin(), buttons.end(),
                  [](const Control* a, const Control* b) { return a->area.left < b->area.left; });
        for (size_t i = 0; i < buttons.size(); ++i)
            for (size_t j = i + 1; j < buttons.size(); ++j) {
                const Control& a = *buttons[i];
                const Control& b = *buttons[j];
                const bool sameRow = a.area.top < b.area.bottom && b.area.top < a.area.bottom;
                if (!sameRow)
                    continue;
                if (a.area.bottom - a.area.top != b.area.bottom - b.area.top || a.area.top != b.area.top)
                    Add(Name(a) + " and " + Name(b) + " share a row at different heights");
                const auto fa = FontOf(a.window);
                const auto fb = FontOf(b.window);
                const bool sameFont = fa && fb ? fa->lfHeight == fb->lfHeight && fa->lfWeight == fb->lfWeight &&
                                                     std::wstring(fa->lfFaceName) == fb->lfFaceName
                                               : ::SendMessageW(a.window, WM_GETFONT, 0, 0) ==
                                                     ::SendMessageW(b.window, WM_GETFONT, 0, 0);
                if (!sameFont)
                    Add(Name(a) + " and " + Name(b) + " share a row in different fonts");
                if (b.area.left < a.area.right + kButtonGap && b.area.right > a.area.left)
                    Add(Name(a) + " and " + Name(b) + " touch");
            }
    }

    void CheckWindowEdge(const Control& control)
    {
        RECT client;
        ::GetClientRect(top, &client);
        ::MapWindowPoints(top, nullptr, reinterpret_cast<POINT*>(&client), 2);
        const int clientWidth = client.right - client.left;
        // Strips across the whole window (tabs, banners) sit on its edges by design.
        if (control.kind == Kind::Other && control.area.right - control.area.left >= clientWidth * 9 / 10)
            return;
        const RECT& r = control.drawn;
        const RECT inner = Inflated(client, -kEdgeMargin);
        if (r.left < inner.left || r.top < inner.top || r.right > inner.right || r.bottom > inner.bottom)
            Add(Name(control) + " is within " + std::to_string(kEdgeMargin) + " pixels of the window's edge");
    }
};

BOOL CALLBACK CollectChild(HWND child, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

} // namespace

bool DrawnFrame(HWND page, RECT& frame)
{
    if (ClassOf(page) != L"#32770")
        return false;
    DWORD_PTR first = 0, second = 0;
    if (!::SendMessageTimeoutW(page, kMsgFrameCorner, 0, 0, SMTO_ABORTIFHUNG, 2000, &first) || first == 0)
        return false;
    if (!::SendMessageTimeoutW(page, kMsgFrameCorner, 1, 0, SMTO_ABORTIFHUNG, 2000, &second))
        return false;
    frame = {static_cast<short>(LOWORD(first)), static_cast<short>(HIWORD(first)), static_cast<short>(LOWORD(second)),
             static_cast<short>(HIWORD(second))};
    ::MapWindowPoints(page, nullptr, reinterpret_cast<POINT*>(&frame), 2);
    return true;
}

RECT HeadingPlace(HWND page)
{
    RECT place = {};
    if (HWND heading = ::GetDlgItem(page, IDC_PAGE_HEADING)) {
        ::GetWindowRect(heading, &place);
        ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&place), 2);
    }
    return place;
}

std::string LayoutFaults(HWND window)
{
    Checker checker{TopLevelOf(window), {}};
    std::vector<HWND> all;
    ::EnumChildWindows(window, &CollectChild, reinterpret_cast<LPARAM>(&all));

    std::map<HWND, std::vector<Control>> byParent;
    for (HWND child : all)
        if (auto control = checker.Describe(child))
            byParent[::GetParent(child)].push_back(*control);

    for (HWND child : all)
        if (ClassOf(child) == WC_LISTVIEWW)
            checker.CheckListCells(child);
    for (const auto& [parent, siblings] : byParent) {
        checker.CheckSiblings(siblings);
        RECT frame;
        const bool framed = Shown(parent, checker.top) && DrawnFrame(parent, frame);
        for (const Control& control : siblings) {
            if (framed)
                checker.CheckEdges(control, frame, "the page's frame");
            checker.CheckWindowEdge(control);
        }
    }
    return checker.faults;
}
