#include "app/CustomTabCtrl.h"

#include <commctrl.h>
#include <shlobj.h>
#include <vsstyle.h>
#include <vssym32.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <new>
#include <utility>

#include "app/AppMessages.h"
#include "app/GdiplusSupport.h"
#include "winapi/HostFilesApi.h"

namespace {

constexpr wchar_t kClassName[] = L"CCustomTabCtrl";
constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kRepeatPeriod = 100;
constexpr DWORD kStepInterval = 250;
constexpr COLORREF kSelectedFill = RGB(231, 231, 231);
constexpr COLORREF kDefaultTransparent = RGB(255, 0, 255);

// Six glyphs of 8 by 7 pixels side by side; a 0 bit is a glyph pixel.
constexpr BYTE kGlyphBits[] = {
    0xBD, 0xFB, 0xDF, 0xBD, 0x3C, 0x00,
    0xB9, 0xF3, 0xCF, 0x9D, 0x99, 0x00,
    0xB1, 0xE3, 0xC7, 0x8D, 0xC3, 0x00,
    0xA3, 0xC7, 0xE3, 0xC5, 0xE7, 0x00,
    0xB1, 0xE3, 0xC7, 0x8D, 0xC3, 0x00,
    0xB9, 0xF3, 0xCF, 0x9D, 0x99, 0x00,
    0xBD, 0xFB, 0xDF, 0xBD, 0x3C, 0x00,
};
constexpr int kGlyphWidth = 8;
constexpr int kGlyphHeight = 7;
constexpr int kPreviousGlyph = 1;  // left-pointing triangle
constexpr int kNextGlyph = 2;      // right-pointing triangle
// Paints the brush where the source is 0 and keeps the destination where it is 1.
constexpr DWORD kRopBrushWhereSourceClear = 0x00B8074A;

int SystemMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    return ::MessageBoxW(owner, text, caption, type);
}
DWORD SystemTicks() { return ::GetTickCount(); }

CCustomTabCtrl::MessageBoxFunction g_messageBox = &SystemMessageBox;
CCustomTabCtrl::TickFunction g_ticks = &SystemTicks;

RECT ToRect(const TabLayout::Box& box) { return {box.left, box.top, box.right, box.bottom}; }

RECT Inset(RECT rect, int dx, int dy)
{
    ::InflateRect(&rect, -dx, -dy);
    return rect;
}

bool IsButton(int hit) { return hit == kTabHitPrevious || hit == kTabHitNext; }

using NGWinApi::MemoryDc;
using NGWinApi::Selection;

// The first colour of a style image's sub-image that is not its transparent colour.
bool FirstOpaqueColour(HBITMAP image, int index, int count, bool horizontal, COLORREF transparent, COLORREF& colour)
{
    BITMAP info = {};
    if (::GetObjectW(image, sizeof info, &info) == 0 || info.bmWidth <= 0 || info.bmHeight == 0 || count <= 0)
        return false;
    const int width = info.bmWidth;
    const int height = std::abs(info.bmHeight);
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;  // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<RGBQUAD> pixels(static_cast<size_t>(width) * height);
    HDC screen = ::GetDC(nullptr);
    const int rows = ::GetDIBits(screen, image, 0, height, pixels.data(), &format, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != height)
        return false;
    const int cellWidth = horizontal ? width / count : width;
    const int cellHeight = horizontal ? height : height / count;
    const int x0 = horizontal ? index * cellWidth : 0;
    const int y0 = horizontal ? 0 : index * cellHeight;
    for (int y = y0; y < y0 + cellHeight; ++y) {
        for (int x = x0; x < x0 + cellWidth; ++x) {
            const RGBQUAD& p = pixels[static_cast<size_t>(y) * width + x];
            const COLORREF c = RGB(p.rgbRed, p.rgbGreen, p.rgbBlue);
            if (c != transparent) {
                colour = c;
                return true;
            }
        }
    }
    return false;
}

} // namespace

CCustomTabCtrl::CCustomTabCtrl()
{
    CreateFonts();
    CreateGlyphStrip();
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    std::fill(std::begin(glyphColours_), std::end(glyphColours_), text);
}

CCustomTabCtrl::~CCustomTabCtrl() { Detach(); }

