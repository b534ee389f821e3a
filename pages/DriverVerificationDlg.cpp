#include "pages/DriverVerificationDlg.h"

#include "app/KeloTessalyApp.h"
#include "res/resource.h"

CDriverVerificationDlg::CDriverVerificationDlg() : CDialogBase(IDD_DRIVER_VERIFICATION) {}

BOOL CDriverVerificationDlg::OnInitDialog()
{
    HWND hwnd = GetSafeHwnd();
    const XMLHandler& strings = StringTable();
    ::SetWindowTextW(hwnd, theApp.WindowTitle().c_str());
    const std::pair<int, int> fonts[] = {{IDC_DRIVER_INFO_TEXT, 4}, {IDC_DRIVER_CONTINUE, 5}, {IDC_DRIVER_EXIT, 5}};
    for (const auto& [id, n] : fonts)
        ::SendDlgItemMessageW(hwnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(theApp.AppFont(n)), TRUE);
    ::SetDlgItemTextW(hwnd, IDC_DRIVER_INFO_TEXT, strings.GetString(L"TSY_DRIVER_VERIFICATION_INFO").c_str());
    ::SetDlgItemTextW(hwnd, IDC_DRIVER_CONTINUE, strings.GetString(L"TSY_CONTINUE_BUTTON").c_str());
    ::SetDlgItemTextW(hwnd, IDC_DRIVER_EXIT, strings.GetString(L"TSY_EXIT_BUTTON").c_str());
    return TRUE;
}

bool CDriverVerificationDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDC_DRIVER_CONTINUE) {
            EndDialog(IDOK);
            result = TRUE;
            return true;
        }
        if (LOWORD(wParam) == IDC_DRIVER_EXIT) {
            EndDialog(IDCANCEL);
            result = TRUE;
            return true;
        }
    }
    return CDialogBase::OnMessage(message, wParam, lParam, result);
}
