#include "app/TSYParentDlg.h"

#include "app/FontUtil.h"
#include "app/KeloTessalyApp.h"
#include "res/resource.h"
#include "support/LanguageChoice.h"

CTSYParentDlg::CTSYParentDlg() : CDialogBase(IDD_TSY_PARENT) {}

BOOL CTSYParentDlg::OnInitDialog()
{
    HWND hwnd = GetSafeHwnd();
    theApp.SetMainWindow(hwnd);
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    auto icon = [&](int size) {
        return reinterpret_cast<LPARAM>(::LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                                     size, size, LR_SHARED));
    };
    ::SendMessageW(hwnd, WM_SETICON, ICON_BIG, icon(::GetSystemMetrics(SM_CXICON)));
    ::SendMessageW(hwnd, WM_SETICON, ICON_SMALL, icon(::GetSystemMetrics(SM_CXSMICON)));

    const std::wstring title = theApp.WindowTitle();
    ::SetWindowTextW(hwnd, title.c_str());

    HFONT heading = theApp.AppFont(2);
    if (!UsesApplicationFonts(theApp.Strings().LanguageId())) {
        headingFont_.reset(CreateInterfaceFont(15, FW_BOLD));
        heading = headingFont_.get();
    }
    ::SendDlgItemMessageW(hwnd, IDC_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(heading), TRUE);
    ::SetDlgItemTextW(hwnd, IDC_HEADING, title.c_str());
    ::ShowWindow(GetDlgItem(IDC_TABCTRL), SW_HIDE);
    return TRUE;
}

void CTSYParentDlg::OnCancel() { ::SendMessageW(GetSafeHwnd(), WM_CLOSE, 0, 0); }

bool CTSYParentDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_ERASEBKGND:
        DrawBackground(reinterpret_cast<HDC>(wParam));
        result = TRUE;
        return true;
    case WM_CTLCOLORSTATIC:
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        result = reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
        return true;
    case WM_CLOSE:
        EndDialog(IDCANCEL);
        result = 0;
        return true;
    default:
        return CDialogBase::OnMessage(message, wParam, lParam, result);
    }
}

void CTSYParentDlg::DrawBackground(HDC dc)
{
    RECT client;
    ::GetClientRect(GetSafeHwnd(), &client);
    HBITMAP background = theApp.PageImage(0);
    if (background == nullptr) {
        ::FillRect(dc, &client, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        return;
    }
    HDC memory = ::CreateCompatibleDC(dc);
    HGDIOBJ previous = ::SelectObject(memory, background);
    BITMAP info = {};
    ::GetObjectW(background, sizeof info, &info);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (width == 756 && height == 540) {
        ::BitBlt(dc, 0, 0, width, height, memory, 0, 0, SRCCOPY);
    } else {
        ::SetStretchBltMode(dc, HALFTONE);
        ::StretchBlt(dc, 0, 0, width, height + 2, memory, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
}
