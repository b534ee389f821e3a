#include "app/EnumerateDlg.h"

#include <commctrl.h>

#include "app/AppMessages.h"
#include "app/engine/DiagnosticMgr.h"
#include "app/KeloTessalyApp.h"
#include "app/TSYParentDlg.h"
#include "discovery/PrintQueue.h"
#include "pages/DriverVerificationDlg.h"
#include "pages/SearchNetPrinterDlg.h"
#include "pages/USBNetworkPopup.h"
#include "res/resource.h"
#include "support/LanguageChoice.h"
#include "support/LogFile.h"
#include "support/ProductInfoColl.h"
#include "winapi/NGWinApi.h"

namespace {

constexpr int kPrinterColumnWidth = 500;
constexpr int kConnectionColumnWidth = 208;
constexpr wchar_t kUsbDeviceLibrary[] = L"kelodev12.dll";

void AddColumn(HWND list, int index, const std::wstring& title, int width)
{
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(title.c_str());
    column.cx = width;
    column.iSubItem = index;
    ListView_InsertColumn(list, index, &column);
}

} // namespace

std::function<int(HWND, const std::wstring&, const std::wstring&, UINT)> CEnumerateDlg::messageBox =
    [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
        return ::MessageBoxW(owner, text.c_str(), caption.empty() ? nullptr : caption.c_str(), type);
    };
std::function<INT_PTR(HWND)> CEnumerateDlg::verifyDriver = [](HWND owner) -> INT_PTR {
    CDriverVerificationDlg dialog;
    return dialog.DoModal(owner);
};
std::function<INT_PTR(HWND)> CEnumerateDlg::askUsbOrNetwork = [](HWND owner) -> INT_PTR {
    CUSBNetworkPopup popup;
    return popup.DoModal(owner);
};
std::function<void(HWND)> CEnumerateDlg::searchNetworkPrinters = [](HWND owner) {
    CSearchNetPrinterDlg search;
    search.DoModal(owner);
};

CEnumerateDlg::CEnumerateDlg() : CDialogExtended(IDD_ENUMERATE, true) {}

BOOL CEnumerateDlg::OnInitDialog()
{
    PreparePage();
    return FALSE; // the list has the focus
}

void CEnumerateDlg::PreparePage()
{
    HWND hwnd = GetSafeHwnd();
    if (hwnd == nullptr)
        return;
    const XMLHandler& strings = StringTable();
    HWND list = GetDlgItem(IDC_PRINTER_LIST);
    while (ListView_DeleteColumn(list, 0)) {
    }
    AddColumn(list, 0, strings.GetString(L"TSY_PRINTER_LIST"), kPrinterColumnWidth);
    AddColumn(list, 1, strings.GetString(L"TSY_CONNECTION_LIST"), kConnectionColumnWidth);
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE,
                                        LVS_EX_FULLROWSELECT | LVS_EX_ONECLICKACTIVATE);

    const bool appFonts = UsesApplicationFonts(strings.LanguageId());
    const auto font = [&](int n) { return appFonts ? theApp.AppFont(n) : PageFont(n); };
    const std::pair<int, int> fonts[] = {{IDC_PRINTER_LIST, 1}, {IDC_HEADING, 2}, {IDC_ENUMERATE_TEXT, 4},
                                         {IDC_DIAGNOSE, 5}, {IDC_NOT_LISTED, 5}, {IDCANCEL, 5}};
    for (const auto& [id, n] : fonts)
        ::SendDlgItemMessageW(hwnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(font(n)), TRUE);

    ::SetDlgItemTextW(hwnd, IDC_ENUMERATE_TEXT, strings.GetString(L"TSY_ENUMERATE_STRING1").c_str());
    ::SetDlgItemTextW(hwnd, IDC_DIAGNOSE, strings.GetString(L"TSY_DIAGNOSE_BUTTON").c_str());
    ::SetDlgItemTextW(hwnd, IDC_NOT_LISTED, strings.GetString(L"TSY_NOTLISTED_BUTTON").c_str());
    ::SetDlgItemTextW(hwnd, IDCANCEL, strings.GetString(L"TSY_CANCEL_BUTTON").c_str());

    // The frame hugs the list: as far right of it as left of it, and as far below as above.
    RECT frame;
    ::GetWindowRect(list, &frame);
    ::MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&frame), 2);
    frame.right += kFrameSideMargin;
    SetFrameRect(frame);
    SetFrameFloor(static_cast<int>(frame.bottom) + kFrameSideMargin - 1);

    FillDeviceList();
}

void CEnumerateDlg::FillDeviceList()
{
    LogFile().Write(L"@ CEnumerateDlg::FillDeviceList()");
    HWND list = GetDlgItem(IDC_PRINTER_LIST);
    ListView_DeleteAllItems(list);
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    if (manager == nullptr)
        return;
    int row = 0;
    for (const Device_Dev& device : manager->Devices()) {
        std::wstring name = device.friendlyName.empty() ? device.deviceName : device.friendlyName;
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = name.data();
        const int inserted = ListView_InsertItem(list, &item);
        LogFile().Write(L" Device Name : %s", device.deviceName.c_str());
        LogFile().Write(L" Friendly Name : %s", device.friendlyName.c_str());
        std::wstring connection;
        if (device.isNetwork) {
            connection = device.address;
            LogFile().Write(L" Interface Name : %s", device.address.c_str());
        } else {
            connection = device.printerName;
        }
        ListView_SetItemText(list, inserted, 1, connection.data());
        ++row;
    }
    if (row > 0) {
        ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ListView_SetSelectionMark(list, 0);
    }
    ::SetFocus(list);
}

