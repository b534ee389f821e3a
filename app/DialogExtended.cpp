#include "app/DialogExtended.h"

#include <commctrl.h>

#include "app/AppMessages.h"
#include "app/FontUtil.h"
#include "app/GdiplusSupport.h"
#include "app/KeloTessalyApp.h"

namespace {
constexpr FontSpec kPageFonts[6] = {{15, 500}, {15, 700}, {17, 500}, {15, 500}, {15, 400}, {12, 500}};

bool IsSysLink(HWND control)
{
    wchar_t name[32] = {};
    ::GetClassNameW(control, name, 32);
    return ::lstrcmpiW(name, WC_LINK) == 0;
}

BOOL CALLBACK ReleaseLinkFont(HWND child, LPARAM)
{
    if (IsSysLink(child))
        ::SendMessageW(child, WM_SETFONT, 0, FALSE);
    return TRUE;
}

} // namespace

CDialogExtended::CDialogExtended(UINT templateId, bool frameMode)
    : CDialogBase(templateId), frameMode_(frameMode)
{
    for (size_t i = 0; i < pageFonts_.size(); ++i)
        pageFonts_[i].reset(CreateInterfaceFont(kPageFonts[i].height, kPageFonts[i].weight));
}

CDialogExtended::~CDialogExtended() { ReleaseLinkFonts(); }

void CDialogExtended::ReleaseLinkFonts()
{
    if (HWND hwnd = GetSafeHwnd())
        ::EnumChildWindows(hwnd, &ReleaseLinkFont, 0);
}

bool CDialogExtended::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_DESTROY:
        ReleaseLinkFonts();
        return false;
    case kMsgFrameCorner: {
        result = 0;
        if (frame_.right > frame_.left) {
            const FrameCorners c = DrawnFrameCorners();
            result = wParam == 0 ? MAKELRESULT(c.x1, c.y1) : MAKELRESULT(c.x2, c.y2);
        }
        return true;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if ((header->code == NM_CLICK || header->code == NM_RETURN) && IsSysLink(header->hwndFrom)) {
            if (LinksActive())
                OnLinkClicked(static_cast<int>(header->idFrom));
            result = 0;
            return true;
        }
        return false;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL &&
            OnButton(LOWORD(wParam))) {
            result = 0;
            return true;
        }
        break;
    default:
        break;
    }
    return CDialogBase::OnMessage(message, wParam, lParam, result);
}

void CDialogExtended::DrawFrame(HDC dc)
{
    HWND hwnd = GetSafeHwnd();
    if (hwnd == nullptr || dc == nullptr)
        return;
    ::SetBkMode(dc, TRANSPARENT);
    Gdiplus::Graphics graphics(dc);
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
    graphics.SetCompositingQuality(Gdiplus::CompositingQualityHighQuality);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    Gdiplus::Pen pen(Gdiplus::Color(255, 0, 0, 0), 1.0f);

    const FrameCorners c = DrawnFrameCorners();
    graphics.DrawLine(&pen, c.x1, c.y1, c.x2, c.y1);
    graphics.DrawLine(&pen, c.x2, c.y1, c.x2, c.y2);
    graphics.DrawLine(&pen, c.x2, c.y2, c.x1, c.y2);
    graphics.DrawLine(&pen, c.x1, c.y2, c.x1, c.y1);
}

FrameCorners CDialogExtended::DrawnFrameCorners() const
{
    POINT origin = {};
    if (HWND hwnd = GetSafeHwnd()) {
        RECT window;
        ::GetWindowRect(hwnd, &window);
        origin = {window.left, window.top};
        ::ScreenToClient(hwnd, &origin);
    }
    return ComputeFrameCorners({frame_.left, frame_.top, frame_.right, frame_.bottom}, origin.x, origin.y,
                               frameMode_, frameFloor_);
}

void CDialogExtended::BeginModalState() { ::EnableWindow(GetSafeHwnd(), FALSE); }
void CDialogExtended::EndModalState() { ::EnableWindow(GetSafeHwnd(), TRUE); }

void CDialogExtended::OnCancel()
{
    // Every page's Cancel closes the tool through the main window's closing sequence.
    if (HWND main = theApp.MainWindow())
        ::SendMessageW(main, WM_CLOSE, 0, 0);
}
