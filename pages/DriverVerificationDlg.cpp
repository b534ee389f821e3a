#include "pages/DriverVerificationDlg.h"

#include "app/KeloTessalyApp.h"

CDriverVerificationDlg::CDriverVerificationDlg() : CDialogBase(kDriverVerificationTemplateId) {}

BOOL CDriverVerificationDlg::OnInitDialog()
{
    HWND hwnd = GetSafeHwnd();
    const XMLHandler& strings = StringTable();
    ::SetWindowTextW(hwnd, theApp.WindowTitle().c_str());
    const std::pair<int, int> fonts[] = {{kDriverInfoTextId, 4}, {kDriverContinueId, 5}, {kDriverExitId, 5}};
    for (const auto& [id, n] : fonts)
        ::SendDlgItemMessageW(hwnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(theApp.AppFont(n)), TRUE);
    ::SetDlgItemTextW(hwnd, kDriverInfoTextId, strings.GetString(L"TSY_DRIVER_VERIFICATION_INFO").c_str());
    ::SetDlgItemTextW(hwnd, kDriverContinueId, strings.GetString(L"TSY_CONTINUE_BUTTON").c_str());
    ::SetDlgItemTextW(hwnd, kDriverExitId, strings.GetString(L"TSY_EXIT_BUTTON").c_str());
    return TRUE;
}

bool CDriverVerificationDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == kDriverContinueId) {
            EndDialog(IDOK);
            result = TRUE;
            return true;
        }
        if (LOWORD(wParam) == kDriverExitId) {
            EndDialog(IDCANCEL);
            result = TRUE;
            return true;
        }
    }
    return CDialogBase::OnMessage(message, wParam, lParam, result);
}