bool CEnumerateDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_ERASEBKGND:
        // The main window has drawn the background beneath the page.
        DrawFrame(reinterpret_cast<HDC>(wParam));
        result = TRUE;
        return true;
    case WM_CTLCOLORSTATIC:
        result = TransparentControlColour(wParam);
        return true;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_PRINTER_LIST && header->code == NM_CLICK) {
            OnListClick();
            result = 0;
            return true;
        }
        return false;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_DIAGNOSE) {
            OnDiagnose();
            result = TRUE;
            return true;
        }
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_NOT_LISTED) {
            OnNotListed();
            result = TRUE;
            return true;
        }
        return CDialogExtended::OnMessage(message, wParam, lParam, result);
    default:
        return CDialogExtended::OnMessage(message, wParam, lParam, result);
    }
}

void CEnumerateDlg::OnListClick()
{
    const int mark = ListView_GetSelectionMark(GetDlgItem(IDC_PRINTER_LIST));
    theApp.SetSelectedListRow(mark);
    if (mark != -1)
        listClicked_ = true;
}

void CEnumerateDlg::SendToMainWindow(int pageCommand)
{
    if (HWND main = theApp.MainWindow())
        ::SendMessageW(main, kMsgPageCommandToMain, static_cast<WPARAM>(pageCommand), 0);
}

bool CEnumerateDlg::DriverCheckPasses() const
{
    const CDiagnosticMgr* manager = theApp.DiagnosisManager();
    const std::optional<Device_Dev> device = manager->Selected();
    if (!CProductInfoColl::IsRestDevice(device->productId)) {
        // A Quill printer on USB is reached through the device library, not a driver.
        if (HMODULE library = NGWinApi::Kernel().LoadLibraryW(kUsbDeviceLibrary)) {
            NGWinApi::Kernel().FreeLibrary(library);
            return true;
        }
    }
    return device->driverInstalled != 0;
}

void CEnumerateDlg::OnDiagnose()
{
    theApp.SetRepaintWindow(theApp.MainWindow());
    CDiagnosticMgr* manager = theApp.DiagnosisManager();
    HWND list = GetDlgItem(IDC_PRINTER_LIST);
    if (manager == nullptr || ListView_GetItemCount(list) == 0) {
        messageBox(GetSafeHwnd(), StringTable().GetString(L"TSY_MESSAGE_NOPRINTER"), theApp.WindowTitle(),
                   MB_ICONWARNING);
        return;
    }
    int mark = ListView_GetSelectionMark(list);
    if (mark < 0) {
        mark = 0;
        ListView_SetSelectionMark(list, 0);
    }
    manager->SetCurrentTestIndex(kConnectivityTestIndex);
    manager->SetSelectedIndex(mark);

    if (!manager->VerifySelectedPrinter()) {
        SendToMainWindow(kPageNotSupported);
        Hide();
        return;
    }
    const std::optional<Device_Dev> device = manager->Selected();
    if (!device)
        return;
    if (!manager->NetworkSearchDone() && device->driverInstalled != 0) {
        // A queue left working offline would hold the test print back.
        if (QueryPrinterState(device->friendlyName, kQueueStateWorkOffline))
            ChangePrinterState(device->friendlyName, kQueueStateBringOnline);
    }
    if (!device->isNetwork && !DriverCheckPasses()) {
        if (verifyDriver(GetSafeHwnd()) == IDCANCEL) {
            if (HWND main = theApp.MainWindow())
                ::SendMessageW(main, WM_CLOSE, 0, 0);
            return;
        }
    }
    SendToMainWindow(kPageStartDiagnosis);
    Hide();
}

void CEnumerateDlg::OnNotListed()
{
    CDiagnosticMgr* manager = theApp.DiagnosisManager();
    if (manager != nullptr && manager->NetworkSearchDone()) {
        SendToMainWindow(kPageNotListedNetwork);
        Hide();
        return;
    }
    if (askUsbOrNetwork(GetSafeHwnd()) != IDOK) {
        SendToMainWindow(kPageNotListed);
        Hide();
        return;
    }
    if (manager == nullptr || !manager->CheckNetworkSettings()) {
        SendToMainWindow(kPageNoNetwork);
        Hide();
        return;
    }
    searchNetworkPrinters(GetSafeHwnd());
    manager->SetNetworkSearchDone(true);
    FillDeviceList();
    // An empty list after a search is no hint by itself: say so, and how to look again.
    if (manager->Devices().empty())
        messageBox(GetSafeHwnd(), StringTable().GetString(L"TSY_MESSAGE_NOPRINTER"), theApp.WindowTitle(),
                   MB_OK | MB_ICONINFORMATION);
}