CCustomTabCtrl::MessageBoxFunction CCustomTabCtrl::SetMessageBoxFunction(MessageBoxFunction function)
{
    return std::exchange(g_messageBox, function != nullptr ? function : &SystemMessageBox);
}

CCustomTabCtrl::TickFunction CCustomTabCtrl::SetTickFunction(TickFunction function)
{
    return std::exchange(g_ticks, function != nullptr ? function : &SystemTicks);
}

bool CCustomTabCtrl::RegisterWindowClass()
{
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW existing = {};
    if (::GetClassInfoW(instance, kClassName, &existing))
        return true;
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    return ::RegisterClassW(&windowClass) != 0;
}

bool CCustomTabCtrl::Attach(HWND control)
{
    if (control == nullptr || hwnd_ != nullptr ||
        !::SetWindowSubclass(control, &CCustomTabCtrl::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    hwnd_ = control;
    ::SetWindowLongPtrW(hwnd_, GWL_STYLE, ::GetWindowLongPtrW(hwnd_, GWL_STYLE) | WS_CLIPCHILDREN);
    OpenVisualStyle();
    Layout();
    Repaint();
    return true;
}

void CCustomTabCtrl::Detach()
{
    if (hwnd_ == nullptr)
        return;
    ::KillTimer(hwnd_, kRepeatTimer);
    ::RemoveWindowSubclass(hwnd_, &CCustomTabCtrl::SubclassProc, kSubclassId);
    ReleaseVisualStyle();
    hwnd_ = nullptr;
}

HWND CCustomTabCtrl::GetSafeHwnd() const { return hwnd_; }

LRESULT CALLBACK CCustomTabCtrl::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR data)
{
    auto* self = reinterpret_cast<CCustomTabCtrl*>(data);
    if (message == WM_NCDESTROY) {
        self->Detach();
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
}

LRESULT CCustomTabCtrl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
    case WM_SIZE:
        Layout();
        Repaint();
        return 0;
    case WM_ERASEBKGND:
        Paint(reinterpret_cast<HDC>(wParam));
        return TRUE;
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_PAINT: {
        // Everything is drawn on the background erase.
        PAINTSTRUCT paint;
        ::BeginPaint(hwnd_, &paint);
        ::EndPaint(hwnd_, &paint);
        return 0;
    }
    case WM_MOUSEMOVE:
        OnMouseMove(point);
        return 0;
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        ::KillTimer(hwnd_, kRepeatTimer);
        if (layout_.buttons)
            previousState_ = nextState_ = 1;
        Repaint();
        return 0;
    case WM_LBUTTONDOWN:
        OnLeftPress(point, false);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLeftPress(point, true);
        return 0;
    case WM_LBUTTONUP:
        StopButtons();
        ::ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != hwnd_ && pressedButton_ != kTabHitNothing)
            StopButtons();
        return 0;
    case WM_RBUTTONDOWN:
        Notify(kTabNotifyRightPress, HitTest(point), point);
        return 0;
    case WM_RBUTTONDBLCLK:
        Notify(kTabNotifyRightDoubleClick, HitTest(point), point);
        return 0;
    case WM_TIMER:
        if (wParam != kRepeatTimer)
            break;
        OnTimer();
        return 0;
    case WM_THEMECHANGED:
        ReleaseVisualStyle();
        OpenVisualStyle();
        Layout();
        Repaint();
        break;
    default:
        break;
    }
    return ::DefSubclassProc(hwnd_, message, wParam, lParam);
}

void CCustomTabCtrl::CreateFonts()
{
    LOGFONTW normal = {};
    normal.lfHeight = 15;
    normal.lfWeight = 500;
    normal.lfCharSet = DEFAULT_CHARSET;
    normal.lfOutPrecision = OUT_CHARACTER_PRECIS;
    normal.lfClipPrecision = CLIP_CHARACTER_PRECIS;
    normal.lfPitchAndFamily = FF_SWISS;
    ::lstrcpynW(normal.lfFaceName, L"Microsoft Sans Serif", LF_FACESIZE);
    normalFont_.reset(::CreateFontIndirectW(&normal));

    LOGFONTW tab = normal;
    tab.lfWeight = 400;
    tab.lfHeight = 15;
    tab.lfWidth = 0;
    tab.lfCharSet = 0;
    tabFont_.reset(::CreateFontIndirectW(&tab));
}

