#include "pages/USBNetworkPopup.h"

#include "app/KeloTessalyApp.h"
#include "res/resource.h"

CUSBNetworkPopup::CUSBNetworkPopup() : CDialogBase(IDD_USB_NETWORK) {}

BOOL CUSBNetworkPopup::OnInitDialog()
{
    HWND hwnd = GetSafeHwnd();
    const XMLHandler& strings = StringTable();
    // The same fonts whatever the language.
    const std::pair<int, int> fonts[] = {{IDC_USB_NETWORK_TEXT, 4}, {IDC_USB_BUTTON, 5}, {IDC_NETWORK_BUTTON, 5}};
    for (const auto& [id, n] : fonts)
        ::SendDlgItemMessageW(hwnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(theApp.AppFont(n)), TRUE);
    ::SetDlgItemTextW(hwnd, IDC_USB_NETWORK_TEXT, strings.GetString(L"TSY_USBNETWORKPOPUP_STRING1").c_str());
    ::SetDlgItemTextW(hwnd, IDC_USB_BUTTON, strings.GetString(L"TSY_USB_STRING").c_str());
    ::SetDlgItemTextW(hwnd, IDC_NETWORK_BUTTON, strings.GetString(L"TSY_NETWORK_STRING").c_str());
    return TRUE;
}

bool CUSBNetworkPopup::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORBTN:
        result = reinterpret_cast<INT_PTR>(::GetStockObject(LTGRAY_BRUSH));
        return true;
    case WM_CTLCOLORSTATIC:
        result = TransparentControlColour(wParam);
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_USB_BUTTON) {
            EndDialog(IDCANCEL);
            result = TRUE;
            return true;
        }
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_NETWORK_BUTTON) {
            EndDialog(IDOK);
            result = TRUE;
            return true;
        }
        break;
    default:
        break;
    }
    return CDialogBase::OnMessage(message, wParam, lParam, result);
}