void CCustomTabCtrl::CreateGlyphStrip()
{
    glyphStrip_.reset(::CreateBitmap(6 * kGlyphWidth, kGlyphHeight, 1, 1, kGlyphBits));
}

void CCustomTabCtrl::OpenVisualStyle()
{
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    std::fill(std::begin(glyphColours_), std::end(glyphColours_), text);
    styled_ = false;
    if (!theme_.Open(hwnd_))
        return;

    // Previous shows the horizontal down part, next the horizontal up part.
    const int parts[2] = {SPNP_DOWNHORZ, SPNP_UPHORZ};
    for (int part : parts) {
        int count = 0, background = -1;
        if (!theme_.GetInt(part, 0, TMT_IMAGECOUNT, count) || count != 4 ||
            !theme_.GetEnumValue(part, 0, TMT_BGTYPE, background) || background != BT_IMAGEFILE) {
            ReleaseVisualStyle();
            return;
        }
    }
    for (int n = 0; n < 2; ++n) {
        StyleImage& image = styleImages_[n];
        std::wstring file;
        if (theme_.GetFilename(parts[n], 0, TMT_IMAGEFILE, file))
            image.bitmap.reset(theme_.LoadThemeBitmap(file.c_str()));
        if (!image.bitmap) {
            ReleaseVisualStyle();
            return;
        }
        image.count = 4;
        theme_.GetMargins(parts[n], 0, TMT_SIZINGMARGINS, image.margins);
        theme_.GetBool(parts[n], 0, TMT_TRANSPARENT, image.transparent);
        if (!theme_.GetColor(parts[n], 0, TMT_TRANSPARENTCOLOR, image.transparentColour))
            image.transparentColour = kDefaultTransparent;
        int layout = IL_VERTICAL;
        image.horizontalLayout = theme_.GetEnumValue(parts[n], 0, TMT_IMAGELAYOUT, layout) && layout == IL_HORIZONTAL;
    }

    // Glyphs drawn from an image take their colours from it, one per state.
    int glyphType = -1;
    std::wstring glyphFile;
    if (theme_.GetEnumValue(parts[0], 0, TMT_GLYPHTYPE, glyphType) && glyphType == GT_IMAGEGLYPH &&
        theme_.GetFilename(parts[0], 0, TMT_GLYPHIMAGEFILE, glyphFile)) {
        NGWinApi::UniqueBitmap glyphs(theme_.LoadThemeBitmap(glyphFile.c_str()));
        COLORREF transparent = kDefaultTransparent;
        theme_.GetColor(parts[0], 0, TMT_GLYPHTRANSPARENTCOLOR, transparent);
        if (glyphs) {
            for (int state = 0; state < 3; ++state)
                FirstOpaqueColour(glyphs.get(), state, 4, styleImages_[0].horizontalLayout, transparent,
                                  glyphColours_[state]);
        }
    }
    styled_ = true;
}

void CCustomTabCtrl::ReleaseVisualStyle()
{
    for (StyleImage& image : styleImages_)
        image = StyleImage{};
    styled_ = false;
    theme_.Close();
    const COLORREF text = ::GetSysColor(COLOR_BTNTEXT);
    std::fill(std::begin(glyphColours_), std::end(glyphColours_), text);
}

int CCustomTabCtrl::InsertItem(int position, const std::wstring& label, int32_t itemData)
{
    if (position < 0 || position > GetItemCount()) {
        g_messageBox(hwnd_, L"CTCERR_INDEXOUTOFRANGE", L"Error", MB_ICONSTOP);
        return -2;
    }
    try {
        auto item = std::make_unique<CCustomTabCtrlItem>(label.substr(0, kTabLabelLimit), itemData);
        items_.insert(items_.begin() + position, std::move(item));
    } catch (const std::bad_alloc&) {
        g_messageBox(hwnd_, L"CTCERR_INDEXOUTOFRANGE", L"Error", MB_ICONSTOP);
        return -1;
    }
    if (selected_ >= 0 && position <= selected_)
        ++selected_;
    Layout();
    Repaint();
    return position;
}

void CCustomTabCtrl::DeleteAllItems()
{
    items_.clear();
    selected_ = -1;
    Layout();
    Repaint();
}

void CCustomTabCtrl::ModifyStyle(DWORD add)
{
    if (hwnd_ != nullptr)
        ::SetWindowLongPtrW(hwnd_, GWL_STYLE, ::GetWindowLongPtrW(hwnd_, GWL_STYLE) | static_cast<LONG_PTR>(add));
    Layout();
    Repaint();
}

void CCustomTabCtrl::SetCurSel(int index)
{
    if (index < 0 || index >= GetItemCount())
        return;
    if (selected_ >= 0 && selected_ < GetItemCount())
        items_[selected_]->selected = 0;
    items_[index]->selected = 1;
    selected_ = index;
    firstVisible_ = TabLayout::EnsureVisible(LayoutInput(), index);
    Layout();
    Repaint();
}

int CCustomTabCtrl::GetCurSel() const { return selected_; }

int CCustomTabCtrl::GetItemCount() const { return static_cast<int>(items_.size()); }

std::wstring CCustomTabCtrl::GetItemText(int index) const
{
    return index >= 0 && index < GetItemCount() ? items_[index]->label : std::wstring();
}

bool CCustomTabCtrl::GetItemRect(int index, RECT& rect) const
{
    if (index < 0 || index >= GetItemCount() || items_[index]->shape == TabLayout::kShapeHidden)
        return false;
    rect = items_[index]->outer;
    return true;
}

int CCustomTabCtrl::HitTest(POINT point) const { return TabLayout::HitTest(layout_, {point.x, point.y}); }

TabLayout::StripInput CCustomTabCtrl::LayoutInput() const
{
    TabLayout::StripInput input;
    input.selected = selected_;
    input.firstVisible = firstVisible_;
    if (hwnd_ == nullptr) {
        input.labelWidths.assign(items_.size(), 0);
        return input;
    }
    RECT client = {};
    ::GetClientRect(hwnd_, &client);
    input.height = client.bottom - client.top;
    input.clientWidth = client.right - client.left;
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE));
    input.equalWidth = (style & kTabStyleEqualWidth) != 0;
    input.autoButtons = (style & kTabStyleAutoButtons) != 0;
    input.bottom = (style & kTabStyleBottom) != 0;

    HDC dc = ::GetDC(hwnd_);
    {
        // Measured in the wider of the two fonts a label is drawn in, so no label runs into its slants.
        Selection font(dc, normalFont_.get());
        for (const auto& item : items_) {
            RECT box = {0, 0, 0, 0};
            ::DrawTextW(dc, item->label.c_str(), static_cast<int>(item->label.size()), &box,
                        DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
            input.labelWidths.push_back(box.right - box.left);
        }
    }
    ::ReleaseDC(hwnd_, dc);
    return input;
}

void CCustomTabCtrl::Layout()
{
    layout_ = TabLayout::Compute(LayoutInput());
    firstVisible_ = layout_.firstVisible;
    for (size_t i = 0; i < items_.size(); ++i) {
        CCustomTabCtrlItem& item = *items_[i];
        const TabLayout::TabPlace& place = layout_.tabs[i];
        item.outer = ToRect(place.outer);
        item.labelRect = ToRect(place.label);
        item.shape = place.kind;
        item.hitRegion.clear();
        for (const TabLayout::Spot& corner : TabLayout::Outline(place, layout_.bottom))
            item.hitRegion.push_back({corner.x, corner.y});
    }
    if (!layout_.buttons) {
        previousState_ = nextState_ = 0;
    } else {
        previousState_ = std::max(previousState_, 1);
        nextState_ = std::max(nextState_, 1);
    }
}

void CCustomTabCtrl::Repaint()
{
    if (hwnd_ != nullptr)
        ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void CCustomTabCtrl::Scroll(int button)
{
    const TabLayout::StripInput input = LayoutInput();
    firstVisible_ = button == kTabHitPrevious ? TabLayout::ScrollPrevious(input) : TabLayout::ScrollNext(input);
    Layout();
    Repaint();
}

void CCustomTabCtrl::OnLeftPress(POINT point, bool doubleClick)
{
    lastMouse_ = point;
    ::SetCapture(hwnd_);
    const int hit = HitTest(point);
    if (!doubleClick) {
        Notify(kTabNotifyLeftPress, hit, point);
        if (hwnd_ == nullptr)
            return;
    }
    if (IsButton(hit)) {
        pressedButton_ = hit;
        UpdateButtonStates(point);
        Scroll(hit);
        lastStepTime_ = g_ticks();
        ::SetTimer(hwnd_, kRepeatTimer, kRepeatPeriod, nullptr);
    } else if (hit >= 0) {
        const int before = selected_;
        SetCurSel(hit);
        if (selected_ != before)
            Notify(kTabNotifySelChange, selected_, point);
    }
    if (hwnd_ == nullptr)
        return;
    if (doubleClick)
        Notify(kTabNotifyLeftDoubleClick, hit, point);
    else
        ::SendMessageW(::GetParent(hwnd_), kMsgRepaint, 0, 0);
}

void CCustomTabCtrl::OnMouseMove(POINT point)
{
    lastMouse_ = point;
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd_, 0};
        trackingLeave_ = ::TrackMouseEvent(&track) != FALSE;
    }
    const int previous = previousState_, next = nextState_;
    UpdateButtonStates(point);
    if (previous != previousState_ || next != nextState_)
        Repaint();
}

void CCustomTabCtrl::UpdateButtonStates(POINT point)
{
    if (!layout_.buttons) {
        previousState_ = nextState_ = 0;
        return;
    }
    const int hit = HitTest(point);
    auto state = [&](int button) {
        if (hit != button)
            return 1;
        if (pressedButton_ == kTabHitNothing)
            return 2;
        return pressedButton_ == button ? 3 : 1;
    };
    previousState_ = state(kTabHitPrevious);
    nextState_ = state(kTabHitNext);
}

void CCustomTabCtrl::OnTimer()
{
    if (pressedButton_ == kTabHitNothing) {
        ::KillTimer(hwnd_, kRepeatTimer);
        return;
    }
    if (HitTest(lastMouse_) != pressedButton_)
        return;
    const DWORD now = g_ticks();
    if (now - lastStepTime_ >= kStepInterval) {
        Scroll(pressedButton_);
        lastStepTime_ = now;
    }
}

void CCustomTabCtrl::StopButtons()
{
    pressedButton_ = kTabHitNothing;
    if (hwnd_ != nullptr)
        ::KillTimer(hwnd_, kRepeatTimer);
    if (layout_.buttons)
        previousState_ = nextState_ = 1;
    Repaint();
}

void CCustomTabCtrl::Notify(int code, int index, POINT point)
{
    if (hwnd_ == nullptr)
        return;
    CTC_NMHDR record = {};
    record.hdr.hwndFrom = hwnd_;
    record.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(hwnd_));
    record.hdr.code = static_cast<UINT>(code);
    record.nItem = index;
    record.ptHitTest = point;
    if (index >= 0 && index < GetItemCount()) {
        const CCustomTabCtrlItem& item = *items_[index];
        ::lstrcpynW(record.pszText, item.label.c_str(), static_cast<int>(std::size(record.pszText)));
        record.lParam = item.itemData;
        record.rItem = item.labelRect;
        record.fSelected = item.selected;
    }
    ::SendMessageW(::GetParent(hwnd_), WM_NOTIFY, record.hdr.idFrom, reinterpret_cast<LPARAM>(&record));
}

void CCustomTabCtrl::Paint(HDC target)
{
    if (hwnd_ == nullptr || target == nullptr)
        return;
    RECT client = {};
    ::GetClientRect(hwnd_, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return;

    // Drawn off-screen and copied in one go, so the strip never flickers.
    MemoryDc memory(target);
    NGWinApi::UniqueBitmap canvas(::CreateCompatibleBitmap(target, width, height));
    if (memory.get() == nullptr || !canvas)
        return;
    {
        Selection selectCanvas(memory.get(), canvas.get());
        HDC dc = memory.get();
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
        PaintBackground(dc, client);
        ::SetBkMode(dc, TRANSPARENT);
        for (int i = GetItemCount() - 1; i >= 0; --i) {
            if (i != selected_ && items_[i]->shape != TabLayout::kShapeHidden)
                PaintTab(dc, i);
        }
        if (selected_ >= 0 && selected_ < GetItemCount() && items_[selected_]->shape != TabLayout::kShapeHidden) {
            PaintTab(dc, selected_);
            PaintBaseline(dc, client);
        }
        if (layout_.buttons)
            PaintButtons(dc);
        ::BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    }
}

void CCustomTabCtrl::PaintBackground(HDC dc, const RECT& client)
{
    // The main window saves its background under the strip; painting it makes the strip look transparent.
    wchar_t folder[MAX_PATH] = {};
    if (!NGWinApi::HostFiles().SHGetSpecialFolderPathW(hwnd_, folder, CSIDL_APPDATA, FALSE))
        return;
    const std::wstring path = std::wstring(folder) + L"\\TSY_temp.bmp";
    NGWinApi::UniqueBitmap picture(
        static_cast<HBITMAP>(::LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    if (!picture)
        return;
    NGWinApi::UniqueBrush brush(::CreatePatternBrush(picture.get()));
    if (!brush)
        return;
    ::SetBrushOrgEx(dc, 0, 0, nullptr);
    ::FillRect(dc, &client, brush.get());
}

void CCustomTabCtrl::PaintTab(HDC dc, int index)
{
    const CCustomTabCtrlItem& item = *items_[index];
    const TabLayout::TabPlace& place = layout_.tabs[index];
    if (item.hitRegion.size() < 3)
        return;
    const bool sliver = item.shape == TabLayout::kShapeSliver || item.shape == TabLayout::kShapeSliverSelected;

    {
        NGWinApi::UniqueBrush fill(::CreateSolidBrush(item.selected ? kSelectedFill : RGB(255, 255, 255)));
        Selection brush(dc, fill.get());
        Selection pen(dc, ::GetStockObject(NULL_PEN));
        ::Polygon(dc, item.hitRegion.data(), static_cast<int>(item.hitRegion.size()));
    }

    // Where two tabs overlap only the slant of the one drawn on top shows, so neighbouring slants
    // never cross: the tab on the left covers the one on its right, the selected tab both.
    auto sides = TabLayout::SlantedSides(place, layout_.bottom);
    const auto shown = [&](int neighbour) {
        return neighbour >= 0 && neighbour < GetItemCount() && items_[neighbour]->shape != TabLayout::kShapeHidden;
    };
    const bool coveredRight = shown(index + 1) && index + 1 == selected_;
    const bool coveredLeft = !sliver && index != selected_ && shown(index - 1);
    if (coveredRight && !sides.empty())
        sides.pop_back();
    if (coveredLeft && !sides.empty())
        sides.erase(sides.begin());
    {
        Gdiplus::Graphics graphics(dc);
        if (graphics.GetLastStatus() == Gdiplus::Ok) {
            graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
            Gdiplus::Pen black(Gdiplus::Color(255, 0, 0, 0), 1.0f);
            for (const auto& [from, to] : sides)
                graphics.DrawLine(&black, from.x - 1, from.y, to.x - 1, to.y);
        } else {
            Selection pen(dc, ::GetStockObject(BLACK_PEN));
            for (const auto& [from, to] : sides) {
                ::MoveToEx(dc, from.x - 1, from.y, nullptr);
                ::LineTo(dc, to.x - 1, to.y);
            }
        }
    }
    if (sliver)
        return;

    {
        NGWinApi::GdiObject<HPEN> shadow(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
        Selection pen(dc, shadow.get());
        ::MoveToEx(dc, item.hitRegion[1].x, item.hitRegion[1].y, nullptr);
        ::LineTo(dc, item.hitRegion[2].x, item.hitRegion[2].y);
    }

    const int half = (item.outer.bottom - item.outer.top) / 2;
    RECT text = item.outer;
    text.left += half;
    text.right -= half;
    text.top += 2;
    text.bottom -= 2;
    Selection font(dc, item.selected ? tabFont_.get() : normalFont_.get());
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::DrawTextW(dc, item.label.c_str(), static_cast<int>(item.label.size()), &text,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void CCustomTabCtrl::PaintBaseline(HDC dc, const RECT& client)
{
    // The tabs stand on a line that opens under the selected tab: it leads into its page.
    const RECT& tab = items_[selected_]->outer;
    const int y = layout_.bottom ? static_cast<int>(tab.bottom) : static_cast<int>(tab.top) - 1;
    Selection pen(dc, ::GetStockObject(BLACK_PEN));
    ::MoveToEx(dc, client.left, y, nullptr);
    ::LineTo(dc, static_cast<int>(tab.left), y);
    ::MoveToEx(dc, static_cast<int>(tab.right) - 1, y, nullptr);
    ::LineTo(dc, client.right, y);
}

void CCustomTabCtrl::PaintButtons(HDC dc)
{
    const RECT previous = ToRect(layout_.previous);
    const RECT next = ToRect(layout_.next);
    HBRUSH frame = ::GetSysColorBrush(COLOR_BTNTEXT);
    ::FrameRect(dc, &previous, frame);
    ::FrameRect(dc, &next, frame);
    PaintButton(dc, Inset(previous, 1, 1), previousState_, kPreviousGlyph, false);
    PaintButton(dc, Inset(next, 1, 1), nextState_, kNextGlyph, true);
}

void CCustomTabCtrl::PaintButton(HDC dc, const RECT& rect, int state, int glyph, bool next)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    const int image = std::clamp(state, 1, 3) - 1;
    const bool pressed = state == 3;
    int shift = 0;

    const StyleImage& style = styleImages_[next ? 1 : 0];
    if (styled_ && style.bitmap) {
        BITMAP info = {};
        ::GetObjectW(style.bitmap.get(), sizeof info, &info);
        const int cellWidth = style.horizontalLayout ? info.bmWidth / style.count : info.bmWidth;
        const int cellHeight = style.horizontalLayout ? std::abs(info.bmHeight) : std::abs(info.bmHeight) / style.count;
        const int sx = style.horizontalLayout ? image * cellWidth : 0;
        const int sy = style.horizontalLayout ? 0 : image * cellHeight;
        MemoryDc source(dc);
        Selection selectImage(source.get(), style.bitmap.get());
        // Nine pieces: corners kept, edges and centre stretched between the sizing margins.
        const MARGINS& m = style.margins;
        const int sxs[4] = {sx, sx + m.cxLeftWidth, sx + cellWidth - m.cxRightWidth, sx + cellWidth};
        const int sys[4] = {sy, sy + m.cyTopHeight, sy + cellHeight - m.cyBottomHeight, sy + cellHeight};
        const int dxs[4] = {rect.left, rect.left + m.cxLeftWidth, rect.right - m.cxRightWidth, rect.right};
        const int dys[4] = {rect.top, rect.top + m.cyTopHeight, rect.bottom - m.cyBottomHeight, rect.bottom};
        ::SetStretchBltMode(dc, COLORONCOLOR);
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                const int dw = dxs[column + 1] - dxs[column], dh = dys[row + 1] - dys[row];
                const int sw = sxs[column + 1] - sxs[column], sh = sys[row + 1] - sys[row];
                if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
                    continue;
                if (style.transparent)
                    ::TransparentBlt(dc, dxs[column], dys[row], dw, dh, source.get(), sxs[column], sys[row], sw, sh,
                                     style.transparentColour);
                else
                    ::StretchBlt(dc, dxs[column], dys[row], dw, dh, source.get(), sxs[column], sys[row], sw, sh,
                                 SRCCOPY);
            }
        }
    } else {
        RECT face = rect;
        ::DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
        shift = pressed ? 1 : 0;
    }

    // The glyph: transparent, centred, in the colour of the button's state.
    MemoryDc glyphs(dc);
    Selection selectGlyphs(glyphs.get(), glyphStrip_.get());
    NGWinApi::UniqueBrush colour(::CreateSolidBrush(glyphColours_[image]));
    Selection brush(dc, colour.get());
    const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
    ::BitBlt(dc, rect.left + (width - kGlyphWidth) / 2 + shift, rect.top + (height - kGlyphHeight) / 2 + shift,
             kGlyphWidth, kGlyphHeight, glyphs.get(), glyph * kGlyphWidth, 0, kRopBrushWhereSourceClear);
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBack);
}
